// DragTracking: tracking a rectangle dragged out with the mouse, and the zoom-rectangle animation.
#pragma once

#include <cstdint>

#include "drawing/Geometry.h"

namespace vek {

class Pane;
class Region;
struct InputEvent;

// What is dragged: a free rectangle, a vertical band (the rectangle's vertical extent runs from -1 to
// 9999 and its width follows the mouse) or a horizontal band.
enum class DragShape : int32_t { Free = 0, VerticalBand = 1, HorizontalBand = 2 };

// How a drag ended: 2 the rectangle was larger than the minimum at release; 0 the drag had started and
// fell short, or the release was outside the hit region; 1 a click (released within 3000 ms) and 3 a
// long press, both without a drag.
enum class DragResult : int32_t { Dropped = 0, Click = 1, Dragged = 2, LongPress = 3 };

// The tool codes that a modifier change switches between.
constexpr int32_t kDragToolPlain = 4100;
constexpr int32_t kDragToolAlternate = 4101;

// The rectangle from the start point to the mouse, mirrored around the start point while `mirrored`
// (modifiers held), with a band's fixed extent put in.
Rect DragRectangle(Point start, Point mouse, DragShape shape, bool mirrored);
// Whether the rectangle counts as dragged: free rectangles when both sides are larger than 2 and their
// sum larger than the minimum; bands by their width (vertical) or height (horizontal).
bool IsLargerThanMinimum(const Rect& rect, DragShape shape, int32_t minimum);

// Tracks the mouse from the event's press (its point in the pane's coordinates) until release, in the
// pane's coordinates, showing the
// rectangle as an XOR frame while it is larger than the minimum. With a hot region the press must
// first leave the hit region to start the drag (the hot region is inverted while it is inside). With a
// tool (kDragToolPlain or kDragToolAlternate) a modifier change switches the cursor, and at the end
// the tool is switched when the modifiers differ from the start. The result rectangle is in `rect`.
DragResult TrackDragRect(const Pane& pane, InputEvent& event, Rect& rect, DragShape shape, int32_t minimum, int32_t* tool,
                         const Region* hotRegion, const Region* hitRegion);

// The rectangle `step` twelfths of the way from `from` to `to` (step 0 is `from`, 12 is `to`).
Rect InterpolateRect(const Rect& from, const Rect& to, int32_t step);
// Maps the rectangle proportionally from one frame to another. A frame without width or height maps
// every point of that axis onto the other frame's start edge (nothing is divided by zero).
Rect ScaleRectBetween(const Rect& rect, const Rect& fromFrame, const Rect& toFrame);
// Twelve XOR frames from one rectangle to the other, 16 ms apart, each erased four steps later.
void AnimateZoomRects(const Rect& from, const Rect& to);

}  // namespace vek
