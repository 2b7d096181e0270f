// The period loops of the time-functions computation: the plain loop that reads the cards once, and
// the shifted loop in which every selection row reads with a cursor of its own.
#include "analysis/timefunctions/TimeFunctionsComputation.h"

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionRunState.h"
#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "model/base/Base.h"

namespace vek {

bool TimeFunctionsComputation::OpenItemPeriod(RunState& state, const CardKey& key, Boundaries boundaries)
{
    if (boundaries == Boundaries::OpenWhenFed && state.current != kOpeningRow && !state.fedSinceOpen) {
        RekeyCurrent(state, key);
        return true;
    }
    return OpenPeriod(state, key);
}

bool TimeFunctionsComputation::OpenCardPeriods(RunState& state, const CardKey& key, Boundaries boundaries)
{
    if (HasPeriodEnds(periodKind)) {
        while (CardKeyGreater(key, state.currentKey)) {
            CardKey next = state.periods.NextEnd(state.currentKey);
            if (!CardKeyGreater(next, state.currentKey))
                break;  // the axis end: the card lies beyond it
            if (!OpenPeriod(state, next))
                return false;
        }
        return true;
    }
    if (periodKind == TimeFunctionPeriodKind::CardDates) {
        // One period per card date, keyed by the day's end so that it holds every card of the day.
        if (key.date > state.currentKey.date)
            return OpenPeriod(state, CardKey{key.date, kOpenEndNumber});
        return true;
    }
    if (periodKind == TimeFunctionPeriodKind::Cards)
        return OpenItemPeriod(state, key, boundaries);
    return true;
}

bool TimeFunctionsComputation::FeedCard(RunState& state, const Card* card, const CardKey& key,
                                        const std::vector<TimeFunctionSelectionRow*>& takers, Boundaries boundaries)
{
    bool anyPasses = false;
    for (TimeFunctionSelectionRow* row : takers) {
        row->cardPasses = row->CardPasses(card, key);
        anyPasses = anyPasses || row->cardPasses;
    }
    if (!anyPasses)
        return true;
    bool cardOpened = boundaries == Boundaries::None;
    for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
        groupTakers.clear();
        for (TimeFunctionSelectionRow* row : takers) {
            if (row->cardPasses && row->GetSelection().AdmitsGroup(group))
                groupTakers.push_back(row);
        }
        if (groupTakers.empty())
            continue;
        bool groupOpened = boundaries == Boundaries::None || periodKind != TimeFunctionPeriodKind::LineGroups;
        for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
            bool lineOpened = boundaries == Boundaries::None || periodKind != TimeFunctionPeriodKind::Lines;
            bool valuesRead = false;
            for (TimeFunctionSelectionRow* row : groupTakers) {
                if (!row->AcceptsLine(line))
                    continue;
                // Period boundaries come before the first accepted line of the card, group or line.
                if (!cardOpened) {
                    cardOpened = true;
                    if (!OpenCardPeriods(state, key, boundaries))
                        return false;
                }
                if (!groupOpened) {
                    groupOpened = true;
                    if (!OpenItemPeriod(state, key, boundaries))
                        return false;
                }
                if (!lineOpened) {
                    lineOpened = true;
                    if (!OpenItemPeriod(state, key, boundaries))
                        return false;
                }
                // The line's amounts are read once for every row that takes it.
                if (!valuesRead) {
                    base.GetLineValues(line, lineValues.data());
                    valuesRead = true;
                }
                double x = row->ValueField() < base.ValueCount() ? lineValues[size_t(row->ValueField())] : 0.0;
                if (!row->Aggregator().Add(x, card->index, key.date)) {
                    state.stopped = true;  // a value list is full: 3950 is pending
                    return false;
                }
                state.fedSinceOpen = true;
            }
        }
    }
    return true;
}

AnalysisRunEnd TimeFunctionsComputation::PlainLoop(AnalysisHost& host, RunState& state)
{
    // What lies before the axis goes into the opening row, without period boundaries.
    if (!accumulators.empty()) {
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
            CardKey key;
            base.GetCardKey(card, key);
            if (!CardKeyLess(key, axisStart))
                break;
            if (host.CancelRequested())
                return AnalysisRunEnd::Cancelled;
            if (!FeedCard(state, card, key, accumulators, Boundaries::None))
                return AnalysisRunEnd::Incomplete;
            host.StepProgress();
        }
    }
    for (Card* card = base.FindCardAtOrAfter(axisStart); card != base.ChainEnd(); card = base.NextCard(card)) {
        CardKey key;
        base.GetCardKey(card, key);
        if (CardKeyGreater(key, axisEnd))
            break;
        if (host.CancelRequested())
            return AnalysisRunEnd::Cancelled;
        if (!FeedCard(state, card, key, accumulators, Boundaries::Open))
            return AnalysisRunEnd::Incomplete;
        host.StepProgress();
    }
    if (HasPeriodEnds(periodKind)) {
        // Empty periods up to the axis end.
        while (CardKeyLess(state.currentKey, axisEnd)) {
            CardKey next = state.periods.NextEnd(state.currentKey);
            if (!CardKeyGreater(next, state.currentKey))
                break;
            if (!OpenPeriod(state, next))
                return AnalysisRunEnd::Incomplete;
        }
    }
    FinishRow(state);
    return AnalysisRunEnd::Completed;
}

AnalysisRunEnd TimeFunctionsComputation::ReadRowUpTo(RunState& state, TimeFunctionSelectionRow& row,
                                                     const CardKey& end, AnalysisHost& host)
{
    singleTaker.assign(1, &row);
    while (row.cursor != base.ChainEnd()) {
        CardKey key;
        base.GetCardKey(row.cursor, key);
        if (CardKeyGreater(key, end))
            break;
        if (host.CancelRequested())
            return AnalysisRunEnd::Cancelled;
        if (!FeedCard(state, row.cursor, key, singleTaker, Boundaries::None))
            return AnalysisRunEnd::Incomplete;
        row.cursor = base.NextCard(row.cursor);
        host.StepProgress();
    }
    return AnalysisRunEnd::Completed;
}

AnalysisRunEnd TimeFunctionsComputation::ReadRowsUpTo(RunState& state, const std::vector<TimeFunctionSelectionRow*>& readers,
                                                      const CardKey& periodEnd, AnalysisHost& host)
{
    for (TimeFunctionSelectionRow* row : readers) {
        CardKey end = row->Shift().Apply(periodEnd, periodKind, ShiftedKeyEdge::RangeEnd);
        if (AnalysisRunEnd result = ReadRowUpTo(state, *row, end, host); result != AnalysisRunEnd::Completed)
            return result;
    }
    return AnalysisRunEnd::Completed;
}

AnalysisRunEnd TimeFunctionsComputation::StepDay(RunState& state, PackedDate day,
                                                 const std::vector<TimeFunctionSelectionRow*>& readers,
                                                 AnalysisHost& host)
{
    CardKey key{day, kOpenEndNumber};
    if (!OpenItemPeriod(state, key, Boundaries::OpenWhenFed))
        return AnalysisRunEnd::Incomplete;
    return ReadRowsUpTo(state, readers, key, host);
}

AnalysisRunEnd TimeFunctionsComputation::ShiftedLoop(AnalysisHost& host, RunState& state)
{
    for (TimeFunctionSelectionRow* row : accumulators)
        row->cursor = base.FirstCard();
    if (AnalysisRunEnd end = ReadRowsUpTo(state, accumulators, state.currentKey, host); end != AnalysisRunEnd::Completed)
        return end;
    if (HasPeriodEnds(periodKind)) {
        while (CardKeyLess(state.currentKey, axisEnd)) {
            CardKey next = state.periods.NextEnd(state.currentKey);
            if (!CardKeyGreater(next, state.currentKey))
                break;
            if (!OpenPeriod(state, next))
                return AnalysisRunEnd::Incomplete;
            if (AnalysisRunEnd end = ReadRowsUpTo(state, accumulators, next, host); end != AnalysisRunEnd::Completed)
                return end;
        }
        FinishRow(state);
        return AnalysisRunEnd::Completed;
    }

    // Kinds A, C, G and L: days are stepped one by one; a day opens a period only when a line was fed
    // since the last one opened, else the empty current period takes the day's key. For C, G and L
    // the rows without a shift take the cards in between, as the plain loop does.
    std::vector<TimeFunctionSelectionRow*> dayReaders;
    std::vector<TimeFunctionSelectionRow*> cardReaders;
    for (TimeFunctionSelectionRow* row : accumulators) {
        bool byDay = row->HasShift() || periodKind == TimeFunctionPeriodKind::CardDates;
        (byDay ? dayReaders : cardReaders).push_back(row);
    }
    PackedDate day = axisStart.date;
    bool daysLeft = day <= axisEnd.date;
    auto stepDaysThrough = [&](PackedDate last) {
        while (daysLeft && day <= last) {
            if (AnalysisRunEnd end = StepDay(state, day, dayReaders, host); end != AnalysisRunEnd::Completed)
                return end;
            PackedDate next = NextPackedDate(day);
            daysLeft = next != day && next <= axisEnd.date;
            day = next;
        }
        return AnalysisRunEnd::Completed;
    };
    if (!cardReaders.empty()) {
        for (Card* card = base.FindCardAtOrAfter(axisStart); card != base.ChainEnd(); card = base.NextCard(card)) {
            CardKey key;
            base.GetCardKey(card, key);
            if (CardKeyGreater(key, axisEnd))
                break;
            if (AnalysisRunEnd end = stepDaysThrough(key.date); end != AnalysisRunEnd::Completed)
                return end;
            if (host.CancelRequested())
                return AnalysisRunEnd::Cancelled;
            if (!FeedCard(state, card, key, cardReaders, Boundaries::OpenWhenFed))
                return AnalysisRunEnd::Incomplete;
            host.StepProgress();
        }
    }
    if (AnalysisRunEnd end = stepDaysThrough(axisEnd.date); end != AnalysisRunEnd::Completed)
        return end;
    if (!state.fedSinceOpen && state.current > kFirstPeriodRow) {
        // An empty last period is dropped; the one before it was finished when this one opened.
        --rowCount;
    } else {
        FinishRow(state);
    }
    return AnalysisRunEnd::Completed;
}

}  // namespace vek
