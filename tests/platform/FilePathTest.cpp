// Tests of FilePath: colon paths, normalising, absolute texts, names, file facts and failures.
#include "platform/FilePath.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "platform/ForkFile.h"
#include "platform/PathText.h"

namespace vek {
namespace {

class FilePathTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }
    TestFolder folder;
};

TEST_F(FilePathTest, NormalizesTexts)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"/a//b/./c/../d", "/a/b/d"},
        {"/a///b", "/a/b"},
        {"/a/b/../../..", "/"},
        {"/../x", "/x"},
        {"/a/b/..", "/a"},
        {"/a/./", "/a/"},
        {"/a/b/", "/a/b/"},
        {"//", "/"},
        {"/a/.../b", "/a/.../b"},
        {"/a/..b/c", "/a/..b/c"},
        {"a/../../b", "../b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        NormalizePathText(text);
        EXPECT_EQ(text, c.expected);
    }
}

TEST_F(FilePathTest, MakesTextsAbsolute)
{
    std::string home = folder.Path("home");
    FilePath base;
    base.SetPath(folder.Write("bases/Base.vek", "x"));
    struct Case {
        const char* text;
        const FilePath* base;
        std::string expected;
    };
    const Case cases[] = {
        {"~", nullptr, home},
        {"~/notes.txt", nullptr, home + "/notes.txt"},
        {"~vek-nobody-here/x", nullptr, "/home/vek-nobody-here/x"},
        {"report.txt", nullptr, home + "/report.txt"},
        {"report.txt", &base, folder.Path("bases/report.txt")},
        {"../report.txt", &base, folder.Path("report.txt")},
        {"/etc/./hosts", &base, "/etc/hosts"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FilePath path;
        path.SetPathRelativeTo(c.text, c.base);
        EXPECT_EQ(path.Text(), c.expected);
    }
}

TEST_F(FilePathTest, ConvertsColonPaths)
{
    folder.Write("bases/Vol/Folder/file", "x");
    FilePath base;
    base.SetPath(folder.Path("bases/Base.vek"));
    struct Case {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"Vol:Folder:file", folder.Path("bases/Vol/Folder/file")},
        {"Vol:Folder::Folder:file", folder.Path("bases/Vol/Folder/file")},
        {":Vol:Folder", folder.Path("bases/Vol/Folder")},
        {"::Base.vek", folder.Path("Base.vek")},
        {"Vol:a/b", folder.Path("bases/Vol/a:b")},
        // A first component that names no folder leaves the text as it is.
        {"Nowhere:file", folder.Path("bases/Nowhere:file")},
        // A POSIX text keeps its colons.
        {"/x:y/z", "/x:y/z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ClearError();
        FilePath path;
        path.SetPathRelativeTo(c.text, &base);
        EXPECT_EQ(path.Text(), c.expected);
    }
}

TEST_F(FilePathTest, NamesAndExtensions)
{
    struct Case {
        const char* path;
        const char* extension;  // given to SetExtension
        const char* expected;
    };
    const Case cases[] = {
        {"/d/name", "txt", "/d/name.txt"},
        {"/d/name.vek", "txt", "/d/name.txt"},
        {"/d/name.", "", "/d/name"},
        {"/d/name.vek", "", "/d/name"},
        {"/d/.profile", "txt", "/d/.profile.txt"},
        {"/d.x/name", "txt", "/d.x/name.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FilePath path;
        path.SetPath(c.path);
        path.SetExtension(c.extension);
        EXPECT_EQ(path.Text(), c.expected);
    }
    ClearError();
    FilePath path;
    path.SetPath(folder.Path("a.b/Base:1.vek"));
    String text;
    path.GetFileName(text);
    EXPECT_STREQ(text.CStr(), "Base:1.vek");
    path.GetDisplayFileName(text);
    EXPECT_STREQ(text.CStr(), "Base/1.vek");
    path.GetExtension(text);
    EXPECT_STREQ(text.CStr(), "vek");
    EXPECT_TRUE(path.GoToParent());
    EXPECT_EQ(path.Text(), folder.Path("a.b"));
    FilePath top;
    top.SetPath("/a");
    EXPECT_FALSE(top.GoToParent());
}

TEST_F(FilePathTest, MissingFolderReportsOnce)
{
    FilePath path;
    path.SetPath(folder.Path("missing/deeper/file.txt"));
    ASSERT_TRUE(IsErrorPending());
    const Message& message = GetPendingError().message;
    EXPECT_EQ(message.code, message::kFolderMissing);
    std::string folderPart = folder.Path("missing/deeper") + "/";
    ASSERT_LE(folderPart.size(), 79u);
    EXPECT_STREQ(message.texts[0], folderPart.c_str());
    EXPECT_EQ(message.numberCount, 1);
    EXPECT_EQ(message.numbers[0], text::kCancel);
    // While the first is pending, a second report changes nothing.
    FilePath other;
    other.SetPath(folder.Path("file.txt"));
    other.ReportError(message::kWriteFailed);
    EXPECT_EQ(GetPendingError().message.code, message::kFolderMissing);
}

TEST_F(FilePathTest, OverlongNamesFailWithMessages)
{
    std::string longName(300, 'n');
    FilePath path;
    path.SetPath(folder.Path(longName));
    EXPECT_FALSE(IsErrorPending());  // the folder exists; only the name is too long
    ForkFile file;
    EXPECT_FALSE(file.OpenForWrite(path));
    EXPECT_EQ(GetPendingError().message.code, message::kCannotOpen);

    ClearError();
    std::string longPath = folder.Root();
    for (int i = 0; i < 40; ++i)
        longPath += "/" + std::string(200, 'd');
    path.SetPath(longPath + "/x");
    EXPECT_EQ(GetPendingError().message.code, message::kFolderMissing);
    ClearError();
    EXPECT_FALSE(file.OpenForRead(path));
    EXPECT_EQ(GetPendingError().message.code, message::kCannotOpen);
}

TEST_F(FilePathTest, CatalogInformation)
{
    FilePath file;
    file.SetPath(folder.Write("data.txt", "12345"));
    FilePath missing;
    missing.SetPath(folder.Path("none.txt"));
    EXPECT_EQ(file.GetDataSize(), 5);
    EXPECT_EQ(missing.GetDataSize(), 0);
    EXPECT_EQ(missing.GetModificationTime(), 0.0);
    EXPECT_EQ(missing.GetCreationTime(), 0.0);
    // Local seconds since 1583: this century lies between 2000 and 2100.
    EXPECT_GT(file.GetModificationTime(), 152307.0 * 86400);
    EXPECT_LT(file.GetModificationTime(), 188831.0 * 86400);
    EXPECT_GT(file.GetCreationTime(), 0.0);

    ASSERT_EQ(symlink(file.CStr(), folder.Path("link.txt").c_str()), 0);
    FilePath link;
    link.SetPath(folder.Path("link.txt"));
    EXPECT_TRUE(file.IsSameFile(link));
    EXPECT_FALSE(file.IsSameFile(missing));
    EXPECT_FALSE(missing.IsSameFile(missing));
}

TEST_F(FilePathTest, PreferencesFilePaths)
{
    FilePath path;
    MakePreferencesFilePath(path, "VEK/ZO", 0);
    EXPECT_EQ(path.Text(), folder.Path("config/VEK/VEK Preferences"));
    MakePreferencesFilePath(path, "VEK/ZO", 1);
    EXPECT_EQ(path.Text(), folder.Path("shared/VEK/VEK Globals"));
    // The folder need not exist yet: nothing is reported.
    EXPECT_FALSE(IsErrorPending());
    unsetenv("XDG_CONFIG_HOME");
    MakePreferencesFilePath(path, "VEK", 0);
    EXPECT_EQ(path.Text(), folder.Path("home/.config/VEK/VEK Preferences"));
}

TEST_F(FilePathTest, PathTexts)
{
    struct Case {
        const char* text;
        int32_t options;
        bool expected;
    };
    const Case cases[] = {
        {"/a/b", 0, true},        {"/ab", kPathAbsolute, false},  {"a/b", kPathAbsolute, false},
        {"a/b", 0, true},         {"\\\\server\\x", kPathWindows, true},
        {"C:\\x", kPathWindows | kPathAbsolute, true},            {"C:x", kPathWindows | kPathRelative, false},
        {"x\\y", kPathWindows | kPathRelative, true},             {"\\\\", kPathWindows | kPathAbsolute, false},
        {"", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LooksLikeFilePath(c.text, c.options), c.expected);
    }
    EXPECT_FALSE(LooksLikeFilePath(nullptr, 0));
    EXPECT_TRUE(PathHasWildcards("/data/*.sie"));
    EXPECT_TRUE(PathHasWildcards("/data/a?c"));
    EXPECT_FALSE(PathHasWildcards("/da*ta/file"));
    EXPECT_EQ(ExtensionPartOffset("/a.b/name"), 9);
    EXPECT_EQ(ExtensionPartOffset("/a/name.txt"), 8);
    EXPECT_TRUE(MentionsDesktop("/Users/x/Skrivbord/a"));
    EXPECT_TRUE(MentionsDesktop("/home/x/TYÖPÖYTÄ/a"));
    EXPECT_FALSE(MentionsDesktop("/home/x/desk"));
}

// The opener is found on PATH; a stand-in that fails for one file name tells both answers apart.
TEST_F(FilePathTest, OpensFilesWithTheirApplication)
{
    std::string script = folder.Write("bin/xdg-open", "#!/bin/sh\ncase \"$1\" in *broken*) exit 2;; esac\nexit 0\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::string path = folder.Path("bin") + ":" + (getenv("PATH") ? getenv("PATH") : "");
    setenv("PATH", path.c_str(), 1);
    struct Case {
        const char* name;
        bool create;
        bool expected;
    };
    const Case cases[] = {{"report.pdf", true, true}, {"broken.pdf", true, false}, {"missing.pdf", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearError();
        FilePath file;
        file.SetPath(c.create ? folder.Write(c.name, "x") : folder.Path(c.name));
        EXPECT_EQ(file.OpenWithDefaultApp(), c.expected);
        EXPECT_EQ(GetPendingError().message.code, c.expected ? 0 : message::kCannotOpen);
    }
}

}  // namespace
}  // namespace vek
