// Tests of CardKey: order, parsing, writing, stepping and the period keys around today.
#include "foundation/numbers/CardKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/numbers/DateTime.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

// Parses from a buffer of exactly the text's length, so that the sanitizer sees any read past it.
CardKey Parse(const std::string& text, int32_t direction)
{
    std::vector<char> bytes(text.begin(), text.end());
    CardKey key{12345, 678};
    ParseCardKey(key, bytes.data(), int32_t(bytes.size()), direction);
    return key;
}

// "2006-03-15 #5", "2006-03-15 #end", "empty".
std::string KeyText(const CardKey& key)
{
    if (key.date == 0 && key.number == 0)
        return "empty";
    char buffer[kPackedDateTextCapacity];
    FormatPackedDateStyled(buffer, key.date, 2);
    std::string text = buffer;
    text += key.number == kOpenEndNumber ? " #end" : " #" + std::to_string(key.number);
    return text;
}

CardKey Key(int32_t year, int32_t month, int32_t day, int32_t number)
{
    return CardKey{MakePackedDate(year, month, day), number};
}

DateTime Today(int32_t year, int32_t month, int32_t day)
{
    DateTime dt;
    dt.year = int16_t(year);
    dt.month = int16_t(month);
    dt.day = int16_t(day);
    dt.kind = DateTimeKind::Day;
    return dt;
}

TEST(CardKeyTest, ParseReadsTheDateThenTheNumber)
{
    struct Case {
        const char* text;
        int32_t direction;
        const char* expected;
    } cases[] = {
        {"061-5", -1, "2006-10-01 #5"},
        {"061-5", 1, "2006-12-31 #5"},
        {"060315", 1, "2006-03-15 #end"},
        {"060315", 0, "2006-03-15 #1"},
        {"060315", -1, "2006-03-15 #1"},
        {"0603", 1, "2006-03-31 #end"},
        {"0603", -1, "2006-03-01 #1"},
        {"060315-12", -1, "2006-03-15 #12"},
        {"06031512", -1, "2006-03-15 #12"},
        {"060315 7", 1, "2006-03-15 #7"},
        {"060315-0", 1, "2006-03-15 #1"},
        {"060315--4", 1, "2006-03-15 #1"},
        {"060315-", 1, "2006-03-15 #end"},
        {"060315-2.5", -1, "2006-03-15 #3"},
        {"271231-999999999", -1, "2027-12-31 #999999999"},
        {"280101-1", -1, "1928-01-01 #1"},
        {"20280315-5", -1, "2028-03-15 #5"},
        {"20280315", 1, "2028-03-15 #end"},
        {"21000229-3", 1, "2100-02-28 #3"},
        {"19000101-1", -1, "1900-01-01 #1"},
        {"99991231-77", -1, "9999-12-31 #77"},
        {"", 1, "empty"},
        {"-5", 1, "empty"},
        {"abc", -1, "empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " " << c.direction);
        EXPECT_EQ(KeyText(Parse(c.text, c.direction)), c.expected);
    }
}

TEST(CardKeyTest, WritersCapTheNumberAtItsDigits)
{
    struct Case {
        CardKey key;
        int32_t digits;
        const char* expected;
        const char* plain;
    } cases[] = {
        {Key(2006, 3, 1, 123456), 4, "060301-9999", "060301-123456"},
        {Key(2006, 3, 1, 7), 4, "060301-0007", "060301-7"},
        {Key(2006, 3, 1, kOpenEndNumber), 9, "060301-999999999", "060301-2147483647"},
        {Key(2006, 3, 1, 7), 0, "060301-7", "060301-7"},
        {Key(2006, 3, 1, 12), 12, "060301-000000012", "060301-12"},
        {Key(2006, 3, 1, 0), 3, "060301-000", "060301-0"},
        {Key(2027, 12, 31, 5), 3, "271231-005", "271231-5"},
        {Key(2028, 1, 1, 5), 3, "20280101-005", "20280101-5"},
        {Key(1927, 6, 30, 5), 1, "19270630-5", "19270630-5"},
        {CardKey{0, 5}, 3, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        char buffer[kCardKeyTextCapacity];
        FormatCardKey(buffer, c.key, c.digits);
        EXPECT_STREQ(buffer, c.expected);
        FormatCardKeyPlain(buffer, c.key);
        EXPECT_STREQ(buffer, c.plain);
        String text;
        FormatCardKey(text, c.key, c.digits);
        EXPECT_STREQ(text.CStr(), c.expected);
        FormatCardKeyPlain(text, c.key);
        EXPECT_STREQ(text.CStr(), c.plain);
        // What is written reads back as the key (the number as capped).
        if (c.key.date != 0 && c.key.number >= 1) {
            CardKey back = Parse(c.plain, -1);
            EXPECT_TRUE(CardKeyEquals(back, c.key)) << KeyText(back);
        }
    }
    const int32_t maxima[] = {0, 9, 99, 999, 9999, 99999, 999999, 9999999, 99999999, 999999999};
    for (int32_t n = 0; n <= 9; ++n)
        EXPECT_EQ(MaxForDigits(n), maxima[n]);
    EXPECT_EQ(MaxForDigits(-1), 0);
    EXPECT_EQ(MaxForDigits(12), 999999999);
}

TEST(CardKeyTest, SteppingCrossesDaysYearsAndStopsAtTheEnds)
{
    struct Case {
        CardKey from;
        CardKey next;
    } cases[] = {
        {Key(2006, 2, 28, kOpenEndNumber), Key(2006, 3, 1, 1)},
        {Key(2006, 3, 1, 1), Key(2006, 3, 1, 2)},
        {Key(2027, 12, 31, kOpenEndNumber), Key(2028, 1, 1, 1)},
        {Key(2100, 2, 28, kOpenEndNumber), Key(2100, 3, 1, 1)},
        {Key(2006, 3, 1, kOpenEndNumber - 1), Key(2006, 3, 1, kOpenEndNumber)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(KeyText(c.from));
        CardKey key = c.from;
        NextCardKey(key);
        EXPECT_EQ(KeyText(key), KeyText(c.next));
        PreviousCardKey(key);
        EXPECT_EQ(KeyText(key), KeyText(c.from));
    }
    CardKey key = Key(2006, 3, 1, 0);
    PreviousCardKey(key);
    EXPECT_EQ(KeyText(key), "2006-02-28 #end");

    // Nothing comes after the last day nor before the first: the key never moves the wrong way.
    key = Key(9999, 12, 31, kOpenEndNumber);
    NextCardKey(key);
    EXPECT_EQ(KeyText(key), "9999-12-31 #end");
    key = Key(1900, 1, 1, 1);
    PreviousCardKey(key);
    EXPECT_EQ(KeyText(key), "1900-01-01 #0");
    PreviousCardKey(key);
    EXPECT_EQ(KeyText(key), "1900-01-01 #0");
    key = CardKey{};
    NextCardKey(key);
    PreviousCardKey(key);
    EXPECT_EQ(KeyText(key), "empty");
}

TEST(CardKeyTest, KeysOrderByDateThenNumber)
{
    // Ascending, each strictly before the next.
    const CardKey ordered[] = {
        CardKey{},          Key(1900, 1, 1, 1),  Key(2006, 3, 1, -1), Key(2006, 3, 1, 1),
        Key(2006, 3, 1, 2), Key(2006, 3, 1, kOpenEndNumber), Key(2006, 3, 2, 1),
        Key(2027, 12, 31, kOpenEndNumber), Key(2028, 1, 1, 1), Key(2100, 1, 1, 1),
    };
    const int32_t count = int32_t(sizeof ordered / sizeof ordered[0]);
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t j = 0; j < count; ++j) {
            SCOPED_TRACE(testing::Message() << i << " " << j);
            const CardKey& a = ordered[i];
            const CardKey& b = ordered[j];
            EXPECT_EQ(CardKeyEquals(a, b), i == j);
            EXPECT_EQ(CardKeyDiffers(a, b), i != j);
            EXPECT_EQ(CardKeyLess(a, b), i < j);
            EXPECT_EQ(CardKeyLessOrEqual(a, b), i <= j);
            EXPECT_EQ(CardKeyGreater(a, b), i > j);
            EXPECT_EQ(CardKeyGreaterOrEqual(a, b), i >= j);
        }
    }
    EXPECT_TRUE(CardKeyInRange(ordered[4], ordered[3], ordered[5]));
    EXPECT_TRUE(CardKeyInRange(ordered[3], ordered[3], ordered[3]));
    EXPECT_FALSE(CardKeyInRange(ordered[6], ordered[3], ordered[5]));
}

TEST(CardKeyTest, PeriodKeysAroundAFixedToday)
{
    // 2027-12-15 is a Wednesday.
    const DateTime today = Today(2027, 12, 15);
    enum Unit { Day, Week, Month, Quarter, Year };
    struct Case {
        Unit unit;
        int32_t offset;
        const char* start;  // direction -1
        const char* end;    // direction 1
    } cases[] = {
        {Day, 0, "2027-12-15 #1", "2027-12-15 #end"},
        {Day, 20, "2028-01-04 #1", "2028-01-04 #end"},
        {Day, -20000000, "1900-01-01 #1", "1900-01-01 #end"},
        {Week, 0, "2027-12-13 #1", "2027-12-19 #end"},
        {Week, 3, "2028-01-03 #1", "2028-01-09 #end"},
        {Week, -1, "2027-12-06 #1", "2027-12-12 #end"},
        {Month, 0, "2027-12-01 #1", "2027-12-31 #end"},
        {Month, 1, "2028-01-01 #1", "2028-01-31 #end"},
        {Month, 2, "2028-02-01 #1", "2028-02-29 #end"},
        {Month, 866, "2100-02-01 #1", "2100-02-28 #end"},
        {Month, -12, "2026-12-01 #1", "2026-12-31 #end"},
        {Quarter, 0, "2027-10-01 #1", "2027-12-31 #end"},
        {Quarter, 1, "2028-01-01 #1", "2028-03-31 #end"},
        {Quarter, -4, "2026-10-01 #1", "2026-12-31 #end"},
        {Year, 0, "2027-01-01 #1", "2027-12-31 #end"},
        {Year, 1, "2028-01-01 #1", "2028-12-31 #end"},
        {Year, 73, "2100-01-01 #1", "2100-12-31 #end"},
        {Year, -200, "1900-01-01 #1", "1900-12-31 #end"},
        {Year, 2000000000, "9999-01-01 #1", "9999-12-31 #end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.unit << " " << c.offset);
        for (int32_t direction : {-1, 0, 1}) {
            CardKey key;
            switch (c.unit) {
            case Day:
                CardKeyOfDay(key, direction, c.offset, today);
                break;
            case Week:
                CardKeyOfWeek(key, direction, c.offset, today);
                break;
            case Month:
                CardKeyOfMonth(key, direction, c.offset, today);
                break;
            case Quarter:
                CardKeyOfQuarter(key, direction, c.offset, today);
                break;
            case Year:
                CardKeyOfYearEdge(key, direction, c.offset, today);
                break;
            }
            std::string expected = direction > 0 ? c.end : c.start;
            if (direction == 0 && c.unit == Day)
                expected = std::string(c.start);
            EXPECT_EQ(KeyText(key), expected) << "direction " << direction;
        }
    }
    CardKey key;
    CardKeyOfMonth(key, 1, 0, DateTime());
    EXPECT_EQ(KeyText(key), "empty");
}

TEST(CardKeyTest, PeriodKeysOfTodayAgreeWithTheLocalDate)
{
    DateTime now;
    GetCurrentDateTime(now);
    CardKey day;
    CardKeyOfDay(day, 1, 0);
    CardKey year;
    CardKeyOfYearEdge(year, -1, 0);
    // Midnight may pass between the calls; both must still lie in this year or the next.
    EXPECT_EQ(day.number, kOpenEndNumber);
    EXPECT_EQ(year.number, 1);
    EXPECT_GE(PackedDateYear(day.date), now.year);
    EXPECT_EQ(PackedDateMonth(year.date), 1);
    EXPECT_EQ(PackedDateDay(year.date), 1);
    EXPECT_LE(year.date, day.date);
    CardKey week;
    CardKeyOfWeek(week, -1, 0);
    DateTime monday;
    monday.SetFromDayNumber(PackedDateToDayNumber(week.date) + kPackedDayNumberOffset);
    EXPECT_EQ(monday.Weekday(), 0);
}

TEST(CardKeyTest, KeyOfDayNumberMovesByDays)
{
    CardKey key;
    CardKeyOfDayNumber(key, 1, MakePackedDate(2027, 12, 31), 60);
    EXPECT_EQ(KeyText(key), "2028-02-29 #end");
    CardKeyOfDayNumber(key, -1, MakePackedDate(2100, 3, 1), -1);
    EXPECT_EQ(KeyText(key), "2100-02-28 #1");
    CardKeyOfDayNumber(key, -1, MakePackedDate(1900, 3, 1), -100000);
    EXPECT_EQ(KeyText(key), "1900-01-01 #1");
    CardKeyOfDayNumber(key, 1, 0, 5);
    EXPECT_EQ(KeyText(key), "empty");
}

// Random texts never give an invalid key, and the plain text of every key read reads back as it.
TEST(CardKeyTest, RandomTextsGiveValidKeys)
{
    uint32_t state = 4242;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    const char alphabet[] = "0123456789012345--. x";
    for (int32_t round = 0; round < 50000; ++round) {
        std::vector<char> bytes(next() % 20);
        for (char& b : bytes)
            b = alphabet[next() % (sizeof alphabet - 1)];
        std::string text(bytes.begin(), bytes.end());
        SCOPED_TRACE(text);
        for (int32_t direction : {-1, 1}) {
            CardKey key = Parse(text, direction);
            if (key.date == 0) {
                ASSERT_EQ(key.number, 0);
                continue;
            }
            ASSERT_GE(key.number, 1);
            ASSERT_GE(key.date, kFirstPackedDate);
            ASSERT_LE(key.date, kLastPackedDate);
            ASSERT_LE(PackedDateDay(key.date), DaysInMonthOfPackedDate(key.date));
            char buffer[kCardKeyTextCapacity];
            FormatCardKeyPlain(buffer, key);
            if (key.number != kOpenEndNumber) {
                CardKey back = Parse(buffer, -direction);
                ASSERT_TRUE(CardKeyEquals(back, key)) << buffer;
            }
        }
    }
}

}  // namespace
}  // namespace vek
