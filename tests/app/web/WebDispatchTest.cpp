// WebDispatchTest: the page a query gets, the login sessions of web users, and what pages may show.
#include "app/web/WebDispatch.h"

#include <gtest/gtest.h>

#include <string>

#include "app/web/WebRequest.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/SessionTable.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/named/WebUser.h"
#include "model/templates/Template.h"
#include "model/templates/TemplateTree.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

constexpr char kEnvironment[] = "gateway=\"/cgi/vek.cgi\" document-root=\"/assets/\" images=\"img/\"";

bool Has(const std::string& page, std::string_view text) { return page.find(text) != std::string::npos; }

class WebDispatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        base = OpenBaseFile(FilePath::FromCommandLine(VEK_SOURCE_DIR "/tests/fixtures/web/web-shop.vkx"), nullptr, 0);
        ASSERT_NE(base, nullptr);
        String text;
        GetBaseLinkCode(*base, text);
        code = text.CStr();
        WebSessions().Clear();
    }
    void TearDown() override
    {
        while (Base* open = Base::FirstBase())
            delete open;
        WebSessions().Clear();
    }

    static std::string Dispatch(std::string_view query, std::string_view client = "browser-1")
    {
        TextWriter writer;
        writer.SetLineEndChar('\n');
        DispatchWebRequest(writer, query, client, kEnvironment);
        return std::string(writer.BufferedBytes());
    }
    std::string Menu(std::string_view client = "browser-1") { return Dispatch("templates=" + code, client); }
    std::string Login(const char* name, const char* password, std::string_view client = "browser-1")
    {
        return Dispatch(std::string("username=") + name + "&password=" + password + "&base=" + code + "&action=Login",
                        client);
    }

    Base* base = nullptr;
    std::string code;
};

TEST_F(WebDispatchTest, ABaseWithWebUsersAsksForALoginThatLastsUntilLogout)
{
    std::string page = Menu();
    ASSERT_TRUE(Has(page, "name=\"loginform\"")) << page;
    EXPECT_TRUE(Has(page, "<form action=\"/cgi/vek.cgi\" method=\"post\""));
    EXPECT_TRUE(Has(page, "name=\"base\" value=\"" + code + "\""));

    // A wrong password (the right one in other letter case) goes back to the asked page: the form.
    page = Login("anna", "SECRET");
    EXPECT_TRUE(Has(page, "<meta http-equiv=refresh content=\"0; url=/cgi/vek.cgi?templates=" + code + "\">")) << page;
    EXPECT_TRUE(Has(Menu(), "name=\"loginform\""));

    // The right one, with the name in other letter case, logs in.
    page = Login("ANNA", "Secret");
    EXPECT_TRUE(Has(page, "url=/cgi/vek.cgi?templates=" + code)) << page;
    page = Menu();
    EXPECT_FALSE(Has(page, "loginform"));
    EXPECT_TRUE(Has(page, ">Top cards</a>")) << page;
    EXPECT_TRUE(Has(page, "logout=" + code)) << "the databases menu offers to log out";
    EXPECT_TRUE(Has(Menu("browser-2"), "loginform")) << "another browser is not logged in";

    Dispatch("logout=" + code);
    EXPECT_TRUE(Has(Menu(), "name=\"loginform\""));
}

TEST_F(WebDispatchTest, SessionsThatCannotBeTrustedShowNothingOfTheBase)
{
    // A client id of 4 characters or fewer cannot hold a session: the page is empty.
    EXPECT_EQ(Dispatch("templates=" + code, "abcd"), "");

    // Regression: a session whose user the base no longer has passed with no restrictions at all.
    Login("bertil", "pass2", "browser-3");
    ASSERT_FALSE(Has(Menu("browser-3"), "loginform"));
    WebUserList& users = base->WebUsers();
    for (int32_t i = 0; i < users.Count(); ++i) {
        if (std::string(users.At(i)->name) == "bertil")
            users.RemoveAt(i);
    }
    std::string page = Menu("browser-3");
    EXPECT_TRUE(Has(page, "name=\"loginform\"")) << page;

    // Regression: the login was keyed by the "base" field as sent, so a code with anything after it
    // made a session that no page of the base would ever find, and two bases whose file names share
    // a code shared their sessions. Sessions now name the base found.
    Dispatch("username=anna&password=Secret&base=" + code + "xyz", "browser-4");
    EXPECT_TRUE(Has(Menu("browser-4"), ">Top cards</a>"));
    String first;
    String second;
    Base other(FilePath::FromCommandLine(VEK_SOURCE_DIR "/tests/fixtures/web-shop.vkx"), 0);
    MakeWebSessionKey(*base, "browser-4", first);
    MakeWebSessionKey(other, "browser-4", second);
    EXPECT_NE(std::string(first.CStr()), std::string(second.CStr()));
}

TEST_F(WebDispatchTest, TheMenuShowsOnlyTheTemplatesTheUserMaySee)
{
    Login("anna", "Secret");
    std::string page = Menu();
    EXPECT_TRUE(Has(page, ">Top cards</a>"));
    EXPECT_TRUE(Has(page, ">Reports</a>"));
    EXPECT_TRUE(Has(page, "baseinfo=" + code)) << "anna may see the base information";
    // The current template's group opens: its templates show, except one hidden from the web.
    String path;
    base->Templates().Find("Reports: Sales by card")->GetLinkPath(path);
    page = Dispatch(std::string("templates=") + path.CStr());
    EXPECT_TRUE(Has(page, ">Sales by card</a>")) << page;
    EXPECT_TRUE(Has(page, "<span class=\"selected\">")) << "the current template is marked";
    EXPECT_FALSE(Has(page, "Hidden lines")) << "a template hidden from the web";

    Login("bertil", "pass2", "browser-5");
    page = Menu("browser-5");
    EXPECT_FALSE(Has(page, "Top cards")) << "outside bertil's template pattern";
    EXPECT_TRUE(Has(page, ">Reports</a>"));
    EXPECT_FALSE(Has(page, "baseinfo="));
}

TEST_F(WebDispatchTest, ThePageIsChosenByTheNamesOfTheFields)
{
    Login("anna", "Secret");
    struct Case {
        std::string query;
        const char* expected;
        const char* notExpected;
    } cases[] = {
        {"version", "VEK program info", nullptr},
        {"version=1", "VEK program info", nullptr},
        // Regression: the page was chosen by a search of the whole query, so a word inside a value
        // or a longer field name chose a page.
        {"q=version", "<!-- side panel -->", "VEK program info"},
        {"xtemplates=1&subversion=2", "<!-- side panel -->", "VEK program info"},
        {"templates=" + code + "&version", ">Top cards</a>", "VEK program info"},
        {"username=anna&cards=" + code, "Web-VEK error: Database not found", nullptr},
        {"card=ZZZZ:240105-1", "Web-VEK error: Database not found", nullptr},
        {"cards=" + code + ":zzzz", "Template not found", nullptr},
        {"cards=" + code, "Template not found", nullptr},
        {"card=" + code + ":240105-1", "not available yet", nullptr},
        {"baseinfo=" + code, "not available yet", nullptr},
        {"term=Pages", LoadText(text::kWebPage), "<head>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        std::string page = Dispatch(c.query);
        EXPECT_TRUE(Has(page, c.expected)) << page;
        if (c.notExpected) {
            EXPECT_FALSE(Has(page, c.notExpected));
        }
    }
    EXPECT_EQ(Dispatch("term=zzz"), "");
}

TEST_F(WebDispatchTest, PagesOfABaseAskForTheLoginFirst)
{
    for (std::string query : {"cards=" + code, "card=" + code + ":240105-1", "baseinfo=" + code}) {
        SCOPED_TRACE(query);
        std::string page = Dispatch(query, "browser-6");
        EXPECT_TRUE(Has(page, "name=\"loginform\"")) << page;
        EXPECT_FALSE(Has(page, "not available"));
    }
}

// Regression: the raw query was copied into links and into the login redirect.
TEST_F(WebDispatchTest, TheQueryIsEscapedWhereverAPageRepeatsIt)
{
    const std::string hostile = "x=\"><script>alert(1)</script>";
    std::string page = Dispatch(hostile);
    EXPECT_FALSE(Has(page, "<script>alert")) << page;
    EXPECT_TRUE(Has(page, "&quot;&gt;&lt;script&gt;"));

    // The login remembers the page asked for and sends the browser back to it, escaped.
    Dispatch("templates=" + code + "&" + hostile, "browser-7");
    page = Login("anna", "Secret", "browser-7");
    EXPECT_FALSE(Has(page, "<script>alert")) << page;
    EXPECT_TRUE(Has(page, "url=/cgi/vek.cgi?templates=" + code + "&amp;x=&quot;&gt;&lt;script&gt;"));
}

// Regression: the program page showed the user, the computer, the process and its times to anyone.
TEST_F(WebDispatchTest, TheProgramPageShowsTheProgramAndThePlatformOnly)
{
    std::string page = Dispatch("version");
    EXPECT_TRUE(Has(page, "<tr><td>Program:</td><td>VEK "));
    EXPECT_TRUE(Has(page, "<tr><td>Code:</td>"));
    for (const char* hidden : {"User name:", "Computer name:", "Process ID:", "uptime", "started"})
        EXPECT_FALSE(Has(page, hidden)) << hidden;
}

TEST_F(WebDispatchTest, MenusAndLanguagesFollowTheQueryAndComeBackAfterIt)
{
    EXPECT_EQ(ParseMenusParameter("none", kMenusDefault), 0);
    EXPECT_EQ(ParseMenusParameter("sP", kMenusDefault), 1 + 4 + 8 + 16);
    String letters;
    FormatMenusMask(letters, 1 + 4 + 16);
    EXPECT_STREQ(letters.CStr(), "sDtP");
    FormatMenusMask(letters, 2);
    EXPECT_STREQ(letters.CStr(), "none");

    std::string page = Dispatch("menus=none");
    EXPECT_FALSE(Has(page, "<!-- side panel -->"));
    EXPECT_TRUE(Has(page, "<td width=\"10\">"));
    page = Dispatch("menus=P");
    EXPECT_TRUE(Has(page, "lang=SE")) << "the preferences menu offers the languages";

    int32_t before = UiLanguage();
    Dispatch("lang=se");
    EXPECT_EQ(UiLanguage(), before) << "the page's language is the page's only";
    EXPECT_EQ(WebLanguageFromCode("se"), 12);
    EXPECT_EQ(WebLanguageFromCode("DE"), -1);
    EXPECT_FALSE(IsWebRequestActive());
}

}  // namespace
}  // namespace vek
