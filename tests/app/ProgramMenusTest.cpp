// ProgramMenusTest: the program's menus are where the menu table puts them, follow the current base
// (its dimension names and named objects), are enabled by whether a base is current, and dispatch
// to the base's commands.
#include "app/ProgramMenus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainApplication.h"
#include "foundation/messages/LocalizedText.h"
#include "gui/Application.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::vector<std::string> ChildTexts(const MenuItem& menu)
{
    std::vector<std::string> texts;
    for (MenuItem* child = menu.FirstChild(); child; child = child->Next())
        texts.push_back(child->Text());
    return texts;
}

int32_t IndexInParent(const MenuItem& item)
{
    int32_t index = 0;
    for (MenuItem* child = item.Parent()->FirstChild(); child != &item; child = child->Next())
        ++index;
    return index;
}

// Every test has its application; the base it makes current is closed before the application goes.
class ProgramMenusTest : public ::testing::Test {
protected:
    void TearDown() override { Base::SetCurrentBase(nullptr); }

    MainApplication application;
};

TEST_F(ProgramMenusTest, TheItemsStandWhereTheMenuTablePutsThem)
{
    struct Placement {
        int32_t textId;
        int32_t neighbourCommand;  // the standard item it follows (or precedes)
        int32_t offset;            // its index minus the neighbour's
        int32_t command;
        int32_t key;
    };
    const Placement placements[] = {
        {2503, kCommandSaveAs, 1, kCommandSaveTemplates, 0},
        {2507, kCommandSaveAs, 2, kCommandAuthorizations, 0},
        {2508, kCommandSaveAs, 3, kCommandWebUsers, 0},
        {2504, kCommandSaveAs, 4, 0, 0},
        {2517, kCommandPaste, -2, kCommandViewMode, 'T'},
        {2519, kCommandPaste, -1, kCommandCopyOptions, 'T'},
        {2520, kCommandClear, 1, kCommandNewObject, 'M'},
        {2521, kCommandSelectAll, 1, kCommandExpandAll, 0},
        {2522, kCommandSelectAll, 2, kCommandLevels, 'E'},
        {2523, kCommandSelectAll, 3, kCommandFitColumns, 'F'},
    };
    for (const Placement& placement : placements) {
        SCOPED_TRACE(placement.textId);
        MenuItem* item = FindProgramMenuItem(placement.textId);
        MenuItem* neighbour = FindMenuItemByCommand(placement.neighbourCommand);
        ASSERT_NE(item, nullptr);
        ASSERT_NE(neighbour, nullptr);
        EXPECT_EQ(item->Parent(), neighbour->Parent());
        EXPECT_EQ(IndexInParent(*item) - IndexInParent(*neighbour), placement.offset);
        EXPECT_EQ(item->Command(), placement.command);
        EXPECT_EQ(item->Key(), placement.key);
    }
    // The two new menus come before the Window menu, which stays last.
    std::vector<std::string> titles = ChildTexts(*RootMenuItem());
    ASSERT_GE(titles.size(), 3u);
    EXPECT_EQ(titles[titles.size() - 3], LoadText(2524));
    EXPECT_EQ(titles[titles.size() - 2], LoadText(2546));
    EXPECT_EQ(titles.back(), LoadText(220));
    // Import and Export end the File menu, before the recent files.
    MenuItem* exportItem = FindProgramMenuItem(2515);
    ASSERT_NE(exportItem, nullptr);
    EXPECT_EQ(exportItem->Previous()->TextId(), 2513);
    EXPECT_EQ(exportItem->Previous()->Key(), 'I');
    // Nine dimensions have a digit key; the dimension items carry the codes 25..56.
    MenuItem* dimensions = FindProgramMenuItem(2525);
    ASSERT_NE(dimensions, nullptr);
    int32_t d = 0;
    for (MenuItem* item = dimensions->FirstChild(); item; item = item->Next(), ++d) {
        EXPECT_EQ(item->Command(), kCommandFirstDimension + d);
        EXPECT_EQ(item->Key(), d < 9 ? '1' + d : 0);
    }
    EXPECT_EQ(d, 32);
}

TEST_F(ProgramMenusTest, WithoutABaseTheBaseMenusAreDisabledAndShowTheDefaultNames)
{
    application.UpdateMenus();
    MenuItem* baseMenu = FindProgramMenuItem(2524);
    ASSERT_NE(baseMenu, nullptr);
    EXPECT_FALSE(baseMenu->IsEnabled());
    EXPECT_FALSE(FindProgramMenuItem(2546)->IsEnabled());
    EXPECT_TRUE(FindMenuItemByCommand(kCommandOpen)->IsEnabled());
    EXPECT_TRUE(FindMenuItemByCommand(kCommandNew)->IsEnabled());
    EXPECT_TRUE(StatusMenuItem()->IsEnabled()) << "About is always there to choose";
    MenuItem* first = FindProgramMenuItem(2525)->FirstChild();
    EXPECT_EQ(first->Text(), LoadText(3000));
    EXPECT_FALSE(first->IsEnabled());
    // The platform menu bar shows both new menus.
    RebuildPlatformMenus(false);
    int32_t shown = 0;
    for (const PlatformMenu& menu : PlatformMenus())
        if (menu.title == LoadText(2524) || menu.title == LoadText(2546))
            ++shown;
    EXPECT_EQ(shown, 2);
}

TEST_F(ProgramMenusTest, TheCurrentBaseFillsTheMenusAndEnablesItsItems)
{
    Base base(FilePath(), 1);
    base.GetDimension(1).SetPluralName("Accounts");
    ASSERT_NE(base.Subsets().CreateSubset("Large"), nullptr);
    Base::SetCurrentBase(&base);

    EXPECT_EQ(FindProgramMenuItem(2525)->FirstChild()->Next()->Text(), "Accounts");
    EXPECT_TRUE(FindProgramMenuItem(2525)->FirstChild()->IsEnabled());
    MenuItem* subsets = FindProgramMenuItem(2533);
    const std::vector<std::string> entries = ChildTexts(*subsets);
    ASSERT_EQ(entries.size(), 4u) << "new, delete, a separator and the subset";
    EXPECT_EQ(entries[2], "");
    EXPECT_EQ(entries[3], "Large");
    // Nothing came to the time scales: no separator either.
    EXPECT_EQ(ChildTexts(*FindProgramMenuItem(2536)).size(), 2u);

    base.SetModified(false);
    application.UpdateMenus();
    EXPECT_TRUE(FindProgramMenuItem(2524)->IsEnabled());
    EXPECT_TRUE(FindProgramMenuItem(2534)->IsEnabled());
    EXPECT_FALSE(FindProgramMenuItem(2535)->IsEnabled()) << "deleting needs a subset window in front";
    EXPECT_FALSE(FindMenuItemByCommand(kCommandSave)->IsEnabled()) << "an unchanged base has nothing to save";
    base.SetModified(true);
    application.UpdateMenus();
    EXPECT_TRUE(FindMenuItemByCommand(kCommandSave)->IsEnabled());
}

TEST_F(ProgramMenusTest, ABaseCommandChosenFromTheMenuReachesTheBaseAndTheMenuFollows)
{
    Base base(FilePath(), 1);
    Base::SetCurrentBase(&base);
    MenuItem* newSubset = FindProgramMenuItem(2534);
    ASSERT_NE(newSubset, nullptr);
    EXPECT_EQ(application.DoCommand(*newSubset), 1);
    ASSERT_EQ(base.Subsets().Count(), 1);
    // The next update of the menus rebuilds the subsets for the change.
    application.UpdateMenus();
    const std::vector<std::string> entries = ChildTexts(*FindProgramMenuItem(2533));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3], std::string(base.Subsets().GetAt(0)->OperandName()));
    // A command of no one is answered 0.
    MenuItem* levels = FindProgramMenuItem(2522);
    EXPECT_EQ(application.DoCommand(*levels), 0);
}

TEST_F(ProgramMenusTest, ClosingTheCurrentBaseEmptiesItsMenus)
{
    {
        Base base(FilePath(), 1);
        ASSERT_NE(base.Subsets().CreateSubset("Large"), nullptr);
        Base::SetCurrentBase(&base);
        ASSERT_EQ(ChildTexts(*FindProgramMenuItem(2533)).size(), 4u);
    }
    EXPECT_EQ(Base::CurrentBase(), nullptr);
    EXPECT_EQ(ChildTexts(*FindProgramMenuItem(2533)).size(), 2u) << "no item may outlive its subset";
    EXPECT_EQ(FindProgramMenuItem(2525)->FirstChild()->Text(), LoadText(3000));
}

}  // namespace
}  // namespace vek
