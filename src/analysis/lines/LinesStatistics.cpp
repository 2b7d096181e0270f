// LinesStatistics: the statistics a lines analysis shows, with their letters, XML names and texts.
#include "analysis/lines/LinesStatistics.h"

namespace vek {

static_assert(kLinesStatistics.size() == size_t(LinesStatistic::NegativeInterest) + 1);
static_assert([] {
    for (size_t i = 0; i < kLinesStatistics.size(); ++i) {
        if (kLinesStatistics[i].statistic != LinesStatistic(i) ||
            kLinesStatistics[i].textNumber != kFirstLinesStatisticId + int32_t(i))
            return false;
    }
    return true;
}(), "the table is in statistic order and the row ids follow it");

bool LinesStatisticFromRowId(int32_t id, LinesStatistic& statistic)
{
    int32_t index = id - kFirstLinesStatisticId;
    if (index < 0 || index >= int32_t(kLinesStatistics.size()))
        return false;
    statistic = LinesStatistic(index);
    return true;
}

const char* LinesStatisticXmlName(int32_t id)
{
    LinesStatistic statistic;
    return LinesStatisticFromRowId(id, statistic) ? LinesStatisticInfo(statistic).xmlName : "";
}

}  // namespace vek
