// TableWindow: hit testing, cell rectangles, the cell cursor and its selection, keys and clicks.
#include "docwindows/table/TableWindow.h"

#include <algorithm>

#include "docwindows/table/CellEditField.h"
#include "docwindows/table/GridBodyView.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/ScrollBar.h"

namespace vek {

namespace {

// Key codes of the arrow keys and of Return and Enter.
constexpr int32_t kGridKeyLeft = 28;
constexpr int32_t kGridKeyRight = 29;
constexpr int32_t kGridKeyUp = 30;
constexpr int32_t kGridKeyDown = 31;

Rect TableRectFrom(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    // Cells far right of a wide table or far below lie beyond 16 bits: clamped, they stay off screen
    // instead of wrapping around onto it.
    return Rect{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(bottom), ClampCoordinate(right)};
}

}  // namespace

// --- geometry -----------------------------------------------------------------------------------------

int32_t TableWindow::RowAtPoint(Point point)
{
    if (bodyView == nullptr || !IsPointInRect(point, bodyView->Bounds()))
        return -1;
    int32_t bottom = 0;
    for (int32_t row = GetVerticalScroll(); row < rowCount; ++row) {
        bottom += std::max(GetRowHeight(row), 1);
        if (point.v < bottom)
            return row;
    }
    return -1;
}

int32_t TableWindow::ColumnAtPoint(Point point, int32_t)
{
    const int32_t x = int32_t(point.h) + GetHorizontalScroll();
    for (const ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        if (column->left <= x && x < column->right)
            return column->index;
    }
    return -1;
}

int32_t TableWindow::LastVisibleRow()
{
    const int32_t height = BodyHeight();
    int32_t top = 0;
    int32_t row = GetVerticalScroll();
    for (; row < rowCount; ++row) {
        top += std::max(GetRowHeight(row), 1);
        if (top >= height)
            return row;
    }
    return rowCount - 1;
}

Rect TableWindow::GetCellRect(int32_t row, int32_t column)
{
    const int32_t first = GetVerticalScroll();
    if (row < first || row >= rowCount)
        return Rect{};
    // Rows have no stored positions: the top is summed from the first visible row, and a row past the
    // bottom of the body stops the sum (what is below is not on screen).
    const int32_t height = BodyHeight();
    int32_t top = 0;
    for (int32_t r = first; r < row; ++r) {
        top += std::max(GetRowHeight(r), 1);
        if (top > height)
            return Rect{};
    }
    const int32_t bottom = top + std::max(GetRowHeight(row), 1);
    if (column < 0)
        return TableRectFrom(0, top, std::max(BodyWidth(), ContentWidth() - GetHorizontalScroll()), bottom);
    const ColumnHeader* header = FindColumn(column);
    if (header == nullptr)
        return Rect{};
    const int32_t scroll = GetHorizontalScroll();
    return TableRectFrom(header->left - scroll, top, header->right - scroll, bottom);
}

Rect TableWindow::GetRangeRect(const SelectionRange& selection)
{
    Rect rect = GetCellRect(selection.firstRow, selection.firstColumn);
    const Rect last = GetCellRect(selection.lastRow, selection.lastColumn);
    if (rect.IsEmpty())
        return last;
    if (!last.IsEmpty())
        UnionRectInto(rect, last);
    return rect;
}

void TableWindow::ScrollCellIntoView(int32_t row, int32_t column)
{
    if (verticalBar != nullptr && row >= 0 && row < rowCount) {
        const int32_t first = GetVerticalScroll();
        if (row < first) {
            verticalBar->SetFirstRow(row);
        } else {
            // Wholly visible: the row's bottom inside the body.
            const int32_t height = BodyHeight();
            int32_t bottom = 0;
            for (int32_t r = first; r <= row && bottom <= height; ++r)
                bottom += std::max(GetRowHeight(r), 1);
            if (bottom > height)
                verticalBar->ShowRowAtBottom(row);
        }
    }
    const ColumnHeader* header = FindColumn(column);
    if (horizontalBar != nullptr && header != nullptr) {
        const int32_t scroll = GetHorizontalScroll();
        const int32_t width = BodyWidth();
        if (header->left < scroll)
            horizontalBar->SetFirstRow(header->left);
        else if (header->right > scroll + width)
            horizontalBar->SetFirstRow(std::min(header->left, header->right - width));
    }
}

void TableWindow::InvalidateRowRange(int32_t first, int32_t last)
{
    if (bodyView == nullptr)
        return;
    first = std::max(first, GetVerticalScroll());
    last = std::min(last, LastVisibleRow());
    if (first > last)
        return;
    Rect rect = GetCellRect(first, -1);
    const Rect end = GetCellRect(last, -1);
    if (!end.IsEmpty())
        UnionRectInto(rect, end);
    bodyView->InvalidateRect(rect, 0);
}

// --- the cell cursor ----------------------------------------------------------------------------------

bool TableWindow::IsInSelectionRange(int32_t row, int32_t column) const
{
    if (anchor.row < 0 || cursor.row < 0)
        return false;
    if (row < std::min(anchor.row, cursor.row) || row > std::max(anchor.row, cursor.row))
        return false;
    if (cursor.column < 0 || anchor.column < 0)
        return true;
    return column >= std::min(anchor.column, cursor.column) && column <= std::max(anchor.column, cursor.column);
}

Rect TableWindow::SelectionBounds(GridCell from, GridCell to)
{
    if (from.row < 0 || to.row < 0)
        return Rect{};
    // Only the visible rows of the range are ever looked at, however many it spans.
    const int32_t firstRow = std::max(std::min(from.row, to.row), GetVerticalScroll());
    const int32_t lastRow = std::min(std::max(from.row, to.row), LastVisibleRow());
    if (firstRow > lastRow)
        return Rect{};
    const bool allColumns = from.column < 0 || to.column < 0;
    Rect rect = GetCellRect(firstRow, allColumns ? -1 : std::min(from.column, to.column));
    const Rect last = GetCellRect(lastRow, allColumns ? -1 : std::max(from.column, to.column));
    if (rect.IsEmpty())
        return last;
    if (!last.IsEmpty())
        UnionRectInto(rect, last);
    return rect;
}

void TableWindow::InvalidateSelectionDifference(GridCell oldAnchor, GridCell oldCursor)
{
    if (bodyView == nullptr)
        return;
    Rect rect = SelectionBounds(oldAnchor, oldCursor);
    const Rect now = SelectionBounds(anchor, cursor);
    if (rect.IsEmpty())
        rect = now;
    else if (!now.IsEmpty())
        UnionRectInto(rect, now);
    if (!rect.IsEmpty())
        bodyView->InvalidateRect(rect, 0);
}

void TableWindow::SelectCell(int32_t row, int32_t column, SelectionExtend extend)
{
    const GridCell target{row, column};
    if (target == cursor && (extend == SelectionExtend::Yes || anchor == cursor))
        return;
    const GridCell oldAnchor = anchor;
    const GridCell oldCursor = cursor;
    if (row >= 0 && column >= 0 && !IsCellSelectable(row, column)) {
        if (extend == SelectionExtend::No) {
            cursor = anchor = GridCell{};
            InvalidateSelectionDifference(oldAnchor, oldCursor);
        }
        return;
    }
    if (row < 0) {
        cursor = anchor = GridCell{};
    } else {
        cursor = target;
        if (extend == SelectionExtend::No || anchor.row < 0)
            anchor = cursor;
    }
    InvalidateSelectionDifference(oldAnchor, oldCursor);
}

int32_t TableWindow::FirstSelectableColumn(int32_t row)
{
    for (int32_t column = 0; column < columnCount; ++column) {
        if (IsCellSelectable(row, column))
            return column;
    }
    return -1;
}

bool TableWindow::PlaceCursorAtFirstCell()
{
    // From the first visible row on: a grid whose visible rows hold nothing selectable searches on, but
    // a page at a time would do as well; the rows below are asked one by one.
    for (int32_t row = GetVerticalScroll(); row < rowCount; ++row) {
        const int32_t column = FirstSelectableColumn(row);
        if (column >= 0) {
            SelectCell(row, column, SelectionExtend::No);
            ScrollCellIntoView(row, column);
            return true;
        }
    }
    return false;
}

int32_t TableWindow::MoveCursorByKey(int32_t key, SelectionExtend extend)
{
    if (cursor.row < 0 || cursor.column < 0) {
        PlaceCursorAtFirstCell();
        return 1;
    }
    GridCell target = cursor;
    switch (key) {
    case kGridKeyLeft: target.column = std::max(cursor.column - 1, 0); break;
    case kGridKeyRight: target.column = std::min(cursor.column + 1, columnCount - 1); break;
    case kGridKeyUp: target.row = std::max(cursor.row - 1, 0); break;
    case kGridKeyDown: target.row = std::min(cursor.row + 1, rowCount - 1); break;
    default: return 0;
    }
    if (target == cursor) {
        // A move that would leave the grid only brings the cursor back into view.
        ScrollCellIntoView(cursor.row, cursor.column);
        return 1;
    }
    if (!IsCellSelectable(target.row, target.column))
        target.column = FirstSelectableColumn(target.row);
    if (target.column < 0) {
        ScrollCellIntoView(cursor.row, cursor.column);
        return 1;
    }
    SelectCell(target.row, target.column, extend);
    ScrollCellIntoView(target.row, target.column);
    return 1;
}

int32_t TableWindow::GridKeyDown(InputEvent& event)
{
    const int32_t key = event.key;
    if (keyMode == GridKeyMode::Cells) {
        if (key >= kGridKeyLeft && key <= kGridKeyDown)
            return MoveCursorByKey(key, event.shift ? SelectionExtend::Yes : SelectionExtend::No);
        return 0;
    }
    if (keyMode == GridKeyMode::Rows) {
        if ((key == kGridKeyUp || key == kGridKeyDown) && rowCount > 0) {
            const int32_t current = std::max(editPosition.row, 0);
            const int32_t row = key == kGridKeyUp ? std::max(current - 1, 0) : std::min(current + 1, rowCount - 1);
            const int32_t column = std::max(editPosition.column, 0);
            BeginCellEdit(row, column);
            ScrollCellIntoView(row, column);
            return 1;
        }
    }
    return 0;
}

// --- clicks -------------------------------------------------------------------------------------------

int32_t TableWindow::GridClick(InputEvent& event)
{
    const int32_t row = RowAtPoint(event.point);
    const int32_t column = row >= 0 ? ColumnAtPoint(event.point, row) : -1;
    if (keyMode == GridKeyMode::Rows) {
        if (row >= 0 && column >= 0 && IsCellSelectable(row, column))
            BeginCellEdit(row, column);
        return 1;
    }
    if (row < 0 || column < 0) {
        if (keyMode == GridKeyMode::Cells && !event.shift)
            ClearCellSelection();
        return 1;
    }
    // A context click (Ctrl, the secondary button or the control key) acts on the selection it lands
    // in; outside it, it first makes the clicked cell the selection.
    if (keyMode == GridKeyMode::Cells && (event.command || IsContextClick(event)) && !event.shift) {
        if (!IsInSelectionRange(row, column))
            SelectCell(row, column, SelectionExtend::No);
        return 1;
    }
    ClickCell(event, row, column, GetClickTool(event));
    return 1;
}

void TableWindow::TrackCellSelection(InputEvent& event)
{
    while (event.WaitMouseStillDown()) {
        const Point local = TrackedPointToLocal(*bodyView, event.point);
        const int32_t row = RowAtPoint(local);
        const int32_t column = row >= 0 ? ColumnAtPoint(local, row) : -1;
        if (row >= 0 && column >= 0)
            SelectCell(row, column, SelectionExtend::Yes);
    }
}

void TableWindow::ClickCell(InputEvent& event, int32_t row, int32_t column, int32_t tool)
{
    if (tool == kSelectCellsTool && !event.doubleClick) {
        SelectCell(row, column, event.shift ? SelectionExtend::Yes : SelectionExtend::No);
        TrackCellSelection(event);
        return;
    }
    ClearCellSelection();
    range = SelectionRange{};
    range.anchor = GridCell{row, column};
    range.state = kNothingSelectable;
    MakeSelectionRange(range);
    if (range.state == kNothingSelectable) {
        range = SelectionRange{};
        return;
    }
    if (event.doubleClick) {
        range = SelectionRange{};
        DoubleClickCell(row, column);
        return;
    }
    range.active = true;
    GridCell last{row, column};
    bool inside = true;
    while (event.WaitMouseStillDown()) {
        const Point local = TrackedPointToLocal(*bodyView, event.point);
        inside = IsPointInRect(local, GetRangeRect(range));
        if (!inside)
            continue;
        const int32_t r = RowAtPoint(local);
        const int32_t c = r >= 0 ? ColumnAtPoint(local, r) : -1;
        if (r >= 0 && c >= 0 && !(GridCell{r, c} == last)) {
            last = GridCell{r, c};
            ExtendSelectionRange(range, r, c);
        }
    }
    range = SelectionRange{};
    if (inside)
        DoubleClickCell(last.row, last.column);
}

}  // namespace vek
