// CString: free functions on NUL-terminated UTF-8 strings and on length-byte strings.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;
struct NumberFormat;

// Free functions on NUL-terminated UTF-8 byte strings (C strings) and on length-byte strings (byte 0
// the length 0..255, then the bytes, no terminator; positions inside them are 1-based).
//
// "No case" operations compare characters, not bytes: each UTF-8 character is decoded and mapped
// through the upper-case table (CharTables.h). A null pointer is accepted only where stated. No
// comparison or search reads past the NUL of either text.

// The key kind that selects exact comparison; every other key kind compares without case.
constexpr int32_t kKeyKindExact = 4;

// Length, copy, append.
int32_t CStrLength(const char* text);
char* CStrCopy(char* dst, const char* src);  // returns the position after the copied NUL
char* CStrCopyBytes(char* dst, const char* src, int32_t n);  // n bytes and a NUL; returns the NUL's position
void CStrAppend(char* dst, const char* src);
// Copies into a buffer of `size` bytes (size >= 1), cut before the last whole character that fits;
// null src gives the empty text. Returns the bytes copied (without the NUL).
int32_t CStrCopyLimited(char* dst, int32_t size, const char* src);
int32_t CStrCopyBytesLimited(char* dst, int32_t size, const char* src, int32_t n);
int32_t CStrCopyLimited(char* dst, int32_t size, std::string_view src);
// The heap text and a NUL; null gives the empty text. Returns the bytes copied.
int32_t CStrFromHeapText(char* dst, ConstHeapText text);
// At most size - 1 bytes (no character check) and a NUL; null gives 0.
int32_t CStrFromHeapTextLimited(char* dst, int32_t size, ConstHeapText text);
// As CStrCopyLimited on the heap text; null gives 0.
int32_t CStrFromHeapTextLimitedUtf8(char* dst, int32_t size, ConstHeapText text);
// 1 to 3 UTF-8 bytes and a NUL; returns the bytes written without the NUL.
int32_t CodePointToCStr(char* dst, uint32_t codePoint);
// Encoding 0: as CodePointToCStr; 1: low byte, high byte, a 0 byte; 2: high byte, low byte, a 0 byte;
// any other id: the byte of the code page of that id and a 0 byte. Returns the bytes without the 0.
// Defined with the code-page tables, which it reads.
int32_t CodePointToEncodedCStr(char* dst, uint32_t codePoint, int32_t encoding);

// Case conversion in place. 1- and 2-byte characters are replaced by their table entries (a character
// whose entry would need another length stays); longer and bad sequences are stepped over.
void CStrToUpper(char* text);
void CStrToLower(char* text);
void CStrCapitalize(char* text);  // first character upper case, the rest lower case
// A letter at a word start (the beginning, or after a blank, "-", "/" or "_") upper case, every other
// letter lower case; quote, apostrophe, "(", ")", ".", ":", "[", "]", "{" and "}" leave the word state.
void CStrTitleCase(char* text);
// Mode 0 upper, 1 lower, 2 capitalize, 3 title case; other modes do nothing.
void CStrChangeCase(char* text, int32_t mode);

// Comparison: equality 1 or 0; order 1, 0 or -1 (a text that ends first is smaller).
int32_t CStrEqual(const char* a, const char* b);
int32_t CStrEqualNoCase(const char* a, const char* b);
// A null b equals an empty a only.
int32_t CStrEqualNullAsEmpty(const char* a, const char* b);
int32_t CStrEqualNoCaseNullAsEmpty(const char* a, const char* b);
int32_t CStrCompare(const char* a, const char* b);  // unsigned bytes
int32_t CStrCompareNoCase(const char* a, const char* b);
int32_t CStrCompareByKind(const char* a, const char* b, int32_t keyKind);
// The first n characters (fewer when a text ends before); 0 for n <= 0.
int32_t CStrCompareNoCaseN(const char* a, const char* b, int32_t n);
// 1 when text begins with prefix; an empty prefix always matches.
int32_t CStrStartsWith(const char* text, const char* prefix);
int32_t CStrStartsWithNoCase(const char* text, const char* prefix);
int32_t CStrStartsWithByKind(const char* text, const char* prefix, int32_t keyKind);
// The same over views, which need not end in a NUL: every byte of a view counts (a NUL among them is
// a character like others), and a view that ends first is smaller.
int32_t CStrEqual(std::string_view a, std::string_view b);
int32_t CStrEqualNoCase(std::string_view a, std::string_view b);
int32_t CStrCompare(std::string_view a, std::string_view b);
int32_t CStrCompareNoCase(std::string_view a, std::string_view b);
int32_t CStrCompareByKind(std::string_view a, std::string_view b, int32_t keyKind);
int32_t CStrStartsWith(std::string_view text, std::string_view prefix);
int32_t CStrStartsWithNoCase(std::string_view text, std::string_view prefix);
// The number that up to `maxDigits` ASCII digits after `prefix` (compared without regard to case) make
// up to the end of `text`: 0 when nothing follows the prefix, -1 when the text does not start with it
// or anything else follows.
int32_t CStrNumberAfterPrefixNoCase(std::string_view text, std::string_view prefix, size_t maxDigits);

// Search: byte positions, -1 when absent.
int32_t CStrFindChar(const char* text, char byte);
int32_t CStrFindCodePoint(const char* text, uint32_t codePoint);
int32_t CStrFindCodePointNoCase(const char* text, uint32_t codePoint);
// An empty pattern is found at 0 in a non-empty text; nothing is found in an empty text.
int32_t CStrFind(const char* text, const char* pattern);
// An empty pattern is never found.
int32_t CStrFindNoCase(const char* text, const char* pattern);
// Inside n bytes (NULs among them are ordinary bytes); an empty pattern is found at 0.
int32_t CStrFindInBytes(const char* bytes, int32_t n, const char* pattern);
int32_t CStrFindNoCaseInBytes(const char* bytes, int32_t n, const char* pattern);
// The first case-insensitive occurrence inside n bytes that starts at or after byte position `start`;
// *matchLength receives its length in these bytes. An empty pattern is never found.
int32_t CStrFindNoCaseFrom(const char* bytes, int32_t n, int32_t start, const char* pattern, int32_t* matchLength);

// Clean-up in place; each returns the new length.
int32_t CStrReplaceChar(char* text, char from, char to);
int32_t CStrStripControlChars(char* text);  // every byte below 32
int32_t CStrRemoveChars(char* text, const char* set);
int32_t CStrCollapseBlanks(char* text);  // each run of blanks to one blank
// CR, LF and CR LF become one CR; blanks before a line end, line ends at the start and at the end, and
// other control bytes go.
int32_t CStrNormalizeLineEnds(char* text);
// "&#NN;" with NN in 01..31 becomes that control byte; a named entity of the HTML entity table becomes
// its character in UTF-8; anything else stays. Defined with the HTML entity table, which it reads.
int32_t CStrDecodeEntities(char* text);

// Numbers into buffers, NUL-terminated, through the cursor writers of NumberFormat.h; each returns the
// bytes written without the NUL. A digit count gives exactly that many digits (at most 100).
int32_t IntToCStr(char* dst, int32_t value);
int32_t IntDigitsToCStr(char* dst, int32_t value, int32_t digits);
int32_t Int64ToCStr(char* dst, int64_t value);
int32_t Int64DigitsToCStr(char* dst, int64_t value, int32_t digits);
int32_t IntGroupedToCStr(char* dst, int32_t value, char16_t separator);  // 0xFEFF: the default
int32_t Int64GroupedToCStr(char* dst, int64_t value, char16_t separator);
int32_t DoubleToCStr(char* dst, double value);
int32_t DoubleFormatToCStr(char* dst, double value, const NumberFormat& format);

// Length-byte strings; every operation caps the length at 255. Buffers hold 256 bytes.
constexpr int32_t kPStrMaxLength = 255;
void PStrFromCStr(uint8_t* dst, const char* text);  // null gives length 0
void PStrFromBytes(uint8_t* dst, const char* bytes, int32_t n);
void PStrFromString(uint8_t* dst, const String& text);
void PStrFromHeapText(uint8_t* dst, ConstHeapText text);  // null gives length 0
void PStrFromInt(uint8_t* dst, int32_t value);
void PStrFromIntDigits(uint8_t* dst, int32_t value, int32_t digits);
// Appends min(n, 255 - length) bytes; returns the position after the text.
uint8_t* PStrAppendBytes(uint8_t* text, const char* bytes, int32_t n);
void PStrAppendHeapText(uint8_t* text, ConstHeapText heapText);  // null ignored
void PStrAppendInt(uint8_t* text, int32_t value);  // only while the length is below 241
// Only when the result fits in 255 bytes (length + digits, and a "-" before negatives).
void PStrAppendIntDigits(uint8_t* text, int32_t value, int32_t digits);
// The bytes and a NUL into a buffer of 256 bytes; returns the length.
int32_t PStrToCStr(char* dst, const uint8_t* text);
// Inserting at 1-based position p (1..length + 1; ignored otherwise): the new length is
// min(length + k, 255), only that many bytes of the insert are placed, the bytes from p move up.
void PStrInsertString(uint8_t* text, int32_t p, const String& insert);
void PStrInsertPStr(uint8_t* text, int32_t p, const uint8_t* insert);
void PStrInsertCStr(uint8_t* text, int32_t p, const char* insert);  // null ignored
void PStrInsertChar(uint8_t* text, int32_t p, char byte);  // nothing when the length is 255
// Replaces count bytes at p (count cut to the text) by n bytes, or by as many as fit in 255.
void PStrReplaceRange(uint8_t* text, int32_t p, int32_t count, const char* bytes, int32_t n);
void PStrReplaceRangeCStr(uint8_t* text, int32_t p, int32_t count, const char* replacement);
void PStrTrimLeading(uint8_t* text, uint8_t byte);
void PStrTrimTrailing(uint8_t* text, uint8_t byte);
void PStrTrim(uint8_t* text, uint8_t byte);  // trailing first
void PStrToUpperAscii(uint8_t* text);
void PStrToLowerAscii(uint8_t* text);
void PStrCapitalize(uint8_t* text);
void PStrTitleCase(uint8_t* text);
int32_t PStrCompare(const uint8_t* a, const uint8_t* b);
int32_t PStrCompareNoCase(const uint8_t* a, const uint8_t* b);

}  // namespace vek
