// CardsAnalysis: a cards analysis behind the computation interface.
#pragma once

#include "analysis/AnalysisComputation.h"
#include "analysis/cards/CardsComputation.h"

namespace vek {

class CardsTemplate;

// The cards engine for a template: a copy of its settings, its selection compiled at each Compute
// (the template outlives the computation). The rows: a header (kind, card, group, line, text and the
// shown value columns' field names), then per result row its kind ("card", "group", "line", "notes",
// "signatures"), the card key, the group (group and line rows), the line's place in its card counting
// the lines of every group (line rows), the text, and the line's values in the value columns.
class CardsAnalysis final : public AnalysisComputation {
public:
    explicit CardsAnalysis(const CardsTemplate& definition);
    ~CardsAnalysis() override;

    void SetPeriod(const AnalysisPeriod& period) override;
    void Compute(AnalysisHost& host) override;
    void ReadRows(ResultRowReader& reader) const override;
    // The line rows in computation order; a card shown without line rows gives every line it has.
    bool ReadShownLines(ShownLineReader& reader) const override;

    const CardsComputation& Engine() const { return computation; }

private:
    const CardsTemplate& definition;
    CardsComputation computation;
};

}  // namespace vek
