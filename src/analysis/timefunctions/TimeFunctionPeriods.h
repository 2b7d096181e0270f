// TimeFunctionPeriods: where the periods of a time-functions analysis end, and the date variables of
// a finished period.
#pragma once

#include <cstdint>

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedDate.h"
#include "model/dates/TimeFunctionPeriodKind.h"

namespace vek {

class TimeScale;

// The kind of a stored number; a number outside 0-16 reads as CardDates, the template's default.
TimeFunctionPeriodKind TimeFunctionPeriodKindOf(int32_t kind);

// Kinds whose ends follow from the calendar (or the time scale) alone: 0-11 and 16. The others are
// opened by the cards themselves.
constexpr bool HasPeriodEnds(TimeFunctionPeriodKind kind)
{
    return int32_t(kind) <= int32_t(TimeFunctionPeriodKind::Days) || kind == TimeFunctionPeriodKind::TimeScale;
}

// The values of the built-in variables "year" .. "perioddays" (entries 0-6 of the variable table)
// for one finished period. Weekday runs from Monday 1 to Sunday 7; quarterday and yearday count from
// 1 on the first day of the quarter and of the year.
struct TimeFunctionDateValues {
    double year = 0.0;
    double month = 0.0;
    double day = 0.0;
    double weekday = 0.0;
    double quarterday = 0.0;
    double yearday = 0.0;
    double perioddays = 0.0;
};

// The date values of one day with the given period length (the values of that day, perioddays as
// given). A date of 0 gives every value 0.
TimeFunctionDateValues DateValuesOf(PackedDate date, int32_t periodDays);

// The axis of one time-functions run: its kind, its range and, for kind TimeScale, the time scale
// (which must outlive this object and not change during the run). Every period is keyed by its last
// day; the rows before the axis start go into the opening row, keyed just before the axis start.
//
// Pure and cheap: nothing here allocates, fails or posts a message.
class TimeFunctionPeriods {
public:
    // A TimeScale kind without a time scale has one period from the axis start to the axis end.
    TimeFunctionPeriods(TimeFunctionPeriodKind kind, const CardKey& axisStart, const CardKey& axisEnd,
                        const TimeScale* timeScale);

    TimeFunctionPeriodKind Kind() const { return kind; }
    const CardKey& AxisStart() const { return axisStart; }
    const CardKey& AxisEnd() const { return axisEnd; }
    // The key of the opening row: the card key just before the axis start.
    const CardKey& OpeningKey() const { return openingKey; }

    // The end of the period after the one that ends at `current` (the opening key for the first
    // period), for the kinds with period ends: number 0x7fffffff (kind TimeScale: the key just
    // before the time scale's next period start, which is the open end when periods start at number
    // 1), and never beyond the axis end. Callers stop once the current end reaches the axis end;
    // at or after it the axis end comes back. Other kinds give the axis end.
    CardKey NextEnd(const CardKey& current) const;

    // The first day of the period that ends at `end` when the one before it ended at `previousEnd`:
    // the axis start's date for the first period (previous end before the axis start), else the
    // day after the previous end (the same day when the previous end lies within a day).
    PackedDate PeriodStart(const CardKey& previousEnd) const;

    // The date values of the row keyed `rowKey` whose predecessor is keyed `previousEnd`:
    // - the opening row (keyed before the axis start): the day before the axis start, perioddays 0;
    // - kinds 0-10 and TimeScale: the values of the period's first day, perioddays = days from
    //   the first to the last day (the row's date), both included;
    // - kinds Days to Lines: the values of the row's own date, perioddays 1.
    TimeFunctionDateValues DateValues(const CardKey& previousEnd, const CardKey& rowKey) const;
    // What the variables hold before any period has been finished (the opening row's values).
    TimeFunctionDateValues InitialDateValues() const;

    // The variable "T": years elapsed from the day before the axis start to the date, in years of
    // kElapsedDaysPerYear days. 0 for the day before the axis start.
    double ElapsedYears(PackedDate date) const;
    // The day number that T counts from: the axis start's day number minus 1.
    int32_t ElapsedOrigin() const { return elapsedOrigin; }

private:
    CardKey CalendarEnd(PackedDate date) const;
    CardKey TimeScaleEnd(const CardKey& current) const;

    TimeFunctionPeriodKind kind;
    CardKey axisStart;
    CardKey axisEnd;
    CardKey openingKey;
    const TimeScale* timeScale;
    int32_t elapsedOrigin;
};

}  // namespace vek
