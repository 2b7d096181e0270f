// Synthetic bases: options, summary and random numbers for generating repeatable test bases.
#pragma once

#include <cstdint>

#include "foundation/numbers/PackedDate.h"

namespace vek {

class Base;

// The shape of a generated base: `cards` cards spread evenly over `days` days from `firstDate`
// (created in key order, or in a random order of dates when `shuffled`), one group each, with
// `linesPerCard` lines. Each line names a random component in each of the dimensions 1..
// `dimensionsUsed` (each of which gets `componentsPerDimension` components) and carries
// `valuesPerLine` random amounts with two decimals. The same options and seed give the same base.
struct SyntheticBaseOptions {
    int32_t cards = 1000;
    int32_t linesPerCard = 5;
    int32_t componentsPerDimension = 100;
    int32_t dimensionsUsed = 5;  // 1..31
    int32_t valuesPerLine = 1;   // 1..24
    uint64_t seed = 1;
    PackedDate firstDate = MakePackedDate(2015, 1, 1);
    int32_t days = 3653;
    bool shuffled = false;
    bool lineTexts = false;  // every line gets a short text
};

// What was generated (counted from the base afterwards).
struct SyntheticBaseSummary {
    int32_t cards = 0;
    int32_t groups = 0;
    int32_t lines = 0;
    int32_t buckets = 0;
    int32_t components = 0;
    int32_t dimsInUse = 0;
    int32_t componentWidth = 0;
    int32_t valueCount = 0;
    double valueSum = 0.0;  // of value field 0 over all lines
};

// Fills an empty base; false when a record could not be made (memory ran short), with what was made
// so far left in the base. Options out of range are clamped.
[[nodiscard]] bool BuildSyntheticBase(Base& base, const SyntheticBaseOptions& options);
// Counts the base's records and sums its first value field.
SyntheticBaseSummary SummarizeBase(const Base& base);

// The generator's random numbers (splitmix64), for tests that need more of the same stream.
class SyntheticRandom {
public:
    explicit SyntheticRandom(uint64_t seed) : state(seed) {}
    uint64_t Next();
    // 0 .. n-1 for n >= 1.
    int32_t Below(int32_t n) { return int32_t(Next() % uint64_t(n)); }

private:
    uint64_t state;
};

}  // namespace vek
