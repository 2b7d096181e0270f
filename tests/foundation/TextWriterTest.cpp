// Tests of TextWriter: line ends, long and hex fields, markup escapes, elements and the clipboard writer.
#include "foundation/streams/TextWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/BlockCompressor.h"
#include "foundation/strings/CString.h"
#include "foundation/services/Clipboard.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/HeapText.h"
#include "foundation/xml/HtmlEntities.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {
namespace {

using Write = std::function<void(TextWriter&)>;

std::string Written(const Write& write, int32_t encoding = kEncodingUtf8)
{
    TextWriter writer;
    EXPECT_TRUE(writer.SetEncoding(encoding));
    write(writer);
    return std::string(writer.BufferedBytes());
}

struct LineCase {
    const char* what;
    Write write;
    std::string expected;
};

void RunCases(const std::vector<LineCase>& cases)
{
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Written(c.write), c.expected);
    }
}

TEST(TextWriterTest, FreshWriter)
{
    TextWriter writer;
    EXPECT_TRUE(writer.BufferedBytes().empty());
    EXPECT_EQ(writer.Encoding(), kEncodingUtf8);
    EXPECT_EQ(writer.Separator(), uint32_t('\t'));
    EXPECT_EQ(writer.LineEnd(), "\r");
    EXPECT_FALSE(writer.UseHtmlEntities());
    EXPECT_EQ(writer.Dialect(), MarkupDialect::html);
    EXPECT_FALSE(writer.SetEncoding(9));
    EXPECT_FALSE(writer.SetEncodingByName("Klingon"));
    EXPECT_EQ(writer.Encoding(), kEncodingUtf8);
    EXPECT_TRUE(writer.SetEncodingByName("PC-8"));
    EXPECT_EQ(writer.Encoding(), kEncodingPc8);
}

TEST(TextWriterTest, RowsAndLines)
{
    HeapText heap = NewHeapText("heap");
    const uint8_t pascal[] = {3, 'p', 'a', 's'};
    RunCases({
        {"row with trailing empty fields",
         [](TextWriter& w) {
             w.PutText("a");
             w.PutSeparator();
             w.PutText("b");
             w.PutSeparator();
             w.PutSeparator();
             w.EndRow();
         },
         "a\tb\r"},
        {"flag lines", [](TextWriter& w) { w.WriteTaggedFlagLine('X', true); w.WriteKeyFlagLine("AB", false); },
         "X+\rAB-\r"},
        {"empty and null lines write nothing",
         [](TextWriter& w) {
             w.WriteLine("");
             w.WriteLine(nullptr);
             w.WriteBytesLine("x", 0);
             w.WriteHeapTextLine(nullptr);
             w.WriteCharLine(0);
             w.WriteTaggedLine('T', "");
             w.WriteTaggedHeapTextLine('T', nullptr);
             w.WriteKeyTextLine("K", nullptr);
             w.WriteKeyHeapTextLine("K", nullptr);
             w.PutText(nullptr);
             w.PutPascalString(nullptr);
         },
         ""},
        {"tagged lines",
         [&](TextWriter& w) {
             w.WriteTaggedLine('T', "text");
             w.WriteTaggedHeapTextLine('H', heap);
             w.WriteTaggedCharLine('C', 'x');
             w.WriteTaggedIntLine('I', -3);
             w.WriteTaggedNumberLine('N', 4);
             w.WriteTaggedInt64Line('L', 5000000000);
         },
         "T\ttext\rH\theap\rC\tx\rI\t-3\rN\t4\rL\t5000000000\r"},
        {"keyed lines",
         [&](TextWriter& w) {
             w.WriteKeyTextLine("FZ", "v");
             w.WriteKeyHeapTextLine("HK", heap);
             w.WriteKeyCharLine("CK", '#');
             w.WriteKeyIntLine("IK", 7);
             w.WriteKeyNumberLine("NK", 8);
             w.WriteKeyInt64Line("LK", -9);
         },
         "FZ\tv\rHK\theap\rCK\t#\rIK\t7\rNK\t8\rLK\t-9\r"},
        {"plain lines",
         [&](TextWriter& w) {
             w.WriteLine("line");
             w.WriteBytesLine("bytesXX", 5);
             w.WriteHeapTextLine(heap);
             w.WriteCharLine('c');
             w.PutPascalString(pascal);
             w.PutHeapText(heap);
             w.PutDoubleDefault(2.5);
         },
         "line\rbytes\rheap\rc\rpasheap2.5"},
    });
    SetHeapText(heap, nullptr);
}

TEST(TextWriterTest, LineEnds)
{
    struct Case {
        const char* what;
        std::function<void(TextWriter&)> set;
        std::string lineEnd;
    };
    const Case cases[] = {
        {"four bytes keep three", [](TextWriter& w) { w.SetLineEnd("abcd"); }, "abc"},
        {"a character is never split", [](TextWriter& w) { w.SetLineEnd("a\xE2\x82\xAC"); }, "a"},
        {"three-byte character", [](TextWriter& w) { w.SetLineEnd("\xE2\x80\xA8" "x"); }, "\xE2\x80\xA8"},
        {"CR LF", [](TextWriter& w) { w.SetLineEndCrLf(); }, "\r\n"},
        {"CR", [](TextWriter& w) { w.SetLineEndCrLf(); w.SetLineEndCr(); }, "\r"},
        {"one character", [](TextWriter& w) { w.SetLineEndChar('\n'); }, "\n"},
        {"none", [](TextWriter& w) { w.SetLineEnd(""); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextWriter writer;
        c.set(writer);
        EXPECT_EQ(writer.LineEnd(), c.lineEnd);
        writer.WriteLine("x");
        EXPECT_EQ(std::string(writer.BufferedBytes()), "x" + c.lineEnd);
    }
    // Under UTF-16 the line end is encoded like any text.
    EXPECT_EQ(Written([](TextWriter& w) { w.SetLineEndCrLf(); w.WriteLine("a"); }, kEncodingUtf16Le),
              std::string("a\0\r\0\n\0", 6));
}

struct EscapeCase {
    const char* input;
    bool entities;
    std::string expected;
};

void CheckEscapes(MarkupDialect dialect, const std::vector<EscapeCase>& cases)
{
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.input << "\" entities " << c.entities);
        TextWriter writer;
        writer.SetDialect(dialect);
        writer.SetUseHtmlEntities(c.entities);
        int64_t predicted = writer.MarkupEscapedLength(c.input);
        writer.PutMarkupEscaped(c.input);
        EXPECT_EQ(std::string(writer.BufferedBytes()), c.expected);
        EXPECT_EQ(predicted, static_cast<int64_t>(writer.BufferedBytes().size()));
    }
}

TEST(TextWriterTest, HtmlEscapes)
{
    CheckEscapes(MarkupDialect::html, {
        {"a<b & c", false, "a&lt;b &amp; c"},
        {"\"q\" 'a' >", false, "&quot;q&quot; &apos;a&apos; &gt;"},
        {"\t", false, "&#09;"},
        {"\x01\n\r\x1F", false, "&#01;&#10;&#13;&#31;"},  // HTML keeps every control as a reference
        {"\xC3\xA9", true, "&eacute;"},
        {"\xC3\xA9", false, "\xC3\xA9"},
        {"\xC2\xAD", true, "\xC2\xAD"},  // the soft hyphen has no entity
        {"\xE2\x82\xAC \xCE\xB1 \xE2\x89\xA4", true, "&euro; &alpha; &le;"},
        {"\xE2\x82\xAC", false, "\xE2\x82\xAC"},
        // A bad byte is one U+FFFD and the text goes on (it used to end the text there).
        {"a\xFF" "b<", false, "a\xEF\xBF\xBD" "b&lt;"},
        {"a\xC3" "b", true, "a\xEF\xBF\xBD" "b"},
        {"\xF0\x9F\x98\x80!", true, "\xEF\xBF\xBD!"},
        {"", false, ""},
    });
}

TEST(TextWriterTest, XmlEscapes)
{
    CheckEscapes(MarkupDialect::xml, {
        {"a<b & c", false, "a&lt;b &amp; c"},
        {"\t\n\r", false, "&#09;&#10;&#13;"},
        // Controls that XML 1.0 forbids even as references are dropped.
        {"a\x01\x08\x0B\x0C\x1F" "b", false, "ab"},
        {"x\xEF\xBF\xBEy\xEF\xBF\xBFz", false, "xyz"},
        {"\xEF\xBF\xBD", false, "\xEF\xBF\xBD"},
        {"a\xFF" "b", false, "a\xEF\xBF\xBD" "b"},
        {"\xC3\xA9", true, "&eacute;"},
    });
    // The XML declaration switches a writer to XML escapes.
    TextWriter writer;
    writer.WriteXmlDeclaration();
    EXPECT_EQ(writer.Dialect(), MarkupDialect::xml);
}

TEST(TextWriterTest, EscapedTextDecodesBackToTheText)
{
    const char text[] = "\x01\x09\x1F <tag a=\"1\" b='2'> & \xC3\xA9\xC3\x9F \xE2\x82\xAC \xCE\xA9 \xC2\xAD end";
    for (bool entities : {false, true}) {
        SCOPED_TRACE(entities);
        TextWriter writer;
        writer.SetUseHtmlEntities(entities);
        writer.PutMarkupEscaped(text);
        String decoded;
        decoded.AssignBytes(writer.BufferedBytes().data(), static_cast<int32_t>(writer.BufferedBytes().size()));
        decoded.SetLength(CStrDecodeEntities(decoded.Data()));
        EXPECT_STREQ(decoded.CStr(), text);
    }
}

TEST(TextWriterTest, EscapesInOtherEncodings)
{
    EXPECT_EQ(Written([](TextWriter& w) { w.PutMarkupEscaped("\xC3\xA9\xE2\x82\xAC<\x01"); }, kEncodingLatin1),
              "\xE9.&lt;&#01;");
    EXPECT_EQ(Written([](TextWriter& w) { w.PutMarkupEscaped("\xC3\xA9&"); }, kEncodingUtf16Be),
              std::string("\0\xE9\0&\0a\0m\0p\0;", 12));
}

TEST(TextWriterTest, ElementsAndAttributes)
{
    NumberFormat format;
    RunCases({
        {"element", [](TextWriter& w) { w.WriteElementLine("a", "x<y"); }, "<a>x&lt;y</a>\r"},
        {"null element", [](TextWriter& w) { w.WriteElementLine("a", nullptr); }, ""},
        {"optional element", [](TextWriter& w) { w.WriteElementLineOptional("a", nullptr); }, "<a></a>\r"},
        {"empty element", [](TextWriter& w) { w.WriteElementLine("a", ""); }, "<a></a>\r"},
        {"int element", [](TextWriter& w) { w.WriteIntElementLine("n", -42); }, "<n>-42</n>\r"},
        {"attribute", [](TextWriter& w) { w.PutAttribute("t", "a\"b"); }, " t=\"a&quot;b\""},
        {"empty attribute", [](TextWriter& w) { w.PutAttribute("t", ""); w.PutAttribute("t", nullptr); }, ""},
        {"allow empty", [](TextWriter& w) { w.PutAttributeAllowEmpty("t", ""); w.PutAttributeAllowEmpty("u", nullptr); },
         " t=\"\""},
        {"bare name", [](TextWriter& w) { w.PutAttributeOrBareName("c", ""); w.PutAttributeOrBareName("d", "1"); },
         " c d=\"1\""},
        {"if changed: same", [](TextWriter& w) { w.PutAttributeIfChanged("a", "x", "x"); w.PutAttributeIfChanged("b", nullptr, nullptr); },
         ""},
        {"if changed: null", [](TextWriter& w) { w.PutAttributeIfChanged("a", nullptr, "x"); }, " a"},
        {"if changed: empty", [](TextWriter& w) { w.PutAttributeIfChanged("a", "", nullptr); }, " a=\"\""},
        {"if changed: value", [](TextWriter& w) { w.PutAttributeIfChanged("a", "<", "x"); }, " a=\"&lt;\""},
        {"int attribute", [](TextWriter& w) { w.PutIntAttribute("n", 12); }, " n=\"12\""},
        {"double attribute", [&](TextWriter& w) { w.PutDoubleAttribute("d", 0.25, format); }, " d=\"0.25\""},
        {"char attribute", [](TextWriter& w) { w.PutCharAttribute("s", ';'); w.PutCharAttribute("t", '\t'); },
         " s=\";\""},
        // A quote as the character must not end the value early.
        {"quote as char attribute", [](TextWriter& w) { w.PutCharAttribute("q", '"'); }, " q=\"&quot;\""},
        {"bare text", [](TextWriter& w) { w.PutBareText("selected"); }, " selected"},
    });
}

TEST(TextWriterTest, DocumentHeads)
{
    RunCases({
        {"doctype", [](TextWriter& w) { w.WriteHtmlDoctype(); },
         "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r"},
        {"meta", [](TextWriter& w) { w.WriteHtmlContentTypeMeta(); },
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"/>\r"},
        {"meta, system page",
         [](TextWriter& w) {
             ASSERT_TRUE(w.SetEncoding(kEncodingSystem));
             w.WriteHtmlContentTypeMeta();
         },
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=macintosh\"/>\r"},
        {"xml", [](TextWriter& w) { w.WriteXmlDeclaration(); }, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r"},
        {"xml, Latin 2",
         [](TextWriter& w) {
             ASSERT_TRUE(w.SetEncoding(kEncodingLatin2));
             w.WriteXmlDeclaration();
         },
         "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r"},
        {"comment", [](TextWriter& w) { w.WriteHtmlComment("made by VEK"); }, "<!-- made by VEK -->\r"},
    });
}

TEST(TextWriterTest, LongTexts)
{
    struct Case {
        int32_t length;
        std::vector<int32_t> pieces;  // bytes of text per line
    };
    const Case cases[] = {
        {9000, {4200, 4200, 600}},
        {4208, {4208}},
        {4209, {4200, 9}},
        {1, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(static_cast<std::size_t>(c.length), 'x');
        HeapText heap = NewHeapText(text.c_str());
        std::string expected;
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            expected.append(static_cast<std::size_t>(c.pieces[i]), 'x');
            if (i + 1 < c.pieces.size())
                expected += "/==\r";
        }
        EXPECT_EQ(Written([&](TextWriter& w) { w.PutLongText(heap); }), expected);
        SetHeapText(heap, nullptr);
    }
}

// Line breaks of every kind are coded, so a long text never breaks a line of the file it is in; a
// piece never ends inside a character, so every line stays well-formed text.
TEST(TextWriterTest, LongTextCodesLineBreaksAndCutsBetweenCharacters)
{
    HeapText heap = NewHeapText("a\r\nb\nc\rd\te");
    EXPECT_EQ(Written([&](TextWriter& w) { w.PutLongText(heap); }), "a\x03" "b\x03" "c\x03" "d\x04" "e");

    std::string text = "x";
    while (text.size() < 9000)
        text += "\xC3\xA9";  // the cut at 4200 falls inside a character
    SetHeapText(heap, text.c_str());
    for (int32_t encoding : {kEncodingUtf8, kEncodingLatin1}) {
        SCOPED_TRACE(encoding);
        std::string out = Written([&](TextWriter& w) { w.PutLongText(heap); }, encoding);
        std::string joined;
        std::size_t at = 0;
        int32_t lines = 0;
        for (std::size_t marker; (marker = out.find("/==\r", at)) != std::string::npos; at = marker + 4) {
            std::string piece = out.substr(at, marker - at);
            EXPECT_GE(piece.size(), encoding == kEncodingUtf8 ? 4198u : 2099u);
            if (encoding == kEncodingUtf8) {
                EXPECT_TRUE(Utf8IsValid(piece.data(), static_cast<int32_t>(piece.size())));
            }
            joined += piece;
            ++lines;
        }
        joined += out.substr(at);
        EXPECT_EQ(lines, 2);
        std::string expected = encoding == kEncodingUtf8 ? text : "x" + std::string((text.size() - 1) / 2, '\xE9');
        EXPECT_EQ(joined, expected);
    }
    SetHeapText(heap, nullptr);
}

std::string ExpandHexField(std::string_view field)
{
    EXPECT_FALSE(field.empty());
    EXPECT_EQ(field[0], '*');
    std::vector<uint8_t> packed;
    for (std::size_t i = 1; i + 1 < field.size(); i += 2)
        packed.push_back(static_cast<uint8_t>(std::stoi(std::string(field.substr(i, 2)), nullptr, 16)));
    std::vector<uint8_t> out(40000);
    ExpandResult result = ExpandBlock(out, packed);
    EXPECT_EQ(result.status, ExpandStatus::Complete);
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(result.length));
}

TEST(TextWriterTest, CompressedHex)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + std::to_string(i % 17) + "\t";
    text.resize(32767);
    std::string out = Written([&](TextWriter& w) { w.PutCompressedHex(text.c_str()); });
    EXPECT_EQ(out.find_first_not_of("0123456789ABCDEF", 1), std::string::npos);
    EXPECT_EQ(ExpandHexField(out), text);

    text += "!";  // 32768 bytes: too long
    EXPECT_EQ(Written([&](TextWriter& w) { w.PutCompressedHex(text.c_str()); }), "");
    EXPECT_EQ(Written([](TextWriter& w) { w.PutCompressedHex(""); }), "*");
    EXPECT_EQ(Written([](TextWriter& w) { w.PutCompressedHex(nullptr); }), "");
    // Bytes that cannot be compressed take up to twice their length, more than a fixed work block of
    // 20480 bytes would hold; all of them are written.
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 15000; ++i)
        noise.push_back(static_cast<char>(1 + random() % 255));
    std::string field = Written([&](TextWriter& w) { w.PutCompressedHex(noise.c_str()); });
    EXPECT_GT(field.size(), 20480u);
    EXPECT_EQ(ExpandHexField(field), noise);
}

TEST(TextWriterTest, MemoryWriterGrowsForAnyWriteAndKeepsItsTextWhenMemoryRunsShort)
{
    TextWriter writer;
    std::string big(100000, 'b');
    writer.PutTextBytes(big.data(), static_cast<int32_t>(big.size()));
    EXPECT_EQ(writer.BufferedBytes().size(), big.size());
    writer.PutText("tail");  // fits after the first growth

    std::string before(writer.BufferedBytes());
    std::string bigger(5 * big.size(), 'c');  // needs a new buffer
    MemFailAllocationsAfter(0);
    writer.PutTextBytes(bigger.data(), static_cast<int32_t>(bigger.size()));
    writer.WriteLine(bigger.c_str());
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(std::string(writer.BufferedBytes()), before);
    writer.WriteLine("!");
    EXPECT_EQ(std::string(writer.BufferedBytes()), before + "!\r");
}

TEST(TextWriterTest, EntityTable)
{
    EXPECT_EQ(HtmlEntityTable().size(), 169u);
    struct Case {
        uint32_t codePoint;
        const char* name;
    };
    const Case cases[] = {
        {'"', "&quot;"},     {'\'', "&apos;"},   {0xA0, "&nbsp;"},     {0xA8, nullptr},  {0xAD, nullptr},
        {0xAF, nullptr},     {0xB4, nullptr},    {0xB8, nullptr},      {0xE9, "&eacute;"}, {0xFF, "&yuml;"},
        {0x152, "&OElig;"},  {0x3A2, nullptr},   {0x3C2, "&sigmaf;"},  {0x3A9, "&Omega;"}, {0x20AC, "&euro;"},
        {0x2265, "&ge;"},    {'a', nullptr},     {0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePoint);
        const HtmlEntity* entity = FindEntityEntry(c.codePoint);
        if (c.name == nullptr) {
            EXPECT_EQ(entity, nullptr);
        } else {
            ASSERT_NE(entity, nullptr);
            EXPECT_STREQ(entity->name, c.name);
            EXPECT_EQ(FindHtmlEntity(c.codePoint), entity);
        }
    }
}

TEST(TextWriterTest, DecodingEntities)
{
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"&lt;b&gt;", "<b>"},
        {"&#09;", "\t"},
        {"&#65;", "&#65;"},  // above 31
        {"&#00;", "&#00;"},
        {"&#0a;", "&#0a;"},  // not two digits
        {"&zzz;", "&zzz;"},
        {"&amp;lt;", "&lt;"},  // decoded once
        {"&eacute;t&eacute;", "\xC3\xA9t\xC3\xA9"},  // as UTF-8, the form of all text in memory
        {"&euro;&le;", "\xE2\x82\xAC\xE2\x89\xA4"},
        {"a & b", "a & b"},
        {"&", "&"},
        {"&#1", "&#1"},
        {"&nbsp", "&nbsp"},  // a name needs its ";"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        char buffer[64];
        std::strcpy(buffer, c.input);
        EXPECT_EQ(CStrDecodeEntities(buffer), static_cast<int32_t>(std::strlen(c.expected)));
        EXPECT_STREQ(buffer, c.expected);
    }
}

class RecordingClipboard final : public ClipboardService {
public:
    ~RecordingClipboard() override = default;
    void PutText(std::string_view text) override { puts.emplace_back(text); }
    std::string GetText() override { return puts.empty() ? std::string() : puts.back(); }
    std::vector<std::string> puts;
};

TEST(ClipboardWriterTest, TextGoesToTheClipboardWhenTheWriterGoes)
{
    {
        ClipboardWriter writer;
        writer.WriteLine("## Selection");
        writer.WriteTaggedLine('V', "x");
    }
    EXPECT_EQ(Service<ClipboardService>::Get().GetText(), "## Selection\rV\tx\r");

    RecordingClipboard recording;
    {
        ScopedService<ClipboardService> replaced(&recording);
        ClipboardWriter writer;
        writer.PutText("to the desktop");
    }
    ASSERT_EQ(recording.puts.size(), 1u);
    EXPECT_EQ(recording.puts[0], "to the desktop");
    EXPECT_EQ(Service<ClipboardService>::Get().GetText(), "## Selection\rV\tx\r");
}

}  // namespace
}  // namespace vek
