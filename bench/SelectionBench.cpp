// A compiled Selection over the one-million-card, five-line synthetic base: a date range, a component
// condition on two dimensions and an amount condition, marking every passing line in a line set as
// an analysis run does (Selection::MarkMatchingLines). The goal is 50M lines a second on one core
// with no allocation per line.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "BenchBases.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/selections/Selection.h"
#include "model/selections/SelectionTexts.h"
#include "platform/FilePath.h"

namespace {

using vek::Base;

Base* LargeBase()
{
    return vek::bench::MillionCardBase();
}

// "'first'..'middle'": about the first half of dimension d in pre-order.
std::string HalfRange(const Base& base, int32_t d)
{
    const vek::RecordPool& pool = base.ComponentPool();
    const vek::Component* first = base.Root(d)->NextInPreorder(pool);
    const vek::Component* last = first;
    for (int32_t i = 0; i < base.CountComponents(d) / 2 && last != nullptr; ++i)
        last = last->NextInPreorder(pool);
    return std::string("'") + first->code + "'..'" + last->code + "'";
}

// 2016-2023 of the base's ten years, half of dimension 1, dimension 2 without half of it, and
// amounts above 100 in magnitude.
bool SetUpSelection(Base& base, vek::Selection& selection, benchmark::State& state)
{
    vek::SelectionTexts texts(base);
    texts.SetOption("cardfrom", "160101");
    texts.SetOption("cardto", "231231");
    texts.SetOption("dim2", HalfRange(base, 1));
    texts.SetOption("dim3", "\xC2\xAC(" + HalfRange(base, 2) + ")");
    texts.SetOption("value", ">100|<-100");
    selection.ApplyTexts(texts);
    if (!selection.Components().HasExpression(1) || !selection.Components().HasExpression(2)) {
        state.SkipWithError("the component conditions did not compile");
        return false;
    }
    return selection.Prepare(vek::SelectionCheck::None);
}

void BM_SelectionMarkMatchingLines(benchmark::State& state)
{
    Base* base = LargeBase();
    if (base == nullptr) {
        state.SkipWithError("the base could not be built");
        return;
    }
    vek::Selection selection(*base, nullptr);
    if (!SetUpSelection(*base, selection, state))
        return;
    // The lines of the range: what the scan walks.
    vek::Card* first = nullptr;
    vek::Card* end = nullptr;
    base->FindCardsInDateRange(selection.From().Value(), selection.To().Value(), first, end);
    int64_t rangeLines = 0;
    for (vek::Card* card = first; card != end; card = base->NextCard(card))
        for (vek::CardGroup* group = base->FirstGroup(card); group != nullptr; group = base->NextGroup(group))
            for (vek::CardLine* line = base->FirstLine(group); line != nullptr; line = base->NextLine(line))
                ++rangeLines;
    vek::BitSet lines(base->CardRecords().linePool.ElementCount());
    int64_t walked = 0;
    for (auto _ : state) {
        lines.SetAll(0);
        if (!selection.MarkMatchingLines(lines)) {
            state.SkipWithError("cancelled");
            return;
        }
        walked += rangeLines;
        benchmark::DoNotOptimize(lines.Words());
    }
    state.SetItemsProcessed(walked);
    state.counters["lines_per_second"] = benchmark::Counter(double(walked), benchmark::Counter::kIsRate);
    state.counters["admitted_share"] = rangeLines > 0 ? double(lines.BitCount()) / double(rangeLines) : 0.0;
}
BENCHMARK(BM_SelectionMarkMatchingLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
