// Tests of RandomNumber: the mix step, waiting for the clock to move, and the random unit.
#include "foundation/numbers/RandomNumber.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/services/Clock.h"

namespace vek {
namespace {

TEST(RandomNumberTest, MixStep)
{
    struct Case {
        int32_t state;
        int64_t time;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 0x01020304, 0x04030201u},
        {16777199, 0x01020304, 0x04030201u},           // the state is taken modulo 16777199
        {-5, 3, 0xFEFFFFFFu},                          // a negative state keeps a negative remainder
        {-16777200, 1, 0u},
        {16777198, 0x7FFFFFFF00000005LL, 0xF3FFFF00u}, // only the low 32 bits of the time count
        {16777198, 0xFFFFFFFFLL, 0xEDFFFF00u},         // 32-bit wrap-around
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(uint32_t(RandomMixStep(c.state, c.time)), c.expected);
    }
}

// A clock that stands still for `still` readings, then moves on by one millisecond each time.
int64_t clockNow = 0;
int clockReadings = 0;
int clockStill = 0;

int64_t FakeClock()
{
    ++clockReadings;
    if (clockReadings > clockStill)
        ++clockNow;
    return clockNow;
}

TEST(RandomNumberTest, MixesUntilTheClockMoves)
{
    clockNow = 5000;
    clockReadings = 0;
    clockStill = 4;
    int32_t first = RandomNumberWithClock(FakeClock);
    EXPECT_EQ(clockReadings, 5);  // the start, then once after each of four rounds
    EXPECT_GE(first, 0);

    // The next call mixes once more into the same state; the result lost only the sign bit of it.
    clockNow = 7000;
    clockReadings = 0;
    clockStill = 1;
    int32_t second = RandomNumberWithClock(FakeClock);
    EXPECT_EQ(clockReadings, 2);
    int32_t fromPositive = RandomMixStep(first, 7000) & 0x7fffffff;
    int32_t fromNegative = RandomMixStep(int32_t(uint32_t(first) | 0x80000000u), 7000) & 0x7fffffff;
    EXPECT_TRUE(second == fromPositive || second == fromNegative);
}

TEST(RandomNumberTest, EachNumberComesFromAMillisecondOfItsOwn)
{
    int64_t before = CurrentTimeMs();
    int32_t a = RandomNumber();
    int32_t b = RandomNumber();
    int32_t c = RandomNumber();
    EXPECT_GE(CurrentTimeMs(), before + 3);
    for (int32_t value : {a, b, c}) {
        EXPECT_GE(value, 0);
        EXPECT_LE(value, 0x7fffffff);
    }
    EXPECT_FALSE(a == b && b == c);
}

TEST(RandomNumberTest, RandomUnitSequence)
{
    SetRandomUnitSeed(1);
    EXPECT_EQ(RandomUnit(), 75.0 / 2147483647.0);
    EXPECT_EQ(RandomUnit(), 5625.0 / 2147483647.0);
    // A zero seed would repeat 0 for ever.
    SetRandomUnitSeed(0);
    EXPECT_GT(RandomUnit(), 0.0);
    SetRandomUnitSeed(2147483647.0 * 3);
    EXPECT_GT(RandomUnit(), 0.0);
    SeedRandomUnit();
    for (int i = 0; i < 1000; ++i) {
        double x = RandomUnit();
        ASSERT_GT(x, 0.0);
        ASSERT_LT(x, 1.0);
    }
}

// The seed comes from the registered clock, so a test clock makes the sequence repeatable.
TEST(RandomNumberTest, RandomUnitSeedsFromTheClock)
{
    ManualClock clock;
    ScopedService<Clock> registered(&clock);
    clock.SetMs(1000);  // 60 ticks
    SeedRandomUnit();
    double seed = 60.0 * 425420.0 + 60.0;
    EXPECT_EQ(RandomUnit(), std::fmod(seed * 75.0, 2147483647.0) / 2147483647.0);
}

}  // namespace
}  // namespace vek
