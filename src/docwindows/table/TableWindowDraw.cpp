// TableWindow: drawing the rows and the column titles (called only from the views' Draw).
#include "docwindows/table/TableWindow.h"

#include <algorithm>

#include "docwindows/table/GridBodyView.h"
#include "docwindows/table/GridHeaderView.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"
#include "gui/lists/ListSupport.h"

namespace vek {

namespace {

constexpr int32_t kGridLineColour = 6;
constexpr int32_t kSelectionColour = 23;
constexpr int32_t kSelectedTextColour = 24;
constexpr int32_t kGridCellInset = 2;

void DrawGridLine(int32_t left, int32_t top, int32_t right)
{
    if (right > left)
        FillRectColor(Rect{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(top + 1), ClampCoordinate(right)},
                      kGridLineColour);
}

}  // namespace

void TableWindow::DrawGrid(const Rect& area)
{
    ++drawCount;
    if (viewMode != 0 || bodyView == nullptr)
        return;
    const int32_t scroll = GetHorizontalScroll();
    const int32_t rightEnd = std::min(ContentWidth() - scroll + 1, int32_t(area.right));
    const bool active = IsActive();
    const Rect selection = SelectionBounds(anchor, cursor);
    if (!selection.IsEmpty()) {
        if (active)
            FillRectColor(selection, kSelectionColour);
        else
            FrameRectWidth(selection, 1);
    }
    const int32_t back = bodyView->BackColour();
    int32_t top = 0;
    bool firstDrawn = true;
    for (int32_t row = GetVerticalScroll(); row < rowCount && top < area.bottom; ++row) {
        const int32_t height = std::max(GetRowHeight(row), 1);
        const int32_t bottom = top + height;
        if (bottom <= area.top) {
            top = bottom;
            continue;
        }
        FormatRowCells(row);
        if (rowRecord.background >= 0)
            FillRectColor(Rect{ClampCoordinate(top), area.left, ClampCoordinate(bottom), ClampCoordinate(rightEnd)},
                          rowRecord.background);
        if (rowRecord.separator && !firstDrawn)
            DrawGridLine(area.left, top, rightEnd);
        RowTreeInfo tree;
        GetRowTreeInfo(tree, row);
        for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
            const int32_t left = column->left - scroll;
            const int32_t right = column->right - scroll;
            if (right <= area.left || left >= area.right)
                continue;
            if (IsEditCell(row, column->index) && EditFieldShown())
                continue;
            const int32_t indent = column == firstColumn ? tree.indent + column->indent : 0;
            const Rect frame{ClampCoordinate(top), ClampCoordinate(left + kGridCellInset + indent), ClampCoordinate(bottom),
                             ClampCoordinate(right - kGridCellInset)};
            const bool selected = active && IsInSelectionRange(row, column->index);
            const int32_t fore = selected ? kSelectedTextColour : column->cell.colour;
            UseColourIndices(fore, selected ? kSelectionColour : back);
            const std::string& text = IsEditCell(row, column->index) ? pendingEditText : column->cell.text;
            if (!text.empty())
                DrawTextInRect(frame, text);
            if (column->marksOverflow && MeasureCellText(text) > frame.Width()) {
                DrawGridLine(left, top + 5, right);
                DrawGridLine(left, top + 7, right);
            }
        }
        UseColourIndices(10, back);
        firstDrawn = false;
        top = bottom;
    }
}

void TableWindow::DrawHeader(const Rect& area)
{
    if (headerView == nullptr)
        return;
    const int32_t scroll = GetHorizontalScroll();
    const int32_t height = headerView->Bounds().Height();
    DrawGridLine(area.left, 0, area.right);
    DrawGridLine(area.left, height - 1, area.right);
    UseColourIndices(10, headerView->BackColour());
    for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        const int32_t left = column->left - scroll;
        const int32_t right = column->right - scroll;
        if (right <= area.left || left >= area.right)
            continue;
        const Rect frame{1, ClampCoordinate(left + kGridCellInset), ClampCoordinate(height - 1), ClampCoordinate(right - kGridCellInset)};
        DrawTextInRect(frame, column->Title());
        FillRectColor(Rect{1, ClampCoordinate(right - 1), ClampCoordinate(height - 1), ClampCoordinate(right)}, kGridLineColour);
    }
}

}  // namespace vek
