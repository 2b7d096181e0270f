// EventHandlers: how each input event of the window system reaches the program.
#pragma once

#include "platform/events/InputEvent.h"

namespace vek {

class Window;

// Serves one event of the window system, on the main thread, under the handler side of the UI lock
// for the whole run: mouse events are recorded; a mouse-down in a window starts a click thread; a key
// (down or repeat) starts a key thread while a window is active; a vertical wheel turn goes to the
// window under it. Answers whether the program took the event.
bool DeliverPlatformEvent(const PlatformEvent& event, Window* window);

// The application became active or inactive: the tree learns it, the menus follow, and the idle
// timer is re-armed because its pace depends on it.
void HandleApplicationActivation(bool active);
// A window became active or inactive.
void HandleWindowActivation(Window& window, bool active);
// A wheel event over the window: only the vertical axis counts; the direction is -1 for a negative
// delta, else +1; the point goes into the window's content coordinates.
void HandleMouseWheelEvent(const PlatformEvent& event, Window& window);

}  // namespace vek
