// PackedTimestamp: making, writing and reading stamps to the minute, and stamped texts.
#include "foundation/numbers/PackedTimestamp.h"

#include <algorithm>
#include <cstring>

#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

bool IsTimestampByte(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ' ' || c == ':';
}

void PutTimestampDateDigits(char*& cursor, PackedTimestamp t)
{
    detail::CursorPutDateTextYear(cursor, PackedTimestampYear(t));
    CursorPut2Digits(cursor, PackedTimestampMonth(t));
    CursorPut2Digits(cursor, PackedTimestampDay(t));
}

// The code's bytes: up to 3, ending at a NUL.
int32_t StampCodeLength(const char* code)
{
    int32_t length = 0;
    while (length < 3 && code[length] != '\0')
        ++length;
    return length;
}

}  // namespace

PackedTimestamp MakePackedTimestamp(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute)
{
    int32_t y = std::clamp(year, int32_t(1900), kLastTimestampYear);
    int32_t m = std::clamp(month, int32_t(1), int32_t(12));
    int32_t d = std::clamp(day, int32_t(1), DaysInMonth(y, m));
    int32_t h = std::clamp(hour, int32_t(0), int32_t(23));
    int32_t mi = std::clamp(minute, int32_t(0), int32_t(59));
    return (PackedTimestamp(y - 1900) << 20) | (PackedTimestamp(m) << 16) | (PackedTimestamp(d) << 11) |
           (PackedTimestamp(h) << 6) | PackedTimestamp(mi);
}

PackedTimestamp PackedTimestampNow()
{
    DateTime now;
    GetCurrentDateTime(now);
    if (!now.HasDate())
        return 0;
    return MakePackedTimestamp(now.year, now.month, now.day, now.hour, now.minute);
}

void CursorPutPackedTimestamp(char*& cursor, PackedTimestamp t)
{
    if (t == 0)
        return;
    PutTimestampDateDigits(cursor, t);
    CursorPut2Digits(cursor, PackedTimestampHour(t));
    CursorPut2Digits(cursor, PackedTimestampMinute(t));
}

void CursorPutPackedTimestampDisplay(char*& cursor, PackedTimestamp t)
{
    if (t == 0)
        return;
    PutTimestampDateDigits(cursor, t);
    *cursor++ = ' ';
    CursorPut2Digits(cursor, PackedTimestampHour(t));
    *cursor++ = ':';
    CursorPut2Digits(cursor, PackedTimestampMinute(t));
}

PackedTimestamp ParsePackedTimestamp(const char* bytes, int32_t n, int32_t direction)
{
    detail::DateTextValue value = detail::ReadDateText(bytes, n, direction, detail::DateTextField::Timestamp);
    if (!value.found)
        return 0;
    return MakePackedTimestamp(value.year, value.month, value.day, value.hour, value.minute);
}

bool StampedText::Equals(const StampedText& other) const
{
    return timestamp == other.timestamp && std::memcmp(code, other.code, sizeof code) == 0;
}

void StampedText::Clear()
{
    timestamp = 0;
    std::memset(code, 0, sizeof code);
}

void StampedText::CursorPutDisplay(char*& cursor) const
{
    if (timestamp != 0) {
        CursorPutPackedTimestampDisplay(cursor, timestamp);
        *cursor++ = ' ';
    }
    CursorPutBytes(cursor, code, StampCodeLength(code));
}

void StampedText::CursorPutCompact(char*& cursor) const
{
    CursorPutPackedTimestamp(cursor, timestamp);
    CursorPutBytes(cursor, code, StampCodeLength(code));
}

void StampedText::Format(char* buffer) const
{
    char* cursor = buffer;
    CursorPutDisplay(cursor);
    *cursor = '\0';
}

void StampedText::Parse(const char* bytes, int32_t n)
{
    Clear();
    if (!bytes || n <= 0)
        return;
    int32_t i = 0;
    while (i < n && IsTimestampByte(bytes[i]))
        ++i;
    timestamp = ParsePackedTimestamp(bytes, i, -1);
    // The code: up to 3 bytes, never ending inside a character (a cut character would leave
    // broken UTF-8 in the card). The bytes after the third show whether it is cut.
    int32_t span = 0;
    while (span < 6 && i + span < n && bytes[i + span] != '\0')
        ++span;
    int32_t length = Utf8SafeCut(bytes + i, span, std::min(span, int32_t(3)));
    std::memcpy(code, bytes + i, size_t(length));
}

void StampedText::ParseCStr(const char* text)
{
    if (!text) {
        Clear();
        return;
    }
    Parse(text, int32_t(std::min(std::strlen(text), size_t(INT32_MAX))));
}

}  // namespace vek
