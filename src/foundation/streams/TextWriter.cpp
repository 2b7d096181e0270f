// TextWriter: room in the buffer, the output encoding, separators, line ends and plain writes.
#include "foundation/streams/TextWriter.h"

#include <climits>
#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CharEncoder.h"
#include "foundation/strings/CodePages.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/WideString.h"

namespace vek {

namespace {

constexpr int64_t kFirstGrowth = 4096;

int64_t TextLength(const char* text) { return text == nullptr ? 0 : static_cast<int64_t>(std::strlen(text)); }

int32_t DigitsBytes(int32_t digits) { return MaxDigitsTextBytes(ClampDigitCount(digits)); }

}  // namespace

TextWriter::TextWriter() : encoder(std::make_unique<CharEncoder>(*this)) {}

TextWriter::~TextWriter() { MemFree(ownedBlock); }

// ---- Room and buffer

bool TextWriter::MakeRoom(int64_t needed)
{
    static_assert(kUtf16LeId == kEncodingUtf16Le && kUtf16BeId == kEncodingUtf16Be);
    Flush(needed);
    return end - cursor >= needed;
}

bool TextWriter::EnsureRoomForChars(int64_t n)
{
    if (n < 0)
        n = 0;
    int64_t perChar = encoding == kEncodingUtf8 ? kMaxUtf8CharBytes : (IsUtf16Encoding(encoding) ? 2 : 1);
    return end - cursor >= n * perChar || MakeRoom(n * perChar);
}

void TextWriter::Flush(int64_t room)
{
    int64_t used = cursor - start;
    int64_t size = 2 * (end - start) + kFirstGrowth;
    if (size < used + room)
        size = used + room;
    if (size > INT32_MAX) {
        if (used + room > INT32_MAX)
            return;
        size = INT32_MAX;
    }
    char* block = static_cast<char*>(MemAlloc(static_cast<int32_t>(size)));
    if (block == nullptr)
        return;
    if (used > 0)
        std::memcpy(block, start, static_cast<std::size_t>(used));
    MemFree(ownedBlock);
    ownedBlock = block;
    start = block;
    end = block + size;
    cursor = block + used;
}

void TextWriter::SetBuffer(char* bufferStart, int64_t size, char* bufferCursor)
{
    start = bufferStart;
    end = bufferStart + size;
    cursor = bufferCursor;
}

std::string_view TextWriter::BufferedBytes() const
{
    return start == nullptr ? std::string_view() : std::string_view(start, static_cast<std::size_t>(cursor - start));
}

int64_t TextWriter::TrailingSeparatorBytes()
{
    char* saved = cursor;
    encoder->TrimTrailingSeparators();
    int64_t n = saved - cursor;
    cursor = saved;
    return n;
}

// ---- Configuration

bool TextWriter::SetEncoding(int32_t id)
{
    if (id < 0 || id >= kEncodingCount)
        return false;
    encoding = id;
    if (id == kEncodingUtf8) {
        encoder = std::make_unique<CharEncoder>(*this);
    } else if (id == kEncodingUtf16Le) {
        encoder = std::make_unique<Utf16LeEncoder>(*this);
    } else if (id == kEncodingUtf16Be) {
        encoder = std::make_unique<Utf16BeEncoder>(*this);
    } else {
        auto pageEncoder = std::make_unique<CodePageEncoder>(*this, id);
        bool usable = pageEncoder->HasTable();
        encoder = std::move(pageEncoder);
        return usable;
    }
    return true;
}

bool TextWriter::SetEncodingByName(std::string_view name)
{
    int32_t id = EncodingFromName(name);
    return id >= 0 && SetEncoding(id);
}

void TextWriter::SetSeparator(uint32_t codePoint)
{
    // Stored as it is written, so that trimming compares the same character.
    char bytes[4];
    int32_t n = Utf8EncodeChar(bytes, codePoint);
    const char* p = bytes;
    separator = Utf8NextCharIn(p, bytes + n);
    std::memcpy(separatorBytes, bytes, static_cast<std::size_t>(n));
    separatorBytes[n] = 0;
    separatorLength = n;
}

void TextWriter::SetLineEnd(std::string_view text)
{
    // Only the first bytes matter: enough to see whether the third ends inside a character.
    int32_t size = text.size() > 8 ? 8 : static_cast<int32_t>(text.size());
    int32_t n = size <= 3 ? size : Utf8SafeCut(text.data(), size, 3);
    std::memcpy(lineEnd, text.data(), static_cast<std::size_t>(n));
    lineEnd[n] = 0;
    lineEndLength = n;
}

void TextWriter::SetLineEndChar(uint32_t codePoint)
{
    lineEndLength = Utf8EncodeChar(lineEnd, codePoint);
    lineEnd[lineEndLength] = 0;
}

void TextWriter::SetLineEndCrLf() { SetLineEnd("\r\n"); }

void TextWriter::SetLineEndCr() { SetLineEnd("\r"); }

// ---- Plain output

void TextWriter::PutRawChar(uint8_t byte)
{
    if (EnsureRoom(1))
        encoder->PutRawChar(byte);
}

void TextWriter::PutRawCharRepeated(uint8_t byte, int32_t n)
{
    if (n >= 1 && EnsureRoom(n))
        encoder->PutRawCharRepeated(byte, n);
}

void TextWriter::PutChar(uint32_t codePoint)
{
    if (EnsureRoom(Utf8EncodedLength(codePoint)))
        encoder->PutChar(codePoint);
}

void TextWriter::PutText(const char* text)
{
    int64_t n = TextLength(text);
    if (n <= INT32_MAX)
        PutTextBytes(text, static_cast<int32_t>(n));
}

void TextWriter::PutTextBytes(const char* bytes, int32_t n)
{
    if (bytes == nullptr || n < 1 || !EnsureRoom(n))
        return;
    if (encoding == kEncodingUtf8) {
        std::memcpy(cursor, bytes, static_cast<std::size_t>(n));
        cursor += n;
    } else {
        encoder->PutTextBytes(bytes, n);
    }
}

void TextWriter::PutString(const String& text) { PutTextBytes(text.CStr(), text.Length()); }

void TextWriter::PutHeapText(ConstHeapText text) { PutTextBytes(text, HeapTextLength(text)); }

void TextWriter::PutFieldText(std::string_view text)
{
    size_t clean = 0;
    while (clean < text.size() && !BreaksField(text[clean]))
        ++clean;
    if (clean == text.size()) {
        PutTextBytes(text.data(), static_cast<int32_t>(text.size()));
        return;
    }
    NoteReplacedText(text);
    // Written in runs, each blank in place of a byte the field cannot hold.
    std::string_view kept = text.substr(0, FieldTextLength(text));
    size_t at = 0;
    while (at < kept.size()) {
        size_t run = at;
        while (run < kept.size() && !BreaksField(kept[run]))
            ++run;
        PutTextBytes(kept.data() + at, static_cast<int32_t>(run - at));
        if (run < kept.size())
            PutTextBytes(" ", 1);
        at = run + 1;
    }
}

void TextWriter::NoteReplacedText(std::string_view text)
{
    if (replacedTexts++ > 0)
        return;
    // The first such text, cut before a character, with blanks for what its field cannot hold.
    int32_t size = static_cast<int32_t>(text.size());
    int32_t n = Utf8SafeCut(text.data(), size, size < kFirstReplacedBytes ? size : kFirstReplacedBytes);
    for (int32_t i = 0; i < n; ++i)
        firstReplaced[i] = BreaksField(text[size_t(i)]) || text[size_t(i)] == 3 || text[size_t(i)] == 4 ? ' ' : text[size_t(i)];
    firstReplacedLength = n;
}

void TextWriter::PutPascalString(const uint8_t* text)
{
    if (text != nullptr)
        PutTextBytes(reinterpret_cast<const char*>(text + 1), text[0]);
}

void TextWriter::PutWideString(const WideString& text)
{
    if (text.Length() > 0 && EnsureRoomForChars(text.Length()))
        encoder->PutUtf16Text(text.Units(), text.Length());
}

void TextWriter::PutInt(int32_t value)
{
    if (!EnsureRoom(kMaxIntTextBytes))
        return;
    if (encoding == kEncodingUtf8)
        CursorPutInt(cursor, value);
    else
        encoder->PutInt(value);
}

void TextWriter::PutIntDigits(int32_t value, int32_t digits)
{
    if (!EnsureRoom(DigitsBytes(digits)))
        return;
    if (encoding == kEncodingUtf8)
        CursorPutIntDigits(cursor, value, ClampDigitCount(digits));
    else
        encoder->PutIntDigits(value, digits);
}

void TextWriter::PutInt64(int64_t value)
{
    if (!EnsureRoom(kMaxInt64TextBytes))
        return;
    if (encoding == kEncodingUtf8)
        CursorPutInt64(cursor, value);
    else
        encoder->PutInt64(value);
}

void TextWriter::PutInt64Digits(int64_t value, int32_t digits)
{
    if (EnsureRoom(DigitsBytes(digits)))
        encoder->PutInt64Digits(value, digits);
}

void TextWriter::PutDouble(double value, const NumberFormat& format)
{
    if (EnsureRoom(kMaxNumberTextBytes))
        encoder->PutDouble(value, format);
}

void TextWriter::PutDoubleDefault(double value) { PutDouble(value, MainNumberFormat()); }

void TextWriter::PutSeparator()
{
    if (!EnsureRoom(separatorLength))
        return;
    if (encoding == kEncodingUtf8)
        PutShortUtf8(separatorBytes, separatorLength);
    else
        encoder->PutChar(separator);
}

void TextWriter::EndRow()
{
    encoder->TrimTrailingSeparators();
    if (EnsureRoom(lineEndLength))
        PutLineEnd();
}

void TextWriter::PutLineEnd()
{
    if (encoding == kEncodingUtf8)
        PutShortUtf8(lineEnd, lineEndLength);
    else
        encoder->PutTextBytes(lineEnd, lineEndLength);
}

// UTF-8 output is the text's own bytes, so the writer copies the most frequent small pieces
// (separators, line ends, texts, integers) itself and spares the encoder call; the encoder would
// write the same bytes.
void TextWriter::PutShortUtf8(const char* bytes, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        *cursor++ = bytes[i];
}

// ---- Lines

void TextWriter::WriteLine(const char* text)
{
    int64_t n = TextLength(text);
    if (n > 0 && n <= INT32_MAX)
        WriteBytesLine(text, static_cast<int32_t>(n));
}

void TextWriter::WriteBytesLine(const char* bytes, int32_t n)
{
    if (bytes == nullptr || n < 1 || !EnsureRoom(int64_t{n} + lineEndLength))
        return;
    encoder->PutTextBytes(bytes, n);
    PutLineEnd();
}

void TextWriter::WriteHeapTextLine(ConstHeapText text) { WriteBytesLine(text, HeapTextLength(text)); }

void TextWriter::WriteCharLine(uint8_t byte)
{
    if (byte == 0 || !EnsureRoom(1 + lineEndLength))
        return;
    encoder->PutRawChar(byte);
    PutLineEnd();
}

void TextWriter::WriteTaggedLine(uint8_t tag, const char* text)
{
    int64_t n = TextLength(text);
    if (n < 1 || n > INT32_MAX || !EnsureRoom(1 + separatorLength + n + lineEndLength))
        return;
    encoder->PutRawChar(tag);
    encoder->PutChar(separator);
    encoder->PutTextBytes(text, static_cast<int32_t>(n));
    PutLineEnd();
}

void TextWriter::WriteTaggedHeapTextLine(uint8_t tag, ConstHeapText text)
{
    int32_t n = HeapTextLength(text);
    if (text == nullptr || !EnsureRoom(1 + separatorLength + int64_t{n} + lineEndLength))
        return;
    encoder->PutRawChar(tag);
    encoder->PutChar(separator);
    encoder->PutTextBytes(text, n);
    PutLineEnd();
}

void TextWriter::WriteTaggedCharLine(uint8_t tag, uint8_t byte)
{
    if (!EnsureRoom(2 + separatorLength + lineEndLength))
        return;
    encoder->PutRawChar(tag);
    encoder->PutChar(separator);
    encoder->PutRawChar(byte);
    PutLineEnd();
}

void TextWriter::WriteTaggedIntLine(uint8_t tag, int32_t value)
{
    if (!EnsureRoom(1 + separatorLength + kMaxIntTextBytes + lineEndLength))
        return;
    encoder->PutRawChar(tag);
    encoder->PutChar(separator);
    encoder->PutInt(value);
    PutLineEnd();
}

void TextWriter::WriteTaggedInt64Line(uint8_t tag, int64_t value)
{
    if (!EnsureRoom(1 + separatorLength + kMaxInt64TextBytes + lineEndLength))
        return;
    encoder->PutRawChar(tag);
    encoder->PutChar(separator);
    encoder->PutInt64(value);
    PutLineEnd();
}

void TextWriter::WriteTaggedFlagLine(uint8_t tag, bool flag)
{
    if (!EnsureRoom(2 + lineEndLength))
        return;
    encoder->PutRawChar(tag);
    encoder->PutRawChar(flag ? '+' : '-');
    PutLineEnd();
}

void TextWriter::PutKeyPrefix(const char* key, int64_t keyLength)
{
    encoder->PutTextBytes(key, static_cast<int32_t>(keyLength));
    encoder->PutChar(separator);
}

void TextWriter::WriteKeyTextLine(const char* key, const char* text)
{
    int64_t keyLength = TextLength(key);
    int64_t n = TextLength(text);
    if (n < 1 || n > INT32_MAX || keyLength > INT32_MAX ||
        !EnsureRoom(keyLength + separatorLength + n + lineEndLength))
        return;
    PutKeyPrefix(key, keyLength);
    encoder->PutTextBytes(text, static_cast<int32_t>(n));
    PutLineEnd();
}

void TextWriter::WriteKeyHeapTextLine(const char* key, ConstHeapText text)
{
    int64_t keyLength = TextLength(key);
    int32_t n = HeapTextLength(text);
    if (text == nullptr || keyLength > INT32_MAX || !EnsureRoom(keyLength + separatorLength + n + lineEndLength))
        return;
    PutKeyPrefix(key, keyLength);
    encoder->PutTextBytes(text, n);
    PutLineEnd();
}

void TextWriter::WriteKeyCharLine(const char* key, uint8_t byte)
{
    int64_t keyLength = TextLength(key);
    if (keyLength > INT32_MAX || !EnsureRoom(keyLength + separatorLength + 1 + lineEndLength))
        return;
    PutKeyPrefix(key, keyLength);
    encoder->PutRawChar(byte);
    PutLineEnd();
}

void TextWriter::WriteKeyIntLine(const char* key, int32_t value)
{
    int64_t keyLength = TextLength(key);
    if (keyLength > INT32_MAX || !EnsureRoom(keyLength + separatorLength + kMaxIntTextBytes + lineEndLength))
        return;
    PutKeyPrefix(key, keyLength);
    encoder->PutInt(value);
    PutLineEnd();
}

void TextWriter::WriteKeyInt64Line(const char* key, int64_t value)
{
    int64_t keyLength = TextLength(key);
    if (keyLength > INT32_MAX || !EnsureRoom(keyLength + separatorLength + kMaxInt64TextBytes + lineEndLength))
        return;
    PutKeyPrefix(key, keyLength);
    encoder->PutInt64(value);
    PutLineEnd();
}

void TextWriter::WriteKeyFlagLine(const char* key, bool flag)
{
    int64_t keyLength = TextLength(key);
    if (keyLength > INT32_MAX || !EnsureRoom(keyLength + 1 + lineEndLength))
        return;
    encoder->PutTextBytes(key, static_cast<int32_t>(keyLength));
    encoder->PutRawChar(flag ? '+' : '-');
    PutLineEnd();
}

}  // namespace vek
