// BitSet: sizing, copying and the bit and set operations of a set of small integers.
#include "foundation/memory/BitSet.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

int64_t BitSet::BlockBytes(int32_t n)
{
    return n <= 32 ? 4 : (int64_t(n) + 31) / 32 * 4;
}

BitSet::BitSet(int32_t n, int32_t flagsWord) : flags(flagsWord)
{
    n = std::max(n, 0);
    data = static_cast<uint32_t*>(MemAlloc(int32_t(BlockBytes(n)), flags));
    if (data)
        count = n;
}

BitSet::~BitSet() { Free(); }

BitSet::BitSet(BitSet&& other) noexcept
    : count(std::exchange(other.count, 0)), data(std::exchange(other.data, nullptr)), flags(other.flags)
{
}

BitSet& BitSet::operator=(BitSet&& other) noexcept
{
    if (this != &other) {
        Free();
        count = std::exchange(other.count, 0);
        data = std::exchange(other.data, nullptr);
        flags = other.flags;
    }
    return *this;
}

bool BitSet::CopyFrom(const BitSet& other, int32_t newFlags)
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
    data = static_cast<uint32_t*>(copy);
    count = other.count;
    return true;
}

bool BitSet::InitCopy(const BitSet& other, int32_t newFlags) { return CopyFrom(other, newFlags); }

bool BitSet::BitSetCopy(const BitSet& other) { return CopyFrom(other, other.flags); }

void BitSet::Free()
{
    MemFree(data);
    data = nullptr;
    count = 0;
}

int32_t BitSet::WordCount() const { return data ? MemBlockSize(data) / 4 : 0; }

int64_t BitSet::MemorySize() const { return MemBlockFootprint(data) + 12; }

bool BitSet::Resize(int32_t n)
{
    if (n < 0)
        return false;
    int32_t bytes = int32_t(BlockBytes(n));
    if (!data || MemBlockSize(data) != bytes) {
        if (!MemResize(data, bytes, flags))
            return false;
    }
    count = n;
    return true;
}

bool BitSet::ResizeFill(int32_t n, bool value)
{
    int32_t old = count;
    if (!Resize(n))
        return false;
    for (int32_t i = old; i < n; ++i)
        SetBit(i, value);
    return true;
}

void BitSet::Assign(const BitSet& other)
{
    int32_t words = std::min(WordCount(), other.WordCount());
    if (words > 0 && data != other.data)
        std::memcpy(data, other.data, std::size_t(words) * 4);
}

bool BitSet::GetBit(int32_t i) const
{
    if (i < 0 || i >= count)
        return false;
    return (data[i >> 5] >> (i & 31)) & 1;
}

void BitSet::SetBit(int32_t i, bool value)
{
    if (i < 0 || i >= count)
        return;
    uint32_t bit = uint32_t(1) << (i & 31);
    if (value)
        data[i >> 5] |= bit;
    else
        data[i >> 5] &= ~bit;
}

void BitSet::ToggleBit(int32_t i)
{
    if (i >= 0 && i < count)
        data[i >> 5] ^= uint32_t(1) << (i & 31);
}

uint32_t BitSet::LastWordMask() const
{
    int32_t rest = count & 31;
    return rest == 0 ? ~uint32_t(0) : (uint32_t(1) << rest) - 1;
}

int32_t BitSet::BitCount() const
{
    int32_t whole = count >> 5;
    int32_t bits = 0;
    for (int32_t w = 0; w < whole; ++w)
        bits += std::popcount(data[w]);
    if (count & 31)
        bits += std::popcount(data[whole] & LastWordMask());
    return bits;
}

int32_t BitSet::NextSet(int32_t i) const
{
    if (i >= count - 1)
        return -1;
    int32_t start = i < 0 ? 0 : i + 1;
    int32_t w = start >> 5;
    uint32_t word = data[w] & (~uint32_t(0) << (start & 31));
    int32_t lastWord = (count - 1) >> 5;
    while (true) {
        if (w == lastWord)
            word &= LastWordMask();
        if (word)
            return (w << 5) + std::countr_zero(word);
        if (w == lastWord)
            return -1;
        word = data[++w];
    }
}

bool BitSet::Equals(const BitSet& other) const
{
    if (count != other.count)
        return false;
    if (count == 0)
        return true;
    int32_t whole = count >> 5;
    if (whole > 0 && std::memcmp(data, other.data, std::size_t(whole) * 4) != 0)
        return false;
    return (count & 31) == 0 || ((data[whole] ^ other.data[whole]) & LastWordMask()) == 0;
}

void BitSet::Or(const BitSet& other)
{
    int32_t words = std::min(WordCount(), other.WordCount());
    for (int32_t w = 0; w < words; ++w)
        data[w] |= other.data[w];
}

void BitSet::And(const BitSet& other)
{
    int32_t words = std::min(WordCount(), other.WordCount());
    for (int32_t w = 0; w < words; ++w)
        data[w] &= other.data[w];
}

void BitSet::AndNot(const BitSet& other)
{
    int32_t words = std::min(WordCount(), other.WordCount());
    for (int32_t w = 0; w < words; ++w)
        data[w] &= ~other.data[w];
}

void BitSet::Xor(const BitSet& other)
{
    int32_t words = std::min(WordCount(), other.WordCount());
    for (int32_t w = 0; w < words; ++w)
        data[w] ^= other.data[w];
}

void BitSet::SetAll(int32_t value)
{
    if (data)
        std::memset(data, value > 0 ? 0xFF : 0, std::size_t(WordCount()) * 4);
}

void BitSet::Invert()
{
    int32_t words = WordCount();
    for (int32_t w = 0; w < words; ++w)
        data[w] = ~data[w];
}

bool BitSet::ContainsAllComponents(const uint8_t* line, int32_t width, int32_t n) const
{
    // The selection scan of every analysis runs here once per line, so each width has its own loop
    // and the bit is read straight from its word.
    const uint32_t limit = uint32_t(count);
    const uint32_t* words = data;
    if (limit == 0 || words == nullptr)
        return n <= 0 || width < 2 || width > 4;
    auto admitted = [limit, words](uint32_t number) {
        return number < limit && ((words[number >> 5] >> (number & 31)) & 1u) != 0;
    };
    switch (width) {
    case 2: {
        // Without a branch per component: which component of a line fails is not predictable, and
        // reading the few components that follow costs less than guessing wrong.
        uint32_t all = 1;
        for (int32_t k = 0; k < n; ++k, line += 2) {
            uint32_t number = uint32_t(line[0]) << 8 | line[1];
            uint32_t inside = number < limit ? number : 0;
            all &= uint32_t(number < limit) & (words[inside >> 5] >> (inside & 31));
        }
        return (all & 1u) != 0;
    }
    case 3:
        for (int32_t k = 0; k < n; ++k, line += 3) {
            if (!admitted(uint32_t(line[0]) << 16 | uint32_t(line[1]) << 8 | line[2]))
                return false;
        }
        return true;
    case 4:
        for (int32_t k = 0; k < n; ++k, line += 4) {
            if (!admitted(uint32_t(line[0]) << 24 | uint32_t(line[1]) << 16 | uint32_t(line[2]) << 8 | line[3]))
                return false;
        }
        return true;
    default:
        return true;
    }
}

}  // namespace vek
