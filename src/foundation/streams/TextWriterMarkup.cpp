// TextWriter: long fields, compressed hex fields, and escaped HTML and XML markup.
#include <array>
#include <climits>
#include <cstring>
#include <span>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/BlockCompressor.h"
#include "foundation/strings/CharEncoder.h"
#include "foundation/strings/CodePages.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/strings/HeapText.h"
#include "foundation/xml/HtmlEntities.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/Utf8Sequence.h"

// The text writer's long fields, compressed hex fields and markup.

namespace vek {

namespace {

constexpr int32_t kLongTextPiece = 4200;
constexpr int32_t kLongTextLastPiece = 4208;  // a rest up to this long is written in one piece
constexpr char kLongTextMarker[] = "/==";
constexpr uint8_t kLongTextLineBreak = 3;
constexpr uint8_t kLongTextTab = 4;
constexpr int32_t kMaxHexText = 32767;
constexpr int32_t kHexChunk = 512;
constexpr int32_t kNumericReferenceBytes = 5;  // "&#09;"

int64_t MarkupTextLength(const char* text) { return text == nullptr ? 0 : static_cast<int64_t>(std::strlen(text)); }

// Whether a control character (below 32) may stand in XML 1.0 at all, as a reference.
constexpr bool XmlAllowsControl(uint32_t c) { return c == '\t' || c == '\n' || c == '\r'; }

constexpr const char* MarkupCharEntity(uint8_t c)
{
    switch (c) {
    case '"':
        return "&quot;";
    case '&':
        return "&amp;";
    case '\'':
        return "&apos;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return nullptr;
    }
}

// ASCII that escaping writes as it is: not a control, not one of the five markup characters.
constexpr auto kPlainAscii = [] {
    std::array<bool, 128> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[c] = MarkupCharEntity(static_cast<uint8_t>(c)) == nullptr;
    return plain;
}();

// The one walk behind PutMarkupEscaped and MarkupEscapedLength, so that the room reserved is always
// the room used. The sink receives runs of text to encode as they are (plain ASCII and well-formed
// characters), raw ASCII pieces (references, entities), and single characters (U+FFFD for a bad byte).
template <typename Sink>
void WalkEscaped(const char* text, bool entities, MarkupDialect dialect, Sink& sink)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
    const uint8_t* run = p;
    auto endRun = [&] {
        if (p > run)
            sink.Run(reinterpret_cast<const char*>(run), p - run);
    };
    while (*p != 0) {
        uint8_t b = *p;
        if (b >= 0x80) {
            utf8::Sequence s = utf8::Decode(p, nullptr);
            const HtmlEntity* entity = entities && !s.bad ? FindEntityEntry(s.codePoint) : nullptr;
            bool xmlForbidden = dialect == MarkupDialect::xml && (s.codePoint == 0xFFFE || s.codePoint == 0xFFFF);
            if (!s.bad && s.length <= 3 && entity == nullptr && !xmlForbidden) {
                p += s.length;
                continue;
            }
            endRun();
            if (entity != nullptr)
                sink.Raw(entity->name, static_cast<int64_t>(std::strlen(entity->name)));
            else if (!xmlForbidden)
                sink.Char(kReplacementChar);  // a bad byte, or a character beyond U+FFFF
            p += s.length;
            run = p;
            continue;
        }
        if (kPlainAscii[b]) {
            ++p;
            continue;
        }
        const char* markup = MarkupCharEntity(b);
        endRun();
        if (markup != nullptr) {
            sink.Raw(markup, static_cast<int64_t>(std::strlen(markup)));
        } else if (dialect == MarkupDialect::html || XmlAllowsControl(b)) {
            char reference[kNumericReferenceBytes] = {'&', '#', static_cast<char>('0' + b / 10), static_cast<char>('0' + b % 10), ';'};
            sink.Raw(reference, kNumericReferenceBytes);
        }
        ++p;
        run = p;
    }
    endRun();
}

struct LengthSink {
    int64_t length = 0;
    void Run(const char*, int64_t n) { length += n; }
    void Raw(const char*, int64_t n) { length += n; }
    void Char(uint32_t c) { length += Utf8EncodedLength(c); }
};

struct EncoderSink {
    CharEncoder& encoder;
    void Run(const char* bytes, int64_t n) { encoder.PutTextBytes(bytes, static_cast<int32_t>(n)); }
    void Raw(const char* bytes, int64_t n) { encoder.PutTextBytes(bytes, static_cast<int32_t>(n)); }
    void Char(uint32_t c) { encoder.PutChar(c); }
};

}  // namespace

// ---- Long texts and compressed hex

void TextWriter::PutLongText(ConstHeapText text)
{
    int32_t n = HeapTextLength(text);
    if (text == nullptr || n < 1)
        return;
    char* copy = static_cast<char*>(MemAlloc(n));
    if (copy == nullptr)
        return;
    // A CR LF pair is one line break; a lone LF would otherwise end the line of the file it is in.
    // The codes themselves and a zero byte have no form here: they become blanks.
    int32_t length = 0;
    bool replaced = false;
    for (int32_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            c = static_cast<char>(kLongTextLineBreak);
        } else if (c == '\t') {
            c = static_cast<char>(kLongTextTab);
        } else if (c == '\0' || c == kLongTextLineBreak || c == kLongTextTab) {
            c = ' ';
            replaced = true;
        }
        copy[length++] = c;
    }
    if (replaced)
        NoteReplacedText({text, static_cast<std::size_t>(n)});
    // Pieces end between characters, so every line of the file stays well-formed text.
    int32_t at = 0;
    while (length - at > kLongTextLastPiece) {
        int32_t piece = Utf8SafeCut(copy + at, length - at, kLongTextPiece);
        if (!EnsureRoom(int64_t{piece} + 3 + lineEndLength))
            break;
        encoder->PutTextBytes(copy + at, piece);
        encoder->PutRawText(kLongTextMarker);
        PutLineEnd();
        at += piece;
    }
    if (length - at <= kLongTextLastPiece && EnsureRoom(length - at))
        encoder->PutTextBytes(copy + at, length - at);
    MemFree(copy);
}

void TextWriter::PutCompressedHex(const char* text)
{
    int64_t n = MarkupTextLength(text);
    if (text == nullptr || n > kMaxHexText)
        return;
    PutCompressedHexBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text), static_cast<std::size_t>(n)));
}

void TextWriter::PutCompressedHexBytes(std::span<const uint8_t> bytes)
{
    int64_t n = static_cast<int64_t>(bytes.size());
    if (n > kMaxHexText)
        return;
    if (n == 0) {
        PutRawChar('*');
        return;
    }
    int64_t bound = CompressBlockBound(n);
    uint8_t* packed = static_cast<uint8_t*>(MemAlloc(static_cast<int32_t>(bound)));
    if (packed == nullptr)
        return;
    int32_t m = CompressBlock(std::span<uint8_t>(packed, static_cast<std::size_t>(bound)), bytes);
    if (m > 0 && EnsureRoom(1 + 2 * int64_t{m})) {
        encoder->PutRawChar('*');
        char hex[2 * kHexChunk];
        for (int32_t i = 0; i < m; i += kHexChunk) {
            int32_t count = m - i < kHexChunk ? m - i : kHexChunk;
            for (int32_t k = 0; k < count; ++k) {
                hex[2 * k] = kHexDigits[packed[i + k] >> 4];
                hex[2 * k + 1] = kHexDigits[packed[i + k] & 15];
            }
            encoder->PutTextBytes(hex, 2 * count);
        }
    }
    MemFree(packed);
}

// ---- Markup

int64_t TextWriter::MarkupEscapedLength(const char* text) const
{
    if (text == nullptr)
        return 0;
    LengthSink sink;
    WalkEscaped(text, useHtmlEntities, dialect, sink);
    return sink.length;
}

void TextWriter::PutMarkupEscaped(const char* text)
{
    if (text == nullptr || !EnsureRoom(MarkupEscapedLength(text)))
        return;
    EncoderSink sink{*encoder};
    WalkEscaped(text, useHtmlEntities, dialect, sink);
}

void TextWriter::PutEscapedText(const String& text) { PutMarkupEscaped(text.CStr()); }

void TextWriter::PutElement(const char* name, const char* text)
{
    int64_t nameLength = MarkupTextLength(name);
    if (nameLength > INT32_MAX / 4 || !EnsureRoom(2 * nameLength + 5 + MarkupEscapedLength(text) + lineEndLength))
        return;
    int32_t k = static_cast<int32_t>(nameLength);
    encoder->PutRawChar('<');
    encoder->PutTextBytes(name, k);
    encoder->PutRawChar('>');
    if (text != nullptr) {
        EncoderSink sink{*encoder};
        WalkEscaped(text, useHtmlEntities, dialect, sink);
    }
    encoder->PutRawText("</");
    encoder->PutTextBytes(name, k);
    encoder->PutRawChar('>');
    PutLineEnd();
}

void TextWriter::WriteElementLine(const char* name, const char* text)
{
    if (text != nullptr)
        PutElement(name, text);
}

void TextWriter::WriteElementLineOptional(const char* name, const char* text) { PutElement(name, text); }

void TextWriter::WriteIntElementLine(const char* name, int32_t value)
{
    char digits[kMaxIntTextBytes + 1];
    char* end = digits;
    CursorPutInt(end, value);
    *end = 0;
    PutElement(name, digits);
}

void TextWriter::PutAttributeValue(const char* name, int64_t nameLength, const char* value)
{
    if (nameLength > INT32_MAX / 2 || !EnsureRoom(nameLength + 4 + MarkupEscapedLength(value)))
        return;
    encoder->PutRawChar(' ');
    encoder->PutTextBytes(name, static_cast<int32_t>(nameLength));
    encoder->PutRawText("=\"");
    if (value != nullptr) {
        EncoderSink sink{*encoder};
        WalkEscaped(value, useHtmlEntities, dialect, sink);
    }
    encoder->PutRawChar('"');
}

void TextWriter::PutAttribute(const char* name, const char* value)
{
    if (value != nullptr && value[0] != 0)
        PutAttributeValue(name, MarkupTextLength(name), value);
}

void TextWriter::PutAttributeAllowEmpty(const char* name, const char* value)
{
    if (value != nullptr)
        PutAttributeValue(name, MarkupTextLength(name), value);
}

void TextWriter::PutAttributeOrBareName(const char* name, const char* value)
{
    if (value != nullptr && value[0] != 0)
        PutAttributeValue(name, MarkupTextLength(name), value);
    else
        PutBareText(name);
}

void TextWriter::PutAttributeIfChanged(const char* name, const char* value, const char* defaultValue)
{
    if (CompareTextsNullFirst(value, defaultValue) == 0)
        return;
    if (value == nullptr)
        PutBareText(name);
    else
        PutAttributeValue(name, MarkupTextLength(name), value);
}

void TextWriter::PutIntAttribute(const char* name, int32_t value)
{
    char digits[kMaxIntTextBytes + 1];
    char* end = digits;
    CursorPutInt(end, value);
    *end = 0;
    PutAttributeValue(name, MarkupTextLength(name), digits);
}

void TextWriter::PutDoubleAttribute(const char* name, double value, const NumberFormat& format)
{
    char number[kMaxNumberTextBytes + 1];
    char* end = number;
    CursorPutDouble(end, value, format);
    *end = 0;
    PutAttributeValue(name, MarkupTextLength(name), number);
}

void TextWriter::PutCharAttribute(const char* name, uint8_t byte)
{
    if (byte <= 31)
        return;
    // The character is a value like any other: a quote or an ampersand is escaped, or the markup
    // would break. A byte above 127 stands for the character of that number.
    char text[4];
    text[Utf8EncodeChar(text, byte)] = 0;
    PutAttributeValue(name, MarkupTextLength(name), text);
}

void TextWriter::PutBareText(const char* text)
{
    int64_t n = MarkupTextLength(text);
    if (n > INT32_MAX - 1 || !EnsureRoom(1 + n))
        return;
    encoder->PutRawChar(' ');
    encoder->PutTextBytes(text, static_cast<int32_t>(n));
}

void TextWriter::WriteHtmlDoctype()
{
    WriteLine("<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
}

void TextWriter::WriteHtmlContentTypeMeta()
{
    String content;
    content.AssignCStr("text/html");
    if (const char* charset = EncodingIanaName(encoding)) {
        content.AppendCStr("; charset=");
        content.AppendCStr(charset);
    }
    PutText("<meta");
    PutAttribute("http-equiv", "Content-Type");
    PutAttribute("content", content.CStr());
    WriteLine("/>");
}

void TextWriter::WriteXmlDeclaration()
{
    dialect = MarkupDialect::xml;
    PutText("<?xml");
    PutAttribute("version", "1.0");
    PutAttribute("encoding", EncodingIanaName(encoding));
    WriteLine("?>");
}

void TextWriter::WriteHtmlComment(const char* text)
{
    int64_t n = MarkupTextLength(text);
    if (n > INT32_MAX - 16 || !EnsureRoom(9 + n + lineEndLength))
        return;
    encoder->PutRawText("<!-- ");
    encoder->PutTextBytes(text, static_cast<int32_t>(n));
    encoder->PutRawText(" -->");
    PutLineEnd();
}

}  // namespace vek
