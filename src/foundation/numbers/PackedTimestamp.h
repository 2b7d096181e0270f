// PackedTimestamp: a date and time to the minute in one word, and StampedText, a text with its stamp.
#pragma once

#include <cstdint>

namespace vek {

// A date and a time to the minute in one word, so that stamps sort as integers:
//
//   bits 0-5    minute (0..59)
//   bits 6-10   hour (0..23)
//   bits 11-15  day (1..31)
//   bits 16-19  month (1..12)
//   bits 20-31  year - 1900 (0..4095)
//
// 0 means that there is no time. The year field has always had twelve bits, so this layout keeps
// every existing value and already carries the years 1900..5995; later years are clamped to 5995.
using PackedTimestamp = uint32_t;

constexpr int32_t kLastTimestampYear = 1900 + 4095;

// Packs a date and time; every field is clamped into its range (year 1900..5995, month 1..12, day
// 1..the month's length, hour 0..23, minute 0..59).
PackedTimestamp MakePackedTimestamp(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute);
constexpr int32_t PackedTimestampYear(PackedTimestamp t) { return int32_t(t >> 20) + 1900; }
constexpr int32_t PackedTimestampMonth(PackedTimestamp t) { return int32_t((t >> 16) & 15); }
constexpr int32_t PackedTimestampDay(PackedTimestamp t) { return int32_t((t >> 11) & 31); }
constexpr int32_t PackedTimestampHour(PackedTimestamp t) { return int32_t((t >> 6) & 31); }
constexpr int32_t PackedTimestampMinute(PackedTimestamp t) { return int32_t(t & 63); }

// The current local time.
PackedTimestamp PackedTimestampNow();

// Text forms. The compact form is YYMMDDhhmm (ten digits) in 1928..2027 and YYYYMMDDhhmm (twelve)
// in other years; the display form is the date's six or eight digits, a blank, hh, ":", mm.
// Nothing for 0. At most kPackedTimestampTextCapacity - 1 bytes, no NUL.
constexpr int32_t kPackedTimestampTextCapacity = 16;
void CursorPutPackedTimestamp(char*& cursor, PackedTimestamp t);
void CursorPutPackedTimestampDisplay(char*& cursor, PackedTimestamp t);

// Reads a shortened date and time, completing it to the earliest (direction < 0) or the latest
// (direction >= 0) minute it can mean. The date is completed as by ParsePackedDate; then
//
//   time digits   earliest               latest
//   none          00:00                  23:59
//   h             hour h0, minute 00     hour h9 (2: 23), minute 59
//   hh            minute 00              minute 59
//   hhm           minute m0              minute m9
//
// Hours above 23 become 23, minutes above 59 become 59. Up to ten digits are read, or twelve when
// the text starts with a four-digit year as ParsePackedDate takes it ("202803011430",
// "2028-03-01 14:30", "202803"). No digit gives 0. Never reads beyond n bytes.
PackedTimestamp ParsePackedTimestamp(const char* bytes, int32_t n, int32_t direction);

// A stamp: when something was changed and the code (at most 3 bytes of UTF-8, NUL-terminated) of
// the user who changed it. 8 bytes, as in card records.
struct StampedText {
    PackedTimestamp timestamp = 0;
    char code[4] = {};

    bool IsEmpty() const { return timestamp == 0 && code[0] == '\0'; }
    // Timestamps equal and codes equal byte for byte.
    bool Equals(const StampedText& other) const;
    void Clear();

    // The display timestamp and a blank (when the timestamp is not 0), then the code. At most
    // kStampedTextCapacity - 1 bytes, no NUL.
    void CursorPutDisplay(char*& cursor) const;
    // The compact timestamp digits (when not 0) directly followed by the code.
    void CursorPutCompact(char*& cursor) const;
    // The display form into a buffer of kStampedTextCapacity bytes, NUL-terminated.
    void Format(char* buffer) const;

    // The leading run of digits, "-", ".", " " and ":" is the timestamp (read as the earliest
    // minute); from the first other byte on, up to 3 bytes are the code, cut after the last whole
    // UTF-8 character and at a NUL. Never reads beyond n bytes.
    void Parse(const char* bytes, int32_t n);
    // The same over a NUL-terminated text; null clears the stamp.
    void ParseCStr(const char* text);
};
static_assert(sizeof(StampedText) == 8);

constexpr int32_t kStampedTextCapacity = kPackedTimestampTextCapacity + 4;

}  // namespace vek
