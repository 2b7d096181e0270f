// TextReader: reading text line by line and token by token in any input encoding.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;
class TextWriter;

// Flags of the configurable tokenizer (TextReader::NextToken).
constexpr uint32_t kTokenSkipSlashComments = 0x1;      // "//" to the line end is skipped
constexpr uint32_t kTokenSkipBlockComments = 0x2;      // "/*" .. "*/" skipped; nested, across lines
constexpr uint32_t kTokenSkipHashComments = 0x4;       // "#" to the line end is skipped
constexpr uint32_t kTokenSkipSemicolonComments = 0x8;  // ";" to the line end is skipped
constexpr uint32_t kTokenSlashComment = 0x10;          // "//" and the rest of the line are one token
constexpr uint32_t kTokenBlockComment = 0x20;          // a nested "/*" .. "*/" is one token, lines joined by CR
constexpr uint32_t kTokenHashComment = 0x40;           // "#" and the rest of the line are one token
constexpr uint32_t kTokenSemicolonComment = 0x80;      // ";" and the rest of the line are one token
constexpr uint32_t kTokenParentheses = 0x100;          // "(" and ")" are tokens of their own
constexpr uint32_t kTokenBrackets = 0x200;             // "[" and "]"
constexpr uint32_t kTokenBraces = 0x400;               // "{" and "}"
constexpr uint32_t kTokenSemicolon = 0x800;            // ";" (before 0x8 and 0x80)
constexpr uint32_t kTokenEquals = 0x1000;              // "="
constexpr uint32_t kTokenAssign = 0x2000;              // ":="
constexpr uint32_t kTokenSingleQuotes = 0x4000;        // text in single quotes is part of a token
constexpr uint32_t kTokenDoubleQuotes = 0x8000;        // text in double quotes is part of a token
constexpr uint32_t kTokenBackslashJoins = 0x10000;     // a backslash ending a line joins the next line
constexpr uint32_t kTokenAcrossLines = 0x20000;        // tokens go on across line ends
constexpr uint32_t kTokenDefaultFlags = 0xC001;

// The one text input stream: it reads bytes held in an input range, cuts them into lines (CR, LF,
// CR LF and LF CR each end one line) and decodes every line from the input encoding (ids 0-8,
// CodePages.h) into UTF-8. A line is then consumed as tab-separated fields, as tokens of the
// configurable tokenizer, or as markup tokens.
//
// Decoding: UTF-8 lines that are well-formed and need no character map are used in place; other lines
// are converted into the reader's line buffer and NUL-terminated. Bytes that are no character of the
// encoding, 4-byte UTF-8 sequences, UTF-16 surrogates and an odd last byte of UTF-16 input become
// U+FFFD. Bad bytes in UTF-8 input become U+FFFD too, and the reader stays UTF-8, once the input has
// shown itself UTF-8: by a well-formed multi-byte sequence (in an earlier line or in the bad line), or
// by a line whose last character the line end or the end of the input cut short (a text cut inside a
// character). Only input that was plain ASCII up to a line with other bad bytes, and with CheckUtf8 on
// (the default), is taken for an older file in the system code page (id 3) from that line on. Lines
// are delivered whole, however long;
// a line the memory cannot hold ends the reading with the out-of-memory error (600). Tokens copied to
// the token buffer (quoted parts, comment tokens, markup tokens) are never cut.
//
// Subclasses give the input: a file reader refills the range from its file (Refill, Seek); the
// base reader reads its range only. A line, a field or a token stays valid until the next line is
// read; a token copied to the token buffer until the next token.
class TextReader {
public:
    // The largest line, token or field buffer the reader allocates (allocator blocks are sized in
    // 32 bits); a longer one ends the reading with the out-of-memory error.
    static constexpr int64_t kLargestBuffer = INT32_MAX - 64;

    // No input.
    TextReader();
    // Reads the n bytes at start (which must outlive the reader).
    TextReader(const char* start, int64_t n);
    // Reads the bytes the writer's buffer holds: everything written, for a memory writer (the buffer
    // must stay as it is while the reader reads).
    explicit TextReader(const TextWriter& writer);
    virtual ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Lines.
    // Advances to the next line; false at the end of the input (and when a line cannot be decoded:
    // an encoding id without a code page, or memory short for a long line).
    [[nodiscard]] bool ReadLine();
    // Puts the field and token cursors back to the line start.
    void RestartLine();
    // Adds input after the unread bytes: the count of bytes added (0 at the end of the source). The
    // base reader has no source.
    virtual int64_t Refill();
    // Continues reading at a position of the source; the base reader has no source.
    virtual void Seek(int64_t position);

    const char* LineStart() const { return lineStart; }
    const char* LineEnd() const { return lineEnd; }
    int32_t LineLength() const { return int32_t(lineEnd - lineStart); }
    int64_t LineCount() const { return lineCount; }
    // The position in the source of the current line's first byte.
    int64_t LinePosition() const
    {
        return rawLineStart != nullptr ? sourcePosition + (rawLineStart - inputStart) : sourcePosition;
    }

    // Settings.
    int32_t Encoding() const { return encoding; }
    void SetEncoding(int32_t id);
    // Unknown names are ignored.
    void SetEncodingByName(const char* name);
    // Every character `from` is read as `to` (a map of 65536 entries, made on first use).
    void SetCharMapping(uint32_t from, uint32_t to);
    // Both UTF-8 texts walked in parallel; pairs whose "from" character is above 32 are set.
    void SetCharMappings(const char* from, const char* to);
    uint32_t TokenizerFlags() const { return tokenizerFlags; }
    void SetTokenizerFlags(uint32_t flags) { tokenizerFlags = flags; }
    // Letters followed by a combining mark U+0300-U+033F are read as their precomposed letter.
    void SetComposeMarks(bool on) { composeMarks = on; }
    void SetCheckUtf8(bool on) { checkUtf8 = on; }

    // Fields: the text from the field cursor to the next tab or the line end. False, with an empty
    // token, at the line end (so an empty line has no field and a trailing empty field is not given).
    bool NextField();     // trailing blanks removed
    bool NextFieldRaw();  // as it stands
    bool NextFieldChar(char& byte);  // the first byte, 0 for an empty field
    // At most size - 1 bytes, cut before a character, NUL-terminated (empty at the line end).
    bool NextFieldToBuffer(char* buffer, int32_t size);
    bool NextFieldToString(String& text);  // empty at the line end
    // At the line end the field is blanked, released and null.
    bool NextFieldToHeapText(HeapText& field);
    bool NextFieldRawToString(String& text);
    bool NextFieldRawToHeapText(HeapText& field);
    // The field's number (BytesToIntRounded, BytesToDouble); the variable is unchanged at the line end.
    bool NextFieldInt(int32_t& value);
    bool NextFieldDouble(double& value);
    // A field written by TextWriter::PutLongText: pieces of 4000 bytes or more that end in "/==" are
    // joined with the first field of the next line; then byte 3 becomes CR and byte 4 a tab. At the
    // line end the field is cleared as by NextFieldToHeapText. False also when memory runs short.
    bool NextLongTextField(HeapText& field);
    // A field of bytes (TextWriter::PutCompressedHex, or the zero-run form) into an allocator block of
    // exactly those bytes. At the line end, for a damaged field and when memory runs short the block
    // is released and null and the result false.
    bool NextBinaryField(void*& block);
    // "+" sets the flag to 1, "-" to 0; anything else leaves it.
    static void SetFlagFromSign(int32_t& flag, char sign);
    // The next name=value pair of a plain line from the token cursor (a value in double quotes may
    // hold blanks; entities are decoded). False when no name is left.
    bool NextLineAttribute(String& name, String& value);

    // Tokens.
    bool NextToken();
    bool NextTokenToString(String& text);
    const char* Token() const { return token; }
    int32_t TokenLength() const { return tokenLength; }
    // Case-insensitive three-way comparison of the token with a text (1, 0, -1); a token that is a
    // prefix of the text is smaller.
    int32_t CompareToken(const char* text) const;
    bool TokenEquals(const char* text) const { return CompareToken(text) == 0; }

    // Markup: the next tag (bytes below 32 as blanks) or text run (trailing blanks removed), read across
    // lines with nothing put between them; comments are dropped. False at the end of the input and
    // for a tag the input ends in.
    bool NextMarkupToken();
    // The token is the tag "<name" followed by ">", "/" or a byte below 33 (the name compared without
    // case; "/x" matches the end tag of x).
    bool IsTag(const char* name) const;
    // The same for any word of a blank-separated list.
    bool IsTagInList(const char* names) const;
    bool IsEmptyOrEndTag() const;
    void TagName(String& name) const;
    // The next attribute of the current tag: a name, and the value in double quotes with entities
    // decoded (empty without "=" and for an unquoted value). False when no attribute is left.
    bool NextAttribute(String& name, String& value);
    // For a start tag that is not empty: the texts of the runs up to the matching end tag (those of
    // nested elements included), entities decoded. False and empty for an empty or end tag.
    bool ReadElementContent(String& text);
    bool ReadElementText(String& text, const char* name);
    bool ReadElementContentToHeapText(HeapText& field);
    // For a start tag that is not empty: reads up to the matching end tag; stops when the pending
    // error's flag is set.
    void SkipElement();
    bool SkipElementAndNext();

protected:
    // The input range, for subclasses that keep their own buffer: the unread bytes run from
    // readPosition to inputEnd; inputStart lies at sourcePosition in the source.
    const char* inputStart = nullptr;
    const char* readPosition = nullptr;
    const char* inputEnd = nullptr;
    int64_t sourcePosition = 0;

    // Subclasses call it when they move or drop the input: the current line and cursors are gone.
    void ForgetLine();

private:
    enum class Decoded { line, incomplete, none };
    // How the bytes of a line read as UTF-8, found while its end is searched.
    enum class LineKind : uint8_t { ascii, valid, withFourByte, bad };
    struct LineScan {
        LineKind kind = LineKind::ascii;
        bool marks = false;      // a combining mark U+0300-U+033F may follow a letter
        bool multiByte = false;  // a well-formed sequence of 2 to 4 bytes was met
        bool cutAtEnd = false;   // bad only because the line end cut its last sequence short
    };
    enum class MarkupTagResult { tag, comment, failed };

    Decoded DecodeLine(bool final);
    static const char* ScanUtf8Line(const char* p, const char* end, LineScan& scan);
    bool ConvertLine(const char* start, const char* end, const LineScan& scan);
    bool TakesBadLineAsSystemCodePage(const char* start, const char* end, const LineScan& scan) const;
    bool ConvertUtf8(const char* start, const char* end);
    bool ConvertUtf16(const char* start, const char* end);
    bool ConvertBytes(const char* start, const char* end);
    bool ComposeLine();
    bool BuildByteTable();
    bool EnsureLineBuffer(int64_t bytes);
    void StartLine(const char* start, const char* end);

    bool NextFieldSpan(bool trim);
    void SetToken(const char* start, const char* end);
    bool ReadNextLineForToken();
    bool TokenFromBuffer();
    bool AppendTokenBytes(const char* bytes, int64_t n);
    bool ReserveTokenBytes(int64_t n);
    bool SkipBlockComment(const char*& p);
    bool BlockCommentToken(const char* p);
    bool LineCommentEnds();
    bool IsSpecialStart(const char* p) const;
    const char* CopyQuoted(const char* p);
    MarkupTagResult MarkupTag(const char* p);
    bool MarkupText(const char* p);
    int32_t TagDepthChange() const;

    int32_t encoding = 0;
    uint32_t tokenizerFlags = kTokenDefaultFlags;
    bool composeMarks = true;
    bool checkUtf8 = true;
    bool inputIsUtf8 = false;  // a well-formed multi-byte sequence has been read

    const char* rawLineStart = nullptr;
    const char* lineStart = nullptr;
    const char* lineEnd = nullptr;
    const char* fieldCursor = nullptr;
    const char* tokenCursor = nullptr;
    int64_t lineCount = 0;

    const char* token = nullptr;
    int32_t tokenLength = 0;
    int32_t attributeOffset = -1;  // in the token buffer; -1 when the tag has no blank

    uint16_t* charMap = nullptr;        // 65536 entries, or null
    uint32_t* byteTable = nullptr;      // 256 entries: UTF-8 bytes of each byte (with its length)
    bool byteTableAscii = false;        // entries 0-127 are the bytes themselves
    char* lineBuffer = nullptr;
    int64_t lineCapacity = 0;
    char* tokenBuffer = nullptr;
    int64_t tokenCapacity = 0;
    int64_t tokenUsed = 0;
    uint8_t* byteFieldBuffer = nullptr;
};

// The attributes of one tag: up to 32 (name, value) pairs of heap texts; names compared without case.
class AttributeList {
public:
    static constexpr int32_t kCapacity = 32;

    AttributeList() = default;
    ~AttributeList();
    AttributeList(const AttributeList&) = delete;
    AttributeList& operator=(const AttributeList&) = delete;

    void Clear();
    int32_t Count() const { return count; }
    ConstHeapText NameAt(int32_t i) const { return i >= 0 && i < count ? names[i] : nullptr; }
    ConstHeapText ValueAt(int32_t i) const { return i >= 0 && i < count ? values[i] : nullptr; }

    // Clears the list and adds every attribute of the reader's current tag (from the 33rd on ignored).
    void ReadAll(TextReader& reader);
    // Take the first entry out: its name, or its name and value; false when the list is empty.
    bool PopFirstName(String& name);
    bool PopFirst(String& name, String& value);
    bool Has(const char* name) const;
    // The value (empty when absent); true when present.
    bool Get(const char* name, String& value) const;
    void Remove(const char* name);
    bool Take(const char* name, String& value);

private:
    int32_t IndexOf(const char* name) const;
    void RemoveAt(int32_t i);

    int32_t count = 0;
    HeapText names[kCapacity] = {};
    HeapText values[kCapacity] = {};
};

// The encoding of a text from a sample: a byte-order mark (its length into bomLength), a
// "##Characters" sample line, UTF-16 byte statistics, then UTF-8 validity: an id, or -1 for pure
// ASCII (undecided).
int32_t DetectCharSet(const char* sample, int32_t n, int32_t& bomLength);
// The same for the first 4000 bytes of a file; -1 when it cannot be read.
int32_t DetectFileCharSet(const char* path, int32_t& bomLength);
// True when a byte 9, 10 or 13 occurs in the text other than in its last two bytes.
bool HasLineBreakOrTab(const char* text);

}  // namespace vek
