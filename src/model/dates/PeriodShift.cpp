// PeriodShift: the shift texts and the shifting of card keys.
#include "model/dates/PeriodShift.h"

#include <cstring>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

// Beyond this a counted shift would leave the calendar from any date (9999 years of days); a larger
// count in a text is taken for no shift rather than wrapped.
constexpr int32_t kMaxShiftCount = 3660000;

constexpr const char kShiftKindLetters[] = "YQM";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

PeriodShift PeriodShift::Parse(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    PeriodShift shift;
    if (text.size() < 2)
        return shift;
    char first = text[0];
    if (first == '+' || first == '-') {
        size_t i = 1;
        int64_t count = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            count = count * 10 + (text[i] - '0');
            if (count > kMaxShiftCount)
                return shift;
            ++i;
        }
        if (i == 1 || i + 1 != text.size() || count == 0)
            return shift;
        const char* unit = std::strchr(kPeriodShiftUnitLetters, text[i]);
        if (unit == nullptr || text[i] == 0)
            return shift;
        shift.kind = PeriodShiftKind::Count;
        shift.unit = PeriodShiftUnit(unit - kPeriodShiftUnitLetters);
        shift.count = int32_t(first == '-' ? -count : count);
        return shift;
    }
    const char* letter = first != 0 ? std::strchr(kShiftKindLetters, first) : nullptr;
    if (letter == nullptr || text.size() != 2 || (text[1] != '+' && text[1] != '-'))
        return shift;
    shift.kind = PeriodShiftKind(1 + 2 * (letter - kShiftKindLetters) + (text[1] == '-' ? 1 : 0));
    return shift;
}

void PeriodShift::AppendText(String& out) const
{
    if (kind == PeriodShiftKind::Count) {
        if (count == 0)
            return;
        if (count > 0)
            out.AppendChar('+');
        out.AppendInt(count);
        out.AppendChar(kPeriodShiftUnitLetters[int32_t(unit) & 3]);
        return;
    }
    int32_t k = int32_t(kind);
    if (k < 1 || k > 6)
        return;
    out.AppendChar(kShiftKindLetters[(k - 1) / 2]);
    out.AppendChar(k % 2 == 1 ? '+' : '-');
}

void PeriodShift::AppendDisplayName(String& out) const
{
    if (kind == PeriodShiftKind::Count) {
        if (count == 0)
            return;
        if (count > 0)
            out.AppendChar('+');
        out.AppendInt(count);
        out.AppendChar(' ');
        out.AppendCStr(LoadText(text::kShiftUnitYears + (int32_t(unit) & 3)));
        return;
    }
    int32_t k = int32_t(kind);
    if (k >= 1 && k <= 6)
        out.AppendCStr(LoadText(text::kShiftYearBack + (k - 1)));
}

CardKey PeriodShift::Apply(const CardKey& key, TimeFunctionPeriodKind periodKind, ShiftedKeyEdge edge) const
{
    if (key.date == 0)
        return key;
    int64_t months = 0;
    int64_t days = 0;
    switch (kind) {
    case PeriodShiftKind::None: break;
    case PeriodShiftKind::YearBack: months = -12; break;
    case PeriodShiftKind::YearForward: months = 12; break;
    case PeriodShiftKind::QuarterBack: months = -3; break;
    case PeriodShiftKind::QuarterForward: months = 3; break;
    case PeriodShiftKind::MonthBack: months = -1; break;
    case PeriodShiftKind::MonthForward: months = 1; break;
    case PeriodShiftKind::Count:
        switch (unit) {
        case PeriodShiftUnit::Years: months = -12 * int64_t(count); break;
        case PeriodShiftUnit::Months: months = -int64_t(count); break;
        case PeriodShiftUnit::Weeks: days = -7 * int64_t(count); break;
        case PeriodShiftUnit::Days: days = -int64_t(count); break;
        }
        break;
    }
    CardKey shifted = key;
    if (months != 0) {
        // AddMonthsToPackedDate keeps the year within the calendar; past its ends the whole date is
        // the calendar's first or last day.
        int64_t monthIndex = int64_t(PackedDateMonth(key.date)) - 1 + months;
        int64_t targetYear = PackedDateYear(key.date) + (monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12));
        if (targetYear < kFirstPackedYear)
            shifted.date = kFirstPackedDate;
        else if (targetYear > kLastPackedYear)
            shifted.date = kLastPackedDate;
        else
            shifted.date = AddMonthsToPackedDate(key.date, int32_t(months / 12), int32_t(months % 12));
        // Periods that end on a month's last day must land on the target month's last day (28 Feb
        // moved on a year in a leap year is 29 Feb). Only a move by whole months has a target month:
        // applied after a move by days the rule would pull a shifted period end back to its own month.
        if (IsMonthBasedPeriodKind(periodKind) && PackedDateDay(key.date) == DaysInMonthOfPackedDate(key.date))
            shifted.date = PackDateClamped(PackedDateYear(shifted.date), PackedDateMonth(shifted.date), 31);
    } else if (days != 0) {
        shifted.date = DayNumberToPackedDate(int64_t(PackedDateToDayNumber(key.date)) + days);
    }
    shifted.number = edge == ShiftedKeyEdge::RangeEnd ? kOpenEndNumber : 1;
    return shifted;
}

}  // namespace vek
