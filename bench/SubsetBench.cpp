// A subset formula over three selections of the one-million-card, five-line synthetic base, made
// again after its text changed: the selections keep the lines they admitted, so the formula only
// combines three kept line sets. The goal is under 20 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchBases.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "model/selections/SubsetList.h"
#include "platform/FilePath.h"

namespace {

using vek::Base;

Base* SubsetBenchBase()
{
    return vek::bench::MillionCardBase();
}

// Three selections by card-key pattern over the base's ten years, overlapping, and the formula
// "(A|B)¬C"; evaluated once so that the selections keep their lines.
vek::Subset* MakeSubset(Base& base)
{
    vek::Subset* subset = base.Subsets().CreateSubset("Bench");
    const char* patterns[] = {"150101\xE2\x80\xA6" "191231", "170101\xE2\x80\xA6" "221231", "180101\xE2\x80\xA6" "181231"};
    const char* names[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        vek::SubsetSelection* selection = subset->CreateSelection(names[i]);
        if (selection == nullptr || selection->SetKeyPatternText(patterns[i]) != 0)
            return nullptr;
        selection->Apply();
    }
    subset->SetFormulaText("(A|B)\xC2\xAC" "C");
    if (!subset->Formula().HasCode() || !subset->Evaluate())
        return nullptr;
    return subset;
}

void BM_SubsetFormulaOverKeptSelections(benchmark::State& state)
{
    Base* base = SubsetBenchBase();
    if (base == nullptr) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::Subset* subset = MakeSubset(*base);
    if (subset == nullptr) {
        state.SkipWithError("the subset could not be made");
        return;
    }
    for (auto _ : state) {
        subset->Formula().Invalidate();
        bool done = subset->Evaluate();
        benchmark::DoNotOptimize(done);
    }
    const vek::BitSet* result = subset->Result();
    state.counters["lines"] = result != nullptr ? double(result->BitCount()) : 0.0;
    state.SetItemsProcessed(state.iterations() * int64_t(base->LineCount()));
    base->Subsets().Delete(subset);
}
BENCHMARK(BM_SubsetFormulaOverKeptSelections)->Unit(benchmark::kMillisecond);

// The first evaluation: every selection walks the cards.
void BM_SubsetFormulaFirstEvaluation(benchmark::State& state)
{
    Base* base = SubsetBenchBase();
    if (base == nullptr) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::Subset* subset = MakeSubset(*base);
    if (subset == nullptr) {
        state.SkipWithError("the subset could not be made");
        return;
    }
    for (auto _ : state) {
        subset->ReleaseResults();
        subset->Formula().Invalidate();
        bool done = subset->Evaluate();
        benchmark::DoNotOptimize(done);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(base->LineCount()));
    base->Subsets().Delete(subset);
}
BENCHMARK(BM_SubsetFormulaFirstEvaluation)->Unit(benchmark::kMillisecond);

}  // namespace
