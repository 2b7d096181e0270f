// PeriodShift: how far a time-functions row looks back (or ahead) from the period being computed.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/numbers/CardKey.h"
#include "model/dates/TimeFunctionPeriodKind.h"

namespace vek {

class String;

// The kinds of shift, with their text forms: none; one year back "Y+" or forward "Y-"; three months
// back "Q+" or forward "Q-"; one month back "M+" or forward "M-"; a count of units back ("+2M",
// "-1W": a negative count moves forward).
enum class PeriodShiftKind : int32_t {
    None = 0,
    YearBack = 1,
    YearForward = 2,
    QuarterBack = 3,
    QuarterForward = 4,
    MonthBack = 5,
    MonthForward = 6,
    Count = 7,
};

// The unit of a counted shift, the position of its letter in "YMWD".
enum class PeriodShiftUnit : int32_t { Years = 0, Months = 1, Weeks = 2, Days = 3 };
inline constexpr const char* kPeriodShiftUnitLetters = "YMWD";

// Which end of a range a shifted key stands for: a range start takes the number 1, a range end the
// open end (kOpenEndNumber), so that the shifted range holds every card of its first and last day.
enum class ShiftedKeyEdge : int32_t { RangeStart, RangeEnd };

// The shift of a selection row: {kind, unit, count}. Only kind Count uses the unit and the count.
struct PeriodShift {
    PeriodShiftKind kind = PeriodShiftKind::None;
    PeriodShiftUnit unit = PeriodShiftUnit::Years;
    int32_t count = 0;

    bool IsSet() const { return kind != PeriodShiftKind::None; }
    bool operator==(const PeriodShift&) const = default;

    // Reads a shift text (blanks at both ends ignored): "+" or "-" with digits and a unit letter gives a
    // counted shift; "Y", "Q" or "M" followed by "+" or "-" gives kinds 1-6; anything else, a count
    // of 0 and a count too large for a card date give no shift. Never fails.
    static PeriodShift Parse(std::string_view text);
    // The text form ("Y+", "+2M", "-1W"); nothing for no shift.
    void AppendText(String& out) const;
    // The name shown to users: the signed count, a blank and the unit's text for a counted shift, the
    // kind's text for kinds 1-6; nothing for no shift.
    void AppendDisplayName(String& out) const;

    // The key moved back by the shift (forward for the "-" kinds and negative counts). Years and
    // months keep the day where the target month has it and clamp it to the month's last day
    // otherwise; weeks and days move by day numbers. With a period kind of 1-6 (half-years to
    // half-months) a month's last day moved by years or months stays a month's last day. The result's
    // number is 1 for a range start and the open end for a range end; dates stay within the
    // calendar's range. A key without a date is returned unchanged.
    CardKey Apply(const CardKey& key, TimeFunctionPeriodKind periodKind, ShiftedKeyEdge edge) const;
};

}  // namespace vek
