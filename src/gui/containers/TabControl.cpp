// TabControl: tab layout, selection, keys, click tracking, drawing and the scrolling page.
#include "gui/containers/TabControl.h"

#include <algorithm>
#include <numeric>

#include "gui/DrawingRoutines.h"
#include "gui/Window.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/ScrollBar.h"
#include "drawing/Shapes.h"
#include "drawing/Theme.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kMinimumTabWidth = 12;
constexpr int32_t kIconAllowance = 8;
constexpr int32_t kTabGap = 11;
constexpr int32_t kFirstTabLeft = 10;
constexpr int32_t kMostOverlap = -23;

enum TabKey : int32_t { kTabHome = 1, kTabEnd = 4, kTabPageUp = 11, kTabPageDown = 12, kTabEscape = 27, kTabLeft = 28, kTabRight = 29 };

}  // namespace

TabControl::TabControl(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t count, int32_t initial, bool finish)
    : Control(kKindTabControl, enclosure, frame, id), tabCount(std::max(count, 0)), initialTab(initial), scroller(*this, 0)
{
    tabRects.resize(size_t(tabCount));
    if (finish)
        FinishConstruction();
}

TabControl::~TabControl() { PrepareDestruction(); }

void TabControl::DescribeTab(TabNotice& notice, int32_t index)
{
    notice = TabNotice{};
    notice.kind = TabNoticeKind::Describe;
    notice.control = this;
    notice.index = index;
    TabNotify(notice);
    if (!notice.text || !*notice.text)
        notice.enabled = 0;
}

bool TabControl::IsTabEnabled(int32_t index)
{
    TabNotice notice;
    DescribeTab(notice, index);
    return notice.enabled != 0;
}

void TabControl::SetTabCount(int32_t count)
{
    tabCount = std::max(count, 0);
    tabRects.assign(size_t(tabCount), Rect{});
    if (currentTab >= tabCount)
        currentTab = -1;
    LayoutTabs(true);
    InvalidateRect(StripRect(), 0);
}

void TabControl::LayoutTabs(bool invalidate)
{
    const int32_t n = tabCount;
    tabRects.resize(size_t(n));
    if (n == 0)
        return;
    const int32_t w = bounds.Width();
    std::vector<int32_t> widths(static_cast<size_t>(n));
    std::vector<int32_t> allowances(static_cast<size_t>(n));
    int64_t overflow = int64_t(kTabGap) * n - w + 9;
    for (int32_t i = 0; i < n; ++i) {
        TabNotice notice;
        DescribeTab(notice, i);
        const int32_t text = notice.text && *notice.text ? MeasureTextWidthInStyle(textStyle, notice.text) + 1 : 0;
        widths[size_t(i)] = std::max(text, kMinimumTabWidth);
        allowances[size_t(i)] = notice.icon != 0 ? kIconAllowance : 0;
        overflow += widths[size_t(i)] + allowances[size_t(i)];
    }
    // Shrink the widest tabs other than the current one, one pixel at a time.
    if (n > 1) {
        while (overflow > 0) {
            int32_t widest = -1;
            for (int32_t i = 0; i < n; ++i)
                if (i != currentTab && widths[size_t(i)] > kMinimumTabWidth &&
                    (widest < 0 || widths[size_t(i)] > widths[size_t(widest)]))
                    widest = i;
            if (widest < 0)
                break;
            // Down to the next widest in one step: the same result as pixel by pixel, where ties
            // take turns.
            int32_t next = kMinimumTabWidth;
            for (int32_t i = 0; i < n; ++i)
                if (i != currentTab && i != widest)
                    next = std::max(next, std::min(widths[size_t(i)], widths[size_t(widest)]));
            const int64_t take = std::min<int64_t>(overflow, std::max(widths[size_t(widest)] - next, 1));
            widths[size_t(widest)] -= int32_t(take);
            overflow -= take;
        }
    }
    int32_t spacing = 0;
    if (overflow > 0 && n > 1) {
        spacing = int32_t(-std::min<int64_t>((overflow + n - 2) / (n - 1), -kMostOverlap));
        overflow += int64_t(spacing) * (n - 1);
    }
    if (overflow > 0 && currentTab >= 0)
        widths[size_t(currentTab)] = int32_t(std::max<int64_t>(widths[size_t(currentTab)] - overflow, kMinimumTabWidth));
    int32_t left = kFirstTabLeft;
    for (int32_t i = 0; i < n; ++i) {
        left += allowances[size_t(i)];
        const Rect rect = MakeRect(left, -14, left + widths[size_t(i)], -2);
        Rect& slot = tabRects[size_t(i)];
        if (invalidate && !RectsEqual(slot, rect)) {
            Rect before = slot;
            OutsetRectHV(before, 6, 3);
            InvalidateRect(before, kInvalidateShape);
            Rect after = rect;
            OutsetRectHV(after, 6, 3);
            InvalidateRect(after, kInvalidateShape);
        }
        slot = rect;
        left = rect.right + kTabGap + spacing;
    }
}

Rect TabControl::StripRect() const { return MakeRect(-2, -18, bounds.right + 4, 0); }

void TabControl::SelectTab(int32_t index)
{
    if (index == currentTab || index >= tabCount)
        return;
    const int32_t previous = currentTab;
    currentTab = index < 0 ? -1 : index;
    if (window)
        if (Control* focused = window->FocusedControl())
            focused->CommitEdit();
    TabNotice notice;
    notice.kind = TabNoticeKind::Selected;
    notice.control = this;
    notice.index = currentTab;
    notice.previous = previous;
    TabNotify(notice);
    LayoutTabs(true);
    if (previous >= 0 && currentTab >= 0) {
        Rect both = tabRects[size_t(previous)];
        UnionRectInto(both, tabRects[size_t(currentTab)]);
        OutsetRectHV(both, 6, 3);
        InvalidateRect(both, kInvalidateShape);
    }
    InvalidateRect(StripRect(), kInvalidateShape);
    Invalidate();
}

void TabControl::Step(int32_t delta)
{
    if (tabCount <= 0)
        return;
    int32_t index;
    int32_t direction;
    if (delta < -1) {
        index = 0;
        direction = 1;
    } else if (delta > 1) {
        index = tabCount - 1;
        direction = -1;
    } else {
        direction = delta < 0 ? -1 : 1;
        index = (currentTab < 0 ? (direction > 0 ? -1 : tabCount) : currentTab) + direction;
    }
    for (; index >= 0 && index < tabCount; index += direction)
        if (IsTabEnabled(index)) {
            SelectTab(index);
            return;
        }
}

void TabControl::SetScrollable(bool flag)
{
    if (flag == scrollable)
        return;
    scrollable = flag;
    if (scrollable)
        scroller.Update();
    else
        scroller.Remove();
}

int32_t TabControl::TabAtPoint(Point point)
{
    auto hits = [&](int32_t index) {
        Rect rect = tabRects[size_t(index)];
        OutsetRect(rect, 3);
        return IsPointInRect(point, rect) && IsTabEnabled(index);
    };
    for (int32_t i = currentTab + 1; i < tabCount; ++i)
        if (hits(i))
            return i;
    for (int32_t i = 0; i < std::min(currentTab, tabCount); ++i)
        if (hits(i))
            return i;
    return -1;
}

int32_t TabControl::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    if (!IsEnabled() || pane != this)
        return 0;
    const int32_t tab = TabAtPoint(event.point);
    if (tab < 0)
        return 0;
    Rect area = tabRects[size_t(tab)];
    OutsetRect(area, 3);
    InputEvent tracked = event;
    Point local = event.point;
    do {
        const int32_t now = IsPointInRect(local, area) ? tab : -1;
        if (now != pressedTab) {
            pressedTab = now;
            Rect redraw = area;
            OutsetRectHV(redraw, 3, 0);
            InvalidateRect(redraw, kInvalidateShape | kInvalidateNow);
        }
        if (!tracked.WaitMouseStillDown())
            break;
        local = TrackedPointToLocal(*this, tracked.point);
    } while (true);
    const bool chosen = IsPointInRect(TrackedPointToLocal(*this, tracked.point), area) || pressedTab == tab;
    pressedTab = -1;
    if (chosen)
        SelectTab(tab);
    return 1;
}

int32_t TabControl::KeyDown(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::KeyDown(event, pane))
        return taken;
    if (!IsFocused())
        return 0;
    switch (event.key) {
    case kTabHome: Step(-2); return 1;
    case kTabEnd: Step(2); return 1;
    case kTabPageUp:
    case kTabLeft: Step(-1); return 1;
    case kTabPageDown:
    case kTabRight: Step(1); return 1;
    case kTabEscape:
        if (window)
            window->ClearFocusedControl();
        return 1;
    default: return 0;
    }
}

int32_t TabControl::Wheel(InputEvent& event, int32_t lines)
{
    if (int32_t taken = Control::Wheel(event, lines))
        return taken;
    return scroller.Wheel(event, lines);
}

CommandTarget* TabControl::ScrollChanged(ScrollNotice& record)
{
    if (scroller.Handle(record))
        return this;
    return Control::ScrollChanged(record);
}

void TabControl::ApplyInitialTab()
{
    if (initialTab < 0)
        return;
    const int32_t tab = initialTab;
    initialTab = -1;
    SelectTab(tab);
}

CommandTarget* TabControl::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyOpened:
        LayoutTabs(false);
        ApplyInitialTab();
        if (scrollable)
            scroller.Update();
        break;
    case kNotifyClosing: currentTab = -1; break;
    case kNotifyEnabled: InvalidateRegion(controlRegion, 0); break;
    case kNotifyKeyboardFocus: {
        Rect ring = bounds;
        OutsetRect(ring, 1);
        Region area(ring);
        SubtractRectFromRegion(area, bounds);
        InvalidateRegion(area, 0);
        InvalidateRect(StripRect(), kInvalidateShape);
        break;
    }
    case kNotifyGlobalSetting:
        LayoutTabs(true);
        InvalidateRect(StripRect(), kInvalidateShape);
        break;
    default: break;
    }
    return answer;
}

void TabControl::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyOpened)
        ApplyInitialTab();
}

void TabControl::ChildChanged(int32_t code, Pane* child)
{
    Control::ChildChanged(code, child);
    if (code == kNotifyVisibility && scrollable && child && child->Kind() != kKindScrollBar)
        scroller.Update();
}

void TabControl::Resized(int32_t dw, int32_t dh)
{
    Control::Resized(dw, dh);
    if (dw != 0) {
        RebuildShape(0);
        LayoutTabs(true);
    }
    scroller.Resized(dw, dh);
}

void TabControl::Draw()
{
    TabNotice notice;
    notice.kind = TabNoticeKind::DrawPage;
    notice.control = this;
    notice.index = currentTab;
    TabNotify(notice);
}

void TabControl::DrawOneTab(int32_t index)
{
    TabNotice notice;
    DescribeTab(notice, index);
    int32_t state = IsEnabled() && notice.enabled ? 1 : 0;
    if (state && index == currentTab)
        state = ShowsFocus() ? 3 : 2;
    if (state && index == pressedTab)
        state = 4;
    DrawTabWithTitle(tabRects[size_t(index)], notice.text ? notice.text : "", state);
}

void TabControl::DrawFrame()
{
    Rect page = bounds;
    OutsetRect(page, 2);
    UseColourIndices(6, backColour);
    FrameRectWidth(page, 1);
    Rect inner = page;
    OutsetRect(inner, -1);
    UseColourIndices(4, backColour);
    DrawTopLeftEdges(inner);
    UseColourIndices(0, backColour);
    DrawBottomRightEdges(inner);
    UseColourIndices(10, backColour);
    for (int32_t i = 0; i < std::min(currentTab, tabCount); ++i)
        DrawOneTab(i);
    for (int32_t i = tabCount - 1; i > currentTab && i >= 0; --i)
        DrawOneTab(i);
    if (currentTab >= 0 && currentTab < tabCount)
        DrawOneTab(currentTab);
}

void TabControl::BuildShape()
{
    Rect shape = bounds;
    OutsetRect(shape, 2);
    shape.top = ClampCoordinate(shape.top - 16);
    controlRegion.SetRect(shape);
}

}  // namespace vek
