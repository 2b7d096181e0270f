// MenuItemTest: linking items, the changed flags, tree walks, list menus and the status texts.
#include "gui/MenuItem.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/messages/LocalizedText.h"
#include "gui/Application.h"
#include "gui/MenuBar.h"
#include "gui/MenuRefresh.h"

namespace vek {
namespace {

std::string Children(const MenuItem& menu)
{
    std::string out;
    for (MenuItem* item = menu.FirstChild(); item; item = item->Next())
        out += std::to_string(item->Command()) + " ";
    return out;
}

TEST(MenuItem, AttachModesKeepKeptLastItemsBehind)
{
    MenuItem root(nullptr, 0, 0);
    new MenuItem(&root, kMenuAppendKeepLast, 9);
    new MenuItem(&root, kMenuAppend, 1);  // all children kept last: the new item comes first
    EXPECT_EQ(Children(root), "1 9 ");
    new MenuItem(&root, kMenuAppend, 2);
    MenuItem* three = new MenuItem(&root, kMenuAppendKeepLast, 3);
    EXPECT_EQ(Children(root), "1 2 9 3 ");
    new MenuItem(three, kMenuBefore, 4);
    new MenuItem(root.FirstChild(), kMenuBefore, 5);
    new MenuItem(three, kMenuAfter, 6);
    EXPECT_EQ(Children(root), "5 1 2 9 4 3 6 ");
    // The previous links run backwards and the first child's previous is the last.
    EXPECT_EQ(root.FirstChild()->Previous()->Command(), 6);
    delete three;
    EXPECT_EQ(Children(root), "5 1 2 9 4 6 ");
    EXPECT_EQ(root.FirstChild()->Previous()->Command(), 6);
}

TEST(MenuItem, UnchangedValuesRaiseNoFlag)
{
    MenuItem root(nullptr, 0, 0);
    MenuItem* menu = new MenuItem(&root, 0, 0);
    MenuItem* item = new MenuItem(menu, 0, 7);
    ClearMenusChanged();
    ClearMenuBarChanged();
    item->SetEnabled(true);
    item->SetIcon(0);
    item->SetCheckMark(false);
    item->SetKeyAndModifiers(0, 0);
    EXPECT_FALSE(MenusChanged());
    item->SetCheckMark(true);
    EXPECT_TRUE(MenusChanged());
    EXPECT_FALSE(MenuBarChanged());  // an item inside a menu leaves the bar as it is
    menu->textsChanged = 0;
    item->SetTextString("Text");
    EXPECT_EQ(menu->textsChanged, 1);
    menu->SetEnabled(false);
    EXPECT_TRUE(MenuBarChanged());
    EXPECT_FALSE(MenuItem::IsEnabledInTree(item));
    EXPECT_TRUE(MenuItem::IsEnabledInTree(nullptr));
}

TEST(MenuItem, TreeWalkEndsAtTheRoot)
{
    MenuItem lonely(nullptr, 0, 0);
    EXPECT_EQ(NextMenuItemInTree(&lonely), &lonely);
    MenuItem root(nullptr, 0, 0);
    MenuItem* a = new MenuItem(&root, 0, 1);
    MenuItem* a1 = new MenuItem(a, 0, 2);
    MenuItem* b = new MenuItem(&root, 0, 3);
    EXPECT_EQ(NextMenuItemInTree(&root), a);
    EXPECT_EQ(NextMenuItemInTree(a), a1);
    EXPECT_EQ(NextMenuItemInTree(a1), b);
    EXPECT_EQ(NextMenuItemInTree(b), &root);
}

TEST(ListMenu, ArgumentFromTextIdIsLowerCasedOutsideEnglish)
{
    const int32_t saved = UiLanguage();
    MenuItem root(nullptr, 0, 0);
    ListMenu* item = new ListMenu(&root, 0, -10, 212, 'Z', 0);
    EXPECT_FALSE(item->IsEnabled());  // list menus start disabled
    item->SetTitle(221, true);        // "Close Window"
    EXPECT_EQ(item->Text(), "Undo Close Window");
    EXPECT_TRUE(item->IsEnabled());
    SetUiLanguage(12);
    item->ReloadTexts(18);
    EXPECT_EQ(item->Text(), "Undo close window");
    item->SetArgument("Typing");  // given as text: never lower-cased
    EXPECT_EQ(item->Text(), "Undo Typing");
    SetUiLanguage(saved);
    item->SetTitle(0, false);
    EXPECT_EQ(item->Text(), "Undo");
}

TEST(StandardMenus, StatusItemShowsTheProgramAndRefreshRebuildsOnce)
{
    Application application(true);
    SetStatusTexts("VEK ", "5.6.7");
    EXPECT_EQ(StatusMenuItem()->Text(), "About VEK 5.6.7");
    EXPECT_FALSE(StatusMenuItem()->IsEnabled());
    EXPECT_EQ(FindMenuItemByCommand(kCommandPreferences), PreferencesMenuItem());
    EXPECT_EQ(FindMenuItemByCommand(12345), nullptr);
    UpdateMenusIfNeeded();
    const int32_t before = PlatformMenuRebuilds();
    FindMenuItemByCommand(kCommandNew)->SetTextString("New Base");
    FindMenuItemByCommand(kCommandOpen)->SetTextString("Open Base");
    ResetMenuUpdateInterval();
    UpdateMenusIfNeeded();
    UpdateMenusIfNeeded();
    EXPECT_EQ(PlatformMenuRebuilds(), before + 1);
    EXPECT_EQ(PlatformMenus()[1].items[0].text, "New Base");
    EXPECT_EQ(PlatformMenus()[1].items[1].text, "Open Base\xE2\x80\xA6");
    // No windows: the Window menu stays off.
    EXPECT_FALSE(PlatformMenus()[3].enabled);
    EXPECT_EQ(HandleMenuSelection(4, 1), 0);
    MenuItem* status = EnsureStatusMenuItem();
    EXPECT_EQ(EnsureStatusMenuItem(), status);
}

}  // namespace
}  // namespace vek
