// ColorTable: the program's 31 fixed colours and the monochrome patterns that stand in for them.
#pragma once

#include <array>
#include <cstdint>

namespace vek {

// 16 bits per component.
struct RgbColor {
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

constexpr int32_t kColorCount = 31;
constexpr int32_t kColorWhite = 0;
constexpr int32_t kColorBlack = 10;
constexpr int32_t kColorHighlight = 23;
constexpr int32_t kColorHighlightText = 24;
constexpr int32_t kColorDialogBackground = 27;

// The colour of an index 0-30; an index outside the table gives black.
RgbColor TableColor(int32_t index);
// Colours 23 and 24 from the system's highlight colour: a highlight so light that text on it would not
// show is replaced by a pink one; the text colour is white on a dark highlight, else black.
void UpdateHighlightColors(RgbColor systemHighlight);
// The highlight colour of this program's own theme.
RgbColor ThemeHighlightColor();

// Eight rows of eight pixels, the top row first, the leftmost pixel in the high bit.
using PenPattern = std::array<uint8_t, 8>;

// The pattern that stands for a colour on a device that cannot show it (index outside 0-30: black).
const PenPattern& ColorPattern(int32_t index);

enum class FixedPen { Solid, Back, Dotted, InverseDotted, Dashed };
const PenPattern& FixedPenPattern(FixedPen pen);

// Copies the colours' patterns and derives the fixed pens from them; the patterns are compiled in,
// so nothing can be missing.
void LoadPatterns();

}  // namespace vek
