// SystemClock: the system's monotonic and local clocks, the tick count and waiting.
#pragma once

#include <cstdint>

#include "foundation/services/Clock.h"

namespace vek {

// The clock of the system, which the platform's start-up registers as the library's Clock: NowMs
// reads the monotonic clock, LocalDateTime the local time of day (a leap second reads as :59).
class SystemClock final : public Clock {
public:
    SystemClock() = default;
    ~SystemClock() override;

    int64_t NowMs() override;
    void LocalDateTime(DateTime& dateTime) override;
};

// The monotonic event clock in seconds (not related to the time of day), on the same clock as
// SystemClock::NowMs and therefore as CurrentTimeMs once the platform has started.
double EventTime();
// The event clock in ticks of 1/60 s.
int64_t TickCount();
// A deadline given in ticks, on the millisecond clock: NowMs + 16 * (deadline - TickCount()).
int64_t TickDeadlineToMs(int64_t deadlineTicks);

// Start-up: remembers the difference between the local time (in seconds since the day-number epoch
// of DateTime) and the event clock, so that event times can be turned into local times.
void SetEventTimeOrigin();
// An event time as local seconds since the day-number epoch (valid after SetEventTimeOrigin).
double EventTimeToLocalSeconds(double eventTime);

// Flushes the front window's drawing, then sleeps until `ms` milliseconds have passed since
// `startMs` (a reading of the system clock's NowMs); Delay counts from now.
void Delay(int64_t ms);
void DelaySince(int64_t ms, int64_t startMs);

}  // namespace vek
