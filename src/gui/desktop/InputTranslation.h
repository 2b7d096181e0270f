// InputTranslation: the display's key and pointer events as the program's platform events.
#pragma once

#include <cstdint>

#include "platform/events/InputEvent.h"

namespace vek {

// The program's modifier bits for a GDK modifier state: Ctrl is the command key, Alt the option key,
// Super the control key; shift and caps lock are themselves.
uint32_t ModifiersFromGdkState(uint32_t state);

// A key of the display: the virtual key code and character the program's key mapping (MapKeyCode)
// expects. Keys that carry a character in the program's own code table (arrows 28-31, home 1, end 4,
// page up 11, page down 12, backspace 8, tab 9, return 13, enter 3, escape 27) get it; F1-F4, forward
// delete and clear get their virtual key codes; any other key its Unicode character (0 when none).
struct TranslatedKey {
    int32_t virtualKey = 0;
    uint32_t character = 0;
};
TranslatedKey TranslateGdkKey(uint32_t keyval);

// Counts the clicks of a button as the desktop does: a press within the double-click time and
// distance of the previous press of the same button adds one; anything else starts at one.
class ClickCounter {
public:
    int32_t Press(int32_t button, int64_t timeMs, Point location, int64_t doubleClickMs, int32_t distance);
    // The count of the latest press (a release carries it too).
    int32_t Count() const { return count; }

private:
    int32_t lastButton = 0;
    int64_t lastTime = 0;
    Point lastLocation;
    int32_t count = 0;
};

}  // namespace vek
