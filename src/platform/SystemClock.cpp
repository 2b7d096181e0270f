// SystemClock: the local date and time, the monotonic event clock, ticks and delays.
#include "platform/SystemClock.h"

#include <time.h>

#include "foundation/numbers/DateTime.h"
#include "foundation/services/DisplayServices.h"

namespace vek {

namespace {

// The difference between local seconds since the day-number epoch and the event clock.
double eventTimeOrigin = 0.0;

// The one reading of the monotonic clock that every count of this file derives from.
timespec MonotonicNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

int64_t MonotonicMs()
{
    timespec now = MonotonicNow();
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

SystemClock::~SystemClock() = default;

int64_t SystemClock::NowMs() { return MonotonicMs(); }

void SystemClock::LocalDateTime(DateTime& dateTime)
{
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    dateTime.year = int16_t(local.tm_year + 1900);
    dateTime.month = int16_t(local.tm_mon + 1);
    dateTime.day = int16_t(local.tm_mday);
    dateTime.hour = int16_t(local.tm_hour);
    dateTime.minute = int16_t(local.tm_min);
    dateTime.second = int16_t(local.tm_sec > 59 ? 59 : local.tm_sec);  // a leap second is not a DateTime
    dateTime.kind = DateTimeKind::Second;
}

double EventTime()
{
    timespec now = MonotonicNow();
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

int64_t TickCount()
{
    timespec now = MonotonicNow();
    return int64_t(now.tv_sec) * 60 + int64_t(now.tv_nsec) * 60 / 1000000000;
}

int64_t TickDeadlineToMs(int64_t deadlineTicks) { return MonotonicMs() + 16 * (deadlineTicks - TickCount()); }

void SetEventTimeOrigin()
{
    DateTime now;
    SystemClock().LocalDateTime(now);
    eventTimeOrigin = now.ToSeconds() - EventTime();
}

double EventTimeToLocalSeconds(double eventTime) { return eventTime + eventTimeOrigin; }

void Delay(int64_t ms) { DelaySince(ms, MonotonicMs()); }

void DelaySince(int64_t ms, int64_t startMs)
{
    FlushFrontWindow();
    while (true) {
        int64_t remaining = ms - (MonotonicMs() - startMs);
        if (remaining <= 0)
            return;
        timespec pause{};
        pause.tv_sec = time_t(remaining / 1000);
        pause.tv_nsec = long(remaining % 1000) * 1000000;
        nanosleep(&pause, nullptr);
    }
}

}  // namespace vek
