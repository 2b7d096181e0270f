// Tests of CodePages: the tables, encoding names, the converter and the system code page.
#include "foundation/strings/CodePages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "foundation/strings/ByteTextConverter.h"
#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "foundation/services/SystemLocale.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"

namespace vek {
namespace {

// A locale that prefers the given localizations.
class FixedLocale final : public SystemLocale {
public:
    explicit FixedLocale(std::vector<std::string> preferred) : preferred(std::move(preferred)) {}
    std::vector<std::string> PreferredLocalizations() const override { return preferred; }
    LocaleSeparators NumberSeparators() const override { return LocaleSeparators(); }

private:
    std::vector<std::string> preferred;
};

std::string Utf8Of(const std::vector<uint32_t>& codePoints)
{
    std::string text;
    for (uint32_t c : codePoints) {
        char bytes[4];
        text.append(bytes, static_cast<std::size_t>(Utf8EncodeChar(bytes, c)));
    }
    return text;
}

// ASCII and every character of a page: a text that page, and any page holding all of it, can carry.
std::string PageSample(int32_t page)
{
    std::vector<uint32_t> chars;
    for (uint32_t c = 32; c < 127; ++c)
        chars.push_back(c);
    chars.push_back('\t');
    chars.push_back('\r');
    for (char16_t c : *CodePageTable(page))
        chars.push_back(c);
    return Utf8Of(chars);
}

bool EncodingHolds(int32_t encoding, const std::string& text)
{
    if (!IsCodePageEncoding(encoding))
        return true;
    const char* p = text.c_str();
    while (uint32_t c = Utf8NextChar(p)) {
        if (CodePageByteFromChar(c, encoding) == 0)
            return false;
    }
    return true;
}

// Writes the text through the writer's encoder and reads the bytes back through the converter.
std::string RoundTrip(const std::string& text, int32_t encoding)
{
    TextWriter writer;
    EXPECT_TRUE(writer.SetEncoding(encoding));
    writer.PutText(text.c_str());
    std::string_view bytes = writer.BufferedBytes();
    ByteTextConverter converter;
    converter.SetEncoding(encoding);
    std::string back(3 * bytes.size() + 3, '\0');
    int32_t consumed = 0;
    int32_t n = converter.Convert(back.data(), static_cast<int32_t>(back.size()), bytes.data(),
                                  static_cast<int32_t>(bytes.size()), &consumed);
    EXPECT_EQ(consumed, static_cast<int32_t>(bytes.size()));
    back.resize(static_cast<std::size_t>(n));
    return back;
}

class CodePageTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetSystemCodePage(kEncodingMacRoman);
        SetUiLanguage(0);
    }
};

TEST_F(CodePageTest, KnownPointsOfEachPage)
{
    struct Case {
        int32_t encoding;
        uint8_t byte;
        uint32_t codePoint;
    };
    const Case cases[] = {
        {kEncodingMacRoman, 0x80, 0x00C4},   {kEncodingMacRoman, 0x8E, 0x00E9},   {kEncodingMacRoman, 0xA5, 0x2022},
        {kEncodingMacRoman, 0xDB, 0x20AC},   {kEncodingMacRoman, 0xF0, 0xF8FF},   {kEncodingMacRoman, 0xFF, 0x02C7},
        {kEncodingMacRomanCe, 0x81, 0x0100}, {kEncodingMacRomanCe, 0x89, 0x010C}, {kEncodingMacRomanCe, 0xDB, 0x0158},
        {kEncodingMacRomanCe, 0xE1, 0x0160}, {kEncodingMacRomanCe, 0xF1, 0x016E}, {kEncodingMacRomanCe, 0xFF, 0x02C7},
        {kEncodingLatin1, 0x80, 0x0080},     {kEncodingLatin1, 0x8A, 0x0160},     {kEncodingLatin1, 0x9F, 0x0178},
        {kEncodingLatin1, 0xA4, 0x00A4},     {kEncodingLatin1, 0xE9, 0x00E9},     {kEncodingLatin2, 0x80, 0x20AC},
        {kEncodingLatin2, 0x81, 0x0081},     {kEncodingLatin2, 0x8A, 0x0160},     {kEncodingLatin2, 0x9E, 0x017E},
        {kEncodingLatin2, 0xE8, 0x010D},     {kEncodingLatin2, 0xF8, 0x0159},     {kEncodingPc8, 0x80, 0x00C7},
        {kEncodingPc8, 0x82, 0x00E9},        {kEncodingPc8, 0x9E, 0x20A7},        {kEncodingPc8, 0xB0, 0x2591},
        {kEncodingPc8, 0xE1, 0x00DF},        {kEncodingPc8, 0xFF, 0x00A0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.encoding << " byte " << int(c.byte));
        EXPECT_EQ(CodePageCharToUnicode(c.byte, c.encoding), c.codePoint);
        EXPECT_EQ(CodePageByteFromChar(c.codePoint, c.encoding), c.byte);
    }
    EXPECT_EQ(CodePageByteFromChar(0x20AC, kEncodingLatin1), 0);  // not in that page
    EXPECT_EQ(CodePageByteFromChar('A', kEncodingPc8), 'A');
}

TEST_F(CodePageTest, EveryPageHoldsEachCharacterOnce)
{
    for (int32_t page = kEncodingMacRoman; page <= kEncodingPc8; ++page) {
        SCOPED_TRACE(page);
        for (int32_t byte = 0; byte < 256; ++byte) {
            uint32_t c = CodePageCharToUnicode(static_cast<uint8_t>(byte), page);
            EXPECT_EQ(byte < 0x80, c < 0x80) << byte;
            EXPECT_EQ(CodePageByteFromChar(c, page), byte) << byte;
        }
    }
}

TEST_F(CodePageTest, TablesAndFallbacks)
{
    EXPECT_EQ(CodePageTable(kEncodingUtf8), nullptr);
    EXPECT_EQ(CodePageTable(kEncodingUtf16Be), nullptr);
    EXPECT_EQ(CodePageTable(9), nullptr);
    EXPECT_EQ(CodePageTable(-1), nullptr);
    // The conversions take page 6 where the id has no page.
    EXPECT_EQ(CodePageCharToUnicode(0x8A, kEncodingUtf8), 0x0160u);
    EXPECT_EQ(CodePageByteFromChar(0x00E9, 42), 0xE9);
}

TEST_F(CodePageTest, SystemCodePageFollowsTheInterfaceLanguageNotTheLocale)
{
    // Before start-up: Mac Roman, the page of the English interface.
    EXPECT_EQ(SystemCodePage(), kEncodingMacRoman);
    EXPECT_EQ(CodePageTable(kEncodingSystem), CodePageTable(kEncodingMacRoman));
    SetSystemCodePage(kEncodingLatin2);  // only the two Mac pages are system pages
    EXPECT_EQ(SystemCodePage(), kEncodingMacRoman);

    struct Case {
        const char* name;
        std::vector<std::string> preferred;
        int32_t available;
        int32_t page;
    };
    const Case cases[] = {
        {"Czech before an English Latin-1 locale", {"cs", "en_US.ISO-8859-1"}, 1, kEncodingMacRomanCe},
        {"Slovak", {"sk_SK.UTF-8"}, 10, kEncodingMacRomanCe},
        {"German before a Czech Latin-2 locale", {"de", "cs_CZ.ISO-8859-2"}, 7, kEncodingMacRoman},
        {"no language", {}, 1, kEncodingMacRoman},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixedLocale locale(c.preferred);
        ScopedService<SystemLocale> registered(&locale);
        bool wasAvailable = IsLanguageAvailable(c.available);
        SetLanguageAvailable(c.available, true);
        SetLanguageAndCodePage();
        SetLanguageAvailable(c.available, wasAvailable);
        EXPECT_EQ(SystemCodePage(), c.page);
        EXPECT_EQ(CodePageTable(kEncodingSystem), CodePageTable(c.page));
        EXPECT_EQ(CodePageByteFromChar(0x010C, kEncodingSystem), c.page == kEncodingMacRomanCe ? 0x89 : 0);
    }
}

TEST_F(CodePageTest, EncodingNames)
{
    struct Case {
        const char* name;
        int32_t encoding;
    };
    const Case cases[] = {
        {"iso-8859-2", 7},        {"UTF-16 LE", 1},        {"utf-16be", 2},        {"Win", 6},
        {"System Codepage", 3},   {"MacRomanCE", 5},       {"macroman", 4},        {"PC-8", 8},
        {"cp437 DOS", -1},        {"", -1},                {"latin-2", 7},         {"Windows-1252", 6},
        {"8bit", 3},              {"default", 3},          {"xyz", -1},
        // Display names stand for their own encodings (by prefix alone, the first two would read
        // as Mac Roman and Latin 1).
        {"Macintosh Roman CE", 5}, {"Windows Latin 2", 7}, {"PC DOS OEM", 8},     {"UTF-16 BE", 2},
        // Only the first 31 bytes of a name count.
        {"                               UTF-8", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodingFromName(c.name), c.encoding);
    }
    for (int32_t id = 0; id < kEncodingCount; ++id) {
        SCOPED_TRACE(id);
        EXPECT_EQ(EncodingFromName(EncodingShortName(id)), id);
        EXPECT_EQ(EncodingFromName(EncodingDisplayName(id)), id);
        // The names XML declarations and HTML charsets carry read back as the page they name.
        EXPECT_EQ(EncodingFromName(EncodingIanaName(id)), id == kEncodingSystem ? SystemCodePage() : id);
    }
    EXPECT_STREQ(EncodingShortName(3), "SysPage");
    EXPECT_STREQ(EncodingIanaName(kEncodingPc8), "IBM437");
    EXPECT_EQ(EncodingIanaName(9), nullptr);
    EXPECT_STREQ(EncodingDisplayName(6), "Windows Latin 1");
    EXPECT_EQ(EncodingShortName(9), nullptr);
    EXPECT_EQ(EncodingDisplayName(-1), nullptr);
}

TEST_F(CodePageTest, SampleTextsComeBackThroughEveryEncodingThatHoldsThem)
{
    std::vector<std::string> samples = {"Plain ASCII, 123; tab\there.", Utf8Of({'K', 0x00F6, 'r', 0x20AC, 0x2013})};
    for (int32_t page = kEncodingMacRoman; page <= kEncodingPc8; ++page)
        samples.push_back(PageSample(page));
    int32_t heldSomewhere = 0;
    for (std::size_t s = 0; s < samples.size(); ++s) {
        for (int32_t encoding = 0; encoding < kEncodingCount; ++encoding) {
            if (!EncodingHolds(encoding, samples[s]))
                continue;
            SCOPED_TRACE(testing::Message() << "sample " << s << " encoding " << encoding);
            ++heldSomewhere;
            EXPECT_EQ(RoundTrip(samples[s], encoding), samples[s]);
            if (IsCodePageEncoding(encoding)) {
                // The same through the conversion functions and the string members.
                std::string bytes(samples[s].size() + 1, '\0');
                bytes.resize(static_cast<std::size_t>(Utf8ToCodePage(bytes.data(), samples[s].c_str(), encoding)));
                std::string back(static_cast<std::size_t>(CodePageUtf8Length(bytes.c_str(), encoding)) + 1, '\0');
                back.resize(static_cast<std::size_t>(CodePageToUtf8(back.data(), bytes.c_str(), encoding)));
                EXPECT_EQ(back, samples[s]);
                String text;
                text.AssignCStr(samples[s].c_str());
                text.ConvertToCodePage(encoding);
                EXPECT_EQ(std::string(text.CStr()), bytes);
                text.ConvertFromCodePage(encoding);
                EXPECT_EQ(std::string(text.CStr()), samples[s]);
            }
        }
    }
    EXPECT_GE(heldSomewhere, 2 * static_cast<int32_t>(samples.size()));  // UTF-8 and UTF-16 at least
}

TEST_F(CodePageTest, Utf8ToCodePageDropsWhatThePageLacks)
{
    // A euro sign (not in page 6), a bad byte and a 4-byte sequence are dropped; é stays.
    const char text[] = "a\xE2\x82\xAC" "b\xFF" "c\xF0\x9F\x98\x80" "d\xC3\xA9";
    char out[sizeof text];
    EXPECT_EQ(Utf8ToCodePage(out, text, kEncodingLatin1), 5);
    EXPECT_STREQ(out, "abcd\xE9");
    EXPECT_EQ(Utf8ToCodePage(out, nullptr, kEncodingLatin1), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(CodePageToUtf8(out, nullptr, kEncodingLatin1), 0);
    EXPECT_EQ(CodePageUtf8Length("\xDB", kEncodingMacRoman), 3);
}

TEST_F(CodePageTest, StringConversionsStopAtTheGrowthLimitBetweenCharacters)
{
    // 20000 bytes of 0x8A would be 40000 bytes of UTF-8 (U+0160); the string keeps whole characters.
    std::string pageText(20000, '\x8A');
    String text;
    text.AssignCodePageText(pageText.c_str(), kEncodingLatin1);
    EXPECT_EQ(text.Length(), String::kGrowthLimit);
    EXPECT_TRUE(Utf8IsValid(text.CStr(), text.Length()));
    EXPECT_EQ(Utf8CharCount(text.CStr()), String::kGrowthLimit / 2);

    text.AssignCStr("x\xC5\xA0y");
    text.AssignUtf8AsCodePage(text.CStr() + 1, kEncodingLatin1);  // from inside its own buffer
    EXPECT_STREQ(text.CStr(), "\x8Ay");
    text.AssignCodePageText(text.CStr(), kEncodingLatin1);
    EXPECT_STREQ(text.CStr(), "\xC5\xA0y");
    text.AssignCodePageText(nullptr, kEncodingLatin1);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(CodePageTest, EncodedCodePoints)
{
    struct Case {
        uint32_t codePoint;
        int32_t encoding;
        std::string expected;
    };
    const Case cases[] = {
        {0x20AC, kEncodingUtf8, "\xE2\x82\xAC"},
        {0x20AC, kEncodingUtf16Le, std::string("\xAC\x20", 2)},
        {0x0041, kEncodingUtf16Be, std::string("\x00\x41", 2)},
        {0x20AC, kEncodingMacRoman, "\xDB"},
        {0x20AC, kEncodingLatin1, ""},  // the page lacks it: nothing, not a NUL character
        {0x00E9, kEncodingPc8, "\x82"},
        {0x1F600, kEncodingUtf16Le, std::string("\xFD\xFF", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.codePoint << " in " << c.encoding);
        char buffer[8];
        int32_t n = CodePointToEncodedCStr(buffer, c.codePoint, c.encoding);
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), c.expected);
        EXPECT_EQ(buffer[n], 0);
    }
}

TEST_F(CodePageTest, ByteOrderMarks)
{
    EXPECT_EQ(ByteOrderMark(kEncodingUtf8).size(), 3u);
    EXPECT_EQ(ByteOrderMark(kEncodingUtf16Le)[0], 0xFF);
    EXPECT_EQ(ByteOrderMark(kEncodingUtf16Be)[0], 0xFE);
    EXPECT_TRUE(ByteOrderMark(kEncodingMacRoman).empty());
    EXPECT_TRUE(ByteOrderMark(kEncodingSystem).empty());
}

TEST_F(CodePageTest, ConverterDecodesEveryInputForm)
{
    struct Case {
        int32_t encoding;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {kEncodingUtf8, "a\xFF" "b", "a\xEF\xBF\xBD" "b"},  // a bad byte is U+FFFD, and the text goes on
        {kEncodingUtf16Le, std::string("a\0\xAC\x20", 4), "a\xE2\x82\xAC"},
        {kEncodingUtf16Be, std::string("\xD8\x3D\xDE\x00\0b", 6), "\xEF\xBF\xBD" "b"},  // a pair: one U+FFFD
        {kEncodingUtf16Le, std::string("\x00\xDC" "a", 3), "\xEF\xBF\xBD\xEF\xBF\xBD"},  // lone surrogate, odd byte
        {kEncodingMacRoman, "\x8E\xDB", "\xC3\xA9\xE2\x82\xAC"},
        {kEncodingSystem, "\x80", "\xC3\x84"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        ByteTextConverter converter;
        converter.SetEncoding(c.encoding);
        char out[64];
        int32_t n = converter.Convert(out, sizeof out, c.input.data(), static_cast<int32_t>(c.input.size()));
        EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), c.expected);
    }
}

TEST_F(CodePageTest, ConverterStopsShortOfTheCapacityAndSaysWhere)
{
    ByteTextConverter converter;
    converter.SetEncoding(kEncodingLatin1);
    const char input[] = "\xE9\xE9\xE9\xE9";  // 2 UTF-8 bytes each
    char out[8];
    int32_t consumed = 0;
    // Room for 3 bytes must remain before each character, so 6 bytes fit into 8.
    int32_t n = converter.Convert(out, sizeof out, input, 4, &consumed);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(consumed, 3);
    n = converter.Convert(out, sizeof out, input + consumed, 4 - consumed, &consumed);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(consumed, 1);
    EXPECT_EQ(converter.Convert(out, 2, input, 4), 0);
}

TEST_F(CodePageTest, ConverterMapsCharacters)
{
    ByteTextConverter converter;
    converter.SetEncoding(kEncodingMacRoman);
    // Pairs of equal characters change nothing; ä (0x8A in Mac Roman) becomes A, a becomes b.
    converter.SetCharMappings("x\xC3\xA4" "a", "x" "A" "b");
    char out[16];
    int32_t n = converter.Convert(out, sizeof out, "\x8A" "ax", 3);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), "Abx");
    converter.SetEncoding(kEncodingUtf8);
    n = converter.Convert(out, sizeof out, "\xC3\xA4" "a", 3);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), "Ab");
    converter.SetCharMappings(nullptr, nullptr);  // back to no map
    n = converter.Convert(out, sizeof out, "a", 1);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), "a");
}

}  // namespace
}  // namespace vek
