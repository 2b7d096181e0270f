// Tests of Geometry: the rectangle helpers, edges outside, argument orders and the circle's angles.
#include "drawing/Geometry.h"

#include <gtest/gtest.h>

#include <numbers>

namespace vek {
namespace {

TEST(GeometryTest, PointInRectLeavesBottomAndRightEdgesOut)
{
    Rect r = MakeRect(10, 20, 30, 40);  // left, top, right, bottom
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.left, 10);
    struct Case {
        int16_t v, h;
        bool inside;
    } cases[] = {{20, 10, true}, {39, 29, true}, {40, 15, false}, {25, 30, false}, {19, 15, false}, {25, 9, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v << "," << c.h);
        EXPECT_EQ(IsPointInRect(PackPoint(Point{c.v, c.h}), r), c.inside);
    }
}

TEST(GeometryTest, RectangleHelpers)
{
    Rect r = MakeRect(0, 0, 10, 20);
    OutsetRect(r, 2);
    EXPECT_EQ(r, MakeRect(-2, -2, 12, 22));
    OutsetRectHV(r, -2, 0);
    EXPECT_EQ(r, MakeRect(0, -2, 10, 22));
    ShiftRect(r, 5, 1);
    EXPECT_EQ(r, MakeRect(5, -1, 15, 23));
    UnionRectInto(r, MakeRect(0, 0, 3, 30));
    EXPECT_EQ(r, MakeRect(0, -1, 15, 30));
    EXPECT_TRUE(RectInRect(MakeRect(0, -1, 15, 30), r));
    EXPECT_FALSE(RectInRect(MakeRect(0, -1, 16, 30), r));

    OriginSize os;
    RectToOriginSize(os, MakeRect(3, 4, 13, 24));
    EXPECT_EQ(os.height, 20);
    EXPECT_EQ(os.width, 10);
    Rect back;
    OriginSizeToRect(back, os);
    EXPECT_EQ(back, MakeRect(3, 4, 13, 24));

    Rect spanned;
    RectFromPoints(spanned, Point{30, 5}, Point{10, 25});
    EXPECT_EQ(spanned, MakeRect(5, 10, 25, 30));
    Rect around;
    RectAroundPoint(around, Point{100, 50}, 4, 6);
    EXPECT_EQ(around, MakeRect(46, 94, 54, 106));
    SwapRectAxes(around);
    EXPECT_EQ(around, MakeRect(94, 46, 106, 54));
    // Coordinates beyond 16 bits are clamped, not wrapped.
    EXPECT_EQ(MakeRect(0, 0, 40000, -40000).right, 32767);
    EXPECT_EQ(MakeRect(0, 0, 40000, -40000).bottom, -32768);
}

TEST(GeometryTest, PointOnCircleStartsUpAndTurnsClockwise)
{
    struct Case {
        double angle;
        Point expected;
    } cases[] = {{0.0, {90, 100}}, {std::numbers::pi / 2, {100, 110}}, {std::numbers::pi, {110, 100}},
                 {3 * std::numbers::pi / 2, {100, 90}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        Point p;
        PointOnCircle(p, Point{100, 100}, 10, c.angle);
        EXPECT_EQ(p, c.expected);
    }
}

}  // namespace
}  // namespace vek
