// ListSupport: what the lists and containers share: tracked points and drawing colours.
#pragma once

#include "gui/Pane.h"
#include "gui/Window.h"
#include "drawing/DrawingState.h"
#include "platform/events/InputEvent.h"

namespace vek {

// Tracking loops read the pointer in global coordinates; this moves such a point into the pane's own.
inline Point TrackedPointToLocal(const Pane& pane, Point global)
{
    int32_t v = global.v - pane.WindowOffset().v;
    int32_t h = global.h - pane.WindowOffset().h;
    if (const Window* window = pane.GetWindow()) {
        v -= window->Position().v;
        h -= window->Position().h;
    }
    return Point{ClampCoordinate(v), ClampCoordinate(h)};
}

// A click that asks for the context menu: the secondary button or the control key.
inline bool IsContextClick(const InputEvent& event) { return event.rightButton || event.control; }

// Draws from here on with the colour indices (the focus restores the pane's own afterwards).
inline void UseColourIndices(int32_t fore, int32_t back)
{
    DrawingState& state = GetDrawingState();
    state.view->fore = fore;
    state.view->back = back;
    ApplyViewColors();
}

}  // namespace vek
