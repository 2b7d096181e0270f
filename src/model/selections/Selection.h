// Selection: the compiled form of which lines of a base an analysis takes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/strings/OwnedText.h"
#include "foundation/strings/String.h"
#include "model/cards/Card.h"
#include "model/base/ChangeRecord.h"
#include "model/selections/ComponentSelection.h"
#include "model/dates/DateExpression.h"
#include "model/selections/SubsetFormula.h"
#include "model/expressions/TextMatcher.h"
#include "model/expressions/ValueCondition.h"

namespace vek {

class Base;
class BitSet;
class SelectionTexts;
class TextWriter;

// What Selection::Prepare checks besides evaluating the subset formula.
enum class SelectionCheck : int32_t {
    None,         // no window, or a web request: only the formula
    Window,       // a window: the date order and the dimensions that must have an expression
    Interactive,  // as Window, and a failed check raises 2109 or 2110 with the cancel flag
};

// One set part of a selection as a summary shows it: its caption, its value text and the field code
// of its caption (3105 from, 3106 to, 1-32 dimensions, 65 card text, 66 line text, 3506 notes, 67-90
// value fields, 3133 subset formula).
struct SelectionSummaryItem {
    int32_t fieldCode = 0;
    std::string caption;
    std::string value;
};

// The compiled selection: the component selection of the 32 dimensions, a range of card keys
// (`from` side -1, `to` side +1, unit File when unset), card-title, line-text and notes matchers,
// 24 value conditions and a subset formula over line sets. A new selection admits every line.
// It registers with its base and follows component changes (codes 11, 12), date-moving changes and
// the subset formula's invalidations.
//
// Testing a line allocates nothing: a bit test per dimension in use and a test per set value
// condition.
class Selection : public ChangeReceiver {
public:
    // `subsets` is the further subset list the formula may name (null when none).
    Selection(Base& base, SubsetOperandList* subsets);
    ~Selection() override;
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    Base& GetBase() const { return base; }
    void Clear();
    // Compiles everything from the text form; each compiled text is kept in canonical form.
    void ApplyTexts(const SelectionTexts& texts);
    // Evaluates the subset formula and checks what `check` asks. False when the cancel flag is set or
    // a check fails.
    [[nodiscard]] bool Prepare(SelectionCheck check);

    // The tests of one card, group or line. The subset condition takes part only once Prepare has
    // evaluated it.
    bool MatchesCard(const Card* card) const;
    bool AdmitsGroup(const CardGroup* group) const { return components.Admits(uint32_t(group->key)); }
    bool MatchesLine(const CardLine* line) const;
    // Sets the bit (line pool index) of every line of the range that passes; `lines` must be sized to
    // the line pool. False when the cancel flag stopped it.
    bool MarkMatchingLines(BitSet& lines) const;
    // True when the card's key lies in the range.
    bool KeyInRange(const CardKey& key) const;
    bool IsRestricted() const;

    // Parts, for the summary writers, Capture and the save filter.
    const ComponentSelection& Components() const { return components; }
    ComponentSelection& Components() { return components; }
    const DateExpression& From() const { return from; }
    const DateExpression& To() const { return to; }
    ConstHeapText CardTitleText() const { return cardTitleText.Get(); }
    ConstHeapText LineTextText() const { return lineTextText.Get(); }
    ConstHeapText NotesText() const { return notesText.Get(); }
    ConstHeapText ValueText(int32_t i) const { return valueTexts[size_t(i)].Get(); }
    const SubsetFormula& Formula() const { return formula; }
    SubsetFormula& Formula() { return formula; }
    // The subset formula's kept text (normalized), null when none.
    ConstHeapText SubsetText() const { return subsetText.Get(); }

    // The set parts as caption and value, in summary order.
    void CollectSummary(std::vector<SelectionSummaryItem>& items) const;
    // The summary as a definition table row of an HTML page.
    void WriteHtml(TextWriter& writer) const;
    // The "<selection>" element of the canonical texts.
    void WriteXml(TextWriter& writer) const;

    void OnBaseChange(const ChangeRecord& record) override;

private:
    void UpdateSetValues();

    Base& base;
    SubsetOperandList* subsets;  // the formula's further list; not owned
    ComponentSelection components;
    DateExpression from;
    DateExpression to;
    TextMatcher cardTitle;
    OwnedText cardTitleText;
    TextMatcher lineText;
    OwnedText lineTextText;
    TextMatcher notes;
    OwnedText notesText;
    std::array<ValueCondition, kMaxValueCount> values;
    std::array<OwnedText, kMaxValueCount> valueTexts;
    SubsetFormula formula;
    OwnedText subsetText;
    // Value fields with a condition, below the value count when compiled: the line test's loop.
    std::array<int8_t, kMaxValueCount> setValues{};
    int32_t setValueCount = 0;
};

}  // namespace vek
