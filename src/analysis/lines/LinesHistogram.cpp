// LinesHistogram: how the main values of a lines analysis's line rows fall into bins of a nice width.
#include "analysis/lines/LinesHistogram.h"

#include <algorithm>
#include <cmath>

#include "analysis/lines/LinesComputation.h"
#include "model/base/Base.h"

namespace vek {

NiceStepResult NiceStep(double x)
{
    NiceStepResult result;
    if (!std::isfinite(x) || x <= 0.0)
        return result;
    int32_t e = int32_t(std::floor(std::log10(x)));
    double p = std::pow(10.0, e);
    // log10 may land one off near a power of ten; the step must stay within (x / 10, 10 x].
    if (p > x) {
        --e;
        p = std::pow(10.0, e);
    } else if (p * 10.0 <= x) {
        ++e;
        p = std::pow(10.0, e);
    }
    struct Candidate {
        double factor;
        int32_t exponentShift;
    };
    static constexpr Candidate kCandidates[] = {{1.0, 0}, {2.0, 0}, {2.5, -1}, {5.0, 0}, {10.0, 1}};
    for (const Candidate& candidate : kCandidates) {
        double step = candidate.factor * p;
        if (step >= x || candidate.factor == 10.0) {
            int32_t shown = e + candidate.exponentShift;
            result.step = step;
            result.decimals = shown < 1 ? -shown : 0;
            return result;
        }
    }
    return result;
}

LinesHistogram BuildHistogram(const LinesComputation& computation, double low, double high)
{
    LinesHistogram histogram;
    const Base& base = computation.GetBase();
    int32_t main = computation.Settings().mainValueField;
    if (main < 0 || main >= base.ValueCount() || !std::isfinite(low) || !std::isfinite(high) || high < low)
        return histogram;
    auto mainValue = [&](int32_t i, double& v) {
        const CardLine* line = base.LineAt(computation.RowAt(i).line);
        if (!line)
            return false;
        v = base.GetLineValue(line, main);
        return v >= low && v <= high;
    };
    int32_t inRange = 0;
    double v = 0.0;
    for (int32_t i = computation.StatisticsRowCount(); i < computation.RowCount(); ++i)
        inRange += mainValue(i, v) ? 1 : 0;
    int32_t wanted = std::min(inRange / 2 + 6, 77);
    NiceStepResult nice = NiceStep((high - low) / wanted);
    histogram.step = nice.step;
    histogram.decimals = nice.decimals;
    histogram.start = nice.step * std::floor(low / nice.step);
    double bins = std::floor((high - histogram.start + nice.step) / nice.step);
    histogram.binCount = int32_t(std::clamp(bins, 0.0, double(kMaxHistogramBins)));
    if (histogram.binCount == 0)
        return histogram;
    for (int32_t i = computation.StatisticsRowCount(); i < computation.RowCount(); ++i) {
        if (!mainValue(i, v))
            continue;
        double bin = std::floor((v - histogram.start) / nice.step);
        int32_t at = int32_t(std::clamp(bin, 0.0, double(histogram.binCount - 1)));
        int32_t count = ++histogram.counts[size_t(at)];
        histogram.largestCount = std::max(histogram.largestCount, count);
    }
    return histogram;
}

}  // namespace vek
