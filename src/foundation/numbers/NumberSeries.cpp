// NumberSeries: the hashed table of distinct values with counts, and the median by selection.
#include "foundation/numbers/NumberSeries.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "foundation/memory/Hash.h"

namespace vek {

namespace {

constexpr int32_t kSeriesFlags = 2;
constexpr double kMissingNumber = std::numeric_limits<double>::quiet_NaN();

// The empty position of x's probe sequence (the table has one). Steps are 1..256 and table sizes
// primes above 1024, so the sequence visits every position.
int32_t EmptyPosition(const int32_t* counts, int32_t tableSize, double x)
{
    int32_t position = HashDouble(x, tableSize);
    int32_t step = HashStepDouble(x);
    while (counts[position] != 0) {
        position += step;
        if (position >= tableSize)
            position -= tableSize;
    }
    return position;
}

}  // namespace

NumberSeries::NumberSeries()
    : values(0, kSeriesFlags), counts(0, kSeriesFlags), order(32, kSeriesFlags)
{
}

bool NumberSeries::Grow(int32_t n)
{
    int32_t newSize = HashTableSize(n);
    if (newSize <= size)
        return true;
    DoubleArray newValues(newSize, kSeriesFlags);
    DynArray newCounts(newSize, kSeriesFlags);
    if (newValues.Count() != newSize || newCounts.Count() != newSize)
        return false;
    newCounts.Fill(0);
    const double* oldValues = values.Data();
    const int32_t* oldCounts = counts.Data();
    double* placedValues = newValues.Data();
    int32_t* placedCounts = newCounts.Data();
    for (int32_t i = 0; i < size; ++i) {
        if (oldCounts[i] == 0)
            continue;
        int32_t position = EmptyPosition(placedCounts, newSize, oldValues[i]);
        placedValues[position] = oldValues[i];
        placedCounts[position] = oldCounts[i];
    }
    values = std::move(newValues);
    counts = std::move(newCounts);
    size = newSize;
    limit = HashLoadLimit(newSize);
    return true;
}

bool NumberSeries::AddWeighted(double x, int32_t w)
{
    // A missing number is no value, and a weight below 1 adds no occurrence. (Counting a value of
    // weight 0 as distinct while its position still read as empty once corrupted the median.)
    if (std::isnan(x) || w < 1)
        return false;
    if (x == 0.0)
        x = 0.0;  // -0.0 equals 0.0 but has other bits: keep one position for both
    if (distinct >= limit) {
        (void)Grow(distinct);
        if (distinct >= limit)
            return false;
    }
    double* valueData = values.Data();
    int32_t* countData = counts.Data();
    int32_t position = HashDouble(x, size);
    int32_t step = HashStepDouble(x);
    while (countData[position] != 0) {
        if (valueData[position] == x) {
            if (countData[position] > std::numeric_limits<int32_t>::max() - w)
                return false;
            countData[position] += w;
            total += w;
            return true;
        }
        position += step;
        if (position >= size)
            position -= size;
    }
    valueData[position] = x;
    countData[position] = w;
    ++distinct;
    total += w;
    return true;
}

void NumberSeries::AddSeries(const NumberSeries& other)
{
    if (other.distinct == 0)
        return;
    if (&other == this) {
        // Adding to the table that is being walked would move it under the walk.
        std::vector<std::pair<double, int32_t>> snapshot;
        snapshot.reserve(size_t(distinct));
        for (int32_t i = size - 1; i >= 0; --i) {
            if (counts.Data()[i] > 0)
                snapshot.emplace_back(values.Data()[i], counts.Data()[i]);
        }
        for (const auto& [value, count] : snapshot)
            (void)AddWeighted(value, count);
        return;
    }
    const double* otherValues = other.values.Data();
    const int32_t* otherCounts = other.counts.Data();
    for (int32_t i = other.size - 1; i >= 0; --i) {
        if (otherCounts[i] > 0)
            (void)AddWeighted(otherValues[i], otherCounts[i]);
    }
}

void NumberSeries::Clear()
{
    if (distinct == 0)
        return;
    distinct = 0;
    total = 0;
    counts.Fill(0);
}

double NumberSeries::Median()
{
    if (distinct == 0 || total <= 0)
        return kMissingNumber;
    if (!order.Resize(distinct))
        return kMissingNumber;
    int32_t* ord = order.Data();
    const double* valueData = values.Data();
    const int32_t* countData = counts.Data();
    int32_t filled = 0;
    for (int32_t i = 0; i < size && filled < distinct; ++i) {
        if (countData[i] > 0)
            ord[filled++] = i;
    }

    auto value = [&](int32_t k) { return valueData[ord[k]]; };
    auto weight = [&](int32_t k) { return int64_t(countData[ord[k]]); };
    auto swap = [&](int32_t a, int32_t b) { std::swap(ord[a], ord[b]); };
    // One bubbling pass from `last` down to k brings the smallest value of k..last to k.
    auto bringSmallest = [&](int32_t k, int32_t last) {
        for (int32_t m = last; m > k; --m) {
            if (value(m - 1) > value(m))
                swap(m - 1, m);
        }
    };

    // All values differ (equal ones share a position, NaN is never added), which the partitioning
    // relies on: everything left of the pivot is smaller, everything right of it larger.
    const int64_t totalCount = total;
    int32_t lo = 0;
    int32_t hi = distinct - 1;
    int64_t below = 0;  // occurrences of the values left of lo
    while (hi - lo > 4) {
        int32_t mid = lo + (hi - lo) / 2;
        if (value(lo) > value(mid))
            swap(lo, mid);
        if (value(mid) > value(hi - 1)) {
            swap(mid, hi - 1);
            if (value(lo) > value(mid))
                swap(lo, mid);
        }
        swap(mid, hi);
        double pivot = value(hi);
        // value(lo) < pivot < value(hi - 1) stop both scans inside lo .. hi - 1.
        int32_t i = lo + 1;
        int32_t j = hi - 2;
        int64_t accumulated = weight(lo);
        for (;;) {
            while (value(i) < pivot) {
                accumulated += weight(i);
                ++i;
            }
            while (value(j) > pivot)
                --j;
            if (j < i)
                break;
            swap(i, j);
            accumulated += weight(i);
            ++i;
            --j;
        }
        swap(i, hi);
        int64_t atPivot = below + accumulated + weight(i);
        if (2 * atPivot > totalCount) {
            hi = i - 1;
        } else {
            lo = i + 1;
            below = atPivot;
        }
    }

    if (2 * below == totalCount) {
        // Exactly half lies at or below the value just left of lo: the mean with the next one.
        bringSmallest(lo, hi);
        return (value(lo - 1) + value(lo)) * 0.5;
    }
    // Positions beyond hi hold larger values, the first of them the smallest (the last pivot), so
    // the scan may run past hi without sorting there.
    for (int32_t k = lo;; ++k) {
        if (k <= hi)
            bringSmallest(k, hi);
        below += weight(k);
        if (2 * below >= totalCount || k == distinct - 1) {
            if (2 * below != totalCount)
                return value(k);
            if (k + 1 <= hi)
                bringSmallest(k + 1, hi);
            return (value(k) + value(k + 1)) * 0.5;
        }
    }
}

}  // namespace vek
