// SubsetSelectorRow: the selector row of a subset formula.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "docwindows/controls/SelectorRow.h"

namespace vek {

class SubsetFormula;

// Typed text is a subset formula: names of subsets and selections joined by operators and the words
// "cards", "groups" and "unbalanced". The token menu lists the names the formula can use, the insert
// menu the operators and words. A committed text is compiled into the bound formula.
class SubsetSelectorRow : public SelectorRow {
public:
    SubsetSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~SubsetSelectorRow() override;

    CommandTarget* Query(void* request) override;
    CommandTarget* FormatControlText(String& text, Control& control) override;
    int32_t OpenSelectorMenu(InputEvent& event, int32_t start, int32_t end) override;
    // The name around the selection: from after the operator or keyword before it to the next
    // operator, blanks at both ends left out.
    void GetTokenRange(int32_t& start, int32_t& length) override;

    // Binds a formula (null: none) and shows its text.
    void SetFormula(SubsetFormula* formula);
    // Hidden while the formula's list of subsets is bound and empty.
    void UpdateVisibility();
    // The names the formula can use: its owner's selections, then the further and the global subsets.
    std::vector<std::string> OperandNames() const;

    SubsetFormula* BoundFormula() const { return formula; }

private:
    void ShowFormula();

    SubsetFormula* formula = nullptr;
};

}  // namespace vek
