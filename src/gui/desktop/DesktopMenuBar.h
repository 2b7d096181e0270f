// DesktopMenuBar: the program's platform menus as a GTK menu bar.
#pragma once

#include <string>
#include <string_view>

struct _GtkWidget;

namespace vek {

// Fills a GTK menu bar (emptied first) from the platform menus built last (PlatformMenus()): the
// first menu becomes the program's menu, which also holds the desktop's Preferences and Quit; every
// other top-level menu keeps its title. Items show their key equivalents (Ctrl for the command key,
// Shift, Alt for option) but carry no accelerator: the program's own key dispatch answers keys. A
// choice is served as a choice in the menu bar (HandleMenuSelection) at the loop's next turn.
void FillMenuBar(_GtkWidget* menuBar);

// The text as GTK may show it: invalid UTF-8 becomes U+FFFD (GTK refuses labels that are not UTF-8).
std::string ValidMenuText(std::string_view text);

}  // namespace vek
