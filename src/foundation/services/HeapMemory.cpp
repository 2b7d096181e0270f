// HeapMemory: plain std::malloc until the platform registers its heap.
#include "foundation/services/HeapMemory.h"

#include <cstdlib>

namespace vek {

namespace {

class PlainHeapMemory final : public HeapMemory {
public:
    void* Allocate(std::size_t bytes) override { return std::malloc(bytes); }
};

}  // namespace

HeapMemory::~HeapMemory() = default;

void* HeapMemory::AllocateZeroed(std::size_t bytes) { return std::calloc(1, bytes); }

void HeapMemory::ReleaseZeroed(void* block, std::size_t) { std::free(block); }

template <>
HeapMemory& Service<HeapMemory>::Headless()
{
    static PlainHeapMemory plain;
    return plain;
}

}  // namespace vek
