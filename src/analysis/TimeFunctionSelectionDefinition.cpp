// TimeFunctionSelectionDefinition: a selection row and its key lines.
#include "analysis/TimeFunctionSelectionDefinition.h"

#include "foundation/streams/TextWriter.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "analysis/AnalysisCodeLetters.h"
#include "model/cards/Card.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"

namespace vek {

namespace {

// Value field, mode, basis, shift and flags beside the common record.
constexpr int64_t kSelectionRowExtraSize = 32;
constexpr int32_t kDefaultSelectionMode = 3;  // S

}  // namespace

TimeFunctionSelectionDefinition::TimeFunctionSelectionDefinition(TimeFunctionsTemplate& owner)
    : TimeFunctionRowDefinition(owner, TimeFunctionRowKind::Selection), selection(owner.GetBase())
{
}

TimeFunctionSelectionDefinition::~TimeFunctionSelectionDefinition() = default;

void TimeFunctionSelectionDefinition::SetValueField(int32_t field)
{
    if (field >= 0 && field < kMaxValueCount)
        valueField = field;
}

void TimeFunctionSelectionDefinition::SetValueMode(int32_t mode)
{
    if (mode >= 0 && mode < kValueModeCount)
        valueMode = FoldMode2(mode);
}

void TimeFunctionSelectionDefinition::Write(TextWriter& writer) const
{
    WriteNameLine(writer, "VN");
    selection.Write(writer, 'V');
    WriteTimeFunctionSelectionSettings(writer, valueField, valueMode, basis, shift, Display(), false);
}

void WriteTimeFunctionSelectionSettings(TextWriter& writer, int32_t valueField, int32_t mode, PeriodBasis basis,
                                        const PeriodShift& shift, const TimeFunctionRowDisplay& display,
                                        bool modeAlways)
{
    writer.WriteKeyCharLine("VF", uint8_t(LetterFromIndex(valueField)));
    if (modeAlways || mode != kDefaultSelectionMode || basis != PeriodBasis::Accumulated) {
        writer.PutText("VM");
        writer.PutSeparator();
        writer.PutChar(uint8_t(ValueModeLetter(mode)));
        writer.PutChar(uint8_t(kPeriodBasisLetters[basis == PeriodBasis::PerPeriod ? 0 : 1]));
        writer.EndRow();
    }
    if (shift.IsSet()) {
        String text;
        shift.AppendText(text);
        writer.WriteKeyTextLine("VT", text.CStr());
    }
    WriteTimeFunctionDisplayLine(writer, "VZ", display);
}

int64_t TimeFunctionSelectionDefinition::StoredSize() const
{
    return CommonStoredSize() + kSelectionRowExtraSize + selection.StoredSize();
}

std::unique_ptr<TimeFunctionRowDefinition> TimeFunctionSelectionDefinition::CopyFor(
    TimeFunctionsTemplate& newOwner) const
{
    auto copy = std::make_unique<TimeFunctionSelectionDefinition>(newOwner);
    copy->CopyCommonFrom(*this);
    copy->selection.Assign(selection);
    copy->valueField = valueField;
    copy->valueMode = valueMode;
    copy->basis = basis;
    copy->shift = shift;
    copy->startsAtAxisStart = startsAtAxisStart;
    return copy;
}

}  // namespace vek
