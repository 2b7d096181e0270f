// FormulaCode: the code words of a compiled formula, its block layout, and what each operation computes.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "foundation/numbers/NumberMath.h"
#include "foundation/numbers/RandomNumber.h"
#include "model/expressions/Formula.h"

namespace vek {

// Code words (32 bits): 0 ends the code; 1..42 an operation; 0x40000000 + i pushes constant i;
// 0x80000000 + i pushes variable i. Operations combine the stack top (a) with the accumulator (b) and
// pop what they used; "c a b if" takes three. The words are wider than the 16 bits a variable number
// below 4096 would need, so that every row of a large analysis can be named.
using FormulaCodeWord = uint32_t;

namespace formula_op {
inline constexpr FormulaCodeWord kEnd = 0;
inline constexpr FormulaCodeWord kAdd = 1;
inline constexpr FormulaCodeWord kSubtract = 2;
inline constexpr FormulaCodeWord kMultiply = 3;
inline constexpr FormulaCodeWord kDivide = 4;
inline constexpr FormulaCodeWord kRemainder = 5;
inline constexpr FormulaCodeWord kPower = 6;
inline constexpr FormulaCodeWord kAbs = 7;
inline constexpr FormulaCodeWord kSign = 8;
inline constexpr FormulaCodeWord kNegate = 9;
inline constexpr FormulaCodeWord kSqrt = 10;
inline constexpr FormulaCodeWord kSqr = 11;
inline constexpr FormulaCodeWord kExp = 12;
inline constexpr FormulaCodeWord kExp2 = 13;
inline constexpr FormulaCodeWord kExp10 = 14;
inline constexpr FormulaCodeWord kLn = 15;
inline constexpr FormulaCodeWord kLog2 = 16;
inline constexpr FormulaCodeWord kLog10 = 17;
inline constexpr FormulaCodeWord kSin = 18;
inline constexpr FormulaCodeWord kCos = 19;
inline constexpr FormulaCodeWord kTan = 20;
inline constexpr FormulaCodeWord kAsin = 21;
inline constexpr FormulaCodeWord kAcos = 22;
inline constexpr FormulaCodeWord kAtan = 23;
inline constexpr FormulaCodeWord kInt = 24;
inline constexpr FormulaCodeWord kFrac = 25;
inline constexpr FormulaCodeWord kUp = 26;
inline constexpr FormulaCodeWord kDown = 27;
inline constexpr FormulaCodeWord kRound = 28;
inline constexpr FormulaCodeWord kMax = 29;
inline constexpr FormulaCodeWord kMin = 30;
inline constexpr FormulaCodeWord kIf = 31;
inline constexpr FormulaCodeWord kEqual = 32;
inline constexpr FormulaCodeWord kNotEqual = 33;
inline constexpr FormulaCodeWord kGreater = 34;
inline constexpr FormulaCodeWord kGreaterOrEqual = 35;
inline constexpr FormulaCodeWord kLess = 36;
inline constexpr FormulaCodeWord kLessOrEqual = 37;
inline constexpr FormulaCodeWord kAnd = 38;
inline constexpr FormulaCodeWord kOr = 39;
inline constexpr FormulaCodeWord kTruth = 40;
inline constexpr FormulaCodeWord kComplement = 41;  // 1 - a
inline constexpr FormulaCodeWord kRandom = 42;
inline constexpr FormulaCodeWord kLastOperation = 42;

inline constexpr FormulaCodeWord kConstant = 0x40000000;
inline constexpr FormulaCodeWord kVariable = 0x80000000;
}  // namespace formula_op

static_assert(kFormulaMaxVariables <= formula_op::kConstant, "variable numbers must fit below the push bits");

constexpr bool IsFormulaConstant(FormulaCodeWord word) { return (word & 0xC0000000) == formula_op::kConstant; }
constexpr bool IsFormulaVariable(FormulaCodeWord word) { return (word & formula_op::kVariable) != 0; }
constexpr bool IsFormulaPush(FormulaCodeWord word) { return word >= formula_op::kConstant; }
constexpr int32_t FormulaConstantIndex(FormulaCodeWord word) { return word - formula_op::kConstant; }
constexpr bool IsFormulaFunction(FormulaCodeWord op) { return op >= formula_op::kAbs && op <= formula_op::kRound; }

// Values a word takes from the stack: 0 for pushes and "ran", 3 for "if", 1 for functions, truth and
// complement, 2 for the rest.
constexpr int32_t FormulaOperandCount(FormulaCodeWord word)
{
    using namespace formula_op;
    if (IsFormulaPush(word) || word == kRandom || word == kEnd)
        return 0;
    if (word == kIf)
        return 3;
    if (IsFormulaFunction(word) || word == kTruth || word == kComplement)
        return 1;
    return 2;
}

// The truth of a number: a magnitude above 0.00001 (NaN is false).
inline bool FormulaTruth(double x) { return std::fabs(x) > 0.00001; }

// What an operation of one operand gives.
inline double FormulaUnary(FormulaCodeWord op, double a)
{
    using namespace formula_op;
    switch (op) {
    case kAbs: return std::fabs(a);
    case kSign: return SignOf(a);
    case kNegate: return -a;
    case kSqrt: return std::sqrt(a);
    case kSqr: return a * a;
    case kExp: return std::exp(a);
    case kExp2: return std::exp2(a);
    case kExp10: return std::pow(10.0, a);
    case kLn: return std::log(a);
    case kLog2: return std::log2(a);
    case kLog10: return std::log10(a);
    case kSin: return std::sin(a);
    case kCos: return std::cos(a);
    case kTan: return std::tan(a);
    case kAsin: return std::asin(a);
    case kAcos: return std::acos(a);
    case kAtan: return std::atan(a);
    case kInt: return std::trunc(a);
    case kFrac: return a - std::trunc(a);
    case kUp: return std::ceil(a);
    case kDown: return std::floor(a);
    case kRound: return std::round(a);  // halves away from zero
    case kTruth: return FormulaTruth(a) ? 1.0 : 0.0;
    case kComplement: return 1.0 - a;
    default: return std::nan("");
    }
}

// What an operation of two operands gives, a pushed before b.
inline double FormulaBinary(FormulaCodeWord op, double a, double b)
{
    using namespace formula_op;
    switch (op) {
    case kAdd: return a + b;
    case kSubtract: return a - b;
    case kMultiply: return a * b;
    case kDivide: return a / b;
    case kRemainder: return std::fmod(a, b);
    case kPower: return std::pow(a, b);
    case kMax: return a > b ? a : b;
    case kMin: return a < b ? a : b;
    case kEqual: return a == b || (std::isnan(a) && std::isnan(b)) ? 1.0 : 0.0;
    case kNotEqual: return a != b && !std::isnan(a) && !std::isnan(b) ? 1.0 : 0.0;
    case kGreater: return a > b ? 1.0 : 0.0;
    case kGreaterOrEqual: return a >= b ? 1.0 : 0.0;
    case kLess: return a < b ? 1.0 : 0.0;
    case kLessOrEqual: return a <= b ? 1.0 : 0.0;
    case kAnd: return FormulaTruth(a) && FormulaTruth(b) ? 1.0 : 0.0;
    case kOr: return FormulaTruth(a) || FormulaTruth(b) ? 1.0 : 0.0;
    default: return std::nan("");
    }
}

// A name or operator of the language and its operation.
struct FormulaWord {
    const char* spelling;
    FormulaCodeWord op;
};

// Searched in this order: a longer name stands before its prefixes.
inline constexpr FormulaWord kFormulaFunctions[] = {
    {"abs", formula_op::kAbs},     {"sign", formula_op::kSign},    {"exp10", formula_op::kExp10},
    {"exp2", formula_op::kExp2},   {"exp", formula_op::kExp},      {"ln", formula_op::kLn},
    {"lg", formula_op::kLog2},     {"log10", formula_op::kLog10},  {"log2", formula_op::kLog2},
    {"log", formula_op::kLog10},   {"sqrt", formula_op::kSqrt},    {"sqr", formula_op::kSqr},
    {"sin", formula_op::kSin},     {"cos", formula_op::kCos},      {"tan", formula_op::kTan},
    {"asin", formula_op::kAsin},   {"acos", formula_op::kAcos},    {"atan", formula_op::kAtan},
    {"ran", formula_op::kRandom},  {"int", formula_op::kInt},      {"frac", formula_op::kFrac},
    {"up", formula_op::kUp},       {"down", formula_op::kDown},    {"round", formula_op::kRound},
    {"max", formula_op::kMax},     {"min", formula_op::kMin},      {"if", formula_op::kIf},
    {"\u221A", formula_op::kSqrt}, {"\u00BB", formula_op::kUp},    {"\u00AB", formula_op::kDown},
    {"\u2248", formula_op::kRound},
};

// The first entry the text starts with is the operator.
inline constexpr FormulaWord kFormulaComparisons[] = {
    {"<=", formula_op::kLessOrEqual},   {"=<", formula_op::kLessOrEqual}, {">=", formula_op::kGreaterOrEqual},
    {"=>", formula_op::kGreaterOrEqual}, {"<>", formula_op::kNotEqual},    {"!=", formula_op::kNotEqual},
    {"==", formula_op::kEqual},          {"<", formula_op::kLess},         {">", formula_op::kGreater},
    {"=", formula_op::kEqual},           {"\u2260", formula_op::kNotEqual},
};

// The bytes of `text` from its start that match `name` character by character without regard to
// case, or -1 when the text does not start with the name. An empty name never matches.
int32_t MatchFormulaName(std::string_view text, std::string_view name);

// The compiled block: this header, the constants, then the code words ending in 0. One allocator
// block of exactly that size.
struct FormulaBlock {
    const FormulaVariable* variables;
    int32_t constantCount;
    int32_t codeCount;   // words, the end word included
    int32_t stackDepth;  // values the evaluation stack holds at most

    const double* Constants() const { return reinterpret_cast<const double*>(this + 1); }
    double* Constants() { return reinterpret_cast<double*>(this + 1); }
    const FormulaCodeWord* Code() const { return reinterpret_cast<const FormulaCodeWord*>(Constants() + constantCount); }
    FormulaCodeWord* Code() { return reinterpret_cast<FormulaCodeWord*>(Constants() + constantCount); }
};
static_assert(sizeof(FormulaBlock) % alignof(double) == 0);

// Room of the evaluation stack; a compilation whose code would need more is refused as too deep (each
// level of nesting may keep several operands waiting: 'a|b&c<d+e*f^(...)').
constexpr int32_t kFormulaStackSize = 256;

// The result of compiling: the pool and the code words without the end word, or the reason for
// refusing (a message number, 0 when compiled).
struct FormulaCode {
    double constants[kFormulaMaxConstants];
    int32_t constantCount = 0;
    FormulaCodeWord words[kFormulaMaxCode];
    int32_t wordCount = 0;
};

// Parses `text` (its blanks at both ends already trimmed), fills `code`, and writes the canonical text
// into `canonical`. Returns 0, or kFormulaTooDeep / kFormulaTooLong with `canonical` undefined.
// `index`, when given, is one built over the same table; names are then looked up there.
int32_t CompileFormulaText(std::string_view text, int32_t variableCount, const FormulaVariable* variables,
                           const FormulaVariableIndex* index, FormulaCode& code, String& canonical);

// Rewrites the code after an operation was appended, until no rule applies, and shortens the pool to
// the highest constant still used.
void SimplifyFormulaCode(FormulaCode& code);

}  // namespace vek
