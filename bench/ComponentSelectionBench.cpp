// The scan behind every analysis: the lines of a one-million-card, five-line base (five dimensions of
// 1000 components in use) walked card by card, each line tested against a component selection of two
// dimensions and an amount condition, and the admitted amounts summed. Also measured: evaluating a
// dimension's expression, which runs once per change, not per line.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "BenchBases.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/selections/ComponentSelection.h"
#include "model/expressions/ValueCondition.h"
#include "platform/FilePath.h"

namespace {

using vek::Base;

Base* LargeBase()
{
    return vek::bench::MillionCardBase();
}

// Two codes of a dimension in pre-order, for a range over about the first half of it.
void RangeText(const Base& base, int32_t d, vek::String& out)
{
    const vek::RecordPool& pool = base.ComponentPool();
    const vek::Component* root = base.Root(d);
    const vek::Component* first = root->NextInPreorder(pool);
    const vek::Component* last = first;
    for (int32_t i = 0; i < base.CountComponents(d) / 2 && last != nullptr; ++i)
        last = last->NextInPreorder(pool);
    out.AssignCStr("'");
    out.AppendHeapText(first->code);
    out.AppendCStr("'..'");
    out.AppendHeapText(last->code);
    out.AppendCStr("'");
}

// The selection of both scans: about half of dimension 1, and dimension 2 less about half of it.
bool SetUpSelection(Base& base, vek::ComponentSelection& selection, vek::ValueCondition& amount,
                    benchmark::State& state)
{
    vek::String text;
    RangeText(base, 1, text);
    if (!selection.SetDimensionText(1, text.CStr())) {
        state.SkipWithError("the range did not compile");
        return false;
    }
    RangeText(base, 2, text);
    text.InsertCStr(0, "\xC2\xAC(");
    text.AppendChar(')');
    if (!selection.SetDimensionText(2, text.CStr())) {
        state.SkipWithError("the complement did not compile");
        return false;
    }
    text.AssignCStr(">100|<-100");
    if (amount.Compile(text) != 0) {
        state.SkipWithError("the amount condition did not compile");
        return false;
    }
    return true;
}

void ReportLines(benchmark::State& state, int64_t lines, int64_t admitted)
{
    state.SetItemsProcessed(lines);
    state.counters["lines_per_second"] = benchmark::Counter(double(lines), benchmark::Counter::kIsRate);
    state.counters["admitted_share"] = lines > 0 ? double(admitted) / double(lines) : 0.0;
}

// Card by card, as an analysis over a period walks them: cards, their groups (a group is searched
// only when its key is admitted), their lines.
void BM_SelectionAndAmountSum(benchmark::State& state)
{
    Base* base = LargeBase();
    if (base == nullptr) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::ComponentSelection selection(*base);
    vek::ValueCondition amount;
    if (!SetUpSelection(*base, selection, amount, state))
        return;
    int64_t lines = 0;
    int64_t admitted = 0;
    double sum = 0.0;
    for (auto _ : state) {
        for (const vek::Card* card = base->FirstCard(); card != base->ChainEnd(); card = base->NextCard(card)) {
            for (const vek::CardGroup* group = base->FirstGroup(card); group != nullptr; group = base->NextGroup(group)) {
                if (!selection.Admits(uint32_t(group->key)))
                    continue;
                for (const vek::CardLine* line = base->FirstLine(group); line != nullptr; line = base->NextLine(line)) {
                    ++lines;
                    if (!selection.AdmitsLine(line))
                        continue;
                    double value = base->GetLineValue(line, 0);
                    if (!amount.Matches(value))
                        continue;
                    ++admitted;
                    sum += value;
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    ReportLines(state, lines, admitted);
}
BENCHMARK(BM_SelectionAndAmountSum)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same test and sum over the line records in pool order (every line of this base is live), which
// leaves out the walk through cards and groups: the cost of the test itself.
void BM_SelectionAndAmountSumLinePool(benchmark::State& state)
{
    Base* base = LargeBase();
    if (base == nullptr) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::ComponentSelection selection(*base);
    vek::ValueCondition amount;
    if (!SetUpSelection(*base, selection, amount, state))
        return;
    const vek::RecordPool& pool = base->CardRecords().linePool;
    int64_t lines = 0;
    int64_t admitted = 0;
    double sum = 0.0;
    for (auto _ : state) {
        int32_t count = pool.ElementCount();
        for (int32_t i = 0; i < count; ++i) {
            const auto* line = pool.Get<vek::CardLine>(uint32_t(i));
            if (!selection.AdmitsLine(line))
                continue;
            double value = base->GetLineValue(line, 0);
            if (!amount.Matches(value))
                continue;
            ++admitted;
            sum += value;
        }
        lines += count;
        benchmark::DoNotOptimize(sum);
    }
    ReportLines(state, lines, admitted);
}
BENCHMARK(BM_SelectionAndAmountSumLinePool)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_EvaluateDimension(benchmark::State& state)
{
    Base* base = LargeBase();
    if (base == nullptr) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::ComponentSelection selection(*base);
    vek::String text;
    RangeText(*base, 1, text);
    text.AppendCStr("|\xC2\xB6&\xC2\xAC\\");
    if (!selection.SetDimensionText(1, text.CStr())) {
        state.SkipWithError("the expression did not compile");
        return;
    }
    for (auto _ : state)
        selection.Evaluate(1);
}
BENCHMARK(BM_EvaluateDimension)->Unit(benchmark::kMicrosecond);

}  // namespace
