// Tests of IntegerText: tolerant reading, overlong numbers, bounded bytes and check digits.
#include "foundation/numbers/IntegerText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace vek {
namespace {

TEST(IntegerTextTest, TextToIntRoundedReadsTolerantly)
{
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"", 0},
        {"42", 42},
        {"-12.5", -13},
        {"12.5", 13},
        {"1,234", 1234},
        {"7.49", 7},    // only the first decimal rounds
        {"7.51", 8},
        {"--3", 3},     // every "-" flips the sign
        {"3-", -3},
        {"kr 1 000", 1000},
        {".5", 1},
        {"2.x9", 3},    // non-digits after the point are skipped until a digit
        {"2.", 2},
        {"2.3.9", 2},   // the rest after the rounding digit is ignored
        {"-0.4", 0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToIntRounded(c.text), c.expected);
        EXPECT_EQ(BytesToIntRounded(c.text, int32_t(std::strlen(c.text))), c.expected);
        EXPECT_EQ(TextToInt64Rounded(c.text), c.expected);
    }
    EXPECT_EQ(TextToIntRounded(nullptr), 0);
    EXPECT_EQ(TextToInt64Rounded("9000000000.5"), 9000000001LL);
}

TEST(IntegerTextTest, BytesToIntRoundedReadsOnlyItsBytes)
{
    // The count, not a NUL, ends the bytes: nothing after them is read, and a NUL inside is skipped.
    const char bytes[] = {'1', '2', '.', '7', '9'};
    EXPECT_EQ(BytesToIntRounded(bytes, 2), 12);
    EXPECT_EQ(BytesToIntRounded(bytes, 3), 12);
    EXPECT_EQ(BytesToIntRounded(bytes, 4), 13);
    EXPECT_EQ(BytesToIntRounded(bytes, 0), 0);
    const char withNul[] = {'1', '\0', '2'};
    EXPECT_EQ(BytesToIntRounded(withNul, 3), 12);
    EXPECT_EQ(BytesToIntRounded(std::string_view(bytes, 4)), 13);
    EXPECT_EQ(BytesToIntRounded(std::string_view()), 0);
    // Bytes in a heap block of exactly their count: AddressSanitizer reports a read beyond it.
    for (const char* text : {"7", "12.", "3.4", "-9.99", "1,5"}) {
        size_t n = std::strlen(text);
        std::unique_ptr<char[]> bytes(new char[n]);
        std::memcpy(bytes.get(), text, n);
        (void)BytesToIntRounded(bytes.get(), int32_t(n));
    }
}

TEST(IntegerTextTest, OverlongNumbersWrapWithoutFailing)
{
    // 2^32 + 5 wraps to 5 in 32 bits; the sanitizer checks that no signed overflow happens.
    EXPECT_EQ(TextToIntRounded("4294967301"), 5);
    std::string digits(200, '9');
    (void)TextToIntRounded(digits.c_str());
    (void)TextToInt64Rounded(digits.c_str());
}

TEST(IntegerTextTest, ReferenceCheckDigit)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"1234", '4'},       // 4x7 + 3x3 + 2x1 + 1x7 = 46
        {"12 34", '4'},      // blanks, "-", "_" and control bytes are skipped
        {"1-2_3\t4", '4'},
        {"12a4", 0},         // the number 0, not the character
        {"", '0'},
        {"9", '7'},          // 9x7 = 63
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReferenceCheckDigit(c.text), c.expected);
    }
    EXPECT_TRUE(ReferenceCheckDigitValid("12344"));
    EXPECT_TRUE(ReferenceCheckDigitValid("1234 4"));
    EXPECT_FALSE(ReferenceCheckDigitValid("12345"));
    EXPECT_FALSE(ReferenceCheckDigitValid("4"));
    EXPECT_FALSE(ReferenceCheckDigitValid(nullptr));
}

TEST(IntegerTextTest, CheckDigitOfVeryLongNumbersStaysADigit)
{
    // Beyond 9000 the weighted sum would make the plain (9000 - sum) mod 10 negative.
    std::string digits(3000, '9');
    int digit = ReferenceCheckDigit(digits.c_str());
    EXPECT_GE(digit, '0');
    EXPECT_LE(digit, '9');
    // 1000 groups of 9x(7+3+1) = 99000; the digit that completes it to a multiple of 10 is 0.
    EXPECT_EQ(digit, '0');
}

}  // namespace
}  // namespace vek
