// Writing amounts with two decimals and reading them back, against the C library's printf and
// strtod on the same values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "foundation/numbers/NumberFormat.h"

namespace {

using namespace vek;

// Amounts as the program holds them: mostly two decimals, from cents to billions, both signs.
const std::vector<double>& Amounts()
{
    static const std::vector<double> amounts = [] {
        std::mt19937_64 random(42);
        std::uniform_int_distribution<int64_t> cents(-100000000000, 100000000000);
        std::uniform_int_distribution<int> shift(0, 8);
        std::vector<double> values(4096);
        for (double& value : values) {
            int64_t scale = 1;
            for (int i = shift(random); i > 0; --i)
                scale *= 10;
            value = double(cents(random) / scale) / 100.0;
        }
        return values;
    }();
    return amounts;
}

// The same amounts as "%.2f" writes them, for the readers.
const std::vector<std::string>& AmountTexts()
{
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> result;
        for (double value : Amounts()) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.2f", value);
            result.emplace_back(buffer);
        }
        return result;
    }();
    return texts;
}

void CursorPutDoubleFixed2(benchmark::State& state)
{
    SetSeparators({u'.', 0});
    NumberFormat format;
    format.mode = NumberMode::Fixed;
    format.decimals = 2;
    const std::vector<double>& values = Amounts();
    char buffer[kMaxNumberTextBytes];
    size_t i = 0;
    for (auto _ : state) {
        char* cursor = buffer;
        CursorPutDouble(cursor, values[i++ & 4095], format);
        benchmark::DoNotOptimize(cursor);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(CursorPutDoubleFixed2);

void SnprintfFixed2(benchmark::State& state)
{
    const std::vector<double>& values = Amounts();
    char buffer[64];
    size_t i = 0;
    for (auto _ : state) {
        int n = std::snprintf(buffer, sizeof buffer, "%.2f", values[i++ & 4095]);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(SnprintfFixed2);

void CursorPutDoubleGeneral(benchmark::State& state)
{
    NumberFormat format;
    const std::vector<double>& values = Amounts();
    char buffer[kMaxNumberTextBytes];
    size_t i = 0;
    for (auto _ : state) {
        char* cursor = buffer;
        CursorPutDouble(cursor, values[i++ & 4095], format);
        benchmark::DoNotOptimize(cursor);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(CursorPutDoubleGeneral);

void SnprintfGeneral15(benchmark::State& state)
{
    const std::vector<double>& values = Amounts();
    char buffer[64];
    size_t i = 0;
    for (auto _ : state) {
        int n = std::snprintf(buffer, sizeof buffer, "%.15g", values[i++ & 4095]);
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(SnprintfGeneral15);

void BytesToDoubleAmounts(benchmark::State& state)
{
    const std::vector<std::string>& texts = AmountTexts();
    size_t i = 0;
    for (auto _ : state) {
        const std::string& text = texts[i++ & 4095];
        benchmark::DoNotOptimize(BytesToDouble(text.data(), int32_t(text.size())));
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BytesToDoubleAmounts);

void StrtodAmounts(benchmark::State& state)
{
    const std::vector<std::string>& texts = AmountTexts();
    size_t i = 0;
    for (auto _ : state) {
        const std::string& text = texts[i++ & 4095];
        benchmark::DoNotOptimize(std::strtod(text.c_str(), nullptr));
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(StrtodAmounts);

}  // namespace
