// TextShaper: measuring and drawing runs of text in a resolved font; Pango shapes, nothing else.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

class DrawingPort;
struct ResolvedFont;

// Widths in 1/1024 pixel.
constexpr int64_t kTextUnitsPerPixel = 1024;
// Whole pixels of a width in units, rounded up.
constexpr int32_t UnitsToPixels(int64_t units)
{
    return units <= 0 ? 0 : int32_t((units + kTextUnitsPerPixel - 1) / kTextUnitsPerPixel);
}

// The advance of the run. Characters of simple scripts are measured once per font and added up (the
// fonts are drawn without kerning, so the sum is exactly what is drawn); a run with a character that
// needs shaping (combining marks, right-to-left and Indic scripts, missing glyphs) is shaped as a
// whole. Invalid UTF-8 counts as U+FFFD.
int64_t MeasureTextUnits(const ResolvedFont& font, std::string_view text);
// Draws the run in the port's fore colour with its origin at x and its baseline at y (local
// coordinates, inside the port's clip); underlines when the face asks for it.
void DrawTextRun(DrawingPort& port, const ResolvedFont& font, std::string_view text, double x, double baseline);
// Forgets every font: the next measure opens the fonts anew.
void ResetTextShaper();
// Makes fontconfig read its configuration from the file (tests pin their fonts so) and forgets every
// font; false when the file cannot be read.
[[nodiscard]] bool PinFontConfiguration(const char* fontsConf);

}  // namespace vek
