// Tests of a base's link kinds: which targets exist, opening them, their HTML, and map-link cleaning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Service.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/links/BaseLinkRegistry.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "model/templates/Template.h"
#include "model/expressions/TextMatcher.h"
#include "model/named/Macro.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// Records what the links open and run.
class RecordingLinkServices : public NoteLinkServices {
public:
    void OpenCardWindow(Base&, Card& card, int32_t line) override
    {
        openedCard = &card;
        openedLine = line;
    }
    void RunMacro(Macro& macro) override { ranMacro = &macro; }
    Base* OpenBaseFile(const FilePath& path) override
    {
        openedFiles.emplace_back(path.Text());
        return nullptr;
    }
    bool WebLinksPlain() override { return plainLinks; }

    Card* openedCard = nullptr;
    int32_t openedLine = -1;
    Macro* ranMacro = nullptr;
    bool plainLinks = false;
    std::vector<std::string> openedFiles;
};

class WebRequestServices : public HeadlessModelServices {
public:
    bool IsWebRequestActive() override { return active; }
    bool active = false;
};

class BaseLinkRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        CardKey key{MakePackedDate(2024, 1, 31), 7};
        card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        // The base holds one template, "Sales: Q1".
        salesQ1 = base.Templates().Insert(base.NewTemplate(TemplateKind::ComponentFunctions), "Sales: Q1");
        ASSERT_NE(salesQ1, nullptr);
    }
    void TearDown() override { ClearError(); }

    NoteLinkType& Kind(const char* attribute)
    {
        for (const auto& kind : base.GetLinkRegistry().Kinds()) {
            if (kind->Attribute() == attribute)
                return static_cast<NoteLinkType&>(*kind);
        }
        ADD_FAILURE() << attribute;
        return static_cast<NoteLinkType&>(*base.GetLinkRegistry().Kinds().front());
    }
    bool Exists(const char* attribute, const char* target)
    {
        String text;
        text.AssignCStr(target);
        return Kind(attribute).TargetExists(text);
    }
    std::string Html(const char* text)
    {
        TextWriter writer;
        base.GetLinkRegistry().WriteText(writer, text);
        return std::string(writer.BufferedBytes());
    }

    RecordingLinkServices links;
    ScopedService<NoteLinkServices> registeredLinks{&links};
    WebRequestServices model;
    ScopedService<ModelServices> registeredModel{&model};
    Base base{FilePath("/nowhere/Main.vek"), 0};
    Card* card = nullptr;
    Template* salesQ1 = nullptr;
};

TEST_F(BaseLinkRegistryTest, TargetsThatExist)
{
    ASSERT_NE(base.Macros().Create("Month end"), nullptr);
    struct Case {
        const char* attribute;
        const char* target;
        bool exists;
    };
    const Case cases[] = {
        {"card", "240131-7", true},
        {"card", "240131-7#3", true},  // the line is not checked against the card
        {"card", "20240131-7", true},
        {"card", "[Main.vek] 240131-7", true},
        {"card", "240131-7#0", false},
        {"card", "240131-7#", false},
        {"card", "24013-7", false},   // too short
        {"card", "240131x7", false},  // no "-" after the date
        {"card", "240131-8", false},
        {"card", "240131-7a", false},
        {"card", "[Other.vek]240131-7", false},
        {"macro", "month END", true},
        {"macro", "Month", false},
        {"template", "Sales: Q1", true},
        {"template", "Sales: Q2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        EXPECT_EQ(Exists(c.attribute, c.target), c.exists);
    }
    EXPECT_EQ(base.GetLinkRegistry().Kinds().size(), 3u);
    EXPECT_STREQ(base.GetLinkRegistry().Name(), "data");
}

TEST_F(BaseLinkRegistryTest, OpeningRunsOrReportsTheMissingTarget)
{
    String target;
    target.AssignCStr("240131-7#2");
    Kind("card").OpenTarget(target);
    EXPECT_EQ(links.openedCard, card);
    EXPECT_EQ(links.openedLine, 2);

    // A link into a base that is not open opens its file beside the linking base; a name that is not
    // a plain file name opens nothing.
    for (const char* other : {"[Other.vek] 240131-7", "[../x/Other.vek] 240131-7", "[] 240131-7"}) {
        target.AssignCStr(other);
        Kind("card").OpenTarget(target);
    }
    EXPECT_EQ(links.openedFiles, std::vector<std::string>{"/nowhere/Other.vek"});

    Macro* macro = base.Macros().Create("Close");
    target.AssignCStr("close");
    Kind("macro").OpenTarget(target);
    EXPECT_EQ(links.ranMacro, macro);

    struct Case {
        const char* attribute;
        const char* target;
        int32_t code;
    };
    const Case cases[] = {
        {"macro", "Missing", message::kNoSuchMacro},
        {"template", "Nothing: Here", message::kNoSuchObject},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ClearError();
        links.ranMacro = nullptr;
        target.AssignCStr(c.target);
        Kind(c.attribute).OpenTarget(target);
        EXPECT_TRUE(IsErrorPending());
        EXPECT_EQ(GetPendingError().message.code, c.code);
        EXPECT_STREQ(GetPendingError().message.texts[0], c.target);
        EXPECT_EQ(links.ranMacro, nullptr);
    }
}

TEST_F(BaseLinkRegistryTest, HtmlLinksToTheGatewayUnlessPlainLinksAreAsked)
{
    String code;
    base.GetLinkCode(code);
    ASSERT_EQ(code.Length(), 4);
    std::string cardLink = "<a href=\"?card=" + std::string(code.View()) + ":240131-7\">Invoice &amp; co</a>";
    EXPECT_EQ(Html("<a card=\"240131-7#2\">Invoice & co</a>"), cardLink);
    EXPECT_EQ(Html("card=\"240131-9\""), "240131-9");
    String salesPath;
    salesQ1->GetLinkPath(salesPath);
    std::string templateLink = "<a href=\"?cfunc=" + std::string(salesPath.View()) + "\">Q1</a>";
    EXPECT_EQ(Html("<a template=\"Sales: Q1\">Q1</a>"), templateLink);
    EXPECT_EQ(Html("macro=\"Run\""), "Run");

    // A web request whose context asks for plain links gets the link texts only.
    model.active = true;
    links.plainLinks = true;
    EXPECT_EQ(Html("<a card=\"240131-7\">Invoice</a>"), "Invoice");
    EXPECT_EQ(Html("<a template=\"Sales: Q1\">Q1</a>"), "Q1");
    links.plainLinks = false;
    EXPECT_EQ(Html("<a template=\"Sales: Q1\">Q1</a>"), templateLink);
}

TEST_F(BaseLinkRegistryTest, NormalizingDropsTheOwnBasePrefixAndMapPositions)
{
    String target;
    String text;
    target.AssignCStr("[Main.vek]  240131-7 ");
    text.AssignCStr("[Main.vek] 240131-7");
    Kind("card").Normalize(target, text);
    EXPECT_EQ(target.View(), "240131-7");
    EXPECT_EQ(text.View(), "240131-7");
    target.AssignCStr("[Other.vek] 240131-7");
    Kind("card").Normalize(target, text);
    EXPECT_EQ(target.View(), "[Other.vek] 240131-7");

    // A map link keeps every query parameter but the position and the scale.
    String shown;
    base.GetLinkRegistry().FormatText(shown, "at http://maps.example/?e=1&n=2&q=x&scale=3 now");
    EXPECT_EQ(shown.View(), "at maps.example/?q=x now");
    EXPECT_EQ(Html("http://maps.example/?e=1&q=x"), "<a href=\"http://maps.example/?q=x\">maps.example/?q=x</a>");
    base.GetLinkRegistry().FormatText(shown, "http://other.example/?e=1");
    EXPECT_EQ(shown.View(), "other.example/?e=1");
}

TEST_F(BaseLinkRegistryTest, DisplayFormsReachComponentsAndTextMatchers)
{
    Component* component = base.AddComponent(1, "A1", "Paid <a card=\"240131-7\">Invoice 7</a>", nullptr);
    ASSERT_NE(component, nullptr);
    base.GetDimension(1).SetDisplay(3);
    String shown;
    base.FormatComponent(shown, component, 1);
    EXPECT_EQ(shown.View(), "A1 Paid Invoice 7");
    base.FormatComponentPlain(shown, component, 1);
    EXPECT_EQ(shown.View(), "A1 Paid <a card=\"240131-7\">Invoice 7</a>");
    EXPECT_EQ(base.FindByTextPrefix(1, "paid invoice"), component);
    EXPECT_EQ(base.LookupComponent(1, "Paid Invoice", 12), component->number);
    EXPECT_EQ(base.FindByTextPrefix(1, "Paid <a"), nullptr);

    // A whole-text pattern matches the display form where the stored form fails.
    struct Case {
        const char* condition;
        bool stored;
        bool display;
    };
    const Case cases[] = {
        {"\\Paid Invoice*", false, true},
        {"Invoice", true, true},
        {"card", true, true},
        {"\\Paid Receipt*", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        TextMatcher matcher;
        String condition;
        condition.AssignCStr(c.condition);
        ASSERT_EQ(matcher.Compile(condition, kTextMatcherKeepCase), 0);
        EXPECT_EQ(matcher.MatchesHeapText(component->text), c.stored);
        EXPECT_EQ(matcher.MatchesDisplayText(component->text, base.GetLinkRegistry()), c.display);
    }
}

}  // namespace
}  // namespace vek
