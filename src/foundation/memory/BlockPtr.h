// Single owners of allocator blocks: std::unique_ptr with the block allocator's deleter.
#pragma once

#include <memory>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

// Returns a block to the allocator (MemFree); null is ignored. The block is not wiped.
struct BlockDeleter {
    void operator()(void* block) const { MemFree(block); }
};

// Owns one block of MemAlloc (or any of the block utilities): `BlockPtr<char>`, `BlockPtr<uint8_t[]>`.
template <typename T>
using BlockPtr = std::unique_ptr<T, BlockDeleter>;

}  // namespace vek
