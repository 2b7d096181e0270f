// ComponentsComputation: the phases, roll-up, filter and sort of a components analysis.
#include "analysis/components/ComponentsComputation.h"

#include <cmath>
#include <limits>

#include "analysis/CompiledSelection.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/CardKey.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"

namespace vek {

namespace {

constexpr double kEmptyComponentsValue = std::numeric_limits<double>::quiet_NaN();
constexpr double kLargestCountedAmount = 1e308;
constexpr double kNegligible = 5.2e-7;
constexpr int32_t kBeforePhase = 0;
constexpr int32_t kPeriodPhase = 3;
constexpr int32_t kAfterPhase = 8;

bool IsCountedAmount(double amount) { return std::fabs(amount) <= kLargestCountedAmount; }

bool IsNonZeroComponentsValue(double value)
{
    return std::isfinite(value) && std::fabs(value) <= kLargestCountedAmount && std::fabs(value) >= kNegligible;
}

}  // namespace

void ComponentsSettings::CopyFrom(const ComponentsTemplate& definition)
{
    levels = definition.Levels();
    valueField = definition.valueField;
    sortValueField = definition.sortValueField;
    sortItemDisplay = definition.sortItemDisplay;
    sortValueOrder = definition.sortValueOrder;
    viewValueField = definition.viewValueField;
    needsBefore = definition.NeedsBeforePhase();
    needsAfter = definition.NeedsAfterPhase();
    needsCardCount = definition.NeedsCardCount();
    columns = definition.Columns();
}

ComponentsComputation::ComponentsComputation(Base& owner) : base(owner), tree(owner) {}

ComponentsComputation::~ComponentsComputation() = default;

void ComponentsComputation::SetPeriod(PackedDate from, PackedDate to)
{
    fromDate = from;
    toDate = to;
}

double ComponentsComputation::RowValue(const ComponentValues& r, int32_t code) const
{
    switch (code) {
    case int32_t(ComponentsValue::Before): return r.before;
    case int32_t(ComponentsValue::Negative): return r.negative;
    case int32_t(ComponentsValue::Positive): return r.positive;
    case int32_t(ComponentsValue::Period): return r.positive + r.negative;
    case int32_t(ComponentsValue::Percentage):
        // Without a period on the root there is no whole to take a share of.
        return percentageBase != 0.0 ? (r.positive + r.negative) / percentageBase : kEmptyComponentsValue;
    case int32_t(ComponentsValue::CardCount): return r.cardCount;
    case int32_t(ComponentsValue::LineCount): return r.lineCount;
    case int32_t(ComponentsValue::AtEnd): return r.before + r.positive + r.negative;
    case int32_t(ComponentsValue::After): return r.after;
    default: return r.before + r.positive + r.negative + r.after;
    }
}

void ComponentsComputation::ClearRowValues()
{
    values.assign(size_t(tree.RowCount()), ComponentRowValues());
}

void ComponentsComputation::CountCard(ComponentValues& record, uint32_t card)
{
    if (record.lastCard != card) {
        ++record.cardCount;
        record.lastCard = card;
    }
}

void ComponentsComputation::AddPhase(AnalysisHost& runHost, Card* first, Card* end, int32_t phase)
{
    if (first == nullptr || first == end || runHost.CancelRequested())
        return;
    const bool everyLine = current->MatchesEveryLine();
    phaseLines.clear();
    for (Card* card = first; card != end && card != base.ChainEnd(); card = base.NextCard(card)) {
        if (runHost.CancelRequested())
            break;
        if (current->MatchesCard(card)) {
            for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
                if (!current->AdmitsGroup(group))
                    continue;
                for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                    if (!everyLine && !current->MatchesLine(line))
                        continue;
                    // The phases walk the collector's lines in its order.
                    int32_t row = tree.RowOfCollectedLine(lineCursor++, group, line);
                    double amount = base.GetLineValue(line, valueField);
                    if (IsCountedAmount(amount))
                        phaseLines.push_back(PhaseLine{row, card->index, amount});
                }
            }
        }
        if (phaseLines.size() >= kPhaseLineBatch) {
            AddPhaseLines(phase);
            phaseLines.clear();
        }
        runHost.StepProgress();
    }
    AddPhaseLines(phase);
    phaseLines.clear();
}

void ComponentsComputation::AddPhaseLines(int32_t phase)
{
    const bool countCards = settings.needsCardCount;
    for (const PhaseLine& line : phaseLines) {
        ComponentValues& own = values[size_t(line.row)].own;
        if (phase == kBeforePhase) {
            own.before += line.amount;
            continue;
        }
        if (phase == kAfterPhase) {
            own.after += line.amount;
            continue;
        }
        if (line.amount > 0.0)
            own.positive += line.amount;
        else if (line.amount < 0.0)
            own.negative += line.amount;
        ++own.lineCount;
        if (countCards) {
            // A card counts once per row, and once in each ancestor's rolled-up count. A row that
            // has counted this card already did so for its ancestors too: a card's lines come
            // together, so nothing counted another card in between.
            CountCard(own, line.card);
            for (int32_t r = line.row; r >= 0 && values[size_t(r)].rolledUp.lastCard != line.card;
                 r = tree.Row(r).parent)
                CountCard(values[size_t(r)].rolledUp, line.card);
        }
    }
}

void ComponentsComputation::RollUpValues()
{
    for (ComponentRowValues& row : values) {
        if (!settings.needsBefore)
            row.own.before = kEmptyComponentsValue;
        if (!settings.needsAfter)
            row.own.after = kEmptyComponentsValue;
        row.rolledUp.before = row.own.before;
        row.rolledUp.positive = row.own.positive;
        row.rolledUp.negative = row.own.negative;
        row.rolledUp.after = row.own.after;
        row.rolledUp.lineCount = row.own.lineCount;
    }
    // Every row's index is above its parent's: one backward pass sums whole subtrees.
    for (int32_t row = tree.RowCount() - 1; row >= 1; --row) {
        const ComponentValues& child = values[size_t(row)].rolledUp;
        ComponentValues& parent = values[size_t(tree.Row(row).parent)].rolledUp;
        parent.positive += child.positive;
        parent.negative += child.negative;
        parent.lineCount += child.lineCount;
        if (settings.needsBefore)
            parent.before += child.before;
        if (settings.needsAfter)
            parent.after += child.after;
    }
}

void ComponentsComputation::Recalculate(AnalysisHost& runHost, CompiledSelection& selection)
{
    tree.SaveExpansion();
    values.clear();
    percentageBase = 0.0;
    host = &runHost;
    current = &selection;
    // A field the base does not have would read past the line's values.
    valueField = settings.valueField >= 0 && settings.valueField < base.ValueCount() ? settings.valueField : 0;
    if (!selection.Prepare()) {
        tree.FinishLevelTree();
        runHost.EndRun(AnalysisRunEnd::Failed);
        current = nullptr;
        return;
    }
    if (toDate < fromDate)
        toDate = fromDate;  // an empty or reversed period runs as its from date alone

    Card* periodFirst = nullptr;
    Card* periodStop = nullptr;
    int32_t periodCards =
        base.FindCardsInDateRange(CardKey{fromDate, 0}, CardKey{toDate, kOpenEndNumber}, periodFirst, periodStop);
    if (periodCards == 0)
        periodStop = periodFirst;
    if (periodFirst == nullptr)
        periodFirst = periodStop = base.ChainEnd();
    int32_t beforeCards = 0;
    int32_t afterCards = 0;
    for (Card* card = base.FirstCard(); settings.needsBefore && card != periodFirst; card = base.NextCard(card))
        ++beforeCards;
    if (settings.needsAfter)
        afterCards = base.CardCount() - beforeCards - periodCards;
    if (!settings.needsBefore)
        beforeCards = 0;
    spanFirst = settings.needsBefore ? base.FirstCard() : periodFirst;
    spanEnd = settings.needsAfter ? base.ChainEnd() : periodStop;
    runHost.StartProgress(beforeCards + periodCards + afterCards);

    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    BitSet selected;
    const BitSet& admitted = selection.Compiled().Components().Admitted();
    int32_t poolCount = base.ComponentPool().ElementCount();
    if (!selected.InitCopy(admitted, admitted.Flags()) ||
        (selected.Count() < poolCount && !selected.ResizeFill(poolCount, false))) {
        SetOutOfMemoryError();
        end = AnalysisRunEnd::Failed;
    }
    if (end == AnalysisRunEnd::Completed) {
        switch (tree.BuildLevelTree(settings.levels, selected, *this)) {
        case LevelTreeBuild::Built: break;
        case LevelTreeBuild::Cancelled: end = AnalysisRunEnd::Cancelled; break;
        case LevelTreeBuild::Incomplete: end = AnalysisRunEnd::Incomplete; break;
        }
        if (end == AnalysisRunEnd::Completed && tree.RowCount() == 0) {
            SetCancelledError();
            end = AnalysisRunEnd::Cancelled;
        }
    }
    if (end == AnalysisRunEnd::Completed) {
        ClearRowValues();
        lineCursor = 0;
        if (settings.needsBefore)
            AddPhase(runHost, base.FirstCard(), periodFirst, kBeforePhase);
        AddPhase(runHost, periodFirst, periodStop, kPeriodPhase);
        if (settings.needsAfter)
            AddPhase(runHost, periodStop, base.ChainEnd(), kAfterPhase);
        if (runHost.CancelRequested())
            end = AnalysisRunEnd::Cancelled;
    }
    if (end == AnalysisRunEnd::Completed) {
        RollUpValues();
        tree.FilterRows(*this);
        double rootPeriod = RowValue(values[0].rolledUp, int32_t(ComponentsValue::Period));
        percentageBase = IsNonZeroComponentsValue(rootPeriod) ? rootPeriod / 100.0 : 0.0;
        if (settings.sortValueField >= 0 || settings.sortItemDisplay != 0) {
            LevelTreeSort sort{settings.sortValueField, settings.sortItemDisplay, settings.sortValueOrder};
            tree.SortSiblings(*this, sort);
        }
    }
    if (values.size() != size_t(tree.RowCount()))
        values.resize(size_t(tree.RowCount()));
    runHost.EndProgress();
    tree.FinishLevelTree();
    runHost.EndRun(end);
    current = nullptr;
    host = nullptr;
}

bool ComponentsComputation::CollectCombinations(LevelTree& levelTree)
{
    const bool everyLine = current->MatchesEveryLine();
    for (Card* card = spanFirst; card != spanEnd && card != base.ChainEnd(); card = base.NextCard(card)) {
        if (host->CancelRequested())
            return false;
        if (current->MatchesCard(card)) {
            for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
                if (!current->AdmitsGroup(group))
                    continue;
                for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                    if (!everyLine && !current->MatchesLine(line))
                        continue;
                    if (!levelTree.InsertLineCombination(group, line))
                        return true;  // past the fill limit: the tree grows its table and asks again
                }
            }
        }
        host->StepProgress();
    }
    return true;
}

void ComponentsComputation::MarkRows(std::span<uint8_t> marks) const
{
    for (int32_t row = 1; row < tree.RowCount(); ++row)
        marks[size_t(row)] = values[size_t(row)].own.lineCount > 0 || RowHasData(row, RowValues::Own) ? 1 : 0;
}

bool ComponentsComputation::RowPassesFilter(int32_t row) const
{
    return values[size_t(row)].own.lineCount > 0 || RowHasData(row, RowValues::Own);
}

bool ComponentsComputation::RowHasData(int32_t row, RowValues which) const
{
    const ComponentValues& record = which == RowValues::Own ? values[size_t(row)].own : values[size_t(row)].rolledUp;
    for (int32_t code = 0; code < kComponentsValueCount; ++code) {
        if (settings.columns[size_t(code)].shown && IsNonZeroComponentsValue(RowValue(record, code)))
            return true;
    }
    return false;
}

double ComponentsComputation::GetSortValue(int32_t row) const
{
    return RowValue(values[size_t(row)].rolledUp, settings.sortValueField);
}

int32_t ComponentsComputation::CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay) const
{
    return host ? host->CompareRowValues(base, a, b, itemDisplay) : 0;
}

void ComponentsComputation::MoveRowData(int32_t from, int32_t to)
{
    values[size_t(to)] = values[size_t(from)];
}

}  // namespace vek
