#include "analysis/timefunctions/TimeFunctionFormulaRow.h"

#include <algorithm>

#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"

namespace vek {

TimeFunctionFormulaRow::TimeFunctionFormulaRow(TimeFunctionsComputation& computation)
    : TimeFunctionRow(computation, TimeFunctionRowKind::Formula)
{
}

TimeFunctionFormulaRow::~TimeFunctionFormulaRow() = default;

int32_t TimeFunctionFormulaRow::Ordinal() const
{
    return owner.PositionInKind(*this) + owner.SelectionRowCount() + 1;
}

bool TimeFunctionFormulaRow::SetFormula(std::string_view text)
{
    if (!owner.Variables().IsValid())
        owner.RebuildVariables();
    formulaText.AssignBytes(text);
    compiled = false;
    CompileIfNeeded();
    return compiled;
}

void TimeFunctionFormulaRow::CompileIfNeeded()
{
    if (compiled)
        return;
    if (!owner.Variables().IsValid())
        owner.RebuildVariables();
    TimeFunctionVariableTable& table = owner.Variables();
    int32_t code = formula.Compile(formulaText, table.Index());
    if (code != 0) {
        // The formula stays empty (its value NaN); the reason is left for the caller to show.
        SetErrorCode(code);
        SetFormulaMessage(GetPendingError().message, code, formulaText.View());
        return;
    }
    compiled = true;
}

bool TimeFunctionFormulaRow::Uses(const TimeFunctionRow& row) const
{
    int32_t v = row.Variable();
    if (v < 0)
        return false;
    if (formula.UsesVariable(v))
        return true;
    return row.Kind() == TimeFunctionRowKind::Selection && formula.UsesVariable(v + 1);
}

void TimeFunctionFormulaRow::UsedRows(std::vector<TimeFunctionRow*>& out) const
{
    out.clear();
    std::vector<int32_t> numbers;
    formula.CollectVariables(numbers);
    // Variable numbers follow the display order, and a selection row's two variables sit side by side.
    std::sort(numbers.begin(), numbers.end());
    const TimeFunctionVariableTable& table = owner.Variables();
    for (int32_t number : numbers) {
        TimeFunctionRow* row = table.RowAt(number);
        if (row != nullptr && (out.empty() || out.back() != row))
            out.push_back(row);
    }
}

void TimeFunctionFormulaRow::BeginPrepare()
{
    prepared = true;
    kept = combination == FormulaCombination::RunningProduct || combination == FormulaCombination::Ratio ? 1.0 : 0.0;
    CompileIfNeeded();
}

void TimeFunctionFormulaRow::Prepare()
{
    if (prepared)
        return;
    // Depth first, the rows a formula uses before the formula, with a stack of our own: a chain of
    // formulas thousands of rows long must not run the program out of stack.
    struct Pending {
        TimeFunctionFormulaRow* row;
        std::vector<TimeFunctionRow*> uses;
        size_t next = 0;
    };
    std::vector<Pending> pending;
    auto begin = [&pending](TimeFunctionFormulaRow& row) {
        row.BeginPrepare();
        Pending entry{&row, {}};
        row.UsedRows(entry.uses);
        pending.push_back(std::move(entry));
    };
    begin(*this);
    while (!pending.empty()) {
        Pending& top = pending.back();
        if (top.next == top.uses.size()) {
            owner.PushFormula(*top.row);
            pending.pop_back();
            continue;
        }
        TimeFunctionRow* used = top.uses[top.next++];
        if (used->Prepared())
            continue;
        if (used->Kind() == TimeFunctionRowKind::Formula)
            begin(static_cast<TimeFunctionFormulaRow&>(*used));
        else
            used->Prepare();
    }
}

double TimeFunctionFormulaRow::EvaluateAtPeriodEnd()
{
    double r = formula.Evaluate();
    double value = r;
    switch (combination) {
    case FormulaCombination::None:
        break;
    case FormulaCombination::RunningSum:
        value = r + kept;
        kept = value;
        break;
    case FormulaCombination::Difference:
        value = r - kept;
        kept = r;
        break;
    case FormulaCombination::RunningProduct:
        value = r * kept;
        kept = value;
        break;
    case FormulaCombination::Ratio:
        value = r / kept;
        kept = r;
        break;
    }
    owner.Variables().ValueAt(variable) = value;
    return value;
}

namespace {

std::string_view FormulaRowToken(const TextReader& reader) { return {reader.Token(), size_t(reader.TokenLength())}; }

int32_t FormulaRowLetterIndex(const char* letters, char letter)
{
    for (int32_t i = 0; letters[i] != 0; ++i) {
        if (letters[i] == letter)
            return i;
    }
    return -1;
}

}  // namespace

void TimeFunctionFormulaRow::CopyFromDefinition(const TimeFunctionRowDefinition& definition)
{
    display = definition.Display();
    if (!definition.IsFormula())
        return;
    const auto& source = static_cast<const TimeFunctionFormulaDefinition&>(definition);
    formulaText.AssignCStr(source.FormulaCStr());
    compiled = false;
    combination = source.Combination();
    chartStyle = int32_t(source.ChartStyle());
}

void TimeFunctionFormulaRow::WriteText(TextWriter& writer) const
{
    writer.PutText("## Formula");
    writer.PutSeparator();
    writer.PutText(name.CStr());
    writer.PutSeparator();
    writer.PutText(label.CStr());
    writer.EndRow();
    writer.WriteKeyTextLine("FF", formulaText.CStr());
    if (combination != FormulaCombination::None)
        writer.WriteKeyCharLine("FD", uint8_t(kFormulaCombinationLetters[int32_t(combination)]));
    writer.WriteKeyCharLine("FG", uint8_t(kRowChartStyleLetters[chartStyle]));
    WriteTimeFunctionDisplayLine(writer, "FZ", display);
}

bool TimeFunctionFormulaRow::ReadText(TextReader& reader)
{
    while (reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        std::string_view key = FormulaRowToken(reader);
        if (!key.empty() && key[0] == '#') {
            reader.RestartLine();
            return true;
        }
        char letter = 0;
        if (key == "FF") {
            String text;
            if (reader.NextFieldRawToString(text)) {
                formulaText.Assign(text);
                compiled = false;
            }
        } else if (key == "FD") {
            if (reader.NextFieldChar(letter)) {
                if (int32_t i = FormulaRowLetterIndex(kFormulaCombinationLetters, letter); i >= 0)
                    combination = FormulaCombination(i);
            }
        } else if (key == "FG") {
            if (reader.NextFieldChar(letter)) {
                if (int32_t i = FormulaRowLetterIndex(kRowChartStyleLetters, letter); i >= 0)
                    chartStyle = i;
            }
        } else if (key == "FZ") {
            ReadTimeFunctionDisplayLine(reader, display);
        }
    }
    return false;
}

}  // namespace vek
