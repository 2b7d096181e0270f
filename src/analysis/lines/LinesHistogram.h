// LinesHistogram: how the main values of a lines analysis's line rows fall into bins of a nice width.
#pragma once

#include <array>
#include <cstdint>

namespace vek {

class LinesComputation;

// A step for an axis or a bin width: the first of p, 2p, 2.5p, 5p and 10p (p the power of ten of x's
// decimal exponent) that is not below x, and the decimals it needs. A range that gives no step (x
// zero, negative or not finite) gives step 1 with 0 decimals, so that a walk by the step ends.
struct NiceStepResult {
    double step = 1.0;
    int32_t decimals = 0;
};
NiceStepResult NiceStep(double x);

constexpr int32_t kMaxHistogramBins = 80;

struct LinesHistogram {
    double start = 0.0;
    double step = 1.0;
    int32_t decimals = 0;
    int32_t binCount = 0;
    std::array<int32_t, kMaxHistogramBins> counts{};
    int32_t largestCount = 0;
};

// The histogram of the line rows whose main value lies in [low, high] (LinesAnalysisWindow::
// BuildHistogram): b = min(rows in the range / 2 + 6, 77) bins wanted, the width NiceStep((high -
// low) / b), the first bin starting at a multiple of the width. A main value field the base no
// longer has, or a range that is not finite, gives no bins.
LinesHistogram BuildHistogram(const LinesComputation& computation, double low, double high);

}  // namespace vek
