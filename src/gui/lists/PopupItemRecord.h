// PopupItemRecord: how a popup button asks its owner for item texts and tells it of a choice.
#pragma once

#include <cstdint>

#include "platform/events/Coordinates.h"

namespace vek {

class PopupButton;

enum class PopupItemKind : int32_t { Describe = 0, Chosen = 1 };

// Icon numbers: below 30000 a picture id; 30000-30099 a colour swatch of colour index icon - 30000;
// 30100 and up a sample of icon - 30099 lines.
constexpr int32_t kPopupSwatchIcon = 30000;
constexpr int32_t kPopupLineIcon = 30100;

// One record serves the questions to the owner and the state of an open list.
struct PopupItemRecord {
    PopupItemKind kind = PopupItemKind::Describe;
    PopupButton* popup = nullptr;
    int32_t index = 0;
    // The current item when the record was set up; in a Chosen record from the list, the previous one.
    int32_t current = 0;
    // The item's UTF-8 text; null for none. An owner may write it into textBuffer.
    const char* text = nullptr;
    int32_t icon = 0;
    // 1 unless the owner clears it; an item with neither text nor icon is a divider, never enabled.
    int32_t enabled = 1;
    // 1: choosing the item makes it current; 0: a command item, only reported (drawn in italics).
    int32_t selectable = 1;
    // The mode SelectItem was given (Chosen records).
    int32_t mode = 0;
    char textBuffer[256] = {};

    // The state of an open list (screen coordinates).
    Rect listRect;
    int32_t rowHeight = 0;
    int32_t visibleRows = 0;
    int32_t topRow = 0;
    int32_t highlighted = -1;
    int64_t lastScrollTime = 0;
    int64_t scrollDelay = 0;
};

}  // namespace vek
