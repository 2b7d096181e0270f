// Tests of PackedDate: texts of every style, completion of typed dates, the range of years.
#include "foundation/numbers/PackedDate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/PackedTimestamp.h"

namespace vek {
namespace {

// Parses from a buffer of exactly the text's length, so that the sanitizer sees any read past it.
PackedDate Parse(const std::string& text, int32_t direction)
{
    std::vector<char> bytes(text.begin(), text.end());
    return ParsePackedDate(bytes.data(), int32_t(bytes.size()), direction);
}

std::string DateText(PackedDate date)
{
    if (date == 0)
        return "none";
    char buffer[kPackedDateTextCapacity];
    FormatPackedDateStyled(buffer, date, 2);
    return buffer;
}

std::string Digits(PackedDate date)
{
    char buffer[kPackedDateTextCapacity];
    FormatPackedDateDigits(buffer, date);
    return buffer;
}

// Sets the process-wide style for one test and puts it back.
class DateStyleScope {
public:
    explicit DateStyleScope(int32_t style) : saved(GetDateStyle()) { SetDateStyle(style); }
    ~DateStyleScope() { SetDateStyle(saved); }

private:
    int32_t saved;
};

TEST(PackedDateTest, LayoutKeepsOldValuesAndWidensTheYear)
{
    EXPECT_EQ(MakePackedDate(2006, 3, 1), (106u << 9) | (3u << 5) | 1u);
    EXPECT_EQ(MakePackedDate(1900, 1, 1), (1u << 5) | 1u);
    EXPECT_EQ(MakePackedDate(2027, 12, 31), 65439u);
    EXPECT_EQ(MakePackedDate(2028, 1, 1), (128u << 9) | (1u << 5) | 1u);
    EXPECT_EQ(MakePackedDate(9999, 12, 31), (8099u << 9) | (12u << 5) | 31u);
    // Dates still compare as integers across the old end of the range.
    EXPECT_LT(MakePackedDate(2027, 12, 31), MakePackedDate(2028, 1, 1));
    EXPECT_LT(MakePackedDate(2099, 12, 31), MakePackedDate(2100, 1, 1));
    EXPECT_EQ(PackedDateYear(MakePackedDate(2100, 2, 28)), 2100);
    EXPECT_EQ(PackedDateMonth(MakePackedDate(2100, 2, 28)), 2);
    EXPECT_EQ(PackedDateDay(MakePackedDate(2100, 2, 28)), 28);
    EXPECT_EQ(PackDateClamped(1850, 0, 40), MakePackedDate(1900, 1, 31));
    EXPECT_EQ(PackDateClamped(12000, 2, 30), MakePackedDate(9999, 2, 28));
    EXPECT_EQ(PackDateClamped(2100, 2, 29), MakePackedDate(2100, 2, 28));
}

TEST(PackedDateTest, ShortenedInputIsCompletedByDirection)
{
    struct Case {
        const char* text;
        const char* earliest;
        const char* latest;
    } cases[] = {
        {"2", "2020-01-01", "2027-12-31"},
        {"9", "1990-01-01", "1999-12-31"},
        {"1", "2010-01-01", "2019-12-31"},
        {"0", "2000-01-01", "2009-12-31"},
        {"06", "2006-01-01", "2006-12-31"},
        {"28", "1928-01-01", "1928-12-31"},
        {"27", "2027-01-01", "2027-12-31"},
        {"060", "2006-01-01", "2006-09-30"},
        {"061", "2006-10-01", "2006-12-31"},
        {"063", "2006-12-01", "2006-12-31"},
        {"0603", "2006-03-01", "2006-03-31"},
        {"0602", "2006-02-01", "2006-02-28"},
        {"0402", "2004-02-01", "2004-02-29"},
        {"06030", "2006-03-01", "2006-03-09"},
        {"06031", "2006-03-10", "2006-03-19"},
        {"06033", "2006-03-30", "2006-03-31"},
        {"06023", "2006-02-28", "2006-02-28"},
        {"060315", "2006-03-15", "2006-03-15"},
        {"06.03.15", "2006-03-15", "2006-03-15"},
        {"061399", "2006-12-31", "2006-12-31"},
        {"060000", "2006-01-01", "2006-01-01"},
        // Digits after the sixth are ignored in the six-digit reading.
        {"0603159", "2006-03-15", "2006-03-15"},
        {"0603011430", "2006-03-01", "2006-03-01"},
        {"200101 0112", "2020-01-01", "2020-01-01"},
        {"", "none", "none"},
        {"abc-./", "none", "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateText(Parse(c.text, -1)), c.earliest);
        EXPECT_EQ(DateText(Parse(c.text, 1)), c.latest);
        EXPECT_EQ(DateText(Parse(c.text, 0)), c.latest);
    }
}

// Dates after 2027 (and before 1928) are written with eight digits and read back from them.
TEST(PackedDateTest, EightDigitDatesReachBeyond2027)
{
    struct Case {
        const char* text;
        const char* date;
    } cases[] = {
        {"20280301", "2028-03-01"},
        {"2028-03-01", "2028-03-01"},
        {"2028.02.29", "2028-02-29"},
        {"21000229", "2100-02-28"},
        {"19000101", "1900-01-01"},
        {"19271231", "1927-12-31"},
        {"99991231", "9999-12-31"},
        {"20060301", "2006-03-01"},
        {"2028-03-01 14:30", "2028-03-01"},
        // Not a date YYYYMMDD: the six-digit reading holds.
        {"06030112", "2006-03-01"},
        {"99123114", "1999-12-31"},
        {"18991231", "2018-12-12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateText(Parse(c.text, -1)), c.date);
        EXPECT_EQ(DateText(Parse(c.text, 1)), c.date);
    }
}

TEST(PackedDateTest, DigitsAreSixIn1928To2027AndEightOtherwise)
{
    struct Case {
        int32_t year, month, day;
        const char* digits;
    } cases[] = {
        {1900, 1, 1, "19000101"}, {1927, 12, 31, "19271231"}, {1928, 1, 1, "280101"},
        {2006, 3, 1, "060301"},   {2027, 12, 31, "271231"},   {2028, 1, 1, "20280101"},
        {2100, 3, 1, "21000301"}, {9999, 12, 31, "99991231"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.digits);
        PackedDate date = MakePackedDate(c.year, c.month, c.day);
        EXPECT_EQ(Digits(date), c.digits);
        EXPECT_EQ(Parse(c.digits, -1), date);
        EXPECT_EQ(Parse(c.digits, 1), date);
    }
    EXPECT_EQ(Digits(0), "");
}

TEST(PackedDateTest, EveryDateWrittenReadsBackInEveryStyleWithDigits)
{
    // The writers of the digit form and the readers agree on every day of the range.
    for (PackedDate date = kFirstPackedDate;; date = NextPackedDate(date)) {
        char digits[kPackedDateTextCapacity];
        FormatPackedDateDigits(digits, date);
        auto length = int32_t(std::strlen(digits));
        ASSERT_EQ(ParsePackedDate(digits, length, -1), date) << digits;
        ASSERT_EQ(ParsePackedDate(digits, length, 1), date) << digits;
        if (date == kLastPackedDate)
            break;
    }
    // Styles 1 and 2 write the year first and read back too.
    for (int32_t style : {1, 2}) {
        for (PackedDate date : {MakePackedDate(1900, 1, 1), MakePackedDate(2006, 3, 1), MakePackedDate(2028, 2, 29),
                                MakePackedDate(2100, 12, 31)}) {
            char buffer[kPackedDateTextCapacity];
            FormatPackedDateStyled(buffer, date, style);
            EXPECT_EQ(Parse(buffer, -1), date) << buffer;
        }
    }
}

// Guards against typed four-digit years read as two-digit years with a month ("2028" was 2020-12).
TEST(PackedDateTest, FourDigitsThatFormAYearAreThatYear)
{
    struct Case {
        const char* text;
        const char* earliest;
        const char* latest;
    } cases[] = {
        {"2028", "2028-01-01", "2028-12-31"},
        {"1999", "1999-01-01", "1999-12-31"},
        {"2100", "2100-01-01", "2100-12-31"},
        {"1900", "1900-01-01", "1900-12-31"},
        {"2000", "2000-01-01", "2000-12-31"},
        {"20280", "2028-01-01", "2028-09-30"},
        {"202803", "2028-03-01", "2028-03-31"},
        {"2028031", "2028-03-10", "2028-03-19"},
        {"2028-03", "2028-03-01", "2028-03-31"},
        {"2006-03", "2006-03-01", "2006-03-31"},
        {"1905.03", "1905-03-01", "1905-03-31"},
        {"1999 12 31", "1999-12-31", "1999-12-31"},
        // Texts a two-digit year was always written in keep their reading.
        {"2006", "2020-06-01", "2020-06-30"},
        {"200603", "2020-06-03", "2020-06-03"},
        {"190503", "2019-05-03", "2019-05-03"},
        {"0603", "2006-03-01", "2006-03-31"},
        {"1899", "2018-12-01", "2018-12-31"},
        {"2006-15", "2020-06-15", "2020-06-15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateText(Parse(c.text, -1)), c.earliest);
        EXPECT_EQ(DateText(Parse(c.text, 1)), c.latest);
    }
}

// Guards against written texts that read back as another value: months of years after 2027 ("202803"
// was read as 2020-12-03) and of 1901..1912 ("190503" is 2019-05-03). Every day of 1900..2100 is
// written as a date in every style, as the month and the periods that start on it, as card keys and as
// timestamps, and read back.
TEST(PackedDateTest, EveryTextWrittenFor1900To2100ReadsBack)
{
    auto parse = [](const std::string& text, int32_t direction) {
        return ParsePackedDate(text.data(), int32_t(text.size()), direction);
    };
    std::unordered_set<std::string> seen[kDateStyleCount];
    const PackedDate last = MakePackedDate(2100, 12, 31);
    for (PackedDate date = kFirstPackedDate; date <= last; date = NextPackedDate(date)) {
        char buffer[kPackedDateTextCapacity];
        const PackedDate monthStart = MakePackedDate(PackedDateYear(date), PackedDateMonth(date), 1);
        const PackedDate monthEnd = MakePackedDate(PackedDateYear(date), PackedDateMonth(date), DaysInMonthOfPackedDate(date));
        for (int32_t style = 0; style < kDateStyleCount; ++style) {
            DateStyleScope scope(style);
            FormatPackedDate(buffer, date);
            std::string text = buffer;
            // Styles 3-7 put the day first and are only shown; no two days may share a text.
            ASSERT_TRUE(seen[style].insert(text).second) << text;
            if (style > 2)
                continue;
            ASSERT_EQ(parse(text, -1), date) << text;
            ASSERT_EQ(parse(text, 1), date) << text;
            FormatMonth(buffer, date);
            ASSERT_EQ(parse(buffer, -1), monthStart) << buffer;
            ASSERT_EQ(parse(buffer, 1), monthEnd) << buffer;
            // A period starting on the day: its first date or month stands before the range mark.
            const std::string mark = style == 2 ? ".." : "-";
            char* cursor = buffer;
            CursorPutDayRange(cursor, date, monthEnd);
            *cursor = '\0';
            std::string range = buffer;
            ASSERT_EQ(parse(range.substr(0, range.rfind(mark)), -1), date) << range;
            if (PackedDateMonth(date) < 12) {
                FormatMonthRange(buffer, date, AddMonthsToPackedDate(date, 0, 1));
                range = buffer;
                ASSERT_EQ(parse(range.substr(0, range.rfind(mark)), -1), monthStart) << range;
            }
        }

        for (CardKey key : {CardKey{date, 1}, CardKey{date, 999}, CardKey{date, kOpenEndNumber}}) {
            char keyText[kCardKeyTextCapacity];
            FormatCardKeyPlain(keyText, key);
            CardKey read;
            ParseCardKey(read, keyText, int32_t(std::strlen(keyText)), -1);
            ASSERT_TRUE(CardKeyEquals(read, key)) << keyText;
        }
        // A key written as its date alone, as for the default numbers of a period's ends.
        FormatPackedDateDigits(buffer, date);
        CardKey from;
        CardKey to;
        ParseCardKey(from, buffer, int32_t(std::strlen(buffer)), -1);
        ParseCardKey(to, buffer, int32_t(std::strlen(buffer)), 1);
        ASSERT_TRUE(CardKeyEquals(from, CardKey{date, 1})) << buffer;
        ASSERT_TRUE(CardKeyEquals(to, CardKey{date, kOpenEndNumber})) << buffer;

        const int32_t dayNumber = PackedDateToDayNumber(date);
        const PackedTimestamp stamp = MakePackedTimestamp(PackedDateYear(date), PackedDateMonth(date),
                                                          PackedDateDay(date), dayNumber % 24, dayNumber % 60);
        char stampText[kPackedTimestampTextCapacity];
        for (bool display : {false, true}) {
            char* cursor = stampText;
            if (display)
                CursorPutPackedTimestampDisplay(cursor, stamp);
            else
                CursorPutPackedTimestamp(cursor, stamp);
            auto n = int32_t(cursor - stampText);
            ASSERT_EQ(ParsePackedTimestamp(stampText, n, -1), stamp) << std::string(stampText, size_t(n));
            ASSERT_EQ(ParsePackedTimestamp(stampText, n, 1), stamp) << std::string(stampText, size_t(n));
        }
    }
    EXPECT_EQ(seen[0].size(), size_t(PackedDateToDayNumber(last)));
}

TEST(PackedDateTest, DayNumbersAreGregorianAndKeepTheOldNumbersFromMarch1900)
{
    struct Case {
        int32_t year, month, day;
        int32_t dayNumber;
    } cases[] = {
        {1900, 1, 1, 1},          {1900, 2, 28, 59},      {1900, 3, 1, 60},        {2000, 1, 1, 36525},
        {2006, 3, 1, 38776},      {2027, 12, 31, 46751},  {2028, 1, 1, 46752},     {2100, 3, 1, 73109},
        {9999, 12, 31, 2958464},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dayNumber);
        PackedDate date = MakePackedDate(c.year, c.month, c.day);
        EXPECT_EQ(PackedDateToDayNumber(date), c.dayNumber);
        EXPECT_EQ(DayNumberToPackedDate(c.dayNumber), date);
    }
    EXPECT_EQ(PackedDateToDayNumber(0), 0);
    EXPECT_EQ(DayNumberToPackedDate(0), kFirstPackedDate);
    EXPECT_EQ(DayNumberToPackedDate(-5), kFirstPackedDate);
    EXPECT_EQ(DayNumberToPackedDate(int64_t(1) << 40), kLastPackedDate);

    // Consecutive days have consecutive numbers, month lengths agree with the calendar, and every
    // multiple of 7 is a Sunday.
    int32_t expected = 1;
    for (PackedDate date = kFirstPackedDate;; date = NextPackedDate(date), ++expected) {
        ASSERT_EQ(PackedDateToDayNumber(date), expected) << DateText(date);
        ASSERT_LE(PackedDateDay(date), DaysInMonthOfPackedDate(date));
        DateTime dt;
        dt.SetFromDayNumber(expected + kPackedDayNumberOffset);
        ASSERT_EQ(expected % 7 == 0, dt.Weekday() == 6) << DateText(date);
        if (date == kLastPackedDate)
            break;
    }
}

TEST(PackedDateTest, NeighbouringDaysAndLeapDays)
{
    struct Case {
        const char* from;
        const char* next;
    } cases[] = {
        {"2000-02-28", "2000-02-29"}, {"2000-02-29", "2000-03-01"}, {"1900-02-28", "1900-03-01"},
        {"2100-02-28", "2100-03-01"}, {"2028-02-28", "2028-02-29"}, {"2027-12-31", "2028-01-01"},
        {"2006-04-30", "2006-05-01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        PackedDate from = Parse(c.from, -1);
        PackedDate next = Parse(c.next, -1);
        EXPECT_EQ(NextPackedDate(from), next);
        EXPECT_EQ(PreviousPackedDate(next), from);
    }
    EXPECT_EQ(DaysInMonthOfPackedDate(MakePackedDate(1900, 2, 1)), 28);
    EXPECT_EQ(DaysInMonthOfPackedDate(MakePackedDate(2000, 2, 1)), 29);
    EXPECT_EQ(DaysInMonthOfPackedDate(MakePackedDate(2100, 2, 1)), 28);
    // The ends of the range hold; no date stays no date.
    EXPECT_EQ(NextPackedDate(kLastPackedDate), kLastPackedDate);
    EXPECT_EQ(PreviousPackedDate(kFirstPackedDate), kFirstPackedDate);
    EXPECT_EQ(NextPackedDate(0), 0u);
    EXPECT_EQ(PreviousPackedDate(0), 0u);
}

TEST(PackedDateTest, AddMonthsCarriesAndClampsTheDay)
{
    struct Case {
        const char* from;
        int32_t years, months;
        const char* expected;
    } cases[] = {
        {"2006-01-31", 0, 1, "2006-02-28"},  {"2027-12-15", 0, 1, "2028-01-15"},
        {"2028-02-29", 1, 0, "2029-02-28"},  {"2006-03-31", 0, -13, "2005-02-28"},
        {"2099-11-30", 0, 3, "2100-02-28"},  {"1900-03-01", 0, -5, "1900-01-01"},
        {"9999-06-30", 5, 0, "9999-12-30"},  {"2006-05-31", -2000000000, 0, "1900-01-31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_EQ(DateText(AddMonthsToPackedDate(Parse(c.from, -1), c.years, c.months)), c.expected);
    }
    EXPECT_EQ(AddMonthsToPackedDate(0, 0, 1), 0u);
}

TEST(PackedDateTest, CompareSortsUndatedLastInBothDirections)
{
    PackedDate early = MakePackedDate(2006, 3, 1);
    PackedDate late = MakePackedDate(2028, 3, 1);
    struct Case {
        PackedDate a, b;
        int32_t descending;
        int32_t expected;
    } cases[] = {
        {0, 0, 0, 0},         {0, 0, 1, 0},         {0, early, 0, 1},      {0, early, 1, 1},
        {early, 0, 0, -1},    {early, 0, 1, -1},    {early, late, 0, -1},  {early, late, 1, 1},
        {late, early, 0, 1},  {late, late, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b << " " << c.descending);
        EXPECT_EQ(ComparePackedDates(c.a, c.b, c.descending), c.expected);
    }
}

TEST(PackedDateTest, TheEightDateStyles)
{
    PackedDate first = MakePackedDate(2006, 3, 1);
    PackedDate fifteenth = MakePackedDate(2006, 3, 15);
    PackedDate may = MakePackedDate(2006, 5, 20);
    PackedDate later = MakePackedDate(2028, 3, 1);
    struct Case {
        int32_t style;
        char letter;
        const char* date;
        const char* month;
        const char* dayRange;
        const char* monthRange;
        const char* laterDate;  // 2028-03-01
    } cases[] = {
        {0, 'S', "060301", "0603", "060301-15", "0603-05", "20280301"},
        {1, 'T', "2006.03.01", "2006.03", "2006.03.01-15", "2006.03-05", "2028.03.01"},
        {2, 'W', "2006-03-01", "2006-03", "2006-03-01..15", "2006-03..05", "2028-03-01"},
        {3, 'F', "01.03.06", "03.06", "01-15.03.06", "03-05.06", "01.03.2028"},
        {4, 'G', "01.03.2006", "03.2006", "01-15.03.2006", "03-05.2006", "01.03.2028"},
        {5, 'H', "1.3.2006", "3.2006", "1-15.3.2006", "3-5.2006", "1.3.2028"},
        {6, 'U', "03/01/06", "03/06", "03/01-03/15/06", "03-05/06", "03/01/2028"},
        {7, 'V', "03/01/2006", "03/2006", "03/01-03/15/2006", "03-05/2006", "03/01/2028"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        DateStyleScope scope(c.style);
        char buffer[kPackedDateTextCapacity];
        FormatPackedDate(buffer, first);
        EXPECT_STREQ(buffer, c.date);
        FormatPackedDate(buffer, later);
        EXPECT_STREQ(buffer, c.laterDate);
        FormatMonth(buffer, first);
        EXPECT_STREQ(buffer, c.month);
        char* cursor = buffer;
        CursorPutDayRange(cursor, first, fifteenth);
        *cursor = '\0';
        EXPECT_STREQ(buffer, c.dayRange);
        FormatMonthRange(buffer, first, may);
        EXPECT_STREQ(buffer, c.monthRange);
        // A range within one month is a single month.
        FormatMonthRange(buffer, first, fifteenth);
        EXPECT_STREQ(buffer, c.month);
        FormatPackedDate(buffer, 0);
        EXPECT_STREQ(buffer, "");

        EXPECT_EQ(DateStyleLetter(c.style), c.letter);
        int32_t parsed = -1;
        ParseDateStyleLetter(parsed, c.letter);
        EXPECT_EQ(parsed, c.style);
    }
}

TEST(PackedDateTest, DateStyleSettingAndLetters)
{
    DateStyleScope scope(4);
    SetDateStyle(8);
    EXPECT_EQ(GetDateStyle(), 4);
    SetDateStyle(-1);
    EXPECT_EQ(GetDateStyle(), 4);
    int32_t style = 3;
    ParseDateStyleLetter(style, 'X');
    EXPECT_EQ(style, 3);
    ParseDateStyleLetter(style, 's');
    EXPECT_EQ(style, 3);
    ParseDateStyleLetter(style, '\0');
    EXPECT_EQ(style, 3);
    EXPECT_EQ(DateStyleLetter(8), '\0');
    char buffer[kPackedDateTextCapacity] = "x";
    FormatPackedDateStyled(buffer, MakePackedDate(2006, 3, 1), 8);
    EXPECT_STREQ(buffer, "");
}

// Random bytes never give an invalid date, and whatever date comes out is written and read back.
TEST(PackedDateTest, RandomTextsGiveValidDates)
{
    uint32_t state = 777;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    const char alphabet[] = "0123456789012345-. x";
    for (int32_t round = 0; round < 50000; ++round) {
        std::vector<char> bytes(next() % 16);
        for (char& b : bytes)
            b = alphabet[next() % (sizeof alphabet - 1)];
        std::string text(bytes.begin(), bytes.end());
        SCOPED_TRACE(text);
        for (int32_t direction : {-1, 1}) {
            PackedDate date = Parse(text, direction);
            if (date == 0) {
                ASSERT_EQ(text.find_first_of("0123456789"), std::string::npos);
                continue;
            }
            ASSERT_GE(date, kFirstPackedDate);
            ASSERT_LE(date, kLastPackedDate);
            ASSERT_GE(PackedDateMonth(date), 1);
            ASSERT_LE(PackedDateMonth(date), 12);
            ASSERT_GE(PackedDateDay(date), 1);
            ASSERT_LE(PackedDateDay(date), DaysInMonthOfPackedDate(date));
            ASSERT_EQ(Parse(Digits(date), -direction), date);
        }
        ASSERT_LE(Parse(text, -1), Parse(text, 1));
    }
}

}  // namespace
}  // namespace vek
