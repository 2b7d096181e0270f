// Region: pixel sets over Cairo's banded regions; shapes are rasterised row by row at pixel centres.
#include "drawing/Region.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace vek {

namespace {

cairo_rectangle_int_t ToCairo(const Rect& rect)
{
    if (rect.IsEmpty())
        return cairo_rectangle_int_t{0, 0, 0, 0};
    return cairo_rectangle_int_t{rect.left, rect.top, rect.Width(), rect.Height()};
}

Rect FromCairo(const cairo_rectangle_int_t& r)
{
    if (r.width <= 0 || r.height <= 0)
        return Rect{};
    return MakeRect(r.x, r.y, r.x + r.width, r.y + r.height);
}

// Spans of one pixel row, gathered into one region at the end (one allocation for the whole shape).
class RowSpans {
public:
    void Add(int32_t y, double x0, double x1)
    {
        // Pixel x is inside when its centre x + 0.5 lies in [x0, x1).
        int32_t left = int32_t(std::ceil(x0 - 0.5));
        int32_t right = int32_t(std::ceil(x1 - 0.5));
        left = std::max(left, -32768);
        right = std::min(right, 32767);
        if (right > left)
            rects.push_back(cairo_rectangle_int_t{left, y, right - left, 1});
    }
    void StoreInto(Region& region)
    {
        region.SetEmpty();
        CairoRegionHandle made(cairo_region_create_rectangles(rects.data(), int(rects.size())));
        if (cairo_region_status(made.get()) == CAIRO_STATUS_SUCCESS &&
            cairo_region_union(region.Handle(), made.get()) != CAIRO_STATUS_SUCCESS)
            region.SetEmpty();
    }

private:
    std::vector<cairo_rectangle_int_t> rects;
};

// Rows of an ellipse inside a rectangle's corners of diameters (ovalWidth, ovalHeight).
void RoundedRows(Region& region, const Rect& rect, double ovalWidth, double ovalHeight)
{
    RowSpans spans;
    if (!rect.IsEmpty()) {
        double a = std::min(ovalWidth, double(rect.Width())) / 2.0;
        double b = std::min(ovalHeight, double(rect.Height())) / 2.0;
        double topCentre = rect.top + b;
        double bottomCentre = rect.bottom - b;
        for (int32_t y = rect.top; y < rect.bottom; ++y) {
            double yc = y + 0.5;
            double inset = 0.0;
            double dy = yc < topCentre ? topCentre - yc : yc > bottomCentre ? yc - bottomCentre : 0.0;
            if (dy > 0.0 && b > 0.0) {
                double t = dy / b;
                inset = t >= 1.0 ? a : a - a * std::sqrt(1.0 - t * t);
            }
            spans.Add(y, rect.left + inset, rect.right - inset);
        }
    }
    spans.StoreInto(region);
}

}  // namespace

Region::Region() : region(cairo_region_create()) {}

Region::Region(const Rect& rect)
{
    cairo_rectangle_int_t r = ToCairo(rect);
    region.reset(cairo_region_create_rectangle(&r));
}

Region::~Region() = default;

Region::Region(const Region& other) : region(cairo_region_copy(other.region.get())) {}

Region& Region::operator=(const Region& other)
{
    if (this != &other)
        Keep(cairo_region_copy(other.region.get()));
    return *this;
}

Region::Region(Region&& other) noexcept
    : region(std::exchange(other.region, CairoRegionHandle(cairo_region_create())))
{
}

Region& Region::operator=(Region&& other) noexcept
{
    std::swap(region, other.region);
    return *this;
}

void Region::Keep(cairo_region_t* made)
{
    region.reset(made);
    if (cairo_region_status(region.get()) != CAIRO_STATUS_SUCCESS)
        region.reset(cairo_region_create());
}

bool Region::IsEmpty() const { return cairo_region_is_empty(region.get()) != 0; }

Rect Region::Bounds() const
{
    cairo_rectangle_int_t r;
    cairo_region_get_extents(region.get(), &r);
    return FromCairo(r);
}

bool Region::Contains(Point point) const { return cairo_region_contains_point(region.get(), point.h, point.v) != 0; }

int32_t Region::RectCount() const { return cairo_region_num_rectangles(region.get()); }

Rect Region::RectAt(int32_t index) const
{
    if (index < 0 || index >= RectCount())
        return Rect{};
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region.get(), index, &r);
    return FromCairo(r);
}

bool operator==(const Region& a, const Region& b) { return cairo_region_equal(a.region.get(), b.region.get()) != 0; }

void Region::SetEmpty() { Keep(cairo_region_create()); }

void Region::SetRect(const Rect& rect)
{
    cairo_rectangle_int_t r = ToCairo(rect);
    Keep(cairo_region_create_rectangle(&r));
}

void Region::Offset(int32_t dh, int32_t dv) { cairo_region_translate(region.get(), dh, dv); }

void Region::Union(const Region& other)
{
    if (cairo_region_union(region.get(), other.region.get()) != CAIRO_STATUS_SUCCESS)
        SetEmpty();
}

void Region::Intersect(const Region& other)
{
    if (cairo_region_intersect(region.get(), other.region.get()) != CAIRO_STATUS_SUCCESS)
        SetEmpty();
}

void Region::Subtract(const Region& other)
{
    if (cairo_region_subtract(region.get(), other.region.get()) != CAIRO_STATUS_SUCCESS)
        SetEmpty();
}

void Region::Xor(const Region& other)
{
    if (cairo_region_xor(region.get(), other.region.get()) != CAIRO_STATUS_SUCCESS)
        SetEmpty();
}

void AddRectToRegion(Region& region, const Rect& rect) { region.Union(Region(rect)); }
void SubtractRectFromRegion(Region& region, const Rect& rect) { region.Subtract(Region(rect)); }
void IntersectRegionWithRect(Region& region, const Rect& rect) { region.Intersect(Region(rect)); }
void XorRectIntoRegion(Region& region, const Rect& rect) { region.Xor(Region(rect)); }

bool RectIntersectsRegion(const Rect& rect, const Region& region)
{
    Region r(rect);
    r.Intersect(region);
    return !r.IsEmpty();
}

bool RegionsIntersect(const Region& a, const Region& b)
{
    Region r(a);
    r.Intersect(b);
    return !r.IsEmpty();
}

bool RegionBoundsInRect(const Region& region, const Rect& rect) { return RectInRect(region.Bounds(), rect); }

bool RegionInRegion(const Region& inner, const Region& outer)
{
    Region r(inner);
    r.Subtract(outer);
    return r.IsEmpty();
}

void RoundRectRegion(Region& region, const Rect& rect, int32_t cornerSize)
{
    RoundedRows(region, rect, std::max(cornerSize, 0), std::max(cornerSize, 0));
}

void OvalRegion(Region& region, const Rect& rect) { RoundedRows(region, rect, rect.Width(), rect.Height()); }

void OvalRegionAround(Region& region, Point centre, int32_t radiusH, int32_t radiusV)
{
    Rect rect;
    RectAroundPoint(rect, centre, radiusH, radiusV);
    OvalRegion(region, rect);
}

void PolygonRegion(Region& region, std::span<const Point> points)
{
    RowSpans spans;
    if (points.size() >= 3) {
        int32_t top = points[0].v;
        int32_t bottom = points[0].v;
        for (const Point& p : points) {
            top = std::min<int32_t>(top, p.v);
            bottom = std::max<int32_t>(bottom, p.v);
        }
        std::vector<double> crossings;
        for (int32_t y = top; y < bottom; ++y) {
            double yc = y + 0.5;
            crossings.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                const Point& a = points[i];
                const Point& b = points[(i + 1) % points.size()];
                if ((a.v <= yc) == (b.v <= yc))
                    continue;
                crossings.push_back(a.h + (yc - a.v) * double(b.h - a.h) / double(b.v - a.v));
            }
            std::sort(crossings.begin(), crossings.end());
            for (size_t i = 0; i + 1 < crossings.size(); i += 2)
                spans.Add(y, crossings[i], crossings[i + 1]);
        }
    }
    spans.StoreInto(region);
}

void WedgeRegion(Region& region, Point centre, int32_t radius, double angle0, double angle1)
{
    std::vector<Point> points{centre};
    Point p;
    PointOnCircle(p, centre, radius, angle0);
    points.push_back(p);
    // The outer points lie well outside the circle, so that the chords never cut into the arc that
    // the oval below leaves.
    int32_t outer = 2 * radius + 10;
    for (double a = angle0 - 0.5; a < angle1 && points.size() < 4096; a += 2.0) {
        PointOnCircle(p, centre, outer, a + 1.0);
        points.push_back(p);
    }
    PointOnCircle(p, centre, radius, angle1);
    points.push_back(p);
    PolygonRegion(region, points);
    Region circle;
    OvalRegionAround(circle, centre, radius, radius);
    region.Intersect(circle);
}

void SlantedBoxRegion(Region& region, int32_t h, int32_t v, int32_t width, int32_t height, int32_t dh, int32_t dv,
                      double lineWidth)
{
    int32_t startH = h - int32_t(std::floor(width * lineWidth * 0.5));
    int32_t startV = v - int32_t(std::floor(height * lineWidth * 0.5));
    auto at = [](int32_t ph, int32_t pv) { return Point{ClampCoordinate(pv), ClampCoordinate(ph)}; };
    const Point top[] = {at(startH, startV), at(startH + dh, startV + dv), at(startH + dh + width, startV + dv),
                         at(startH + width, startV)};
    // The side face stands on the bar's right edge.
    int32_t sideH = startH + width;
    const Point side[] = {at(sideH, startV), at(sideH + dh, startV + dv), at(sideH + dh, startV + dv + height),
                          at(sideH, startV + height)};
    PolygonRegion(region, top);
    Region sideRegion;
    PolygonRegion(sideRegion, side);
    region.Union(sideRegion);
}

}  // namespace vek
