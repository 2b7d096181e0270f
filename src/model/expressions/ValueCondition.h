// ValueCondition: a compiled condition over numbers ("5", ">100", "1…10", "<0|>1000", "\").
#pragma once

#include <cstdint>

#include "model/expressions/ConditionProgram.h"

namespace vek {

class String;

// A condition over numbers as the user typed it, compiled into a comparison program whose values are
// single numbers (empty when the condition is: every value passes). "\" asks for an undefined value
// (NaN), which every comparison leaves out. Compiling never fails on what the user typed: the text is
// repaired and rewritten into its canonical form, which the owner keeps beside the condition.
class ValueCondition {
public:
    ValueCondition() = default;
    ~ValueCondition();
    ValueCondition(const ValueCondition&) = delete;
    ValueCondition& operator=(const ValueCondition&) = delete;
    // Moving hands the program over; the source is left empty.
    ValueCondition(ValueCondition&&) noexcept = default;
    ValueCondition& operator=(ValueCondition&&) noexcept = default;

    // Compiles the text (typing shortcuts allowed, blanks ignored) and replaces it by its canonical
    // form: operators in one spelling, numbers in the default number format with "." as the decimal
    // point whatever the locale, a missing ")" inserted, unreadable numbers and surplus text dropped, a
    // comparison without its number turned into "\". Returns 0. A text nested deeper than
    // kMaxConditionNesting, or whose canonical form would exceed kConditionTextLimit bytes, is refused:
    // the result is message::kConditionTooDeep or message::kConditionTooLarge, and the condition is
    // left empty and the text as given (as when memory runs short, which returns 0).
    [[nodiscard]] int32_t Compile(String& text);
    // Whether the value passes. Runs in constant stack space and allocates nothing.
    bool Matches(double value) const;
    // True when there is no program (every value passes; callers may skip Matches).
    bool IsEmpty() const { return program.IsEmpty(); }
    void Clear() { program.Clear(); }

private:
    ConditionProgram<double> program;
};

}  // namespace vek
