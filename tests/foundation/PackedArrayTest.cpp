// Tests of PackedArray: every bit width, raising the maximum, copies, sorting and short memory.
#include "foundation/memory/PackedArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "foundation/memory/BlockAllocator.h"

namespace vek {
namespace {

class PackedArrayTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

std::vector<uint32_t> Values(const PackedArray& array)
{
    std::vector<uint32_t> values;
    for (int32_t i = 0; i < array.Count(); ++i)
        values.push_back(array.Get(i));
    return values;
}

PackedArray FromValues(const std::vector<uint32_t>& values, int32_t largest)
{
    PackedArray array(int32_t(values.size()), largest);
    for (std::size_t i = 0; i < values.size(); ++i)
        array.Set(int32_t(i), values[i]);
    return array;
}

struct Row {
    int32_t width;
    uint32_t maximum;
    int32_t groupElements;
    int32_t groupBytes;
};

const Row kLadder[] = {
    {1, 0x1, 8, 1},        {2, 0x3, 4, 1},        {3, 0x7, 8, 3},        {4, 0xf, 2, 1},
    {5, 0x1f, 8, 5},       {6, 0x3f, 4, 3},       {7, 0x7f, 8, 7},       {8, 0xff, 1, 1},
    {9, 0x1ff, 8, 9},      {10, 0x3ff, 4, 5},     {11, 0x7ff, 8, 11},    {12, 0xfff, 2, 3},
    {13, 0x1fff, 8, 13},   {14, 0x3fff, 4, 7},    {15, 0x7fff, 8, 15},   {16, 0xffff, 1, 2},
    {17, 0x1ffff, 8, 17},  {18, 0x3ffff, 8, 18},  {19, 0x7ffff, 8, 19},  {20, 0xfffff, 4, 10},
    {21, 0x1fffff, 8, 21}, {22, 0x3fffff, 4, 11}, {24, 0xffffff, 1, 3},  {28, 0xfffffff, 2, 7},
    {32, 0x7fffffff, 1, 4},
};

TEST_F(PackedArrayTest, MaskForMaximumPicksTheFirstRowThatHoldsTheValue)
{
    struct Case {
        int32_t largest;
        uint32_t mask;
    };
    const Case cases[] = {
        {-5, 1},           {0, 1},           {1, 1},          {2, 3},          {3, 3},
        {4, 7},            {255, 0xff},      {256, 0x1ff},    {0x3fffff, 0x3fffff},
        {0x400000, 0xffffff}, {0xffffff, 0xffffff}, {0x1000000, 0xfffffff}, {0x10000000, 0x7fffffff},
        {0x7fffffff, 0x7fffffff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.largest);
        EXPECT_EQ(PackedArray::MaskForMaximum(c.largest), c.mask);
    }
}

// Every width keeps every value of its range and never disturbs its neighbours; the data block has the
// row's byte count exactly, so the sanitizer build catches any access past the last element.
TEST_F(PackedArrayTest, EveryRowKeepsItsValuesInItsByteCount)
{
    std::mt19937 random(5);
    for (const Row& row : kLadder) {
        SCOPED_TRACE(row.width);
        for (int32_t n : {1, 7, 8, 9, 37}) {
            SCOPED_TRACE(n);
            PackedArray array(n, int32_t(row.maximum));
            ASSERT_EQ(array.Count(), n);
            EXPECT_EQ(array.Maximum(), row.maximum);
            EXPECT_EQ(array.Width(), row.width);
            const int32_t bytes = (n + row.groupElements - 1) / row.groupElements * row.groupBytes;
            EXPECT_EQ(PackedArray::DataBytes(n, row.maximum), bytes);
            EXPECT_EQ(MemBlockSize(array.Data()), bytes);
            std::vector<uint32_t> values(static_cast<std::size_t>(n));
            for (uint32_t& value : values)
                value = random() & row.maximum;
            values.back() = row.maximum;
            for (std::size_t i = 0; i < values.size(); ++i)
                array.Set(int32_t(i), values[i]);
            EXPECT_EQ(Values(array), values);
            // The largest value and zero written between neighbours leave them alone.
            array.Set(0, 0);
            values[0] = 0;
            array.Set(n / 2, row.maximum);
            values[std::size_t(n / 2)] = row.maximum;
            EXPECT_EQ(Values(array), values);
        }
    }
}

TEST_F(PackedArrayTest, ValueAboveTheMaximumIsCutToTheWidth)
{
    PackedArray array = FromValues({1, 2, 3, 4}, 7);
    array.Set(1, 0xFFFF);
    EXPECT_EQ(Values(array), (std::vector<uint32_t>{1, 7, 3, 4}));
}

TEST_F(PackedArrayTest, RaisingTheMaximumKeepsTheValues)
{
    std::vector<uint32_t> values = {0, 1, 2, 3, 4, 5, 5, 4, 3, 2};
    PackedArray array = FromValues(values, 5);
    EXPECT_EQ(array.Width(), 3);
    EXPECT_EQ(MemBlockSize(array.Data()), 6);
    ASSERT_TRUE(array.SetMaximum(300));
    EXPECT_EQ(array.Width(), 9);
    EXPECT_EQ(MemBlockSize(array.Data()), 18);
    EXPECT_EQ(Values(array), values);
    ASSERT_TRUE(array.SetMaximum(6)) << "narrowing back";
    EXPECT_EQ(array.Width(), 3);
    EXPECT_EQ(Values(array), values);
    EXPECT_EQ(array.MemorySize(), MemBlockFootprint(array.Data()) + 24);
}

TEST_F(PackedArrayTest, ResizeReinitAndFill)
{
    PackedArray array = FromValues({9, 8, 7}, 15);
    ASSERT_TRUE(array.Resize(5));
    EXPECT_EQ(array.Get(2), 7u);
    array.Set(3, 1);
    array.Set(4, 2);
    ASSERT_TRUE(array.Resize(2));
    EXPECT_EQ(Values(array), (std::vector<uint32_t>{9, 8}));
    ASSERT_TRUE(array.Reinit(4, 1000));
    EXPECT_EQ(array.Width(), 10);
    EXPECT_EQ(array.Get(1), 8u);
    array.Fill(1000);
    EXPECT_TRUE(array.AllEqual(1000));
    array.Fill(0);
    EXPECT_TRUE(array.AllEqual(0));
    ASSERT_TRUE(array.Resize(0));
    EXPECT_EQ(array.Data(), nullptr);
    EXPECT_TRUE(array.AllEqual(5));
    ASSERT_TRUE(array.Resize(3));
    EXPECT_FALSE(array.Resize(-1));
    EXPECT_EQ(array.Count(), 3);
}

TEST_F(PackedArrayTest, AssignEqualsAndCopies)
{
    PackedArray source = FromValues({100, 0, 70000}, 70000);
    PackedArray target = FromValues({1}, 1);
    ASSERT_TRUE(target.Assign(source));
    EXPECT_TRUE(target.Equals(source));
    EXPECT_EQ(target.Maximum(), source.Maximum());
    target.Set(2, 69999);
    EXPECT_FALSE(target.Equals(source));
    EXPECT_FALSE(FromValues({100, 0}, 70000).Equals(source));
    EXPECT_TRUE(FromValues({100, 0, 70000}, 0x7fffffff).Equals(source)) << "widths may differ";

    PackedArray copy;
    ASSERT_TRUE(copy.InitCopy(source));
    EXPECT_EQ(Values(copy), Values(source));
    EXPECT_NE(copy.Data(), source.Data());
    PackedArray moved(std::move(copy));
    EXPECT_EQ(Values(moved), Values(source));
    EXPECT_EQ(copy.Count(), 0);
}

TEST_F(PackedArrayTest, IndicesOutsideAreIgnored)
{
    PackedArray array = FromValues({3, 1, 2}, 3);
    for (int32_t i : {-1, 3, 1 << 30}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(array.Get(i), 0u);
        array.Set(i, 3);
        array.SwapElements(0, i);
        EXPECT_EQ(array.CompareElements(i, 0), 0);
    }
    array.Reverse(0, 3);
    array.SortRange(0, 3);
    EXPECT_EQ(Values(array), (std::vector<uint32_t>{3, 1, 2}));
    PackedArray empty;
    EXPECT_EQ(empty.Get(0), 0u);
}

TEST_F(PackedArrayTest, SortsAndReverses)
{
    std::mt19937 random(9);
    std::vector<uint32_t> values(300);
    for (uint32_t& value : values)
        value = random() % 1000;
    PackedArray array = FromValues(values, 999);
    array.SortRange(10, 289);
    std::sort(values.begin() + 10, values.begin() + 290);
    EXPECT_EQ(Values(array), values);
    array.Reverse(0, 299);
    std::reverse(values.begin(), values.end());
    EXPECT_EQ(Values(array), values);
    EXPECT_EQ(array.CompareElements(0, 0), 0);

    // Descending through the caller's comparison.
    array.SortWithComparator(
        [](void* context, int32_t i, int32_t j) { return static_cast<PackedArray*>(context)->CompareElements(j, i); },
        &array);
    std::sort(values.begin(), values.end(), std::greater<>());
    EXPECT_EQ(Values(array), values);
}

TEST_F(PackedArrayTest, NothingChangesWhenMemoryRunsShort)
{
    std::vector<uint32_t> values = {5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5};
    PackedArray array = FromValues(values, 5);
    const uint8_t* data = array.Data();
    MemFailAllocationsAfter(0);
    EXPECT_FALSE(array.SetMaximum(1000));
    EXPECT_FALSE(array.Reinit(5, 1000));
    EXPECT_FALSE(array.Setup(100, 3));
    EXPECT_FALSE(array.Resize(100));
    PackedArray copy;
    EXPECT_FALSE(copy.InitCopy(array));
    EXPECT_EQ(copy.Count(), 0);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(array.Data(), data);
    EXPECT_EQ(array.Width(), 3);
    EXPECT_EQ(Values(array), values);
}

}  // namespace
}  // namespace vek
