// MouseTracker: tells a click from a press-and-drag for pop-up menus and controls that track the
// mouse, with the release, slop, key and timeout rules they share.
#pragma once

#include <cstdint>

#include "drawing/Geometry.h"

namespace vek {

class Pane;
struct InputEvent;

// Points are in the tracked pane's coordinates, times event times in ms. Distances are Manhattan.
struct MouseTracker {
    static constexpr int64_t kIdleTimeoutMs = 15000;

    bool tracking = false;
    bool cancelled = false;
    bool dragging = false;        // the pointer is being dragged with the button down
    bool movedWhileDown = false;
    bool firstRelease = true;     // until the first button release
    Point startPoint;
    int64_t startTime = 0;
    Rect bounds;                  // the available screen area
    Rect slopBounds;              // the same, 2 pixels wider each side and 22 taller at top and bottom
    bool movedFar = false;        // more than 5 pixels from the start
    bool moving = false;          // more than 3 pixels since the last check
    Point lastPoint;
    int64_t lastMoveTime = 0;
    int64_t lastEventTime = 0;
    int64_t idleTimeout = kIdleTimeoutMs;

    // Starts at the event (its point in the pane's coordinates); the screen area is the one holding
    // the pointer, in the pane's coordinates.
    void Begin(const InputEvent& event, Pane& pane);
    // Takes the next event as the start of the move detection; stops and cancels when the
    // application is not active.
    void Restart(const InputEvent& event);
    // One round of the rules with an event in the pane's coordinates. waitingForChoice: a menu that
    // a first release with the command key chooses from.
    void Step(const InputEvent& event, bool waitingForChoice);

private:
    void Stop(bool cancel);
};

}  // namespace vek
