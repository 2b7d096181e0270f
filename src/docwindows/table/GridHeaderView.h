// GridHeaderView: the strip of column titles above a table window's rows.
#pragma once

#include "gui/Control.h"

namespace vek {

class TableWindow;

// A custom view (item 370) that draws the column titles through its window, shows the resize cursor
// over a column's resize edge and hands clicks to the window (resizing, fitting, titles).
class GridHeaderView final : public Control {
public:
    GridHeaderView(TableWindow& window, const OriginSize& frame);
    ~GridHeaderView() override;

    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t AdjustCursor(InputEvent& event, Pane* pane) override;
    void Draw() override;
    int32_t CanTakeFocus() override { return 0; }

private:
    TableWindow& table;
};

}  // namespace vek
