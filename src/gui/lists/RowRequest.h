// RowRequest: the one record through which a grid view asks its owner everything about its rows.
#pragma once

#include <cstdint>

#include "platform/events/Coordinates.h"

namespace vek {

class GridView;
struct InputEvent;

enum class RowRequestKind : int32_t {
    Count = 0,              // answer in rowCount
    Height = 1,             // answer in rowHeight (12 when untouched; below 1 counts as 1)
    Draw = 2,               // draw the row in rowRect; answer 1 when it is drawn selected
    TakesFocus = 3,         // answer 1 when the list may take the focus (a list left at 0 ignores clicks)
    MaySelect = 4,          // answer 1 when the row may be selected (nothing else is)
    MayAddToSelection = 5,  // answer 1 when the row may join the rows already selected
    SelectionChanged = 6,   // notice: row, answer 1 selected, 0 not
    Open = 7,               // open the row (double click, Return, Enter, space); event attached
    Delete = 8,             // delete keys on the current selected row; event attached
    Click = 9,              // a click on a row before the selection changes: set handled to take it over
};

// Filled by GridView::InitRowRequest; the answer fields start at their defaults.
struct RowRequest {
    RowRequestKind kind = RowRequestKind::Count;
    GridView* view = nullptr;
    int32_t rowCount = 0;
    int32_t row = 0;
    int32_t answer = 0;
    Rect rowRect;
    int32_t rowHeight = 12;
    InputEvent* event = nullptr;
    int32_t handled = 0;
};

}  // namespace vek
