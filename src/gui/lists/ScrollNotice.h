// ScrollNotice: the record through which a scroll bar asks its owner about rows and tells it of moves.
#pragma once

#include <cstdint>

namespace vek {

class ScrollBar;

enum class ScrollNoticeKind : int32_t {
    BeginUpdate = 0,      // an update bracket opens; the owner may prepare
    EndUpdate = 1,        // the update bracket closed
    Extent = 2,           // answer: the visible extent in pixels (preset to the bar's length)
    RowSize = 3,          // row; answer: the row's size in pixels (preset 1; below 1 counts as 1)
    MayBeFirst = 4,       // row; answer: 1 when the row may be the first visible one (preset 1)
    FirstRowChanged = 5,  // row: the old first row; pixelDelta: > 0 the view moved back, < 0 forward
    LiveThumb = 6,        // row under a live thumb; answer: 1 while still dragged, 0 at release
};

// Sent by a scroll bar to its own ScrollChanged, which the panes pass up to the owner. Every count,
// row and pixel figure is 32-bit: a list of a million rows, or a page scrolled by pixels, runs far
// past what a coordinate holds.
struct ScrollNotice {
    ScrollNoticeKind kind = ScrollNoticeKind::BeginUpdate;
    ScrollBar* bar = nullptr;
    int32_t row = 0;
    int32_t answer = 0;
    int32_t pixelDelta = 0;
};

}  // namespace vek
