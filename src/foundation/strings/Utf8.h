// Utf8: the UTF-8 and UTF-16 primitives of every text walk.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

// UTF-8 and UTF-16 primitives. Text in memory is UTF-8 with characters of 1 to 3 bytes (code points up
// to U+FFFF). Decoding never trusts its input: a byte that starts no well-formed sequence (a stray
// continuation byte, a bad lead byte, a sequence cut short by another byte or the NUL, an overlong
// form, a UTF-16 surrogate) decodes as U+FFFD and is stepped over alone; a well-formed 4-byte sequence
// decodes as one U+FFFD and is stepped over whole. So a bad byte never ends or empties a text, and no
// decoder reads past the NUL that ends a text.

constexpr uint32_t kReplacementChar = 0xFFFD;

constexpr bool Utf8IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The character at p (0 at the NUL).
uint32_t Utf8DecodeChar(const char* p);
// The same, advancing p past the sequence (by 1 for a byte that starts no sequence; never past a NUL).
uint32_t Utf8NextChar(const char*& p);
// The same for bytes that need not end in a NUL: reads only before `end` (p < end required).
uint32_t Utf8NextCharIn(const char*& p, const char* end);
// Moves p back to the start of the character before it (never before `start`) and decodes there.
// At `start` it returns 0 and leaves p.
uint32_t Utf8PrevChar(const char*& p, const char* start);
// The bytes Utf8NextChar steps over at p (1 at the NUL).
int32_t Utf8CharLength(const char* p);
// 1 below U+0080, 2 below U+0800, else 3 (code points beyond U+FFFF are written as U+FFFD).
int32_t Utf8EncodedLength(uint32_t codePoint);
// Writes 1 to 3 bytes (no NUL) and returns the count. Surrogates and code points beyond U+FFFF are
// written as U+FFFD.
int32_t Utf8EncodeChar(char* buffer, uint32_t codePoint);
// Characters of a C string, each bad byte counting as one character; 0 for null.
int32_t Utf8CharCount(const char* text);
// The character through the upper-case table (CharTables.h); the second advances like Utf8NextChar.
uint32_t Utf8UpperCharAt(const char* p);
uint32_t Utf8NextUpperChar(const char*& p);
// The same for bytes that need not end in a NUL, like Utf8NextCharIn.
uint32_t Utf8NextUpperCharIn(const char*& p, const char* end);

// True when the n bytes are well-formed 1-3 byte sequences. A sequence cut short by the end of the
// bytes counts as well-formed, so that a sample cut from a longer text can be judged.
bool Utf8IsValid(const char* bytes, int32_t n);
// The same walk: 0 when only ASCII was seen, 2 when well-formed multi-byte sequences were seen and no
// bad byte, 1 at the first byte that starts no well-formed sequence.
int32_t Utf8Classify(const char* bytes, int32_t n);

// The largest position <= cut (0 <= cut <= n) that does not lie inside a character of the n bytes.
// Positions inside a bad sequence are boundaries (each bad byte stands alone).
int32_t Utf8SafeCut(const char* bytes, int32_t n, int32_t cut);
// The smallest position >= at (0 <= at <= n) that does not lie inside a character.
int32_t Utf8BoundaryAfter(const char* bytes, int32_t n, int32_t at);
// The same over views.
bool Utf8IsValid(std::string_view bytes);
int32_t Utf8Classify(std::string_view bytes);
int32_t Utf8SafeCut(std::string_view bytes, int32_t cut);
int32_t Utf8BoundaryAfter(std::string_view bytes, int32_t at);

// True when a CR or LF occurs before the NUL.
bool HasLineBreak(const char* text);

// UTF-8 bytes needed for a 0-terminated UTF-16 text (surrogates, paired or not, become U+FFFD).
int32_t Utf16Utf8Length(const char16_t* units);
// Converts it into buffer (which must hold Utf16Utf8Length + 1 bytes), NUL-terminated; returns the
// byte count.
int32_t Utf16ToUtf8(char* buffer, const char16_t* units);
// The next unit from two bytes in little- or big-endian order, advancing p by 2.
char16_t NextUtf16LeUnit(const uint8_t*& p);
char16_t NextUtf16BeUnit(const uint8_t*& p);

}  // namespace vek
