// BlockAllocator: size classes carved from chunks, free lists, and large blocks from the system heap.
#include "foundation/memory/BlockAllocator.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

#include <sys/single_threaded.h>

#include "foundation/services/HeapMemory.h"
#include "foundation/strings/String.h"

#if defined(__SANITIZE_ADDRESS__)
#define VEK_ALLOCATOR_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEK_ALLOCATOR_POISONS 1
#endif
#endif

#ifdef VEK_ALLOCATOR_POISONS
#include <sanitizer/asan_interface.h>
#endif

namespace vek {

namespace {

using Byte = unsigned char;

static_assert(alignof(std::max_align_t) >= 16, "the system heap must hand out 16-byte aligned blocks");
static_assert(sizeof(void*) <= BlockAllocator::kHeaderBytes, "a free block links through its header");
static_assert(BlockAllocator::SizeClassOf(BlockAllocator::kSmallLimit) == BlockAllocator::kSizeClassCount - 1);

// Under AddressSanitizer the chunk memory that no caller owns (free blocks, the tail of a block behind
// its requested size, the unused end of a chunk) is poisoned, so that overruns of blocks carved from a
// chunk are caught as they would be for system-heap blocks. Headers stay addressable.
#ifdef VEK_ALLOCATOR_POISONS
void PoisonBytes(const void* address, std::size_t n) { ASAN_POISON_MEMORY_REGION(address, n); }
void UnpoisonBytes(const void* address, std::size_t n) { ASAN_UNPOISON_MEMORY_REGION(address, n); }
#else
void PoisonBytes(const void*, std::size_t) {}
void UnpoisonBytes(const void*, std::size_t) {}
#endif

// The chunks, record pages and big blocks that make up a base come from the platform's heap.
void* HeapAllocLarge(std::size_t bytes) { return Service<HeapMemory>::Get().Allocate(bytes); }

void WriteBlockSize(Byte* header, int32_t n)
{
    uint32_t size = uint32_t(n);
    std::memcpy(header, &size, sizeof size);
}

Byte* ReadLink(const Byte* header)
{
    Byte* next;
    std::memcpy(&next, header, sizeof next);
    return next;
}

void WriteLink(Byte* header, Byte* next) { std::memcpy(header, &next, sizeof next); }

// Holds the allocator mutex while the process has more than one thread. A process that has never
// started a second thread cannot be inside the allocator twice at once, and the C library's flag
// turns false before a second thread starts (and never back), so the choice made on entry holds
// until the guard's end.
class FreeListGuard {
public:
    explicit FreeListGuard(std::mutex& mutex) : held(__libc_single_threaded ? nullptr : &mutex)
    {
        if (held)
            held->lock();
    }
    ~FreeListGuard()
    {
        if (held)
            held->unlock();
    }
    FreeListGuard(const FreeListGuard&) = delete;
    FreeListGuard& operator=(const FreeListGuard&) = delete;

private:
    std::mutex* held;
};

// The one allocator of the process. Its state is constant-initialised, so objects built by other
// static initialisers may allocate before it would otherwise have been set up.
class AllocatorState {
public:
    // Returns the header position of a block of class c, or null when no chunk can be had.
    Byte* Take(int c)
    {
        FreeListGuard guard(mutex);
        Byte* block = freeLists[c];
        if (block) {
            freeLists[c] = ReadLink(block);
            return block;
        }
        int32_t bytes = BlockAllocator::ClassBlockBytes(c);
        if (chunkEnd - chunkCursor < bytes && !NewChunk())
            return nullptr;
        block = chunkCursor;
        chunkCursor += bytes;
        return block;
    }

    void Give(Byte* block, int c)
    {
        FreeListGuard guard(mutex);
        WriteLink(block, freeLists[c]);
        freeLists[c] = block;
    }

    void CountSpare(int64_t& bytes, int64_t& blocks)
    {
        FreeListGuard guard(mutex);
        bytes = 0;
        blocks = 0;
        for (int c = 0; c < BlockAllocator::kSizeClassCount; ++c) {
            int64_t count = 0;
            for (Byte* block = freeLists[c]; block; block = ReadLink(block))
                ++count;
            blocks += count;
            bytes += count * BlockAllocator::ClassBlockBytes(c);
        }
    }

private:
    // Called with the mutex held. The rest of the current chunk becomes a free block of the largest
    // class that fits it; chunks are never given back.
    bool NewChunk()
    {
        std::ptrdiff_t rest = chunkEnd - chunkCursor;
        if (rest >= BlockAllocator::ClassBlockBytes(0)) {
            int c = int(rest / 16) - 1;
            UnpoisonBytes(chunkCursor, BlockAllocator::kHeaderBytes);
            WriteLink(chunkCursor, freeLists[c]);
            freeLists[c] = chunkCursor;
        }
        auto* chunk = static_cast<Byte*>(HeapAllocLarge(BlockAllocator::kChunkBytes));
        if (!chunk) {
            chunkCursor = chunkEnd;
            return false;
        }
        // Blocks start 8 bytes into a 16-byte unit so that the pointers handed out are 16-byte aligned.
        chunkCursor = chunk + 8;
        chunkEnd = chunk + BlockAllocator::kChunkBytes - 8;
        PoisonBytes(chunk, BlockAllocator::kChunkBytes);
        return true;
    }

    std::mutex mutex;
    Byte* freeLists[BlockAllocator::kSizeClassCount] = {};
    Byte* chunkCursor = nullptr;
    Byte* chunkEnd = nullptr;
};

constinit AllocatorState allocator;
// Allocations left before MemAlloc starts failing on purpose; negative: no failures.
constinit std::atomic<int32_t> allocationsBeforeFailure{-1};

bool AllocationAllowed()
{
    int32_t left = allocationsBeforeFailure.load(std::memory_order_relaxed);
    while (left >= 0) {
        if (left == 0)
            return false;
        if (allocationsBeforeFailure.compare_exchange_weak(left, left - 1, std::memory_order_relaxed))
            break;
    }
    return true;
}

constexpr Byte kCompressedMark[4] = {'#', 'L', 'Z', '/'};
constexpr int32_t kCompressedHeaderBytes = 8;
constexpr int32_t kCompressGrowth = 6000;
constexpr Byte kLiteralCode = 225;
constexpr Byte kLongCopyCode = 226;
constexpr Byte kFirstShortCopyCode = 227;
constexpr Byte kLastShortCopyCode = 234;

// Decodes the code stream of a "#LZ/" block into exactly length bytes. False for any damage: a code
// cut short, a copy from before the start of the output, or output longer or shorter than length.
bool DecodeCompressed(const Byte* in, int32_t size, Byte* out, int32_t length)
{
    int32_t read = 0;
    int32_t written = 0;
    while (read < size) {
        const Byte code = in[read++];
        if (code == kLongCopyCode || (code >= kFirstShortCopyCode && code <= kLastShortCopyCode)) {
            const int32_t operandBytes = code == kLongCopyCode ? 2 : 1;
            if (size - read < operandBytes)
                return false;
            const int32_t copyLength = code == kLongCopyCode ? in[read++] : code - 224;
            const int32_t distance = copyLength + in[read++];
            if (distance > written || copyLength > length - written)
                return false;
            // distance >= copyLength, so source and destination never overlap.
            std::memcpy(out + written, out + written - distance, std::size_t(copyLength));
            written += copyLength;
            continue;
        }
        Byte value = code;
        if (code == kLiteralCode) {
            if (read >= size)
                return false;
            value = in[read++];
        }
        if (written >= length)
            return false;
        out[written++] = value;
    }
    return written == length;
}

}  // namespace

void* MemAlloc(int32_t n, int32_t flags)
{
    (void)flags;
    if (n < 0 || !AllocationAllowed())
        return nullptr;
    if (n <= BlockAllocator::kSmallLimit) {
        int c = BlockAllocator::SizeClassOf(n);
        Byte* header = allocator.Take(c);
        if (!header)
            return nullptr;
        UnpoisonBytes(header, std::size_t(BlockAllocator::kHeaderBytes) + std::size_t(n));
        WriteBlockSize(header, n);
        return header + BlockAllocator::kHeaderBytes;
    }
    auto* start = static_cast<Byte*>(HeapAllocLarge(std::size_t(n) + BlockAllocator::kLargeHeaderBytes));
    if (!start)
        return nullptr;
    Byte* block = start + BlockAllocator::kLargeHeaderBytes;
    WriteBlockSize(block - BlockAllocator::kHeaderBytes, n);
    return block;
}

void MemFree(void* block)
{
    if (!block)
        return;
    auto* bytes = static_cast<Byte*>(block);
    int32_t n = MemBlockSize(block);
    if (n <= BlockAllocator::kSmallLimit) {
        PoisonBytes(bytes, std::size_t(BlockAllocator::SizeClassBlockBytes(n) - BlockAllocator::kHeaderBytes));
        allocator.Give(bytes - BlockAllocator::kHeaderBytes, BlockAllocator::SizeClassOf(n));
        return;
    }
    std::free(bytes - BlockAllocator::kLargeHeaderBytes);
}

void* MemNew(std::size_t n)
{
    if (n > std::size_t(std::numeric_limits<int32_t>::max()))
        return nullptr;
    return MemAlloc(int32_t(n), 0);
}

void MemDelete(void* block) { MemFree(block); }

void* SystemHeapAlloc(std::size_t bytes)
{
    if (!AllocationAllowed())
        return nullptr;
    return HeapAllocLarge(bytes);
}

void SystemHeapFree(void* block) { std::free(block); }

void* SystemHeapAllocZeroed(std::size_t bytes)
{
    if (!AllocationAllowed())
        return nullptr;
    return Service<HeapMemory>::Get().AllocateZeroed(bytes);
}

void SystemHeapFreeZeroed(void* block, std::size_t bytes)
{
    if (block != nullptr)
        Service<HeapMemory>::Get().ReleaseZeroed(block, bytes);
}

void MemFailAllocationsAfter(int32_t count)
{
    allocationsBeforeFailure.store(count < 0 ? -1 : count, std::memory_order_relaxed);
}

int32_t MemBlockSize(const void* block)
{
    if (!block)
        return 0;
    uint32_t size;
    std::memcpy(&size, static_cast<const Byte*>(block) - BlockAllocator::kHeaderBytes, sizeof size);
    return int32_t(size);
}

int64_t MemBlockFootprint(const void* block)
{
    if (!block)
        return 0;
    int32_t n = MemBlockSize(block);
    if (n <= BlockAllocator::kSmallLimit)
        return BlockAllocator::SizeClassBlockBytes(n);
    return int64_t(n) + BlockAllocator::kLargeHeaderBytes;
}

void* MemDuplicate(const void* block)
{
    if (!block)
        return nullptr;
    int32_t n = MemBlockSize(block);
    void* copy = MemAlloc(n, 0);
    if (copy && n > 0)
        std::memcpy(copy, block, std::size_t(n));
    return copy;
}

void* MemAllocCopy(const void* source, int32_t n)
{
    if (n <= 0 || !source)
        return nullptr;
    void* copy = MemAlloc(n, 0);
    if (copy)
        std::memcpy(copy, source, std::size_t(n));
    return copy;
}

void MemWipe(void* block)
{
    if (block)
        explicit_bzero(block, std::size_t(MemBlockSize(block)));
}

static void WipeAndRelease(void*& field)
{
    MemWipe(field);
    MemFree(field);
    field = nullptr;
}

bool MemResize(void*& field, int32_t n, int32_t flags)
{
    if (n < 0)
        return false;
    if (n == 0) {
        WipeAndRelease(field);
        return true;
    }
    void* block = MemAlloc(n, flags);
    if (!block)
        return false;
    if (field) {
        std::memcpy(block, field, std::size_t(std::min(MemBlockSize(field), n)));
        MemFree(field);
    }
    field = block;
    return true;
}

void MemSetFromBlock(void*& field, const void* source)
{
    if (!source) {
        WipeAndRelease(field);
        return;
    }
    int32_t n = MemBlockSize(source);
    if (field && MemBlockSize(field) == n) {
        std::memmove(field, source, std::size_t(n));
        return;
    }
    // The copy is made before the old block goes, in case the source lies inside it.
    void* copy = MemDuplicate(source);
    MemFree(field);
    field = copy;
}

void MemSetFromBytes(void*& field, const void* source, int32_t n)
{
    if (n <= 0) {
        WipeAndRelease(field);
        return;
    }
    void* copy = MemAllocCopy(source, n);
    MemFree(field);
    field = copy;
}

void MemCompressBlock(void*& field, int level)
{
    if (!field)
        return;
    const auto* in = static_cast<const Byte*>(field);
    const int32_t size = MemBlockSize(field);
    const int32_t lookBack = level == 0 ? 255 : level == 1 ? 90 : 26;

    void* outBlock = MemAlloc(kCompressGrowth, 2);
    if (!outBlock)
        return;
    int64_t capacity = kCompressGrowth;
    int64_t written = 0;
    auto* out = static_cast<Byte*>(outBlock);
    std::memcpy(out, kCompressedMark, sizeof kCompressedMark);
    out[4] = Byte(uint32_t(size) >> 24);
    out[5] = Byte(uint32_t(size) >> 16);
    out[6] = Byte(uint32_t(size) >> 8);
    out[7] = Byte(uint32_t(size));
    written = kCompressedHeaderBytes;

    int32_t position = 0;
    while (position < size) {
        if (capacity - written <= 5) {
            int64_t grown = written + kCompressGrowth;
            if (grown > std::numeric_limits<int32_t>::max() || !MemResize(outBlock, int32_t(grown), 2)) {
                MemFree(outBlock);
                return;
            }
            capacity = grown;
            out = static_cast<Byte*>(outBlock);
        }
        const Byte current = in[position];
        const int32_t left = size - position;
        const int32_t farthest = std::min(lookBack, position);
        int32_t bestLength = 2;
        int32_t bestDistance = 0;
        // Nearest first, and only a strictly longer match wins, so among equal lengths the nearest is
        // kept. A match never reaches into the bytes it copies (length <= distance).
        for (int32_t distance = 3; distance <= farthest; ++distance) {
            const Byte* candidate = in + position - distance;
            if (*candidate != current)
                continue;
            const int32_t limit = std::min(distance, left);
            if (limit <= bestLength)
                continue;
            int32_t length = 1;
            while (length < limit && candidate[length] == in[position + length])
                ++length;
            if (length > bestLength) {
                bestLength = length;
                bestDistance = distance;
            }
        }
        if (bestLength >= 3) {
            if (bestLength <= 10) {
                out[written++] = Byte(224 + bestLength);
            } else {
                out[written++] = kLongCopyCode;
                out[written++] = Byte(bestLength);
            }
            out[written++] = Byte(bestDistance - bestLength);
            position += bestLength;
        } else {
            if (current >= kLiteralCode && current <= kLastShortCopyCode)
                out[written++] = kLiteralCode;
            out[written++] = current;
            ++position;
        }
    }
    if (!MemResize(outBlock, int32_t(written), 2)) {
        MemFree(outBlock);
        return;
    }
    MemFree(field);
    field = outBlock;
}

void MemExpandBlock(void*& field)
{
    if (!field)
        return;
    const auto* in = static_cast<const Byte*>(field);
    const int32_t size = MemBlockSize(field);
    if (size < kCompressedHeaderBytes || std::memcmp(in, kCompressedMark, sizeof kCompressedMark) != 0)
        return;
    const uint32_t stated = uint32_t(in[4]) << 24 | uint32_t(in[5]) << 16 | uint32_t(in[6]) << 8 | in[7];
    // The most a code stream of m bytes can stand for: 255 bytes for every 3-byte code, and 10 for a
    // final 2-byte one. A stated length beyond that is damage and must not reserve memory.
    const int64_t codeBytes = size - kCompressedHeaderBytes;
    const int64_t mostOutput = codeBytes / 3 * 255 + (codeBytes % 3 == 2 ? 10 : codeBytes % 3);
    if (int64_t(stated) > mostOutput || stated > uint32_t(std::numeric_limits<int32_t>::max()))
        return;
    const int32_t length = int32_t(stated);

    void* outBlock = MemAlloc(length, 2);
    if (!outBlock)
        return;
    if (!DecodeCompressed(in + kCompressedHeaderBytes, size - kCompressedHeaderBytes, static_cast<Byte*>(outBlock), length)) {
        MemFree(outBlock);
        return;
    }
    MemFree(field);
    field = outBlock;
}

void AllocatorUsageText(String& text)
{
    int64_t bytes;
    int64_t blocks;
    allocator.CountSpare(bytes, blocks);
    char line[80];
    std::snprintf(line, sizeof line, "         spare: %lld KB in %lld blocks\n", static_cast<long long>(bytes >> 10),
                  static_cast<long long>(blocks));
    text.AppendCStr(line);
}

}  // namespace vek
