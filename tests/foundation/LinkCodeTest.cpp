// Tests of LinkCode: the digits, link codes of names, ranges of card keys and older link forms.
#include "foundation/streams/LinkCode.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "foundation/strings/String.h"

namespace vek {
namespace {

std::string Encoded(int32_t number, int32_t count)
{
    char buffer[64];
    EncodeLinkDigits(buffer, number, count);
    return buffer;
}

std::string LinkCodeOf(const char* name)
{
    String text;
    text.AssignCStr(name);
    MakeLinkCode(text);
    return text.CStr();
}

std::string LongLinkCodeOf(const char* name)
{
    String text;
    text.AssignCStr(name);
    MakeLongLinkCode(text);
    return text.CStr();
}

std::string RangeText(int32_t first, int32_t second, LinkRangeSide side)
{
    char buffer[kLinkRangeBufferSize];
    EncodeLinkRange(buffer, first, second, side);
    return buffer;
}

TEST(LinkCodeTest, DigitsAreSixBitsLowestFirst)
{
    struct Case {
        int32_t number;
        int32_t count;
        const char* text;
    };
    const Case cases[] = {
        {0, 4, "0000"},      {9, 1, "9"},   {10, 1, "A"},    {35, 1, "Z"},    {36, 1, "a"},
        {61, 1, "z"},        {62, 1, "*"},  {63, 1, "-"},    {64, 2, "01"},   {253821, 3, "zzz"},
        {262143, 3, "---"},  {65, 1, "1"},  {-1, 3, "---"},  {7, 0, ""},      {7, -2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " in " << c.count);
        EXPECT_EQ(Encoded(c.number, c.count), c.text);
        if (c.count > 0 && c.number >= 0 && c.number < (1 << (6 * c.count))) {
            EXPECT_EQ(DecodeLinkDigits(c.text, c.count), c.number);
        }
    }

    // A short buffer gets what fits before the NUL.
    char small[3] = {'x', 'x', 'x'};
    EncodeLinkDigits(small, 253821, 3);
    EXPECT_STREQ(small, "zz");
}

TEST(LinkCodeTest, DecodingTakesAnyByteByTheSameRules)
{
    struct Case {
        const char* text;
        int32_t count;
        int32_t value;
    };
    const Case cases[] = {
        {"zzz", 3, 61 + 61 * 64 + 61 * 4096},
        {"---", 3, 262143},
        {"1", 3, 1},        // symbols beyond the text add nothing
        {"1z9", 0, 0},
        {"[", 1, 91 - 55},  // outside the alphabet, by the same rules
        {"\xC3", 1, 0},     // a byte above 127 is a negative character
        {"!", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DecodeLinkDigits(c.text, c.count), c.value);
    }
}

// The hashes written out with their fixed rules, for texts of ASCII letters and digits.
int32_t CaseFreeHash(const std::string& text, int32_t m)
{
    int32_t h = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int32_t c = std::toupper(static_cast<unsigned char>(text[i]));
        h = i == 0 ? c % m : (((h << 8) & 0x7fffff00) ^ c) % m;
    }
    return h;
}

int32_t ByteHash(const std::string& text, int32_t m)
{
    int32_t h = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int32_t b = static_cast<unsigned char>(text[i]);
        h = i == 0 ? b % m : (((h << 8) & 0x7fffff00) + b) % m;
    }
    return h;
}

TEST(LinkCodeTest, LinkCodesOfNames)
{
    const char* names[] = {"Budget2024", "Sales by region", "x"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LinkCodeOf(name), Encoded(CaseFreeHash(name, kLinkCodeModulus), 4));
        EXPECT_EQ(LongLinkCodeOf(name), Encoded(ByteHash(name, kLinkCodeModulus), 4) +
                                            Encoded(ByteHash(name, kLongLinkCodeShortModulus), 3));
    }
    EXPECT_EQ(LinkCodeOf("sales by region"), LinkCodeOf("SALES BY REGION"));
    EXPECT_EQ(LinkCodeOf("\xC3\xA5rsbudget"), LinkCodeOf("\xC3\x85RSBUDGET"));  // "årsbudget"
    EXPECT_NE(LongLinkCodeOf("sales"), LongLinkCodeOf("SALES"));
    EXPECT_EQ(LinkCodeOf(""), "0000");
    EXPECT_EQ(LongLinkCodeOf(""), "0000000");
    EXPECT_EQ(LinkCodeOf("anything").size(), 4u);
    EXPECT_EQ(LongLinkCodeOf("anything").size(), 7u);
}

TEST(LinkCodeTest, RangesOfCardKeys)
{
    const int32_t date = (124 << 9) | (1 << 5) | 31;  // a packed date, 18 bits
    std::string dateSymbols = Encoded(date, 3);
    struct Case {
        int32_t second;
        LinkRangeSide side;
        std::string text;
        int32_t decoded;
    };
    const Case cases[] = {
        {1, LinkRangeSide::Start, dateSymbols, 1},
        {kOpenEndCardNumber, LinkRangeSide::End, dateSymbols, kOpenEndCardNumber},
        {1, LinkRangeSide::End, dateSymbols + "1", 1},
        {2, LinkRangeSide::Start, dateSymbols + "2", 2},
        {100, LinkRangeSide::Start, dateSymbols + "a1", 100},
        {5000, LinkRangeSide::End, dateSymbols + "8E1", 5000},
        {kOpenEndCardNumber - 1, LinkRangeSide::Start, dateSymbols + "*----1", kOpenEndCardNumber - 1},
        {0, LinkRangeSide::End, dateSymbols, kOpenEndCardNumber},
        {-5, LinkRangeSide::Start, dateSymbols, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "card " << c.second);
        std::string text = RangeText(date, c.second, c.side);
        EXPECT_EQ(text, c.text);
        LinkRange range = DecodeLinkRange(text, c.side);
        EXPECT_EQ(range.first, date);
        EXPECT_EQ(range.second, c.decoded);
    }
}

TEST(LinkCodeTest, LongCardNumberFormsOfOlderLinksStillRead)
{
    // Older links wrote (number >> 6) + 1 symbols: 5000 took 79, the extra ones high-order zeros.
    std::string older = "zzz8E1" + std::string(76, '0');
    ASSERT_EQ(older.size(), 3u + 79u);
    LinkRange range = DecodeLinkRange(older, LinkRangeSide::Start);
    EXPECT_EQ(range.first, 253821);
    EXPECT_EQ(range.second, 5000);

    // The numbers that took millions of symbols now fit the fixed buffer.
    EXPECT_LE(RangeText(0, 0x7ffffffe, LinkRangeSide::Start).size(), size_t(kLinkRangeBufferSize - 1));
}

}  // namespace
}  // namespace vek
