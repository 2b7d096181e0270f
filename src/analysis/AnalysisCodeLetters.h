// AnalysisCodeLetters: the one-letter codes under which analysis templates store value modes, the "L"
// setting and chart colours.
#pragma once

#include <cstdint>

namespace vek {

// The letter at a position of a table of letters; 0 outside it.
char LetterAt(const char* letters, int32_t index);
// Sets the index from the letter's position in the table; 0 or a letter not in it leaves the index.
void ParseLetterOf(const char* letters, int32_t& index, char letter);

// Value modes 0-14 are stored as one letter of "CKcSsPAGDTRMNFL" (case matters); the display text
// of mode m is text 5307 + m.
inline constexpr const char* kValueModeLetters = "CKcSsPAGDTRMNFL";
inline constexpr int32_t kValueModeCount = 15;
inline constexpr int32_t kValueModeFirstText = 5307;
// The setting stored under key "L" by the time-functions and component-functions templates: "UTBOS".
inline constexpr const char* kLKeyLetters = "UTBOS";

// The letter of a value mode; 0 for a mode outside 0-14.
char ValueModeLetter(int32_t mode);
// Sets the mode from its letter; a letter not in the table leaves it.
void ParseValueModeLetter(int32_t& mode, char letter);
// Mode 2 becomes 3; modes 13 and 14 become 3 (the kinds that do not offer those modes).
int32_t FoldMode2(int32_t mode);
int32_t FoldModes13And14(int32_t mode);

char LKeyLetter(int32_t value);  // 0 outside 0-4
void ParseLKeyLetter(int32_t& value, char letter);

// Chart colours: the 17 entries of the colour popup (colour indices), the letter and name text of
// each, and the default colour of series i (one of ten, repeating).
inline constexpr int32_t kChartColorCount = 17;
extern const int32_t kChartColors[kChartColorCount];
// The letter of a colour index; "-" for an index that is not a chart colour.
char ColorLetter(int32_t color);
// Sets the colour from its letter; a letter not in the table leaves it.
void ParseColorLetter(int32_t& color, char letter);
// The name text of a chart colour; 0 for any other index.
int32_t ColorNameText(int32_t color);
int32_t DefaultSeriesColor(int32_t series);

}  // namespace vek
