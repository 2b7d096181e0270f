// InputEvent: what views see of a mouse or key input; the mouse state the platform records.
#pragma once

#include <cstdint>

#include "platform/events/Coordinates.h"

namespace vek {

// Modifier bits of a platform event.
constexpr uint32_t kModifierCommand = 0x100;
constexpr uint32_t kModifierShift = 0x200;
constexpr uint32_t kModifierCapsLock = 0x400;
constexpr uint32_t kModifierOption = 0x800;
constexpr uint32_t kModifierControl = 0x1000;

// Kinds of platform event; the mouse kinds keep the numbers the program's tables use.
enum class PlatformEventKind : int32_t {
    MouseDown = 1,
    MouseUp = 2,
    MouseMoved = 5,
    MouseDragged = 6,
    MouseWheel = 10,
    KeyDown = 20,
    KeyRepeat = 21,
    KeyUp = 22,
};

// Virtual key codes of the keys that carry no character.
constexpr int32_t kVirtualKeyF1 = 122;
constexpr int32_t kVirtualKeyF2 = 120;
constexpr int32_t kVirtualKeyF3 = 99;
constexpr int32_t kVirtualKeyF4 = 118;
constexpr int32_t kVirtualKeyForwardDelete = 117;
constexpr int32_t kVirtualKeyClear = 71;

// An event as the window system delivers it (a real one or an injected one).
struct PlatformEvent {
    PlatformEventKind kind = PlatformEventKind::MouseMoved;
    int64_t timeMs = 0;        // on the program clock
    bool hasModifiers = false;
    uint32_t modifiers = 0;    // kModifier... bits
    Point location;            // global
    int32_t button = 0;        // 1 left, 2 right (mouse down and up)
    int32_t clickCount = 0;
    int32_t virtualKey = 0;    // key events
    uint32_t character = 0;    // key events: the Unicode character, 0 for none
    int32_t wheelAxis = 1;     // 1 vertical, 0 horizontal
    int32_t wheelDelta = 0;
};

// Wait modes of InputEvent::WaitNext.
constexpr int32_t kWaitMouse = 1;
constexpr int32_t kWaitRefreshModifiers = 2;
constexpr int32_t kWaitKey = 4;

// What views see of a user input. The point is global when made from a platform event; dispatching
// moves it into the coordinates of each receiver.
struct InputEvent {
    int32_t shift = 0;
    int32_t capsLock = 0;
    int32_t command = 0;
    int32_t option = 0;
    int32_t control = 0;
    Point point;
    int32_t leftButton = 0;
    int32_t rightButton = 0;
    int32_t anyButton = 0;
    int32_t doubleClick = 0;
    int32_t tripleClick = 0;
    int32_t inside = 0;     // the point lies in the visible region of the view being tracked
    int32_t key = 0;        // the program's key code or the character; 0 for none
    int64_t time = 0;       // milliseconds of the program clock

    // Fills the record from a platform event and the recorded mouse state.
    void FromPlatformEvent(const PlatformEvent& event);
    // Waits (yielding) for the next mouse and/or key event of the window system, at most 15 ms, and
    // fills the record from the mouse state; see the kWait... modes. Meant for tracking loops.
    void WaitNext(int32_t mode);
    // WaitNext for mouse events; answers whether a button is still down.
    int32_t WaitMouseStillDown();
    void SetModifiers(uint32_t modifiers);
};

// Program key codes of keys without a character.
constexpr int32_t kKeyF1 = 20;
constexpr int32_t kKeyF4 = 23;
constexpr int32_t kKeyForwardDelete = 25;
constexpr int32_t kKeyClear = 26;

// The program's key for a virtual key code and character.
int32_t MapKeyCode(int32_t virtualKey, uint32_t character);

// Records a mouse event's location, buttons and click count; an event older than the latest one
// recorded changes nothing. Moving to a new place counts as user activity.
void RecordMouseLocation(const PlatformEvent& event);
// Reads the modifier keys that the window system reports now; a change counts as user activity.
uint32_t GetKeyModifiers();
// The time of the latest user activity (program clock, ms); moving the mouse, changing modifiers.
int64_t LastActivityTime();
// The latest recorded mouse location (global) and whether one is known.
Point LatestMouseLocation();
// Back to the state at start-up (tests).
void ResetMouseState();

// Maps a point of the focused drawing to local coordinates and says whether it lies in the focused
// view's visible region; registered by the drawing layer. Without one, tracked points are never inside.
using FocusPointMapper = bool (*)(Point& point);
void SetFocusPointMapper(FocusPointMapper mapper);

}  // namespace vek
