// TextStyle: the compact description of how a text is drawn (font, size, face, alignment, wrapping).
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

// Bits of TextStyle::flags.
constexpr uint16_t kFaceBold = 0x01;
constexpr uint16_t kFaceItalic = 0x02;
constexpr uint16_t kFaceUnderline = 0x04;
constexpr uint16_t kFaceOutline = 0x08;
constexpr uint16_t kFaceShadow = 0x10;
constexpr uint16_t kFaceCondense = 0x20;
constexpr uint16_t kFaceExtend = 0x40;
constexpr uint16_t kFaceMask = 0x7f;
constexpr uint16_t kTextWrap = 0x100;
// Drawn as plain single-byte text, not through the Unicode text path (pictures always draw so).
constexpr uint16_t kTextPlain = 0x200;
constexpr uint16_t kAlignRight = 0x400;
constexpr uint16_t kAlignBottom = 0x800;
constexpr uint16_t kAlignCenterH = 0x1000;
constexpr uint16_t kAlignCenterV = 0x2000;
constexpr uint16_t kAlignMask = 0x3c00;

// Font family numbers of the font table (FindFontFamily); 0 is the default font.
constexpr int16_t kFontDefault = 0;
constexpr int16_t kFontMonaco = 1;
constexpr int16_t kFontGeneva = 2;
constexpr int16_t kFontChicago = 3;
constexpr int16_t kFontCourier = 4;
constexpr int16_t kFontHelvetica = 5;
constexpr int16_t kFontLucidaGrande = 6;

// Four 16-bit fields, in this order. A size of 0 means 10 points (one point is one pixel); a line
// height of 6 or less is derived from the size.
struct TextStyle {
    int16_t size = 0;
    int16_t lineHeight = 0;
    uint16_t flags = 0;
    int16_t family = 0;

    // Replaces the face bits (0-6).
    void SetFace(uint16_t face) { flags = uint16_t((flags & ~kFaceMask) | (face & kFaceMask)); }
    // Replaces the alignment bits (mask 0x3c00).
    void SetAlignment(uint16_t alignment) { flags = uint16_t((flags & ~kAlignMask) | (alignment & kAlignMask)); }
    // The family of the name in the font table; the default font for a name the table lacks.
    void SetFontByName(std::string_view name);
    friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// The family number of a font name ("Monaco", "Geneva", "Chicago", "Courier", "Helvetica",
// "Lucida Grande"); 0 for any other name.
int16_t FindFontFamily(std::string_view name);

// The preset styles: Monaco 9, Geneva 10, Helvetica 10 and Lucida Grande 13, all with flags 0.
enum class PresetStyle { Monaco9, Geneva10, Helvetica10, LucidaGrande13 };
TextStyle GetPresetStyle(PresetStyle preset);

}  // namespace vek
