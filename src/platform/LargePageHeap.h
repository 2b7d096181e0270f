// LargePageHeap: the C heap, grown ahead of use and advised as large pages.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "foundation/services/HeapMemory.h"

namespace vek {

// Opening a big base fills tens of megabytes of fresh heap with records. Taken from the kernel 4 KB at
// a time, one fault each, that memory costs more than reading the file. So the heap is grown well
// ahead of use, and the untouched 2 MB spans between a big block and the heap's end are advised as
// large-page candidates before anything is written there (a span already touched keeps small pages).
// Blocks of their own mapping have the spans inside them advised. All of it is advice: a refusal
// changes nothing but the speed, and no allocation depends on it. The heap settings are the
// process's: up to the top pad stays with the process after it is freed. Registered at start-up.
//
// Zeroed blocks (record pages) of 32 KB and more are cut from regions of their own anonymous mapping,
// advised as large pages: that memory is zero when first touched, so nobody clears it again. A
// released block is given back to the system (its memory is zero again when next touched) and its
// address range is kept for the next zeroed block of its size. Sanitizer builds take std::calloc, so
// that the checkers watch record pages as any other heap block.
class LargePageHeap final : public HeapMemory {
public:
    ~LargePageHeap() override;
    void* Allocate(std::size_t bytes) override;
    void* AllocateZeroed(std::size_t bytes) override;
    void ReleaseZeroed(void* block, std::size_t bytes) override;

private:
    // Tunes the heap on the first call; gives the heap's end at that time. The heap is one range up to
    // its current end, so a block from that mark to the current end lies in the heap and nowhere else.
    std::uintptr_t TuneHeapOnce();
    void AdviseLargePages(const void* block, std::size_t bytes, std::uintptr_t heapFloor);

    std::atomic<std::uintptr_t> heapAdvisedEnd{0};

    std::mutex zeroedMutex;
    std::uint8_t* regionNext = nullptr;  // the untouched rest of the newest region
    std::size_t regionLeft = 0;
    std::unordered_map<std::size_t, std::vector<void*>> releasedBySize;  // given back, zero again
};

}  // namespace vek
