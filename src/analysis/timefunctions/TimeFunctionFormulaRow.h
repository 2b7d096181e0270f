// TimeFunctionFormulaRow: a row whose value at each period end is a formula over other rows.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/timefunctions/TimeFunctionRow.h"
#include "model/expressions/Formula.h"
#include "analysis/TimeFunctionFormulaDefinition.h"

namespace vek {

class TimeFunctionFormulaRow final : public TimeFunctionRow {
public:
    // A new row: empty formula, combination x, chart style line.
    explicit TimeFunctionFormulaRow(TimeFunctionsComputation& owner);
    ~TimeFunctionFormulaRow() override;

    int32_t Ordinal() const override;
    void CopyFromDefinition(const TimeFunctionRowDefinition& definition) override;
    void Prepare() override;
    bool ReadText(TextReader& reader) override;
    void WriteText(TextWriter& writer) const override;
    int32_t ChartStyle() const override { return chartStyle; }

    const String& FormulaText() const { return formulaText; }
    // Stores the text and compiles it at once against the owner's variable table (built first when it
    // is not valid); the text becomes its canonical form. False when the compiler refused it (message
    // set up in the pending error).
    bool SetFormula(std::string_view text);
    // A text changed by a rename: kept as it is and compiled before its next use.
    void ReplaceFormulaText(const String& text)
    {
        formulaText.Assign(text);
        compiled = false;
    }
    FormulaCombination Combination() const { return combination; }
    void SetCombination(FormulaCombination value) { combination = value; }
    void SetChartStyle(int32_t style) { chartStyle = style; }

    // Compiles the text against the owner's table when not compiled since the table was built.
    void CompileIfNeeded();
    void MarkUncompiled() { compiled = false; }
    // Whether the formula reads the row's variable, or a selection row's count variable.
    bool Uses(const TimeFunctionRow& row) const;
    bool UsesVariable(int32_t index) const { return formula.UsesVariable(index); }
    // The rows whose variables the compiled formula reads, each once, in display order.
    void UsedRows(std::vector<TimeFunctionRow*>& out) const;

    // The value at a period end combined with the kept value p (which starts at 1 for M and Q, else
    // at 0): x gives the formula's value r; I r + p, kept; D r - p, r kept; M r x p, kept; Q r / p,
    // r kept. The value is stored in the row's variable.
    double EvaluateAtPeriodEnd();

private:
    // Marks the row prepared, starts its kept value and compiles it; the rows it uses come next.
    void BeginPrepare();

    String formulaText;
    Formula formula;
    bool compiled = false;
    FormulaCombination combination = FormulaCombination::None;
    int32_t chartStyle = 1;  // RowChartStyle
    double kept = 0.0;
};

}  // namespace vek
