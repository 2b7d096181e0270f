// TimeFunctionsAnalysis: a time-functions analysis behind the computation interface.
#pragma once

#include "analysis/AnalysisComputation.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"

namespace vek {

class TimeFunctionsTemplate;

// The time-functions engine with the rows of a template (loaded when made). An end of the period that
// is given replaces that end of the template's axis: the from date as (date, 0), the to date as
// (date, open end).
//
// The rows: nothing when the table has no period; else a header of "row", "period" and the visible
// rows' names, then the opening row, the periods in time order and the totals row when a row is
// summed, each as its kind ("opening", "period", "totals"), its key (none for the totals: a period
// keyed by its last day shows that day, one keyed by a card shows the card key) and its values.
class TimeFunctionsAnalysis final : public AnalysisComputation {
public:
    explicit TimeFunctionsAnalysis(const TimeFunctionsTemplate& definition);
    ~TimeFunctionsAnalysis() override;

    void SetPeriod(const AnalysisPeriod& period) override;
    void Compute(AnalysisHost& host) override;
    void ReadRows(ResultRowReader& reader) const override;

    const TimeFunctionsComputation& Engine() const { return computation; }

private:
    TimeFunctionsComputation computation;
};

}  // namespace vek
