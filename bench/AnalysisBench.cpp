// The cards analysis at the size of a large base: one million cards with five lines each (one value,
// five dimensions in use). Measured: building the result rows with groups and lines shown and sorting
// them by one amount key (the lines of each group by amount), and the bytes the result takes per row
// beyond the base (row pages and display permutation); and the lines statistics over every line.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/cards/CardsComputation.h"
#include "analysis/lines/LinesComputation.h"
#include "BenchBases.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"

namespace {

using vek::Base;

Base* LargeBase()
{
    static std::unique_ptr<Base> base = [] {
        vek::ClearError();
        auto made = std::make_unique<Base>(vek::FilePath(), 1);
        vek::SyntheticBaseOptions options = vek::bench::MillionCardOptions();
        options.firstDate = vek::MakePackedDate(2015, 1, 1);
        options.days = 3653;
        if (!vek::BuildSyntheticBase(*made, options))
            made.reset();
        return made;
    }();
    return base.get();
}

void BM_CardsAnalysisByAmount(benchmark::State& state)
{
    Base* base = LargeBase();
    if (!base) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::CardsComputation computation(*base);
    vek::CardsSettings& settings = computation.Settings();
    settings.groupsContent = vek::CardsContent::Selected;
    settings.linesContent = vek::CardsContent::Selected;
    settings.sortKeyCount = 1;
    settings.sortKeys[0] = vek::CardsSortKey{vek::cards_column::kFirstValue, 0, 0, 0, 5};
    computation.SetPeriod(vek::MakePackedDate(2015, 1, 1), vek::MakePackedDate(2025, 12, 31));
    vek::AdmitAllSelection all;
    vek::AnalysisHost host;
    for (auto _ : state) {
        computation.Recalculate(host, all);
        benchmark::DoNotOptimize(computation.RowCount());
    }
    state.counters["rows"] = double(computation.RowCount());
    state.counters["result_bytes_per_row"] = double(computation.ResultBytes()) / double(computation.RowCount());
    state.counters["rows_per_s"] =
        benchmark::Counter(double(computation.RowCount()) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CardsAnalysisByAmount)->Unit(benchmark::kMillisecond)->Iterations(3);

// The lines analysis over every line of the base with every statistic (median and variance included)
// and a positive rate, so that balance-days and interest are gathered per date.
void BM_LinesStatisticsAllLines(benchmark::State& state)
{
    Base* base = LargeBase();
    if (!base) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::LinesComputation computation(*base);
    computation.Settings().statistics.Fill(1);
    computation.Settings().positiveRate = 5.0;
    computation.SetPeriod(vek::MakePackedDate(2015, 1, 1), vek::MakePackedDate(2025, 12, 31));
    vek::AdmitAllSelection all;
    vek::AnalysisHost host;
    for (auto _ : state) {
        computation.Recalculate(host, all);
        benchmark::DoNotOptimize(computation.Statistics()[0].median);
    }
    state.counters["line_rows"] = double(computation.LineRowCount());
    state.counters["lines_per_s"] = benchmark::Counter(double(computation.LineRowCount()) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LinesStatisticsAllLines)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
