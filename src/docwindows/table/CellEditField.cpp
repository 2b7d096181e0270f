// CellEditField: the in-place field passes Return, the row keys and the focus moves to its window.
#include "docwindows/table/CellEditField.h"

#include "docwindows/table/TableWindow.h"

namespace vek {

CellEditField::CellEditField(Pane& enclosure, TableWindow& window, const OriginSize& frame)
    : TextField(enclosure, frame, 0, false, false), table(window)
{
    SetReturnMode(ReturnMode::Swallow);
    FinishConstruction();
}

CellEditField::~CellEditField() { PrepareDestruction(); }

int32_t CellEditField::KeyDown(InputEvent& event, Pane* pane)
{
    const bool plain = !event.command && !event.option && !event.control;
    const bool rowKey = event.key == 3 || event.key == 13 || event.key == 30 || event.key == 31;
    if (plain && rowKey && table.GridKeyDown(event))
        return 1;
    return TextField::KeyDown(event, pane);
}

void CellEditField::MoveFocus(int32_t direction)
{
    if (!table.MoveEditCell(direction))
        TextField::MoveFocus(direction);
}

}  // namespace vek
