// CardKey: writing keys as text and the period keys counted from today's month.
#include "foundation/numbers/CardKey.h"

#include <algorithm>

#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

int32_t NumberForDirection(int32_t direction)
{
    return direction > 0 ? kOpenEndNumber : 1;
}

void SetPeriodKey(CardKey& key, int32_t direction, PackedDate date)
{
    key.date = date;
    key.number = NumberForDirection(direction);
}

int64_t CardKeyFloorDivide(int64_t value, int64_t divisor)
{
    int64_t q = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? q - 1 : q;
}

DateTime CardKeyToday()
{
    DateTime now;
    GetCurrentDateTime(now);
    return now;
}

// The first month (0-based, counted from year 0) of the month `offset` months from today's, kept
// within 1900..9999.
int64_t MonthIndexFromToday(const DateTime& today, int64_t offset)
{
    int64_t index = int64_t(today.year) * 12 + (std::clamp(int32_t(today.month), 1, 12) - 1) + offset;
    return std::clamp(index, int64_t(kFirstPackedYear) * 12, int64_t(kLastPackedYear) * 12 + 11);
}

PackedDate FirstDayOfMonthIndex(int64_t index)
{
    return PackDateClamped(index / 12, int32_t(index % 12) + 1, 1);
}

PackedDate LastDayOfMonthIndex(int64_t index)
{
    return PackDateClamped(index / 12, int32_t(index % 12) + 1, 31);
}

}  // namespace

int32_t MaxForDigits(int32_t n)
{
    int32_t max = 0;
    for (int32_t k = 0; k < std::min(n, int32_t(9)); ++k)
        max = max * 10 + 9;
    return max;
}

void CursorPutCardKey(char*& cursor, const CardKey& key, int32_t digits)
{
    if (key.date == 0)
        return;
    int32_t width = std::clamp(digits, int32_t(1), int32_t(9));
    CursorPutPackedDateDigits(cursor, key.date);
    *cursor++ = '-';
    CursorPutIntDigits(cursor, std::clamp(key.number, int32_t(0), MaxForDigits(width)), width);
}

void CursorPutCardKeyPlain(char*& cursor, const CardKey& key)
{
    if (key.date == 0)
        return;
    CursorPutPackedDateDigits(cursor, key.date);
    *cursor++ = '-';
    CursorPutInt(cursor, key.number);
}

void FormatCardKey(char* buffer, const CardKey& key, int32_t digits)
{
    char* cursor = buffer;
    CursorPutCardKey(cursor, key, digits);
    *cursor = '\0';
}

void FormatCardKeyPlain(char* buffer, const CardKey& key)
{
    char* cursor = buffer;
    CursorPutCardKeyPlain(cursor, key);
    *cursor = '\0';
}

void FormatCardKey(String& text, const CardKey& key, int32_t digits)
{
    char buffer[kCardKeyTextCapacity];
    FormatCardKey(buffer, key, digits);
    text.AssignCStr(buffer);
}

void FormatCardKeyPlain(String& text, const CardKey& key)
{
    char buffer[kCardKeyTextCapacity];
    FormatCardKeyPlain(buffer, key);
    text.AssignCStr(buffer);
}

void ParseCardKey(CardKey& key, const char* bytes, int32_t n, int32_t direction)
{
    detail::DateTextValue date = detail::ReadDateText(bytes, n, direction, detail::DateTextField::CardKey);
    if (!date.found) {
        key = CardKey{};
        return;
    }
    key.date = MakePackedDate(date.year, date.month, date.day);
    if (date.end >= n)
        key.number = NumberForDirection(direction);
    else
        key.number = std::max(BytesToIntRounded(bytes + date.end, n - date.end), int32_t(1));
}

void NextCardKey(CardKey& key)
{
    if (key.date == 0)
        return;
    if (key.number != kOpenEndNumber) {
        ++key.number;
        return;
    }
    PackedDate next = NextPackedDate(key.date);
    if (next == key.date)
        return;
    key.date = next;
    key.number = 1;
}

void PreviousCardKey(CardKey& key)
{
    if (key.date == 0)
        return;
    if (key.number >= 2) {
        --key.number;
        return;
    }
    PackedDate previous = PreviousPackedDate(key.date);
    if (previous == key.date) {
        // Nothing lies before the first day: stop before its first card.
        key.number = std::min(key.number, int32_t(0));
        return;
    }
    key.date = previous;
    key.number = kOpenEndNumber;
}

void CardKeyOfDay(CardKey& key, int32_t direction, int32_t days, const DateTime& today)
{
    if (!today.HasDate()) {
        key = CardKey{};
        return;
    }
    DateTime moved = today;
    moved.AddDays(days);
    SetPeriodKey(key, direction, PackDateClamped(moved.year, moved.month, moved.day));
}

void CardKeyOfWeek(CardKey& key, int32_t direction, int32_t weeks, const DateTime& today)
{
    if (!today.HasDate()) {
        key = CardKey{};
        return;
    }
    // DateTime day numbers of Mondays are 3 more than a multiple of 7.
    int64_t t = today.DayNumber();
    int64_t w = (CardKeyFloorDivide(t - 3, 7) + weeks) * 7;
    int64_t day = direction < 1 ? w + 3 : w + 9;
    SetPeriodKey(key, direction, DayNumberToPackedDate(day - kPackedDayNumberOffset));
}

void CardKeyOfMonth(CardKey& key, int32_t direction, int32_t months, const DateTime& today)
{
    if (!today.HasDate()) {
        key = CardKey{};
        return;
    }
    int64_t index = MonthIndexFromToday(today, months);
    SetPeriodKey(key, direction, direction < 1 ? FirstDayOfMonthIndex(index) : LastDayOfMonthIndex(index));
}

void CardKeyOfQuarter(CardKey& key, int32_t direction, int32_t quarters, const DateTime& today)
{
    if (!today.HasDate()) {
        key = CardKey{};
        return;
    }
    int64_t index = MonthIndexFromToday(today, int64_t(quarters) * 3);
    int64_t first = index - index % 3;
    SetPeriodKey(key, direction, direction < 1 ? FirstDayOfMonthIndex(first) : LastDayOfMonthIndex(first + 2));
}

void CardKeyOfYearEdge(CardKey& key, int32_t direction, int32_t years, const DateTime& today)
{
    if (!today.HasDate()) {
        key = CardKey{};
        return;
    }
    int64_t year = int64_t(today.year) + years;
    SetPeriodKey(key, direction, direction < 1 ? PackDateClamped(year, 1, 1) : PackDateClamped(year, 12, 31));
}

void CardKeyOfDay(CardKey& key, int32_t direction, int32_t days)
{
    CardKeyOfDay(key, direction, days, CardKeyToday());
}

void CardKeyOfWeek(CardKey& key, int32_t direction, int32_t weeks)
{
    CardKeyOfWeek(key, direction, weeks, CardKeyToday());
}

void CardKeyOfMonth(CardKey& key, int32_t direction, int32_t months)
{
    CardKeyOfMonth(key, direction, months, CardKeyToday());
}

void CardKeyOfQuarter(CardKey& key, int32_t direction, int32_t quarters)
{
    CardKeyOfQuarter(key, direction, quarters, CardKeyToday());
}

void CardKeyOfYearEdge(CardKey& key, int32_t direction, int32_t years)
{
    CardKeyOfYearEdge(key, direction, years, CardKeyToday());
}

void CardKeyOfDayNumber(CardKey& key, int32_t direction, PackedDate date, int32_t days)
{
    if (date == 0) {
        key = CardKey{};
        return;
    }
    SetPeriodKey(key, direction, DayNumberToPackedDate(int64_t(PackedDateToDayNumber(date)) + days));
}

}  // namespace vek
