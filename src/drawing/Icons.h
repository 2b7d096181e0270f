// Icons: the program's images by number, the built-in icon strips drawn by our own code.
#pragma once

#include <cstdint>

#include "drawing/Geometry.h"

namespace vek {

// Ids of the built-in strips.
constexpr int32_t kFirstStripIcon = 5800;
constexpr int32_t kLastStripIcon = 5852;   // the last cell the strips hold
constexpr int32_t kBusyIdleIcon = 5827;    // the busy indicator at rest; 5828-5852 its frames

// Prepares the strips; they are drawn by code, so nothing can be missing.
void LoadIconStrips();
// Draws image id into the rectangle. Only the built-in strips (5800-5999) exist here: the ranges of
// resource icons and pictures draw nothing.
void DrawPicture(const Rect& rect, int32_t id);
// The same at the image's natural size with its top-left corner at (h, v).
void DrawPictureAt(int32_t h, int32_t v, int32_t id);
// The natural size of an image, at (0, 0): 32, 16 or 8 pixels square by range, 16, 13, 15 or 26 for
// the strips; empty below 1 and for pictures (6000 and up), of which there are none.
void GetPictureBounds(Rect& out, int32_t id);
// A strip icon; with the flag set the selected look (5800-5807 on grey 6, colour cells in their
// second row).
void DrawIcon(const Rect& rect, int32_t id, bool flag);

}  // namespace vek
