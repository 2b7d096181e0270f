// TimeFunctionFormulaDefinition: a formula row of a time-functions template.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/strings/OwnedText.h"
#include "analysis/TimeFunctionRowDefinition.h"

namespace vek {

// How a formula row's period values combine with the earlier periods: the position of its letter in
// "xIDMQ": none, running sum, difference from the previous period, running product, ratio to the
// previous period.
enum class FormulaCombination : int32_t { None = 0, RunningSum = 1, Difference = 2, RunningProduct = 3, Ratio = 4 };
inline constexpr const char* kFormulaCombinationLetters = "xIDMQ";

// A row whose value per period is a formula over other rows.
//
// Key lines: "FN" name, label; "FF" formula text; "FD" combination letter (when not none); "FG" chart
// style letter; "FZ" display line.
class TimeFunctionFormulaDefinition final : public TimeFunctionRowDefinition {
public:
    explicit TimeFunctionFormulaDefinition(TimeFunctionsTemplate& owner);
    ~TimeFunctionFormulaDefinition() override;

    ConstHeapText FormulaText() const { return formula.Get(); }
    const char* FormulaCStr() const { return formula.CStr(); }
    void SetFormulaText(const char* text) { formula.Set(text); }
    FormulaCombination Combination() const { return combination; }
    void SetCombination(FormulaCombination newCombination) { combination = newCombination; }
    RowChartStyle ChartStyle() const { return chartStyle; }
    void SetChartStyle(RowChartStyle style) { chartStyle = style; }

    // True when the formula names the row: the first occurrence of the name in the formula text is
    // neither preceded nor followed by an ASCII letter. An empty name is never named.
    bool RefersTo(std::string_view rowName) const;

    void Write(TextWriter& writer) const override;
    int64_t StoredSize() const override;
    std::unique_ptr<TimeFunctionRowDefinition> CopyFor(TimeFunctionsTemplate& newOwner) const override;

private:
    OwnedText formula;
    FormulaCombination combination = FormulaCombination::None;
    RowChartStyle chartStyle = RowChartStyle::Line;
};

}  // namespace vek
