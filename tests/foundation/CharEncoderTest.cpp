// Tests of CharEncoder: characters, numbers and wide texts in each output encoding.
#include "foundation/strings/CharEncoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/strings/CodePages.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/WideString.h"

namespace vek {
namespace {

using Write = std::function<void(TextWriter&)>;

std::string Written(int32_t encoding, const Write& write)
{
    TextWriter writer;
    EXPECT_TRUE(writer.SetEncoding(encoding));
    write(writer);
    return std::string(writer.BufferedBytes());
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

struct Case {
    const char* what;
    int32_t encoding;
    Write write;
    std::string expected;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " in encoding " << c.encoding);
        EXPECT_EQ(Written(c.encoding, c.write), c.expected);
    }
}

TEST(CharEncoderTest, CharactersInEachEncoding)
{
    Write euro = [](TextWriter& w) { w.PutText("\xE2\x82\xAC"); };
    Write beyond = [](TextWriter& w) { w.PutChar(0x1F600); };
    RunCases({
        {"euro", kEncodingUtf8, euro, "\xE2\x82\xAC"},
        {"euro", kEncodingUtf16Le, euro, Bytes({0xAC, 0x20})},
        {"euro", kEncodingUtf16Be, euro, Bytes({0x20, 0xAC})},
        {"euro", kEncodingMacRoman, euro, "\xDB"},
        {"euro", kEncodingMacRomanCe, euro, "."},
        {"euro", kEncodingLatin1, euro, "."},  // not in that page
        {"euro", kEncodingLatin2, euro, "\x80"},
        {"euro", kEncodingPc8, euro, "."},
        {"beyond U+FFFF", kEncodingUtf8, beyond, "\xEF\xBF\xBD"},
        {"beyond U+FFFF", kEncodingUtf16Le, beyond, Bytes({0xFD, 0xFF})},
        {"beyond U+FFFF", kEncodingMacRoman, beyond, "."},
        {"e acute", kEncodingPc8, [](TextWriter& w) { w.PutChar(0xE9); }, "\x82"},
        {"e acute", kEncodingUtf16Be, [](TextWriter& w) { w.PutChar(0xE9); }, Bytes({0x00, 0xE9})},
    });
}

TEST(CharEncoderTest, RawCharactersAreBytesNotCharacters)
{
    Write raw = [](TextWriter& w) { w.PutRawChar(0xE9); };
    Write repeated = [](TextWriter& w) {
        w.PutRawCharRepeated('-', 3);
        w.PutRawCharRepeated('x', 0);
    };
    RunCases({
        {"raw", kEncodingUtf8, raw, "\xE9"},
        {"raw", kEncodingMacRoman, raw, "\xE9"},
        {"raw", kEncodingUtf16Le, raw, Bytes({0xE9, 0x00})},
        {"repeated", kEncodingUtf8, repeated, "---"},
        {"repeated", kEncodingUtf16Be, repeated, Bytes({0, '-', 0, '-', 0, '-'})},
    });
}

// A bad byte must not cut the rest of a text off: the 8-bit and UTF-16 encoders write it as U+FFFD
// ("." in a page) and go on; UTF-8 passes the bytes through as they are.
TEST(CharEncoderTest, BadByteDoesNotEndTheText)
{
    Write bad = [](TextWriter& w) { w.PutText("a\xFF" "b"); };
    RunCases({
        {"bad byte", kEncodingUtf8, bad, "a\xFF" "b"},
        {"bad byte", kEncodingLatin1, bad, "a.b"},
        {"bad byte", kEncodingUtf16Le, bad, Bytes({'a', 0, 0xFD, 0xFF, 'b', 0})},
    });

    // The encoders' own C-string operations, called at a writer's cursor.
    for (int32_t encoding : {kEncodingMacRoman, kEncodingUtf16Be}) {
        SCOPED_TRACE(encoding);
        TextWriter writer;
        ASSERT_TRUE(writer.SetEncoding(encoding));
        ASSERT_TRUE(writer.EnsureRoom(16));
        std::unique_ptr<CharEncoder> encoder;
        if (encoding == kEncodingMacRoman)
            encoder = std::make_unique<CodePageEncoder>(writer, encoding);
        else
            encoder = std::make_unique<Utf16BeEncoder>(writer);
        encoder->PutText("a\xFF" "b");
        encoder->PutRawText("\xC3");
        std::string expected = encoding == kEncodingMacRoman ? "a.b\xC3" : Bytes({0, 'a', 0xFF, 0xFD, 0, 'b', 0, 0xC3});
        EXPECT_EQ(std::string(writer.BufferedBytes()), expected);
    }
}

TEST(CharEncoderTest, WideTexts)
{
    WideString wide;
    wide.AppendUnit(u'\u00E9');
    wide.AppendUnit(0xD83D);  // a pair: one character beyond U+FFFF
    wide.AppendUnit(0xDE00);
    wide.AppendUnit(0xDC00);  // a lone surrogate
    wide.AppendUnit(u'z');
    Write write = [&](TextWriter& w) { w.PutWideString(wide); };
    RunCases({
        {"wide", kEncodingUtf8, write, "\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBDz"},
        {"wide", kEncodingLatin1, write, "\xE9..z"},
        {"wide", kEncodingUtf16Le, write, Bytes({0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xDC, 'z', 0})},
    });
}

TEST(CharEncoderTest, NumbersAreAsciiInEveryEncoding)
{
    NumberFormat format;
    format.decimalSeparator = u'\u00B7';  // a middle dot: not ASCII, so decoded, not widened
    format.mode = NumberMode::Fixed;
    format.decimals = 2;
    Write numbers = [&](TextWriter& w) {
        w.PutInt(-12);
        w.PutIntDigits(7, 3);
        w.PutInt64(10000000000);
        w.PutInt64Digits(-5, 2);
        w.PutDouble(1.5, format);
    };
    RunCases({
        {"numbers", kEncodingUtf8, numbers, "-1200710000000000-051\xC2\xB7" "50"},
        {"numbers", kEncodingMacRoman, numbers, "-1200710000000000-051\xE1" "50"},
        {"numbers", kEncodingUtf16Be, numbers,
         Bytes({0, '-', 0, '1', 0, '2', 0, '0', 0, '0', 0, '7', 0, '1', 0, '0', 0, '0', 0, '0', 0, '0', 0, '0', 0, '0',
                0, '0', 0, '0', 0, '0', 0, '0', 0, '-', 0, '0', 0, '5', 0, '1', 0, 0xB7, 0, '5', 0, '0'})},
    });
    // A huge digit count is capped rather than running over the room made for it.
    EXPECT_EQ(Written(kEncodingUtf16Le, [](TextWriter& w) { w.PutIntDigits(1, 100000); }).size(), 200u);
}

TEST(CharEncoderTest, TrimmingTrailingSeparators)
{
    struct TrimCase {
        int32_t encoding;
        uint32_t separator;
        std::string expected;
    };
    const TrimCase cases[] = {
        {kEncodingUtf8, '\t', "a\r"},
        {kEncodingMacRoman, '\t', "a\r"},
        {kEncodingUtf16Le, '\t', Bytes({'a', 0, '\r', 0})},
        {kEncodingUtf16Be, '\t', Bytes({0, 'a', 0, '\r'})},
        {kEncodingUtf8, 0x00A0, "a\r"},
        {kEncodingMacRoman, 0x00A0, "a\r"},  // 0xCA in that page
        {kEncodingUtf16Be, 0x2009, Bytes({0, 'a', 0, '\r'})},
    };
    for (const TrimCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.encoding << " separator " << c.separator);
        EXPECT_EQ(Written(c.encoding,
                          [&](TextWriter& w) {
                              w.SetSeparator(c.separator);
                              w.PutText("a");
                              w.PutSeparator();
                              w.PutSeparator();
                              w.EndRow();
                          }),
                  c.expected);
    }
    // A separator the page cannot hold is written as "."; trimming it would eat the full stop that
    // ends the field, so it stays.
    EXPECT_EQ(Written(kEncodingLatin1,
                      [](TextWriter& w) {
                          w.SetSeparator(0x2009);
                          w.PutText("etc.");
                          w.PutSeparator();
                          w.EndRow();
                      }),
              "etc..\r");
    // Trimming never goes before the buffer start, and a UTF-16 unit is compared whole: "\t" after
    // U+0900 in little-endian is the bytes 00 09 09 00, whose middle is no tab.
    EXPECT_EQ(Written(kEncodingUtf16Le,
                      [](TextWriter& w) {
                          w.PutChar(0x0900);
                          w.EndRow();
                      }),
              Bytes({0x00, 0x09, '\r', 0}));
    EXPECT_EQ(Written(kEncodingUtf8,
                      [](TextWriter& w) {
                          w.PutSeparator();
                          w.EndRow();
                      }),
              "\r");
}

TEST(CharEncoderTest, SystemPageIsTakenWhenTheEncoderIsMade)
{
    SetSystemCodePage(kEncodingMacRomanCe);
    std::string czech = Written(kEncodingSystem, [](TextWriter& w) { w.PutText("\xC4\x8C"); });  // Č
    SetSystemCodePage(kEncodingMacRoman);
    std::string roman = Written(kEncodingSystem, [](TextWriter& w) { w.PutText("\xC4\x8C"); });
    EXPECT_EQ(czech, "\x89");
    EXPECT_EQ(roman, ".");
}

}  // namespace
}  // namespace vek
