// CallbackSort: the quicksort and selection sort that work through compare and swap callbacks.
#include "foundation/memory/CallbackSort.h"

namespace vek {

namespace {

struct BoundCallbacks {
    const SortCallbacks& callbacks;
    int32_t Compare(int32_t i, int32_t j) const { return callbacks.compare(callbacks.compareContext, i, j); }
    void Swap(int32_t i, int32_t j) const { callbacks.swap(callbacks.swapContext, i, j); }
    void Progress(int32_t count) const
    {
        if (callbacks.progress)
            callbacks.progress(callbacks.progressContext, count);
    }
};

}  // namespace

void QuickSortRange(const SortCallbacks& callbacks, int32_t lo, int32_t hi)
{
    BoundCallbacks bound{callbacks};
    auto compare = [&](int32_t i, int32_t j) { return bound.Compare(i, j); };
    auto swap = [&](int32_t i, int32_t j) { bound.Swap(i, j); };
    auto progress = [&](int32_t count) { bound.Progress(count); };
    detail::QuickSortIndices(compare, swap, progress, lo, hi);
}

void SortWithCallbacks(const SortCallbacks& callbacks, int32_t n)
{
    if (n < 2)
        return;
    QuickSortRange(callbacks, 0, n - 1);
}

void SelectionSortRange(const SortCallbacks& callbacks, int32_t lo, int32_t hi)
{
    BoundCallbacks bound{callbacks};
    auto compare = [&](int32_t i, int32_t j) { return bound.Compare(i, j); };
    auto swap = [&](int32_t i, int32_t j) { bound.Swap(i, j); };
    auto progress = [](int32_t) {};
    detail::SelectionSortIndices(compare, swap, progress, lo, hi);
}

void ReverseRange(const SortCallbacks& callbacks, int32_t lo, int32_t hi)
{
    while (lo < hi) {
        callbacks.swap(callbacks.swapContext, lo, hi);
        ++lo;
        --hi;
    }
}

}  // namespace vek
