// The component-functions computation: the hand-worked rows of the fixture base (tests/fixtures/
// componentfunctions, its README) for every value mode, every tree function and a running column, a
// formula cycle refused with its message, and the edge cases of the columns: no shown column, the row
// variables, a value field the base does not have, long variable names, the chart range and axis step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "analysis/componentfunctions/ComponentFunctionsAnalysis.h"
#include "analysis/componentfunctions/ComponentFunctionsComputation.h"
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "platform/FilePath.h"
#include "support/AnalysisResults.h"

namespace vek {
namespace {

using test::RecordingHost;
using test::CollectedRows;

std::string ComponentFunctionsFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/componentfunctions/componentfunctions.vkx";
}

// Every template of the fixture, row for row in display order, as its README works them out by hand.
TEST(ComponentFunctionsFixtureTest, HandWorkedRowsOfEveryTemplate)
{
    struct Case {
        const char* path;
        const char* header;
        std::vector<std::string> rows;  // after the header
    } cases[] = {
        {"Every value mode",
         "level\tcomponent\tLines\tCards\tRows with lines\tSum\tNegated sum\tProduct of units\tAverage\t"
         "Geometric mean of units\tMedian\tTurnover time\tTurnover rate\tMaximum\tMinimum",
         {"1\tAccounts\t9\t4\t4\t40\t-40\t0\t4.44444\t0\t0\t1.3\t280.769\t200\t-200",
          "1\t  1 Assets\t5\t4\t2\t-80\t80\t2\t-16\t1.1487\t30\t4.0625\t89.8462\t50\t-200",
          "1\t    19 Cash and bank\t5\t4\t2\t-80\t80\t2\t-16\t1.1487\t30\t4.0625\t89.8462\t50\t-200",
          "1\t      1910 Cash\t3\t3\t1\t70\t-70\t1\t23.3333\t1\t30\t15.7143\t23.2273\t40\t0",
          "1\t      1920 Bank\t2\t1\t1\t-150\t150\t2\t-75\t1.41421\t-75\t9.6\t38.0208\t50\t-200",
          "1\t  3 Revenue\t4\t4\t2\t120\t-120\t0\t30\t0\t-20\t7.42857\t49.1346\t200\t-40",
          "1\t    30 Sales\t4\t4\t2\t120\t-120\t0\t30\t0\t-20\t7.42857\t49.1346\t200\t-40",
          "1\t      3010 Goods\t2\t2\t1\t-70\t70\t0\t-35\t0\t-35\t15.7143\t23.2273\t-30\t-40",
          "1\t      3020 Services\t2\t2\t1\t190\t-190\t0\t95\t0\t95\t15.1429\t24.1038\t200\t-10",
          "1\t  4 Costs\t0\t0\t0\t0\t0\t1\tnan\tnan\tnan\tnan\tnan\tnan\tnan"}},
        {"Every tree function",
         "level\tcomponent\tSum\tTwice the sum\tRows with lines\tSum of squares\tProduct of line counts\t"
         "Average of sums\tGeometric mean of line counts\tLargest sum\tSmallest sum\tLeaf\tTotal",
         {"1\tAccounts\t40\t80\t4\t68400\t24\t10\t2.21336\t190\t-150\t0\t40",
          "1\t  1 Assets\t-80\t-160\t2\t27400\t6\t-40\t2.44949\t70\t-150\t0\t40",
          "1\t    19 Cash and bank\t-80\t-160\t2\t27400\t6\t-40\t2.44949\t70\t-150\t0\t40",
          "1\t      1910 Cash\t70\t140\t70\t4900\t3\t70\t3\t70\t70\t1\t40",
          "1\t      1920 Bank\t-150\t-300\t-150\t22500\t2\t-150\t2\t-150\t-150\t1\t40",
          "1\t  3 Revenue\t120\t240\t2\t41000\t4\t60\t2\t190\t-70\t0\t40",
          "1\t    30 Sales\t120\t240\t2\t41000\t4\t60\t2\t190\t-70\t0\t40",
          "1\t      3010 Goods\t-70\t-140\t-70\t4900\t2\t-70\t2\t-70\t-70\t1\t40",
          "1\t      3020 Services\t190\t380\t190\t36100\t2\t190\t2\t190\t190\t1\t40",
          "1\t  4 Costs\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t40"}},
        {"Running sum",
         "level\tcomponent\tRunning sum",
         {"1\tAccounts\t40", "1\t  1 Assets\t-80", "1\t    19 Cash and bank\t-80", "1\t      1910 Cash\t70",
          "1\t      1920 Bank\t-80", "1\t  3 Revenue\t40", "1\t    30 Sales\t40", "1\t      3010 Goods\t-150",
          "1\t      3020 Services\t40", "1\t  4 Costs\t40"}},
    };
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(ComponentFunctionsFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ClearError();
        Template* node = base->FindTemplate(c.path);
        ASSERT_NE(node, nullptr);
        std::unique_ptr<AnalysisComputation> computation = MakeAnalysisComputation(*node);
        ASSERT_NE(computation, nullptr);
        computation->SetPeriod(AnalysisPeriod{});
        RecordingHost host;
        computation->Compute(host);
        EXPECT_EQ(host.end, AnalysisRunEnd::Completed);
        EXPECT_FALSE(IsErrorPending());
        CollectedRows rows;
        computation->ReadRows(rows);
        ASSERT_EQ(rows.rows.size(), c.rows.size() + 1);
        EXPECT_EQ(rows.rows[0], c.header);
        for (size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(rows.rows[i + 1], c.rows[i]) << "row " << i;
    }
}

// A formula that depends on itself through another is refused with 5305 naming it: no rows.
TEST(ComponentFunctionsFixtureTest, ACycleIsRefusedWithItsMessage)
{
    ClearError();
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(ComponentFunctionsFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    auto* definition = dynamic_cast<ComponentFunctionsTemplate*>(base->FindTemplate("Cycle through two formulas"));
    ASSERT_NE(definition, nullptr);
    ComponentFunctionsAnalysis analysis(*definition);
    RecordingHost host;
    analysis.Compute(host);
    EXPECT_EQ(host.end, AnalysisRunEnd::Failed);
    EXPECT_EQ(GetPendingError().message.code, message::kFormulaDependsOnItself);
    EXPECT_EQ(analysis.Engine().FailedColumn(), "X");
    EXPECT_EQ(analysis.Engine().RowCount(), 0);
    ClearError();
}

// Two levels: the cost centres of each account's own lines hang under it; every row's rolled-up sum
// is its own plus its children's, and the line counts add up to the root's.
TEST(ComponentFunctionsFixtureTest, TwoLevelsAddUp)
{
    ClearError();
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(ComponentFunctionsFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    auto* definition =
        dynamic_cast<ComponentFunctionsTemplate*>(base->FindTemplate("Two levels: accounts by cost centre"));
    ASSERT_NE(definition, nullptr);
    ComponentFunctionsAnalysis analysis(*definition);
    RecordingHost host;
    analysis.Compute(host);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    const ComponentFunctionsComputation& engine = analysis.Engine();
    const LevelTree& tree = engine.Tree();
    ASSERT_GT(tree.RowCount(), 1);
    EXPECT_EQ(engine.RolledUpValue(0, 0), 40.0);
    EXPECT_EQ(engine.RolledUpValue(0, 1), 9.0);
    bool sawCostCentre = false;
    for (int32_t row = 0; row < tree.RowCount(); ++row) {
        double sum = engine.OwnValue(row, 0);
        double lines = engine.OwnValue(row, 1);
        for (int32_t child = tree.Row(row).firstChild; child >= 0; child = tree.Row(child).nextSibling) {
            sum += engine.RolledUpValue(child, 0);
            lines += engine.RolledUpValue(child, 1);
        }
        EXPECT_EQ(engine.RolledUpValue(row, 0), sum) << "row " << row;
        EXPECT_EQ(engine.RolledUpValue(row, 1), lines) << "row " << row;
        sawCostCentre = sawCostCentre || tree.Row(row).level == 1;
    }
    EXPECT_TRUE(sawCostCentre);
}

class ComponentFunctionsComputationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(1);
        Component* a = base.AddComponent(1, "A", "Alpha", nullptr);
        Component* b = base.AddComponent(1, "B", "Beta", nullptr);
        ASSERT_TRUE(a != nullptr && b != nullptr);
        base.SetupDimensionOrder();
        AddLine(MakePackedDate(2024, 1, 10), 1, a->number, 10.0);
        AddLine(MakePackedDate(2024, 1, 11), 1, b->number, 20.0);
    }
    void TearDown() override { ClearError(); }

    void AddLine(PackedDate date, int32_t number, uint32_t component, double amount)
    {
        CardKey key{date, number};
        Card* card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base.FindOrAddGroup(card, 0);
        ASSERT_NE(group, nullptr);
        CardLine* line = base.CreateLine(group);
        ASSERT_NE(line, nullptr);
        base.SetLineValue(line, 0, amount);
        base.SetLineComponent(line, 0, component);
    }

    // A template of one level over dimension 1 (its two components), every row kept.
    void Read(ComponentFunctionsTemplate& definition, std::vector<std::string> lines)
    {
        lines.push_back("PD\t2");
        lines.push_back("K\tHAA--");
        lines.push_back("ZX\t\\");
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r";
        text += "#R\tnext\r";
        TextReader reader(text.data(), int64_t(text.size()));
        definition.ReadDefinition(reader, TemplateReadContext());
    }

    Base base{FilePath(), 1};
};

TEST_F(ComponentFunctionsComputationTest, EdgeCasesOfTheColumns)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<double> rolledUp;  // of the first shown column: root, A, B; empty: no rows
    } cases[] = {
        {"no shown column builds no tree", {"VN\tS", "VZ\tV-"}, {}},
        {"a formula on the year is the same on every row", {"VN\tS", "VZ\tV-", "FN\tY", "FF\tyear+S*0"},
         {2024.0, 2024.0, 2024.0}},
        {"leaf is 1 on rows without children", {"VN\tS", "VZ\tV-", "FN\tL", "FF\tleaf+S*0"}, {0.0, 1.0, 1.0}},
        {"the ! variable is the total on every row", {"VN\tS", "VZ\tV-", "FN\tT", "FF\t!S"}, {30.0, 30.0, 30.0}},
        {"the # variable counts lines", {"VN\tS", "VZ\tV-", "FN\tT", "FF\t#S"}, {2.0, 1.0, 1.0}},
        {"a value field the base does not have reads field 0", {"VN\tS", "VF\tC"}, {30.0, 10.0, 20.0}},
        {"a maximum on a row without lines is empty and the parent takes its children's",
         {"VN\tM", "VM\tMC"}, {20.0, 10.0, 20.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearError();
        ComponentFunctionsTemplate definition(base);
        Read(definition, c.lines);
        ComponentFunctionsAnalysis analysis(definition);
        analysis.Engine().SetToday(MakePackedDate(2024, 6, 15));
        RecordingHost host;
        analysis.Compute(host);
        EXPECT_EQ(host.end, AnalysisRunEnd::Completed);
        EXPECT_FALSE(IsErrorPending());
        const ComponentFunctionsComputation& engine = analysis.Engine();
        ASSERT_EQ(engine.RowCount(), int32_t(c.rolledUp.size()));
        for (size_t row = 0; row < c.rolledUp.size(); ++row)
            EXPECT_EQ(engine.RolledUpValue(int32_t(row), 0), c.rolledUp[row]) << "row " << row;
    }
}

// A formula that names itself is refused with 5304.
TEST_F(ComponentFunctionsComputationTest, AFormulaThatNamesItselfIsRefused)
{
    ComponentFunctionsTemplate definition(base);
    Read(definition, {"VN\tS", "FN\tF", "FF\tF+S"});
    ComponentFunctionsAnalysis analysis(definition);
    RecordingHost host;
    analysis.Compute(host);
    EXPECT_EQ(host.end, AnalysisRunEnd::Failed);
    EXPECT_EQ(GetPendingError().message.code, message::kFormulaRefersToItself);
    EXPECT_EQ(analysis.Engine().FailedColumn(), "F");
    EXPECT_EQ(analysis.Engine().RowCount(), 0);
}

// Regression: variable names were cut to the 31 bytes of a slot, so two long names that begin alike
// became one name and a formula read the first column for the second. A name that does not fit is
// left out of the table: the formula that names it reads nothing (the empty value), never another
// column.
TEST_F(ComponentFunctionsComputationTest, LongNamesDoNotCollide)
{
    const std::string stem(31, 'x');
    ComponentFunctionsTemplate definition(base);
    Read(definition, {"VN\t" + stem + "1\tfirst", "VVA\t>15", "VN\t" + stem + "2\tsecond", "VZ\tV-",
                      "FN\tF", "FF\t" + stem + "2"});
    ComponentFunctionsAnalysis analysis(definition);
    RecordingHost host;
    analysis.Compute(host);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    const ComponentFunctionsComputation& engine = analysis.Engine();
    ASSERT_EQ(engine.ShownColumnCount(), 2);
    EXPECT_EQ(engine.RolledUpValue(0, 0), 20.0);  // the first column: lines above 15
    EXPECT_TRUE(std::isnan(engine.RolledUpValue(0, 1)));
    ClearError();
}

TEST(ComponentFunctionsAxisTest, AxisStep)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        double low, high;
        int32_t pixels;
        double step;
        int32_t decimals;
    } cases[] = {
        {"0 to 7 on 200 pixels: six ticks, t = 0", 0.0, 7.0, 200, 1.0, 0},
        {"0 to 100 on 320 pixels", 0.0, 100.0, 320, 10.0, 0},
        {"0 to 0.5 on 320 pixels: t = -13 truncated toward zero", 0.0, 0.5, 320, 0.1, 1},
        {"0 to 25 on 320 pixels: 2.5", 0.0, 25.0, 320, 2.5, 1},
        {"fewer pixels than a tick count as one tick", 0.0, 7.0, 10, 10.0, 0},
        // Regression: these made a step of 0, and the ticks were drawn for ever.
        {"an empty range", 3.0, 3.0, 200, 1.0, 0},
        {"a reversed range", 3.0, 1.0, 200, 1.0, 0},
        {"a range that is not a number", nan, 1.0, 200, 1.0, 0},
        {"an infinite range", 0.0, inf, 200, 1.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double step = 0.0;
        int32_t decimals = -1;
        ComponentFunctionsComputation::ComputeAxisStep(c.low, c.high, c.pixels, step, decimals);
        EXPECT_DOUBLE_EQ(step, c.step);
        EXPECT_EQ(decimals, c.decimals);
    }
}

TEST_F(ComponentFunctionsComputationTest, ChartRange)
{
    ComponentFunctionsTemplate definition(base);
    Read(definition, {"VN\tS", "VN\tN", "VM\tsC"});
    ComponentFunctionsAnalysis analysis(definition);
    RecordingHost host;
    analysis.Compute(host);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    double low = 0.0;
    double high = 0.0;
    analysis.Engine().ComputeChartRange(false, low, high);
    EXPECT_EQ(low, -30.0);
    EXPECT_EQ(high, 30.0);
    // Stacked, the positive and negative values of a row are summed apart: S and s cancel in neither.
    analysis.Engine().ComputeChartRange(true, low, high);
    EXPECT_EQ(low, -30.0);
    EXPECT_EQ(high, 30.0);
}

}  // namespace
}  // namespace vek
