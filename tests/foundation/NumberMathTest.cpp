// Tests of NumberMath: classifying, signs and comparison of doubles, powers of ten and logarithms.
#include "foundation/numbers/NumberMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace vek {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(NumberMathTest, ClassifySignAndCompareDoubles)
{
    struct Case {
        double x;
        int32_t classification;
        double sign;
    };
    const Case cases[] = {
        {0.0, 0, 0.0},  {-0.0, 0, 0.0},         {2.5, 1, 1.0},      {-2.5, 2, -1.0}, {1e308, 1, 1.0},
        {kInfinity, 3, 1.0}, {-kInfinity, 4, -1.0}, {kNan, 5, 0.0}, {5e-324, 1, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(ClassifyDouble(c.x), c.classification);
        EXPECT_EQ(SignOf(c.x), c.sign);
    }

    struct Comparison {
        double a;
        double b;
        int32_t expected;
    };
    const Comparison comparisons[] = {
        {1, 2, -1}, {2, 1, 1}, {1, 1, 0}, {kNan, 1, 1}, {1, kNan, -1}, {kNan, kNan, 0}, {kNan, kInfinity, 1},
    };
    for (const Comparison& c : comparisons) {
        SCOPED_TRACE(std::to_string(c.a) + " vs " + std::to_string(c.b));
        EXPECT_EQ(CompareDoubles(c.a, c.b), c.expected);
    }
}

TEST(NumberMathTest, PowersOfTenAndDecimalExponents)
{
    EXPECT_EQ(PowerOfTen(0), 1.0);
    EXPECT_EQ(PowerOfTen(15), 1e15);
    EXPECT_EQ(PowerOfTen(-3), 1e12 * 1e-15) << "from the table";
    EXPECT_DOUBLE_EQ(PowerOfTen(-3), 0.001);
    EXPECT_DOUBLE_EQ(PowerOfTen(-15), 1e-15);
    EXPECT_EQ(PowerOfTen(16), std::pow(10.0, 16.0));
    EXPECT_EQ(PowerOfTen(-16), std::pow(10.0, -16.0));

    struct Case {
        double x;
        int32_t expected;
    };
    const Case cases[] = {
        {1, 0},       {9.99, 0},     {10, 1},     {999, 2},      {1000, 3},  {123456789, 8},  {1e300, 300},
        {0.5, -1},    {0.05, -2},    {0.001, -3}, {1e-300, -300}, {5e-324, -324},
        {0, 0},       {-5, 0},       {kNan, 0},   {kInfinity, 0},  // no leading digit: 0, and no endless loop
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(DecimalExponent(c.x), c.expected);
    }
}

TEST(NumberMathTest, FloorLog2)
{
    struct Case {
        int64_t n;
        int32_t expected;
    };
    const Case cases[] = {{-7, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {1023, 9}, {1024, 10}, {INT32_MAX, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(FloorLog2(int32_t(c.n)), c.expected);
        EXPECT_EQ(FloorLog2Int64(c.n), c.expected);
    }
    EXPECT_EQ(FloorLog2Int64(INT64_MAX), 62);
    EXPECT_EQ(FloorLog2Int64(int64_t(1) << 40), 40);
}

}  // namespace
}  // namespace vek
