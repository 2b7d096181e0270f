// PrintJob: one page-setup or print request of a window, as the window lays out and draws its pages.
#pragma once

#include <cstdint>

#include "drawing/Geometry.h"

namespace vek {

// The phases a window's print hook is told, in order: 0 → 1 → (2 per page) → 3; a job that ends early
// goes from 0 or 1 straight to 3.
enum class PrintPhase : int32_t { Preparing = 0, LaidOut = 1, DrawingPage = 2, Finished = 3 };

// One job per window at a time. Rectangles are in points of the page (72 per inch): the paper, and the
// printable page inside it, with the page's top-left at (0, 0).
struct PrintJob {
    int32_t mode = 0;  // 0 shows the print dialog; any other value prints at once without one
    PrintPhase phase = PrintPhase::Preparing;
    int32_t pageCount = 0;    // set by the window in phase 1
    int32_t currentPage = 0;  // the page being drawn in phase 2 (1-based)
    Rect paperRect;
    Rect pageRect;
};

}  // namespace vek
