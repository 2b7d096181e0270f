// Tests of BitSet: sizing, bits outside the set, set algebra, iteration and short memory.
#include "foundation/memory/BitSet.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "foundation/memory/BlockAllocator.h"

namespace vek {
namespace {

class BitSetTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

BitSet FromBits(const std::vector<bool>& bits)
{
    BitSet set(int32_t(bits.size()));
    set.SetAll(0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        set.SetBit(int32_t(i), bits[i]);
    return set;
}

std::vector<bool> ToBits(const BitSet& set)
{
    std::vector<bool> bits;
    for (int32_t i = 0; i < set.Count(); ++i)
        bits.push_back(set.GetBit(i));
    return bits;
}

TEST_F(BitSetTest, BlockHoldsWholeWords)
{
    struct Case {
        int32_t bits;
        int32_t words;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {32, 1}, {33, 2}, {64, 2}, {65, 3}, {1000, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        BitSet set(c.bits);
        EXPECT_EQ(set.Count(), c.bits);
        EXPECT_EQ(set.WordCount(), c.words);
        EXPECT_EQ(set.MemorySize(), MemBlockFootprint(set.Words()) + 12);
    }
    BitSet empty;
    EXPECT_EQ(empty.NextSet(-1), -1);
    EXPECT_EQ(empty.BitCount(), 0);
}

TEST_F(BitSetTest, ResizeKeepsTheBlockWithinItsWordsAndFillsOnRequest)
{
    BitSet set(40);
    set.SetAll(0);
    set.SetBit(3, true);
    set.SetBit(39, true);
    const uint32_t* block = set.Words();
    ASSERT_TRUE(set.Resize(60));
    EXPECT_EQ(set.Words(), block);
    EXPECT_EQ(set.Count(), 60);

    ASSERT_TRUE(set.Resize(40));
    ASSERT_TRUE(set.ResizeFill(70, true));
    EXPECT_EQ(set.Count(), 70);
    EXPECT_EQ(set.BitCount(), 2 + 30);
    for (int32_t i = 40; i < 70; ++i)
        EXPECT_TRUE(set.GetBit(i)) << i;
    EXPECT_TRUE(set.GetBit(3));
    EXPECT_FALSE(set.GetBit(4));

    ASSERT_TRUE(set.ResizeFill(100, false));
    EXPECT_EQ(set.NextSet(69), -1);
    EXPECT_FALSE(set.Resize(-1));
    EXPECT_EQ(set.Count(), 100);
}

TEST_F(BitSetTest, BitsBeyondCountAreIgnored)
{
    BitSet set(40);
    set.SetAll(0);
    set.Invert();  // also sets bits 40..63 of the last word
    EXPECT_EQ(set.BitCount(), 40);
    EXPECT_EQ(set.NextSet(38), 39);
    EXPECT_EQ(set.NextSet(39), -1);

    BitSet other(40);
    other.SetAll(1);
    other.Words()[1] &= 0xFF;  // same bits below 40, different beyond
    EXPECT_TRUE(set.Equals(other));
    other.ToggleBit(39);
    EXPECT_FALSE(set.Equals(other));
    BitSet shorter(39);
    shorter.SetAll(1);
    EXPECT_FALSE(set.Equals(shorter));
}

// Bit numbers outside the set are not written (the last word's spare bits stay as they were) and read
// as clear.
TEST_F(BitSetTest, BitNumbersOutsideTheSetAreIgnored)
{
    BitSet set(40);
    set.SetAll(0);
    for (int32_t i : {-1, 40, 63, 64, 1 << 30}) {
        SCOPED_TRACE(i);
        set.SetBit(i, true);
        set.ToggleBit(i);
        EXPECT_FALSE(set.GetBit(i));
    }
    EXPECT_EQ(set.Words()[0], 0u);
    EXPECT_EQ(set.Words()[1], 0u);
    EXPECT_EQ(set.NextSet(1 << 30), -1);
    EXPECT_EQ(set.NextSet(INT32_MAX), -1);
}

TEST_F(BitSetTest, NextSetVisitsEveryBitInOrder)
{
    std::mt19937 random(7);
    for (int32_t n : {1, 31, 32, 33, 95, 96, 500}) {
        SCOPED_TRACE(n);
        std::vector<bool> bits(static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < bits.size(); ++i)
            bits[i] = random() % 5 == 0;
        bits[std::size_t(n - 1)] = true;
        BitSet set = FromBits(bits);
        std::vector<int32_t> expected;
        for (int32_t i = 0; i < n; ++i) {
            if (bits[std::size_t(i)])
                expected.push_back(i);
        }
        std::vector<int32_t> found;
        for (int32_t i = set.NextSet(-1); i >= 0; i = set.NextSet(i))
            found.push_back(i);
        EXPECT_EQ(found, expected);
        EXPECT_EQ(set.BitCount(), int32_t(expected.size()));
    }
}

TEST_F(BitSetTest, SetAlgebraMatchesBitByBit)
{
    struct Case {
        const char* name;
        void (BitSet::*operation)(const BitSet&);
        bool (*expected)(bool, bool);
    };
    const Case cases[] = {
        {"or", &BitSet::Or, [](bool a, bool b) { return a || b; }},
        {"and", &BitSet::And, [](bool a, bool b) { return a && b; }},
        {"and not", &BitSet::AndNot, [](bool a, bool b) { return a && !b; }},
        {"xor", &BitSet::Xor, [](bool a, bool b) { return a != b; }},
    };
    std::mt19937 random(11);
    std::vector<bool> a(77), b(77);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = random() % 2;
        b[i] = random() % 2;
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitSet left = FromBits(a);
        BitSet right = FromBits(b);
        (left.*c.operation)(right);
        std::vector<bool> expected(a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expected[i] = c.expected(a[i], b[i]);
        EXPECT_EQ(ToBits(left), expected);
        EXPECT_EQ(ToBits(right), b);
    }
    BitSet left = FromBits(a);
    left.Invert();
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_NE(left.GetBit(int32_t(i)), a[i]) << i;
    left.SetAll(-1);
    EXPECT_EQ(left.BitCount(), 0);
    left.SetAll(1);
    EXPECT_EQ(left.BitCount(), 77);

    // Sets of different sizes combine on the words both have, never beyond either block.
    BitSet small(10);
    small.SetAll(1);
    BitSet large(1000);
    large.SetAll(0);
    large.Or(small);
    EXPECT_EQ(large.BitCount(), 32);
    small.And(large);
    small.Assign(large);
    EXPECT_EQ(small.BitCount(), 10);
}

TEST_F(BitSetTest, ContainsAllComponentsReadsBigEndianNumbers)
{
    BitSet set(70000);
    set.SetAll(0);
    set.SetBit(66051, true);  // 01 02 03
    set.SetBit(258, true);    // 01 02
    set.SetBit(5, true);
    const uint8_t line[] = {0x01, 0x02, 0x03, 0x00, 0x00, 0x05};
    struct Case {
        int32_t width;
        int32_t n;
        bool expected;
    };
    const Case cases[] = {
        {3, 1, true},   // 66051
        {3, 2, true},   // 66051, 5
        {2, 1, true},   // 258
        {2, 2, false},  // 258, 0x0300
        {4, 1, false},  // 0x01020300
        {5, 1, true},   // not a width: nothing to check
        {1, 3, true},
        {3, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "width " << c.width << " n " << c.n);
        EXPECT_EQ(set.ContainsAllComponents(line, c.width, c.n), c.expected);
    }
    // A number beyond the set is not in it, whatever lies in memory after the block.
    const uint8_t beyond[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(set.ContainsAllComponents(beyond, 4, 1));
}

TEST_F(BitSetTest, KeepsItsBitsWhenMemoryRunsShort)
{
    BitSet set(40);
    set.SetAll(0);
    set.SetBit(7, true);
    MemFailAllocationsAfter(0);
    EXPECT_FALSE(set.Resize(100));
    EXPECT_FALSE(set.ResizeFill(100, true));
    EXPECT_TRUE(set.Resize(50)) << "the same block size needs no allocation";
    EXPECT_EQ(set.Count(), 50);
    EXPECT_TRUE(set.GetBit(7));

    BitSet copy(3);
    EXPECT_FALSE(copy.BitSetCopy(set));
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(copy.WordCount(), 0);

    BitSet failed(100);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(failed.Count(), 0);
    EXPECT_EQ(failed.WordCount(), 0);
    failed.SetAll(1);
    failed.Invert();
    failed.Or(set);
    failed.SetBit(0, true);
    EXPECT_EQ(failed.BitCount(), 0);
    EXPECT_EQ(failed.NextSet(-1), -1);
    EXPECT_TRUE(failed.Resize(10));
    EXPECT_EQ(failed.Count(), 10);
}

TEST_F(BitSetTest, CopiesTakeBitsAndFlags)
{
    BitSet set(45, 2);
    set.SetAll(0);
    set.SetBit(44, true);
    BitSet copy;
    ASSERT_TRUE(copy.BitSetCopy(set));
    EXPECT_TRUE(copy.Equals(set));
    EXPECT_EQ(copy.Flags(), 2);
    ASSERT_TRUE(copy.InitCopy(set, 1));
    EXPECT_EQ(copy.Flags(), 1);
    copy.SetBit(44, false);
    EXPECT_TRUE(set.GetBit(44));
    BitSet moved(std::move(copy));
    EXPECT_EQ(moved.Count(), 45);
    EXPECT_EQ(copy.Count(), 0);
}

}  // namespace
}  // namespace vek
