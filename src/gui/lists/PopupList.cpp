// PopupButton: the pop-up list: its geometry on the screen, drawing, scrolling, tracking and choice.
#include "gui/lists/PopupButton.h"

#include <algorithm>

#include "foundation/services/Clock.h"
#include "gui/DrawingRoutines.h"
#include "gui/Window.h"
#include "gui/lists/ListSupport.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/Shapes.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

constexpr int32_t kListCursor = 50;
constexpr int32_t kListTextIndent = 10;
constexpr int32_t kCheckIndent = 4;
// Scrolling by holding the pointer above or below: at once, then 300 ms, then every 80 ms.
constexpr int64_t kFirstScrollDelayMs = 300;
constexpr int64_t kNextScrollDelayMs = 80;
// The chosen row blinks off, comes back after 60 ms, and the list closes 140 ms after the release.
constexpr int64_t kBlinkMs = 60;
constexpr int64_t kCloseMs = 140;

enum ListKey : int32_t { kListKeyEnter = 3, kListKeyReturn = 13, kListKeyEscape = 27, kListKeyUp = 30, kListKeyDown = 31 };

}  // namespace

void PopupButton::ComputeListGeometry(PopupItemRecord& list, const Rect& screen)
{
    list.rowHeight = std::max(popupRect.Height() - 2, 1);
    int32_t width = popupRect.Width();
    for (int32_t index = 0; index < itemCount; ++index) {
        PopupItemRecord item;
        InitItemRecord(item);
        GetItemInfo(item, index);
        width = std::max(width, MeasureContent(item) + 15 + kListTextIndent);
    }
    // The popup rectangle on the screen.
    Point origin = windowOffset;
    if (window) {
        origin.v = ClampCoordinate(origin.v + window->Position().v);
        origin.h = ClampCoordinate(origin.h + window->Position().h);
    }
    const int32_t left = origin.h + popupRect.left + 1;
    const int32_t top = origin.v + popupRect.top + 1 - currentItem * list.rowHeight;
    const int64_t height = int64_t(itemCount) * list.rowHeight;
    Rect rect = MakeRect(left, int32_t(std::max<int64_t>(top, -32768)), left + width,
                         int32_t(std::min<int64_t>(top + height, 32767)));
    Rect area = screen;
    OutsetRect(area, -1);
    const int32_t wantedTop = top;
    FitRectInRectStepped(rect, area, 1, list.rowHeight, KeepVertical::No);
    list.listRect = rect;
    list.visibleRows = std::max(rect.Height() / list.rowHeight, 1);
    list.listRect.bottom = ClampCoordinate(rect.top + list.visibleRows * list.rowHeight);
    // The rows moved with the rectangle: the top row is whichever now lies at its top.
    list.topRow = std::clamp((rect.top - wantedTop) / list.rowHeight, 0, std::max(itemCount - list.visibleRows, 0));
}

void PopupButton::DrawListRow(PopupItemRecord& list, int32_t index)
{
    if (!listImage || index < list.topRow || index >= list.topRow + list.visibleRows)
        return;
    const int32_t top = list.listRect.top + (index - list.topRow) * list.rowHeight;
    const Rect row = MakeRect(list.listRect.left, top, list.listRect.right, top + list.rowHeight);
    PopupItemRecord item;
    InitItemRecord(item);
    GetItemInfo(item, index);
    const bool highlighted = index == list.highlighted && item.enabled;
    UseColourIndices(highlighted ? 24 : item.enabled ? 25 : 6, highlighted ? 23 : listBackColour);
    ClearRect(row);
    if (!item.text && item.icon == 0) {
        DrawEtchedLineInRect(row);
        return;
    }
    if (index == currentItem)
        DrawCheckMark(row.left + kCheckIndent, (row.top + row.bottom) / 2 - 3);
    Rect content = row;
    content.left = ClampCoordinate(row.left + kListTextIndent);
    DrawItemContent(item, content, IsEnabled());
}

void PopupButton::DrawList(PopupItemRecord& list)
{
    if (!listImage)
        return;
    SavedPortState focus;
    PlatformWindowRecord record{list.listRect, DepthRecord{}, listImage.get()};
    FocusPlatformWindow(focus, record, nullptr);
    listImage->SetOrigin(list.listRect.left, list.listRect.top);
    listImage->SetClipRect(list.listRect);
    TextStyle style = textStyle;
    // A centred popup still lists its items from the left.
    if (style.flags & 0x1000)
        style.flags = uint16_t(style.flags & ~0x1000);
    GetDrawingState().view->style = style;
    for (int32_t index = list.topRow; index < std::min(itemCount, list.topRow + list.visibleRows); ++index)
        DrawListRow(list, index);
    RestorePortState(focus);
}

void PopupButton::ScrollList(PopupItemRecord& list, int32_t rows, int64_t now)
{
    if (now - list.lastScrollTime < list.scrollDelay)
        return;
    const int32_t top = std::clamp(list.topRow + rows, 0, std::max(itemCount - list.visibleRows, 0));
    if (top == list.topRow)
        return;
    list.topRow = top;
    list.scrollDelay = list.scrollDelay == 0 ? kFirstScrollDelayMs : kNextScrollDelayMs;
    list.lastScrollTime = now;
    DrawList(list);
}

void PopupButton::HighlightRow(PopupItemRecord& list, int32_t index)
{
    if (index >= 0 && index < itemCount) {
        if (index < list.topRow)
            list.topRow = index;
        else if (index >= list.topRow + list.visibleRows)
            list.topRow = index - list.visibleRows + 1;
    }
    list.highlighted = index;
    DrawList(list);
}

void PopupButton::MoveListHighlight(PopupItemRecord& list, int32_t direction)
{
    int32_t index = list.highlighted < 0 ? (direction > 0 ? -1 : itemCount) : list.highlighted;
    for (index += direction; index >= 0 && index < itemCount; index += direction) {
        PopupItemRecord item;
        InitItemRecord(item);
        GetItemInfo(item, index);
        if (item.enabled) {
            HighlightRow(list, index);
            return;
        }
    }
}

void PopupButton::TrackList(InputEvent& event, bool byMouse)
{
    if (itemCount <= 0)
        return;
    PopupItemRecord list;
    InitItemRecord(list);
    listOpen = true;
    Point origin = windowOffset;
    if (window) {
        origin.v = ClampCoordinate(origin.v + window->Position().v);
        origin.h = ClampCoordinate(origin.h + window->Position().h);
    }
    const Point globalPress{ClampCoordinate(origin.v + event.point.v), ClampCoordinate(origin.h + event.point.h)};
    ComputeListGeometry(list, Service<WindowSystem>::Get().AvailableScreenArea(globalPress));
    listImage = DrawingPort::CreateImage(std::max(list.listRect.Width(), 1), std::max(list.listRect.Height(), 1));
    SetCursorById(kListCursor);
    list.highlighted = byMouse && !IsPointInRect(globalPress, list.listRect) ? -1 : currentItem;
    DrawList(list);

    bool cancelled = false;
    bool releasedInside = true;
    InputEvent tracked = event;
    for (;;) {
        tracked.WaitNext(kWaitMouse | kWaitKey);
        if (tracked.key != 0) {
            if (tracked.key == kListKeyEscape) {
                cancelled = true;
                break;
            }
            if (tracked.key == kListKeyReturn || tracked.key == kListKeyEnter)
                break;
            if (tracked.key == kListKeyUp || tracked.key == kListKeyDown)
                MoveListHighlight(list, tracked.key == kListKeyUp ? -1 : 1);
            else
                TypeSelect(tracked, &list);
            continue;
        }
        const Point pointer = tracked.point;
        const Rect& rect = list.listRect;
        if (pointer.h >= rect.left && pointer.h < rect.right) {
            if (pointer.v < rect.top) {
                if (list.highlighted != -1)
                    HighlightRow(list, -1);
                ScrollList(list, -1, tracked.time);
            } else if (pointer.v >= rect.bottom) {
                ScrollList(list, 1, tracked.time);
            } else {
                const int32_t index = list.topRow + (pointer.v - rect.top) / list.rowHeight;
                PopupItemRecord item;
                InitItemRecord(item);
                GetItemInfo(item, index);
                const int32_t target = item.enabled ? index : -1;
                if (target != list.highlighted)
                    HighlightRow(list, target);
            }
        } else if (list.highlighted != -1) {
            HighlightRow(list, -1);
        }
        if (!tracked.anyButton && (byMouse || tracked.time > event.time)) {
            if (byMouse) {
                releasedInside = IsPointInRect(pointer, rect);
                break;
            }
        }
        if (!byMouse && tracked.anyButton) {
            byMouse = true;  // a click in a list opened by keys ends it at the release
        }
    }
    const int32_t chosen = list.highlighted;
    const bool choice = !cancelled && releasedInside && chosen >= 0 && chosen != currentItem;
    if (choice) {
        const int64_t release = CurrentTimeMs();
        list.highlighted = -1;
        DrawList(list);
        DelayYielding(kBlinkMs - (CurrentTimeMs() - release));
        list.highlighted = chosen;
        DrawList(list);
        DelayYielding(kCloseMs - (CurrentTimeMs() - release));
    }
    listImage.reset();
    listOpen = false;
    Invalidate();
    if (!choice)
        return;
    PopupItemRecord item;
    InitItemRecord(item);
    GetItemInfo(item, chosen);
    if (item.selectable) {
        SelectItem(chosen, 1);
    } else {
        PopupItemRecord record;
        InitItemRecord(record);
        record.kind = PopupItemKind::Chosen;
        record.index = chosen;
        record.current = currentItem;
        PopupNotify(record);
    }
}

}  // namespace vek
