// MenuRefresh: the periodic refresh of the platform menus from the menu model, and menu lookups.
#pragma once

#include <cstdint>

namespace vek {

class MenuItem;

// The countdown before the next menu refresh (ms). User actions reset it to 0 so that the menus
// follow at the next opportunity; a handled key caps it at 1500; a refresh sets it to 15000.
void ResetMenuUpdateInterval();
void CapMenuUpdateInterval(int32_t ms);
int32_t MenuUpdateInterval();

// When the interval has passed since the last refresh: the current target updates its items; then,
// when the model changed, the platform menus are built again (at most once per call). Answers
// whether the platform menus were rebuilt.
bool UpdateMenusIfNeeded();
// How often the platform menus were rebuilt (tests).
int32_t PlatformMenuRebuilds();

// Makes the status item once: a menu item under the root with flag 1 and no command, text 225.
MenuItem* EnsureStatusMenuItem();
// The first item with the command, walking the tree from the root; null when none.
MenuItem* FindMenuItemByCommand(int32_t command);

}  // namespace vek
