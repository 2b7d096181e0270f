// CallbackSort: the in-place sort of every list, done by index through compare and swap callbacks.
#pragma once

#include <cstdint>

namespace vek {

// The in-place sort used by every list of the program. It knows nothing of the data: the caller
// compares and swaps elements by index. The order of compare and swap calls is part of the
// behaviour (ties are split the same way on every machine), so this is not std::sort.
using SortCompareFunction = int32_t (*)(void* context, int32_t i, int32_t j);
using SortSwapFunction = void (*)(void* context, int32_t i, int32_t j);
using SortProgressFunction = void (*)(void* context, int32_t count);

struct SortCallbacks {
    SortCompareFunction compare = nullptr;  // < 0: i before j, 0: equal, > 0: i after j
    void* compareContext = nullptr;
    SortSwapFunction swap = nullptr;
    void* swapContext = nullptr;
    SortProgressFunction progress = nullptr;  // told how many elements reached their final place
    void* progressContext = nullptr;
};

// Sorts elements 0 .. n-1; nothing happens when n is below 2.
void SortWithCallbacks(const SortCallbacks& callbacks, int32_t n);
// Sorts lo .. hi, both included.
void QuickSortRange(const SortCallbacks& callbacks, int32_t lo, int32_t hi);
// Selection sort of a short range; among equal elements the first keeps its place.
void SelectionSortRange(const SortCallbacks& callbacks, int32_t lo, int32_t hi);
// Reverses lo .. hi by swaps.
void ReverseRange(const SortCallbacks& callbacks, int32_t lo, int32_t hi);

namespace detail {

template <typename Compare, typename Swap, typename Progress>
void SelectionSortIndices(Compare& compare, Swap& swap, Progress& progress, int32_t lo, int32_t hi)
{
    (void)progress;
    for (int32_t i = lo; i < hi; ++i) {
        int32_t smallest = i;
        for (int32_t j = i + 1; j <= hi; ++j) {
            if (compare(smallest, j) > 0)
                smallest = j;
        }
        if (smallest != i)
            swap(i, smallest);
    }
}

// The partitioning sort. Both sides of a partition are sorted exactly as if by recursion, but only
// the smaller side recurses, so the stack stays logarithmic whatever the input.
template <typename Compare, typename Swap, typename Progress>
void QuickSortIndices(Compare& compare, Swap& swap, Progress& progress, int32_t lo, int32_t hi)
{
    while (true) {
        int64_t size = int64_t(hi) - lo + 1;
        if (size <= 0)
            return;
        if (size == 1) {
            progress(1);
            return;
        }
        if (size == 2) {
            if (compare(lo, hi) > 0)
                swap(lo, hi);
            progress(2);
            return;
        }
        if (size <= 5) {
            SelectionSortIndices(compare, swap, progress, lo, hi);
            progress(int32_t(size));
            return;
        }
        int32_t mid = int32_t((int64_t(lo) + hi) / 2);
        if (compare(lo, mid) > 0)
            swap(lo, mid);
        if (compare(mid, hi - 1) > 0) {
            swap(mid, hi - 1);
            if (compare(lo, mid) > 0)
                swap(lo, mid);
        }
        swap(mid, hi);
        int32_t i = lo + 1;
        int32_t j = hi - 2;
        while (true) {
            // The pivot at hi and the median at lo stop the scans; the bounds only matter for a
            // compare function that is not a consistent order, which must not run off the range.
            while (i <= hi && compare(i, hi) < 0)
                ++i;
            while (j >= lo && compare(j, hi) > 0)
                --j;
            if (j < i)
                break;
            swap(i, j);
            ++i;
            --j;
        }
        if (i > hi)
            i = hi;
        swap(i, hi);
        progress(1);
        if (i - lo < hi - i) {
            QuickSortIndices(compare, swap, progress, lo, i - 1);
            lo = i + 1;
        } else {
            QuickSortIndices(compare, swap, progress, i + 1, hi);
            hi = i - 1;
        }
    }
}

}  // namespace detail

// The same algorithm over any callables, for callers that want the calls inlined.
template <typename Compare, typename Swap>
void SortIndexRange(Compare&& compare, Swap&& swap, int32_t lo, int32_t hi)
{
    auto noProgress = [](int32_t) {};
    detail::QuickSortIndices(compare, swap, noProgress, lo, hi);
}

}  // namespace vek
