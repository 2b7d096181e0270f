// TableWindow: in-place editing of cells in row mode, with a field on screen or a pending text.
#include "docwindows/table/TableWindow.h"

#include <algorithm>

#include "docwindows/table/CellEditField.h"
#include "docwindows/table/GridBodyView.h"

namespace vek {

void TableWindow::BeginCellEdit(int32_t row, int32_t column)
{
    if (committingEdit)
        return;
    const GridCell left = editPosition;
    if (left.row >= 0) {
        const std::string text = EditText();
        if (text != editOriginal) {
            // The commit may change the rows (a subclass re-sorts or tidies); it must not start
            // another edit from inside.
            committingEdit = true;
            CommitCellEdit(left.row, left.column, text);
            committingEdit = false;
        }
        InvalidateRowRange(left.row, left.row);
    }
    if (row < 0 || column < 0 || row >= rowCount || FindColumn(column) == nullptr) {
        editPosition = GridCell{};
        pendingEditText.clear();
        editOriginal.clear();
        pendingSelectionStart = pendingSelectionEnd = 0;
        if (editField != nullptr)
            editField->SetVisible(false);
        return;
    }
    editPosition = GridCell{row, column};
    GetCellText(editOriginal, row, column);
    pendingEditText = editOriginal;
    pendingSelectionStart = 0;
    pendingSelectionEnd = static_cast<int32_t>(pendingEditText.size());
    // A hidden window keeps the pending text only: it has nobody to type into a field.
    if (!IsVisible() || bodyView == nullptr)
        return;
    if (editField == nullptr)
        editField = new CellEditField(*bodyView, *this, OriginSize{0, 0, 14, 40});
    PlaceEditField();
    editField->SetText(editOriginal.c_str());
    editField->SelectAll();
    editField->SetVisible(true);
    if (IsActive())
        editField->TakeFocus();
}

void TableWindow::PlaceEditField()
{
    if (editField == nullptr || editPosition.row < 0)
        return;
    Rect rect = GetCellRect(editPosition.row, editPosition.column);
    if (rect.IsEmpty()) {
        // Scrolled out of view: the field waits outside the body until its cell comes back.
        rect = Rect{-200, -2000, -186, -1960};
    }
    editField->SetFrame(OriginSize{rect.top, rect.left, ClampCoordinate(rect.Height()), ClampCoordinate(rect.Width())});
}

bool TableWindow::EditFieldShown() const
{
    return editField != nullptr && editField->IsVisible() && editPosition.row >= 0;
}

std::string TableWindow::EditText() const
{
    if (EditFieldShown())
        return std::string(editField->Text());
    return pendingEditText;
}

void TableWindow::ReplaceEditText(std::string_view text)
{
    if (EditFieldShown()) {
        editField->ReplaceSelectionBytes(text.data(), static_cast<int32_t>(text.size()));
        return;
    }
    if (editPosition.row < 0)
        return;
    const int32_t size = static_cast<int32_t>(pendingEditText.size());
    const int32_t start = std::clamp(std::min(pendingSelectionStart, pendingSelectionEnd), 0, size);
    const int32_t end = std::clamp(std::max(pendingSelectionStart, pendingSelectionEnd), start, size);
    pendingEditText.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), text);
    pendingSelectionStart = pendingSelectionEnd = start + static_cast<int32_t>(text.size());
}

void TableWindow::SelectAllEditText()
{
    if (EditFieldShown()) {
        editField->SelectAll();
        return;
    }
    pendingSelectionStart = 0;
    pendingSelectionEnd = static_cast<int32_t>(pendingEditText.size());
}

int32_t TableWindow::GetEditSelectionStart() const
{
    if (EditFieldShown())
        return editField->SelectionStart();
    return std::min(pendingSelectionStart, pendingSelectionEnd);
}

int32_t TableWindow::GetEditSelectionEnd() const
{
    if (EditFieldShown())
        return editField->SelectionStart() + editField->SelectionLength();
    return std::max(pendingSelectionStart, pendingSelectionEnd);
}

bool TableWindow::MoveEditCell(int32_t direction)
{
    if (rowCount <= 0 || columnCount <= 0)
        return false;
    const bool forward = direction == 0 || direction == 2 || direction == 3;
    const bool backward = direction == 4 || direction == 6 || direction == 7;
    const bool down = direction == 1;
    const bool up = direction == 5;
    if (!forward && !backward && !down && !up)
        return false;
    GridCell at = editPosition;
    const GridCell start = at;
    if (at.row < 0) {
        if (forward)
            at = GridCell{0, -1};
        else if (down)
            at = GridCell{-1, 0};
        else if (backward)
            at = GridCell{rowCount - 1, columnCount};
        else
            at = GridCell{rowCount, 0};
    }
    // Step by step through the cells; the search ends at the grid's first or last cell or back at the
    // edit position. Each step looks at one cell, so a grid of a million rows is walked only as far as
    // the next selectable cell.
    for (;;) {
        if (forward) {
            if (++at.column >= columnCount) {
                at.column = 0;
                ++at.row;
            }
        } else if (backward) {
            if (--at.column < 0) {
                at.column = columnCount - 1;
                --at.row;
            }
        } else if (down) {
            ++at.row;
        } else {
            --at.row;
        }
        if (at.row < 0 || at.row >= rowCount || at == start)
            return false;
        if (IsCellSelectable(at.row, at.column))
            break;
    }
    BeginCellEdit(at.row, at.column);
    ScrollCellIntoView(at.row, at.column);
    PlaceEditField();
    return true;
}

}  // namespace vek
