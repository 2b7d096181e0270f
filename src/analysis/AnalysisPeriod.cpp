// AnalysisPeriod: the open ends of a period asked for, closed at the base's card dates.
#include "analysis/AnalysisComputation.h"

#include "model/base/Base.h"

namespace vek {

std::pair<PackedDate, PackedDate> AnalysisPeriod::OverCardDates(const Base& base) const
{
    PackedDate first = MakePackedDate(1900, 1, 1);
    PackedDate last = kEndDate;
    if (base.FirstCard() != base.ChainEnd()) {
        first = base.CardDate(base.FirstCard());
        last = base.CardDate(base.LastCard());
    }
    return {from.value_or(first), to.value_or(last)};
}

}  // namespace vek
