// Fonts: the one table that maps the program's font families to installed ones, and style resolving.
#include "drawing/Fonts.h"

#include <array>

#include "foundation/strings/Utf8.h"
#include "drawing/DrawingState.h"

namespace vek {

namespace {

// Names as the program's styles and templates give them; fontconfig resolves the lists in order, so
// the first family that is installed draws (the DejaVu families are what tests pin).
constexpr std::array<FontFamilyEntry, 6> kFontTable{{
    {kFontMonaco, "Monaco", "DejaVu Sans Mono,monospace"},
    {kFontGeneva, "Geneva", "DejaVu Sans,sans-serif"},
    {kFontChicago, "Chicago", "DejaVu Sans Condensed,DejaVu Sans,sans-serif"},
    {kFontCourier, "Courier", "DejaVu Sans Mono,monospace"},
    {kFontHelvetica, "Helvetica", "DejaVu Sans,sans-serif"},
    {kFontLucidaGrande, "Lucida Grande", "DejaVu Sans,sans-serif"},
}};

}  // namespace

const FontFamilyEntry* FindFontEntry(int16_t family)
{
    for (const FontFamilyEntry& entry : kFontTable) {
        if (entry.family == family)
            return &entry;
    }
    return nullptr;
}

void InitFonts() { ApplyTextStyle(GetDrawingState().view->style); }

int16_t FindFontFamily(std::string_view name)
{
    for (const FontFamilyEntry& entry : kFontTable) {
        if (entry.name == name)
            return entry.family;
    }
    return kFontDefault;
}

void TextStyle::SetFontByName(std::string_view name) { family = FindFontFamily(name); }

TextStyle GetPresetStyle(PresetStyle preset)
{
    switch (preset) {
    case PresetStyle::Monaco9:
        return TextStyle{9, 0, 0, kFontMonaco};
    case PresetStyle::Geneva10:
        return TextStyle{10, 0, 0, kFontGeneva};
    case PresetStyle::Helvetica10:
        return TextStyle{10, 0, 0, kFontHelvetica};
    case PresetStyle::LucidaGrande13:
        break;
    }
    return TextStyle{13, 0, 0, kFontLucidaGrande};
}

ResolvedFont ResolveTextFont(const TextStyle& style)
{
    ResolvedFont font;
    font.family = FindFontEntry(style.family) != nullptr ? style.family : kFontGeneva;
    if (GetDrawingState().outputKind != OutputKind::Screen && font.family == kFontGeneva)
        font.family = kFontHelvetica;
    font.face = style.flags & kFaceMask;
    // Sizes beyond what a pane can show are cut, so that line heights stay in 16 bits.
    int32_t size = style.size <= 0 ? 10 : std::min<int32_t>(style.size, 1000);
    font.size = int16_t(size);
    font.ascent = int16_t(size);
    font.lineHeight = int16_t(size > 10 ? size + 3 : size + 2);
    if (style.lineHeight > 6)
        font.lineHeight = style.lineHeight;
    return font;
}

void ApplyTextStyle(const TextStyle& style)
{
    DrawingState& state = GetDrawingState();
    state.font = ResolveTextFont(style);
    bool recording = state.focus != nullptr && state.focus->Mode() == FocusMode::Picture;
    state.unicodeText = (style.flags & kTextPlain) == 0 && !recording;
}

void SetTextStyle(const TextStyle& style)
{
    GetDrawingState().view->style = style;
    ApplyTextStyle(style);
}

uint16_t SetTextStyleBits(uint16_t bits, uint16_t mask)
{
    TextStyle& style = GetDrawingState().view->style;
    uint16_t previous = style.flags & mask;
    uint16_t flags = uint16_t((style.flags & ~mask) | (bits & mask));
    if (flags != style.flags) {
        style.flags = flags;
        ApplyTextStyle(style);
    }
    return previous;
}

uint16_t SetTextFace(uint16_t face) { return SetTextStyleBits(face, kFaceMask); }
uint16_t SetTextAlignment(uint16_t alignment) { return SetTextStyleBits(alignment, kAlignMask); }
uint16_t SetTextWrap(Switch wrap) { return SetTextStyleBits(wrap == Switch::On ? kTextWrap : 0, kTextWrap); }
uint16_t SetPlainTextMode(Switch plain) { return SetTextStyleBits(plain == Switch::On ? kTextPlain : 0, kTextPlain); }

void MaskTextWithBullets(std::string& text)
{
    int32_t count = Utf8CharCount(text.c_str());
    std::string masked;
    masked.reserve(size_t(count) * 3);
    for (int32_t i = 0; i < count; ++i)
        masked += "\xE2\x80\xA2";
    text = std::move(masked);
}

}  // namespace vek
