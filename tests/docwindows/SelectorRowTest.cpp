// SelectorRowTest: which click or key opens which menu, the token ranges of component and subset
// texts, and rows driven headless: inserting a word, replacing a quoted code through the component
// popup, compiling typed selections and normalising date expressions.
#include "docwindows/controls/SelectorRow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "docwindows/controls/ComponentSelectorRow.h"
#include "docwindows/controls/DateExpressionField.h"
#include "docwindows/controls/SubsetSelectorRow.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "model/selections/ComponentSelection.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

constexpr int32_t kAccounts = 1;  // "##Dimension 2" of the file

// Records the menus it is asked to open instead of opening them.
class RecordingRow final : public SelectorRow {
public:
    RecordingRow(Pane& enclosure, const OriginSize& frame) : SelectorRow(enclosure, frame, 1, true) {}
    ~RecordingRow() override { PrepareDestruction(); }
    int32_t OpenSelectorMenu(InputEvent&, int32_t start, int32_t end) override
    {
        opened.push_back(MenuMode());
        ranges.emplace_back(start, end);
        return -1;
    }
    std::vector<SelectorMenuMode> opened;
    std::vector<std::pair<int32_t, int32_t>> ranges;
};

class SelectorRowTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        ClearError();
        application = std::make_unique<Application>(true);
        base.reset(OpenBaseFile(FilePath(std::string(VEK_SOURCE_DIR) + "/tests/fixtures/components/components.vkx"), nullptr, 0));
        ASSERT_NE(base, nullptr);
        window = std::make_unique<Window>(kKindDialogWindow, OriginSize{100, 100, 200, 420}, 0, nullptr, true);
    }
    void TearDown() override
    {
        window.reset();
        base.reset();
        application.reset();
    }

    // A click (down and up) at a point of the row with modifiers, and keys queued behind it for the
    // menu the click opens; all of it runs before this returns.
    void ClickThenKeys(Control& row, Point local, uint32_t modifiers, std::initializer_list<uint32_t> keys = {})
    {
        const Point at{int16_t(row.WindowOffset().v + local.v), int16_t(row.WindowOffset().h + local.h)};
        system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseDown, *window, at, modifiers), window.get());
        system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseUp, *window, at, modifiers), window.get());
        QueueKeys(keys);
        input.RunUntilQuiet();
    }
    void QueueKeys(std::initializer_list<uint32_t> keys, uint32_t modifiers = 0)
    {
        for (uint32_t key : keys) {
            PlatformEvent event;
            event.kind = PlatformEventKind::KeyDown;
            event.character = key;
            event.hasModifiers = true;
            event.modifiers = modifiers;
            system.Inject(event, nullptr);
            modifiers = 0;  // only the key that opens the menu carries them
        }
    }

    test::Watchdog watchdog{"selector row test", 120};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    std::unique_ptr<Base> base;
    std::unique_ptr<Window> window;
};

TEST(SelectorRowModes, ClickModesFollowButtonsModifiersAndTheMark)
{
    struct Case {
        const char* name;
        bool secondary, option, command, insideMark;
        int32_t mode;
        bool pending;
    };
    const Case cases[] = {
        {"plain click in the text edits", false, false, false, false, -1, false},
        {"plain click on the mark: token menu", false, false, false, true, 1, false},
        {"command-click in the text: token menu", false, false, true, false, 1, false},
        {"option-click in the text: insert menu", false, true, false, false, 2, false},
        {"option-click on the mark: insert menu", false, true, false, true, 2, false},
        {"secondary click in the text: context menu", true, false, false, false, 0, false},
        {"secondary command-click in the text: token menu", true, false, true, false, 1, false},
        {"secondary click on the mark: insert menu, pending", true, false, false, true, 2, true},
        {"secondary option-click in the text: insert menu", true, true, false, false, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InputEvent event;
        event.rightButton = c.secondary ? 1 : 0;
        event.option = c.option ? 1 : 0;
        event.command = c.command ? 1 : 0;
        bool pending = !c.pending;
        EXPECT_EQ(SelectorRow::ClickMenuMode(event, c.insideMark, pending), c.mode);
        EXPECT_EQ(pending, c.pending);
    }
}

TEST(SelectorRowModes, MenuTablesHaveTheirEntryCounts)
{
    EXPECT_EQ(PatternMenuEntries().size(), 19u);
    EXPECT_EQ(ShortPatternMenuEntries().size(), 12u);
    EXPECT_EQ(ComponentOperatorEntries().size(), 17u);
    EXPECT_EQ(SubsetOperatorEntries().size(), 11u);
    EXPECT_EQ(DateUnitRowEntries().size(), 20u);
    EXPECT_EQ(DateUnitEntries().size(), 7u);
}

TEST_F(SelectorRowTest, APlainClickEditsAndTheMarkOpensTheTokenMenu)
{
    auto* row = new RecordingRow(*window, OriginSize{20, 20, 16, 200});
    row->SetText("1910 | 3");
    ClickThenKeys(*row, Point{8, 3}, 0);
    EXPECT_TRUE(row->opened.empty()) << "a plain click in the text opens nothing";
    EXPECT_TRUE(row->IsFocused());
    ClickThenKeys(*row, Point{8, int16_t(row->Bounds().right - 2)}, 0);
    ASSERT_EQ(row->opened.size(), 1u);
    EXPECT_EQ(row->opened[0], SelectorMenuMode::Token);
    ClickThenKeys(*row, Point{8, 3}, kModifierOption);
    ASSERT_EQ(row->opened.size(), 2u);
    EXPECT_EQ(row->opened[1], SelectorMenuMode::Insert);
    EXPECT_EQ(row->ranges[1].first, 0) << "the insert menu replaces at the offset clicked";
    // From the keyboard: an arrow with option, with command.
    QueueKeys({29}, kModifierOption);
    input.RunUntilQuiet();
    QueueKeys({28}, kModifierCommand);
    input.RunUntilQuiet();
    ASSERT_EQ(row->opened.size(), 4u);
    EXPECT_EQ(row->opened[2], SelectorMenuMode::Insert);
    EXPECT_EQ(row->opened[3], SelectorMenuMode::Token);
    EXPECT_EQ(row->MenuMode(), SelectorMenuMode::None) << "the mode ends with its menu";
    // A mode that is not allowed opens nothing.
    row->SetModesAllowed(false, true);
    QueueKeys({28}, kModifierCommand);
    input.RunUntilQuiet();
    EXPECT_EQ(row->opened.size(), 4u);
}

TEST_F(SelectorRowTest, ADisabledRowHasNoMarkAndUsesTheFullWidth)
{
    auto* row = new RecordingRow(*window, OriginSize{20, 20, 16, 200});
    EXPECT_EQ(row->TextRect().right, row->Bounds().right - kSelectorMarkWidth);
    EXPECT_EQ(row->MarkRect().Width(), kSelectorMarkWidth);
    row->SetEnabled(false);
    EXPECT_EQ(row->TextRect().right, row->Bounds().right);
    EXPECT_TRUE(row->MarkRect().IsEmpty());
    ClickThenKeys(*row, Point{8, int16_t(row->Bounds().right - 2)}, 0);
    EXPECT_TRUE(row->opened.empty());
    row->SetEnabled(true);
    EXPECT_EQ(row->TextRect().right, row->Bounds().right - kSelectorMarkWidth);
}

TEST_F(SelectorRowTest, ComponentTokensTakeQuotesWholeAndLeaveTrailingBlanks)
{
    auto* row = new ComponentSelectorRow(*window, OriginSize{20, 20, 16, 300}, 1, *base, kAccounts);
    row->SetText("'19 10' | 3010  & ¬ 30");
    struct Case {
        int32_t at;
        int32_t start, length;
    } const cases[] = {
        {0, 0, 7}, {3, 0, 7}, {7, 0, 7},   // the quoted code, quotes included
        {10, 10, 4}, {14, 10, 4},          // "3010" without the blanks behind it
        {8, 8, 0},                          // on an operator: unchanged
        {22, 21, 2},                        // after "¬"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        int32_t start = c.at;
        int32_t length = 0;
        row->GetTokenRange(start, length);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(length, c.length);
    }
    row->SetSelection(nullptr);
    row->SetText("'1910' | 3");
    row->TextField::SetSelection(2, 0);
    EXPECT_EQ(row->TokenComponent(), base->LookupComponent(kAccounts, "1910", 4)) << "quotes removed when needed";
}

TEST_F(SelectorRowTest, PickingAComponentReplacesTheQuotedTokenWhole)
{
    auto* row = new ComponentSelectorRow(*window, OriginSize{20, 20, 16, 300}, 1, *base, kAccounts);
    row->SetText("'1910' | 3");
    row->TakeFocus();
    input.RunUntilQuiet();
    row->TextField::SetSelection(2, 0);
    // Command-right selects the token, shows it for a moment and opens the component popup cascaded
    // to 1910; down moves to 1920, Return picks it. The keys for the popup wait until it is open.
    QueueKeys({29}, kModifierCommand);
    RunEventLoopFor(600);
    QueueKeys({31, 13});
    input.RunUntilQuiet();
    EXPECT_EQ(row->Text(), "1920 | 3");
    EXPECT_EQ(row->SelectionStart(), 4) << "the caret stays behind the inserted code";
}

TEST_F(SelectorRowTest, ATypedSelectionIsCompiledForTheDimension)
{
    ComponentSelection selection(*base);
    auto* row = new ComponentSelectorRow(*window, OriginSize{20, 20, 16, 300}, 1, *base, kAccounts);
    row->SetSelection(&selection);
    EXPECT_EQ(row->Text(), "");
    row->SetTextAfterLink("19|3010");
    EXPECT_TRUE(selection.HasExpression(kAccounts));
    EXPECT_TRUE(selection.Admits(base->LookupComponent(kAccounts, "1920", 4)));
    EXPECT_FALSE(selection.Admits(base->LookupComponent(kAccounts, "3020", 4)));
    EXPECT_EQ(row->Text(), "19 | 3010") << "shown in its canonical form";
    row->SetSelection(nullptr);  // the selection goes before the window
}

TEST_F(SelectorRowTest, ChoosingUnbalancedInsertsTheWord)
{
    Subset* sales = base->Subsets().CreateSubset("Sales");
    ASSERT_NE(sales, nullptr);
    ASSERT_NE(sales->CreateSelection("North"), nullptr);
    ASSERT_NE(sales->CreateSelection("South"), nullptr);
    auto* row = new SubsetSelectorRow(*window, OriginSize{20, 20, 16, 300}, 1);
    row->SetFormula(&sales->Formula());
    EXPECT_EQ(row->OperandNames(), (std::vector<std::string>{"North", "South"}));
    row->SetText("North | ");
    // Option-click behind the text, then Up (from nothing: the last entry) and Return.
    ClickThenKeys(*row, Point{8, 150}, kModifierOption, {30, 13});
    EXPECT_EQ(row->Text(), "North | unbalanced");
}

TEST_F(SelectorRowTest, SubsetTokensSkipOperatorsAndKeywords)
{
    auto* row = new SubsetSelectorRow(*window, OriginSize{20, 20, 16, 300}, 1);
    row->SetText("cards Big sales | Costs & groups North ");
    struct Case {
        int32_t at;
        const char* token;
    } const cases[] = {{8, "Big sales"}, {0, "Big sales"}, {19, "Costs"}, {30, "North"}, {38, "North"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        int32_t start = c.at;
        int32_t length = 0;
        row->GetTokenRange(start, length);
        EXPECT_EQ(row->Text().substr(size_t(start), size_t(length)), c.token);
    }
}

TEST_F(SelectorRowTest, ADateExpressionIsReadAndShownNormalised)
{
    DateExpression expression(base.get(), 1);
    auto* field = new DateExpressionField(*window, OriginSize{20, 20, 16, 200}, 1);
    field->SetExpression(&expression);
    field->SetTextAfterLink("mon-1");
    EXPECT_EQ(expression.Unit(), DateUnit::Month);
    EXPECT_EQ(expression.Offset(), -1);
    String shown;
    expression.ToText(shown);
    EXPECT_EQ(field->Text(), shown.View());
    // A chosen unit replaces the whole text: Down, Return picks the first unit, "Day".
    field->TakeFocus();
    input.RunUntilQuiet();
    QueueKeys({29, 31, 13}, kModifierOption);
    input.RunUntilQuiet();
    EXPECT_EQ(field->Text(), "Day");
    field->SetExpression(nullptr);  // the expression goes before the window
}

}  // namespace
}  // namespace vek
