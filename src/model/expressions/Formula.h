// Formula: arithmetic over numbers and named variables, compiled once to postfix code, evaluated often.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;
struct Message;

// A variable slot of a caller's table: its name (at most kFormulaNameCapacity - 1 bytes, NUL-ended)
// and the value the caller sets before each evaluation. The caller owns the table; a compiled formula
// keeps a pointer to it, so the table must outlive the formula and must not move.
constexpr int32_t kFormulaNameCapacity = 32;
struct FormulaVariable {
    char name[kFormulaNameCapacity] = {};
    double value = 0.0;
};

// Puts a name into a slot, cut before the last whole UTF-8 character that fits; null is empty.
void CopyFormulaName(FormulaVariable& variable, std::string_view name);
void CopyFormulaNameFromHeapText(FormulaVariable& variable, ConstHeapText name);

// Limits of one compilation. A text that needs more constants or code words, or that nests brackets,
// function arguments and powers deeper than kFormulaMaxNesting, is refused (see Compile). A table may
// hold up to kFormulaMaxVariables slots, every one of them named by its whole name.
constexpr int32_t kFormulaMaxConstants = 128;
constexpr int32_t kFormulaMaxCode = 2048;
constexpr int32_t kFormulaMaxNesting = 100;
constexpr int32_t kFormulaMaxVariables = 1 << 30;

class FormulaVariableIndex;

// A compiled formula: one block holding the constant pool and the postfix code, or none.
//
// Compiling never reports a syntax error: what cannot be read is cut off the text, missing closing
// brackets are appended and names take the spelling of their table, and the text is handed back in
// that canonical form (compiling it again gives the same text and the same code). A missing operand
// and an unknown word are the undefined value (NaN). A number is true when its magnitude is above
// 0.00001; comparisons and logical operators give 1 or 0.
//
// Evaluation follows IEEE doubles (1/0 is an infinity, 0/0 and the root or logarithm of a negative
// number are NaN) and never traps; it allocates nothing.
class Formula {
public:
    Formula() = default;
    ~Formula();
    Formula(const Formula&) = delete;
    Formula& operator=(const Formula&) = delete;

    // Frees the former block and compiles `text` against the first `variableCount` slots of
    // `variables` (which may be null when the count is 0). Returns 0 when the formula was compiled
    // (the text is then its canonical form; an empty text, or one of which nothing can be read, leaves
    // no block and the empty text). Otherwise the formula has no block and the result is the number
    // of the message that says why: kFormulaTooDeep and kFormulaTooLong leave the text as given;
    // message 600 (no memory for the block) leaves the canonical text.
    [[nodiscard]] int32_t Compile(String& text, int32_t variableCount, const FormulaVariable* variables);
    // The same against the table an index was built over; each name is then looked up in the index
    // instead of compared with every slot, so that compiling stays cheap however large the table.
    [[nodiscard]] int32_t Compile(String& text, const FormulaVariableIndex& index);

    // The value of the code for the variables' current values; NaN without a block.
    double Evaluate() const;
    // Whether any code word reads variable `index`.
    bool UsesVariable(int32_t index) const;
    // Appends the number of every variable the code reads, in code order (a variable read twice comes
    // twice); nothing without a block.
    void CollectVariables(std::vector<int32_t>& out) const;
    // True when there is no block (Evaluate gives NaN).
    bool IsEmpty() const { return block == nullptr; }

private:
    void Free();
    int32_t CompileWith(String& text, int32_t variableCount, const FormulaVariable* variables,
                        const FormulaVariableIndex* index);

    void* block = nullptr;
};

// Compiles a text without variables, evaluates it once and frees it: number fields that accept an
// expression such as "2*12.5". NaN for null, an empty text or a refused one.
double EvaluateFormulaText(ConstHeapText text);

// True when the text begins with a function name followed by a blank or "(", with a comparison or
// logical operator, or with one of "+-*/:^": a line that continues a formula. Null gives false.
bool StartsWithFormulaOperator(const char* text);

// Fills a message for a result of Formula::Compile: the code, the text (cut to what a message
// holds) and the limit it broke.
void SetFormulaMessage(Message& message, int32_t code, std::string_view text);

}  // namespace vek
