// Tests of HeapText: exact blocks, empty values as null, reuse of blocks and comparisons.
#include "foundation/strings/HeapText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

// A record's text field, released with the record.
class Field {
public:
    ~Field() { MemFree(text); }
    HeapText text = nullptr;
};

class HeapTextTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

TEST_F(HeapTextTest, BlocksHoldTheTextAndItsNulOnly)
{
    HeapText text = NewHeapText("abc");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(MemBlockSize(text), 4);
    EXPECT_EQ(HeapTextLength(text), 3);
    EXPECT_STREQ(text, "abc");
    HeapText copy = CopyHeapBlock(text);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, "abc");
    MemFree(copy);
    MemFree(text);

    text = NewHeapTextFromBytes("xyz", 2);
    EXPECT_STREQ(text, "xy");
    EXPECT_EQ(MemBlockSize(text), 3);
    MemFree(text);
    text = NewHeapTextChar('q');
    EXPECT_STREQ(text, "q");
    EXPECT_EQ(MemBlockSize(text), 2);
    MemFree(text);

    // No text and the empty text are both null.
    EXPECT_EQ(NewHeapText(""), nullptr);
    EXPECT_EQ(NewHeapText(nullptr), nullptr);
    EXPECT_EQ(NewHeapTextFromBytes("a", 0), nullptr);
    EXPECT_EQ(CopyHeapBlock(nullptr), nullptr);
    EXPECT_EQ(HeapTextLength(nullptr), 0);

    MemFailAllocationsAfter(0);
    EXPECT_EQ(NewHeapText("abc"), nullptr);
    EXPECT_EQ(NewHeapTextChar('a'), nullptr);
}

TEST_F(HeapTextTest, SettersReuseABlockOfTheSameLength)
{
    Field field;
    SetHeapText(field.text, "five5");
    HeapText block = field.text;
    SetHeapText(field.text, "FIVE!");
    EXPECT_EQ(field.text, block);
    EXPECT_STREQ(field.text, "FIVE!");
    SetHeapTextFromBytes(field.text, "12345", 5);
    EXPECT_EQ(field.text, block);
    String s;
    s.AssignCStr("abcde");
    SetHeapTextFromString(field.text, s);
    EXPECT_EQ(field.text, block);
    EXPECT_STREQ(field.text, "abcde");
    SetHeapText(field.text, "sixsix");
    EXPECT_STREQ(field.text, "sixsix");
    EXPECT_EQ(HeapTextLength(field.text), 6);

    // A source inside the old block survives its replacement.
    SetHeapText(field.text, field.text + 2);
    EXPECT_STREQ(field.text, "xsix");

    Field other;
    SetHeapBlock(other.text, field.text);
    EXPECT_STREQ(other.text, "xsix");
    block = other.text;
    SetHeapText(field.text, "abcd");
    SetHeapBlock(other.text, field.text);
    EXPECT_EQ(other.text, block);
    EXPECT_STREQ(other.text, "abcd");

    SetHeapTextChar(field.text, 'a');
    block = field.text;
    SetHeapTextChar(field.text, 'b');
    EXPECT_EQ(field.text, block);
    EXPECT_STREQ(field.text, "b");
}

TEST_F(HeapTextTest, EmptyValuesLeaveTheFieldNull)
{
    struct Case {
        const char* name;
        void (*set)(HeapText&);
    } cases[] = {
        {"SetHeapText empty", [](HeapText& f) { SetHeapText(f, ""); }},
        {"SetHeapText null", [](HeapText& f) { SetHeapText(f, nullptr); }},
        {"SetHeapTextFromBytes", [](HeapText& f) { SetHeapTextFromBytes(f, "x", 0); }},
        {"SetHeapTextFromString", [](HeapText& f) { String s; SetHeapTextFromString(f, s); }},
        {"SetHeapBlock", [](HeapText& f) { SetHeapBlock(f, nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Field field;
        SetHeapText(field.text, "secret");
        c.set(field.text);
        EXPECT_EQ(field.text, nullptr);
    }

    HeapText text = NewHeapText("pass");
    BlankHeapText(text);
    EXPECT_STREQ(text, "    ");
    MemFree(text);
    BlankHeapText(nullptr);

    // When memory runs short the field is left null, never dangling.
    Field field;
    SetHeapText(field.text, "four");
    MemFailAllocationsAfter(0);
    SetHeapText(field.text, "three");
    EXPECT_EQ(field.text, nullptr);
}

TEST_F(HeapTextTest, Comparisons)
{
    HeapText abc = NewHeapText("abc");
    struct Case {
        ConstHeapText text;
        const char* other;
        int32_t exact;
        int32_t noCase;
    } cases[] = {
        {nullptr, "", 0, 0},
        {nullptr, nullptr, 0, 0},
        {nullptr, "a", -1, -1},
        {abc, "abc", 0, 0},
        {abc, "ABC", 1, 0},
        {abc, "abd", -1, -1},
        {abc, "", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text == nullptr ? "null" : c.text) + " / " + (c.other ? c.other : "null"));
        EXPECT_EQ(CompareHeapText(c.text, c.other), c.exact);
        EXPECT_EQ(CompareHeapTextNoCase(c.text, c.other), c.noCase);
        EXPECT_EQ(CompareHeapTextByKind(c.text, c.other, kKeyKindExact), c.exact);
        EXPECT_EQ(CompareHeapTextByKind(c.text, c.other, 2), c.noCase);
    }
    MemFree(abc);

    EXPECT_EQ(CompareTextsNullFirst(nullptr, nullptr), 0);
    EXPECT_EQ(CompareTextsNullFirst(nullptr, ""), -1);
    EXPECT_EQ(CompareTextsNullFirst("", nullptr), 1);
    EXPECT_EQ(CompareTextsNullFirst("b", "a"), 1);
    EXPECT_EQ(CompareTextsNoCaseNullLast(nullptr, "z"), 1);
    EXPECT_EQ(CompareTextsNoCaseNullLast("z", nullptr), -1);
    EXPECT_EQ(CompareTextsNoCaseNullLast(nullptr, nullptr), 0);
    EXPECT_EQ(CompareTextsNoCaseNullLast("A", "a"), 0);
}

}  // namespace
}  // namespace vek
