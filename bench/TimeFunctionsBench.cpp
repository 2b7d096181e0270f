// The time-functions analysis at the size of a large base: the million-card, five-line base, a
// monthly axis over two years, ten selection rows (per-period and accumulated sums, counts, averages,
// extremes, two of them with value conditions) and five formula rows over them. Beside it, a chain of
// formula rows thousands long over a base of one card, whose cost should grow with the rows alone.
#include <benchmark/benchmark.h>

#include <string>

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "BenchBases.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
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

// Rows C0 = C1+1, C1 = C2+1, ... down to a selection row: naming the rows, compiling the formulas,
// checking them for cycles and preparing them, then one run over one card.
void BM_TimeFunctionsFormulaChain(benchmark::State& state)
{
    const int32_t chain = int32_t(state.range(0));
    vek::Base base(vek::FilePath(), 1);
    base.SetValueCount(1);
    vek::CardKey key{vek::MakePackedDate(2024, 1, 2), 1};
    vek::Card* card = base.CreateCard(key);
    vek::CardLine* line = card ? base.CreateLine(base.FindOrAddGroup(card, 0)) : nullptr;
    if (!line) {
        state.SkipWithError("the base could not be built");
        return;
    }
    double amount = 10.0;
    base.SetLineValues(line, &amount);
    vek::AnalysisHost host;
    for (auto _ : state) {
        vek::TimeFunctionsComputation computation(base);
        computation.SetAxis(vek::CardKey{vek::MakePackedDate(2024, 1, 1), 0},
                            vek::CardKey{vek::MakePackedDate(2024, 12, 31), vek::kOpenEndNumber});
        computation.SetPeriodKind(vek::TimeFunctionPeriodKind::Months);
        computation.AddSelectionRow("P").SetVisible(false);
        for (int32_t i = 0; i < chain; ++i) {
            std::string formula = "P";
            if (i + 1 < chain)
                formula = std::string("C").append(std::to_string(i + 1)).append("+1");
            computation.AddFormulaRow(std::string("C").append(std::to_string(i)), formula).SetVisible(i == 0);
        }
        computation.Compute(host);
        benchmark::DoNotOptimize(computation.Cell(vek::kFirstPeriodRow, 0));
    }
    state.SetComplexityN(chain);
}
BENCHMARK(BM_TimeFunctionsFormulaChain)->Unit(benchmark::kMillisecond)->RangeMultiplier(4)->Range(1000, 64000)->Complexity();

}  // namespace
