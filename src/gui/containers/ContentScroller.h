// ContentScroller: the vertical scrolling of a control's children that tab controls and group boxes share.
#pragma once

#include <cstdint>

#include "gui/Control.h"

namespace vek {

class ScrollBar;
struct ScrollNotice;

// Scrolls the children of a control by pixels (one row per pixel) with a floating ScrollBar child
// made when the content no longer fits and removed when it fits again. Heights and offsets are
// 32-bit: content taller than a coordinate holds still scrolls to its end.
class ContentScroller {
public:
    // widenBy: how much the control grows when the bar appears (and shrinks when it goes).
    ContentScroller(Control& owner, int32_t widenBy) : owner(owner), widenBy(widenBy) {}

    // Largest child bottom + smallest child top (from 99), plus twice the offset; the bar left out.
    int32_t ContentHeight() const;
    // Only once the control has a window.
    void Update();
    // The bar's first row (pixels) when there is a bar, else 0.
    int32_t Offset() const;
    // Answers the notices of its own bar; false for any other.
    bool Handle(ScrollNotice& notice);
    int32_t Wheel(InputEvent& event, int32_t lines);
    void Resized(int32_t dw, int32_t dh);
    // Removes the bar (moving the children back first).
    void Remove();
    ScrollBar* Bar() const { return bar; }

private:
    void MoveChildren(int32_t dy);

    Control& owner;
    int32_t widenBy = 0;
    ScrollBar* bar = nullptr;
};

}  // namespace vek
