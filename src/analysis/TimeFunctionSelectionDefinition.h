// TimeFunctionSelectionDefinition: a selection row of a time-functions template.
#pragma once

#include <cstdint>

#include "model/dates/PeriodShift.h"
#include "model/selections/SelectionTexts.h"
#include "model/dates/TimeFunctionPeriodKind.h"
#include "analysis/TimeFunctionRowDefinition.h"

namespace vek {

inline constexpr const char* kPeriodBasisLetters = "PA";

// A row that aggregates the card lines its selection admits, per period: value field 0-23, value mode
// 0-14 (letters "CKcSsPAGDTRMNFL"; mode 2 is always kept as 3), basis and shift.
//
// Key lines: "VN" name, label; the selection texts under the prefix "V"; "VF" value-field letter; "VM"
// mode letter and basis letter (omitted for S and A); "VT" shift text (when set); "VZ" display line.
class TimeFunctionSelectionDefinition final : public TimeFunctionRowDefinition {
public:
    explicit TimeFunctionSelectionDefinition(TimeFunctionsTemplate& owner);
    ~TimeFunctionSelectionDefinition() override;

    SelectionTexts& Selection() { return selection; }
    const SelectionTexts& Selection() const { return selection; }

    int32_t ValueField() const { return valueField; }
    // A field outside 0-23 is ignored.
    void SetValueField(int32_t field);
    int32_t ValueMode() const { return valueMode; }
    // A mode outside 0-14 is ignored; mode 2 becomes 3.
    void SetValueMode(int32_t mode);
    PeriodBasis Basis() const { return basis; }
    void SetBasis(PeriodBasis newBasis) { basis = newBasis; }
    const PeriodShift& Shift() const { return shift; }
    void SetShift(const PeriodShift& newShift) { shift = newShift; }
    // Rows of the older files that start at the axis start (their selection's start is set from the
    // axis when the definition is finished).
    bool StartsAtAxisStart() const { return startsAtAxisStart; }
    void SetStartsAtAxisStart(bool on) { startsAtAxisStart = on; }

    void Write(TextWriter& writer) const override;
    int64_t StoredSize() const override;
    std::unique_ptr<TimeFunctionRowDefinition> CopyFor(TimeFunctionsTemplate& newOwner) const override;

private:
    SelectionTexts selection;
    int32_t valueField = 0;
    int32_t valueMode = 3;
    PeriodBasis basis = PeriodBasis::Accumulated;
    PeriodShift shift;
    bool startsAtAxisStart = false;
};

// The lines of a selection row after its selection texts: "VF", "VM", "VT" and "VZ". A template leaves
// "VM" out at its defaults (S and A); a row's own text block always writes it, so that pasting the
// block sets mode and basis whatever the target row had.
void WriteTimeFunctionSelectionSettings(TextWriter& writer, int32_t valueField, int32_t mode, PeriodBasis basis,
                                        const PeriodShift& shift, const TimeFunctionRowDisplay& display,
                                        bool modeAlways);

}  // namespace vek
