// GridBodyView: the rows of a table window's grid, drawn and handled by the window.
#pragma once

#include "gui/Control.h"

namespace vek {

class TableWindow;

// A custom view (item 371) that hands its drawing, clicks, keys and wheel turns to its window. It takes
// the keyboard focus only while the window has a key mode and shows its table (view mode 0).
class GridBodyView final : public Control {
public:
    GridBodyView(TableWindow& window, const OriginSize& frame);
    ~GridBodyView() override;

    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    void MoveFocus(int32_t direction) override;
    void Draw() override;
    void DrawFrame() override;
    int32_t CanTakeFocus() override;

private:
    TableWindow& table;
};

}  // namespace vek
