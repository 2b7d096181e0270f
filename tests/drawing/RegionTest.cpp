// Tests of Region: arithmetic, tests and builders, checked by pixel counts and bounds.
#include "drawing/Region.h"

#include <gtest/gtest.h>

#include <numbers>

namespace vek {
namespace {

int64_t Area(const Region& region)
{
    int64_t area = 0;
    for (int32_t i = 0; i < region.RectCount(); ++i)
        area += int64_t(region.RectAt(i).Width()) * region.RectAt(i).Height();
    return area;
}

TEST(RegionTest, ArithmeticByTable)
{
    enum class Op { Union, Intersect, Subtract, Xor };
    struct Case {
        const char* name;
        Rect a, b;
        Op op;
        int64_t area;
        Rect bounds;
    } cases[] = {
        {"union overlapping", MakeRect(0, 0, 10, 10), MakeRect(5, 5, 15, 15), Op::Union, 175, MakeRect(0, 0, 15, 15)},
        {"union disjoint", MakeRect(0, 0, 2, 2), MakeRect(10, 10, 12, 12), Op::Union, 8, MakeRect(0, 0, 12, 12)},
        {"intersect", MakeRect(0, 0, 10, 10), MakeRect(5, 5, 15, 15), Op::Intersect, 25, MakeRect(5, 5, 10, 10)},
        {"intersect apart", MakeRect(0, 0, 5, 5), MakeRect(5, 5, 9, 9), Op::Intersect, 0, Rect{}},
        {"subtract", MakeRect(0, 0, 10, 10), MakeRect(5, 5, 15, 15), Op::Subtract, 75, MakeRect(0, 0, 10, 10)},
        {"subtract hole", MakeRect(0, 0, 10, 10), MakeRect(2, 2, 8, 8), Op::Subtract, 64, MakeRect(0, 0, 10, 10)},
        {"subtract all", MakeRect(2, 2, 8, 8), MakeRect(0, 0, 10, 10), Op::Subtract, 0, Rect{}},
        {"xor", MakeRect(0, 0, 10, 10), MakeRect(5, 5, 15, 15), Op::Xor, 150, MakeRect(0, 0, 15, 15)},
        {"xor itself", MakeRect(0, 0, 10, 10), MakeRect(0, 0, 10, 10), Op::Xor, 0, Rect{}},
        {"empty rect", MakeRect(5, 5, 5, 9), MakeRect(0, 0, 3, 3), Op::Union, 9, MakeRect(0, 0, 3, 3)},
        {"inverted rect", MakeRect(9, 9, 0, 0), MakeRect(0, 0, 3, 3), Op::Union, 9, MakeRect(0, 0, 3, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Region r(c.a);
        switch (c.op) {
        case Op::Union:
            AddRectToRegion(r, c.b);
            break;
        case Op::Intersect:
            IntersectRegionWithRect(r, c.b);
            break;
        case Op::Subtract:
            SubtractRectFromRegion(r, c.b);
            break;
        case Op::Xor:
            XorRectIntoRegion(r, c.b);
            break;
        }
        EXPECT_EQ(Area(r), c.area);
        EXPECT_EQ(r.Bounds(), c.bounds);
        EXPECT_EQ(r.IsEmpty(), c.area == 0);
    }
}

TEST(RegionTest, Tests)
{
    Region ring(MakeRect(0, 0, 10, 10));
    SubtractRectFromRegion(ring, MakeRect(2, 2, 8, 8));
    EXPECT_FALSE(RectIntersectsRegion(MakeRect(3, 3, 7, 7), ring));
    EXPECT_TRUE(RectIntersectsRegion(MakeRect(1, 1, 3, 3), ring));
    EXPECT_TRUE(RegionInRegion(ring, Region(MakeRect(0, 0, 10, 10))));
    EXPECT_FALSE(RegionInRegion(Region(MakeRect(0, 0, 10, 10)), ring));
    EXPECT_TRUE(RegionInRegion(Region(), ring));  // the empty region lies in every region
    EXPECT_FALSE(RegionsIntersect(ring, Region(MakeRect(3, 3, 7, 7))));
    EXPECT_TRUE(RegionBoundsInRect(ring, MakeRect(0, 0, 10, 10)));
    EXPECT_FALSE(RegionBoundsInRect(ring, MakeRect(0, 0, 9, 10)));
    EXPECT_FALSE(ring.Contains(Point{5, 5}));
    EXPECT_TRUE(ring.Contains(Point{0, 9}));
    EXPECT_FALSE(ring.Contains(Point{10, 0}));

    Region moved(ring);
    moved.Offset(5, -5);
    EXPECT_EQ(moved.Bounds(), MakeRect(5, -5, 15, 5));
    EXPECT_FALSE(moved == ring);
    moved.Offset(-5, 5);
    EXPECT_TRUE(moved == ring);
    Region taken(std::move(moved));
    EXPECT_TRUE(taken == ring);
    EXPECT_TRUE(moved.IsEmpty());  // a moved-from region is a valid empty one
    EXPECT_EQ(ring.RectAt(-1), Rect{});
    EXPECT_EQ(ring.RectAt(ring.RectCount()), Rect{});
}

TEST(RegionTest, ShapeBuilders)
{
    Region oval;
    OvalRegion(oval, MakeRect(0, 0, 20, 20));
    EXPECT_EQ(oval.Bounds(), MakeRect(0, 0, 20, 20));
    EXPECT_NEAR(double(Area(oval)), std::numbers::pi * 100.0, 12.0);
    // Symmetric: mirrored pixels agree.
    for (int16_t v = 0; v < 20; ++v) {
        for (int16_t h = 0; h < 20; ++h)
            EXPECT_EQ(oval.Contains(Point{v, h}), oval.Contains(Point{int16_t(19 - v), int16_t(19 - h)}));
    }
    Region around;
    OvalRegionAround(around, Point{10, 10}, 10, 10);
    EXPECT_TRUE(around == oval);

    Region round;
    RoundRectRegion(round, MakeRect(0, 0, 40, 20), 10);
    EXPECT_EQ(round.Bounds(), MakeRect(0, 0, 40, 20));
    EXPECT_FALSE(round.Contains(Point{0, 0}));
    EXPECT_TRUE(round.Contains(Point{10, 0}));
    Region square;
    RoundRectRegion(square, MakeRect(0, 0, 40, 20), 0);
    EXPECT_EQ(Area(square), 800);

    const Point triangle[] = {{0, 0}, {0, 10}, {10, 0}};
    Region tri;
    PolygonRegion(tri, triangle);
    EXPECT_EQ(Area(tri), 45);  // pixels whose centres lie inside
    Region none;
    PolygonRegion(none, std::span<const Point>(triangle, 2));
    EXPECT_TRUE(none.IsEmpty());

    // A quarter wedge from up to right: a quarter of the circle, all of it up and right of the centre.
    Region wedge;
    WedgeRegion(wedge, Point{50, 50}, 20, 0.0, std::numbers::pi / 2);
    EXPECT_NEAR(double(Area(wedge)), std::numbers::pi * 400.0 / 4.0, 20.0);
    EXPECT_TRUE(RegionBoundsInRect(wedge, MakeRect(50, 30, 70, 50)));
    // Nearly the whole circle stays inside the circle.
    Region big;
    WedgeRegion(big, Point{50, 50}, 20, 0.0, 6.0);
    Region circle;
    OvalRegionAround(circle, Point{50, 50}, 20, 20);
    EXPECT_TRUE(RegionInRegion(big, circle));
    EXPECT_GT(Area(big), Area(circle) * 9 / 10);

    Region box;
    SlantedBoxRegion(box, 100, 100, 20, 40, 6, -6, 1.0);
    EXPECT_EQ(box.Bounds(), MakeRect(90, 74, 116, 119));
}

}  // namespace
}  // namespace vek
