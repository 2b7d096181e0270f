// MemoryBytes: filling, swapping and comparing runs of bytes with 32-bit counts.
#include "foundation/memory/MemoryBytes.h"

#include <cstring>
#include <utility>

namespace vek {

void MemZero(void* p, int32_t n)
{
    if (n > 0)
        std::memset(p, 0, size_t(n));
}

void MemFill(void* p, int32_t n, uint8_t byte)
{
    if (n > 0)
        std::memset(p, byte, size_t(n));
}

void MemSwap(void* a, void* b, int32_t n)
{
    auto* x = static_cast<uint8_t*>(a);
    auto* y = static_cast<uint8_t*>(b);
    for (int32_t i = 0; i < n; ++i)
        std::swap(x[i], y[i]);
}

int32_t MemCompare(const void* a, const void* b, int32_t n)
{
    if (n <= 0)
        return 0;
    int result = std::memcmp(a, b, size_t(n));
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

}  // namespace vek
