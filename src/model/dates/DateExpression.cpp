// DateExpression: parsing, writing and resolving card keys stated by date, unit or time scale.
#include "model/dates/DateExpression.h"

#include <algorithm>
#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/dates/TimeScaleLookup.h"

namespace vek {

namespace {

// Unit names by unit number; the words users type and files store.
constexpr const char* kDateUnitNames[8] = {"", "Day", "Week", "Month", "Quarter", "Year", "File", "Reference"};
constexpr std::size_t kLongestDateUnitName = 9;

// An absolute key is read from at most this many digits and "-" characters.
constexpr int32_t kAbsoluteKeyBytes = 32;

bool IsDateExpressionBlank(char byte)
{
    return byte == ' ' || byte == '\t';
}

bool IsDateExpressionDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

std::string_view TrimDateExpressionBlanks(std::string_view text)
{
    while (!text.empty() && IsDateExpressionBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsDateExpressionBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The position after the first word (the first blank or the end).
std::size_t DateExpressionWordEnd(std::string_view text)
{
    std::size_t end = 0;
    while (end < text.size() && !IsDateExpressionBlank(text[end]))
        ++end;
    return end;
}

// An offset typed after a unit, label or name: blanks and other bytes are skipped (the tolerant
// integer reading of typed numbers); nothing gives 0.
int32_t ReadDateExpressionOffset(std::string_view text)
{
    return text.empty() ? 0 : BytesToIntRounded(text.data(), static_cast<int32_t>(text.size()));
}

// The unit an older bullet-marked base file writes as one marker character, or Absolute.
DateUnit BulletMarkerUnit(const char* field)
{
    const char* p = field;
    while (*p != 0) {
        switch (Utf8NextChar(p)) {
            case '#':
                return DateUnit::Day;
            case '$':
                return DateUnit::Month;
            case 0x00A5:  // yen sign
                return DateUnit::Year;
            case 0x0192:  // florin
            case 0x222B:  // integral
                return DateUnit::File;
            case '|':
                return DateUnit::Reference;
            default:
                break;
        }
    }
    return DateUnit::Absolute;
}

}  // namespace

TextFieldLink::~TextFieldLink() = default;

bool TextFieldLink::FetchText(String&) const
{
    return false;
}

DateExpression::DateExpression(Base* base, int32_t side) : base(base), side(side < 0 ? -1 : 1) {}

DateExpression::~DateExpression() = default;

void DateExpression::Clear()
{
    value = CardKey{};
    unit = DateUnit::Absolute;
    offset = 0;
    text.Set(nullptr);
}

void DateExpression::Assign(const DateExpression& other)
{
    if (&other != this) {
        value = other.value;
        unit = other.unit;
        offset = other.offset;
        SetHeapBlock(text.Field(), other.text.Get());
    }
    Resolve();
}

void DateExpression::SetValue(const CardKey& key)
{
    value = key;
    unit = DateUnit::Absolute;
    offset = 0;
    text.Set(nullptr);
}

void DateExpression::SetUnit(DateUnit newUnit, int32_t newOffset)
{
    int32_t number = static_cast<int32_t>(newUnit);
    if (number < 0 || number > static_cast<int32_t>(DateUnit::TimeScale))
        return;
    unit = newUnit;
    offset = newOffset;
    text.Set(nullptr);
    Resolve();
}

DateUnit DateExpression::UnitFromName(std::string_view name)
{
    if (name.empty() || name.size() > kLongestDateUnitName || name.find('\0') != std::string_view::npos)
        return DateUnit::Absolute;
    char word[kLongestDateUnitName + 1];
    std::memcpy(word, name.data(), name.size());
    word[name.size()] = 0;
    for (int32_t u = 1; u <= static_cast<int32_t>(DateUnit::Reference); ++u) {
        if (CStrStartsWithNoCase(kDateUnitNames[u], word))
            return static_cast<DateUnit>(u);
    }
    return DateUnit::Absolute;
}

bool DateExpression::ParseCString(const char* cString)
{
    return Parse(cString, cString != nullptr ? static_cast<int32_t>(std::strlen(cString)) : 0);
}

bool DateExpression::Parse(const char* bytes, int32_t length)
{
    unit = DateUnit::Absolute;
    offset = 0;
    text.Set(nullptr);
    std::string_view whole;
    if (bytes != nullptr && length > 0)
        whole = std::string_view(bytes, static_cast<std::size_t>(length));
    whole = TrimDateExpressionBlanks(whole);

    if (!whole.empty() && !IsDateExpressionDigit(whole.front()) && ParseNamed(whole))
        return true;
    // A leading word (the key of the display form, or a word that names nothing) is passed over.
    std::size_t rest = DateExpressionWordEnd(whole);
    while (rest < whole.size() && IsDateExpressionBlank(whole[rest]))
        ++rest;
    if (rest < whole.size() && ParseNamed(whole.substr(rest)))
        return true;
    ParseAbsolute(whole);
    return value.date != 0;
}

bool DateExpression::ParseNamed(std::string_view part)
{
    return ParseUnitWord(part) || ParseTimeScaleText(part, DateUnit::Period) ||
           ParseTimeScaleText(part, DateUnit::TimeScale);
}

bool DateExpression::ParseUnitWord(std::string_view part)
{
    std::size_t end = 0;
    while (end < part.size() && part[end] != '+' && part[end] != '-' && !IsDateExpressionBlank(part[end]))
        ++end;
    DateUnit named = UnitFromName(part.substr(0, end));
    if (named == DateUnit::Absolute)
        return false;
    unit = named;
    offset = ReadDateExpressionOffset(part.substr(end));
    text.Set(nullptr);
    Resolve();
    return true;
}

bool DateExpression::ParseTimeScaleText(std::string_view part, DateUnit asUnit)
{
    const TimeScaleLookup& lookup = Service<TimeScaleLookup>::Get();
    std::size_t split = part.find_first_of("+-");
    if (split == std::string_view::npos)
        split = part.size();
    std::string_view name = TrimDateExpressionBlanks(part.substr(0, split));
    if (name.empty())
        return false;
    String found;
    bool known = asUnit == DateUnit::Period ? lookup.FindPeriodLabel(base, name, found)
                                            : lookup.FindTimeScaleName(base, name, found);
    if (!known || found.IsEmpty())
        return false;
    unit = asUnit;
    offset = ReadDateExpressionOffset(part.substr(split));
    SetText(std::string_view(found.CStr(), static_cast<std::size_t>(found.Length())));
    Resolve();
    return true;
}

void DateExpression::ParseAbsolute(std::string_view whole)
{
    // The key's digits and "-" are gathered across blanks ("24 01 31"), but when words other than
    // digits follow the first one (the label of a time scale that no longer exists, after the key a
    // base file stored with it), only the first word is the key: digits of the label are no part of it.
    std::string_view source = whole;
    if (!whole.empty() && IsDateExpressionDigit(whole.front())) {
        std::size_t wordEnd = DateExpressionWordEnd(whole);
        for (std::size_t i = wordEnd; i < whole.size(); ++i) {
            char byte = whole[i];
            if (!IsDateExpressionDigit(byte) && byte != '-' && !IsDateExpressionBlank(byte)) {
                source = whole.substr(0, wordEnd);
                break;
            }
        }
    }
    char digits[kAbsoluteKeyBytes];
    int32_t n = 0;
    for (char byte : source) {
        if (n == kAbsoluteKeyBytes)
            break;
        if (IsDateExpressionDigit(byte) || byte == '-')
            digits[n++] = byte;
    }
    ParseCardKey(value, digits, n, side);
    // The largest number the digits can show is how the open end is displayed.
    if (side > 0 && value.date != 0 && value.number == MaxForDigits(CardNumberDigits()))
        value.number = kOpenEndNumber;
}

void DateExpression::ParseAndNormalize(String& string)
{
    if (!Parse(string.CStr(), string.Length()))
        SetUnit(DateUnit::File);
    ToText(string);
}

void DateExpression::SetText(std::string_view newText)
{
    int32_t n = static_cast<int32_t>(std::min<std::size_t>(newText.size(), kDateExpressionTextLimit));
    if (n < static_cast<int32_t>(newText.size()))
        n = Utf8SafeCut(newText.data(), static_cast<int32_t>(newText.size()), n);
    SetHeapTextFromBytes(text.Field(), newText.data(), n);
}

int32_t DateExpression::CardNumberDigits() const
{
    return base != nullptr ? base->CardNumberDigits() : 3;
}

void DateExpression::Resolve()
{
    DateTime today;
    GetCurrentDateTime(today);
    ResolveOn(today);
}

void DateExpression::ResolveOn(const DateTime& today)
{
    switch (unit) {
        case DateUnit::Absolute:
            return;
        case DateUnit::Day:
            CardKeyOfDay(value, side, offset, today);
            return;
        case DateUnit::Week:
            CardKeyOfWeek(value, side, offset, today);
            return;
        case DateUnit::Month:
            CardKeyOfMonth(value, side, offset, today);
            return;
        case DateUnit::Quarter:
            CardKeyOfQuarter(value, side, offset, today);
            return;
        case DateUnit::Year:
            CardKeyOfYearEdge(value, side, offset, today);
            return;
        case DateUnit::File: {
            CardKey edge;
            if (base != nullptr)
                base->GetBoundaryCardKey(edge, side < 1 ? CardEdge::First : CardEdge::Last);
            else
                CardKeyOfYearEdge(edge, side, 0, today);
            CardKeyOfDayNumber(value, side, edge.date, offset);
            return;
        }
        case DateUnit::Reference: {
            CardKey reference;
            // The base's own reference date stated as "Reference" counts from today, not from itself:
            // every change it posts would otherwise move it again, a day at a time.
            if (base != nullptr && &base->ReferenceDate() != this)
                reference = base->ReferenceDate().Value();
            if (reference.date == 0)
                CardKeyOfDay(reference, 1, 0, today);
            CardKeyOfDayNumber(value, side, reference.date, offset);
            return;
        }
        case DateUnit::Period:
        case DateUnit::TimeScale: {
            const TimeScaleLookup& lookup = Service<TimeScaleLookup>::Get();
            std::string_view name = text.IsNull() ? std::string_view() : std::string_view(text.Get());
            bool found = false;
            CardKey key;
            if (!name.empty()) {
                if (unit == DateUnit::Period) {
                    found = lookup.PeriodKey(base, name, offset, side, key);
                } else {
                    CardKey day;
                    CardKeyOfDay(day, side, 0, today);
                    found = lookup.TimeScaleKey(base, name, day, offset, side, key);
                }
            }
            if (found)
                value = key;
            else
                BecomePlainFile(today);
            return;
        }
    }
}

void DateExpression::BecomePlainFile(const DateTime& today)
{
    unit = DateUnit::File;
    offset = 0;
    text.Set(nullptr);
    ResolveOn(today);
}

void DateExpression::CursorPutUnitText(char*& cursor) const
{
    switch (unit) {
        case DateUnit::Absolute:
            return;
        case DateUnit::Period:
        case DateUnit::TimeScale:
            CursorPutHeapText(cursor, text.Get());
            break;
        default:
            CursorPutCStr(cursor, kDateUnitNames[static_cast<int32_t>(unit)]);
            break;
    }
    if (offset > 0)
        *cursor++ = '+';
    if (offset != 0)
        CursorPutInt(cursor, offset);
}

void DateExpression::CursorPutDisplay(char*& cursor) const
{
    CursorPutCardKey(cursor, value, CardNumberDigits());
    if (unit != DateUnit::Absolute) {
        *cursor++ = ' ';
        CursorPutUnitText(cursor);
    }
}

void DateExpression::ToText(String& string) const
{
    char buffer[kDateExpressionTextCapacity];
    char* cursor = buffer;
    CursorPutDisplay(cursor);
    string.AssignBytes(buffer, static_cast<int32_t>(cursor - buffer));
}

void DateExpression::FormatToBuffer(char* buffer) const
{
    char* cursor = buffer;
    CursorPutDisplay(cursor);
    *cursor = 0;
}

void DateExpression::ShowIn(TextFieldLink& field) const
{
    char buffer[kDateExpressionTextCapacity];
    FormatToBuffer(buffer);
    field.SetText(buffer);
}

bool DateExpression::Equals(const DateExpression& other) const
{
    if (side != other.side || unit != other.unit)
        return false;
    switch (unit) {
        case DateUnit::Absolute:
            return CardKeyEquals(value, other.value);
        case DateUnit::Period:
        case DateUnit::TimeScale:
            return offset == other.offset && CompareHeapText(text.Get(), other.text.Get()) == 0;
        default:
            return offset == other.offset;
    }
}

bool DateExpression::IsPlainFile() const
{
    return unit == DateUnit::File && offset == 0;
}

bool DateExpression::DependsOnChange(const ChangeRecord& record, TextFieldLink* field)
{
    bool applies = false;
    switch (record.code) {
        case 0:
            applies = unit != DateUnit::Absolute;
            break;
        case kChangeCardContents:
        case kChangeCards:
            applies = unit == DateUnit::File;
            break;
        case kChangeReferenceDate:
            applies = unit == DateUnit::Reference;
            break;
        // The time-scale changes that can move a period's key (a time scale was read or went).
        case kChangeTimeScaleRead:
        case kChangeTimeScaleDeleted:
            applies = unit == DateUnit::Period || unit == DateUnit::TimeScale;
            break;
        case kChangeCardNumberDigits:
            if (field != nullptr)
                ShowIn(*field);
            return false;
        default:
            return false;
    }
    if (!applies)
        return false;
    CardKey before = value;
    Resolve();
    if (CardKeyEquals(before, value))
        return false;
    if (field != nullptr)
        ShowIn(*field);
    return true;
}

// Layout of the field (after the writer's separator):
//   absolute key   "240131" when the number is the side's default (1, or the open end for side +1),
//                  else "240131-5" (the plain number; eight-digit dates outside 1928..2027)
//   units 1..7     "Month-1", "Year", "File+3"
//   units 8, 9     "240401-1 Q2+1": the key the period stood for, a blank, the label or name
void DateExpression::Write(TextWriter& writer) const
{
    writer.PutSeparator();
    char buffer[kDateExpressionTextCapacity];
    char* cursor = buffer;
    switch (unit) {
        case DateUnit::Absolute:
            if (value.number == (side < 0 ? 1 : kOpenEndNumber))
                CursorPutPackedDateDigits(cursor, value.date);
            else
                CursorPutCardKeyPlain(cursor, value);
            break;
        case DateUnit::Period:
        case DateUnit::TimeScale:
            CursorPutCardKeyPlain(cursor, value);
            *cursor++ = ' ';
            CursorPutUnitText(cursor);
            break;
        default:
            CursorPutUnitText(cursor);
            break;
    }
    writer.PutTextBytes(buffer, static_cast<int32_t>(cursor - buffer));
}

void DateExpression::Read(TextReader& reader, DateFieldStyle style)
{
    char field[kDateExpressionTextLimit + 1];
    if (!reader.NextFieldToBuffer(field, static_cast<int32_t>(sizeof field)) || field[0] == 0)
        return;
    if (style == DateFieldStyle::Bullets) {
        DateUnit marked = BulletMarkerUnit(field);
        if (marked != DateUnit::Absolute) {
            SetUnit(marked);
            return;
        }
        for (char* p = field; *p != 0; ++p) {
            if (*p == '/' || *p == ':')
                *p = ' ';
        }
    }
    if (!ParseCString(field))
        SetUnit(DateUnit::File);
}

void WriteDateRange(TextWriter& writer, const char* key, const DateExpression& from, const DateExpression& to)
{
    if (from.IsPlainFile() && to.IsPlainFile())
        return;
    writer.PutText(key);
    if (from.IsPlainFile())
        writer.PutSeparator();
    else
        from.Write(writer);
    if (!to.IsPlainFile())
        to.Write(writer);
    writer.EndRow();
}

}  // namespace vek
