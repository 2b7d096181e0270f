// InputEvent: filling input records from platform events, the mouse state, waiting in tracking loops.
#include "platform/events/InputEvent.h"

#include "foundation/services/Clock.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

// Written only by RecordMouseLocation (and GetKeyModifiers for the activity time); main thread only.
struct MouseState {
    Point latest;
    bool known = false;
    int64_t latestTime = 0;
    Point lastDistinct;
    bool distinctKnown = false;
    int64_t lastActivity = INT64_MIN / 2;
    int32_t left = 0;
    int32_t right = 0;
    int32_t clickCount = 0;
    uint32_t lastModifiers = 0;
};

MouseState mouse;
FocusPointMapper focusMapper = nullptr;

void ReadMouseButtons(InputEvent& e)
{
    e.leftButton = mouse.left;
    e.rightButton = mouse.right;
    e.anyButton = (mouse.left || mouse.right) ? 1 : 0;
    e.doubleClick = (mouse.clickCount >= 2 && !mouse.right && !e.control) ? 1 : 0;
    e.tripleClick = (e.doubleClick && mouse.clickCount >= 3) ? 1 : 0;
}

}  // namespace

void InputEvent::SetModifiers(uint32_t modifiers)
{
    shift = (modifiers & kModifierShift) ? 1 : 0;
    capsLock = (modifiers & kModifierCapsLock) ? 1 : 0;
    command = (modifiers & kModifierCommand) ? 1 : 0;
    option = (modifiers & kModifierOption) ? 1 : 0;
    control = (modifiers & kModifierControl) ? 1 : 0;
}

int32_t MapKeyCode(int32_t virtualKey, uint32_t character)
{
    switch (virtualKey) {
    case kVirtualKeyF1: return 20;
    case kVirtualKeyF2: return 21;
    case kVirtualKeyF3: return 22;
    case kVirtualKeyF4: return 23;
    case kVirtualKeyForwardDelete: return kKeyForwardDelete;
    case kVirtualKeyClear: return kKeyClear;
    default: break;
    }
    return character <= 0xFFFF ? int32_t(character) : 0xFFFD;
}

void InputEvent::FromPlatformEvent(const PlatformEvent& event)
{
    if (event.hasModifiers)
        SetModifiers(event.modifiers);
    ReadMouseButtons(*this);
    point = mouse.latest;
    key = 0;
    if (event.kind == PlatformEventKind::KeyDown || event.kind == PlatformEventKind::KeyRepeat)
        key = MapKeyCode(event.virtualKey, event.character);
    const int64_t now = CurrentTimeMs();
    time = event.timeMs < now ? event.timeMs : now;
    inside = 1;
}

void InputEvent::WaitNext(int32_t mode)
{
    WindowSystem& system = Service<WindowSystem>::Get();
    PlatformEvent received;
    bool got = false;
    if (time != 0 || (mode & (kWaitMouse | kWaitKey))) {
        // The idle action must not start inside a tracking loop.
        const bool timerWasOn = CurrentIdleInterval() != 0;
        SetIdleTimer(kIdleTimerRemove);
        const int64_t start = CurrentTimeMs();
        const int32_t kinds = mode & (kWaitMouse | kWaitKey);
        if (kinds == 0) {
            if (CurrentCooperativeThread() == kMainThreadId)
                RunEventLoopFor(80);
            else
                DelayYielding(80);
        } else {
            while (!(got = system.TakeTrackingEvent(kinds, received)) && CurrentTimeMs() - start < 15) {
                if (CurrentCooperativeThread() == kMainThreadId)
                    RunEventLoopPending();
                YieldToAnyThread();
            }
        }
        if (timerWasOn)
            SetIdleTimer(kIdleTimerInstall);
    }
    if (got && received.kind != PlatformEventKind::KeyDown && received.kind != PlatformEventKind::KeyRepeat &&
        received.kind != PlatformEventKind::KeyUp)
        RecordMouseLocation(received);
    ReadMouseButtons(*this);
    point = mouse.latest;
    inside = 0;
    if (focusMapper)
        inside = focusMapper(point) ? 1 : 0;
    key = 0;
    if (got && (received.kind == PlatformEventKind::KeyDown || received.kind == PlatformEventKind::KeyRepeat))
        key = MapKeyCode(received.virtualKey, received.character);
    if (mode & kWaitRefreshModifiers)
        SetModifiers(GetKeyModifiers());
    time = CurrentTimeMs();
}

int32_t InputEvent::WaitMouseStillDown()
{
    WaitNext(kWaitMouse);
    return anyButton;
}

void RecordMouseLocation(const PlatformEvent& event)
{
    const int64_t t = event.timeMs;
    if (mouse.known && t < mouse.latestTime)
        return;
    mouse.latestTime = t;
    mouse.latest = event.location;
    mouse.known = true;
    if (!mouse.distinctKnown || !(event.location == mouse.lastDistinct)) {
        mouse.lastDistinct = event.location;
        mouse.distinctKnown = true;
        mouse.lastActivity = t;
    }
    if (event.kind == PlatformEventKind::MouseDown || event.kind == PlatformEventKind::MouseUp) {
        const int32_t down = event.kind == PlatformEventKind::MouseDown ? 1 : 0;
        if (event.button == 1)
            mouse.left = down;
        else if (event.button == 2)
            mouse.right = down;
        mouse.clickCount = event.clickCount;
    }
}

uint32_t GetKeyModifiers()
{
    const uint32_t now = Service<WindowSystem>::Get().CurrentModifiers();
    if (now != mouse.lastModifiers) {
        mouse.lastModifiers = now;
        mouse.lastActivity = CurrentTimeMs();
    }
    return now;
}

int64_t LastActivityTime() { return mouse.lastActivity; }

Point LatestMouseLocation() { return mouse.latest; }

void ResetMouseState() { mouse = MouseState(); }

void SetFocusPointMapper(FocusPointMapper mapper) { focusMapper = mapper; }

}  // namespace vek
