// MouseTracker: the rules of Step in the order they apply.
#include "gui/controls/MouseTracker.h"

#include "foundation/services/Service.h"
#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/Pane.h"
#include "gui/Window.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

constexpr int64_t kQuickReleaseMs = 300;
constexpr int64_t kMovePauseMs = 160;
constexpr int32_t kClickSlop = 4;
constexpr int32_t kFarDistance = 5;
constexpr int32_t kMoveDistance = 3;

bool TrackedApplicationActive()
{
    Application* application = Application::Get();
    return application == nullptr || application->IsActive();
}

}  // namespace

void MouseTracker::Stop(bool cancel)
{
    tracking = false;
    if (cancel)
        cancelled = true;
}

void MouseTracker::Begin(const InputEvent& event, Pane& pane)
{
    tracking = true;
    cancelled = false;
    firstRelease = true;
    movedWhileDown = false;
    movedFar = false;
    moving = false;
    dragging = event.anyButton != 0;
    startPoint = event.point;
    startTime = event.time;
    // The pane's origin on the screen turns the screen area into pane coordinates.
    Point origin = pane.WindowOffset();
    if (Window* window = pane.GetWindow()) {
        origin.v = int16_t(origin.v + window->Position().v);
        origin.h = int16_t(origin.h + window->Position().h);
    }
    Point global{int16_t(origin.v + event.point.v), int16_t(origin.h + event.point.h)};
    bounds = Service<WindowSystem>::Get().AvailableScreenArea(global);
    ShiftRect(bounds, -origin.h, -origin.v);
    slopBounds = bounds;
    OutsetRectHV(slopBounds, 2, 22);
    lastPoint = event.point;
    lastMoveTime = event.time;
    lastEventTime = event.time;
}

void MouseTracker::Restart(const InputEvent& event)
{
    if (!TrackedApplicationActive()) {
        Stop(true);
        return;
    }
    startPoint = event.point;
    startTime = event.time;
    lastPoint = event.point;
    lastMoveTime = event.time;
    movedFar = false;
    moving = false;
}

void MouseTracker::Step(const InputEvent& event, bool waitingForChoice)
{
    if (!TrackedApplicationActive()) {
        Stop(true);
        return;
    }
    const bool down = event.anyButton != 0;
    const int32_t fromStart = ManhattanDistance(event.point, startPoint);
    if (!down && dragging) {
        dragging = false;
        if (!IsPointInRect(event.point, slopBounds)) {
            Stop(true);
            return;
        }
        if (waitingForChoice && firstRelease && event.command) {
            Stop(false);
            return;
        }
        if (firstRelease) {
            firstRelease = false;
            // A quick click leaves the menu open; a press held longer chooses on release.
            if (event.time - startTime > kQuickReleaseMs) {
                Stop(false);
                return;
            }
        }
        if (movedWhileDown) {
            Stop(false);
            return;
        }
    }
    if (event.key != 0)
        dragging = false;
    if (down && !(firstRelease && fromStart <= kClickSlop)) {
        dragging = true;
        movedWhileDown = true;
    }
    if (fromStart > kFarDistance)
        movedFar = true;
    if (ManhattanDistance(event.point, lastPoint) > kMoveDistance) {
        moving = true;
        lastPoint = event.point;
        lastMoveTime = event.time;
        lastEventTime = event.time;
    } else if (event.time - lastMoveTime > kMovePauseMs) {
        if (movedFar)
            moving = false;
        lastPoint = event.point;
        lastMoveTime = event.time;
    }
    if (!(dragging && down)) {
        switch (event.key) {
        case 9:
        case 3:
        case 13: Stop(false); return;
        case 27: Stop(true); return;
        default: break;
        }
        if (event.key != 0 && !(event.rightButton || event.control || event.command || event.option))
            lastEventTime = event.time;
    }
    if (event.time - lastEventTime > idleTimeout)
        Stop(true);
}

}  // namespace vek
