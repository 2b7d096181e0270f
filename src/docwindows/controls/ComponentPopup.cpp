// ComponentPopup: layout, drawing, scrolling, keys and the tracking loop of the cascade.
#include "docwindows/controls/ComponentPopup.h"

#include <algorithm>

#include "drawing/ColorTable.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/TextLayout.h"
#include "foundation/services/Clock.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "gui/DrawingRoutines.h"
#include "gui/Window.h"
#include "gui/controls/MouseTracker.h"
#include "model/base/Base.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kPopupTextColour = 25;
constexpr int32_t kPopupBackColour = 26;
constexpr int32_t kPopupArrowSize = 3;
constexpr int64_t kPopupScrollPauseMs = 50;
constexpr int64_t kPopupSubmenuDelayMs = 250;
constexpr int64_t kPopupTypeAheadPauseMs = 2000;
constexpr int32_t kPopupCursor = 50;

std::string ComponentCodeOf(const Component& component)
{
    return component.code != nullptr ? std::string(component.code) : std::string();
}

// The text without the leading part that repeats the parent's code (codes of children begin with
// their parent's code, and the menu beside the parent's says it already).
std::string WithoutParentCode(const std::string& text, const std::string& parentCode)
{
    if (!parentCode.empty() && text.size() > parentCode.size() && text.compare(0, parentCode.size(), parentCode) == 0)
        return text.substr(parentCode.size());
    return text;
}

}  // namespace

// --- ComponentPopupLevel ------------------------------------------------------------------------

ComponentPopupLevel::ComponentPopupLevel(ComponentPopup& popup, Component& parentComponent)
    : Control(kKindCustomView, *popup.pane.GetWindow(), OriginSize{0, 0, 1, 1}, 0), popup(popup), parent(parentComponent)
{
    backColour = kPopupBackColour;
    textStyle = popup.pane.GetTextStyle();
    Base& base = popup.base;
    const RecordPool& pool = base.ComponentPool();
    String text;
    if (parent.IsRoot()) {
        base.DimensionPluralName(popup.dimension, text);
    } else {
        base.FormatComponent(text, &parent, popup.dimension);
        parentCode = ComponentCodeOf(parent);
    }
    title.assign(text.View());
    for (Component* child = parent.FirstChild(pool); child != nullptr; child = child->NextSibling(pool)) {
        items.push_back(child);
        base.FormatComponent(text, child, popup.dimension);
        texts.push_back(WithoutParentCode(std::string(text.View()), parentCode));
    }
    FinishConstruction();
    MakeFloating();
}

ComponentPopupLevel::~ComponentPopupLevel()
{
    PrepareDestruction();
}

bool ComponentPopupLevel::ItemHasChildren(int32_t row) const
{
    return items[size_t(row)]->FirstChild(popup.base.ComponentPool()) != nullptr;
}

std::string ComponentPopupLevel::ItemCodeText(int32_t row) const
{
    return WithoutParentCode(ComponentCodeOf(*items[size_t(row)]), parentCode);
}

void ComponentPopupLevel::Layout(Point point)
{
    rowHeight = std::max(1, MeasureTextHeightInStyle(textStyle, title.empty() ? std::string_view("X") : title, 10000));
    titleHeight = rowHeight + 3;
    int32_t content = std::max(32, MeasureTextWidthInStyle(textStyle, title));
    for (size_t i = 0; i < items.size(); ++i)
        content = std::max(content, MeasureTextWidthInStyle(textStyle, texts[i]) + (ItemHasChildren(int32_t(i)) ? 6 : 0));
    const int32_t width = content + 8;
    const Rect& screen = popup.screen;
    visibleRows = std::clamp((screen.Height() - titleHeight - 3) / rowHeight, 0, ItemCount());
    int32_t left = point.h + 6;
    int32_t top = point.v - titleHeight - 6;
    if (left + width + 3 > screen.right && point.h - width - 6 >= screen.left) {
        left = point.h - width - 5;
        top += 31;
    }
    frame = Rect{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(top + titleHeight + visibleRows * rowHeight),
                 ClampCoordinate(left + width)};
}

void ComponentPopupLevel::SetFrameRect(const Rect& rect)
{
    frame = rect;
    SetFrame(OriginSize{frame.top, frame.left, ClampCoordinate(frame.Height()), ClampCoordinate(frame.Width())});
}

int32_t ComponentPopupLevel::RowAt(Point point) const
{
    if (!IsPointInRect(point, frame) || point.v < frame.top + titleHeight)
        return -1;
    const int32_t slot = (point.v - frame.top - titleHeight) / rowHeight;
    if (slot >= visibleRows)
        return -1;
    if ((slot == 0 && HasUpArrow()) || (slot == visibleRows - 1 && HasDownArrow()))
        return -1;
    const int32_t row = firstVisible + slot;
    return row < ItemCount() ? row : -1;
}

void ComponentPopupLevel::DrawRow(int32_t row)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    const int32_t slot = row - firstVisible;
    const int32_t top = titleHeight + slot * rowHeight;
    const Rect rect{ClampCoordinate(top), 1, ClampCoordinate(top + rowHeight), ClampCoordinate(bounds.right - 1)};
    const bool upArrow = slot == 0 && HasUpArrow();
    const bool downArrow = slot == visibleRows - 1 && HasDownArrow();
    if (upArrow || downArrow) {
        port->SetBackColor(TableColor(kPopupBackColour));
        port->EraseRect(rect);
        port->SetForeColor(TableColor(kPopupTextColour));
        const int32_t middle = (rect.left + rect.right) / 2;
        if (upArrow)
            DrawArrow(middle, rect.top + (rowHeight - kPopupArrowSize) / 2, kPopupArrowSize, kArrowUp);
        else
            DrawArrow(middle, rect.top + (rowHeight + kPopupArrowSize) / 2, kPopupArrowSize, kArrowDown);
        return;
    }
    const bool lit = row == highlighted;
    port->SetForeColor(TableColor(lit ? kColorHighlight : kPopupBackColour));
    port->PaintRect(rect);
    port->SetForeColor(TableColor(lit ? kColorHighlightText : kPopupTextColour));
    Rect textRect = rect;
    textRect.left = ClampCoordinate(rect.left + 3);
    DrawTextInRect(textRect, texts[size_t(row)]);
    if (ItemHasChildren(row))
        DrawArrow(rect.right - 3, (rect.top + rect.bottom) / 2, kPopupArrowSize, kArrowRight);
}

void ComponentPopupLevel::Draw()
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    const RgbColor fore = port->ForeColor();
    const RgbColor back = port->BackColor();
    port->SetForeColor(TableColor(kPopupBackColour));
    port->PaintRect(bounds);
    port->SetForeColor(TableColor(kPopupTextColour));
    Rect titleRect{0, 3, ClampCoordinate(rowHeight + 1), ClampCoordinate(bounds.right - 3)};
    DrawTextInRect(titleRect, title);
    DrawEtchedLine(1, titleHeight - 2, bounds.right - 2);
    for (int32_t slot = 0; slot < visibleRows; ++slot)
        DrawRow(firstVisible + slot);
    port->SetForeColor(TableColor(kColorBlack));
    port->FrameRect(bounds);
    port->SetForeColor(fore);
    port->SetBackColor(back);
}

void ComponentPopupLevel::SetHighlight(int32_t row, int64_t now)
{
    if (row == highlighted)
        return;
    popup.CloseAfter(*this);
    highlighted = row;
    if (row >= 0)
        EnsureVisible(row, now);
    Invalidate();
    lastHighlightTime = now;
}

void ComponentPopupLevel::EnsureVisible(int32_t row, int64_t now)
{
    if (visibleRows >= ItemCount() || row < 0)
        return;
    // A row must not sit under an arrow row: the first visible row is the up arrow once scrolled,
    // the last the down arrow while more follow.
    if (row <= firstVisible && (row != 0 || firstVisible != 0))
        ScrollBy(row - firstVisible - (row != 0 ? 1 : 0), now);
    else if (row >= firstVisible + visibleRows - 1 && row != ItemCount() - 1)
        ScrollBy(row - firstVisible - visibleRows + 2, now);
    else if (row >= firstVisible + visibleRows)
        ScrollBy(row - firstVisible - visibleRows + 1, now);
}

void ComponentPopupLevel::ScrollBy(int32_t n, int64_t now)
{
    const int32_t target = std::clamp(firstVisible + n, 0, std::max(0, ItemCount() - visibleRows));
    if (target != firstVisible) {
        firstVisible = target;
        Invalidate();
    }
    lastScrollTime = now;
}

int32_t ComponentPopupLevel::FindItem(std::string_view text) const
{
    if (text.empty())
        return -1;
    for (int32_t row = 0; row < ItemCount(); ++row)
        if (CStrStartsWithNoCase(std::string_view(ItemCodeText(row)), text))
            return row;
    for (int32_t row = 0; row < ItemCount(); ++row) {
        const std::string& shown = texts[size_t(row)];
        const size_t space = shown.find(' ');
        if (space != std::string::npos && CStrStartsWithNoCase(std::string_view(shown).substr(space + 1), text))
            return row;
    }
    return -1;
}

void ComponentPopupLevel::TypeAhead(uint32_t character, int64_t now)
{
    if (now - lastTypeTime > kPopupTypeAheadPauseMs)
        typed.clear();
    String encoded;
    encoded.AssignCodePoint(character);
    typed.append(encoded.View());
    lastTypeTime = now;
    // Without a match the oldest characters are dropped until the rest matches or nothing is left.
    for (std::string search = typed; !search.empty();) {
        const int32_t row = FindItem(search);
        if (row >= 0) {
            SetHighlight(row, now);
            return;
        }
        size_t drop = 1;
        while (drop < search.size() && (uint8_t(search[drop]) & 0xC0) == 0x80)
            ++drop;
        search.erase(0, drop);
    }
}

// --- ComponentPopup -----------------------------------------------------------------------------

ComponentPopup::ComponentPopup(Base& base, int32_t dimension, Pane& pane, const Rect& screen)
    : base(base), dimension(dimension), pane(pane), screen(screen)
{
}

ComponentPopup::~ComponentPopup()
{
    CloseFrom(0);
}

int32_t ComponentPopup::IndexOf(const ComponentPopupLevel& level) const
{
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i] == &level)
            return int32_t(i);
    return -1;
}

void ComponentPopup::CloseFrom(int32_t index)
{
    while (int32_t(levels.size()) > std::max(0, index)) {
        ComponentPopupLevel* level = levels.back();
        levels.pop_back();
        level->SetVisible(false);
        delete level;
    }
}

void ComponentPopup::CloseAfter(const ComponentPopupLevel& level)
{
    const int32_t index = IndexOf(level);
    if (index >= 0)
        CloseFrom(index + 1);
}

void ComponentPopup::Open(Point point, const Component* target)
{
    CloseFrom(0);
    Component* root = base.Root(dimension);
    if (root != nullptr && pane.GetWindow() != nullptr)
        OpenLevel(point, *root, target);
}

void ComponentPopup::OpenLevel(Point point, Component& parentComponent, const Component* target)
{
    auto* level = new ComponentPopupLevel(*this, parentComponent);
    levels.push_back(level);
    const int64_t now = CurrentTimeMs();
    level->lastHighlightTime = now;
    level->Layout(point);
    Rect frame = level->frame;
    // The item on the way to the target is highlighted and its submenu opens beside its row.
    const RecordPool& pool = base.ComponentPool();
    if (target != nullptr && target != &parentComponent && Component::IsAncestorOrSelf(pool, &parentComponent, target)) {
        for (int32_t row = 0; row < level->ItemCount(); ++row) {
            if (!Component::IsAncestorOrSelf(pool, level->Item(row), target))
                continue;
            level->highlighted = row;
            level->itemToOpen = row;
            if (row >= level->visibleRows) {
                // Scrolled so that it is the last visible row, or the one above the down arrow row.
                int32_t first = row - level->visibleRows + 1 + (row != level->ItemCount() - 1 ? 1 : 0);
                level->firstVisible = std::clamp(first, 0, std::max(0, level->ItemCount() - level->visibleRows));
            }
            break;
        }
    }
    FitRectInRect(frame, screen);
    level->SetFrameRect(frame);
    if (level->itemToOpen >= 0)
        level->openPoint = Point{ClampCoordinate(level->RowTop(level->itemToOpen)), ClampCoordinate(frame.right - 7)};
    level->Invalidate();
    if (level->itemToOpen >= 0 && level->Item(level->itemToOpen) != target && level->ItemHasChildren(level->itemToOpen))
        OpenLevel(level->openPoint, *level->Item(level->itemToOpen), target);
}

void ComponentPopup::Key(int32_t key, int64_t now)
{
    if (levels.empty())
        return;
    ComponentPopupLevel& last = Last();
    if (key == 28) {
        if (levels.size() > 1)
            CloseFrom(LevelCount() - 1);
        return;
    }
    if (last.ItemCount() == 0)
        return;
    if (last.highlighted < 0 && (key == 30 || key == 31 || key == 29)) {
        last.SetHighlight(0, now);
        if (key != 29)
            return;
    }
    switch (key) {
    case 30: last.SetHighlight(std::max(0, last.highlighted - 1), now); break;
    case 31: last.SetHighlight(std::min(last.ItemCount() - 1, last.highlighted + 1), now); break;
    case 29:
        if (last.ItemHasChildren(last.highlighted))
            OpenLevel(Point{ClampCoordinate(last.RowTop(last.highlighted)), ClampCoordinate(last.frame.right - 7)},
                      *last.Item(last.highlighted), nullptr);
        break;
    default:
        if (key >= 32)
            last.TypeAhead(uint32_t(key), now);
        break;
    }
}

int32_t ComponentPopup::LevelAt(Point point) const
{
    for (int32_t i = LevelCount() - 1; i >= 0; --i)
        if (IsPointInRect(point, levels[size_t(i)]->frame))
            return i;
    return -1;
}

void ComponentPopup::Hover(int32_t index, Point point, bool release, int64_t now)
{
    ComponentPopupLevel& level = Level(index);
    const bool hasChild = index + 1 < LevelCount();
    if (hasChild && release)
        return;
    const int32_t row = level.RowAt(point);
    if (now - level.lastScrollTime < kPopupScrollPauseMs) {
        // Just scrolled: the row under the pointer is not what the user aimed at.
        level.SetHighlight(-1, now);
        return;
    }
    level.SetHighlight(row, now);
    if (row < 0 || release)
        return;
    if (!hasChild) {
        if (now - level.lastHighlightTime >= kPopupSubmenuDelayMs && level.ItemHasChildren(row))
            OpenLevel(Point{ClampCoordinate(level.RowTop(row)), ClampCoordinate(level.frame.right - 7)}, *level.Item(row),
                      nullptr);
    } else {
        Level(index + 1).SetHighlight(-1, now);
    }
}

bool ComponentPopup::AutoScroll(Point point, int64_t now)
{
    if (levels.empty())
        return false;
    ComponentPopupLevel& last = Last();
    if (point.h < last.frame.left || point.h >= last.frame.right)
        return false;
    if (now - last.lastScrollTime < kPopupScrollPauseMs)
        return false;
    const int32_t rowsTop = last.frame.top + last.titleHeight;
    if (point.v < rowsTop && last.firstVisible > 0) {
        last.ScrollBy(-(3 + (rowsTop - point.v) / 5), now);
        return true;
    }
    if (point.v >= last.frame.bottom && last.HasDownArrow()) {
        last.ScrollBy((point.v - last.frame.bottom) / 5 + 3, now);
        return true;
    }
    return false;
}

std::string ComponentPopup::ChosenCode(int32_t index) const
{
    for (int32_t i = std::min(index, LevelCount() - 1); i >= 0; --i) {
        const ComponentPopupLevel& level = Level(i);
        if (level.highlighted >= 0)
            return ComponentCodeOf(*level.Item(level.highlighted));
    }
    return {};
}

// --- RunComponentPopup ----------------------------------------------------------------------------

void RunComponentPopup(String& result, Base& base, int32_t dimension, const Component* target, Point point, Pane& pane,
                       const InputEvent& event)
{
    result.Truncate(0);
    Window* window = pane.GetWindow();
    if (window == nullptr)
        return;
    MouseTracker tracker;
    tracker.Begin(event, pane);
    if (!tracker.tracking)
        return;
    // The levels are panes of the window, so the tracker's screen area is cut to the window's.
    Rect screen = tracker.bounds;
    ShiftRect(screen, pane.WindowOffset().h, pane.WindowOffset().v);
    screen = IntersectRects(screen, window->Bounds());
    OutsetRect(screen, -2);
    SetCursorById(kPopupCursor);
    ComponentPopup popup(base, dimension, pane, screen);
    const Point offset = pane.WindowOffset();
    popup.Open(Point{ClampCoordinate(point.v + offset.v), ClampCoordinate(point.h + offset.h)}, target);
    std::string chosen;
    bool pointerInLevel = false;
    InputEvent next = event;
    const Point origin{ClampCoordinate(window->Position().v + offset.v), ClampCoordinate(window->Position().h + offset.h)};
    while (tracker.tracking && popup.LevelCount() > 0) {
        next.WaitNext(kWaitMouse | kWaitKey | kWaitRefreshModifiers);
        next.point = Point{ClampCoordinate(next.point.v - origin.v), ClampCoordinate(next.point.h - origin.h)};
        tracker.Step(next, !chosen.empty());
        const Point inWindow{ClampCoordinate(next.point.v + offset.v), ClampCoordinate(next.point.h + offset.h)};
        const int32_t over = popup.LevelAt(inWindow);
        pointerInLevel = over >= 0;
        if (!next.anyButton || !tracker.dragging) {
            // Keyboard mode: the button was released inside the popup or never held.
            if (next.key == 28) {
                if (popup.LevelCount() > 1)
                    popup.CloseFrom(popup.LevelCount() - 1);
            } else if (next.key != 0) {
                popup.Key(next.key, next.time);
            } else if (next.anyButton && over == popup.LevelCount() - 1) {
                popup.Hover(over, inWindow, false, next.time);
                chosen = popup.ChosenCode(over);
                pointerInLevel = true;
                break;
            }
            chosen = popup.ChosenCode(popup.LevelCount() - 1);
            if (next.key != 0)
                pointerInLevel = true;
            continue;
        }
        if (!popup.AutoScroll(inWindow, next.time) && over >= 0) {
            popup.Hover(over, inWindow, false, next.time);
            chosen = popup.ChosenCode(over);
        }
    }
    if (pointerInLevel && !tracker.cancelled && popup.LevelCount() > 0) {
        chosen = popup.ChosenCode(popup.LevelCount() - 1);
        result.AssignBytes(chosen);
    }
    popup.CloseFrom(0);
}

}  // namespace vek
