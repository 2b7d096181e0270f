// GridBodyView: hands the rows' drawing and input to the table window.
#include "docwindows/table/GridBodyView.h"

#include "docwindows/table/TableWindow.h"

namespace vek {

GridBodyView::GridBodyView(TableWindow& window, const OriginSize& frame)
    : Control(kKindCustomView, window, frame, kBodyViewItem), table(window)
{
    SetDrawingStyle(0);
    FinishConstruction();
}

GridBodyView::~GridBodyView() { PrepareDestruction(); }

int32_t GridBodyView::Click(InputEvent& event, Pane* pane)
{
    if (IsEnabled() && table.KeyMode() != GridKeyMode::None && CanTakeFocus() && !IsFocused())
        TakeFocus();
    if (table.GridClick(event))
        return 1;
    return Control::Click(event, pane);
}

int32_t GridBodyView::KeyDown(InputEvent& event, Pane* pane)
{
    if (table.GridKeyDown(event))
        return 1;
    return Control::KeyDown(event, pane);
}

int32_t GridBodyView::Wheel(InputEvent& event, int32_t lines)
{
    if (table.GridWheel(event, lines))
        return 1;
    return Control::Wheel(event, lines);
}

void GridBodyView::MoveFocus(int32_t direction)
{
    if (table.KeyMode() == GridKeyMode::Cells) {
        Control::MoveFocus(direction);
        if (IsFocused() && table.Anchor().row < 0)
            table.PlaceCursorAtFirstCell();
        return;
    }
    if (!table.MoveEditCell(direction))
        Control::MoveFocus(direction);
}

void GridBodyView::Draw() { table.DrawGrid(bounds); }

void GridBodyView::DrawFrame() {}

int32_t GridBodyView::CanTakeFocus() { return table.KeyMode() != GridKeyMode::None && table.ViewMode() == 0 ? 1 : 0; }

}  // namespace vek
