// Tests of CString: lengths, copies, comparisons, search, case conversion and length-byte strings.
#include "foundation/strings/CString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

// A C string in a heap array of exactly its size, so that the address sanitizer reports any read
// past its NUL.
class ExactText {
public:
    explicit ExactText(const std::string& text) : bytes(new char[text.size() + 1])
    {
        std::memcpy(bytes.get(), text.c_str(), text.size() + 1);
    }
    char* Get() { return bytes.get(); }
    operator const char*() const { return bytes.get(); }

private:
    std::unique_ptr<char[]> bytes;
};

std::string Changed(const std::string& text, void (*change)(char*))
{
    ExactText buffer(text);
    change(buffer.Get());
    return buffer.Get();
}

std::string PStrText(const uint8_t* text)
{
    return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

TEST(CStringTest, CopyLimitedNeverSplitsACharacter)
{
    struct Case {
        std::string source;
        int32_t size;
        int32_t copied;
    } cases[] = {
        {"abcdefgh\xC3\xA9", 10, 8},  // the cut at 9 falls inside the last character
        {"abcdefgh\xC3\xA9", 11, 10},
        {"abcdefg\xE2\x82\xAC", 10, 7},
        {"abcdefg\xE2\x82\xAC", 11, 10},
        {"abc", 1, 0},
        {"abc", 4, 3},
        {"", 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source + " into " + std::to_string(c.size));
        std::string buffer(static_cast<std::size_t>(c.size) + 4, '#');
        EXPECT_EQ(CStrCopyLimited(buffer.data(), c.size, ExactText(c.source)), c.copied);
        EXPECT_EQ(std::string(buffer.c_str()), c.source.substr(0, static_cast<std::size_t>(c.copied)));
        EXPECT_EQ(buffer[static_cast<std::size_t>(c.size)], '#');  // nothing written beyond the buffer
    }
    char untouched[2] = {'#', '#'};
    EXPECT_EQ(CStrCopyLimited(untouched, 0, "abc"), 0);
    EXPECT_EQ(untouched[0], '#');
    EXPECT_EQ(CStrCopyLimited(untouched, 2, nullptr), 0);
    EXPECT_EQ(untouched[0], 0);
}

TEST(CStringTest, CopyLimitedFromAViewStopsAtItsEnd)
{
    const std::string bytes = "ab\xC3\xA9" "cd";
    char buffer[8];
    EXPECT_EQ(CStrCopyLimited(buffer, 8, std::string_view(bytes.data(), 4)), 4);
    EXPECT_STREQ(buffer, "ab\xC3\xA9");
    EXPECT_EQ(CStrCopyLimited(buffer, 4, std::string_view(bytes)), 2);  // never half of a character
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(CStrCopyLimited(buffer, 8, std::string_view()), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(CStringTest, CopiesAndHeapTexts)
{
    char buffer[32];
    char* end = CStrCopy(buffer, "abc");
    EXPECT_EQ(end, buffer + 4);
    CStrAppend(buffer, "de");
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(CStrCopyBytes(buffer, "xyz", 2), buffer + 2);
    EXPECT_STREQ(buffer, "xy");
    EXPECT_EQ(CStrLength("h\xC3\xA9"), 3);

    HeapText heap = NewHeapText("h\xC3\xA9llo");
    EXPECT_EQ(CStrFromHeapText(buffer, heap), 6);
    EXPECT_STREQ(buffer, "h\xC3\xA9llo");
    EXPECT_EQ(CStrFromHeapTextLimited(buffer, 3, heap), 2);  // bytes, no character check
    EXPECT_STREQ(buffer, "h\xC3");
    EXPECT_EQ(CStrFromHeapTextLimitedUtf8(buffer, 3, heap), 1);
    EXPECT_STREQ(buffer, "h");
    EXPECT_EQ(CStrFromHeapText(buffer, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(CStrFromHeapTextLimitedUtf8(buffer, 3, nullptr), 0);
    MemFree(heap);

    struct Case {
        uint32_t codePoint;
        const char* bytes;
    } cases[] = {{'A', "A"}, {0xE9, "\xC3\xA9"}, {0x7FF, "\xDF\xBF"}, {0x20AC, "\xE2\x82\xAC"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePoint);
        EXPECT_EQ(CodePointToCStr(buffer, c.codePoint), CStrLength(c.bytes));
        EXPECT_STREQ(buffer, c.bytes);
    }
}

TEST(CStringTest, CaseConversion)
{
    struct Case {
        const char* name;
        std::string text;
        void (*change)(char*);
        std::string expected;
    } cases[] = {
        {"upper", "abc \xC3\xA9\xC3\xBF \xC7\x86 \xD0\xB0 \xE2\x82\xAC", CStrToUpper,
         "ABC \xC3\x89\xC3\xBF \xC7\x84 \xD0\x90 \xE2\x82\xAC"},
        {"lower", "ABC \xC3\x89 \xC7\x85 \xCE\x91", CStrToLower, "abc \xC3\xA9 \xC7\x86 \xCE\xB1"},
        {"bad bytes do not stop", "a\xFF" "b\xC3" "c", CStrToUpper, "A\xFF" "B\xC3" "C"},
        {"capitalize", "hELLO wORLD", CStrCapitalize, "Hello world"},
        {"capitalize accented", "\xC3\xA9T\xC3\x89", CStrCapitalize, "\xC3\x89t\xC3\xA9"},
        {"title", "o'neil-smith jr.", CStrTitleCase, "O'neil-Smith Jr."},
        {"title separators", "a_b/c (d) 3rd", CStrTitleCase, "A_B/C (D) 3rd"},
        {"empty", "", CStrCapitalize, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Changed(c.text, c.change), c.expected);
    }
    for (int32_t mode : {0, 1, 2, 3, 4, -1}) {
        SCOPED_TRACE(mode);
        ExactText text("aB cD");
        CStrChangeCase(text.Get(), mode);
        const char* expected[] = {"AB CD", "ab cd", "Ab cd", "Ab Cd"};
        EXPECT_STREQ(text, mode >= 0 && mode <= 3 ? expected[mode] : "aB cD");
    }
}

TEST(CStringTest, Comparisons)
{
    struct Case {
        std::string a;
        std::string b;
        int32_t exact;
        int32_t noCase;
    } cases[] = {
        {"abc", "abd", -1, -1},
        {"ab", "abc", -1, -1},
        {"abc", "ab", 1, 1},
        {"", "", 0, 0},
        {"", "a", -1, -1},
        {"ABC", "abc", -1, 0},
        {"\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", -1, 0},
        {"\xC2\x80", "z", 1, 1},  // bytes above 127 order after ASCII
        {"a\xFF", "a\xFE", 1, 1},  // different bad bytes never compare equal
        {"a\xC3", "a\xC3", 0, 0},  // a sequence cut short by the NUL
        {"x\xE2\x82", "x\xE2\x82", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        ExactText a(c.a);
        ExactText b(c.b);
        EXPECT_EQ(CStrCompare(a, b), c.exact);
        EXPECT_EQ(CStrCompareNoCase(a, b), c.noCase);
        EXPECT_EQ(CStrEqual(a, b), c.exact == 0 ? 1 : 0);
        EXPECT_EQ(CStrEqualNoCase(a, b), c.noCase == 0 ? 1 : 0);
        EXPECT_EQ(CStrCompareByKind(a, b, kKeyKindExact), c.exact);
        EXPECT_EQ(CStrCompareByKind(a, b, 0), c.noCase);
        EXPECT_EQ(CStrCompareNoCase(b, a), -c.noCase);
        // The view forms agree, on views that end where the texts end but not at a NUL.
        std::string aBytes = c.a + "\xC3zz";
        std::string bBytes = c.b + "\xA9Zz";
        std::string_view va(aBytes.data(), c.a.size());
        std::string_view vb(bBytes.data(), c.b.size());
        EXPECT_EQ(CStrCompare(va, vb), c.exact);
        EXPECT_EQ(CStrCompareNoCase(va, vb), c.noCase);
        EXPECT_EQ(CStrCompareNoCase(vb, va), -c.noCase);
        EXPECT_EQ(CStrEqual(va, vb), c.exact == 0 ? 1 : 0);
        EXPECT_EQ(CStrEqualNoCase(va, vb), c.noCase == 0 ? 1 : 0);
        EXPECT_EQ(CStrCompareByKind(va, vb, 0), c.noCase);
        EXPECT_EQ(CStrStartsWith(va, vb), CStrStartsWith(a, b));
        EXPECT_EQ(CStrStartsWithNoCase(va, vb), CStrStartsWithNoCase(a, b));
    }
    // In a view a NUL is a character like others.
    using namespace std::string_view_literals;
    EXPECT_EQ(CStrEqualNoCase("a\0b"sv, "A\0B"sv), 1);
    EXPECT_EQ(CStrCompareNoCase("a\0b"sv, "a\0c"sv), -1);
    EXPECT_EQ(CStrCompare("a\0"sv, "a"sv), 1);
    EXPECT_EQ(CStrEqualNullAsEmpty("", nullptr), 1);
    EXPECT_EQ(CStrEqualNullAsEmpty("a", nullptr), 0);
    EXPECT_EQ(CStrEqualNoCaseNullAsEmpty("", nullptr), 1);
    EXPECT_EQ(CStrEqualNoCaseNullAsEmpty("A", "a"), 1);
}

TEST(CStringTest, CompareNoCaseNStopsAtTheEndOfEitherText)
{
    ExactText ab("ab");
    ExactText abc("ABC");
    EXPECT_EQ(CStrCompareNoCaseN(ab, abc, 2), 0);
    EXPECT_EQ(CStrCompareNoCaseN(ab, abc, 3), -1);
    EXPECT_EQ(CStrCompareNoCaseN(ab, ExactText("AB"), 100), 0);  // n beyond both texts
    EXPECT_EQ(CStrCompareNoCaseN(ab, abc, 0), 0);
    EXPECT_EQ(CStrCompareNoCaseN(ab, abc, -5), 0);
}

TEST(CStringTest, StartsWith)
{
    EXPECT_EQ(CStrStartsWith("abc", "ab"), 1);
    EXPECT_EQ(CStrStartsWith("abc", ""), 1);
    EXPECT_EQ(CStrStartsWith("ab", "abc"), 0);
    EXPECT_EQ(CStrStartsWithNoCase(ExactText("\xC3\x89t\xC3\xA9"), ExactText("\xC3\xA9T")), 1);
    EXPECT_EQ(CStrStartsWithNoCase(ExactText("a"), ExactText("AB")), 0);
    EXPECT_EQ(CStrStartsWithNoCase("x", ""), 1);
    EXPECT_EQ(CStrStartsWithByKind("Abc", "ab", kKeyKindExact), 0);
    EXPECT_EQ(CStrStartsWithByKind("Abc", "ab", 1), 1);
}

TEST(CStringTest, Search)
{
    ExactText text("Abc \xC3\xA9t\xC3\xA9 abc");
    EXPECT_EQ(CStrFindChar(text, 'b'), 1);
    EXPECT_EQ(CStrFindChar(text, 'z'), -1);
    EXPECT_EQ(CStrFindChar("", 'a'), -1);
    EXPECT_EQ(CStrFindCodePoint(text, 0xE9), 4);
    EXPECT_EQ(CStrFindCodePointNoCase(text, 0xC9), 4);
    EXPECT_EQ(CStrFindCodePoint(text, 0xC9), -1);
    EXPECT_EQ(CStrFind(text, "abc"), 10);
    EXPECT_EQ(CStrFind(text, ""), 0);
    EXPECT_EQ(CStrFind("", ""), -1);
    EXPECT_EQ(CStrFind("", "a"), -1);
    EXPECT_EQ(CStrFindNoCase(text, ExactText("\xC3\x89T")), 4);
    EXPECT_EQ(CStrFindNoCase(text, "ABC"), 0);
    EXPECT_EQ(CStrFindNoCase(text, ""), -1);
    EXPECT_EQ(CStrFindNoCase("", "a"), -1);
    EXPECT_EQ(CStrFindNoCase(ExactText("ab\xC3"), ExactText("\xC3")), 2);

    const char bytes[] = {'x', 0, 'a', 'B', 'c', 'd'};
    EXPECT_EQ(CStrFindInBytes(bytes, 6, "aB"), 2);
    EXPECT_EQ(CStrFindInBytes(bytes, 3, "aB"), -1);
    EXPECT_EQ(CStrFindInBytes(bytes, 1, "xyz"), -1);
    EXPECT_EQ(CStrFindInBytes(bytes, 6, ""), 0);
    EXPECT_EQ(CStrFindNoCaseInBytes(bytes, 6, "BC"), 3);
    EXPECT_EQ(CStrFindNoCaseInBytes(bytes, 4, "BC"), -1);  // would need a byte past n
    EXPECT_EQ(CStrFindNoCaseInBytes(bytes, 5, "bcd"), -1);
    const char cut[] = {'a', '\xC3'};  // a character cut short by the end of the bytes
    EXPECT_EQ(CStrFindNoCaseInBytes(cut, 2, "\xC3\xA9"), -1);
}

TEST(CStringTest, CleanUp)
{
    struct Case {
        const char* name;
        std::string text;
        int32_t (*change)(char*);
        std::string expected;
    } cases[] = {
        {"line ends", "\r\n\ra  \nb\n\n", CStrNormalizeLineEnds, "a\rb"},
        {"empty lines survive", "a\r\rb\r\n\r\nc", CStrNormalizeLineEnds, "a\r\rb\r\rc"},
        {"controls in lines", "a\tb\x01 \r", CStrNormalizeLineEnds, "ab"},
        {"blanks end only a line", "  \n  ", CStrNormalizeLineEnds, "  "},
        {"strip controls", "a\tb\r\nc\x7F", CStrStripControlChars, "abc\x7F"},
        {"collapse blanks", "  a   b ", CStrCollapseBlanks, " a b "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExactText text(c.text);
        EXPECT_EQ(c.change(text.Get()), static_cast<int32_t>(c.expected.size()));
        EXPECT_EQ(std::string(text), c.expected);
    }
    ExactText set("a-b_c");
    EXPECT_EQ(CStrRemoveChars(set.Get(), "-_"), 3);
    EXPECT_STREQ(set, "abc");
    ExactText dots("a.b.c");
    EXPECT_EQ(CStrReplaceChar(dots.Get(), '.', ','), 5);
    EXPECT_STREQ(dots, "a,b,c");
}

TEST(CStringTest, NumbersIntoBuffers)
{
    char buffer[128];
    EXPECT_EQ(IntToCStr(buffer, -2147483647 - 1), 11);
    EXPECT_STREQ(buffer, "-2147483648");
    EXPECT_EQ(IntDigitsToCStr(buffer, 7, 3), 3);
    EXPECT_STREQ(buffer, "007");
    EXPECT_EQ(Int64ToCStr(buffer, 12345678901LL), 11);
    EXPECT_EQ(Int64DigitsToCStr(buffer, -1, 2), 3);
    EXPECT_STREQ(buffer, "-01");
    IntGroupedToCStr(buffer, -1234567, '.');
    EXPECT_STREQ(buffer, "-1.234.567");
    Int64GroupedToCStr(buffer, 1000, 0);
    EXPECT_STREQ(buffer, "1000");
    // A digit count beyond 100 is taken as 100.
    EXPECT_EQ(IntDigitsToCStr(buffer, 1, 5000), 100);
}

TEST(CStringTest, LengthByteStrings)
{
    uint8_t p[256];
    std::string long300(300, 'x');
    PStrFromCStr(p, long300.c_str());
    EXPECT_EQ(p[0], 255);
    PStrFromCStr(p, nullptr);
    EXPECT_EQ(p[0], 0);

    PStrFromCStr(p, std::string(255, 'a').c_str());
    PStrInsertChar(p, 1, 'b');  // already 255: nothing
    EXPECT_EQ(PStrText(p), std::string(255, 'a'));
    PStrFromCStr(p, std::string(241, 'a').c_str());
    PStrAppendInt(p, 5);  // 241 bytes: nothing
    EXPECT_EQ(p[0], 241);
    PStrFromCStr(p, std::string(240, 'a').c_str());
    PStrAppendInt(p, -2147483647 - 1);
    EXPECT_EQ(p[0], 251);
    PStrFromCStr(p, std::string(252, 'a').c_str());
    PStrAppendIntDigits(p, -5, 3);  // "-005" needs 4 bytes
    EXPECT_EQ(p[0], 252);
    PStrAppendIntDigits(p, 5, 3);
    EXPECT_EQ(p[0], 255);

    PStrFromCStr(p, "ace");
    PStrInsertCStr(p, 2, "b");
    PStrInsertCStr(p, 4, "d");
    PStrInsertCStr(p, 6, "f");  // at length + 1: appends
    PStrInsertCStr(p, 8, "z");  // beyond: ignored
    PStrInsertCStr(p, 0, "z");
    PStrInsertCStr(p, 1, nullptr);
    EXPECT_EQ(PStrText(p), "abcdef");
    PStrFromCStr(p, std::string(250, 'a').c_str());
    PStrInsertCStr(p, 1, "0123456789");  // only 5 bytes fit; the old bytes stay whole
    EXPECT_EQ(PStrText(p), "01234" + std::string(250, 'a'));

    PStrFromCStr(p, "abcdef");
    PStrReplaceRangeCStr(p, 2, 3, "XY");
    EXPECT_EQ(PStrText(p), "aXYef");
    PStrReplaceRangeCStr(p, 5, 10, "Z");  // the count is cut to the text
    EXPECT_EQ(PStrText(p), "aXYeZ");
    PStrFromCStr(p, std::string(254, 'a').c_str());
    PStrReplaceRangeCStr(p, 1, 1, "XYZ");  // only 2 of 3 bytes fit
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(PStrText(p).substr(0, 3), "XYa");

    PStrFromCStr(p, "--ab--");
    PStrTrim(p, '-');
    EXPECT_EQ(PStrText(p), "ab");
    PStrFromCStr(p, "----");
    PStrTrimLeading(p, '-');
    EXPECT_EQ(p[0], 0);
    PStrFromCStr(p, "\xC3\xA9t\xC3\xA9 Ab");
    PStrToUpperAscii(p);
    EXPECT_EQ(PStrText(p), "\xC3\xA9T\xC3\xA9 AB");
    PStrToLowerAscii(p);
    EXPECT_EQ(PStrText(p), "\xC3\xA9t\xC3\xA9 ab");
    PStrTitleCase(p);
    EXPECT_EQ(PStrText(p), "\xC3\x89t\xC3\xA9 Ab");
    PStrCapitalize(p);
    EXPECT_EQ(PStrText(p), "\xC3\x89t\xC3\xA9 ab");

    uint8_t a[256];
    uint8_t b[256];
    PStrFromCStr(a, "ab");
    PStrFromCStr(b, "AB");
    EXPECT_EQ(PStrCompare(a, b), 1);
    EXPECT_EQ(PStrCompareNoCase(a, b), 0);
    PStrFromCStr(b, "abc");
    EXPECT_EQ(PStrCompare(a, b), -1);
    EXPECT_EQ(PStrCompareNoCase(b, a), 1);

    String s;
    s.AssignCStr("string");
    PStrFromString(p, s);
    PStrInsertString(p, 1, s);
    EXPECT_EQ(PStrText(p), "stringstring");
    char c[256];
    EXPECT_EQ(PStrToCStr(c, p), 12);
    EXPECT_STREQ(c, "stringstring");
    PStrAppendBytes(p, "!", 1);
    HeapText heap = NewHeapText("h");
    PStrAppendHeapText(p, heap);
    PStrAppendHeapText(p, nullptr);
    EXPECT_EQ(PStrText(p), "stringstring!h");
    PStrFromHeapText(p, heap);
    EXPECT_EQ(PStrText(p), "h");
    MemFree(heap);
}

}  // namespace
}  // namespace vek
