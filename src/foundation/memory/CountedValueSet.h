// CountedValueSet: a multiset of doubles kept as distinct values with their counts, and its median.
#pragma once

#include <cstdint>

namespace vek {

// A hashed multiset of doubles: each distinct value is stored once with the number of times it was
// added, so that a million amounts of a few thousand distinct values take a few thousand entries. -0
// and +0 are one value. A NaN has no place in the order: it is counted apart, and a set that holds
// one has no median (the empty value).
//
// Storage: up to kInlineEntries distinct values live in the object itself; more take one block of the
// block allocator (open addressing, a power-of-two capacity, at most three quarters full). A set that
// cannot grow keeps its contents and says so: Add and Reserve return false and count nothing.
class CountedValueSet {
public:
    static constexpr int32_t kInlineEntries = 8;

    CountedValueSet() = default;
    ~CountedValueSet();
    CountedValueSet(const CountedValueSet&) = delete;
    CountedValueSet& operator=(const CountedValueSet&) = delete;

    // Room for `distinct` values without growing (a size taken from an earlier run). False, with the
    // set as it was, when the block cannot be had.
    [[nodiscard]] bool Reserve(int64_t distinct);
    // Counts x. False, with x not counted, when the set cannot grow.
    [[nodiscard]] bool Add(double x);
    // The median of every value added, repeats counted: the middle value of an odd count, the mean of
    // the two middle values of an even one; the empty value (NaN) for an empty set or one holding a NaN.
    // Orders the entries in place; a later Add takes them back into the table.
    [[nodiscard]] double Median();

    int64_t DistinctCount() const { return distinct; }
    // Every value added, NaN included.
    int64_t Count() const { return total + nanCount; }
    // No values; the storage stays.
    void Clear();
    // No values and no block.
    void Free();

private:
    struct Entry {
        double value;
        uint64_t count;  // 0: an empty slot
    };

    Entry* Slots() { return block != nullptr ? block : inlineEntries; }
    int32_t Capacity() const { return block != nullptr ? capacity : kInlineEntries; }
    // Puts the distinct values back into hash order after Median ordered them.
    [[nodiscard]] bool Rehash(int32_t newCapacity);
    static void Insert(Entry* slots, int32_t slotCount, double value, uint64_t count);

    Entry inlineEntries[kInlineEntries] = {};
    Entry* block = nullptr;
    int32_t capacity = 0;  // of the block
    int64_t distinct = 0;
    int64_t total = 0;     // ordered values added (NaN apart)
    int64_t nanCount = 0;
    bool ordered = false;  // Median left the entries compacted and sorted
};

}  // namespace vek
