// ConditionProgram: compiling the comparison languages into ops, rewriting them canonically, running
// them.
#include "model/expressions/ConditionProgram.h"

#include <cstring>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/expressions/ConditionCompiler.h"

namespace vek {

namespace {

constexpr ConditionCompiler::Codes kComparisonProgramCodes{kConditionOpNot, kConditionOpXor, kConditionOpOr,
                                                           kConditionOpAnd};

struct ComparisonSpelling {
    const char* spelling;
    int32_t code;
};
// By the bits of the run; 0 does not occur.
constexpr ComparisonSpelling kComparisonSpellings[8] = {
    {"=", kConditionOpWithin},    {"=", kConditionOpWithin},        {">", kConditionOpGreater},
    {">=", kConditionOpGreaterEqual}, {"<", kConditionOpLess},      {"<=", kConditionOpLessEqual},
    {"<>", kConditionOpOutside},  {"<>", kConditionOpOutside},
};

// The terms of a comparison language: "\", a comparison and its value, a value, "a…b". The bounds of
// the term ops stand in tables beside the ops, by the op's argument.
template <typename Operand>
class ComparisonProgramCompiler final : public ConditionCompiler {
public:
    using Reader = typename ConditionProgram<Operand>::OperandReader;

    ComparisonProgramCompiler(String& text, const Reader& reader)
        : ConditionCompiler(text, kComparisonProgramCodes), reader(reader)
    {
    }
    ~ComparisonProgramCompiler() override = default;

    std::vector<Operand> lowers;
    std::vector<Operand> uppers;

private:
    void ParseTerm(int32_t depth) override;
    void ParseComparison();
    void EmitBounds(int32_t code, Operand lower, Operand upper);
    // Reads the value at the cursor into its bounds, rewrites it as the reader writes it and steps
    // past it; a value that gives none is deleted and the answer is false.
    bool ReadValue(Operand& lower, Operand& upper);

    const Reader& reader;
};

template <typename Operand>
void ComparisonProgramCompiler<Operand>::EmitBounds(int32_t code, Operand lower, Operand upper)
{
    lowers.push_back(lower);
    uppers.push_back(upper);
    Emit(code, int32_t(lowers.size() - 1));
}

template <typename Operand>
void ComparisonProgramCompiler<Operand>::ParseTerm(int32_t)
{
    uint32_t c = CharAt(pos);
    if (c == kConditionUndefined) {
        ++pos;
        Emit(kConditionOpUndefined, -1);
        return;
    }
    if (ConditionCompiler::ComparisonBits(c) != 0) {
        ParseComparison();
        return;
    }
    Operand lower{};
    Operand upper{};
    if (!ReadValue(lower, upper))
        return;
    if (CharAt(pos) != kConditionRange) {
        EmitBounds(kConditionOpWithin, lower, upper);
        return;
    }
    int32_t rangeAt = pos;
    pos += CharLength(pos);
    Operand secondLower{};
    Operand secondUpper{};
    if (ReadValue(secondLower, secondUpper)) {
        EmitBounds(kConditionOpWithin, lower, secondUpper);
        return;
    }
    text.Delete(rangeAt, pos - rangeAt);
    pos = rangeAt;
    EmitBounds(kConditionOpWithin, lower, upper);
}

// A comparison that has no value becomes "\" as a whole: turning only its last character into "\"
// would leave ">\" for ">=", which reads back as "\" and so would not be a canonical text.
template <typename Operand>
void ComparisonProgramCompiler<Operand>::ParseComparison()
{
    int32_t start = pos;
    int32_t bits = 0;
    while (int32_t charBits = ConditionCompiler::ComparisonBits(CharAt(pos))) {
        bits |= charBits;
        pos += CharLength(pos);
    }
    const ComparisonSpelling& form = kComparisonSpellings[bits];
    int32_t spellingLength = int32_t(std::strlen(form.spelling));
    text.ReplaceRange(start, pos - start, form.spelling);
    pos = start + spellingLength;
    if (bits == 1 && CharAt(pos) == kConditionUndefined) {
        text.Delete(start, spellingLength);
        pos = start + 1;
        Emit(kConditionOpUndefined, -1);
        return;
    }
    Operand lower{};
    Operand upper{};
    if (ReadValue(lower, upper)) {
        EmitBounds(form.code, lower, upper);
        return;
    }
    text.ReplaceRange(start, spellingLength, "\\");
    pos = start + 1;
    Emit(kConditionOpUndefined, -1);
}

template <typename Operand>
bool ComparisonProgramCompiler<Operand>::ReadValue(Operand& lower, Operand& upper)
{
    int32_t end = pos;
    while (!reader.EndsValue(CharAt(end)))
        end += CharLength(end);
    // Nothing stands here, unless a range follows: "…b" runs from what an empty value reads as.
    if (end == pos && CharAt(pos) != kConditionRange)
        return false;
    String written;
    if (!reader.Read(std::string_view(text.CStr() + pos, size_t(end - pos)), lower, upper, written)) {
        text.Delete(pos, end - pos);
        return false;
    }
    text.ReplaceRangeBytes(pos, end - pos, written.View());
    pos += written.Length();
    return true;
}

}  // namespace

template <typename Operand>
ConditionProgram<Operand>::OperandReader::~OperandReader() = default;

template <typename Operand>
ConditionProgram<Operand>::~ConditionProgram()
{
    MemFree(ops);
}

template <typename Operand>
ConditionProgram<Operand>& ConditionProgram<Operand>::operator=(ConditionProgram&& other) noexcept
{
    if (this != &other) {
        MemFree(ops);
        ops = other.ops;
        other.ops = nullptr;
    }
    return *this;
}

template <typename Operand>
void ConditionProgram<Operand>::Clear()
{
    MemFree(ops);
    ops = nullptr;
}

template <typename Operand>
int32_t ConditionProgram<Operand>::Compile(String& text, const OperandReader& reader)
{
    Clear();
    String work;
    work.Assign(text);
    work.Truncate(int32_t(std::strlen(work.CStr())));
    work.Truncate(Utf8SafeCut(work.View(), kConditionTextLimit));
    std::vector<ConditionCompiler::Op> compiled;
    std::vector<Operand> lowers;
    std::vector<Operand> uppers;
    // A repair can bring together what the text did not hold side by side ("1|x|2" loses "x" and
    // leaves "1||2"), so the repaired text is compiled again until it comes back unchanged: the text
    // handed back is then one that compiles to itself.
    String before;
    for (int32_t pass = 0; pass < kMaxConditionPasses; ++pass) {
        before.Assign(work);
        NormalizeConditionText(work);
        work.RemoveAll(' ');
        ComparisonProgramCompiler<Operand> compiler(work, reader);
        if (!work.IsEmpty() && (!compiler.ParseExpression() || compiler.StackDepth() >= kConditionStackSize))
            return message::kConditionTooDeep;
        compiled = compiler.Ops();
        lowers = compiler.lowers;
        uppers = compiler.uppers;
        if (work.View() == before.View())
            break;
    }
    if (work.Length() > kConditionTextLimit)
        return message::kConditionTooLarge;
    if (!compiled.empty()) {
        int32_t count = int32_t(compiled.size()) + 1;
        auto* block = static_cast<Op*>(MemAlloc(count * int32_t(sizeof(Op))));
        if (block == nullptr)
            return 0;
        for (int32_t i = 0; i + 1 < count; ++i) {
            const ConditionCompiler::Op& op = compiled[size_t(i)];
            Op& out = block[i];
            out = Op{op.code, 0, Operand{}, Operand{}};
            if (op.code == kConditionOpOr || op.code == kConditionOpAnd)
                out.skip = int16_t(op.argument);
            else if (op.code >= kConditionOpWithin && op.argument >= 0 && size_t(op.argument) < lowers.size()) {
                out.lower = lowers[size_t(op.argument)];
                out.upper = uppers[size_t(op.argument)];
            }
        }
        block[count - 1] = Op{kConditionOpEnd, 0, Operand{}, Operand{}};
        ops = block;
    }
    text.Assign(work);
    return 0;
}

// The top of the stack lives in `top`; `below` holds the entries under it. A term pushes the old top
// (the first push stores a value nobody reads, which keeps the loop free of a test).
template <typename Operand>
bool ConditionProgram<Operand>::Matches(Operand operand, bool undefined) const
{
    if (ops == nullptr)
        return true;
    bool below[kConditionStackSize];
    int32_t count = 0;  // the compiler keeps the depth below kConditionStackSize
    bool top = false;
    for (const Op* op = ops;; ++op) {
        bool result;
        switch (op->code) {
        case kConditionOpNot:
            top = !top;
            continue;
        case kConditionOpXor:
            top = below[--count] != top;
            continue;
        case kConditionOpOr:
            if (top)
                op += op->skip;
            else
                top = below[--count];
            continue;
        case kConditionOpAnd:
            if (!top)
                op += op->skip;
            else
                top = below[--count];
            continue;
        case kConditionOpUndefined:
            result = undefined;
            break;
        case kConditionOpWithin:
            result = op->lower <= operand && operand <= op->upper;
            break;
        case kConditionOpOutside:
            result = operand < op->lower || operand > op->upper;
            break;
        case kConditionOpGreater:
            result = operand > op->upper;
            break;
        case kConditionOpLess:
            result = operand < op->lower;
            break;
        case kConditionOpGreaterEqual:
            result = operand >= op->lower;
            break;
        case kConditionOpLessEqual:
            result = operand <= op->upper;
            break;
        default:
            return top;
        }
        below[count++] = top;
        top = result;
    }
}

template class ConditionProgram<double>;
template class ConditionProgram<uint64_t>;

}  // namespace vek
