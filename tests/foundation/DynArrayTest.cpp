// Tests of DynArray and DoubleArray: exact blocks, copies, short memory, arithmetic and sorting.
#include "foundation/memory/DynArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "foundation/memory/BlockAllocator.h"

namespace vek {
namespace {

class DynArrayTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

template <typename Array>
std::vector<decltype(Array().Get(0))> Values(const Array& array)
{
    std::vector<decltype(Array().Get(0))> values;
    for (int32_t i = 0; i < array.Count(); ++i)
        values.push_back(array.Get(i));
    return values;
}

DynArray Ints(std::initializer_list<int32_t> values)
{
    DynArray array(int32_t(values.size()));
    int32_t i = 0;
    for (int32_t value : values)
        array.Set(i++, value);
    return array;
}

TEST_F(DynArrayTest, BlocksAreSizedExactly)
{
    struct Case {
        const char* name;
        int32_t count;
        int32_t bytes;
        int32_t (*blockSize)(int32_t);
    };
    const Case cases[] = {
        {"int 0", 0, 4, [](int32_t n) { return MemBlockSize(DynArray(n).Data()); }},
        {"int 1", 1, 4, [](int32_t n) { return MemBlockSize(DynArray(n).Data()); }},
        {"int 2", 2, 8, [](int32_t n) { return MemBlockSize(DynArray(n).Data()); }},
        {"int 5", 5, 20, [](int32_t n) { return MemBlockSize(DynArray(n).Data()); }},
        {"double 0", 0, 8, [](int32_t n) { return MemBlockSize(DoubleArray(n).Data()); }},
        {"double 3", 3, 24, [](int32_t n) { return MemBlockSize(DoubleArray(n).Data()); }},
        {"pointer 0", 0, 32, [](int32_t n) { return MemBlockSize(PointerArray(n).Data()); }},
        {"pointer 4", 4, 32, [](int32_t n) { return MemBlockSize(PointerArray(n).Data()); }},
        {"pointer 5", 5, 40, [](int32_t n) { return MemBlockSize(PointerArray(n).Data()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.blockSize(c.count), c.bytes);
    }
    DynArray array(5);
    EXPECT_EQ(array.MemorySize(), MemBlockFootprint(array.Data()) + 12);
    EXPECT_EQ(DynArray(-3).Count(), 0);
}

TEST_F(DynArrayTest, ResizeKeepsValuesAndKeepsSmallBlocks)
{
    PointerArray pointers(2);
    void* const* block = pointers.Data();
    ASSERT_TRUE(pointers.Resize(3));
    EXPECT_EQ(pointers.Data(), block) << "up to 4 slots live in the same block";
    ASSERT_TRUE(pointers.Resize(0));
    EXPECT_EQ(pointers.Data(), block);

    DynArray array = Ints({4, 5, 6});
    ASSERT_TRUE(array.Resize(1000));
    EXPECT_EQ(array.Get(2), 6);
    ASSERT_TRUE(array.Resize(2));
    EXPECT_EQ(Values(array), (std::vector<int32_t>{4, 5}));
    EXPECT_FALSE(array.Resize(-1));
    EXPECT_FALSE(array.Resize(std::numeric_limits<int32_t>::max())) << "more bytes than a block can have";
    EXPECT_EQ(Values(array), (std::vector<int32_t>{4, 5}));
}

TEST_F(DynArrayTest, KeepsValuesWhenMemoryRunsShort)
{
    DynArray array = Ints({1, 2, 3});
    DoubleArray doubles(2);
    doubles.Fill(1.5);
    MemFailAllocationsAfter(0);
    EXPECT_FALSE(array.Resize(4));
    EXPECT_FALSE(doubles.Resize(3));
    EXPECT_EQ(Values(array), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(Values(doubles), (std::vector<double>{1.5, 1.5}));

    DynArray copy = Ints({9});
    EXPECT_FALSE(copy.DynArrayCopy(array));
    EXPECT_EQ(copy.Count(), 0);
    DynArray failed(10);
    EXPECT_EQ(failed.Count(), 0);
    EXPECT_EQ(failed.Data(), nullptr);
    failed.Fill(3);
    failed.FillWithIndices();
    failed.SortRange(0, 9);
    EXPECT_EQ(failed.Get(0), 0);
    MemFailAllocationsAfter(-1);
    EXPECT_TRUE(failed.Resize(2));
}

TEST_F(DynArrayTest, IndicesOutsideAreIgnored)
{
    DynArray array = Ints({1, 2, 3});
    for (int32_t i : {-1, 3, 1000}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(array.Get(i), 0);
        array.Set(i, 99);
        array.SwapElements(0, i);
        EXPECT_EQ(array.CompareElements(0, i), 0);
    }
    array.Reverse(0, 3);
    array.SortRange(-1, 2);
    array.FillIndicesN(1000);
    EXPECT_EQ(Values(array), (std::vector<int32_t>{0, 1, 2}));
    DoubleArray doubles(4);
    doubles.Fill(0);
    doubles.MoveRange(0, 1, 4);
    doubles.MoveRange(-1, 0, 1);
    doubles.MoveRange(3, 0, 2);
    doubles.MoveRange(0, 0, -1);
    EXPECT_EQ(Values(doubles), (std::vector<double>(4, 0)));
    PointerArray pointers(1);
    EXPECT_EQ(pointers.Get(1), nullptr);
}

TEST_F(DynArrayTest, SortsBySignedValueAndNaNLast)
{
    DynArray array = Ints({3, -1, 2});
    array.SortRange(0, 2);
    EXPECT_EQ(Values(array), (std::vector<int32_t>{-1, 2, 3}));
    EXPECT_EQ(array.CompareElements(0, 1), -1);
    EXPECT_EQ(array.CompareElements(2, 1), 1);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    DoubleArray doubles(3);
    doubles.Set(0, 2);
    doubles.Set(1, nan);
    doubles.Set(2, 1);
    EXPECT_EQ(doubles.CompareElements(1, 0), 1);
    EXPECT_EQ(doubles.CompareElements(0, 1), -1);
    EXPECT_EQ(doubles.CompareElements(1, 1), 0);
    doubles.SortRange(0, 2);
    EXPECT_EQ(doubles.Get(0), 1);
    EXPECT_EQ(doubles.Get(1), 2);
    EXPECT_TRUE(std::isnan(doubles.Get(2)));

    std::mt19937 random(3);
    DynArray many(500);
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < many.Count(); ++i) {
        many.Set(i, int32_t(random() % 50) - 25);
        expected.push_back(many.Get(i));
    }
    std::sort(expected.begin() + 100, expected.begin() + 401);
    many.SortRange(100, 400);
    EXPECT_EQ(Values(many), expected);
    many.Reverse(0, 499);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(Values(many), expected);
}

// The comparison looks the elements up itself through the caller's context.
TEST_F(DynArrayTest, SortWithComparatorUsesTheCallersContext)
{
    std::vector<std::string> names = {"pear", "apple", "fig", "banana"};
    DynArray order(4);
    order.FillWithIndices();
    struct Context {
        const std::vector<std::string>* names;
        const DynArray* order;
    } context{&names, &order};
    order.SortWithComparator(
        [](void* opaque, int32_t i, int32_t j) {
            auto* c = static_cast<Context*>(opaque);
            return int32_t(c->names->at(std::size_t(c->order->Get(i))).compare(c->names->at(std::size_t(c->order->Get(j)))));
        },
        &context);
    EXPECT_EQ(Values(order), (std::vector<int32_t>{1, 3, 2, 0}));

    int a = 3, b = 1, c = 2;
    PointerArray pointers(3);
    pointers.Set(0, &a);
    pointers.Set(1, &b);
    pointers.Set(2, &c);
    pointers.SortWithComparator(
        [](void* opaque, int32_t i, int32_t j) {
            auto* array = static_cast<PointerArray*>(opaque);
            return *static_cast<int*>(array->Get(i)) - *static_cast<int*>(array->Get(j));
        },
        &pointers);
    EXPECT_EQ(Values(pointers), (std::vector<void*>{&b, &c, &a}));
    pointers.Fill(nullptr);
    EXPECT_EQ(Values(pointers), (std::vector<void*>(3, nullptr)));
}

TEST_F(DynArrayTest, DoubleArithmetic)
{
    DoubleArray doubles(6);
    for (int32_t i = 0; i < 6; ++i)
        doubles.Set(i, i);
    doubles.MoveRange(2, 0, 3);  // overlapping, forwards
    EXPECT_EQ(Values(doubles), (std::vector<double>{0, 1, 0, 1, 2, 5}));
    doubles.MoveRange(0, 3, 3);  // backwards
    EXPECT_EQ(Values(doubles), (std::vector<double>{1, 2, 5, 1, 2, 5}));

    DynArray counts = Ints({2, 4, 0, -1, 0, 5});
    doubles.DivideByInts(counts);
    EXPECT_EQ(doubles.Get(0), 0.5);
    EXPECT_EQ(doubles.Get(1), 0.5);
    EXPECT_TRUE(std::isinf(doubles.Get(2)));
    EXPECT_EQ(doubles.Get(3), -1);
    EXPECT_EQ(doubles.Get(5), 1);

    doubles.FromInts(Ints({4, 9, 16}));  // shorter: the rest stays
    EXPECT_EQ(Values(doubles).front(), 4);
    doubles.Sqrt();
    EXPECT_EQ(doubles.Get(1), 3);
    doubles.Log();
    doubles.Exp();
    EXPECT_NEAR(doubles.Get(2), 4, 1e-12);
}

TEST_F(DynArrayTest, CopiesTakeValuesAndFlags)
{
    DoubleArray doubles(2, 2);
    doubles.Fill(7);
    DoubleArray copy;
    ASSERT_TRUE(copy.DoubleArrayCopy(doubles));
    EXPECT_EQ(copy.Flags(), 2);
    EXPECT_EQ(Values(copy), (std::vector<double>{7, 7}));
    ASSERT_TRUE(copy.InitCopy(doubles, 1));
    EXPECT_EQ(copy.Flags(), 1);
    copy.Set(0, 1);
    EXPECT_EQ(doubles.Get(0), 7);

    DynArray ints = Ints({1, 2, 3});
    DynArray target = Ints({0, 0});
    target.Assign(ints);
    EXPECT_EQ(Values(target), (std::vector<int32_t>{1, 2}));
    DynArray moved(std::move(ints));
    EXPECT_EQ(moved.Count(), 3);
    EXPECT_EQ(ints.Count(), 0);
}

}  // namespace
}  // namespace vek
