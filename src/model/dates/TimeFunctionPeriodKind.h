// TimeFunctionPeriodKind: how a time-functions axis is cut into periods.
#pragma once

#include <cstdint>

namespace vek {

// The period kinds, the position of their letter in kPeriodKindLetters.
enum class TimeFunctionPeriodKind : int32_t {
    Years = 0,
    HalfYears = 1,
    Tertials = 2,  // four months
    Quarters = 3,
    TwoMonths = 4,
    Months = 5,
    HalfMonths = 6,
    FourWeeks = 7,
    ThreeWeeks = 8,
    TwoWeeks = 9,
    Weeks = 10,
    Days = 11,
    CardDates = 12,  // one period per card date
    Cards = 13,      // one period per card
    LineGroups = 14, // one period per line group
    Lines = 15,      // one period per line
    TimeScale = 16,  // the periods of a named time scale
};

inline constexpr const char* kPeriodKindLetters = "YHTQNMK432WDACGLX";
inline constexpr int32_t kPeriodKindCount = 17;

// Whether a selection row's value restarts every period or runs on from the start of its selection:
// the position of its letter in "PA".
enum class PeriodBasis : int32_t { PerPeriod = 0, Accumulated = 1 };

// Half-years to half-months: the kinds whose periods end on a month's last day (or its 15th).
constexpr bool IsMonthBasedPeriodKind(TimeFunctionPeriodKind kind)
{
    return kind >= TimeFunctionPeriodKind::HalfYears && kind <= TimeFunctionPeriodKind::HalfMonths;
}

}  // namespace vek
