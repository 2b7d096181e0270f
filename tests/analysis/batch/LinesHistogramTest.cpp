// The lines histogram: nice steps, and bins that hold every line row of the range.
#include "analysis/lines/LinesHistogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "BatchTestSupport.h"
#include "analysis/lines/LinesAnalysis.h"

namespace vek {
namespace {

TEST(LinesHistogramTest, NiceStepTakesTheFirstNiceValueNotBelow)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x;
        double step;
        int32_t decimals;
    };
    const Case cases[] = {
        {1.0, 1.0, 0},      {1.5, 2.0, 0},     {2.2, 2.5, 1},     {3.0, 5.0, 0},     {7.0, 10.0, 0},
        {10.0, 10.0, 0},    {0.3, 0.5, 1},     {0.021, 0.025, 3}, {120.0, 200.0, 0}, {999.0, 1000.0, 0},
        // Regression: a zero or non-finite range looped for ever; it gives step 1 and 0 decimals.
        {0.0, 1.0, 0},      {-3.0, 1.0, 0},    {inf, 1.0, 0},     {std::nan(""), 1.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        NiceStepResult result = NiceStep(c.x);
        EXPECT_DOUBLE_EQ(result.step, c.step);
        EXPECT_EQ(result.decimals, c.decimals);
    }
}

// The cash lines of the fixture: main values 100, 50, 70, -12.25, 5, 5 (six rows).
TEST(LinesHistogramTest, BinsCountEveryRowOfTheRange)
{
    batchtest::BatchFixtureBase fixture("Cash lines");
    ASSERT_TRUE(fixture.ok);
    const auto& engine = static_cast<const LinesAnalysis&>(*fixture.computation).Engine();
    ASSERT_EQ(engine.LineRowCount(), 6);
    double low = 0.0;
    double high = 0.0;
    engine.MainValueRange(low, high);
    EXPECT_EQ(low, -12.25);
    EXPECT_EQ(high, 100.0);
    // b = min(6 / 2 + 6, 77) = 9 bins wanted; (100 + 12.25) / 9 = 12.47 gives step 20 from -20.
    LinesHistogram histogram = BuildHistogram(engine, low, high);
    EXPECT_EQ(histogram.step, 20.0);
    EXPECT_EQ(histogram.start, -20.0);
    EXPECT_EQ(histogram.binCount, 7);
    const int32_t counts[] = {1, 2, 0, 1, 1, 0, 1};
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(histogram.counts[size_t(i)], counts[i]) << i;
    EXPECT_EQ(histogram.largestCount, 2);

    // A range that is not finite gives no bins.
    EXPECT_EQ(BuildHistogram(engine, 0.0, std::numeric_limits<double>::infinity()).binCount, 0);
}

}  // namespace
}  // namespace vek
