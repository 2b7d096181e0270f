// PackedDate: writing dates and months in each display style, and reading and completing typed dates.
#include "foundation/numbers/PackedDate.h"

#include <algorithm>
#include <cstring>

#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/DateTime.h"

namespace vek {

namespace {

// The process-wide display style; used only under the user-interface lock.
int32_t g_dateStyle = 0;

constexpr char kDateStyleLetters[] = "STWFGHUV";

bool IsDateTextDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The fields of a packed date, made valid: a value that was never packed by this code (month 0,
// day 40, a year field beyond 9999) still gives a real date.
struct PackedDateFields {
    int32_t year;
    int32_t month;
    int32_t day;
};

PackedDateFields ValidPackedFields(PackedDate date)
{
    PackedDateFields f;
    f.year = std::min(PackedDateYear(date), kLastPackedYear);
    f.month = std::clamp(PackedDateMonth(date), int32_t(1), int32_t(12));
    f.day = std::clamp(PackedDateDay(date), int32_t(1), DaysInMonth(f.year, f.month));
    return f;
}

int32_t LastPackedDayNumber()
{
    return kLastDayNumber - kPackedDayNumberOffset;
}

void PutStyledYear(char*& cursor, PackedDate date)
{
    CursorPutInt(cursor, PackedDateYear(date));
}

void PutStyledShortYear(char*& cursor, PackedDate date)
{
    detail::CursorPutDateTextYear(cursor, PackedDateYear(date));
}

void PutStyledMonth(char*& cursor, PackedDate date)
{
    CursorPut2Digits(cursor, PackedDateMonth(date));
}

void PutStyledDay(char*& cursor, PackedDate date)
{
    CursorPut2Digits(cursor, PackedDateDay(date));
}

void PutStyledText(char*& cursor, const char* text)
{
    CursorPutCStr(cursor, text);
}

// The month in digits: YYMM in 1928..2027, else YYYYMM. Where those six digits would read as a date of
// a two-digit year (the month of 1905-03 as "190503", which is 2019-05-03), a point follows the year
// ("1905.03"), so that every month written reads back as itself.
void PutMonthDigits(char*& cursor, PackedDate date)
{
    int32_t year = PackedDateYear(date);
    PutStyledShortYear(cursor, date);
    bool fourDigits = year < 1928 || year > 2027;
    if (fourDigits && year % 100 >= 1 && year % 100 <= 12)
        PutStyledText(cursor, ".");
    PutStyledMonth(cursor, date);
}

bool IsDateStyle(int32_t style)
{
    return style >= 0 && style < kDateStyleCount;
}

void PutMonthStyled(char*& cursor, PackedDate date, int32_t style)
{
    switch (style) {
    case 0:
        PutMonthDigits(cursor, date);
        break;
    case 1:
    case 2:
        PutStyledYear(cursor, date);
        PutStyledText(cursor, style == 1 ? "." : "-");
        PutStyledMonth(cursor, date);
        break;
    case 3:
        PutStyledMonth(cursor, date);
        PutStyledText(cursor, ".");
        PutStyledShortYear(cursor, date);
        break;
    case 4:
        PutStyledMonth(cursor, date);
        PutStyledText(cursor, ".");
        PutStyledYear(cursor, date);
        break;
    case 5:
        CursorPutInt(cursor, PackedDateMonth(date));
        PutStyledText(cursor, ".");
        PutStyledYear(cursor, date);
        break;
    case 6:
        PutStyledMonth(cursor, date);
        PutStyledText(cursor, "/");
        PutStyledShortYear(cursor, date);
        break;
    case 7:
        PutStyledMonth(cursor, date);
        PutStyledText(cursor, "/");
        PutStyledYear(cursor, date);
        break;
    default:
        break;
    }
}

void PutMonthRangeStyled(char*& cursor, PackedDate from, PackedDate to, int32_t style)
{
    switch (style) {
    case 0:
    case 1:
    case 2:
        PutMonthStyled(cursor, from, style);
        PutStyledText(cursor, style == 2 ? ".." : "-");
        PutStyledMonth(cursor, to);
        break;
    case 5:
        CursorPutInt(cursor, PackedDateMonth(from));
        PutStyledText(cursor, "-");
        PutMonthStyled(cursor, to, style);
        break;
    case 3:
    case 4:
    case 6:
    case 7:
        PutStyledMonth(cursor, from);
        PutStyledText(cursor, "-");
        PutMonthStyled(cursor, to, style);
        break;
    default:
        break;
    }
}

}  // namespace

PackedDate PackDateClamped(int64_t year, int32_t month, int32_t day)
{
    auto y = int32_t(std::clamp(year, int64_t(kFirstPackedYear), int64_t(kLastPackedYear)));
    int32_t m = std::clamp(month, int32_t(1), int32_t(12));
    int32_t d = std::clamp(day, int32_t(1), DaysInMonth(y, m));
    return MakePackedDate(y, m, d);
}

PackedDate TodayPackedDate()
{
    DateTime now;
    GetCurrentDateTime(now);
    if (!now.HasDate())
        return kFirstPackedDate;
    return PackDateClamped(now.year, now.month, now.day);
}

PackedDate NextPackedDate(PackedDate date)
{
    if (date == 0)
        return 0;
    PackedDateFields f = ValidPackedFields(date);
    if (f.day < DaysInMonth(f.year, f.month))
        return MakePackedDate(f.year, f.month, f.day + 1);
    if (f.month < 12)
        return MakePackedDate(f.year, f.month + 1, 1);
    if (f.year < kLastPackedYear)
        return MakePackedDate(f.year + 1, 1, 1);
    return MakePackedDate(f.year, f.month, f.day);
}

PackedDate PreviousPackedDate(PackedDate date)
{
    if (date == 0)
        return 0;
    PackedDateFields f = ValidPackedFields(date);
    if (f.day > 1)
        return MakePackedDate(f.year, f.month, f.day - 1);
    if (f.month > 1)
        return MakePackedDate(f.year, f.month - 1, DaysInMonth(f.year, f.month - 1));
    if (f.year > kFirstPackedYear)
        return MakePackedDate(f.year - 1, 12, 31);
    return MakePackedDate(f.year, f.month, f.day);
}

PackedDate AddMonthsToPackedDate(PackedDate date, int32_t years, int32_t months)
{
    if (date == 0)
        return 0;
    PackedDateFields f = ValidPackedFields(date);
    int64_t index = int64_t(f.year) * 12 + (f.month - 1) + int64_t(years) * 12 + months;
    index = std::clamp(index, int64_t(kFirstPackedYear) * 12, int64_t(kLastPackedYear) * 12 + 11);
    return PackDateClamped(index / 12, int32_t(index % 12) + 1, f.day);
}

int32_t DaysInMonthOfPackedDate(PackedDate date)
{
    if (date == 0)
        return 0;
    return DaysInMonth(PackedDateYear(date), PackedDateMonth(date));
}

int32_t PackedDateToDayNumber(PackedDate date)
{
    if (date == 0)
        return 0;
    PackedDateFields f = ValidPackedFields(date);
    return DayNumberOfDate(f.year, f.month, f.day) - kPackedDayNumberOffset;
}

PackedDate DayNumberToPackedDate(int64_t n)
{
    DateTime dt;
    dt.SetFromDayNumber(int32_t(std::clamp(n, int64_t(1), int64_t(LastPackedDayNumber())) + kPackedDayNumberOffset));
    return MakePackedDate(dt.year, dt.month, dt.day);
}

int32_t ComparePackedDates(PackedDate a, PackedDate b, int32_t descending)
{
    if (a == 0)
        return b != 0 ? 1 : 0;
    if (b == 0)
        return -1;
    int32_t order = a < b ? -1 : (a > b ? 1 : 0);
    return descending == 1 ? -order : order;
}

void CursorPutPackedDateDigits(char*& cursor, PackedDate date)
{
    if (date == 0)
        return;
    PutStyledShortYear(cursor, date);
    PutStyledMonth(cursor, date);
    PutStyledDay(cursor, date);
}

void FormatPackedDateDigits(char* buffer, PackedDate date)
{
    char* cursor = buffer;
    CursorPutPackedDateDigits(cursor, date);
    *cursor = '\0';
}

int32_t GetDateStyle()
{
    return g_dateStyle;
}

void SetDateStyle(int32_t style)
{
    if (IsDateStyle(style))
        g_dateStyle = style;
}

void ParseDateStyleLetter(int32_t& style, char letter)
{
    if (letter == '\0')
        return;
    const char* found = std::strchr(kDateStyleLetters, letter);
    if (found)
        style = int32_t(found - kDateStyleLetters);
}

char DateStyleLetter(int32_t style)
{
    return IsDateStyle(style) ? kDateStyleLetters[style] : '\0';
}

void CursorPutPackedDateStyled(char*& cursor, PackedDate date, int32_t style)
{
    if (date == 0 || !IsDateStyle(style))
        return;
    switch (style) {
    case 0:
        CursorPutPackedDateDigits(cursor, date);
        break;
    case 1:
    case 2: {
        const char* separator = style == 1 ? "." : "-";
        PutStyledYear(cursor, date);
        PutStyledText(cursor, separator);
        PutStyledMonth(cursor, date);
        PutStyledText(cursor, separator);
        PutStyledDay(cursor, date);
        break;
    }
    case 3:
    case 4:
        PutStyledDay(cursor, date);
        PutStyledText(cursor, ".");
        PutMonthStyled(cursor, date, style);
        break;
    case 5:
        CursorPutInt(cursor, PackedDateDay(date));
        PutStyledText(cursor, ".");
        PutMonthStyled(cursor, date, style);
        break;
    case 6:
    case 7:
        PutStyledMonth(cursor, date);
        PutStyledText(cursor, "/");
        PutStyledDay(cursor, date);
        PutStyledText(cursor, "/");
        if (style == 6)
            PutStyledShortYear(cursor, date);
        else
            PutStyledYear(cursor, date);
        break;
    default:
        break;
    }
}

void CursorPutPackedDate(char*& cursor, PackedDate date)
{
    CursorPutPackedDateStyled(cursor, date, g_dateStyle);
}

void FormatPackedDate(char* buffer, PackedDate date)
{
    FormatPackedDateStyled(buffer, date, g_dateStyle);
}

void FormatPackedDateStyled(char* buffer, PackedDate date, int32_t style)
{
    char* cursor = buffer;
    CursorPutPackedDateStyled(cursor, date, style);
    *cursor = '\0';
}

void CursorPutDayRange(char*& cursor, PackedDate from, PackedDate to)
{
    if (from == 0)
        return;
    int32_t style = g_dateStyle;
    if (to == 0) {
        CursorPutPackedDateStyled(cursor, from, style);
        return;
    }
    switch (style) {
    case 0:
    case 1:
    case 2:
        CursorPutPackedDateStyled(cursor, from, style);
        PutStyledText(cursor, style == 2 ? ".." : "-");
        PutStyledDay(cursor, to);
        break;
    case 3:
    case 4:
        PutStyledDay(cursor, from);
        PutStyledText(cursor, "-");
        CursorPutPackedDateStyled(cursor, to, style);
        break;
    case 5:
        CursorPutInt(cursor, PackedDateDay(from));
        PutStyledText(cursor, "-");
        CursorPutPackedDateStyled(cursor, to, style);
        break;
    case 6:
    case 7:
        PutStyledMonth(cursor, from);
        PutStyledText(cursor, "/");
        PutStyledDay(cursor, from);
        PutStyledText(cursor, "-");
        CursorPutPackedDateStyled(cursor, to, style);
        break;
    default:
        break;
    }
}

void FormatMonth(char* buffer, PackedDate date)
{
    char* cursor = buffer;
    if (date != 0)
        PutMonthStyled(cursor, date, g_dateStyle);
    *cursor = '\0';
}

void FormatMonthRange(char* buffer, PackedDate from, PackedDate to)
{
    char* cursor = buffer;
    if (from != 0) {
        if (to == 0 || (to >> 5) == (from >> 5))
            PutMonthStyled(cursor, from, g_dateStyle);
        else
            PutMonthRangeStyled(cursor, from, to, g_dateStyle);
    }
    *cursor = '\0';
}

PackedDate ParsePackedDate(const char* bytes, int32_t n, int32_t direction)
{
    detail::DateTextValue value = detail::ReadDateText(bytes, n, direction, detail::DateTextField::Date);
    if (!value.found)
        return 0;
    return MakePackedDate(value.year, value.month, value.day);
}

namespace detail {

namespace {

int32_t DateTextDigitPair(const char* digits, int32_t at)
{
    return (digits[at] - '0') * 10 + (digits[at + 1] - '0');
}

bool IsPackedYear(int32_t year)
{
    return year >= kFirstPackedYear && year <= kLastPackedYear;
}

// A month of two digits at `at`, or no digits there at all.
bool IsMonthOrAbsent(const char* digits, int32_t count, int32_t at)
{
    if (count < at + 2)
        return true;
    int32_t month = DateTextDigitPair(digits, at);
    return month >= 1 && month <= 12;
}

// Eight digits that can only be a date YYYYMMDD of the packed range.
bool IsFourDigitYearDate(const char* digits)
{
    int32_t year = DateTextDigitPair(digits, 0) * 100 + DateTextDigitPair(digits, 2);
    int32_t month = DateTextDigitPair(digits, 4);
    int32_t day = DateTextDigitPair(digits, 6);
    return IsPackedYear(year) && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// Whether the digits start with a four-digit year. The two-digit-year forms are what existing texts
// hold and what 1928..2027 are still written in, so a four-digit year is taken only where they cannot
// be meant:
// - a first run of four digits that form a year and are followed by more digits ("2028-03",
//   "2006-03-01"): no written two-digit-year text starts so;
// - a first run of four to seven digits whose two-digit-year reading has no month ("2028", "202803",
//   "2100", "2028031"), while the four-digit reading has one: "2006" stays June 2020 and "200603"
//   stays 2020-06-03, as they were always written;
// - a first run of eight, nine or at least twelve digits that make a date YYYYMMDD ("20280301",
//   "202803011" with the start of an hour or a card number). Runs of ten and eleven digits are the
//   YYMMDDhhmm form.
bool StartsWithFourDigitYear(const char* digits, int32_t count, int32_t firstRun)
{
    if (count < 4)
        return false;
    if (firstRun >= 8)
        return firstRun != 10 && firstRun != 11 && count >= 8 && IsFourDigitYearDate(digits);
    int32_t year = DateTextDigitPair(digits, 0) * 100 + DateTextDigitPair(digits, 2);
    if (!IsPackedYear(year) || !IsMonthOrAbsent(digits, count, 4))
        return false;
    if (firstRun == 4 && count > 4)
        return true;
    return firstRun >= 4 && !IsMonthOrAbsent(digits, count, 2);
}

}  // namespace

DateTextValue ReadDateText(const char* bytes, int32_t n, int32_t direction, DateTextField field)
{
    DateTextValue value;
    if (!bytes || n <= 0)
        return value;
    const bool timestamp = field == DateTextField::Timestamp;
    const bool cardKey = field == DateTextField::CardKey;
    const int32_t narrowLimit = timestamp ? 10 : 6;
    const int32_t wideLimit = timestamp ? 12 : 8;

    // Collect the digits a four-digit-year reading would take, and how long the first run is.
    char digits[12];
    int32_t positions[12];
    int32_t count = 0;
    int32_t firstRun = 0;
    bool firstRunEnded = false;
    int32_t dashAt = -1;
    for (int32_t i = 0; i < n; ++i) {
        char c = bytes[i];
        if (IsDateTextDigit(c)) {
            if (!firstRunEnded)
                ++firstRun;
            if (count < wideLimit) {
                digits[count] = c;
                positions[count] = i;
                ++count;
            } else if (firstRunEnded) {
                break;
            }
        } else {
            if (firstRun > 0)
                firstRunEnded = true;
            if (cardKey && c == '-') {
                dashAt = i;
                break;
            }
            if (count == wideLimit && firstRunEnded)
                break;
        }
    }
    if (count == 0) {
        value.end = dashAt >= 0 ? dashAt + 1 : n;
        return value;
    }

    bool wide = StartsWithFourDigitYear(digits, count, firstRun);
    int32_t limit = wide ? wideLimit : narrowLimit;
    int32_t used = std::min(count, limit);
    if (used == limit) {
        value.end = positions[used - 1] + 1;
        if (cardKey && value.end < n && bytes[value.end] == '-')
            ++value.end;
    } else {
        value.end = dashAt >= 0 ? dashAt + 1 : n;
    }

    // The year, then month and day completed alike after either kind of year.
    const bool latest = direction >= 0;
    auto digit = [&](int32_t k) { return digits[k] - '0'; };
    const int32_t yearDigits = wide ? 4 : 2;
    int32_t dateDigits = std::min(used, yearDigits + 4);
    int32_t year = 0;
    if (wide) {
        year = DateTextDigitPair(digits, 0) * 100 + DateTextDigitPair(digits, 2);
    } else {
        int32_t yy = 0;
        if (dateDigits == 1) {
            int32_t y = digit(0);
            yy = y * 10 + (latest ? (y == 2 ? 7 : 9) : 0);
        } else {
            yy = DateTextDigitPair(digits, 0);
        }
        year = yy < 28 ? 2000 + yy : 1900 + yy;
    }
    int32_t monthAt = yearDigits;
    int32_t dayAt = yearDigits + 2;
    int32_t month = 0;
    if (dateDigits <= monthAt) {
        month = latest ? 12 : 1;
    } else if (dateDigits == monthAt + 1) {
        int32_t m = digit(monthAt);
        month = latest ? (m == 0 ? 9 : m * 10 + 2) : (m == 0 ? 1 : m * 10);
    } else {
        month = DateTextDigitPair(digits, monthAt);
    }
    int32_t day = 0;
    if (dateDigits <= dayAt) {
        day = latest ? 31 : 1;
    } else if (dateDigits == dayAt + 1) {
        int32_t d = digit(dayAt);
        day = latest ? (d == 3 ? 31 : d * 10 + 9) : (d == 0 ? 1 : d * 10);
    } else {
        day = DateTextDigitPair(digits, dayAt);
    }
    month = std::clamp(month, int32_t(1), int32_t(12));
    day = std::clamp(day, int32_t(1), DaysInMonth(year, month));

    int32_t hour = latest ? 23 : 0;
    int32_t minute = latest ? 59 : 0;
    if (timestamp) {
        int32_t timeDigits = used - dateDigits;
        int32_t at = dateDigits;
        if (timeDigits == 1) {
            int32_t h = digit(at);
            hour = latest ? (h == 2 ? 23 : h * 10 + 9) : h * 10;
        } else if (timeDigits >= 2) {
            hour = DateTextDigitPair(digits, at);
            if (timeDigits == 3) {
                int32_t m = digit(at + 2);
                minute = latest ? m * 10 + 9 : m * 10;
            } else if (timeDigits >= 4) {
                minute = DateTextDigitPair(digits, at + 2);
            }
        }
        hour = std::min(hour, int32_t(23));
        minute = std::min(minute, int32_t(59));
    }

    value.found = true;
    value.year = year;
    value.month = month;
    value.day = day;
    value.hour = hour;
    value.minute = minute;
    return value;
}

void CursorPutDateTextYear(char*& cursor, int32_t year)
{
    if (year >= 1928 && year <= 2027)
        CursorPut2Digits(cursor, year % 100);
    else
        CursorPutInt(cursor, year);
}

}  // namespace detail

}  // namespace vek
