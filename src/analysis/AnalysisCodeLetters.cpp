#include "analysis/AnalysisCodeLetters.h"

#include <cstring>

namespace vek {

char LetterAt(const char* letters, int32_t index)
{
    if (index < 0 || index >= int32_t(std::strlen(letters)))
        return 0;
    return letters[index];
}

void ParseLetterOf(const char* letters, int32_t& index, char letter)
{
    if (letter == 0)
        return;
    if (const char* found = std::strchr(letters, letter))
        index = int32_t(found - letters);
}

namespace {

struct ChartColorEntry {
    int32_t color;
    char letter;
    int32_t nameText;
};

// The popup's order; letters and names are fixed in both directions.
constexpr ChartColorEntry kColorTable[kChartColorCount] = {
    {0, '-', 2400},  {4, '2', 2401},  {6, '5', 2402},  {8, '7', 2403},  {10, 'B', 2404}, {11, 'N', 2405},
    {21, 'U', 2408}, {22, 'D', 2409}, {20, 'C', 2410}, {15, 'M', 2411}, {12, 'O', 2406}, {14, 'P', 2407},
    {13, 'R', 2412}, {16, 'V', 2413}, {19, 'G', 2414}, {18, 'L', 2415}, {17, 'Y', 2416},
};

constexpr int32_t kSeriesColors[10] = {21, 15, 10, 20, 19, 13, 6, 11, 8, 18};

}  // namespace

const int32_t kChartColors[kChartColorCount] = {0, 4, 6, 8, 10, 11, 21, 22, 20, 15, 12, 14, 13, 16, 19, 18, 17};

char ValueModeLetter(int32_t mode) { return LetterAt(kValueModeLetters, mode); }
void ParseValueModeLetter(int32_t& mode, char letter) { ParseLetterOf(kValueModeLetters, mode, letter); }
int32_t FoldMode2(int32_t mode) { return mode == 2 ? 3 : mode; }
int32_t FoldModes13And14(int32_t mode) { return mode == 13 || mode == 14 ? 3 : mode; }

char LKeyLetter(int32_t value) { return LetterAt(kLKeyLetters, value); }
void ParseLKeyLetter(int32_t& value, char letter) { ParseLetterOf(kLKeyLetters, value, letter); }

char ColorLetter(int32_t color)
{
    for (const ChartColorEntry& entry : kColorTable) {
        if (entry.color == color)
            return entry.letter;
    }
    return '-';
}

void ParseColorLetter(int32_t& color, char letter)
{
    for (const ChartColorEntry& entry : kColorTable) {
        if (entry.letter == letter) {
            color = entry.color;
            return;
        }
    }
}

int32_t ColorNameText(int32_t color)
{
    for (const ChartColorEntry& entry : kColorTable) {
        if (entry.color == color)
            return entry.nameText;
    }
    return 0;
}

int32_t DefaultSeriesColor(int32_t series)
{
    int32_t i = series % 10;
    return kSeriesColors[i < 0 ? i + 10 : i];
}

}  // namespace vek
