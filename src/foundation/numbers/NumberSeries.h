// NumberSeries: the values of a column or group as a weighted multiset of doubles, for its median.
#pragma once

#include <cstdint>

#include "foundation/memory/DynArray.h"

namespace vek {

// The values of a column or group as a weighted multiset of doubles, for its median. Equal values are
// kept once with a count, in a double-hashed table keyed by the value's bits, so long series of
// repeating amounts stay small. The median is found by selection over the distinct values, never by
// sorting the whole series.
//
// Missing numbers (NaN) are not values and are not added; -0.0 is kept as 0.0. Weights below 1 add
// nothing. A value that cannot be placed because the table cannot grow is dropped.
class NumberSeries {
public:
    NumberSeries();
    ~NumberSeries() = default;
    NumberSeries(const NumberSeries&) = delete;
    NumberSeries& operator=(const NumberSeries&) = delete;

    [[nodiscard]] bool Add(double x) { return AddWeighted(x, 1); }
    // Adds w occurrences of x. False when nothing was added (NaN, w < 1, no room, or a count that
    // would pass 2^31 - 1).
    [[nodiscard]] bool AddWeighted(double x, int32_t w);
    // Adds every value of the other series with its count (the series itself doubles its counts).
    void AddSeries(const NumberSeries& other);
    // Forgets every value; the table keeps its size.
    void Clear();
    // Makes room for n distinct values (the table grows to HashTableSize(n) when that is larger).
    // False when the larger table cannot be had; the series is then unchanged.
    [[nodiscard]] bool Grow(int32_t n);

    // The smallest value v for which twice the occurrences at or below v reach the total; when twice
    // that number equals the total exactly, the mean of v and the next larger value. NaN (the missing
    // number) for an empty series, or when memory for the selection runs short.
    double Median();

    int64_t Total() const { return total; }
    int32_t Distinct() const { return distinct; }
    int32_t TableSize() const { return size; }

private:
    DoubleArray values;  // one slot per table position
    DynArray counts;     // occurrences per position, 0 = empty
    DynArray order;      // positions of the distinct values while the median is computed
    int64_t total = 0;
    int32_t size = 0;
    int32_t limit = 0;
    int32_t distinct = 0;
};

}  // namespace vek
