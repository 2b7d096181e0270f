// The time-functions analysis at the size of a large base: the million-card, five-line base, a
// monthly axis over two years, ten selection rows (per-period and accumulated sums, counts, averages,
// extremes, two of them with value conditions) and five formula rows over them.
#include <benchmark/benchmark.h>

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "BenchBases.h"
#include "model/base/Base.h"
#include "model/selections/SelectionTexts.h"

namespace {

void BM_TimeFunctionsMonthlyTwoYears(benchmark::State& state)
{
    vek::Base* base = vek::bench::MillionCardBase();
    if (!base) {
        state.SkipWithError("the base could not be built");
        return;
    }
    using vek::PeriodBasis;
    vek::TimeFunctionsComputation computation(*base);
    computation.SetAxis(vek::CardKey{vek::MakePackedDate(2018, 1, 1), 0},
                        vek::CardKey{vek::MakePackedDate(2019, 12, 31), vek::kOpenEndNumber});
    computation.SetPeriodKind(vek::TimeFunctionPeriodKind::Months);
    struct RowSetup {
        const char* name;
        int32_t mode;
        PeriodBasis basis;
        const char* condition;
    };
    const RowSetup setups[] = {
        {"Sales", 3, PeriodBasis::PerPeriod, nullptr},
        {"Balance", 3, PeriodBasis::Accumulated, nullptr},
        {"Lines", 0, PeriodBasis::PerPeriod, nullptr},
        {"Cards", 1, PeriodBasis::PerPeriod, nullptr},
        {"Mean", 6, PeriodBasis::PerPeriod, nullptr},
        {"Largest", 11, PeriodBasis::PerPeriod, nullptr},
        {"Smallest", 12, PeriodBasis::PerPeriod, nullptr},
        {"Last", 14, PeriodBasis::PerPeriod, nullptr},
        {"Income", 3, PeriodBasis::PerPeriod, ">0"},
        {"Costs", 3, PeriodBasis::PerPeriod, "<0"},
    };
    for (const RowSetup& setup : setups) {
        vek::TimeFunctionSelectionRow& row = computation.AddSelectionRow(setup.name);
        row.SetMode(setup.mode);
        row.SetBasis(setup.basis);
        if (setup.condition) {
            vek::SelectionTexts texts(*base);
            texts.SetValueText(0, setup.condition);
            row.GetSelection().ApplyTexts(texts);
        }
    }
    computation.AddFormulaRow("Net", "Income+Costs");
    computation.AddFormulaRow("PerLine", "Sales/#Sales");
    computation.AddFormulaRow("Spread", "Largest-Smallest");
    computation.AddFormulaRow("Growth", "Balance").SetCombination(vek::FormulaCombination::Difference);
    computation.AddFormulaRow("Daily", "Sales/perioddays");
    vek::AnalysisHost host;
    for (auto _ : state) {
        computation.Compute(host);
        benchmark::DoNotOptimize(computation.Cell(vek::kFirstPeriodRow, 0));
    }
    state.counters["periods"] = double(computation.RowCount() - vek::kFirstPeriodRow);
}
BENCHMARK(BM_TimeFunctionsMonthlyTwoYears)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
