// DragTracking: the dragged rectangle, its tracking loop with XOR feedback, and the zoom animation.
#include "docwindows/strip/DragTracking.h"

#include <algorithm>
#include <cstdlib>

#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/Region.h"
#include "drawing/Shapes.h"
#include "foundation/services/Clock.h"
#include "platform/SystemClock.h"
#include "gui/lists/ListSupport.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kBandLow = -1;
constexpr int32_t kBandHigh = 9999;
constexpr int64_t kLongPressMs = 3000;
constexpr int32_t kThemeCursorPlain = 51;
constexpr int32_t kThemeCursorAlternate = 52;
constexpr int32_t kZoomSteps = 12;
constexpr int32_t kZoomTrail = 4;
constexpr int64_t kZoomStepMs = 16;

// XOR feedback is drawn only where there is a port to draw in: a hidden or headless tracking loop
// computes the same rectangle without showing it.
void XorDragFrame(const Rect& rect)
{
    if (CurrentPort() != nullptr && !rect.IsEmpty())
        FrameRectXor(rect);
}

void InvertDragHotRegion(const Region* hot)
{
    if (hot != nullptr && CurrentPort() != nullptr)
        CurrentPort()->InvertRegion(*hot);
}

bool DragModifiersHeld(const InputEvent& event) { return event.shift || event.command || event.option || event.control; }

int32_t ScaleAlongFrame(int32_t value, int32_t fromStart, int32_t fromLength, int32_t toStart, int32_t toLength)
{
    if (fromLength == 0)
        return toStart;
    return toStart + int32_t(int64_t(value - fromStart) * toLength / fromLength);
}

}  // namespace

Rect DragRectangle(Point start, Point mouse, DragShape shape, bool mirrored)
{
    int32_t left = std::min(start.h, mouse.h);
    int32_t right = std::max(start.h, mouse.h);
    int32_t top = std::min(start.v, mouse.v);
    int32_t bottom = std::max(start.v, mouse.v);
    if (mirrored) {
        const int32_t dh = std::abs(mouse.h - start.h);
        const int32_t dv = std::abs(mouse.v - start.v);
        left = start.h - dh;
        right = start.h + dh;
        top = start.v - dv;
        bottom = start.v + dv;
    }
    if (shape == DragShape::VerticalBand) {
        top = kBandLow;
        bottom = kBandHigh;
    } else if (shape == DragShape::HorizontalBand) {
        left = kBandLow;
        right = kBandHigh;
    }
    return Rect{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(bottom), ClampCoordinate(right)};
}

bool IsLargerThanMinimum(const Rect& rect, DragShape shape, int32_t minimum)
{
    switch (shape) {
    case DragShape::VerticalBand: return rect.Width() > minimum;
    case DragShape::HorizontalBand: return rect.Height() > minimum;
    case DragShape::Free: return rect.Width() > 2 && rect.Height() > 2 && rect.Width() + rect.Height() > minimum;
    }
    return false;
}

DragResult TrackDragRect(const Pane& pane, InputEvent& event, Rect& rect, DragShape shape, int32_t minimum, int32_t* tool,
                         const Region* hotRegion, const Region* hitRegion)
{
    const Point start = event.point;
    const int64_t pressed = event.time != 0 ? event.time : CurrentTimeMs();
    const bool startModifiers = DragModifiersHeld(event);
    bool modifiers = startModifiers;
    bool dragStarted = hotRegion == nullptr;
    bool hotShown = false;
    if (hotRegion != nullptr && hitRegion != nullptr && hitRegion->Contains(start)) {
        InvertDragHotRegion(hotRegion);
        hotShown = true;
    }
    Rect shown{};
    bool passedMinimum = false;
    rect = DragRectangle(start, start, shape, false);
    Point mouse = start;
    while (event.WaitMouseStillDown()) {
        mouse = TrackedPointToLocal(pane, event.point);
        if (tool != nullptr && DragModifiersHeld(event) != modifiers) {
            modifiers = DragModifiersHeld(event);
            SetCursorById(modifiers ? kThemeCursorAlternate : kThemeCursorPlain);
        }
        if (!dragStarted) {
            const bool inside = hitRegion != nullptr && hitRegion->Contains(mouse);
            if (inside != hotShown) {
                InvertDragHotRegion(hotRegion);
                hotShown = inside;
            }
            if (inside)
                continue;
            dragStarted = true;
        }
        rect = DragRectangle(start, mouse, shape, DragModifiersHeld(event));
        const bool large = IsLargerThanMinimum(rect, shape, minimum);
        passedMinimum = passedMinimum || large;
        const Rect wanted = large ? rect : Rect{};
        if (!(wanted == shown)) {
            XorDragFrame(shown);
            XorDragFrame(wanted);
            shown = wanted;
        }
    }
    XorDragFrame(shown);
    mouse = TrackedPointToLocal(pane, event.point);
    if (hotShown)
        InvertDragHotRegion(hotRegion);
    if (tool != nullptr && DragModifiersHeld(event) != startModifiers)
        *tool = *tool == kDragToolPlain ? kDragToolAlternate : kDragToolPlain;
    if (dragStarted || hotRegion == nullptr)
        rect = DragRectangle(start, mouse, shape, DragModifiersHeld(event));
    if (IsLargerThanMinimum(rect, shape, minimum))
        return DragResult::Dragged;
    const bool releasedOutside = hitRegion != nullptr && !hitRegion->Contains(mouse);
    if (passedMinimum || (hotRegion != nullptr && dragStarted) || releasedOutside)
        return DragResult::Dropped;
    return CurrentTimeMs() - pressed <= kLongPressMs ? DragResult::Click : DragResult::LongPress;
}

Rect InterpolateRect(const Rect& from, const Rect& to, int32_t step)
{
    auto along = [step](int32_t a, int32_t b) { return ClampCoordinate(a + (b - a) * step / kZoomSteps); };
    return Rect{along(from.top, to.top), along(from.left, to.left), along(from.bottom, to.bottom), along(from.right, to.right)};
}

Rect ScaleRectBetween(const Rect& rect, const Rect& fromFrame, const Rect& toFrame)
{
    const int32_t fromWidth = fromFrame.Width();
    const int32_t fromHeight = fromFrame.Height();
    const int32_t toWidth = toFrame.Width();
    const int32_t toHeight = toFrame.Height();
    return Rect{ClampCoordinate(ScaleAlongFrame(rect.top, fromFrame.top, fromHeight, toFrame.top, toHeight)),
                ClampCoordinate(ScaleAlongFrame(rect.left, fromFrame.left, fromWidth, toFrame.left, toWidth)),
                ClampCoordinate(ScaleAlongFrame(rect.bottom, fromFrame.top, fromHeight, toFrame.top, toHeight)),
                ClampCoordinate(ScaleAlongFrame(rect.right, fromFrame.left, fromWidth, toFrame.left, toWidth))};
}

void AnimateZoomRects(const Rect& from, const Rect& to)
{
    if (CurrentPort() == nullptr)
        return;
    Rect drawn[kZoomSteps + 1];
    for (int32_t k = 1; k <= kZoomSteps; ++k) {
        drawn[k] = InterpolateRect(from, to, k);
        XorDragFrame(drawn[k]);
        if (k > kZoomTrail)
            XorDragFrame(drawn[k - kZoomTrail]);
        Delay(kZoomStepMs);
    }
    for (int32_t k = kZoomSteps - kZoomTrail + 1; k <= kZoomSteps; ++k) {
        XorDragFrame(drawn[k]);
        Delay(kZoomStepMs);
    }
}

}  // namespace vek
