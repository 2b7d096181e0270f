// GridHeaderView: hands the column titles' drawing and clicks to the table window.
#include "docwindows/table/GridHeaderView.h"

#include "docwindows/table/TableWindow.h"
#include "drawing/DrawingState.h"

namespace vek {

namespace {

// The resize cursor over a column's resize edge.
constexpr int32_t kColumnResizeCursor = 60;

}  // namespace

GridHeaderView::GridHeaderView(TableWindow& window, const OriginSize& frame)
    : Control(kKindCustomView, window, frame, kHeaderViewItem), table(window)
{
    FinishConstruction();
}

GridHeaderView::~GridHeaderView() { PrepareDestruction(); }

int32_t GridHeaderView::Click(InputEvent& event, Pane* pane)
{
    if (table.HeaderClick(event))
        return 1;
    return Control::Click(event, pane);
}

int32_t GridHeaderView::AdjustCursor(InputEvent& event, Pane* pane)
{
    if (table.ResizeEdgeAt(event.point) != nullptr) {
        SetCursorById(kColumnResizeCursor);
        return 1;
    }
    return Control::AdjustCursor(event, pane);
}

void GridHeaderView::Draw() { table.DrawHeader(bounds); }

}  // namespace vek
