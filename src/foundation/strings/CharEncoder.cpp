// CharEncoder: writing characters, UTF-16 text and numbers as UTF-8, UTF-16 or code-page bytes.
#include "foundation/strings/CharEncoder.h"

#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CodePages.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

namespace {

constexpr int32_t kNumberScratchBytes = kMaxDigitCount + kMaxNumberTextBytes;
constexpr uint8_t kUnmappedByte = '.';
constexpr int32_t kCodePageTableSize = 65536;

// The character of the unit at i, advancing i past a surrogate pair: a pair (a character beyond
// U+FFFF) and a lone surrogate are one U+FFFD each, as in String::AssignWide.
uint32_t NextUnitAsChar(const char16_t* units, int32_t n, int32_t& i)
{
    uint32_t unit = units[i];
    if (utf8::IsHighSurrogate(unit) && i + 1 < n && utf8::IsLowSurrogate(units[i + 1]))
        ++i;
    return utf8::IsHighSurrogate(unit) || utf8::IsLowSurrogate(unit) ? kReplacementChar : unit;
}

}  // namespace

// ---- CharEncoder: UTF-8

CharEncoder::~CharEncoder() = default;

char*& CharEncoder::Cursor() { return owner.cursor; }
const char* CharEncoder::BufferStart() const { return owner.start; }
uint32_t CharEncoder::Separator() const { return owner.separator; }
std::string_view CharEncoder::SeparatorUtf8() const { return owner.SeparatorUtf8(); }

void CharEncoder::PutRawChar(uint8_t byte) { *Cursor()++ = static_cast<char>(byte); }

void CharEncoder::PutRawCharRepeated(uint8_t byte, int32_t n)
{
    if (n < 1)
        return;
    std::memset(Cursor(), byte, static_cast<std::size_t>(n));
    Cursor() += n;
}

void CharEncoder::PutChar(uint32_t codePoint)
{
    if (codePoint < 0x80)
        *Cursor()++ = static_cast<char>(codePoint);
    else
        CursorPutUtf8Char(Cursor(), codePoint);
}

void CharEncoder::PutText(const char* text) { CursorPutCStr(Cursor(), text); }

void CharEncoder::PutRawText(const char* text) { CursorPutCStr(Cursor(), text); }

void CharEncoder::PutTextBytes(const char* bytes, int32_t n) { CursorPutBytes(Cursor(), bytes, n); }

void CharEncoder::PutUtf16Text(const char16_t* units, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        CursorPutUtf8Char(Cursor(), NextUnitAsChar(units, n, i));
}

void CharEncoder::PutInt(int32_t value) { CursorPutInt(Cursor(), value); }

void CharEncoder::PutIntDigits(int32_t value, int32_t digits)
{
    CursorPutIntDigits(Cursor(), value, ClampDigitCount(digits));
}

void CharEncoder::PutInt64(int64_t value) { CursorPutInt64(Cursor(), value); }

void CharEncoder::PutInt64Digits(int64_t value, int32_t digits)
{
    CursorPutInt64Digits(Cursor(), value, ClampDigitCount(digits));
}

void CharEncoder::PutDouble(double value, const NumberFormat& format) { CursorPutDouble(Cursor(), value, format); }

void CharEncoder::TrimTrailingSeparators()
{
    std::string_view separator = SeparatorUtf8();
    char*& cursor = Cursor();
    if (separator.empty())
        return;
    if (separator.size() == 1) {
        while (cursor > BufferStart() && cursor[-1] == separator[0])
            --cursor;
        return;
    }
    while (cursor - BufferStart() >= static_cast<std::ptrdiff_t>(separator.size()) &&
           std::memcmp(cursor - separator.size(), separator.data(), separator.size()) == 0)
        cursor -= separator.size();
}

// ---- UTF-16

Utf16Encoder::~Utf16Encoder() = default;
Utf16LeEncoder::~Utf16LeEncoder() = default;
Utf16BeEncoder::~Utf16BeEncoder() = default;

void Utf16Encoder::PutUnit(uint32_t unit)
{
    if (unit > 0xFFFF)
        unit = kReplacementChar;
    char*& cursor = Cursor();
    uint8_t low = static_cast<uint8_t>(unit);
    uint8_t high = static_cast<uint8_t>(unit >> 8);
    cursor[0] = static_cast<char>(order == ByteOrder::littleEndian ? low : high);
    cursor[1] = static_cast<char>(order == ByteOrder::littleEndian ? high : low);
    cursor += 2;
}

void Utf16Encoder::PutAsciiBytes(const char* bytes, const char* end)
{
    for (const char* p = bytes; p < end; ++p)
        PutUnit(static_cast<uint8_t>(*p));
}

void Utf16Encoder::PutRawChar(uint8_t byte) { PutUnit(byte); }

void Utf16Encoder::PutRawCharRepeated(uint8_t byte, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        PutUnit(byte);
}

void Utf16Encoder::PutChar(uint32_t codePoint) { PutUnit(codePoint); }

void Utf16Encoder::PutText(const char* text)
{
    if (text == nullptr)
        return;
    const char* p = text;
    while (uint32_t c = Utf8NextChar(p))
        PutUnit(c);
}

void Utf16Encoder::PutRawText(const char* text)
{
    if (text != nullptr)
        PutAsciiBytes(text, text + std::strlen(text));
}

void Utf16Encoder::PutTextBytes(const char* bytes, int32_t n)
{
    const char* end = bytes + (n > 0 ? n : 0);
    for (const char* p = bytes; p < end;)
        PutUnit(Utf8NextCharIn(p, end));
}

void Utf16Encoder::PutUtf16Text(const char16_t* units, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        PutUnit(units[i]);
}

void Utf16Encoder::PutInt(int32_t value)
{
    char text[kNumberScratchBytes];
    char* end = text;
    CursorPutInt(end, value);
    PutAsciiBytes(text, end);
}

void Utf16Encoder::PutIntDigits(int32_t value, int32_t digits)
{
    char text[kNumberScratchBytes];
    char* end = text;
    CursorPutIntDigits(end, value, ClampDigitCount(digits));
    PutAsciiBytes(text, end);
}

void Utf16Encoder::PutInt64(int64_t value)
{
    char text[kNumberScratchBytes];
    char* end = text;
    CursorPutInt64(end, value);
    PutAsciiBytes(text, end);
}

void Utf16Encoder::PutInt64Digits(int64_t value, int32_t digits)
{
    char text[kNumberScratchBytes];
    char* end = text;
    CursorPutInt64Digits(end, value, ClampDigitCount(digits));
    PutAsciiBytes(text, end);
}

void Utf16Encoder::PutDouble(double value, const NumberFormat& format)
{
    // The separators of a format may be any character, so the text is decoded, not widened bytewise.
    char text[kNumberScratchBytes];
    char* end = text;
    CursorPutDouble(end, value, format);
    PutTextBytes(text, static_cast<int32_t>(end - text));
}

void Utf16Encoder::TrimTrailingSeparators()
{
    uint32_t unit = Separator() > 0xFFFF ? kReplacementChar : Separator();
    char pair[2];
    uint8_t low = static_cast<uint8_t>(unit);
    uint8_t high = static_cast<uint8_t>(unit >> 8);
    pair[0] = static_cast<char>(order == ByteOrder::littleEndian ? low : high);
    pair[1] = static_cast<char>(order == ByteOrder::littleEndian ? high : low);
    char*& cursor = Cursor();
    while (cursor - BufferStart() >= 2 && cursor[-2] == pair[0] && cursor[-1] == pair[1])
        cursor -= 2;
}

// ---- 8-bit code pages

CodePageEncoder::CodePageEncoder(TextWriter& owner, int32_t encoding) : CharEncoder(owner)
{
    const CodePage* page = CodePageTable(encoding);
    if (page == nullptr)
        return;
    table = static_cast<uint8_t*>(MemAlloc(kCodePageTableSize));
    if (table == nullptr)
        return;
    std::memset(table, kUnmappedByte, kCodePageTableSize);
    for (int32_t c = 0; c < 0x80; ++c)
        table[c] = static_cast<uint8_t>(c);
    for (std::size_t i = 0; i < page->size(); ++i)
        table[(*page)[i]] = static_cast<uint8_t>(0x80 + i);
}

CodePageEncoder::~CodePageEncoder() { MemFree(table); }

void CodePageEncoder::PutChar(uint32_t codePoint)
{
    if (table != nullptr)
        *Cursor()++ = static_cast<char>(ByteOf(codePoint));
}

void CodePageEncoder::PutText(const char* text)
{
    if (table == nullptr || text == nullptr)
        return;
    char*& cursor = Cursor();
    const char* p = text;
    while (uint32_t c = Utf8NextChar(p))
        *cursor++ = static_cast<char>(ByteOf(c));
}

void CodePageEncoder::PutTextBytes(const char* bytes, int32_t n)
{
    if (table == nullptr || n < 1)
        return;
    char*& cursor = Cursor();
    const char* end = bytes + n;
    for (const char* p = bytes; p < end;) {
        if (static_cast<uint8_t>(*p) < 0x80)
            *cursor++ = *p++;
        else
            *cursor++ = static_cast<char>(ByteOf(Utf8NextCharIn(p, end)));
    }
}

void CodePageEncoder::PutUtf16Text(const char16_t* units, int32_t n)
{
    if (table == nullptr)
        return;
    char*& cursor = Cursor();
    for (int32_t i = 0; i < n; ++i)
        *cursor++ = static_cast<char>(ByteOf(NextUnitAsChar(units, n, i)));
}

void CodePageEncoder::PutDouble(double value, const NumberFormat& format)
{
    char text[kNumberScratchBytes];
    char* end = text;
    CursorPutDouble(end, value, format);
    PutTextBytes(text, static_cast<int32_t>(end - text));
}

void CodePageEncoder::TrimTrailingSeparators()
{
    if (table == nullptr)
        return;
    // A separator the page cannot hold is written as "."; trimming it would also eat the full stops
    // that end the last field, so such a separator is left standing.
    uint8_t byte = ByteOf(Separator());
    if (byte == kUnmappedByte && Separator() != kUnmappedByte)
        return;
    char*& cursor = Cursor();
    while (cursor > BufferStart() && static_cast<uint8_t>(cursor[-1]) == byte)
        --cursor;
}

}  // namespace vek
