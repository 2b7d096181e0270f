// TextShaper: per-font glyph tables filled through Pango and fontconfig, runs drawn with Cairo's glyph
// calls. Metrics are unhinted and glyph positions unrounded, so widths are the same on every machine
// with the same font files.
#include "drawing/TextShaper.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/strings/Utf8.h"
#include "drawing/CairoHandles.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/Fonts.h"

namespace vek {

namespace {

using FontMapPtr = GObjectHandle<PangoFontMap>;
using ContextPtr = GObjectHandle<PangoContext>;
using LayoutPtr = GObjectHandle<PangoLayout>;
using FontPtr = GObjectHandle<PangoFont>;

// Characters that only shaping places right: combining marks, joiners, bidirectional controls and
// the complex scripts.
bool NeedsShaping(uint32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0590 && c <= 0x1DFF) ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xA8E0 && c <= 0xABFF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xFE70 && c <= 0xFEFF) ||
           c > 0xFFFF;
}

struct GlyphInfo {
    uint32_t glyph = 0;
    int32_t advance = 0;  // units
    int16_t font = -1;    // index into the entry's fonts; -1 draws nothing
    bool known = false;
    bool shaping = false;
};

// One font of the cache: its description, a layout for shaping, the fonts its glyphs come from
// (fallbacks included) and the glyphs met so far.
struct FontEntry {
    int16_t family = 0;
    int16_t size = 0;
    uint16_t face = 0;
    PangoFontDescriptionHandle description;
    LayoutPtr layout;
    std::vector<FontPtr> fonts;
    std::array<GlyphInfo, 256> low{};
    std::unordered_map<uint32_t, GlyphInfo> high;
};

class FontCache {
public:
    FontEntry& Entry(const ResolvedFont& font);
    const GlyphInfo& Glyph(FontEntry& entry, uint32_t c);
    int64_t ShapedUnits(FontEntry& entry, std::string_view text);
    PangoLayout* ShapedLayout(FontEntry& entry, std::string_view text);

private:
    void Open();

    FontMapPtr fontMap;
    ContextPtr context;
    // Most recently used first; at most kEntries.
    static constexpr size_t kEntries = 8;
    std::list<FontEntry> entries;
};

std::unique_ptr<FontCache>& CacheHolder()
{
    static std::unique_ptr<FontCache> cache;
    return cache;
}

FontCache& Cache()
{
    std::unique_ptr<FontCache>& cache = CacheHolder();
    if (cache == nullptr)
        cache = std::make_unique<FontCache>();
    return *cache;
}

void FontCache::Open()
{
    fontMap.reset(pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT));
    if (fontMap == nullptr)
        fontMap.reset(pango_cairo_font_map_new());
    context.reset(pango_font_map_create_context(fontMap.get()));
    CairoFontOptionsHandle options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context.get(), options.get());
    pango_cairo_context_set_resolution(context.get(), 72.0);
    pango_context_set_round_glyph_positions(context.get(), FALSE);
}

FontEntry& FontCache::Entry(const ResolvedFont& font)
{
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->family == font.family && it->size == font.size && it->face == font.face) {
            if (it != entries.begin())
                entries.splice(entries.begin(), entries, it);
            return entries.front();
        }
    }
    if (context == nullptr)
        Open();
    if (entries.size() >= kEntries)
        entries.pop_back();
    FontEntry& entry = entries.emplace_front();
    entry.family = font.family;
    entry.size = font.size;
    entry.face = font.face;
    const FontFamilyEntry* row = FindFontEntry(font.family);
    std::string families(row != nullptr ? row->fontconfigFamilies : "sans-serif");
    entry.description.reset(pango_font_description_new());
    pango_font_description_set_family(entry.description.get(), families.c_str());
    pango_font_description_set_absolute_size(entry.description.get(), double(font.size) * PANGO_SCALE);
    pango_font_description_set_weight(entry.description.get(),
                                      (font.face & kFaceBold) != 0 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(entry.description.get(),
                                     (font.face & kFaceItalic) != 0 ? PANGO_STYLE_OBLIQUE : PANGO_STYLE_NORMAL);
    pango_font_description_set_stretch(entry.description.get(), (font.face & kFaceCondense) != 0 ? PANGO_STRETCH_CONDENSED
                                                                : (font.face & kFaceExtend) != 0 ? PANGO_STRETCH_EXPANDED
                                                                                                 : PANGO_STRETCH_NORMAL);
    entry.layout.reset(pango_layout_new(context.get()));
    pango_layout_set_font_description(entry.layout.get(), entry.description.get());
    // Runs that need shaping are drawn as Pango shapes them, without kerning like the rest.
    PangoAttrListHandle attributes(pango_attr_list_new());
    pango_attr_list_insert(attributes.get(), pango_attr_font_features_new("kern 0, liga 0, clig 0"));
    pango_layout_set_attributes(entry.layout.get(), attributes.get());
    pango_layout_set_single_paragraph_mode(entry.layout.get(), TRUE);
    return entry;
}

const GlyphInfo& FontCache::Glyph(FontEntry& entry, uint32_t c)
{
    GlyphInfo& info = c < 256 ? entry.low[c] : entry.high[c];
    if (info.known)
        return info;
    info.known = true;
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return info;  // control characters take no room and draw nothing
    if (NeedsShaping(c)) {
        info.shaping = true;
        return info;
    }
    char bytes[4];
    int32_t n = Utf8EncodeChar(bytes, c);
    pango_layout_set_text(entry.layout.get(), bytes, n);
    PangoLayoutLine* line = pango_layout_get_line_readonly(entry.layout.get(), 0);
    if (line == nullptr || line->runs == nullptr || line->runs->next != nullptr) {
        info.shaping = true;
        return info;
    }
    auto* run = static_cast<PangoGlyphItem*>(line->runs->data);
    if (run->glyphs->num_glyphs != 1 || (run->glyphs->glyphs[0].glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0 ||
        run->item->analysis.font == nullptr) {
        info.shaping = true;
        return info;
    }
    PangoFont* font = run->item->analysis.font;
    size_t index = 0;
    while (index < entry.fonts.size() && entry.fonts[index].get() != font)
        ++index;
    if (index == entry.fonts.size()) {
        if (entry.fonts.size() >= 32000) {
            info.shaping = true;
            return info;
        }
        entry.fonts.emplace_back(static_cast<PangoFont*>(g_object_ref(font)));
    }
    info.glyph = run->glyphs->glyphs[0].glyph;
    info.advance = run->glyphs->glyphs[0].geometry.width;
    info.font = int16_t(index);
    return info;
}

// Pango takes valid UTF-8 only: bad bytes become U+FFFD, as everywhere in the program.
std::string ValidText(std::string_view text)
{
    if (Utf8IsValid(text))
        return std::string(text);
    std::string out;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        char bytes[4];
        out.append(bytes, size_t(Utf8EncodeChar(bytes, Utf8NextCharIn(p, end))));
    }
    return out;
}

PangoLayout* FontCache::ShapedLayout(FontEntry& entry, std::string_view text)
{
    std::string valid = ValidText(text);
    pango_layout_set_text(entry.layout.get(), valid.data(), int(valid.size()));
    return entry.layout.get();
}

int64_t FontCache::ShapedUnits(FontEntry& entry, std::string_view text)
{
    PangoRectangle logical;
    pango_layout_get_extents(ShapedLayout(entry, text), nullptr, &logical);
    return logical.width;
}

}  // namespace

int64_t MeasureTextUnits(const ResolvedFont& font, std::string_view text)
{
    if (text.empty())
        return 0;
    FontCache& cache = Cache();
    FontEntry& entry = cache.Entry(font);
    int64_t units = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        uint32_t c = uint8_t(*p) < 0x80 ? uint32_t(uint8_t(*p++)) : Utf8NextCharIn(p, end);
        const GlyphInfo& glyph = cache.Glyph(entry, c);
        if (glyph.shaping)
            return cache.ShapedUnits(entry, text);
        units += glyph.advance;
    }
    return units;
}

void DrawTextRun(DrawingPort& port, const ResolvedFont& font, std::string_view text, double x, double baseline)
{
    if (text.empty())
        return;
    FontCache& cache = Cache();
    FontEntry& entry = cache.Entry(font);
    cairo_t* cr = port.PreparedContext();
    RgbColor fore = port.ForeColor();
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgb(cr, fore.red / 65535.0, fore.green / 65535.0, fore.blue / 65535.0);

    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(text.size());
    int16_t currentFont = -1;
    auto flush = [&] {
        if (!glyphs.empty() && currentFont >= 0) {
            cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(
                PANGO_CAIRO_FONT(entry.fonts[size_t(currentFont)].get()));
            if (scaled != nullptr) {
                cairo_set_scaled_font(cr, scaled);
                cairo_show_glyphs(cr, glyphs.data(), int(glyphs.size()));
            }
        }
        glyphs.clear();
    };
    bool shaping = false;
    int64_t units = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        uint32_t c = uint8_t(*p) < 0x80 ? uint32_t(uint8_t(*p++)) : Utf8NextCharIn(p, end);
        const GlyphInfo& glyph = cache.Glyph(entry, c);
        if (glyph.shaping) {
            shaping = true;
            break;
        }
        if (glyph.font >= 0) {
            if (glyph.font != currentFont) {
                flush();
                currentFont = glyph.font;
            }
            glyphs.push_back(cairo_glyph_t{glyph.glyph, x + double(units) / kTextUnitsPerPixel, baseline});
        }
        units += glyph.advance;
    }
    if (shaping) {
        glyphs.clear();
        PangoLayout* layout = cache.ShapedLayout(entry, text);
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        units = logical.width;
        cairo_move_to(cr, x, baseline - double(pango_layout_get_baseline(layout)) / PANGO_SCALE);
        pango_cairo_show_layout(cr, layout);
        cairo_new_path(cr);
    } else {
        flush();
    }
    if ((font.face & kFaceUnderline) != 0 && units > 0) {
        cairo_rectangle(cr, std::floor(x), std::floor(baseline) + 1.0, UnitsToPixels(units), 1.0);
        cairo_fill(cr);
    }
}

void ResetTextShaper() { CacheHolder().reset(); }

bool PinFontConfiguration(const char* fontsConf)
{
    ResetTextShaper();
    FontConfigHandle config(FcConfigCreate());
    if (config == nullptr ||
        FcConfigParseAndLoad(config.get(), reinterpret_cast<const FcChar8*>(fontsConf), FcTrue) == FcFalse ||
        FcConfigBuildFonts(config.get()) == FcFalse)
        return false;
    // The current configuration takes its own reference.
    return FcConfigSetCurrent(config.get()) != FcFalse;
}

}  // namespace vek
