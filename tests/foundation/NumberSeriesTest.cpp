// Tests of NumberSeries: medians against their definition, weights, growth and merged series.
#include "foundation/numbers/NumberSeries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "foundation/memory/Hash.h"

namespace vek {
namespace {

// The weighted median by its definition, over the sorted distinct values.
double ReferenceMedian(std::vector<std::pair<double, int32_t>> weighted)
{
    std::sort(weighted.begin(), weighted.end());
    int64_t total = 0;
    for (const auto& entry : weighted)
        total += entry.second;
    if (total == 0)
        return std::numeric_limits<double>::quiet_NaN();
    int64_t atOrBelow = 0;
    for (size_t k = 0; k < weighted.size(); ++k) {
        atOrBelow += weighted[k].second;
        if (2 * atOrBelow == total)
            return (weighted[k].first + weighted[k + 1].first) * 0.5;
        if (2 * atOrBelow > total)
            return weighted[k].first;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

TEST(NumberSeriesTest, SmallMedians)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, int32_t>> values;
        double median;
    };
    const Case cases[] = {
        {"odd count", {{1, 1}, {2, 1}, {3, 1}}, 2.0},
        {"even count", {{1, 1}, {2, 1}, {3, 1}, {4, 1}}, 2.5},
        {"heavy value", {{5, 3}, {1, 1}}, 5.0},
        {"even split", {{1, 2}, {3, 2}}, 2.0},
        {"one value", {{-7.25, 1}}, -7.25},
        {"infinities", {{-INFINITY, 1}, {INFINITY, 2}}, INFINITY},
        {"unsorted", {{9, 1}, {-3, 1}, {4, 1}, {0.5, 1}, {100, 1}, {2, 1}, {7, 1}}, 4.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NumberSeries series;
        for (const auto& [value, weight] : c.values)
            EXPECT_TRUE(series.AddWeighted(value, weight));
        EXPECT_EQ(series.Median(), c.median);
    }
}

TEST(NumberSeriesTest, EmptyAndClearedSeriesHaveNoMedian)
{
    NumberSeries series;
    EXPECT_TRUE(std::isnan(series.Median()));
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(series.Add(2.0));
    EXPECT_EQ(series.Distinct(), 1);
    EXPECT_EQ(series.Total(), 10);
    EXPECT_EQ(series.Median(), 2.0);
    int32_t size = series.TableSize();
    series.Clear();
    EXPECT_TRUE(std::isnan(series.Median()));
    EXPECT_EQ(series.TableSize(), size);
    EXPECT_TRUE(series.Add(4.0));
    EXPECT_EQ(series.Median(), 4.0);
}

// A weight of 0 once counted the value as distinct while its position still read as empty, so the
// selection ran over positions that held nothing, and a series of only such values had no total to
// halve. Weights below 1 now add nothing.
TEST(NumberSeriesTest, WeightsBelowOneAddNothing)
{
    NumberSeries onlyZero;
    EXPECT_FALSE(onlyZero.AddWeighted(5.0, 0));
    EXPECT_FALSE(onlyZero.AddWeighted(6.0, -3));
    EXPECT_EQ(onlyZero.Distinct(), 0);
    EXPECT_EQ(onlyZero.Total(), 0);
    EXPECT_TRUE(std::isnan(onlyZero.Median()));

    NumberSeries mixed;
    EXPECT_FALSE(mixed.AddWeighted(7.0, 0));
    for (double x : {1.0, 2.0, 3.0})
        EXPECT_TRUE(mixed.Add(x));
    EXPECT_FALSE(mixed.AddWeighted(2.0, 0));  // also on a value that is present
    EXPECT_EQ(mixed.Distinct(), 3);
    EXPECT_EQ(mixed.Total(), 3);
    EXPECT_EQ(mixed.Median(), 2.0);
}

TEST(NumberSeriesTest, MissingNumbersAndNegativeZero)
{
    NumberSeries series;
    EXPECT_FALSE(series.Add(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(series.Distinct(), 0);
    EXPECT_TRUE(series.Add(-0.0));
    EXPECT_TRUE(series.Add(0.0));
    EXPECT_EQ(series.Distinct(), 1);
    EXPECT_EQ(series.Total(), 2);
    EXPECT_FALSE(series.Add(std::nan("")));
    EXPECT_TRUE(series.Add(1.0));
    EXPECT_TRUE(series.Add(1.0));
    // 0, 0, 1, 1: exactly half at 0, so the mean of 0 and 1; the NaN did not count.
    EXPECT_EQ(series.Median(), 0.5);
}

TEST(NumberSeriesTest, GrowingKeepsEveryCount)
{
    NumberSeries series;
    std::vector<std::pair<double, int32_t>> reference;
    for (int i = 0; i < 1500; ++i) {
        double value = i * 0.25 - 100;
        int32_t weight = 1 + i % 4;
        ASSERT_TRUE(series.AddWeighted(value, weight));
        reference.emplace_back(value, weight);
        if (i == 902) {
            EXPECT_EQ(series.TableSize(), 1031);  // 903 distinct values fill the first table
        }
    }
    EXPECT_EQ(series.TableSize(), HashTableSize(HashLoadLimit(1031)));
    EXPECT_EQ(series.Distinct(), 1500);
    int64_t total = 0;
    for (const auto& entry : reference)
        total += entry.second;
    EXPECT_EQ(series.Total(), total);
    EXPECT_EQ(series.Median(), ReferenceMedian(reference));
    // Explicit growth keeps the values too; a smaller request changes nothing.
    ASSERT_TRUE(series.Grow(5000));
    EXPECT_EQ(series.TableSize(), HashTableSize(5000));
    ASSERT_TRUE(series.Grow(10));
    EXPECT_EQ(series.TableSize(), HashTableSize(5000));
    EXPECT_EQ(series.Median(), ReferenceMedian(reference));
}

// A table that cannot grow (here: more positions than a block can hold) leaves the series as it was.
TEST(NumberSeriesTest, FailedGrowthKeepsTheSeries)
{
    NumberSeries series;
    for (double x : {1.0, 2.0, 3.0})
        EXPECT_TRUE(series.Add(x));
    EXPECT_FALSE(series.Grow(INT32_MAX));
    EXPECT_EQ(series.TableSize(), 1031);
    EXPECT_EQ(series.Distinct(), 3);
    EXPECT_EQ(series.Median(), 2.0);
    EXPECT_TRUE(series.Add(4.0));
    EXPECT_EQ(series.Median(), 2.5);
}

TEST(NumberSeriesTest, AddSeries)
{
    NumberSeries source;
    for (double x : {3.0, 1.0, 4.0, 1.0, 5.0, 9.0, 2.0, 6.0})
        EXPECT_TRUE(source.Add(x));
    NumberSeries copy;
    copy.AddSeries(source);
    EXPECT_EQ(copy.Total(), source.Total());
    EXPECT_EQ(copy.Distinct(), source.Distinct());
    EXPECT_EQ(copy.Median(), source.Median());
    copy.AddSeries(NumberSeries());  // an empty series adds nothing
    EXPECT_EQ(copy.Total(), 8);
    // Adding a series to itself doubles every count.
    double median = source.Median();
    source.AddSeries(source);
    EXPECT_EQ(source.Total(), 16);
    EXPECT_EQ(source.Distinct(), 7);
    EXPECT_EQ(source.Median(), median);
}

// The selection must agree with the definition whatever the order, the repeats and the weights.
TEST(NumberSeriesTest, MedianMatchesTheDefinition)
{
    std::mt19937 generator(20240601);
    for (int round = 0; round < 300; ++round) {
        int count = 1 + int(generator() % (round < 250 ? 60 : 4000));
        bool fewDistinct = round % 3 == 0;
        NumberSeries series;
        std::vector<std::pair<double, int32_t>> reference;
        for (int i = 0; i < count; ++i) {
            double value = fewDistinct ? double(generator() % 7) : double(int32_t(generator() % 200001) - 100000) / 8;
            int32_t weight = 1 + int32_t(generator() % (round % 2 == 0 ? 1 : 5));
            ASSERT_TRUE(series.AddWeighted(value, weight));
            auto found = std::find_if(reference.begin(), reference.end(),
                                      [&](const auto& entry) { return entry.first == value; });
            if (found != reference.end())
                found->second += weight;
            else
                reference.emplace_back(value, weight);
        }
        SCOPED_TRACE(round);
        ASSERT_EQ(series.Distinct(), int32_t(reference.size()));
        ASSERT_EQ(series.Median(), ReferenceMedian(reference));
        // A second median over the same table (the order array now permuted) gives the same.
        ASSERT_EQ(series.Median(), ReferenceMedian(reference));
    }
}

TEST(NumberSeriesTest, CountsNeverOverflow)
{
    NumberSeries series;
    EXPECT_TRUE(series.AddWeighted(1.0, std::numeric_limits<int32_t>::max()));
    EXPECT_FALSE(series.AddWeighted(1.0, 1));
    EXPECT_TRUE(series.AddWeighted(2.0, std::numeric_limits<int32_t>::max()));
    EXPECT_TRUE(series.AddWeighted(3.0, 1));
    EXPECT_EQ(series.Total(), 2 * int64_t(std::numeric_limits<int32_t>::max()) + 1);
    EXPECT_EQ(series.Median(), 2.0);
}

}  // namespace
}  // namespace vek
