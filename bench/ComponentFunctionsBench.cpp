// The component-functions analysis at the size of a large base: two levels (accounts, then cost
// centres under each account), six selection columns of mixed value modes and four formula columns,
// over the one-million-card, five-line synthetic base, after the base is built. The first computation
// sizes its combination table by growing it; the measured ones are recomputations.
//
// Recorded on the shared 8-core machine under load (Release): 4.8 s wall per recomputation, 994,286
// rows, 1.05 million lines a second (32 s before the columns that share a selection and a range were
// walked once together, the rows taken from the collector's keys). The goal of 400 ms is not reached:
// as in the components benchmark, most of the time goes to the level tree's combination hash (the
// collector's inserts and the build), which another change is making faster; the six columns' own
// accumulation is one pass over the lines.
#include <benchmark/benchmark.h>

#include "analysis/componentfunctions/ComponentFunctionsAnalysis.h"
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"
#include "BenchBases.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"

namespace {

void BM_ComponentFunctionsTwoLevels(benchmark::State& state)
{
    vek::Base* base = vek::bench::MillionCardBase();
    if (!base) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::ClearError();
    vek::ComponentFunctionsTemplate definition(*base);
    definition.Levels().levelCount = 2;
    definition.Levels().dimension = {1, 2, 3, 4};
    const struct {
        const char* name;
        int32_t mode;
    } selections[] = {{"S", 3}, {"C", 0}, {"A", 6}, {"M", 11}, {"N", 12}, {"s", 4}};
    for (const auto& column : selections)
        definition.AppendSelectionColumn(column.name).SetValueMode(column.mode);
    const struct {
        const char* name;
        const char* formula;
        vek::TreeFunction function;
    } formulas[] = {{"F1", "S/C", vek::TreeFunction::None},
                    {"F2", "S*2", vek::TreeFunction::Sum},
                    {"F3", "M-N", vek::TreeFunction::Maximum},
                    {"F4", "A+s", vek::TreeFunction::Average}};
    for (const auto& column : formulas) {
        vek::ComponentFunctionFormulaDefinition& added = definition.AppendFormulaColumn(column.name);
        added.SetFormulaText(column.formula);
        added.SetFunction(column.function);
    }
    vek::ComponentFunctionsAnalysis analysis(definition);
    vek::AnalysisHost host;
    analysis.Compute(host);  // the first fill grows the table
    for (auto _ : state) {
        analysis.Compute(host);
        benchmark::DoNotOptimize(analysis.Engine().RowCount());
    }
    state.counters["rows"] = double(analysis.Engine().RowCount());
    state.counters["lines_per_s"] =
        benchmark::Counter(double(base->LineCount()) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ComponentFunctionsTwoLevels)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
