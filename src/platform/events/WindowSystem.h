// WindowSystem: the screens, the modifier keys and the queue of input events the program runs on.
#pragma once

#include <cstdint>
#include <deque>

#include "foundation/services/Service.h"
#include "platform/events/Coordinates.h"
#include "platform/events/InputEvent.h"

namespace vek {

class Window;
struct ProgramEvent;

// What changed in a window that the window system shows; the windowed backend follows each change.
enum class WindowChange : int32_t {
    Visibility,  // shown or hidden
    Frame,       // moved or resized by the program
    Title,       // its title or its modified mark
    Highlight,   // activated or deactivated
    Content,     // drawn into its backing surface, or something waits in its update region
};

// How far the desktop's frame reaches around a window's content (placement keeps content clear of it).
struct WindowFrameMetrics {
    int32_t titleBarHeight = 22;  // above the content: the title bar and anything the backend puts there
    int32_t frameWidth = 1;       // left, right and below
};

// Input events that wait to be served, in order: the event loop delivers them one per turn (each
// through DeliverPlatformEvent) unless a tracking loop takes them first.
class PlatformEventQueue {
public:
    // Queues an event for the window (null: the application) and schedules its delivery. The event's
    // time is the program clock's now when it has none; without modifiers it gets `modifiers`.
    void Push(PlatformEvent event, Window* window, uint32_t modifiers);
    bool TakeTrackingEvent(int32_t mode, PlatformEvent& event);
    int32_t Size() const { return int32_t(queue.size()); }
    // Drops the events queued for a window that is going away.
    void ForgetWindow(const Window& window);

private:
    struct Queued {
        PlatformEvent event;
        Window* window;
    };
    void DeliverNext();

    std::deque<Queued> queue;
    bool deliveryScheduled = false;
};

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

    // The program changed something of a window that is shown on the screen; headless: nothing.
    virtual void WindowChanged(Window& window, WindowChange change);
    // The window is being destroyed: nothing may refer to it afterwards.
    virtual void WindowDestroyed(Window& window);
    // The platform menus were built anew from the menu model (PlatformMenus()).
    virtual void MenusRebuilt();
    // The frame the desktop puts around a window's content.
    virtual WindowFrameMetrics FrameMetrics();
    // Device pixels per window coordinate (HiDPI screens: 2); the backing surfaces stay in window
    // coordinates, so that the drawing is the same on every screen.
    virtual int32_t ScaleFactor() { return 1; }
    // Serves a print request ('prnt') on the main thread and completes it, at once or when the job
    // ends; every way it ends completes it. Headless: nothing is printed and it completes at once.
    virtual void RunPrintJob(ProgramEvent& event);
    // Serves a page-setup request ('pgst') on the main thread and completes it once the user answered;
    // every way it ends completes it. Headless: the printer's defaults stay, completed at once.
    virtual void RunPageSetup(ProgramEvent& event);
};

// One virtual screen of 1600 x 900 pixels; input arrives only by injection, through the queue.
class HeadlessWindowSystem final : public WindowSystem {
public:
    static constexpr Rect kScreen{0, 0, 900, 1600};

    HeadlessWindowSystem() = default;
    ~HeadlessWindowSystem() override;

    bool HasDisplay() const override { return false; }
    Rect AvailableScreenArea(Point global) override;
    uint32_t CurrentModifiers() override { return modifiers; }
    bool TakeTrackingEvent(int32_t mode, PlatformEvent& event) override;

    void WindowDestroyed(Window& window) override { queue.ForgetWindow(window); }

    // Queues an event for the window (null: the application) and schedules its delivery. The event's
    // time is the program clock's now when it has none.
    void Inject(PlatformEvent event, Window* window) { queue.Push(event, window, modifiers); }
    void SetModifiers(uint32_t bits) { modifiers = bits; }
    int32_t QueuedEvents() const { return queue.Size(); }

private:
    PlatformEventQueue queue;
    uint32_t modifiers = 0;
};

template <>
WindowSystem& Service<WindowSystem>::Headless();

}  // namespace vek
