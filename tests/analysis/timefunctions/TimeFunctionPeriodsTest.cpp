// Period ends of a time-functions axis for every kind with ends, and the date variables of a period.
#include "analysis/timefunctions/TimeFunctionPeriods.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/dates/TimeScale.h"

namespace vek {
namespace {

using Kind = TimeFunctionPeriodKind;

constexpr PackedDate D(int32_t year, int32_t month, int32_t day)
{
    return MakePackedDate(year, month, day);
}

CardKey StartKey(PackedDate date)
{
    return CardKey{date, 1};
}

CardKey EndKey(PackedDate date)
{
    return CardKey{date, kOpenEndNumber};
}

// Every period end from the opening key up to the axis end.
std::vector<CardKey> WalkEnds(const TimeFunctionPeriods& periods)
{
    std::vector<CardKey> ends;
    CardKey current = periods.OpeningKey();
    while (CardKeyLess(current, periods.AxisEnd()) && ends.size() < 100) {
        CardKey next = periods.NextEnd(current);
        if (!CardKeyGreater(next, current))
            break;  // a walk that stands still would never end
        ends.push_back(next);
        current = next;
    }
    return ends;
}

std::vector<PackedDate> DatesOf(const std::vector<CardKey>& keys)
{
    std::vector<PackedDate> dates;
    for (const CardKey& key : keys)
        dates.push_back(key.date);
    return dates;
}

TEST(TimeFunctionPeriodsTest, CalendarKindsEndWhereTheCalendarSays)
{
    struct Case {
        const char* name;
        Kind kind;
        PackedDate from;
        PackedDate to;
        std::vector<PackedDate> ends;
    };
    const Case cases[] = {
        {"months over a leap February", Kind::Months, D(2024, 1, 15), D(2024, 3, 10),
         {D(2024, 1, 31), D(2024, 2, 29), D(2024, 3, 10)}},
        {"months from a month's last day", Kind::Months, D(2023, 1, 31), D(2023, 3, 31),
         {D(2023, 1, 31), D(2023, 2, 28), D(2023, 3, 31)}},
        {"weeks from a Wednesday end on Sundays", Kind::Weeks, D(2025, 1, 1), D(2025, 1, 20),
         {D(2025, 1, 5), D(2025, 1, 12), D(2025, 1, 19), D(2025, 1, 20)}},
        {"two weeks from a Monday", Kind::TwoWeeks, D(2025, 1, 6), D(2025, 2, 2), {D(2025, 1, 19), D(2025, 2, 2)}},
        {"three weeks from a Sunday", Kind::ThreeWeeks, D(2025, 1, 5), D(2025, 2, 9),
         {D(2025, 1, 19), D(2025, 2, 9)}},
        {"four weeks: the first period is longer", Kind::FourWeeks, D(2025, 1, 1), D(2025, 3, 1),
         {D(2025, 1, 26), D(2025, 2, 23), D(2025, 3, 1)}},
        {"half-months of January", Kind::HalfMonths, D(2025, 1, 1), D(2025, 1, 31), {D(2025, 1, 15), D(2025, 1, 31)}},
        {"half-months over a leap February", Kind::HalfMonths, D(2024, 2, 10), D(2024, 3, 20),
         {D(2024, 2, 15), D(2024, 2, 29), D(2024, 3, 15), D(2024, 3, 20)}},
        {"half-months from the 15th", Kind::HalfMonths, D(2024, 4, 16), D(2024, 5, 15),
         {D(2024, 4, 30), D(2024, 5, 15)}},
        {"years after 2027", Kind::Years, D(2027, 6, 1), D(2030, 2, 1),
         {D(2027, 12, 31), D(2028, 12, 31), D(2029, 12, 31), D(2030, 2, 1)}},
        {"years from 31 December", Kind::Years, D(2024, 12, 31), D(2025, 12, 31), {D(2024, 12, 31), D(2025, 12, 31)}},
        {"half-years", Kind::HalfYears, D(2024, 3, 1), D(2025, 3, 31),
         {D(2024, 6, 30), D(2024, 12, 31), D(2025, 3, 31)}},
        {"tertials", Kind::Tertials, D(2024, 1, 1), D(2024, 12, 31), {D(2024, 4, 30), D(2024, 8, 31), D(2024, 12, 31)}},
        {"quarters from a leap day after 2027", Kind::Quarters, D(2028, 2, 29), D(2028, 12, 31),
         {D(2028, 3, 31), D(2028, 6, 30), D(2028, 9, 30), D(2028, 12, 31)}},
        {"two months", Kind::TwoMonths, D(2023, 1, 31), D(2023, 6, 30), {D(2023, 2, 28), D(2023, 4, 30), D(2023, 6, 30)}},
        {"days over a leap day", Kind::Days, D(2024, 2, 28), D(2024, 3, 1), {D(2024, 2, 28), D(2024, 2, 29), D(2024, 3, 1)}},
        {"the calendar's first day", Kind::Years, D(1900, 1, 1), D(1901, 6, 1), {D(1900, 12, 31), D(1901, 6, 1)}},
        {"weeks from the calendar's first day", Kind::Weeks, D(1900, 1, 1), D(1900, 1, 10), {D(1900, 1, 7), D(1900, 1, 10)}},
        {"the calendar's last year", Kind::Months, D(9999, 11, 15), D(9999, 12, 31), {D(9999, 11, 30), D(9999, 12, 31)}},
        {"one day", Kind::Quarters, D(2024, 5, 5), D(2024, 5, 5), {D(2024, 5, 5)}},
        {"cards open their own periods", Kind::Cards, D(2024, 1, 1), D(2024, 5, 5), {D(2024, 5, 5)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimeFunctionPeriods periods(c.kind, StartKey(c.from), EndKey(c.to), nullptr);
        std::vector<CardKey> ends = WalkEnds(periods);
        EXPECT_EQ(DatesOf(ends), c.ends);
        for (const CardKey& end : ends)
            EXPECT_EQ(end.number, kOpenEndNumber);
    }
}

TEST(TimeFunctionPeriodsTest, OpeningKeyAndCutToAnAxisEndWithinADay)
{
    TimeFunctionPeriods periods(Kind::Months, StartKey(D(2024, 1, 15)), CardKey{D(2024, 3, 10), 40}, nullptr);
    EXPECT_TRUE(CardKeyEquals(periods.OpeningKey(), EndKey(D(2024, 1, 14))));
    std::vector<CardKey> ends = WalkEnds(periods);
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_TRUE(CardKeyEquals(ends.back(), CardKey{D(2024, 3, 10), 40}));
    // At or after the axis end the axis end comes back.
    EXPECT_TRUE(CardKeyEquals(periods.NextEnd(EndKey(D(2024, 6, 30))), CardKey{D(2024, 3, 10), 40}));
}

TEST(TimeFunctionPeriodsTest, TimeScalePeriodsEndBeforeTheNextStart)
{
    TimeScaleList list(nullptr);
    TimeScale* seasons = list.Create("Seasons");
    ASSERT_NE(seasons, nullptr);
    ASSERT_TRUE(seasons->AddPeriod(StartKey(D(2024, 3, 1)), "Spring"));
    ASSERT_TRUE(seasons->AddPeriod(StartKey(D(2024, 6, 1)), "Summer"));
    ASSERT_TRUE(seasons->AddPeriod(StartKey(D(2024, 9, 1)), "Autumn"));
    ASSERT_TRUE(seasons->AddPeriod(CardKey{D(2024, 10, 10), 5}, "Late"));

    TimeFunctionPeriods periods(Kind::TimeScale, StartKey(D(2024, 1, 1)), EndKey(D(2024, 12, 31)), seasons);
    const CardKey expected[] = {
        EndKey(D(2024, 2, 29)),          // before the first period
        EndKey(D(2024, 5, 31)),
        EndKey(D(2024, 8, 31)),
        CardKey{D(2024, 10, 10), 4},     // a period that starts within a day
        EndKey(D(2024, 12, 31)),         // the last period is open: the axis end
    };
    std::vector<CardKey> ends = WalkEnds(periods);
    ASSERT_EQ(ends.size(), std::size(expected));
    for (size_t i = 0; i < ends.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(CardKeyEquals(ends[i], expected[i])) << ends[i].date << "-" << ends[i].number;
    }

    // An axis that starts inside a period ends that period first.
    TimeFunctionPeriods inside(Kind::TimeScale, StartKey(D(2024, 7, 4)), EndKey(D(2024, 9, 30)), seasons);
    EXPECT_EQ(DatesOf(WalkEnds(inside)), (std::vector<PackedDate>{D(2024, 8, 31), D(2024, 9, 30)}));

    TimeFunctionPeriods without(Kind::TimeScale, StartKey(D(2024, 1, 1)), EndKey(D(2024, 12, 31)), nullptr);
    EXPECT_EQ(DatesOf(WalkEnds(without)), std::vector<PackedDate>{D(2024, 12, 31)});
}

TEST(TimeFunctionPeriodsTest, DateValuesOfAPeriodComeFromItsFirstDay)
{
    struct Case {
        const char* name;
        Kind kind;
        CardKey previousEnd;
        CardKey rowKey;
        TimeFunctionDateValues expected;
    };
    // The axis starts on Monday 15 January 2024.
    const Case cases[] = {
        {"first month starts at the axis start", Kind::Months, EndKey(D(2024, 1, 14)), EndKey(D(2024, 1, 31)),
         {2024, 1, 15, 1, 15, 15, 17}},
        {"a leap February", Kind::Months, EndKey(D(2024, 1, 31)), EndKey(D(2024, 2, 29)), {2024, 2, 1, 4, 32, 32, 29}},
        {"a third quarter", Kind::Quarters, EndKey(D(2024, 6, 30)), EndKey(D(2024, 9, 30)), {2024, 7, 1, 1, 1, 183, 92}},
        {"a week from a Sunday", Kind::Weeks, EndKey(D(2024, 3, 2)), EndKey(D(2024, 3, 10)), {2024, 3, 3, 7, 63, 63, 8}},
        {"a day is its own date", Kind::Days, EndKey(D(2024, 12, 30)), EndKey(D(2024, 12, 31)), {2024, 12, 31, 2, 92, 366, 1}},
        {"a time-scale period that starts within a day", Kind::TimeScale, CardKey{D(2024, 10, 10), 4},
         EndKey(D(2024, 10, 31)), {2024, 10, 10, 4, 10, 284, 22}},
        {"a card is its own date", Kind::Cards, CardKey{D(2028, 3, 1), 3}, CardKey{D(2028, 3, 1), 4},
         {2028, 3, 1, 3, 61, 61, 1}},
        {"the opening row is the day before the axis", Kind::Months, CardKey{}, EndKey(D(2024, 1, 14)),
         {2024, 1, 14, 7, 14, 14, 0}},
    };
    TimeFunctionPeriods base(Kind::Months, StartKey(D(2024, 1, 15)), EndKey(D(2028, 12, 31)), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimeFunctionPeriods periods(c.kind, base.AxisStart(), base.AxisEnd(), nullptr);
        TimeFunctionDateValues v = periods.DateValues(c.previousEnd, c.rowKey);
        EXPECT_EQ(v.year, c.expected.year);
        EXPECT_EQ(v.month, c.expected.month);
        EXPECT_EQ(v.day, c.expected.day);
        EXPECT_EQ(v.weekday, c.expected.weekday);
        EXPECT_EQ(v.quarterday, c.expected.quarterday);
        EXPECT_EQ(v.yearday, c.expected.yearday);
        EXPECT_EQ(v.perioddays, c.expected.perioddays);
    }
    TimeFunctionDateValues initial = base.InitialDateValues();
    EXPECT_EQ(initial.day, 14.0);
    EXPECT_EQ(initial.perioddays, 0.0);
}

TEST(TimeFunctionPeriodsTest, ElapsedYearsCountFromTheDayBeforeTheAxis)
{
    TimeFunctionPeriods periods(Kind::Months, StartKey(D(2024, 1, 1)), EndKey(D(2032, 12, 31)), nullptr);
    EXPECT_EQ(periods.ElapsedYears(D(2023, 12, 31)), 0.0);
    EXPECT_DOUBLE_EQ(periods.ElapsedYears(D(2024, 1, 1)), 1.0 / 365.25);
    // Four years hold one leap day: exactly four elapsed years.
    EXPECT_DOUBLE_EQ(periods.ElapsedYears(D(2027, 12, 31)), 4.0);
    EXPECT_EQ(periods.ElapsedOrigin(), PackedDateToDayNumber(D(2023, 12, 31)));
}

TEST(TimeFunctionPeriodsTest, StoredKindNumbersOutsideTheTableReadAsCardDates)
{
    EXPECT_EQ(TimeFunctionPeriodKindOf(5), Kind::Months);
    EXPECT_EQ(TimeFunctionPeriodKindOf(16), Kind::TimeScale);
    EXPECT_EQ(TimeFunctionPeriodKindOf(17), Kind::CardDates);
    EXPECT_EQ(TimeFunctionPeriodKindOf(-1), Kind::CardDates);
    EXPECT_TRUE(HasPeriodEnds(Kind::Days));
    EXPECT_TRUE(HasPeriodEnds(Kind::TimeScale));
    EXPECT_FALSE(HasPeriodEnds(Kind::CardDates));
    EXPECT_FALSE(HasPeriodEnds(Kind::Lines));
}

}  // namespace
}  // namespace vek
