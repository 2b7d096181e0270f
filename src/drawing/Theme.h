// Theme: the program's own control frames (push buttons, check boxes, popups, scroll and progress
// tracks, focus rings, tabs), drawn in the current port's local coordinates.
#pragma once

#include <cstdint>
#include <string_view>

#include "drawing/Geometry.h"

namespace vek {

// Inactive when the control is disabled, pressed when it is enabled and pressed, else active.
enum class ThemeState { Inactive = 0, Active = 1, Pressed = 2 };
ThemeState ThemeStateOf(bool enabled, bool pressed);

enum class Orientation { Horizontal, Vertical };
// Tab styles: non-front, non-front pressed, non-front inactive, front.
enum class TabStyle { NonFront = 0, NonFrontPressed = 1, NonFrontInactive = 2, Front = 3 };
// The tab style of a tab control's state: 0 inactive, 2 and 3 front, 4 pressed, else non-front.
TabStyle TabStyleOfState(int32_t state);

// The default button also shows the default ring, two pixels outside the rectangle.
void DrawPushButton(const Rect& rect, bool enabled, bool pressed, bool isDefault);
// value: 0 off, 1 on, 2 mixed.
void DrawSmallCheckBox(const Rect& rect, bool enabled, bool pressed, int32_t value);
void DrawSmallRadioButton(const Rect& rect, bool enabled, bool pressed, int32_t value);
void DrawPopupButtonFrame(const Rect& rect, bool enabled);
// A scroll-bar track with arrows at both ends and its thumb; the view size is maximum - minimum + 1.
// A disabled bar is drawn inactive and without a thumb; pressed parts 1 and 5 show pressed.
void DrawScrollBarTrack(const Rect& rect, bool enabled, int32_t minimum, int32_t maximum, int32_t value,
                        Orientation orientation, int32_t pressedPart);
// A progress bar whose range is the rectangle's width, framed in colour 4.
void DrawProgressTrack(const Rect& rect, int32_t value);
// The focus ring two pixels around the rectangle, inside the current clip.
void DrawFocusRing(const Rect& rect);
void DrawFocusRingInset(const Rect& rect);
// One tab pointing north over the rectangle widened by 2 pixels each side and raised by 1.
void DrawTab(const Rect& rect, TabStyle style);
// The tab of a tab control's state over the rectangle widened by 5 and raised by 3, then its title
// centred in the rectangle (grey when the state is 0). Returns whether the state is not 0.
bool DrawTabWithTitle(const Rect& rect, std::string_view title, int32_t state);

}  // namespace vek
