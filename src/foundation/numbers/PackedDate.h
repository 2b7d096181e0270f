// PackedDate: a calendar date in one word, so that dates sort and compare as integers.
#pragma once

#include <cstdint>

namespace vek {

// A calendar date in one word, so that dates sort and compare as integers:
//
//   bits 0-4    day (1..31)
//   bits 5-8    month (1..12)
//   bits 9-22   year - 1900 (the "year field")
//   bits 23-31  0
//
// 0 means that there is no date. Two non-zero dates compare chronologically as unsigned integers.
// Dates of 1900..2027 keep the values of the older 7-bit year field. The layout has room up to the
// year 18283, but every operation here keeps dates within 1900-01-01..9999-12-31, the years that
// the eight-digit text form can carry. Leap years are Gregorian (1900 and 2100 are not).
using PackedDate = uint32_t;

constexpr int32_t kFirstPackedYear = 1900;
constexpr int32_t kLastPackedYear = 9999;
constexpr int32_t kMaxPackedYearField = kLastPackedYear - kFirstPackedYear;

// Packs a date whose fields are already valid.
constexpr PackedDate MakePackedDate(int32_t year, int32_t month, int32_t day)
{
    return (PackedDate(year - kFirstPackedYear) << 9) | (PackedDate(month) << 5) | PackedDate(day);
}
constexpr int32_t PackedDateYear(PackedDate date) { return int32_t(date >> 9) + kFirstPackedYear; }
constexpr int32_t PackedDateMonth(PackedDate date) { return int32_t((date >> 5) & 15); }
constexpr int32_t PackedDateDay(PackedDate date) { return int32_t(date & 31); }

constexpr PackedDate kFirstPackedDate = MakePackedDate(kFirstPackedYear, 1, 1);
constexpr PackedDate kLastPackedDate = MakePackedDate(kLastPackedYear, 12, 31);

// Packs any year, month and day: the year is clamped to 1900..9999, the month to 1..12 and the day
// to 1..the month's length.
PackedDate PackDateClamped(int64_t year, int32_t month, int32_t day);

// Today's local date.
PackedDate TodayPackedDate();

// The neighbouring day, rolling month and year. They stop at 9999-12-31 and 1900-01-01 (the date
// is returned unchanged there); 0 stays 0.
PackedDate NextPackedDate(PackedDate date);
PackedDate PreviousPackedDate(PackedDate date);
// Adds years and months (the month normalised into 1..12 with carries, the year kept within
// 1900..9999) and clamps the day to the new month's length; 0 stays 0.
PackedDate AddMonthsToPackedDate(PackedDate date, int32_t years, int32_t months);
int32_t DaysInMonthOfPackedDate(PackedDate date);

// Day numbers of packed dates count the days since 1899-12-31, so 1900-01-01 is day 1, every
// multiple of 7 is a Sunday, and dates from 1900-03-01 on keep the numbers of the older calendar
// that took 1900 for a leap year. Day number = DateTime day number - 115782. The date 0 gives 0.
int32_t PackedDateToDayNumber(PackedDate date);
// Day numbers below 1 give 1900-01-01, numbers beyond 9999-12-31 give that day.
PackedDate DayNumberToPackedDate(int64_t n);
constexpr int32_t kPackedDayNumberOffset = 115782;

// 0 sorts after every date: -1, 0 or 1 for ascending order, negated when descending is 1.
int32_t ComparePackedDates(PackedDate a, PackedDate b, int32_t descending);

// --- Text forms --------------------------------------------------------------------------------------
//
// A date is written as six digits YYMMDD in 1928..2027 (so existing texts keep their bytes) and as
// eight digits YYYYMMDD in other years. Display styles with a two-digit year likewise write the
// four-digit year outside 1928..2027, so that every written date reads back as itself. A date of 0
// writes nothing. Every writer here writes at most kPackedDateTextCapacity - 1 bytes and no NUL;
// the buffer forms NUL-terminate.
constexpr int32_t kPackedDateTextCapacity = 32;

void CursorPutPackedDateDigits(char*& cursor, PackedDate date);
void FormatPackedDateDigits(char* buffer, PackedDate date);

// The process-wide display style of dates, 0..7 (0 at start). Styles are kept in the preferences
// as the letter at the style's position in "STWFGHUV".
//
//   style letter date        month    day range          month range
//   0     S      060301      0603     060301-15          0603-05
//   1     T      2006.03.01  2006.03  2006.03.01-15      2006.03-05
//   2     W      2006-03-01  2006-03  2006-03-01..15     2006-03..05
//   3     F      01.03.06    03.06    01-15.03.06        03-05.06
//   4     G      01.03.2006  03.2006  01-15.03.2006      03-05.2006
//   5     H      1.3.2006    3.2006   1-15.3.2006        3-5.2006
//   6     U      03/01/06    03/06    03/01-03/15/06     03-05/06
//   7     V      03/01/2006  03/2006  03/01-03/15/2006   03-05/2006
//
// Outside 1928..2027 style 0 writes a month as YYYYMM ("202803"), or as YYYY.MM where the six digits
// would be a date of a two-digit year ("1905.03": "190503" is 2019-05-03).
constexpr int32_t kDateStyleCount = 8;
int32_t GetDateStyle();
// Styles outside 0..7 are ignored.
void SetDateStyle(int32_t style);
// Sets the style to the letter's position in "STWFGHUV"; another letter leaves it unchanged.
void ParseDateStyleLetter(int32_t& style, char letter);
// The letter of a style; 0 for a style outside 0..7.
char DateStyleLetter(int32_t style);

// A date in the process-wide style, or in the given style (nothing for a style outside 0..7).
void CursorPutPackedDate(char*& cursor, PackedDate date);
void CursorPutPackedDateStyled(char*& cursor, PackedDate date, int32_t style);
void FormatPackedDate(char* buffer, PackedDate date);
void FormatPackedDateStyled(char* buffer, PackedDate date, int32_t style);
// Two dates of one month, in the process-wide style: the first date's year and month (styles 0-2)
// or the second date's month and year (styles 3-7) and both days. A `to` of 0 writes `from` alone.
void CursorPutDayRange(char*& cursor, PackedDate from, PackedDate to);
// The month of a date, and two months of one year (the second only when it differs).
void FormatMonth(char* buffer, PackedDate date);
void FormatMonthRange(char* buffer, PackedDate from, PackedDate to);

// Reads a date that may be shortened, completing it to the earliest (direction < 0) or the latest
// (direction >= 0) date it can mean:
//
//   digits   earliest                        latest
//   Y        year Y0, 01-01                  year Y9 (2: year 27), 12-31
//   YY       01-01                           12-31
//   YYM      month M0 (M = 0: 01), day 01    month M2 (M = 0: 09), day 31
//   YYMM     day 01                          day 31
//   YYMMD    day D0 (D = 0: 01)              day D9 (D = 3: 31)
//
// Bytes other than digits are skipped; digits after the sixth are ignored. Two-digit years 00..27
// are 2000..2027 and 28..99 are 1928..1999; the month is clamped to 1..12 and the day to the month.
// The text starts with a four-digit year of 1900..9999 instead, followed by up to four digits MMDD
// completed as above, where no two-digit-year text can be meant:
//   - four digits of a year followed by more digits, whose month is 01..12 ("2028-03", "2006-03-01");
//   - a first run of 4 to 7 digits that has no month 01..12 after two digits but has one after four
//     ("2028" is the year 2028, "202803" March 2028, while "2006" stays June 2020 and "200603"
//     2020-06-03);
//   - a first run of 8, 9 or at least 12 digits that make a date YYYYMMDD ("20280301").
// Runs of 10 and 11 digits (YYMMDDhhmm) keep the two-digit year. No digit gives 0. Never reads
// beyond n bytes. Every date and month written here in styles 0-2 reads back as itself.
PackedDate ParsePackedDate(const char* bytes, int32_t n, int32_t direction);

namespace detail {

// The shortened-date reader shared by packed dates, card keys and timestamps.
enum class DateTextField { Date, CardKey, Timestamp };

struct DateTextValue {
    bool found = false;  // false when no digit was read
    int32_t year = 0;    // full year, 1900..9999
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;    // timestamps only
    int32_t minute = 0;
    int32_t end = 0;     // bytes consumed (card keys: the number starts here)
};

// Card keys stop at the first "-" (consumed) and also consume one "-" right after the date's last
// digit. Timestamps read up to ten digits YYMMDDhhmm, or twelve YYYYMMDDhhmm.
DateTextValue ReadDateText(const char* bytes, int32_t n, int32_t direction, DateTextField field);

// Writes the year as two digits in 1928..2027, else as the full year.
void CursorPutDateTextYear(char*& cursor, int32_t year);

}  // namespace detail

}  // namespace vek
