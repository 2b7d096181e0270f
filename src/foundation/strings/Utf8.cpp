// Utf8: decoding, encoding, stepping and classifying UTF-8 characters, never trusting the input.
#include "foundation/strings/Utf8.h"

#include "foundation/strings/CharTables.h"
#include "foundation/strings/TextView.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

uint32_t Utf8DecodeChar(const char* p)
{
    return utf8::Decode(reinterpret_cast<const uint8_t*>(p), nullptr).codePoint;
}

uint32_t Utf8NextChar(const char*& p)
{
    utf8::Sequence sequence = utf8::Decode(reinterpret_cast<const uint8_t*>(p), nullptr);
    p += sequence.length;
    return sequence.codePoint;
}

uint32_t Utf8NextCharIn(const char*& p, const char* end)
{
    utf8::Sequence sequence =
        utf8::Decode(reinterpret_cast<const uint8_t*>(p), reinterpret_cast<const uint8_t*>(end));
    p += sequence.length;
    return sequence.codePoint;
}

uint32_t Utf8PrevChar(const char*& p, const char* start)
{
    if (p <= start)
        return 0;
    // A character is at most 4 bytes long: look for the lead byte whose sequence ends exactly at p.
    const char* end = p;
    for (int32_t back = 1; back <= 4 && end - back >= start; ++back) {
        const char* candidate = end - back;
        utf8::Sequence sequence =
            utf8::Decode(reinterpret_cast<const uint8_t*>(candidate), reinterpret_cast<const uint8_t*>(end));
        if (!sequence.bad && sequence.length == back) {
            p = candidate;
            return sequence.codePoint;
        }
        if (!Utf8IsContinuation(static_cast<uint8_t>(*candidate)))
            break;
    }
    // The byte before p belongs to no sequence that ends at p: it stands alone.
    p = end - 1;
    return utf8::Decode(reinterpret_cast<const uint8_t*>(p), reinterpret_cast<const uint8_t*>(end)).codePoint;
}

int32_t Utf8CharLength(const char* p)
{
    return utf8::Decode(reinterpret_cast<const uint8_t*>(p), nullptr).length;
}

int32_t Utf8EncodedLength(uint32_t codePoint)
{
    if (codePoint < 0x80)
        return 1;
    if (codePoint < 0x800)
        return 2;
    return 3;
}

int32_t Utf8EncodeChar(char* buffer, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        buffer[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        buffer[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        buffer[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint > 0xFFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        codePoint = kReplacementChar;
    buffer[0] = static_cast<char>(0xE0 | (codePoint >> 12));
    buffer[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    buffer[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 3;
}

int32_t Utf8CharCount(const char* text)
{
    if (text == nullptr)
        return 0;
    int32_t count = 0;
    const char* p = text;
    while (*p != 0) {
        p += utf8::Decode(reinterpret_cast<const uint8_t*>(p), nullptr).length;
        ++count;
    }
    return count;
}

uint32_t Utf8UpperCharAt(const char* p)
{
    return ToUpperChar(Utf8DecodeChar(p));
}

uint32_t Utf8NextUpperChar(const char*& p)
{
    return ToUpperChar(Utf8NextChar(p));
}

uint32_t Utf8NextUpperCharIn(const char*& p, const char* end)
{
    return ToUpperChar(Utf8NextCharIn(p, end));
}

int32_t Utf8Classify(const char* bytes, int32_t n)
{
    if (bytes == nullptr || n <= 0)
        return 0;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes);
    const uint8_t* end = p + n;
    int32_t result = 0;
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        utf8::Sequence sequence = utf8::Decode(p, end);
        // A sequence that the end of the bytes cut short is judged by what is there.
        if (sequence.bad && !sequence.cutShort)
            return 1;
        result = 2;
        p += sequence.cutShort ? end - p : sequence.length;
    }
    return result;
}

bool Utf8IsValid(const char* bytes, int32_t n)
{
    return Utf8Classify(bytes, n) != 1;
}

int32_t Utf8SafeCut(const char* bytes, int32_t n, int32_t cut)
{
    if (cut <= 0 || cut >= n)
        return cut;
    const uint8_t* text = reinterpret_cast<const uint8_t*>(bytes);
    if (!Utf8IsContinuation(text[cut]))
        return cut;
    for (int32_t back = 1; back <= 3 && cut - back >= 0; ++back) {
        const uint8_t* lead = text + cut - back;
        if (Utf8IsContinuation(*lead))
            continue;
        utf8::Sequence sequence = utf8::Decode(lead, text + n);
        return !sequence.bad && sequence.length > back ? cut - back : cut;
    }
    return cut;
}

int32_t Utf8BoundaryAfter(const char* bytes, int32_t n, int32_t at)
{
    int32_t start = Utf8SafeCut(bytes, n, at);
    if (start == at)
        return at;
    return start + utf8::Decode(reinterpret_cast<const uint8_t*>(bytes) + start,
                                reinterpret_cast<const uint8_t*>(bytes) + n)
                       .length;
}

bool HasLineBreak(const char* text)
{
    for (const char* p = text; *p != 0; ++p) {
        if (*p == '\r' || *p == '\n')
            return true;
    }
    return false;
}

// A surrogate pair is one character beyond U+FFFF and becomes one U+FFFD, as does a lone surrogate.
static uint32_t NextUtf16Char(const char16_t*& p)
{
    uint32_t unit = *p++;
    if (utf8::IsHighSurrogate(unit) && utf8::IsLowSurrogate(*p))
        ++p;
    return unit;
}

int32_t Utf16Utf8Length(const char16_t* units)
{
    int32_t bytes = 0;
    for (const char16_t* p = units; *p != 0;)
        bytes += Utf8EncodedLength(NextUtf16Char(p));
    return bytes;
}

int32_t Utf16ToUtf8(char* buffer, const char16_t* units)
{
    char* out = buffer;
    for (const char16_t* p = units; *p != 0;)
        out += Utf8EncodeChar(out, NextUtf16Char(p));
    *out = 0;
    return static_cast<int32_t>(out - buffer);
}

char16_t NextUtf16LeUnit(const uint8_t*& p)
{
    char16_t unit = static_cast<char16_t>(p[0] | (p[1] << 8));
    p += 2;
    return unit;
}

char16_t NextUtf16BeUnit(const uint8_t*& p)
{
    char16_t unit = static_cast<char16_t>((p[0] << 8) | p[1]);
    p += 2;
    return unit;
}

bool Utf8IsValid(std::string_view bytes)
{
    return Utf8IsValid(bytes.data(), ViewLength(bytes));
}

int32_t Utf8Classify(std::string_view bytes)
{
    return Utf8Classify(bytes.data(), ViewLength(bytes));
}

int32_t Utf8SafeCut(std::string_view bytes, int32_t cut)
{
    return Utf8SafeCut(bytes.data(), ViewLength(bytes), cut);
}

int32_t Utf8BoundaryAfter(std::string_view bytes, int32_t at)
{
    return Utf8BoundaryAfter(bytes.data(), ViewLength(bytes), at);
}

}  // namespace vek
