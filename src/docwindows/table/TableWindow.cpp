// TableWindow: construction, the grid's views and scroll bars, layout, recalculation and commands.
#include "docwindows/table/TableWindow.h"

#include <algorithm>

#include "docwindows/table/GridBodyView.h"
#include "docwindows/table/GridHeaderView.h"
#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/lists/ScrollBar.h"
#include "gui/lists/ScrollNotice.h"

namespace vek {

namespace {

constexpr int32_t kGridScrollBarWidth = 16;
// Scroll bars overlap the body view's edge by one pixel.
constexpr int32_t kGridScrollBarOverlap = 1;
constexpr int32_t kMinimumContentWidth = 64;
constexpr int32_t kPreferredHeightLimit = 3000;
constexpr int32_t kMinimumPreferredHeight = 52;

}  // namespace

TableWindow::TableWindow(DocumentKind kind, const OriginSize& frame, Template* shownTemplate, Base* base, int32_t flags)
    : DocumentWindow(kind, frame, base, flags)
{
    if (shownTemplate != nullptr)
        SetShownObject(shownTemplate, shownTemplate);
}

TableWindow::~TableWindow()
{
    PrepareDestruction();
    // The columns unlink themselves; the views and bars are children and go with the pane.
    while (firstColumn != nullptr)
        delete firstColumn;
}

// --- columns ------------------------------------------------------------------------------------------

void TableWindow::AppendColumn(ColumnHeader& column)
{
    ColumnHeader** link = &firstColumn;
    int32_t left = 0;
    int32_t index = 0;
    while (*link != nullptr) {
        left = (*link)->right;
        ++index;
        link = &(*link)->next;
    }
    const int32_t width = column.right;
    column.left = left;
    column.right = left + width;
    column.index = index;
    *link = &column;
    ++columnCount;
    gridLaidOut = false;
}

void TableWindow::RemoveColumn(ColumnHeader& column)
{
    for (ColumnHeader** link = &firstColumn; *link != nullptr; link = &(*link)->next) {
        if (*link != &column)
            continue;
        *link = column.next;
        const int32_t width = column.Width();
        for (ColumnHeader* later = column.next; later != nullptr; later = later->next) {
            later->left -= width;
            later->right -= width;
            --later->index;
        }
        --columnCount;
        column.next = nullptr;
        gridLaidOut = false;
        if (cursor.column >= columnCount || anchor.column >= columnCount)
            cursor = anchor = GridCell{};
        return;
    }
}

void TableWindow::ShiftColumnsAfter(ColumnHeader& column, int32_t delta)
{
    for (ColumnHeader* later = column.next; later != nullptr; later = later->next) {
        later->left += delta;
        later->right += delta;
    }
    gridLaidOut = false;
}

ColumnHeader* TableWindow::FindColumn(int32_t index) const
{
    if (index < 0)
        return nullptr;
    ColumnHeader* column = firstColumn;
    while (column != nullptr && column->index != index)
        column = column->next;
    return column;
}

void TableWindow::SetColumnWidth(ColumnHeader& column, int32_t width)
{
    const int32_t before = column.Width();
    column.SetWidth(width);
    if (column.Width() == before)
        return;
    UpdateGrid(true);
    PlaceEditField();
    // Only what lies right of the column's old left edge changes: the rest of the screen stays.
    if (bodyView != nullptr)
        bodyView->Invalidate();
    if (headerView != nullptr)
        headerView->Invalidate();
    ColumnResized(column, column.Width());
}

int32_t TableWindow::ContentWidth() const
{
    int32_t widest = kMinimumContentWidth;
    for (const ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        if (!column->ownWidth)
            widest = std::max(widest, column->right);
    }
    return widest + 2;
}

int32_t TableWindow::PreferredGridHeight()
{
    int32_t height = 0;
    for (int32_t row = 0; row < rowCount && height <= kPreferredHeightLimit; ++row)
        height += std::max(GetRowHeight(row), 1);
    return std::max(height, kMinimumPreferredHeight);
}

// --- views and layout ---------------------------------------------------------------------------------

int32_t TableWindow::BodyWidth() const { return bodyView != nullptr ? bodyView->Bounds().Width() : 0; }
int32_t TableWindow::BodyHeight() const { return bodyView != nullptr ? bodyView->Bounds().Height() : 0; }

void TableWindow::CreateGridViews(int32_t wantedPanel, int32_t wantedHeader, int32_t wantedBottom)
{
    if (wantedPanel <= 0)
        wantedPanel = std::max(GetPanelHeight(), 0);
    panelHeight = wantedPanel;
    headerHeight = std::max(wantedHeader, 0);
    bottomMargin = std::max(wantedBottom, 0);
    if (fontLineHeight == 0)
        fontLineHeight = MeasureTextHeightInStyle(GetTextStyle(), "Xg", 1000);
    const int32_t width = bounds.Width();
    const int32_t bodyTop = panelHeight + headerHeight + 1;
    const int32_t bodyHeight = std::max(bounds.Height() - bottomMargin - bodyTop, 0);
    const int32_t bodyWidth = std::max(width - 1 - kGridScrollBarWidth + kGridScrollBarOverlap, 0);
    headerView = new GridHeaderView(*this, OriginSize{ClampCoordinate(panelHeight), 0, ClampCoordinate(headerHeight), 3000});
    bodyView = new GridBodyView(*this, OriginSize{ClampCoordinate(bodyTop), 1, ClampCoordinate(bodyHeight), ClampCoordinate(bodyWidth)});
    verticalBar = new ScrollBar(*this,
                                OriginSize{ClampCoordinate(bodyTop - kGridScrollBarOverlap), ClampCoordinate(1 + bodyWidth - kGridScrollBarOverlap),
                                           ClampCoordinate(bodyHeight + kGridScrollBarOverlap), kGridScrollBarWidth},
                                Orientation::Vertical, 0, rowCount);
    UpdateGrid(true);
}

void TableWindow::LayoutViews()
{
    if (bodyView == nullptr)
        return;
    const int32_t width = bounds.Width();
    const int32_t bodyTop = panelHeight + headerHeight + 1;
    const int32_t barHeight = horizontalBar != nullptr ? kGridScrollBarWidth - kGridScrollBarOverlap : 0;
    const int32_t bodyHeight = std::max(bounds.Height() - bottomMargin - bodyTop - barHeight, 0);
    const int32_t bodyWidth = std::max(width - 1 - kGridScrollBarWidth + kGridScrollBarOverlap, 0);
    bodyView->SetFrame(OriginSize{ClampCoordinate(bodyTop), 1, ClampCoordinate(bodyHeight), ClampCoordinate(bodyWidth)});
    verticalBar->SetFrame(OriginSize{ClampCoordinate(bodyTop - kGridScrollBarOverlap), ClampCoordinate(1 + bodyWidth - kGridScrollBarOverlap),
                                     ClampCoordinate(bodyHeight + kGridScrollBarOverlap), kGridScrollBarWidth});
    if (horizontalBar != nullptr)
        horizontalBar->SetFrame(OriginSize{ClampCoordinate(bodyTop + bodyHeight - kGridScrollBarOverlap), 0, kGridScrollBarWidth,
                                           ClampCoordinate(bodyWidth + kGridScrollBarOverlap)});
}

void TableWindow::ShowHorizontalBar(bool show)
{
    if (show == (horizontalBar != nullptr))
        return;
    if (show) {
        horizontalBar = new ScrollBar(*this, OriginSize{0, 0, kGridScrollBarWidth, kGridScrollBarWidth}, Orientation::Horizontal, 0, 0);
        LayoutViews();
        horizontalBar->SetRowCount(ContentWidth(), 0);
        horizontalBar->SetFirstRow(rememberedHorizontalScroll);
    } else {
        rememberedHorizontalScroll = horizontalBar->FirstRow();
        ScrollBar* bar = horizontalBar;
        horizontalBar = nullptr;
        delete bar;
        LayoutViews();
    }
    if (bodyView != nullptr)
        bodyView->Invalidate();
    if (headerView != nullptr)
        headerView->Invalidate();
}

void TableWindow::UpdateGrid(bool force)
{
    if (bodyView == nullptr || (gridLaidOut && !force))
        return;
    gridLaidOut = true;
    if (viewMode == 0) {
        verticalBar->SetRowCount(rowCount, 0);
        const int32_t content = ContentWidth();
        ShowHorizontalBar(BodyWidth() < content);
        if (horizontalBar != nullptr)
            horizontalBar->SetRowCount(content, 0);
    } else {
        ShowHorizontalBar(false);
        verticalBar->SetRowCount(viewMode == 3 || viewMode == 4 ? rowCount : 0, 0);
    }
}

void TableWindow::Resized(int32_t dw, int32_t dh)
{
    DocumentWindow::Resized(dw, dh);
    LayoutViews();
    UpdateGrid(true);
    PlaceEditField();
}

void TableWindow::SetRowCount(int32_t count)
{
    rowCount = std::max(count, 0);
    if (cursor.row >= rowCount || anchor.row >= rowCount)
        cursor = anchor = GridCell{};
    if (editPosition.row >= rowCount)
        BeginCellEdit(-1, -1);
    UpdateGrid(true);
    InvalidateGrid();
}

void TableWindow::SetViewMode(int32_t mode)
{
    const int32_t old = viewMode;
    viewMode = mode;
    if (old != mode)
        ViewModeChanged(old);
}

void TableWindow::ViewModeChanged(int32_t)
{
    UpdateGrid(true);
    InvalidateGrid();
}

void TableWindow::InvalidateGrid()
{
    if (bodyView != nullptr)
        bodyView->Invalidate();
    if (headerView != nullptr)
        headerView->Invalidate();
}

CommandTarget* TableWindow::ScrollChanged(ScrollNotice& record)
{
    if (record.bar != nullptr && record.bar == verticalBar) {
        switch (record.kind) {
        case ScrollNoticeKind::Extent: record.answer = BodyHeight(); break;
        case ScrollNoticeKind::RowSize: record.answer = std::max(GetRowHeight(record.row), 1); break;
        case ScrollNoticeKind::FirstRowChanged:
            if (bodyView != nullptr)
                bodyView->Invalidate();
            PlaceEditField();
            break;
        default: break;
        }
        return this;
    }
    if (record.bar != nullptr && record.bar == horizontalBar) {
        // The horizontal bar's rows are pixels: its first row is the horizontal scroll.
        switch (record.kind) {
        case ScrollNoticeKind::Extent: record.answer = BodyWidth(); break;
        case ScrollNoticeKind::RowSize: record.answer = 1; break;
        case ScrollNoticeKind::FirstRowChanged:
            InvalidateGrid();
            PlaceEditField();
            break;
        default: break;
        }
        return this;
    }
    return DocumentWindow::ScrollChanged(record);
}

int32_t TableWindow::GetHorizontalScroll() const { return horizontalBar != nullptr ? horizontalBar->FirstRow() : 0; }
int32_t TableWindow::GetVerticalScroll() const { return verticalBar != nullptr ? verticalBar->FirstRow() : 0; }

void TableWindow::SetVerticalScroll(int32_t row)
{
    if (verticalBar != nullptr)
        verticalBar->SetFirstRow(row);
}

void TableWindow::SetHorizontalScroll(int32_t pixels)
{
    if (horizontalBar != nullptr)
        horizontalBar->SetFirstRow(pixels);
}

// --- recalculation and notices ------------------------------------------------------------------------

bool TableWindow::RecalculateIfNeeded(bool force)
{
    if (!outOfDate && !force)
        return false;
    outOfDate = false;
    Compute();
    return true;
}

void TableWindow::Compute() {}

CommandTarget* TableWindow::Notify(int32_t code)
{
    CommandTarget* answer = DocumentWindow::Notify(code);
    if (code == kNotifyOpened) {
        UpdateGrid(true);
    } else if (code == kNotifyTick && bodyView != nullptr && bodyView->IsVisible()) {
        UpdateGrid(false);
    }
    return answer;
}

void TableWindow::UpdateMenus()
{
    DocumentWindow::UpdateMenus();
    if (keyMode == GridKeyMode::Cells && anchor.row >= 0)
        EnableMenuItem(FindMenuItemByCommand(kCommandCopy));
}

int32_t TableWindow::DoCommand(MenuItem& item)
{
    if (item.Command() == kCommandCopy && keyMode == GridKeyMode::Cells && editField == nullptr)
        return CopySelectedCells() ? 1 : 0;
    return DocumentWindow::DoCommand(item);
}

// --- defaults of the virtual operations ---------------------------------------------------------------

void TableWindow::GetRowTreeInfo(RowTreeInfo& out, int32_t) { out = RowTreeInfo{}; }

int32_t TableWindow::GetRowHeight(int32_t) { return fontLineHeight > 0 ? fontLineHeight : kPlainRowHeight; }

int32_t TableWindow::GetPanelHeight() { return 0; }

void TableWindow::ColumnResized(ColumnHeader&, int32_t) {}

int32_t TableWindow::GetClickTool(const InputEvent&) { return keyMode == GridKeyMode::Cells ? kSelectCellsTool : 0; }

int32_t TableWindow::GridWheel(InputEvent&, int32_t) { return 0; }

void TableWindow::MakeSelectionRange(SelectionRange& selection)
{
    selection.firstRow = selection.lastRow = selection.anchor.row;
    selection.firstColumn = selection.lastColumn = selection.anchor.column;
    selection.state = 0;
}

void TableWindow::ExtendSelectionRange(SelectionRange&, int32_t, int32_t) {}

void TableWindow::DoubleClickCell(int32_t, int32_t) {}

bool TableWindow::IsCellSelectable(int32_t, int32_t) { return true; }

void TableWindow::CommitCellEdit(int32_t, int32_t, std::string_view) {}

int32_t TableWindow::ClickColumnTitle(InputEvent&, ColumnHeader&) { return 0; }

void TableWindow::FormatRowCells(int32_t row)
{
    for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        column->cell.text.clear();
        column->cell.colour = 10;
        column->cell.flags = 0;
    }
    rowRecord = RowRecord{};
    rowRecord.columnCount = columnCount;
    FormatRow(row, rowRecord);
}

void TableWindow::GetCellText(std::string& out, int32_t row, int32_t column)
{
    out.clear();
    ColumnHeader* header = FindColumn(column);
    if (header == nullptr || row < 0 || row >= rowCount)
        return;
    FormatRowCells(row);
    out = header->cell.text;
}

int32_t TableWindow::MeasureCellText(std::string_view text) const
{
    return text.empty() ? 0 : MeasureTextWidthInStyle(GetTextStyle(), text);
}

}  // namespace vek
