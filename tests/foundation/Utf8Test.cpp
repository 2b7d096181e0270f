// Tests of Utf8: decoding bad bytes, bounded decoding, encoding, stepping back, cuts and UTF-16.
#include "foundation/strings/Utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace vek {
namespace {

// A C string in a heap array of exactly its size, so that the address sanitizer reports any read
// past its NUL.
std::unique_ptr<char[]> Exact(const std::string& text)
{
    std::unique_ptr<char[]> bytes(new char[text.size() + 1]);
    std::memcpy(bytes.get(), text.c_str(), text.size() + 1);
    return bytes;
}

TEST(Utf8Test, DecodingTurnsBadBytesIntoReplacementCharacters)
{
    struct Case {
        const char* name;
        std::string bytes;
        uint32_t codePoint;
        int32_t length;
    } cases[] = {
        {"ascii", "A", 'A', 1},
        {"nul", "", 0, 1},
        {"two bytes", "\xC3\xA9", 0xE9, 2},
        {"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
        {"largest", "\xEF\xBF\xBF", 0xFFFF, 3},
        {"four bytes", "\xF0\x9F\x98\x80", 0xFFFD, 4},
        {"stray continuation", "\x80", 0xFFFD, 1},
        {"bad lead", "\xFF" "a", 0xFFFD, 1},
        {"cut by the nul", "\xC3", 0xFFFD, 1},
        {"cut by the nul after two", "\xE2\x82", 0xFFFD, 1},
        {"cut by a letter", "\xE2" "ab", 0xFFFD, 1},
        {"overlong nul", "\xC0\x80", 0xFFFD, 1},
        {"overlong three", "\xE0\x80\xAF", 0xFFFD, 1},
        {"surrogate", "\xED\xA0\x80", 0xFFFD, 1},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0xFFFD, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto text = Exact(c.bytes);
        EXPECT_EQ(Utf8DecodeChar(text.get()), c.codePoint);
        EXPECT_EQ(Utf8CharLength(text.get()), c.length);
        const char* p = text.get();
        EXPECT_EQ(Utf8NextChar(p), c.codePoint);
        EXPECT_EQ(p - text.get(), c.length);
    }
}

TEST(Utf8Test, BoundedDecodingReadsOnlyBeforeTheEnd)
{
    const char bytes[] = {'\xE2', '\x82', '\xAC'};
    const char* p = bytes;
    EXPECT_EQ(Utf8NextCharIn(p, bytes + 2), 0xFFFDu);  // the third byte is beyond the end
    EXPECT_EQ(p, bytes + 1);
    p = bytes;
    EXPECT_EQ(Utf8NextCharIn(p, bytes + 3), 0x20ACu);
    EXPECT_EQ(p, bytes + 3);
}

TEST(Utf8Test, PrevCharStepsBackOneCharacter)
{
    std::string text = "a\xC3\xA9\xE2\x82\xAC\x80" "b";
    const char* start = text.c_str();
    const char* p = start + text.size();
    std::u32string seen;
    while (p > start)
        seen.insert(seen.begin(), Utf8PrevChar(p, start));
    EXPECT_EQ(seen, (std::u32string{'a', 0xE9, 0x20AC, 0xFFFD, 'b'}));
    EXPECT_EQ(Utf8PrevChar(p, start), 0u);
    EXPECT_EQ(p, start);

    // Continuation bytes at the very start are not stepped over.
    std::string stray = "\x82\xAC";
    p = stray.c_str() + 2;
    EXPECT_EQ(Utf8PrevChar(p, stray.c_str()), 0xFFFDu);
    EXPECT_EQ(p, stray.c_str() + 1);
}

TEST(Utf8Test, EncodingWritesOneToThreeBytes)
{
    struct Case {
        uint32_t codePoint;
        std::string bytes;
    } cases[] = {
        {0, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0xD800, "\xEF\xBF\xBD"},
        {0x1F600, "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePoint);
        char buffer[4] = {};
        int32_t n = Utf8EncodeChar(buffer, c.codePoint);
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), c.bytes);
        EXPECT_EQ(Utf8EncodedLength(c.codePoint), n);
    }
}

TEST(Utf8Test, CharCountAndUpperCase)
{
    EXPECT_EQ(Utf8CharCount("a\xC3\xA9\xE2\x82\xAC"), 3);
    EXPECT_EQ(Utf8CharCount("a\xF0\x9F\x98\x80" "b"), 3);  // the 4-byte character counts once
    EXPECT_EQ(Utf8CharCount("a\xFF" "b"), 3);  // a bad byte counts as one character, nothing is lost
    EXPECT_EQ(Utf8CharCount(""), 0);
    EXPECT_EQ(Utf8CharCount(nullptr), 0);

    const char* p = "\xC3\xA9z\xE2\x82\xAC";
    EXPECT_EQ(Utf8UpperCharAt(p), 0xC9u);
    EXPECT_EQ(Utf8NextUpperChar(p), 0xC9u);
    EXPECT_EQ(Utf8NextUpperChar(p), static_cast<uint32_t>('Z'));
    EXPECT_EQ(Utf8NextUpperChar(p), 0x20ACu);
    EXPECT_EQ(*p, 0);
}

TEST(Utf8Test, ValidationAndClassification)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t classification;
    } cases[] = {
        {"empty", "", 0},
        {"ascii", "plain text", 0},
        {"multi-byte", "caf\xC3\xA9 \xE2\x82\xAC", 2},
        {"four bytes", "\xF0\x9F\x98\x80", 2},
        {"bad byte first", "\xFF" "abc\xC3\xA9", 1},
        {"bad byte last", "abc\xFF", 1},
        {"bad byte in short text", "\xFF", 1},
        {"bad continuation", "a\xC3" "b", 1},
        {"latin-1 text", "caf\xE9 ok", 1},
        {"cut by the end of a sample", "abc\xE2\x82", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto n = static_cast<int32_t>(c.bytes.size());
        EXPECT_EQ(Utf8Classify(c.bytes.data(), n), c.classification);
        EXPECT_EQ(Utf8IsValid(c.bytes.data(), n), c.classification != 1);
    }
}

TEST(Utf8Test, SafeCutsNeverFallInsideACharacter)
{
    std::string text = "a\xC3\xA9\xE2\x82\xAC" "b";  // boundaries 0, 1, 3, 6, 7
    auto n = static_cast<int32_t>(text.size());
    int32_t expectedBefore[] = {0, 1, 1, 3, 3, 3, 6, 7};
    int32_t expectedAfter[] = {0, 1, 3, 3, 6, 6, 6, 7};
    for (int32_t cut = 0; cut <= n; ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(Utf8SafeCut(text.data(), n, cut), expectedBefore[cut]);
        EXPECT_EQ(Utf8BoundaryAfter(text.data(), n, cut), expectedAfter[cut]);
    }
    // Bad bytes stand alone: every position among them is a boundary.
    std::string bad = "a\x80\x80\x80\x80";
    EXPECT_EQ(Utf8SafeCut(bad.data(), 5, 3), 3);
}

TEST(Utf8Test, ViewFormsReadOnlyTheirBytes)
{
    // "é€" followed by bytes that would change every answer if they were read.
    const std::string bytes = "\xC3\xA9\xE2\x82\xAC\xFF\xFF";
    std::string_view view(bytes.data(), 5);
    EXPECT_TRUE(Utf8IsValid(view));
    EXPECT_EQ(Utf8Classify(view), 2);
    EXPECT_EQ(Utf8Classify(view.substr(0, 0)), 0);
    EXPECT_EQ(Utf8SafeCut(view, 4), 2);
    EXPECT_EQ(Utf8BoundaryAfter(view, 3), 5);
    EXPECT_FALSE(Utf8IsValid(std::string_view(bytes)));
}

TEST(Utf8Test, Utf16)
{
    const char16_t text[] = {u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0xDC00, u'b', 0};
    // The pair is one character beyond U+FFFF and the lone low surrogate another: both U+FFFD.
    std::string expected = "a\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD" "b";
    EXPECT_EQ(Utf16Utf8Length(text), static_cast<int32_t>(expected.size()));
    char buffer[32];
    EXPECT_EQ(Utf16ToUtf8(buffer, text), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(std::string(buffer), expected);

    const uint8_t bytes[] = {0x34, 0x12, 0x12, 0x34};
    const uint8_t* p = bytes;
    EXPECT_EQ(NextUtf16LeUnit(p), 0x1234);
    EXPECT_EQ(NextUtf16BeUnit(p), 0x1234);
    EXPECT_EQ(p, bytes + 4);

    EXPECT_TRUE(HasLineBreak("a\nb"));
    EXPECT_TRUE(HasLineBreak("a\r"));
    EXPECT_FALSE(HasLineBreak("a b"));
}

}  // namespace
}  // namespace vek
