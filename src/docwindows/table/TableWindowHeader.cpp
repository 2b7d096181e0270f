// TableWindow: clicks in the header view: resizing and fitting columns, and the column titles.
#include "docwindows/table/TableWindow.h"

#include <algorithm>

#include "docwindows/table/GridHeaderView.h"
#include "gui/lists/ListSupport.h"

namespace vek {

namespace {

// The resize edge reaches this far on each side of a column's right end.
constexpr int32_t kResizeEdgeReach = 5;

}  // namespace

ColumnHeader* TableWindow::ResizeEdgeAt(Point point)
{
    if (headerView == nullptr || point.v < 0 || point.v >= headerView->Bounds().bottom)
        return nullptr;
    const int32_t x = int32_t(point.h) + GetHorizontalScroll();
    for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        if (!column->ownWidth && x >= column->right - kResizeEdgeReach && x <= column->right + kResizeEdgeReach)
            return column;
    }
    return nullptr;
}

void TableWindow::TrackColumnResize(InputEvent& event, ColumnHeader& column)
{
    const int32_t startX = event.point.h;
    const int32_t startWidth = column.Width();
    auto follow = [&] {
        const Point local = TrackedPointToLocal(*headerView, event.point);
        SetColumnWidth(column, std::max(startWidth + int32_t(local.h) - startX, ColumnHeader::kMinimumColumnWidth));
    };
    while (event.WaitMouseStillDown())
        follow();
    // The release point counts too: the last move may come with it.
    follow();
}

int32_t TableWindow::HeaderClick(InputEvent& event)
{
    const bool modifiers = event.shift || event.command || event.option || event.control;
    if (!modifiers) {
        if (ColumnHeader* column = ResizeEdgeAt(event.point)) {
            if (event.doubleClick)
                (void)FitColumn(*column);
            else
                TrackColumnResize(event, *column);
            return 1;
        }
    }
    const int32_t x = int32_t(event.point.h) + GetHorizontalScroll();
    for (ColumnHeader* column = firstColumn; column != nullptr; column = column->next) {
        if (x >= column->left && x < column->right)
            return ClickColumnTitle(event, *column);
    }
    return 0;
}

}  // namespace vek
