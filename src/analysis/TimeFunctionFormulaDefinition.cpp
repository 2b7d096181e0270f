// TimeFunctionFormulaDefinition: a formula row and its key lines.
#include "analysis/TimeFunctionFormulaDefinition.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/TextWriter.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"

namespace vek {

namespace {

// Formula pointer, combination and chart style beside the common record.
constexpr int64_t kFormulaRowExtraSize = 16;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

TimeFunctionFormulaDefinition::TimeFunctionFormulaDefinition(TimeFunctionsTemplate& owner)
    : TimeFunctionRowDefinition(owner, TimeFunctionRowKind::Formula)
{
}

TimeFunctionFormulaDefinition::~TimeFunctionFormulaDefinition() = default;

bool TimeFunctionFormulaDefinition::RefersTo(std::string_view rowName) const
{
    std::string_view text = formula.View();
    if (rowName.empty())
        return false;
    size_t at = text.find(rowName);
    if (at == std::string_view::npos)
        return false;
    size_t after = at + rowName.size();
    return (at == 0 || !IsAsciiLetter(text[at - 1])) && (after >= text.size() || !IsAsciiLetter(text[after]));
}

void TimeFunctionFormulaDefinition::Write(TextWriter& writer) const
{
    WriteNameLine(writer, "FN");
    writer.PutText("FF");
    writer.PutSeparator();
    writer.PutLongText(formula.Get());
    writer.EndRow();
    int32_t combinationIndex = int32_t(combination);
    if (combinationIndex > 0 && combinationIndex <= 4)
        writer.WriteKeyCharLine("FD", uint8_t(kFormulaCombinationLetters[combinationIndex]));
    int32_t style = int32_t(chartStyle);
    writer.WriteKeyCharLine("FG", uint8_t(kRowChartStyleLetters[style >= 0 && style <= 2 ? style : 1]));
    WriteTimeFunctionDisplayLine(writer, "FZ", Display());
}

int64_t TimeFunctionFormulaDefinition::StoredSize() const
{
    return CommonStoredSize() + kFormulaRowExtraSize + MemBlockFootprint(formula.Get());
}

std::unique_ptr<TimeFunctionRowDefinition> TimeFunctionFormulaDefinition::CopyFor(
    TimeFunctionsTemplate& newOwner) const
{
    auto copy = std::make_unique<TimeFunctionFormulaDefinition>(newOwner);
    copy->CopyCommonFrom(*this);
    copy->formula.Set(formula.Get());
    copy->combination = combination;
    copy->chartStyle = chartStyle;
    return copy;
}

}  // namespace vek
