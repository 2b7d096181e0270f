// TableWindow: the base of every document window that shows rows and columns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "docwindows/DocumentWindow.h"
#include "docwindows/table/ColumnHeader.h"

namespace vek {

class CellEditField;
class GridBodyView;
class GridHeaderView;
class ScrollBar;
class Template;
class TextWriter;
struct ScrollNotice;

// How the keyboard moves in the grid: not at all, by rows (with an optional in-place edit field that
// takes the other keys), or by cells (the cell cursor).
enum class GridKeyMode : int32_t { None = 0, Rows = 1, Cells = 2 };
// Whether SelectCell keeps the anchor and extends the selection to the new cell.
enum class SelectionExtend : int32_t { No = 0, Yes = 1 };
// What WriteCellRange writes for each cell.
enum class CellTextSource : int32_t { Formatted = 0, CellWriter = 1 };

struct GridCell {
    int32_t row = -1;
    int32_t column = -1;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

// A range of cells a click asks the window for (MakeSelectionRange); state kNothingSelectable when
// the window has nothing to offer at the clicked cell.
struct SelectionRange {
    GridCell anchor;
    int32_t firstRow = -1;
    int32_t lastRow = -1;
    int32_t firstColumn = -1;
    int32_t lastColumn = -1;
    int32_t state = 0;
    bool active = false;
};
constexpr int32_t kNothingSelectable = -2;

// The tree marker of a row: state 0 draws none.
struct RowTreeInfo {
    int32_t state = 0;
    int32_t indent = 0;
};

// The click tool that selects cells by dragging.
constexpr int32_t kSelectCellsTool = 4103;
// Item ids of the two grid views.
constexpr int32_t kHeaderViewItem = 370;
constexpr int32_t kBodyViewItem = 371;
// Row height of a window without font metrics.
constexpr int32_t kPlainRowHeight = 11;

// A document window of rows and columns: the grid's two views (header strip and body) with their
// scroll bars, the column list, the cell cursor with its anchor, in-place editing in row mode, and the
// virtual operations through which a subclass supplies its rows and columns.
//
// Everything that lays out, formats, selects, edits or writes works on the window's own state and the
// subclass's FormatRow, without drawing: a hidden window (opened by a command or a web page) computes
// and copies without a display, and only the views' Draw ever calls DrawGrid and DrawHeader. Every
// operation touches the rows on screen only, whatever the row count, except the copy and the fitting,
// which run over the rows they are given.
class TableWindow : public DocumentWindow {
public:
    // The template becomes the shown object (null for windows that show none).
    TableWindow(DocumentKind kind, const OriginSize& frame, Template* shownTemplate, Base* base, int32_t flags);
    ~TableWindow() override;

    CommandTarget* Notify(int32_t code) override;
    void UpdateMenus() override;
    int32_t DoCommand(MenuItem& item) override;
    CommandTarget* ScrollChanged(ScrollNotice& record) override;
    void Resized(int32_t dw, int32_t dh) override;

    // --- the grid's views and layout ----------------------------------------------------------------
    // A panel height of 0 or less takes GetPanelHeight when that is positive. The header view spans
    // the window at the panel's bottom; the body view lies below it down to the bottom margin.
    void CreateGridViews(int32_t panelHeight, int32_t headerHeight, int32_t bottomMargin);
    // Lays the grid out again when forced or when something changed since the last time: the scroll
    // bars' ranges, and the horizontal bar shown only while the columns are wider than the body.
    void UpdateGrid(bool force);
    // Sets the row count (at least 0) and lays the grid out; the cell cursor, the anchor and the edit
    // position stay only while they are inside the new count.
    void SetRowCount(int32_t count);
    int32_t RowCount() const { return rowCount; }
    // The largest right edge of the columns without their own width, at least 64, plus 2.
    int32_t ContentWidth() const;
    // The sum of the row heights, counted until it passes 3000, and at least 52.
    int32_t PreferredGridHeight();
    int32_t PanelHeight() const { return panelHeight; }
    int32_t HeaderHeight() const { return headerHeight; }
    int32_t ViewMode() const { return viewMode; }
    void SetViewMode(int32_t mode);
    GridBodyView* BodyView() const { return bodyView; }
    GridHeaderView* HeaderView() const { return headerView; }
    ScrollBar* VerticalBar() const { return verticalBar; }
    ScrollBar* HorizontalBar() const { return horizontalBar; }

    // --- recalculation --------------------------------------------------------------------------------
    // The result no longer matches the base.
    void MarkOutOfDate() { outOfDate = true; }
    bool IsOutOfDate() const { return outOfDate; }
    // Computes when out of date, or when forced; answers whether it computed.
    bool RecalculateIfNeeded(bool force);

    // --- columns ------------------------------------------------------------------------------------
    ColumnHeader* FirstColumn() const { return firstColumn; }
    int32_t ColumnCount() const { return columnCount; }
    // Null outside 0 .. ColumnCount() - 1.
    ColumnHeader* FindColumn(int32_t index) const;
    // Sets the width (at least 16), lays the grid out, redraws and tells ColumnResized.
    void SetColumnWidth(ColumnHeader& column, int32_t width);
    // Fits one column, or every column without its own width, to the widest text their cells need
    // (at least 32 pixels, plus 4). Rows are measured in chunks; a cancel (the pending error's flag)
    // changes nothing, and after 8000 ms the widths measured so far are used. Answers whether the
    // widths were set.
    bool FitColumn(ColumnHeader& column);
    bool FitColumns();

    // --- geometry (body-view coordinates) --------------------------------------------------------------
    // -1 outside the body view and past the last row.
    int32_t RowAtPoint(Point point);
    // -1 left of the first column and right of the last.
    int32_t ColumnAtPoint(Point point, int32_t row);
    // The cell's rectangle (column -1: the whole row) with both scrolls applied; rows above the first
    // visible one and below the last get an empty rectangle, and coordinates are clamped to 16 bits.
    Rect GetCellRect(int32_t row, int32_t column);
    // The union of the range's first and last cells.
    Rect GetRangeRect(const SelectionRange& range);
    int32_t GetHorizontalScroll() const;
    int32_t GetVerticalScroll() const;
    int32_t FirstVisibleRow() const { return GetVerticalScroll(); }
    // The last row wholly or partly on screen (-1 without rows).
    int32_t LastVisibleRow();
    // Scrolls so that the cell is wholly on screen, vertically and (for a column) horizontally.
    void ScrollCellIntoView(int32_t row, int32_t column);
    void SetVerticalScroll(int32_t row);
    void SetHorizontalScroll(int32_t pixels);
    void InvalidateGrid();
    void InvalidateRowRange(int32_t first, int32_t last);

    // --- formatting -----------------------------------------------------------------------------------
    // Resets every column's cell and the row record, then FormatRow fills them.
    void FormatRowCells(int32_t row);
    const RowRecord& CurrentRow() const { return rowRecord; }

    // --- the cell cursor and the selection (key mode 2) -----------------------------------------------
    void SelectCell(int32_t row, int32_t column, SelectionExtend extend);
    void ClearCellSelection() { SelectCell(-1, -1, SelectionExtend::No); }
    GridCell CellCursor() const { return cursor; }
    GridCell Anchor() const { return anchor; }
    // Whether the cell lies between the anchor and the cursor.
    bool IsInSelectionRange(int32_t row, int32_t column) const;
    // The cursor on the first selectable cell from the first visible row on; false when none.
    bool PlaceCursorAtFirstCell();
    // Writes the rows between anchor and cursor, the columns between them (all columns for a cursor
    // column of -1): cells separated by the stream's field separator, rows ended by its line end (the
    // last one too when more than one cell was written).
    void WriteCellRange(TextWriter& stream, CellTextSource source);
    // The selection as text on the clipboard; false when nothing is selected.
    bool CopySelectedCells();

    GridKeyMode KeyMode() const { return keyMode; }
    void SetKeyMode(GridKeyMode mode) { keyMode = mode; }

    // --- in-place editing (key mode 1) ------------------------------------------------------------------
    // Ends the edit in progress (CommitCellEdit with its text when it changed) and starts one at the
    // cell (-1, -1: none). While the window is shown an edit field lies over the cell; a hidden window
    // keeps the text as its pending edit text.
    void BeginCellEdit(int32_t row, int32_t column);
    GridCell EditPosition() const { return editPosition; }
    bool IsEditCell(int32_t row, int32_t column) const { return editPosition == GridCell{row, column}; }
    std::string EditText() const;
    int32_t GetEditTextLength() const { return static_cast<int32_t>(EditText().size()); }
    void ReplaceEditText(std::string_view text);
    void SelectAllEditText();
    int32_t GetEditSelectionStart() const;
    int32_t GetEditSelectionEnd() const;
    // The keyboard's focus move from the edit cell: direction codes 0, 2, 3 along the row onwards, 1
    // down the column, 4, 6, 7 backwards, 5 up; answers whether another cell took the edit.
    bool MoveEditCell(int32_t direction);
    CellEditField* EditField() const { return editField; }

    // --- virtual operations (the subclasses supply rows, columns and what clicks mean) --------------------
    // Fills the cells of the columns and the row record for the row.
    virtual void FormatRow(int32_t row, RowRecord& record) = 0;
    virtual void GetRowTreeInfo(RowTreeInfo& out, int32_t row);
    virtual void Compute();
    virtual int32_t GetRowHeight(int32_t row);
    virtual int32_t GetPanelHeight();
    virtual void DrawGrid(const Rect& area);
    virtual void ColumnResized(ColumnHeader& column, int32_t width);
    virtual void ViewModeChanged(int32_t oldMode);
    // The tool a click uses: kSelectCellsTool in key mode 2, else 0.
    virtual int32_t GetClickTool(const InputEvent& event);
    virtual int32_t GridClick(InputEvent& event);
    virtual int32_t GridKeyDown(InputEvent& event);
    virtual int32_t GridWheel(InputEvent& event, int32_t lines);
    virtual void ClickCell(InputEvent& event, int32_t row, int32_t column, int32_t tool);
    virtual void MakeSelectionRange(SelectionRange& range);
    virtual void ExtendSelectionRange(SelectionRange& range, int32_t row, int32_t column);
    virtual void DoubleClickCell(int32_t row, int32_t column);
    virtual bool IsCellSelectable(int32_t row, int32_t column);
    virtual void GetCellText(std::string& out, int32_t row, int32_t column);
    virtual void WriteTextCell(TextWriter& stream, const ColumnHeader& column, const CellRecord& cell);
    // A cell edit ended with a changed text.
    virtual void CommitCellEdit(int32_t row, int32_t column, std::string_view text);
    virtual int32_t ClickColumnTitle(InputEvent& event, ColumnHeader& column);
    virtual int32_t GetPageRowCount() { return rowCount; }
    virtual int32_t GetPageRow(int32_t index) { return index; }

    // --- the header view ------------------------------------------------------------------------------
    void DrawHeader(const Rect& area);
    int32_t HeaderClick(InputEvent& event);
    // The column whose resize edge holds the point (header-view coordinates), or null.
    ColumnHeader* ResizeEdgeAt(Point point);

    // How often DrawGrid ran (a hidden window must never draw).
    int64_t DrawCount() const { return drawCount; }

protected:
    // A text of one line in the window's style, measured without drawing.
    int32_t MeasureCellText(std::string_view text) const;
    void LayoutViews();

    int64_t drawCount = 0;

private:
    friend class ColumnHeader;

    void AppendColumn(ColumnHeader& column);
    void RemoveColumn(ColumnHeader& column);
    void ShiftColumnsAfter(ColumnHeader& column, int32_t delta);
    bool FitColumnList(ColumnHeader* only);
    void InvalidateSelectionDifference(GridCell oldAnchor, GridCell oldCursor);
    Rect SelectionBounds(GridCell from, GridCell to);
    void TrackCellSelection(InputEvent& event);
    void TrackColumnResize(InputEvent& event, ColumnHeader& column);
    int32_t MoveCursorByKey(int32_t key, SelectionExtend extend);
    int32_t FirstSelectableColumn(int32_t row);
    void PlaceEditField();
    bool EditFieldShown() const;
    void ShowHorizontalBar(bool show);
    int32_t BodyWidth() const;
    int32_t BodyHeight() const;

    int32_t rowCount = 0;
    bool outOfDate = false;
    int32_t viewMode = 0;
    int32_t panelHeight = 0;
    int32_t headerHeight = 0;
    int32_t bottomMargin = 0;
    int32_t fontLineHeight = 0;
    bool gridLaidOut = false;
    GridKeyMode keyMode = GridKeyMode::None;
    GridCell cursor;
    GridCell anchor;
    SelectionRange range;
    GridCell editPosition;
    std::string pendingEditText;
    std::string editOriginal;
    int32_t pendingSelectionStart = 0;
    int32_t pendingSelectionEnd = 0;
    bool committingEdit = false;
    RowRecord rowRecord;
    ColumnHeader* firstColumn = nullptr;
    int32_t columnCount = 0;
    GridBodyView* bodyView = nullptr;
    GridHeaderView* headerView = nullptr;
    ScrollBar* verticalBar = nullptr;
    ScrollBar* horizontalBar = nullptr;
    int32_t rememberedHorizontalScroll = 0;
    CellEditField* editField = nullptr;
};

}  // namespace vek
