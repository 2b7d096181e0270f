// CursorWriters: writing texts and decimal integers at a caller's cursor, two digits per step.
#include "foundation/numbers/CursorWriters.h"

#include <cstring>

#include "foundation/strings/HeapText.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Numbers are written by the million into files, so the digits go straight to their place, two per
// step, and values that fit 32 bits avoid 64-bit division.
int32_t DecimalDigitCount(uint64_t magnitude)
{
    int32_t count = 1;
    while (magnitude >= 10000) {
        magnitude /= 10000;
        count += 4;
    }
    return count + (magnitude >= 10) + (magnitude >= 100) + (magnitude >= 1000);
}

// Writes the decimal digits of a magnitude so that they end just before `end`.
void PutDigitsBefore(char* end, uint64_t magnitude)
{
    while (magnitude > 0xffffffffu) {
        uint32_t pair = uint32_t(magnitude % 100);
        magnitude /= 100;
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * pair, 2);
    }
    uint32_t small = uint32_t(magnitude);
    while (small >= 100) {
        uint32_t pair = small % 100;
        small /= 100;
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * pair, 2);
    }
    if (small >= 10) {
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * small, 2);
    } else {
        *--end = char('0' + small);
    }
}

// Decimal digits of a magnitude, last digit first; returns the count (at least 1).
int32_t ReversedDecimalDigits(uint64_t magnitude, char* digits)
{
    int32_t count = 0;
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    return count;
}

uint64_t IntegerMagnitude(int64_t value)
{
    return value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
}

void PutDecimalInteger(char*& cursor, int64_t value)
{
    uint64_t magnitude = IntegerMagnitude(value);
    if (value < 0)
        *cursor++ = '-';
    cursor += DecimalDigitCount(magnitude);
    PutDigitsBefore(cursor, magnitude);
}

// Exactly `wanted` digits (at least 1): leading zeros, or only the last digits of a longer number.
void PutDecimalIntegerDigits(char*& cursor, int64_t value, int32_t wanted)
{
    if (wanted < 1)
        wanted = 1;
    uint64_t magnitude = IntegerMagnitude(value);
    if (value < 0)
        *cursor++ = '-';
    char* end = cursor + wanted;
    for (char* p = end; p != cursor;) {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    }
    cursor = end;
}

void PutGroupedInteger(char*& cursor, int64_t value, char16_t separator)
{
    if (separator == kProcessSeparator)
        separator = GetSeparators().thousandsSeparator;
    char digits[20];
    int32_t count = ReversedDecimalDigits(IntegerMagnitude(value), digits);
    if (value < 0)
        *cursor++ = '-';
    for (int32_t i = count - 1; i >= 0; --i) {
        *cursor++ = digits[i];
        if (separator != 0 && i > 0 && i % 3 == 0)
            CursorPutUtf8Char(cursor, separator);
    }
}

}  // namespace

void CursorPutCStr(char*& cursor, const char* text)
{
    if (text)
        CursorPutBytes(cursor, text, int32_t(std::strlen(text)));
}

void CursorPutBytes(char*& cursor, const char* bytes, int32_t n)
{
    if (n < 1)
        return;
    std::memcpy(cursor, bytes, size_t(n));
    cursor += n;
}

void CursorPutString(char*& cursor, const String& text)
{
    CursorPutBytes(cursor, text.CStr(), text.Length());
}

void CursorPutHeapText(char*& cursor, ConstHeapText text)
{
    if (text)
        CursorPutBytes(cursor, text, HeapTextLength(text));
}

void CursorPutLoadedText(char*& cursor, int32_t number)
{
    if (number != 0)
        CursorPutCStr(cursor, LoadText(number));
}

void CursorPutUtf8Char(char*& cursor, uint32_t codePoint)
{
    cursor += Utf8EncodeChar(cursor, codePoint);
}

void CursorPutInt16(char*& cursor, int16_t value)
{
    PutDecimalInteger(cursor, value);
}

void CursorPutInt16Digits(char*& cursor, int16_t value, int32_t digits)
{
    PutDecimalIntegerDigits(cursor, value, digits);
}

void CursorPutInt(char*& cursor, int32_t value)
{
    PutDecimalInteger(cursor, value);
}

void CursorPutIntDigits(char*& cursor, int32_t value, int32_t digits)
{
    PutDecimalIntegerDigits(cursor, value, digits);
}

void CursorPutInt64(char*& cursor, int64_t value)
{
    PutDecimalInteger(cursor, value);
}

void CursorPutInt64Digits(char*& cursor, int64_t value, int32_t digits)
{
    PutDecimalIntegerDigits(cursor, value, digits);
}

void CursorPutIntGrouped(char*& cursor, int32_t value, char16_t separator)
{
    PutGroupedInteger(cursor, value, separator);
}

void CursorPutInt64Grouped(char*& cursor, int64_t value, char16_t separator)
{
    PutGroupedInteger(cursor, value, separator);
}

void CursorPut2Digits(char*& cursor, int32_t value)
{
    uint64_t magnitude = IntegerMagnitude(value) % 100;
    *cursor++ = char('0' + magnitude / 10);
    *cursor++ = char('0' + magnitude % 10);
}

void CursorPut3Digits(char*& cursor, int32_t value)
{
    uint64_t magnitude = IntegerMagnitude(value) % 1000;
    *cursor++ = char('0' + magnitude / 100);
    *cursor++ = char('0' + magnitude / 10 % 10);
    *cursor++ = char('0' + magnitude % 10);
}

void IntToHex(char* buffer, uint32_t value, int32_t n)
{
    if (n > 8)
        n = 8;
    for (int32_t i = n - 1; i >= 0; --i) {
        buffer[i] = kHexDigits[value & 15];
        value >>= 4;
    }
    buffer[n > 0 ? n : 0] = '\0';
}

}  // namespace vek
