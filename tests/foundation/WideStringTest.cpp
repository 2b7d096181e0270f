// Tests of WideString: growth and its cap, whole surrogate pairs, UTF-8 conversion and accents.
#include "foundation/strings/WideString.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

std::u16string Units(const WideString& w)
{
    return std::u16string(w.Units(), static_cast<std::size_t>(w.Length()));
}

class WideStringTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

TEST_F(WideStringTest, GrowthAndItsCap)
{
    WideString w;
    EXPECT_EQ(w.Length(), 0);
    EXPECT_EQ(w.Capacity(), 111);
    EXPECT_EQ(w.Units()[0], 0);
    for (int i = 0; i < 111; ++i)
        w.AppendUnit(u'a');
    EXPECT_FALSE(w.HasHeapBuffer());
    w.AppendUnit(u'b');
    EXPECT_EQ(w.Capacity(), 139);  // 140 units for 112
    EXPECT_EQ(w.Units()[112], 0);

    struct Case {
        int32_t wanted;
        int32_t result;
        int32_t capacity;
    } cases[] = {{111, 111, 111}, {112, 112, 139}, {32500, 32500, 32527}, {32501, 32500, 32527}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        WideString fresh;
        EXPECT_EQ(fresh.Reserve(c.wanted), c.result);
        EXPECT_EQ(fresh.Capacity(), c.capacity);
    }

    // 40000 characters keep the first 32500 (the buffer holds up to its capacity for refusing appends).
    std::string many(40000, 'x');
    WideString big;
    big.AssignUtf8(many.c_str());
    EXPECT_EQ(big.Length(), 32500);
    while (big.Length() < big.Capacity())
        big.AppendUnit(u'y');
    big.AppendUnit(u'z');
    EXPECT_EQ(big.Length(), 32527);
    EXPECT_EQ(big.Units()[32527], 0);

    MemFailAllocationsAfter(0);
    WideString failing;
    failing.AssignUtf8(std::string(200, 'q').c_str());
    EXPECT_EQ(failing.Length(), 111);
}

TEST_F(WideStringTest, Utf8ConversionNeverEmptiesTheText)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::u16string units;
    } cases[] = {
        {"letters", "a\xC3\xA9\xE2\x82\xAC", u"a\u00E9\u20AC"},
        {"four bytes", "a\xF0\x9F\x98\x80" "b", u"a\uFFFDb"},
        {"bad byte", "a\xFF" "b", u"a\uFFFDb"},
        {"cut short", "ab\xE2\x82", u"ab\uFFFD\uFFFD"},
        {"empty", "", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WideString w;
        w.AssignUtf8(c.utf8.c_str());
        EXPECT_EQ(Units(w), c.units);
        WideString bytes;
        bytes.AssignUtf8Bytes(c.utf8.data(), static_cast<int32_t>(c.utf8.size()));
        EXPECT_EQ(Units(bytes), c.units);
    }
    WideString w;
    w.AssignUtf8(nullptr);
    EXPECT_EQ(w.Length(), 0);
    w.AssignUtf8("ab");
    w.AppendUtf8(nullptr);
    w.AppendUtf8("c");
    WideString other;
    other.Assign(w);
    other.Append(other);
    EXPECT_EQ(Units(other), u"abcabc");

    // Round trip through String.
    w.AssignUtf8("Gr\xC3\xBC\xC3\x9F" "e");
    String s;
    s.AssignWide(w);
    EXPECT_STREQ(s.CStr(), "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST_F(WideStringTest, TruncationKeepsSurrogatePairsWhole)
{
    WideString pairs;
    pairs.Reserve(32500);
    for (int i = 0; i < 16300; ++i) {
        pairs.AppendUnit(0xD83D);
        pairs.AppendUnit(0xDE00);
    }
    ASSERT_EQ(pairs.Length(), 32527);  // the last unit did not fit
    WideString w;
    w.AppendUnit(u'x');
    w.Append(pairs);  // 32499 units fit: the pair cut by the cap is left out whole
    EXPECT_EQ(w.Length(), 32499);
    EXPECT_EQ(w.Units()[32498], 0xDE00);
}

TEST_F(WideStringTest, RemoveAtAndComposeAccents)
{
    WideString w;
    w.AssignUtf8("abc");
    w.RemoveAt(1);
    w.RemoveAt(5);
    w.RemoveAt(-1);
    EXPECT_EQ(Units(w), u"ac");

    w.AssignUtf8("Cafe\xCC\x81 A\xCC\x8A W\xCC\x80");
    w.ComposeAccents();
    EXPECT_EQ(Units(w), u"Caf\u00E9 \u00C5 W\u0300");
}

}  // namespace
}  // namespace vek
