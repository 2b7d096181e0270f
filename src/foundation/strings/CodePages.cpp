// CodePages: the tables of the code pages, encoding names, and conversions to and from UTF-8.
#include "foundation/strings/CodePages.h"

#include <atomic>
#include <climits>
#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/strings/CharTables.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

// The tables of the five code pages, eight bytes a row; the comment names the first byte of the row.

// Mac OS Roman as the system vendor publishes it: 0xDB is the euro sign, 0xF0 the vendor's logo in
// the private use area.
constexpr CodePage kMacRomanPage = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 0x80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 0x88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 0x90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 0x98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // 0xA8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // 0xB0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // 0xB8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // 0xC8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // 0xE0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // 0xE8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // 0xF0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // 0xF8
};

// Mac OS Central European as the system vendor publishes it.
constexpr CodePage kMacRomanCePage = {
    0x00C4, 0x0100, 0x0101, 0x00C9, 0x0104, 0x00D6, 0x00DC, 0x00E1,  // 0x80
    0x0105, 0x010C, 0x00E4, 0x010D, 0x0106, 0x0107, 0x00E9, 0x0179,  // 0x88
    0x017A, 0x010E, 0x00ED, 0x010F, 0x0112, 0x0113, 0x0116, 0x00F3,  // 0x90
    0x0117, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x011A, 0x011B, 0x00FC,  // 0x98
    0x2020, 0x00B0, 0x0118, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x0119, 0x00A8, 0x2260, 0x0123, 0x012E,  // 0xA8
    0x012F, 0x012A, 0x2264, 0x2265, 0x012B, 0x0136, 0x2202, 0x2211,  // 0xB0
    0x0142, 0x013B, 0x013C, 0x013D, 0x013E, 0x0139, 0x013A, 0x0145,  // 0xB8
    0x0146, 0x0143, 0x00AC, 0x221A, 0x0144, 0x0147, 0x2206, 0x00AB,  // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x0148, 0x0150, 0x00D5, 0x0151, 0x014C,  // 0xC8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
    0x014D, 0x0154, 0x0155, 0x0158, 0x2039, 0x203A, 0x0159, 0x0156,  // 0xD8
    0x0157, 0x0160, 0x201A, 0x201E, 0x0161, 0x015A, 0x015B, 0x00C1,  // 0xE0
    0x0164, 0x0165, 0x00CD, 0x017D, 0x017E, 0x016A, 0x00D3, 0x00D4,  // 0xE8
    0x016B, 0x016E, 0x00DA, 0x016F, 0x0170, 0x0171, 0x0172, 0x0173,  // 0xF0
    0x00DD, 0x00FD, 0x0137, 0x017B, 0x0141, 0x017C, 0x0122, 0x02C7,  // 0xF8
};

// ISO-8859-1 with ten letters of Windows-1252 among the C1 controls.
constexpr CodePage kLatin1Page = {
    0x0080, 0x0081, 0x0082, 0x0192, 0x0084, 0x0085, 0x0086, 0x0087,  // 0x80
    0x02C6, 0x0089, 0x0160, 0x008B, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x0091, 0x0092, 0x0093, 0x0094, 0x0095, 0x0096, 0x0097,  // 0x90
    0x02DC, 0x0099, 0x0161, 0x009B, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // 0xA8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // 0xB8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // 0xC0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // 0xC8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // 0xD0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // 0xD8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // 0xE0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // 0xE8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // 0xF0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // 0xF8
};

// Windows-1250; its five undefined bytes stand for the C1 controls of the same value.
constexpr CodePage kLatin2Page = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

// IBM code page 437 (the PC-8 set of SIE files).
constexpr CodePage kPc8Page = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 0x88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 0x98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // 0xE8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
};

struct EncodingNames {
    const char* display;
    const char* shortName;
};

constexpr EncodingNames kEncodingNames[kEncodingCount] = {
    {"UTF-8", "UTF-8"},
    {"UTF-16 LE", "UTF-16LE"},
    {"UTF-16 BE", "UTF-16BE"},
    {"System Codepage", "SysPage"},
    {"Macintosh Roman", "MacRoman"},
    {"Macintosh Roman CE", "MacRomanCE"},
    {"Windows Latin 1", "ISO-8859-1"},
    {"Windows Latin 2", "ISO-8859-2"},
    {"PC DOS OEM", "PC-8"},
};

struct NamePrefix {
    std::string_view prefix;
    int32_t encoding;
};

// Searched in order: longer names before the shorter ones they begin with.
constexpr NamePrefix kNamePrefixes[] = {
    {"UTF8", 0},      {"UTF16L", 1},   {"UTF16B", 2},   {"MacRomanCE", 5}, {"MacRoman", 4},
    {"Roman", 4},     {"Mac", 4},      {"ISO88591", 6}, {"ISO88592", 7},   {"88591", 6},
    {"88592", 7},     {"WinLatin2", 7}, {"WinLatin", 6}, {"Latin2", 7},     {"Latin", 6},
    {"ANSI", 6},      {"Windows1250", 7}, {"CP1250", 7}, {"XMacCE", 5},
    {"Win", 6},      {"DOS", 8},      {"OEM", 8},        {"IBM", 8},
    {"PC", 8},        {"code", 3},     {"page", 3},     {"defa", 3},       {"sys", 3},
    {"8bit", 3},
};

constexpr int32_t kNameCopyLimit = 31;

// The page id 3 stands for. Atomic only so that a reader on another thread never sees a torn value;
// it is set once at start-up.
std::atomic<int32_t> systemCodePage{kEncodingMacRoman};

// Blanks and "-" removed, ASCII letters upper-cased, at most 31 bytes of the name looked at.
int32_t CleanEncodingName(std::string_view name, char* cleaned)
{
    int32_t n = 0;
    std::size_t limit = name.size() < kNameCopyLimit ? name.size() : kNameCopyLimit;
    for (std::size_t i = 0; i < limit; ++i) {
        char c = name[i];
        if (c != ' ' && c != '-')
            cleaned[n++] = AsciiToUpper(c);
    }
    return n;
}

bool CleanedEquals(std::string_view cleaned, std::string_view other, bool prefixOnly)
{
    char buffer[kNameCopyLimit + 1];
    std::string_view otherCleaned(buffer, static_cast<std::size_t>(CleanEncodingName(other, buffer)));
    if (prefixOnly)
        return cleaned.substr(0, otherCleaned.size()) == otherCleaned;
    return cleaned == otherCleaned;
}

const CodePage& TableOrLatin1(int32_t encoding)
{
    const CodePage* table = CodePageTable(encoding);
    return table != nullptr ? *table : kLatin1Page;
}

// Converts UTF-8 into at most `room` page bytes (no NUL). Each character read is at least one byte and
// writes at most one, so the output never overtakes the input when both are the same buffer.
int32_t Utf8ToPageBytes(char* out, int32_t room, const char* text, const CodePage& table)
{
    int32_t n = 0;
    const char* p = text;
    while (n < room) {
        uint32_t c = Utf8NextChar(p);
        if (c == 0)
            break;
        if (c < 0x80) {
            out[n++] = static_cast<char>(c);
            continue;
        }
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i] == c) {
                out[n++] = static_cast<char>(0x80 + i);
                break;
            }
        }
    }
    return n;
}

// Whether a text lies in the string's own buffer, which a reallocation would free.
bool LiesInside(const String& string, const char* text)
{
    return text >= string.CStr() && text <= string.CStr() + string.Capacity();
}

constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr uint8_t kUtf16LeMark[] = {0xFF, 0xFE};
constexpr uint8_t kUtf16BeMark[] = {0xFE, 0xFF};

}  // namespace

const char* EncodingDisplayName(int32_t encoding)
{
    return encoding >= 0 && encoding < kEncodingCount ? kEncodingNames[encoding].display : nullptr;
}

const char* EncodingShortName(int32_t encoding)
{
    return encoding >= 0 && encoding < kEncodingCount ? kEncodingNames[encoding].shortName : nullptr;
}

const char* EncodingIanaName(int32_t encoding)
{
    if (encoding == kEncodingSystem)
        encoding = SystemCodePage();
    switch (encoding) {
    case kEncodingUtf8: return "UTF-8";
    case kEncodingUtf16Le: return "UTF-16LE";
    case kEncodingUtf16Be: return "UTF-16BE";
    case kEncodingMacRoman: return "macintosh";
    case kEncodingMacRomanCe: return "x-mac-ce";
    case kEncodingLatin1: return "windows-1252";
    case kEncodingLatin2: return "windows-1250";
    case kEncodingPc8: return "IBM437";
    default: return nullptr;
    }
}

int32_t EncodingFromName(std::string_view name)
{
    char buffer[kNameCopyLimit + 1];
    std::string_view cleaned(buffer, static_cast<std::size_t>(CleanEncodingName(name, buffer)));
    if (cleaned.empty())
        return -1;
    // Display names first: by the prefix list alone "Macintosh Roman CE" would read as Mac Roman and
    // "Windows Latin 2" as Latin 1, and text would be decoded in the wrong page.
    for (int32_t encoding = 0; encoding < kEncodingCount; ++encoding) {
        if (CleanedEquals(cleaned, kEncodingNames[encoding].display, false))
            return encoding;
    }
    for (const NamePrefix& entry : kNamePrefixes) {
        if (CleanedEquals(cleaned, entry.prefix, true))
            return entry.encoding;
    }
    return -1;
}

const CodePage* CodePageTable(int32_t encoding)
{
    switch (encoding) {
    case kEncodingSystem:
        return CodePageTable(systemCodePage.load(std::memory_order_relaxed));
    case kEncodingMacRoman:
        return &kMacRomanPage;
    case kEncodingMacRomanCe:
        return &kMacRomanCePage;
    case kEncodingLatin1:
        return &kLatin1Page;
    case kEncodingLatin2:
        return &kLatin2Page;
    case kEncodingPc8:
        return &kPc8Page;
    default:
        return nullptr;
    }
}

void SetSystemCodePage(int32_t encoding)
{
    if (encoding == kEncodingMacRoman || encoding == kEncodingMacRomanCe)
        systemCodePage.store(encoding, std::memory_order_relaxed);
}

int32_t SystemCodePage() { return systemCodePage.load(std::memory_order_relaxed); }

void SetLanguageAndCodePage()
{
    int32_t language = LanguageFromBundle();
    SetUiLanguage(language);
    SetSystemCodePage(UsesCentralEuropeanCodePage(UiLanguage()) != 0 ? kEncodingMacRomanCe : kEncodingMacRoman);
}

uint32_t CodePageCharToUnicode(uint8_t byte, int32_t encoding)
{
    return byte < 0x80 ? byte : TableOrLatin1(encoding)[byte - 0x80];
}

uint8_t CodePageByteFromChar(uint32_t codePoint, int32_t encoding)
{
    if (codePoint < 0x80)
        return static_cast<uint8_t>(codePoint);
    const CodePage& table = TableOrLatin1(encoding);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] == codePoint)
            return static_cast<uint8_t>(0x80 + i);
    }
    return 0;
}

int32_t CodePageUtf8Length(const char* text, int32_t encoding)
{
    if (text == nullptr)
        return 0;
    const CodePage& table = TableOrLatin1(encoding);
    int32_t n = 0;
    for (const uint8_t* p = reinterpret_cast<const uint8_t*>(text); *p != 0; ++p)
        n += *p < 0x80 ? 1 : Utf8EncodedLength(table[*p - 0x80]);
    return n;
}

int32_t CodePageToUtf8(char* buffer, const char* text, int32_t encoding)
{
    char* out = buffer;
    if (text != nullptr) {
        const CodePage& table = TableOrLatin1(encoding);
        for (const uint8_t* p = reinterpret_cast<const uint8_t*>(text); *p != 0; ++p) {
            if (*p < 0x80)
                *out++ = static_cast<char>(*p);
            else
                out += Utf8EncodeChar(out, table[*p - 0x80]);
        }
    }
    *out = 0;
    return static_cast<int32_t>(out - buffer);
}

int32_t Utf8ToCodePage(char* buffer, const char* text, int32_t encoding)
{
    int32_t n = text == nullptr ? 0 : Utf8ToPageBytes(buffer, INT32_MAX, text, TableOrLatin1(encoding));
    buffer[n] = 0;
    return n;
}

std::span<const uint8_t> ByteOrderMark(int32_t encoding)
{
    switch (encoding) {
    case kEncodingUtf8:
        return kUtf8Mark;
    case kEncodingUtf16Le:
        return kUtf16LeMark;
    case kEncodingUtf16Be:
        return kUtf16BeMark;
    default:
        return {};
    }
}

int32_t CodePointToEncodedCStr(char* dst, uint32_t codePoint, int32_t encoding)
{
    switch (encoding) {
    case kEncodingUtf8:
        return CodePointToCStr(dst, codePoint);
    case kEncodingUtf16Le:
    case kEncodingUtf16Be: {
        uint32_t unit = codePoint > 0xFFFF ? kReplacementChar : codePoint;
        uint8_t low = static_cast<uint8_t>(unit);
        uint8_t high = static_cast<uint8_t>(unit >> 8);
        dst[0] = static_cast<char>(encoding == kEncodingUtf16Le ? low : high);
        dst[1] = static_cast<char>(encoding == kEncodingUtf16Le ? high : low);
        dst[2] = 0;
        return 2;
    }
    default:
        dst[0] = static_cast<char>(CodePageByteFromChar(codePoint, encoding));
        dst[1] = 0;
        return dst[0] != 0 ? 1 : 0;
    }
}

void String::AssignCodePageText(const char* text, int32_t encoding)
{
    if (text == nullptr) {
        AssignCStr("");
        return;
    }
    if (LiesInside(*this, text)) {
        String source;
        source.AssignCStr(text);
        AssignCodePageText(source.CStr(), encoding);
        return;
    }
    const CodePage& table = TableOrLatin1(encoding);
    int32_t room = Reserve(CodePageUtf8Length(text, encoding));
    char* out = Data();
    int32_t n = 0;
    for (const uint8_t* p = reinterpret_cast<const uint8_t*>(text); *p != 0; ++p) {
        uint32_t c = *p < 0x80 ? *p : table[*p - 0x80];
        if (n + Utf8EncodedLength(c) > room)
            break;
        n += Utf8EncodeChar(out + n, c);
    }
    SetLength(n);
}

void String::ConvertFromCodePage(int32_t encoding)
{
    AssignCodePageText(CStr(), encoding);
}

void String::AssignUtf8AsCodePage(const char* text, int32_t encoding)
{
    if (text == nullptr) {
        AssignCStr("");
        return;
    }
    if (LiesInside(*this, text)) {
        // Converting in place is safe: the bytes never overtake the text.
        char* out = Data() + (text - CStr());
        int32_t n = Utf8ToPageBytes(out, INT32_MAX, text, TableOrLatin1(encoding));
        std::memmove(Data(), out, static_cast<std::size_t>(n));
        SetLength(n);
        return;
    }
    int32_t room = Reserve(CStrLength(text));
    SetLength(Utf8ToPageBytes(Data(), room, text, TableOrLatin1(encoding)));
}

void String::ConvertToCodePage(int32_t encoding)
{
    AssignUtf8AsCodePage(CStr(), encoding);
}

}  // namespace vek
