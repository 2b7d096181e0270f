// Shapes: one implementation of the families over a shape descriptor; the black-and-white print path
// draws each layer into a print-resolution offscreen and lays its coverage onto the page.
#include "drawing/Shapes.h"

#include <cmath>

#include "drawing/DrawingState.h"
#include "drawing/Offscreen.h"

namespace vek {

namespace {

// Saves the pen and fore colour of the current port for the lifetime of the object.
class PenKeeper {
public:
    explicit PenKeeper(DrawingPort& port)
        : port(port), fore(port.ForeColor()), pattern(port.GetPenPattern()), size(port.PenSize()),
          mode(port.GetPenMode())
    {
    }
    ~PenKeeper()
    {
        port.SetForeColor(fore);
        port.SetPenPattern(pattern);
        port.SetPenSize(size.h, size.v);
        port.SetPenMode(mode);
    }
    PenKeeper(const PenKeeper&) = delete;
    PenKeeper& operator=(const PenKeeper&) = delete;

private:
    DrawingPort& port;
    RgbColor fore;
    PenPattern pattern;
    Point size;
    PenMode mode;
};

void PaintOn(DrawingPort& port, const Shape& s)
{
    switch (s.kind) {
    case Shape::Kind::Rectangle:
        port.PaintRect(s.rect);
        break;
    case Shape::Kind::Oval:
        port.PaintOval(s.rect);
        break;
    case Shape::Kind::RoundRect:
        port.PaintRoundRect(s.rect, s.cornerSize);
        break;
    case Shape::Kind::Region:
        port.PaintRegion(*s.region);
        break;
    }
}

void EraseOn(DrawingPort& port, const Shape& s)
{
    switch (s.kind) {
    case Shape::Kind::Rectangle:
        port.EraseRect(s.rect);
        break;
    case Shape::Kind::Oval:
        port.EraseOval(s.rect);
        break;
    case Shape::Kind::RoundRect:
        port.EraseRoundRect(s.rect, s.cornerSize);
        break;
    case Shape::Kind::Region:
        port.EraseRegion(*s.region);
        break;
    }
}

void FrameOn(DrawingPort& port, const Shape& s)
{
    switch (s.kind) {
    case Shape::Kind::Rectangle:
        port.FrameRect(s.rect);
        break;
    case Shape::Kind::Oval:
        port.FrameOval(s.rect);
        break;
    case Shape::Kind::RoundRect:
        port.FrameRoundRect(s.rect, s.cornerSize);
        break;
    case Shape::Kind::Region:
        port.FrameRegion(*s.region);
        break;
    }
}

// Frame with a width on the current port (screen path).
void FrameWithWidth(DrawingPort& port, const Shape& s, int32_t width)
{
    if (width < 0)
        return;
    if (width > 1) {
        PenKeeper keep(port);
        port.SetPenSize(width, width);
        FrameOn(port, s);
        return;
    }
    FrameOn(port, s);
}

// The shape mapped into the print offscreen, corner sizes scaled with it.
struct MappedShape {
    Shape shape;
    Region region;
};

MappedShape MapShape(const OffscreenDrawing& context, const Shape& s)
{
    MappedShape m;
    m.shape = s;
    m.shape.rect = MapToOffscreen(context, s.rect);
    m.shape.cornerSize = s.cornerSize * context.factor;
    if (s.kind == Shape::Kind::Region) {
        m.region = MapToOffscreen(context, *s.region);
        m.shape.region = &m.region;
    }
    return m;
}

bool PrintingBlackWhite() { return GetDrawingState().outputKind == OutputKind::PrintBlackWhite; }

enum class PrintLayer { Fill, Mix, Clear };

// The print path of fill, mix and clear: the area is made opaque white first, then the colour (or the
// frame only, for clear) is laid over it.
void PrintShape(const Shape& s, PrintLayer layer, int32_t width, int32_t a, int32_t b)
{
    OffscreenDrawing context;
    if (BeginOffscreenRect(context, s.rect).IsEmpty())
        return;
    MappedShape m = MapShape(context, s);
    DrawingPort& world = *CurrentPort();
    world.SetForeColor(TableColor(kColorBlack));
    PaintOn(world, m.shape);
    CopyOffscreenDrawing(context, kOffscreenBitClear);
    int32_t scaledWidth = width >= 0 ? width * context.factor : width;
    if (layer == PrintLayer::Clear) {
        if (width >= 0) {
            FrameWithWidth(world, m.shape, std::max(scaledWidth, 1));
            CopyOffscreenDrawing(context, kOffscreenKeepFore);
        }
    } else {
        world.SetForeColor(context.savedPort->ForeColor());
        MixShape(m.shape, scaledWidth, a, b);
        CopyOffscreenDrawing(context, kOffscreenKeepFore);
    }
    CloseOffscreenDrawing(context);
}

}  // namespace

bool Shape::IsEmpty() const
{
    if (kind == Kind::Region)
        return region == nullptr || region->IsEmpty();
    return rect.IsEmpty();
}

void FrameShape(const Shape& shape, int32_t width)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || width < 0 || shape.IsEmpty())
        return;
    if (!PrintingBlackWhite()) {
        FrameWithWidth(*port, shape, width);
        return;
    }
    OffscreenDrawing context;
    if (BeginOffscreenRect(context, shape.rect).IsEmpty())
        return;
    MappedShape m = MapShape(context, shape);
    DrawingPort& world = *CurrentPort();
    world.SetForeColor(port->ForeColor());
    FrameWithWidth(world, m.shape, std::max(width, 1) * context.factor);
    CopyOffscreenDrawing(context, kOffscreenKeepFore);
    CloseOffscreenDrawing(context);
}

void FillShape(const Shape& shape, int32_t color)
{
    if (GetDrawingState().outputKind != OutputKind::Screen) {
        MixShape(shape, -1, color, color);
        return;
    }
    DrawingPort* port = CurrentPort();
    if (port == nullptr || shape.IsEmpty())
        return;
    PenKeeper keep(*port);
    SetForeColorMix(color, color);
    PaintOn(*port, shape);
}

void FillAndFrameShape(const Shape& shape, int32_t width, int32_t color)
{
    if (PrintingBlackWhite()) {
        MixShape(shape, width, color, color);
        return;
    }
    DrawingPort* port = CurrentPort();
    if (port == nullptr || shape.IsEmpty())
        return;
    {
        PenKeeper keep(*port);
        SetForeColorMix(color, color);
        PaintOn(*port, shape);
    }
    FrameWithWidth(*port, shape, width);
}

void MixShape(const Shape& shape, int32_t width, int32_t colorA, int32_t colorB)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || shape.IsEmpty())
        return;
    if (PrintingBlackWhite()) {
        PrintShape(shape, PrintLayer::Mix, width, colorA, colorB);
        return;
    }
    {
        PenKeeper keep(*port);
        SetForeColorMix(colorA, colorB);
        PaintOn(*port, shape);
    }
    FrameWithWidth(*port, shape, width);
}

void ClearShape(const Shape& shape, int32_t width)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || shape.IsEmpty())
        return;
    if (PrintingBlackWhite()) {
        PrintShape(shape, PrintLayer::Clear, width, 0, 0);
        return;
    }
    EraseOn(*port, shape);
    FrameWithWidth(*port, shape, width);
}

void FrameOvalShape(const Rect& r)
{
    if (DrawingPort* port = CurrentPort())
        port->FrameOval(r);
}

void FrameRoundRectShape(const Rect& r, int32_t corner)
{
    if (DrawingPort* port = CurrentPort())
        port->FrameRoundRect(r, corner);
}

void DrawTopLeftEdges(const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    port->MoveTo(rect.right - 1, rect.top);
    port->LineTo(rect.left, rect.top);
    port->LineTo(rect.left, rect.bottom - 1);
}

void DrawBottomRightEdges(const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    port->MoveTo(rect.right - 1, rect.top);
    port->LineTo(rect.right - 1, rect.bottom - 1);
    port->LineTo(rect.left, rect.bottom - 1);
}

void FrameRectShadow(const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    port->FrameRect(rect);
    port->MoveTo(rect.right, rect.top + 2);
    port->LineTo(rect.right, rect.bottom);
    port->LineTo(rect.left + 2, rect.bottom);
}

void FrameRectPattern(const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    PenKeeper keep(*port);
    SetPenPatternAligned(FixedPenPattern(FixedPen::Dotted));
    port->FrameRect(rect);
}

void FrameRegionPattern(const Region& region)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || region.IsEmpty())
        return;
    PenKeeper keep(*port);
    SetPenPatternAligned(FixedPenPattern(FixedPen::Dotted));
    port->FrameRegion(region);
}

void FrameRectXor(const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    PenKeeper keep(*port);
    SetPenPatternAligned(FixedPenPattern(FixedPen::Dotted));
    port->SetPenMode(PenMode::Xor);
    port->FrameRect(rect);
}

void HiliteRect(const Rect& rect) { HiliteRegion(Region(rect)); }

void HiliteRegion(const Region& region)
{
    if (DrawingPort* port = CurrentPort())
        port->HiliteRegion(region, TableColor(kColorHighlight));
}

void PaintPolygon(std::span<const Point> points)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    port->PaintPolygon(points);
    port->FramePolygon(points);
}

void DrawLine(Point from, Point to)
{
    if (DrawingPort* port = CurrentPort()) {
        port->MoveTo(from.h, from.v);
        port->LineTo(to.h, to.v);
    }
}

void DrawLineRel(int32_t h, int32_t v, int32_t dh, int32_t dv)
{
    if (DrawingPort* port = CurrentPort()) {
        port->MoveTo(h, v);
        port->LineTo(h + dh, v + dv);
    }
}

void DrawThickLine(int32_t h, int32_t v, int32_t dh, int32_t dv, int32_t penWidth, int32_t penHeight)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    double lineWidth = GetDrawingState().printLineWidth;
    int32_t backH = int32_t(std::floor(penWidth * lineWidth * 0.5));
    int32_t backV = int32_t(std::floor(penHeight * lineWidth * 0.5));
    PenKeeper keep(*port);
    port->SetPenSize(penWidth, penHeight);
    port->MoveTo(h - backH, v - backV);
    port->LineTo(h - backH + dh, v - backV + dv);
    port->SetPenSize(1, 1);
}

namespace {

void PatternLine(int32_t h, int32_t v, int32_t dh, int32_t dv, LineStyle style)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    PenKeeper keep(*port);
    SetPenPatternAligned(FixedPenPattern(style == LineStyle::Dashed ? FixedPen::Dashed : FixedPen::Dotted));
    port->SetPenSize(1, 1);
    port->SetPenMode(style == LineStyle::Xor ? PenMode::Xor : PenMode::Copy);
    port->MoveTo(h, v);
    port->LineTo(h + dh, v + dv);
}

}  // namespace

void DrawHLinePattern(int32_t h, int32_t v, int32_t length, LineStyle style)
{
    if (length > 0)
        PatternLine(h, v, length - 1, 0, style);
}

void DrawVLinePattern(int32_t h, int32_t v, int32_t length, LineStyle style)
{
    if (length > 0)
        PatternLine(h, v, 0, length - 1, style);
}

void PenPath::LineBy(int32_t dh, int32_t dv)
{
    segments.push_back(Segment{dv, dh, false});
    current = Point{ClampCoordinate(current.v + dv), ClampCoordinate(current.h + dh)};
}

void PenPath::LineTo(int32_t h, int32_t v) { LineBy(h - current.h, v - current.v); }

void PenPath::MoveBy(int32_t dh, int32_t dv)
{
    segments.push_back(Segment{dv, dh, true});
    current = Point{ClampCoordinate(current.v + dv), ClampCoordinate(current.h + dh)};
}

void PenPath::MoveTo(int32_t h, int32_t v) { MoveBy(h - current.h, v - current.v); }

void PenPath::Offset(int32_t dh, int32_t dv)
{
    start = Point{ClampCoordinate(start.v + dv), ClampCoordinate(start.h + dh)};
    current = Point{ClampCoordinate(current.v + dv), ClampCoordinate(current.h + dh)};
}

void PenPath::Draw() const
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    int32_t h = start.h;
    int32_t v = start.v;
    port->MoveTo(h, v);
    for (const Segment& s : segments) {
        h += s.dh;
        v += s.dv;
        if (s.move)
            port->MoveTo(h, v);
        else
            port->LineTo(h, v);
    }
}

}  // namespace vek
