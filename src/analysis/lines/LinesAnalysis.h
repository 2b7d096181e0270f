// LinesAnalysis: a lines analysis behind the computation interface.
#pragma once

#include "analysis/AnalysisComputation.h"
#include "analysis/lines/LinesComputation.h"

namespace vek {

class LinesTemplate;

// The lines engine for a template: a copy of its settings, its selection compiled at each Compute
// (the template outlives the computation). An end of the period not given is the base's first or
// last card date, because the balance-days and the interest run to the period's end, not to the
// open end of the calendar.
//
// The rows: the statistics block (a header of "statistic" and the value fields' names, then one row
// per statistics row: its XML name and its quantity per field), an empty row, then the line rows
// (a header of card, group, text, the main field's name and "balance", then per line its card key,
// group, text, main value and running balance).
class LinesAnalysis final : public AnalysisComputation {
public:
    explicit LinesAnalysis(const LinesTemplate& definition);
    ~LinesAnalysis() override;

    void SetPeriod(const AnalysisPeriod& period) override;
    void Compute(AnalysisHost& host) override;
    void ReadRows(ResultRowReader& reader) const override;
    // The line rows in computation order (card order).
    bool ReadShownLines(ShownLineReader& reader) const override;

    const LinesComputation& Engine() const { return computation; }

private:
    // With the histogram chart chosen and more than 4 line rows: an empty row, a header (histogram,
    // from, to, lines) and one row per bin over the main values' range.
    void ReadHistogramRows(ResultRowReader& reader) const;

    const LinesTemplate& definition;
    LinesComputation computation;
};

}  // namespace vek
