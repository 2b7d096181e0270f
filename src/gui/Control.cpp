// Control: shapes and clipping among siblings, enabling, the keyboard focus, z-order and redrawing.
#include "gui/Control.h"

#include "foundation/messages/PendingError.h"
#include "gui/Application.h"
#include "gui/MenuRefresh.h"
#include "gui/Window.h"

namespace vek {

Control::Control(int32_t kind, Pane& outer, const OriginSize& frame, int32_t id) : Pane(kind, &outer)
{
    Point offset{ClampCoordinate(outer.WindowOffset().v + frame.top), ClampCoordinate(outer.WindowOffset().h + frame.left)};
    SetFrame(frame, outer.GetWindow(), offset);
    controlRegion.SetRect(bounds);
    controlId = id;
    SetDrawingStyle(outer.BackColour());
    UpdateEnabled();
}

Control::~Control()
{
    PrepareDestruction();
    while (Pane* child = FirstChild())
        delete child;
}

CommandTarget* Control::Notify(int32_t code)
{
    if (code == kNotifyActivation && IsActive()) {
        Pane* outer = EnclosingPane();
        if (outer && !outer->IsActive())
            outer->Activate();
    }
    CommandTarget* answer = Pane::Notify(code);
    switch (code) {
    case kNotifyOpened: BuildShape(); break;
    case kNotifyVisibility:
        if (window && window->IsOpened())
            VisibilityChanged();
        break;
    case kNotifyEnabled:
        if (focused && !enabled)
            SetFocused(false);
        break;
    case kNotifyFocusShown: ResetMenuUpdateInterval(); break;
    default: break;
    }
    return answer;
}

void Control::ParentChanged(int32_t code)
{
    Pane::ParentChanged(code);
    if (code == kNotifyOpened || code == kNotifyEnabled)
        UpdateEnabled();
}

void Control::GetContentRect(Rect& rect)
{
    Pane* outer = EnclosingPane();
    rect = outer ? outer->Bounds() : bounds;
    ShiftRect(rect, -position.h, -position.v);
}

void Control::Activate()
{
    Pane* outer = EnclosingPane();
    if (outer && !outer->IsActive())
        outer->Activate();
    SetActive(true);
}

void Control::MoveFocus(int32_t direction)
{
    if (focused) {
        Pane::MoveFocus(direction);
        return;
    }
    if (window)
        window->ClearFocusedControl();
    if (CanFocusNow() && !IsErrorPending()) {
        Activate();
        SetFocused(true);
    }
}

bool Control::IsFrontmost() const
{
    const CommandTarget* outer = Enclosure();
    if (!outer || outer->FirstChild() == this)
        return true;
    return Prev() && Prev()->IsFloating();
}

void Control::BringToFront()
{
    CommandTarget* outer = Enclosure();
    if (!outer || IsFrontmost())
        return;
    Region clipped = controlRegion;
    ClipRegion(clipped);
    Region hidden = controlRegion;
    hidden.Subtract(clipped);
    outer->RemoveChild(*this);
    outer->InsertChild(*this);
    if (Pane* enclosingPane = EnclosingPane())
        enclosingPane->InvalidateRegions();
    regionsValid = false;
    if (Pane* first = outer->FirstChild())
        first->UpdateVisibleRegions(true);
    InvalidateRegion(hidden, kInvalidateNoClip);
}

void Control::SendToBack()
{
    CommandTarget* outer = Enclosure();
    if (!outer || !Next())
        return;
    outer->RemoveChild(*this);
    outer->AppendChild(*this);
    if (Pane* first = outer->FirstChild())
        first->UpdateVisibleRegions(true);
    if (Pane* enclosingPane = EnclosingPane())
        enclosingPane->InvalidateRegion(Region(enclosingPane->Bounds()), 0);
}

void Control::ClipRegion(Region& region)
{
    Pane* outer = EnclosingPane();
    if (!outer)
        return;
    region.Offset(position.h, position.v);
    IntersectRegionWithRect(region, outer->Bounds());
    const Rect box = region.Bounds();
    for (Pane* sibling = outer->FirstChild(); sibling && sibling != this; sibling = sibling->Next()) {
        if (!sibling->IsVisible())
            continue;
        Region shape = sibling->Shape() ? *sibling->Shape() : Region(sibling->Bounds());
        shape.Offset(sibling->Position().h, sibling->Position().v);
        IntersectRegionWithRect(shape, box);
        region.Subtract(shape);
    }
    outer->ClipRegion(region);
    region.Offset(-position.h, -position.v);
}

void Control::ClipToShape(Region& region) { region.Intersect(controlRegion); }

void Control::CalcVisibleRegion()
{
    if (visible) {
        ownRegion = controlRegion;
        ClipRegion(ownRegion);
        ExcludeChildRegions(ownRegion);
    } else {
        ownRegion.SetEmpty();
    }
    regionsValid = true;
}

void Control::UpdateVisibleRegions(bool force)
{
    if (!regionsValid)
        force = true;
    if (force)
        CalcVisibleRegion();
    if (Pane* child = FirstChild())
        child->UpdateVisibleRegions(force);
    if (Pane* sibling = Next())
        sibling->UpdateVisibleRegions(force);
}

void Control::BoundsChanged(int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    Region old = controlRegion;
    if (dx != 0 || dy != 0) {
        ShiftWindowOffsets(dx, dy);
        old.Offset(-dx, -dy);
    }
    BuildShape();
    Region changed = old;
    changed.Union(controlRegion);
    if (dx == 0 && dy == 0) {
        Rect kept = bounds;
        if (dw > 0)
            kept.right = ClampCoordinate(kept.right - dw);
        if (dh > 0)
            kept.bottom = ClampCoordinate(kept.bottom - dh);
        SubtractRectFromRegion(changed, kept);
    }
    ClipRegion(changed);
    if (Pane* outer = EnclosingPane())
        outer->InvalidateRegions();
    regionsValid = false;
    InvalidateRegion(changed, kInvalidateNoClip);
}

void Control::BuildShape() { controlRegion.SetRect(bounds); }
int32_t Control::CanTakeFocus() { return 0; }
int32_t Control::IsCheckable() { return 0; }
void Control::SetChecked(bool) {}
void Control::Toggle() {}

void Control::SetEnabled(bool flag)
{
    ownEnabled = flag;
    UpdateEnabled();
}

void Control::DisableControl(Control* control)
{
    if (control)
        control->SetEnabled(false);
}

void Control::UpdateEnabled()
{
    bool effective = ownEnabled;
    Pane* outer = EnclosingPane();
    if (outer && !(outer->Kind() >= 1 && outer->Kind() <= 3)) {
        if (auto* outerControl = dynamic_cast<Control*>(outer))
            effective = effective && outerControl->IsEnabled();
    }
    if (effective == enabled)
        return;
    enabled = effective;
    if (IsConstructed())
        Notify(kNotifyEnabled);
}

void Control::SetFocused(bool flag)
{
    if (flag && window && window->FocusedControl() && window->FocusedControl() != this)
        window->ClearFocusedControl();
    focused = flag;
    if (window) {
        if (flag)
            window->SetFocusedControl(this);
        else if (window->FocusedControl() == this)
            window->SetFocusedControl(nullptr);
    }
    Notify(kNotifyKeyboardFocus);
    if (window && window->IsActive())
        Notify(kNotifyFocusShown);
}

void Control::TakeFocus()
{
    if (focused)
        return;
    if (window)
        window->ClearFocusedControl();
    SetFocused(true);
}

void Control::FocusControl(Control* control)
{
    if (control && !control->focused)
        control->MoveFocus(kFocusForward);
}

bool Control::CanFocusNow()
{
    if (!visible || !enabled || !window)
        return false;
    window->UpdateVisibleRegions(false);
    return !ownRegion.IsEmpty() && CanTakeFocus() == 1;
}

bool Control::ShowsFocus() const
{
    Application* application = Application::Get();
    return focused && window && window->IsActive() && application && application->IsActive();
}

bool Control::ShowsFocusRing() const { return focused && window && window->IsFocusShown(); }

void Control::VisibilityChanged()
{
    if (Pane* outer = EnclosingPane())
        outer->InvalidateRegions();
    if (!visible && focused)
        SetFocused(false);
    if (visible)
        CalcVisibleRegion();
    else
        ownRegion.SetEmpty();
    if (window && window->IsVisible()) {
        Region area = controlRegion;
        ClipRegion(area);
        area.Offset(windowOffset.h, windowOffset.v);
        window->AddToUpdateRegion(area);
    }
}

void Control::RebuildShape(int32_t flags)
{
    Region old = controlRegion;
    BuildShape();
    Pane* outer = EnclosingPane();
    Region changed = old;
    changed.Xor(controlRegion);
    if ((flags & 1) && outer && outer->RegionsValid() && window && !window->UpdateRegion().IsEmpty()) {
        Region pending = window->UpdateRegion();
        pending.Offset(-windowOffset.h, -windowOffset.v);
        Region shapes = old;
        shapes.Union(controlRegion);
        pending.Intersect(shapes);
        changed.Union(pending);
    }
    if (outer)
        outer->InvalidateRegions();
    regionsValid = false;
    InvalidateRegion(changed, 0);
}

}  // namespace vek

namespace vek {

bool Control::TrackPressInBounds(const InputEvent& event, const std::function<void(bool inside)>& showPressed)
{
    bool inside = IsPointInRect(event.point, bounds);
    showPressed(inside);
    // The first point is in this control's coordinates; the tracked ones arrive global.
    Point origin = windowOffset;
    if (window) {
        origin.v = int16_t(origin.v + window->Position().v);
        origin.h = int16_t(origin.h + window->Position().h);
    }
    InputEvent tracked = event;
    while (tracked.WaitMouseStillDown()) {
        Point local{int16_t(tracked.point.v - origin.v), int16_t(tracked.point.h - origin.h)};
        inside = IsPointInRect(local, bounds);
        showPressed(inside);
    }
    return inside;
}

bool Control::IsFocusedPressKey(const InputEvent& event) const
{
    if (!focused || event.shift || event.command || event.option)
        return false;
    return event.key == 13 || event.key == 32 || event.key == 3;
}

}  // namespace vek
