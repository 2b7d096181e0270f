// The lines computation: hand-computed statistics over a tiny base, interest by both methods, the three
// card ranges that split the base without overlap, the balance that always starts before the period,
// a row array that cannot grow part-way through a card, the median by every way it is taken, and the
// hand-worked figures of the fixture base.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "analysis/CompiledSelection.h"
#include "analysis/lines/LinesComputation.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "analysis/lines/LinesTemplate.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"
#include "support/AnalysisResults.h"

namespace vek {
namespace {

struct FixtureLine {
    PackedDate date;
    int32_t card;  // lines with the same date and card number share a card
    double a;
    double b;
};

// A base of two value fields. Field A: a period of 10, 20, -5, 15 (even count; median 12.5), with 100
// before and 7 after; field B is 3 on every line (zero variance).
constexpr PackedDate kFrom = MakePackedDate(2024, 1, 1);
constexpr PackedDate kTo = MakePackedDate(2024, 12, 31);
const FixtureLine kLines[] = {
    {MakePackedDate(2023, 12, 31), 1, 100.0, 3.0},
    {MakePackedDate(2024, 1, 1), 1, 10.0, 3.0},
    {MakePackedDate(2024, 1, 1), 1, 20.0, 3.0},
    {MakePackedDate(2024, 2, 29), 1, -5.0, 3.0},
    {MakePackedDate(2024, 12, 31), 1, 15.0, 3.0},
    {MakePackedDate(2025, 1, 1), 1, 7.0, 3.0},
};

class LinesComputationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(2);
        for (const FixtureLine& item : kLines)
            AddLine(item.date, item.card, item.a, item.b);
    }
    void TearDown() override { ClearError(); }

    void AddLine(PackedDate date, int32_t number, double a, double b)
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
        double values[2] = {a, b};
        base.SetLineValues(line, values);
    }

    void AllFlags(LinesComputation& computation)
    {
        computation.Settings().statistics.Fill(1);
        computation.SetPeriod(kFrom, kTo);
    }

    Base base{FilePath(), 1};
    AdmitAllSelection all;
};

using test::RecordingHost;

TEST_F(LinesComputationTest, HandComputedStatistics)
{
    LinesComputation computation(base);
    AllFlags(computation);
    RecordingHost host;
    computation.Recalculate(host, all);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    // 15 statistics, no rate in force, the blank row.
    EXPECT_EQ(computation.StatisticsRowCount(), 16);
    EXPECT_EQ(computation.RowAt(0).line, 5103u);
    EXPECT_EQ(computation.RowAt(15).line, 0u);
    EXPECT_EQ(computation.LineRowCount(), 4);
    EXPECT_EQ(computation.CardCount(), 3);

    const LinesFieldStatistics& a = computation.Statistics()[0];
    EXPECT_EQ(a.before, 100.0);
    EXPECT_EQ(a.positive, 45.0);
    EXPECT_EQ(a.negative, -5.0);
    EXPECT_EQ(a.period, 40.0);
    EXPECT_EQ(a.after, 7.0);
    EXPECT_EQ(a.endBalance, 140.0);
    EXPECT_EQ(a.total, 147.0);
    EXPECT_EQ(a.average, 10.0);
    EXPECT_EQ(a.median, 12.5);
    EXPECT_EQ(a.maximum, 20.0);
    EXPECT_EQ(a.minimum, -5.0);
    EXPECT_EQ(a.highestBalance, 140.0);
    EXPECT_EQ(a.lowestBalance, 100.0);
    // Deviations 0, 10, -15, 5: (0 + 100 + 225 + 25) / 4, divided by the count and not count - 1.
    EXPECT_DOUBLE_EQ(a.variance, 87.5);
    EXPECT_DOUBLE_EQ(a.standardDeviation, std::sqrt(87.5));
    // Balance-days over 366 days of a leap year: 130 from Jan 1 for 59 days (to Feb 29), 125 for 305
    // days (to Dec 31), 140 for the last day.
    double balanceDays = 130.0 * 59 + 125.0 * 306 + 140.0 * 1;
    EXPECT_DOUBLE_EQ(a.positiveBalanceDays, balanceDays);
    EXPECT_DOUBLE_EQ(a.averageBalance, balanceDays / 366.0);
    EXPECT_DOUBLE_EQ(a.turnoverTime, balanceDays / ((45.0 + 5.0) * 0.5));
    EXPECT_DOUBLE_EQ(a.turnoverRate, 365.0 / a.turnoverTime);

    const LinesFieldStatistics& b = computation.Statistics()[1];
    EXPECT_EQ(b.variance, 0.0);
    EXPECT_EQ(b.standardDeviation, 0.0);
    EXPECT_EQ(b.median, 3.0);

    // The line rows carry the running balance of the main field from the balance before.
    const double balances[] = {110.0, 130.0, 125.0, 140.0};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(computation.RowAt(computation.StatisticsRowCount() + i).balance, balances[i]);
    EXPECT_EQ(computation.FirstRowOnOrAfter(MakePackedDate(2024, 2, 1)), 2);
    EXPECT_EQ(computation.FirstRowOnOrAfter(MakePackedDate(2030, 1, 1)), 4);
    computation.ComputePlotPositions();
    EXPECT_FLOAT_EQ(computation.RowAt(16).plotPosition, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(computation.RowAt(17).plotPosition, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(computation.RowAt(19).plotPosition, 0.5f);
}

TEST_F(LinesComputationTest, EmptyPeriodGivesEmptyValues)
{
    LinesComputation computation(base);
    AllFlags(computation);
    computation.SetPeriod(MakePackedDate(2024, 3, 1), MakePackedDate(2024, 3, 31));
    RecordingHost host;
    computation.Recalculate(host, all);
    const LinesFieldStatistics& a = computation.Statistics()[0];
    EXPECT_EQ(computation.LineRowCount(), 0);
    EXPECT_TRUE(std::isnan(a.average));
    EXPECT_TRUE(std::isnan(a.median));
    EXPECT_TRUE(std::isnan(a.variance));
    EXPECT_TRUE(std::isnan(a.standardDeviation));
    EXPECT_TRUE(std::isnan(a.turnoverTime));
    EXPECT_EQ(a.endBalance, 125.0);
    EXPECT_DOUBLE_EQ(a.averageBalance, 125.0);
}

// Regression: a period whose lines turn nothing over gave an infinite turnover rate (365 / 0) and a
// turnover time of 0 / 0 taken as a figure. With no turnover both are the empty value; with turnover
// but no balance held (in and out on one day) the time is 0 days and the rate is empty, not infinity.
TEST(LinesComputationTurnoverTest, ZeroTurnoverGivesTheEmptyValue)
{
    struct Case {
        const char* name;
        std::vector<double> amounts;  // all on 1 March 2024, one card
        bool timeEmpty;
        double time;  // when not empty
    };
    const Case cases[] = {
        {"lines of zero amounts", {0.0, 0.0}, true, 0.0},
        {"in and out on the same day", {100.0, -100.0}, false, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearError();
        Base base(FilePath(), 1);
        base.SetValueCount(1);
        CardKey key{MakePackedDate(2024, 3, 1), 1};
        Card* card = base.CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base.FindOrAddGroup(card, 0);
        ASSERT_NE(group, nullptr);
        for (double amount : c.amounts) {
            CardLine* line = base.CreateLine(group);
            ASSERT_NE(line, nullptr);
            base.SetLineValue(line, 0, amount);
        }
        LinesComputation computation(base);
        computation.Settings().statistics[LinesStatistic::TurnoverTime] = 1;
        computation.Settings().statistics[LinesStatistic::TurnoverRate] = 1;
        computation.SetPeriod(MakePackedDate(2024, 3, 1), MakePackedDate(2024, 3, 31));
        AdmitAllSelection all;
        RecordingHost host;
        computation.Recalculate(host, all);
        ASSERT_EQ(computation.LineRowCount(), int32_t(c.amounts.size()));
        const LinesFieldStatistics& field = computation.Statistics()[0];
        if (c.timeEmpty)
            EXPECT_TRUE(std::isnan(field.turnoverTime)) << field.turnoverTime;
        else
            EXPECT_EQ(field.turnoverTime, c.time);
        EXPECT_TRUE(std::isnan(field.turnoverRate)) << field.turnoverRate;
        EXPECT_FALSE(std::isinf(field.turnoverRate));
    }
}

// Regression: the before range ran to the from key and the after range from the to key, both
// included, so cards on the from date counted in before and in the period, and cards on the to date
// in the period and after. Now the three ranges split the base: before + period is the end balance,
// and with after it is the base's total, for every field, over random bases and periods.
TEST(LinesComputationRangesTest, BeforePeriodAndAfterSplitTheBase)
{
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        ClearError();
        Base base(FilePath(), 1);
        SyntheticBaseOptions options;
        options.cards = 300;
        options.linesPerCard = 3;
        options.valuesPerLine = 3;
        options.days = 40;
        options.seed = seed;
        ASSERT_TRUE(BuildSyntheticBase(base, options));
        std::vector<double> totals(3, 0.0);
        std::vector<double> values(3);
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card))
            for (CardGroup* g = base.FirstGroup(card); g; g = base.NextGroup(g))
                for (CardLine* l = base.FirstLine(g); l; l = base.NextLine(l)) {
                    base.GetLineValues(l, values.data());
                    for (size_t k = 0; k < 3; ++k)
                        totals[k] += values[k];
                }
        SyntheticRandom random(seed);
        PackedDate from = options.firstDate;
        for (int32_t i = random.Below(30); i > 0; --i)
            from = NextPackedDate(from);
        PackedDate to = from;
        for (int32_t i = random.Below(10); i > 0; --i)
            to = NextPackedDate(to);
        LinesComputation computation(base);
        computation.SetPeriod(from, to);  // no flag set: before and after are summed all the same
        AdmitAllSelection all;
        AnalysisHost host;
        computation.Recalculate(host, all);
        for (size_t k = 0; k < 3; ++k) {
            const LinesFieldStatistics& s = computation.Statistics()[k];
            EXPECT_NEAR(s.before + s.period + s.after, totals[k], 1e-6);
            EXPECT_EQ(s.endBalance, s.before + s.period);
        }
        // The last line row's balance is the end balance of the main field.
        if (computation.LineRowCount() > 0) {
            EXPECT_NEAR(computation.RowAt(computation.RowCount() - 1).balance, computation.Statistics()[0].endBalance,
                        1e-6);
        }
    }
}

// Regression: the balance started from the before sum only when the before row was shown; without it
// every running balance, the balance-days and the interest started from zero.
TEST_F(LinesComputationTest, BalanceStartsBeforeThePeriodWithoutTheBeforeRow)
{
    for (uint8_t beforeFlag : {0, 1}) {
        SCOPED_TRACE(int(beforeFlag));
        LinesComputation computation(base);
        computation.SetPeriod(kFrom, kTo);
        computation.Settings().statistics[LinesStatistic::Before] = beforeFlag;
        computation.Settings().positiveRate = 10.0;
        RecordingHost host;
        computation.Recalculate(host, all);
        EXPECT_EQ(computation.RowAt(computation.StatisticsRowCount()).balance, 110.0);
        EXPECT_DOUBLE_EQ(computation.Statistics()[0].positiveBalanceDays, 130.0 * 59 + 125.0 * 306 + 140.0);
    }
}

// Interest of a balance of 100 over a 365-day year at 10 %: held all year, and held for the first
// 100 days only.
TEST(LinesComputationInterestTest, SimpleAndCompound)
{
    struct Case {
        bool wholeYear;
        InterestMethod method;
        double expected;
    };
    const Case cases[] = {
        {true, InterestMethod::Simple, 10.0},
        {true, InterestMethod::Compound, 10.0},
        {false, InterestMethod::Simple, 100.0 * 100.0 * 10.0 / 36500.0},
        {false, InterestMethod::Compound, 100.0 * (1.1 - std::pow(1.1, 265.0 / 365.0))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wholeYear << " " << int32_t(c.method));
        ClearError();
        Base base(FilePath(), 1);
        base.SetValueCount(1);
        auto add = [&base](PackedDate date, double v) {
            CardKey key{date, 1};
            Card* card = base.CreateCard(key);
            ASSERT_NE(card, nullptr);
            CardLine* line = base.CreateLine(base.FindOrAddGroup(card, 0));
            ASSERT_NE(line, nullptr);
            base.SetLineValue(line, 0, v);
        };
        add(MakePackedDate(2022, 12, 31), 100.0);
        if (!c.wholeYear)
            add(MakePackedDate(2023, 4, 11), -100.0);  // day 101 of 2023
        LinesComputation computation(base);
        computation.SetPeriod(MakePackedDate(2023, 1, 1), MakePackedDate(2023, 12, 31));
        computation.Settings().positiveRate = 10.0;
        computation.Settings().negativeRate = 12.0;
        computation.Settings().interestMethod = c.method;
        AdmitAllSelection all;
        AnalysisHost host;
        computation.Recalculate(host, all);
        EXPECT_NEAR(computation.Statistics()[0].positiveInterest, c.expected, 1e-9);
        EXPECT_EQ(computation.Statistics()[0].negativeInterest, 0.0);
        // Both interest rows, then the blank row.
        ASSERT_EQ(computation.StatisticsRowCount(), 3);
        EXPECT_EQ(computation.RowAt(0).line, uint32_t(kPositiveInterestId));
        EXPECT_EQ(computation.RowAt(1).line, uint32_t(kNegativeInterestId));
    }
}

// Variance of large amounts with a small spread: a sum of squares loses every digit of it.
TEST(LinesComputationVarianceTest, LargeAmountsKeepTheirVariance)
{
    ClearError();
    Base base(FilePath(), 1);
    base.SetValueCount(1);
    CardKey key{MakePackedDate(2024, 5, 5), 1};
    Card* card = base.CreateCard(key);
    ASSERT_NE(card, nullptr);
    CardGroup* group = base.FindOrAddGroup(card, 0);
    for (double v : {1e9 + 4.0, 1e9 + 7.0, 1e9 + 13.0, 1e9 + 16.0}) {
        CardLine* line = base.CreateLine(group);
        ASSERT_NE(line, nullptr);
        base.SetLineValue(line, 0, v);
    }
    LinesComputation computation(base);
    computation.Settings().statistics[LinesStatistic::Variance] = 1;
    computation.SetPeriod(MakePackedDate(2024, 1, 1), MakePackedDate(2024, 12, 31));
    AdmitAllSelection all;
    AnalysisHost host;
    computation.Recalculate(host, all);
    EXPECT_NEAR(computation.Statistics()[0].variance, 22.5, 1e-9);  // deviations -6, -3, 3, 6
}

// Regression: when the row array could not grow, the to date moved to the card being added after
// part of its lines were summed, so the statistics held lines that had no rows. Now a card goes in
// whole or not at all, the run ends incomplete with message 3960, and the statistics match the rows.
TEST_F(LinesComputationTest, RowArrayThatCannotGrowStopsBeforeTheCard)
{
    for (int32_t limit : {16, 17, 18, 19}) {
        SCOPED_TRACE(limit);
        ClearError();
        LinesComputation computation(base);
        AllFlags(computation);
        computation.SetRowLimit(limit);
        RecordingHost host;
        computation.Recalculate(host, all);
        ASSERT_EQ(host.end, AnalysisRunEnd::Incomplete);
        EXPECT_EQ(GetPendingError().message.code, message::kLinesResultIncomplete);
        const LinesFieldStatistics& a = computation.Statistics()[0];
        // Rows 16.. are lines; the card of Jan 1 has two lines and goes in whole or not at all.
        int32_t rows = computation.LineRowCount();
        EXPECT_EQ(rows, limit < 18 ? 0 : (limit < 19 ? 2 : 3));
        double sum = 0.0;
        const double values[] = {10.0, 20.0, -5.0};
        for (int32_t i = 0; i < rows; ++i)
            sum += values[i];
        EXPECT_EQ(a.period, sum);
        EXPECT_EQ(a.endBalance, 100.0 + sum);
        EXPECT_EQ(computation.ToDate(), rows == 0 ? kFrom : (rows == 2 ? kFrom : MakePackedDate(2024, 2, 29)));
    }
}

// The median is taken from a counted set per field (each distinct value once with its count), sized
// from the last run. Every run must give the median of a sorted copy: a first run, the same run again,
// other periods of the same computation, a base where every value is one, and many distinct values.
// A NaN has no place in the order: its field has no median (the empty value), where the list of every
// value made a figure of wherever the NaN happened to fall.
TEST(LinesComputationMedianTest, EveryWayGivesTheMedianOfASortedCopy)
{
    struct Case {
        const char* name;
        double offset;       // field 0: offset, a random amount of +-spread and growth a day; field 1
        double spread;       // its negative
        double growth;
        bool nanAtTheStart;  // field 1's first line holds NaN
    };
    const Case cases[] = {
        {"random amounts around zero", 0.0, 100.0, 0.0, false},
        {"amounts that grow with the date", 0.0, 1.0, 1000.0, false},
        {"one value everywhere", 7.0, 0.0, 0.0, false},
        {"a NaN in the second field", 0.0, 100.0, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearError();
        Base base(FilePath(), 1);
        SyntheticBaseOptions options;
        options.cards = 500;
        options.linesPerCard = 3;
        options.valuesPerLine = 2;
        options.days = 60;
        options.seed = 9;
        ASSERT_TRUE(BuildSyntheticBase(base, options));
        SyntheticRandom random(3);
        bool first = true;
        const int32_t firstDay = PackedDateToDayNumber(options.firstDate);
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card))
            for (CardGroup* g = base.FirstGroup(card); g; g = base.NextGroup(g))
                for (CardLine* l = base.FirstLine(g); l; l = base.NextLine(l)) {
                    int32_t day = PackedDateToDayNumber(base.CardDate(card)) - firstDay;
                    double a = c.offset + double(int32_t(random.Below(20001)) - 10000) / 10000.0 * c.spread +
                               c.growth * double(day + 1);
                    base.SetLineValue(l, 0, a);
                    base.SetLineValue(l, 1, c.nanAtTheStart && first ? std::numeric_limits<double>::quiet_NaN() : -a);
                    first = false;
                }
        LinesComputation computation(base);
        computation.Settings().statistics[LinesStatistic::Median] = 1;
        AdmitAllSelection all;
        AnalysisHost host;
        // Odd and even counts, the middle moving between periods, and one period twice.
        const int32_t periods[][2] = {{0, 59}, {0, 59}, {10, 12}, {0, 30}, {31, 59}, {5, 5}};
        for (const auto& period : periods) {
            SCOPED_TRACE(testing::Message() << period[0] << ".." << period[1]);
            PackedDate from = options.firstDate;
            for (int32_t i = 0; i < period[0]; ++i)
                from = NextPackedDate(from);
            PackedDate to = from;
            for (int32_t i = period[0]; i < period[1]; ++i)
                to = NextPackedDate(to);
            computation.SetPeriod(from, to);
            computation.Recalculate(host, all);
            ASSERT_GT(computation.LineRowCount(), 0);
            for (int32_t k = 0; k < 2; ++k) {
                std::vector<double> sorted;
                for (int32_t i = computation.StatisticsRowCount(); i < computation.RowCount(); ++i) {
                    double v = base.GetLineValue(base.LineAt(computation.RowAt(i).line), k);
                    sorted.push_back(v);
                }
                double median = computation.Statistics()[size_t(k)].median;
                if (std::any_of(sorted.begin(), sorted.end(), [](double v) { return std::isnan(v); })) {
                    EXPECT_TRUE(std::isnan(median)) << "field " << k << ": " << median;
                    continue;
                }
                std::sort(sorted.begin(), sorted.end());
                size_t n = sorted.size();
                EXPECT_EQ(median, n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0)
                    << "field " << k;
            }
        }
    }
}

// A median that cannot be taken for want of memory leaves the empty value and ends the run incomplete
// with message 3950, never a figure over part of the values. Field B's many distinct values need a
// block for their counted set; field A's few fit in the set itself, and its median is still taken.
TEST_F(LinesComputationTest, AMedianThatCannotBeTakenEndsTheRunIncomplete)
{
    for (int32_t i = 0; i < 8; ++i)
        AddLine(MakePackedDate(2024, 6, 1), 1, 1.0, 100.0 + i);
    LinesComputation computation(base);
    AllFlags(computation);
    computation.Settings().statistics[LinesStatistic::Median] = 0;
    RecordingHost host;
    computation.Recalculate(host, all);  // grows the rows, so that the second run allocates only the list
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    computation.Settings().statistics[LinesStatistic::Median] = 1;
    MemFailAllocationsAfter(0);
    computation.Recalculate(host, all);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(host.end, AnalysisRunEnd::Incomplete);
    EXPECT_EQ(GetPendingError().message.code, message::kAnalysisIncomplete);
    EXPECT_EQ(computation.Statistics()[0].median, 1.0);  // of 10, 20, -5, 15 and eight times 1
    EXPECT_TRUE(std::isnan(computation.Statistics()[1].median));
}

// The fixture base of tests/fixtures/analysis (its README works out every figure by hand), computed
// as `vek-tool analyze lines.vkx "Lines: Cash" --from 240110 --to 240119` computes it: every
// statistic of both fields, the rows with their running balances, and the base saved back byte for
// byte. The cards on the from and the to date count in the period only; the selection keeps the
// lines of account 1910 in all three ranges.
TEST(LinesComputationFixtureTest, HandWorkedFiguresOfTheFixtureBase)
{
    ClearError();
    const std::string path = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/analysis/lines.vkx";
    Base base(FilePath(), 1);
    ASSERT_TRUE(ReadBaseFile(base, FilePath(path.c_str()), nullptr, 0));
    Template* node = base.FindTemplate("Lines: Cash");
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->Kind(), TemplateKind::Lines);
    auto& lines = static_cast<LinesTemplate&>(*node);
    LinesComputation computation(base);
    computation.Settings() = lines.Settings();
    computation.SetPeriod(MakePackedDate(2024, 1, 10), MakePackedDate(2024, 1, 19));
    CompiledSelection selection(base, lines.Selection());
    RecordingHost host;
    computation.Recalculate(host, selection);
    ASSERT_EQ(host.end, AnalysisRunEnd::Completed);
    EXPECT_FALSE(IsErrorPending());

    // One row per statistic in flag order, both interest rows, then the blank row.
    ASSERT_EQ(computation.StatisticsRowCount(), 18);
    for (int32_t i = 0; i < 17; ++i)
        EXPECT_EQ(computation.RowAt(i).line, uint32_t(kFirstLinesStatisticId + i));
    EXPECT_EQ(computation.RowAt(17).line, 0u);
    EXPECT_EQ(computation.LineRowCount(), 4);
    EXPECT_EQ(computation.CardCount(), 4);

    struct Figure {
        const char* name;
        double LinesFieldStatistics::*quantity;
        double amount;
        double units;
    };
    const Figure figures[] = {
        {"before", &LinesFieldStatistics::before, 100.0, 5.0},
        {"positive", &LinesFieldStatistics::positive, 80.0, 8.0},
        {"negative", &LinesFieldStatistics::negative, -200.0, 0.0},
        {"period", &LinesFieldStatistics::period, -120.0, 8.0},
        {"after", &LinesFieldStatistics::after, 500.0, 1.0},
        {"average", &LinesFieldStatistics::average, -30.0, 2.0},
        {"median", &LinesFieldStatistics::median, 20.0, 2.0},
        {"max", &LinesFieldStatistics::maximum, 40.0, 2.0},
        {"min", &LinesFieldStatistics::minimum, -200.0, 2.0},
        {"turnovertime", &LinesFieldStatistics::turnoverTime, 40.0 / 140.0, 98.0 / 4.0},
        {"turnoverrate", &LinesFieldStatistics::turnoverRate, 365.0 * 140.0 / 40.0, 365.0 * 4.0 / 98.0},
        {"variance", &LinesFieldStatistics::variance, 9750.0, 0.0},
        {"stddeviation", &LinesFieldStatistics::standardDeviation, std::sqrt(9750.0), 0.0},
        {"posinterest", &LinesFieldStatistics::positiveInterest, 0.28, 0.098},
        {"neginterest", &LinesFieldStatistics::negativeInterest, -0.16, 0.0},
        {"end balance", &LinesFieldStatistics::endBalance, -20.0, 13.0},
        {"total", &LinesFieldStatistics::total, 480.0, 14.0},
        {"highest balance", &LinesFieldStatistics::highestBalance, 140.0, 13.0},
        {"lowest balance", &LinesFieldStatistics::lowestBalance, -60.0, 5.0},
        {"positive balance-days", &LinesFieldStatistics::positiveBalanceDays, 280.0, 98.0},
        {"negative balance-days", &LinesFieldStatistics::negativeBalanceDays, -320.0, 0.0},
        {"average balance", &LinesFieldStatistics::averageBalance, -4.0, 9.8},
    };
    ASSERT_EQ(computation.Statistics().size(), 2u);
    for (const Figure& f : figures) {
        SCOPED_TRACE(f.name);
        EXPECT_NEAR(computation.Statistics()[0].*f.quantity, f.amount, 1e-9);
        EXPECT_NEAR(computation.Statistics()[1].*f.quantity, f.units, 1e-9);
    }

    struct LineRow {
        const char* card;
        double amount;
        double balance;
    };
    const LineRow rows[] = {
        {"240110-0001", 40.0, 140.0},
        {"240112-0001", -200.0, -60.0},
        {"240115-0001", 30.0, -30.0},
        {"240119-0001", 10.0, -20.0},
    };
    for (int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].card);
        LinesResultRow row = computation.RowAt(18 + i);
        CardKey key;
        base.GetCardKey(base.CardAt(row.card), key);
        String keyText;
        FormatCardKey(keyText, key, base.CardNumberDigits());
        EXPECT_STREQ(keyText.CStr(), rows[i].card);
        EXPECT_EQ(base.GetLineValue(base.LineAt(row.line), 0), rows[i].amount);
        EXPECT_EQ(row.balance, rows[i].balance);
    }

    std::string folder = (std::filesystem::temp_directory_path() / "vek-lines-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    std::string saved = folder + "/lines.vkx";
    ASSERT_TRUE(SaveBaseFile(base, FilePath(saved.c_str()), nullptr));
    auto bytes = [](const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes(saved), bytes(path));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace vek
