// Formula: compiling a text into one block, evaluating the block, and the helpers of formula texts.
#include "model/expressions/Formula.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/expressions/FormulaCode.h"
#include "model/expressions/FormulaVariableIndex.h"

namespace vek {

namespace {

using namespace formula_op;

constexpr double kFormulaUndefined = std::numeric_limits<double>::quiet_NaN();

// The most values the code keeps on the stack at once (the accumulator's former value included).
int32_t FormulaStackDepth(const FormulaCode& code)
{
    int32_t depth = 0;
    int32_t deepest = 0;
    for (int32_t i = 0; i < code.wordCount; ++i) {
        FormulaCodeWord word = code.words[i];
        depth += 1 - FormulaOperandCount(word);
        deepest = depth > deepest ? depth : deepest;
    }
    return deepest;
}

const FormulaBlock* FormulaBlockOf(const void* block) { return static_cast<const FormulaBlock*>(block); }

}  // namespace

void CopyFormulaName(FormulaVariable& variable, std::string_view name)
{
    CStrCopyLimited(variable.name, kFormulaNameCapacity, name);
}

void CopyFormulaNameFromHeapText(FormulaVariable& variable, ConstHeapText name)
{
    CStrFromHeapTextLimitedUtf8(variable.name, kFormulaNameCapacity, name);
}

Formula::~Formula()
{
    Free();
}

void Formula::Free()
{
    MemFree(block);
    block = nullptr;
}

int32_t Formula::Compile(String& text, int32_t variableCount, const FormulaVariable* variables)
{
    return CompileWith(text, variableCount, variables, nullptr);
}

int32_t Formula::Compile(String& text, const FormulaVariableIndex& index)
{
    return CompileWith(text, index.Count(), index.Variables(), &index);
}

int32_t Formula::CompileWith(String& text, int32_t variableCount, const FormulaVariable* variables,
                             const FormulaVariableIndex* index)
{
    Free();
    std::string_view source = text.View();
    while (!source.empty() && source.front() == ' ')
        source.remove_prefix(1);
    while (!source.empty() && source.back() == ' ')
        source.remove_suffix(1);
    FormulaCode code;
    String canonical;
    int32_t refusal = CompileFormulaText(source, variableCount, variables, index, code, canonical);
    if (refusal == 0 && FormulaStackDepth(code) > kFormulaStackSize)
        refusal = message::kFormulaTooDeep;
    if (refusal != 0)
        return refusal;
    text.Assign(canonical);
    if (text.IsEmpty())
        return 0;

    int32_t constantBytes = code.constantCount * int32_t(sizeof(double));
    int32_t codeBytes = (code.wordCount + 1) * int32_t(sizeof(FormulaCodeWord));
    auto* compiled = static_cast<FormulaBlock*>(MemAlloc(int32_t(sizeof(FormulaBlock)) + constantBytes + codeBytes));
    if (compiled == nullptr)
        return message::kOutOfMemory;
    compiled->variables = variables;
    compiled->constantCount = code.constantCount;
    compiled->codeCount = code.wordCount + 1;
    compiled->stackDepth = FormulaStackDepth(code);
    std::memcpy(compiled->Constants(), code.constants, size_t(constantBytes));
    std::memcpy(compiled->Code(), code.words, size_t(code.wordCount) * sizeof(FormulaCodeWord));
    compiled->Code()[code.wordCount] = kEnd;
    block = compiled;
    return 0;
}

double Formula::Evaluate() const
{
    const FormulaBlock* compiled = FormulaBlockOf(block);
    if (compiled == nullptr)
        return kFormulaUndefined;
    const double* constants = compiled->Constants();
    const FormulaVariable* variables = compiled->variables;
    const FormulaCodeWord* word = compiled->Code();
    // One constant or one variable is its own value.
    if (word[1] == kEnd && IsFormulaPush(word[0]))
        return IsFormulaVariable(word[0]) ? variables[word[0] - kVariable].value : constants[word[0] - kConstant];

    // The compiler refused every code that would need more than this.
    double stack[kFormulaStackSize];
    double* top = stack;  // the next free entry
    double accumulator = kFormulaUndefined;
    for (;; ++word) {
        FormulaCodeWord w = *word;
        if (w >= kConstant) {
            *top++ = accumulator;
            accumulator = w >= kVariable ? variables[w - kVariable].value : constants[w - kConstant];
            continue;
        }
        switch (w) {
        case kEnd: return accumulator;
        case kAdd: accumulator = *--top + accumulator; break;
        case kSubtract: accumulator = *--top - accumulator; break;
        case kMultiply: accumulator = *--top * accumulator; break;
        case kDivide: accumulator = *--top / accumulator; break;
        case kNegate: accumulator = -accumulator; break;
        case kSqr: accumulator *= accumulator; break;
        case kRemainder:
        case kPower:
        case kMax:
        case kMin:
        case kEqual:
        case kNotEqual:
        case kGreater:
        case kGreaterOrEqual:
        case kLess:
        case kLessOrEqual:
        case kAnd:
        case kOr:
            --top;
            accumulator = FormulaBinary(w, *top, accumulator);
            break;
        case kIf:
            top -= 2;
            accumulator = FormulaTruth(top[0]) ? top[1] : accumulator;
            break;
        case kRandom:
            *top++ = accumulator;
            accumulator = RandomUnit();
            break;
        default: accumulator = FormulaUnary(w, accumulator); break;
        }
    }
}

bool Formula::UsesVariable(int32_t index) const
{
    const FormulaBlock* compiled = FormulaBlockOf(block);
    if (compiled == nullptr || index < 0 || index >= kFormulaMaxVariables)
        return false;
    const FormulaCodeWord* code = compiled->Code();
    for (int32_t i = 0; i < compiled->codeCount; ++i) {
        if (code[i] == kVariable + index)
            return true;
    }
    return false;
}

void Formula::CollectVariables(std::vector<int32_t>& out) const
{
    const FormulaBlock* compiled = FormulaBlockOf(block);
    if (compiled == nullptr)
        return;
    const FormulaCodeWord* code = compiled->Code();
    for (int32_t i = 0; i < compiled->codeCount; ++i) {
        if (IsFormulaVariable(code[i]))
            out.push_back(int32_t(code[i] - kVariable));
    }
}

double EvaluateFormulaText(ConstHeapText text)
{
    if (text == nullptr)
        return kFormulaUndefined;
    String copy;
    copy.AssignCStr(text);
    Formula formula;
    if (formula.Compile(copy, 0, nullptr) != 0)
        return kFormulaUndefined;
    return formula.Evaluate();
}

bool StartsWithFormulaOperator(const char* text)
{
    if (text == nullptr || *text == 0)
        return false;
    if (std::strchr("+-*/:^&|", *text) != nullptr || CStrStartsWith(text, "\u00AC"))
        return true;
    std::string_view rest(text);
    for (const FormulaWord& comparison : kFormulaComparisons) {
        if (rest.starts_with(comparison.spelling))
            return true;
    }
    for (const FormulaWord& function : kFormulaFunctions) {
        int32_t length = MatchFormulaName(rest, function.spelling);
        if (length > 0 && (text[length] == ' ' || text[length] == '('))
            return true;
    }
    return false;
}

void SetFormulaMessage(Message& message, int32_t code, std::string_view text)
{
    message.Clear();
    message.code = code;
    message.AddTextBytes(text.data(), int32_t(text.size()));
    String number;
    if (code == vek::message::kFormulaTooDeep) {
        number.AssignInt(kFormulaMaxNesting);
        message.AddText(number.CStr());
    } else if (code == vek::message::kFormulaTooLong) {
        number.AssignInt(kFormulaMaxConstants);
        message.AddText(number.CStr());
        number.AssignInt(kFormulaMaxCode);
        message.AddText(number.CStr());
    }
}

}  // namespace vek
