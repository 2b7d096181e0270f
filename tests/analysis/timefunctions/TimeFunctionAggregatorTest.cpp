// The aggregators of time-functions selection rows: each mode's result, the resets between periods,
// the time-weighted turnover, and a median that cannot grow.
#include "analysis/timefunctions/TimeFunctionAggregator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

using Mode = AggregatorMode;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr PackedDate D(int32_t year, int32_t month, int32_t day)
{
    return MakePackedDate(year, month, day);
}

struct Line {
    double amount;
    uint32_t card;
    PackedDate date;
};

// Lines on the cards 1, 2, 3 ... of one day, unless a test gives its own.
std::vector<Line> Amounts(std::initializer_list<double> amounts)
{
    std::vector<Line> lines;
    uint32_t card = 1;
    for (double x : amounts)
        lines.push_back({x, card++, D(2024, 1, 10)});
    return lines;
}

void Feed(TimeFunctionAggregator& aggregator, const std::vector<Line>& lines)
{
    for (const Line& line : lines)
        ASSERT_TRUE(aggregator.Add(line.amount, line.card, line.date));
}

void ExpectSameValue(double actual, double expected)
{
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << actual;
    else
        EXPECT_DOUBLE_EQ(actual, expected);
}

TEST(TimeFunctionAggregatorTest, EachModeGivesItsResult)
{
    struct Case {
        const char* name;
        int32_t mode;
        int32_t decimals;
        std::vector<Line> lines;
        double expected;
    };
    const std::vector<Line> mixed = Amounts({3, -1, 7, 2});
    const Case cases[] = {
        {"count of lines", 0, 2, mixed, 4},
        {"distinct cards", 1, 2, {{1, 5, D(2024, 1, 1)}, {2, 5, D(2024, 1, 1)}, {3, 7, D(2024, 1, 2)}, {4, 9, D(2024, 1, 3)}}, 3},
        {"mode c reads as a sum", 2, 2, mixed, 11},
        {"sum", 3, 2, mixed, 11},
        {"negated sum, rounded half away", 4, 1, Amounts({1.25, 0.5}), -1.8},
        {"product", 5, 2, Amounts({2, -3, 0.5}), -3},
        {"product of no line", 5, 2, {}, 1},
        {"average", 6, 2, Amounts({1, 2}), 1.5},
        {"average of no line is empty", 6, 2, {}, kNaN},
        {"geometric mean", 7, 2, Amounts({2, 8}), 4},
        {"geometric mean with a zero", 7, 2, Amounts({3, 0, 5}), 0},
        {"geometric mean of two negatives", 7, 2, Amounts({-2, -8}), 4},
        {"geometric mean of one negative", 7, 2, Amounts({-2, 8}), -4},
        {"geometric mean of no line", 7, 2, {}, kNaN},
        {"median of an even count", 8, 2, Amounts({4, 1, 3, 2}), 2.5},
        {"median of an odd count", 8, 2, Amounts({9, 1, 3}), 3},
        {"median of no line", 8, 2, {}, kNaN},
        {"maximum", 11, 2, mixed, 7},
        {"minimum", 12, 2, mixed, -1},
        {"minimum of no line", 12, 2, {}, kNaN},
        {"first", 13, 2, mixed, 3},
        {"last", 14, 2, mixed, 2},
        {"a mode beyond the table reads as a sum", 15, 2, mixed, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimeFunctionAggregator aggregator;
        aggregator.Configure(c.mode, PeriodBasis::PerPeriod, c.decimals);
        Feed(aggregator, c.lines);
        ExpectSameValue(aggregator.Result(D(2024, 1, 31)), c.expected);
        EXPECT_EQ(aggregator.Count(), int32_t(c.lines.size()));
    }
}

// Sums of amounts compare exactly: 0.1 + 0.2 is 0.3 in a field of two decimals, a typed half rounds
// away from zero, and a field shown as it stands keeps every digit.
TEST(TimeFunctionAggregatorTest, SumsAreRoundedToTheFieldsDecimals)
{
    struct Case {
        int32_t mode;
        int32_t decimals;
        std::vector<double> amounts;
        double expected;
    };
    const Case cases[] = {
        {3, 2, {0.1, 0.2}, 0.3},
        {3, 2, {1.005}, 1.01},
        {3, 2, {-2.675}, -2.68},
        {4, 2, {0.1, 0.2}, -0.3},
        {3, 0, {0.5, 1.0}, 2.0},
        {3, 7, {0.1, 0.2}, 0.1 + 0.2},
        {4, 2, {0.001}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", decimals " << c.decimals);
        TimeFunctionAggregator aggregator;
        aggregator.Configure(c.mode, PeriodBasis::Accumulated, c.decimals);
        for (double x : c.amounts)
            ASSERT_TRUE(aggregator.Add(x, 1, D(2024, 1, 1)));
        double result = aggregator.Result(D(2024, 1, 31));
        EXPECT_EQ(result, c.expected);
        EXPECT_FALSE(std::signbit(result) && result == 0.0) << "no negative zero";
    }
}

// Turnover time: twice the balance-days over the turnover. 100 held for 10 days, then paid out:
// 1000 balance-days, turnover 200, 10 days; the rate is 365 / 10 turns a year.
TEST(TimeFunctionAggregatorTest, TurnoverWeightsTheBalanceByDays)
{
    const std::vector<Line> lines = {{100, 1, D(2024, 1, 1)}, {-100, 2, D(2024, 1, 11)}};
    struct Case {
        int32_t mode;
        std::vector<Line> lines;
        double expected;
    };
    const Case cases[] = {
        {9, lines, 10.0},
        {10, lines, 36.5},
        {9, {}, kNaN},  // no turnover: no value
        {10, {}, kNaN},
        {10, {{5, 1, D(2024, 1, 1)}, {-5, 2, D(2024, 1, 1)}}, kNaN},  // turned over the same day
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " lines " << c.lines.size());
        TimeFunctionAggregator aggregator;
        aggregator.Configure(c.mode, PeriodBasis::PerPeriod, 2);
        Feed(aggregator, c.lines);
        ExpectSameValue(aggregator.Result(D(2024, 1, 31)), c.expected);
    }
}

// A per-period turnover row carries its balance into the next period and weights it from the
// period's first day; only its balance-days and turnover start again.
TEST(TimeFunctionAggregatorTest, PerPeriodTurnoverKeepsTheBalanceAcrossPeriods)
{
    TimeFunctionAggregator perPeriod;
    perPeriod.Configure(9, PeriodBasis::PerPeriod, 2);
    ASSERT_TRUE(perPeriod.Add(100, 1, D(2024, 1, 1)));
    // 100 from 1 to 31 January: 3100 balance-days, turnover 100.
    EXPECT_DOUBLE_EQ(perPeriod.Result(D(2024, 1, 31)), 62.0);
    perPeriod.OpenPeriod();
    EXPECT_EQ(perPeriod.Count(), 0);
    EXPECT_EQ(perPeriod.Balance(), 100.0);
    ASSERT_TRUE(perPeriod.Add(-50, 2, D(2024, 2, 10)));
    // 100 for 9 days of February, then 50 for the 20 days up to and including the 29th.
    EXPECT_DOUBLE_EQ(perPeriod.Result(D(2024, 2, 29)), 2.0 * (900.0 + 1000.0) / 50.0);

    // An accumulated row runs on over both periods.
    TimeFunctionAggregator accumulated;
    accumulated.Configure(9, PeriodBasis::Accumulated, 2);
    ASSERT_TRUE(accumulated.Add(100, 1, D(2024, 1, 1)));
    (void)accumulated.Result(D(2024, 1, 31));
    accumulated.OpenPeriod();
    ASSERT_TRUE(accumulated.Add(-50, 2, D(2024, 2, 10)));
    EXPECT_DOUBLE_EQ(accumulated.Result(D(2024, 2, 29)), 2.0 * (3100.0 + 900.0 + 1000.0) / 150.0);
    EXPECT_EQ(accumulated.Count(), 2);

    // Preparation starts the balance again too.
    perPeriod.Prepare();
    EXPECT_EQ(perPeriod.Balance(), 0.0);
    ASSERT_TRUE(perPeriod.Add(10, 3, D(2024, 3, 1)));
    EXPECT_DOUBLE_EQ(perPeriod.Result(D(2024, 3, 2)), 4.0);
}

TEST(TimeFunctionAggregatorTest, PerPeriodRowsStartAgainAccumulatedRowsRunOn)
{
    struct Case {
        int32_t mode;
        PeriodBasis basis;
        double second;  // the result after the second period
    };
    // Period 1: cards 1 and 2 with 4 and 1; period 2: card 2 again (it spans the boundary) and card
    // 3 with 3 and 5.
    const Case cases[] = {
        {0, PeriodBasis::PerPeriod, 2},   {0, PeriodBasis::Accumulated, 4},
        {1, PeriodBasis::PerPeriod, 2},   {1, PeriodBasis::Accumulated, 3},
        {3, PeriodBasis::PerPeriod, 8},   {3, PeriodBasis::Accumulated, 13},
        {5, PeriodBasis::PerPeriod, 15},  {5, PeriodBasis::Accumulated, 60},
        {6, PeriodBasis::PerPeriod, 4},   {6, PeriodBasis::Accumulated, 3.25},
        {7, PeriodBasis::PerPeriod, std::sqrt(15.0)}, {7, PeriodBasis::Accumulated, std::pow(60.0, 0.25)},
        {8, PeriodBasis::PerPeriod, 4},   {8, PeriodBasis::Accumulated, 3.5},
        {11, PeriodBasis::PerPeriod, 5},  {11, PeriodBasis::Accumulated, 5},
        {12, PeriodBasis::PerPeriod, 3},  {12, PeriodBasis::Accumulated, 1},
        {13, PeriodBasis::PerPeriod, 3},  {13, PeriodBasis::Accumulated, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " basis " << int32_t(c.basis));
        TimeFunctionAggregator aggregator;
        aggregator.Configure(c.mode, c.basis, 2);
        Feed(aggregator, {{4, 1, D(2024, 1, 5)}, {1, 2, D(2024, 1, 31)}});
        (void)aggregator.Result(D(2024, 1, 31));
        aggregator.OpenPeriod();
        Feed(aggregator, {{3, 2, D(2024, 2, 1)}, {5, 3, D(2024, 2, 3)}});
        ExpectSameValue(aggregator.Result(D(2024, 2, 29)), c.second);
    }
}

// Regression: a median list that could not grow dropped the amount and the median looked whole.
TEST(TimeFunctionAggregatorTest, AMedianThatCannotGrowStopsWithMessage3950)
{
    ClearError();
    TimeFunctionAggregator aggregator;
    aggregator.Configure(8, PeriodBasis::PerPeriod, 2);
    for (int32_t i = 0; i < MedianList::kInitialCapacity; ++i)
        ASSERT_TRUE(aggregator.Add(double(i), 1, D(2024, 1, 1)));
    MemFailAllocationsAfter(0);
    bool added = aggregator.Add(99.0, 1, D(2024, 1, 1));
    MemFailAllocationsAfter(-1);
    EXPECT_FALSE(added);
    EXPECT_EQ(aggregator.Count(), MedianList::kInitialCapacity) << "the line that was not kept is not counted";
    EXPECT_TRUE(IsErrorPending());
    EXPECT_EQ(GetPendingError().message.code, message::kAnalysisIncomplete);
    ClearError();
}

}  // namespace
}  // namespace vek
