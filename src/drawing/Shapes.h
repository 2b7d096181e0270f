// Shapes: frames, fills, mixes and clears of rectangles, ovals, rounded rectangles and regions in the
// program's colour indices, lines and pen paths; black-and-white printing goes through an offscreen.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "drawing/Geometry.h"
#include "drawing/Region.h"

namespace vek {

// One shape of the four families.
struct Shape {
    enum class Kind { Rectangle, Oval, RoundRect, Region };
    Kind kind = Kind::Rectangle;
    Rect rect;
    int32_t cornerSize = 0;
    const Region* region = nullptr;

    static Shape OfRect(const Rect& r) { return Shape{Kind::Rectangle, r, 0, nullptr}; }
    static Shape OfOval(const Rect& r) { return Shape{Kind::Oval, r, 0, nullptr}; }
    static Shape OfRoundRect(const Rect& r, int32_t corner) { return Shape{Kind::RoundRect, r, corner, nullptr}; }
    static Shape OfRegion(const Region& r) { return Shape{Kind::Region, r.Bounds(), 0, &r}; }
    bool IsEmpty() const;
};

// The families, on any shape. Colours are colour indices (0-30); a width below 0 means no frame,
// 0 and 1 frame with the current pen, larger widths with a square pen of that size. Each restores the
// pen and fore colour it changed; an empty shape draws nothing on any path.
void FrameShape(const Shape& shape, int32_t width);
void FillShape(const Shape& shape, int32_t color);
// Paints, then frames in the current fore colour when width >= 0.
void FillAndFrameShape(const Shape& shape, int32_t width, int32_t color);
// Paints with SetForeColorMix(a, b), then frames when width >= 0.
void MixShape(const Shape& shape, int32_t width, int32_t colorA, int32_t colorB);
// Erases to the back colour, then frames when width >= 0 (an opaque white while printing).
void ClearShape(const Shape& shape, int32_t width = -1);

// The named members.
inline void FrameRectWidth(const Rect& r, int32_t width) { FrameShape(Shape::OfRect(r), width); }
inline void FillRectColor(const Rect& r, int32_t color) { FillShape(Shape::OfRect(r), color); }
inline void FillAndFrameRect(const Rect& r, int32_t width, int32_t color) { FillAndFrameShape(Shape::OfRect(r), width, color); }
inline void FillRectColorMix(const Rect& r, int32_t width, int32_t a, int32_t b) { MixShape(Shape::OfRect(r), width, a, b); }
inline void ClearRect(const Rect& r, int32_t width = -1) { ClearShape(Shape::OfRect(r), width); }
inline void FrameOvalWidth(const Rect& r, int32_t width) { FrameShape(Shape::OfOval(r), width); }
void FrameOvalShape(const Rect& r);
inline void FillOvalColor(const Rect& r, int32_t color) { FillShape(Shape::OfOval(r), color); }
inline void FillAndFrameOval(const Rect& r, int32_t width, int32_t color) { FillAndFrameShape(Shape::OfOval(r), width, color); }
inline void FillOvalColorMix(const Rect& r, int32_t width, int32_t a, int32_t b) { MixShape(Shape::OfOval(r), width, a, b); }
inline void ClearOval(const Rect& r, int32_t width = -1) { ClearShape(Shape::OfOval(r), width); }
inline void FrameRoundRectWidth(const Rect& r, int32_t corner, int32_t width) { FrameShape(Shape::OfRoundRect(r, corner), width); }
void FrameRoundRectShape(const Rect& r, int32_t corner);
inline void FillRoundRectColor(const Rect& r, int32_t corner, int32_t color) { FillShape(Shape::OfRoundRect(r, corner), color); }
inline void FillAndFrameRoundRect(const Rect& r, int32_t corner, int32_t width, int32_t color)
{
    FillAndFrameShape(Shape::OfRoundRect(r, corner), width, color);
}
inline void FillRoundRectColorMix(const Rect& r, int32_t corner, int32_t width, int32_t a, int32_t b)
{
    MixShape(Shape::OfRoundRect(r, corner), width, a, b);
}
inline void ClearRoundRect(const Rect& r, int32_t corner, int32_t width = -1) { ClearShape(Shape::OfRoundRect(r, corner), width); }
inline void FrameRegionWidth(const Region& r, int32_t width) { FrameShape(Shape::OfRegion(r), width); }
inline void FillRegionColor(const Region& r, int32_t color) { FillShape(Shape::OfRegion(r), color); }
inline void FillRegionColorMix(const Region& r, int32_t width, int32_t a, int32_t b) { MixShape(Shape::OfRegion(r), width, a, b); }
inline void ClearRegion(const Region& r) { ClearShape(Shape::OfRegion(r), -1); }

// Rectangle extras.
void DrawTopLeftEdges(const Rect& rect);
void DrawBottomRightEdges(const Rect& rect);
// Frames the rectangle and draws a shadow along its right and bottom outside.
void FrameRectShadow(const Rect& rect);
// Frames with the dotted pen.
void FrameRectPattern(const Rect& rect);
void FrameRegionPattern(const Region& region);
// Frames with the dotted pen inverting what is below: drawing it twice removes it.
void FrameRectXor(const Rect& rect);
// Exchanges the back colour and the highlight colour (23) inside the shape.
void HiliteRect(const Rect& rect);
void HiliteRegion(const Region& region);
// Paints and frames the closed polygon in the current colours.
void PaintPolygon(std::span<const Point> points);

// Lines with the current pen.
void DrawLine(Point from, Point to);
void DrawLineRel(int32_t h, int32_t v, int32_t dh, int32_t dv);
// A line drawn with a pen of the given size, centred on the line (the print line width counts).
void DrawThickLine(int32_t h, int32_t v, int32_t dh, int32_t dv, int32_t penWidth, int32_t penHeight);
// Lines of `length` pixels with the dotted pen, inverting (XOR), or dashed.
enum class LineStyle { Dotted, Xor, Dashed };
void DrawHLinePattern(int32_t h, int32_t v, int32_t length, LineStyle style = LineStyle::Dotted);
void DrawVLinePattern(int32_t h, int32_t v, int32_t length, LineStyle style = LineStyle::Dotted);

// A recorded sequence of lines and moves, drawn later from its start point.
class PenPath {
public:
    PenPath() = default;
    void LineBy(int32_t dh, int32_t dv);
    void LineTo(int32_t h, int32_t v);
    void LineTo(Point p) { LineTo(p.h, p.v); }
    void MoveBy(int32_t dh, int32_t dv);
    void MoveTo(int32_t h, int32_t v);
    void MoveTo(Point p) { MoveTo(p.h, p.v); }
    // Moves the start and the current point.
    void Offset(int32_t dh, int32_t dv);
    // Moves to the start point, then draws each segment in order with the current pen.
    void Draw() const;
    int32_t SegmentCount() const { return int32_t(segments.size()); }
    Point Start() const { return start; }
    Point Current() const { return current; }

private:
    // Moves are marked by a flag of their own, so a line may be as long as a coordinate allows.
    struct Segment {
        int32_t dv;
        int32_t dh;
        bool move;
    };
    Point start;
    Point current;
    std::vector<Segment> segments;
};

}  // namespace vek
