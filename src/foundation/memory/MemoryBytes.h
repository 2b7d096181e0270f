// MemoryBytes: filling, swapping and comparing runs of bytes with 32-bit counts.
#pragma once

#include <cstdint>

namespace vek {

// n <= 0 does nothing (MemCompare gives 0).
void MemZero(void* p, int32_t n);
void MemFill(void* p, int32_t n, uint8_t byte);
void MemSwap(void* a, void* b, int32_t n);
// -1, 0 or 1 by the first differing byte, taken as unsigned.
int32_t MemCompare(const void* a, const void* b, int32_t n);

}  // namespace vek
