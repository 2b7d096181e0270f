// The cards computation over a small fixture base: rows by content settings, period and selection,
// every sort method, stable ties, cancelling, a refused selection, and a row array that cannot grow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "analysis/cards/CardsComputation.h"
#include "analysis/CompiledSelection.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "files/basefiles/BaseFiles.h"
#include "model/base/Base.h"
#include "analysis/cards/CardsTemplate.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::unique_ptr<Base> ReadFixture(const char* name)
{
    ClearError();
    auto base = std::make_unique<Base>(FilePath(), 1);
    std::string path = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/analysis/" + name;
    if (!ReadBaseFile(*base, FilePath(path.c_str()), nullptr, 0))
        return nullptr;
    return base;
}

// One text per row in display order: "C240105-1", "G S", "L cash in", "N", "S".
std::vector<std::string> Picture(const Base& base, const CardsComputation& computation)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < computation.RowCount(); ++i) {
        CardsResultRow row = computation.RowAt(i);
        switch (row.kind) {
        case CardsRowKind::Card: {
            CardKey key;
            base.GetCardKey(base.CardAt(row.object), key);
            String text;
            FormatCardKeyPlain(text, key);
            out.push_back(std::string("C") + text.CStr());
            break;
        }
        case CardsRowKind::Group: {
            const Component* c = base.ComponentAt(uint32_t(base.GroupAt(row.object)->key));
            out.push_back(std::string("G ") + (c && c->code ? c->code : ""));
            break;
        }
        case CardsRowKind::Line: {
            const char* text = base.LineAt(row.object)->Text();
            out.push_back(std::string("L ") + (text ? text : ""));
            break;
        }
        case CardsRowKind::Notes: out.push_back("N"); break;
        case CardsRowKind::Signatures: out.push_back("S"); break;
        }
    }
    return out;
}

// A selection of a group set and the accounts (dimension 2) whose lines it accepts.
class TestSelection : public AnalysisSelection {
public:
    TestSelection(const Base& base, std::set<std::string> groups, std::set<std::string> accounts)
        : base(base), groups(std::move(groups)), accounts(std::move(accounts))
    {
    }
    bool Prepare() override { return !refuse; }
    bool MatchesCard(const Card*) const override { return true; }
    bool AdmitsGroup(const CardGroup* group) const override
    {
        return groups.empty() || groups.count(Code(uint32_t(group->key))) > 0;
    }
    bool MatchesLine(const CardLine* line) const override
    {
        return accounts.empty() || accounts.count(Code(base.GetLineComponent(line, 0))) > 0;
    }
    bool refuse = false;

private:
    std::string Code(uint32_t number) const
    {
        const Component* c = base.ComponentAt(number);
        return c && c->code ? c->code : "";
    }
    const Base& base;
    std::set<std::string> groups;
    std::set<std::string> accounts;
};

class RecordingHost : public AnalysisHost {
public:
    void StartProgress(int32_t total) override { progressTotal = total; }
    void StepProgress() override { ++steps; }
    bool CancelRequested() const override { return cancelAfter >= 0 && steps >= cancelAfter; }
    void EndRun(AnalysisRunEnd outcome) override { end = outcome; }
    void SortKeysChanged() override { ++keysChanged; }

    int32_t progressTotal = -1;
    int32_t steps = 0;
    int32_t cancelAfter = -1;
    int32_t keysChanged = 0;
    AnalysisRunEnd end = AnalysisRunEnd::Completed;
};

class CardsComputationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = ReadFixture("cards.vkx");
        ASSERT_NE(base, nullptr);
        computation = std::make_unique<CardsComputation>(*base);
        computation->SetPeriod(MakePackedDate(2024, 1, 1), MakePackedDate(2024, 12, 31));
    }
    void TearDown() override { ClearError(); }

    std::vector<std::string> Run(AnalysisSelection& selection)
    {
        computation->Recalculate(host, selection);
        return Picture(*base, *computation);
    }
    std::vector<std::string> Run()
    {
        AdmitAllSelection all;
        return Run(all);
    }
    void SetKeys(std::initializer_list<CardsSortKey> keys)
    {
        CardsSettings& settings = computation->Settings();
        settings.sortKeyCount = int32_t(keys.size());
        int32_t k = 0;
        for (const CardsSortKey& key : keys)
            settings.sortKeys[size_t(k++)] = key;
    }

    std::unique_ptr<Base> base;
    std::unique_ptr<CardsComputation> computation;
    RecordingHost host;
};

using Rows = std::vector<std::string>;

TEST_F(CardsComputationTest, DefaultsListEveryCardWithItsGroupsAndLinesInKeyOrder)
{
    Rows expected = {"C240105-1", "G S", "L cash in", "L sale",     "C240110-1", "G P",      "L goods",
                     "L cash out", "C240110-2", "G S", "L sale",   "L cash in", "G P",       "L goods",
                     "L cash out", "C240201-1", "G S", "L cash in", "L sale",   "C240215-3", "G P",
                     "L goods",    "L cash out"};
    EXPECT_EQ(Run(), expected);
    EXPECT_EQ(computation->SortPlan().method, CardsSortMethod::None);
    EXPECT_FALSE(computation->HasPermutation());
    EXPECT_EQ(host.progressTotal, 5);
    EXPECT_EQ(host.steps, 5);
    EXPECT_EQ(host.end, AnalysisRunEnd::Completed);
}

TEST_F(CardsComputationTest, PeriodsTakeTheCardsOfTheirDatesOnly)
{
    struct Case {
        PackedDate from, to;
        Rows cards;
    };
    const Case cases[] = {
        {MakePackedDate(2024, 1, 10), MakePackedDate(2024, 1, 31), {"C240110-1", "C240110-2"}},
        {MakePackedDate(2024, 1, 5), MakePackedDate(2024, 1, 5), {"C240105-1"}},
        {MakePackedDate(2024, 2, 1), MakePackedDate(2024, 2, 15), {"C240201-1", "C240215-3"}},
        {MakePackedDate(2023, 1, 1), MakePackedDate(2023, 12, 31), {}},
        {MakePackedDate(2024, 2, 1), MakePackedDate(2024, 1, 1), {}},
    };
    computation->Settings().groupsContent = CardsContent::None;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cards.empty() ? "none" : c.cards.front());
        computation->SetPeriod(c.from, c.to);
        EXPECT_EQ(Run(), c.cards);
    }
}

TEST_F(CardsComputationTest, ContentSettingsAndTheSelection)
{
    struct Case {
        const char* name;
        CardsContent groups, lines;
        Rows rows;
    };
    // Group set {P}, lines of account 1910: the first and fourth cards hold 1910 lines only in group S
    // and are not listed.
    const Case cases[] = {
        {"selected groups and lines", CardsContent::Selected, CardsContent::Selected,
         {"C240110-1", "G P", "L cash out", "C240110-2", "G P", "L cash out", "C240215-3", "G P", "L cash out"}},
        {"all groups, selected lines", CardsContent::All, CardsContent::Selected,
         {"C240110-1", "G P", "L cash out", "C240110-2", "G S", "L cash in", "G P", "L cash out", "C240215-3",
          "G P", "L cash out"}},
        {"selected groups, all lines", CardsContent::Selected, CardsContent::All,
         {"C240110-1", "G P", "L goods", "L cash out", "C240110-2", "G P", "L goods", "L cash out", "C240215-3",
          "G P", "L goods", "L cash out"}},
        {"groups without lines", CardsContent::All, CardsContent::None,
         {"C240110-1", "G P", "C240110-2", "G S", "G P", "C240215-3", "G P"}},
        {"cards only", CardsContent::None, CardsContent::All, {"C240110-1", "C240110-2", "C240215-3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        computation->Settings().groupsContent = c.groups;
        computation->Settings().linesContent = c.lines;
        TestSelection selection(*base, {"P"}, {"1910"});
        EXPECT_EQ(Run(selection), c.rows);
    }
}

TEST_F(CardsComputationTest, NotesAndSignaturesRowsFollowTheirCard)
{
    CardsSettings& settings = computation->Settings();
    settings.groupsContent = CardsContent::None;
    settings.columns[cards_column::kNotes].shown = 1;
    settings.columns[cards_column::kSignatures].shown = 1;
    Rows expected = {"C240105-1", "N", "C240110-1", "C240110-2", "C240201-1", "S", "C240215-3"};
    EXPECT_EQ(Run(), expected);
    // With notes shown the rows are not card rows only: a descending card id reverses card blocks.
    SetKeys({{cards_column::kCardId, 1, 0, 0, 0}});
    Rows reversed = {"C240215-3", "C240201-1", "S", "C240110-2", "C240110-1", "C240105-1", "N"};
    EXPECT_EQ(Run(), reversed);
    EXPECT_EQ(computation->SortPlan().method, CardsSortMethod::ReverseBlocks);

    String text;
    computation->SignaturesText(base->CardAt(computation->RowAt(2).object), text);
    EXPECT_STREQ(text.CStr(), "Created 240201 10:00 ABC, Signed (E) 240202 11:00 XYZ");
}

TEST_F(CardsComputationTest, SortMethods)
{
    struct Case {
        const char* name;
        CardsContent groups;
        std::vector<CardsSortKey> keys;
        CardsSortMethod method;
        Rows rows;
    };
    const CardsSortKey idDown{cards_column::kCardId, 1, 0, 0, 0};
    const CardsSortKey titleUp{cards_column::kTitle, 0, 0, 0, 0};
    const CardsSortKey dateDown{cards_column::kDate, 1, 0, 0, 0};
    const CardsSortKey amountUp{cards_column::kFirstValue, 0, 0, 0, 5};
    const CardsSortKey quantityDown{cards_column::kFirstValue + 1, 0, 0, 0, 0};
    const CardsSortKey groupByText{cards_column::kDimension1, 0, 3, 0, 0};
    const CardsSortKey groupReversed{cards_column::kDimension1, 0, 1, 0, 0};
    const Case cases[] = {
        {"card id descending, cards only: reversal", CardsContent::None, {idDown}, CardsSortMethod::Reverse,
         {"C240215-3", "C240201-1", "C240110-2", "C240110-1", "C240105-1"}},
        {"titles without regard to case", CardsContent::None, {titleUp}, CardsSortMethod::SortCards,
         {"C240215-3", "C240110-1", "C240105-1", "C240110-2", "C240201-1"}},
        // The two cards of 10 January tie on the date and keep their computation order.
        {"date descending keeps ties in computation order", CardsContent::None, {dateDown},
         CardsSortMethod::SortCards, {"C240215-3", "C240201-1", "C240110-1", "C240110-2", "C240105-1"}},
        {"an amount key orders the lines of each group", CardsContent::Selected, {amountUp}, CardsSortMethod::Nested,
         {"C240105-1", "G S", "L sale", "L cash in", "C240110-1", "G P", "L cash out", "L goods", "C240110-2", "G S",
          "L sale", "L cash in", "G P", "L cash out", "L goods", "C240201-1", "G S", "L sale", "L cash in",
          "C240215-3", "G P", "L cash out", "L goods"}},
        {"groups by text, lines by quantity, cards reversed", CardsContent::Selected,
         {idDown, groupByText, quantityDown}, CardsSortMethod::Nested,
         {"C240215-3", "G P", "L goods", "L cash out", "C240201-1", "G S", "L cash in", "L sale", "C240110-2", "G P",
          "L goods", "L cash out", "G S", "L cash in", "L sale", "C240110-1", "G P", "L goods", "L cash out",
          "C240105-1", "G S", "L cash in", "L sale"}},
        {"groups in reversed tree order", CardsContent::Selected, {groupReversed}, CardsSortMethod::Nested,
         {"C240105-1", "G S", "L cash in", "L sale", "C240110-1", "G P", "L goods", "L cash out", "C240110-2", "G P",
          "L goods", "L cash out", "G S", "L sale", "L cash in", "C240201-1", "G S", "L cash in", "L sale",
          "C240215-3", "G P", "L goods", "L cash out"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        computation->Settings().groupsContent = c.groups;
        CardsSettings& settings = computation->Settings();
        settings.sortKeyCount = int32_t(c.keys.size());
        for (size_t k = 0; k < c.keys.size(); ++k)
            settings.sortKeys[k] = c.keys[k];
        EXPECT_EQ(Run(), c.rows);
        EXPECT_EQ(computation->SortPlan().method, c.method);
    }
}

TEST_F(CardsComputationTest, TrimmingDropsKeysThatAddNothing)
{
    SetKeys({{cards_column::kTitle, 0, 0, 0, 0}, {cards_column::kTitle, 0, 0, 1, 0}, {0, 0, 0, 0, 0}});
    EXPECT_TRUE(computation->TrimSortKeys());
    EXPECT_EQ(computation->Settings().sortKeyCount, 1);
    SetKeys({{cards_column::kTitle, 0, 0, 0, 0}, {cards_column::kCardId, 1, 0, 0, 0}});
    EXPECT_FALSE(computation->TrimSortKeys());
    // A run trims the keys and tells the window when their count changed.
    SetKeys({{cards_column::kTitle, 0, 0, 0, 0}, {cards_column::kTitle, 0, 0, 1, 0}});
    Run();
    EXPECT_EQ(host.keysChanged, 1);
    EXPECT_EQ(computation->Settings().sortKeyCount, 1);
    computation->Settings().sortKeyCount = 0;
    EXPECT_TRUE(computation->TrimSortKeys());
    EXPECT_EQ(computation->Settings().sortKeyCount, 1);
}

TEST_F(CardsComputationTest, ShownColumnsFollowTheBaseAndTheContents)
{
    computation->BuildShownColumns();
    // Card id, title, dimensions 1 and 2, line text, the two value fields; no date, origin, notes,
    // signatures, nor dimensions without components and value fields the base does not have.
    std::vector<int32_t> expected = {0, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(computation->ShownColumns(), expected);
    EXPECT_EQ(computation->ShownPosition(5), 4);
    EXPECT_EQ(computation->ShownPosition(8), -1);
    computation->Settings().linesContent = CardsContent::None;
    computation->BuildShownColumns();
    expected = {0, 2, 3};
    EXPECT_EQ(computation->ShownColumns(), expected);

    std::vector<int32_t> sortColumns;
    computation->BuildSortColumnList(sortColumns);
    std::vector<int32_t> offered = {0, 1, 2, -1, 3, 4, -1, 5, -1, 6, 7};
    EXPECT_EQ(sortColumns, offered);
}

TEST_F(CardsComputationTest, CancellingKeepsTheRowsOfTheCardsWalked)
{
    host.cancelAfter = 2;
    computation->Settings().groupsContent = CardsContent::None;
    Rows expected = {"C240105-1", "C240110-1"};
    EXPECT_EQ(Run(), expected);
    EXPECT_EQ(host.end, AnalysisRunEnd::Cancelled);
}

TEST_F(CardsComputationTest, ARefusedSelectionLeavesTheResultEmpty)
{
    Run();
    TestSelection selection(*base, {}, {});
    selection.refuse = true;
    EXPECT_TRUE(Run(selection).empty());
    EXPECT_EQ(host.end, AnalysisRunEnd::Failed);
}

// The fixture's templates over a few periods, with their rows worked out by hand.
TEST_F(CardsComputationTest, TheFixtureTemplatesGiveTheirRows)
{
    struct Case {
        const char* templatePath;
        PackedDate from, to;
        Rows rows;
    };
    const Case cases[] = {
        // Account 1910 selected, all groups and lines, lines by amount ascending.
        {"Reports: By amount", MakePackedDate(2024, 1, 10), MakePackedDate(2024, 1, 31),
         {"C240110-1", "G P", "L cash out", "L goods", "C240110-2", "G S", "L sale", "L cash in", "G P",
          "L cash out", "L goods"}},
        // No groups, notes and signatures shown, card id descending.
        {"Reports: Descending with notes", MakePackedDate(2024, 1, 1), MakePackedDate(2024, 2, 1),
         {"C240201-1", "S", "C240110-2", "C240110-1", "C240105-1", "N"}},
        {"Default cards", MakePackedDate(2024, 2, 1), MakePackedDate(2024, 3, 31),
         {"C240201-1", "G S", "L cash in", "L sale", "C240215-3", "G P", "L goods", "L cash out"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templatePath);
        Template* node = base->FindTemplate(c.templatePath);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->Kind(), TemplateKind::Cards);
        auto& cards = static_cast<CardsTemplate&>(*node);
        computation->Settings() = cards.Settings();
        computation->SetPeriod(c.from, c.to);
        CompiledSelection selection(*base, cards.Selection());
        EXPECT_EQ(Run(selection), c.rows);
        EXPECT_EQ(host.end, AnalysisRunEnd::Completed);
    }
}

// Bases with cards and lines templates save back byte for byte.
TEST_F(CardsComputationTest, TheFixtureBaseSavesBackByteForByte)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vek-analysis-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    std::string saved = pattern + "/cards.vkx";
    ASSERT_TRUE(SaveBaseFile(*base, FilePath(saved.c_str()), nullptr));
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes(saved), bytes(std::string(VEK_SOURCE_DIR) + "/tests/fixtures/analysis/cards.vkx"));
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
}

// Regression: when the row array could not grow the walk stopped quietly, and a cut-short result
// looked whole. Now it stops with message 3951 and the run is reported incomplete; the rows kept are
// the start of the full result.
TEST(CardsComputationMemoryTest, ARowArrayThatCannotGrowStopsWithMessage3951)
{
    ClearError();
    Base base(FilePath(), 1);
    SyntheticBaseOptions options;
    options.cards = 400;
    options.linesPerCard = 5;
    ASSERT_TRUE(BuildSyntheticBase(base, options));
    CardsComputation computation(base);
    computation.SetPeriod(MakePackedDate(1900, 1, 1), MakePackedDate(2100, 12, 31));
    AdmitAllSelection all;
    RecordingHost host;
    computation.Recalculate(host, all);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    std::vector<CardsResultRow> full;
    for (int32_t i = 0; i < computation.RowCount(); ++i)
        full.push_back(computation.RowAt(i));
    ASSERT_EQ(full.size(), 400u * 7u);

    for (int32_t allowed : {0, 1, 2}) {
        SCOPED_TRACE(allowed);
        ClearError();
        CardsComputation limited(base);
        limited.SetPeriod(MakePackedDate(1900, 1, 1), MakePackedDate(2100, 12, 31));
        RecordingHost limitedHost;
        MemFailAllocationsAfter(allowed);
        limited.Recalculate(limitedHost, all);
        MemFailAllocationsAfter(-1);
        ASSERT_EQ(limitedHost.end, AnalysisRunEnd::Incomplete);
        EXPECT_EQ(GetPendingError().message.code, message::kCardsResultIncomplete);
        EXPECT_LT(limited.RowCount(), int32_t(full.size()));
        for (int32_t i = 0; i < limited.RowCount(); ++i) {
            EXPECT_EQ(limited.RowAt(i).kind, full[size_t(i)].kind);
            EXPECT_EQ(limited.RowAt(i).object, full[size_t(i)].object);
        }
    }
    ClearError();
}

}  // namespace
}  // namespace vek
