// ConditionProgram: the compiled form of the comparison languages (number conditions, card-key and
// stamp patterns), generic over the operand they compare.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

class String;

// Op codes of a comparison program. A value stands for the interval lower…upper of its operand type
// (a number for the single point, a date expression for its first and last key), so that "=" asks
// "within", and "a…b" runs from a's lower to b's upper.
//
//   | code | written             | when run                                                     |
//   |------|---------------------|--------------------------------------------------------------|
//   | 0    |                     | end: the result is the top of the stack                      |
//   | 1    | "¬"                 | negate the top (after its operand)                           |
//   | 2    | "±"                 | pop two, push their exclusive or (after both operands)       |
//   | 3    | "|"                 | top true: jump over `skip` ops (top stays); else pop, go on  |
//   | 4    | "&"                 | top false: jump over `skip` ops (top stays); else pop, go on |
//   | 5    | "\"                 | push: the operand is undefined                               |
//   | 6    | a value, "=", "a…b" | push lower <= operand <= upper                               |
//   | 7    | "<>"                | push operand < lower or operand > upper                      |
//   | 8    | ">"                 | push operand > upper                                         |
//   | 9    | "<"                 | push operand < lower                                         |
//   | 10   | ">="                | push operand >= lower                                        |
//   | 11   | "<="                | push operand <= upper                                        |
//
// "a¬b" is a, op 4, b, op 1.
enum : int32_t {
    kConditionOpEnd = 0,
    kConditionOpNot = 1,
    kConditionOpXor = 2,
    kConditionOpOr = 3,
    kConditionOpAnd = 4,
    kConditionOpUndefined = 5,
    kConditionOpWithin = 6,
    kConditionOpOutside = 7,
    kConditionOpGreater = 8,
    kConditionOpLess = 9,
    kConditionOpGreaterEqual = 10,
    kConditionOpLessEqual = 11,
};

// One allocator block of ops ending in op 0, or none (every operand passes). Compiling never fails on
// what the user typed: the text is repaired and handed back in its canonical form (see the languages'
// Compile).
template <typename Operand>
class ConditionProgram {
public:
    // Every op has this size; `skip` is read by ops 3 and 4, the bounds by ops 6 to 11.
    struct Op {
        int32_t code;
        int16_t skip;
        Operand lower;
        Operand upper;
    };

    // What a language reads its values as.
    class OperandReader {
    public:
        virtual ~OperandReader();
        // Whether the character (0 at the end of the text) ends a value.
        virtual bool EndsValue(uint32_t c) const = 0;
        // Reads one value into its bounds and the text it is written as; false when it gives none.
        [[nodiscard]] virtual bool Read(std::string_view value, Operand& lower, Operand& upper,
                                        String& written) const = 0;
    };

    ConditionProgram() = default;
    ~ConditionProgram();
    ConditionProgram(const ConditionProgram&) = delete;
    ConditionProgram& operator=(const ConditionProgram&) = delete;
    // Moving hands the block over; the source is left empty.
    ConditionProgram(ConditionProgram&& other) noexcept : ops(other.ops) { other.ops = nullptr; }
    ConditionProgram& operator=(ConditionProgram&& other) noexcept;

    // Compiles the text (typing shortcuts allowed, blanks removed) and replaces it by its canonical
    // form: comparisons in one spelling, each value as the reader writes it, a missing ")" put in,
    // values that give none dropped, a comparison without its value turned into "\". Returns 0. A text
    // nested deeper than kMaxConditionNesting, or whose canonical form would exceed
    // kConditionTextLimit bytes, is refused: the result is message::kConditionTooDeep or
    // message::kConditionTooLarge, and the program is left empty and the text as given (as when
    // memory runs short, which returns 0).
    [[nodiscard]] int32_t Compile(String& text, const OperandReader& reader);
    // Whether the operand passes. `undefined` says whether it is the language's undefined value (NaN,
    // a key without a date), which op 5 asks for; the comparisons take the operand as it is. Runs in
    // constant stack space and allocates nothing.
    bool Matches(Operand operand, bool undefined) const;
    bool IsEmpty() const { return ops == nullptr; }
    void Clear();
    // The ops, ending in op 0 (null for none); for tests and dumps.
    const Op* Ops() const { return ops; }

private:
    Op* ops = nullptr;
};

extern template class ConditionProgram<double>;
extern template class ConditionProgram<uint64_t>;

}  // namespace vek
