// ProgressEstimate: repaint pacing and the time-left estimate from rate samples.
#include "docwindows/ProgressEstimate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vek {

namespace {

constexpr int32_t kMaxGrowingCapacity = 125;

// Updates until the next estimate: estimates far off are made again less often.
int32_t UpdatesUntilNextEstimate(int32_t seconds)
{
    if (seconds >= 61)
        return 10;
    if (seconds >= 31)
        return 6;
    if (seconds >= 16)
        return 4;
    return 2;
}

}  // namespace

void ProgressEstimate::Start(int64_t newTotal, int64_t now, bool moreSamples)
{
    SetTotal(newTotal);
    startTime = now;
    nextRepaint = now;
    interval = kStartInterval;
    bar = 0;
    paintedBar = 0;
    samples.clear();
    capacity = moreSamples ? 24 : 16;
    nextSample = 0;
    previousDone = 0;
    previousTime = now;
    countdown = -1;
    lastEstimateTime = now;
    estimateSeconds = kUnknownSeconds;
    shownSeconds = kUnknownSeconds;
}

void ProgressEstimate::SetTotal(int64_t newTotal)
{
    total = std::max<int64_t>(newTotal, 0);
    // A total of 0 gives 274: one unit fills the bar.
    scale = static_cast<double>(kBarWidth) / static_cast<double>(total + 1);
    done = 0;
}

bool ProgressEstimate::Pace(int64_t newDone, int64_t now)
{
    done = newDone;
    if (now < nextRepaint)
        return false;
    bar = static_cast<int32_t>(std::lround(static_cast<double>(done) * scale));
    int32_t moved = std::abs(bar - paintedBar);
    if (moved > 8 && interval > 30)
        interval /= 2;
    else if (moved == 0 && interval <= 999)
        interval *= 2;
    paintedBar = bar;
    nextRepaint = now + interval;
    return true;
}

double ProgressEstimate::MedianRate() const
{
    std::vector<double> sorted = samples;
    auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    return *middle;
}

void ProgressEstimate::UpdateTimeLeft(int64_t newDone, int64_t now)
{
    // Two reports within one millisecond (or a clock that went back) give no rate: dividing by
    // their time apart would give an infinite or negative sample.
    if (now <= previousTime || newDone < previousDone)
        return;
    double rate = static_cast<double>(newDone - previousDone) / static_cast<double>(now - previousTime);
    previousDone = newDone;
    previousTime = now;
    if (static_cast<int32_t>(samples.size()) < capacity) {
        samples.push_back(rate);
        if (static_cast<int32_t>(samples.size()) < capacity)
            return;
    } else {
        samples[static_cast<size_t>(nextSample)] = rate;
        nextSample = (nextSample + 1) % static_cast<int32_t>(samples.size());
    }
    if (countdown < 0) {
        // The ring has just filled: the first estimate is made now.
        lastEstimateTime = now;
        countdown = 0;
    } else if (--countdown > 0) {
        return;
    }
    double median = MedianRate();
    if (!(median > 0)) {
        // No progress in the samples: any estimate would be endless. Asked again at the next update.
        countdown = 1;
        return;
    }
    double left = static_cast<double>(std::max<int64_t>(total - newDone, 0)) / (median * 1000.0);
    int32_t estimate = static_cast<int32_t>(std::min<double>(std::lround(left), kUnknownSeconds));
    estimateSeconds = estimate;
    if (std::abs(estimate - shownSeconds) * 8 / (estimate + 6) >= 1)
        shownSeconds = estimate;
    int64_t wholeSeconds = (now - lastEstimateTime) / 1000;
    shownSeconds = static_cast<int32_t>(std::max<int64_t>(shownSeconds - wholeSeconds, 0));
    lastEstimateTime += wholeSeconds * 1000;
    countdown = UpdatesUntilNextEstimate(estimateSeconds);
    if (capacity <= kMaxGrowingCapacity)
        capacity += 2;
}

}  // namespace vek
