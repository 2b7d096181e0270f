// Fonts: the font table, resolving and applying text styles, and the bit setters of the current style.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "drawing/TextStyle.h"

namespace vek {

struct ResolvedFont;

// One row of the font table: the program's family name and the fontconfig family list it maps to.
struct FontFamilyEntry {
    int16_t family;
    std::string_view name;
    std::string_view fontconfigFamilies;
};

// The table: "Monaco", "Geneva", "Chicago", "Courier", "Helvetica", "Lucida Grande" and the installed
// families that stand for them. Geneva is the default font, Helvetica its substitute when printing.
const FontFamilyEntry* FindFontEntry(int16_t family);
void InitFonts();

// The font of a style: family (Geneva for 0; Helvetica for Geneva while printing), size (10 for 0),
// ascent (the size) and line height (size + 2, size + 3 above 10, or the style's line height above 6).
ResolvedFont ResolveTextFont(const TextStyle& style);
// Resolves the style into the drawing state's font and sets the Unicode-text flag (off for 0x200
// styles and while recording a picture).
void ApplyTextStyle(const TextStyle& style);
// Applies the style and makes it the current view's style.
void SetTextStyle(const TextStyle& style);

// Setters of the current view's style: each returns the previous bits under its mask and re-applies
// the style only when something changed.
uint16_t SetTextStyleBits(uint16_t bits, uint16_t mask);
uint16_t SetTextFace(uint16_t face);
uint16_t SetTextAlignment(uint16_t alignment);
enum class Switch { Off, On };
uint16_t SetTextWrap(Switch wrap);
uint16_t SetPlainTextMode(Switch plain);

// Every character replaced by U+2022 (secret entry fields).
void MaskTextWithBullets(std::string& text);

}  // namespace vek
