// ComponentsAnalysis: a components analysis behind the computation interface.
#pragma once

#include "analysis/AnalysisComputation.h"
#include "analysis/components/ComponentsComputation.h"

namespace vek {

class ComponentsTemplate;

// The components engine for a template: a copy of its settings and expansion text, its selection
// compiled at each Compute (the template outlives the computation). An end of the period not given is
// the base's first or last card date.
//
// The rows: a header of "level", "component" and the names of the shown value columns, then one row
// per visible tree row in display order: its level (1-4), its component's code and text indented two
// blanks per depth, and its rolled-up values of the shown columns.
class ComponentsAnalysis final : public AnalysisComputation {
public:
    explicit ComponentsAnalysis(const ComponentsTemplate& definition);
    ~ComponentsAnalysis() override;

    void SetPeriod(const AnalysisPeriod& period) override;
    void Compute(AnalysisHost& host) override;
    void ReadRows(ResultRowReader& reader) const override;

    const ComponentsComputation& Engine() const { return computation; }
    ComponentsComputation& Engine() { return computation; }

private:
    const ComponentsTemplate& definition;
    ComponentsComputation computation;
};

// The header name of a value column ("lines" for the line count, which has no XML name).
const char* ComponentsColumnTitle(ComponentsValue value);

}  // namespace vek
