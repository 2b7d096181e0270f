// Geometry: the helpers every pane uses on points and rectangles (platform/events/Coordinates.h).
#pragma once

#include <cstdint>

#include "platform/events/Coordinates.h"

namespace vek {

// A rectangle as its corner and its size.
struct OriginSize {
    int16_t top = 0;
    int16_t left = 0;
    int16_t height = 0;
    int16_t width = 0;
};

// A point packed in one word: the vertical part in the high half.
constexpr uint32_t PackPoint(Point p) { return (uint32_t(uint16_t(p.v)) << 16) | uint16_t(p.h); }
constexpr Point UnpackPoint(uint32_t packed) { return Point{int16_t(packed >> 16), int16_t(packed & 0xFFFF)}; }

// Note the order of the arguments: left, top, right, bottom.
void InitRect(Rect& rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
Rect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom);

// Inside when top <= v < bottom and left <= h < right.
bool IsPointInRect(uint32_t packedPoint, const Rect& rect);
bool IsPointInRect(Point point, const Rect& rect);

void ShiftRect(Rect& rect, int32_t dh, int32_t dv);
// Grows the rectangle by n on every side (shrinks it for negative n).
void OutsetRect(Rect& rect, int32_t n);
void OutsetRectHV(Rect& rect, int32_t dh, int32_t dv);
// The smallest rectangle holding both (an empty one counts with its corners as they are).
void UnionRectInto(Rect& rect, const Rect& other);
// All four edges of inner inside outer; edges may coincide.
bool RectInRect(const Rect& inner, const Rect& outer);
bool RectsEqual(const Rect& a, const Rect& b);
// The common part of two rectangles; an empty rectangle at (0, 0) when they do not meet.
Rect IntersectRects(const Rect& a, const Rect& b);

void RectToOriginSize(OriginSize& out, const Rect& rect);
void OriginSizeToRect(Rect& out, const OriginSize& originSize);
// The normalised rectangle spanning two points.
void RectFromPoints(Rect& out, Point p1, Point p2);
// (v - dv, h - dh, v + dv, h + dh).
void RectAroundPoint(Rect& out, Point centre, int32_t dh, int32_t dv);
// Exchanges the horizontal and vertical coordinates of both corners.
void SwapRectAxes(Rect& rect);
// The point at the angle (radians, 0 up, growing clockwise) on the circle around the centre.
void PointOnCircle(Point& out, Point centre, int32_t radius, double angle);

// A coordinate cut into the 16 bits of a point.
constexpr int16_t ClampCoordinate(int32_t value)
{
    return int16_t(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
}

}  // namespace vek
