// DrawingPort: QuickDraw-like pixel drawing on Cairo, without antialiasing, so that every shape covers
// exactly the pixels whose centres it holds and frames, inversions and XOR feedback stay exact.
#include "drawing/DrawingPort.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <numbers>
#include <utility>

#include "platform/FilePath.h"
#include "platform/ForkFile.h"

namespace vek {

namespace {

constexpr PenPattern kSolidPattern{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

void SetRgb(cairo_t* cr, RgbColor c) { cairo_set_source_rgb(cr, c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0); }

uint32_t PackRgb(RgbColor c) { return (uint32_t(c.red >> 8) << 16) | (uint32_t(c.green >> 8) << 8) | (c.blue >> 8); }

uint32_t Argb(RgbColor c) { return 0xFF000000u | PackRgb(c); }

// An 8 × 8 repeating source: bit 1 pixels take `on`, bit 0 pixels `off` (0 = transparent).
CairoPatternHandle MakePatternSource(const PenPattern& bits, uint32_t on, uint32_t off)
{
    CairoSurfaceHandle tile(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
    if (cairo_surface_status(tile.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(tile.get());
    unsigned char* data = cairo_image_surface_get_data(tile.get());
    int stride = cairo_image_surface_get_stride(tile.get());
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < 8; ++x)
            row[x] = (bits[size_t(y)] & (0x80 >> x)) != 0 ? on : off;
    }
    cairo_surface_mark_dirty(tile.get());
    // The pattern takes its own reference to the tile.
    CairoPatternHandle pattern(cairo_pattern_create_for_surface(tile.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    return pattern;
}

void AddEllipse(cairo_t* cr, double left, double top, double right, double bottom)
{
    double rx = (right - left) / 2.0;
    double ry = (bottom - top) / 2.0;
    if (rx <= 0.0 || ry <= 0.0)
        return;
    cairo_save(cr);
    cairo_translate(cr, left + rx, top + ry);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * std::numbers::pi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void AddRoundRect(cairo_t* cr, double left, double top, double right, double bottom, double ovalW, double ovalH)
{
    double w = right - left;
    double h = bottom - top;
    if (w <= 0.0 || h <= 0.0)
        return;
    double rx = std::min(ovalW, w) / 2.0;
    double ry = std::min(ovalH, h) / 2.0;
    if (rx <= 0.0 || ry <= 0.0) {
        cairo_rectangle(cr, left, top, w, h);
        return;
    }
    auto corner = [&](double cx, double cy, double a0) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0.0, 0.0, 1.0, a0, a0 + std::numbers::pi / 2.0);
        cairo_restore(cr);
    };
    cairo_new_sub_path(cr);
    corner(right - rx, top + ry, -std::numbers::pi / 2.0);
    corner(right - rx, bottom - ry, 0.0);
    corner(left + rx, bottom - ry, std::numbers::pi / 2.0);
    corner(left + rx, top + ry, std::numbers::pi);
    cairo_close_path(cr);
}

void AddRegion(cairo_t* cr, const Region& region)
{
    for (int32_t i = 0, n = region.RectCount(); i < n; ++i) {
        Rect r = region.RectAt(i);
        cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    }
}

// Cairo's write callback: no exception may unwind through Cairo's frames, so a failed append becomes
// Cairo's own error status, which ends the encoding and makes the caller return empty bytes.
cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) noexcept
{
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_NO_MEMORY;
    } catch (...) {
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::unique_ptr<DrawingPort> DrawingPort::CreateImage(int32_t width, int32_t height, DepthRecord depth,
                                                      Background background)
{
    if (width < 1 || height < 1 || width > 32767 || height > 32767)
        return nullptr;
    bool transparent = background == Background::Transparent;
    CairoSurfaceHandle surface(
        cairo_image_surface_create(transparent ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    std::unique_ptr<DrawingPort> port(new DrawingPort());
    port->surface = std::move(surface);
    port->context.reset(cairo_create(port->surface.get()));
    port->width = width;
    port->height = height;
    port->depth = depth;
    port->frame = Rect{0, 0, ClampCoordinate(height), ClampCoordinate(width)};
    port->clip.SetRect(port->frame);
    if (!transparent) {
        cairo_set_source_rgb(port->context.get(), 1.0, 1.0, 1.0);
        cairo_paint(port->context.get());
    }
    return port;
}

std::unique_ptr<DrawingPort> DrawingPort::CreateRecording(const Rect& frame)
{
    cairo_rectangle_t extents{double(frame.left), double(frame.top), double(std::max(frame.Width(), 0)),
                              double(std::max(frame.Height(), 0))};
    CairoSurfaceHandle surface(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    std::unique_ptr<DrawingPort> port(new DrawingPort());
    port->surface = std::move(surface);
    port->context.reset(cairo_create(port->surface.get()));
    port->recording = true;
    port->width = std::max(frame.Width(), 0);
    port->height = std::max(frame.Height(), 0);
    port->frame = frame;
    port->depth = DepthRecord{8, 1};
    port->clip.SetRect(frame);
    return port;
}

DrawingPort::~DrawingPort() = default;

Rect DrawingPort::PortBounds() const
{
    Rect r = frame;
    ShiftRect(r, origin.h, origin.v);
    return r;
}

void DrawingPort::SetOrigin(int32_t h, int32_t v)
{
    origin = Point{ClampCoordinate(v), ClampCoordinate(h)};
    Invalidate();
}

void DrawingPort::SetClip(const Region& region)
{
    clip = region;
    Invalidate();
}

void DrawingPort::SetClipRect(const Rect& rect)
{
    clip.SetRect(rect);
    Invalidate();
}

void DrawingPort::SetPenPattern(const PenPattern& pattern) { penPattern = pattern; }

void DrawingPort::SetPenSize(int32_t h, int32_t v)
{
    penSize = Point{ClampCoordinate(std::max(v, 0)), ClampCoordinate(std::max(h, 0))};
}

void DrawingPort::PenNormal()
{
    penSize = Point{1, 1};
    penMode = PenMode::Copy;
    penPattern = kSolidPattern;
}

void DrawingPort::MoveTo(int32_t h, int32_t v) { penLocation = Point{ClampCoordinate(v), ClampCoordinate(h)}; }

Rect DrawingPort::ToDevice(const Rect& rect) const
{
    Rect r = rect;
    ShiftRect(r, -origin.h, -origin.v);
    return IntersectRects(r, frame);
}

cairo_t* DrawingPort::PreparedContext()
{
    if (!prepared) {
        cairo_reset_clip(context.get());
        cairo_identity_matrix(context.get());
        cairo_translate(context.get(), -origin.h, -origin.v);
        cairo_new_path(context.get());
        AddRegion(context.get(), clip);
        cairo_clip(context.get());
        cairo_set_antialias(context.get(), CAIRO_ANTIALIAS_NONE);
        cairo_set_fill_rule(context.get(), CAIRO_FILL_RULE_EVEN_ODD);
        prepared = true;
    }
    cairo_new_path(context.get());
    return context.get();
}

void DrawingPort::SetSource(bool erase)
{
    cairo_t* cr = context.get();
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (erase) {
        SetRgb(cr, backColor);
        return;
    }
    bool solid = penPattern == kSolidPattern;
    CairoPatternHandle source;
    switch (penMode) {
    case PenMode::Copy:
        if (solid)
            SetRgb(cr, foreColor);
        else
            source = MakePatternSource(penPattern, Argb(foreColor), Argb(backColor));
        break;
    case PenMode::Or:
        if (solid)
            SetRgb(cr, foreColor);
        else
            source = MakePatternSource(penPattern, Argb(foreColor), 0);
        break;
    case PenMode::Xor:
        cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
        if (solid)
            cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        else
            source = MakePatternSource(penPattern, 0xFFFFFFFFu, 0);
        break;
    case PenMode::Bic:
        if (solid)
            SetRgb(cr, backColor);
        else
            source = MakePatternSource(penPattern, Argb(backColor), 0);
        break;
    }
    if (source != nullptr)
        cairo_set_source(cr, source.get());
}

void DrawingPort::FillPath() { cairo_fill(context.get()); }

template <typename AddPath>
void DrawingPort::FillShape(bool erase, AddPath addPath)
{
    cairo_t* cr = PreparedContext();
    addPath(cr);
    SetSource(erase);
    FillPath();
}

void DrawingPort::PaintRect(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    });
}

void DrawingPort::EraseRect(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    FillShape(true, [&](cairo_t* cr) {
        cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    });
}

void DrawingPort::InvertRect(const Rect& rect) { InvertRegion(Region(rect)); }

void DrawingPort::FrameRect(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
        Rect inner = rect;
        InitRect(inner, rect.left + penSize.h, rect.top + penSize.v, rect.right - penSize.h, rect.bottom - penSize.v);
        if (!inner.IsEmpty())
            cairo_rectangle(cr, inner.left, inner.top, inner.Width(), inner.Height());
    });
}

void DrawingPort::PaintOval(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        AddEllipse(cr, rect.left, rect.top, rect.right, rect.bottom);
    });
}

void DrawingPort::EraseOval(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    FillShape(true, [&](cairo_t* cr) {
        AddEllipse(cr, rect.left, rect.top, rect.right, rect.bottom);
    });
}

void DrawingPort::FrameOval(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        AddEllipse(cr, rect.left, rect.top, rect.right, rect.bottom);
        AddEllipse(cr, rect.left + penSize.h, rect.top + penSize.v, rect.right - penSize.h, rect.bottom - penSize.v);
    });
}

void DrawingPort::PaintRoundRect(const Rect& rect, int32_t cornerSize)
{
    if (rect.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        AddRoundRect(cr, rect.left, rect.top, rect.right, rect.bottom, cornerSize, cornerSize);
    });
}

void DrawingPort::EraseRoundRect(const Rect& rect, int32_t cornerSize)
{
    if (rect.IsEmpty())
        return;
    FillShape(true, [&](cairo_t* cr) {
        AddRoundRect(cr, rect.left, rect.top, rect.right, rect.bottom, cornerSize, cornerSize);
    });
}

void DrawingPort::FrameRoundRect(const Rect& rect, int32_t cornerSize)
{
    if (rect.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        AddRoundRect(cr, rect.left, rect.top, rect.right, rect.bottom, cornerSize, cornerSize);
        AddRoundRect(cr, rect.left + penSize.h, rect.top + penSize.v, rect.right - penSize.h, rect.bottom - penSize.v,
                     cornerSize - 2 * penSize.h, cornerSize - 2 * penSize.v);
    });
}

void DrawingPort::PaintRegion(const Region& region)
{
    if (region.IsEmpty())
        return;
    FillShape(false, [&](cairo_t* cr) {
        AddRegion(cr, region);
    });
}

void DrawingPort::EraseRegion(const Region& region)
{
    if (region.IsEmpty())
        return;
    FillShape(true, [&](cairo_t* cr) {
        AddRegion(cr, region);
    });
}

void DrawingPort::InvertRegion(const Region& region)
{
    if (region.IsEmpty())
        return;
    cairo_t* cr = PreparedContext();
    AddRegion(cr, region);
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void DrawingPort::FrameRegion(const Region& region)
{
    if (region.IsEmpty())
        return;
    // The frame is what erosion by the pen takes away: pixels whose pen-sized neighbourhood leaves
    // the region.
    Region inner(region);
    for (int32_t dv = -1; dv <= 1; ++dv) {
        for (int32_t dh = -1; dh <= 1; ++dh) {
            if (dv == 0 && dh == 0)
                continue;
            Region shifted(region);
            shifted.Offset(dh * penSize.h, dv * penSize.v);
            inner.Intersect(shifted);
        }
    }
    Region frameRegion(region);
    frameRegion.Subtract(inner);
    PaintRegion(frameRegion);
}

void DrawingPort::PaintPolygon(std::span<const Point> points)
{
    if (points.size() < 3)
        return;
    FillShape(false, [&](cairo_t* cr) {
        cairo_move_to(cr, points[0].h, points[0].v);
        for (size_t i = 1; i < points.size(); ++i)
            cairo_line_to(cr, points[i].h, points[i].v);
        cairo_close_path(cr);
    });
}

void DrawingPort::FramePolygon(std::span<const Point> points)
{
    if (points.empty())
        return;
    MoveTo(points[0].h, points[0].v);
    for (size_t i = 1; i < points.size(); ++i)
        LineTo(points[i].h, points[i].v);
    LineTo(points[0].h, points[0].v);
}

void DrawingPort::LineTo(int32_t h, int32_t v)
{
    Point from = penLocation;
    MoveTo(h, v);
    if (penSize.h <= 0 || penSize.v <= 0)
        return;
    // The area the pen's rectangle sweeps: the convex hull of its two end positions.
    int32_t pw = penSize.h;
    int32_t ph = penSize.v;
    std::array<std::array<double, 2>, 8> corners{{{double(from.h), double(from.v)},
                                                  {double(from.h + pw), double(from.v)},
                                                  {double(from.h), double(from.v + ph)},
                                                  {double(from.h + pw), double(from.v + ph)},
                                                  {double(h), double(v)},
                                                  {double(h + pw), double(v)},
                                                  {double(h), double(v + ph)},
                                                  {double(h + pw), double(v + ph)}}};
    std::sort(corners.begin(), corners.end());
    auto cross = [](const std::array<double, 2>& o, const std::array<double, 2>& a, const std::array<double, 2>& b) {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    };
    std::array<std::array<double, 2>, 16> hull{};
    size_t k = 0;
    for (const auto& p : corners) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    for (size_t i = corners.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], corners[i]) <= 0)
            --k;
        hull[k++] = corners[i];
    }
    FillShape(false, [&](cairo_t* cr) {
        cairo_move_to(cr, hull[0][0], hull[0][1]);
        for (size_t i = 1; i + 1 < k; ++i)
            cairo_line_to(cr, hull[i][0], hull[i][1]);
        cairo_close_path(cr);
    });
}

void DrawingPort::HiliteRegion(const Region& region, RgbColor highlight)
{
    if (recording) {
        InvertRegion(region);
        return;
    }
    Region area(region);
    area.Intersect(clip);
    area.Offset(-origin.h, -origin.v);
    IntersectRegionWithRect(area, frame);
    if (area.IsEmpty())
        return;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    uint32_t back = PackRgb(backColor);
    uint32_t high = PackRgb(highlight);
    for (int32_t i = 0, n = area.RectCount(); i < n; ++i) {
        Rect r = area.RectAt(i);
        for (int32_t y = r.top; y < r.bottom; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride);
            for (int32_t x = r.left; x < r.right; ++x) {
                uint32_t pixel = row[x] & 0xFFFFFF;
                if (pixel == back)
                    row[x] = 0xFF000000u | high;
                else if (pixel == high)
                    row[x] = 0xFF000000u | back;
            }
        }
    }
    cairo_surface_mark_dirty(surface.get());
}

void DrawingPort::CopyFrom(const DrawingPort& source, const Rect& sourceRect, const Rect& destRect, Transfer transfer,
                           RgbColor color)
{
    if (sourceRect.IsEmpty() || destRect.IsEmpty())
        return;
    cairo_t* cr = PreparedContext();
    cairo_save(cr);
    cairo_rectangle(cr, destRect.left, destRect.top, destRect.Width(), destRect.Height());
    cairo_clip(cr);
    cairo_translate(cr, destRect.left, destRect.top);
    double sx = double(destRect.Width()) / sourceRect.Width();
    double sy = double(destRect.Height()) / sourceRect.Height();
    cairo_scale(cr, sx, sy);
    double srcLeft = double(sourceRect.left) - source.origin.h;
    double srcTop = double(sourceRect.top) - source.origin.v;
    CairoPatternHandle pattern(cairo_pattern_create_for_surface(source.surface.get()));
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, srcLeft, srcTop);
    cairo_pattern_set_matrix(pattern.get(), &m);
    // Nearest pixels: a print offscreen shrinks by a whole factor, and blending would grey its edges.
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    switch (transfer) {
    case Transfer::Copy:
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source(cr, pattern.get());
        cairo_paint(cr);
        break;
    case Transfer::Or:
        cairo_set_source(cr, pattern.get());
        cairo_paint(cr);
        break;
    case Transfer::ColorThroughMask:
        SetRgb(cr, color);
        cairo_mask(cr, pattern.get());
        break;
    }
    cairo_restore(cr);
}

void DrawingPort::MakeTransparent()
{
    cairo_save(context.get());
    cairo_reset_clip(context.get());
    cairo_set_operator(context.get(), CAIRO_OPERATOR_CLEAR);
    cairo_paint(context.get());
    cairo_restore(context.get());
    Invalidate();
}

namespace {

struct PngSource {
    std::string_view bytes;
    size_t position = 0;
};

cairo_status_t ReadFromView(void* closure, unsigned char* data, unsigned int length)
{
    auto* source = static_cast<PngSource*>(closure);
    if (source->bytes.size() - source->position < length)
        return CAIRO_STATUS_READ_ERROR;
    std::copy_n(source->bytes.data() + source->position, length, data);
    source->position += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::unique_ptr<DrawingPort> DrawingPort::DecodePng(std::string_view bytes)
{
    PngSource source{bytes};
    CairoSurfaceHandle png(cairo_image_surface_create_from_png_stream(ReadFromView, &source));
    if (cairo_surface_status(png.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    std::unique_ptr<DrawingPort> port =
        CreateImage(cairo_image_surface_get_width(png.get()), cairo_image_surface_get_height(png.get()));
    if (port != nullptr) {
        cairo_set_source_surface(port->context.get(), png.get(), 0, 0);
        cairo_paint(port->context.get());
    }
    return port;
}

void DrawingPort::SetPixel(int32_t x, int32_t y, uint32_t rgb)
{
    if (recording || x < 0 || y < 0 || x >= width || y >= height)
        return;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride)[x] = 0xFF000000u | (rgb & 0xFFFFFF);
    cairo_surface_mark_dirty(surface.get());
}

uint32_t DrawingPort::PixelAt(int32_t x, int32_t y) const
{
    if (recording || x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    return reinterpret_cast<const uint32_t*>(data + ptrdiff_t(y) * stride)[x] & 0xFFFFFF;
}

std::string DrawingPort::EncodePng() const
{
    std::string out;
    cairo_surface_flush(surface.get());
    if (!recording) {
        if (cairo_surface_write_to_png_stream(surface.get(), AppendToString, &out) != CAIRO_STATUS_SUCCESS)
            out.clear();
        return out;
    }
    if (width < 1 || height < 1)
        return out;
    CairoSurfaceHandle image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    {
        CairoContextHandle cr(cairo_create(image.get()));
        cairo_set_source_surface(cr.get(), surface.get(), -frame.left, -frame.top);
        cairo_paint(cr.get());
    }
    if (cairo_surface_write_to_png_stream(image.get(), AppendToString, &out) != CAIRO_STATUS_SUCCESS)
        out.clear();
    return out;
}

std::string DrawingPort::EncodePdf() const
{
    std::string out;
    if (!recording || width < 1 || height < 1)
        return out;
    CairoSurfaceHandle pdf(cairo_pdf_surface_create_for_stream(AppendToString, &out, width, height));
    {
        // The page is drawn and its context released before the surface is finished.
        CairoContextHandle cr(cairo_create(pdf.get()));
        cairo_set_source_surface(cr.get(), surface.get(), -frame.left, -frame.top);
        cairo_paint(cr.get());
        cairo_show_page(cr.get());
    }
    cairo_surface_finish(pdf.get());
    if (cairo_surface_status(pdf.get()) != CAIRO_STATUS_SUCCESS)
        out.clear();
    return out;
}

bool DrawingPort::SavePng(const FilePath& path) const
{
    std::string bytes = EncodePng();
    if (bytes.empty())
        return false;
    ForkFile file;
    if (!file.OpenForWrite(path))
        return false;
    file.Write(bytes.data(), int64_t(bytes.size()));
    file.SetSize();
    file.Close();
    return !file.HasFailed();
}

}  // namespace vek
