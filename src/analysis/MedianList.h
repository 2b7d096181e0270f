// MedianList: doubles fed one by one whose median is asked for repeatedly while they keep arriving.
#pragma once

#include <cstdint>

#include "foundation/memory/DynArray.h"

namespace vek {

// A list of doubles that yields its median. The first request only places the middle elements by
// selection; the second sorts fully; later ones merge only the values added since (sorted chunks of
// at most 250, and a binary-search insertion for the last 1-3), instead of sorting again.
//
// Sorted length: -1 never ordered; 0 the middle is placed by selection but the list is not sorted;
// n > 0 values 0..n-1 are ascending.
//
// A list never loses a value quietly: when it cannot grow, Add and Append return false and raise the
// pending error 3950 (the result is incomplete), which stops the computation that feeds it.
class MedianList {
public:
    static constexpr int32_t kInitialCapacity = 32;
    static constexpr int32_t kGrowth = 256;
    static constexpr int32_t kMergeChunk = 250;

    MedianList();
    ~MedianList();
    MedianList(const MedianList&) = delete;
    MedianList& operator=(const MedianList&) = delete;

    // Makes room for `needed` values when it can; a failure changes nothing and raises nothing (Add
    // reports what it cannot hold). Callers that know the size, or grow by a factor, avoid the
    // one-step growth that would copy a list of millions thousands of times.
    void ReserveIfPossible(int32_t needed);
    // Count 0 and sorted length -1; the capacity stays.
    void Clear();
    [[nodiscard]] bool Add(double x);
    // Copies the other list's values behind this one's; nothing changes when it cannot grow.
    [[nodiscard]] bool Append(const MedianList& other);
    // Makes room for `more` values behind those held, counts them and returns where they go, so that a
    // caller with many values at hand stores them without a call per value; it must store every one
    // before the next Median. Null, with nothing changed and 3950 pending, when the list cannot grow.
    [[nodiscard]] double* AddSpace(int32_t more);
    // The median of every value added: NaN for none, the value for one, the mean of two; otherwise
    // the middle value, or the mean of the two middle values of an even count.
    double Median();

    int32_t Count() const { return count; }
    int32_t Capacity() const { return values.Count(); }
    int32_t SortedLength() const { return sortedLength; }
    double At(int32_t i) const { return values.Get(i); }

private:
    [[nodiscard]] bool Reserve(int32_t needed);
    void SelectMiddle();
    void SortRange(int32_t lo, int32_t hi);
    void MergeNew();
    void FinishSmallRange(int32_t lo, int32_t hi);
    int32_t Partition(int32_t lo, int32_t hi);
    bool OrderPair(int32_t i, int32_t j);

    DoubleArray values;  // the capacity is the array's count
    int32_t count = 0;
    int32_t sortedLength = -1;
};

}  // namespace vek
