// ComponentsAnalysis: a components analysis behind the computation interface.
#include "analysis/components/ComponentsAnalysis.h"

#include <vector>

#include "analysis/CompiledSelection.h"
#include "analysis/LevelRowCells.h"
#include "analysis/components/ComponentsTemplate.h"
#include "model/base/Base.h"

namespace vek {

const char* ComponentsColumnTitle(ComponentsValue value)
{
    constexpr const char* kTitles[kComponentsValueCount] = {"before", "negative", "positive", "period", "percentage",
                                                            "count",  "lines",    "atend",    "after",  "total"};
    int32_t code = int32_t(value);
    return code >= 0 && code < kComponentsValueCount ? kTitles[code] : "";
}

ComponentsAnalysis::ComponentsAnalysis(const ComponentsTemplate& source)
    : definition(source), computation(source.GetBase())
{
    computation.Settings().CopyFrom(source);
    computation.SeedExpansion(source.ExpansionText());
}

ComponentsAnalysis::~ComponentsAnalysis() = default;

void ComponentsAnalysis::SetPeriod(const AnalysisPeriod& period)
{
    const auto [from, to] = period.OverCardDates(definition.GetBase());
    computation.SetPeriod(from, to);
}

void ComponentsAnalysis::Compute(AnalysisHost& host)
{
    CompiledSelection selection(definition.GetBase(), definition.Selection());
    computation.Recalculate(host, selection);
}

void ComponentsAnalysis::ReadRows(ResultRowReader& reader) const
{
    Base& base = definition.GetBase();
    const ComponentsSettings& settings = computation.Settings();
    std::vector<ResultCell> cells;
    cells.push_back(ResultCell::OfText("level"));
    cells.push_back(ResultCell::OfText("component"));
    for (int32_t code = 0; code < kComponentsValueCount; ++code) {
        if (settings.columns[size_t(code)].shown)
            cells.push_back(ResultCell::OfText(ComponentsColumnTitle(ComponentsValue(code))));
    }
    reader.Row(cells);

    const LevelTree& tree = computation.Tree();
    std::vector<int32_t> visible;
    tree.CollectVisibleRows(visible);
    for (int32_t i : visible) {
        const LevelRow& row = tree.Row(i);
        cells.clear();
        AppendLevelRowCells(base, row, cells);
        const ComponentValues& record = computation.Values(i).rolledUp;
        for (int32_t code = 0; code < kComponentsValueCount; ++code) {
            if (settings.columns[size_t(code)].shown)
                cells.push_back(ResultCell::OfNumber(computation.RowValue(record, code)));
        }
        reader.Row(cells);
    }
}

}  // namespace vek
