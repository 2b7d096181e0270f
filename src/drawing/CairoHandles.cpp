// CairoHandles: the release calls, out of line so that the handles' header includes no library header.
#include "drawing/CairoHandles.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pango.h>

namespace vek {

void CairoContextRelease::operator()(cairo_t* context) const { cairo_destroy(context); }
void CairoSurfaceRelease::operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
void CairoPatternRelease::operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
void CairoRegionRelease::operator()(cairo_region_t* region) const { cairo_region_destroy(region); }
void CairoFontOptionsRelease::operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
void PangoFontDescriptionRelease::operator()(PangoFontDescription* description) const
{
    pango_font_description_free(description);
}
void PangoAttrListRelease::operator()(PangoAttrList* attributes) const { pango_attr_list_unref(attributes); }
void FontConfigRelease::operator()(FcConfig* config) const { FcConfigDestroy(config); }
void GObjectRelease::operator()(void* object) const { g_object_unref(object); }

}  // namespace vek
