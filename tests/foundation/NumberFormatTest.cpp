// Tests of NumberFormat and CursorWriters: each number mode, separators, bounds and integer writers.
#include "foundation/numbers/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The writers share process-wide separators; every test starts from the start-up state and puts it back.
class NumberFormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = GetSeparators();
        SetSeparators(SeparatorPair());
        savedScaled = ScaledDisplay();
        SetScaledDisplay(true);
    }
    void TearDown() override
    {
        SetSeparators(saved);
        SetScaledDisplay(savedScaled);
        MainNumberFormat() = NumberFormat();
        SecondNumberFormat() = NumberFormat();
    }

private:
    SeparatorPair saved;
    bool savedScaled = true;
};

// Runs a writer into a buffer full of a canary byte and gives back what it wrote; fails when it
// advanced the cursor by more than `bound` bytes or touched any byte from `bound` on.
template <typename Writer>
std::string Written(Writer&& write, int32_t bound)
{
    constexpr int32_t kSize = 256;
    char buffer[kSize];
    std::memset(buffer, 0x7F, sizeof buffer);
    char* cursor = buffer;
    write(cursor);
    auto n = int32_t(cursor - buffer);
    EXPECT_LE(n, bound);
    for (int32_t i = bound; i < kSize; ++i) {
        if (buffer[i] != 0x7F) {
            ADD_FAILURE() << "byte " << i << " written beyond the bound";
            break;
        }
    }
    return std::string(buffer, size_t(n));
}

std::string DoubleText(double value, const NumberFormat& format)
{
    return Written([&](char*& cursor) { CursorPutDouble(cursor, value, format); }, kMaxNumberTextBytes);
}

NumberFormat Format(NumberMode mode, int32_t digits, char16_t thousands = kProcessSeparator,
                    char16_t decimal = kProcessSeparator)
{
    NumberFormat format;
    format.mode = mode;
    if (mode == NumberMode::Fixed)
        format.decimals = digits;
    else if (mode != NumberMode::General)
        format.significantDigits = digits;
    format.thousandsSeparator = thousands;
    format.decimalSeparator = decimal;
    return format;
}

TEST_F(NumberFormatTest, CursorPutDoubleWritesEachMode)
{
    const NumberFormat general;
    struct Case {
        double value;
        NumberFormat format;
        const char* expected;
    };
    const Case cases[] = {
        // The documented cases.
        {1234.5, Format(NumberMode::Fixed, 2), "1 234.50"},
        {-0.001, Format(NumberMode::Fixed, 2), "0"},  // all digits 0: the sign goes too
        {1e15, Format(NumberMode::Fixed, 3), "1E+15"},
        {0.01, general, "0.01"},
        {0.001, general, "1E-3"},
        {1234567890, general, "1234567890"},
        {12345678901.0, general, "1.2345678901E+10"},
        {12345, Format(NumberMode::Engineering, 3), "12.3E+003"},
        {1.5e12, general, "1.5E+12"},
        {2e-5, general, "2E-5"},
        // Classes.
        {0.0, general, "0"},
        {-0.0, Format(NumberMode::Fixed, 2), "0"},
        {kNaN, general, ""},
        {kInf, general, "+inf"},
        {-kInf, Format(NumberMode::Scientific, 3), "-inf"},
        {1.5e308, general, "+inf"},  // beyond 1e308 counts as infinite
        {1e308, general, "1E+308"},
        // General: 15 digits, trailing zeros removed, fixed from 1e-2 up to 1e10.
        {0.05, general, "0.05"},
        {0.5, general, "0.5"},
        {100, general, "100"},
        {-7, general, "-7"},
        {0.1 + 0.2, general, "0.3"},
        {123456789.123, general, "123456789.123"},
        {1234567890.5, general, "1234567890.5"},
        {99999.99999999999, general, "100000"},  // the rounding carries into a new digit
        {0.012345678901234567, general, "0.0123456789012346"},
        {1e100, general, "1E+100"},
        {-1e-100, general, "-1E-100"},
        // Fixed: rounding adds 0.50001 units of the last decimal.
        {0.005, Format(NumberMode::Fixed, 2), "0.01"},
        {2.675, Format(NumberMode::Fixed, 2), "2.68"},  // stored as 2.67499999...
        {0.5, Format(NumberMode::Fixed, 0), "1"},
        {-0.5, Format(NumberMode::Fixed, 0), "-1"},
        {0.4, Format(NumberMode::Fixed, 0), "0"},
        {999.996, Format(NumberMode::Fixed, 2), "1 000.00"},
        {0.000123, Format(NumberMode::Fixed, 5), "0.000 12"},
        {1234567.891, Format(NumberMode::Fixed, 2, u','), "1,234,567.89"},
        {1.23456, Format(NumberMode::Fixed, 5, u','), "1.234 56"},  // a blank in the fraction
        {1234.5678, Format(NumberMode::Fixed, 4, u' '), "1 234.567 8"},
        {1234.5678, Format(NumberMode::Fixed, 4, 0), "1234.5678"},
        {1234.5, Format(NumberMode::Fixed, 2, u'.', u','), "1.234,50"},
        {-1234.5, Format(NumberMode::Fixed, 1, 0x2009, 0x00B7), "-1\u2009234\u00B75"},
        // Fixed beyond its limits: exponent form with min(15, e + significantDigits + 1) digits.
        {1e20, Format(NumberMode::Fixed, 2), "1E+20"},
        {12.5, Format(NumberMode::Fixed, 15), "1.25E+1"},
        {123456789012345.67, Format(NumberMode::Fixed, 2), "1.23456789012346E+14"},
        // Scientific and engineering keep their trailing zeros and a three-digit exponent.
        {1234, Format(NumberMode::Scientific, 3), "1.23E+003"},
        {2, Format(NumberMode::Scientific, 5), "2.0000E+000"},
        {-1e-100, Format(NumberMode::Scientific, 3), "-1.00E-100"},
        {0.0000123, Format(NumberMode::Engineering, 3), "12.3E-006"},
        {12345, Format(NumberMode::Engineering, 4), "12.35E+003"},
        {0.5, Format(NumberMode::Engineering, 3), "500E-003"},
        {9.9996, Format(NumberMode::Scientific, 4), "1.000E+001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(DoubleText(c.value, c.format), c.expected);
    }
}

TEST_F(NumberFormatTest, FixedLimitAndProcessSeparators)
{
    NumberFormat axis = Format(NumberMode::Fixed, 2);
    axis.fixedLimit = 9;
    EXPECT_EQ(DoubleText(123456789, axis), "123 456 789.00");
    EXPECT_EQ(DoubleText(1234567890, axis), "1.23456789E+9");

    SetSeparators({u',', 0x00A0});
    EXPECT_EQ(DoubleText(1234.5, Format(NumberMode::Fixed, 2)), "1\u00A0234,50");
    EXPECT_EQ(DoubleText(0.25, NumberFormat()), "0,25");
    SetSeparators({u'.', 0});
    EXPECT_EQ(DoubleText(1234.5, Format(NumberMode::Fixed, 4)), "1234.5000");
    // A NUL decimal separator would end the text: the point stands in.
    EXPECT_EQ(DoubleText(1.5, Format(NumberMode::Fixed, 1, 0, 0)), "1.5");
}

// Every format, with three-byte separators, stays within kMaxNumberTextBytes; so do formats whose
// fields were set out of range by hand.
TEST_F(NumberFormatTest, CursorPutDoubleNeverWritesMoreThanItsBound)
{
    SetSeparators({0x2396, 0x2009});
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-330, 310);
    std::string longest;
    auto check = [&](double value, const NumberFormat& format) {
        std::string text = DoubleText(value, format);
        if (text.size() > longest.size())
            longest = text;
    };
    const double edges[] = {9.99999999999999e14, 999999999999999.9, 0.999999999999999,
                            -999999999999999.0, 5e-324, 1e308, -1e-300};
    for (int mode = 0; mode <= 3; ++mode) {
        for (int32_t digits = 0; digits <= 15; ++digits) {
            NumberFormat format = Format(NumberMode(mode), digits);
            for (double edge : edges)
                check(edge, format);
            for (int i = 0; i < 300; ++i)
                check(mantissa(random) * std::pow(10.0, exponent(random)) * (i % 2 ? -1 : 1), format);
        }
    }
    NumberFormat wild;
    wild.mode = NumberMode(17);
    wild.generalDigits = 99;
    check(-123.456, wild);
    wild.mode = NumberMode::Fixed;
    wild.decimals = 1000;
    wild.fixedLimit = 1000;
    check(-123.456, wild);
    wild.mode = NumberMode::Engineering;
    wild.significantDigits = -4;
    check(-123.456, wild);
    // The longest texts are fixed values with 17 digits and five 3-byte separators.
    EXPECT_GE(longest.size(), 30u) << longest;
}

TEST_F(NumberFormatTest, IntegerWriters)
{
    struct Case {
        std::string written;
        const char* expected;
    };
    auto put = [](auto write, int32_t bound) { return Written(write, bound); };
    SetSeparators({u'.', 0x2009});
    const Case cases[] = {
        {put([](char*& c) { CursorPutInt(c, INT32_MIN); }, kMaxIntTextBytes), "-2147483648"},
        {put([](char*& c) { CursorPutInt(c, 0); }, kMaxIntTextBytes), "0"},
        {put([](char*& c) { CursorPutInt16(c, -32768); }, kMaxInt16TextBytes), "-32768"},
        {put([](char*& c) { CursorPutInt64(c, INT64_MIN); }, kMaxInt64TextBytes), "-9223372036854775808"},
        {put([](char*& c) { CursorPutIntDigits(c, 7, 3); }, MaxDigitsTextBytes(3)), "007"},
        {put([](char*& c) { CursorPutIntDigits(c, 123456, 4); }, MaxDigitsTextBytes(4)), "3456"},
        {put([](char*& c) { CursorPutIntDigits(c, -5, 3); }, MaxDigitsTextBytes(3)), "-005"},
        {put([](char*& c) { CursorPutIntDigits(c, 5, 0); }, MaxDigitsTextBytes(0)), "5"},
        {put([](char*& c) { CursorPutIntDigits(c, INT32_MIN, 12); }, MaxDigitsTextBytes(12)), "-002147483648"},
        {put([](char*& c) { CursorPutInt16Digits(c, -32768, 2); }, MaxDigitsTextBytes(2)), "-68"},
        {put([](char*& c) { CursorPutInt64Digits(c, 42, 6); }, MaxDigitsTextBytes(6)), "000042"},
        {put([](char*& c) { CursorPutIntGrouped(c, 1234567, u' '); }, kMaxIntGroupedTextBytes), "1 234 567"},
        {put([](char*& c) { CursorPutIntGrouped(c, -1234567, u','); }, kMaxIntGroupedTextBytes), "-1,234,567"},
        {put([](char*& c) { CursorPutIntGrouped(c, 123, u','); }, kMaxIntGroupedTextBytes), "123"},
        {put([](char*& c) { CursorPutIntGrouped(c, 1234, 0); }, kMaxIntGroupedTextBytes), "1234"},
        {put([](char*& c) { CursorPutIntGrouped(c, 1000, kProcessSeparator); }, kMaxIntGroupedTextBytes),
         "1\u2009000"},
        {put([](char*& c) { CursorPutIntGrouped(c, INT32_MIN, 0x2009); }, kMaxIntGroupedTextBytes),
         "-2\u2009147\u2009483\u2009648"},
        {put([](char*& c) { CursorPutInt64Grouped(c, INT64_MIN, 0x2009); }, kMaxInt64GroupedTextBytes),
         "-9\u2009223\u2009372\u2009036\u2009854\u2009775\u2009808"},
        {put([](char*& c) { CursorPut2Digits(c, 7); }, 2), "07"},
        {put([](char*& c) { CursorPut3Digits(c, 5); }, 3), "005"},
        {put([](char*& c) { CursorPut3Digits(c, 999); }, 3), "999"},
        {put([](char*& c) { CursorPut2Digits(c, 1234); }, 2), "34"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(c.written, c.expected);
    }
}

TEST_F(NumberFormatTest, TextWriters)
{
    String text;
    text.AssignCStr("abc");
    HeapText heap = NewHeapText("heap");
    EXPECT_EQ(Written([](char*& c) { CursorPutCStr(c, nullptr); }, 0), "");
    EXPECT_EQ(Written([](char*& c) { CursorPutCStr(c, "x"); }, 1), "x");
    EXPECT_EQ(Written([](char*& c) { CursorPutBytes(c, "xyz", 0); }, 0), "");
    EXPECT_EQ(Written([](char*& c) { CursorPutBytes(c, "xyz", 2); }, 2), "xy");
    EXPECT_EQ(Written([&](char*& c) { CursorPutString(c, text); }, 3), "abc");
    EXPECT_EQ(Written([&](char*& c) { CursorPutHeapText(c, heap); }, 4), "heap");
    EXPECT_EQ(Written([](char*& c) { CursorPutHeapText(c, nullptr); }, 0), "");
    EXPECT_EQ(Written([](char*& c) { CursorPutLoadedText(c, 0); }, 0), "");
    EXPECT_EQ(Written([](char*& c) { CursorPutLoadedText(c, 40000); }, 0), "");  // no such text
    EXPECT_EQ(Written([](char*& c) { CursorPutLoadedText(c, text::kCancel); }, 10), "Cancel");
    EXPECT_EQ(Written([](char*& c) { CursorPutUtf8Char(c, 'A'); }, 1), "A");
    EXPECT_EQ(Written([](char*& c) { CursorPutUtf8Char(c, 0xE9); }, 2), "\u00E9");
    EXPECT_EQ(Written([](char*& c) { CursorPutUtf8Char(c, 0x20AC); }, kMaxUtf8CharBytes), "\u20AC");
    EXPECT_EQ(Written([](char*& c) { CursorPutUtf8Char(c, 0xD800); }, kMaxUtf8CharBytes), "\uFFFD");
    EXPECT_EQ(Written([](char*& c) { CursorPutUtf8Char(c, 0x1F600); }, kMaxUtf8CharBytes), "\uFFFD");
    SetHeapText(heap, nullptr);
}

TEST_F(NumberFormatTest, HexAndDigitBuffers)
{
    char buffer[kMaxHexTextBytes + 8];
    IntToHex(buffer, 255, 4);
    EXPECT_STREQ(buffer, "00FF");
    IntToHex(buffer, 255, 1);
    EXPECT_STREQ(buffer, "F");
    IntToHex(buffer, 0xDEADBEEF, 8);
    EXPECT_STREQ(buffer, "DEADBEEF");
    std::memset(buffer, 0x7F, sizeof buffer);
    IntToHex(buffer, 0x12345678, 12);  // more than 8 digits are not there to write
    EXPECT_STREQ(buffer, "12345678");
    EXPECT_EQ(buffer[kMaxHexTextBytes], 0x7F);
    IntToHex(buffer, 1, 0);
    EXPECT_STREQ(buffer, "");

    char digits[20];
    DoubleToDigits(digits, 3.14159, 4);
    EXPECT_STREQ(digits, "3141");
    DoubleToDigits(digits, 9.99, 3);
    EXPECT_STREQ(digits, "999");
    DoubleToDigits(digits, kNaN, 3);  // out of contract: clamped, never a wild character
    EXPECT_STREQ(digits, "000");
    DoubleToDigits(digits, 12.0, 2);
    EXPECT_STREQ(digits, "99");
    DoubleToDigits(digits, 5.0, 0);
    EXPECT_STREQ(digits, "");
}

TEST_F(NumberFormatTest, FormatTextReadsAndWrites)
{
    struct Case {
        const char* text;
        NumberMode mode;
        int32_t decimals;
        int32_t significant;
        const char* written;
    };
    const Case cases[] = {
        {"F2", NumberMode::Fixed, 2, 3, "F2"},
        {"F20", NumberMode::Fixed, 15, 3, "F15"},
        {"F2.5", NumberMode::Fixed, 3, 3, "F3"},  // the number is read rounded
        {"F", NumberMode::Fixed, 0, 3, "F0"},
        {"E5", NumberMode::Scientific, 0, 5, "E5"},
        {"S2", NumberMode::Engineering, 0, 3, "S3"},
        {"S99", NumberMode::Engineering, 0, 15, "S15"},
        {"", NumberMode::General, 0, 3, ""},
        {"X5", NumberMode::General, 0, 3, ""},
        {"f2", NumberMode::General, 0, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NumberFormat format;
        format.fixedLimit = 9;
        format.generalDigits = 7;
        format.ParseCStr(c.text);
        EXPECT_EQ(format.mode, c.mode);
        EXPECT_EQ(format.decimals, c.decimals);
        EXPECT_EQ(format.significantDigits, c.significant);
        EXPECT_EQ(format.fixedLimit, c.mode == NumberMode::Fixed ? 15 : 9);
        EXPECT_EQ(format.generalDigits, c.mode == NumberMode::General ? 15 : 7);
        char buffer[kMaxNumberFormatTextBytes + 1];
        format.Format(buffer);
        EXPECT_STREQ(buffer, c.written);
    }
    NumberFormat format;
    format.Parse("F12", 2);  // only n bytes count
    EXPECT_EQ(format.decimals, 1);
    format.ParseCStr(nullptr);
    EXPECT_EQ(format.mode, NumberMode::General);
    format.SetDecimals(-3);
    EXPECT_EQ(format.decimals, 0);
    format.SetSignificantDigits(40);
    EXPECT_EQ(format.significantDigits, 15);
    format.mode = NumberMode::Fixed;
    format.decimals = 400;  // set by hand: written clamped, within the bound
    EXPECT_EQ(Written([&](char*& c) { format.CursorPut(c); }, kMaxNumberFormatTextBytes), "F15");
}

TEST_F(NumberFormatTest, FormatScaledNumberStyles)
{
    SecondNumberFormat().mode = NumberMode::Scientific;
    struct Case {
        double value;
        int32_t style;
        bool scaled;
        const char* expected;
    };
    const Case cases[] = {
        {1234.5, 2, true, "1 234.50"},
        {1234.5, 0, true, "1 235"},
        {1234.5, -3, true, "1 235"},
        {1234.5, 7, true, "1.23E+003"},  // the second format as it stands
        {1234567, 8, true, "1 235'"},
        {1234567, 9, true, "1\""},
        {1234567, 8, false, "1 234 567"},
        {1234567, 9, false, "1 234 567"},
        {kInf, 8, true, "+inf"},  // no unit after a value that is not finite
        {kNaN, 9, true, ""},
        {1.5, 12, true, "1.500 000 000 000"},
        {0.25, 20, true, "0.250 000 000 000 000"},
    };
    String text;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        SetScaledDisplay(c.scaled);
        text.AssignCStr("old");
        FormatScaledNumber(text, c.value, c.style);
        EXPECT_STREQ(text.CStr(), c.expected);
    }
}

TEST_F(NumberFormatTest, ZeroAndRoundingHelpers)
{
    EXPECT_EQ(ZeroIfNegligible(5.1e-7), 0.0);
    EXPECT_EQ(ZeroIfNegligible(-5.1e-7), 0.0);
    EXPECT_EQ(ZeroIfNegligible(5.2e-7), 5.2e-7);
    EXPECT_EQ(ZeroIfNegligible(3.0), 3.0);
    EXPECT_EQ(ZeroIfNegligible(kNaN), 0.0);
    EXPECT_EQ(ZeroIfNegligible(-kInf), 0.0);

    struct Case {
        double value;
        int32_t decimals;
        double expected;
    };
    const Case cases[] = {
        {0.004, 2, 0.0},   {0.005, 2, 0.005}, {-0.04, 1, 0.0},  {-0.05, 1, -0.05},
        {0.3, 0, 0.0},     {0.5, 0, 0.5},     {4e-7, 6, 0.0},   {5e-7, 6, 5e-7},
        {4e-7, 7, 4e-7},   {0.3, 9, 0.0},     {0.3, -1, 0.0},   {1234.5678, 3, 1234.5678},
        {kNaN, 7, 0.0},    {kInf, 3, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " with " << c.decimals);
        EXPECT_EQ(RoundToDecimals(c.value, c.decimals), c.expected);
    }

    EXPECT_EQ(ZeroIfOutOfRange(kNaN), 0.0);
    EXPECT_EQ(ZeroIfOutOfRange(1.5e308), 0.0);
    EXPECT_EQ(ZeroIfOutOfRange(-kInf), 0.0);
    EXPECT_EQ(ZeroIfOutOfRange(1e308), 1e308);
    EXPECT_EQ(ZeroIfOutOfRange(-5.0), -5.0);
}

// Sums of amounts are rounded with this, so that 0.1 + 0.2 shows and compares as 0.3 and a typed
// half (stored a little below it) still rounds away from zero.
TEST_F(NumberFormatTest, RoundingHalfAwayGivesTheNearestDoubleOfTheDecimal)
{
    struct Case {
        double value;
        int32_t decimals;
        double expected;
    };
    const Case cases[] = {
        {0.1 + 0.2, 2, 0.3},   {1.005, 2, 1.01},   {-2.675, 2, -2.68},    {2.5, 0, 3.0},
        {-2.5, 0, -3.0},       {2.4999, 0, 2.0},   {0.0049, 2, 0.0},      {-0.004, 2, 0.0},
        {1234.5678, 3, 1234.568}, {0.1 + 0.2, 7, 0.1 + 0.2}, {1.25, 9, 1.0}, {1.5, -1, 2.0},
        {1e17 + 64.0, 2, 1e17 + 64.0}, {0.45, 1, 0.5}, {1.0000005, 6, 1.000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " with " << c.decimals);
        EXPECT_EQ(RoundHalfAwayToDecimals(c.value, c.decimals), c.expected);
    }
    EXPECT_FALSE(std::signbit(RoundHalfAwayToDecimals(-0.004, 2))) << "no negative zero";
    EXPECT_TRUE(std::isnan(RoundHalfAwayToDecimals(kNaN, 2)));
    EXPECT_EQ(RoundHalfAwayToDecimals(-kInf, 2), -kInf);
}

TEST_F(NumberFormatTest, SeparatorsAreReplacedTogether)
{
    SeparatorPair start = GetSeparators();
    EXPECT_EQ(start.decimalSeparator, u'.');
    EXPECT_EQ(start.thousandsSeparator, u' ');
    SetSeparators({u',', u'.'});
    EXPECT_EQ(GetSeparators().decimalSeparator, u',');
    EXPECT_EQ(GetSeparators().thousandsSeparator, u'.');
}

}  // namespace
}  // namespace vek

namespace vek {
namespace {

// Every digit count, at and around each power of ten, in both signs, as the standard library writes it.
TEST(CursorWriterDigits, IntegersAroundEveryPowerOfTen)
{
    uint64_t power = 1;
    for (int digits = 1; digits <= 19; ++digits, power *= 10) {
        for (int64_t delta : {-1, 0, 1}) {
            int64_t value = int64_t(power) + delta;
            for (int64_t signedValue : {value, -value}) {
                char buffer[kMaxInt64TextBytes + 1];
                char* cursor = buffer;
                CursorPutInt64(cursor, signedValue);
                ASSERT_EQ(std::string(buffer, cursor), std::to_string(signedValue));
                if (signedValue >= INT32_MIN && signedValue <= INT32_MAX) {
                    cursor = buffer;
                    CursorPutInt(cursor, int32_t(signedValue));
                    ASSERT_EQ(std::string(buffer, cursor), std::to_string(signedValue));
                }
            }
        }
    }
}

}  // namespace
}  // namespace vek
