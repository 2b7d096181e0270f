// BitSetStack: pushing, popping and reaching the sets of nested selections.
#include "foundation/memory/BitSetStack.h"

#include <new>

namespace vek {

BitSet* BitSetStack::Push()
{
    std::unique_ptr<BitSet> set(new (std::nothrow) BitSet(bitCount, flags));
    if (!set || set->Count() != bitCount)
        return nullptr;
    set->SetAll(0);
    // The vector grows its own way; a failure there must not lose the sets below.
    try {
        sets.push_back(std::move(set));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return sets.back().get();
}

void BitSetStack::Pop()
{
    if (!sets.empty())
        sets.pop_back();
}

void BitSetStack::Clear()
{
    while (!sets.empty())
        Pop();
}

BitSet* BitSetStack::Top(int32_t below)
{
    if (below < 0 || below >= Depth())
        return nullptr;
    return sets[sets.size() - 1 - size_t(below)].get();
}

}  // namespace vek
