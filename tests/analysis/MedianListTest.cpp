// The median list: the median after each way of ordering, growth, and values that cannot be stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/MedianList.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "synthetic/SyntheticBase.h"

namespace vek {
namespace {

double ReferenceMedian(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

bool IsAscending(const MedianList& list, int32_t n)
{
    for (int32_t i = 1; i < n; ++i) {
        if (list.At(i - 1) > list.At(i))
            return false;
    }
    return true;
}

TEST(MedianListTest, SmallCountsFollowTheirOwnRules)
{
    struct Case {
        const char* name;
        std::vector<double> values;
        double median;
    };
    const Case cases[] = {
        {"one value", {7.5}, 7.5},
        {"two values give their mean", {4, 1}, 2.5},
        {"three give the middle", {9, -1, 3}, 3},
        {"four give the mean of the middle two", {10, 1, 4, 2}, 3},
        {"repeats count", {2, 2, 2, 9, 9}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MedianList list;
        for (double x : c.values)
            ASSERT_TRUE(list.Add(x));
        EXPECT_DOUBLE_EQ(list.Median(), c.median);
    }
    MedianList empty;
    EXPECT_TRUE(std::isnan(empty.Median()));
    EXPECT_EQ(empty.Capacity(), MedianList::kInitialCapacity);
    EXPECT_EQ(empty.SortedLength(), -1);
}

TEST(MedianListTest, SelectsThenSortsThenMergesOnlyTheNewValues)
{
    SyntheticRandom random(11);
    MedianList list;
    std::vector<double> all;
    auto addSome = [&](int32_t n) {
        for (int32_t i = 0; i < n; ++i) {
            double x = double(random.Below(200)) - 100.0;
            all.push_back(x);
            ASSERT_TRUE(list.Add(x));
        }
    };
    addSome(40);
    EXPECT_DOUBLE_EQ(list.Median(), ReferenceMedian(all));
    EXPECT_EQ(list.SortedLength(), 0) << "the first request only places the middle";
    addSome(7);
    EXPECT_DOUBLE_EQ(list.Median(), ReferenceMedian(all));
    EXPECT_EQ(list.SortedLength(), 47) << "a sorted length below 5 sorts everything";
    EXPECT_TRUE(IsAscending(list, 47));
    // 251 new values: one chunk of 250 merged, then one insertion.
    addSome(251);
    EXPECT_DOUBLE_EQ(list.Median(), ReferenceMedian(all));
    EXPECT_EQ(list.SortedLength(), 298);
    EXPECT_TRUE(IsAscending(list, 298));
    addSome(2);
    EXPECT_DOUBLE_EQ(list.Median(), ReferenceMedian(all));
    EXPECT_TRUE(IsAscending(list, 300));
    EXPECT_GE(list.Capacity(), 300);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.SortedLength(), -1);
    EXPECT_GE(list.Capacity(), 300) << "the capacity stays";
}

TEST(MedianListTest, MediansOfRandomListsMatchASortedCopy)
{
    SyntheticRandom random(5);
    for (int32_t n : {3, 5, 6, 7, 11, 64, 257, 1000}) {
        SCOPED_TRACE(n);
        MedianList list;
        std::vector<double> values;
        for (int32_t i = 0; i < n; ++i) {
            double x = double(random.Below(50));  // many repeats
            values.push_back(x);
            ASSERT_TRUE(list.Add(x));
        }
        EXPECT_DOUBLE_EQ(list.Median(), ReferenceMedian(values));
        EXPECT_DOUBLE_EQ(list.Median(), ReferenceMedian(values)) << "second request, full sort";
    }
}

TEST(MedianListTest, AppendTakesTheOtherListsValues)
{
    MedianList first;
    MedianList second;
    for (double x : {1.0, 2.0, 3.0})
        ASSERT_TRUE(first.Add(x));
    for (int32_t i = 0; i < 40; ++i)
        ASSERT_TRUE(second.Add(100.0 + i));
    ASSERT_TRUE(first.Append(second));
    EXPECT_EQ(first.Count(), 43);
    EXPECT_DOUBLE_EQ(first.Median(), 118.0);
}

// Space the caller fills counts as added values, behind those held, also after a median was taken.
TEST(MedianListTest, AddSpaceCountsTheValuesTheCallerStores)
{
    MedianList list;
    for (double x : {5.0, 1.0, 3.0})
        ASSERT_TRUE(list.Add(x));
    EXPECT_DOUBLE_EQ(list.Median(), 3.0);
    double* slots = list.AddSpace(40);
    ASSERT_NE(slots, nullptr);
    for (int32_t i = 0; i < 40; ++i)
        slots[i] = 100.0 + i;
    EXPECT_EQ(list.Count(), 43);
    EXPECT_DOUBLE_EQ(list.Median(), 118.0);
    EXPECT_NE(list.AddSpace(0), nullptr);
    EXPECT_EQ(list.Count(), 43);
}

// Regression: a list that could not grow dropped the value (or a whole append) without a word, and the
// median looked whole.
TEST(MedianListTest, AValueThatCannotBeStoredStopsWithMessage3950)
{
    ClearError();
    MedianList list;
    for (int32_t i = 0; i < MedianList::kInitialCapacity; ++i)
        ASSERT_TRUE(list.Add(double(i)));
    MedianList other;
    ASSERT_TRUE(other.Add(1.0));
    MemFailAllocationsAfter(0);
    bool added = list.Add(99.0);
    bool appended = list.Append(other);
    MemFailAllocationsAfter(-1);
    EXPECT_FALSE(added);
    EXPECT_FALSE(appended);
    EXPECT_EQ(list.Count(), MedianList::kInitialCapacity) << "the values held are kept";
    EXPECT_TRUE(IsErrorPending());
    EXPECT_EQ(GetPendingError().message.code, message::kAnalysisIncomplete);
    ClearError();

    // Space that cannot be made, or a negative count, changes nothing.
    MemFailAllocationsAfter(0);
    double* space = list.AddSpace(1);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(space, nullptr);
    EXPECT_EQ(GetPendingError().message.code, message::kAnalysisIncomplete);
    ClearError();
    EXPECT_EQ(list.AddSpace(-1), nullptr);
    EXPECT_EQ(list.Count(), MedianList::kInitialCapacity);
    ClearError();
}

}  // namespace
}  // namespace vek
