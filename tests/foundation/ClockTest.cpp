// Tests of ManualClock and of the fallback clock that steps when no clock is registered.
#include "foundation/services/Clock.h"

#include <gtest/gtest.h>

#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/RandomNumber.h"

namespace vek {
namespace {

TEST(ManualClockTest, MovesOnlyWhenToldAndCarriesItsLocalTime)
{
    ManualClock clock;
    EXPECT_EQ(clock.NowMs(), 0);
    EXPECT_EQ(clock.NowMs(), 0);
    DateTime start;
    clock.LocalDateTime(start);
    EXPECT_EQ(start.kind, DateTimeKind::Second);
    EXPECT_TRUE(start.HasDate());

    clock.AdvanceMs(61'500);
    EXPECT_EQ(clock.NowMs(), 61'500);
    DateTime later;
    clock.LocalDateTime(later);
    EXPECT_EQ(later.ToSeconds() - start.ToSeconds(), 61.0);

    DateTime newYear;
    newYear.ParseCStr("2030-12-31 23:59:59");
    clock.SetLocalDateTime(newYear);
    clock.AdvanceMs(1'000);
    ScopedService<Clock> registered(&clock);
    DateTime now;
    GetCurrentDateTime(now);
    EXPECT_EQ(now.year, 2031);
    EXPECT_EQ(now.month, 1);
    EXPECT_EQ(now.day, 1);
    EXPECT_EQ(now.hour, 0);
    EXPECT_EQ(TodayDayNumber(), now.DayNumber());
    EXPECT_EQ(CurrentTimeMs(), 62'500);
}

// Without a registered clock the fallback steps one millisecond per reading: a clock that stood
// still would make RandomNumber, which waits for the next millisecond, wait for ever.
TEST(ManualClockTest, TheUnregisteredClockStepsSoWaitsEnd)
{
    ScopedService<Clock> none(nullptr);
    int64_t first = CurrentTimeMs();
    EXPECT_EQ(CurrentTimeMs(), first + 1);
    EXPECT_GE(RandomNumber(), 0);
    EXPECT_GT(CurrentTimeMs(), first + 2);
}

}  // namespace
}  // namespace vek
