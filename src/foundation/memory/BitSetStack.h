// BitSetStack: the stack of BitSets that an evaluation of nested selections works on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/memory/BitSet.h"

namespace vek {

// The sets of one dimension that an evaluation of nested selections works on: each level pushes an
// empty set of the dimension's size, combines into the set below it and pops.
class BitSetStack {
public:
    explicit BitSetStack(int32_t bitCount = 0, int32_t flags = 0) : bitCount(bitCount), flags(flags) {}
    BitSetStack(const BitSetStack&) = delete;
    BitSetStack& operator=(const BitSetStack&) = delete;

    // Adds a new set with every bit clear on top and returns it; null (and nothing pushed) when memory
    // runs short.
    [[nodiscard]] BitSet* Push();
    // Removes and frees the top set; nothing when the stack is empty.
    void Pop();
    // Pops every set.
    void Clear();

    int32_t Depth() const { return int32_t(sets.size()); }
    // The top set, or the one `below` levels under it; null beyond the stack.
    BitSet* Top(int32_t below = 0);

private:
    int32_t bitCount;
    int32_t flags;
    std::vector<std::unique_ptr<BitSet>> sets;  // bottom first
};

}  // namespace vek
