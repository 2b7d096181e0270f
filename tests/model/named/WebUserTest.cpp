#include "model/named/WebUser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/SectionTestSupport.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {
namespace {

using test::Written;

std::string Text(ConstHeapText text)
{
    return text != nullptr ? text : "(null)";
}

std::vector<std::string> Names(const WebUserList& list)
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < list.Count(); ++i)
        names.push_back(Text(list.At(i)->name));
    return names;
}

// Reads the lines after a "##WebUsers" marker.
void ReadUsers(WebUserList& list, const std::string& lines, WebUserReadMode mode = WebUserReadMode::refill)
{
    TextReader reader(lines.data(), int64_t(lines.size()));
    list.Read(reader, mode);
}

TEST(WebUserTest, ReadingFollowsTheSectionRules)
{
    struct Case {
        const char* name;
        std::string lines;
        std::vector<std::string> users;  // "name/password/options" after reading
    };
    auto describe = [](const WebUser& u) {
        std::string options;
        if (u.sb)
            options += "SB ";
        if (u.bi)
            options += "BI ";
        if (u.cl)
            options += "CL ";
        if (u.cn)
            options += "CN ";
        if (u.bd)
            options += "BD ";
        options += "SG=" + Text(u.subsetName) + " TF=" + Text(u.templateFilter) + " LG=" +
                   std::to_string(u.language) + " FR=" + std::to_string(u.secondLanguage);
        return Text(u.name) + "/" + Text(u.password) + "/" + options;
    };
    const Case cases[] = {
        {"same name twice keeps the second", "U\tAnn\tone\rSB\rU\tANN\ttwo\rBI\r",
         {"ANN/two/BI SG=(null) TF=(null) LG=-1 FR=-1"}},
        {"empty name leaves options to the user before", "U\tbob\tpw\rU\t\tx\rSB\r",
         {"bob/pw/SB SG=(null) TF=(null) LG=-1 FR=-1"}},
        {"sorted by name", "U\tbob\ta\rU\tAnn\tb\r",
         {"Ann/b/SG=(null) TF=(null) LG=-1 FR=-1", "bob/a/SG=(null) TF=(null) LG=-1 FR=-1"}},
        {"lines before the first user and unknown keys are ignored", "SB\rXX\tvalue\rU\tu\tp\rZZ\rCN\r",
         {"u/p/CN SG=(null) TF=(null) LG=-1 FR=-1"}},
        {"control characters and blanks go", "U\t  a\x01 b  \t p\x02w \rSG\t Sales\x05 \rTF\t \r",
         {"a b/pw/SG=Sales TF=(null) LG=-1 FR=-1"}},
        {"languages by code, unknown codes ignored", "U\tu\tp\rLG\tger\rFR\tSWE\rFR\tXYZ\r",
         {"u/p/SG=(null) TF=(null) LG=7 FR=12"}},
        {"all options", "U\tu\rSB\rBI\rCL\rCN\rBD\rSG\tS1\rTF\tR*\r",
         {"u/(null)/SB BI CL CN BD SG=S1 TF=R* LG=-1 FR=-1"}},
        {"stops at the next section", "U\tu\tp\r##Cards\rSB\r", {"u/p/SG=(null) TF=(null) LG=-1 FR=-1"}},
        {"nothing", "\r\r", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WebUserList list(nullptr);
        ReadUsers(list, c.lines);
        std::vector<std::string> users;
        for (int32_t i = 0; i < list.Count(); ++i)
            users.push_back(describe(*list.At(i)));
        EXPECT_EQ(users, c.users);
    }
}

TEST(WebUserTest, ReadingLeavesTheNextSectionCurrent)
{
    const std::string lines = "U\tu\tp\r##Cards\r";
    WebUserList list(nullptr);
    TextReader reader(lines.data(), int64_t(lines.size()));
    list.Read(reader);
    ASSERT_TRUE(reader.NextField());
    EXPECT_EQ(std::string(reader.Token(), size_t(reader.TokenLength())), "##Cards");
}

TEST(WebUserTest, ImportRenamesUsersThatExist)
{
    WebUserList list(nullptr);
    ReadUsers(list, "U\tbob\told\rU\tbob.1\tx\r");
    ReadUsers(list, "U\tBob\tnew\rSB\rU\tcarl\tc\r", WebUserReadMode::rename);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"bob", "bob.1", "Bob.2", "carl"}));
    EXPECT_EQ(Text(list.Find("bob")->password), "old");
    EXPECT_EQ(list.Find("bob")->sb, 0);
    EXPECT_EQ(Text(list.Find("bob.2")->password), "new");
    EXPECT_EQ(list.Find("bob.2")->sb, 1);
}

// Regression: the password was compared without regard to case, so "SECRET" opened Ann's account.
TEST(WebUserTest, LoginComparesNamesWithoutCaseAndPasswordsExactly)
{
    WebUserList list(nullptr);
    ReadUsers(list, "U\tAnn\tSecret\rU\tnopass\r");
    EXPECT_TRUE(list.CheckLogin("ann", "Secret"));
    EXPECT_FALSE(list.CheckLogin("ann", "SECRET"));
    EXPECT_FALSE(list.CheckLogin("ann", "secret!"));
    EXPECT_FALSE(list.CheckLogin("bob", "Secret"));
    EXPECT_TRUE(list.CheckLogin("NOPASS", ""));
    EXPECT_TRUE(list.CheckLogin("nopass", nullptr));
    EXPECT_FALSE(list.CheckLogin(nullptr, ""));
}

TEST(WebUserTest, SectionRoundTrip)
{
    WebUserList list(nullptr);
    WebUser* zed = list.AddUser("zed");
    WebUserList::SetUserText(zed->password, "pass word");
    zed->sb = 1;
    zed->bd = 1;
    WebUserList::SetUserText(zed->subsetName, "Sales 2024");
    WebUserList::SetUserText(zed->templateFilter, "Reports*");
    zed->language = 0;
    zed->secondLanguage = 12;
    WebUser* amy = list.AddUser("Amy");
    amy->cl = 1;
    amy->cn = 1;
    amy->bi = 1;
    EXPECT_EQ(list.AddUser("AMY"), nullptr);
    EXPECT_EQ(list.AddUser("  \t "), nullptr);

    TextWriter writer;
    list.WriteSection(writer);
    std::string text = Written(writer);
    EXPECT_EQ(text, "##WebUsers\r"
                    "U\tzed\tpass word\rSB\rSG\tSales 2024\rTF\tReports*\rBD\rLG\tUS\rFR\tSWE\r"
                    "U\tAmy\rBI\rCL\rCN\r"
                    "\r");

    WebUserList copy(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    copy.Read(reader);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"Amy", "zed"}));  // sorted on reading
    EXPECT_FALSE(copy.Equals(list));
    list.RemoveAt(0);
    ASSERT_NE(list.AddUser("zed"), nullptr);
    ASSERT_TRUE(list.CopyFrom(copy));
    EXPECT_TRUE(copy.Equals(list));
    TextWriter again;
    copy.WriteSection(again);
    TextWriter fromList;
    list.WriteSection(fromList);
    EXPECT_EQ(Written(again), Written(fromList));
    EXPECT_EQ(copy.StoredSize(), 2 * kWebUserStoredSize + 3 + 9 + 10 + 8 + 3);
}

TEST(WebUserTest, NothingIsWrittenWithoutUsers)
{
    WebUserList list(nullptr);
    TextWriter writer;
    list.WriteSection(writer);
    EXPECT_EQ(Written(writer), "");
    WebUserList other(nullptr);
    EXPECT_TRUE(list.Equals(other));
    EXPECT_FALSE(list.HasUsers());
}

TEST(WebUserTest, WritingNeverBreaksALine)
{
    // Texts put into a record directly, past SetUserText.
    WebUserList list(nullptr);
    WebUser* user = list.AddUser("u");
    user->password = NewHeapText("a\tb\rc\nd");
    user->subsetName = NewHeapText("\r\n");
    TextWriter writer;
    list.Write(writer);
    EXPECT_EQ(Written(writer), "U\tu\tabcd\r");
}

TEST(WebUserTest, RemoveAndRenameSubset)
{
    WebUserList list(nullptr);
    ReadUsers(list, "U\ta\rSG\tOld\rU\tb\rSG\told\rU\tc\rSG\tOther\r");
    list.RenameSubset("OLD", "New");
    EXPECT_EQ(Text(list.At(0)->subsetName), "New");
    EXPECT_EQ(Text(list.At(1)->subsetName), "New");
    EXPECT_EQ(Text(list.At(2)->subsetName), "Other");
    list.RemoveAt(0);
    list.RemoveAt(5);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "c"}));
    list.FreeAll();
    EXPECT_EQ(list.Count(), 0);
}

TEST(WebUserTest, ReadingStopsWhenCancelled)
{
    WebUserList list(nullptr);
    SetCancelledError();
    ReadUsers(list, "U\tu\tp\r");
    ClearError();
    EXPECT_FALSE(list.HasUsers());
}

}  // namespace
}  // namespace vek
