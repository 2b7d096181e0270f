#include "model/expressions/FormulaVariableIndex.h"

#include <algorithm>
#include <cstring>

#include "foundation/strings/Utf8.h"

namespace vek {

static_assert(kFormulaNameCapacity <= 64, "name lengths are kept as bits of one word");

void FormulaVariableIndex::Build(int32_t slotCount, const FormulaVariable* table)
{
    slots.clear();
    lengths = 0;
    variables = table;
    count = table != nullptr ? std::min(std::max(slotCount, 0), kFormulaMaxVariables) : 0;
    slots.reserve(size_t(count));
    std::u32string key;
    for (int32_t i = 0; i < count; ++i) {
        const char* name = variables[i].name;
        const char* end = name + strnlen(name, kFormulaNameCapacity);
        key.clear();
        for (const char* p = name; p < end;)
            key.push_back(Utf8NextUpperCharIn(p, end));
        if (key.empty())
            continue;
        // The first slot of a spelling wins, as in a search of the table from its start.
        if (slots.try_emplace(key, i).second)
            lengths |= uint64_t(1) << key.size();
    }
}

int32_t FormulaVariableIndex::FindLongestPrefix(std::string_view text, int32_t minChars, int32_t maxChars,
                                                int32_t& length) const
{
    length = 0;
    if (slots.empty())
        return -1;
    // The text's first characters, upper-cased, and the bytes each prefix covers.
    std::u32string folded;
    int32_t ends[kLongestName + 1] = {};
    const char* start = text.data();
    const char* end = start + text.size();
    int32_t most = std::min(maxChars, kLongestName);
    for (const char* p = start; p < end && int32_t(folded.size()) < most;) {
        folded.push_back(Utf8NextUpperCharIn(p, end));
        ends[folded.size()] = int32_t(p - start);
    }
    std::u32string key;
    for (int32_t chars = int32_t(folded.size()); chars >= std::max(minChars, 1); --chars) {
        if ((lengths & (uint64_t(1) << chars)) == 0)
            continue;
        key.assign(folded, 0, size_t(chars));
        auto found = slots.find(key);
        if (found != slots.end()) {
            length = ends[chars];
            return found->second;
        }
    }
    return -1;
}

}  // namespace vek
