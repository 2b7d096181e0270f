// "#LZ/" blocks with any stated length and any codes: the expansion may neither read nor write outside
// its blocks nor reserve more than the codes can fill, and a block that expands must compress and
// expand back to the same bytes. The input is taken with the "#LZ/" mark put in front.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "foundation/memory/BlockAllocator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size > 1 << 20)
        return 0;
    void* block = MemAlloc(int32_t(size) + 4);
    std::memcpy(block, "#LZ/", 4);
    if (size > 0)
        std::memcpy(static_cast<uint8_t*>(block) + 4, data, size);
    void* original = block;
    MemExpandBlock(block);
    if (block == original) {
        MemFree(block);
        return 0;
    }
    const int32_t length = MemBlockSize(block);
    if (int64_t(length) > int64_t(size) * 85 + 10)
        std::abort();
    void* copy = MemDuplicate(block);
    MemCompressBlock(copy, int(size % 3));
    MemExpandBlock(copy);
    if (MemBlockSize(copy) != length || std::memcmp(copy, block, std::size_t(length)) != 0)
        std::abort();
    MemFree(copy);
    MemFree(block);
    return 0;
}
