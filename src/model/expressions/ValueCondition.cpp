// ValueCondition: compiling number conditions into ops, rewriting them canonically, running them.
#include "model/expressions/ValueCondition.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/expressions/ConditionCompiler.h"

namespace vek {

namespace {

enum : int32_t {
    kValueOpEnd = 0,
    kValueOpNot = 1,
    kValueOpXor = 2,
    kValueOpOr = 3,
    kValueOpAnd = 4,
    kValueOpUndefined = 5,
    kValueOpEqual = 6,
    kValueOpNotEqual = 7,
    kValueOpGreater = 8,
    kValueOpLess = 9,
    kValueOpGreaterEqual = 10,
    kValueOpLessEqual = 11,
    kValueOpRange = 12,
};

constexpr ConditionCompiler::Codes kValueCodes{kValueOpNot, kValueOpXor, kValueOpOr, kValueOpAnd};

// Numbers are written in the general format with "." and no grouping, so that a canonical text means
// the same on every machine and reads back as the same number (the reader takes "." everywhere).
NumberFormat CanonicalNumberFormat()
{
    NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    return format;
}

struct ComparisonForm {
    const char* spelling;
    int32_t code;
};
// By the bits of the run; 0 does not occur.
constexpr ComparisonForm kComparisonForms[8] = {
    {"=", kValueOpEqual},        {"=", kValueOpEqual},  {">", kValueOpGreater},    {">=", kValueOpGreaterEqual},
    {"<", kValueOpLess},         {"<=", kValueOpLessEqual}, {"<>", kValueOpNotEqual}, {"<>", kValueOpNotEqual},
};

bool EndsNumberToken(uint32_t c)
{
    switch (c) {
    case 0:
    case '&':
    case '(':
    case ')':
    case '<':
    case '=':
    case '>':
    case '_':
    case '|':
    case kConditionNot:
    case kConditionXor:
    case kConditionRange:
        return true;
    default:
        return false;
    }
}

class ValueConditionCompiler final : public ConditionCompiler {
public:
    explicit ValueConditionCompiler(String& text) : ConditionCompiler(text, kValueCodes) {}
    ~ValueConditionCompiler() override;

private:
    void ParseTerm(int32_t depth) override;
    void ParseComparison();
    // Reads the number token at the cursor. A number replaces the token by its canonical text and
    // the cursor steps past it; a token that gives no number is deleted.
    bool ReadNumber(double& value);

    NumberFormat numberFormat = CanonicalNumberFormat();
};

ValueConditionCompiler::~ValueConditionCompiler() = default;

void ValueConditionCompiler::ParseTerm(int32_t)
{
    uint32_t c = CharAt(pos);
    if (c == kConditionUndefined) {
        ++pos;
        Emit(kValueOpUndefined);
        return;
    }
    if (ConditionCompiler::ComparisonBits(c) != 0) {
        ParseComparison();
        return;
    }
    double first = 0;
    if (!ReadNumber(first))
        return;
    if (CharAt(pos) != kConditionRange) {
        Emit(kValueOpEqual, 0, first);
        return;
    }
    int32_t rangeAt = pos;
    pos += CharLength(pos);
    double second = 0;
    if (ReadNumber(second)) {
        Emit(kValueOpRange, 0, first, second);
        return;
    }
    text.Delete(rangeAt, pos - rangeAt);
    pos = rangeAt;
    Emit(kValueOpEqual, 0, first);
}

// A comparison that has no number becomes "\" as a whole: turning only its last character into "\"
// would leave ">\" for ">=", which reads back as "\" and so would not be a canonical text.
void ValueConditionCompiler::ParseComparison()
{
    int32_t start = pos;
    int32_t bits = 0;
    while (int32_t charBits = ConditionCompiler::ComparisonBits(CharAt(pos))) {
        bits |= charBits;
        pos += CharLength(pos);
    }
    const ComparisonForm& form = kComparisonForms[bits];
    int32_t spellingLength = int32_t(std::strlen(form.spelling));
    text.ReplaceRange(start, pos - start, form.spelling);
    pos = start + spellingLength;
    if (bits == 1 && CharAt(pos) == kConditionUndefined) {
        text.Delete(start, spellingLength);
        pos = start + 1;
        Emit(kValueOpUndefined);
        return;
    }
    double value = 0;
    if (ReadNumber(value)) {
        Emit(form.code, 0, value);
        return;
    }
    text.ReplaceRange(start, spellingLength, "\\");
    pos = start + 1;
    Emit(kValueOpUndefined);
}

bool ValueConditionCompiler::ReadNumber(double& value)
{
    int32_t end = pos;
    while (!EndsNumberToken(CharAt(end)))
        end += CharLength(end);
    value = BytesToDouble(text.CStr() + pos, end - pos);
    if (std::isnan(value)) {
        text.Delete(pos, end - pos);
        return false;
    }
    String written;
    written.AssignDoubleFormat(value, numberFormat);
    text.ReplaceRangeBytes(pos, end - pos, written.View());
    pos += written.Length();
    return true;
}

}  // namespace

ValueCondition::~ValueCondition()
{
    MemFree(ops);
}

ValueCondition& ValueCondition::operator=(ValueCondition&& other) noexcept
{
    if (this != &other) {
        MemFree(ops);
        ops = other.ops;
        other.ops = nullptr;
    }
    return *this;
}

void ValueCondition::Clear()
{
    MemFree(ops);
    ops = nullptr;
}

int32_t ValueCondition::Compile(String& text)
{
    Clear();
    String work;
    work.Assign(text);
    work.Truncate(int32_t(std::strlen(work.CStr())));
    work.Truncate(Utf8SafeCut(work.View(), kConditionTextLimit));
    std::vector<ConditionCompiler::Op> compiled;
    // A repair can bring together what the text did not hold side by side ("1|x|2" loses "x" and
    // leaves "1||2"), so the repaired text is compiled again until it comes back unchanged: the text
    // handed back is then one that compiles to itself.
    String before;
    for (int32_t pass = 0; pass < kMaxConditionPasses; ++pass) {
        before.Assign(work);
        NormalizeConditionText(work);
        work.RemoveAll(' ');
        ValueConditionCompiler compiler(work);
        if (!work.IsEmpty() && (!compiler.ParseExpression() || compiler.StackDepth() >= kConditionStackSize))
            return message::kConditionTooDeep;
        compiled = compiler.Ops();
        if (work.View() == before.View())
            break;
    }
    if (work.Length() > kConditionTextLimit)
        return message::kConditionTooLarge;
    if (!compiled.empty()) {
        int32_t count = int32_t(compiled.size()) + 1;
        auto* block = static_cast<ConditionOp*>(MemAlloc(count * int32_t(sizeof(ConditionOp))));
        if (block == nullptr)
            return 0;
        for (int32_t i = 0; i + 1 < count; ++i) {
            const ConditionCompiler::Op& op = compiled[size_t(i)];
            block[i] = ConditionOp{op.code, int16_t(op.argument), op.first, op.second};
        }
        block[count - 1] = ConditionOp{kValueOpEnd, 0, 0, 0};
        ops = block;
    }
    text.Assign(work);
    return 0;
}

// The top of the stack lives in `top`; `below` holds the entries under it. A term pushes the old top
// (the first push stores a value nobody reads, which keeps the loop free of a test). Comparisons of
// an undefined value (NaN) are false by themselves; only "<>" has to ask.
bool ValueCondition::Matches(double value) const
{
    if (ops == nullptr)
        return true;
    bool below[kConditionStackSize];
    int32_t count = 0;  // the compiler keeps the depth below kConditionStackSize
    bool top = false;
    for (const ConditionOp* op = ops;; ++op) {
        bool result;
        switch (op->code) {
        case kValueOpNot:
            top = !top;
            continue;
        case kValueOpXor:
            top = below[--count] != top;
            continue;
        case kValueOpOr:
            if (top)
                op += op->skip;
            else
                top = below[--count];
            continue;
        case kValueOpAnd:
            if (!top)
                op += op->skip;
            else
                top = below[--count];
            continue;
        case kValueOpUndefined:
            result = std::isnan(value);
            break;
        case kValueOpEqual:
            result = value == op->first;
            break;
        case kValueOpNotEqual:
            result = value != op->first && !std::isnan(value);
            break;
        case kValueOpGreater:
            result = value > op->first;
            break;
        case kValueOpLess:
            result = value < op->first;
            break;
        case kValueOpGreaterEqual:
            result = value >= op->first;
            break;
        case kValueOpLessEqual:
            result = value <= op->first;
            break;
        case kValueOpRange:
            result = op->first <= value && value <= op->second;
            break;
        default:
            return top;
        }
        below[count++] = top;
        top = result;
    }
}

}  // namespace vek
