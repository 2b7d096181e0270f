// TimeFunctionSelectionRow: a row that aggregates the card lines its selection admits, period by period.
#pragma once

#include <cstdint>

#include "analysis/timefunctions/TimeFunctionAggregator.h"
#include "analysis/timefunctions/TimeFunctionPeriods.h"
#include "analysis/timefunctions/TimeFunctionRow.h"
#include "foundation/numbers/CardKey.h"
#include "model/dates/PeriodShift.h"
#include "model/selections/Selection.h"

namespace vek {

class Base;
struct Card;

class TimeFunctionSelectionRow final : public TimeFunctionRow {
public:
    // A new row: empty selection, mode S, basis A, no shift.
    explicit TimeFunctionSelectionRow(TimeFunctionsComputation& owner);
    ~TimeFunctionSelectionRow() override;

    int32_t Ordinal() const override;
    void CopyFromDefinition(const TimeFunctionRowDefinition& definition) override;
    void Prepare() override;
    bool ReadText(TextReader& reader) override;
    void WriteText(TextWriter& writer) const override;
    int32_t ChartStyle() const override { return basis == PeriodBasis::Accumulated ? 1 : 2; }

    Selection& GetSelection() { return selection; }
    const Selection& GetSelection() const { return selection; }
    int32_t ValueField() const { return valueField; }
    void SetValueField(int32_t field) { valueField = field; }
    int32_t Mode() const { return mode; }
    void SetMode(int32_t value) { mode = value == 2 ? 3 : value; }
    PeriodBasis Basis() const { return basis; }
    void SetBasis(PeriodBasis value) { basis = value; }
    const PeriodShift& Shift() const { return shift; }
    void SetShift(const PeriodShift& value) { shift = value; }
    bool HasShift() const { return shift.IsSet(); }

    // Limits the row to one period for a drill-down: the period's keys moved by the shift; a
    // per-period row starts no earlier than the period, every row ends no later than it.
    void LimitToPeriod(const CardKey& periodStart, const CardKey& periodEnd, TimeFunctionPeriodKind periodKind);
    void ClearLimit();
    // The keys the row takes, its selection's range narrowed by a limit.
    const CardKey& RangeStart() const { return rangeStart; }
    const CardKey& RangeEnd() const { return rangeEnd; }

    // Run state, used by the computation.
    TimeFunctionAggregator& Aggregator() { return aggregator; }
    const TimeFunctionAggregator& Aggregator() const { return aggregator; }
    void UpdateRange();
    bool CardPasses(const Card* card, const CardKey& key) const
    {
        return CardKeyInRange(key, rangeStart, rangeEnd) && selection.MatchesCard(card);
    }
    // Whether the line passes the row's selection. Rows with equal selections share one test per
    // line: the first of them (the tester) keeps the answer for the line it tested last.
    bool AcceptsLine(const CardLine* line)
    {
        TimeFunctionSelectionRow& row = *lineTester;
        if (row.testedLine != line->index) {
            row.testedLine = line->index;
            row.lineAccepted = row.selection.MatchesLine(line);
        }
        return row.lineAccepted;
    }
    void SetLineTester(TimeFunctionSelectionRow& tester)
    {
        lineTester = &tester;
        testedLine = kNoTestedLine;
    }

    // The row's own cursor in the shifted loop: the next card it has not read.
    Card* cursor = nullptr;
    bool cardPasses = false;
    int32_t decimalsCode = 0;  // of the value field, for the rounding of modes S and s

private:
    Selection selection;
    int32_t valueField = 0;
    int32_t mode = 3;
    PeriodBasis basis = PeriodBasis::Accumulated;
    PeriodShift shift;
    TimeFunctionAggregator aggregator;
    static constexpr uint32_t kNoTestedLine = 0xffffffff;
    TimeFunctionSelectionRow* lineTester = this;
    uint32_t testedLine = kNoTestedLine;
    bool lineAccepted = false;
    bool limited = false;
    CardKey limitStart;
    CardKey limitEnd{kLastPackedDate, kOpenEndNumber};
    CardKey rangeStart;
    CardKey rangeEnd{kLastPackedDate, kOpenEndNumber};
};

}  // namespace vek
