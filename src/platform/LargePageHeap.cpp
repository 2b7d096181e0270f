// LargePageHeap: the C heap, grown ahead of use and advised as large pages.
#include "platform/LargePageHeap.h"

#include <algorithm>
#include <cstdlib>

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

}  // namespace vek
