// Dates typed by users and read from import files and base files: every reader must stay inside its
// bytes, give a valid value (or none), and read back what its writer makes of that value.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/numbers/PackedTimestamp.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool ValidPackedDate(PackedDate date)
{
    return date >= kFirstPackedDate && date <= kLastPackedDate && PackedDateMonth(date) >= 1 &&
           PackedDateMonth(date) <= 12 && PackedDateDay(date) >= 1 && PackedDateDay(date) <= DaysInMonthOfPackedDate(date);
}

void CheckPackedDate(const char* bytes, int32_t n, int32_t direction)
{
    PackedDate date = ParsePackedDate(bytes, n, direction);
    if (date == 0)
        return;
    Check(ValidPackedDate(date));
    char text[kPackedDateTextCapacity];
    FormatPackedDateDigits(text, date);
    Check(ParsePackedDate(text, int32_t(std::strlen(text)), -direction) == date);
    for (int32_t style = 0; style < kDateStyleCount; ++style) {
        FormatPackedDateStyled(text, date, style);
        Check(std::strlen(text) < size_t(kPackedDateTextCapacity));
    }
}

void CheckCardKey(const char* bytes, int32_t n, int32_t direction)
{
    CardKey key;
    ParseCardKey(key, bytes, n, direction);
    if (key.date == 0) {
        Check(key.number == 0);
        return;
    }
    Check(ValidPackedDate(key.date) && key.number >= 1);
    char text[kCardKeyTextCapacity];
    FormatCardKeyPlain(text, key);
    if (key.number != kOpenEndNumber) {
        CardKey back;
        ParseCardKey(back, text, int32_t(std::strlen(text)), -direction);
        Check(CardKeyEquals(back, key));
    }
    FormatCardKey(text, key, 9);
}

void CheckTimestamp(const char* bytes, int32_t n, int32_t direction)
{
    PackedTimestamp t = ParsePackedTimestamp(bytes, n, direction);
    if (t == 0)
        return;
    int32_t month = PackedTimestampMonth(t);
    Check(month >= 1 && month <= 12);
    Check(PackedTimestampDay(t) >= 1 && PackedTimestampDay(t) <= DaysInMonth(PackedTimestampYear(t), month));
    Check(PackedTimestampHour(t) <= 23 && PackedTimestampMinute(t) <= 59);
    char text[kPackedTimestampTextCapacity];
    char* cursor = text;
    CursorPutPackedTimestamp(cursor, t);
    Check(ParsePackedTimestamp(text, int32_t(cursor - text), -direction) == t);
    cursor = text;
    CursorPutPackedTimestampDisplay(cursor, t);
    Check(ParsePackedTimestamp(text, int32_t(cursor - text), -direction) == t);
}

void CheckDateTime(const char* bytes, int32_t n, int32_t pivot)
{
    DateTime dt;
    dt.pivot = pivot;
    dt.ParseBytes(bytes, n);
    if (!dt.HasDate())
        return;
    Check(dt.year >= kFirstDateTimeYear && dt.year <= kLastDateTimeYear);
    Check(dt.month >= 1 && dt.month <= 12 && dt.day >= 1 && dt.day <= DaysInMonth(dt.year, dt.month));
    Check(dt.hour >= 0 && dt.hour <= 23 && dt.minute >= 0 && dt.minute <= 59 && dt.second >= 0 && dt.second <= 59);
    char text[kDateTimeTextCapacity];
    dt.FormatCStr(text);
    Check(std::strlen(text) < size_t(kDateTimeTextCapacity));
    DateTime back;
    back.SetFromDayNumber(dt.DayNumber());
    Check(back.year == dt.year && back.month == dt.month && back.day == dt.day);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact copy, so that a read past the end is caught even when the fuzzer's buffer is larger.
    std::vector<char> bytes(data, data + size);
    const char* p = bytes.data();
    auto n = int32_t(size > 1000000 ? 1000000 : size);
    for (int32_t direction : {-1, 0, 1}) {
        CheckPackedDate(p, n, direction);
        CheckCardKey(p, n, direction);
        CheckTimestamp(p, n, direction);
    }
    CheckDateTime(p, n, kDefaultPivotYear);
    CheckDateTime(p, n, 1900);

    StampedText stamp;
    stamp.Parse(p, n);
    Check(stamp.code[3] == '\0');
    char text[kStampedTextCapacity];
    stamp.Format(text);
    Check(std::strlen(text) < size_t(kStampedTextCapacity));
    return 0;
}
