#include "analysis/lines/LinesComputation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/AnalysisCodes.h"
#include "foundation/memory/CountedValueSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr double kEmptyValue = std::numeric_limits<double>::quiet_NaN();

bool RateInForce(double rate) { return std::isfinite(rate) && rate != 0.0; }

}  // namespace

// The walk of the period: the running balance of every field and the last accrual date.
struct LinesComputation::PeriodState {
    std::vector<double> balance;
    std::vector<double> values;
    bool dayWeighting = false;
    bool extremes = false;
    bool compound = false;
    double positiveGrowth = 1.0;
    double negativeGrowth = 1.0;
    PackedDate lastDate = 0;
    int32_t lastDay = 0;
    int64_t lineRows = 0;
};

LinesComputation::LinesComputation(Base& owner) : base(owner), rows(int32_t(sizeof(LinesResultRow)), 0)
{
    settings.SetDefaults(base, 0);
}

LinesComputation::~LinesComputation() = default;

void LinesComputation::SetPeriod(PackedDate from, PackedDate to)
{
    fromDate = from;
    toDate = to;
}

bool LinesComputation::PositiveRateInForce() const { return RateInForce(settings.positiveRate); }
bool LinesComputation::NegativeRateInForce() const { return RateInForce(settings.negativeRate); }

LinesResultRow LinesComputation::RowAt(int32_t i) const
{
    LinesResultRow row{kNoRecord, kNoRecord, 0, 0.0f, 0.0};
    if (const void* stored = rows.At(i))
        std::memcpy(&row, stored, sizeof row);
    return row;
}

bool LinesComputation::ReserveRows(int32_t more)
{
    if (more <= 0)
        return true;
    if (rowCount > INT32_MAX - more || (rowLimit >= 0 && rowCount + more > rowLimit))
        return false;
    // The rows grow one page after another, so every page below the array's count exists.
    if (rowCount + more <= rows.Count())
        return true;
    // Every page the rows will fall on, so that appending them cannot fail half-way through a card;
    // each is counted whole, so the next cards on it need no call here.
    int32_t last = rowCount + more - 1;
    for (int32_t i = rowCount; i <= last; i = (i | (PagedArray::kPageElements - 1)) + 1) {
        if (!rows.AtGrow(i | (PagedArray::kPageElements - 1)))
            return false;
    }
    return true;
}

bool LinesComputation::AppendRow(const LinesResultRow& row)
{
    if (!ReserveRows(1))
        return false;
    std::memcpy(rows.At(rowCount), &row, sizeof row);
    ++rowCount;
    return true;
}

LinesResultRow* LinesComputation::RowSlot(int32_t i)
{
    return static_cast<LinesResultRow*>(rows.At(i));
}

void LinesComputation::SyncRowArray()
{
    rows.Truncate(rowCount);
}

void LinesComputation::AppendStatisticsRows()
{
    auto add = [this](int32_t id) {
        if (!AppendRow(LinesResultRow{kNoRecord, kNoRecord, uint32_t(id), 0.0f, 0.0}))
            return false;
        ++statisticsRows;
        return true;
    };
    bool ok = true;
    for (const LinesStatisticEntry& entry : FlaggedLinesStatistics()) {
        if (ok && Flag(entry.statistic))
            ok = add(entry.textNumber);
    }
    if (ok && PositiveRateInForce())
        ok = add(kPositiveInterestId);
    if (ok && NegativeRateInForce())
        ok = add(kNegativeInterestId);
    if (ok && statisticsRows > 0)
        (void)add(0);
}

AnalysisRunEnd LinesComputation::SumPhase(AnalysisHost& host, Card* first, Card* stop, bool intoBefore)
{
    std::vector<double> values(size_t(std::max(valueCount, 1)));
    // The sums are kept apart from the fields so that they stay in registers, and added in the same order.
    std::vector<double> sums(static_cast<size_t>(valueCount));
    for (int32_t k = 0; k < valueCount; ++k)
        sums[size_t(k)] = intoBefore ? fields[size_t(k)].before : fields[size_t(k)].after;
    const bool everyLine = current->MatchesEveryLine();
    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    for (Card* card = first; card && card != stop && card != base.ChainEnd(); card = base.NextCard(card)) {
        if (host.CancelRequested()) {
            end = AnalysisRunEnd::Cancelled;
            break;
        }
        if (current->MatchesCard(card)) {
            for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
                if (!current->AdmitsGroup(group))
                    continue;
                for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                    if (!everyLine && !LineAccepted(line))
                        continue;
                    base.GetLineValues(line, values.data());
                    for (int32_t k = 0; k < valueCount; ++k)
                        sums[size_t(k)] += values[size_t(k)];
                }
            }
        }
        host.StepProgress();
    }
    for (int32_t k = 0; k < valueCount; ++k)
        (intoBefore ? fields[size_t(k)].before : fields[size_t(k)].after) = sums[size_t(k)];
    return end;
}

// Interest rates are quoted per year of 365 days, so the compounding exponent counts such years.
double LinesComputation::CompoundFactor(double growth, int32_t day, int32_t lastDay) const
{
    return std::pow(growth, double(endDay - lastDay) / kRateDaysPerYear) -
           std::pow(growth, double(endDay - day) / kRateDaysPerYear);
}

void LinesComputation::AccrueToDate(PeriodState& state, PackedDate date)
{
    if (date == state.lastDate)
        return;
    int32_t day = PackedDateToDayNumber(date);
    double days = double(day - state.lastDay);
    // The factors depend on the date only: worked out once for every field.
    double positiveFactor = 0.0;
    double negativeFactor = 0.0;
    if (state.compound) {
        if (PositiveRateInForce())
            positiveFactor = CompoundFactor(state.positiveGrowth, day, state.lastDay);
        if (NegativeRateInForce())
            negativeFactor = CompoundFactor(state.negativeGrowth, day, state.lastDay);
    }
    for (int32_t k = 0; k < valueCount; ++k) {
        double b = state.balance[size_t(k)];
        LinesFieldStatistics& field = fields[size_t(k)];
        if (b > 0.0) {
            field.positiveBalanceDays += b * days;
            field.positiveInterest += b * positiveFactor;
        } else if (b < 0.0) {
            field.negativeBalanceDays += b * days;
            field.negativeInterest += b * negativeFactor;
        }
    }
    state.lastDay = day;
    state.lastDate = date;
}

AnalysisRunEnd LinesComputation::PeriodPhase(AnalysisHost& host, Card* first, Card* stop)
{
    PeriodState state;
    state.balance.resize(size_t(valueCount));
    state.values.resize(size_t(std::max(valueCount, 1)));
    for (int32_t k = 0; k < valueCount; ++k) {
        LinesFieldStatistics& field = fields[size_t(k)];
        state.balance[size_t(k)] = field.before;
        field.highestBalance = field.before;
        field.lowestBalance = field.before;
    }
    state.dayWeighting = PositiveRateInForce() || NegativeRateInForce() || Flag(LinesStatistic::Average) ||
                         Flag(LinesStatistic::TurnoverTime) || Flag(LinesStatistic::TurnoverRate);
    state.extremes = Flag(LinesStatistic::Maximum) || Flag(LinesStatistic::Minimum);
    state.compound = settings.interestMethod == InterestMethod::Compound;
    state.positiveGrowth = settings.positiveRate / 100.0 + 1.0;
    state.negativeGrowth = settings.negativeRate / 100.0 + 1.0;
    state.lastDate = fromDate;
    state.lastDay = PackedDateToDayNumber(fromDate);
    const bool welford = Flag(LinesStatistic::Variance) || Flag(LinesStatistic::StandardDeviation);
    const bool median = Flag(LinesStatistic::Median);
    const bool everyLine = current->MatchesEveryLine();
    const int32_t main = settings.mainValueField;
    PackedDate lastWholeDate = 0;  // the date of the last card that went in whole
    double* balances = state.balance.data();
    double* values = state.values.data();
    LinesFieldStatistics* stats = fields.data();
    double* means = meanSums.data();
    double* squares = squareSums.data();

    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    for (Card* card = first; card && card != stop && card != base.ChainEnd(); card = base.NextCard(card)) {
        if (host.CancelRequested()) {
            end = AnalysisRunEnd::Cancelled;
            break;
        }
        if (!current->MatchesCard(card)) {
            host.StepProgress();
            continue;
        }
        cardLines.clear();
        for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            if (!current->AdmitsGroup(group))
                continue;
            for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                if (everyLine || LineAccepted(line))
                    cardLines.emplace_back(group, line);
            }
        }
        if (cardLines.empty()) {
            host.StepProgress();
            continue;
        }
        PackedDate date = base.CardDate(card);
        if (!ReserveRows(int32_t(cardLines.size()))) {
            // Nothing of this card has been summed: the period ends with the card before it.
            SetErrorCode(message::kLinesResultIncomplete);
            Message& message = GetPendingError().message;
            String count;
            count.AssignInt(LineRowCount());
            message.AddText(count.CStr());
            CardKey key;
            base.GetCardKey(card, key);
            String keyText;
            FormatCardKey(keyText, key, base.CardNumberDigits());
            message.AddText(keyText.CStr());
            PackedDate newTo = lastWholeDate != 0 ? lastWholeDate : fromDate;
            char dateText[kPackedDateTextCapacity];
            FormatPackedDate(dateText, newTo);
            message.AddText(dateText);
            int32_t oldEndDay = PackedDateToDayNumber(toDate) + 1;
            toDate = newTo;
            endDay = PackedDateToDayNumber(toDate) + 1;
            if (state.compound) {
                // Compound factors were taken to the old period end; the same factor for every
                // interval brings them to the new one.
                double shift = double(oldEndDay - endDay) / kRateDaysPerYear;
                for (LinesFieldStatistics& field : fields) {
                    field.positiveInterest *= std::pow(state.positiveGrowth, -shift);
                    field.negativeInterest *= std::pow(state.negativeGrowth, -shift);
                }
            }
            end = AnalysisRunEnd::Incomplete;
            break;
        }
        if (state.dayWeighting)
            AccrueToDate(state, date);
        LinesResultRow* slot = nullptr;
        for (const auto& [group, line] : cardLines) {
            base.GetLineValues(line, values);
            ++state.lineRows;
            const double lineRows = double(state.lineRows);
            for (int32_t k = 0; k < valueCount; ++k) {
                const double v = values[k];
                LinesFieldStatistics& field = stats[k];
                const double balance = balances[k] + v;
                balances[k] = balance;
                if (state.extremes) {
                    field.minimum = std::min(field.minimum, v);
                    field.maximum = std::max(field.maximum, v);
                    field.lowestBalance = std::min(field.lowestBalance, balance);
                    field.highestBalance = std::max(field.highestBalance, balance);
                }
                if (v > 0.0 && std::isfinite(v))
                    field.positive += v;
                else if (v < 0.0 && std::isfinite(v))
                    field.negative += v;
                if (median && !medianSets[size_t(k)]->Add(v))
                    medianLost[size_t(k)] = 1;
                if (welford) {
                    // Deviations from the running mean: the sum of squares over large amounts would
                    // cancel away the digits that the variance is made of.
                    double delta = v - means[k];
                    means[k] += delta / lineRows;
                    squares[k] += delta * (v - means[k]);
                }
            }
            if (!slot || (rowCount & (PagedArray::kPageElements - 1)) == 0)
                slot = RowSlot(rowCount);
            *slot++ = LinesResultRow{card->index, group->index, line->index, 0.0f,
                                     main < valueCount ? balances[main] : 0.0};
            ++rowCount;
        }
        ++cardCount;
        lastWholeDate = date;
        host.StepProgress();
    }
    if (state.dayWeighting)
        AccrueToDate(state, NextPackedDate(toDate));
    for (LinesFieldStatistics& field : fields)
        field.period = field.positive + field.negative;
    return end;
}

bool LinesComputation::FinishFields(bool dayWeighting)
{
    bool whole = true;
    double lineRows = double(LineRowCount());
    double days = double(endDay - PackedDateToDayNumber(fromDate));
    for (int32_t k = 0; k < valueCount; ++k) {
        LinesFieldStatistics& field = fields[size_t(k)];
        field.endBalance = field.before + field.period;
        field.total = field.endBalance + field.after;
        field.average = lineRows > 0 ? field.period / lineRows : kEmptyValue;
        if (dayWeighting) {
            double balanceDays = field.positiveBalanceDays + field.negativeBalanceDays;
            field.averageBalance = days > 0 ? balanceDays / days : kEmptyValue;
            double turnover = (field.positive - field.negative) * 0.5;
            field.turnoverTime = turnover != 0.0 ? std::fabs(balanceDays) / turnover : kEmptyValue;
            // A rate per year of 365 days, like interest, and like the time functions' mode R.
            field.turnoverRate = field.turnoverTime != 0.0 && std::isfinite(field.turnoverTime)
                                     ? kRateDaysPerYear / field.turnoverTime
                                     : kEmptyValue;
        }
        if (settings.interestMethod != InterestMethod::Compound) {
            // Simple interest: the rate is per year of 365 days.
            field.positiveInterest =
                PositiveRateInForce() ? field.positiveBalanceDays * settings.positiveRate / (100.0 * kRateDaysPerYear) : 0.0;
            field.negativeInterest =
                NegativeRateInForce() ? field.negativeBalanceDays * settings.negativeRate / (100.0 * kRateDaysPerYear) : 0.0;
        }
        if (Flag(LinesStatistic::Median)) {
            // A set that lost a value has no median: never a figure over part of the values.
            CountedValueSet& set = *medianSets[size_t(k)];
            if (medianLost[size_t(k)] != 0) {
                field.median = kEmptyValue;
                if (whole)
                    SetErrorCode(message::kAnalysisIncomplete);
                whole = false;
            } else {
                field.median = set.Median();
            }
            medianSizes[size_t(k)] = set.DistinctCount();
            set.Free();
        }
        if (Flag(LinesStatistic::Variance) || Flag(LinesStatistic::StandardDeviation)) {
            field.variance = lineRows > 0 ? squareSums[size_t(k)] / lineRows : kEmptyValue;
            field.standardDeviation = std::sqrt(field.variance);
        }
    }
    return whole;
}

void LinesComputation::Recalculate(AnalysisHost& host, AnalysisSelection& selection)
{
    rowCount = 0;
    statisticsRows = 0;
    cardCount = 0;
    valueCount = base.ValueCount();
    settings.mainValueField = std::clamp(settings.mainValueField, 0, std::max(valueCount - 1, 0));
    fields.assign(size_t(valueCount), LinesFieldStatistics());
    current = &selection;
    if (!selection.Prepare()) {
        SyncRowArray();
        host.EndRun(AnalysisRunEnd::Failed);
        return;
    }
    if (toDate < fromDate)
        toDate = fromDate;  // an empty or reversed period runs as its from date alone
    endDay = PackedDateToDayNumber(toDate) + 1;
    for (LinesFieldStatistics& field : fields) {
        field.maximum = -std::numeric_limits<double>::infinity();
        field.minimum = std::numeric_limits<double>::infinity();
    }
    if (Flag(LinesStatistic::Median)) {
        medianSets.resize(size_t(valueCount));
        medianSizes.resize(size_t(valueCount), 0);
        medianLost.assign(size_t(valueCount), 0);
        for (int32_t k = 0; k < valueCount; ++k) {
            if (!medianSets[size_t(k)])
                medianSets[size_t(k)] = std::make_unique<CountedValueSet>();
            medianSets[size_t(k)]->Clear();
            // A set that cannot be had at that size grows as values come, and says when it cannot.
            (void)medianSets[size_t(k)]->Reserve(medianSizes[size_t(k)]);
        }
    } else {
        medianSets.clear();
        medianSizes.clear();
        medianLost.clear();
    }
    meanSums.assign(size_t(valueCount), 0.0);
    squareSums.assign(size_t(valueCount), 0.0);

    // The three ranges split the chain of cards: before < (from, 0) <= period <= (to, open) < after.
    Card* periodFirst = nullptr;
    Card* periodStop = nullptr;
    int32_t periodCards =
        base.FindCardsInDateRange(CardKey{fromDate, 0}, CardKey{toDate, kOpenEndNumber}, periodFirst, periodStop);
    if (periodCards == 0)
        periodStop = periodFirst;
    host.StartProgress(base.CardCount());

    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    AppendStatisticsRows();
    bool statisticsWhole = true;
    {
        int32_t wanted = 0;
        for (const LinesStatisticEntry& entry : FlaggedLinesStatistics())
            wanted += Flag(entry.statistic) ? 1 : 0;
        wanted += (PositiveRateInForce() ? 1 : 0) + (NegativeRateInForce() ? 1 : 0);
        statisticsWhole = statisticsRows == (wanted > 0 ? wanted + 1 : 0);
    }
    if (!statisticsWhole) {
        SetErrorCode(message::kAnalysisIncomplete);
        end = AnalysisRunEnd::Incomplete;
    }
    // The balance before the period is summed whether or not its row is shown: every running
    // balance, balance-day and interest figure starts from it.
    if (end == AnalysisRunEnd::Completed)
        end = SumPhase(host, base.FirstCard(), periodFirst, true);
    if (end == AnalysisRunEnd::Completed)
        end = PeriodPhase(host, periodFirst, periodStop);
    if (end == AnalysisRunEnd::Completed)
        end = SumPhase(host, periodStop, base.ChainEnd(), false);
    bool dayWeighting = PositiveRateInForce() || NegativeRateInForce() || Flag(LinesStatistic::Average) ||
                        Flag(LinesStatistic::TurnoverTime) || Flag(LinesStatistic::TurnoverRate);
    if (!FinishFields(dayWeighting) && end == AnalysisRunEnd::Completed)
        end = AnalysisRunEnd::Incomplete;
    SyncRowArray();
    host.EndProgress();
    host.EndRun(end);
    current = nullptr;
}

void LinesComputation::MainValueRange(double& low, double& high) const
{
    low = std::numeric_limits<double>::infinity();
    high = -std::numeric_limits<double>::infinity();
    int32_t main = settings.mainValueField;
    for (int32_t i = statisticsRows; i < rowCount; ++i) {
        const CardLine* line = base.LineAt(RowAt(i).line);
        if (!line || main >= base.ValueCount())
            continue;
        double v = base.GetLineValue(line, main);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (low == high)
        high = high + std::fabs(high) * 0.1 + 1.0;
}

void LinesComputation::ComputePlotPositions()
{
    int32_t i = rowCount - 1;
    while (i >= statisticsRows) {
        PackedDate date = base.CardDate(base.CardAt(RowAt(i).card));
        int32_t runStart = i;
        while (runStart - 1 >= statisticsRows && base.CardDate(base.CardAt(RowAt(runStart - 1).card)) == date)
            --runStart;
        int32_t m = i - runStart + 1;
        for (int32_t j = 0; j < m; ++j) {
            auto* row = static_cast<LinesResultRow*>(rows.At(runStart + j));
            row->plotPosition = float(double(j + 1) / double(m + 1));
        }
        i = runStart - 1;
    }
}

int32_t LinesComputation::FirstRowOnOrAfter(PackedDate date) const
{
    int32_t lo = 0;
    int32_t hi = LineRowCount();
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        CardKey key;
        base.GetCardKey(base.CardAt(RowAt(statisticsRows + mid).card), key);
        if (uint32_t(key.date) < uint32_t(date) || (key.date == date && key.number < 1))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace vek
