// ByteSwap: reversing the bytes of a 16-bit or 32-bit value in place.
#pragma once

#include <cstdint>
#include <utility>

namespace vek {

inline void SwapBytes16(void* p)
{
    auto* bytes = static_cast<uint8_t*>(p);
    std::swap(bytes[0], bytes[1]);
}

inline void SwapBytes32(void* p)
{
    auto* bytes = static_cast<uint8_t*>(p);
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
}

}  // namespace vek
