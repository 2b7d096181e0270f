#include "analysis/timefunctions/TimeFunctionSelectionRow.h"

#include <string_view>

#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/OptionLetters.h"
#include "analysis/AnalysisCodeLetters.h"
#include "model/base/Base.h"
#include "model/selections/SelectionTexts.h"
#include "analysis/TimeFunctionRowDisplay.h"
#include "analysis/TimeFunctionSelectionDefinition.h"

namespace vek {

TimeFunctionSelectionRow::TimeFunctionSelectionRow(TimeFunctionsComputation& computation)
    : TimeFunctionRow(computation, TimeFunctionRowKind::Selection),
      selection(computation.GetBase(), computation.GetBase().GlobalSubsetOperands())
{
    UpdateRange();
}

TimeFunctionSelectionRow::~TimeFunctionSelectionRow() = default;

int32_t TimeFunctionSelectionRow::Ordinal() const { return owner.PositionInKind(*this); }

void TimeFunctionSelectionRow::UpdateRange()
{
    rangeStart = selection.From().Value();
    rangeEnd = selection.To().Value();
    if (limited) {
        if (CardKeyLess(rangeStart, limitStart))
            rangeStart = limitStart;
        if (CardKeyGreater(rangeEnd, limitEnd))
            rangeEnd = limitEnd;
    }
}

void TimeFunctionSelectionRow::LimitToPeriod(const CardKey& periodStart, const CardKey& periodEnd,
                                             TimeFunctionPeriodKind periodKind)
{
    CardKey start = shift.Apply(periodStart, periodKind, ShiftedKeyEdge::RangeStart);
    CardKey end = shift.Apply(periodEnd, periodKind, ShiftedKeyEdge::RangeEnd);
    limited = true;
    limitStart = CardKey{};
    limitEnd = CardKey{kLastPackedDate, kOpenEndNumber};
    if (basis == PeriodBasis::PerPeriod && CardKeyLessOrEqual(selection.From().Value(), start))
        limitStart = start;
    if (CardKeyGreaterOrEqual(selection.To().Value(), end))
        limitEnd = end;
    UpdateRange();
}

void TimeFunctionSelectionRow::ClearLimit()
{
    limited = false;
    UpdateRange();
}

void TimeFunctionSelectionRow::Prepare()
{
    if (prepared)
        return;
    prepared = true;
    UpdateRange();
    Base& base = owner.GetBase();
    decimalsCode = valueField < base.ValueCount() ? base.ValueFormat(valueField) : 0;
    aggregator.Configure(mode, basis, decimalsCode);
    owner.PushAccumulator(*this);
}

}  // namespace vek

namespace vek {

namespace {

std::string_view SelectionRowToken(const TextReader& reader) { return {reader.Token(), size_t(reader.TokenLength())}; }

}  // namespace

void TimeFunctionSelectionRow::CopyFromDefinition(const TimeFunctionRowDefinition& definition)
{
    display = definition.Display();
    if (!definition.IsSelection())
        return;
    const auto& source = static_cast<const TimeFunctionSelectionDefinition&>(definition);
    selection.ApplyTexts(source.Selection());
    valueField = source.ValueField();
    SetMode(source.ValueMode());
    basis = source.Basis();
    shift = source.Shift();
    UpdateRange();
}

void TimeFunctionSelectionRow::WriteText(TextWriter& writer) const
{
    writer.PutText("## Selection");
    writer.PutSeparator();
    writer.PutText(name.CStr());
    writer.PutSeparator();
    writer.PutText(label.CStr());
    writer.EndRow();
    SelectionTexts texts(owner.GetBase());
    texts.Capture(selection);
    texts.Write(writer, 'V');
    WriteTimeFunctionSelectionSettings(writer, valueField, mode, basis, shift, display, true);
}

bool TimeFunctionSelectionRow::ReadText(TextReader& reader)
{
    SelectionTexts texts(owner.GetBase());
    texts.Capture(selection);
    bool another = false;
    while (reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        std::string_view key = SelectionRowToken(reader);
        if (!key.empty() && key[0] == '#') {
            reader.RestartLine();
            another = true;
            break;
        }
        char letter = 0;
        if (key == "VF") {
            if (reader.NextFieldChar(letter) && letter != 0) {
                int32_t field = IndexFromDigitOrLetter(letter);
                if (field >= 0 && field < owner.GetBase().ValueCount())
                    valueField = field;
            }
        } else if (key == "VM") {
            if (reader.NextFieldRaw()) {
                std::string_view letters = SelectionRowToken(reader);
                int32_t newMode = mode;
                if (!letters.empty())
                    ParseValueModeLetter(newMode, letters[0]);
                SetMode(newMode);
                if (letters.size() > 1 && (letters[1] == 'P' || letters[1] == 'A'))
                    basis = letters[1] == 'P' ? PeriodBasis::PerPeriod : PeriodBasis::Accumulated;
            }
        } else if (key == "VT") {
            if (reader.NextFieldRaw())
                shift = PeriodShift::Parse(SelectionRowToken(reader));
        } else if (key == "VZ") {
            ReadTimeFunctionDisplayLine(reader, display);
        } else if (key.size() > 1 && key[0] == 'V') {
            (void)texts.ReadKeyLine(key.substr(1), reader);
        }
    }
    selection.ApplyTexts(texts);
    UpdateRange();
    return another;
}

}  // namespace vek
