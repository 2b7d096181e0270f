// KeyPattern: compiling card-key and stamp patterns into ops, rewriting them in their normal form,
// running them.
#include "model/selections/KeyPattern.h"

#include <cstring>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/expressions/ConditionCompiler.h"
#include "model/dates/DateExpression.h"

namespace vek {

namespace {

enum : int32_t {
    kKeyOpEnd = 0,
    kKeyOpNot = 1,
    kKeyOpXor = 2,
    kKeyOpOr = 3,
    kKeyOpAnd = 4,
    kKeyOpNoDate = 5,
    kKeyOpBetween = 6,
    kKeyOpNotBetween = 7,
    kKeyOpGreater = 8,
    kKeyOpLess = 9,
    kKeyOpGreaterEqual = 10,
    kKeyOpLessEqual = 11,
};

constexpr ConditionCompiler::Codes kKeyPatternCodes{kKeyOpNot, kKeyOpXor, kKeyOpOr, kKeyOpAnd};

struct KeyComparisonForm {
    const char* spelling;
    int32_t code;
};
// By the bits of the run; 0 does not occur.
constexpr KeyComparisonForm kKeyComparisonForms[8] = {
    {"=", kKeyOpBetween},       {"=", kKeyOpBetween},       {">", kKeyOpGreater},       {">=", kKeyOpGreaterEqual},
    {"<", kKeyOpLess},          {"<=", kKeyOpLessEqual},    {"<>", kKeyOpNotBetween},   {"<>", kKeyOpNotBetween},
};

bool EndsKeyValue(uint32_t c)
{
    switch (c) {
    case 0:
    case '&':
    case '(':
    case ')':
    case '<':
    case '=':
    case '>':
    case '|':
    case kConditionNot:
    case kConditionXor:
    case kConditionRange:
    case kConditionNotEqual:
    case kConditionLessEqual:
    case kConditionGreaterEqual:
        return true;
    default:
        return false;
    }
}

// Only digits and the separators a typed time may hold: read as a time rather than as a date
// expression when it is longer than a date.
bool LooksLikeTimestamp(std::string_view value)
{
    int32_t digits = 0;
    for (char c : value) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c != ':' && c != '.' && c != '-')
            return false;
    }
    return digits > 8;
}

class KeyPatternCompiler final : public ConditionCompiler {
public:
    KeyPatternCompiler(String& text, Base* base, KeyPatternKind kind)
        : ConditionCompiler(text, kKeyPatternCodes), base(base), kind(kind)
    {
    }
    ~KeyPatternCompiler() override;

    // Lower and upper keys of the term ops, by the op's argument.
    std::vector<uint64_t> lowers;
    std::vector<uint64_t> uppers;

private:
    void ParseTerm(int32_t depth) override;
    void ParseComparison();
    void EmitKeys(int32_t code, uint64_t lower, uint64_t upper);
    // Reads the value at the cursor into its two keys, rewrites it in its normal form and steps past
    // it; a value that gives no key is deleted and the answer is false.
    bool ReadValue(uint64_t& lower, uint64_t& upper);
    bool ReadDateExpression(std::string_view value, uint64_t& lower, uint64_t& upper, String& normal) const;
    bool ReadTimestamp(std::string_view value, uint64_t& lower, uint64_t& upper) const;

    Base* base;
    KeyPatternKind kind;
};

KeyPatternCompiler::~KeyPatternCompiler() = default;

void KeyPatternCompiler::EmitKeys(int32_t code, uint64_t lower, uint64_t upper)
{
    lowers.push_back(lower);
    uppers.push_back(upper);
    Emit(code, int32_t(lowers.size() - 1));
}

void KeyPatternCompiler::ParseTerm(int32_t)
{
    uint32_t c = CharAt(pos);
    if (c == kConditionUndefined) {
        ++pos;
        Emit(kKeyOpNoDate, -1);
        return;
    }
    if (ConditionCompiler::ComparisonBits(c) != 0) {
        ParseComparison();
        return;
    }
    uint64_t lower = 0;
    uint64_t upper = 0;
    if (!ReadValue(lower, upper))
        return;
    if (CharAt(pos) != kConditionRange) {
        EmitKeys(kKeyOpBetween, lower, upper);
        return;
    }
    int32_t rangeAt = pos;
    pos += CharLength(pos);
    uint64_t secondLower = 0;
    uint64_t secondUpper = 0;
    if (ReadValue(secondLower, secondUpper)) {
        EmitKeys(kKeyOpBetween, lower, secondUpper);
        return;
    }
    text.Delete(rangeAt, pos - rangeAt);
    pos = rangeAt;
    EmitKeys(kKeyOpBetween, lower, upper);
}

// A comparison without a value becomes "\" as a whole, as in number conditions.
void KeyPatternCompiler::ParseComparison()
{
    int32_t start = pos;
    int32_t bits = 0;
    while (int32_t charBits = ConditionCompiler::ComparisonBits(CharAt(pos))) {
        bits |= charBits;
        pos += CharLength(pos);
    }
    const KeyComparisonForm& form = kKeyComparisonForms[bits];
    int32_t spellingLength = int32_t(std::strlen(form.spelling));
    text.ReplaceRange(start, pos - start, form.spelling);
    pos = start + spellingLength;
    if (bits == 1 && CharAt(pos) == kConditionUndefined) {
        text.Delete(start, spellingLength);
        pos = start + 1;
        Emit(kKeyOpNoDate, -1);
        return;
    }
    uint64_t lower = 0;
    uint64_t upper = 0;
    if (ReadValue(lower, upper)) {
        EmitKeys(form.code, lower, upper);
        return;
    }
    text.ReplaceRange(start, spellingLength, "\\");
    pos = start + 1;
    Emit(kKeyOpNoDate, -1);
}

bool KeyPatternCompiler::ReadDateExpression(std::string_view value, uint64_t& lower, uint64_t& upper,
                                            String& normal) const
{
    DateExpression start(base, -1);
    DateExpression end(base, 1);
    if (!start.Parse(value.data(), int32_t(value.size())) || !end.Parse(value.data(), int32_t(value.size())))
        return false;
    const CardKey& first = start.Value();
    const CardKey& last = end.Value();
    if (first.date == 0 || last.date == 0)
        return false;
    if (start.Unit() != DateUnit::Absolute) {
        char buffer[kDateExpressionTextCapacity];
        char* cursor = buffer;
        start.CursorPutUnitText(cursor);
        normal.AssignBytes(buffer, int32_t(cursor - buffer));
    } else {
        normal.AssignBytes(value);
    }
    if (kind == KeyPatternKind::CardKey) {
        lower = KeyPattern::FromCardKey(first);
        upper = KeyPattern::FromCardKey(last);
    } else {
        lower = MakePackedTimestamp(PackedDateYear(first.date), PackedDateMonth(first.date), PackedDateDay(first.date), 0, 0);
        upper = MakePackedTimestamp(PackedDateYear(last.date), PackedDateMonth(last.date), PackedDateDay(last.date), 23, 59);
    }
    return true;
}

bool KeyPatternCompiler::ReadTimestamp(std::string_view value, uint64_t& lower, uint64_t& upper) const
{
    lower = ParsePackedTimestamp(value.data(), int32_t(value.size()), -1);
    upper = ParsePackedTimestamp(value.data(), int32_t(value.size()), 1);
    return lower != 0 && upper != 0;
}

bool KeyPatternCompiler::ReadValue(uint64_t& lower, uint64_t& upper)
{
    int32_t end = pos;
    while (!EndsKeyValue(CharAt(end)))
        end += CharLength(end);
    std::string_view value(text.CStr() + pos, size_t(end - pos));
    String normal;
    bool read = false;
    if (kind == KeyPatternKind::Stamp && LooksLikeTimestamp(value)) {
        read = ReadTimestamp(value, lower, upper);
        normal.AssignBytes(value);
    } else {
        read = ReadDateExpression(value, lower, upper, normal);
        if (!read && kind == KeyPatternKind::Stamp) {
            read = ReadTimestamp(value, lower, upper);
            normal.AssignBytes(value);
        }
    }
    if (!read) {
        text.Delete(pos, end - pos);
        return false;
    }
    text.ReplaceRangeBytes(pos, end - pos, normal.View());
    pos += normal.Length();
    return true;
}

}  // namespace

KeyPattern::~KeyPattern()
{
    MemFree(ops);
}

KeyPattern& KeyPattern::operator=(KeyPattern&& other) noexcept
{
    if (this != &other) {
        MemFree(ops);
        ops = other.ops;
        other.ops = nullptr;
    }
    return *this;
}

void KeyPattern::Clear()
{
    MemFree(ops);
    ops = nullptr;
}

int32_t KeyPattern::Compile(String& text, Base* base, KeyPatternKind kind)
{
    Clear();
    String work;
    work.Assign(text);
    work.Truncate(int32_t(std::strlen(work.CStr())));
    work.Truncate(Utf8SafeCut(work.View(), kConditionTextLimit));
    std::vector<ConditionCompiler::Op> compiled;
    std::vector<uint64_t> lowers;
    std::vector<uint64_t> uppers;
    // As for number conditions: the repaired text is compiled again until it comes back unchanged,
    // so that the text handed back compiles to itself.
    String before;
    for (int32_t pass = 0; pass < kMaxConditionPasses; ++pass) {
        before.Assign(work);
        NormalizeConditionText(work);
        work.RemoveAll(' ');
        KeyPatternCompiler compiler(work, base, kind);
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
        auto* block = static_cast<KeyPatternOp*>(MemAlloc(count * int32_t(sizeof(KeyPatternOp))));
        if (block == nullptr)
            return 0;
        for (int32_t i = 0; i + 1 < count; ++i) {
            const ConditionCompiler::Op& op = compiled[size_t(i)];
            KeyPatternOp& out = block[i];
            out = KeyPatternOp{op.code, 0, 0, 0};
            if (op.code == kKeyOpOr || op.code == kKeyOpAnd)
                out.skip = int16_t(op.argument);
            else if (op.code >= kKeyOpBetween && op.argument >= 0 && size_t(op.argument) < lowers.size()) {
                out.lower = lowers[size_t(op.argument)];
                out.upper = uppers[size_t(op.argument)];
            }
        }
        block[count - 1] = KeyPatternOp{kKeyOpEnd, 0, 0, 0};
        ops = block;
    }
    text.Assign(work);
    return 0;
}

bool KeyPattern::Matches(uint64_t key) const
{
    if (ops == nullptr)
        return true;
    bool below[kConditionStackSize];
    int32_t count = 0;  // the compiler keeps the depth below kConditionStackSize
    bool top = false;
    for (const KeyPatternOp* op = ops;; ++op) {
        bool result;
        switch (op->code) {
        case kKeyOpNot:
            top = !top;
            continue;
        case kKeyOpXor:
            top = below[--count] != top;
            continue;
        case kKeyOpOr:
            if (top)
                op += op->skip;
            else
                top = below[--count];
            continue;
        case kKeyOpAnd:
            if (!top)
                op += op->skip;
            else
                top = below[--count];
            continue;
        case kKeyOpNoDate:
            result = key == 0;
            break;
        case kKeyOpBetween:
            result = op->lower <= key && key <= op->upper;
            break;
        case kKeyOpNotBetween:
            result = key < op->lower || key > op->upper;
            break;
        case kKeyOpGreater:
            result = key > op->upper;
            break;
        case kKeyOpLess:
            result = key < op->lower;
            break;
        case kKeyOpGreaterEqual:
            result = key >= op->lower;
            break;
        case kKeyOpLessEqual:
            result = key <= op->upper;
            break;
        default:
            return top;
        }
        below[count++] = top;
        top = result;
    }
}

}  // namespace vek
