// CodePages: the nine external encodings by the id that files, settings and menus store.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vek {

// The nine external encodings, by the id that files, settings and menus store:
//
//   | id | display name         | short name (files, HTML charset, XML declaration) |
//   |----|----------------------|---------------------------------------------------|
//   | 0  | "UTF-8"              | "UTF-8"                                           |
//   | 1  | "UTF-16 LE"          | "UTF-16LE"                                        |
//   | 2  | "UTF-16 BE"          | "UTF-16BE"                                        |
//   | 3  | "System Codepage"    | "SysPage"                                         |
//   | 4  | "Macintosh Roman"    | "MacRoman"                                        |
//   | 5  | "Macintosh Roman CE" | "MacRomanCE"                                      |
//   | 6  | "Windows Latin 1"    | "ISO-8859-1"                                      |
//   | 7  | "Windows Latin 2"    | "ISO-8859-2"                                      |
//   | 8  | "PC DOS OEM"         | "PC-8"                                            |
//
// Ids 4-8 are 8-bit code pages: bytes 0x00-0x7F are ASCII, 0x80-0xFF come from a table of 128 code
// points. Id 6 is ISO-8859-1 with the Windows-1252 letters at 0x83, 0x88, 0x8A, 0x8C, 0x8E, 0x98, 0x9A,
// 0x9C, 0x9E, 0x9F (the other bytes 0x80-0x9F are the C1 controls, so 0x80 is no euro sign); id 7 is
// Windows-1250 with its undefined bytes 0x81, 0x83, 0x88, 0x90, 0x98 as the C1 controls; id 8 is IBM
// code page 437. Id 3, the system code page, is no table of its own: it is Mac Roman CE while the
// interface language is Czech or Slovak and Mac Roman otherwise (never the locale of the machine).
constexpr int32_t kEncodingUtf8 = 0;
constexpr int32_t kEncodingUtf16Le = 1;
constexpr int32_t kEncodingUtf16Be = 2;
constexpr int32_t kEncodingSystem = 3;
constexpr int32_t kEncodingMacRoman = 4;
constexpr int32_t kEncodingMacRomanCe = 5;
constexpr int32_t kEncodingLatin1 = 6;
constexpr int32_t kEncodingLatin2 = 7;
constexpr int32_t kEncodingPc8 = 8;
constexpr int32_t kEncodingCount = 9;

constexpr bool IsUtf16Encoding(int32_t encoding)
{
    return encoding == kEncodingUtf16Le || encoding == kEncodingUtf16Be;
}
constexpr bool IsCodePageEncoding(int32_t encoding)
{
    return encoding >= kEncodingSystem && encoding < kEncodingCount;
}

// The names of an id; null for an id outside 0-8.
const char* EncodingDisplayName(int32_t encoding);
const char* EncodingShortName(int32_t encoding);
// The name other programs' parsers know the encoding by, for XML declarations and HTML charsets (the
// short names "SysPage", "MacRoman" and "PC-8" are this program's own): "UTF-8", "UTF-16LE",
// "UTF-16BE", "macintosh" (4), "x-mac-ce" (5: no registered name exists; this is the one browsers and
// XML parsers know), "windows-1252" (6, which holds the Windows letters), "windows-1250" (7), "IBM437"
// (8); id 3 gives the name of the page it stands for. Null outside 0-8. EncodingFromName reads each
// back as its id.
const char* EncodingIanaName(int32_t encoding);

// The id a name stands for, or -1. The first 31 bytes of the name are taken, blanks and "-" removed,
// and the result compared without regard to case: first with the display names (each gives its own
// id), then with this list, taking the first entry the name begins with:
//   "UTF8" 0, "UTF16L" 1, "UTF16B" 2, "MacRomanCE" 5, "MacRoman" 4, "Roman" 4, "Mac" 4, "ISO88591" 6,
//   "ISO88592" 7, "88591" 6, "88592" 7, "WinLatin2" 7, "WinLatin" 6, "Latin2" 7, "Latin" 6, "ANSI" 6,
//   "Windows1250" 7, "CP1250" 7, "XMacCE" 5, "Win" 6, "DOS" 8, "OEM" 8, "IBM" 8, "PC" 8, "code" 3,
//   "page" 3, "defa" 3, "sys" 3, "8bit" 3.
// Every short name and every display name gives its own id.
int32_t EncodingFromName(std::string_view name);

// The 128 code points of the bytes 0x80-0xFF of a code page.
using CodePage = std::array<char16_t, 128>;

// The table of ids 3-8 (id 3: the system code page's); null for every other id.
const CodePage* CodePageTable(int32_t encoding);

// Makes id 3 stand for the table of id 4 or 5 (others are ignored). Start-up calls it once the
// interface language is known (SetLanguageAndCodePage, LocalizedText.h); until then id 3 is Mac Roman,
// the page of the English interface the program starts in.
void SetSystemCodePage(int32_t encoding);
// The id (4 or 5) that id 3 stands for.
int32_t SystemCodePage();

// The conversions below take the table of id 6 for an id that has none (0-2, or out of range).

// A byte below 0x80 is itself; a higher byte the page's code point.
uint32_t CodePageCharToUnicode(uint8_t byte, int32_t encoding);
// Below 128 the code point itself; else 0x80 + i for the first table position i holding it; 0 when the
// page has no byte for it.
uint8_t CodePageByteFromChar(uint32_t codePoint, int32_t encoding);

// A NUL-terminated code-page text as UTF-8: the bytes needed (without the NUL), and the conversion into
// a buffer of CodePageUtf8Length + 1 bytes (NUL-terminated; returns the bytes without the NUL). Null
// counts as the empty text.
int32_t CodePageUtf8Length(const char* text, int32_t encoding);
int32_t CodePageToUtf8(char* buffer, const char* text, int32_t encoding);
// A NUL-terminated UTF-8 text as code-page bytes, NUL-terminated: characters the page lacks are
// dropped, and so are bad bytes and 4-byte sequences (each whole). Never longer than the text, so the
// buffer may be the text itself. Returns the bytes without the NUL; null counts as the empty text.
int32_t Utf8ToCodePage(char* buffer, const char* text, int32_t encoding);

// The byte-order mark a text file of the encoding starts with: EF BB BF, FF FE or FE FF for ids 0-2;
// empty for the 8-bit pages and unknown ids.
std::span<const uint8_t> ByteOrderMark(int32_t encoding);

}  // namespace vek
