// ComponentFunctionsAnalysis: a component-functions analysis behind the computation interface.
#pragma once

#include "analysis/AnalysisComputation.h"
#include "analysis/componentfunctions/ComponentFunctionsComputation.h"

namespace vek {

class ComponentFunctionsTemplate;

// The component-functions engine for a template: a copy of its levels, columns and expansion text. The
// columns carry their own date ranges; the ends of a period that are given narrow every one of them.
//
// The rows: a header of "level", "component" and the titles of the shown columns, then one row per
// visible tree row in display order: its level (1-4), its component's code and text indented two blanks
// per depth, and its rolled-up values of the shown columns.
class ComponentFunctionsAnalysis final : public AnalysisComputation {
public:
    explicit ComponentFunctionsAnalysis(const ComponentFunctionsTemplate& definition);
    ~ComponentFunctionsAnalysis() override;

    void SetPeriod(const AnalysisPeriod& period) override;
    void Compute(AnalysisHost& host) override;
    void ReadRows(ResultRowReader& reader) const override;

    const ComponentFunctionsComputation& Engine() const { return computation; }
    ComponentFunctionsComputation& Engine() { return computation; }

private:
    const ComponentFunctionsTemplate& definition;
    ComponentFunctionsComputation computation;
};

}  // namespace vek
