// CountedValueSet: medians over repeated values against a sorted copy, -0 and NaN, adding after a
// median, growth out of the inline entries, and a set that cannot grow keeping what it holds.
#include "foundation/memory/CountedValueSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "foundation/memory/BlockAllocator.h"

namespace vek {
namespace {

double SortedMedian(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

TEST(CountedValueSetTest, Medians)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<double> values;
        double median;
        int64_t distinct;
    } cases[] = {
        {"empty: the empty value", {}, nan, 0},
        {"one value", {7.0}, 7.0, 1},
        {"two values: their mean", {7.0, 2.0}, 4.5, 2},
        {"three: the middle one", {3.0, -1.0, 2.0}, 2.0, 3},
        {"repeats count", {5.0, 5.0, 5.0, 1.0}, 5.0, 2},
        {"an even count between two distinct values", {1.0, 1.0, 9.0, 9.0}, 5.0, 2},
        {"-0 and +0 are one value", {-0.0, 0.0, 1.0}, 0.0, 2},
        {"a NaN leaves no median", {1.0, nan, 2.0}, nan, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountedValueSet set;
        for (double v : c.values)
            ASSERT_TRUE(set.Add(v));
        double median = set.Median();
        if (std::isnan(c.median))
            EXPECT_TRUE(std::isnan(median)) << median;
        else
            EXPECT_EQ(median, c.median);
        EXPECT_EQ(set.DistinctCount(), c.distinct);
        EXPECT_EQ(set.Count(), int64_t(c.values.size()));
    }
}

// Thousands of values with many repeats, a median taken midway and values added after it: every
// median is that of a sorted copy of what was added so far.
TEST(CountedValueSetTest, GrowsAndKeepsCountingAfterAMedian)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> amount(-300, 300);
    CountedValueSet set;
    std::vector<double> added;
    for (int32_t round = 0; round < 4; ++round) {
        for (int32_t i = 0; i < 2501; ++i) {
            double v = amount(random) / 4.0;
            ASSERT_TRUE(set.Add(v));
            added.push_back(v);
        }
        EXPECT_EQ(set.Median(), SortedMedian(added)) << "round " << round;
    }
    EXPECT_LE(set.DistinctCount(), 601);
    set.Clear();
    EXPECT_TRUE(std::isnan(set.Median()));
    ASSERT_TRUE(set.Add(3.0));
    EXPECT_EQ(set.Median(), 3.0);
}

// A set that cannot grow says so and keeps what it holds; the inline entries need no block.
TEST(CountedValueSetTest, ASetThatCannotGrowKeepsItsValues)
{
    CountedValueSet set;
    MemFailAllocationsAfter(0);
    bool refused = false;
    int32_t kept = 0;
    for (int32_t i = 0; i < 100 && !refused; ++i) {
        refused = !set.Add(double(i));
        kept += refused ? 0 : 1;
    }
    EXPECT_TRUE(refused);
    EXPECT_GE(kept, 1);
    EXPECT_LE(kept, CountedValueSet::kInlineEntries);
    EXPECT_TRUE(set.Add(0.0));  // a value it holds is still counted
    EXPECT_FALSE(set.Reserve(1000));
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(set.DistinctCount(), kept);
    EXPECT_EQ(set.Count(), kept + 1);
    std::vector<double> held;
    for (int32_t i = 0; i < kept; ++i)
        held.push_back(double(i));
    held.push_back(0.0);
    EXPECT_EQ(set.Median(), SortedMedian(held));
    ASSERT_TRUE(set.Reserve(1000));
    for (int32_t i = 0; i < 700; ++i)
        ASSERT_TRUE(set.Add(double(i)));
    set.Free();
    EXPECT_EQ(set.Count(), 0);
}

}  // namespace
}  // namespace vek
