// CompiledSelection: a template's selection texts compiled for a computation.
#pragma once

#include "analysis/AnalysisHost.h"
#include "model/selections/Selection.h"

namespace vek {

class SelectionTexts;

// The selection of a computation, compiled from a template's selection texts with the base's subsets.
// Prepare evaluates the subset formula and makes the checks the run asks for (none without a window).
class CompiledSelection final : public AnalysisSelection {
public:
    CompiledSelection(Base& base, const SelectionTexts& texts, SelectionCheck check = SelectionCheck::None);
    ~CompiledSelection() override;

    bool Prepare() override { return selection.Prepare(check); }
    bool MatchesCard(const Card* card) const override { return selection.MatchesCard(card); }
    bool AdmitsGroup(const CardGroup* group) const override { return selection.AdmitsGroup(group); }
    bool MatchesLine(const CardLine* line) const override { return selection.MatchesLine(line); }

    Selection& Compiled() { return selection; }

private:
    Selection selection;
    SelectionCheck check;
};

}  // namespace vek
