// Tests of TextReader: lines and tokens in every encoding, bad bytes, markup and memory limits.
#include "foundation/streams/TextReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"

namespace vek {
namespace {

std::string LineOf(const TextReader& reader)
{
    return std::string(reader.LineStart(), size_t(reader.LineLength()));
}

std::vector<std::string> AllLines(const std::string& input, int32_t encoding = 0)
{
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetEncoding(encoding);
    std::vector<std::string> lines;
    while (reader.ReadLine())
        lines.push_back(LineOf(reader));
    return lines;
}

std::vector<std::string> AllTokens(TextReader& reader)
{
    std::vector<std::string> tokens;
    while (reader.NextToken())
        tokens.emplace_back(reader.Token(), size_t(reader.TokenLength()));
    return tokens;
}

std::vector<std::string> TokensOf(const std::string& input, uint32_t flags)
{
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetTokenizerFlags(flags);
    std::vector<std::string> tokens;
    while (reader.ReadLine()) {
        for (const std::string& token : AllTokens(reader))
            tokens.push_back(token);
    }
    return tokens;
}

std::string Utf8Of(uint32_t codePoint)
{
    char bytes[4] = {};
    return std::string(bytes, size_t(Utf8EncodeChar(bytes, codePoint)));
}

TEST(TextReaderTest, FieldsTrimTrailingBlanksAndStopAtTheLineEnd)
{
    std::string input = "a\tb  \t\t\r\r";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    String field;
    EXPECT_TRUE(reader.NextFieldToString(field));
    EXPECT_STREQ(field.CStr(), "a");
    EXPECT_TRUE(reader.NextFieldToString(field));
    EXPECT_STREQ(field.CStr(), "b");
    EXPECT_TRUE(reader.NextFieldToString(field));
    EXPECT_STREQ(field.CStr(), "");
    EXPECT_FALSE(reader.NextFieldToString(field));
    reader.RestartLine();
    EXPECT_TRUE(reader.NextFieldRawToString(field));
    EXPECT_TRUE(reader.NextFieldRawToString(field));
    EXPECT_STREQ(field.CStr(), "b  ");
    // The empty second line has no field at all.
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_FALSE(reader.NextField());
    EXPECT_FALSE(reader.ReadLine());
}

TEST(TextReaderTest, TypedFields)
{
    std::string input = "X\t-12.5\t1,5\tabcdef\t\t  ";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    char tag = 0;
    EXPECT_TRUE(reader.NextFieldChar(tag));
    EXPECT_EQ(tag, 'X');
    int32_t number = 0;
    EXPECT_TRUE(reader.NextFieldInt(number));
    EXPECT_EQ(number, -13);
    double value = 0;
    EXPECT_TRUE(reader.NextFieldDouble(value));
    EXPECT_DOUBLE_EQ(value, 1.5);
    char buffer[4];
    EXPECT_TRUE(reader.NextFieldToBuffer(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "abc");
    HeapText text = NewHeapText("old");
    EXPECT_TRUE(reader.NextFieldToHeapText(text));
    EXPECT_EQ(text, nullptr);  // an empty field holds no text
    EXPECT_TRUE(reader.NextFieldChar(tag));
    EXPECT_EQ(tag, 0);
    text = NewHeapText("old");
    EXPECT_FALSE(reader.NextFieldToHeapText(text));
    EXPECT_EQ(text, nullptr);
    EXPECT_FALSE(reader.NextFieldInt(number));
    EXPECT_EQ(number, -13);  // unchanged at the line end
}

TEST(TextReaderTest, EveryKindOfLineEndEndsOneLine)
{
    struct Case {
        const char* input;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\r\nb", {"a", "b"}},       {"a\n\rb", {"a", "b"}},         {"a\rb\r", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},       {"a\r\rb", {"a", "", "b"}},     {"a\n\nb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}}, {"\r", {""}},                 {"", {}},
        {"last", {"last"}},           {"a\r\n", {"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(AllLines(c.input), c.lines);
    }
}

TEST(TextReaderTest, Utf16LinesAndTheirBreaks)
{
    // "ab" CR LF "é" LF, then a surrogate pair, a lone surrogate and an odd last byte.
    std::string le("a\0b\0\r\0\n\0\xE9\0\n\0\x3D\xD8\x00\xDE\x00\xDCx", 19);
    std::vector<std::string> expected = {"ab", Utf8Of(0xE9), Utf8Of(0xFFFD) + Utf8Of(0xFFFD) + Utf8Of(0xFFFD)};
    EXPECT_EQ(AllLines(le, kEncodingUtf16Le), expected);
    std::string be;
    for (size_t i = 0; i + 1 < le.size(); i += 2) {
        be += le[i + 1];
        be += le[i];
    }
    be += 'x';
    EXPECT_EQ(AllLines(be, kEncodingUtf16Be), expected);
    // A byte 13 that is half of another unit breaks nothing.
    std::string unit("\x0D\x01z\0", 4);
    EXPECT_EQ(AllLines(unit, kEncodingUtf16Le), std::vector<std::string>{Utf8Of(0x010D) + "z"});
}

TEST(TextReaderTest, EveryEightBitPageDecodesThroughItsTable)
{
    std::string bytes;
    for (int32_t b = 0x80; b <= 0xFF; ++b)
        bytes += char(b);
    for (int32_t id = kEncodingSystem; id < kEncodingCount; ++id) {
        SCOPED_TRACE(id);
        std::string expected = "x";
        for (int32_t b = 0x80; b <= 0xFF; ++b)
            expected += Utf8Of(CodePageCharToUnicode(uint8_t(b), id));
        std::string input = "x" + bytes + "\r" + "y";
        TextReader lines(input.data(), int64_t(input.size()));
        lines.SetEncoding(id);
        lines.SetComposeMarks(false);
        ASSERT_TRUE(lines.ReadLine());
        EXPECT_EQ(LineOf(lines), expected);
        EXPECT_EQ(lines.LineStart()[lines.LineLength()], 0);  // converted lines end in a NUL
        ASSERT_TRUE(lines.ReadLine());
        EXPECT_EQ(LineOf(lines), "y");
    }
}

TEST(TextReaderTest, AnUnknownEncodingDeliversNoLine)
{
    std::string input = "abc\r";
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetEncoding(9);
    EXPECT_FALSE(reader.ReadLine());
}

// Reads a text through a refill of a few bytes at a time, as a file reader does at the end of its
// buffer, so that lines, line breaks and characters are cut anywhere.
class ChunkedTextReader final : public TextReader {
public:
    ChunkedTextReader(const std::string& text, int64_t chunk) : source(text), chunk(chunk) {}

    int64_t Refill() override
    {
        // The unread bytes stay where they are; the range grows over the next chunk of the source.
        ForgetLine();
        const char* from = readPosition != nullptr ? readPosition : source.data();
        int64_t got = std::min(chunk, int64_t(source.size()) - delivered);
        delivered += got;
        sourcePosition = from - source.data();
        inputStart = readPosition = from;
        inputEnd = source.data() + delivered;
        return got;
    }

private:
    const std::string& source;
    int64_t chunk;
    int64_t delivered = 0;
};

TEST(TextReaderTest, InvalidUtf8SwitchesToTheSystemCodePageOnlyAfterPlainAscii)
{
    // An older file that was ASCII up to its first accented letter reads in the system code page.
    std::string input = "one\r\xE9" "abc\r\xC3\xA9\r";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(reader.Encoding(), kEncodingUtf8);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(reader.Encoding(), kEncodingSystem);
    EXPECT_EQ(LineOf(reader), Utf8Of(CodePageCharToUnicode(0xE9, kEncodingSystem)) + "abc");
    // The rest is read in the code page too.
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), Utf8Of(CodePageCharToUnicode(0xC3, kEncodingSystem)) +
                                  Utf8Of(CodePageCharToUnicode(0xA9, kEncodingSystem)));
}

// Guards against one bad byte switching a UTF-8 file to the system code page, which garbled every
// later line: UTF-8 input stays UTF-8 and the bad byte reads as U+FFFD.
TEST(TextReaderTest, ABadByteInUtf8InputIsAReplacementCharacter)
{
    const std::string r = Utf8Of(0xFFFD);
    const std::string e = Utf8Of(0xE9);
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::string> lines;
    } cases[] = {
        {"a stray lead byte ends a line", "caf\xC3\xA9\rcaf\xC3\rtw\xC3\xA9\r", {"caf" + e, "caf" + r, "tw" + e}},
        {"a stray lead byte ends the first non-ASCII line", "ab\rcaf\xE9\ntw\xC3\xA9", {"ab", "caf" + r, "tw" + e}},
        {"a cut three-byte sequence ends a line", "x\xE2\x82\r\ny\xC3\xA9", {"x" + r + r, "y" + e}},
        {"a bad byte mid-line after UTF-8", "tw\xC3\xA9\r\xE9" "abc\r\xC3\xA9\r", {"tw" + e, r + "abc", e}},
        {"a bad byte mid-line before UTF-8 in the line", "\xFF" "a\xC3\xA9\rb\xC3\xA9", {r + "a" + e, "b" + e}},
        {"a stray continuation byte after UTF-8", "\xC3\xA9\ra\x80" "b", {e, "a" + r + "b"}},
        {"a stray lead byte ends the input", "tw\xC3\xA9\rab\xC3", {"tw" + e, "ab" + r}},
        {"a cut sequence ends an ASCII input", "ab\rcd\xE2\x82", {"ab", "cd" + r + r}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextReader reader(c.input.data(), int64_t(c.input.size()));
        std::vector<std::string> lines;
        while (reader.ReadLine())
            lines.push_back(LineOf(reader));
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(reader.Encoding(), kEncodingUtf8);
    }
}

TEST(TextReaderTest, CharactersCutByTheEndOfAReadBufferArriveWhole)
{
    // Every split of the input between two refills: a character, a CR LF or a bad byte cut by the
    // end of what has been read so far reads as if the input had come at once.
    const std::string input = "\xC3\xA9t\xC3\xA9\r\n\xE2\x82\xAC" "100\rcaf\xC3\r\xF0\x9F\x98\x80!\n\xE2\x82";
    const std::vector<std::string> whole = AllLines(input);
    ASSERT_EQ(whole.size(), 5u);
    EXPECT_EQ(whole[2], "caf" + Utf8Of(0xFFFD));
    for (int64_t chunk = 1; chunk <= int64_t(input.size()); ++chunk) {
        SCOPED_TRACE(chunk);
        ChunkedTextReader reader(input, chunk);
        std::vector<std::string> lines;
        while (reader.ReadLine())
            lines.push_back(LineOf(reader));
        EXPECT_EQ(lines, whole);
        EXPECT_EQ(reader.Encoding(), kEncodingUtf8);
    }
}

TEST(TextReaderTest, BadBytesBecomeReplacementCharactersWithoutTheCheck)
{
    std::string input = "a\xFF" "b\xF0\x9F\x98\x80" "c\xE2\x82";
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetCheckUtf8(false);
    ASSERT_TRUE(reader.ReadLine());
    std::string r = Utf8Of(0xFFFD);
    EXPECT_EQ(LineOf(reader), "a" + r + "b" + r + "c" + r + r);
    EXPECT_EQ(reader.Encoding(), kEncodingUtf8);
    // A character beyond U+FFFF is well-formed: it never switches the encoding.
    std::string emoji = "x\xF0\x9F\x98\x80y";
    TextReader checked(emoji.data(), int64_t(emoji.size()));
    ASSERT_TRUE(checked.ReadLine());
    EXPECT_EQ(LineOf(checked), "x" + r + "y");
    EXPECT_EQ(checked.Encoding(), kEncodingUtf8);
}

TEST(TextReaderTest, CombiningMarksAreComposed)
{
    std::string input = "e\xCC\x81 q\xCC\x81 A\xCC\x8A";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), Utf8Of(0xE9) + " q\xCC\x81 " + Utf8Of(0xC5));
    TextReader plain(input.data(), int64_t(input.size()));
    plain.SetComposeMarks(false);
    ASSERT_TRUE(plain.ReadLine());
    EXPECT_EQ(LineOf(plain), input);
}

TEST(TextReaderTest, CharacterMappings)
{
    std::string input = "a b\xC3\xA9";
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetCharMappings("a \xC3\xA9", "x_E");  // the blank (not above 32) is not mapped
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), "x bE");
    TextReader page("a\xE9", 2);
    page.SetEncoding(kEncodingLatin1);
    page.SetCharMapping(0xE9, 'e');
    ASSERT_TRUE(page.ReadLine());
    EXPECT_EQ(LineOf(page), "ae");
}

TEST(TextReaderTest, LongLinesAreDeliveredWhole)
{
    std::string longLine(100000, 'x');
    longLine[50000] = char(0xE9);  // converted lines grow their buffer too
    std::string input = "first\r" + longLine + "\rlast";
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetEncoding(kEncodingLatin1);
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(reader.LineLength(), 100001);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), "last");
    EXPECT_EQ(reader.LineCount(), 3);
}

TEST(TextReaderTest, ALineMemoryCannotHoldEndsTheReadingWithTheError)
{
    ClearError();
    std::string input = "caf\xE9\rnext\r";
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetEncoding(kEncodingLatin1);
    MemFailAllocationsAfter(0);
    bool read = reader.ReadLine();
    MemFailAllocationsAfter(-1);
    EXPECT_FALSE(read);
    EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
    ClearError();
}

TEST(TextReaderTest, LongTextFieldsJoinTheirPieces)
{
    // 9000 bytes with line breaks and tabs, written in pieces of 4200 bytes.
    std::string text;
    for (int32_t i = 0; text.size() < 9000; ++i)
        text += i % 50 == 49 ? "\r" : (i % 7 == 0 ? "\t" : "w");
    HeapText original = NewHeapTextFromBytes(text.data(), int32_t(text.size()));
    TextWriter writer;
    writer.PutText("T");
    writer.PutSeparator();
    writer.PutLongText(original);
    writer.EndRow();
    writer.WriteLine("next");
    TextReader reader(writer);
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    HeapText read = nullptr;
    ASSERT_TRUE(reader.NextLongTextField(read));
    EXPECT_EQ(std::string(read, size_t(HeapTextLength(read))), text);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), "next");
    SetHeapText(read, nullptr);
    SetHeapText(original, nullptr);
}

TEST(TextReaderTest, AShortTextEndingInTheMarkerIsNotJoined)
{
    // Guards against joining the next line into a text of 4000-4200 bytes that ends in "/==".
    std::string text = std::string(4100, 'a') + "/==";
    std::string input = text + "\rnext line\r";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    HeapText read = nullptr;
    ASSERT_TRUE(reader.NextLongTextField(read));
    EXPECT_EQ(std::string(read), text);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), "next line");
    SetHeapText(read, nullptr);
}

TEST(TextReaderTest, BinaryFields)
{
    std::string text(3000, 'q');
    text += "tail of the text";
    TextWriter writer;
    writer.PutCompressedHex(text.c_str());
    writer.PutSeparator();
    writer.PutText("c41zFF");
    writer.PutSeparator();
    writer.PutText("*0G");
    writer.EndRow();
    TextReader reader(writer);
    ASSERT_TRUE(reader.ReadLine());
    void* block = nullptr;
    ASSERT_TRUE(reader.NextBinaryField(block));
    ASSERT_EQ(MemBlockSize(block), int32_t(text.size()));
    EXPECT_EQ(std::string(static_cast<const char*>(block), text.size()), text);
    ASSERT_TRUE(reader.NextBinaryField(block));
    std::string zeroRun = std::string(3, '\0') + "A" + std::string(26, '\0') + "\xFF";
    ASSERT_EQ(MemBlockSize(block), int32_t(zeroRun.size()));
    EXPECT_EQ(std::string(static_cast<const char*>(block), zeroRun.size()), zeroRun);
    // Damaged hex and the line end both leave no block.
    EXPECT_FALSE(reader.NextBinaryField(block));
    EXPECT_EQ(block, nullptr);
    block = MemAlloc(4);
    EXPECT_FALSE(reader.NextBinaryField(block));
    EXPECT_EQ(block, nullptr);
}

TEST(TextReaderTest, TokensWithTheDefaultFlags)
{
    EXPECT_EQ(TokensOf("Open \"my file\" // a comment", kTokenDefaultFlags),
              (std::vector<std::string>{"Open", "my file"}));
    EXPECT_EQ(TokensOf("abc\"d e\"f next", kTokenDefaultFlags), (std::vector<std::string>{"abcd ef", "next"}));
    EXPECT_EQ(TokensOf("'x y' \"a\\\"b\" \"open to the end", kTokenDefaultFlags),
              (std::vector<std::string>{"x y", "a\\\"b", "open to the end"}));
    EXPECT_EQ(TokensOf("\"\"", kTokenDefaultFlags), (std::vector<std::string>{""}));
}

TEST(TextReaderTest, TokenizerFlags)
{
    struct Case {
        const char* input;
        uint32_t flags;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"f(a,b)[c]{d}", kTokenParentheses | kTokenBrackets | kTokenBraces,
         {"f", "(", "a,b", ")", "[", "c", "]", "{", "d", "}"}},
        {"f(a)", 0, {"f(a)"}},
        {"x:=1 y=2", kTokenAssign | kTokenEquals, {"x", ":=", "1", "y", "=", "2"}},
        {"a # rest\rb", kTokenSkipHashComments, {"a", "b"}},
        {"a # rest\rb", kTokenHashComment, {"a", "# rest", "b"}},
        {"a; rest", kTokenSkipSemicolonComments, {"a"}},
        {"a; rest", kTokenSemicolonComment, {"a", "; rest"}},
        {"a;b; rest", kTokenSemicolon | kTokenSkipSemicolonComments, {"a", ";", "b", ";", "rest"}},
        {"a // x", kTokenSlashComment, {"a", "// x"}},
        {"a/*x /* y */ z*/b", kTokenSkipBlockComments, {"a", "b"}},
        {"a /* one\rtwo */ b", kTokenSkipBlockComments, {"a", "b"}},
        {"a /* one\rtwo */ b", kTokenBlockComment, {"a", "/* one\rtwo */", "b"}},
        {"a \\\r b", kTokenBackslashJoins, {"a", "b"}},
        {"a \\x", kTokenBackslashJoins, {"a", "\\x"}},
        {"a // c \\\r b", kTokenSkipSlashComments | kTokenBackslashJoins, {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(TokensOf(c.input, c.flags), c.tokens);
    }
}

TEST(TextReaderTest, TokensAcrossLines)
{
    std::string input = "a\r\r  b /* never\rclosed";
    TextReader reader(input.data(), int64_t(input.size()));
    reader.SetTokenizerFlags(kTokenAcrossLines | kTokenSkipBlockComments);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(AllTokens(reader), (std::vector<std::string>{"a", "b"}));
}

TEST(TextReaderTest, QuotedTokensAreNotCut)
{
    // Guards against cutting copied tokens at 2047 bytes.
    std::string quoted(5000, 'q');
    std::string input = "\"" + quoted + "\" after";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    String token;
    ASSERT_TRUE(reader.NextToken());
    EXPECT_EQ(std::string(reader.Token(), size_t(reader.TokenLength())), quoted);
    ASSERT_TRUE(reader.NextTokenToString(token));
    EXPECT_STREQ(token.CStr(), "after");
}

TEST(TextReaderTest, CompareToken)
{
    std::string input = "Konto";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextToken());
    EXPECT_TRUE(reader.TokenEquals("KONTO"));
    EXPECT_EQ(reader.CompareToken("kontot"), -1);
    EXPECT_EQ(reader.CompareToken("kont"), 1);
    EXPECT_EQ(reader.CompareToken("L"), -1);
}

TEST(TextReaderTest, LineAttributes)
{
    std::string input = "  width=12 name = \"a &amp; b\" flag";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.ReadLine());
    String name;
    String value;
    ASSERT_TRUE(reader.NextLineAttribute(name, value));
    EXPECT_STREQ(name.CStr(), "width");
    EXPECT_STREQ(value.CStr(), "12");
    ASSERT_TRUE(reader.NextLineAttribute(name, value));
    EXPECT_STREQ(name.CStr(), "name");
    EXPECT_STREQ(value.CStr(), "a & b");
    ASSERT_TRUE(reader.NextLineAttribute(name, value));
    EXPECT_STREQ(name.CStr(), "flag");
    EXPECT_STREQ(value.CStr(), "");
    EXPECT_FALSE(reader.NextLineAttribute(name, value));
}

std::vector<std::string> MarkupTokens(const std::string& input)
{
    TextReader reader(input.data(), int64_t(input.size()));
    std::vector<std::string> tokens;
    while (reader.NextMarkupToken())
        tokens.emplace_back(reader.Token(), size_t(reader.TokenLength()));
    return tokens;
}

TEST(TextReaderTest, MarkupTokens)
{
    EXPECT_EQ(MarkupTokens("<a>\r  text one \r<b/></a>"),
              (std::vector<std::string>{"<a>", "text one", "<b/>", "</a>"}));
    // A text run goes on across lines with nothing between; control bytes become blanks.
    EXPECT_EQ(MarkupTokens("x\ty\rz<a>"), (std::vector<std::string>{"x yz", "<a>"}));
    // A comment holding ">" is skipped whole, also across lines.
    EXPECT_EQ(MarkupTokens("<!-- a > b -->c<!--\r-->d<!-->e"), (std::vector<std::string>{"c", "d", "e"}));
    // The input ending inside a tag gives no token.
    EXPECT_EQ(MarkupTokens("ok<open"), (std::vector<std::string>{"ok"}));
}

TEST(TextReaderTest, TagAcrossLinesKeepsItsAttributeCursor)
{
    std::string input = "<a\r href=\"x &lt; y\" target=_top\r other>";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    EXPECT_EQ(std::string(reader.Token()), "<a href=\"x &lt; y\" target=_top other>");
    EXPECT_TRUE(reader.IsTag("A"));
    EXPECT_FALSE(reader.IsTag("ab"));
    String name;
    String value;
    ASSERT_TRUE(reader.NextAttribute(name, value));
    EXPECT_STREQ(name.CStr(), "href");
    EXPECT_STREQ(value.CStr(), "x < y");
    ASSERT_TRUE(reader.NextAttribute(name, value));
    EXPECT_STREQ(name.CStr(), "target");
    EXPECT_STREQ(value.CStr(), "");  // unquoted values are not read
    ASSERT_TRUE(reader.NextAttribute(name, value));
    EXPECT_STREQ(name.CStr(), "other");
    EXPECT_FALSE(reader.NextAttribute(name, value));
}

TEST(TextReaderTest, TagTests)
{
    struct Case {
        const char* tag;
        bool emptyOrEnd;
        const char* name;
    };
    const Case cases[] = {
        {"<a>", false, "a"}, {"<a/>", true, "a"}, {"<a x=\"1\" / >", true, "a"}, {"</a>", true, ""},
        {"< / a>", true, ""}, {"<Item\tkey=\"v\">", false, "Item"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        TextReader reader(c.tag, int64_t(std::strlen(c.tag)));
        ASSERT_TRUE(reader.NextMarkupToken());
        EXPECT_EQ(reader.IsEmptyOrEndTag(), c.emptyOrEnd);
        String name;
        reader.TagName(name);
        EXPECT_STREQ(name.CStr(), c.name);
    }
    std::string end = "</Item>";
    TextReader reader(end.data(), int64_t(end.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    EXPECT_TRUE(reader.IsTag("/item"));
    EXPECT_TRUE(reader.IsTagInList("a /item b"));
    EXPECT_FALSE(reader.IsTagInList("a item"));
}

TEST(TextReaderTest, ElementContentAndSkipping)
{
    std::string input = "<a k=\"1\">one <b>two<c/></b> &amp;three</a><next/>"
                        "<skip><x><x></x></x></skip><after/>";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    String text;
    EXPECT_TRUE(reader.ReadElementText(text, "a"));
    EXPECT_STREQ(text.CStr(), "onetwo&three");
    ASSERT_TRUE(reader.NextMarkupToken());
    EXPECT_FALSE(reader.ReadElementContent(text));  // an empty tag has no content
    EXPECT_STREQ(text.CStr(), "");
    ASSERT_TRUE(reader.NextMarkupToken());
    ASSERT_TRUE(reader.IsTag("skip"));
    ASSERT_TRUE(reader.SkipElementAndNext());
    EXPECT_TRUE(reader.IsTag("after"));
}

TEST(TextReaderTest, SkipElementStopsOnTheCancelFlag)
{
    std::string input = "<a><b></b></a><c/>";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    SetCancelledError();
    reader.SkipElement();
    ClearError();
    ASSERT_TRUE(reader.NextMarkupToken());
    EXPECT_TRUE(reader.IsTag("b"));
}

TEST(TextReaderTest, MarkupTokensAreNotCut)
{
    // Guards against cutting tags and text runs at 2047 bytes.
    std::string value(6000, 'v');
    std::string text(7000, 't');
    std::string input = "<a long=\"" + value + "\">" + text + "</a>";
    TextReader reader(input.data(), int64_t(input.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    AttributeList attributes;
    attributes.ReadAll(reader);
    String read;
    ASSERT_TRUE(attributes.Get("LONG", read));
    EXPECT_EQ(read.Length(), 6000);
    ASSERT_TRUE(reader.NextMarkupToken());
    EXPECT_EQ(reader.TokenLength(), 7000);
}

TEST(TextReaderTest, AttributeList)
{
    std::string tag = "<t";
    for (int32_t i = 0; i < 40; ++i)
        tag += " n" + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
    tag += ">";
    TextReader reader(tag.data(), int64_t(tag.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    AttributeList list;
    list.ReadAll(reader);
    EXPECT_EQ(list.Count(), AttributeList::kCapacity);
    String name;
    String value;
    EXPECT_TRUE(list.Has("N31"));
    EXPECT_FALSE(list.Has("n32"));
    EXPECT_TRUE(list.Take("n5", value));
    EXPECT_STREQ(value.CStr(), "v5");
    EXPECT_FALSE(list.Has("n5"));
    list.Remove("n6");
    ASSERT_TRUE(list.PopFirst(name, value));
    EXPECT_STREQ(name.CStr(), "n0");
    ASSERT_TRUE(list.PopFirstName(name));
    EXPECT_STREQ(name.CStr(), "n1");
    EXPECT_EQ(list.Count(), AttributeList::kCapacity - 4);
    EXPECT_STREQ(list.NameAt(3), "n7");  // later entries moved down
    EXPECT_FALSE(list.Get("n5", value));
    EXPECT_STREQ(value.CStr(), "");
}

TEST(TextReaderTest, DetectCharSet)
{
    struct Case {
        std::string sample;
        int32_t id;
        int32_t markLength;
    };
    const Case cases[] = {
        {"\xFF\xFE" "a", kEncodingUtf16Le, 2},
        {"\xFE\xFF", kEncodingUtf16Be, 2},
        {"\xEF\xBB\xBF" "x", kEncodingUtf8, 3},
        {"plain ascii\r", -1, 0},
        {"##VEK-Text\r##Characters\r\nU\t\x80\xE7\xCB\xE5\xCC\r", kEncodingMacRoman, 0},
        {"##Characters\tU\t\xC4\xC1\xC0\xC2\xC3", kEncodingLatin1, 0},
        {"##Characters\rU\tABCDE", -1, 0},
        {std::string("a\0b\0c\0d\0", 8), kEncodingUtf16Le, 0},
        {std::string("\0a\0b\0c\0d", 8), kEncodingUtf16Be, 0},
        {"na\xC3\xAFve", kEncodingUtf8, 0},
        {"na\xEFve text", kEncodingSystem, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        int32_t markLength = -5;
        EXPECT_EQ(DetectCharSet(c.sample.data(), int32_t(c.sample.size()), markLength), c.id);
        EXPECT_EQ(markLength, c.markLength);
    }
}

TEST(TextReaderTest, HasLineBreakOrTab)
{
    EXPECT_FALSE(HasLineBreakOrTab(nullptr));
    EXPECT_FALSE(HasLineBreakOrTab("a\r"));
    EXPECT_FALSE(HasLineBreakOrTab("abc\r\n"));
    EXPECT_TRUE(HasLineBreakOrTab("a\tbc"));
    EXPECT_TRUE(HasLineBreakOrTab("\nabc"));
}

TEST(TextReaderTest, ReadsWhatAWriterHolds)
{
    TextWriter writer;
    writer.PutText("key");
    writer.PutSeparator();
    writer.PutText("value");
    writer.EndRow();
    TextReader reader(writer);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(LineOf(reader), "key\tvalue");
    EXPECT_FALSE(reader.ReadLine());
    TextWriter empty;
    TextReader none(empty);
    EXPECT_FALSE(none.ReadLine());
}

}  // namespace
}  // namespace vek
