// ProgressEstimate: the repaint pacing and the time-left estimate of a progress window.
#pragma once

#include <cstdint>
#include <vector>

namespace vek {

// What a progress window computes from its reports, kept apart from the window so that it runs on
// given times. Times are milliseconds (CurrentTimeMs); amounts are the operation's own units.
//
// Pacing: a report before the next repaint time draws nothing. The bar position is round(done ×
// 274 / (total + 1)); a move of more than 8 pixels halves the repaint interval (while above 30 ms), no
// move doubles it (while 999 ms or less). It starts at 200 ms.
//
// Time left: every update adds the rate since the previous one to a ring of samples (16, or 24 when
// asked, growing by 2 at each estimate while 125 or less). Once the ring is full an estimate is made
// every 10, 6, 4 or 2 updates (estimates of 61 s and more, 31-60, 16-30, below 16): the amount left
// divided by the median rate. Two updates within one millisecond give no sample, and while the median
// rate is zero no estimate is made: the time left then keeps its last value.
class ProgressEstimate {
public:
    static constexpr int32_t kBarWidth = 274;
    static constexpr int64_t kStartInterval = 200;
    static constexpr int32_t kUnknownSeconds = 32000;

    // A new operation of `total` units starting at `now`.
    void Start(int64_t total, int64_t now, bool moreSamples);
    void SetTotal(int64_t total);

    // The pacing step of one report: false when nothing is to be drawn yet; otherwise the new bar
    // position is in BarPosition and the next repaint time is set.
    bool Pace(int64_t done, int64_t now);
    // The time-left step of one update.
    void UpdateTimeLeft(int64_t done, int64_t now);

    int64_t Total() const { return total; }
    int64_t Done() const { return done; }
    int64_t StartTime() const { return startTime; }
    int64_t Interval() const { return interval; }
    double Scale() const { return scale; }
    int32_t BarPosition() const { return bar; }
    // The seconds shown, kUnknownSeconds until a first estimate.
    int32_t ShownSeconds() const { return shownSeconds; }
    int32_t SampleCapacity() const { return capacity; }
    int32_t SampleCount() const { return static_cast<int32_t>(samples.size()); }

private:
    double MedianRate() const;

    int64_t total = 0;
    int64_t done = 0;
    int64_t startTime = 0;
    int64_t nextRepaint = 0;
    int64_t interval = kStartInterval;
    double scale = kBarWidth;
    int32_t bar = 0;
    int32_t paintedBar = 0;

    // Rate samples in units per millisecond: a ring of `capacity` once full.
    std::vector<double> samples;
    int32_t capacity = 16;
    int32_t nextSample = 0;
    int64_t previousDone = 0;
    int64_t previousTime = 0;
    int32_t countdown = -1;  // -1: no estimate yet
    int64_t lastEstimateTime = 0;
    int32_t estimateSeconds = kUnknownSeconds;
    int32_t shownSeconds = kUnknownSeconds;
};

}  // namespace vek
