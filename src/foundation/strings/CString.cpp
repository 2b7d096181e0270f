// CString: lengths, copies, case-insensitive comparison and searching of UTF-8 C strings.
#include "foundation/strings/CString.h"

#include <cstring>

#include "foundation/strings/CharTables.h"
#include "foundation/strings/String.h"
#include "foundation/strings/TextView.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

namespace {

const uint8_t* Bytes(const char* text)
{
    return reinterpret_cast<const uint8_t*>(text);
}

// The value case-insensitive operations compare for the character at p: the upper-case code point.
// A bad byte keeps its identity (0xDC00 + the byte, a value no character decodes to), so that two
// different bad bytes never compare equal; a 4-byte character keeps its code point. 0 at the NUL, or
// at `end` when one is given.
uint32_t NextCaseKey(const uint8_t*& p, const uint8_t* end)
{
    if (end != nullptr && p >= end)
        return 0;
    utf8::Sequence sequence = utf8::Decode(p, end);
    uint32_t key;
    if (sequence.bad)
        key = 0xDC00u | p[0];
    else if (sequence.length == 4)
        key = ((p[0] & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
    else
        key = ToUpperChar(sequence.codePoint);
    p += sequence.length;
    return key;
}

// 1 when the text at `text` begins with `pattern` without regard to case; *matchEnd is then the
// position after the match.
bool MatchesNoCase(const uint8_t* text, const uint8_t* textEnd, const uint8_t* pattern, const uint8_t** matchEnd)
{
    const uint8_t* p = text;
    const uint8_t* q = pattern;
    while (*q != 0) {
        if (textEnd == nullptr ? *p == 0 : p >= textEnd)
            return false;
        if (NextCaseKey(p, textEnd) != NextCaseKey(q, nullptr))
            return false;
    }
    if (matchEnd != nullptr)
        *matchEnd = p;
    return true;
}

int32_t Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Rewrites the 1- and 2-byte characters through a case table, in place; a character whose
// new form would need another length stays as it is.
template <typename Map>
void MapCharacters(char* text, Map map)
{
    uint8_t* p = reinterpret_cast<uint8_t*>(text);
    while (*p != 0) {
        utf8::Sequence sequence = utf8::Decode(p, nullptr);
        if (!sequence.bad && sequence.length <= 2) {
            uint32_t mapped = map(sequence.codePoint);
            if (mapped != sequence.codePoint && Utf8EncodedLength(mapped) == sequence.length)
                Utf8EncodeChar(reinterpret_cast<char*>(p), mapped);
        }
        p += sequence.length;
    }
}

// Rewrites the one character at p, when it keeps its length; returns its length.
int32_t MapOneCharacter(uint8_t* p, uint32_t (*map)(uint32_t))
{
    utf8::Sequence sequence = utf8::Decode(p, nullptr);
    if (!sequence.bad && sequence.length <= 2) {
        uint32_t mapped = map(sequence.codePoint);
        if (mapped != sequence.codePoint && Utf8EncodedLength(mapped) == sequence.length)
            Utf8EncodeChar(reinterpret_cast<char*>(p), mapped);
    }
    return sequence.length;
}

bool IsLetter(uint32_t codePoint)
{
    return ToUpperChar(codePoint) != codePoint || ToLowerChar(codePoint) != codePoint;
}

int32_t PStrLength(const uint8_t* text)
{
    return text[0];
}

}  // namespace

// Length, copy, append.

int32_t CStrLength(const char* text)
{
    return static_cast<int32_t>(std::strlen(text));
}

char* CStrCopy(char* dst, const char* src)
{
    std::size_t n = std::strlen(src) + 1;
    std::memmove(dst, src, n);
    return dst + n;
}

char* CStrCopyBytes(char* dst, const char* src, int32_t n)
{
    if (n < 0)
        n = 0;
    std::memmove(dst, src, static_cast<std::size_t>(n));
    dst[n] = 0;
    return dst + n;
}

void CStrAppend(char* dst, const char* src)
{
    CStrCopy(dst + std::strlen(dst), src);
}

int32_t CStrCopyBytesLimited(char* dst, int32_t size, const char* src, int32_t n)
{
    if (size <= 0)
        return 0;
    if (src == nullptr || n < 0)
        n = 0;
    int32_t count = n;
    if (n >= size)
        count = Utf8SafeCut(src, n, size - 1);
    std::memmove(dst, src == nullptr ? "" : src, static_cast<std::size_t>(count));
    dst[count] = 0;
    return count;
}

int32_t CStrCopyLimited(char* dst, int32_t size, std::string_view src)
{
    return CStrCopyBytesLimited(dst, size, src.data(), ViewLength(src));
}

int32_t CStrCopyLimited(char* dst, int32_t size, const char* src)
{
    return CStrCopyBytesLimited(dst, size, src, src == nullptr ? 0 : CStrLength(src));
}

int32_t CStrFromHeapText(char* dst, ConstHeapText text)
{
    int32_t n = HeapTextLength(text);
    CStrCopyBytes(dst, text == nullptr ? "" : text, n);
    return n;
}

int32_t CStrFromHeapTextLimited(char* dst, int32_t size, ConstHeapText text)
{
    if (size <= 0)
        return 0;
    int32_t n = HeapTextLength(text);
    if (n > size - 1)
        n = size - 1;
    CStrCopyBytes(dst, text == nullptr ? "" : text, n);
    return n;
}

int32_t CStrFromHeapTextLimitedUtf8(char* dst, int32_t size, ConstHeapText text)
{
    return CStrCopyBytesLimited(dst, size, text, HeapTextLength(text));
}

int32_t CodePointToCStr(char* dst, uint32_t codePoint)
{
    int32_t n = Utf8EncodeChar(dst, codePoint);
    dst[n] = 0;
    return n;
}

// Case conversion.

void CStrToUpper(char* text)
{
    MapCharacters(text, ToUpperChar);
}

void CStrToLower(char* text)
{
    MapCharacters(text, ToLowerChar);
}

void CStrCapitalize(char* text)
{
    uint8_t* p = reinterpret_cast<uint8_t*>(text);
    if (*p == 0)
        return;
    int32_t first = MapOneCharacter(p, ToUpperChar);
    CStrToLower(text + first);
}

void CStrTitleCase(char* text)
{
    uint8_t* p = reinterpret_cast<uint8_t*>(text);
    bool wordStart = true;
    while (*p != 0) {
        utf8::Sequence sequence = utf8::Decode(p, nullptr);
        uint32_t c = sequence.bad ? 0xFFFD : sequence.codePoint;
        if (c == ' ' || c == '-' || c == '/' || c == '_') {
            wordStart = true;
        } else if (c == '"' || c == '\'' || c == '(' || c == ')' || c == '.' || c == ':' || c == '[' || c == ']'
                   || c == '{' || c == '}') {
            // passed over: the word state stays
        } else if (!sequence.bad && IsLetter(c)) {
            MapOneCharacter(p, wordStart ? ToUpperChar : ToLowerChar);
            wordStart = false;
        } else {
            wordStart = false;
        }
        p += sequence.length;
    }
}

void CStrChangeCase(char* text, int32_t mode)
{
    switch (mode) {
    case 0:
        CStrToUpper(text);
        break;
    case 1:
        CStrToLower(text);
        break;
    case 2:
        CStrCapitalize(text);
        break;
    case 3:
        CStrTitleCase(text);
        break;
    default:
        break;
    }
}

// Comparison.

int32_t CStrEqual(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0 ? 1 : 0;
}

int32_t CStrEqualNoCase(const char* a, const char* b)
{
    return CStrCompareNoCase(a, b) == 0 ? 1 : 0;
}

int32_t CStrEqualNullAsEmpty(const char* a, const char* b)
{
    if (b == nullptr)
        return *a == 0 ? 1 : 0;
    return CStrEqual(a, b);
}

int32_t CStrEqualNoCaseNullAsEmpty(const char* a, const char* b)
{
    if (b == nullptr)
        return *a == 0 ? 1 : 0;
    return CStrEqualNoCase(a, b);
}

int32_t CStrCompare(const char* a, const char* b)
{
    return Sign(std::strcmp(a, b));  // strcmp compares as unsigned char
}

int32_t CStrCompareNoCase(const char* a, const char* b)
{
    const uint8_t* p = Bytes(a);
    const uint8_t* q = Bytes(b);
    for (;;) {
        uint32_t x = NextCaseKey(p, nullptr);
        uint32_t y = NextCaseKey(q, nullptr);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

int32_t CStrCompareByKind(const char* a, const char* b, int32_t keyKind)
{
    return keyKind == kKeyKindExact ? CStrCompare(a, b) : CStrCompareNoCase(a, b);
}

int32_t CStrCompareNoCaseN(const char* a, const char* b, int32_t n)
{
    const uint8_t* p = Bytes(a);
    const uint8_t* q = Bytes(b);
    for (int32_t i = 0; i < n; ++i) {
        uint32_t x = NextCaseKey(p, nullptr);
        uint32_t y = NextCaseKey(q, nullptr);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
    return 0;
}

int32_t CStrStartsWith(const char* text, const char* prefix)
{
    std::size_t n = std::strlen(prefix);
    return std::strncmp(text, prefix, n) == 0 ? 1 : 0;
}

int32_t CStrStartsWithNoCase(const char* text, const char* prefix)
{
    return MatchesNoCase(Bytes(text), nullptr, Bytes(prefix), nullptr) ? 1 : 0;
}

int32_t CStrStartsWithByKind(const char* text, const char* prefix, int32_t keyKind)
{
    return keyKind == kKeyKindExact ? CStrStartsWith(text, prefix) : CStrStartsWithNoCase(text, prefix);
}

int32_t CStrEqual(std::string_view a, std::string_view b)
{
    return a == b ? 1 : 0;
}

int32_t CStrEqualNoCase(std::string_view a, std::string_view b)
{
    return CStrCompareNoCase(a, b) == 0 ? 1 : 0;
}

int32_t CStrCompare(std::string_view a, std::string_view b)
{
    return Sign(a.compare(b));  // char traits compare as unsigned char
}

// Case keys of two views walked in step until one view ends or the keys differ: the order of the
// first difference, or 0 with `aEnded` and `bEnded` saying which views are used up.
static int32_t CompareViewKeys(std::string_view a, std::string_view b, bool& aEnded, bool& bEnded)
{
    const uint8_t* p = Bytes(a.data());
    const uint8_t* q = Bytes(b.data());
    const uint8_t* pEnd = p + a.size();
    const uint8_t* qEnd = q + b.size();
    for (;;) {
        aEnded = p >= pEnd;
        bEnded = q >= qEnd;
        if (aEnded || bEnded)
            return 0;
        // A NUL inside a view is a character of its own (key 0), not the end.
        uint32_t x = NextCaseKey(p, pEnd);
        uint32_t y = NextCaseKey(q, qEnd);
        if (x != y)
            return x < y ? -1 : 1;
    }
}

int32_t CStrCompareNoCase(std::string_view a, std::string_view b)
{
    bool aEnded;
    bool bEnded;
    int32_t order = CompareViewKeys(a, b, aEnded, bEnded);
    if (order != 0 || aEnded == bEnded)
        return order;
    return aEnded ? -1 : 1;
}

int32_t CStrNumberAfterPrefixNoCase(std::string_view text, std::string_view prefix, size_t maxDigits)
{
    if (text.size() < prefix.size() || CStrCompareNoCase(text.substr(0, prefix.size()), prefix) != 0)
        return -1;
    std::string_view digits = text.substr(prefix.size());
    if (digits.size() > maxDigits)
        return -1;
    int32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

int32_t CStrCompareByKind(std::string_view a, std::string_view b, int32_t keyKind)
{
    return keyKind == kKeyKindExact ? CStrCompare(a, b) : CStrCompareNoCase(a, b);
}

int32_t CStrStartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix ? 1 : 0;
}

int32_t CStrStartsWithNoCase(std::string_view text, std::string_view prefix)
{
    bool textEnded;
    bool prefixEnded;
    return CompareViewKeys(text, prefix, textEnded, prefixEnded) == 0 && prefixEnded ? 1 : 0;
}

// Search.

int32_t CStrFindChar(const char* text, char byte)
{
    if (byte == 0)
        return -1;
    const char* found = std::strchr(text, byte);
    return found == nullptr ? -1 : static_cast<int32_t>(found - text);
}

int32_t CStrFindCodePoint(const char* text, uint32_t codePoint)
{
    const char* p = text;
    while (*p != 0) {
        const char* start = p;
        if (Utf8NextChar(p) == codePoint)
            return static_cast<int32_t>(start - text);
    }
    return -1;
}

int32_t CStrFindCodePointNoCase(const char* text, uint32_t codePoint)
{
    uint32_t wanted = ToUpperChar(codePoint);
    const uint8_t* p = Bytes(text);
    while (*p != 0) {
        const uint8_t* start = p;
        if (NextCaseKey(p, nullptr) == wanted)
            return static_cast<int32_t>(start - Bytes(text));
    }
    return -1;
}

int32_t CStrFind(const char* text, const char* pattern)
{
    if (*text == 0)
        return -1;
    const char* found = std::strstr(text, pattern);
    return found == nullptr ? -1 : static_cast<int32_t>(found - text);
}

int32_t CStrFindNoCase(const char* text, const char* pattern)
{
    if (*pattern == 0)
        return -1;
    const uint8_t* p = Bytes(text);
    while (*p != 0) {
        if (MatchesNoCase(p, nullptr, Bytes(pattern), nullptr))
            return static_cast<int32_t>(p - Bytes(text));
        p += utf8::Decode(p, nullptr).length;
    }
    return -1;
}

int32_t CStrFindInBytes(const char* bytes, int32_t n, const char* pattern)
{
    int32_t k = CStrLength(pattern);
    if (k == 0)
        return 0;
    for (int32_t i = 0; i + k <= n; ++i) {
        if (bytes[i] == pattern[0] && std::memcmp(bytes + i, pattern, static_cast<std::size_t>(k)) == 0)
            return i;
    }
    return -1;
}

int32_t CStrFindNoCaseInBytes(const char* bytes, int32_t n, const char* pattern)
{
    int32_t k = CStrLength(pattern);
    if (k == 0 || n <= 0)
        return -1;
    const uint8_t* start = Bytes(bytes);
    const uint8_t* end = start + n;
    const uint8_t* last = start + (n - k);
    for (const uint8_t* p = start; p <= last && p < end;) {
        if (MatchesNoCase(p, end, Bytes(pattern), nullptr))
            return static_cast<int32_t>(p - start);
        p += utf8::Decode(p, end).length;
    }
    return -1;
}

int32_t CStrFindNoCaseFrom(const char* bytes, int32_t n, int32_t start, const char* pattern, int32_t* matchLength)
{
    if (*pattern == 0 || start < 0 || start >= n)
        return -1;
    const uint8_t* begin = Bytes(bytes);
    const uint8_t* end = begin + n;
    for (const uint8_t* p = begin + start; p < end;) {
        const uint8_t* matchEnd = nullptr;
        if (MatchesNoCase(p, end, Bytes(pattern), &matchEnd)) {
            if (matchLength != nullptr)
                *matchLength = static_cast<int32_t>(matchEnd - p);
            return static_cast<int32_t>(p - begin);
        }
        p += utf8::Decode(p, end).length;
    }
    return -1;
}

// Clean-up.

int32_t CStrReplaceChar(char* text, char from, char to)
{
    char* p = text;
    for (; *p != 0; ++p) {
        if (*p == from)
            *p = to;
    }
    return static_cast<int32_t>(p - text);
}

int32_t CStrStripControlChars(char* text)
{
    int32_t w = 0;
    for (int32_t r = 0; text[r] != 0; ++r) {
        if (static_cast<uint8_t>(text[r]) >= 32)
            text[w++] = text[r];
    }
    text[w] = 0;
    return w;
}

int32_t CStrRemoveChars(char* text, const char* set)
{
    int32_t w = 0;
    for (int32_t r = 0; text[r] != 0; ++r) {
        if (std::strchr(set, text[r]) == nullptr)
            text[w++] = text[r];
    }
    text[w] = 0;
    return w;
}

int32_t CStrCollapseBlanks(char* text)
{
    int32_t w = 0;
    for (int32_t r = 0; text[r] != 0; ++r) {
        if (text[r] == ' ' && w > 0 && text[w - 1] == ' ')
            continue;
        text[w++] = text[r];
    }
    text[w] = 0;
    return w;
}

int32_t CStrNormalizeLineEnds(char* text)
{
    int32_t w = 0;
    int32_t r = 0;
    while (text[r] != 0) {
        uint8_t c = static_cast<uint8_t>(text[r]);
        if (c == '\r' || c == '\n') {
            r += (c == '\r' && text[r + 1] == '\n') ? 2 : 1;
            while (w > 0 && text[w - 1] == ' ')
                --w;
            if (w > 0)
                text[w++] = '\r';
        } else {
            if (c >= 32)
                text[w++] = static_cast<char>(c);
            ++r;
        }
    }
    while (w > 0 && text[w - 1] == '\r')
        --w;
    text[w] = 0;
    return w;
}

// Length-byte strings.

void PStrFromBytes(uint8_t* dst, const char* bytes, int32_t n)
{
    if (bytes == nullptr || n < 0)
        n = 0;
    if (n > kPStrMaxLength)
        n = kPStrMaxLength;
    std::memmove(dst + 1, bytes == nullptr ? "" : bytes, static_cast<std::size_t>(n));
    dst[0] = static_cast<uint8_t>(n);
}

void PStrFromCStr(uint8_t* dst, const char* text)
{
    if (text == nullptr) {
        dst[0] = 0;
        return;
    }
    std::size_t n = strnlen(text, kPStrMaxLength);
    PStrFromBytes(dst, text, static_cast<int32_t>(n));
}

void PStrFromString(uint8_t* dst, const String& text)
{
    PStrFromBytes(dst, text.CStr(), text.Length());
}

void PStrFromHeapText(uint8_t* dst, ConstHeapText text)
{
    PStrFromBytes(dst, text, HeapTextLength(text));
}

uint8_t* PStrAppendBytes(uint8_t* text, const char* bytes, int32_t n)
{
    int32_t length = PStrLength(text);
    if (bytes == nullptr || n < 0)
        n = 0;
    if (n > kPStrMaxLength - length)
        n = kPStrMaxLength - length;
    std::memmove(text + 1 + length, bytes == nullptr ? "" : bytes, static_cast<std::size_t>(n));
    text[0] = static_cast<uint8_t>(length + n);
    return text + 1 + length + n;
}

void PStrAppendHeapText(uint8_t* text, ConstHeapText heapText)
{
    if (heapText != nullptr)
        PStrAppendBytes(text, heapText, HeapTextLength(heapText));
}

int32_t PStrToCStr(char* dst, const uint8_t* text)
{
    int32_t n = PStrLength(text);
    std::memmove(dst, text + 1, static_cast<std::size_t>(n));
    dst[n] = 0;
    return n;
}

static void PStrInsertBytes(uint8_t* text, int32_t p, const char* bytes, int32_t k)
{
    int32_t length = PStrLength(text);
    if (bytes == nullptr || k <= 0 || p < 1 || p > length + 1)
        return;
    int32_t placed = k;
    if (placed > kPStrMaxLength - length)
        placed = kPStrMaxLength - length;
    if (placed <= 0)
        return;
    // The bytes from p on move up by what is placed; the insert may lie inside the text itself.
    uint8_t insert[kPStrMaxLength];
    std::memcpy(insert, bytes, static_cast<std::size_t>(placed));
    std::memmove(text + p + placed, text + p, static_cast<std::size_t>(length - p + 1));
    std::memcpy(text + p, insert, static_cast<std::size_t>(placed));
    text[0] = static_cast<uint8_t>(length + placed);
}

void PStrInsertString(uint8_t* text, int32_t p, const String& insert)
{
    PStrInsertBytes(text, p, insert.CStr(), insert.Length());
}

void PStrInsertPStr(uint8_t* text, int32_t p, const uint8_t* insert)
{
    PStrInsertBytes(text, p, reinterpret_cast<const char*>(insert + 1), PStrLength(insert));
}

void PStrInsertCStr(uint8_t* text, int32_t p, const char* insert)
{
    if (insert != nullptr)
        PStrInsertBytes(text, p, insert, static_cast<int32_t>(strnlen(insert, kPStrMaxLength)));
}

void PStrInsertChar(uint8_t* text, int32_t p, char byte)
{
    PStrInsertBytes(text, p, &byte, 1);
}

void PStrReplaceRange(uint8_t* text, int32_t p, int32_t count, const char* bytes, int32_t n)
{
    int32_t length = PStrLength(text);
    if (p < 1 || p > length + 1)
        return;
    if (count < 0)
        count = 0;
    if (count > length - p + 1)
        count = length - p + 1;
    if (bytes == nullptr || n < 0)
        n = 0;
    int32_t m = n;
    if (length - count + m > kPStrMaxLength)
        m = count - length + kPStrMaxLength;
    uint8_t replacement[kPStrMaxLength];
    std::memcpy(replacement, bytes == nullptr ? "" : bytes, static_cast<std::size_t>(m));
    std::memmove(text + p + m, text + p + count, static_cast<std::size_t>(length - p - count + 1));
    std::memcpy(text + p, replacement, static_cast<std::size_t>(m));
    text[0] = static_cast<uint8_t>(length - count + m);
}

void PStrReplaceRangeCStr(uint8_t* text, int32_t p, int32_t count, const char* replacement)
{
    int32_t n = replacement == nullptr ? 0 : static_cast<int32_t>(strnlen(replacement, kPStrMaxLength));
    PStrReplaceRange(text, p, count, replacement, n);
}

void PStrTrimLeading(uint8_t* text, uint8_t byte)
{
    int32_t length = PStrLength(text);
    int32_t skip = 0;
    while (skip < length && text[1 + skip] == byte)
        ++skip;
    if (skip == 0)
        return;
    std::memmove(text + 1, text + 1 + skip, static_cast<std::size_t>(length - skip));
    text[0] = static_cast<uint8_t>(length - skip);
}

void PStrTrimTrailing(uint8_t* text, uint8_t byte)
{
    int32_t length = PStrLength(text);
    while (length > 0 && text[length] == byte)
        --length;
    text[0] = static_cast<uint8_t>(length);
}

void PStrTrim(uint8_t* text, uint8_t byte)
{
    PStrTrimTrailing(text, byte);
    PStrTrimLeading(text, byte);
}

void PStrToUpperAscii(uint8_t* text)
{
    for (int32_t i = 1; i <= PStrLength(text); ++i)
        text[i] = static_cast<uint8_t>(AsciiToUpper(static_cast<char>(text[i])));
}

void PStrToLowerAscii(uint8_t* text)
{
    for (int32_t i = 1; i <= PStrLength(text); ++i)
        text[i] = static_cast<uint8_t>(AsciiToLower(static_cast<char>(text[i])));
}

static void PStrThroughString(uint8_t* text, void (*change)(char*))
{
    String temporary;
    temporary.AssignPascal(text);
    change(temporary.Data());
    PStrFromString(text, temporary);
}

void PStrCapitalize(uint8_t* text)
{
    PStrThroughString(text, CStrCapitalize);
}

void PStrTitleCase(uint8_t* text)
{
    PStrThroughString(text, CStrTitleCase);
}

int32_t PStrCompare(const uint8_t* a, const uint8_t* b)
{
    int32_t n = PStrLength(a);
    int32_t m = PStrLength(b);
    int result = std::memcmp(a + 1, b + 1, static_cast<std::size_t>(n < m ? n : m));
    if (result != 0)
        return Sign(result);
    return n == m ? 0 : (n < m ? -1 : 1);
}

int32_t PStrCompareNoCase(const uint8_t* a, const uint8_t* b)
{
    const uint8_t* p = a + 1;
    const uint8_t* q = b + 1;
    const uint8_t* pEnd = p + PStrLength(a);
    const uint8_t* qEnd = q + PStrLength(b);
    for (;;) {
        // A NUL inside a length-byte string is an ordinary byte; the key of the end is below every key.
        bool pDone = p >= pEnd;
        bool qDone = q >= qEnd;
        if (pDone || qDone)
            return pDone && qDone ? 0 : (pDone ? -1 : 1);
        uint32_t x = NextCaseKey(p, pEnd);
        uint32_t y = NextCaseKey(q, qEnd);
        if (x != y)
            return x < y ? -1 : 1;
    }
}

}  // namespace vek
