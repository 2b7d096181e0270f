// The time-functions computation: hand-computed period tables over a tiny base (per-period and
// accumulated rows, a shifted row, formulas with combinations and built-ins, every kind of period),
// the checks that stop a run (5304, 5305, 2109), a period table that cannot grow (3961), and the
// invariants over random bases: the totals row is the sum of its periods, and an accumulated row ends
// at the opening row plus every period of the per-period row.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "files/basefiles/BaseFiles.h"
#include "model/base/Base.h"
#include "synthetic/SyntheticBase.h"
#include "model/templates/Template.h"
#include "model/dates/TimeScale.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"
#include "platform/FilePath.h"
#include "support/AnalysisResults.h"

namespace vek {
namespace {

struct FixtureLine {
    PackedDate date;
    int32_t card;
    int32_t group;
    double a;
};

// One value field. Before the axis: 100; in it 45 (January 30, February 12, March 3); after it 1000.
// 31 January holds two cards (the first with two lines), 29 February one card with two groups.
const FixtureLine kLines[] = {
    {MakePackedDate(2023, 12, 20), 1, 0, 100.0},
    {MakePackedDate(2024, 1, 15), 1, 0, 10.0},
    {MakePackedDate(2024, 1, 31), 1, 0, 15.0},
    {MakePackedDate(2024, 1, 31), 1, 0, 5.0},
    {MakePackedDate(2024, 1, 31), 2, 0, 0.0},
    {MakePackedDate(2024, 2, 1), 1, 0, 5.0},
    {MakePackedDate(2024, 2, 29), 1, 0, 4.0},
    {MakePackedDate(2024, 2, 29), 1, 5, 3.0},
    {MakePackedDate(2024, 3, 10), 1, 0, 3.0},
    {MakePackedDate(2024, 3, 11), 1, 0, 1000.0},
};
constexpr CardKey kAxisStart{MakePackedDate(2024, 1, 15), 0};
constexpr CardKey kAxisEnd{MakePackedDate(2024, 3, 10), kOpenEndNumber};

using test::RecordingHost;

class TimeFunctionsComputationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(1);
        for (const FixtureLine& item : kLines)
            AddLine(item);
        computation.SetAxis(kAxisStart, kAxisEnd);
        computation.SetPeriodKind(TimeFunctionPeriodKind::Months);
    }
    void TearDown() override { ClearError(); }

    void AddLine(const FixtureLine& item)
    {
        CardKey key{item.date, item.card};
        Card* card = base.FindCardAtOrAfter(key);
        CardKey found;
        if (card != base.ChainEnd())
            base.GetCardKey(card, found);
        if (card == base.ChainEnd() || !CardKeyEquals(found, key))
            card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base.FindOrAddGroup(card, item.group);
        ASSERT_NE(group, nullptr);
        CardLine* line = base.CreateLine(group);
        ASSERT_NE(line, nullptr);
        base.SetLineValues(line, &item.a);
    }

    TimeFunctionSelectionRow& SumRow(const char* name, PeriodBasis basis)
    {
        TimeFunctionSelectionRow& row = computation.AddSelectionRow(name);
        row.SetBasis(basis);
        return row;
    }

    // The cells of one column from the opening row on, the totals row left out.
    std::vector<double> Column(int32_t column) const
    {
        std::vector<double> values{computation.Cell(kOpeningRow, column)};
        for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
            values.push_back(computation.Cell(r, column));
        return values;
    }
    std::vector<PackedDate> PeriodDates() const
    {
        std::vector<PackedDate> dates;
        for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
            dates.push_back(computation.RowKey(r).date);
        return dates;
    }

    Base base{FilePath(), 1};
    TimeFunctionsComputation computation{base};
    RecordingHost host;
};

TEST_F(TimeFunctionsComputationTest, MonthlyTableOverALeapFebruary)
{
    SumRow("Period", PeriodBasis::PerPeriod).SetSumFlag(true);
    SumRow("Running", PeriodBasis::Accumulated);
    // One month back: January shows December, February January, the 10 March end reads to 10 February.
    TimeFunctionSelectionRow& shifted = SumRow("Shifted", PeriodBasis::PerPeriod);
    shifted.SetShift(PeriodShift::Parse("+1M"));
    computation.AddFormulaRow("Change", "Running").SetCombination(FormulaCombination::Difference);
    computation.AddFormulaRow("Days", "perioddays*100+month");
    computation.AddFormulaRow("Share", "Period/#Period");
    computation.Compute(host);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    EXPECT_FALSE(IsErrorPending());

    EXPECT_EQ(PeriodDates(), (std::vector<PackedDate>{MakePackedDate(2024, 1, 31), MakePackedDate(2024, 2, 29),
                                                      MakePackedDate(2024, 3, 10)}));
    EXPECT_EQ(computation.RowKey(kOpeningRow).date, MakePackedDate(2024, 1, 14));
    EXPECT_EQ(Column(0), (std::vector<double>{100, 30, 12, 3}));
    EXPECT_EQ(Column(1), (std::vector<double>{100, 130, 142, 145}));
    EXPECT_EQ(Column(2), (std::vector<double>{0, 100, 30, 5}));
    // D: the opening row is finished like a period, so the first period shows 130 - 100.
    EXPECT_EQ(Column(3), (std::vector<double>{100, 30, 12, 3}));
    // 15-31 January, the whole of February, 1-10 March; the opening row keeps perioddays 0.
    EXPECT_EQ(Column(4), (std::vector<double>{1, 1701, 2902, 1003}));
    // January: 30 over 4 lines.
    EXPECT_DOUBLE_EQ(Column(5)[1], 7.5);
    ASSERT_TRUE(computation.HasTotals());
    EXPECT_EQ(computation.Cell(kTotalsRow, 0), 45.0);
    EXPECT_TRUE(std::isnan(computation.Cell(kTotalsRow, 1)));
}

TEST_F(TimeFunctionsComputationTest, FormulaCombinations)
{
    // The per-period sums are 100 (opening), 30, 12 and 3; the kept value starts at 0, or 1 for M and Q.
    struct Case {
        FormulaCombination combination;
        std::vector<double> values;
    };
    const Case cases[] = {
        {FormulaCombination::None, {100, 30, 12, 3}},
        {FormulaCombination::RunningSum, {100, 130, 142, 145}},
        {FormulaCombination::Difference, {100, -70, -18, -9}},
        {FormulaCombination::RunningProduct, {100, 3000, 36000, 108000}},
        {FormulaCombination::Ratio, {100, 0.3, 0.4, 0.25}},
    };
    SumRow("P", PeriodBasis::PerPeriod);
    TimeFunctionFormulaRow& formula = computation.AddFormulaRow("F", "P");
    for (const Case& c : cases) {
        SCOPED_TRACE(int32_t(c.combination));
        formula.SetCombination(c.combination);
        computation.Compute(host);
        ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
        std::vector<double> got = Column(1);
        ASSERT_EQ(got.size(), c.values.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_DOUBLE_EQ(got[i], c.values[i]);
    }
}

TEST_F(TimeFunctionsComputationTest, EveryKindOfPeriod)
{
    struct Case {
        TimeFunctionPeriodKind kind;
        int32_t periods;
        PackedDate firstEnd;
    };
    const Case cases[] = {
        {TimeFunctionPeriodKind::Years, 1, MakePackedDate(2024, 3, 10)},
        {TimeFunctionPeriodKind::Quarters, 1, MakePackedDate(2024, 3, 10)},
        {TimeFunctionPeriodKind::TwoMonths, 2, MakePackedDate(2024, 2, 29)},
        {TimeFunctionPeriodKind::Months, 3, MakePackedDate(2024, 1, 31)},
        {TimeFunctionPeriodKind::HalfMonths, 5, MakePackedDate(2024, 1, 15)},
        // 14 January 2024 is a Sunday: the first week ends on the next one.
        {TimeFunctionPeriodKind::Weeks, 8, MakePackedDate(2024, 1, 21)},
        {TimeFunctionPeriodKind::Days, 56, MakePackedDate(2024, 1, 15)},
        {TimeFunctionPeriodKind::CardDates, 5, MakePackedDate(2024, 1, 15)},
        {TimeFunctionPeriodKind::Cards, 6, MakePackedDate(2024, 1, 15)},
        {TimeFunctionPeriodKind::LineGroups, 7, MakePackedDate(2024, 1, 15)},
        {TimeFunctionPeriodKind::Lines, 8, MakePackedDate(2024, 1, 15)},
        // Periods starting on the first of each month; the last one runs to the axis end.
        {TimeFunctionPeriodKind::TimeScale, 3, MakePackedDate(2024, 1, 31)},
    };
    TimeScale* scale = base.TimeScales().Create("Months");
    ASSERT_NE(scale, nullptr);
    for (int32_t month = 1; month <= 4; ++month)
        ASSERT_TRUE(scale->AddPeriod(CardKey{MakePackedDate(2024, month, 1), 1}, "m"));
    computation.SetTimeScale(scale);
    SumRow("P", PeriodBasis::PerPeriod).SetSumFlag(true);
    SumRow("A", PeriodBasis::Accumulated);
    for (const Case& c : cases) {
        SCOPED_TRACE(int32_t(c.kind));
        computation.SetPeriodKind(c.kind);
        computation.Compute(host);
        ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
        ASSERT_EQ(computation.RowCount() - kFirstPeriodRow, c.periods);
        EXPECT_EQ(computation.RowKey(kFirstPeriodRow).date, c.firstEnd);
        EXPECT_EQ(computation.Cell(kTotalsRow, 0), 45.0);
        EXPECT_EQ(computation.Cell(computation.RowCount() - 1, 1), 145.0);
    }
}

TEST_F(TimeFunctionsComputationTest, ShiftedRowsForEveryKindOfPeriod)
{
    // A shift of one day back: the row reads what the unshifted row read the day before, so over
    // the whole axis it takes in the 100 before it and the lines up to 9 March (42 of the 45).
    TimeFunctionSelectionRow& shifted = SumRow("S", PeriodBasis::PerPeriod);
    shifted.SetShift(PeriodShift::Parse("+1D"));
    shifted.SetSumFlag(true);
    SumRow("P", PeriodBasis::PerPeriod).SetSumFlag(true);
    for (TimeFunctionPeriodKind kind : {TimeFunctionPeriodKind::Months, TimeFunctionPeriodKind::Days,
                                        TimeFunctionPeriodKind::CardDates, TimeFunctionPeriodKind::Cards,
                                        TimeFunctionPeriodKind::Lines}) {
        SCOPED_TRACE(int32_t(kind));
        computation.SetPeriodKind(kind);
        computation.Compute(host);
        ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
        EXPECT_EQ(computation.Cell(kOpeningRow, 0) + computation.Cell(kTotalsRow, 0), 100.0 + 42.0);
        EXPECT_EQ(computation.Cell(kOpeningRow, 1) + computation.Cell(kTotalsRow, 1), 100.0 + 45.0);
    }
}

TEST_F(TimeFunctionsComputationTest, ChecksStopTheRunWithTheirMessage)
{
    struct Case {
        const char* formulaA;
        const char* formulaB;
        bool reversedAxis;
        int32_t message;
        const char* failedRow;
    };
    const Case cases[] = {
        {"A + 1", "2", false, message::kFormulaRefersToItself, "A"},
        {"B", "A * 2", false, message::kFormulaDependsOnItself, "A"},
        {"1", "A + 1", true, message::kEmptyDateRange, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ClearError();
        TimeFunctionsComputation run(base);
        run.SetAxis(c.reversedAxis ? kAxisEnd : kAxisStart, c.reversedAxis ? kAxisStart : kAxisEnd);
        run.AddFormulaRow("A", c.formulaA);
        run.AddFormulaRow("B", c.formulaB);
        run.Compute(host);
        EXPECT_EQ(host.end, AnalysisRunEnd::Failed);
        EXPECT_EQ(GetPendingError().message.code, c.message);
        EXPECT_EQ(run.RowCount(), 0);
        if (c.failedRow) {
            ASSERT_NE(run.FailedRow(), nullptr);
            EXPECT_EQ(run.FailedRow()->Name().View(), c.failedRow);
        }
    }
}

// Regression: a period table that could not grow used to cut the axis and show a result that
// looked whole; the run now stops with 3961, how many periods it made and the date it stopped at.
TEST_F(TimeFunctionsComputationTest, FullPeriodTableEndsIncomplete)
{
    SumRow("P", PeriodBasis::PerPeriod).SetSumFlag(true);
    computation.SetRowLimit(kFirstPeriodRow + 2);
    computation.Compute(host);
    EXPECT_EQ(host.end, AnalysisRunEnd::Incomplete);
    EXPECT_EQ(GetPendingError().message.code, message::kTimeFunctionsResultIncomplete);
    ASSERT_EQ(computation.RowCount(), kFirstPeriodRow + 2);
    EXPECT_EQ(computation.Cell(kFirstPeriodRow + 1, 0), 12.0);
    EXPECT_EQ(computation.Cell(kTotalsRow, 0), 42.0);
    Message& message = GetPendingError().message;
    ASSERT_GE(message.textCount, 2);
    EXPECT_STREQ(message.texts[0], "2");
}

TEST_F(TimeFunctionsComputationTest, CancelKeepsThePeriodsSoFar)
{
    struct CancellingHost : RecordingHost {
        void StartProgress(int32_t total) override { cards = total; }
        void StepProgress() override { ++steps; }
        bool CancelRequested() const override { return steps >= 3; }
        int32_t cards = 0;
        int32_t steps = 0;
    } cancelling;
    SumRow("P", PeriodBasis::PerPeriod);
    computation.Compute(cancelling);
    EXPECT_EQ(cancelling.end, AnalysisRunEnd::Cancelled);
    EXPECT_EQ(cancelling.cards, base.CardCount());
    // The card before the axis and two in it were read: the opening row and January so far.
    ASSERT_EQ(computation.RowCount(), kFirstPeriodRow + 1);
    EXPECT_EQ(computation.Cell(kOpeningRow, 0), 100.0);
}

TEST_F(TimeFunctionsComputationTest, YearsAfter2027)
{
    base.SetValueCount(1);
    AddLine({MakePackedDate(2031, 2, 28), 1, 0, 8.0});
    AddLine({MakePackedDate(2032, 2, 29), 1, 0, 9.0});
    SumRow("P", PeriodBasis::PerPeriod);
    computation.AddFormulaRow("Y", "year");
    computation.SetAxis(CardKey{MakePackedDate(2030, 1, 1), 0}, CardKey{MakePackedDate(2032, 12, 31), kOpenEndNumber});
    computation.SetPeriodKind(TimeFunctionPeriodKind::Years);
    computation.Compute(host);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    EXPECT_EQ(PeriodDates(), (std::vector<PackedDate>{MakePackedDate(2030, 12, 31), MakePackedDate(2031, 12, 31),
                                                      MakePackedDate(2032, 12, 31)}));
    EXPECT_EQ(Column(0), (std::vector<double>{1145, 0, 8, 9}));
    EXPECT_EQ(Column(1), (std::vector<double>{2029, 2030, 2031, 2032}));
}

TEST_F(TimeFunctionsComputationTest, RenameFollowsWholeIdentifiersAndCounts)
{
    computation.AddSelectionRow("Sales");
    computation.AddSelectionRow("SalesTax");
    TimeFunctionFormulaRow& formula = computation.AddFormulaRow("F", "Sales + SalesTax + #Sales");
    TimeFunctionRow& sales = *computation.FindRow("sales");
    EXPECT_FALSE(sales.Rename("salestax"));  // another row's name, whatever its case
    EXPECT_FALSE(sales.Rename(""));
    ASSERT_TRUE(sales.Rename("Revenue"));
    EXPECT_EQ(formula.FormulaText().View(), "Revenue + SalesTax + #Revenue");
    // A second row named from the same text is stepped.
    EXPECT_EQ(computation.AddSelectionRow("Revenue").Name().View(), "Revenue.1");
}

TEST_F(TimeFunctionsComputationTest, VariableNamesAreCutOnCharacterBoundaries)
{
    // 30 ASCII bytes then a two-byte character: the name keeps 30 bytes and its count name 31.
    std::string name(30, 'x');
    name += "\xC3\xA9";
    TimeFunctionSelectionRow& row = computation.AddSelectionRow(name);
    computation.RebuildVariables();
    TimeFunctionVariableTable& table = computation.Variables();
    EXPECT_EQ(table.Count(), kTimeFunctionBuiltinCount + 2);
    EXPECT_EQ(table.NameAt(int32_t(TimeFunctionBuiltin::Perioddays)), "perioddays");
    EXPECT_EQ(table.NameAt(row.Variable()).size(), 30u);
    EXPECT_EQ(table.NameAt(row.Variable() + 1), "#" + std::string(30, 'x'));
}

TEST_F(TimeFunctionsComputationTest, TextBlocksRoundTrip)
{
    TimeFunctionSelectionRow& row = SumRow("Sales", PeriodBasis::PerPeriod);
    row.SetMode(6);
    row.SetShift(PeriodShift::Parse("Y+"));
    row.SetLabel("Sales a year ago");
    TimeFunctionFormulaRow& formula = computation.AddFormulaRow("Growth", "Sales*2");
    formula.SetCombination(FormulaCombination::RunningSum);
    TextWriter writer;
    row.WriteText(writer);
    formula.WriteText(writer);
    std::string written(writer.BufferedBytes());

    TimeFunctionsComputation copy(base);
    TimeFunctionSelectionRow& readRow = copy.AddSelectionRow("Sales");
    TimeFunctionFormulaRow& readFormula = copy.AddFormulaRow("Growth", "");
    TextReader reader(written.data(), int64_t(written.size()));
    ASSERT_TRUE(reader.ReadLine());  // the "## Selection" head
    ASSERT_TRUE(readRow.ReadText(reader));  // stops at the "## Formula" head
    EXPECT_FALSE(readFormula.ReadText(reader));
    EXPECT_EQ(readRow.Mode(), 6);
    EXPECT_EQ(readRow.Basis(), PeriodBasis::PerPeriod);
    EXPECT_EQ(readRow.Shift(), row.Shift());
    EXPECT_EQ(readFormula.FormulaText().View(), "Sales*2");
    EXPECT_EQ(readFormula.Combination(), FormulaCombination::RunningSum);
    // A value field the base does not have and letters of no table leave the settings as they are.
    const char bad[] = "VF\tZ\rVM\t?Q\rFD\t!\r";
    TextReader badReader(bad, int64_t(sizeof bad - 1));
    EXPECT_FALSE(readRow.ReadText(badReader));
    EXPECT_EQ(readRow.ValueField(), 0);
    EXPECT_EQ(readRow.Mode(), 6);
    EXPECT_EQ(readRow.Basis(), PeriodBasis::PerPeriod);
    TextWriter again;
    readRow.SetLabel("Sales a year ago");
    readRow.WriteText(again);
    readFormula.WriteText(again);
    EXPECT_EQ(std::string(again.BufferedBytes()), written);
}

TEST_F(TimeFunctionsComputationTest, LimitToOnePeriod)
{
    TimeFunctionSelectionRow& perPeriod = SumRow("P", PeriodBasis::PerPeriod);
    TimeFunctionSelectionRow& running = SumRow("A", PeriodBasis::Accumulated);
    CardKey start{MakePackedDate(2024, 2, 1), 1};
    CardKey end{MakePackedDate(2024, 2, 29), kOpenEndNumber};
    perPeriod.LimitToPeriod(start, end, TimeFunctionPeriodKind::Months);
    running.LimitToPeriod(start, end, TimeFunctionPeriodKind::Months);
    EXPECT_TRUE(CardKeyEquals(perPeriod.RangeStart(), start));
    EXPECT_TRUE(CardKeyEquals(perPeriod.RangeEnd(), end));
    EXPECT_TRUE(CardKeyLess(running.RangeStart(), start));  // an accumulated row keeps its history
    EXPECT_TRUE(CardKeyEquals(running.RangeEnd(), end));
}

// The templates of tests/fixtures/analysis/timefunctions.vkx, each with its period table worked out
// by hand (the README beside the file says how): one line per table row, the opening row first and
// the totals row last when a row is summed, the key's date and the cells.
TEST(TimeFunctionsFixtureTest, HandComputedPeriodTables)
{
    ClearError();
    Base base(FilePath(), 1);
    std::string path = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/analysis/timefunctions.vkx";
    ASSERT_TRUE(ReadBaseFile(base, FilePath(path.c_str()), nullptr, 0));
    constexpr double n = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* templatePath;
        int32_t message;
        std::vector<std::vector<double>> rows;  // date as YYYYMMDD, then the cells; totals date 0
    };
    const Case cases[] = {
        // The opening row is shown (flag B), so the totals take it in: 100 + 45.
        {"Monthly",
         0,
         {{20240114, 100, 100, 0, 100, 1},
          {20240131, 30, 130, 100, 30, 1701},
          {20240229, 12, 142, 30, 12, 2902},
          {20240310, 3, 145, 5, 3, 1003},
          {0, 145, n, n, n, n}}},
        {"Month ends",
         0,
         {{20240129, 110, 100, 110},
          {20240131, 20, 0, 130},
          {20240229, 12, 30, 142},
          {20240331, 1003, 12, 1145},
          {20240430, 0, 1003, 1145}}},
        {"Future years", 0, {{20291231, 1145, 2029}, {20301231, 0, 2030}, {20311231, 8, 2031}, {20321231, 9, 2032}}},
        {"Refers to itself", message::kFormulaRefersToItself, {}},
        {"Depends on itself", message::kFormulaDependsOnItself, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templatePath);
        ClearError();
        Template* node = base.FindTemplate(c.templatePath);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(node->Kind(), TemplateKind::TimeFunctions);
        TimeFunctionsComputation computation(base);
        computation.LoadTemplate(static_cast<TimeFunctionsTemplate&>(*node));
        RecordingHost host;
        computation.Compute(host);
        EXPECT_EQ(GetPendingError().message.code, c.message);
        std::vector<std::vector<double>> table;
        auto add = [&](int32_t r, bool totals) {
            PackedDate date = computation.RowKey(r).date;
            std::vector<double> row{totals ? 0.0
                                           : double(PackedDateYear(date) * 10000 + PackedDateMonth(date) * 100 +
                                                    PackedDateDay(date))};
            for (int32_t col = 0; col < computation.ColumnCount(); ++col)
                row.push_back(computation.Cell(r, col));
            table.push_back(row);
        };
        if (computation.RowCount() > kTotalsRow) {
            add(kOpeningRow, false);
            for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
                add(r, false);
            if (computation.HasTotals())
                add(kTotalsRow, true);
        }
        ASSERT_EQ(table.size(), c.rows.size());
        for (size_t r = 0; r < table.size(); ++r) {
            SCOPED_TRACE(r);
            ASSERT_EQ(table[r].size(), c.rows[r].size());
            for (size_t col = 0; col < table[r].size(); ++col) {
                if (std::isnan(c.rows[r][col]))
                    EXPECT_TRUE(std::isnan(table[r][col]));
                else
                    EXPECT_EQ(table[r][col], c.rows[r][col]) << "column " << col;
            }
        }
    }
    ClearError();
}

TEST(TimeFunctionsInvariantTest, TotalsAndAccumulatedRowsOverRandomBases)
{
    ClearError();
    for (uint64_t seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        Base base(FilePath(), 1);
        SyntheticBaseOptions options;
        options.cards = 400;
        options.linesPerCard = 3;
        options.componentsPerDimension = 10;
        options.dimensionsUsed = 2;
        options.seed = seed;
        options.firstDate = MakePackedDate(2022, 11, 1);
        options.days = 900;
        ASSERT_TRUE(BuildSyntheticBase(base, options));
        for (TimeFunctionPeriodKind kind : {TimeFunctionPeriodKind::Months, TimeFunctionPeriodKind::Weeks,
                                            TimeFunctionPeriodKind::CardDates, TimeFunctionPeriodKind::Lines}) {
            SCOPED_TRACE(int32_t(kind));
            TimeFunctionsComputation computation(base);
            computation.SetAxis(CardKey{MakePackedDate(2023, 3, 15), 0},
                                CardKey{MakePackedDate(2024, 8, 20), kOpenEndNumber});
            computation.SetPeriodKind(kind);
            TimeFunctionSelectionRow& perPeriod = computation.AddSelectionRow("P");
            perPeriod.SetBasis(PeriodBasis::PerPeriod);
            perPeriod.SetSumFlag(true);
            computation.AddSelectionRow("A");
            computation.AddFormulaRow("F", "P*2").SetSumFlag(true);
            RecordingHost host;
            computation.Compute(host);
            ASSERT_EQ(host.end, AnalysisRunEnd::Completed) << GetPendingError().message.code;
            double sum = 0.0;
            for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
                sum += computation.Cell(r, 0);
            EXPECT_NEAR(computation.Cell(kTotalsRow, 0), sum, 1e-6);
            EXPECT_NEAR(computation.Cell(kTotalsRow, 2), 2 * sum, 1e-6);
            EXPECT_NEAR(computation.Cell(computation.RowCount() - 1, 1), computation.Cell(kOpeningRow, 0) + sum, 1e-6);
        }
    }
}


// A template read from its keyed lines ("\n" ends them) and run over the base; the table comes back
// as in HandComputedPeriodTables: the opening row, the periods, the totals row (date 0) when summed.
std::vector<std::vector<double>> RunTemplateKeys(Base& base, const std::string& keys)
{
    TimeFunctionsTemplate definition(base);
    std::string text = "#T\tx\r";
    for (char c : keys)
        text += c == '\n' ? '\r' : c;
    TextReader reader(text.data(), int64_t(text.size()));
    EXPECT_TRUE(reader.ReadLine());
    TemplateReadContext context;
    context.fileKind = 5;
    context.version = 20121122;
    definition.ReadDefinition(reader, context);
    TimeFunctionsComputation computation(base);
    computation.LoadTemplate(definition);
    RecordingHost host;
    computation.Compute(host);
    EXPECT_EQ(host.end, AnalysisRunEnd::Completed) << GetPendingError().message.code;
    std::vector<std::vector<double>> table;
    auto add = [&](int32_t r, bool totals) {
        PackedDate date = computation.RowKey(r).date;
        std::vector<double> row{totals ? 0.0
                                       : double(PackedDateYear(date) * 10000 + PackedDateMonth(date) * 100 +
                                                PackedDateDay(date))};
        for (int32_t col = 0; col < computation.ColumnCount(); ++col)
            row.push_back(computation.Cell(r, col));
        table.push_back(row);
    };
    if (computation.RowCount() > kTotalsRow) {
        add(kOpeningRow, false);
        for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
            add(r, false);
        if (computation.HasTotals())
            add(kTotalsRow, true);
    }
    return table;
}

// A chain of formula rows C0 = C1+1, C1 = C2+1, ... C9999 = P, written in that order, so that the first
// row shown needs all the others prepared before it; two shown rows read it at both ends and in the
// middle, past the 4096th variable.
std::string LongFormulaChain()
{
    constexpr int32_t kChain = 10000;
    std::string keys = "VN\tP\nVM\tSP\nVZ\tV-\nFN\tDeep\nFF\tC0\nFN\tWhole\nFF\tC4093-C409\n";
    for (int32_t i = 0; i < kChain; ++i) {
        keys.append("FN\tC").append(std::to_string(i)).append("\nFF\t");
        if (i + 1 < kChain)
            keys.append("C").append(std::to_string(i + 1)).append("+1");
        else
            keys.append("P");
        keys.append("\nFZ\tV-\n");
    }
    return keys + "K\t231201\t240131\nPL\tM\n";
}

// Faults found by checking the analysis against a computation by hand (issue 29, items 19-21), each
// over a base of two cards: 100 on 30 December 2023 and 10 on 2 January 2024. The row P sums each
// period and is summed in the totals; T is the turnover time (mode T) of everything so far, which
// integrates the balance up to the end of each period.
TEST(TimeFunctionsFaultTest, TemplatesOverATinyBase)
{
    ClearError();
    Base base(FilePath(), 1);
    base.SetValueCount(1);
    for (auto [date, amount] : {std::pair{MakePackedDate(2023, 12, 30), 100.0}, {MakePackedDate(2024, 1, 2), 10.0}}) {
        CardKey key{date, 1};
        Card* card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardLine* line = base.CreateLine(base.FindOrAddGroup(card, 0));
        ASSERT_NE(line, nullptr);
        base.SetLineValues(line, &amount);
    }
    constexpr double n = std::numeric_limits<double>::quiet_NaN();
    const std::string sum = "VN\tP\nVM\tSP\nVZ\tS+\n";
    const std::string turnover = "VN\tT\nVM\tTA\n";
    struct Case {
        const char* fault;
        std::string keys;
        std::vector<std::vector<double>> rows;  // date as YYYYMMDD, then the cells; totals date 0
    };
    const Case cases[] = {
        // Item 19: the opening row is shown (flag B, on by default), so the totals count it: 110, not 10.
        {"the totals row takes in a shown opening row", sum + "K\t240101\t240131\nPL\tM\n",
         {{20231231, 100}, {20240131, 10}, {0, 110}}},
        {"without flag B the opening row stays out of the totals", sum + "K\t240101\t240131\nPL\tM\nZB\n",
         {{20231231, 100}, {20240131, 10}, {0, 10}}},
        // Item 20: without a "K" line the axis runs from the day before the first card (29 December) to
        // the day after the last (3 January). The turnover time integrates the balance up to each
        // period's end, but no further than the row's selection, which ends with the last card: 100
        // for 1, 2 and 3 days, then 300 + 110 over a turnover of 110, twice.
        {"the default axis reaches a day beyond the cards", sum + turnover + "PL\tD\n",
         {{20231228, 0, n},
          {20231229, 0, n},
          {20231230, 100, 2},
          {20231231, 0, 4},
          {20240101, 0, 6},
          {20240102, 10, 820.0 / 110},
          {20240103, 0, 820.0 / 110},
          {0, 110, n}}},
        {"an axis of the plain base dates stays so", sum + turnover + "K\tFile\tFile\nPL\tD\n",
         {{20231229, 0, n}, {20231230, 100, 2}, {20231231, 0, 4}, {20240101, 0, 6}, {20240102, 10, 820.0 / 110},
          {0, 110, n}}},
        // Item 21: every row is found by its whole name however many there are ("C4093" is not "C409"
        // followed by a 3), so the chain depends on nothing circular: Deep = P + 9999 and
        // Whole = (P + 5906) - (P + 9590).
        {"a 10,000-row chain", LongFormulaChain(), {{20231130, 9999, -3684}, {20231231, 10099, -3684}, {20240131, 10009, -3684}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ClearError();
        std::vector<std::vector<double>> table = RunTemplateKeys(base, c.keys);
        ASSERT_EQ(table.size(), c.rows.size());
        for (size_t r = 0; r < table.size(); ++r) {
            SCOPED_TRACE(r);
            ASSERT_EQ(table[r].size(), c.rows[r].size());
            for (size_t col = 0; col < table[r].size(); ++col) {
                if (std::isnan(c.rows[r][col]))
                    EXPECT_TRUE(std::isnan(table[r][col])) << "column " << col;
                else
                    EXPECT_DOUBLE_EQ(table[r][col], c.rows[r][col]) << "column " << col;
            }
        }
    }
    ClearError();
}

}  // namespace
}  // namespace vek
