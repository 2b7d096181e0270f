// GridView: keys, the wheel, clicks and the selection tracking loop.
#include "gui/lists/GridView.h"

#include <algorithm>

#include "foundation/services/Clock.h"
#include "gui/Window.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/ScrollBar.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// Automatic scrolling while the pointer is outside the rows: the first step waits this long, later
// steps the second.
constexpr int64_t kAutoScrollFirstMs = 250;
constexpr int64_t kAutoScrollNextMs = 100;

enum GridKey : int32_t {
    kKeyHome = 1,
    kKeyEnter = 3,
    kKeyEnd = 4,
    kKeyBackspace = 8,
    kKeyPageUp = 11,
    kKeyPageDown = 12,
    kKeyReturn = 13,
    kKeyDeleteForward = 25,
    kKeyLeft = 28,
    kKeyRight = 29,
    kKeyUp = 30,
    kKeyDown = 31,
    kKeySpace = 32,
};

}  // namespace

void GridView::OpenRow(int32_t row, InputEvent* event)
{
    RowRequest request;
    InitRowRequest(request, RowRequestKind::Open);
    request.row = row;
    request.event = event;
    Ask(request);
}

int32_t GridView::KeyDown(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::KeyDown(event, pane))
        return taken;
    if (pane != this || !IsEnabled())
        return 0;
    const int32_t count = scrollBar->RowCount();
    if (count <= 0)
        return 1;
    const int32_t key = event.key;
    if (key <= 0 || key > kKeySpace)
        return 0;
    switch (key) {
    case kKeyHome:
        DeselectAll();
        SelectOnlyRow(0);
        ScrollCurrentRowIntoView();
        return 1;
    case kKeyEnd:
        DeselectAll();
        SelectOnlyRow(count - 1);
        ScrollCurrentRowIntoView();
        return 1;
    case kKeyEnter:
    case kKeyReturn:
    case kKeySpace:
        if (IsRowSelected(currentRow))
            OpenRow(currentRow, &event);
        return 1;
    case kKeyBackspace:
    case kKeyDeleteForward:
        if (IsRowSelected(currentRow)) {
            RowRequest request;
            InitRowRequest(request, RowRequestKind::Delete);
            request.row = currentRow;
            request.event = &event;
            Ask(request);
        }
        return 1;
    case kKeyPageUp:
        if (scrollBar->FirstRow() > 0)
            scrollBar->ShowRowAtBottom(scrollBar->FirstRow() - 1);
        return 1;
    case kKeyPageDown:
        if (scrollBar->LastRow() < count - 1)
            scrollBar->SetFirstRow(scrollBar->LastRow() + 1);
        return 1;
    case kKeyLeft: DeselectAll(); return 1;
    case kKeyRight:
        if (currentRow >= 0 && !IsRowSelected(currentRow))
            SetRowSelected(currentRow, true);
        return 1;
    case kKeyUp:
    case kKeyDown: {
        const bool up = key == kKeyUp;
        int32_t target;
        if (currentRow < 0) {
            target = scrollBar->FirstRow();
        } else {
            target = currentRow + (up ? -1 : 1);
            if (target < 0 || target >= count)
                return 1;
        }
        if (!event.shift) {
            SelectOnlyRow(target);
        } else if (firstSelected >= 0 && anchorRow >= 0 && (up ? target >= anchorRow : target <= anchorRow)) {
            // Back towards the anchor: the range shrinks by the row left behind.
            SetRowSelected(up ? target + 1 : target - 1, false);
            currentRow = target;
        } else {
            SetRowSelected(target, true);
        }
        ScrollCurrentRowIntoView();
        return 1;
    }
    default: return 0;
    }
}

int32_t GridView::Wheel(InputEvent& event, int32_t lines)
{
    if (event.command) {
        const int32_t step = -std::clamp(lines, -1, 1);
        if (step != 0) {
            MoveCurrentRow(step);
            ScrollCurrentRowIntoView();
        }
        return 1;
    }
    return scrollBar->Wheel(event, lines);
}

int32_t GridView::Click(InputEvent& event, Pane* pane)
{
    inBaseClick = true;
    const int32_t taken = Control::Click(event, pane);
    inBaseClick = false;
    if (taken)
        return taken;
    if (pane != this || !CanFocusNow())
        return 0;
    const int32_t row = RowAtPoint(event.point);
    const bool context = IsContextClick(event);
    if (row < 0) {
        if (IsPointInRect(event.point, RowsArea()) && scrollBar->LastRow() < scrollBar->RowCount() - 1) {
            scrollBar->ScrollBy(1);
            if (!event.command && !event.shift)
                SelectOnlyRow(scrollBar->LastRow());
        } else if (!context) {
            DeselectAll();
        }
        // A context click on no row would run the pane's pop-up menu, which this library leaves to
        // the windows that have one.
        return 1;
    }
    RowRequest request;
    InitRowRequest(request, RowRequestKind::Click);
    request.row = row;
    request.event = &event;
    request.answer = IsRowSelected(row) ? 1 : 0;
    Ask(request);
    if (request.handled)
        return 1;
    if (event.doubleClick && IsRowSelected(row)) {
        OpenRow(row, &event);
        return 1;
    }
    if (context) {
        if (!IsRowSelected(row))
            SelectOnlyRow(row);
        return 1;
    }
    bool state = true;
    if (event.command)
        state = !IsRowSelected(row);
    if (!event.shift || anchorRow < 0) {
        if (!event.command)
            SelectOnlyRow(row);
        anchorRow = row;
        if (state)
            SetRowSelected(row, true);
        else {
            SetRowSelected(row, false);
            currentRow = row;
        }
        TrackSelection(event, row, state);
    } else {
        const int32_t from = currentRow >= 0 ? currentRow : anchorRow;
        WalkRange(from, row, true);
        TrackSelection(event, row, true);
    }
    return 1;
}

void GridView::WalkRange(int32_t from, int32_t to, bool rangeState)
{
    // One row at a time: rows between the anchor and the walk's position take the range state, rows
    // the walk leaves outside that span are deselected; the current row follows the walk.
    auto inRange = [&](int32_t row, int32_t end) { return row >= std::min(anchorRow, end) && row <= std::max(anchorRow, end); };
    const int32_t step = to > from ? 1 : -1;
    if (from == to) {
        SetRowSelected(to, rangeState);
        currentRow = to;
        return;
    }
    for (int32_t row = from; row != to;) {
        const int32_t next = row + step;
        if (!inRange(row, next))
            SetRowSelected(row, false);
        if (inRange(next, next) && IsRowSelected(next) != rangeState)
            SetRowSelected(next, rangeState);
        currentRow = next;
        row = next;
    }
}

void GridView::TrackSelection(InputEvent& event, int32_t row, bool rangeState)
{
    int32_t lastRowSeen = row;
    int64_t nextScroll = 0;
    int64_t outsideSince = -1;
    InputEvent tracked = event;
    while (tracked.WaitMouseStillDown()) {
        const Point local = TrackedPointToLocal(*this, tracked.point);
        int32_t now = RowAtPoint(local);
        const int64_t time = tracked.time;
        if (now >= 0) {
            outsideSince = -1;
        } else if (local.v < 0 || local.v >= bounds.bottom) {
            if (outsideSince < 0) {
                outsideSince = time;
                nextScroll = time + kAutoScrollFirstMs;
            }
            if (time >= nextScroll) {
                nextScroll = time + kAutoScrollNextMs;
                if (local.v < 0 && scrollBar->FirstRow() > 0) {
                    scrollBar->ScrollBy(-1);
                    now = scrollBar->FirstRow();
                } else if (local.v >= bounds.bottom && scrollBar->LastRow() < scrollBar->RowCount() - 1) {
                    scrollBar->ScrollBy(1);
                    now = scrollBar->LastRow();
                }
            }
        }
        if (now >= 0 && now != lastRowSeen) {
            WalkRange(lastRowSeen, now, rangeState);
            lastRowSeen = now;
            window->Update();
        }
    }
}

}  // namespace vek
