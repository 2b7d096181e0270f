// DynArray, DoubleArray and PointerArray: growable arrays on one allocator block.
#pragma once

#include <cstdint>

#include "foundation/memory/CallbackSort.h"

namespace vek {

namespace detail {

// The shape shared by the growable arrays: a count, one allocator block and an allocation flags word
// passed to every allocation. The block holds max(count, kMinimum) elements and is reallocated to
// exactly that size whenever the size changes, so callers that append one by one size the array
// themselves. An array that cannot grow keeps its count and values.
//
// Indices are checked: reading outside 0..Count()-1 gives 0 (null), and writing, swapping or a range
// that reaches outside is ignored.
template <typename T, int32_t kMinimum>
class BlockArray {
public:
    // Allocates the block for n elements (a negative n counts as 0); when that fails the array is
    // empty with no block.
    explicit BlockArray(int32_t n = 0, int32_t flags = 0);
    ~BlockArray();
    BlockArray(BlockArray&& other) noexcept;
    BlockArray& operator=(BlockArray&& other) noexcept;
    // Copies are made explicitly (InitCopy and the named copies of each array).
    BlockArray(const BlockArray&) = delete;
    BlockArray& operator=(const BlockArray&) = delete;

    int32_t Count() const { return count; }
    int32_t Flags() const { return flags; }
    bool Contains(int32_t i) const { return i >= 0 && i < count; }
    // The elements 0..Count()-1 for bulk work; null when there is no block.
    T* Data() { return data; }
    const T* Data() const { return data; }
    T Get(int32_t i) const { return Contains(i) ? data[i] : T(); }
    void Set(int32_t i, T value)
    {
        if (Contains(i))
            data[i] = value;
    }

    // Releases the block; the array is then empty with no block.
    void Free();
    // n elements; the first min(old, n) keep their values, new ones are not initialised. False (count
    // and values unchanged) when memory runs short or n is negative.
    [[nodiscard]] bool Resize(int32_t n);
    // Copies the other's values (the first min of both counts).
    void Assign(const BlockArray& other);
    void Fill(T value);
    void SwapElements(int32_t i, int32_t j);
    // Swaps pairs from both ends of lo..hi inwards.
    void Reverse(int32_t lo, int32_t hi);
    // Block footprint + 12 (the record size of the array itself).
    int64_t MemorySize() const;
    // Sorts the whole array with the caller's comparison (which looks the elements up itself by index)
    // and the array's swap; nothing for fewer than 2 elements. Not stable.
    void SortWithComparator(SortCompareFunction compare, void* context);

protected:
    // Replaces the values by a copy of the other's; false (and an empty array) when memory runs short.
    bool CopyFrom(const BlockArray& other, int32_t newFlags);
    static int64_t BlockBytes(int32_t n);

    int32_t count = 0;
    T* data = nullptr;
    int32_t flags = 0;
};

extern template class BlockArray<int32_t, 1>;
extern template class BlockArray<double, 1>;
extern template class BlockArray<void*, 4>;

}  // namespace detail

// A growable array of signed 32-bit integers (block: 4 bytes for fewer than 2 elements, else 4n).
class DynArray : public detail::BlockArray<int32_t, 1> {
public:
    using BlockArray::BlockArray;

    // Takes the other's count and values with the given flags; false and empty when memory runs short.
    [[nodiscard]] bool InitCopy(const DynArray& other, int32_t newFlags);
    // The same with the other's flags.
    [[nodiscard]] bool DynArrayCopy(const DynArray& other);

    void FillWithIndices();  // element i = i
    void FillIndicesN(int32_t n);  // the first n elements (cut to the count) = 0..n-1
    // 1, 0 or -1 by signed value; 0 when either index is outside.
    int32_t CompareElements(int32_t i, int32_t j) const;
    // Ascending; nothing when lo >= hi or the range reaches outside.
    void SortRange(int32_t lo, int32_t hi);
};

// A growable array of doubles with the element-wise arithmetic of the analyses (block: 8 bytes for
// fewer than 2 elements, else 8n).
class DoubleArray : public detail::BlockArray<double, 1> {
public:
    using BlockArray::BlockArray;

    [[nodiscard]] bool InitCopy(const DoubleArray& other, int32_t newFlags);
    [[nodiscard]] bool DoubleArrayCopy(const DoubleArray& other);

    // Moves k elements from index j to index i (the ranges may overlap); ignored when either range
    // reaches outside.
    void MoveRange(int32_t i, int32_t j, int32_t k);
    // Element i = integer i (the first min of both counts).
    void FromInts(const DynArray& integers);
    // Element i = element i / integer i in floating point (a zero divisor gives an infinity or NaN).
    void DivideByInts(const DynArray& integers);
    void Exp();
    void Log();
    void Sqrt();
    // 1, 0 or -1; a NaN is greater than every number and equal to another NaN; 0 for an index outside.
    int32_t CompareElements(int32_t i, int32_t j) const;
    void SortRange(int32_t lo, int32_t hi);
};

// A growable array of pointer-sized slots (block: at least 4 slots); also the page table of PagedArray.
class PointerArray : public detail::BlockArray<void*, 4> {
public:
    using BlockArray::BlockArray;

    [[nodiscard]] bool InitCopy(const PointerArray& other, int32_t newFlags);
    [[nodiscard]] bool PointerArrayCopy(const PointerArray& other);
};

}  // namespace vek
