// WindowSystem: the screens, the modifier keys and the queue of input events the program runs on.
#pragma once

#include <cstdint>
#include <deque>

#include "foundation/services/Service.h"
#include "platform/events/Coordinates.h"
#include "platform/events/InputEvent.h"

namespace vek {

class Window;

// The window system: the screens' available areas, the current modifier keys, and the input events
// that wait to be served. The windowed backend registers its implementation; without a display the
// headless one serves: one fixed virtual screen and input that tests or scripts inject.
class WindowSystem {
public:
    virtual ~WindowSystem();
    // True when windows are shown on a screen and a user can answer them.
    virtual bool HasDisplay() const = 0;
    // The available area (without menu bar) of the screen that contains the point, else the main one.
    virtual Rect AvailableScreenArea(Point global) = 0;
    // The modifier keys held now (kModifier... bits).
    virtual uint32_t CurrentModifiers() = 0;
    // Takes the next waiting event for a tracking loop when it is one of the kinds asked for
    // (kWaitMouse, kWaitKey); false when none waits.
    virtual bool TakeTrackingEvent(int32_t mode, PlatformEvent& event) = 0;
};

// One virtual screen of 1600 x 900 pixels; input arrives only by injection. Injected events wait in a
// queue that the event loop serves in order (each through DeliverPlatformEvent), unless a tracking
// loop takes them first.
class HeadlessWindowSystem final : public WindowSystem {
public:
    static constexpr Rect kScreen{0, 0, 900, 1600};

    HeadlessWindowSystem() = default;
    ~HeadlessWindowSystem() override;

    bool HasDisplay() const override { return false; }
    Rect AvailableScreenArea(Point global) override;
    uint32_t CurrentModifiers() override { return modifiers; }
    bool TakeTrackingEvent(int32_t mode, PlatformEvent& event) override;

    // Queues an event for the window (null: the application) and schedules its delivery. The event's
    // time is the program clock's now when it has none.
    void Inject(PlatformEvent event, Window* window);
    void SetModifiers(uint32_t bits) { modifiers = bits; }
    int32_t QueuedEvents() const { return int32_t(queue.size()); }

private:
    struct Queued {
        PlatformEvent event;
        Window* window;
    };
    void DeliverNext();

    std::deque<Queued> queue;
    uint32_t modifiers = 0;
    bool deliveryScheduled = false;
};

template <>
WindowSystem& Service<WindowSystem>::Headless();

}  // namespace vek
