// LargePageHeap: the C heap, grown ahead of use and advised as large pages.
#include "platform/LargePageHeap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace vek {

namespace {

constexpr std::size_t kLargeBlockBytes = 32768;  // chunks of small blocks, record pages, big blocks
constexpr std::uintptr_t kLargePageBytes = std::uintptr_t(2) << 20;
// The heap grows by at least this much more than asked, so that the spans ahead are still untouched.
constexpr int kHeapTopPad = 16 << 20;
// Blocks below this come from the heap (within the range the system heap would adapt to by itself).
constexpr int kHeapMapThreshold = 4 << 20;
// Zeroed blocks are cut from regions of this size (a block larger than that gets a region of its own).
constexpr std::size_t kZeroedRegionBytes = std::size_t(64) << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedHeap = true;
#else
constexpr bool kSanitizedHeap = false;
#endif

std::uintptr_t HeapBreak() { return reinterpret_cast<std::uintptr_t>(sbrk(0)); }

}  // namespace

LargePageHeap::~LargePageHeap() = default;

std::uintptr_t LargePageHeap::TuneHeapOnce()
{
    static const std::uintptr_t mark = [] {
        (void)mallopt(M_TOP_PAD, kHeapTopPad);
        (void)mallopt(M_MMAP_THRESHOLD, kHeapMapThreshold);
        return HeapBreak();
    }();
    return mark;
}

void LargePageHeap::AdviseLargePages(const void* block, std::size_t bytes, std::uintptr_t heapFloor)
{
    auto start = reinterpret_cast<std::uintptr_t>(block);
    std::uintptr_t heapEnd = HeapBreak() & ~(kLargePageBytes - 1);
    std::uintptr_t first = (start + kLargePageBytes - 1) & ~(kLargePageBytes - 1);
    std::uintptr_t last;
    if (start >= heapFloor && start < heapEnd) {
        // A heap that shrank and grew again has spans past the old mark that were never advised.
        std::uintptr_t advised = heapAdvisedEnd.load(std::memory_order_relaxed);
        if (advised > heapEnd)
            advised = 0;
        first = std::max(first, advised);
        last = heapEnd;
        heapAdvisedEnd.store(last, std::memory_order_relaxed);
    } else {
        last = (start + bytes) & ~(kLargePageBytes - 1);
    }
    if (first < last)
        (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void* LargePageHeap::Allocate(std::size_t bytes)
{
    std::uintptr_t heapFloor = TuneHeapOnce();
    void* block = std::malloc(bytes);
    if (block != nullptr && bytes >= kLargeBlockBytes)
        AdviseLargePages(block, bytes, heapFloor);
    return block;
}

void* LargePageHeap::AllocateZeroed(std::size_t bytes)
{
    if (kSanitizedHeap || bytes < kLargeBlockBytes)
        return std::calloc(1, bytes);
    // Blocks are cut at 64-byte boundaries, so records never share a cache line across blocks.
    bytes = (bytes + 63) & ~std::size_t(63);
    std::lock_guard<std::mutex> lock(zeroedMutex);
    auto released = releasedBySize.find(bytes);
    if (released != releasedBySize.end() && !released->second.empty()) {
        void* block = released->second.back();
        released->second.pop_back();
        return block;
    }
    if (regionLeft < bytes) {
        std::size_t regionBytes = std::max(bytes, kZeroedRegionBytes);
        void* region = mmap(nullptr, regionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED)
            return nullptr;
        // Advice only: a refusal leaves small pages.
        (void)madvise(region, regionBytes, MADV_HUGEPAGE);
        // The rest of the older region stays unused address space; nothing of it was touched.
        regionNext = static_cast<std::uint8_t*>(region);
        regionLeft = regionBytes;
    }
    void* block = regionNext;
    regionNext += bytes;
    regionLeft -= bytes;
    return block;
}

void LargePageHeap::ReleaseZeroed(void* block, std::size_t bytes)
{
    if (block == nullptr)
        return;
    if (kSanitizedHeap || bytes < kLargeBlockBytes) {
        std::free(block);
        return;
    }
    bytes = (bytes + 63) & ~std::size_t(63);
    // The system takes the whole pages back (they read as zero when touched again); the parts of pages
    // that the block shares with its neighbours are cleared here.
    auto start = reinterpret_cast<std::uintptr_t>(block);
    std::uintptr_t end = start + bytes;
    const auto systemPage = std::uintptr_t(sysconf(_SC_PAGESIZE));
    std::uintptr_t first = (start + systemPage - 1) & ~(systemPage - 1);
    std::uintptr_t last = end & ~(systemPage - 1);
    if (first >= last || madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED) != 0) {
        std::memset(block, 0, bytes);
    } else {
        std::memset(block, 0, first - start);
        std::memset(reinterpret_cast<void*>(last), 0, end - last);
    }
    std::lock_guard<std::mutex> lock(zeroedMutex);
    releasedBySize[bytes].push_back(block);
}

}  // namespace vek
