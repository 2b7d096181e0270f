// ComponentFunctionsAggregation: the selection columns of a component-functions analysis gathered per
// row in one walk per group of columns, then finished up the tree or running over the rows.
#include "analysis/componentfunctions/ComponentFunctionsComputation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/AnalysisCodes.h"
#include "analysis/MedianList.h"
#include "foundation/numbers/NumberFormat.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"

namespace vek {

namespace {

constexpr double kEmptyAggregateValue = std::numeric_limits<double>::quiet_NaN();
constexpr uint32_t kNoCardCounted = 0xFFFFFFFFu;
constexpr int32_t kUnroundedDecimals = 7;

// The value modes of a selection column (positions in "CKcSsPAGDTRMN").
enum ColumnMode : int32_t {
    kModeCount = 0,
    kModeCards = 1,
    kModeRowsWithLines = 2,
    kModeSum = 3,
    kModeNegatedSum = 4,
    kModeProduct = 5,
    kModeAverage = 6,
    kModeGeometric = 7,
    kModeMedian = 8,
    kModeTurnoverTime = 9,
    kModeTurnoverRate = 10,
    kModeMaximum = 11,
    kModeMinimum = 12,
};

bool IsTurnoverMode(int32_t mode) { return mode == kModeTurnoverTime || mode == kModeTurnoverRate; }

double RoundColumnValue(double value, int32_t code)
{
    return code == kUnroundedDecimals || !std::isfinite(value) ? value : RoundToDecimals(value, code);
}

// Twice the balance-days over the turnover, in days (or a rate per year of it); no turnover gives no
// value, and no time no rate, never an infinity.
double TurnoverValue(int32_t mode, double balanceDays, double absoluteSum)
{
    double days = absoluteSum != 0.0 ? 2.0 * std::fabs(balanceDays) / absoluteSum : kEmptyAggregateValue;
    if (mode == kModeTurnoverTime)
        return days;
    return days != 0.0 && std::isfinite(days) ? kRateDaysPerYear / days : kEmptyAggregateValue;
}

double StartValueOf(int32_t mode)
{
    return mode == kModeProduct ? 1.0 : (mode == kModeMaximum || mode == kModeMinimum) ? kEmptyAggregateValue : 0.0;
}

}  // namespace

// What one selection column gathers per row while its group walks the cards: a value and a line
// count for every mode, and what its own mode needs besides (each array empty for the other modes).
struct ComponentFunctionsComputation::ColumnScratch {
    std::vector<double> value;
    std::vector<int32_t> count;
    std::vector<uint8_t> sign;             // mode 7
    std::vector<uint32_t> lastCard;        // mode 1: the card last counted own, then rolled up
    std::vector<uint32_t> lastRolledCard;
    std::vector<int32_t> distinct;
    std::vector<int32_t> rolledDistinct;
    std::vector<double> absoluteSum;       // modes 9, 10
    std::vector<double> balanceDays;
    std::vector<PackedDate> lastDate;
    std::vector<std::unique_ptr<MedianList>> median;  // mode 8
};

double ComponentFunctionsComputation::GeometricMeanOf(double logSum, int32_t count, bool negative)
{
    if (count == 0)
        return kEmptyAggregateValue;
    double mean = std::exp(logSum / double(count));
    return (negative ? -mean : mean) + 0.0;  // a zero among negatives is 0, not -0
}

void ComponentFunctionsComputation::StartScratch(const ComponentFunctionSelectionRun& column, ColumnScratch& s) const
{
    const size_t rows = size_t(tree.RowCount());
    const int32_t mode = column.valueMode;
    s.value.assign(rows, StartValueOf(mode));
    s.count.assign(rows, 0);
    if (mode == kModeGeometric)
        s.sign.assign(rows, 0);
    if (mode == kModeCards) {
        s.lastCard.assign(rows, kNoCardCounted);
        s.lastRolledCard.assign(rows, kNoCardCounted);
        s.distinct.assign(rows, 0);
        s.rolledDistinct.assign(rows, 0);
    }
    if (IsTurnoverMode(mode)) {
        s.absoluteSum.assign(rows, 0.0);
        s.balanceDays.assign(rows, 0.0);
        s.lastDate.assign(rows, 0);
    }
    if (mode == kModeMedian)
        s.median.resize(rows);
}

bool ComponentFunctionsComputation::AccumulateLine(const ComponentFunctionSelectionRun& column, ColumnScratch& s,
                                                   int32_t row, uint32_t card, PackedDate date, double x)
{
    const size_t r = size_t(row);
    ++s.count[r];
    double& value = s.value[r];
    switch (column.valueMode) {
    case kModeCards: {
        // A card counts once per row in the own count, and once for the row and each ancestor in the
        // rolled-up count; running, a counted row also counts it for its following siblings.
        const bool running = column.accumulation == ColumnAccumulation::Running;
        auto count = [&](int32_t first, std::vector<uint32_t>& last, std::vector<int32_t>& counts) {
            for (int32_t at = first; at >= 0; at = running ? tree.Row(at).nextSibling : -1) {
                if (last[size_t(at)] == card)
                    continue;
                last[size_t(at)] = card;
                ++counts[size_t(at)];
            }
        };
        count(row, s.lastCard, s.distinct);
        for (int32_t at = row; at >= 0; at = tree.Row(at).parent)
            count(at, s.lastRolledCard, s.rolledDistinct);
        break;
    }
    case kModeSum:
    case kModeAverage: value += x; break;
    case kModeNegatedSum: value -= x; break;
    case kModeProduct: value *= x; break;
    case kModeGeometric:
        if (std::isfinite(x) && x > 0.0) {
            value += std::log(x);
        } else if (std::isfinite(x) && x < 0.0) {
            value += std::log(-x);
            s.sign[r] ^= 1;
        } else {
            value = -std::numeric_limits<double>::infinity();
        }
        break;
    case kModeMedian:
        if (!s.median[r])
            s.median[r] = std::make_unique<MedianList>();
        return s.median[r]->Add(x);  // false: 3950 pending, no median over part of the values
    case kModeTurnoverTime:
    case kModeTurnoverRate:
        if (date != s.lastDate[r]) {
            // The balance so far is held from the last date to this one.
            if (s.lastDate[r] != 0)
                s.balanceDays[r] += value * double(PackedDateToDayNumber(date) - PackedDateToDayNumber(s.lastDate[r]));
            s.lastDate[r] = date;
        }
        value += x;
        s.absoluteSum[r] += std::fabs(x);
        break;
    case kModeMaximum:
        if (std::isnan(value) || x > value)
            value = x;
        break;
    case kModeMinimum:
        if (std::isnan(value) || x < value)
            value = x;
        break;
    default: break;  // modes 0 and 2 only count
    }
    return true;
}

bool ComponentFunctionsComputation::AggregateGroup(AnalysisHost& runHost, const std::vector<int32_t>& group)
{
    std::vector<ColumnScratch> scratch(group.size());
    bool needsDate = false;
    for (size_t i = 0; i < group.size(); ++i) {
        StartScratch(selections[size_t(group[i])], scratch[i]);
        needsDate = needsDate || IsTurnoverMode(selections[size_t(group[i])].valueMode);
    }
    const ComponentFunctionSelectionRun& first = selections[size_t(group.front())];
    AnalysisSelection& selection = *first.selection;
    const int32_t rows = tree.RowCount();
    for (Card* card = first.spanFirst; card != first.spanStop && card != base.ChainEnd(); card = base.NextCard(card)) {
        if (runHost.CancelRequested())
            return false;
        if (selection.MatchesCard(card)) {
            PackedDate date = needsDate ? base.CardDate(card) : 0;
            for (const CardGroup* cardGroup = base.FirstGroup(card); cardGroup; cardGroup = base.NextGroup(cardGroup)) {
                if (!selection.AdmitsGroup(cardGroup))
                    continue;
                for (const CardLine* line = base.FirstLine(cardGroup); line; line = base.NextLine(line)) {
                    if (!selection.MatchesLine(line))
                        continue;
                    // The collector walked the same lines in the same order: the row needs no new key.
                    int32_t row = tree.RowOfCollectedLine(collectedLine++, cardGroup, line);
                    if (row < 0 || row >= rows)
                        continue;
                    for (size_t i = 0; i < group.size(); ++i) {
                        const ComponentFunctionSelectionRun& column = selections[size_t(group[i])];
                        double x = base.GetLineValue(line, column.valueField);
                        if (!AccumulateLine(column, scratch[i], row, card->index, date, x))
                            return false;
                    }
                }
            }
        }
        runHost.StepProgress();
    }
    for (size_t i = 0; i < group.size(); ++i)
        FinishColumn(selections[size_t(group[i])], scratch[i]);
    return true;
}

void ComponentFunctionsComputation::FinishColumn(ComponentFunctionSelectionRun& column, ColumnScratch& s)
{
    const int32_t rows = tree.RowCount();
    const int32_t mode = column.valueMode;
    // Every row's balance is weighed up to the day after the range's end.
    if (IsTurnoverMode(mode)) {
        int32_t endDay = PackedDateToDayNumber(NextPackedDate(column.toDate));
        for (int32_t r = 0; r < rows; ++r) {
            PackedDate last = s.lastDate[size_t(r)];
            if (last != 0 && endDay > PackedDateToDayNumber(last))
                s.balanceDays[size_t(r)] += s.value[size_t(r)] * double(endDay - PackedDateToDayNumber(last));
        }
    }
    column.ownCount = s.count;
    for (int32_t r = 0; r < rows; ++r) {
        if (s.count[size_t(r)] > 0)
            hasLines[size_t(r)] = 1;
    }
    column.rolledUpCount = column.ownCount;
    for (int32_t r = rows - 1; r >= 1; --r)
        column.rolledUpCount[size_t(tree.Row(r).parent)] += column.rolledUpCount[size_t(r)];
    column.own.resize(size_t(rows));
    if (mode == kModeCards) {
        column.rolledUp.resize(size_t(rows));
        for (int32_t r = 0; r < rows; ++r) {
            column.own[size_t(r)] = s.distinct[size_t(r)];
            column.rolledUp[size_t(r)] = s.rolledDistinct[size_t(r)];
        }
        return;
    }
    if (column.accumulation == ColumnAccumulation::Running)
        FinishRunning(column, s);
    else
        FinishTree(column, s);
}

void ComponentFunctionsComputation::FinishTree(ComponentFunctionSelectionRun& column, ColumnScratch& s)
{
    const int32_t rows = tree.RowCount();
    const int32_t mode = column.valueMode;
    std::vector<double>& own = column.own;
    std::vector<double>& rolled = column.rolledUp;
    // What the modes roll up before they take their value: rounded sums for the average, log-sums and
    // signs, balance-days and turnover; the median lists themselves.
    std::vector<double>& sums = s.value;
    for (int32_t r = 0; r < rows; ++r) {
        size_t i = size_t(r);
        int32_t count = s.count[i];
        switch (mode) {
        case kModeCount: own[i] = count; break;
        case kModeRowsWithLines: own[i] = count > 0 ? 1.0 : 0.0; break;
        case kModeSum:
        case kModeNegatedSum: own[i] = RoundColumnValue(s.value[i], column.decimalsCode); break;
        case kModeAverage:
            sums[i] = RoundColumnValue(s.value[i], column.decimalsCode);
            own[i] = count > 0 ? sums[i] / count : kEmptyAggregateValue;
            break;
        case kModeGeometric: own[i] = GeometricMeanOf(s.value[i], count, s.sign[i] != 0); break;
        case kModeMedian: own[i] = s.median[i] ? s.median[i]->Median() : kEmptyAggregateValue; break;
        case kModeTurnoverTime:
        case kModeTurnoverRate: own[i] = TurnoverValue(mode, s.balanceDays[i], s.absoluteSum[i]); break;
        default: own[i] = s.value[i]; break;  // product, maximum, minimum
        }
    }
    rolled = own;
    // Every row's index is above its parent's: one backward pass takes whole subtrees.
    for (int32_t r = rows - 1; r >= 1; --r) {
        size_t p = size_t(tree.Row(r).parent);
        size_t c = size_t(r);
        switch (mode) {
        case kModeRowsWithLines:
        case kModeSum:
        case kModeNegatedSum: rolled[p] += rolled[c]; break;
        case kModeProduct: rolled[p] *= rolled[c]; break;
        case kModeAverage: sums[p] += sums[c]; break;
        case kModeGeometric:
            sums[p] += sums[c];
            s.sign[p] ^= s.sign[c];
            break;
        case kModeMedian:
            rolled[c] = s.median[c] ? s.median[c]->Median() : kEmptyAggregateValue;
            if (s.median[c]) {
                if (!s.median[p])
                    s.median[p] = std::make_unique<MedianList>();
                (void)s.median[p]->Append(*s.median[c]);  // a failure leaves 3950 pending
                s.median[c].reset();
            }
            break;
        case kModeTurnoverTime:
        case kModeTurnoverRate:
            s.balanceDays[p] += s.balanceDays[c];
            s.absoluteSum[p] += s.absoluteSum[c];
            break;
        case kModeMaximum:
            if (std::isnan(rolled[p]) || rolled[c] > rolled[p])
                rolled[p] = rolled[c];
            break;
        case kModeMinimum:
            if (std::isnan(rolled[p]) || rolled[c] < rolled[p])
                rolled[p] = rolled[c];
            break;
        default: break;  // mode 0 takes the rolled-up counts below
        }
    }
    for (int32_t r = 0; r < rows; ++r) {
        size_t i = size_t(r);
        int32_t count = column.rolledUpCount[i];
        switch (mode) {
        case kModeCount: rolled[i] = count; break;
        case kModeAverage: rolled[i] = count > 0 ? sums[i] / count : kEmptyAggregateValue; break;
        case kModeGeometric: rolled[i] = GeometricMeanOf(sums[i], count, s.sign[i] != 0); break;
        case kModeTurnoverTime:
        case kModeTurnoverRate: rolled[i] = TurnoverValue(mode, s.balanceDays[i], s.absoluteSum[i]); break;
        default: break;
        }
    }
    if (mode == kModeMedian && rows > 0)
        rolled[0] = s.median[0] ? s.median[0]->Median() : kEmptyAggregateValue;
}

void ComponentFunctionsComputation::FinishRunning(ComponentFunctionSelectionRun& column, ColumnScratch& s)
{
    const int32_t rows = tree.RowCount();
    const int32_t mode = column.valueMode;
    std::vector<double>& own = column.own;
    double running = StartValueOf(mode);
    double runningExtra = 0.0;
    int64_t runningCount = 0;
    uint8_t runningSign = 0;
    MedianList all;
    for (int32_t r = 0; r < rows; ++r) {
        size_t i = size_t(r);
        runningCount += s.count[i];
        switch (mode) {
        case kModeCount: own[i] = double(runningCount); break;
        case kModeRowsWithLines:
            running += s.count[i] > 0 ? 1.0 : 0.0;
            own[i] = running;
            break;
        case kModeSum:
        case kModeNegatedSum:
            running = RoundColumnValue(running + s.value[i], column.decimalsCode);
            own[i] = running;
            break;
        case kModeProduct:
            running *= s.value[i];
            own[i] = running;
            break;
        case kModeAverage:
            running += RoundColumnValue(s.value[i], column.decimalsCode);
            own[i] = runningCount > 0 ? running / double(runningCount) : kEmptyAggregateValue;
            break;
        case kModeGeometric:
            running += s.value[i];
            runningSign ^= s.sign[i];
            own[i] = GeometricMeanOf(running, int32_t(std::min<int64_t>(runningCount, INT32_MAX)), runningSign != 0);
            break;
        case kModeMedian:
            if (s.median[i])
                (void)all.Append(*s.median[i]);  // a failure leaves 3950 pending
            own[i] = all.Median();
            break;
        case kModeTurnoverTime:
        case kModeTurnoverRate:
            running += s.balanceDays[i];
            runningExtra += s.absoluteSum[i];
            own[i] = TurnoverValue(mode, running, runningExtra);
            break;
        case kModeMaximum:
            if (std::isnan(running) || s.value[i] > running)
                running = s.value[i];
            own[i] = running;
            break;
        case kModeMinimum:
            if (std::isnan(running) || s.value[i] < running)
                running = s.value[i];
            own[i] = running;
            break;
        default: break;
        }
    }
    // A row's rolled-up value is the running value at the end of its subtree: its last child's.
    column.rolledUp = own;
    for (int32_t r = rows - 1; r >= 1; --r) {
        if (tree.Row(r).nextSibling < 0)
            column.rolledUp[size_t(tree.Row(r).parent)] = column.rolledUp[size_t(r)];
    }
}

}  // namespace vek
