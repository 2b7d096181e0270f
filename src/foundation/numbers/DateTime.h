// DateTime: a calendar date and time of day, with day numbers and conversions to seconds and text.
#pragma once

#include <cstdint>

namespace vek {

class String;

// The Gregorian calendar (leap years: every fourth, except centuries not divisible by 400).
constexpr bool IsLeapYear(int32_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// 31, 30, 28 or 29; 0 for a month outside 1..12.
constexpr int32_t DaysInMonth(int32_t year, int32_t month)
{
    constexpr int8_t lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month - 1];
}

// Serial day numbers count from 1583-01-01 = 1 (1900-01-01 is 115783, 2000-01-01 is 152307).
// Weekday = (day number + 4) mod 7 with 0 = Monday.
constexpr int32_t kFirstDateTimeYear = 1583;
constexpr int32_t kLastDateTimeYear = 9999;

// The day number of a date of 1583..9999; the month must be 1..12 (the day is not checked).
constexpr int32_t DayNumberOfDate(int32_t year, int32_t month, int32_t day)
{
    constexpr int16_t daysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int32_t n = 365 * year + year / 4 - year / 100 + year / 400 + daysBeforeMonth[month - 1] + day - 1 -
                578177;
    if (month < 3 && IsLeapYear(year))
        --n;
    return n;
}

constexpr int32_t kLastDayNumber = DayNumberOfDate(kLastDateTimeYear, 12, 31);

// The precision a DateTime carries: the fields up to and including it are meaningful.
enum class DateTimeKind : int32_t { Year = 0, Month = 1, Day = 2, Hour = 3, Minute = 4, Second = 5 };

// Two-digit years are read into the hundred years starting here (40..99 -> 1940..1999,
// 00..39 -> 2000..2039).
constexpr int32_t kDefaultPivotYear = 1940;

// Room for the text of a DateTime with a NUL: "9999-12-31 23:59:59", or "99991231235959" (more
// when a caller stored a year outside 1583..9999).
constexpr int32_t kDateTimeTextCapacity = 24;

// A date from 1583 to 9999 with an optional time of day and its precision. day == 0 means that
// there is no date; every operation on such a value leaves it without a date (or answers 0).
struct DateTime {
    int16_t year = 0;
    int16_t month = 0;
    int16_t day = 0;
    int16_t hour = 0;
    int16_t minute = 0;
    int16_t second = 0;
    DateTimeKind kind = DateTimeKind::Year;
    int32_t pivot = kDefaultPivotYear;

    bool HasDate() const { return day != 0; }
    // Clears the date and the time; the pivot is kept.
    void Clear();

    // 0 without a date. Kinds Year and Month count from the first day of the year or month.
    int32_t DayNumber() const;
    // The last day of the period the kind spans (31 December, the month's last day, the day).
    int32_t LastDayNumber() const;
    // n < 1 clears the date; otherwise the date with kind Day and 00:00:00. Days beyond
    // 9999-12-31 give that day.
    void SetFromDayNumber(int32_t n);

    // Seconds since the day-number epoch (day number * 86400 plus the time the kind carries);
    // 0 without a date.
    double ToSeconds() const;
    // The last second of the period the kind spans.
    double ToEndSeconds() const;
    // The date and time of a count of seconds, rounded to the nearest second, with kind Second.
    // Below one day, not finite or beyond 9999 there is no date.
    void SetFromSeconds(double seconds);

    // ISO 8601 week number 1..53; 0 without a date.
    int32_t WeekNumber() const;
    // 0 Monday .. 6 Sunday; 0 also without a date.
    int32_t Weekday() const;

    // Moves the date by n days (staying within 1583..9999) and returns the length of the
    // resulting month; 0 without a date.
    int32_t AddDays(int32_t n);
    // Moves the month by n, carrying into the year (clamped to 1583..9999). The last day of a
    // month stays the last day; another day is kept, and clamped to the new month's length.
    void AddMonths(int32_t n);
    // Fills the fields below the kind with the start (direction < 0) or the end (direction >= 0)
    // of the period; the kind is not changed.
    void ExtendToPeriodEdge(int32_t direction);

    // Reads a date typed or imported as free text, year first: the first run of digits holds the
    // year (two-digit and three-digit years are completed), later runs continue with month, day,
    // hour, minute and second. The precision follows the count of digits; out-of-range fields
    // are clamped. Text without a digit clears the date. Never reads beyond n bytes.
    void ParseBytes(const char* bytes, int32_t n);
    // The same over a NUL-terminated text; null clears the date.
    void ParseCStr(const char* text);
    void ParseString(const String& text);

    // "2006-03-01 14:03:55", as far as the kind carries; nothing without a date. Writes at most
    // kDateTimeTextCapacity - 1 bytes and no NUL.
    void CursorPut(char*& cursor) const;
    // The same fields without separators: "20060301140355".
    void CursorPutDigits(char*& cursor) const;
    // Into a buffer of kDateTimeTextCapacity bytes, NUL-terminated.
    void FormatCStr(char* buffer) const;
    void FormatDigitsCStr(char* buffer) const;
    void FormatString(String& text) const;
    void FormatDigitsString(String& text) const;
};

// The current local date and time with kind Second, from the registered clock (Clock.h).
void GetCurrentDateTime(DateTime& dateTime);

// The day number of today's local date.
int32_t TodayDayNumber();
// The day number of the Monday that starts ISO week 1 of the year.
int32_t FirstDayOfWeekOne(int32_t year);

}  // namespace vek
