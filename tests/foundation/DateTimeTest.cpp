// Tests of DateTime: day numbers, the Gregorian rules, week numbers, parsing and writing.
#include "foundation/numbers/DateTime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/strings/String.h"

namespace vek {
namespace {

DateTime MakeDate(int32_t year, int32_t month, int32_t day, DateTimeKind kind = DateTimeKind::Day)
{
    DateTime dt;
    dt.year = int16_t(year);
    dt.month = int16_t(month);
    dt.day = int16_t(day);
    dt.kind = kind;
    return dt;
}

DateTime MakeMoment(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second,
                    DateTimeKind kind = DateTimeKind::Second)
{
    DateTime dt = MakeDate(year, month, day, kind);
    dt.hour = int16_t(hour);
    dt.minute = int16_t(minute);
    dt.second = int16_t(second);
    return dt;
}

std::string Text(const DateTime& dt)
{
    char buffer[kDateTimeTextCapacity];
    dt.FormatCStr(buffer);
    return buffer;
}

std::string DigitsText(const DateTime& dt)
{
    char buffer[kDateTimeTextCapacity];
    dt.FormatDigitsCStr(buffer);
    return buffer;
}

// Parses from a buffer of exactly the text's length, so that the sanitizer sees any read past it.
DateTime Parse(const std::string& text, int32_t pivot = kDefaultPivotYear)
{
    std::vector<char> bytes(text.begin(), text.end());
    DateTime dt;
    dt.pivot = pivot;
    dt.ParseBytes(bytes.data(), int32_t(bytes.size()));
    return dt;
}

TEST(DateTimeTest, LeapYearsAndMonthLengthsFollowTheGregorianRule)
{
    struct Case {
        int32_t year;
        bool leap;
    } cases[] = {{1600, true}, {1700, false}, {1900, false}, {2000, true}, {2004, true},
                 {2027, false}, {2028, true}, {2100, false}, {2400, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        EXPECT_EQ(IsLeapYear(c.year), c.leap);
        EXPECT_EQ(DaysInMonth(c.year, 2), c.leap ? 29 : 28);
    }
    EXPECT_EQ(DaysInMonth(2006, 4), 30);
    EXPECT_EQ(DaysInMonth(2006, 12), 31);
    EXPECT_EQ(DaysInMonth(2006, 0), 0);
    EXPECT_EQ(DaysInMonth(2006, 13), 0);
}

TEST(DateTimeTest, DayNumbersAndWeekdaysOfKnownDates)
{
    struct Case {
        int32_t year, month, day;
        int32_t dayNumber;
        int32_t weekday;
    } cases[] = {
        {1583, 1, 1, 1, 5},        {1900, 1, 1, 115783, 0},   {2000, 1, 1, 152307, 5},
        {2028, 2, 29, 162593, 1},  {2100, 3, 1, 188891, 0},   {9999, 12, 31, 3074246, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        DateTime dt = MakeDate(c.year, c.month, c.day);
        EXPECT_EQ(dt.DayNumber(), c.dayNumber);
        EXPECT_EQ(dt.Weekday(), c.weekday);
    }
    EXPECT_EQ(kLastDayNumber, 3074246);
    EXPECT_EQ(MakeDate(2006, 3, 17, DateTimeKind::Year).DayNumber(), MakeDate(2006, 1, 1).DayNumber());
    EXPECT_EQ(MakeDate(2006, 3, 17, DateTimeKind::Month).DayNumber(), MakeDate(2006, 3, 1).DayNumber());
    EXPECT_EQ(MakeDate(2028, 2, 5, DateTimeKind::Month).LastDayNumber(), MakeDate(2028, 2, 29).DayNumber());
    EXPECT_EQ(MakeDate(2100, 7, 5, DateTimeKind::Year).LastDayNumber(), MakeDate(2100, 12, 31).DayNumber());
    DateTime none;
    EXPECT_EQ(none.DayNumber(), 0);
    EXPECT_EQ(none.Weekday(), 0);
    EXPECT_EQ(none.WeekNumber(), 0);
}

// Every day of the calendar converts to its day number and back, and consecutive days have
// consecutive numbers (so every 29 February that exists, and none other, has a number).
TEST(DateTimeTest, EveryDayNumberRoundTrips)
{
    int32_t expected = 1;
    for (int32_t year = kFirstDateTimeYear; year <= kLastDateTimeYear; ++year) {
        for (int32_t month = 1; month <= 12; ++month) {
            for (int32_t day = 1; day <= DaysInMonth(year, month); ++day, ++expected) {
                ASSERT_EQ(DayNumberOfDate(year, month, day), expected) << year << "-" << month << "-" << day;
                DateTime dt;
                dt.SetFromDayNumber(expected);
                ASSERT_TRUE(dt.year == year && dt.month == month && dt.day == day) << expected;
            }
        }
    }
    EXPECT_EQ(expected - 1, kLastDayNumber);
}

TEST(DateTimeTest, SetFromDayNumberClearsBelowOneAndStopsAtTheLastDay)
{
    DateTime dt = MakeMoment(2006, 3, 1, 14, 3, 55);
    dt.SetFromDayNumber(0);
    EXPECT_FALSE(dt.HasDate());
    char buffer[kDateTimeTextCapacity] = "x";
    char* cursor = buffer;
    dt.CursorPut(cursor);
    EXPECT_EQ(cursor, buffer);

    dt.SetFromDayNumber(kLastDayNumber + 1000);
    EXPECT_EQ(Text(dt), "9999-12-31");
    dt.SetFromDayNumber(162594);
    EXPECT_EQ(Text(dt), "2028-03-01");
    EXPECT_EQ(dt.kind, DateTimeKind::Day);
}

TEST(DateTimeTest, IsoWeekNumbers)
{
    EXPECT_EQ(FirstDayOfWeekOne(2004), MakeDate(2003, 12, 29).DayNumber());
    struct Case {
        int32_t year, month, day;
        int32_t week;
    } cases[] = {
        {2005, 1, 1, 53}, {2008, 12, 29, 1}, {2000, 1, 1, 52}, {2028, 1, 1, 52},
        {2028, 2, 29, 9}, {2100, 12, 31, 52}, {1900, 1, 1, 1}, {2026, 12, 31, 53},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        EXPECT_EQ(MakeDate(c.year, c.month, c.day).WeekNumber(), c.week);
    }
}

TEST(DateTimeTest, AddDaysAndAddMonthsCrossMonthsAndYears)
{
    DateTime dt = MakeDate(2000, 3, 1);
    EXPECT_EQ(dt.AddDays(-1), 29);
    EXPECT_EQ(Text(dt), "2000-02-29");

    dt = MakeDate(2100, 3, 1);
    EXPECT_EQ(dt.AddDays(-1), 28);
    EXPECT_EQ(Text(dt), "2100-02-28");

    dt = MakeMoment(2027, 12, 31, 14, 3, 55);
    dt.AddDays(1);
    EXPECT_EQ(Text(dt), "2028-01-01 14:03:55");
    dt.AddDays(-2000000000);
    EXPECT_EQ(Text(dt), "1583-01-01 14:03:55");

    struct MonthCase {
        int32_t year, month, day, add;
        const char* expected;
    } months[] = {
        {2006, 1, 31, 1, "2006-02-28"},  {2028, 1, 31, 1, "2028-02-29"}, {2006, 2, 28, 1, "2006-03-31"},
        {2006, 1, 30, 1, "2006-02-28"},  {2006, 1, 15, -13, "2004-12-15"}, {2027, 11, 30, 3, "2028-02-29"},
        {2099, 2, 28, 12, "2100-02-28"}, {9999, 5, 1, 100, "9999-12-01"},
    };
    for (const MonthCase& c : months) {
        SCOPED_TRACE(c.expected);
        DateTime moved = MakeDate(c.year, c.month, c.day);
        moved.AddMonths(c.add);
        EXPECT_EQ(Text(moved), c.expected);
    }
}

TEST(DateTimeTest, ExtendToPeriodEdgeFillsTheFieldsBelowTheKind)
{
    DateTime dt = MakeDate(2006, 3, 1);
    dt.ExtendToPeriodEdge(1);
    EXPECT_EQ(dt.kind, DateTimeKind::Day);
    dt.kind = DateTimeKind::Second;
    EXPECT_EQ(Text(dt), "2006-03-01 23:59:59");

    dt = MakeDate(2006, 7, 9, DateTimeKind::Year);
    dt.ExtendToPeriodEdge(-1);
    dt.kind = DateTimeKind::Second;
    EXPECT_EQ(Text(dt), "2006-01-01 00:00:00");

    dt = MakeDate(2028, 2, 9, DateTimeKind::Month);
    dt.ExtendToPeriodEdge(0);
    dt.kind = DateTimeKind::Second;
    EXPECT_EQ(Text(dt), "2028-02-29 23:59:59");
}

TEST(DateTimeTest, SecondsOfAPeriodAndBack)
{
    const double day = 86400.0;
    DateTime dt = MakeMoment(2006, 3, 1, 14, 3, 55);
    double start = MakeDate(2006, 3, 1).DayNumber() * day;
    EXPECT_EQ(dt.ToSeconds(), start + 14 * 3600 + 3 * 60 + 55);
    EXPECT_EQ(dt.ToEndSeconds(), dt.ToSeconds());
    dt.kind = DateTimeKind::Minute;
    EXPECT_EQ(dt.ToSeconds(), start + 14 * 3600 + 3 * 60);
    EXPECT_EQ(dt.ToEndSeconds(), start + 14 * 3600 + 3 * 60 + 59);
    dt.kind = DateTimeKind::Hour;
    EXPECT_EQ(dt.ToEndSeconds(), start + 14 * 3600 + 3599);
    dt.kind = DateTimeKind::Day;
    EXPECT_EQ(dt.ToSeconds(), start);
    EXPECT_EQ(dt.ToEndSeconds(), start + 86399);
    dt.kind = DateTimeKind::Month;
    EXPECT_EQ(dt.ToEndSeconds(), MakeDate(2006, 3, 31).DayNumber() * day + 86399);
    EXPECT_EQ(DateTime().ToSeconds(), 0);

    DateTime back;
    back.SetFromSeconds(MakeMoment(2100, 2, 28, 23, 59, 59).ToSeconds());
    EXPECT_EQ(Text(back), "2100-02-28 23:59:59");
    // 0.6 s before midnight rounds into the next day, never to 24:00:00.
    back.SetFromSeconds(MakeDate(2027, 12, 31).DayNumber() * day + 86399.6);
    EXPECT_EQ(Text(back), "2028-01-01 00:00:00");
    back.SetFromSeconds(day - 1);
    EXPECT_FALSE(back.HasDate());
    back.SetFromSeconds(1e300);
    EXPECT_FALSE(back.HasDate());
    back.SetFromSeconds(0.0 / 0.0);
    EXPECT_FALSE(back.HasDate());
}

TEST(DateTimeTest, ParseBytesReadsYearFirst)
{
    struct Case {
        const char* text;
        int32_t pivot;
        const char* expected;  // the text form; "" for no date
        DateTimeKind kind;
    } cases[] = {
        // The first run is a two-digit year; 1999 gives day 19 and hour 99, clamped.
        {"14.3.1999", 1940, "2014-03-19 23", DateTimeKind::Hour},
        {"1492", 1940, "1583", DateTimeKind::Year},
        {"60", 1940, "1960", DateTimeKind::Year},
        {"39", 1940, "2039", DateTimeKind::Year},
        {"5", 1940, "2005", DateTimeKind::Year},
        {"27", 1900, "1927", DateTimeKind::Year},
        {"987", 1940, "1987", DateTimeKind::Year},
        {"006", 1940, "2006", DateTimeKind::Year},
        {"0603", 1940, "2006-03", DateTimeKind::Month},
        {"1987", 1940, "1987", DateTimeKind::Year},
        {"2006", 1940, "2006", DateTimeKind::Year},
        {"3003", 1940, "2030-03", DateTimeKind::Month},
        {"060301", 1940, "2006-03-01", DateTimeKind::Day},
        {"2006-3-1", 1940, "2006-03-01", DateTimeKind::Day},
        {"2006-03-01 930", 1940, "2006-03-01 09:30", DateTimeKind::Minute},
        {"2006-03-01 9:30", 1940, "2006-03-01 09:30", DateTimeKind::Minute},
        {"20060301140355", 1940, "2006-03-01 14:03:55", DateTimeKind::Second},
        {"2006-03-01 14:03:55 and more 12", 1940, "2006-03-01 14:03:55", DateTimeKind::Second},
        {"20060301140355999", 1940, "2006-03-01 14:03:55", DateTimeKind::Second},
        {"2028-02-29", 1940, "2028-02-29", DateTimeKind::Day},
        {"2100-02-29", 1940, "2100-02-28", DateTimeKind::Day},
        {"2006-13-45 25:61:61", 1940, "2006-12-31 23:59:59", DateTimeKind::Second},
        {"2006-00-00", 1940, "2006-01-01", DateTimeKind::Day},
        {"99999999", 1940, "9999-12-31", DateTimeKind::Day},
        {"version 2006-03", 1940, "2006-03", DateTimeKind::Month},
        {"abc", 1940, "", DateTimeKind::Year},
        {"", 1940, "", DateTimeKind::Year},
        {"06", 2147483600, "9999", DateTimeKind::Year},
        {"06", -2000000000, "1583", DateTimeKind::Year},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateTime dt = Parse(c.text, c.pivot);
        EXPECT_EQ(Text(dt), c.expected);
        EXPECT_EQ(dt.kind, c.kind);
        EXPECT_EQ(dt.pivot, c.pivot);
    }
}

TEST(DateTimeTest, ParseCStrAndParseString)
{
    DateTime dt = MakeDate(2006, 3, 1);
    dt.ParseCStr(nullptr);
    EXPECT_FALSE(dt.HasDate());
    dt.ParseCStr("2028-02-29 12:00");
    EXPECT_EQ(Text(dt), "2028-02-29 12:00");
    String text;
    text.AssignCStr("2100-12-31");
    dt.ParseString(text);
    EXPECT_EQ(Text(dt), "2100-12-31");
}

TEST(DateTimeTest, WritersFollowTheKind)
{
    struct Case {
        DateTimeKind kind;
        const char* text;
        const char* digits;
    } cases[] = {
        {DateTimeKind::Year, "2006", "2006"},
        {DateTimeKind::Month, "2006-03", "200603"},
        {DateTimeKind::Day, "2006-03-01", "20060301"},
        {DateTimeKind::Hour, "2006-03-01 14", "2006030114"},
        {DateTimeKind::Minute, "2006-03-01 14:03", "200603011403"},
        {DateTimeKind::Second, "2006-03-01 14:03:55", "20060301140355"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateTime dt = MakeMoment(2006, 3, 1, 14, 3, 55, c.kind);
        EXPECT_EQ(Text(dt), c.text);
        EXPECT_EQ(DigitsText(dt), c.digits);
        String s;
        dt.FormatString(s);
        EXPECT_STREQ(s.CStr(), c.text);
        dt.FormatDigitsString(s);
        EXPECT_STREQ(s.CStr(), c.digits);
    }
    EXPECT_EQ(Text(DateTime()), "");
    EXPECT_EQ(DigitsText(DateTime()), "");
}

TEST(DateTimeTest, TodayIsARealDate)
{
    DateTime now;
    GetCurrentDateTime(now);
    ASSERT_TRUE(now.HasDate());
    EXPECT_EQ(now.kind, DateTimeKind::Second);
    int32_t today = TodayDayNumber();
    // Midnight may pass between the two calls.
    EXPECT_GE(today, now.DayNumber());
    EXPECT_LE(today, now.DayNumber() + 1);
}

// Random bytes never make the reader fail or leave an invalid date behind.
TEST(DateTimeTest, RandomTextsGiveValidDates)
{
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    const char alphabet[] = "0123456789-.: /x";
    for (int32_t round = 0; round < 20000; ++round) {
        std::vector<char> bytes(next() % 24);
        for (char& b : bytes)
            b = alphabet[next() % (sizeof alphabet - 1)];
        std::string text(bytes.begin(), bytes.end());
        SCOPED_TRACE(text);
        DateTime dt = Parse(text);
        if (!dt.HasDate()) {
            ASSERT_EQ(text.find_first_of("0123456789"), std::string::npos);
            continue;
        }
        ASSERT_GE(dt.year, kFirstDateTimeYear);
        ASSERT_LE(dt.year, kLastDateTimeYear);
        ASSERT_GE(dt.month, 1);
        ASSERT_LE(dt.month, 12);
        ASSERT_GE(dt.day, 1);
        ASSERT_LE(dt.day, DaysInMonth(dt.year, dt.month));
        ASSERT_LE(dt.hour, 23);
        ASSERT_LE(dt.minute, 59);
        ASSERT_LE(dt.second, 59);
        // What is written reads back as the same value. (From the year 3000 on, a year such as
        // 3003 reads as a two-digit year and month, as the reader's rule for four digits says.)
        if (dt.year < 3000) {
            DateTime again = Parse(Text(dt));
            ASSERT_EQ(Text(again), Text(dt));
        }
    }
}

}  // namespace
}  // namespace vek
