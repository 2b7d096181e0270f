// The per-line cost of the time-functions aggregators (five million lines, the size of a large
// base, in card order over ten years) and the walk over the period ends of an axis.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "analysis/timefunctions/TimeFunctionAggregator.h"
#include "analysis/timefunctions/TimeFunctionPeriods.h"

namespace {

using vek::PackedDate;

struct BenchLine {
    double amount;
    uint32_t card;
    PackedDate date;
};

constexpr int32_t kBenchLines = 5'000'000;

const std::vector<BenchLine>& Lines()
{
    static const std::vector<BenchLine> lines = [] {
        std::vector<BenchLine> made;
        made.reserve(kBenchLines);
        int32_t firstDay = vek::PackedDateToDayNumber(vek::MakePackedDate(2015, 1, 1));
        uint32_t seed = 12345;
        for (int32_t i = 0; i < kBenchLines; ++i) {
            seed = seed * 1664525u + 1013904223u;  // a fixed sequence, the same in every run
            double amount = double(int32_t(seed >> 8) % 2000000 - 1000000) / 100.0;
            uint32_t card = uint32_t(i / 5 + 1);
            PackedDate date = vek::DayNumberToPackedDate(firstDay + int64_t(i / 5) * 3653 / (kBenchLines / 5));
            made.push_back({amount, card, date});
        }
        return made;
    }();
    return lines;
}

// Every line through one aggregator of the given mode (state.range(0)), with a result per month.
void BM_AggregatorPerLine(benchmark::State& state)
{
    const std::vector<BenchLine>& lines = Lines();
    vek::TimeFunctionAggregator aggregator;
    for (auto _ : state) {
        aggregator.Configure(int32_t(state.range(0)), vek::PeriodBasis::PerPeriod, 2);
        int32_t month = vek::PackedDateMonth(lines.front().date);
        double results = 0.0;
        for (const BenchLine& line : lines) {
            if (vek::PackedDateMonth(line.date) != month) {
                month = vek::PackedDateMonth(line.date);
                results += aggregator.Result(vek::PreviousPackedDate(line.date));
                aggregator.OpenPeriod();
            }
            if (!aggregator.Add(line.amount, line.card, line.date)) {
                state.SkipWithError("the median list could not grow");
                return;
            }
        }
        results += aggregator.Result(lines.back().date);
        benchmark::DoNotOptimize(results);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kBenchLines);
}
// Count, sum, average, median (per-period lists), turnover time and last.
BENCHMARK(BM_AggregatorPerLine)->Arg(0)->Arg(3)->Arg(6)->Arg(8)->Arg(9)->Arg(14)->Unit(benchmark::kMillisecond);

// The ends of every day, week and month of a hundred years.
void BM_PeriodEndWalk(benchmark::State& state)
{
    auto kind = vek::TimeFunctionPeriodKind(state.range(0));
    vek::CardKey start{vek::MakePackedDate(1950, 1, 1), 1};
    vek::CardKey end{vek::MakePackedDate(2049, 12, 31), vek::kOpenEndNumber};
    vek::TimeFunctionPeriods periods(kind, start, end, nullptr);
    int64_t count = 0;
    for (auto _ : state) {
        vek::CardKey current = periods.OpeningKey();
        while (vek::CardKeyLess(current, end)) {
            vek::CardKey next = periods.NextEnd(current);
            benchmark::DoNotOptimize(periods.DateValues(current, next));
            current = next;
            ++count;
        }
    }
    state.SetItemsProcessed(count);
}
BENCHMARK(BM_PeriodEndWalk)
    ->Arg(int32_t(vek::TimeFunctionPeriodKind::Days))
    ->Arg(int32_t(vek::TimeFunctionPeriodKind::Weeks))
    ->Arg(int32_t(vek::TimeFunctionPeriodKind::Months))
    ->Unit(benchmark::kMicrosecond);

}  // namespace
