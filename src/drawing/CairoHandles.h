// CairoHandles: owning handles of the Cairo, Pango, GObject and fontconfig objects the drawing layer
// makes, so that no path (an early return, a failed allocation) leaves one behind or frees one twice.
#pragma once

#include <memory>

// The libraries' own struct names, so that a header holding a handle needs none of their headers.
struct _cairo;
struct _cairo_surface;
struct _cairo_pattern;
struct _cairo_region;
struct _cairo_font_options;
struct _PangoFontDescription;
struct _PangoAttrList;
struct _FcConfig;

namespace vek {

// Each releases one reference with the library's own call (std::unique_ptr never passes it a null).
struct CairoContextRelease {
    void operator()(_cairo* context) const;
};
struct CairoSurfaceRelease {
    void operator()(_cairo_surface* surface) const;
};
struct CairoPatternRelease {
    void operator()(_cairo_pattern* pattern) const;
};
struct CairoRegionRelease {
    void operator()(_cairo_region* region) const;
};
struct CairoFontOptionsRelease {
    void operator()(_cairo_font_options* options) const;
};
struct PangoFontDescriptionRelease {
    void operator()(_PangoFontDescription* description) const;
};
struct PangoAttrListRelease {
    void operator()(_PangoAttrList* attributes) const;
};
struct FontConfigRelease {
    void operator()(_FcConfig* config) const;
};
// Pango's font maps, contexts, layouts and fonts are GObjects, released by one call.
struct GObjectRelease {
    void operator()(void* object) const;
};

using CairoContextHandle = std::unique_ptr<_cairo, CairoContextRelease>;
using CairoSurfaceHandle = std::unique_ptr<_cairo_surface, CairoSurfaceRelease>;
using CairoPatternHandle = std::unique_ptr<_cairo_pattern, CairoPatternRelease>;
using CairoRegionHandle = std::unique_ptr<_cairo_region, CairoRegionRelease>;
using CairoFontOptionsHandle = std::unique_ptr<_cairo_font_options, CairoFontOptionsRelease>;
using PangoFontDescriptionHandle = std::unique_ptr<_PangoFontDescription, PangoFontDescriptionRelease>;
using PangoAttrListHandle = std::unique_ptr<_PangoAttrList, PangoAttrListRelease>;
using FontConfigHandle = std::unique_ptr<_FcConfig, FontConfigRelease>;
template <class T>
using GObjectHandle = std::unique_ptr<T, GObjectRelease>;

}  // namespace vek
