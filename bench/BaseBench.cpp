// The card model at the size of a large base: one million cards with five lines each (one value,
// five dimensions in use), built by the synthetic generator over ten years of dates. Measured:
// building it, the resident memory it takes per line, counting the cards of a random month, and
// widening the component numbers of its five million lines from 2 to 3 bytes.
//
// The memory figure compares the resident set before and after building, so it is registered first;
// run it alone (--benchmark_filter=BM_ResidentMemory) for a figure undisturbed by freed memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "BenchBases.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"

namespace {

using vek::Base;
using vek::SyntheticBaseOptions;

SyntheticBaseOptions LargeBase()
{
    SyntheticBaseOptions options = vek::bench::MillionCardOptions();
    options.firstDate = vek::MakePackedDate(2015, 1, 1);
    options.days = 3653;
    return options;
}

int64_t ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE* file = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(file);
    }
    return int64_t(resident) * sysconf(_SC_PAGESIZE);
}

std::unique_ptr<Base> BuildLargeBase()
{
    vek::ClearError();
    auto base = std::make_unique<Base>(vek::FilePath(), 1);
    if (!vek::BuildSyntheticBase(*base, LargeBase()))
        return nullptr;
    return base;
}

void BM_ResidentMemory(benchmark::State& state)
{
    for (auto _ : state) {
        int64_t before = ResidentBytes();
        std::unique_ptr<Base> base = BuildLargeBase();
        int64_t after = ResidentBytes();
        if (!base) {
            state.SkipWithError("the base could not be built");
            return;
        }
        int64_t lines = base->LineCount();
        state.counters["bytes_per_line"] = double(after - before) / double(lines);
        state.counters["resident_MB"] = double(after - before) / (1024.0 * 1024.0);
        state.counters["lines"] = double(lines);
        state.PauseTiming();
        base.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BuildBase(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<Base> base = BuildLargeBase();
        if (!base) {
            state.SkipWithError("the base could not be built");
            return;
        }
        state.PauseTiming();
        base.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildBase)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_FindCardsInDateRangeMonth(benchmark::State& state)
{
    static std::unique_ptr<Base> base = BuildLargeBase();
    if (!base) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::SyntheticRandom random(11);
    int64_t counted = 0;
    for (auto _ : state) {
        int32_t month = random.Below(120);
        vek::PackedDate first = vek::MakePackedDate(2015 + month / 12, 1 + month % 12, 1);
        vek::PackedDate last = vek::MakePackedDate(2015 + month / 12, 1 + month % 12,
                                                   vek::DaysInMonthOfPackedDate(first));
        vek::Card* from = nullptr;
        vek::Card* end = nullptr;
        int32_t count = base->FindCardsInDateRange(vek::CardKey{first, 0}, vek::CardKey{last, vek::kOpenEndNumber},
                                                   from, end);
        benchmark::DoNotOptimize(end);
        counted += count;
    }
    state.counters["cards_per_month"] = double(counted) / double(state.iterations());
}
BENCHMARK(BM_FindCardsInDateRangeMonth)->Unit(benchmark::kMicrosecond);

void BM_WidenComponentNumbers(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Base> base = BuildLargeBase();
        if (!base) {
            state.SkipWithError("the base could not be built");
            return;
        }
        state.ResumeTiming();
        base->WidenComponentWidth(3);
        state.PauseTiming();
        if (base->ComponentWidth() != 3)
            state.SkipWithError("widening failed");
        state.counters["lines"] = double(base->LineCount());
        base.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WidenComponentNumbers)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
