// Geometry: rectangle helpers; coordinates beyond 16 bits are clamped, never wrapped.
#include "drawing/Geometry.h"

#include <algorithm>
#include <cmath>

namespace vek {

void InitRect(Rect& rect, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    rect.left = ClampCoordinate(left);
    rect.top = ClampCoordinate(top);
    rect.right = ClampCoordinate(right);
    rect.bottom = ClampCoordinate(bottom);
}

Rect MakeRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Rect rect;
    InitRect(rect, left, top, right, bottom);
    return rect;
}

bool IsPointInRect(Point point, const Rect& rect)
{
    return point.v >= rect.top && point.v < rect.bottom && point.h >= rect.left && point.h < rect.right;
}

bool IsPointInRect(uint32_t packedPoint, const Rect& rect) { return IsPointInRect(UnpackPoint(packedPoint), rect); }

void ShiftRect(Rect& rect, int32_t dh, int32_t dv)
{
    InitRect(rect, rect.left + dh, rect.top + dv, rect.right + dh, rect.bottom + dv);
}

void OutsetRect(Rect& rect, int32_t n) { OutsetRectHV(rect, n, n); }

void OutsetRectHV(Rect& rect, int32_t dh, int32_t dv)
{
    InitRect(rect, rect.left - dh, rect.top - dv, rect.right + dh, rect.bottom + dv);
}

void UnionRectInto(Rect& rect, const Rect& other)
{
    rect.top = std::min(rect.top, other.top);
    rect.left = std::min(rect.left, other.left);
    rect.bottom = std::max(rect.bottom, other.bottom);
    rect.right = std::max(rect.right, other.right);
}

bool RectInRect(const Rect& inner, const Rect& outer)
{
    return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
           inner.right <= outer.right;
}

bool RectsEqual(const Rect& a, const Rect& b) { return a == b; }

Rect IntersectRects(const Rect& a, const Rect& b)
{
    Rect r{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
    return r.IsEmpty() ? Rect{} : r;
}

void RectToOriginSize(OriginSize& out, const Rect& rect)
{
    out.top = rect.top;
    out.left = rect.left;
    out.height = ClampCoordinate(rect.Height());
    out.width = ClampCoordinate(rect.Width());
}

void OriginSizeToRect(Rect& out, const OriginSize& originSize)
{
    InitRect(out, originSize.left, originSize.top, originSize.left + originSize.width,
             originSize.top + originSize.height);
}

void RectFromPoints(Rect& out, Point p1, Point p2)
{
    out.top = std::min(p1.v, p2.v);
    out.bottom = std::max(p1.v, p2.v);
    out.left = std::min(p1.h, p2.h);
    out.right = std::max(p1.h, p2.h);
}

void RectAroundPoint(Rect& out, Point centre, int32_t dh, int32_t dv)
{
    InitRect(out, centre.h - dh, centre.v - dv, centre.h + dh, centre.v + dv);
}

void SwapRectAxes(Rect& rect)
{
    std::swap(rect.top, rect.left);
    std::swap(rect.bottom, rect.right);
}

void PointOnCircle(Point& out, Point centre, int32_t radius, double angle)
{
    out.h = ClampCoordinate(int32_t(centre.h + std::lround(std::sin(angle) * radius)));
    out.v = ClampCoordinate(int32_t(centre.v - std::lround(std::cos(angle) * radius)));
}

}  // namespace vek
