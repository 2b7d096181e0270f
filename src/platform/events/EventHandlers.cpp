// EventHandlers: the display-free part of the program's event handlers.
#include "platform/events/EventHandlers.h"

#include "platform/events/ActionThreads.h"
#include "platform/events/UiLock.h"

namespace vek {

bool DeliverPlatformEvent(const PlatformEvent& event, Window* window)
{
    HandlerUiLock lock;
    switch (event.kind) {
    case PlatformEventKind::MouseDown:
    case PlatformEventKind::MouseUp:
    case PlatformEventKind::MouseMoved:
    case PlatformEventKind::MouseDragged:
        RecordMouseLocation(event);
        if (event.kind == PlatformEventKind::MouseDown && window) {
            // A click in an inactive window is offered to it first (FirstClick); when nothing takes
            // it, it only activates the window, as the window system does.
            ActionHost& host = Service<ActionHost>::Get();
            const bool wasActive = host.IsWindowActive(*window);
            const int32_t taken = StartClickThread(*window, event);
            if (!wasActive && taken == 0) {
                host.SetWindowActive(*window, true);
                RefreshAfterAction();
            }
            return taken != 0 || !wasActive;
        }
        return false;
    case PlatformEventKind::KeyDown:
    case PlatformEventKind::KeyRepeat:
        if (!Service<ActionHost>::Get().HasActiveWindow())
            return false;
        StartKeyThread(event);
        return MapKeyCode(event.virtualKey, event.character) != 0;
    case PlatformEventKind::KeyUp:
        return false;
    case PlatformEventKind::MouseWheel:
        // A wheel turn happens where the pointer is; its place is recorded as for any mouse event.
        RecordMouseLocation(event);
        if (!window)
            return false;
        HandleMouseWheelEvent(event, *window);
        return true;
    }
    return false;
}

void HandleApplicationActivation(bool active)
{
    HandlerUiLock lock;
    Service<ActionHost>::Get().SetApplicationActive(active);
    RefreshAfterAction();
    SetIdleTimer(kIdleTimerInstall | kIdleTimerRemove);
}

void HandleWindowActivation(Window& window, bool active)
{
    HandlerUiLock lock;
    Service<ActionHost>::Get().SetWindowActive(window, active);
    RefreshAfterAction();
}

void HandleMouseWheelEvent(const PlatformEvent& event, Window& window)
{
    if (event.wheelAxis != 1)
        return;
    const int32_t direction = event.wheelDelta < 0 ? -1 : 1;
    InputEvent input;
    input.FromPlatformEvent(event);
    ActionHost& host = Service<ActionHost>::Get();
    Point origin = host.ContentOrigin(window);
    input.point.v = int16_t(input.point.v - origin.v);
    input.point.h = int16_t(input.point.h - origin.h);
    host.DispatchWheel(window, input, direction);
}

}  // namespace vek
