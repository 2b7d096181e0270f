// DateTime: day numbers of the Gregorian calendar, seconds, and writing and reading dates and times.
#include "foundation/numbers/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/numbers/CursorWriters.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

constexpr int16_t kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool IsDateTimeDigit(char c)
{
    return c >= '0' && c <= '9';
}

int32_t DateTimeFloorMod(int64_t value, int32_t divisor)
{
    int64_t r = value % divisor;
    return int32_t(r < 0 ? r + divisor : r);
}

int32_t DateTimeKindRank(DateTimeKind kind)
{
    return static_cast<int32_t>(kind);
}

// The year, month and day of a day number in 1..kLastDayNumber: 400-year cycles of 146097 days, in
// which the three century years without 29 February shift the rest; then four-year groups of 1461
// days that start with their leap year.
void DateOfDayNumber(int32_t n, int32_t& year, int32_t& month, int32_t& day)
{
    int32_t m = n + 578178;
    int32_t q = m % 146097;
    if (q > 109631)
        q += 3;
    else if (q > 73107)
        q += 2;
    else if (q > 36583)
        q += 1;
    year = 400 * (m / 146097) + 4 * (q / 1461);
    int32_t r = q % 1461;
    bool leapYearOfGroup = true;
    if (r > 1095) {
        year += 3;
        r -= 1096;
        leapYearOfGroup = false;
    } else if (r > 730) {
        year += 2;
        r -= 731;
        leapYearOfGroup = false;
    } else if (r >= 366) {
        year += 1;
        r -= 366;
        leapYearOfGroup = false;
    }
    if (leapYearOfGroup) {
        if (r == 59) {
            month = 2;
            day = 29;
            return;
        }
        if (r > 59)
            --r;
    }
    int32_t index = 11;
    while (kDaysBeforeMonth[index] > r)
        --index;
    month = index + 1;
    day = r - kDaysBeforeMonth[index] + 1;
}

int32_t ClampedDateTimeYear(int32_t year)
{
    return std::clamp(year, kFirstDateTimeYear, kLastDateTimeYear);
}

int32_t ClampedDateTimeMonth(int32_t month)
{
    return std::clamp(month, int32_t(1), int32_t(12));
}

// Digits of a field; a value that a caller stored out of range is written as its last two digits.
void PutDateTimeField(char*& cursor, int32_t value)
{
    CursorPut2Digits(cursor, DateTimeFloorMod(value, 100));
}

}  // namespace

void DateTime::Clear()
{
    year = month = day = hour = minute = second = 0;
    kind = DateTimeKind::Year;
}

int32_t DateTime::DayNumber() const
{
    if (!HasDate())
        return 0;
    int32_t y = ClampedDateTimeYear(year);
    int32_t m = DateTimeKindRank(kind) >= DateTimeKindRank(DateTimeKind::Month) ? ClampedDateTimeMonth(month) : 1;
    int32_t d = DateTimeKindRank(kind) >= DateTimeKindRank(DateTimeKind::Day) ? std::clamp(int32_t(day), 1, DaysInMonth(y, m)) : 1;
    return DayNumberOfDate(y, m, d);
}

int32_t DateTime::LastDayNumber() const
{
    if (!HasDate())
        return 0;
    int32_t y = ClampedDateTimeYear(year);
    if (kind == DateTimeKind::Year)
        return DayNumberOfDate(y, 12, 31);
    if (kind == DateTimeKind::Month) {
        int32_t m = ClampedDateTimeMonth(month);
        return DayNumberOfDate(y, m, DaysInMonth(y, m));
    }
    return DayNumber();
}

void DateTime::SetFromDayNumber(int32_t n)
{
    if (n < 1) {
        Clear();
        return;
    }
    int32_t y = 0;
    int32_t m = 0;
    int32_t d = 0;
    DateOfDayNumber(std::min(n, kLastDayNumber), y, m, d);
    year = int16_t(y);
    month = int16_t(m);
    day = int16_t(d);
    hour = minute = second = 0;
    kind = DateTimeKind::Day;
}

double DateTime::ToSeconds() const
{
    if (!HasDate())
        return 0;
    double seconds = double(DayNumber()) * 86400.0;
    int32_t rank = DateTimeKindRank(kind);
    if (rank >= DateTimeKindRank(DateTimeKind::Hour))
        seconds += 3600.0 * hour;
    if (rank >= DateTimeKindRank(DateTimeKind::Minute))
        seconds += 60.0 * minute;
    if (rank >= DateTimeKindRank(DateTimeKind::Second))
        seconds += second;
    return seconds;
}

double DateTime::ToEndSeconds() const
{
    if (!HasDate())
        return 0;
    double seconds = double(LastDayNumber()) * 86400.0;
    switch (kind) {
    case DateTimeKind::Year:
    case DateTimeKind::Month:
    case DateTimeKind::Day:
        return seconds + 86399.0;
    case DateTimeKind::Hour:
        return seconds + 3600.0 * hour + 3599.0;
    case DateTimeKind::Minute:
        return seconds + 3600.0 * hour + 60.0 * minute + 59.0;
    case DateTimeKind::Second:
        break;
    }
    return seconds + 3600.0 * hour + 60.0 * minute + second;
}

void DateTime::SetFromSeconds(double seconds)
{
    // Rounding first lets 86399.6 s past midnight become the next day's 00:00:00 instead of 24:00:00.
    double total = std::floor(seconds + 0.5);
    if (!std::isfinite(total) || total < 86400.0 || total >= (double(kLastDayNumber) + 1.0) * 86400.0) {
        Clear();
        return;
    }
    double days = std::floor(total / 86400.0);
    auto secondOfDay = int32_t(total - days * 86400.0);
    SetFromDayNumber(int32_t(days));
    kind = DateTimeKind::Second;
    hour = int16_t(secondOfDay / 3600);
    minute = int16_t(secondOfDay / 60 % 60);
    second = int16_t(secondOfDay % 60);
}

int32_t FirstDayOfWeekOne(int32_t year)
{
    int32_t first = DayNumberOfDate(year, 1, 1);
    int32_t weekday = DateTimeFloorMod(int64_t(first) + 4, 7);
    return weekday <= 3 ? first - weekday : first - weekday + 7;
}

int32_t DateTime::WeekNumber() const
{
    if (!HasDate())
        return 0;
    int32_t y = ClampedDateTimeYear(year);
    int32_t d = DayNumber();
    int32_t start = FirstDayOfWeekOne(y);
    int32_t next = FirstDayOfWeekOne(y + 1);
    if (d < start)
        start = FirstDayOfWeekOne(y - 1);
    else if (d >= next)
        start = next;
    return (d - start) / 7 + 1;
}

int32_t DateTime::Weekday() const
{
    if (!HasDate())
        return 0;
    return DateTimeFloorMod(int64_t(DayNumber()) + 4, 7);
}

int32_t DateTime::AddDays(int32_t n)
{
    if (!HasDate())
        return 0;
    int32_t y = ClampedDateTimeYear(year);
    int32_t m = ClampedDateTimeMonth(month);
    int32_t d = std::clamp(int32_t(day), 1, DaysInMonth(y, m));
    int64_t moved = std::clamp(int64_t(DayNumberOfDate(y, m, d)) + n, int64_t(1), int64_t(kLastDayNumber));
    DateOfDayNumber(int32_t(moved), y, m, d);
    year = int16_t(y);
    month = int16_t(m);
    day = int16_t(d);
    return DaysInMonth(y, m);
}

void DateTime::AddMonths(int32_t n)
{
    if (!HasDate())
        return;
    int32_t y = ClampedDateTimeYear(year);
    int32_t m = ClampedDateTimeMonth(month);
    bool lastDay = day >= DaysInMonth(y, m);
    int64_t index = int64_t(y) * 12 + (m - 1) + n;
    index = std::clamp(index, int64_t(kFirstDateTimeYear) * 12, int64_t(kLastDateTimeYear) * 12 + 11);
    y = int32_t(index / 12);
    m = int32_t(index % 12) + 1;
    int32_t length = DaysInMonth(y, m);
    year = int16_t(y);
    month = int16_t(m);
    // A day the new month lacks (30 January plus one month) becomes its last day, so that the
    // value stays a real date.
    day = int16_t(lastDay ? length : std::min(int32_t(day), length));
}

void DateTime::ExtendToPeriodEdge(int32_t direction)
{
    if (!HasDate())
        return;
    bool end = direction >= 0;
    int32_t rank = DateTimeKindRank(kind);
    if (rank < DateTimeKindRank(DateTimeKind::Month))
        month = int16_t(end ? 12 : 1);
    if (rank < DateTimeKindRank(DateTimeKind::Day))
        day = int16_t(end ? DaysInMonth(ClampedDateTimeYear(year), ClampedDateTimeMonth(month)) : 1);
    if (rank < DateTimeKindRank(DateTimeKind::Hour))
        hour = int16_t(end ? 23 : 0);
    if (rank < DateTimeKindRank(DateTimeKind::Minute))
        minute = int16_t(end ? 59 : 0);
    if (rank < DateTimeKindRank(DateTimeKind::Second))
        second = int16_t(end ? 59 : 0);
}

void DateTime::ParseBytes(const char* bytes, int32_t n)
{
    Clear();
    if (!bytes || n <= 0)
        return;
    int32_t i = 0;
    while (i < n && !IsDateTimeDigit(bytes[i]))
        ++i;
    if (i == n)
        return;

    // The first run of digits, at most 14 of them.
    char first[15];
    int32_t count = 0;
    for (; i < n && IsDateTimeDigit(bytes[i]); ++i) {
        if (count < 14)
            first[count++] = bytes[i];
    }
    if (count == 3) {
        // A year missing its first digit: 987 is 1987, 006 is 2006.
        std::memmove(first + 1, first, 3);
        first[0] = first[1] == '9' ? '1' : '2';
        count = 4;
    }
    if (count == 1) {
        first[1] = first[0];
        first[0] = '0';
        count = 2;
    }
    int32_t leading = (first[0] - '0') * 10 + (first[1] - '0');
    bool twoDigitYear = count == 2 || count == 6 ||
                        ((count == 4 || count == 5) && !(leading >= 16 && leading <= 29) &&
                         (first[2] == '0' || first[2] == '1'));

    // After the year: month, day, hour, minute and second, two digits each.
    char rest[10];
    int32_t restCount = 0;
    int64_t fullYear = 0;
    int32_t consumed = 0;
    if (twoDigitYear) {
        int64_t century = int64_t(pivot) / 100 * 100;
        fullYear = century + leading;
        if (fullYear < pivot)
            fullYear += 100;
        consumed = 2;
    } else {
        fullYear = 0;
        for (int32_t k = 0; k < 4; ++k)
            fullYear = fullYear * 10 + (first[k] - '0');
        consumed = 4;
    }
    for (int32_t k = consumed; k < count; ++k)
        rest[restCount++] = first[k];

    while (i < n && restCount < 10) {
        while (i < n && !IsDateTimeDigit(bytes[i]))
            ++i;
        int32_t runStart = i;
        while (i < n && IsDateTimeDigit(bytes[i]))
            ++i;
        int32_t runLength = i - runStart;
        if (runLength == 0)
            break;
        // A lone digit fills its field (2006-3-1); 3 or 5 digits at the hour lack the hour's
        // leading zero (930 is 09:30).
        bool padded = (runLength == 1 && restCount % 2 == 0) || (restCount == 4 && (runLength == 3 || runLength == 5));
        if (padded && restCount < 10)
            rest[restCount++] = '0';
        for (int32_t k = runStart; k < i && restCount < 10; ++k)
            rest[restCount++] = bytes[k];
    }

    int32_t digits = 4 + restCount;
    kind = static_cast<DateTimeKind>(digits > 4 ? (digits - 3) / 2 : 0);
    auto field = [&](int32_t index) {
        int32_t high = index < restCount ? rest[index] - '0' : 0;
        int32_t low = index + 1 < restCount ? rest[index + 1] - '0' : 0;
        return high * 10 + low;
    };
    int32_t y = int32_t(std::clamp(fullYear, int64_t(kFirstDateTimeYear), int64_t(kLastDateTimeYear)));
    int32_t m = ClampedDateTimeMonth(field(0));
    year = int16_t(y);
    month = int16_t(m);
    day = int16_t(std::clamp(field(2), int32_t(1), DaysInMonth(y, m)));
    hour = int16_t(std::min(field(4), int32_t(23)));
    minute = int16_t(std::min(field(6), int32_t(59)));
    second = int16_t(std::min(field(8), int32_t(59)));
}

void DateTime::ParseCStr(const char* text)
{
    if (!text) {
        Clear();
        return;
    }
    size_t length = std::strlen(text);
    ParseBytes(text, int32_t(std::min(length, size_t(INT32_MAX))));
}

void DateTime::ParseString(const String& text)
{
    ParseBytes(text.CStr(), text.Length());
}

void DateTime::CursorPut(char*& cursor) const
{
    if (!HasDate())
        return;
    int32_t rank = DateTimeKindRank(kind);
    CursorPutInt(cursor, year);
    if (rank >= DateTimeKindRank(DateTimeKind::Month)) {
        *cursor++ = '-';
        PutDateTimeField(cursor, month);
    }
    if (rank >= DateTimeKindRank(DateTimeKind::Day)) {
        *cursor++ = '-';
        PutDateTimeField(cursor, day);
    }
    if (rank >= DateTimeKindRank(DateTimeKind::Hour)) {
        *cursor++ = ' ';
        PutDateTimeField(cursor, hour);
    }
    if (rank >= DateTimeKindRank(DateTimeKind::Minute)) {
        *cursor++ = ':';
        PutDateTimeField(cursor, minute);
    }
    if (rank >= DateTimeKindRank(DateTimeKind::Second)) {
        *cursor++ = ':';
        PutDateTimeField(cursor, second);
    }
}

void DateTime::CursorPutDigits(char*& cursor) const
{
    if (!HasDate())
        return;
    int32_t rank = DateTimeKindRank(kind);
    CursorPutInt(cursor, year);
    const int16_t fields[5] = {month, day, hour, minute, second};
    for (int32_t k = 0; k < 5 && k < rank; ++k)
        PutDateTimeField(cursor, fields[k]);
}

void DateTime::FormatCStr(char* buffer) const
{
    char* cursor = buffer;
    CursorPut(cursor);
    *cursor = '\0';
}

void DateTime::FormatDigitsCStr(char* buffer) const
{
    char* cursor = buffer;
    CursorPutDigits(cursor);
    *cursor = '\0';
}

void DateTime::FormatString(String& text) const
{
    char buffer[kDateTimeTextCapacity];
    FormatCStr(buffer);
    text.AssignCStr(buffer);
}

void DateTime::FormatDigitsString(String& text) const
{
    char buffer[kDateTimeTextCapacity];
    FormatDigitsCStr(buffer);
    text.AssignCStr(buffer);
}

int32_t TodayDayNumber()
{
    DateTime now;
    GetCurrentDateTime(now);
    return now.DayNumber();
}

}  // namespace vek
