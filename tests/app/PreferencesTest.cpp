// PreferencesTest: the settings' keys and their forms, and the recent files in the preferences and
// the File menu.
#include "app/Preferences.h"

#include <gtest/gtest.h>

#include <string>

#include "app/MainApplication.h"
#include "app/RecentFiles.h"
#include "foundation/messages/PendingError.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "platform/TestFolder.h"

namespace vek {
namespace {

const char kUserFile[] = "config/VEK/VEK Preferences";
const char kSharedFile[] = "shared/VEK/VEK Globals";

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        Settings() = ProgramSettings();
        RecentFiles() = RecentFileList();
        InitRecentFiles();
    }
    void TearDown() override { ClearError(); }

    static std::string Preferences(const char* lines)
    {
        return std::string("##Preferences\r") + lines + "##End\r";
    }

    TestFolder folder;
};

TEST_F(PreferencesTest, UserFileOverridesSharedAndBadValuesAreIgnored)
{
    folder.Write(kSharedFile, Preferences("Dateformat\tA\rLanguage\tGER\r"));
    folder.Write(kUserFile, Preferences("AutoRecalc\t-\rCheckFiles\tmaybe\rDuvodePort\t80\rLangFromSystem\t+\r"
                                        "Language\tFIN\rPixFactor\t4\rServeDuvODE\t+\rVEK5.RecentFile\t12\r"));
    LoadPreferences();
    const ProgramSettings& settings = Settings();
    EXPECT_EQ(settings.language, 5) << "the user's language overrides the shared one";
    EXPECT_EQ(settings.dateFormat, 'A') << "read from the shared file when the user's has none";
    EXPECT_FALSE(settings.autoRecalc);
    EXPECT_TRUE(settings.checkFiles) << "a value of the wrong form leaves the default";
    EXPECT_EQ(settings.webPort, 7412) << "a port of 80 or below is ignored";
    EXPECT_EQ(settings.pixFactor, 2) << "a pixel factor outside 1-3 is ignored";
    EXPECT_TRUE(settings.serveWeb);
    EXPECT_EQ(RecentFiles().count, 8) << "a count above 8 becomes 8";
}

// Regression: a port above 65535 was taken, and the socket layer would have listened on another one.
TEST_F(PreferencesTest, WebPortBeyond65535IsIgnoredAndTheAddressReadsBack)
{
    folder.Write(kUserFile, Preferences("DuvodePort\t70000\r"));
    LoadPreferences();
    EXPECT_EQ(Settings().webPort, 7412);
    EXPECT_EQ(Settings().webAddress, "127.0.0.1");

    Settings().webPort = 65535;
    Settings().webAddress = "0.0.0.0";
    SavePreferences();
    Settings() = ProgramSettings();
    LoadPreferences();
    EXPECT_EQ(Settings().webPort, 65535);
    EXPECT_EQ(Settings().webAddress, "0.0.0.0");
}

TEST_F(PreferencesTest, SavedSettingsReadBack)
{
    Settings().autoRecalc = false;
    Settings().webPort = 8123;
    Settings().language = 2;
    Settings().languageFromSystem = true;
    RecentFiles().fullPaths = true;
    SavePreferences();
    Settings() = ProgramSettings();
    RecentFiles().fullPaths = false;
    LoadPreferences();
    EXPECT_FALSE(Settings().autoRecalc);
    EXPECT_EQ(Settings().webPort, 8123);
    EXPECT_EQ(Settings().language, 2);
    EXPECT_TRUE(RecentFiles().fullPaths);
    EXPECT_EQ(folder.CountEntries("config/VEK"), 1) << "no temporary file is left beside the preferences";
}

TEST_F(PreferencesTest, AddingRecentFilesMovesThemFirst)
{
    for (int i = 7; i >= 0; --i)
        AddRecentFile("/files/" + std::to_string(i) + ".vkx");
    RecentFileList& recent = RecentFiles();
    EXPECT_EQ(recent.slots[0], "/files/0.vkx");
    EXPECT_EQ(recent.slots[7], "/files/7.vkx");

    AddRecentFile("/files/3.vkx");  // already in slot 3
    EXPECT_EQ(recent.slots[0], "/files/3.vkx");
    EXPECT_EQ(recent.slots[1], "/files/0.vkx");
    EXPECT_EQ(recent.slots[3], "/files/2.vkx");
    EXPECT_EQ(recent.slots[4], "/files/4.vkx");

    AddRecentFile("/files/new.vkx");  // the list is full: the last one drops out
    EXPECT_EQ(recent.slots[0], "/files/new.vkx");
    EXPECT_EQ(recent.slots[7], "/files/6.vkx");

    // The list lives in the user's file: a second copy of the program sees it.
    RecentFiles() = RecentFileList();
    LoadPreferences();
    EXPECT_EQ(RecentFiles().slots[0], "/files/new.vkx");
    EXPECT_EQ(RecentFiles().slots[7], "/files/6.vkx");

    RecentFiles().count = 0;
    AddRecentFile("/files/ignored.vkx");
    EXPECT_EQ(RecentFiles().slots[0], "/files/new.vkx") << "with the list off nothing is added";
}

TEST_F(PreferencesTest, PathsWithTabsAndLineBreaksComeBack)
{
    const std::string odd = "/files/tab\there\rand\nbreak.vkx";
    AddRecentFile(odd);
    AddRecentFile("/files/plain.vkx");
    RecentFiles() = RecentFileList();
    LoadPreferences();
    EXPECT_EQ(RecentFiles().slots[1], odd);
    EXPECT_EQ(RecentFiles().slots[0], "/files/plain.vkx");
}

TEST_F(PreferencesTest, RecentFilesMenu)
{
    MainApplication application;
    AddRecentFile("/files/b/second.vkx");
    AddRecentFile("/files/a/first.vkx");
    MenuItem* open = FindMenuItemByCommand(kCommandOpen);
    ASSERT_NE(open, nullptr);
    MenuItem* submenu = nullptr;
    for (MenuItem* item = open->Parent()->FirstChild(); item; item = item->Next()) {
        if (item->TextId() == 2500)
            submenu = item;
    }
    ASSERT_NE(submenu, nullptr);
    MenuItem* entry = submenu->FirstChild();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Text(), "first.vkx") << "file names in recency order";
    EXPECT_EQ(entry->Next()->Text(), "second.vkx");

    ClearRecentFiles();
    for (MenuItem* item = open->Parent()->FirstChild(); item; item = item->Next())
        EXPECT_NE(item->TextId(), 2500) << "no menu without files";
}

}  // namespace
}  // namespace vek
