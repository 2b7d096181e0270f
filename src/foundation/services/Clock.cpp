// Clock: the manual clock that tests set, and the clock used while none is registered.
#include "foundation/services/Clock.h"

#include "foundation/numbers/DateTime.h"

namespace vek {

namespace {

int64_t StartOfManualTime()
{
    DateTime start;
    start.year = 2025;
    start.month = 1;
    start.day = 1;
    start.hour = 12;
    start.kind = DateTimeKind::Second;
    return int64_t(start.ToSeconds());
}

// Whole seconds in ms, rounded down (also for negative counts), so that local time never runs back.
int64_t FloorSeconds(int64_t ms) { return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000); }

}  // namespace

Clock::~Clock() = default;

ManualClock::ManualClock(int64_t stepMs) : stepMs(stepMs), localSecondsAtZero(StartOfManualTime()) {}

ManualClock::~ManualClock() = default;

void ManualClock::LocalDateTime(DateTime& dateTime)
{
    int64_t seconds = localSecondsAtZero.load(std::memory_order_relaxed) +
                      FloorSeconds(nowMs.load(std::memory_order_relaxed));
    dateTime.SetFromSeconds(double(seconds));
}

void ManualClock::SetLocalDateTime(const DateTime& dateTime)
{
    localSecondsAtZero.store(int64_t(dateTime.ToSeconds()) - FloorSeconds(nowMs.load(std::memory_order_relaxed)),
                             std::memory_order_relaxed);
}

template <>
Clock& Service<Clock>::Headless()
{
    static ManualClock clock(1);
    return clock;
}

int64_t CurrentTimeMs() { return Service<Clock>::Get().NowMs(); }

void GetCurrentDateTime(DateTime& dateTime) { Service<Clock>::Get().LocalDateTime(dateTime); }

}  // namespace vek
