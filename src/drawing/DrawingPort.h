// DrawingPort: one drawing target (an image or a recording) with its origin, clip, pen and colours.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "drawing/CairoHandles.h"
#include "drawing/ColorTable.h"
#include "drawing/Geometry.h"
#include "drawing/Region.h"

namespace vek {

class FilePath;

// Bits per pixel of a drawing target and whether it shows colour; every focus target carries one.
struct DepthRecord {
    int16_t depth = 32;
    int32_t colorDevice = 1;
    friend bool operator==(const DepthRecord&, const DepthRecord&) = default;
};

// How the pen's pattern meets what is already drawn: copy (bits 1 fore colour, 0 back colour), or
// (bits 1 fore colour, 0 unchanged), xor (bits 1 invert), bit clear (bits 1 back colour).
enum class PenMode : int16_t { Copy = 8, Or = 9, Xor = 10, Bic = 11 };

// A drawing target: an image surface (pixels, RGB) or a recording surface (a picture). Drawing
// coordinates are local: SetOrigin(h, v) makes the local point (h, v) the target's top-left pixel. The
// clip region is in local coordinates and stays where it is in them when the origin changes. Nothing
// is ever drawn outside the target's pixels.
class DrawingPort {
public:
    // An image of width × height pixels, white and opaque, or transparent (an offscreen whose coverage
    // is copied later); null when the size is not 1-32767 or memory is short.
    enum class Background { White, Transparent };
    static std::unique_ptr<DrawingPort> CreateImage(int32_t width, int32_t height, DepthRecord depth = {},
                                                    Background background = Background::White);
    // A recording of drawing inside the frame (local coordinates); null when memory is short.
    static std::unique_ptr<DrawingPort> CreateRecording(const Rect& frame);
    ~DrawingPort();
    DrawingPort(const DrawingPort&) = delete;
    DrawingPort& operator=(const DrawingPort&) = delete;

    bool IsRecording() const { return recording; }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    // The target's area in local coordinates.
    Rect PortBounds() const;
    const DepthRecord& Depth() const { return depth; }
    void SetDepth(const DepthRecord& value) { depth = value; }

    Point Origin() const { return origin; }
    void SetOrigin(int32_t h, int32_t v);
    const Region& Clip() const { return clip; }
    void SetClip(const Region& region);
    void SetClipRect(const Rect& rect);

    // Pen and colours.
    RgbColor ForeColor() const { return foreColor; }
    RgbColor BackColor() const { return backColor; }
    void SetForeColor(RgbColor color) { foreColor = color; }
    void SetBackColor(RgbColor color) { backColor = color; }
    void SetPenPattern(const PenPattern& pattern);
    const PenPattern& GetPenPattern() const { return penPattern; }
    void SetBackPattern(const PenPattern& pattern) { backPattern = pattern; }
    void SetPenSize(int32_t h, int32_t v);
    Point PenSize() const { return penSize; }
    void SetPenMode(PenMode mode) { penMode = mode; }
    PenMode GetPenMode() const { return penMode; }
    // Pen 1 × 1, copy mode, solid.
    void PenNormal();
    Point PenLocation() const { return penLocation; }
    void MoveTo(int32_t h, int32_t v);
    // A line with the pen from its location to (h, v); the pen hangs below and right of the line.
    void LineTo(int32_t h, int32_t v);
    // Glyphs and other antialiased drawing: the pen's fore colour as the source.
    double LineWidthFactor() const { return lineWidthFactor; }
    void SetLineWidthFactor(double factor) { lineWidthFactor = factor; }

    // Shapes with the pen (paint, frame), the back colour (erase) or inverted.
    void PaintRect(const Rect& rect);
    void EraseRect(const Rect& rect);
    void InvertRect(const Rect& rect);
    void FrameRect(const Rect& rect);
    void PaintOval(const Rect& rect);
    void EraseOval(const Rect& rect);
    void FrameOval(const Rect& rect);
    void PaintRoundRect(const Rect& rect, int32_t cornerSize);
    void EraseRoundRect(const Rect& rect, int32_t cornerSize);
    void FrameRoundRect(const Rect& rect, int32_t cornerSize);
    void PaintRegion(const Region& region);
    void EraseRegion(const Region& region);
    void InvertRegion(const Region& region);
    void FrameRegion(const Region& region);
    void PaintPolygon(std::span<const Point> points);
    void FramePolygon(std::span<const Point> points);
    // Swaps the back colour and the highlight colour inside the region (an image); a recording
    // inverts instead.
    void HiliteRegion(const Region& region, RgbColor highlight);

    // Copies the source's pixels of sourceRect (the source's local coordinates) onto destRect, scaled
    // when the sizes differ. Copy replaces, Or puts the source over what is there (what the source left
    // transparent stays), and a colour copy paints the colour through the source's coverage.
    enum class Transfer { Copy, Or, ColorThroughMask };
    void CopyFrom(const DrawingPort& source, const Rect& sourceRect, const Rect& destRect, Transfer transfer,
                  RgbColor color = {});
    // Fills the whole target with transparent pixels (offscreens whose coverage is copied later).
    void MakeTransparent();

    // An image port holding a PNG's pixels (over white where the PNG is transparent); null when the
    // bytes are not a PNG of a usable size.
    static std::unique_ptr<DrawingPort> DecodePng(std::string_view bytes);
    // The colour of the target's pixel (x, y), as 0xRRGGBB; 0 outside or for a recording.
    uint32_t PixelAt(int32_t x, int32_t y) const;
    // Sets one pixel (0xRRGGBB) of an image; nothing outside it or for a recording.
    void SetPixel(int32_t x, int32_t y, uint32_t rgb);
    // The target as PNG bytes (a recording is rendered at its frame); empty when encoding failed.
    std::string EncodePng() const;
    // The recording as a one-page PDF of its frame's size; empty for an image or when encoding failed.
    std::string EncodePdf() const;
    // Writes EncodePng to a file through the platform's file layer (its messages on failure).
    [[nodiscard]] bool SavePng(const FilePath& path) const;

    // For the drawing code of this layer: the context, set to the origin and the clip.
    _cairo* PreparedContext();
    _cairo_surface* Surface() const { return surface.get(); }
    // Local rectangle to device pixels, cut to the target.
    Rect ToDevice(const Rect& rect) const;

private:
    DrawingPort() = default;
    void SetSource(bool erase);
    void FillPath();
    // Adds a path through addPath, then fills it with the pen (or the background when erase).
    template <typename AddPath>
    void FillShape(bool erase, AddPath addPath);
    void Invalidate() { prepared = false; }

    // Declared in this order so that the context is released before its surface.
    CairoSurfaceHandle surface;
    CairoContextHandle context;
    bool recording = false;
    bool prepared = false;
    int32_t width = 0;
    int32_t height = 0;
    Rect frame;  // a recording's frame in device coordinates
    DepthRecord depth;
    Point origin;
    Region clip;
    RgbColor foreColor{0, 0, 0};
    RgbColor backColor{0xFFFF, 0xFFFF, 0xFFFF};
    PenPattern penPattern{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PenPattern backPattern{};
    Point penSize{1, 1};
    PenMode penMode = PenMode::Copy;
    Point penLocation;
    double lineWidthFactor = 1.0;
};

}  // namespace vek
