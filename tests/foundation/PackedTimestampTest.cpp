// Tests of PackedTimestamp: the layout, texts, completion by direction and stamped texts.
#include "foundation/numbers/PackedTimestamp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/numbers/DateTime.h"

namespace vek {
namespace {

// Parses from a buffer of exactly the text's length, so that the sanitizer sees any read past it.
PackedTimestamp Parse(const std::string& text, int32_t direction)
{
    std::vector<char> bytes(text.begin(), text.end());
    return ParsePackedTimestamp(bytes.data(), int32_t(bytes.size()), direction);
}

// "2006-03-01 14:30" or "none".
std::string Text(PackedTimestamp t)
{
    if (t == 0)
        return "none";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", PackedTimestampYear(t), PackedTimestampMonth(t),
                  PackedTimestampDay(t), PackedTimestampHour(t), PackedTimestampMinute(t));
    return buffer;
}

std::string Compact(PackedTimestamp t)
{
    char buffer[kPackedTimestampTextCapacity];
    char* cursor = buffer;
    CursorPutPackedTimestamp(cursor, t);
    *cursor = '\0';
    return buffer;
}

std::string Display(PackedTimestamp t)
{
    char buffer[kPackedTimestampTextCapacity];
    char* cursor = buffer;
    CursorPutPackedTimestampDisplay(cursor, t);
    *cursor = '\0';
    return buffer;
}

StampedText ParseStamp(const std::string& text)
{
    std::vector<char> bytes(text.begin(), text.end());
    StampedText stamp;
    stamp.Parse(bytes.data(), int32_t(bytes.size()));
    return stamp;
}

std::string StampDisplay(const StampedText& stamp)
{
    char buffer[kStampedTextCapacity];
    stamp.Format(buffer);
    return buffer;
}

std::string StampCompact(const StampedText& stamp)
{
    char buffer[kStampedTextCapacity];
    char* cursor = buffer;
    stamp.CursorPutCompact(cursor);
    *cursor = '\0';
    return buffer;
}

TEST(PackedTimestampTest, LayoutKeepsOldValuesAndCarriesLaterYears)
{
    EXPECT_EQ(MakePackedTimestamp(2006, 3, 1, 14, 30), (106u << 20) | (3u << 16) | (1u << 11) | (14u << 6) | 30u);
    EXPECT_EQ(MakePackedTimestamp(2027, 12, 31, 23, 59), (127u << 20) | (12u << 16) | (31u << 11) | (23u << 6) | 59u);
    EXPECT_EQ(MakePackedTimestamp(2028, 1, 1, 0, 0), (128u << 20) | (1u << 16) | (1u << 11));
    EXPECT_LT(MakePackedTimestamp(2027, 12, 31, 23, 59), MakePackedTimestamp(2028, 1, 1, 0, 0));
    EXPECT_EQ(Text(MakePackedTimestamp(2100, 2, 28, 8, 5)), "2100-02-28 08:05");
    EXPECT_EQ(Text(MakePackedTimestamp(5995, 12, 31, 23, 59)), "5995-12-31 23:59");
    // Fields out of range are clamped, never spill into their neighbours.
    EXPECT_EQ(Text(MakePackedTimestamp(7000, 13, 40, 30, 75)), "5995-12-31 23:59");
    EXPECT_EQ(Text(MakePackedTimestamp(1800, 0, 0, -1, -1)), "1900-01-01 00:00");
    EXPECT_EQ(Text(MakePackedTimestamp(2100, 2, 29, 12, 0)), "2100-02-28 12:00");
}

TEST(PackedTimestampTest, TimeIsCompletedByDirection)
{
    struct Case {
        const char* text;
        const char* earliest;
        const char* latest;
    } cases[] = {
        {"0603011430", "2006-03-01 14:30", "2006-03-01 14:30"},
        {"060301", "2006-03-01 00:00", "2006-03-01 23:59"},
        {"0603011", "2006-03-01 10:00", "2006-03-01 19:59"},
        {"0603012", "2006-03-01 20:00", "2006-03-01 23:59"},
        {"06030114", "2006-03-01 14:00", "2006-03-01 14:59"},
        {"060301143", "2006-03-01 14:30", "2006-03-01 14:39"},
        {"06030125", "2006-03-01 23:00", "2006-03-01 23:59"},
        {"0603011475", "2006-03-01 14:59", "2006-03-01 14:59"},
        {"060301 14:30", "2006-03-01 14:30", "2006-03-01 14:30"},
        {"0603", "2006-03-01 00:00", "2006-03-31 23:59"},
        {"2", "2020-01-01 00:00", "2027-12-31 23:59"},
        // Ten digits in one run are always YYMMDDhhmm, as written for 1928..2027.
        {"2001010112", "2020-01-01 01:12", "2020-01-01 01:12"},
        {"060301143099", "2006-03-01 14:30", "2006-03-01 14:30"},
        // Twelve digits, or a date YYYYMMDD with separators, carry a four-digit year.
        {"202803011430", "2028-03-01 14:30", "2028-03-01 14:30"},
        {"2028-03-01 14:30", "2028-03-01 14:30", "2028-03-01 14:30"},
        {"20280301", "2028-03-01 00:00", "2028-03-01 23:59"},
        {"2028030114", "2020-12-03 01:14", "2020-12-03 01:14"},
        {"21000229 9", "2100-02-28 23:00", "2100-02-28 23:59"},
        {"192712312359", "1927-12-31 23:59", "1927-12-31 23:59"},
        {"99991231", "5995-12-31 00:00", "5995-12-31 23:59"},
        {"", "none", "none"},
        {"::--", "none", "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Text(Parse(c.text, -1)), c.earliest);
        EXPECT_EQ(Text(Parse(c.text, 1)), c.latest);
    }
}

TEST(PackedTimestampTest, TextFormsWidenOutside1928To2027)
{
    struct Case {
        PackedTimestamp t;
        const char* compact;
        const char* display;
    } cases[] = {
        {MakePackedTimestamp(2006, 3, 1, 14, 30), "0603011430", "060301 14:30"},
        {MakePackedTimestamp(1928, 1, 1, 0, 0), "2801010000", "280101 00:00"},
        {MakePackedTimestamp(2027, 12, 31, 23, 59), "2712312359", "271231 23:59"},
        {MakePackedTimestamp(2028, 1, 1, 0, 0), "202801010000", "20280101 00:00"},
        {MakePackedTimestamp(1927, 12, 31, 23, 59), "192712312359", "19271231 23:59"},
        {MakePackedTimestamp(2100, 2, 28, 8, 5), "210002280805", "21000228 08:05"},
        {0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.compact);
        EXPECT_EQ(Compact(c.t), c.compact);
        EXPECT_EQ(Display(c.t), c.display);
        if (c.t != 0) {
            EXPECT_EQ(Parse(c.compact, -1), c.t);
            EXPECT_EQ(Parse(c.display, 1), c.t);
        }
    }
}

TEST(PackedTimestampTest, StampedTextParsesTimestampAndCode)
{
    struct Case {
        const char* text;
        const char* timestamp;
        const char* code;
    } cases[] = {
        {"0603011430ABC", "2006-03-01 14:30", "ABC"},
        {"060301 14:30 ABC", "2006-03-01 14:30", "ABC"},
        {"202803011430XY", "2028-03-01 14:30", "XY"},
        {"20280301 14:30 XYZW", "2028-03-01 14:30", "XYZ"},
        {"0603011430", "2006-03-01 14:30", ""},
        {"ABC", "none", "ABC"},
        {"", "none", ""},
        // The code is cut after the last whole character that fits in 3 bytes.
        {"0603011430A\xC3\xA9", "2006-03-01 14:30", "A\xC3\xA9"},
        {"0603011430AB\xC3\xA9", "2006-03-01 14:30", "AB"},
        {"0603011430\xE2\x82\xAC!", "2006-03-01 14:30", "\xE2\x82\xAC"},
        {"0603011430A\xE2\x82\xAC", "2006-03-01 14:30", "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StampedText stamp = ParseStamp(c.text);
        EXPECT_EQ(Text(stamp.timestamp), c.timestamp);
        EXPECT_STREQ(stamp.code, c.code);
        EXPECT_EQ(stamp.code[3], '\0');
        StampedText fromCStr;
        fromCStr.ParseCStr(c.text);
        EXPECT_TRUE(fromCStr.Equals(stamp));
    }
    // A NUL inside the bytes ends the code.
    StampedText stamp = ParseStamp(std::string("0603011430A\0BC", 14));
    EXPECT_STREQ(stamp.code, "A");
    stamp.ParseCStr(nullptr);
    EXPECT_TRUE(stamp.IsEmpty());
}

TEST(PackedTimestampTest, StampedTextWritersAndComparison)
{
    StampedText stamp;
    EXPECT_TRUE(stamp.IsEmpty());
    EXPECT_EQ(StampDisplay(stamp), "");
    EXPECT_EQ(StampCompact(stamp), "");

    stamp.timestamp = MakePackedTimestamp(2006, 3, 1, 14, 30);
    std::memcpy(stamp.code, "ABC", 4);
    EXPECT_FALSE(stamp.IsEmpty());
    EXPECT_EQ(StampDisplay(stamp), "060301 14:30 ABC");
    EXPECT_EQ(StampCompact(stamp), "0603011430ABC");
    EXPECT_TRUE(ParseStamp(StampCompact(stamp)).Equals(stamp));
    EXPECT_TRUE(ParseStamp(StampDisplay(stamp)).Equals(stamp));

    stamp.timestamp = MakePackedTimestamp(2100, 12, 31, 23, 59);
    EXPECT_EQ(StampDisplay(stamp), "21001231 23:59 ABC");
    EXPECT_EQ(StampCompact(stamp), "210012312359ABC");
    EXPECT_TRUE(ParseStamp(StampCompact(stamp)).Equals(stamp));

    StampedText codeOnly;
    std::memcpy(codeOnly.code, "JS", 3);
    EXPECT_FALSE(codeOnly.IsEmpty());
    EXPECT_EQ(StampDisplay(codeOnly), "JS");
    EXPECT_FALSE(codeOnly.Equals(stamp));
    StampedText other = codeOnly;
    EXPECT_TRUE(other.Equals(codeOnly));
    other.code[1] = 'T';
    EXPECT_FALSE(other.Equals(codeOnly));
    other.Clear();
    EXPECT_TRUE(other.IsEmpty());

    // A code that fills all four bytes (no NUL) is written as its first three.
    StampedText full;
    std::memcpy(full.code, "WXYZ", 4);
    EXPECT_EQ(StampDisplay(full), "WXY");
}

TEST(PackedTimestampTest, NowIsTheLocalTime)
{
    DateTime before;
    GetCurrentDateTime(before);
    PackedTimestamp now = PackedTimestampNow();
    ASSERT_NE(now, 0u);
    EXPECT_GE(now, MakePackedTimestamp(before.year, before.month, before.day, before.hour, before.minute));
}

// Random texts never give an invalid timestamp or stamp, and what is written reads back.
TEST(PackedTimestampTest, RandomTextsGiveValidStamps)
{
    uint32_t state = 99;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    const char alphabet[] = "01234567890123456789-.: AB\xC3\xA9";
    for (int32_t round = 0; round < 50000; ++round) {
        std::vector<char> bytes(next() % 20);
        for (char& b : bytes)
            b = alphabet[next() % (sizeof alphabet - 1)];
        std::string text(bytes.begin(), bytes.end());
        SCOPED_TRACE(text);
        for (int32_t direction : {-1, 1}) {
            PackedTimestamp t = Parse(text, direction);
            if (t == 0)
                continue;
            ASSERT_GE(PackedTimestampMonth(t), 1);
            ASSERT_LE(PackedTimestampMonth(t), 12);
            ASSERT_GE(PackedTimestampDay(t), 1);
            ASSERT_LE(PackedTimestampDay(t), DaysInMonth(PackedTimestampYear(t), PackedTimestampMonth(t)));
            ASSERT_LE(PackedTimestampHour(t), 23);
            ASSERT_LE(PackedTimestampMinute(t), 59);
            ASSERT_EQ(Parse(Compact(t), -direction), t);
            ASSERT_EQ(Parse(Display(t), -direction), t);
        }
        StampedText stamp = ParseStamp(text);
        ASSERT_EQ(stamp.code[3], '\0');
        // A stamp whose code starts with a digit cannot be told from its timestamp; others read back.
        if (stamp.code[0] < '0' || stamp.code[0] > '9') {
            ASSERT_TRUE(ParseStamp(StampCompact(stamp)).Equals(stamp)) << StampCompact(stamp);
        }
    }
}

}  // namespace
}  // namespace vek
