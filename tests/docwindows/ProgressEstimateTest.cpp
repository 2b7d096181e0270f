// ProgressEstimateTest: repaint pacing, the bar scale, and the time-left estimate from rate samples.
#include "docwindows/ProgressEstimate.h"

#include <gtest/gtest.h>

namespace vek {
namespace {

TEST(ProgressEstimate, ZeroTotalFillsTheBarWithOneUnit)
{
    ProgressEstimate estimate;
    estimate.Start(0, 1000, false);
    EXPECT_DOUBLE_EQ(estimate.Scale(), 274.0);
    ASSERT_TRUE(estimate.Pace(1, 1000));
    EXPECT_EQ(estimate.BarPosition(), 274);
}

TEST(ProgressEstimate, RepaintIntervalHalvesOnBigMovesAndDoublesWhenStill)
{
    ProgressEstimate estimate;
    estimate.Start(999, 0, false);
    ASSERT_TRUE(estimate.Pace(100, 0));  // 27 pixels: faster
    EXPECT_EQ(estimate.Interval(), 100);
    EXPECT_FALSE(estimate.Pace(200, 50)) << "nothing is drawn before the next repaint time";
    ASSERT_TRUE(estimate.Pace(100, 100));  // still at 27 pixels: slower
    EXPECT_EQ(estimate.Interval(), 200);
    int64_t now = 300;
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(estimate.Pace(100, now));
        now += estimate.Interval();
    }
    EXPECT_EQ(estimate.Interval(), 1600) << "doubling stops once the interval passes 999 ms";
}

TEST(ProgressEstimate, SteadyRateGivesTheTimeLeft)
{
    ProgressEstimate estimate;
    estimate.Start(100000, 0, false);
    // 10 units a millisecond: 10,000 a second.
    int64_t done = 0;
    for (int64_t now = 100; now <= 1600; now += 100) {
        done += 1000;
        estimate.UpdateTimeLeft(done, now);
    }
    EXPECT_EQ(estimate.SampleCount(), 16);
    // At the first estimate (the ring just filled) 100,000 - 16,000 units are left: 8.4 s.
    EXPECT_EQ(estimate.ShownSeconds(), 8);
    EXPECT_EQ(estimate.SampleCapacity(), 18) << "the ring grows by 2 at each estimate";
}

// Fault guarded: two reports within one millisecond divided by a zero time apart, and a median rate
// of zero (nothing read for a while) gave an endless estimate.
TEST(ProgressEstimate, SameMillisecondAndStalledWorkGiveNoEstimate)
{
    ProgressEstimate estimate;
    estimate.Start(100000, 0, false);
    for (int i = 0; i < 40; ++i)
        estimate.UpdateTimeLeft(500, 10);  // every report in the same millisecond
    EXPECT_EQ(estimate.SampleCount(), 1);
    EXPECT_EQ(estimate.ShownSeconds(), ProgressEstimate::kUnknownSeconds);

    for (int64_t now = 20; now < 20 + 40 * 10; now += 10)
        estimate.UpdateTimeLeft(500, now);  // stalled: every rate is 0
    EXPECT_EQ(estimate.ShownSeconds(), ProgressEstimate::kUnknownSeconds) << "no estimate while the rate is zero";

    int64_t done = 500;
    int64_t now = 500;
    for (int i = 0; i < 40; ++i) {
        done += 100;
        now += 10;
        estimate.UpdateTimeLeft(done, now);
    }
    EXPECT_LT(estimate.ShownSeconds(), ProgressEstimate::kUnknownSeconds) << "work that resumes is estimated again";
    EXPECT_GT(estimate.ShownSeconds(), 0);
}

TEST(ProgressEstimate, MoreSamplesStartWithTwentyFour)
{
    ProgressEstimate estimate;
    estimate.Start(10, 0, true);
    EXPECT_EQ(estimate.SampleCapacity(), 24);
}

}  // namespace
}  // namespace vek
