// CardKey: the key of a card, its date and a number unique within that date.
#pragma once

#include <cstdint>

#include "foundation/numbers/PackedDate.h"

namespace vek {

class String;
struct DateTime;

// The key of a card: its date and a number unique within that date. Keys order by date (as
// unsigned words), then by number (signed). The number kOpenEndNumber stands after every card of
// its day; a range "to the end of a day" ends there. {0, 0} is the empty key.
struct CardKey {
    PackedDate date = 0;
    int32_t number = 0;
};

constexpr int32_t kOpenEndNumber = 0x7fffffff;

// 0, 9, 99, ..., 999999999 for n = 0..9 (n below 0 gives 0, above 9 the value for 9).
int32_t MaxForDigits(int32_t n);

// --- Text forms --------------------------------------------------------------------------------------
//
// The date as six digits YYMMDD (eight, YYYYMMDD, outside 1928..2027), "-", and the number: with
// exactly `digits` digits (clamped to 1..9) after capping it at MaxForDigits(digits), or in plain
// decimal. Nothing when the date is 0. At most kCardKeyTextCapacity - 1 bytes; the buffer forms
// NUL-terminate.
constexpr int32_t kCardKeyTextCapacity = 24;

void CursorPutCardKey(char*& cursor, const CardKey& key, int32_t digits);
void CursorPutCardKeyPlain(char*& cursor, const CardKey& key);
void FormatCardKey(char* buffer, const CardKey& key, int32_t digits);
void FormatCardKeyPlain(char* buffer, const CardKey& key);
void FormatCardKey(String& text, const CardKey& key, int32_t digits);
void FormatCardKeyPlain(String& text, const CardKey& key);

// Reads "YYMMDD-number" (or "YYYYMMDD-number"). The date may be shortened and is completed as by
// ParsePackedDate; it ends at the first "-" or after its last digit (one "-" right after it is
// skipped). The rest is the number, read by BytesToIntRounded and at least 1; with nothing left the
// number is 1, or the open end when direction > 0. No digit before the number gives the empty key.
void ParseCardKey(CardKey& key, const char* bytes, int32_t n, int32_t direction);

// Stepping: the next number, or from the open end the next day with number 1; the previous number,
// or from a number below 2 the previous day with the open end. At the ends of the calendar
// (9999-12-31 with the open end, 1900-01-01 with number 0) the key stays where it is; a key with
// the date 0 is left unchanged.
void NextCardKey(CardKey& key);
void PreviousCardKey(CardKey& key);

inline bool CardKeyEquals(const CardKey& a, const CardKey& b)
{
    return a.date == b.date && a.number == b.number;
}
inline bool CardKeyDiffers(const CardKey& a, const CardKey& b)
{
    return !CardKeyEquals(a, b);
}
inline bool CardKeyLess(const CardKey& a, const CardKey& b)
{
    return a.date < b.date || (a.date == b.date && a.number < b.number);
}
inline bool CardKeyLessOrEqual(const CardKey& a, const CardKey& b)
{
    return !CardKeyLess(b, a);
}
inline bool CardKeyGreater(const CardKey& a, const CardKey& b)
{
    return CardKeyLess(b, a);
}
inline bool CardKeyGreaterOrEqual(const CardKey& a, const CardKey& b)
{
    return !CardKeyLess(a, b);
}
// low <= key <= high.
inline bool CardKeyInRange(const CardKey& key, const CardKey& low, const CardKey& high)
{
    return CardKeyLessOrEqual(low, key) && CardKeyLessOrEqual(key, high);
}

// --- Period keys -------------------------------------------------------------------------------------
//
// Keys of a period around today: its first day when direction < 1, else its last day; the number
// 1, or the open end when direction > 0. Dates stay within 1900..9999. The forms with `today` take
// that date in place of the local date (a `today` without a date gives the empty key).

// Today plus `days` days.
void CardKeyOfDay(CardKey& key, int32_t direction, int32_t days);
void CardKeyOfDay(CardKey& key, int32_t direction, int32_t days, const DateTime& today);
// The week (Monday to Sunday) `weeks` weeks from this one: its Monday or its Sunday.
void CardKeyOfWeek(CardKey& key, int32_t direction, int32_t weeks);
void CardKeyOfWeek(CardKey& key, int32_t direction, int32_t weeks, const DateTime& today);
// The month `months` months from this one: day 1 or its last day.
void CardKeyOfMonth(CardKey& key, int32_t direction, int32_t months);
void CardKeyOfMonth(CardKey& key, int32_t direction, int32_t months, const DateTime& today);
// The quarter `quarters` quarters from this one: its first day or its last day.
void CardKeyOfQuarter(CardKey& key, int32_t direction, int32_t quarters);
void CardKeyOfQuarter(CardKey& key, int32_t direction, int32_t quarters, const DateTime& today);
// 1 January or 31 December of the year `years` years from this one.
void CardKeyOfYearEdge(CardKey& key, int32_t direction, int32_t years);
void CardKeyOfYearEdge(CardKey& key, int32_t direction, int32_t years, const DateTime& today);
// The date `days` days from `date`; a date of 0 gives the empty key.
void CardKeyOfDayNumber(CardKey& key, int32_t direction, PackedDate date, int32_t days);

}  // namespace vek
