// DynArray: the growable arrays of integers, doubles and pointers on one allocator block.
#include "foundation/memory/DynArray.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/numbers/NumberMath.h"

namespace vek::detail {

template <typename T, int32_t kMinimum>
int64_t BlockArray<T, kMinimum>::BlockBytes(int32_t n)
{
    return int64_t(std::max(n, kMinimum)) * int64_t(sizeof(T));
}

template <typename T, int32_t kMinimum>
BlockArray<T, kMinimum>::BlockArray(int32_t n, int32_t flagsWord) : flags(flagsWord)
{
    n = std::max(n, 0);
    int64_t bytes = BlockBytes(n);
    if (bytes > std::numeric_limits<int32_t>::max())
        return;
    data = static_cast<T*>(MemAlloc(int32_t(bytes), flags));
    if (data)
        count = n;
}

template <typename T, int32_t kMinimum>
BlockArray<T, kMinimum>::~BlockArray()
{
    Free();
}

template <typename T, int32_t kMinimum>
BlockArray<T, kMinimum>::BlockArray(BlockArray&& other) noexcept
    : count(std::exchange(other.count, 0)), data(std::exchange(other.data, nullptr)), flags(other.flags)
{
}

template <typename T, int32_t kMinimum>
BlockArray<T, kMinimum>& BlockArray<T, kMinimum>::operator=(BlockArray&& other) noexcept
{
    if (this != &other) {
        Free();
        count = std::exchange(other.count, 0);
        data = std::exchange(other.data, nullptr);
        flags = other.flags;
    }
    return *this;
}

template <typename T, int32_t kMinimum>
void BlockArray<T, kMinimum>::Free()
{
    MemFree(data);
    data = nullptr;
    count = 0;
}

template <typename T, int32_t kMinimum>
bool BlockArray<T, kMinimum>::Resize(int32_t n)
{
    if (n < 0)
        return false;
    int64_t bytes = BlockBytes(n);
    if (bytes > std::numeric_limits<int32_t>::max())
        return false;
    if (!data || MemBlockSize(data) != bytes) {
        if (!MemResize(data, int32_t(bytes), flags))
            return false;
    }
    count = n;
    return true;
}

template <typename T, int32_t kMinimum>
void BlockArray<T, kMinimum>::Assign(const BlockArray& other)
{
    int32_t n = std::min(count, other.count);
    if (n > 0 && data != other.data)
        std::memcpy(data, other.data, std::size_t(n) * sizeof(T));
}

template <typename T, int32_t kMinimum>
void BlockArray<T, kMinimum>::Fill(T value)
{
    std::fill(data, data + count, value);
}

template <typename T, int32_t kMinimum>
void BlockArray<T, kMinimum>::SwapElements(int32_t i, int32_t j)
{
    if (Contains(i) && Contains(j))
        std::swap(data[i], data[j]);
}

template <typename T, int32_t kMinimum>
void BlockArray<T, kMinimum>::Reverse(int32_t lo, int32_t hi)
{
    if (lo < 0 || hi >= count)
        return;
    while (lo < hi)
        std::swap(data[lo++], data[hi--]);
}

template <typename T, int32_t kMinimum>
int64_t BlockArray<T, kMinimum>::MemorySize() const
{
    return MemBlockFootprint(data) + 12;
}

template <typename T, int32_t kMinimum>
void BlockArray<T, kMinimum>::SortWithComparator(SortCompareFunction compare, void* context)
{
    if (count < 2 || !compare)
        return;
    SortCallbacks callbacks;
    callbacks.compare = compare;
    callbacks.compareContext = context;
    callbacks.swap = [](void* array, int32_t i, int32_t j) { static_cast<BlockArray*>(array)->SwapElements(i, j); };
    callbacks.swapContext = this;
    QuickSortRange(callbacks, 0, count - 1);
}

template <typename T, int32_t kMinimum>
bool BlockArray<T, kMinimum>::CopyFrom(const BlockArray& other, int32_t newFlags)
{
    if (this == &other) {
        flags = newFlags;
        return true;
    }
    Free();
    flags = newFlags;
    void* copy = MemDuplicate(other.data);
    if (!copy)
        return false;
    data = static_cast<T*>(copy);
    count = other.count;
    return true;
}

template class BlockArray<int32_t, 1>;
template class BlockArray<double, 1>;
template class BlockArray<void*, 4>;

}  // namespace vek::detail

namespace vek {

namespace {

// Sorts lo..hi of an element range with a three-way comparison of values.
template <typename T, typename Compare>
void SortElementRange(T* data, int32_t lo, int32_t hi, Compare compareValues)
{
    SortIndexRange([&](int32_t i, int32_t j) { return compareValues(data[i], data[j]); },
                   [&](int32_t i, int32_t j) { std::swap(data[i], data[j]); }, lo, hi);
}

int32_t CompareInts(int32_t a, int32_t b) { return a > b ? 1 : a < b ? -1 : 0; }

}  // namespace

bool DynArray::InitCopy(const DynArray& other, int32_t newFlags) { return CopyFrom(other, newFlags); }

bool DynArray::DynArrayCopy(const DynArray& other) { return CopyFrom(other, other.flags); }

void DynArray::FillWithIndices()
{
    for (int32_t i = 0; i < count; ++i)
        data[i] = i;
}

void DynArray::FillIndicesN(int32_t n)
{
    n = std::min(n, count);
    for (int32_t i = 0; i < n; ++i)
        data[i] = i;
}

int32_t DynArray::CompareElements(int32_t i, int32_t j) const
{
    if (!Contains(i) || !Contains(j))
        return 0;
    return CompareInts(data[i], data[j]);
}

void DynArray::SortRange(int32_t lo, int32_t hi)
{
    if (lo >= hi || lo < 0 || hi >= count)
        return;
    SortElementRange(data, lo, hi, CompareInts);
}

bool DoubleArray::InitCopy(const DoubleArray& other, int32_t newFlags) { return CopyFrom(other, newFlags); }

bool DoubleArray::DoubleArrayCopy(const DoubleArray& other) { return CopyFrom(other, other.flags); }

void DoubleArray::MoveRange(int32_t i, int32_t j, int32_t k)
{
    if (k <= 0 || i < 0 || j < 0 || i > count - k || j > count - k)
        return;
    std::memmove(data + i, data + j, std::size_t(k) * sizeof(double));
}

void DoubleArray::FromInts(const DynArray& integers)
{
    int32_t n = std::min(count, integers.Count());
    const int32_t* values = integers.Data();
    for (int32_t i = 0; i < n; ++i)
        data[i] = double(values[i]);
}

void DoubleArray::DivideByInts(const DynArray& integers)
{
    int32_t n = std::min(count, integers.Count());
    const int32_t* values = integers.Data();
    for (int32_t i = 0; i < n; ++i)
        data[i] = data[i] / double(values[i]);
}

void DoubleArray::Exp()
{
    for (int32_t i = 0; i < count; ++i)
        data[i] = std::exp(data[i]);
}

void DoubleArray::Log()
{
    for (int32_t i = 0; i < count; ++i)
        data[i] = std::log(data[i]);
}

void DoubleArray::Sqrt()
{
    for (int32_t i = 0; i < count; ++i)
        data[i] = std::sqrt(data[i]);
}

int32_t DoubleArray::CompareElements(int32_t i, int32_t j) const
{
    if (!Contains(i) || !Contains(j))
        return 0;
    return CompareDoubles(data[i], data[j]);
}

void DoubleArray::SortRange(int32_t lo, int32_t hi)
{
    if (lo >= hi || lo < 0 || hi >= count)
        return;
    SortElementRange(data, lo, hi, CompareDoubles);
}

bool PointerArray::InitCopy(const PointerArray& other, int32_t newFlags) { return CopyFrom(other, newFlags); }

bool PointerArray::PointerArrayCopy(const PointerArray& other) { return CopyFrom(other, other.flags); }

}  // namespace vek
