// The level tree, built by the components computation: the combination hash and table sizes, depths
// past one byte, a combination table that cannot grow, the expansion state kept from one computation
// to the next (with its 8000-character lists), filtering a middle level and pruning, and sorting with
// equal values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/CompiledSelection.h"
#include "analysis/LevelTree.h"
#include "analysis/components/ComponentsComputation.h"
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

// The older hash worked in signed 32-bit arithmetic, which overflows once h x 16 passes 2^31 (tables
// of more than 134 million entries) and gave slots outside the table; and as (k0 x 16 + k1) mod C it
// put the combinations of small component numbers into a small corner of the table, where every
// probe walked long chains.
TEST(LevelTreeHashTest, SlotsLieInsideTheTableAndSpreadOverIt)
{
    const uint32_t large = uint32_t(LevelTree::CombinationCapacity(2000000000));
    EXPECT_EQ(large, 2147482921u);
    const std::vector<std::vector<uint32_t>> keys = {
        {2000000000u, 2000000000u},
        {4000000000u, 7u, 4000000000u},
        {123456789u, 2147482920u, 2147482920u, 2147482920u},
        {large - 1, large - 1, large - 1, large - 1},
    };
    for (const std::vector<uint32_t>& key : keys)
        EXPECT_LT(LevelTree::HashCombination(key, large), large);

    // 300 x 300 combinations of small numbers in a table sized for them (158,533 slots): about as many
    // distinct slots as random ones would take (68,700), where the older form took under 5,600.
    const uint32_t capacity = uint32_t(LevelTree::CombinationCapacity(90000));
    std::vector<uint8_t> used(capacity, 0);
    int32_t distinct = 0;
    for (uint32_t a = 32; a < 332; ++a)
        for (uint32_t b = 32; b < 332; ++b) {
            uint32_t slot = LevelTree::HashCombination(std::vector<uint32_t>{a, b}, capacity);
            ASSERT_LT(slot, capacity);
            distinct += used[slot] ? 0 : 1;
            used[slot] = 1;
        }
    EXPECT_GT(distinct, 60000);
}

TEST(LevelTreeHashTest, CapacityFollowsTheSizeHint)
{
    EXPECT_EQ(LevelTree::CombinationCapacity(0), 1031);  // the first odd prime above 1024
    EXPECT_EQ(LevelTree::CombinationCapacity(100), 1201);  // above 200 - 25 + 1024 = 1199
    EXPECT_EQ(LevelTree::CombinationCapacity(1227132500), 2147482921);
    EXPECT_EQ(LevelTree::CombinationCapacity(1227132501), 2147482921);
}

// A base of four dimensions; lines are added with one component code per dimension (null: the root).
class LevelTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(1);
    }
    void TearDown() override { ClearError(); }

    void AddLine(int32_t number, std::vector<const char*> codes, double amount)
    {
        CardKey key{MakePackedDate(2024, 1, 1), number};
        Card* card = base.FindCardAtOrAfter(key);
        CardKey found;
        if (card && card != base.ChainEnd())
            base.GetCardKey(card, found);
        if (!card || card == base.ChainEnd() || found.number != number)
            card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base.FindOrAddGroup(card, 0);
        CardLine* line = base.CreateLine(group);
        ASSERT_NE(line, nullptr);
        for (size_t d = 1; d <= codes.size(); ++d) {
            const char* code = codes[d - 1];
            uint32_t component = code ? base.GetDimension(int32_t(d)).FindByCode(code)->number : uint32_t(d);
            base.SetLineComponent(line, int32_t(d) - 1, component);
        }
        base.SetLineValues(line, &amount);
    }

    void Prepare(ComponentsComputation& computation, int32_t levels, LevelFilter filter = LevelFilter::InUse)
    {
        ComponentsSettings& settings = computation.Settings();
        settings.levels.levelCount = levels;
        settings.levels.dimension = {1, 2, 3, 4};
        settings.levels.filter = {filter, filter, filter, filter};
        settings.columns[size_t(ComponentsValue::Period)].shown = true;
    }

    AnalysisRunEnd Run(ComponentsComputation& computation)
    {
        SelectionTexts texts(base);
        CompiledSelection selection(base, texts);
        computation.SetPeriod(MakePackedDate(2024, 1, 1), MakePackedDate(2024, 1, 1));
        RecordingHost host;
        computation.Recalculate(host, selection);
        return host.end;
    }

    const char* CodeOf(const ComponentsComputation& computation, int32_t row)
    {
        const Component* component = base.ComponentAt(computation.Tree().Row(row).component);
        return component && component->code ? component->code : "";
    }

    // Parents before children, depths one apart, indices consecutive, sibling chains complete.
    void ExpectConsistentRows(const LevelTree& tree)
    {
        std::vector<int32_t> seen(size_t(tree.RowCount()), 0);
        for (int32_t row = 0; row < tree.RowCount(); ++row) {
            const LevelRow& r = tree.Row(row);
            if (row == 0) {
                EXPECT_EQ(r.parent, -1);
                continue;
            }
            ASSERT_GE(r.parent, 0);
            EXPECT_LT(r.parent, row);
            EXPECT_EQ(r.depth, tree.Row(r.parent).depth + 1);
            for (int32_t child = tree.Row(r.parent).firstChild; child >= 0; child = tree.Row(child).nextSibling)
                seen[size_t(child)] += child == row ? 1 : 0;
        }
        for (int32_t row = 1; row < tree.RowCount(); ++row)
            EXPECT_EQ(seen[size_t(row)], 1) << row;
    }

    Base base{FilePath(), 1};
};

// Four levels of 70-deep trees put the deepest row at depth 279 (the first level's top is the head of
// its chain, row 0): the older one-byte depth wrapped.
TEST_F(LevelTreeTest, DepthsBeyondOneByte)
{
    std::vector<std::string> deepest(5);
    for (int32_t d = 1; d <= 4; ++d) {
        std::string code;
        for (int32_t k = 0; k < 70; ++k) {
            code += char('0' + d);
            ASSERT_NE(base.AddComponent(d, code.c_str(), nullptr, nullptr), nullptr);
        }
        deepest[size_t(d)] = code;
    }
    AddLine(1, {deepest[1].c_str(), deepest[2].c_str(), deepest[3].c_str(), deepest[4].c_str()}, 3.0);
    ComponentsComputation computation(base);
    Prepare(computation, 4);
    ASSERT_EQ(Run(computation), AnalysisRunEnd::Completed);
    const LevelTree& tree = computation.Tree();
    ASSERT_EQ(tree.RowCount(), 4 * 70);
    int32_t deepestRow = tree.RowCount() - 1;
    EXPECT_EQ(tree.Row(deepestRow).depth, 279);
    EXPECT_EQ(tree.Row(deepestRow).level, 3);
    EXPECT_EQ(computation.Values(deepestRow).own.lineCount, 1);
    EXPECT_EQ(computation.Values(0).rolledUp.lineCount, 1);
    ExpectConsistentRows(tree);
}

// The older build ended the run silently when the table could not grow; now the run ends incomplete
// with 4100. A table that can grow is filled again at twice the count and gives the whole result.
TEST_F(LevelTreeTest, CombinationTableThatCannotGrow)
{
    for (int32_t i = 0; i < 40; ++i) {
        std::string a = "A" + std::to_string(100 + i);
        std::string b = "B" + std::to_string(100 + i);
        base.AddComponent(1, a.c_str(), nullptr, nullptr);
        base.AddComponent(2, b.c_str(), nullptr, nullptr);
    }
    // 1600 combinations: past the first table's fill limit (1031 - 128 = 903).
    for (int32_t i = 0; i < 40; ++i)
        for (int32_t j = 0; j < 40; ++j) {
            std::string a = "A" + std::to_string(100 + i);
            std::string b = "B" + std::to_string(100 + j);
            AddLine(1 + i, {a.c_str(), b.c_str()}, 1.0);
        }
    struct Case {
        const char* name;
        int64_t limit;
        AnalysisRunEnd end;
    } cases[] = {
        {"no table at all", 100, AnalysisRunEnd::Incomplete},
        {"the first table only", 1031, AnalysisRunEnd::Incomplete},
        {"room to grow", -1, AnalysisRunEnd::Completed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearError();
        ComponentsComputation computation(base);
        Prepare(computation, 2);
        computation.Tree().SetCombinationLimit(c.limit);
        EXPECT_EQ(Run(computation), c.end);
        if (c.end == AnalysisRunEnd::Incomplete) {
            EXPECT_EQ(GetPendingError().message.code, message::kComponentsCombinationsIncomplete);
            EXPECT_EQ(computation.RowCount(), 0);
        } else {
            EXPECT_FALSE(IsErrorPending());
            EXPECT_EQ(computation.RowCount(), 1 + 40 + 40 * 40);
            EXPECT_EQ(computation.Values(0).rolledUp.lineCount, 1600);
            // The next computation is sized from this one's count.
            EXPECT_EQ(computation.Tree().CombinationSizeHint(), 1 + 40 + 1600);
        }
    }
}

// Collapsed rows stay collapsed over a recomputation. With 4000 rows with children the lists pass
// 8000 characters: the collapsed list is kept (the shorter), and the collapsed rows it could not
// list come back expanded.
TEST_F(LevelTreeTest, ExpansionSurvivesARecomputationUpToTheListLimit)
{
    for (int32_t i = 0; i < 4000; ++i) {
        std::string parent = "P" + std::to_string(10000 + i);
        base.AddComponent(1, parent.c_str(), nullptr, nullptr);
        base.AddComponent(1, (parent + "C").c_str(), nullptr, nullptr);
    }
    ComponentsComputation computation(base);
    Prepare(computation, 1, LevelFilter::All);
    computation.SeedExpansion("\\");
    ASSERT_EQ(Run(computation), AnalysisRunEnd::Completed);
    LevelTree& tree = computation.Tree();
    ASSERT_EQ(tree.RowCount(), 8001);
    for (int32_t row = 0; row < tree.RowCount(); ++row)
        ASSERT_EQ(tree.Row(row).expanded != 0, tree.Row(row).firstChild >= 0) << row;
    // Rows 1, 3, 5... are the parents P10000... in order; collapse the parents 2000 to 3999.
    for (int32_t i = 2000; i < 4000; ++i)
        tree.SetExpanded(1 + 2 * i, false);
    std::string text = tree.WriteExpansionState();
    EXPECT_EQ(text[0], '\\');
    EXPECT_GE(text.size(), 8000u);
    EXPECT_LT(text.size(), 8010u);

    ASSERT_EQ(Run(computation), AnalysisRunEnd::Completed);
    // "\" and 7 characters a row: the list stops at 8002 characters, after 1143 collapsed parents
    // (P12000 to P13142).
    for (int32_t i = 0; i < 4000; ++i) {
        bool collapsed = i >= 2000 && i < 2000 + 1143;
        EXPECT_EQ(tree.Row(1 + 2 * i).expanded == 0, collapsed) << CodeOf(computation, 1 + 2 * i);
    }
    EXPECT_TRUE(tree.Row(0).expanded);
}

// A middle level filtered to non-zero rows keeps a row without values of its own when its rolled-up
// ones are not zero, and drops a row whose rolled-up values are zero with its subtree; the kept rows
// have consecutive indices and all their ancestors.
TEST_F(LevelTreeTest, FilteringAMiddleLevelAndPruning)
{
    base.AddComponent(1, "1010", nullptr, nullptr);
    base.AddComponent(1, "1020", nullptr, nullptr);
    base.AddComponent(2, "N", nullptr, nullptr);
    base.AddComponent(2, "S", nullptr, nullptr);
    base.AddComponent(3, "X", nullptr, nullptr);
    base.AddComponent(3, "Y", nullptr, nullptr);
    AddLine(1, {"1010", "N", "X"}, 5.0);
    AddLine(1, {"1010", "S", "X"}, 5.0);
    AddLine(2, {"1010", "S", "X"}, -5.0);
    AddLine(2, {"1020", "S", "X"}, 7.0);
    ComponentsComputation computation(base);
    Prepare(computation, 3, LevelFilter::All);
    computation.Settings().levels.filter[1] = LevelFilter::NonZero;
    ASSERT_EQ(Run(computation), AnalysisRunEnd::Completed);
    std::vector<std::string> rows;
    for (int32_t row = 0; row < computation.RowCount(); ++row)
        rows.push_back(std::string(computation.Tree().Row(row).depth, ' ') + CodeOf(computation, row));
    // The last level shows every selected project (filter "A") under each row of the levels above,
    // the roots' combinations included; S under 1010 (5 - 5) goes with its projects.
    EXPECT_EQ(rows, (std::vector<std::string>{"", " X", " Y", " 1010", "  X", "  Y", "  N", "   X", "   Y", " 1020",
                                              "  X", "  Y", "  S", "   X", "   Y"}));
    ExpectConsistentRows(computation.Tree());
    EXPECT_EQ(computation.Values(6).own.lineCount, 0);
    EXPECT_EQ(computation.Values(6).rolledUp.positive, 5.0);
    EXPECT_EQ(computation.Values(7).own.positive, 5.0);
}

// Sorting by a value with equal values keeps the build order.
TEST_F(LevelTreeTest, EqualValuesKeepTheBuildOrder)
{
    for (const char* code : {"C", "A", "B", "D"})
        base.AddComponent(1, code, nullptr, nullptr);
    AddLine(1, {"C"}, 2.0);
    AddLine(1, {"A"}, 2.0);
    AddLine(1, {"B"}, 9.0);
    AddLine(1, {"D"}, 2.0);
    ComponentsComputation computation(base);
    Prepare(computation, 1);
    computation.Settings().sortValueField = int32_t(ComponentsValue::Period);
    for (int32_t order : {0, 5}) {
        SCOPED_TRACE(order);
        computation.Settings().sortValueOrder = order;
        ASSERT_EQ(Run(computation), AnalysisRunEnd::Completed);
        std::string sorted;
        for (int32_t row = computation.Tree().Row(0).firstChild; row >= 0; row = computation.Tree().Row(row).nextSibling)
            sorted += CodeOf(computation, row);
        // The components were added C, A, B, D: that is the build order.
        EXPECT_EQ(sorted, order == 0 ? "BCAD" : "CADB");
    }
}

}  // namespace
}  // namespace vek
