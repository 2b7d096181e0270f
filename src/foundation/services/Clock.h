// Clock: the time as the library reads it, from the clock the platform registers at start-up.
#pragma once

#include <atomic>
#include <cstdint>

#include "foundation/services/Service.h"

namespace vek {

struct DateTime;

// The two times the library needs: the monotonic millisecond count that time-outs, rate limits and
// session expiry compare, and the local date and time (today's date, the log's timestamps). The
// platform registers the system's clock at start-up; until then a ManualClock that advances one
// millisecond per reading answers, so that a run without the platform is deterministic and a loop
// that waits for the clock to move still ends.
class Clock {
public:
    virtual ~Clock();

    // Milliseconds on a monotonic clock that is not related to the time of day.
    virtual int64_t NowMs() = 0;
    // The current local date and time with kind Second.
    virtual void LocalDateTime(DateTime& dateTime) = 0;
};

// A clock that moves only when told to (and by `stepMs` at each NowMs), for tests and for the time
// before start-up. Its local time moves with its milliseconds; it starts at 0 ms on 2025-01-01 12:00.
// Safe to read from several threads.
class ManualClock final : public Clock {
public:
    explicit ManualClock(int64_t stepMs = 0);
    ~ManualClock() override;

    int64_t NowMs() override { return nowMs.fetch_add(stepMs, std::memory_order_relaxed); }
    void LocalDateTime(DateTime& dateTime) override;

    void SetMs(int64_t ms) { nowMs.store(ms, std::memory_order_relaxed); }
    void AdvanceMs(int64_t ms) { nowMs.fetch_add(ms, std::memory_order_relaxed); }
    // Sets the local time of the current millisecond count (to the second).
    void SetLocalDateTime(const DateTime& dateTime);

private:
    const int64_t stepMs;
    std::atomic<int64_t> nowMs{0};
    std::atomic<int64_t> localSecondsAtZero;  // local seconds since the day-number epoch at 0 ms
};

template <>
Clock& Service<Clock>::Headless();

// NowMs of the registered clock. (The local date and time: GetCurrentDateTime, DateTime.h.)
int64_t CurrentTimeMs();

}  // namespace vek
