#include "analysis/timefunctions/TimeFunctionAggregator.h"

#include "analysis/AnalysisCodes.h"
#include "foundation/numbers/NumberFormat.h"

namespace vek {

AggregatorMode AggregatorModeOf(int32_t mode)
{
    if (mode < 0 || mode >= kValueModeCount || mode == 2)
        return AggregatorMode::Sum;
    return AggregatorMode(mode);
}

void TimeFunctionAggregator::Configure(int32_t modeNumber, PeriodBasis newBasis, int32_t newDecimals)
{
    mode = AggregatorModeOf(modeNumber);
    basis = newBasis;
    decimals = newDecimals;
    Prepare();
}

void TimeFunctionAggregator::Prepare()
{
    Reset(false);
}

void TimeFunctionAggregator::OpenPeriod()
{
    if (basis == PeriodBasis::PerPeriod)
        Reset(true);
}

void TimeFunctionAggregator::Reset(bool keepBalance)
{
    negative = false;
    count = 0;
    distinct = 0;
    hasLastCard = false;
    lastCard = 0;
    integral = 0.0;
    turnover = 0.0;
    values.Clear();
    switch (mode) {
    case AggregatorMode::Product:
        value = 1.0;
        break;
    case AggregatorMode::Maximum:
    case AggregatorMode::Minimum:
    case AggregatorMode::First:
    case AggregatorMode::Last:
        value = kEmpty;
        break;
    case AggregatorMode::TurnoverTime:
    case AggregatorMode::TurnoverRate:
        // The balance carried into a new period is part of it; only its weighting starts again.
        if (!keepBalance) {
            value = 0.0;
            lastDate = 0;
            lastDay = 0;
        }
        break;
    default:
        value = 0.0;
        break;
    }
}

bool TimeFunctionAggregator::AddToMedian(double x)
{
    // Doubling keeps millions of lines from copying the list at every fixed step of growth.
    int32_t n = values.Count();
    if (n == values.Capacity() && n >= 4096)
        values.ReserveIfPossible(n < INT32_MAX / 2 ? n * 2 : INT32_MAX);
    if (values.Add(x))
        return true;
    --count;  // the line was not taken
    return false;
}

void TimeFunctionAggregator::IntegrateTo(int32_t dayNumber)
{
    // Lines come in date order; a day before the last one (a period end that a shift moved behind
    // lines already read) weights nothing instead of taking days back.
    if (dayNumber <= lastDay)
        return;
    if (lastDay != 0)
        integral += value * double(dayNumber - lastDay);
    lastDay = dayNumber;
}

double TimeFunctionAggregator::SumResult() const
{
    // Sums of amounts are rounded half away from zero to the field's decimals, so that they show and
    // compare exactly.
    return RoundHalfAwayToDecimals(value, decimals);
}

double TimeFunctionAggregator::TurnoverDays()
{
    // Turnover time: the average balance held over the turnover, in days. Half the turnover is what
    // flows in (or out); no turnover gives no value.
    if (turnover == 0.0)
        return kEmpty;
    return 2.0 * std::fabs(integral) / turnover;
}

double TimeFunctionAggregator::Result(PackedDate endDate)
{
    switch (mode) {
    case AggregatorMode::Count:
        return double(count);
    case AggregatorMode::DistinctCards:
        return double(distinct);
    case AggregatorMode::Sum:
        return SumResult();
    case AggregatorMode::NegatedSum:
        return -SumResult() + 0.0;
    case AggregatorMode::Product:
        return value;
    case AggregatorMode::Average:
        return count > 0 ? SumResult() / double(count) : kEmpty;
    case AggregatorMode::GeometricMean: {
        if (count == 0)
            return kEmpty;
        double mean = std::exp(value / double(count));
        return (negative ? -mean : mean) + 0.0;  // a zero among negatives is 0, not -0
    }
    case AggregatorMode::Median:
        return values.Median();
    case AggregatorMode::TurnoverTime:
    case AggregatorMode::TurnoverRate: {
        // The balance counts up to and including the end day: one step without amount on the day
        // after it.
        if (endDate != 0) {
            PackedDate after = NextPackedDate(endDate);
            int32_t afterDay = PackedDateToDayNumber(after) + (after == endDate ? 1 : 0);
            if (afterDay > lastDay) {
                IntegrateTo(afterDay);
                lastDate = after;
            }
        }
        double days = TurnoverDays();
        if (mode == AggregatorMode::TurnoverTime)
            return days;
        // A rate per year of 365 days, as the lines analysis gives its turnover rate and interest.
        return days != 0.0 && std::isfinite(days) ? kRateDaysPerYear / days : kEmpty;
    }
    case AggregatorMode::Maximum:
    case AggregatorMode::Minimum:
    case AggregatorMode::First:
    case AggregatorMode::Last:
        return value;
    }
    return kEmpty;
}

}  // namespace vek
