// PackedArray: the ladder of bit widths and the get and set accessors of each width.
#include "foundation/memory/PackedArray.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

namespace {

// Element i of a w-bit row lies at bits i * w .. i * w + w - 1 of the byte stream, least significant
// bit first. Only the bytes that hold the element are touched, so the last element never reads past
// the row's byte count.
template <int kWidth>
uint32_t GetWidth(const uint8_t* data, int32_t index)
{
    constexpr uint64_t kMask = (uint64_t(1) << kWidth) - 1;
    const uint64_t bit = uint64_t(index) * kWidth;
    const uint8_t* bytes = data + (bit >> 3);
    const unsigned shift = unsigned(bit & 7);
    const unsigned used = (shift + kWidth + 7) / 8;
    uint64_t word = 0;
    for (unsigned k = 0; k < used; ++k)
        word |= uint64_t(bytes[k]) << (8 * k);
    return uint32_t((word >> shift) & kMask);
}

template <int kWidth>
void SetWidth(uint8_t* data, int32_t index, uint32_t value)
{
    constexpr uint64_t kMask = (uint64_t(1) << kWidth) - 1;
    const uint64_t bit = uint64_t(index) * kWidth;
    uint8_t* bytes = data + (bit >> 3);
    const unsigned shift = unsigned(bit & 7);
    const unsigned used = (shift + kWidth + 7) / 8;
    uint64_t word = 0;
    for (unsigned k = 0; k < used; ++k)
        word |= uint64_t(bytes[k]) << (8 * k);
    word = (word & ~(kMask << shift)) | ((uint64_t(value) & kMask) << shift);
    for (unsigned k = 0; k < used; ++k)
        bytes[k] = uint8_t(word >> (8 * k));
}

struct PackedRow {
    int32_t width;
    uint32_t maximum;
    int32_t groupElements;  // elements of a group that fills whole bytes
    int32_t groupBytes;
    PackedArray::GetAccessor get;
    PackedArray::SetAccessor set;
};

#define VEK_PACKED_ROW(width, maximum, groupElements, groupBytes) \
    PackedRow { width, maximum, groupElements, groupBytes, GetWidth<width>, SetWidth<width> }

constexpr PackedRow kRows[] = {
    VEK_PACKED_ROW(1, 0x1, 8, 1),        VEK_PACKED_ROW(2, 0x3, 4, 1),
    VEK_PACKED_ROW(3, 0x7, 8, 3),        VEK_PACKED_ROW(4, 0xf, 2, 1),
    VEK_PACKED_ROW(5, 0x1f, 8, 5),       VEK_PACKED_ROW(6, 0x3f, 4, 3),
    VEK_PACKED_ROW(7, 0x7f, 8, 7),       VEK_PACKED_ROW(8, 0xff, 1, 1),
    VEK_PACKED_ROW(9, 0x1ff, 8, 9),      VEK_PACKED_ROW(10, 0x3ff, 4, 5),
    VEK_PACKED_ROW(11, 0x7ff, 8, 11),    VEK_PACKED_ROW(12, 0xfff, 2, 3),
    VEK_PACKED_ROW(13, 0x1fff, 8, 13),   VEK_PACKED_ROW(14, 0x3fff, 4, 7),
    VEK_PACKED_ROW(15, 0x7fff, 8, 15),   VEK_PACKED_ROW(16, 0xffff, 1, 2),
    VEK_PACKED_ROW(17, 0x1ffff, 8, 17),  VEK_PACKED_ROW(18, 0x3ffff, 8, 18),
    VEK_PACKED_ROW(19, 0x7ffff, 8, 19),  VEK_PACKED_ROW(20, 0xfffff, 4, 10),
    VEK_PACKED_ROW(21, 0x1fffff, 8, 21), VEK_PACKED_ROW(22, 0x3fffff, 4, 11),
    VEK_PACKED_ROW(24, 0xffffff, 1, 3),  VEK_PACKED_ROW(28, 0xfffffff, 2, 7),
    VEK_PACKED_ROW(32, 0x7fffffff, 1, 4),
};

#undef VEK_PACKED_ROW

static_assert(std::size(kRows) == 25);

const PackedRow& RowForLargest(int64_t largest)
{
    for (const PackedRow& row : kRows) {
        if (int64_t(row.maximum) >= largest)
            return row;
    }
    return kRows[std::size(kRows) - 1];
}

int64_t RowDataBytes(const PackedRow& row, int32_t n)
{
    return (int64_t(n) + row.groupElements - 1) / row.groupElements * row.groupBytes;
}

// A data block for n elements of a row (null when n needs no bytes); false when it cannot be had.
bool AllocatePackedData(const PackedRow& row, int32_t n, int32_t flags, uint8_t*& block)
{
    block = nullptr;
    if (n < 0)
        return false;
    int64_t bytes = RowDataBytes(row, n);
    if (bytes == 0)
        return true;
    if (bytes > std::numeric_limits<int32_t>::max())
        return false;
    block = static_cast<uint8_t*>(MemAlloc(int32_t(bytes), flags));
    return block != nullptr;
}

}  // namespace

PackedArray::PackedArray(int32_t n, int32_t largest, int32_t flagsWord)
    : flags(flagsWord), get(kRows[0].get), set(kRows[0].set)
{
    (void)Setup(n, largest);
}

PackedArray::~PackedArray() { Free(); }

PackedArray::PackedArray(PackedArray&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      count(std::exchange(other.count, 0)),
      maximum(other.maximum),
      flags(other.flags),
      get(other.get),
      set(other.set)
{
}

PackedArray& PackedArray::operator=(PackedArray&& other) noexcept
{
    if (this != &other) {
        Free();
        data = std::exchange(other.data, nullptr);
        count = std::exchange(other.count, 0);
        maximum = other.maximum;
        flags = other.flags;
        get = other.get;
        set = other.set;
    }
    return *this;
}

uint32_t PackedArray::MaskForMaximum(int32_t largest) { return RowForLargest(largest).maximum; }

int64_t PackedArray::DataBytes(int32_t n, uint32_t maximumValue)
{
    return RowDataBytes(RowForLargest(maximumValue), n);
}

int32_t PackedArray::Width() const { return RowForLargest(maximum).width; }

bool PackedArray::InitCopy(const PackedArray& other)
{
    if (this == &other)
        return true;
    void* copy = MemDuplicate(other.data);
    Free();
    if (other.data && !copy)
        return false;
    data = static_cast<uint8_t*>(copy);
    count = other.count;
    maximum = other.maximum;
    flags = other.flags;
    get = other.get;
    set = other.set;
    return true;
}

void PackedArray::Free()
{
    MemFree(data);
    data = nullptr;
    count = 0;
}

int64_t PackedArray::MemorySize() const { return MemBlockFootprint(data) + 24; }

bool PackedArray::Setup(int32_t n, int32_t largest)
{
    const PackedRow& row = RowForLargest(largest);
    uint8_t* block;
    if (!AllocatePackedData(row, n, flags, block))
        return false;
    MemFree(data);
    data = block;
    count = n;
    maximum = row.maximum;
    get = row.get;
    set = row.set;
    return true;
}

bool PackedArray::Resize(int32_t n)
{
    if (n < 0)
        return false;
    int64_t bytes = RowDataBytes(RowForLargest(maximum), n);
    if (bytes > std::numeric_limits<int32_t>::max())
        return false;
    if (bytes != MemBlockSize(data) && !MemResize(data, int32_t(bytes), flags))
        return false;
    count = n;
    return true;
}

bool PackedArray::SetMaximum(int32_t largest)
{
    const PackedRow& row = RowForLargest(largest);
    if (row.maximum == maximum)
        return true;
    return Reinit(count, largest);
}

bool PackedArray::Reinit(int32_t n, int32_t largest)
{
    const PackedRow& row = RowForLargest(largest);
    uint8_t* block;
    if (!AllocatePackedData(row, n, flags, block))
        return false;
    int32_t kept = std::min(count, n);
    for (int32_t i = 0; i < kept; ++i)
        row.set(block, i, get(data, i));
    MemFree(data);
    data = block;
    count = n;
    maximum = row.maximum;
    get = row.get;
    set = row.set;
    return true;
}

void PackedArray::Fill(uint32_t value)
{
    if (value == 0) {
        if (data)
            std::memset(data, 0, std::size_t(MemBlockSize(data)));
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        set(data, i, value);
}

bool PackedArray::Assign(const PackedArray& other)
{
    if (this == &other)
        return true;
    if (!Resize(other.count) || !SetMaximum(int32_t(other.maximum)))
        return false;
    for (int32_t i = 0; i < count; ++i)
        set(data, i, other.get(other.data, i));
    return true;
}

bool PackedArray::Equals(const PackedArray& other) const
{
    if (count != other.count)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        if (get(data, i) != other.get(other.data, i))
            return false;
    }
    return true;
}

bool PackedArray::AllEqual(uint32_t value) const
{
    for (int32_t i = 0; i < count; ++i) {
        if (get(data, i) != value)
            return false;
    }
    return true;
}

void PackedArray::SwapElements(int32_t i, int32_t j)
{
    if (i < 0 || i >= count || j < 0 || j >= count)
        return;
    uint32_t value = get(data, i);
    set(data, i, get(data, j));
    set(data, j, value);
}

int32_t PackedArray::CompareElements(int32_t i, int32_t j) const
{
    if (i < 0 || i >= count || j < 0 || j >= count)
        return 0;
    uint32_t a = get(data, i);
    uint32_t b = get(data, j);
    return a > b ? 1 : a < b ? -1 : 0;
}

void PackedArray::SortRange(int32_t lo, int32_t hi)
{
    if (lo >= hi || lo < 0 || hi >= count)
        return;
    SortIndexRange(
        [this](int32_t i, int32_t j) {
            uint32_t a = get(data, i);
            uint32_t b = get(data, j);
            return a > b ? 1 : a < b ? -1 : 0;
        },
        [this](int32_t i, int32_t j) {
            uint32_t value = get(data, i);
            set(data, i, get(data, j));
            set(data, j, value);
        },
        lo, hi);
}

void PackedArray::SortWithComparator(SortCompareFunction compare, void* context)
{
    if (count < 2 || !compare)
        return;
    SortCallbacks callbacks;
    callbacks.compare = compare;
    callbacks.compareContext = context;
    callbacks.swap = [](void* array, int32_t i, int32_t j) { static_cast<PackedArray*>(array)->SwapElements(i, j); };
    callbacks.swapContext = this;
    QuickSortRange(callbacks, 0, count - 1);
}

void PackedArray::Reverse(int32_t lo, int32_t hi)
{
    if (lo < 0 || hi >= count)
        return;
    for (; lo < hi; ++lo, --hi)
        SwapElements(lo, hi);
}

}  // namespace vek
