// ValueCondition: a compiled condition over numbers ("5", ">100", "1…10", "<0|>1000", "\").
#pragma once

#include <cstdint>

namespace vek {

class String;

// One instruction of a compiled number condition; every op has this size.
//
//   | code | written          | when run                                                          |
//   |------|------------------|-------------------------------------------------------------------|
//   | 0    |                  | end: the result is the top of the stack                           |
//   | 1    | "¬"              | negate the top (after its operand)                                |
//   | 2    | "±"              | pop two, push their exclusive or (after both operands)            |
//   | 3    | "|"              | top true: jump over `skip` ops (top stays); else pop, go on       |
//   | 4    | "&"              | top false: jump over `skip` ops (top stays); else pop, go on      |
//   | 5    | "\"              | push: the value is undefined (NaN)                                |
//   | 6    | "=" or a number  | push value = first                                                |
//   | 7    | "<>"             | push value ≠ first                                                |
//   | 8    | ">"              | push value > first                                                |
//   | 9    | "<"              | push value < first                                                |
//   | 10   | ">="             | push value ≥ first                                                |
//   | 11   | "<="             | push value ≤ first                                                |
//   | 12   | "a…b"            | push first ≤ value ≤ second                                       |
//
// Ops 6 to 12 push false for an undefined value. "a¬b" is a, op 4, b, op 1.
struct ConditionOp {
    int32_t code;
    int16_t skip;   // ops 3 and 4
    double first;   // ops 6 to 12
    double second;  // op 12
};

// A condition over numbers as the user typed it, compiled into one block of ops (null when the
// condition is empty: every value passes). Compiling never fails on what the user typed: the text is
// repaired and rewritten into its canonical form, which the owner keeps beside the condition.
class ValueCondition {
public:
    ValueCondition() = default;
    ~ValueCondition();
    ValueCondition(const ValueCondition&) = delete;
    ValueCondition& operator=(const ValueCondition&) = delete;
    // Moving hands the block over; the source is left empty.
    ValueCondition(ValueCondition&& other) noexcept : ops(other.ops) { other.ops = nullptr; }
    ValueCondition& operator=(ValueCondition&& other) noexcept;

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
    // True when there is no block (every value passes; callers may skip Matches).
    bool IsEmpty() const { return ops == nullptr; }
    void Clear();

private:
    ConditionOp* ops = nullptr;  // an allocator block ending in op 0, or null
};

}  // namespace vek
