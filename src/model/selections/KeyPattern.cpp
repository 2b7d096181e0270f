// KeyPattern: reading the values of card-key and stamp patterns and writing them in their normal form.
#include "model/selections/KeyPattern.h"

#include <string_view>

#include "foundation/strings/String.h"
#include "model/dates/DateExpression.h"
#include "model/expressions/ConditionCompiler.h"

namespace vek {

namespace {

// Key values also end at the one-character comparisons "≠", "≤" and "≥".
bool EndsKeyValue(uint32_t c)
{
    return EndsConditionValue(c) || c == kConditionNotEqual || c == kConditionLessEqual ||
           c == kConditionGreaterEqual;
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

class KeyOperandReader final : public ConditionProgram<uint64_t>::OperandReader {
public:
    KeyOperandReader(Base* base, KeyPatternKind kind) : base(base), kind(kind) {}
    ~KeyOperandReader() override;
    bool EndsValue(uint32_t c) const override { return EndsKeyValue(c); }
    [[nodiscard]] bool Read(std::string_view value, uint64_t& lower, uint64_t& upper, String& written) const override;

private:
    bool ReadDateExpression(std::string_view value, uint64_t& lower, uint64_t& upper, String& normal) const;

    Base* base;
    KeyPatternKind kind;
};

KeyOperandReader::~KeyOperandReader() = default;

bool KeyOperandReader::ReadDateExpression(std::string_view value, uint64_t& lower, uint64_t& upper,
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

// A typed time is read as a time, with the lowest and highest time its digits allow.
bool ReadStampTime(std::string_view value, uint64_t& lower, uint64_t& upper)
{
    lower = ParsePackedTimestamp(value.data(), int32_t(value.size()), -1);
    upper = ParsePackedTimestamp(value.data(), int32_t(value.size()), 1);
    return lower != 0 && upper != 0;
}

bool KeyOperandReader::Read(std::string_view value, uint64_t& lower, uint64_t& upper, String& written) const
{
    if (kind == KeyPatternKind::Stamp && LooksLikeTimestamp(value)) {
        written.AssignBytes(value);
        return ReadStampTime(value, lower, upper);
    }
    if (ReadDateExpression(value, lower, upper, written))
        return true;
    if (kind == KeyPatternKind::CardKey) {
        // A value that names no date is the key without a date, kept as typed: dropping it would
        // widen the pattern ("…Jan" to every card) and lose what the user wrote on the next save.
        lower = 0;
        upper = 0;
        written.AssignBytes(value);
        return true;
    }
    written.AssignBytes(value);
    return ReadStampTime(value, lower, upper);
}

}  // namespace

KeyPattern::~KeyPattern() = default;

int32_t KeyPattern::Compile(String& text, Base* base, KeyPatternKind kind)
{
    return program.Compile(text, KeyOperandReader(base, kind));
}

}  // namespace vek
