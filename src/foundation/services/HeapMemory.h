// HeapMemory: where the block allocator takes the memory of its chunks and large blocks.
#pragma once

#include <cstddef>

#include "foundation/services/Service.h"

namespace vek {

// Opening a big base fills tens of megabytes of fresh heap with records; how that memory is asked of
// the system is the platform's business (it may advise large pages). Every block comes from the C
// heap, so that std::free releases it whatever implementation handed it out. Until the platform
// registers its own, plain std::malloc answers.
class HeapMemory {
public:
    virtual ~HeapMemory();
    // A block of `bytes` from the C heap; null when there is none.
    virtual void* Allocate(std::size_t bytes) = 0;
    // A block of `bytes` whose bytes are all zero, released only with ReleaseZeroed and the same size
    // (it need not come from the C heap). Record pages take these: memory fresh from the system is
    // zero already, and clearing it again costs as much as filling it. Plain std::calloc by default.
    virtual void* AllocateZeroed(std::size_t bytes);
    virtual void ReleaseZeroed(void* block, std::size_t bytes);
};

template <>
HeapMemory& Service<HeapMemory>::Headless();

}  // namespace vek
