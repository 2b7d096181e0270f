// Tests of FileList: wildcard matching and listing the matching files of folders.
#include "platform/FileList.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

TEST(FileListTest, WildcardMatching)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"*.TXT", "report.txt", true},  {"a?c", "abc", true},         {"a?c", "ac", false},
        {"*", "", true},                {"", "x", false},             {"*a*b", "xaxxb", true},
        {"*a*b", "xaxxbc", false},      {"ÄR*", "ärende.txt", true},  {"?", "é", true},
        {"a**b", "ab", true},           {"*.*", "noext", false},      {"x*", "X", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.expected);
    }
    // Many stars over a long name that nearly matches stay fast: every position is followed once.
    std::string stars;
    for (int i = 0; i < 500; ++i)
        stars += "*a";
    EXPECT_FALSE(WildcardMatch((stars + "b").c_str(), std::string(4000, 'a').c_str()));
    EXPECT_FALSE(WildcardMatch(std::string(1025, '*').c_str(), "x"));
}

class FileListFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        for (const char* name : {"data/report.txt", "data/B.TXT", "data/abc", "data/ac", "data/notes.md",
                                 "data/sub/deep.txt", "data/sub/more/deeper.txt", "outside/x.txt"})
            folder.Write(name, "x");
        symlink(folder.Path("outside").c_str(), folder.Path("data/linked").c_str());
        base.SetPath(folder.Path("data/Base.vek"));
    }
    void TearDown() override { ClearError(); }

    std::vector<std::string> List(const char* pattern, const FilePath* from)
    {
        std::vector<std::string> names;
        FileList list;
        list.FindFilesMatching(pattern, from);
        FilePath path;
        while (list.Next(path))
            names.push_back(std::string(path.Text().substr(folder.Root().size() + 1)));
        return names;
    }

    TestFolder folder;
    FilePath base;
};

TEST_F(FileListFolderTest, ListsMatchingFilesOfOneFolder)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(List("*.TXT", &base), (Names{"data/B.TXT", "data/report.txt"}));
    EXPECT_EQ(List("a?c", &base), (Names{"data/abc"}));
    EXPECT_EQ(List((folder.Path("data") + "/a*").c_str(), nullptr), (Names{"data/abc", "data/ac"}));
    EXPECT_EQ(List("sub/*", &base), (Names{"data/sub/deep.txt"}));
    EXPECT_TRUE(List("", &base).empty());
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(FileListFolderTest, DoubleStarAlsoListsSubfolders)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(List("**.txt", &base),
              (Names{"data/B.TXT", "data/report.txt", "data/sub/deep.txt", "data/sub/more/deeper.txt"}));
    EXPECT_EQ(List("**", &base).size(), 7u);  // the link to a folder is neither listed nor entered
}

TEST_F(FileListFolderTest, MissingFolderReports603)
{
    EXPECT_TRUE(List("nowhere/*.txt", &base).empty());
    EXPECT_EQ(GetPendingError().message.code, message::kFolderMissing);
}

}  // namespace
}  // namespace vek
