// Tests of SystemClock: the local time, and that start-up makes it the library's clock.
#include "platform/SystemClock.h"

#include <gtest/gtest.h>

#include "foundation/numbers/DateTime.h"

namespace vek {
namespace {

TEST(SystemClockTest, ClockAndLocalTime)
{
    SystemClock clock;
    int64_t first = clock.NowMs();
    int64_t ticks = TickCount();
    EXPECT_NEAR(double(TickDeadlineToMs(ticks + 60)), double(first + 960), 100.0);
    DelaySince(0, first);  // already over: returns at once
    Delay(5);
    EXPECT_GE(clock.NowMs() - first, 5);

    DateTime now;
    clock.LocalDateTime(now);
    EXPECT_EQ(now.kind, DateTimeKind::Second);
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.HasDate());

    SetEventTimeOrigin();
    EXPECT_NEAR(EventTimeToLocalSeconds(EventTime()), now.ToSeconds(), 5.0);
}

// The library's clock is the system's once the platform has started (the test main starts it), so
// that the library's time-outs and the platform's waits count on one clock.
TEST(SystemClockTest, StartUpMakesItTheLibrarysClock)
{
    ASSERT_NE(dynamic_cast<SystemClock*>(Service<Clock>::Registered()), nullptr);
    int64_t before = SystemClock().NowMs();
    int64_t library = CurrentTimeMs();
    EXPECT_GE(library, before);
    EXPECT_LE(library, SystemClock().NowMs());
}

}  // namespace
}  // namespace vek
