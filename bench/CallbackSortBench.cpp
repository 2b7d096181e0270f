// Benchmark of SortWithCallbacks against std::sort on random integers.
#include "foundation/memory/CallbackSort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int32_t kCount = 1000000;

std::vector<int32_t> RandomValues()
{
    std::mt19937 generator(12345);
    std::uniform_int_distribution<int32_t> distribution(INT32_MIN, INT32_MAX);
    std::vector<int32_t> values(kCount);
    for (int32_t& value : values)
        value = distribution(generator);
    return values;
}

int32_t CompareInts(void* context, int32_t i, int32_t j)
{
    const int32_t* values = static_cast<const int32_t*>(context);
    return values[i] < values[j] ? -1 : (values[i] > values[j] ? 1 : 0);
}

void SwapInts(void* context, int32_t i, int32_t j)
{
    int32_t* values = static_cast<int32_t*>(context);
    std::swap(values[i], values[j]);
}

// The list sort through its compare and swap callbacks, as every list of the program uses it.
void BM_SortWithCallbacks(benchmark::State& state)
{
    const std::vector<int32_t> original = RandomValues();
    std::vector<int32_t> values;
    for (auto _ : state) {
        state.PauseTiming();
        values = original;
        state.ResumeTiming();
        vek::SortCallbacks callbacks;
        callbacks.compare = CompareInts;
        callbacks.compareContext = values.data();
        callbacks.swap = SwapInts;
        callbacks.swapContext = values.data();
        vek::SortWithCallbacks(callbacks, kCount);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_SortWithCallbacks)->Unit(benchmark::kMillisecond);

void BM_StdSort(benchmark::State& state)
{
    const std::vector<int32_t> original = RandomValues();
    std::vector<int32_t> values;
    for (auto _ : state) {
        state.PauseTiming();
        values = original;
        state.ResumeTiming();
        std::sort(values.begin(), values.end());
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);

}  // namespace
