// PopupMenu: the library's own pop-up and context menus: the commands come from the pane's owners
// through HandleMessage, the menu is drawn as a floating pane of the window next to the pointer, and
// the chosen command goes back through HandleMessage.
#pragma once

#include <cstdint>

namespace vek {

class Pane;
struct InputEvent;

// The most commands a menu shows (a longer list shows its first ones).
constexpr int32_t kPopupMenuLimit = 64;

// Runs a pop-up menu for the pane at the event's point (pane coordinates): phase 0 collects the
// commands, phase 1 describes each item (enabled, ellipsis, size), phase 3 performs the chosen one.
// The mouse and the keys are tracked by the MouseTracker rules; up and down arrows move between the
// enabled items, Return, Enter and Tab choose, Escape cancels. Answers the chosen index, or -1 when
// nothing was chosen; choosing the initial index performs nothing.
int32_t TrackPaneDrag(Pane& pane, int32_t messageKind, const InputEvent& event, int32_t initialIndex);

}  // namespace vek
