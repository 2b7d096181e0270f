// Tests of MemoryBytes: filling, swapping and comparing runs of bytes and memory blocks.
#include "foundation/memory/MemoryBytes.h"

#include <gtest/gtest.h>

#include <cstring>

#include "foundation/memory/ByteSwap.h"

namespace vek {
namespace {

TEST(MemoryBytesTest, BytesAndMemoryBlocks)
{
    uint8_t word16[2] = {0x12, 0x34};
    SwapBytes16(word16);
    EXPECT_EQ(word16[0], 0x34);
    EXPECT_EQ(word16[1], 0x12);
    uint8_t word32[4] = {1, 2, 3, 4};
    SwapBytes32(word32);
    EXPECT_EQ(std::memcmp(word32, "\4\3\2\1", 4), 0);

    uint8_t a[4] = {1, 2, 3, 4};
    uint8_t b[4] = {1, 2, 0x80, 0};
    EXPECT_EQ(MemCompare(a, b, 4), -1) << "bytes compare unsigned";
    EXPECT_EQ(MemCompare(b, a, 4), 1);
    EXPECT_EQ(MemCompare(a, b, 2), 0);
    EXPECT_EQ(MemCompare(a, b, 0), 0);
    MemSwap(a, b, 4);
    EXPECT_EQ(a[2], 0x80);
    EXPECT_EQ(b[2], 3);
    MemFill(a, 3, 0xEE);
    EXPECT_EQ(a[2], 0xEE);
    EXPECT_EQ(a[3], 0);
    MemZero(a, 4);
    EXPECT_EQ(a[0], 0);
    MemFill(a, -1, 0xEE);  // ignored
    EXPECT_EQ(a[0], 0);
}

}  // namespace
}  // namespace vek
