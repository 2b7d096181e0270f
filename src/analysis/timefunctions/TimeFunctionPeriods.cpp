#include "analysis/timefunctions/TimeFunctionPeriods.h"

#include "analysis/AnalysisCodes.h"
#include "foundation/numbers/DateTime.h"
#include "model/dates/TimeScale.h"

namespace vek {

namespace {

// Months per period of the kinds Years .. Months.
constexpr int32_t kPeriodMonths[6] = {12, 6, 4, 3, 2, 1};

// Weeks per period of the kinds FourWeeks .. Weeks.
constexpr int32_t kPeriodWeeks[4] = {4, 3, 2, 1};

// The last day of the period of `months` months that holds the date (periods aligned on January).
PackedDate MonthPeriodEnd(PackedDate date, int32_t months)
{
    int32_t year = PackedDateYear(date);
    int32_t endMonth = (PackedDateMonth(date) - 1) / months * months + months;
    return MakePackedDate(year, endMonth, DaysInMonth(year, endMonth));
}

}  // namespace

TimeFunctionPeriodKind TimeFunctionPeriodKindOf(int32_t kind)
{
    if (kind < 0 || kind >= kPeriodKindCount)
        return TimeFunctionPeriodKind::CardDates;
    return TimeFunctionPeriodKind(kind);
}

TimeFunctionDateValues DateValuesOf(PackedDate date, int32_t periodDays)
{
    TimeFunctionDateValues values;
    if (date == 0)
        return values;
    int32_t year = PackedDateYear(date);
    int32_t month = PackedDateMonth(date);
    int32_t dayNumber = PackedDateToDayNumber(date);
    int32_t quarterMonth = (month - 1) / 3 * 3 + 1;
    values.year = year;
    values.month = month;
    values.day = PackedDateDay(date);
    // Packed day numbers put every Sunday on a multiple of 7.
    values.weekday = double((dayNumber + 6) % 7 + 1);
    values.quarterday = double(dayNumber - PackedDateToDayNumber(MakePackedDate(year, quarterMonth, 1)) + 1);
    values.yearday = double(dayNumber - PackedDateToDayNumber(MakePackedDate(year, 1, 1)) + 1);
    values.perioddays = periodDays;
    return values;
}

TimeFunctionPeriods::TimeFunctionPeriods(TimeFunctionPeriodKind kind, const CardKey& axisStart,
                                         const CardKey& axisEnd, const TimeScale* timeScale)
    : kind(kind), axisStart(axisStart), axisEnd(axisEnd), openingKey(axisStart), timeScale(timeScale),
      elapsedOrigin(PackedDateToDayNumber(axisStart.date) - 1)
{
    PreviousCardKey(openingKey);
}

CardKey TimeFunctionPeriods::NextEnd(const CardKey& current) const
{
    CardKey end = axisEnd;
    if (kind == TimeFunctionPeriodKind::TimeScale) {
        end = TimeScaleEnd(current);
    } else if (HasPeriodEnds(kind)) {
        // The first period ends as if the one before it had ended on the day before the axis start
        // (date 0 for an axis from the first day of the calendar, counted as day number 0).
        PackedDate previous = current.date;
        if (CardKeyLess(current, axisStart))
            previous = axisStart.date > kFirstPackedDate ? PreviousPackedDate(axisStart.date) : 0;
        end = CalendarEnd(previous);
    }
    return CardKeyGreater(end, axisEnd) ? axisEnd : end;
}

CardKey TimeFunctionPeriods::CalendarEnd(PackedDate previous) const
{
    int32_t k = int32_t(kind);
    PackedDate first = previous != 0 ? NextPackedDate(previous) : kFirstPackedDate;
    PackedDate end = 0;
    if (k <= int32_t(TimeFunctionPeriodKind::Months)) {
        end = MonthPeriodEnd(first, kPeriodMonths[k]);
    } else if (kind == TimeFunctionPeriodKind::HalfMonths) {
        end = PackedDateDay(first) <= 15 ? (first & ~PackedDate(31)) | 15
                                         : MonthPeriodEnd(first, 1);
    } else if (kind == TimeFunctionPeriodKind::Days) {
        end = first;
    } else {
        // Week periods end on a Sunday (a multiple of 7) at least one week after the previous end,
        // so only the first period can be shorter or longer than the rest.
        int32_t n = 7 * kPeriodWeeks[k - int32_t(TimeFunctionPeriodKind::FourWeeks)];
        end = DayNumberToPackedDate((int64_t(PackedDateToDayNumber(previous)) + n) / 7 * 7);
    }
    return CardKey{end, kOpenEndNumber};
}

CardKey TimeFunctionPeriods::TimeScaleEnd(const CardKey& current) const
{
    if (timeScale == nullptr)
        return axisEnd;
    CardKey next = current;
    if (CardKeyLess(current, axisStart))
        next = axisStart;
    else
        NextCardKey(next);
    CardKey start;
    timeScale->NextPeriodStart(next, start);
    // The last period is open at its end: it runs to the axis end.
    if (start.date == 0 || start.number == kOpenEndNumber || start.date > kLastPackedDate)
        return axisEnd;
    PreviousCardKey(start);
    return start;
}

PackedDate TimeFunctionPeriods::PeriodStart(const CardKey& previousEnd) const
{
    if (CardKeyLess(previousEnd, axisStart))
        return axisStart.date;
    // A time-scale period may end within a day; the next one then starts on that day.
    if (previousEnd.number != kOpenEndNumber)
        return previousEnd.date;
    return NextPackedDate(previousEnd.date);
}

TimeFunctionDateValues TimeFunctionPeriods::DateValues(const CardKey& previousEnd, const CardKey& rowKey) const
{
    if (CardKeyLess(rowKey, axisStart))
        return InitialDateValues();
    if (int32_t(kind) < int32_t(TimeFunctionPeriodKind::Days) || kind == TimeFunctionPeriodKind::TimeScale) {
        PackedDate start = PeriodStart(previousEnd);
        int32_t days = PackedDateToDayNumber(rowKey.date) - PackedDateToDayNumber(start) + 1;
        return DateValuesOf(start, days);
    }
    return DateValuesOf(rowKey.date, 1);
}

TimeFunctionDateValues TimeFunctionPeriods::InitialDateValues() const
{
    PackedDate before = axisStart.date > kFirstPackedDate ? PreviousPackedDate(axisStart.date) : 0;
    return DateValuesOf(before, 0);
}

double TimeFunctionPeriods::ElapsedYears(PackedDate date) const
{
    // T measures time, not a rate: a year is the calendar's mean length.
    return double(PackedDateToDayNumber(date) - elapsedOrigin) / kElapsedDaysPerYear;
}

}  // namespace vek
