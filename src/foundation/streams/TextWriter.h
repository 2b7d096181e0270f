// TextWriter: writing text, numbers and markup in an output encoding through a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <memory>
#include <string_view>

#include "foundation/strings/HeapText.h"

namespace vek {

class CharEncoder;
class String;
class WideString;
struct NumberFormat;

// How markup escapes control characters (PutMarkupEscaped). HTML writes every character below 32 as a
// two-digit numeric reference ("&#09;"); XML 1.0 cannot hold most of them even as references, so XML
// keeps tab, LF and CR as references and drops the other controls (and U+FFFE, U+FFFF).
enum class MarkupDialect { html, xml };

// The one text output stream: every file, clipboard text, log entry, export, web page and base file is
// written through it. It keeps a byte buffer and a cursor, a field separator (tab at start), a line end
// (CR at start) and an output encoding (UTF-8 at start, see CodePages.h); every character goes through
// the writer's CharEncoder.
//
// This class keeps all output in memory (BufferedBytes); subclasses pass it on to files
// (BufferedTextWriter.h) and the clipboard (Clipboard.h). Each operation makes room for all it writes
// before it writes (EnsureRoom), so a subclass's Flush never runs in the middle of one operation.
// Texts are UTF-8; a null text writes nothing. No operation reports an error: when no room can be
// had (memory runs short), the operation writes nothing and never passes the buffer end.
class TextWriter {
public:
    TextWriter();
    virtual ~TextWriter();
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Room for n more bytes of UTF-8 (2n bytes under UTF-16, since every encoder writes at most two
    // bytes per UTF-8 byte there); calls Flush when the buffer is short. True when the room is there.
    bool EnsureRoom(int64_t n)
    {
        int64_t needed = encoding == kUtf16LeId || encoding == kUtf16BeId ? 2 * n : n;
        return end - cursor >= needed || MakeRoom(needed);
    }
    // Room for n characters: 3 bytes each in UTF-8, 2 in UTF-16, 1 in the 8-bit pages.
    bool EnsureRoomForChars(int64_t n);
    // Called when `room` bytes do not fit after the cursor (and by subclasses when they finish). The
    // memory writer grows its buffer to twice its capacity plus 4096 bytes, and at least to the room
    // asked for; when that fails the buffer and its contents stay as they were.
    virtual void Flush(int64_t room);

    // What the buffer holds: everything written, for the memory writer.
    std::string_view BufferedBytes() const;

    int32_t Encoding() const { return encoding; }
    // Ids 0-8; another id leaves the encoding unchanged and returns false. Also false when the code
    // page's table cannot be allocated: the encoding is then set, and text through it writes nothing.
    [[nodiscard]] bool SetEncoding(int32_t id);
    // Through EncodingFromName; an unknown name leaves the encoding unchanged and returns false.
    [[nodiscard]] bool SetEncodingByName(std::string_view name);

    uint32_t Separator() const { return separator; }
    std::string_view SeparatorUtf8() const { return {separatorBytes, static_cast<std::size_t>(separatorLength)}; }
    void SetSeparator(uint32_t codePoint);

    std::string_view LineEnd() const { return {lineEnd, static_cast<std::size_t>(lineEndLength)}; }
    // At most 3 bytes of the text, cut before a character that does not fit whole.
    void SetLineEnd(std::string_view text);
    void SetLineEndChar(uint32_t codePoint);
    void SetLineEndCrLf();
    void SetLineEndCr();

    // While set, escaped text writes the non-ASCII characters of the HTML entity table as named
    // entities. The HTML export sets it from the window's option.
    bool UseHtmlEntities() const { return useHtmlEntities; }
    void SetUseHtmlEntities(bool on) { useHtmlEntities = on; }
    MarkupDialect Dialect() const { return dialect; }
    void SetDialect(MarkupDialect markup) { dialect = markup; }

    // Plain output.
    void PutRawChar(uint8_t byte);
    void PutRawCharRepeated(uint8_t byte, int32_t n);  // nothing for n < 1
    void PutChar(uint32_t codePoint);
    void PutText(const char* text);
    void PutTextBytes(const char* bytes, int32_t n);  // nothing for n < 1
    void PutString(const String& text);
    void PutHeapText(ConstHeapText text);
    // A text as one field of a tab-separated line (base files): a zero byte, tab, CR or LF, which would
    // end the field or the line or make the file unreadable, is written as a blank (FieldTextLength
    // drops those at the end). Each text that
    // needed it is counted (ReplacedTexts, the first kept in FirstReplacedText), so that whoever
    // writes the file can tell the user what the file holds differently.
    void PutFieldText(std::string_view text);
    void PutFieldHeapText(ConstHeapText text) { PutFieldText({text != nullptr ? text : "", std::size_t(HeapTextLength(text))}); }
    // Counts a text that was written with blanks in place of bytes its field cannot hold.
    void NoteReplacedText(std::string_view text);
    int64_t ReplacedTexts() const { return replacedTexts; }
    std::string_view FirstReplacedText() const { return {firstReplaced, size_t(firstReplacedLength)}; }
    void PutPascalString(const uint8_t* text);  // the bytes after the length byte
    void PutWideString(const WideString& text);
    void PutInt(int32_t value);
    // Exactly max(digits, 1) digits, zero-padded (a count above 100 counts as 100).
    void PutIntDigits(int32_t value, int32_t digits);
    void PutInt64(int64_t value);
    void PutInt64Digits(int64_t value, int32_t digits);
    void PutDouble(double value, const NumberFormat& format);
    void PutDoubleDefault(double value);  // MainNumberFormat
    void PutSeparator();
    // Removes the separators at the end of what is buffered (trailing empty fields vanish), then
    // writes the line end.
    void EndRow();

    // Lines: the text and the line end; a null or empty text writes nothing at all.
    void WriteLine(const char* text);
    void WriteBytesLine(const char* bytes, int32_t n);
    void WriteHeapTextLine(ConstHeapText text);
    void WriteCharLine(uint8_t byte);  // the raw character; nothing for 0

    // Tagged lines: the tag (one raw character), the separator, the value, the line end. A null or
    // empty text writes nothing.
    void WriteTaggedLine(uint8_t tag, const char* text);
    void WriteTaggedHeapTextLine(uint8_t tag, ConstHeapText text);
    void WriteTaggedCharLine(uint8_t tag, uint8_t byte);
    void WriteTaggedIntLine(uint8_t tag, int32_t value);
    void WriteTaggedNumberLine(uint8_t tag, int32_t value) { WriteTaggedIntLine(tag, value); }
    void WriteTaggedInt64Line(uint8_t tag, int64_t value);
    // The tag directly followed by "+" or "-" (no separator), then the line end.
    void WriteTaggedFlagLine(uint8_t tag, bool flag);

    // Keyed lines: the same with a UTF-8 key.
    void WriteKeyTextLine(const char* key, const char* text);
    void WriteKeyHeapTextLine(const char* key, ConstHeapText text);
    void WriteKeyCharLine(const char* key, uint8_t byte);
    void WriteKeyIntLine(const char* key, int32_t value);
    void WriteKeyNumberLine(const char* key, int32_t value) { WriteKeyIntLine(key, value); }
    void WriteKeyInt64Line(const char* key, int64_t value);
    void WriteKeyFlagLine(const char* key, bool flag);

    // A text that may hold line breaks and be long, as one field of a tagged line: CR, LF and CR LF
    // become the byte 3 and tab the byte 4, so no line of the file breaks inside it; while more than
    // 4208 bytes remain, the next 4200 (fewer when a character would be cut) are written followed by
    // "/==" and the line end. The rest ends without a line end. TextReader::NextLongTextField reverses
    // it (a line break comes back as CR, the line end of base files). Writes nothing when memory for
    // the working copy runs short.
    // A zero byte and the bytes 3 and 4 themselves cannot come back through that form: they are
    // written as blanks and counted as by PutFieldText.
    void PutLongText(ConstHeapText text);
    // "*" and the hexadecimal form (two upper-case digits a byte, high nibble first) of the text's
    // bytes compressed in format T (BlockCompressor.h); no line end. Nothing for a text longer than
    // 32767 bytes or when memory for the compression runs short.
    void PutCompressedHex(const char* text);
    // The same for bytes that may hold zeros (a blob field: "*" alone for none).
    void PutCompressedHexBytes(std::span<const uint8_t> bytes);

    // Markup. Names are written as they are; values are escaped (PutMarkupEscaped).
    // The text escaped: characters below 32 as "&#NN;" (two decimal digits; in XML only tab, LF and
    // CR, the others dropped), the five markup characters as "&quot;", "&amp;", "&apos;", "&lt;",
    // "&gt;", characters of the entity table as their entities while UseHtmlEntities is set, every
    // other character through the encoder. A bad byte is written as U+FFFD and the text goes on.
    void PutMarkupEscaped(const char* text);
    void PutEscapedText(const char* text) { PutMarkupEscaped(text); }
    void PutEscapedText(const String& text);
    // The UTF-8 bytes PutMarkupEscaped produces for the text under the current settings.
    int64_t MarkupEscapedLength(const char* text) const;

    // "<" name ">" escaped text "</" name ">" and the line end; nothing for a null text (the Optional
    // form writes the empty element then).
    void WriteElementLine(const char* name, const char* text);
    void WriteElementLineOptional(const char* name, const char* text);
    void WriteIntElementLine(const char* name, int32_t value);
    // A blank, the name, "=\"", the escaped value and "\""; nothing for a null or empty value.
    void PutAttribute(const char* name, const char* value);
    // Also an empty value (name=""); nothing only for null.
    void PutAttributeAllowEmpty(const char* name, const char* value);
    // The blank and the name always; "=" and the quoted value only for a non-empty value.
    void PutAttributeOrBareName(const char* name, const char* value);
    // Nothing when CompareTextsNullFirst(value, defaultValue) is 0; else the blank and the name, and
    // "=" with the quoted value unless the value is null.
    void PutAttributeIfChanged(const char* name, const char* value, const char* defaultValue);
    void PutIntAttribute(const char* name, int32_t value);
    void PutDoubleAttribute(const char* name, double value, const NumberFormat& format);
    // The one character quoted when it is above 31; nothing otherwise.
    void PutCharAttribute(const char* name, uint8_t byte);
    // A blank and the text as it is.
    void PutBareText(const char* text);

    void WriteHtmlDoctype();
    // <meta http-equiv="Content-Type" content="text/html; charset=NAME"/>, NAME as EncodingIanaName.
    void WriteHtmlContentTypeMeta();
    // <?xml version="1.0" encoding="NAME"?>, NAME as EncodingIanaName (a name other parsers know);
    // from here on the writer escapes as XML.
    void WriteXmlDeclaration();
    // "<!-- ", the text as it is, " -->" and the line end.
    void WriteHtmlComment(const char* text);

protected:
    // The subclasses' buffers (not owned by the writer): start, size, cursor.
    void SetBuffer(char* bufferStart, int64_t size, char* bufferCursor);
    char* BufferStart() const { return start; }
    char* Cursor() const { return cursor; }
    void SetCursor(char* position) { cursor = position; }
    int64_t BufferCapacity() const { return end - start; }
    // The bytes at the end of the buffer that EndRow would trim (separators in the output encoding).
    int64_t TrailingSeparatorBytes();

private:
    friend class CharEncoder;

    // The UTF-16 ids of CodePages.h, which this header does not include.
    static constexpr int32_t kUtf16LeId = 1;
    static constexpr int32_t kUtf16BeId = 2;

    // Flushes for `needed` bytes; true when they fit then.
    bool MakeRoom(int64_t needed);

    void PutLineEnd();
    void PutShortUtf8(const char* bytes, int32_t n);
    void PutAttributeValue(const char* name, int64_t nameLength, const char* value);
    void PutElement(const char* name, const char* text);
    void PutKeyPrefix(const char* key, int64_t keyLength);

    char* start = nullptr;
    char* end = nullptr;
    char* cursor = nullptr;
    char* ownedBlock = nullptr;  // the memory writer's buffer (allocator block)
    std::unique_ptr<CharEncoder> encoder;
    int32_t encoding = 0;
    uint32_t separator = '\t';
    char separatorBytes[4] = {'\t', 0, 0, 0};
    int32_t separatorLength = 1;
    char lineEnd[4] = {'\r', 0, 0, 0};
    int32_t lineEndLength = 1;
    bool useHtmlEntities = false;
    MarkupDialect dialect = MarkupDialect::html;
    int64_t replacedTexts = 0;
    static constexpr int32_t kFirstReplacedBytes = 80;
    char firstReplaced[kFirstReplacedBytes] = {};
    int32_t firstReplacedLength = 0;
};

// The bytes a field of a tab-separated line cannot hold (PutFieldText).
constexpr bool BreaksField(char c) { return c == '\0' || c == '\t' || c == '\r' || c == '\n'; }

// The length of the text that PutFieldText writes: blanks and such bytes at the end go when one of
// them is such a byte, since a reader that trims fields would drop the blanks they became.
constexpr std::size_t FieldTextLength(std::string_view text)
{
    std::size_t end = text.size();
    bool breaks = false;
    while (end > 0 && (text[end - 1] == ' ' || BreaksField(text[end - 1])))
        breaks = BreaksField(text[--end]) || breaks;
    return breaks ? end : text.size();
}

}  // namespace vek
