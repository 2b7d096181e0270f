// Tests of CallbackSort: order, tie handling, the short-range sort and inconsistent comparisons.
#include "foundation/memory/CallbackSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace vek {
namespace {

// Elements carry a key and their original position, so that tie order can be observed.
struct Element {
    int key;
    int origin;
};

struct Recorder {
    std::vector<Element> elements;
    int compares = 0;
    int swaps = 0;
    int progressTotal = 0;
    std::vector<int> progressCounts;

    SortCallbacks Callbacks()
    {
        SortCallbacks callbacks;
        callbacks.compare = [](void* context, int32_t i, int32_t j) -> int32_t {
            auto* self = static_cast<Recorder*>(context);
            ++self->compares;
            return self->elements[i].key - self->elements[j].key;
        };
        callbacks.compareContext = this;
        callbacks.swap = [](void* context, int32_t i, int32_t j) {
            auto* self = static_cast<Recorder*>(context);
            ++self->swaps;
            std::swap(self->elements[i], self->elements[j]);
        };
        callbacks.swapContext = this;
        callbacks.progress = [](void* context, int32_t count) {
            auto* self = static_cast<Recorder*>(context);
            self->progressTotal += count;
            self->progressCounts.push_back(count);
        };
        callbacks.progressContext = this;
        return callbacks;
    }

    static Recorder FromKeys(const std::vector<int>& keys)
    {
        Recorder recorder;
        for (size_t i = 0; i < keys.size(); ++i)
            recorder.elements.push_back({keys[i], int(i)});
        return recorder;
    }

    std::vector<int> Keys() const
    {
        std::vector<int> keys;
        for (const Element& e : elements)
            keys.push_back(e.key);
        return keys;
    }
};

TEST(CallbackSort, TinyInputsCallNothing)
{
    for (int n : {0, 1}) {
        SCOPED_TRACE(n);
        Recorder recorder = Recorder::FromKeys(std::vector<int>(n, 7));
        SortWithCallbacks(recorder.Callbacks(), n);
        EXPECT_EQ(recorder.compares, 0);
        EXPECT_EQ(recorder.swaps, 0);
        EXPECT_TRUE(recorder.progressCounts.empty());
    }
}

TEST(CallbackSort, ShortRangesUseSelectionSortAndReportTheirSize)
{
    // Five elements: selection sort only, one progress report of 5. Ten compares is the full
    // selection-sort count; the median of three would add more.
    Recorder recorder = Recorder::FromKeys({5, 4, 3, 2, 1});
    SortWithCallbacks(recorder.Callbacks(), 5);
    EXPECT_EQ(recorder.Keys(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(recorder.compares, 10);
    EXPECT_EQ(recorder.progressCounts, std::vector<int>{5});

    // Among equal smallest elements the first one wins: the order of ties is kept.
    Recorder ties = Recorder::FromKeys({2, 1, 1, 1});
    SortWithCallbacks(ties.Callbacks(), 4);
    EXPECT_EQ(ties.elements[0].origin, 1);
    EXPECT_EQ(ties.elements[1].origin, 2);
    EXPECT_EQ(ties.elements[2].origin, 3);
}

TEST(CallbackSort, DescendingSixEndsAscendingWithProgressSummingToSix)
{
    Recorder recorder = Recorder::FromKeys({6, 5, 4, 3, 2, 1});
    SortWithCallbacks(recorder.Callbacks(), 6);
    EXPECT_EQ(recorder.Keys(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(recorder.progressTotal, 6);
    EXPECT_EQ(recorder.progressCounts.front(), 1);  // the pivot of the median of three
}

TEST(CallbackSort, SortsRandomInputAndCountsEveryElementOnce)
{
    std::mt19937 random(12345);
    for (int n : {2, 3, 6, 7, 100, 1000, 5000}) {
        for (int range : {3, 1000000}) {
            SCOPED_TRACE(::testing::Message() << n << " " << range);
            std::vector<int> keys(n);
            for (int& k : keys)
                k = int(random() % range);
            Recorder recorder = Recorder::FromKeys(keys);
            SortWithCallbacks(recorder.Callbacks(), n);
            std::vector<int> expected = keys;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(recorder.Keys(), expected);
            EXPECT_EQ(recorder.progressTotal, n);
        }
    }
}

TEST(CallbackSort, IsNotStableForLongRanges)
{
    Recorder recorder = Recorder::FromKeys({1, 1, 1, 1, 1, 1, 1, 1});
    SortWithCallbacks(recorder.Callbacks(), 8);
    bool moved = false;
    for (size_t i = 0; i < recorder.elements.size(); ++i)
        moved |= recorder.elements[i].origin != int(i);
    EXPECT_TRUE(moved);
}

TEST(CallbackSort, AlreadySortedAndAllEqualLargeInputsFinish)
{
    // Equal keys stop both scans, so long runs split evenly instead of degrading.
    for (bool allEqual : {false, true}) {
        std::vector<int> keys(200000);
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = allEqual ? 4 : int(i);
        Recorder recorder = Recorder::FromKeys(keys);
        SortWithCallbacks(recorder.Callbacks(), int32_t(keys.size()));
        std::vector<int> sorted = recorder.Keys();
        EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
        EXPECT_EQ(recorder.progressTotal, int(keys.size()));
    }
}

TEST(CallbackSort, InconsistentCompareStaysInsideTheRange)
{
    // A compare that claims everything is smaller must not make the scans leave lo .. hi.
    std::vector<int> values(50, 0);
    SortCallbacks callbacks;
    callbacks.compare = [](void*, int32_t, int32_t) -> int32_t { return -1; };
    callbacks.swap = [](void* context, int32_t i, int32_t j) {
        auto& v = *static_cast<std::vector<int>*>(context);
        ASSERT_GE(i, 0);
        ASSERT_LT(size_t(i), v.size());
        ASSERT_GE(j, 0);
        ASSERT_LT(size_t(j), v.size());
        std::swap(v[i], v[j]);
    };
    callbacks.swapContext = &values;
    SortWithCallbacks(callbacks, int32_t(values.size()));
    callbacks.compare = [](void*, int32_t, int32_t) -> int32_t { return 1; };
    SortWithCallbacks(callbacks, int32_t(values.size()));
}

TEST(CallbackSort, ReverseRangeAndTemplateForm)
{
    Recorder recorder = Recorder::FromKeys({1, 2, 3, 4, 5});
    ReverseRange(recorder.Callbacks(), 1, 4);
    EXPECT_EQ(recorder.Keys(), (std::vector<int>{1, 5, 4, 3, 2}));

    std::vector<int> values{9, 3, 7, 1, 8, 2, 6, 5, 4, 0};
    SortIndexRange([&](int32_t i, int32_t j) { return values[i] - values[j]; },
                   [&](int32_t i, int32_t j) { std::swap(values[i], values[j]); }, 0, 9);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
}

}  // namespace
}  // namespace vek
