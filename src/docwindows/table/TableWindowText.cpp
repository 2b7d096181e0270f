// TableWindow: copying cells as text and fitting columns to what their cells hold.
#include "docwindows/table/TableWindow.h"

#include <algorithm>
#include <vector>

#include "drawing/ClipboardText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

namespace {

constexpr int32_t kFitStartWidth = 32;
constexpr int32_t kFitMargin = 4;
constexpr int64_t kFitTimeLimitMs = 8000;
constexpr int32_t kFitAllChunkRows = 1000;
constexpr int32_t kFitOneChunkRows = 5000;

}  // namespace

void TableWindow::WriteTextCell(TextWriter& stream, const ColumnHeader&, const CellRecord& cell)
{
    stream.PutTextBytes(cell.text.data(), static_cast<int32_t>(cell.text.size()));
}

void TableWindow::WriteCellRange(TextWriter& stream, CellTextSource source)
{
    if (anchor.row < 0 || cursor.row < 0 || columnCount == 0)
        return;
    const int32_t firstRow = std::min(anchor.row, cursor.row);
    const int32_t lastRow = std::min(std::max(anchor.row, cursor.row), rowCount - 1);
    const bool allColumns = cursor.column < 0 || anchor.column < 0;
    const int32_t firstColumn = allColumns ? 0 : std::min(anchor.column, cursor.column);
    const int32_t lastColumn = allColumns ? columnCount - 1 : std::max(anchor.column, cursor.column);
    int64_t cells = 0;
    for (int32_t row = firstRow; row <= lastRow && !IsErrorPending(); ++row) {
        FormatRowCells(row);
        if (row > firstRow)
            stream.EndRow();
        for (ColumnHeader* column = FindColumn(firstColumn); column != nullptr && column->index <= lastColumn;
             column = column->next) {
            if (column->index > firstColumn)
                stream.PutSeparator();
            if (source == CellTextSource::CellWriter)
                WriteTextCell(stream, *column, column->cell);
            else
                stream.PutTextBytes(column->cell.text.data(), static_cast<int32_t>(column->cell.text.size()));
            ++cells;
        }
    }
    if (cells > 1)
        stream.EndRow();
}

bool TableWindow::CopySelectedCells()
{
    if (anchor.row < 0)
        return false;
    TextWriter writer;
    WriteCellRange(writer, CellTextSource::Formatted);
    PutClipboardText(writer.BufferedBytes());
    return true;
}

bool TableWindow::FitColumn(ColumnHeader& column) { return FitColumnList(&column); }

bool TableWindow::FitColumns() { return FitColumnList(nullptr); }

bool TableWindow::FitColumnList(ColumnHeader* only)
{
    std::vector<int32_t> widths(static_cast<size_t>(columnCount), kFitStartWidth);
    const int32_t chunk = only != nullptr ? kFitOneChunkRows : kFitAllChunkRows;
    const int64_t started = CurrentTimeMs();
    for (int32_t from = 0; from < rowCount; from += chunk) {
        const int32_t to = std::min(rowCount, from + chunk);
        for (int32_t row = from; row < to; ++row) {
            FormatRowCells(row);
            RowTreeInfo tree;
            GetRowTreeInfo(tree, row);
            for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
                if (only != nullptr ? column != only : column->ownWidth)
                    continue;
                int32_t needed = MeasureCellText(column->cell.text);
                if (column == firstColumn)
                    needed += tree.indent + column->indent;
                int32_t& widest = widths[static_cast<size_t>(column->index)];
                widest = std::max(widest, needed);
            }
        }
        // A cancel changes nothing; running out of time keeps what was measured.
        if (IsErrorPending())
            return false;
        if (CurrentTimeMs() - started > kFitTimeLimitMs)
            break;
    }
    for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        if (only != nullptr ? column != only : column->ownWidth)
            continue;
        column->SetWidth(widths[static_cast<size_t>(column->index)] + kFitMargin);
    }
    UpdateGrid(true);
    PlaceEditField();
    InvalidateGrid();
    for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        if (only == nullptr || column == only)
            ColumnResized(*column, column->Width());
    }
    return true;
}

}  // namespace vek
