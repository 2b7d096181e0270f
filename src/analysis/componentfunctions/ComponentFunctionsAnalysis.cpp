// ComponentFunctionsAnalysis: a component-functions analysis behind the computation interface.
#include "analysis/componentfunctions/ComponentFunctionsAnalysis.h"

#include <vector>

#include "analysis/LevelRowCells.h"
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"
#include "model/base/Base.h"

namespace vek {

ComponentFunctionsAnalysis::ComponentFunctionsAnalysis(const ComponentFunctionsTemplate& source)
    : definition(source), computation(source.GetBase())
{
    computation.CopyFrom(source);
}

ComponentFunctionsAnalysis::~ComponentFunctionsAnalysis() = default;

void ComponentFunctionsAnalysis::SetPeriod(const AnalysisPeriod& period)
{
    computation.SetPeriodLimit(period.from, period.to);
}

void ComponentFunctionsAnalysis::Compute(AnalysisHost& host)
{
    computation.Recalculate(host);
}

void ComponentFunctionsAnalysis::ReadRows(ResultRowReader& reader) const
{
    Base& base = definition.GetBase();
    std::vector<ResultCell> cells;
    cells.push_back(ResultCell::OfText("level"));
    cells.push_back(ResultCell::OfText("component"));
    for (int32_t k = 0; k < computation.ShownColumnCount(); ++k)
        cells.push_back(ResultCell::OfText(computation.ShownTitle(k)));
    reader.Row(cells);

    const LevelTree& tree = computation.Tree();
    std::vector<int32_t> visible;
    tree.CollectVisibleRows(visible);
    for (int32_t i : visible) {
        const LevelRow& row = tree.Row(i);
        cells.clear();
        AppendLevelRowCells(base, row, cells);
        for (int32_t k = 0; k < computation.ShownColumnCount(); ++k)
            cells.push_back(ResultCell::OfNumber(computation.RolledUpValue(i, k)));
        reader.Row(cells);
    }
}

}  // namespace vek
