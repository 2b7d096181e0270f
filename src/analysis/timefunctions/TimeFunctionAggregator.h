// TimeFunctionAggregator: the running value of one selection row of a time-functions analysis.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "analysis/MedianList.h"
#include "foundation/numbers/PackedDate.h"
#include "model/dates/TimeFunctionPeriodKind.h"

namespace vek {


// The value modes as the template stores them (letters "CKcSsPAGDTRMNFL"); 2 never reaches an
// aggregator (it is read as Sum).
enum class AggregatorMode : int32_t {
    Count = 0,          // C: lines
    DistinctCards = 1,  // K: cards
    Sum = 3,            // S
    NegatedSum = 4,     // s
    Product = 5,        // P
    Average = 6,        // A
    GeometricMean = 7,  // G
    Median = 8,         // D
    TurnoverTime = 9,   // T: days
    TurnoverRate = 10,  // R: turns a year
    Maximum = 11,       // M
    Minimum = 12,       // N
    First = 13,         // F
    Last = 14,          // L
};

// Folds a stored mode number into the modes above: 2 and numbers outside 0-14 become Sum.
AggregatorMode AggregatorModeOf(int32_t mode);

// Aggregates the amounts of the lines a selection row admits into one number per period.
//
// Every line goes through Add, in card-key order; Result finishes a period. Prepare resets
// everything before a run; OpenPeriod starts a new period, which resets only a per-period row (a
// turnover row keeps its running balance and last date even then, so that the balance carried into
// the period is weighted from the period's first day).
//
// Add is an inline switch with no allocation for every mode but Median, whose list grows by
// doubling. When the median's list cannot grow, Add returns false and the pending error 3950 (the
// result is incomplete) is raised; the caller stops the run.
class TimeFunctionAggregator {
public:
    TimeFunctionAggregator() = default;
    TimeFunctionAggregator(const TimeFunctionAggregator&) = delete;
    TimeFunctionAggregator& operator=(const TimeFunctionAggregator&) = delete;

    // The mode (a stored mode number), the basis and the decimals code of the value field
    // ("0123456FTM": 0-6 decimals, 7 as it stands, 8 and 9 whole units); then Prepare.
    void Configure(int32_t mode, PeriodBasis basis, int32_t decimals);

    AggregatorMode Mode() const { return mode; }
    PeriodBasis Basis() const { return basis; }
    int32_t Decimals() const { return decimals; }

    // The reset before a run: everything starts again, the turnover balance and last date too.
    void Prepare();
    // A new period: a per-period row resets (as Prepare, except that a turnover row keeps its
    // balance, last date and last day number); an accumulated row runs on.
    void OpenPeriod();

    // One admitted line: its amount in the row's value field, its card (pool index) and the card's
    // date. False only when the median's list cannot hold the amount (3950 pending).
    [[nodiscard]] bool Add(double x, uint32_t card, PackedDate date);

    // The row's value at the end of a period. `endDate` is used by TurnoverTime and TurnoverRate only:
    // the period's last day moved back by the row's shift as a range start and limited to the end of
    // the row's selection; the balance is integrated up to and including that day (which moves the
    // row's last date to the day after, as a line without amount would). Empty (NaN) when there is
    // nothing to give: no line for Average, GeometricMean, Median, Maximum, Minimum, First and
    // Last; no turnover for TurnoverTime and TurnoverRate.
    double Result(PackedDate endDate);

    // Lines added since the last reset (the "#" variable of the row).
    int32_t Count() const { return count; }
    int32_t DistinctCount() const { return distinct; }
    // The running balance of a turnover row.
    double Balance() const { return value; }

private:
    static constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();

    void Reset(bool keepBalance);
    [[nodiscard]] bool AddToMedian(double x);
    void GeometricStep(double x);
    void TurnoverStep(double x, PackedDate date);
    void IntegrateTo(int32_t dayNumber);
    double SumResult() const;
    double TurnoverDays();

    AggregatorMode mode = AggregatorMode::Sum;
    PeriodBasis basis = PeriodBasis::Accumulated;
    int32_t decimals = 0;

    double value = 0.0;  // sum, product, log sum, extreme, running balance
    bool negative = false;
    int32_t count = 0;
    int32_t distinct = 0;
    uint32_t lastCard = 0;
    bool hasLastCard = false;
    PackedDate lastDate = 0;
    int32_t lastDay = 0;
    double integral = 0.0;  // balance x days
    double turnover = 0.0;  // sum of |amount|
    MedianList values;
};

inline bool TimeFunctionAggregator::Add(double x, uint32_t card, PackedDate date)
{
    ++count;
    switch (mode) {
    case AggregatorMode::Count:
        return true;
    case AggregatorMode::DistinctCards:
        if (!hasLastCard || card != lastCard) {
            lastCard = card;
            hasLastCard = true;
            ++distinct;
        }
        return true;
    case AggregatorMode::Sum:
    case AggregatorMode::NegatedSum:
    case AggregatorMode::Average:
        value += x;
        return true;
    case AggregatorMode::Product:
        value *= x;
        return true;
    case AggregatorMode::GeometricMean:
        GeometricStep(x);
        return true;
    case AggregatorMode::Median:
        return AddToMedian(x);
    case AggregatorMode::TurnoverTime:
    case AggregatorMode::TurnoverRate:
        TurnoverStep(x, date);
        return true;
    case AggregatorMode::Maximum:
        if (count == 1 || x > value)
            value = x;
        return true;
    case AggregatorMode::Minimum:
        if (count == 1 || x < value)
            value = x;
        return true;
    case AggregatorMode::First:
        if (count == 1)
            value = x;
        return true;
    case AggregatorMode::Last:
        value = x;
        return true;
    }
    return true;
}

inline void TimeFunctionAggregator::GeometricStep(double x)
{
    // Logarithms keep the product of many amounts within range; a zero (or a value that is not a
    // number) makes the mean 0 for good.
    if (x > 0.0 && std::isfinite(x)) {
        value += std::log(x);
    } else if (x < 0.0 && std::isfinite(x)) {
        value += std::log(-x);
        negative = !negative;
    } else {
        value = -std::numeric_limits<double>::infinity();
    }
}

inline void TimeFunctionAggregator::TurnoverStep(double x, PackedDate date)
{
    if (date != lastDate) {
        IntegrateTo(PackedDateToDayNumber(date));
        lastDate = date;
    }
    value += x;
    turnover += std::fabs(x);
}

}  // namespace vek
