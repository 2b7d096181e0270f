// Pane: geometry, forwarding to the enclosure, hit testing, regions, invalidation, drawing, focus chain.
#include "gui/Pane.h"

#include "gui/Control.h"
#include "gui/MenuRefresh.h"
#include "gui/MenuRequest.h"
#include "gui/Window.h"
#include "gui/links/LinkMenu.h"
#include "drawing/DrawingState.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// The area being redrawn, in window coordinates, while a window draws (RedrawRegionNow).
const Region* redrawArea = nullptr;

Rect ShapeBoundsOf(const Pane& pane)
{
    const Region* shape = pane.Shape();
    return shape ? shape->Bounds() : pane.Bounds();
}

Region ShapeOf(const Pane& pane)
{
    const Region* shape = pane.Shape();
    return shape ? *shape : Region(pane.Bounds());
}

// Ordering keys of the focus chain: the pane's frame in its enclosure's coordinates.
struct OrderKeys {
    int32_t id;
    int32_t top, left, bottom, right;
};

OrderKeys KeysOf(const Pane& pane)
{
    OrderKeys k{};
    const Control* control = dynamic_cast<const Control*>(&pane);
    k.id = control ? control->ControlId() : 0;
    k.top = pane.Position().v;
    k.left = pane.Position().h;
    k.bottom = k.top + pane.Size().v;
    k.right = k.left + pane.Size().h;
    return k;
}

int32_t Sign(int32_t x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

int32_t CompareKeys(const OrderKeys& a, const OrderKeys& b, int32_t order)
{
    switch (order) {
    case 0: return Sign(b.left - a.left);
    case 1: return Sign(b.top - a.top);
    default: break;
    }
    if (order == 3 && a.id != b.id)
        return Sign(b.id - a.id);
    if (a.top != b.top)
        return Sign(b.top - a.top);
    if (a.left != b.left)
        return Sign(b.left - a.left);
    if (a.bottom != b.bottom)
        return Sign(b.bottom - a.bottom);
    return Sign(b.right - a.right);
}

int32_t ListIndex(const Pane& pane)
{
    int32_t i = 0;
    const CommandTarget* enclosure = pane.Enclosure();
    for (const Pane* p = enclosure ? enclosure->FirstChild() : nullptr; p && p != &pane; p = p->Next())
        ++i;
    return i;
}

// A total order: panes that tie in the direction's order keep their order in the child list, so
// that no pane is left out of the chain.
int32_t CompareTotal(const Pane& a, const Pane& b, int32_t direction)
{
    int32_t c = Pane::CompareInOrder(a, b, direction);
    if (c != 0 || &a == &b)
        return c;
    int32_t d = Sign(ListIndex(b) - ListIndex(a));
    return (direction & 4) ? -d : d;
}

}  // namespace

Pane::Pane(int32_t kind, CommandTarget* enclosureTarget) : CommandTarget(kind)
{
    textStyle = GetPresetStyle(PresetStyle::Geneva10);
    if (enclosureTarget) {
        linkRegistry = enclosureTarget->GetLinkRegistry();
        enclosureTarget->AppendChild(*this);
    }
}

Pane::~Pane()
{
    while (Pane* child = FirstChild())
        delete child;
    CommandTarget* outer = enclosure;
    if (outer)
        outer->RemoveChild(*this);
    ClearHoverTarget(*this);
    if (savedVisible && outer && outer->IsOpened())
        outer->ActivateFirstChild();
}

void Pane::Open()
{
    CommandTarget::Open();
    visible = wantVisible;
    if (visible)
        Notify(kNotifyVisibility);
}

void Pane::Close()
{
    if (visible) {
        visible = false;
        Notify(kNotifyVisibility);
    }
    ClearHoverTarget(*this);
    if (window && window != static_cast<Pane*>(this)) {
        for (Pane* p = window->FocusedControl(); p; p = p->EnclosingPane())
            if (p == this) {
                window->ClearFocusedControl();
                break;
            }
    }
    CommandTarget::Close();
}

CommandTarget* Pane::Notify(int32_t code)
{
    CommandTarget* answer = CommandTarget::Notify(code);
    if (code == kNotifyActivation && IsActive())
        BringToFront();
    if (code <= 15 && enclosure)
        enclosure->ChildChanged(code, this);
    return answer;
}

void Pane::ParentChanged(int32_t code)
{
    if (code == kNotifyActivation && enclosure && !enclosure->IsActive() && IsActive())
        SetActive(false);
}

void Pane::ChildChanged(int32_t code, Pane* child)
{
    CommandTarget::ChildChanged(code, child);
    if (code == kNotifyClosing && child && static_cast<Pane*>(checkedRadio) == child)
        checkedRadio = nullptr;
}

void Pane::ResignActive() { savedVisible = visible; }

void Pane::UpdateMenus()
{
    if (enclosure)
        enclosure->UpdateMenus();
}

int32_t Pane::DoCommand(MenuItem& item) { return enclosure ? enclosure->DoCommand(item) : 0; }

void Pane::OpenDocument(int32_t mode, const FilePath& file)
{
    if (enclosure)
        enclosure->OpenDocument(mode, file);
}

int32_t Pane::AcceptDrop(TransferData& package) { return enclosure ? enclosure->AcceptDrop(package) : 0; }

#define VEK_FORWARD_UP(call) \
    if (!enclosure)          \
        return this;         \
    return enclosure->call;

CommandTarget* Pane::TabNotify(TabNotice& record) { VEK_FORWARD_UP(TabNotify(record)) }
CommandTarget* Pane::TargetChanged(CommandTarget* target, int32_t code) { VEK_FORWARD_UP(TargetChanged(target, code)) }
CommandTarget* Pane::FormatControlText(String& text, Control& control) { VEK_FORWARD_UP(FormatControlText(text, control)) }
CommandTarget* Pane::ControlCommand(Control& control) { VEK_FORWARD_UP(ControlCommand(control)) }
CommandTarget* Pane::ControlChanged(Control& control) { VEK_FORWARD_UP(ControlChanged(control)) }
CommandTarget* Pane::RadioChanged(Control* previous, Control* current) { VEK_FORWARD_UP(RadioChanged(previous, current)) }
CommandTarget* Pane::PopupNotify(PopupItemRecord& record) { VEK_FORWARD_UP(PopupNotify(record)) }
CommandTarget* Pane::ControlAction() { VEK_FORWARD_UP(ControlAction()) }
CommandTarget* Pane::ScrollChanged(ScrollNotice& record) { VEK_FORWARD_UP(ScrollChanged(record)) }
CommandTarget* Pane::RowCount(RowRequest& record) { VEK_FORWARD_UP(RowCount(record)) }
CommandTarget* Pane::OutlineNotify(OutlineRequest& record) { VEK_FORWARD_UP(OutlineNotify(record)) }

#undef VEK_FORWARD_UP

// Events travel up with their point moved into each enclosure's coordinates, and back on return.
#define VEK_FORWARD_SHIFTED(call)                                 \
    if (!enclosure)                                               \
        return 0;                                                 \
    event.point.v = int16_t(event.point.v + position.v);          \
    event.point.h = int16_t(event.point.h + position.h);          \
    int32_t answer = enclosure->call;                             \
    event.point.v = int16_t(event.point.v - position.v);          \
    event.point.h = int16_t(event.point.h - position.h);          \
    return answer;

int32_t Pane::AdjustCursor(InputEvent& event, Pane* pane) { VEK_FORWARD_SHIFTED(AdjustCursor(event, pane)) }
int32_t Pane::FirstClick(InputEvent& event, Pane* pane) { VEK_FORWARD_SHIFTED(FirstClick(event, pane)) }
int32_t Pane::Click(InputEvent& event, Pane* pane) { VEK_FORWARD_SHIFTED(Click(event, pane)) }
int32_t Pane::Wheel(InputEvent& event, int32_t lines) { VEK_FORWARD_SHIFTED(Wheel(event, lines)) }
int32_t Pane::KeyDown(InputEvent& event, Pane* pane) { VEK_FORWARD_SHIFTED(KeyDown(event, pane)) }

#undef VEK_FORWARD_SHIFTED

void Pane::HandleMessage(MenuRequest& record)
{
    if (linkMenu != nullptr && record.messageKind == kLinkMenuKind && record.pane == this) {
        linkMenu->HandleMessage(record);
        return;
    }
    if (enclosure)
        enclosure->HandleMessage(record);
}

void Pane::GetChildrenBounds(Point& point)
{
    Rect all;
    bool any = false;
    for (Pane* child = FirstChild(); child; child = child->next) {
        if (!child->visible || child->floating)
            continue;
        Rect r = ShapeBoundsOf(*child);
        ShiftRect(r, child->position.h, child->position.v);
        if (!any)
            all = r;
        else
            UnionRectInto(all, r);
        any = true;
    }
    if (all.left > 0)
        all.right = ClampCoordinate(all.right + all.left);
    if (all.top > 0)
        all.bottom = ClampCoordinate(all.bottom + all.top);
    point = Point{ClampCoordinate(all.bottom - 1), ClampCoordinate(all.right - 1)};
}

void Pane::Moved(int32_t, int32_t) {}
void Pane::Resized(int32_t, int32_t) {}
void Pane::Draw() {}
void Pane::DrawFrame() {}
void Pane::CommitEdit() {}

Pane* Pane::EnclosingPane() const
{
    if (!enclosure || enclosure->Kind() == 0)
        return nullptr;
    return static_cast<Pane*>(enclosure);
}

// --- geometry ------------------------------------------------------------------------------------

void Pane::SetFrame(const OriginSize& frame, Window* inWindow, Point offset)
{
    position = Point{frame.top, frame.left};
    size = Point{frame.height, frame.width};
    bounds = Rect{0, 0, frame.height, frame.width};
    window = inWindow;
    windowOffset = offset;
}

OriginSize Pane::Frame() const { return OriginSize{position.v, position.h, size.v, size.h}; }

void Pane::MoveBy(int32_t dx, int32_t dy)
{
    if (dx != 0 || dy != 0)
        MoveAndResizeBy(dx, dy, 0, 0);
}

void Pane::ResizeBy(int32_t dw, int32_t dh)
{
    if (dw != 0 || dh != 0)
        MoveAndResizeBy(0, 0, dw, dh);
}

void Pane::MoveAndResizeBy(int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    const bool moved = dx != 0 || dy != 0;
    const bool resized = dw != 0 || dh != 0;
    if (!moved && !resized && !notifyAlways)
        return;
    OriginSize old = Frame();
    position.v = ClampCoordinate(position.v + dy);
    position.h = ClampCoordinate(position.h + dx);
    size.v = ClampCoordinate(size.v + dh);
    size.h = ClampCoordinate(size.h + dw);
    bounds.bottom = ClampCoordinate(bounds.bottom + dh);
    bounds.right = ClampCoordinate(bounds.right + dw);
    previousFrame = old;
    BoundsChanged(dx, dy, dw, dh);
    if (moved)
        Moved(dx, dy);
    if (resized || notifyAlways)
        Resized(dw, dh);
}

void Pane::MoveEdgesBy(int32_t dLeft, int32_t dTop, int32_t dRight, int32_t dBottom)
{
    MoveAndResizeBy(dLeft, dTop, dRight - dLeft, dBottom - dTop);
}

void Pane::SetFrame(const OriginSize& frame)
{
    MoveAndResizeBy(frame.left - position.h, frame.top - position.v, frame.width - size.h, frame.height - size.v);
}

void Pane::ShiftWindowOffsets(int32_t dh, int32_t dv)
{
    windowOffset.h = ClampCoordinate(windowOffset.h + dh);
    windowOffset.v = ClampCoordinate(windowOffset.v + dv);
    for (Pane* child = FirstChild(); child; child = child->next)
        child->ShiftWindowOffsets(dh, dv);
}

OriginSize Pane::ComputePlacement(int32_t mode)
{
    Rect area;
    GetContentRect(area);
    ShiftRect(area, position.h, position.v);
    int32_t height = size.v;
    int32_t width = size.h;
    if (mode & kPlaceFillArea) {
        height = area.Height();
        width = area.Width();
    } else {
        Point extent;
        GetChildrenBounds(extent);
        if (!(mode & kPlaceKeepWidth))
            width = extent.h + 1;
        if (!(mode & kPlaceKeepHeight))
            height = extent.v + 1;
    }
    // Into the area, shrunk when larger; the left and top edges win.
    if (width > area.Width())
        width = area.Width();
    if (height > area.Height())
        height = area.Height();
    int32_t left = position.h;
    int32_t top = position.v;
    if (left + width > area.right)
        left = area.right - width;
    if (top + height > area.bottom)
        top = area.bottom - height;
    if (left < area.left)
        left = area.left;
    if (top < area.top)
        top = area.top;
    return OriginSize{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(height), ClampCoordinate(width)};
}

void Pane::MoveToPlacement(int32_t mode)
{
    SetFrame(ComputePlacement(mode));
    previousFrame = Frame();
}

void Pane::ToggleZoom(bool full)
{
    OriginSize target = ComputePlacement(full ? kPlaceFillArea : 0);
    OriginSize now = Frame();
    const bool atTarget = now.top == target.top && now.left == target.left && now.height == target.height &&
                          now.width == target.width;
    if (atTarget && previousFrame.width != 0)
        SetFrame(previousFrame);
    else
        SetFrame(target);
}

// --- hit testing and regions -----------------------------------------------------------------------

Pane* Pane::HitTest(Point& point)
{
    if (!IsPointInRect(point, bounds))
        return this;
    for (Pane* child = FirstChild(); child; child = child->next) {
        if (!child->visible)
            continue;
        Point inChild{int16_t(point.v - child->position.v), int16_t(point.h - child->position.h)};
        const Region* shape = child->Shape();
        const bool inside = shape ? shape->Contains(inChild) : IsPointInRect(inChild, child->bounds);
        if (inside) {
            point = inChild;
            return child->HitTest(point);
        }
    }
    return this;
}

void Pane::ExcludeChildRegions(Region& region)
{
    for (Pane* child = FirstChild(); child; child = child->next) {
        if (!child->visible)
            continue;
        Region shape = ShapeOf(*child);
        shape.Offset(child->position.h, child->position.v);
        IntersectRegionWithRect(shape, bounds);
        region.Subtract(shape);
    }
}

void Pane::InvalidateRegion(const Region& region, int32_t flags)
{
    if (!visible || !window || !window->IsVisible())
        return;
    Region area = region;
    if (!(flags & kInvalidateNoClip)) {
        if (!(flags & kInvalidateShape)) {
            // Regions made invalid anywhere above this pane change its own region too.
            window->UpdateVisibleRegions(false);
            area.Intersect(ownRegion);
        } else {
            ClipToShape(area);
            ClipRegion(area);
        }
    }
    area.Offset(windowOffset.h, windowOffset.v);
    if (flags & kInvalidatePending)
        area.Intersect(window->UpdateRegion());
    if (area.IsEmpty())
        return;
    if (flags & kInvalidateNow)
        window->RedrawNow(area);
    else
        window->AddToUpdateRegion(area);
}

void Pane::InvalidateRect(const Rect& rect, int32_t flags) { InvalidateRegion(Region(rect), flags); }

void Pane::Invalidate() { InvalidateRect(bounds, 0); }

void Pane::RedrawRegionNow(const Region& region)
{
    if (!window)
        return;
    Region area = region;
    area.Offset(windowOffset.h, windowOffset.v);
    window->RedrawNow(area);
}

void Pane::DrawPane(bool withChildren)
{
    DrawingState& state = GetDrawingState();
    if (!state.focus || !redrawArea)
        return;
    if (!regionsValid)
        UpdateVisibleRegions(true);
    if (withChildren) {
        for (Pane* child = FirstChild(); child; child = child->next)
            if (child->visible)
                child->DrawPane(true);
    }
    SetFocusOrigin(*state.focus, windowOffset);
    Region clip = *redrawArea;
    clip.Offset(-windowOffset.h, -windowOffset.v);
    clip.Intersect(state.visible);
    clip.Intersect(ownRegion);
    if (clip.IsEmpty())
        return;
    Region content = clip;
    IntersectRegionWithRect(content, bounds);
    Region frame = clip;
    SubtractRectFromRegion(frame, bounds);
    auto apply = [this, &state] {
        state.colors.fore = foreColour;
        state.colors.back = backColour;
        state.colors.style = textStyle;
        state.view = &state.colors;
        ApplyViewColors();
    };
    if (!frame.IsEmpty()) {
        apply();
        SetClipRegion(frame);
        if (eraseFrame && state.port)
            state.port->EraseRegion(frame);
        DrawFrame();
    }
    if (!content.IsEmpty()) {
        apply();
        SetClipRegion(content);
        if (eraseContent && state.port)
            state.port->EraseRegion(content);
        Draw();
    }
}

void SetRedrawArea(const Region* area) { redrawArea = area; }

// --- the focus chain -------------------------------------------------------------------------------

int32_t Pane::CompareInOrder(const Pane& a, const Pane& b, int32_t direction)
{
    int32_t c = CompareKeys(KeysOf(a), KeysOf(b), direction & 3);
    return (direction & 4) ? -c : c;
}

Pane* Pane::NextSibling(Pane& pane, int32_t direction)
{
    CommandTarget* outer = pane.enclosure;
    if (!outer)
        return nullptr;
    Pane* best = nullptr;
    for (Pane* c = outer->FirstChild(); c; c = c->next) {
        if (c == &pane || !c->visible)
            continue;
        if (CompareTotal(pane, *c, direction) <= 0)
            continue;
        if (!best || CompareTotal(*c, *best, direction) > 0)
            best = c;
    }
    return best;
}

Pane* Pane::FirstChildInOrder(Pane& pane, int32_t direction)
{
    Pane* best = nullptr;
    for (Pane* c = pane.FirstChild(); c; c = c->next) {
        if (!c->visible)
            continue;
        if (!best || CompareTotal(*c, *best, direction) > 0)
            best = c;
    }
    return best;
}

Pane* Pane::NextInFocusChain(Pane& pane, int32_t direction, Pane& root)
{
    if (!(direction & 4)) {
        if (Pane* child = FirstChildInOrder(pane, direction))
            return child;
        for (Pane* p = &pane; p && p != &root; p = p->EnclosingPane())
            if (Pane* sibling = NextSibling(*p, direction))
                return sibling;
        return &root;
    }
    Pane* p = nullptr;
    if (&pane == &root) {
        p = FirstChildInOrder(root, direction);
        if (!p)
            return &root;
    } else {
        p = NextSibling(pane, direction);
        if (!p) {
            Pane* outer = pane.EnclosingPane();
            return outer ? outer : &root;
        }
    }
    while (Pane* last = FirstChildInOrder(*p, direction))
        p = last;
    return p;
}

void Pane::MoveFocus(int32_t direction)
{
    if (!window)
        return;
    Pane* start = window->FocusedControl();
    if (!start)
        start = window;
    Pane* p = start;
    int32_t rootVisits = 0;
    for (;;) {
        p = NextInFocusChain(*p, direction, *window);
        if (p == start)
            return;
        // A start that left the chain (it became invisible) is never met again: one round is all.
        if (p == window && ++rootVisits > 1)
            return;
        Control* control = dynamic_cast<Control*>(p);
        if (control && control->CanFocusNow()) {
            if (p == this)
                return;
            control->MoveFocus(direction);
            return;
        }
    }
}

// --- lookup, visibility, drawing state -------------------------------------------------------------

Control* Pane::FindById(int32_t id)
{
    for (Pane* child = FirstChild(); child; child = child->next) {
        if (Control* control = dynamic_cast<Control*>(child); control && control->ControlId() == id)
            return control;
        if (Control* found = child->FindById(id))
            return found;
    }
    return nullptr;
}

void Pane::SetVisible(bool flag)
{
    if (!IsConstructed()) {
        wantVisible = flag;
        return;
    }
    if (visible == flag)
        return;
    visible = flag;
    Notify(kNotifyVisibility);
}

void Pane::SetPaneVisible(Pane* pane, bool flag)
{
    if (pane)
        pane->SetVisible(flag);
}

void Pane::MakeFloating()
{
    floating = true;
    BringToFront();
}

void Pane::SetDrawingStyle(int32_t backIndex)
{
    if (backColour == backIndex)
        return;
    backColour = backIndex;
    if (IsConstructed())
        Notify(kNotifyBackground);
}

void Pane::SetTextStyle(const TextStyle& style)
{
    textStyle = style;
    if (IsConstructed())
        Notify(kNotifyTextStyle);
}

void Pane::SetTextFlags(uint16_t bits, uint16_t mask)
{
    uint16_t flags = uint16_t((textStyle.flags & ~mask) | (bits & mask));
    if (flags == textStyle.flags)
        return;
    textStyle.flags = flags;
    if (IsConstructed())
        Notify(kNotifyTextStyle);
}

void Pane::SelectRadio(Control* child)
{
    if (child == checkedRadio)
        return;
    Control* old = checkedRadio;
    if (old)
        old->SetChecked(false);
    checkedRadio = child;
    if (child)
        child->SetChecked(true);
    RadioChanged(old, child);
}

}  // namespace vek
