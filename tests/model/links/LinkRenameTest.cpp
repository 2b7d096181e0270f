// Tests of link renaming: the rewrite of single texts, and renames reaching every text of open bases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/messages/PendingError.h"
#include "foundation/services/Service.h"
#include "foundation/strings/String.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/links/LinkRename.h"
#include "model/base/ModelServices.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

constexpr LinkRenameKind kCard = LinkRenameKind::Card;
constexpr LinkRenameKind kTemplate = LinkRenameKind::Template;
constexpr LinkRenameKind kMacro = LinkRenameKind::Macro;

TEST(LinkRenameTest, RewriteTextRenamesEachKindOfLink)
{
    struct Case {
        LinkRenameKind kind;
        const char* oldName;
        const char* newName;
        const char* prefix;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        // Template links: names without regard to case, blanks after ": " free in quoted links.
        {kTemplate, "Sales: Q1", "Sales: Q2", "", "see template=\"Sales: Q1\" now", "see template=\"Sales: Q2\" now"},
        {kTemplate, "Sales: Q1", "Sales: Q2", "", "<a TEMPLATE=\"sales:   q1\">x</a>", "<a TEMPLATE=\"Sales: Q2\">x</a>"},
        {kTemplate, "Sales: Q1", "Sales: Q2", "", "template=\"Sales: Q10\"", "template=\"Sales: Q10\""},
        {kTemplate, "Report", "Result", "", "template=Report and more", "template=Result and more"},
        {kTemplate, "Report", "Result", "", "template=Report", "template=Result"},
        // Fault guarded: an unquoted anchor value ends at the ">" of the anchor.
        {kTemplate, "Report", "Result", "", "<a template=Report>Go</a>", "<a template=Result>Go</a>"},
        {kTemplate, "Report", "Result", "", "template=Reports", "template=Reports"},
        // Card links: the key byte-wise; "#n" kept; the key shown in an anchor's text follows.
        {kCard, "240131-7", "240201-1", "", "card=\"240131-7#3\"", "card=\"240201-1#3\""},
        {kCard, "240131-7", "240201-1", "", "<a card=\"240131-7\">240131-7</a> and 240131-7",
         "<a card=\"240201-1\">240201-1</a> and 240131-7"},
        {kCard, "240131-7", "240201-1", "", "card=\"240131-7\" CARD=\"240131-7\"", "card=\"240201-1\" CARD=\"240201-1\""},
        // Fault guarded: a key is not renamed inside a longer card number.
        {kCard, "240131-7", "240201-1", "", "card=\"240131-71\"", "card=\"240131-71\""},
        {kCard, "240131-7", "240201-1", "", "<a card=\"240131-7\">Invoice</a> 240131-7", "<a card=\"240201-1\">Invoice</a> 240131-7"},
        // Macro links: without regard to case, the whole name only.
        {kMacro, "Month end", "Close month", "", "macro=\"month END\"", "macro=\"Close month\""},
        {kMacro, "run", "Go", "", "<a macro=\"Run\">run now</a>", "<a macro=\"Go\">Go now</a>"},
        {kMacro, "Run", "Go", "", "macro=\"Run all\"", "macro=\"Run all\""},
        // Other bases rename only the links that name the renaming base.
        {kMacro, "Run", "Go", "[Main.vek]", "macro=\"[Main.vek] Run\" macro=\"Run\"", "macro=\"[Main.vek] Go\" macro=\"Run\""},
        {kMacro, "Run", "Go", "", "macro=\"[Other.vek]Run\"", "macro=\"[Other.vek]Run\""},
        {kCard, "240131-7", "240201-1", "[Main.vek]", "card=\"[Main.vek]240131-7\"", "card=\"[Main.vek]240201-1\""},
        {kTemplate, "A", "B", "", "no link here", "no link here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LinkRename rename(c.kind, c.oldName, c.newName);
        rename.SetPrefix(c.prefix);
        std::string text = c.text;
        EXPECT_EQ(rename.RewriteText(text), std::string(c.text) != c.expected);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(LinkRenameTest, ApplyToTextKeepsUntouchedTexts)
{
    LinkRename rename(kMacro, "Run", "Go");
    HeapText none = nullptr;
    EXPECT_FALSE(rename.ApplyToText(none));
    EXPECT_EQ(none, nullptr);
    HeapText plain = NewHeapText("macro=\"Other\"");
    HeapText before = plain;
    EXPECT_FALSE(rename.ApplyToText(plain));
    EXPECT_EQ(plain, before);
    HeapText linked = NewHeapText("a macro=\"run\" b");
    EXPECT_TRUE(rename.ApplyToText(linked));
    EXPECT_STREQ(linked, "a macro=\"Go\" b");
    SetHeapText(plain, nullptr);
    SetHeapText(linked, nullptr);
}

// An edit field as the window layer has it: its text can be fetched and set.
class EditField : public TextFieldLink {
public:
    void SetText(std::string_view text) override
    {
        shown.assign(text);
        ++sets;
    }
    bool FetchText(String& out) const override
    {
        out.AssignBytes(shown);
        return true;
    }
    std::string shown;
    int32_t sets = 0;
};

TEST(LinkRenameTest, OpenEditFieldsFollowTheRename)
{
    LinkRename rename(kTemplate, "Sales", "Turnover");
    EditField field;
    field.shown = "see template=\"Sales\"";
    EXPECT_TRUE(rename.ApplyToTextField(field));
    EXPECT_EQ(field.shown, "see template=\"Turnover\"");
    EXPECT_FALSE(rename.ApplyToTextField(field));
    EXPECT_EQ(field.sets, 1);
}

// Counts the changes of a base and can start a rename from inside a change.
class ChangeLog : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        codes.push_back(record.code);
        if (record.code == kChangeLinkRename)
            renames += record.GetLinkRename() != nullptr ? 1 : 0;
        if (record.code == kChangeMacroAdded && renameOnMacroAdded)
            record.base->RenameMacroLinks("Old", "New");
    }
    int32_t Count(int32_t code) const { return int32_t(std::count(codes.begin(), codes.end(), code)); }
    std::vector<int32_t> codes;
    int32_t renames = 0;
    bool renameOnMacroAdded = false;
};

class StampingServices : public HeadlessModelServices {
public:
    bool GetUserStamp(StampedText& stamp) override
    {
        stamp.timestamp = 0x7c10000;
        std::memcpy(stamp.code, "ABC", 4);
        return true;
    }
};

class BaseLinkRenameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        main.AddReceiver(ChangeStage::Dependents, &mainLog);
        main.AddReceiver(ChangeStage::Templates, &templateLog);
    }
    void TearDown() override
    {
        main.RemoveReceiver(ChangeStage::Dependents, &mainLog);
        main.RemoveReceiver(ChangeStage::Templates, &templateLog);
    }
    Card* NewCard(Base& base, int32_t day, int32_t number)
    {
        CardKey key{MakePackedDate(2024, 1, day), number};
        Card* card = base.CreateCard(key);
        EXPECT_NE(card, nullptr);
        return card;
    }
    CardLine* NewLine(Base& base, Card* card, const char* text)
    {
        CardLine* line = base.CreateLine(base.FindOrAddGroup(card, 0));
        EXPECT_NE(line, nullptr);
        line->SetText(text);
        return line;
    }

    StampingServices services;
    ScopedService<ModelServices> registered{&services};
    Base main{FilePath("/nowhere/Main.vek"), 0};
    Base other{FilePath("/nowhere/Other.vek"), 0};
    ChangeLog mainLog;
    ChangeLog templateLog;
};

TEST_F(BaseLinkRenameTest, CardRenameReachesNotesLineTextsComponentsAndOtherBases)
{
    Card* renamed = NewCard(main, 31, 7);
    Card* linking = NewCard(main, 15, 1);
    Card* untouched = NewCard(main, 16, 1);
    SetHeapText(linking->title, "see card=\"240131-7\"");
    SetHeapText(linking->notes, "<a card=\"240131-7#2\">240131-7</a>");
    CardLine* line = NewLine(main, linking, "paid by card=\"240131-7\"");
    CardLine* plainLine = NewLine(main, untouched, "card=\"240131-8\"");
    Component* component = main.AddComponent(1, "A1", "card=\"240131-7\"", nullptr);
    ASSERT_NE(component, nullptr);
    TimeScale* scale = main.TimeScales().Create("Quarters");
    ASSERT_TRUE(scale->AddPeriod(CardKey{MakePackedDate(2024, 1, 1), 1}, "card=\"240131-7\""));
    Card* otherCard = NewCard(other, 10, 1);
    SetHeapText(otherCard->notes, "card=\"[Main.vek] 240131-7\" and card=\"240131-7\"");
    main.SetModified(false);
    mainLog.codes.clear();

    CardKey key{MakePackedDate(2024, 2, 1), 0};
    ASSERT_TRUE(main.ChangeCardKey(renamed, key));
    EXPECT_EQ(key.number, 1);

    EXPECT_STREQ(linking->title, "see card=\"240201-1\"");
    EXPECT_STREQ(linking->notes, "<a card=\"240201-1#2\">240201-1</a>");
    EXPECT_STREQ(line->Text(), "paid by card=\"240201-1\"");
    EXPECT_STREQ(plainLine->Text(), "card=\"240131-8\"");
    EXPECT_STREQ(component->text, "card=\"240201-1\"");
    EXPECT_STREQ(scale->PeriodLabel(0), "card=\"240201-1\"");
    EXPECT_STREQ(otherCard->notes, "card=\"[Main.vek] 240201-1\" and card=\"240131-7\"");
    // The changed card carries the user's stamp; the untouched one does not.
    EXPECT_STREQ(linking->stamps[kStampCreated].code, "ABC");
    EXPECT_TRUE(untouched->stamps[kStampCreated].IsEmpty());
    EXPECT_EQ(mainLog.Count(kChangeLinkRename), 1);
    EXPECT_EQ(mainLog.Count(kChangeCards), 1);
    EXPECT_EQ(mainLog.Count(kChangeComponents), 1);
    EXPECT_TRUE(main.IsModified());
    // The template stage hears of the rename with its record (templates rewrite their notes there).
    EXPECT_EQ(templateLog.renames, 1);

    // A key that keeps its text starts no rename.
    mainLog.codes.clear();
    ASSERT_TRUE(main.ChangeCardKey(renamed, key));
    EXPECT_EQ(mainLog.Count(kChangeLinkRename), 0);
}

TEST_F(BaseLinkRenameTest, MacroAndTemplateRenames)
{
    Card* card = NewCard(main, 15, 1);
    SetHeapText(card->notes, "macro=\"Run\" template=\"Sales: Q1\"");
    // A template's notes follow the renames too.
    auto* report = static_cast<AnalysisTemplate*>(main.Templates().Insert(main.NewTemplate(TemplateKind::Cards), "Report"));
    ASSERT_NE(report, nullptr);
    report->SetNotesText("run macro=\"Run\" after template=\"Sales: Q1\"");
    Subset* large = main.Subsets().CreateSubset("Large");
    ASSERT_NE(large, nullptr);
    large->SetNotes("see macro=\"Run\"");
    Macro* macro = main.Macros().Create("Run");
    ASSERT_NE(macro, nullptr);
    macro->Rename("Go");
    EXPECT_STREQ(card->notes, "macro=\"Go\" template=\"Sales: Q1\"");
    main.RenameTemplateLinks("Sales: Q1", "Sales: Q2");
    EXPECT_STREQ(card->notes, "macro=\"Go\" template=\"Sales: Q2\"");
    EXPECT_STREQ(report->NotesText(), "run macro=\"Go\" after template=\"Sales: Q2\"");
    EXPECT_STREQ(large->Notes(), "see macro=\"Go\"");
    // Names that differ only in case rename nothing.
    mainLog.codes.clear();
    main.RenameMacroLinks("go", "GO");
    main.RenameTemplateLinks("sales: q2", "Sales: Q2");
    EXPECT_EQ(mainLog.Count(kChangeLinkRename), 0);
}

TEST_F(BaseLinkRenameTest, RenameStartedWhileAChangeIsHandledWaitsWithItsOwnRecord)
{
    Card* card = NewCard(main, 15, 1);
    SetHeapText(card->notes, "macro=\"Old\"");
    Card* otherCard = NewCard(other, 15, 1);
    SetHeapText(otherCard->notes, "macro=\"[Main.vek]Old\" macro=\"Old\"");
    mainLog.renameOnMacroAdded = true;
    ASSERT_NE(main.Macros().Create("Any"), nullptr);
    EXPECT_STREQ(card->notes, "macro=\"New\"");
    EXPECT_STREQ(otherCard->notes, "macro=\"[Main.vek]New\" macro=\"Old\"");
}

}  // namespace
}  // namespace vek
