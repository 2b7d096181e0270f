// CellEditField: the in-place text field over a table window's edit cell.
#pragma once

#include "gui/editing/TextField.h"

namespace vek {

class TableWindow;

// A text field that lies over the edit cell in row mode. Typing stays in the field; Return and the
// up and down arrows go to the window's grid keys, and the focus moves of Tab go from cell to cell.
class CellEditField final : public TextField {
public:
    CellEditField(Pane& enclosure, TableWindow& window, const OriginSize& frame);
    ~CellEditField() override;

    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    void MoveFocus(int32_t direction) override;

private:
    TableWindow& table;
};

}  // namespace vek
