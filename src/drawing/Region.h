// Region: a set of pixels made of rectangles, with its arithmetic, tests and shape builders.
#pragma once

#include <cstdint>
#include <span>

#include "drawing/CairoHandles.h"
#include "drawing/Geometry.h"

namespace vek {

// A set of whole pixels, kept as non-overlapping rectangles. Every operation keeps the region valid:
// a failed allocation inside leaves an empty region (Cairo's error region is never kept).
class Region {
public:
    Region();
    explicit Region(const Rect& rect);
    ~Region();
    Region(const Region& other);
    Region& operator=(const Region& other);
    Region(Region&& other) noexcept;
    Region& operator=(Region&& other) noexcept;

    bool IsEmpty() const;
    // The smallest rectangle holding the region; empty at (0, 0) for an empty region.
    Rect Bounds() const;
    bool Contains(Point point) const;
    int32_t RectCount() const;
    Rect RectAt(int32_t index) const;
    friend bool operator==(const Region& a, const Region& b);

    void SetEmpty();
    void SetRect(const Rect& rect);
    void Offset(int32_t dh, int32_t dv);
    void Union(const Region& other);
    void Intersect(const Region& other);
    void Subtract(const Region& other);
    void Xor(const Region& other);

    // The handle for the drawing code of this layer.
    _cairo_region* Handle() const { return region.get(); }

private:
    // Takes the made region, or an empty one in place of Cairo's error region.
    void Keep(_cairo_region* made);
    CairoRegionHandle region;  // never null
};

void AddRectToRegion(Region& region, const Rect& rect);
void SubtractRectFromRegion(Region& region, const Rect& rect);
void IntersectRegionWithRect(Region& region, const Rect& rect);
void XorRectIntoRegion(Region& region, const Rect& rect);

// Tests.
bool RectIntersectsRegion(const Rect& rect, const Region& region);
// True when the intersection is not empty.
bool RegionsIntersect(const Region& a, const Region& b);
// True when the region's bounds lie inside the rectangle.
bool RegionBoundsInRect(const Region& region, const Rect& rect);
// True when the first minus the second is empty.
bool RegionInRegion(const Region& inner, const Region& outer);

// Builders: each replaces the region's contents. A pixel belongs to a shape when its centre does.
void RoundRectRegion(Region& region, const Rect& rect, int32_t cornerSize);
void OvalRegion(Region& region, const Rect& rect);
void OvalRegionAround(Region& region, Point centre, int32_t radiusH, int32_t radiusV);
// The polygon closed back to its first point, filled by the even-odd rule.
void PolygonRegion(Region& region, std::span<const Point> points);
// A pie slice of the circle of radius r around c between the angles a0 < a1 (radians, 0 up, clockwise).
void WedgeRegion(Region& region, Point centre, int32_t radius, double angle0, double angle1);
// A chart bar's top and side faces at (h, v), width w, height h0, depth offset (dh, dv); lineWidth is
// the print line width, which centres the bar on the point.
void SlantedBoxRegion(Region& region, int32_t h, int32_t v, int32_t width, int32_t height, int32_t dh, int32_t dv,
                      double lineWidth);

}  // namespace vek
