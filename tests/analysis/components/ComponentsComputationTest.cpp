// The components computation: the hand-worked rows of the fixture base (tests/fixtures/components,
// its README), the three phases that split the cards, distinct card counts, the values without their
// phase, the percentage of a zero period, a value field the base does not have, a component set that
// cannot be copied, and the invariants over random bases with component trees.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "analysis/CompiledSelection.h"
#include "analysis/components/ComponentsAnalysis.h"
#include "analysis/components/ComponentsComputation.h"
#include "analysis/components/ComponentsTemplate.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "model/selections/SelectionTexts.h"
#include "platform/FilePath.h"
#include "support/AnalysisResults.h"

namespace vek {
namespace {

using test::RecordingHost;
using test::CollectedRows;

std::string ComponentsFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/components/components.vkx";
}

// Every template of the fixture over 240110 to 240119, row for row in display order, as its README
// works them out by hand.
TEST(ComponentsFixtureTest, HandWorkedRowsOfEveryTemplate)
{
    struct Case {
        const char* path;
        std::vector<std::string> rows;  // after the header
    } cases[] = {
        {"One level: Accounts",
         {"1\tAccounts\t100\t-280\t320\t40\t100\t4\t9\t140\t500\t640",
          "1\t  1 Assets\t100\t-200\t120\t-80\t-200\t4\t5\t20\t500\t520",
          "1\t    19 Cash and bank\t100\t-200\t120\t-80\t-200\t4\t5\t20\t500\t520",
          "1\t      1910 Cash\t100\t0\t70\t70\t175\t3\t3\t170\t500\t670",
          "1\t      1920 Bank\t0\t-200\t50\t-150\t-375\t1\t2\t-150\t0\t-150",
          "1\t  3 Revenue\t0\t-80\t200\t120\t300\t4\t4\t120\t0\t120",
          "1\t    30 Sales\t0\t-80\t200\t120\t300\t4\t4\t120\t0\t120",
          "1\t      3010 Goods\t0\t-70\t0\t-70\t-175\t2\t2\t-70\t0\t-70",
          "1\t      3020 Services\t0\t-10\t200\t190\t475\t2\t2\t190\t0\t190",
          "1\t  4 Costs\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0"}},
        {"Two levels: Accounts by cost centre",
         {"1\tAccounts\t40\t4\t9", "1\t  1 Assets\t-80\t4\t5", "1\t    19 Cash and bank\t-80\t4\t5",
          "1\t      1910 Cash\t70\t3\t3", "2\t        N North\t40\t2\t2", "2\t        S South\t30\t1\t1",
          "1\t      1920 Bank\t-150\t1\t2", "2\t        S South\t-150\t1\t2", "1\t  3 Revenue\t120\t4\t4",
          "1\t    30 Sales\t120\t4\t4", "1\t      3010 Goods\t-70\t2\t2", "2\t        N North\t-70\t2\t2",
          "1\t      3020 Services\t190\t2\t2", "2\t        N North\t-10\t1\t1", "2\t        S South\t200\t1\t1"}},
        {"Three levels: Accounts, cost centres, projects",
         {"1\tAccounts\t40\t9", "1\t  1 Assets\t-80\t5", "1\t    19 Cash and bank\t-80\t5", "1\t      1910 Cash\t70\t3",
          "2\t        N North\t40\t2", "3\t          P Projects\t40\t2", "3\t            P1 Alpha\t40\t2",
          "2\t        S South\t30\t1", "3\t          P Projects\t30\t1", "3\t            P1 Alpha\t30\t1",
          "1\t      1920 Bank\t-150\t2", "2\t        S South\t-150\t2", "3\t          P Projects\t-150\t2",
          "3\t            P2 Beta\t-150\t2", "1\t  3 Revenue\t120\t4", "1\t    30 Sales\t120\t4",
          "1\t      3010 Goods\t-70\t2", "2\t        N North\t-70\t2", "3\t          P Projects\t-70\t2",
          "3\t            P1 Alpha\t-40\t1", "3\t            P2 Beta\t-30\t1", "1\t      3020 Services\t190\t2",
          "2\t        N North\t-10\t1", "3\t          P Projects\t-10\t1", "3\t            P1 Alpha\t-10\t1",
          "2\t        S South\t200\t1", "3\t          P Projects\t200\t1", "3\t            P2 Beta\t200\t1"}},
        {"Depth limit: Accounts to the first level",
         {"1\tAccounts\t40\t9", "1\t  1 Assets\t-80\t5", "1\t  3 Revenue\t120\t4"}},
        {"Filter: non-zero period",
         {"1\tAccounts\t40", "1\t  1 Assets\t-80", "1\t    19 Cash and bank\t-80", "1\t      1910 Cash\t70",
          "1\t      1920 Bank\t-150", "1\t  3 Revenue\t120", "1\t    30 Sales\t120", "1\t      3010 Goods\t-70",
          "1\t      3020 Services\t190"}},
        {"Filter: cost centres in use under accounts",
         {"1\tAccounts\t40", "1\t  1 Assets\t-80", "1\t    19 Cash and bank\t-80", "1\t      1910 Cash\t70",
          "2\t        N North\t40", "2\t        S South\t30", "1\t      1920 Bank\t-150", "2\t        S South\t-150",
          "1\t  3 Revenue\t120", "1\t    30 Sales\t120", "1\t      3010 Goods\t-70", "2\t        N North\t-70",
          "1\t      3020 Services\t190", "2\t        N North\t-10", "2\t        S South\t200", "1\t  4 Costs\t0"}},
        {"Flat: accounts under cost centres",
         {"1\tCost centres\t40", "1\t  N North\t-40", "2\t    1910 Cash\t40", "2\t    3010 Goods\t-70",
          "2\t    3020 Services\t-10", "1\t  S South\t80", "2\t    1910 Cash\t30", "2\t    1920 Bank\t-150",
          "2\t    3020 Services\t200"}},
        {"Sort: by period, largest first",
         {"1\tAccounts\t40", "1\t  3 Revenue\t120", "1\t    30 Sales\t120", "1\t      3020 Services\t190",
          "1\t      3010 Goods\t-70", "1\t  1 Assets\t-80", "1\t    19 Cash and bank\t-80", "1\t      1910 Cash\t70",
          "1\t      1920 Bank\t-150"}},
        {"Sort: by code, reversed",
         {"1\tAccounts\t40", "1\t  3 Revenue\t120", "1\t    30 Sales\t120", "1\t      3020 Services\t190",
          "1\t      3010 Goods\t-70", "1\t  1 Assets\t-80", "1\t    19 Cash and bank\t-80", "1\t      1920 Bank\t-150",
          "1\t      1910 Cash\t70"}},
        {"Sort: by text",
         {"1\tAccounts\t40", "1\t  1 Assets\t-80", "1\t    19 Cash and bank\t-80", "1\t      1920 Bank\t-150",
          "1\t      1910 Cash\t70", "1\t  3 Revenue\t120", "1\t    30 Sales\t120", "1\t      3010 Goods\t-70",
          "1\t      3020 Services\t190"}},
    };
    ClearError();
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(ComponentsFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Template* node = base->FindTemplate(c.path);
        ASSERT_NE(node, nullptr);
        std::unique_ptr<AnalysisComputation> computation = MakeAnalysisComputation(*node);
        ASSERT_NE(computation, nullptr);
        computation->SetPeriod({MakePackedDate(2024, 1, 10), MakePackedDate(2024, 1, 19)});
        RecordingHost host;
        computation->Compute(host);
        EXPECT_EQ(host.end, AnalysisRunEnd::Completed);
        EXPECT_FALSE(IsErrorPending());
        CollectedRows collected;
        computation->ReadRows(collected);
        ASSERT_FALSE(collected.rows.empty());
        std::vector<std::string> rows(collected.rows.begin() + 1, collected.rows.end());
        EXPECT_EQ(rows, c.rows);
    }
}

// A small base built in memory: accounts 1 > 10 > 1010, 1020 and 2 > 2010 in dimension 1 (line
// slot 0), cost centres N and S in dimension 2, one value field.
class ComponentsComputationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(2);
        for (const char* code : {"1", "10", "1010", "1020", "2", "2010"})
            base.AddComponent(1, code, code, nullptr);
        base.AddComponent(2, "N", "North", nullptr);
        base.AddComponent(2, "S", "South", nullptr);
    }
    void TearDown() override
    {
        MemFailAllocationsAfter(-1);
        ClearError();
    }

    uint32_t Number(int32_t d, const char* code) { return base.GetDimension(d).FindByCode(code)->number; }

    void AddLine(PackedDate date, int32_t number, const char* account, const char* centre, double amount)
    {
        CardKey key{date, number};
        Card* card = base.FindCardAtOrAfter(key);
        CardKey found;
        if (card && card != base.ChainEnd())
            base.GetCardKey(card, found);
        if (!card || card == base.ChainEnd() || found.date != date || found.number != number)
            card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base.FindOrAddGroup(card, 0);
        ASSERT_NE(group, nullptr);
        CardLine* line = base.CreateLine(group);
        ASSERT_NE(line, nullptr);
        base.SetLineComponent(line, 0, account ? Number(1, account) : 1);
        base.SetLineComponent(line, 1, centre ? Number(2, centre) : 2);
        double values[2] = {amount, 1.0};
        base.SetLineValues(line, values);
    }

    int32_t RowOf(const ComponentsComputation& computation, const char* code)
    {
        for (int32_t row = 0; row < computation.RowCount(); ++row) {
            const Component* component = base.ComponentAt(computation.Tree().Row(row).component);
            if (component && component->code && std::string(component->code) == code)
                return row;
        }
        return -1;
    }

    void Run(ComponentsComputation& computation, PackedDate from, PackedDate to,
             AnalysisRunEnd expected = AnalysisRunEnd::Completed)
    {
        SelectionTexts texts(base);
        CompiledSelection selection(base, texts);
        computation.SetPeriod(from, to);
        RecordingHost host;
        computation.Recalculate(host, selection);
        EXPECT_EQ(host.end, expected);
    }

    Base base{FilePath(), 1};
};

// Lines of amount 0 count in the line and card counts but add to no sum; a NaN or an amount beyond
// ±1e308 counts nowhere; a card with two lines on one row counts once there and once in each
// ancestor.
TEST_F(ComponentsComputationTest, CountsAndSkippedAmounts)
{
    PackedDate day = MakePackedDate(2024, 3, 1);
    AddLine(day, 1, "1010", "N", 10.0);
    AddLine(day, 1, "1010", "N", 0.0);
    AddLine(day, 1, "1020", "N", std::nan(""));
    AddLine(day, 1, "1020", "N", 1.5e308);
    AddLine(day, 2, "1020", "S", -4.0);
    ComponentsComputation computation(base);
    computation.Settings().columns[size_t(ComponentsValue::CardCount)].shown = true;
    computation.Settings().needsCardCount = true;
    Run(computation, day, day);
    int32_t account1010 = RowOf(computation, "1010");
    int32_t account1020 = RowOf(computation, "1020");
    int32_t group10 = RowOf(computation, "10");
    ASSERT_GE(account1010, 0);
    ASSERT_GE(account1020, 0);
    ASSERT_GE(group10, 0);
    const ComponentValues& own = computation.Values(account1010).own;
    EXPECT_EQ(own.positive, 10.0);
    EXPECT_EQ(own.lineCount, 2);
    EXPECT_EQ(own.cardCount, 1);
    EXPECT_EQ(computation.Values(account1010).rolledUp.cardCount, 1);
    EXPECT_EQ(computation.Values(account1020).own.lineCount, 1);
    EXPECT_EQ(computation.Values(account1020).own.negative, -4.0);
    const ComponentValues& parent = computation.Values(group10).rolledUp;
    EXPECT_EQ(parent.cardCount, 2);
    EXPECT_EQ(parent.lineCount, 3);
    EXPECT_EQ(parent.positive + parent.negative, 6.0);
    EXPECT_EQ(computation.Values(0).rolledUp.cardCount, 2);
}

// Without the before phase, B, E and T are the empty value; without the after phase, A and T.
TEST_F(ComponentsComputationTest, ValuesWithoutTheirPhaseAreEmpty)
{
    AddLine(MakePackedDate(2024, 1, 1), 1, "1010", "N", 5.0);
    AddLine(MakePackedDate(2024, 2, 1), 1, "1010", "N", 7.0);
    AddLine(MakePackedDate(2024, 3, 1), 1, "1010", "N", 11.0);
    ComponentsComputation computation(base);
    computation.Settings().needsBefore = false;
    computation.Settings().needsAfter = false;
    Run(computation, MakePackedDate(2024, 2, 1), MakePackedDate(2024, 2, 1));
    const ComponentValues& root = computation.Values(0).rolledUp;
    for (ComponentsValue empty : {ComponentsValue::Before, ComponentsValue::AtEnd, ComponentsValue::After,
                                  ComponentsValue::Total})
        EXPECT_TRUE(std::isnan(computation.RowValue(root, int32_t(empty)))) << int32_t(empty);
    EXPECT_EQ(computation.RowValue(root, int32_t(ComponentsValue::Period)), 7.0);
    EXPECT_DOUBLE_EQ(computation.RowValue(root, int32_t(ComponentsValue::Percentage)), 100.0);

    computation.Settings().needsBefore = true;
    computation.Settings().needsAfter = true;
    Run(computation, MakePackedDate(2024, 2, 1), MakePackedDate(2024, 2, 1));
    const ComponentValues& whole = computation.Values(0).rolledUp;
    EXPECT_EQ(computation.RowValue(whole, int32_t(ComponentsValue::Before)), 5.0);
    EXPECT_EQ(computation.RowValue(whole, int32_t(ComponentsValue::AtEnd)), 12.0);
    EXPECT_EQ(computation.RowValue(whole, int32_t(ComponentsValue::After)), 11.0);
    EXPECT_EQ(computation.RowValue(whole, int32_t(ComponentsValue::Total)), 23.0);
    EXPECT_EQ(computation.RowValue(whole, 42), 23.0);
}

// The older computation divided by a root period of zero: every percentage is the empty value.
TEST_F(ComponentsComputationTest, PercentageOfAZeroPeriodIsEmpty)
{
    AddLine(MakePackedDate(2024, 1, 1), 1, "1010", "N", 5.0);
    AddLine(MakePackedDate(2024, 1, 1), 1, "2010", "N", -5.0);
    ComponentsComputation computation(base);
    Run(computation, MakePackedDate(2024, 1, 1), MakePackedDate(2024, 1, 1));
    EXPECT_EQ(computation.PercentageBase(), 0.0);
    for (int32_t row = 0; row < computation.RowCount(); ++row)
        EXPECT_TRUE(std::isnan(computation.RowValue(computation.Values(row).rolledUp,
                                                    int32_t(ComponentsValue::Percentage))));
}

// A value field the base does not have (a template of another base, a changed value count) would
// read amounts past the line's values: the first field is summed instead.
TEST_F(ComponentsComputationTest, ValueFieldBeyondTheBaseReadsTheFirst)
{
    AddLine(MakePackedDate(2024, 1, 1), 1, "1010", "N", 5.0);
    ComponentsComputation computation(base);
    for (int32_t field : {2, 23, 1000, -1}) {
        SCOPED_TRACE(field);
        computation.Settings().valueField = field;
        Run(computation, MakePackedDate(2024, 1, 1), MakePackedDate(2024, 1, 1));
        EXPECT_EQ(computation.Values(0).rolledUp.positive, 5.0);
    }
}

// The older computation set the cancel flag without a message when the component set could not be
// copied: the run fails with 600.
TEST_F(ComponentsComputationTest, ComponentSetThatCannotBeCopiedReports600)
{
    AddLine(MakePackedDate(2024, 1, 1), 1, "1010", "N", 5.0);
    ComponentsComputation computation(base);
    SelectionTexts texts(base);
    CompiledSelection selection(base, texts);
    computation.SetPeriod(MakePackedDate(2024, 1, 1), MakePackedDate(2024, 1, 1));
    RecordingHost host;
    MemFailAllocationsAfter(0);
    computation.Recalculate(host, selection);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(host.end, AnalysisRunEnd::Failed);
    EXPECT_EQ(GetPendingError().message.code, 600);
}

// A selection with a component expression: the tree hangs under the common ancestor of what it admits.
TEST_F(ComponentsComputationTest, SelectionChoosesTheTop)
{
    AddLine(MakePackedDate(2024, 1, 1), 1, "1010", "N", 5.0);
    AddLine(MakePackedDate(2024, 1, 1), 1, "1020", "S", 6.0);
    AddLine(MakePackedDate(2024, 1, 1), 1, "2010", "S", 7.0);
    ComponentsComputation computation(base);
    SelectionTexts texts(base);
    texts.SetDimensionText(1, "10");
    CompiledSelection selection(base, texts);
    computation.SetPeriod(MakePackedDate(2024, 1, 1), MakePackedDate(2024, 1, 1));
    RecordingHost host;
    computation.Recalculate(host, selection);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    EXPECT_STREQ(base.ComponentAt(computation.Tree().Row(0).component)->code, "10");
    EXPECT_EQ(computation.Values(0).rolledUp.positive, 11.0);
}

// --- Random bases ----------------------------------------------------------------------------------

// Random trees in two dimensions (codes that extend their parent's), random lines over 60 days.
void BuildRandomTreeBase(Base& base, uint64_t seed)
{
    std::mt19937_64 random(seed);
    base.SetValueCount(1);
    std::vector<std::vector<std::string>> codes(3);
    for (int32_t d = 1; d <= 2; ++d) {
        std::vector<std::string>& made = codes[size_t(d)];
        for (int32_t i = 0; i < 40; ++i) {
            std::string code;
            if (made.empty() || random() % 4 == 0)
                code = std::string(1, char('A' + made.size() % 26)) + std::to_string(made.size());
            else
                code = made[random() % made.size()] + std::to_string(random() % 10);
            if (base.AddComponent(d, code.c_str(), code.c_str(), nullptr))
                made.push_back(code);
        }
    }
    for (int32_t c = 0; c < 200; ++c) {
        CardKey key{DayNumberToPackedDate(PackedDateToDayNumber(MakePackedDate(2024, 1, 1)) + int32_t(random() % 60)),
                    int32_t(random() % 50) + 1};
        Card* card = base.CreateCard(key);
        if (!card)
            continue;
        CardGroup* group = base.FindOrAddGroup(card, 0);
        for (int32_t l = int32_t(random() % 4); l >= 0; --l) {
            CardLine* line = base.CreateLine(group);
            for (int32_t d = 1; d <= 2; ++d) {
                const std::vector<std::string>& made = codes[size_t(d)];
                // A few lines leave a dimension at its root.
                uint32_t number = random() % 10 == 0 ? uint32_t(d)
                                                     : base.GetDimension(d).FindByCode(made[random() % made.size()].c_str())->number;
                base.SetLineComponent(line, d - 1, number);
            }
            double value = double(int64_t(random() % 20001) - 10000) / 100.0;
            base.SetLineValues(line, &value);
        }
    }
}

// Over random bases of one and two levels: before + period is the before of the day after the period
// for every row; every row's rolled-up values are its own plus its children's rolled-up ones; the
// root's total is the sum of every line; a recomputation gives the same rows.
TEST(ComponentsRandomBaseTest, PhasesAndRollUpInvariants)
{
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        for (int32_t levels : {1, 2}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " levels " << levels);
            ClearError();
            Base base(FilePath(), 1);
            BuildRandomTreeBase(base, seed);
            double sum = 0.0;
            for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card))
                for (CardGroup* g = base.FirstGroup(card); g; g = base.NextGroup(g))
                    for (CardLine* l = base.FirstLine(g); l; l = base.NextLine(l))
                        sum += base.GetLineValue(l, 0);

            auto run = [&](ComponentsComputation& computation, PackedDate from, PackedDate to) {
                computation.Settings().levels.levelCount = levels;
                computation.Settings().levels.dimension = {1, 2, 3, 4};
                computation.Settings().levels.filter = {LevelFilter::All, LevelFilter::All, LevelFilter::All,
                                                        LevelFilter::All};
                computation.Settings().needsBefore = true;
                computation.Settings().needsAfter = true;
                computation.Settings().needsCardCount = true;
                SelectionTexts texts(base);
                CompiledSelection selection(base, texts);
                computation.SetPeriod(from, to);
                RecordingHost host;
                computation.Recalculate(host, selection);
                ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
            };
            PackedDate from = MakePackedDate(2024, 1, 20);
            PackedDate to = MakePackedDate(2024, 2, 10);
            ComponentsComputation period(base);
            run(period, from, to);
            ComponentsComputation next(base);
            run(next, MakePackedDate(2024, 2, 11), MakePackedDate(2024, 2, 20));
            ASSERT_EQ(period.RowCount(), next.RowCount());
            ASSERT_GT(period.RowCount(), 10);

            for (int32_t row = 0; row < period.RowCount(); ++row) {
                ASSERT_EQ(period.Tree().Row(row).component, next.Tree().Row(row).component);
                const ComponentValues& mine = period.Values(row).rolledUp;
                EXPECT_NEAR(mine.before + mine.positive + mine.negative, next.Values(row).rolledUp.before, 1e-6);
                // Rolled up = own + the children's rolled up.
                ComponentValues expected = period.Values(row).own;
                for (int32_t child = period.Tree().Row(row).firstChild; child >= 0;
                     child = period.Tree().Row(child).nextSibling) {
                    const ComponentValues& c = period.Values(child).rolledUp;
                    expected.before += c.before;
                    expected.positive += c.positive;
                    expected.negative += c.negative;
                    expected.after += c.after;
                    expected.lineCount += c.lineCount;
                    EXPECT_LE(c.cardCount, mine.cardCount);
                }
                EXPECT_NEAR(mine.before, expected.before, 1e-6);
                EXPECT_NEAR(mine.positive, expected.positive, 1e-6);
                EXPECT_NEAR(mine.negative, expected.negative, 1e-6);
                EXPECT_NEAR(mine.after, expected.after, 1e-6);
                EXPECT_EQ(mine.lineCount, expected.lineCount);
            }
            EXPECT_NEAR(period.RowValue(period.Values(0).rolledUp, int32_t(ComponentsValue::Total)), sum, 1e-6);

            // A recomputation sizes its table from the last one's count and gives the same rows.
            int64_t hint = period.Tree().CombinationSizeHint();
            std::vector<double> totals;
            for (int32_t row = 0; row < period.RowCount(); ++row)
                totals.push_back(period.RowValue(period.Values(row).rolledUp, int32_t(ComponentsValue::Total)));
            run(period, from, to);
            EXPECT_EQ(period.Tree().CombinationSizeHint(), hint);
            ASSERT_EQ(size_t(period.RowCount()), totals.size());
            for (int32_t row = 0; row < period.RowCount(); ++row)
                EXPECT_EQ(period.RowValue(period.Values(row).rolledUp, int32_t(ComponentsValue::Total)),
                          totals[size_t(row)]);
        }
    }
}

}  // namespace
}  // namespace vek
