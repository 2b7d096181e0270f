// InputTranslation: GDK modifier states, key values and clicks as the program sees them.
#include "gui/desktop/InputTranslation.h"

#include <gdk/gdk.h>

#include <cstdlib>

namespace vek {

uint32_t ModifiersFromGdkState(uint32_t state)
{
    uint32_t bits = 0;
    if (state & GDK_CONTROL_MASK)
        bits |= kModifierCommand;
    if (state & GDK_SHIFT_MASK)
        bits |= kModifierShift;
    if (state & GDK_LOCK_MASK)
        bits |= kModifierCapsLock;
    if (state & GDK_MOD1_MASK)
        bits |= kModifierOption;
    if (state & (GDK_SUPER_MASK | GDK_MOD4_MASK))
        bits |= kModifierControl;
    return bits;
}

TranslatedKey TranslateGdkKey(uint32_t keyval)
{
    switch (keyval) {
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return {0, 28};
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return {0, 29};
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return {0, 30};
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return {0, 31};
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home: return {0, 1};
    case GDK_KEY_End:
    case GDK_KEY_KP_End: return {0, 4};
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up: return {0, 11};
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down: return {0, 12};
    case GDK_KEY_BackSpace: return {0, 8};
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab: return {0, 9};
    case GDK_KEY_Return: return {0, 13};
    case GDK_KEY_KP_Enter: return {0, 3};
    case GDK_KEY_Escape: return {0, 27};
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete: return {kVirtualKeyForwardDelete, 127};
    case GDK_KEY_Clear: return {kVirtualKeyClear, 0};
    case GDK_KEY_F1: return {kVirtualKeyF1, 0};
    case GDK_KEY_F2: return {kVirtualKeyF2, 0};
    case GDK_KEY_F3: return {kVirtualKeyF3, 0};
    case GDK_KEY_F4: return {kVirtualKeyF4, 0};
    default: break;
    }
    return {0, gdk_keyval_to_unicode(keyval)};
}

int32_t ClickCounter::Press(int32_t button, int64_t timeMs, Point location, int64_t doubleClickMs, int32_t distance)
{
    const bool near = std::abs(location.h - lastLocation.h) <= distance && std::abs(location.v - lastLocation.v) <= distance;
    if (count > 0 && button == lastButton && timeMs - lastTime <= doubleClickMs && near)
        ++count;
    else
        count = 1;
    lastButton = button;
    lastTime = timeMs;
    lastLocation = location;
    return count;
}

}  // namespace vek
