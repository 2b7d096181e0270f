// TextSettings: how tables are copied as text, separator names, and saving and restoring format settings.
#pragma once

#include <cstdint>

#include "foundation/numbers/NumberFormat.h"

namespace vek {

class String;

// How tables are copied as text (the "CopyTable" preference). The five separator settings take a
// setting value: 0 the default, 1 none, 2 a line end, any value above 8 that character code.
struct CopyTableSettings {
    uint16_t decimalMark = 0;     // D
    uint16_t thousandsMark = 1;   // T
    uint16_t fieldSeparator = 9;  // F
    uint16_t quoteMark = 1;       // Q
    uint16_t rowEnd = 0;          // R
    int32_t flagK = 0;
    int32_t flagW = 0;
    int32_t flagN = 0;
    int32_t flagE = 0;
    int32_t flagX = 0;
    int32_t flagM = 0;
    int32_t charSetIndex = 0;  // position of the character-set letter in "AC31KV"
};

// The process-wide record, read from the preferences at start-up.
CopyTableSettings& ProcessCopyTableSettings();

// Text form: items separated by "," (empty items skipped). "C" and a letter of "AC31KV"; "D", "T",
// "F", "Q", "R" and "D" (0), "N" (1), "L" (2) or a decimal character code (a number of 8 or less, or
// not a 16-bit code, reads as 0); "K", "W", "N", "E", "X", "M" alone for a set flag. Items of other
// letters are ignored. Reading starts from the defaults, so a flag not in the text is clear.
void ReadCopyTableSettings(const char* text, CopyTableSettings& settings);
// Updates a stored text in place: an item already there is replaced where it stands (a repeated one
// is removed), a missing one is appended, a cleared flag is removed with its ",", and items of other
// letters stay. The text is left unchanged when the result would not fit in a String.
void WriteCopyTableSettings(String& text, const CopyTableSettings& settings);
// Writes the process-wide record into the preferences under "CopyTable".
void SaveCopyTableSettings();

// The preferences store belongs to the platform layer, which registers its access at start-up.
// Until then SaveCopyTableSettings keeps the text within the process.
struct PreferenceTextAccess {
    void (*getString)(const char* key, String& value) = nullptr;  // empty when absent
    void (*setString)(const char* key, const char* value) = nullptr;
};
void SetPreferenceTextAccess(PreferenceTextAccess access);

// The settings an export changes for its own time and puts back afterwards.
struct FormatSettings {
    SeparatorPair separators;
    int32_t dateStyle = 0;
    bool scaledDisplay = true;
};
void SaveFormatSettings(FormatSettings& settings);
void RestoreFormatSettings(const FormatSettings& settings);

// The display name of a separator character: empty for 0; the localized names of tab, line feed,
// carriage return, blank, "," and "." (texts 1205, 1207, 1206, 1203, 1201, 1200); another character
// from code 32 on itself; a control character "#" and its decimal code.
void SeparatorName(String& text, uint32_t character);
// The character of a typed separator: 0 for null or empty; 32 for a text beginning with a blank; "#"
// and a number 1..65535 that code ("#" itself otherwise); a text of more than one character that
// begins one of the localized names above (in the order 1200, 1201, 1203, 1205, 1206, 1207) or one
// of "tab", "space", "return", "linefeed", "cr", "lf", without regard to case, that name's character;
// otherwise the first character.
uint32_t ParseSeparator(const char* text);

}  // namespace vek
