// Tests of BlockAllocator: size classes, reuse, resizing, short memory, and compressed blocks.
#include "foundation/memory/BlockAllocator.h"

#include "foundation/strings/String.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace vek {
namespace {

using Bytes = std::vector<unsigned char>;

class BlockAllocatorTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

void* BlockFromBytes(const Bytes& bytes)
{
    void* block = MemAlloc(int32_t(bytes.size()));
    if (!bytes.empty())
        std::memcpy(block, bytes.data(), bytes.size());
    return block;
}

Bytes BytesOfBlock(const void* block)
{
    const auto* start = static_cast<const unsigned char*>(block);
    return Bytes(start, start + MemBlockSize(block));
}

// Compresses a block of `input` and hands back the "#LZ/" block's bytes.
Bytes Compress(const Bytes& input, int level)
{
    void* block = BlockFromBytes(input);
    MemCompressBlock(block, level);
    Bytes compressed = BytesOfBlock(block);
    MemFree(block);
    return compressed;
}

Bytes LzHeader(uint32_t length)
{
    return {'#', 'L', 'Z', '/', Bytes::value_type(length >> 24), Bytes::value_type(length >> 16),
            Bytes::value_type(length >> 8), Bytes::value_type(length)};
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(BlockAllocatorTest, SizeIsExactAndFootprintFollowsTheLayout)
{
    struct Case {
        int32_t n;
        int64_t footprint;
    };
    const Case cases[] = {
        {0, 16},       {1, 16},       {3, 16},       {8, 16},       {9, 32},       {24, 32},
        {25, 48},      {128, 144},    {129, 144},    {136, 144},    {137, 160},    {4088, 4096},
        {4089, 4112},  {4096, 4112},  {4097, 4113},  {32766, 32782}, {32767, 32783}, {100000, 100016},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        void* block = MemAlloc(c.n);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
        EXPECT_EQ(MemBlockSize(block), c.n);
        EXPECT_EQ(MemBlockFootprint(block), c.footprint);
        // Every byte asked for is usable (the sanitizer build checks the bounds).
        std::memset(block, 0x5A, std::size_t(c.n));
        MemFree(block);
    }
    EXPECT_EQ(MemBlockSize(nullptr), 0);
    EXPECT_EQ(MemBlockFootprint(nullptr), 0);
}

TEST_F(BlockAllocatorTest, EverySmallSizeIsAlignedAndKeepsItsBytes)
{
    std::vector<void*> blocks;
    for (int32_t n = 0; n <= BlockAllocator::kSmallLimit + 20; ++n) {
        void* block = MemAlloc(n);
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u) << n;
        std::memset(block, n & 0xFF, std::size_t(n));
        blocks.push_back(block);
    }
    for (int32_t n = 0; n < int32_t(blocks.size()); ++n) {
        const auto* bytes = static_cast<const unsigned char*>(blocks[std::size_t(n)]);
        ASSERT_EQ(MemBlockSize(bytes), n);
        for (int32_t i = 0; i < n; ++i)
            ASSERT_EQ(bytes[i], n & 0xFF) << n << " at " << i;
        MemFree(blocks[std::size_t(n)]);
    }
}

// A request of no bytes gives a real block of size 0; a negative one gives null (the class formula
// would otherwise index before the free-list table).
TEST_F(BlockAllocatorTest, ZeroAndNegativeRequests)
{
    void* empty = MemAlloc(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(MemBlockSize(empty), 0);
    void* copy = MemDuplicate(empty);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, empty);
    EXPECT_EQ(MemBlockSize(copy), 0);
    ASSERT_TRUE(MemResize(copy, 5));
    EXPECT_EQ(MemBlockSize(copy), 5);
    MemFree(copy);
    MemFree(empty);

    for (int32_t n : {-1, -4096, INT32_MIN})
        EXPECT_EQ(MemAlloc(n), nullptr) << n;
    void* field = MemAlloc(10);
    std::memcpy(field, "abcdefghij", 10);
    void* before = field;
    EXPECT_FALSE(MemResize(field, -1));
    EXPECT_EQ(field, before);
    EXPECT_EQ(std::memcmp(field, "abcdefghij", 10), 0);
    MemFree(field);
    EXPECT_EQ(MemNew(std::size_t(INT32_MAX) + 1), nullptr);
}

TEST_F(BlockAllocatorTest, FreedBlockIsReusedByAnotherSizeOfItsClass)
{
    ASSERT_EQ(BlockAllocator::SizeClassOf(100), BlockAllocator::SizeClassOf(97));
    void* first = MemAlloc(100);
    std::memset(first, 1, 100);
    MemFree(first);
    void* second = MemAlloc(97);
    EXPECT_EQ(second, first);
    EXPECT_EQ(MemBlockSize(second), 97);
    // MemFree does not wipe: the bytes behind the free-list link are still there.
    EXPECT_EQ(static_cast<unsigned char*>(second)[96], 1);
    MemFree(second);
}

TEST_F(BlockAllocatorTest, ResizeKeepsBytesAndWipesOnlyWhenReleasing)
{
    void* field = MemAlloc(40);
    std::memset(field, 0xAB, 40);
    ASSERT_TRUE(MemResize(field, 3000));
    EXPECT_EQ(MemBlockSize(field), 3000);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(static_cast<unsigned char*>(field)[i], 0xAB);
    ASSERT_TRUE(MemResize(field, 20));
    EXPECT_EQ(MemBlockSize(field), 20);
    EXPECT_EQ(static_cast<unsigned char*>(field)[19], 0xAB);

    // Releasing through size 0 zero-fills the block first; the next block of its class shows it.
    void* released = field;
    ASSERT_TRUE(MemResize(field, 0));
    EXPECT_EQ(field, nullptr);
    void* reused = MemAlloc(20);
    ASSERT_EQ(reused, released);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(static_cast<unsigned char*>(reused)[i], 0) << i;
    MemFree(reused);

    char* typed = nullptr;
    ASSERT_TRUE(MemResize(typed, 7));
    EXPECT_EQ(MemBlockSize(typed), 7);
    ASSERT_TRUE(MemResize(typed, 0));
    EXPECT_EQ(typed, nullptr);
}

TEST_F(BlockAllocatorTest, FailedResizeLeavesFieldAndContents)
{
    void* field = MemAlloc(12);
    std::memcpy(field, "keep me here", 12);
    void* before = field;
    MemFailAllocationsAfter(0);
    EXPECT_EQ(MemAlloc(1), nullptr);
    EXPECT_FALSE(MemResize(field, 5000));
    EXPECT_FALSE(MemResize(field, 100));
    EXPECT_EQ(field, before);
    EXPECT_EQ(std::memcmp(field, "keep me here", 12), 0);
    MemFailAllocationsAfter(1);
    EXPECT_TRUE(MemResize(field, 100));
    EXPECT_FALSE(MemResize(field, 200));
    EXPECT_EQ(MemBlockSize(field), 100);
    MemFailAllocationsAfter(-1);
    MemFree(field);
}

TEST_F(BlockAllocatorTest, SetFromBlockAndBytes)
{
    void* field = MemAlloc(6);
    std::memcpy(field, "abcdef", 6);
    void* source = MemAllocCopy("uvwxyz", 6);
    void* address = field;
    MemSetFromBlock(field, source);
    EXPECT_EQ(field, address) << "a block of the same size is overwritten in place";
    EXPECT_EQ(std::memcmp(field, "uvwxyz", 6), 0);

    void* longer = MemAllocCopy("0123456789", 10);
    MemSetFromBlock(field, longer);
    EXPECT_NE(field, longer);
    EXPECT_EQ(MemBlockSize(field), 10);
    EXPECT_EQ(std::memcmp(field, "0123456789", 10), 0);

    MemSetFromBlock(field, nullptr);
    EXPECT_EQ(field, nullptr);
    MemSetFromBlock(field, source);
    EXPECT_EQ(std::memcmp(field, "uvwxyz", 6), 0);

    // Setting a field from a part of its own block must copy before the old block goes.
    MemSetFromBytes(field, static_cast<char*>(field) + 2, 3);
    ASSERT_EQ(MemBlockSize(field), 3);
    EXPECT_EQ(std::memcmp(field, "wxy", 3), 0);
    MemSetFromBytes(field, "ignored", 0);
    EXPECT_EQ(field, nullptr);

    EXPECT_EQ(MemAllocCopy("x", 0), nullptr);
    EXPECT_EQ(MemDuplicate(nullptr), nullptr);
    void* duplicate = MemDuplicate(longer);
    EXPECT_EQ(BytesOfBlock(duplicate), BytesOfBlock(longer));
    MemWipe(duplicate);
    EXPECT_EQ(BytesOfBlock(duplicate), Bytes(10, 0));
    MemWipe(nullptr);
    MemFree(duplicate);
    MemFree(longer);
    MemFree(source);
    MemFree(nullptr);
}

TEST_F(BlockAllocatorTest, CompressedFormOfSmallInputs)
{
    Bytes run;
    for (int i = 0; i < 20; ++i)
        run.insert(run.end(), {'a', 'b', 'c'});
    struct Case {
        const char* name;
        Bytes input;
        Bytes codes;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        // A copy needs a distance of at least 3 and at least its own length.
        {"three equal bytes", {7, 7, 7}, {7, 7, 7}},
        {"code bytes are escaped", {230, 225, 234, 224, 235}, {225, 230, 225, 225, 225, 234, 224, 235}},
        {"short copy", {'a', 'b', 'c', 'a', 'b', 'c'}, {'a', 'b', 'c', 227, 0}},
        {"copy from further back", {'x', 'y', 'z', '1', '2', 'x', 'y', 'z'}, {'x', 'y', 'z', '1', '2', 227, 2}},
        // Copies never overlap their source, so a run grows by doubling: 3, 6, 12, 24 and the last 12.
        {"repeated pattern", run, {'a', 'b', 'c', 227, 0, 230, 0, 226, 12, 0, 226, 24, 0, 226, 12, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Compress(c.input, 0), Concat(LzHeader(uint32_t(c.input.size())), c.codes));
    }
}

TEST_F(BlockAllocatorTest, LevelLimitsTheLookBack)
{
    // A 3-byte pattern repeated after `gap` bytes: level 0 sees 255 bytes back, 1 sees 90, others 26.
    struct Case {
        int gap;
        int level;
        bool copied;
    };
    const Case cases[] = {{252, 0, true}, {253, 0, false}, {87, 1, true}, {88, 1, false},
                          {23, 2, true},  {24, 2, false},  {23, 9, true}, {24, 9, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "gap " << c.gap << " level " << c.level);
        Bytes input = {'p', 'q', 'r'};
        for (int i = 0; i < c.gap; ++i)
            input.push_back(Bytes::value_type(i % 2 == 0 ? 'A' + i % 26 : 'a' + i % 23));
        input.insert(input.end(), {'p', 'q', 'r'});
        Bytes compressed = Compress(input, c.level);
        EXPECT_EQ(compressed.size() < input.size() + 8, c.copied);
    }
}

TEST_F(BlockAllocatorTest, ExpandRestoresWhatWasCompressed)
{
    std::mt19937 random(1234);
    // 70000 equal bytes come close to the most output that codes can stand for (85 bytes a byte).
    std::vector<Bytes> inputs = {Bytes(), Bytes(1, 226), Bytes(5000, 0), Bytes(70000, 0)};
    for (int32_t size : {7, 100, 4096, 4097, 20000, 70000}) {
        Bytes text(std::size_t(size), 0);
        for (auto& byte : text)  // a small alphabet with code bytes in it gives copies and escapes
            byte = Bytes::value_type(220 + random() % 20);
        inputs.push_back(text);
        Bytes noise(std::size_t(size), 0);
        for (auto& byte : noise)
            byte = Bytes::value_type(random());
        inputs.push_back(noise);
    }
    for (const Bytes& input : inputs) {
        for (int level : {0, 1, 2}) {
            SCOPED_TRACE(::testing::Message() << "size " << input.size() << " level " << level);
            void* block = BlockFromBytes(input);
            MemCompressBlock(block, level);
            ASSERT_GE(MemBlockSize(block), 8);
            EXPECT_EQ(std::memcmp(block, "#LZ/", 4), 0);
            MemExpandBlock(block);
            EXPECT_EQ(BytesOfBlock(block), input);
            MemFree(block);
        }
    }
}

TEST_F(BlockAllocatorTest, CompressKeepsTheBlockWhenMemoryRunsShort)
{
    Bytes input(3000, 'q');
    for (int32_t allowed : {0, 1}) {
        SCOPED_TRACE(allowed);
        void* block = BlockFromBytes(input);
        void* before = block;
        MemFailAllocationsAfter(allowed);
        MemCompressBlock(block, 0);
        MemFailAllocationsAfter(-1);
        EXPECT_EQ(block, before);
        EXPECT_EQ(BytesOfBlock(block), input);
        MemFree(block);
    }
    void* none = nullptr;
    MemCompressBlock(none, 0);
    EXPECT_EQ(none, nullptr);
}

// The stored length and the codes come from outside: no block may make the expansion read or write
// outside its buffers or reserve memory the codes could never fill. Damage keeps the compressed block.
TEST_F(BlockAllocatorTest, ExpandLeavesDamagedAndForeignBlocksAlone)
{
    struct Case {
        const char* name;
        Bytes block;
    };
    const Case cases[] = {
        {"seven bytes", {'#', 'L', 'Z', '/', 0, 0, 0}},
        {"no mark", Concat({'#', 'L', 'Z', '!', 0, 0, 0, 3}, {'a', 'b', 'c'})},
        {"output beyond the stated length", Concat(LzHeader(2), {'a', 'b', 'c'})},
        {"copy beyond the stated length", Concat(LzHeader(5), {'a', 'b', 'c', 227, 0})},
        {"output short of the stated length", Concat(LzHeader(4), {'a', 'b', 'c'})},
        {"copy from before the start", Concat(LzHeader(6), {'a', 'b', 227, 0, 'c'})},
        {"long copy from before the start", Concat(LzHeader(14), {'a', 'b', 'c', 226, 11, 0})},
        {"literal code cut short", Concat(LzHeader(1), {225})},
        {"short copy cut short", Concat(LzHeader(3), {'a', 'b', 'c', 227})},
        {"long copy cut short", Concat(LzHeader(14), {'a', 'b', 'c', 226, 11})},
        {"absurd stated length", Concat(LzHeader(0x7FFFFFFF), {'a', 'b', 'c', 226, 255, 0})},
        {"stated length beyond 31 bits", Concat(LzHeader(0xFFFFFFFF), {'a'})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        void* block = BlockFromBytes(c.block);
        void* before = block;
        MemExpandBlock(block);
        EXPECT_EQ(block, before);
        EXPECT_EQ(BytesOfBlock(block), c.block);
        MemFree(block);
    }
    void* none = nullptr;
    MemExpandBlock(none);
    EXPECT_EQ(none, nullptr);
}

TEST_F(BlockAllocatorTest, UsageTextCountsTheFreeBlocks)
{
    auto spare = [](long long& kilobytes, long long& blocks) {
        String text;
        text.AppendCStr("memory\n");
        AllocatorUsageText(text);
        ASSERT_EQ(std::sscanf(text.CStr(), "memory\n         spare: %lld KB in %lld blocks\n", &kilobytes, &blocks), 2)
            << text.CStr();
        EXPECT_EQ(std::strcmp(text.CStr() + text.Length() - 8, " blocks\n"), 0) << text.CStr();
    };
    std::vector<void*> blocks;
    for (int i = 0; i < 8; ++i)
        blocks.push_back(MemAlloc(4096));
    long long kilobytesBefore = 0, blocksBefore = 0, kilobytesAfter = 0, blocksAfter = 0;
    spare(kilobytesBefore, blocksBefore);
    for (void* block : blocks)
        MemFree(block);
    spare(kilobytesAfter, blocksAfter);
    EXPECT_EQ(blocksAfter - blocksBefore, 8);
    // 8 blocks of 4112 bytes are 32.1 KB; each figure is truncated on its own.
    EXPECT_GE(kilobytesAfter - kilobytesBefore, 32);
    EXPECT_LE(kilobytesAfter - kilobytesBefore, 33);
}

TEST_F(BlockAllocatorTest, ThreadsAllocateAndFreeConcurrently)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    std::vector<int> faults(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &faults] {
            std::mt19937 random{uint32_t(t)};
            std::vector<unsigned char*> held;
            for (int round = 0; round < kRounds; ++round) {
                if (held.size() < 64 && random() % 3 != 0) {
                    int32_t n = int32_t(random() % 300);
                    if (random() % 50 == 0)
                        n = 5000 + int32_t(random() % 40000);
                    auto* block = static_cast<unsigned char*>(MemAlloc(n));
                    std::memset(block, t + 1, std::size_t(n));
                    held.push_back(block);
                } else if (!held.empty()) {
                    std::size_t which = random() % held.size();
                    unsigned char* block = held[which];
                    int32_t n = MemBlockSize(block);
                    for (int32_t i = 0; i < n; ++i)
                        faults[std::size_t(t)] += block[i] != t + 1;
                    MemFree(block);
                    held.erase(held.begin() + std::ptrdiff_t(which));
                }
            }
            for (unsigned char* block : held)
                MemFree(block);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(faults[std::size_t(t)], 0) << "thread " << t;
}

#if defined(__SANITIZE_ADDRESS__)
// Blocks carved from a chunk are guarded like system-heap blocks, so overruns in the containers built
// on the allocator show up in the sanitizer build.
TEST_F(BlockAllocatorTest, SanitizerCatchesOverrunOfASmallBlock)
{
    auto overrun = [] {
        auto* block = static_cast<volatile char*>(MemAlloc(20));
        block[20] = 1;
    };
    EXPECT_DEATH(overrun(), "");
    auto useAfterFree = [] {
        auto* block = static_cast<volatile char*>(MemAlloc(20));
        MemFree(const_cast<char*>(block));
        block[0] = 1;
    };
    EXPECT_DEATH(useAfterFree(), "");
}
#endif

}  // namespace
}  // namespace vek
