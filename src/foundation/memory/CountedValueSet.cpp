// CountedValueSet: the hashed multiset of doubles and its median.
#include "foundation/memory/CountedValueSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

namespace {

// The largest block capacity whose bytes the allocator's 32-bit sizes still hold.
constexpr int32_t kLargestValueSetCapacity = int32_t(1) << 26;

uint64_t ValueSetHash(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    // splitmix64's finaliser: neighbouring amounts land far apart.
    bits += 0x9E3779B97F4A7C15ull;
    bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
    bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
    return bits ^ (bits >> 31);
}

// The capacity that holds n distinct values at most three quarters full.
int32_t ValueSetCapacityFor(int64_t n)
{
    int64_t capacity = 16;
    while (capacity * 3 / 4 < n && capacity < kLargestValueSetCapacity)
        capacity *= 2;
    return int32_t(capacity);
}

}  // namespace

CountedValueSet::~CountedValueSet()
{
    MemFree(block);
}

void CountedValueSet::Insert(Entry* slots, int32_t slotCount, double value, uint64_t count)
{
    uint32_t mask = uint32_t(slotCount - 1);
    for (uint32_t i = uint32_t(ValueSetHash(value)) & mask;; i = (i + 1) & mask) {
        if (slots[i].count == 0) {
            slots[i] = Entry{value, count};
            return;
        }
    }
}

bool CountedValueSet::Rehash(int32_t newCapacity)
{
    // The entries in use, wherever they are (in hash order, or compacted at the front by Median).
    Entry* old = Slots();
    int32_t oldCapacity = Capacity();
    Entry* fresh = nullptr;
    Entry inlineCopy[kInlineEntries];
    if (newCapacity > kInlineEntries) {
        fresh = static_cast<Entry*>(MemAlloc(int32_t(sizeof(Entry)) * newCapacity));
        if (fresh == nullptr)
            return false;
        std::fill_n(fresh, newCapacity, Entry{0.0, 0});
    } else {
        std::copy_n(old, kInlineEntries, inlineCopy);
        old = inlineCopy;
        std::fill_n(inlineEntries, kInlineEntries, Entry{0.0, 0});
    }
    Entry* target = fresh != nullptr ? fresh : inlineEntries;
    int32_t targetCapacity = fresh != nullptr ? newCapacity : kInlineEntries;
    for (int32_t i = 0; i < oldCapacity; ++i) {
        if (old[i].count != 0)
            Insert(target, targetCapacity, old[i].value, old[i].count);
    }
    if (fresh != nullptr) {
        MemFree(block);
        block = fresh;
        capacity = newCapacity;
    }
    ordered = false;
    return true;
}

bool CountedValueSet::Reserve(int64_t wanted)
{
    if (wanted <= Capacity() * 3 / 4 && !ordered)
        return true;
    int32_t newCapacity = std::max(ValueSetCapacityFor(wanted), Capacity());
    if (wanted > kLargestValueSetCapacity * int64_t(3) / 4)
        return false;
    return Rehash(newCapacity);
}

bool CountedValueSet::Add(double x)
{
    if (std::isnan(x)) {
        ++nanCount;
        return true;
    }
    if (x == 0.0)
        x = 0.0;  // -0 is +0
    if (ordered && !Rehash(Capacity()))
        return false;
    Entry* slots = Slots();
    uint32_t mask = uint32_t(Capacity() - 1);
    for (uint32_t i = uint32_t(ValueSetHash(x)) & mask;; i = (i + 1) & mask) {
        if (slots[i].count == 0)
            break;
        if (slots[i].value == x) {
            ++slots[i].count;
            ++total;
            return true;
        }
    }
    // A new value: grow first when it would pass three quarters.
    if ((distinct + 1) * 4 > int64_t(Capacity()) * 3) {
        if (Capacity() >= kLargestValueSetCapacity || !Rehash(std::max(Capacity() * 2, 16)))
            return false;
    }
    Insert(Slots(), Capacity(), x, 1);
    ++distinct;
    ++total;
    return true;
}

double CountedValueSet::Median()
{
    if (total == 0 || nanCount > 0)
        return std::numeric_limits<double>::quiet_NaN();
    Entry* slots = Slots();
    if (!ordered) {
        // Compacted to the front and sorted by value, in place: nothing to allocate.
        int32_t used = 0;
        for (int32_t i = 0; i < Capacity(); ++i) {
            if (slots[i].count != 0)
                slots[used++] = slots[i];
        }
        std::fill(slots + used, slots + Capacity(), Entry{0.0, 0});
        std::sort(slots, slots + used, [](const Entry& a, const Entry& b) { return a.value < b.value; });
        ordered = true;
    }
    // The values of ranks k - 1 and k (0-based, k = total / 2) in ascending order.
    const int64_t high = total / 2;
    const int64_t low = total % 2 == 1 ? high : high - 1;
    double lowValue = 0.0;
    double highValue = 0.0;
    int64_t before = 0;
    for (int64_t i = 0; i < distinct; ++i) {
        int64_t after = before + int64_t(slots[i].count);
        if (low >= before && low < after)
            lowValue = slots[i].value;
        if (high >= before && high < after) {
            highValue = slots[i].value;
            break;
        }
        before = after;
    }
    return low == high ? highValue : (lowValue + highValue) / 2.0;
}

void CountedValueSet::Clear()
{
    std::fill_n(Slots(), Capacity(), Entry{0.0, 0});
    distinct = 0;
    total = 0;
    nanCount = 0;
    ordered = false;
}

void CountedValueSet::Free()
{
    MemFree(block);
    block = nullptr;
    capacity = 0;
    std::fill_n(inlineEntries, kInlineEntries, Entry{0.0, 0});
    distinct = 0;
    total = 0;
    nanCount = 0;
    ordered = false;
}

}  // namespace vek
