// MenuRequest: the record through which a pane asks its owners for the commands of a pop-up menu.
#pragma once

#include <cstdint>

#include "drawing/Geometry.h"

namespace vek {

class Pane;

constexpr uint16_t kMenuSeparator = 0xFFFF;

struct MenuRequest {
    static constexpr int32_t kInlineCommands = 63;  // separators included, then the terminator

    int32_t phase = 0;  // 0 collect, 1 describe an item, 2 draw an item, 3 perform
    Pane* pane = nullptr;
    int32_t messageKind = 0;
    int32_t optionKey = 0;
    int32_t contextClick = 0;
    int32_t first = 0;
    int32_t index = 0;
    Rect itemRect;
    int32_t width = 32;
    int32_t height = 14;
    int32_t enabled = 1;
    int32_t ellipsis = 0;
    int32_t separator = 0;
    // Set by the owner in phase 1 for an item it draws itself: phase 2 then asks it to draw the item
    // (index: its position) into itemRect, in the menu's coordinates and colours.
    int32_t ownerDrawn = 0;
    uint16_t* commands = inlineCommands;
    uint16_t inlineCommands[kInlineCommands + 1] = {};

    MenuRequest() = default;
    // The list pointer must point into the copy, not the original.
    MenuRequest(const MenuRequest&) = delete;
    MenuRequest& operator=(const MenuRequest&) = delete;
};

}  // namespace vek
