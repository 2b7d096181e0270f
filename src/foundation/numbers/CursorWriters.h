// CursorWriters: writers that append text at a caller's cursor, with the most bytes each can write.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;

// Writers that append text at a cursor: a character pointer owned by the caller, which each writer
// advances past what it wrote. None writes a NUL and none knows the end of the buffer: the caller
// makes room first. Each writer states the most bytes it can write; the constants below are those
// bounds, so a caller can size a buffer (or a string's free room) before the call.

// A separator argument or field of this value stands for the process-wide separator.
inline constexpr char16_t kProcessSeparator = 0xFEFF;

// Bounds of the number writers.
inline constexpr int32_t kMaxUtf8CharBytes = 3;
inline constexpr int32_t kMaxInt16TextBytes = 6;           // "-32768"
inline constexpr int32_t kMaxIntTextBytes = 11;            // "-2147483648"
inline constexpr int32_t kMaxInt64TextBytes = 20;          // "-9223372036854775808"
inline constexpr int32_t kMaxIntGroupedTextBytes = 20;     // 11 bytes and 3 separators of 3 bytes
inline constexpr int32_t kMaxInt64GroupedTextBytes = 38;   // 20 bytes and 6 separators of 3 bytes
// The digit writers write exactly max(digits, 1) digits and a "-" before a negative value.
constexpr int32_t MaxDigitsTextBytes(int32_t digits) { return (digits > 1 ? digits : 1) + 1; }
// The hexadecimal digits, upper case, as every hex writer and escaper writes them.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// IntToHex: up to 8 digits and the NUL.
inline constexpr int32_t kMaxHexTextBytes = 9;

// Texts: each writes exactly the bytes of its text.
void CursorPutCStr(char*& cursor, const char* text);  // null writes nothing
void CursorPutBytes(char*& cursor, const char* bytes, int32_t n);  // n < 1 writes nothing
void CursorPutString(char*& cursor, const String& text);  // Length() bytes
void CursorPutHeapText(char*& cursor, ConstHeapText text);  // HeapTextLength bytes; null nothing
// The localized text of a number (LoadText); 0 or a missing text writes nothing.
void CursorPutLoadedText(char*& cursor, int32_t number);
// One code point below U+10000 as 1 to 3 UTF-8 bytes; surrogates and larger code points are written
// as U+FFFD, since text in memory is always valid UTF-8.
void CursorPutUtf8Char(char*& cursor, uint32_t codePoint);

// Decimal integers. The "Digits" forms write exactly max(digits, 1) digits: leading zeros for a short
// number, only the last `digits` digits of a longer one; a "-" stands before a negative value.
void CursorPutInt16(char*& cursor, int16_t value);  // kMaxInt16TextBytes
void CursorPutInt16Digits(char*& cursor, int16_t value, int32_t digits);  // MaxDigitsTextBytes(digits)
void CursorPutInt(char*& cursor, int32_t value);  // kMaxIntTextBytes
void CursorPutIntDigits(char*& cursor, int32_t value, int32_t digits);  // MaxDigitsTextBytes(digits)
void CursorPutInt64(char*& cursor, int64_t value);  // kMaxInt64TextBytes
void CursorPutInt64Digits(char*& cursor, int64_t value, int32_t digits);  // MaxDigitsTextBytes(digits)
// The decimal text with the separator (as UTF-8) between groups of three digits from the right.
// 0xFEFF (kProcessSeparator) means the process-wide thousands separator, 0 no grouping.
void CursorPutIntGrouped(char*& cursor, int32_t value, char16_t separator);  // kMaxIntGroupedTextBytes
void CursorPutInt64Grouped(char*& cursor, int64_t value, char16_t separator);  // kMaxInt64GroupedTextBytes
// Exactly two or three digits with leading zeros, for 0..99 and 0..999; other values write the last
// two or three digits of their magnitude.
void CursorPut2Digits(char*& cursor, int32_t value);
void CursorPut3Digits(char*& cursor, int32_t value);

// The low 4n bits of value as exactly n upper-case hexadecimal digits and a NUL, for n = 1..8 (a
// larger n counts as 8; n < 1 writes only the NUL). The buffer needs n + 1 bytes (kMaxHexTextBytes).
void IntToHex(char* buffer, uint32_t value, int32_t n);

}  // namespace vek
