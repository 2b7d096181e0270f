// Tests of PreferenceStore: round trips in key order, damaged files, control characters and errors.
#include "platform/PreferenceStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <sys/stat.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

class PreferenceStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    static std::string Get(const PreferenceStore& store, const char* key)
    {
        String value;
        store.GetString(key, value);
        return value.CStr();
    }
    ino_t NodeOf(const std::string& path) const
    {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }

    TestFolder folder;
};

TEST_F(PreferenceStoreTest, RoundTripInKeyOrder)
{
    {
        PreferenceStore store;
        store.Open("VEK/ZO", 0);
        EXPECT_EQ(store.Count(), 0);
        store.SetString("Language", "sv");
        store.SetString("autoRecalc", "+");
        store.SetString("Empty", "");
        store.SetString("Path", "/home/x/Bas är här.vek");
        store.SetString("language", "fi");  // the same key: the first spelling stays
        store.Remove("Path");
        store.Remove("NotThere");
    }
    EXPECT_EQ(folder.Read("config/VEK/VEK Preferences"),
              "##Preferences\rautoRecalc\t+\rEmpty\rLanguage\tfi\r##End\r");
    PreferenceStore store;
    store.Open("VEK/ZO", 0);
    EXPECT_FALSE(store.IsModified());
    EXPECT_EQ(Get(store, "LANGUAGE"), "fi");
    EXPECT_STREQ(store.KeyAt(1), "Empty");
    EXPECT_TRUE(store.Contains("empty"));
    EXPECT_EQ(Get(store, "absent"), "");
}

TEST_F(PreferenceStoreTest, UnchangedValuesDoNotRewrite)
{
    std::string path = folder.Write("config/VEK/VEK Preferences", "##Preferences\rA\t1\r##End\r");
    ino_t before = NodeOf(path);
    {
        PreferenceStore store;
        store.Open("VEK", 0);
        store.SetString("a", "1");
        EXPECT_FALSE(store.IsModified());
    }
    EXPECT_EQ(NodeOf(path), before);  // a rewrite would have replaced the file
}

TEST_F(PreferenceStoreTest, ReadsAnyLineEndsSortsAndDropsComments)
{
    folder.Write("shared/VEK/VEK Globals", "##Preferences\nZeta\t1\r\n# a comment\nalpha\t2   \nZeta\t3\n##End\n");
    {
        PreferenceStore store;
        store.Open("VEK/ZO", 1);
        EXPECT_EQ(Get(store, "zeta"), "3");  // the last line of a key wins
        EXPECT_EQ(Get(store, "alpha"), "2");
        EXPECT_STREQ(store.KeyAt(0), "alpha");
        EXPECT_TRUE(store.IsModified());  // LF line ends: rewritten in the file's own form
    }
    EXPECT_EQ(folder.Read("shared/VEK/VEK Globals"), "##Preferences\ralpha\t2\rZeta\t3\r##End\r");
}

TEST_F(PreferenceStoreTest, DamagedFilesLoadWhatTheyCanAndAreRewrittenClean)
{
    struct Case {
        const char* name;
        std::string contents;
        std::string expected;  // the file after opening and closing
    };
    const std::string clean = "##Preferences\rA\t1\rB\t2\r##End\r";
    const Case cases[] = {
        {"cut short within a line", "##Preferences\rA\t1\rB\t2\rC\tunfini", clean},
        {"cut short after a line", "##Preferences\rA\t1\rB\t2\r", clean},
        {"no header", "A\t1\rB\t2\r##End\r", clean},
        {"binary garbage", std::string("##Preferences\rA\t1\r\x01\x02\x00\xff\r\tno key\rB\t2\r##End\r", 41), clean},
        {"bad UTF-8", "##Preferences\rA\t1\rB\t2\rC\tx\xC3(\r##End\r",
         "##Preferences\rA\t1\rB\t2\rC\tx\xEF\xBF\xBD(\r##End\r"},
        {"lines after the end", "##Preferences\rA\t1\rB\t2\r##End\rZ\t9\r", clean},
        {"empty", "", "##Preferences\r##End\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.Write("config/VEK/VEK Preferences", c.contents);
        {
            PreferenceStore store;
            store.Open("VEK", 0);
            EXPECT_TRUE(store.IsModified());
        }
        EXPECT_EQ(folder.Read("config/VEK/VEK Preferences"), c.expected);
    }
}

TEST_F(PreferenceStoreTest, KeepsTheCallersPendingErrorAndFailsSilently)
{
    SetErrorCode(message::kUnknownComponent);  // any message the file layer never raises
    {
        PreferenceStore store;
        store.Open("VEK", 0);  // no file yet
        store.SetString("Key", "value");
    }  // written, creating the folder
    EXPECT_EQ(GetPendingError().message.code, message::kUnknownComponent);
    ClearError();
    // A store whose folder cannot be made loses its changes without a message.
    folder.Write("blocked", "a file where a folder should be");
    FilePath unwritable;
    unwritable.SetFromSystemPath(folder.Path("blocked/VEK/VEK Preferences"));
    {
        PreferenceStore store;
        store.OpenFile(unwritable);
        store.SetString("Key", "value");
    }
    EXPECT_FALSE(IsErrorPending());
    PreferenceStore store;
    store.Open("VEK", 0);
    EXPECT_EQ(Get(store, "Key"), "value");
}

// Fault guarded: a tab, CR or LF in a value (a recent file's path may hold any of them) broke the
// file's lines, or came back as blanks; escaped, every value reads back as it was set.
TEST_F(PreferenceStoreTest, ControlCharactersInValuesKeepTheFileReadableAndComeBack)
{
    const char* const values[] = {"a\tb\rc", "line\nbreak", "back\\slash\\t", "\\", "end\t\r\n", "plain"};
    {
        PreferenceStore store;
        store.Open("VEK", 0);
        int32_t i = 0;
        for (const char* value : values)
            store.SetString(("Key" + std::to_string(i++)).c_str(), value);
        store.SetString("Tab\tKey", "k");
    }
    std::string file = folder.Read("config/VEK/VEK Preferences");
    // Only the header, the entries and the end: no value spilled onto a line of its own.
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 2 + 7);
    EXPECT_EQ(file.find('\n'), std::string::npos);
    PreferenceStore store;
    store.Open("VEK", 0);
    int32_t i = 0;
    for (const char* value : values) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Get(store, ("Key" + std::to_string(i++)).c_str()), value);
    }
    EXPECT_EQ(Get(store, "Tab\tKey"), "k");
    EXPECT_FALSE(store.IsModified());
}

TEST_F(PreferenceStoreTest, BackslashesOfOlderFilesReadAsThemselves)
{
    folder.Write("config/VEK/VEK Preferences", "##Preferences\rPath\tC:\\x\\y\\\r##End\r");
    PreferenceStore store;
    store.Open("VEK", 0);
    EXPECT_EQ(Get(store, "Path"), "C:\\x\\y\\");
}

// Fault guarded: the file was rewritten in place, so a crash or a full disk midway left a cut file.
// A change now writes a new file beside it and renames it over the old one.
TEST_F(PreferenceStoreTest, ChangesReplaceTheFileWhole)
{
    std::string path = folder.Write("config/VEK/VEK Preferences", "##Preferences\rA\t1\r##End\r");
    ino_t before = NodeOf(path);
    {
        PreferenceStore store;
        store.Open("VEK", 0);
        store.SetString("A", "2");
    }
    EXPECT_NE(NodeOf(path), before);
    EXPECT_EQ(folder.Read("config/VEK/VEK Preferences"), "##Preferences\rA\t2\r##End\r");
}

TEST_F(PreferenceStoreTest, TypedValuesReadOnlyTheirForm)
{
    folder.Write("config/VEK/VEK Preferences",
                 "##Preferences\rBad\tx12\rBoolBad\tyes\rLang\tger\rLangBad\tXX\rNeg\t-7\rOff\t-\rOn\t+\r##End\r");
    PreferenceStore store;
    store.Open("VEK", 0);
    int32_t number = 99;
    EXPECT_TRUE(store.GetInt("Neg", number));
    EXPECT_EQ(number, -7);
    EXPECT_FALSE(store.GetInt("Bad", number));
    EXPECT_FALSE(store.GetInt("Missing", number));
    EXPECT_EQ(number, -7);
    bool flag = false;
    EXPECT_TRUE(store.GetBool("On", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(store.GetBool("Off", flag));
    EXPECT_FALSE(flag);
    flag = true;
    EXPECT_FALSE(store.GetBool("BoolBad", flag));
    EXPECT_TRUE(flag);
    int32_t language = 0;
    EXPECT_TRUE(store.GetLanguage("Lang", language));
    EXPECT_EQ(language, 7);
    EXPECT_FALSE(store.GetLanguage("LangBad", language));
    EXPECT_EQ(language, 7);
    store.SetInt("N", 7412);
    store.SetBool("B", false);
    store.SetLanguage("L", 2);
    EXPECT_EQ(Get(store, "N"), "7412");
    EXPECT_EQ(Get(store, "B"), "-");
    EXPECT_EQ(Get(store, "L"), "DAN");
}

}  // namespace
}  // namespace vek
