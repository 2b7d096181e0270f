// PackedArray: non-negative integers stored with the fewest bits their largest value needs.
#pragma once

#include <cstdint>

#include "foundation/memory/CallbackSort.h"

namespace vek {

// Non-negative integers stored with the fewest bits that the largest expected value needs. The width
// comes from a fixed ladder (1..22, 24, 28 and 32 bits; the 32-bit row holds values up to 0x7fffffff),
// and each width has its own get and set accessor, which the array holds, so that an element access is
// one indirect call with no test of the width.
//
// Elements lie one after the other in the bit stream, element i at bits i * w .. i * w + w - 1 counted
// from the least significant bit of the first byte; the data block has the row's byte count (groups of
// 8, 4 or 2 elements that fill whole bytes). A value above the maximum is cut to the width, so it never
// spills into its neighbours. Indices are checked: reading outside 0..Count()-1 gives 0, writing there
// is ignored. Operations that cannot allocate leave the array as it was.
class PackedArray {
public:
    using GetAccessor = uint32_t (*)(const uint8_t* data, int32_t index);
    using SetAccessor = void (*)(uint8_t* data, int32_t index, uint32_t value);

    // Setup with the count and the largest value; an array that cannot be set up is empty.
    explicit PackedArray(int32_t n = 0, int32_t largest = 0, int32_t flags = 0);
    ~PackedArray();
    PackedArray(PackedArray&& other) noexcept;
    PackedArray& operator=(PackedArray&& other) noexcept;
    PackedArray(const PackedArray&) = delete;
    PackedArray& operator=(const PackedArray&) = delete;

    // The maximum of the first row of the ladder that holds `largest` (values below 2 pick 1 bit).
    static uint32_t MaskForMaximum(int32_t largest);
    // Data bytes of n elements in the row of a maximum.
    static int64_t DataBytes(int32_t n, uint32_t maximum);

    // Same count, maximum, flags and values; false and empty when memory runs short.
    [[nodiscard]] bool InitCopy(const PackedArray& other);
    void Free();  // releases the data; the array is then empty
    // Data block footprint + 24 (the record size of the array itself).
    int64_t MemorySize() const;

    int32_t Count() const { return count; }
    uint32_t Maximum() const { return maximum; }
    int32_t Width() const;
    int32_t Flags() const { return flags; }
    // The packed bytes (null when the count needs none).
    const uint8_t* Data() const { return data; }

    uint32_t Get(int32_t i) const { return i >= 0 && i < count ? get(data, i) : 0; }
    void Set(int32_t i, uint32_t value)
    {
        if (i >= 0 && i < count)
            set(data, i, value);
    }

    // A fresh array of n elements (values undefined) in the row of `largest`; false and nothing
    // changed when memory runs short or n is negative.
    [[nodiscard]] bool Setup(int32_t n, int32_t largest);
    // n elements at the current width, existing values kept; false and nothing changed on failure.
    [[nodiscard]] bool Resize(int32_t n);
    // Moves every element to the row of `largest` (wider or narrower); false and nothing changed on
    // failure.
    [[nodiscard]] bool SetMaximum(int32_t largest);
    // n elements in the row of `largest`, keeping the first min(old, n) values.
    [[nodiscard]] bool Reinit(int32_t n, int32_t largest);
    void Fill(uint32_t value);
    // Takes the other's count, width and values; stops (false) when the resize or the widening fails.
    [[nodiscard]] bool Assign(const PackedArray& other);
    bool Equals(const PackedArray& other) const;
    // Every element equals value (true for an empty array).
    bool AllEqual(uint32_t value) const;

    void SwapElements(int32_t i, int32_t j);
    // 1, 0 or -1 as unsigned values; 0 when either index is outside.
    int32_t CompareElements(int32_t i, int32_t j) const;
    // Ascending; nothing when lo >= hi or the range reaches outside.
    void SortRange(int32_t lo, int32_t hi);
    // The whole array with the caller's comparison and the array's swap; nothing below 2 elements.
    void SortWithComparator(SortCompareFunction compare, void* context);
    // Swaps pairs from both ends of lo..hi inwards; ignored when the range reaches outside.
    void Reverse(int32_t lo, int32_t hi);

private:
    uint8_t* data = nullptr;
    int32_t count = 0;
    uint32_t maximum = 1;
    int32_t flags = 0;
    GetAccessor get;
    SetAccessor set;
};

}  // namespace vek
