// Tests of BytesToDouble: nearest doubles, tolerant reading, overlong numbers and the writers' texts.
#include "foundation/numbers/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

namespace vek {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Reads exactly the bytes of the text from a heap block of that size, so that the sanitizer sees a
// read past the end.
double ReadExact(const std::string& text)
{
    auto block = std::make_unique<char[]>(text.size() + 1);
    char* bytes = block.get() + 1;  // the byte before is the only slack: nothing after the text
    std::memcpy(bytes, text.data(), text.size());
    return BytesToDouble(bytes, int32_t(text.size()));
}

TEST(BytesToDoubleTest, ReadsTolerantly)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"2e3", 2000.0},
        {"1 234,5", 1234.5},
        {"1,234.50", 1234.5},  // only the last separator is the decimal point
        {"$ 12'345.50 kr", 12345.5},
        {"-5", -5.0},
        {"5-", -5.0},
        {"--5", -5.0},  // "-" makes the number negative; it does not flip the sign
        {"+5", 5.0},
        {"1,5", 1.5},
        {".5", 0.5},
        {"5.", 5.0},
        {"e5", 5.0},  // an "E" before any digit is skipped
        {"1e-3", 0.001},
        {"1E+2", 100.0},
        {"1e", 1.0},
        {"2.5e-1", 0.25},
        {"0", 0.0},
        {"i", kInf},
        {"-i", -kInf},
        {"5I", kInf},
        {"- 12 Infinity", -kInf},
        {"0e999", 0.0},    // no NaN from 0 times an infinite power
        {"1e999", kInf},
        {"1e-999", 0.0},
        {"1e99999999999999999999", kInf},  // the exponent count does not overflow
        {"1.7976931348623157e308", 1.7976931348623157e308},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ReadExact(c.text), c.expected);
        EXPECT_DOUBLE_EQ(TextToDouble(c.text), c.expected);
    }
    // The fraction digits are scaled by repeated tenths, as every version of the reader does; the
    // result is the nearest double or next to it.
    EXPECT_DOUBLE_EQ(ReadExact("1.234.567"), 1234.567);
    EXPECT_TRUE(std::signbit(ReadExact("-0")));
}

TEST(BytesToDoubleTest, NoDigitGivesNaN)
{
    const char* texts[] = {"", "abc", ".", ",", "-", "e", "E-", "kr", " "};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(std::isnan(ReadExact(text)));
        EXPECT_TRUE(std::isnan(TextToDouble(text)));
    }
    EXPECT_TRUE(std::isnan(BytesToDouble(nullptr, 5)));
    EXPECT_TRUE(std::isnan(BytesToDouble("12", -1)));
    EXPECT_TRUE(std::isnan(BytesToDouble(std::string_view())));
    EXPECT_EQ(BytesToDouble(std::string_view("2.5e", 3)), 2.5);
    EXPECT_TRUE(std::isnan(TextToDouble(nullptr)));
}

TEST(BytesToDoubleTest, ReadsOnlyItsBytes)
{
    EXPECT_EQ(BytesToDouble("12345", 2), 12.0);
    EXPECT_EQ(BytesToDouble("1.5e3", 3), 1.5);
    EXPECT_TRUE(std::isnan(BytesToDouble("-7", 1)));
    // A NUL inside the bytes is one more byte to skip.
    EXPECT_EQ(BytesToDouble("1\0" "2", 3), 12.0);
}

// Numbers far beyond the range of a double end as infinities or zeros, never as NaN.
// Amounts must read back as the value that was written: the conversion is correctly rounded.
TEST(BytesToDoubleTest, ReadsTheNearestDouble)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"0.3", 0.3},           {"0,1", 0.1},         {"1 234,56", 1234.56},   {"-0.07", -0.07},
        {"123456.789", 123456.789}, {"1.7976931348623157e308", 1.7976931348623157e308},
        {"4.9e-324", 4.9e-324}, {"1.234.567", 1234.567}, {"2e3", 2000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadExact(c.text), c.expected);
    }
    std::mt19937_64 random(77);
    for (int i = 0; i < 20000; ++i) {
        double value = double(int64_t(random() % 100000000)) / 100.0;
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", value);
        ASSERT_EQ(ReadExact(text), value) << text;
    }
}

// Plain amounts ("-123.45") take a shorter way than other texts; whatever the count of digits, the
// place of the point and the leading zeros, they read as the correctly rounded value.
TEST(BytesToDoubleTest, PlainDecimalsAreCorrectlyRounded)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"123456789012345", 123456789012345.0},     // 15 digits
        {"1234567890123456", 1234567890123456.0},   // 16: the general reading
        {"0.000000000000001", 1e-15},               {"0.0000000000000001", 1e-16},
        {"000000000000000000001.5", 1.5},           // leading zeros are no digits
        {"-0.07", -0.07},  {"5.", 5.0},  {".5", 0.5},  {"-.5", -0.5},
        {"1.2.3", 12.3},   // a second separator: the general reading
        {"12-", -12.0},    {"-1e2", -100.0},  {"1,5", 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadExact(c.text), c.expected);
    }
    EXPECT_TRUE(std::signbit(ReadExact("-0.00")));
    std::mt19937_64 random(3945);
    for (int i = 0; i < 50000; ++i) {
        int digits = 1 + int(random() % 18);
        std::string text = random() % 2 ? "-" : "";
        for (int d = 0; d < digits; ++d)
            text += char('0' + random() % 10);
        size_t point = random() % (text.size() + 1);
        if (point >= (text[0] == '-' ? 1u : 0u))
            text.insert(point, ".");
        ASSERT_EQ(ReadExact(text), std::strtod(text.c_str(), nullptr)) << text;
    }
}

TEST(BytesToDoubleTest, OverlongNumbers)
{
    std::string digits(400, '9');
    EXPECT_EQ(ReadExact(digits), kInf);
    // The digits are converted with their exponent, so an overlong mantissa does not overflow on
    // its way to a value that fits.
    EXPECT_EQ(ReadExact(digits + "e-400"), 1.0);
    EXPECT_EQ(ReadExact("1e-400"), 0.0);
    std::string zeros = "0." + std::string(400, '0');
    EXPECT_EQ(ReadExact(zeros + "1"), 0.0);
    // Once the fraction's scale has vanished, a later separator turns the zeros into integer digits
    // (0/0 would be NaN): the last separator is still the decimal point.
    EXPECT_EQ(ReadExact(zeros + ".5"), 0.5);
}

// What the general format writes with 15 digits reads back within that precision, whatever the
// separators; the fixed format within half a unit of its last decimal.
TEST(BytesToDoubleTest, RoundTripsTheWriters)
{
    SeparatorPair saved = GetSeparators();
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    std::uniform_int_distribution<int> smallExponent(-6, 8);
    const SeparatorPair separators[] = {{u'.', u' '}, {u',', u'.'}, {u',', 0x00A0}};
    for (const SeparatorPair& pair : separators) {
        SetSeparators(pair);
        NumberFormat general;
        for (int i = 0; i < 20000; ++i) {
            double value = mantissa(random) * std::pow(10.0, exponent(random));
            if (i % 2)
                value = -value;
            char buffer[kMaxNumberTextBytes];
            char* cursor = buffer;
            CursorPutDouble(cursor, value, general);
            std::string text(buffer, size_t(cursor - buffer));
            double back = ReadExact(text);
            ASSERT_NEAR(back, value, std::fabs(value) * 1e-14) << text;
        }
        // Without decimals a thousands separator "." or "," cannot be told from a decimal point.
        bool ambiguous = pair.thousandsSeparator == u'.' || pair.thousandsSeparator == u',';
        for (int decimals = ambiguous ? 1 : 0; decimals <= 6; ++decimals) {
            NumberFormat fixed;
            fixed.mode = NumberMode::Fixed;
            fixed.decimals = decimals;
            for (int i = 0; i < 2000; ++i) {
                double value = mantissa(random) * std::pow(10.0, smallExponent(random));
                char buffer[kMaxNumberTextBytes];
                char* cursor = buffer;
                CursorPutDouble(cursor, value, fixed);
                std::string text(buffer, size_t(cursor - buffer));
                double unit = std::pow(10.0, -decimals);
                ASSERT_NEAR(ReadExact(text), value, 0.50002 * unit + value * 1e-15) << text;
            }
        }
    }
    SetSeparators(saved);
}

}  // namespace
}  // namespace vek
