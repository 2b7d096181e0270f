// Period shifts: the shift text both ways, the names shown, and shifted range ends on short months,
// leap days and years after 2027.
#include "model/dates/PeriodShift.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

std::string Text(const PeriodShift& shift)
{
    String out;
    shift.AppendText(out);
    return std::string(out.View());
}

TEST(PeriodShiftTest, ParsesAndWritesShiftTexts)
{
    struct Case {
        const char* text;
        PeriodShiftKind kind;
        PeriodShiftUnit unit;
        int32_t count;
        const char* written;
    };
    using K = PeriodShiftKind;
    using U = PeriodShiftUnit;
    const Case cases[] = {
        {"Y+", K::YearBack, U::Years, 0, "Y+"},
        {"Y-", K::YearForward, U::Years, 0, "Y-"},
        {"Q+", K::QuarterBack, U::Years, 0, "Q+"},
        {"Q-", K::QuarterForward, U::Years, 0, "Q-"},
        {"M+", K::MonthBack, U::Years, 0, "M+"},
        {"M-", K::MonthForward, U::Years, 0, "M-"},
        {"+2M", K::Count, U::Months, 2, "+2M"},
        {"-1W", K::Count, U::Weeks, -1, "-1W"},
        {" +10D ", K::Count, U::Days, 10, "+10D"},
        {"+3Y", K::Count, U::Years, 3, "+3Y"},
        // No shift: a zero count, an unknown unit, no sign, no digits, trailing bytes, a count that
        // would leave the calendar from any date.
        {"+0M", K::None, U::Years, 0, ""},
        {"+3X", K::None, U::Years, 0, ""},
        {"2M", K::None, U::Years, 0, ""},
        {"+M", K::None, U::Years, 0, ""},
        {"+2MM", K::None, U::Years, 0, ""},
        {"Y+x", K::None, U::Years, 0, ""},
        {"W+", K::None, U::Years, 0, ""},
        {"+99999999999D", K::None, U::Years, 0, ""},
        {"", K::None, U::Years, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PeriodShift shift = PeriodShift::Parse(c.text);
        EXPECT_EQ(shift.kind, c.kind);
        if (c.kind == K::Count) {
            EXPECT_EQ(shift.unit, c.unit);
            EXPECT_EQ(shift.count, c.count);
        }
        EXPECT_EQ(Text(shift), c.written);
        EXPECT_EQ(PeriodShift::Parse(Text(shift)), shift);
    }
}

TEST(PeriodShiftTest, DisplayNamesComeFromTheTexts)
{
    const std::pair<const char*, const char*> cases[] = {
        {"+2M", "+2 months"}, {"-1W", "-1 weeks"}, {"Q+", "One quarter back"}, {"M-", "One month forward"}, {"", ""}};
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        String name;
        PeriodShift::Parse(text).AppendDisplayName(name);
        EXPECT_EQ(name.View(), expected);
    }
}

TEST(PeriodShiftTest, ShiftsKeysAsRangeStartsAndEnds)
{
    struct Case {
        const char* name;
        PackedDate date;
        const char* shift;
        TimeFunctionPeriodKind periodKind;
        ShiftedKeyEdge edge;
        PackedDate expected;
    };
    using P = TimeFunctionPeriodKind;
    constexpr ShiftedKeyEdge kEnd = ShiftedKeyEdge::RangeEnd;
    constexpr ShiftedKeyEdge kStart = ShiftedKeyEdge::RangeStart;
    const Case cases[] = {
        {"31 Jan a month on, leap year", MakePackedDate(2024, 1, 31), "M-", P::Months, kEnd, MakePackedDate(2024, 2, 29)},
        {"31 Jan a month on", MakePackedDate(2023, 1, 31), "-1M", P::CardDates, kEnd, MakePackedDate(2023, 2, 28)},
        {"31 Mar a month back", MakePackedDate(2024, 3, 31), "+1M", P::CardDates, kEnd, MakePackedDate(2024, 2, 29)},
        {"leap day a year back", MakePackedDate(2024, 2, 29), "Y+", P::Days, kStart, MakePackedDate(2023, 2, 28)},
        // A month's last day stays the last day with month-based periods only.
        {"28 Feb a year on, monthly", MakePackedDate(2023, 2, 28), "Y-", P::Months, kEnd, MakePackedDate(2024, 2, 29)},
        {"28 Feb a year on, daily", MakePackedDate(2023, 2, 28), "Y-", P::Days, kEnd, MakePackedDate(2024, 2, 28)},
        {"30 Apr a month on, half-months", MakePackedDate(2024, 4, 30), "M-", P::HalfMonths, kEnd, MakePackedDate(2024, 5, 31)},
        {"30 Apr a month on, weekly", MakePackedDate(2024, 4, 30), "M-", P::Weeks, kEnd, MakePackedDate(2024, 5, 30)},
        {"31 May a quarter back", MakePackedDate(2024, 5, 31), "Q+", P::Quarters, kEnd, MakePackedDate(2024, 2, 29)},
        {"15 Jan three years back", MakePackedDate(2024, 1, 15), "+3Y", P::Years, kStart, MakePackedDate(2021, 1, 15)},
        // Regression: the last-day rule applied after a move by days pulled a monthly period's end
        // back to its own month's last day, so the shifted range never moved.
        {"30 Apr a week back, monthly", MakePackedDate(2024, 4, 30), "+1W", P::Months, kEnd, MakePackedDate(2024, 4, 23)},
        {"30 Apr a day back, monthly", MakePackedDate(2024, 4, 30), "+1D", P::Months, kEnd, MakePackedDate(2024, 4, 29)},
        {"1 Mar a day back", MakePackedDate(2024, 3, 1), "+1D", P::Days, kStart, MakePackedDate(2024, 2, 29)},
        {"a week forward over the year end", MakePackedDate(2027, 12, 28), "-1W", P::Weeks, kEnd, MakePackedDate(2028, 1, 4)},
        // Years after 2027.
        {"31 Dec 2027 a month on", MakePackedDate(2027, 12, 31), "M-", P::Months, kEnd, MakePackedDate(2028, 1, 31)},
        {"leap day 2028 a year on", MakePackedDate(2028, 2, 29), "Y-", P::Months, kEnd, MakePackedDate(2029, 2, 28)},
        {"2100 is no leap year", MakePackedDate(2104, 2, 29), "+4Y", P::Days, kEnd, MakePackedDate(2100, 2, 28)},
        {"2104 by days", MakePackedDate(2104, 3, 1), "+1D", P::Days, kEnd, MakePackedDate(2104, 2, 29)},
        // The calendar's ends hold.
        {"before 1900", MakePackedDate(1900, 6, 15), "+1Y", P::Days, kStart, kFirstPackedDate},
        {"after 9999", MakePackedDate(9999, 6, 15), "-1Y", P::Days, kEnd, kLastPackedDate},
        {"days before 1900", MakePackedDate(1900, 1, 3), "+10D", P::Days, kStart, kFirstPackedDate},
        {"no shift", MakePackedDate(2024, 4, 30), "", P::Months, kStart, MakePackedDate(2024, 4, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardKey key{c.date, 5};
        CardKey shifted = PeriodShift::Parse(c.shift).Apply(key, c.periodKind, c.edge);
        EXPECT_EQ(shifted.date, c.expected);
        EXPECT_EQ(shifted.number, c.edge == kEnd ? kOpenEndNumber : 1);
    }
    // Counts set by code rather than read can be of any size; the calendar's ends still hold.
    CardKey middle{MakePackedDate(2024, 6, 15), 1};
    for (PeriodShiftUnit unit : {PeriodShiftUnit::Years, PeriodShiftUnit::Months, PeriodShiftUnit::Days}) {
        SCOPED_TRACE(int32_t(unit));
        EXPECT_EQ((PeriodShift{PeriodShiftKind::Count, unit, INT32_MAX}).Apply(middle, P::Days, kStart).date, kFirstPackedDate);
        EXPECT_EQ((PeriodShift{PeriodShiftKind::Count, unit, INT32_MIN}).Apply(middle, P::Days, kEnd).date, kLastPackedDate);
    }
    CardKey empty;
    EXPECT_EQ(PeriodShift::Parse("Y+").Apply(empty, P::Months, kEnd).date, 0u);
}

}  // namespace
}  // namespace vek
