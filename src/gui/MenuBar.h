// MenuBar: the standard menus, the platform menu bar built from the model, choosing and enabling.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vek {

class MenuItem;
class Window;

// One item of a platform menu as the window system shows it.
struct PlatformMenuEntry {
    std::string text;  // "-" for a separator
    bool enabled = true;
    int32_t key = 0;  // upper case; 0 for none
    int32_t modifiers = 0;
    bool checked = false;
    int32_t icon = 0;
    int32_t submenuId = 0;
};

// A platform menu: ids run from 1 to the count of menus built.
struct PlatformMenu {
    int32_t id = 0;
    std::string title;
    bool enabled = true;
    std::vector<PlatformMenuEntry> items;
};

// The menus built last (the headless menu bar; the windowed backend shows the same).
const std::vector<PlatformMenu>& PlatformMenus();

// System commands of the application menu, enabled by state.
enum class SystemCommand : int32_t { Preferences, Hide, HideOthers, ShowAll, Quit };
bool IsSystemCommandEnabled(SystemCommand command);

// Builds the standard menus under the root (from the application's constructor).
void BuildStandardMenus(MenuItem& root);
// Forgets the globals of the standard menus (when the tree is destroyed).
void ForgetStandardMenus();
// The status item (command -13) and the Preferences item; null before the menus exist.
MenuItem* StatusMenuItem();
MenuItem* PreferencesMenuItem();
// The status texts: the first cut at 31 bytes, the second at 15; the status item shows both.
void SetStatusTexts(const char* first, const char* second);
void ShowStatusTexts();
const char* ProgramTitle();

// Builds every menu of the root (disabled with the root); with redraw the menu bar is redrawn.
void RebuildPlatformMenus(bool redraw);
void DeletePlatformMenus();
// The model entry of a platform menu, and the n-th shown child of it (n from 1).
MenuItem* FindMenuById(int32_t menuId);
MenuItem* FindMenuItem(int32_t menuId, int32_t itemNumber);
bool IsItemHiddenFromMenu(const MenuItem& entry);
// A choice in the platform menu bar: runs the entry in a command thread when it and its menus are
// enabled, keeping the title highlighted at least 100 ms. Answers 1 when taken.
int32_t HandleMenuSelection(int32_t menuId, int32_t itemNumber);
// The enabled item whose key equivalent is the key (any letter case) with exactly these kMenuShift and
// kMenuOption bits; null when none.
MenuItem* FindMenuItemForKey(int32_t key, int32_t modifiers);
// When the mouse is over the active window, its centre becomes where new windows are placed; 1 then.
int32_t RecordWindowPlacementPoint();

// The application's part of UpdateMenus: the standard items as they are without documents.
void ResetStandardMenuItems();
void EnableMenuCommands();
// The front window's part: page setup, close and close all; zoom for windows of kind 1.
void EnableWindowMenuItems(const Window& window);
void EnableCloseAllItem(bool flag);

}  // namespace vek
