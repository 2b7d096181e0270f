// What the base-file reader and writer share: the section markers, the "##Characters" rows and keys,
// the decimals letters, the reference-mode letters and the versions a file carries. Each is named here
// once; the reader and the writer take it from here, so that what one writes the other reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/ProgramVersion.h"

namespace vek {

// --- Sections --------------------------------------------------------------------------------------

// The sections of a base file. The reader compares a marker with these in this order, each as a
// case-insensitive prefix of the line's first field (so "##Dimension" is tried before "##DimImport",
// and no marker is a prefix of one tried after it). The writer's order is another: see
// WriteBaseSections.
enum class BaseFileSection : int32_t {
    TextHeader,   // "##VEK-Text" TAB version: the first line of a text base
    Characters,   // encoding, character rows, who saved the file
    Protection,   // TAB password, on the marker line
    WebUsers,
    BaseOptions,
    SaveSetup,    // TAB name
    ImportSetup,  // TAB name
    TimeScale,    // TAB name
    Macro,        // TAB name
    Dimension,    // TAB n (1..32)
    DimImport,    // TAB n (1..32)
    Cards,
    Subset,       // TAB name
    Templates,
    Defaults,
    Commands,     // kept as read until the command interpreter is built
    End,
};
inline constexpr int32_t kBaseFileSectionCount = int32_t(BaseFileSection::End) + 1;

inline constexpr std::array<std::string_view, kBaseFileSectionCount> kBaseFileSectionMarkers = {
    "##VEK-Text", "##Characters", "##Protection", "##WebUsers", "##BaseOptions", "##SaveSetup",
    "##ImportSetup", "##TimeScale", "##Macro", "##Dimension", "##DimImport", "##Cards",
    "##Subset", "##Templates", "##Defaults", "##Commands", "##End",
};

constexpr std::string_view SectionMarker(BaseFileSection section)
{
    return kBaseFileSectionMarkers[size_t(section)];
}

// The line that starts a block of line-field records: on the clipboard, and inside the
// "##ImportSetup" sections of some files, where the block belongs to the setup.
inline constexpr std::string_view kLineFieldsMarker = "## Linefields";

// True when `text` starts with `prefix`, ASCII letters compared without case (other bytes exactly):
// how markers are recognised, in whatever case a file wrote them.
constexpr bool StartsWithAsciiNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        char b = prefix[i];
        if (a >= 'a' && a <= 'z')
            a = char(a - 32);
        if (b >= 'a' && b <= 'z')
            b = char(b - 32);
        if (a != b)
            return false;
    }
    return true;
}

// The section whose marker starts a line's first field, tried in the order of BaseFileSection;
// false when none does.
constexpr bool FindSectionOfField(std::string_view field, BaseFileSection& section)
{
    for (int32_t i = 0; i < kBaseFileSectionCount; ++i) {
        if (StartsWithAsciiNoCase(field, kBaseFileSectionMarkers[size_t(i)])) {
            section = BaseFileSection(i);
            return true;
        }
    }
    return false;
}

// --- "##Characters" --------------------------------------------------------------------------------

// The rows of accented letters and symbols every file carries under the keys "U", "L" and "X". A
// reader whose row differs from the file's maps the file's characters onto its own: that is how a
// file written under another code page is read.
struct CharacterRow {
    char key;
    const char* reference;
};
inline constexpr std::array<CharacterRow, 3> kCharacterRows = {{
    {'U', "ÄÁÀÂÃÆÅ ËÉÈÊ ÏÍÌÎ ÖÓÒÔÕØŒÜÚÙÛ ÇÑ"},
    {'L', "äáàâãæå ëéèê ïíìî öóòôõøœüúùû çñ"},
    {'X', "±¬÷≈≠«» ƒ∫√π∏∑ ¢£§∂ßµ¶¥€ ªº©®¿¡´`¨°‰™†‡…\xC2\xA0‘’“”"},
}};

// The keys of who saved the file, in the order of BaseFileInfo::Item (program version, platform,
// system, computer, user), and the key of the save time.
inline constexpr std::string_view kSaverKeys = "vtsmu";
inline constexpr char kSaveTimeKey = 'c';

// --- "##BaseOptions" and "##Cards" -----------------------------------------------------------------

// The "CD" letter of each decimals code 0..9: 0-6 decimals, "F" full precision; "T" and "M" are
// read as 0.
inline constexpr std::string_view kDecimalsLetters = "0123456FTM";

// The letter after "-D" in "##Cards": components named by code, host code or text (the index is
// the reference mode of SaveSettings::CardsReferenceMode).
inline constexpr std::string_view kReferenceModeLetters = "CHT";

// --- Versions --------------------------------------------------------------------------------------

// The version of the format this program writes, as yyyymmdd; files with a later one are newer.
inline constexpr int32_t kBaseFileVersion = 20121122;

// The version as a text base's first line gives it: the six digits yymmdd of kBaseFileVersion.
inline constexpr std::array<char, 7> kBaseFileVersionDigits = [] {
    std::array<char, 7> digits{};
    int32_t rest = kBaseFileVersion % 1000000;
    for (int32_t i = 5; i >= 0; --i, rest /= 10)
        digits[size_t(i)] = char('0' + rest % 10);
    return digits;
}();
inline constexpr std::string_view kBaseFileVersionText{kBaseFileVersionDigits.data(), 6};

}  // namespace vek
