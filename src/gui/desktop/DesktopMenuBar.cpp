// DesktopMenuBar: GTK menus made from the platform menus; choices go back by menu id and item number.
#include "gui/desktop/DesktopMenuBar.h"

#include <gtk/gtk.h>

#include <unordered_set>
#include <vector>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/UiLock.h"

namespace vek {

namespace {

constexpr const char* kMenuChoiceKey = "vek-menu-choice";

// The menu id and item number of a choice, kept with the GTK item (freed with it).
struct MenuChoice {
    int32_t menuId = 0;
    int32_t itemNumber = 0;
};

void ServeMenuChoice(MenuChoice choice)
{
    HandlerUiLock lock;
    HandleMenuSelection(choice.menuId, choice.itemNumber);
    RefreshAfterAction();
}

void OnMenuItemActivate(GtkMenuItem* item, gpointer)
{
    const auto* choice = static_cast<const MenuChoice*>(g_object_get_data(G_OBJECT(item), kMenuChoiceKey));
    if (!choice)
        return;
    // Not inside the menu's own signal: the action may run a while and open windows.
    const MenuChoice copy = *choice;
    PostToMainThread([copy] { ServeMenuChoice(copy); });
}

void OnPreferencesActivate(GtkMenuItem*, gpointer)
{
    PostToMainThread([] {
        HandlerUiLock lock;
        if (MenuItem* preferences = PreferencesMenuItem(); preferences && preferences->IsEnabled())
            StartCommandThread(*preferences);
        RefreshAfterAction();
    });
}

void OnQuitActivate(GtkMenuItem*, gpointer)
{
    PostToMainThread([] { HandleQuitRequest(); });
}

// While a menu is open no idle action starts, as while the desktop tracks a menu.
void OnMenuShown(GtkWidget*, gpointer) { SetMenuTracking(true); }
void OnMenuHidden(GtkWidget*, gpointer) { SetMenuTracking(false); }

void ShowKey(GtkWidget* item, uint32_t key, GdkModifierType modifiers)
{
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
    if (GTK_IS_ACCEL_LABEL(label))
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, modifiers);
}

GtkWidget* MakeItem(const PlatformMenuEntry& entry)
{
    if (entry.text == "-")
        return gtk_separator_menu_item_new();
    GtkWidget* item = entry.checked ? gtk_check_menu_item_new_with_label(ValidMenuText(entry.text).c_str())
                                    : gtk_menu_item_new_with_label(ValidMenuText(entry.text).c_str());
    if (entry.checked)
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    gtk_widget_set_sensitive(item, entry.enabled ? TRUE : FALSE);
    if (entry.key > 0) {
        int type = GDK_CONTROL_MASK;
        if (entry.modifiers & kMenuShift)
            type |= GDK_SHIFT_MASK;
        if (entry.modifiers & kMenuOption)
            type |= GDK_MOD1_MASK;
        ShowKey(item, gdk_unicode_to_keyval(uint32_t(entry.key) | 0x20u), GdkModifierType(type));
    }
    return item;
}

const PlatformMenu* MenuById(int32_t id)
{
    const std::vector<PlatformMenu>& menus = PlatformMenus();
    return id >= 1 && size_t(id) <= menus.size() ? &menus[size_t(id - 1)] : nullptr;
}

GtkWidget* BuildMenu(const PlatformMenu& menu, int32_t depth)
{
    GtkWidget* shell = gtk_menu_new();
    int32_t number = 0;
    for (const PlatformMenuEntry& entry : menu.items) {
        ++number;
        GtkWidget* item = MakeItem(entry);
        const PlatformMenu* submenu = entry.submenuId ? MenuById(entry.submenuId) : nullptr;
        if (submenu && depth < 16) {
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), BuildMenu(*submenu, depth + 1));
        } else if (entry.text != "-") {
            auto* choice = new MenuChoice{menu.id, number};
            g_object_set_data_full(G_OBJECT(item), kMenuChoiceKey, choice,
                                   [](gpointer data) { delete static_cast<MenuChoice*>(data); });
            g_signal_connect(item, "activate", G_CALLBACK(OnMenuItemActivate), nullptr);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
    }
    if (!menu.enabled)
        gtk_widget_set_sensitive(shell, FALSE);
    return shell;
}

void AddProgramItems(GtkWidget* shell)
{
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
    if (MenuItem* preferences = PreferencesMenuItem()) {
        GtkWidget* item = gtk_menu_item_new_with_label(ValidMenuText(preferences->Text()).c_str());
        gtk_widget_set_sensitive(item, IsSystemCommandEnabled(SystemCommand::Preferences) ? TRUE : FALSE);
        g_signal_connect(item, "activate", G_CALLBACK(OnPreferencesActivate), nullptr);
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
    }
    GtkWidget* quit = gtk_menu_item_new_with_label(ValidMenuText(LoadText(text::kQuit)).c_str());
    gtk_widget_set_sensitive(quit, IsSystemCommandEnabled(SystemCommand::Quit) ? TRUE : FALSE);
    ShowKey(quit, GDK_KEY_q, GDK_CONTROL_MASK);
    g_signal_connect(quit, "activate", G_CALLBACK(OnQuitActivate), nullptr);
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), quit);
}

}  // namespace

std::string ValidMenuText(std::string_view text)
{
    gchar* valid = g_utf8_make_valid(text.data(), gssize(text.size()));
    std::string result = valid ? valid : "";
    g_free(valid);
    return result;
}

void FillMenuBar(GtkWidget* menuBar)
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(menuBar));
    for (GList* child = children; child; child = child->next)
        gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);

    const std::vector<PlatformMenu>& menus = PlatformMenus();
    std::unordered_set<int32_t> submenus;
    for (const PlatformMenu& menu : menus)
        for (const PlatformMenuEntry& entry : menu.items)
            if (entry.submenuId)
                submenus.insert(entry.submenuId);
    bool first = true;
    for (const PlatformMenu& menu : menus) {
        if (submenus.contains(menu.id))
            continue;
        // The first menu is titled with a control character on the original desktop; here it is the
        // program's own menu, titled with its name.
        std::string title = first ? std::string(ProgramTitle()) : menu.title;
        while (!title.empty() && title.back() == ' ')
            title.pop_back();
        GtkWidget* top = gtk_menu_item_new_with_label(ValidMenuText(title).c_str());
        GtkWidget* shell = BuildMenu(menu, 0);
        if (first)
            AddProgramItems(shell);
        g_signal_connect(shell, "show", G_CALLBACK(OnMenuShown), nullptr);
        g_signal_connect(shell, "hide", G_CALLBACK(OnMenuHidden), nullptr);
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), shell);
        if (!menu.enabled && !first)
            gtk_widget_set_sensitive(top, FALSE);
        gtk_menu_shell_append(GTK_MENU_SHELL(menuBar), top);
        first = false;
    }
    gtk_widget_show_all(menuBar);
}

}  // namespace vek
