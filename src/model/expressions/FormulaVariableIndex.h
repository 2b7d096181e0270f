// FormulaVariableIndex: the names of a formula variable table, found by their spelling without case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/expressions/Formula.h"

namespace vek {

// An index over a caller's variable table, so that the compiler finds a name in a few hash probes
// instead of comparing it with every slot: compiling the formulas of a table of n names then costs
// time in proportion to n, not to n squared. The table must outlive the index and keep its names
// while the index stands; Build again after a name changes.
//
// It finds what the compiler's search of the whole table finds: the longest name the text starts with,
// letters compared without case character by character; between names of one spelling, the first slot.
class FormulaVariableIndex {
public:
    FormulaVariableIndex() = default;
    FormulaVariableIndex(const FormulaVariableIndex&) = delete;
    FormulaVariableIndex& operator=(const FormulaVariableIndex&) = delete;

    // Indexes the first `count` slots (at most kFormulaMaxVariables); a null table indexes none.
    void Build(int32_t count, const FormulaVariable* variables);

    int32_t Count() const { return count; }
    const FormulaVariable* Variables() const { return variables; }

    // The slot of the longest name of minChars..maxChars characters that `text` starts with, and in
    // `length` the bytes of the text it covers; -1 (length 0) when no such name is there.
    int32_t FindLongestPrefix(std::string_view text, int32_t minChars, int32_t maxChars, int32_t& length) const;

private:
    // Names are at most kFormulaNameCapacity - 1 bytes, so never more characters than that.
    static constexpr int32_t kLongestName = kFormulaNameCapacity - 1;

    std::unordered_map<std::u32string, int32_t> slots;  // upper-cased characters -> first slot
    uint64_t lengths = 0;                               // bit c: some name has c characters
    const FormulaVariable* variables = nullptr;
    int32_t count = 0;
};

}  // namespace vek
