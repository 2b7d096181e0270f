// Subset and SubsetSelection: a named set of card lines, defined by named selections and a formula.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/strings/OwnedText.h"
#include "model/selections/KeyPattern.h"
#include "model/selections/Selection.h"
#include "model/selections/SelectionTexts.h"
#include "model/selections/StampCondition.h"
#include "model/selections/SubsetFormula.h"

namespace vek {

class Base;
class BitSet;
class String;
class Subset;
class SubsetList;
class SubsetRef;
class SelectionRef;
class TextReader;
class TextWriter;
struct Card;

// The stamp conditions of a subset selection, in their written order: created ("c", the card's
// stamp slot 0), modified ("m", 1), "e" (3), "p" (4), notes ("a", 2).
constexpr int32_t kStampConditionCount = 5;
struct StampConditionKey {
    char letter;
    int32_t slot;
};
inline constexpr std::array<StampConditionKey, kStampConditionCount> kStampConditionKeys{{
    {'c', 0}, {'m', 1}, {'e', 3}, {'p', 4}, {'a', 2}}};

// Subset section lines that could not be taken; the reader turns them into a numbered message with
// the file and the line.
enum class SubsetLineError : int32_t {
    None,
    NoSelection,     // a selection line before any "VN" line (message 3865)
    PatternRefused,  // a pattern nested too deep or too large to be used (message 3866)
};

// One named selection of a subset: a Selection (kept as its text form and compiled from it), a
// card-key pattern and five stamp conditions. A card passes when the Selection's card test, the
// pattern and every present stamp condition pass; its lines pass by the Selection's group and line
// tests. The lines it admitted are kept until the base or the selection changes, so that a formula
// over selections is made again without walking the cards.
class SubsetSelection final : public SubsetOperand {
public:
    SubsetSelection(Subset& owner, const char* name);
    ~SubsetSelection() override;
    SubsetSelection(const SubsetSelection&) = delete;
    SubsetSelection& operator=(const SubsetSelection&) = delete;

    Subset& Owner() const { return owner; }
    ConstHeapText GetName() const { return name.Get(); }
    void SetName(const char* text) { name.Set(text); }
    // 0-based position among the subset's selections.
    int32_t Index() const;

    // The text form: edited and read here, compiled by Apply.
    SelectionTexts& Texts() { return texts; }
    const SelectionTexts& Texts() const { return texts; }
    const Selection& GetSelection() const { return selection; }
    // Compiles the text form into the selection and keeps the canonical texts.
    void Apply();

    ConstHeapText KeyPatternText() const { return keyPatternText.Get(); }
    // Compiles and keeps the normalised text; a refused text (too deep, too large) leaves no pattern
    // and the answer is its message number, else 0.
    [[nodiscard]] int32_t SetKeyPatternText(const char* text);
    // The condition of a written position (kStampConditionKeys).
    StampCondition& Stamp(int32_t position) { return stamps[size_t(position)]; }
    const StampCondition& Stamp(int32_t position) const { return stamps[size_t(position)]; }
    bool HasStampConditions() const;
    // Patterns and stamp conditions compiled again (dates relative to today or the cards moved).
    void Recompile();
    // Drops the lines kept from the last marking (the base or the selection changed).
    void ForgetLines() { keptLines.reset(); }

    // Evaluates the selection's subset condition; false when the cancel flag stopped it.
    [[nodiscard]] bool Prepare();
    // The card tests (Selection::MatchesCard, the key pattern, the stamp conditions).
    bool MatchesCard(const Card* card) const;

    // One line of the section whose key follows the "V" (the "VN" and "V-" lines are the
    // subset's): "k" pattern, "c" "m" "e" "p" "a" stamp conditions, else the text form's own keys.
    [[nodiscard]] SubsetLineError ReadLine(std::string_view key, TextReader& reader);
    // "VN" and the name (or "## Selection" and the name when written alone), the text form's lines
    // under "V", "Vk", the stamp conditions.
    void Write(TextWriter& writer, bool alone) const;

    // From and to a stored reference.
    void ApplyRef(const SelectionRef& ref);

    // SubsetOperand.
    std::string_view OperandName() const override { return name.View(); }
    [[nodiscard]] bool MarkOperandLines(BitSet& lines) override;
    SubsetFormula* OperandFormula() override { return &selection.Formula(); }
    const Subset* OperandSubset() const override { return nullptr; }

private:
    Subset& owner;
    OwnedText name;
    SelectionTexts texts;
    Selection selection;
    OwnedText keyPatternText;
    CardKeyPattern keyPattern;
    std::array<StampCondition, kStampConditionCount> stamps;
    std::unique_ptr<BitSet> keptLines;  // the lines admitted at the last marking; null: none kept
};

// A named set of card lines of a base: its selections and a formula over them (and, for a subset
// of a window's or template's list, over the base's global subsets). Made and destroyed through its
// SubsetList, which keeps its subsets in order of name. Its result is the formula's, cached until a
// change of the base or of an operand and released after three minutes without use.
class Subset final : public SubsetOperand, public SubsetOperandList {
public:
    Subset(const Subset&) = delete;
    Subset& operator=(const Subset&) = delete;

    Base& GetBase() const;
    SubsetList& List() const { return *list; }
    ConstHeapText GetName() const { return name.Get(); }
    ConstHeapText Notes() const { return notes.Get(); }
    void SetNotes(const char* text) { notes.Set(text); }
    bool AutoOpen() const { return autoOpen; }
    void SetAutoOpen(bool on) { autoOpen = on; }
    // The view pair as written ("xp" first value, second value).
    int32_t ViewFirst() const { return viewFirst; }
    int32_t ViewSecond() const { return viewSecond; }
    void SetView(int32_t first, int32_t second) { viewFirst = first; viewSecond = second; }
    int64_t LastUse() const { return lastUse; }
    void SetLastUse(int64_t ms) { lastUse = ms; }

    const SubsetFormula& Formula() const { return formula; }
    SubsetFormula& Formula() { return formula; }
    // Compiles the formula text (message 4707 for an unknown name) and keeps its normal form.
    void SetFormulaText(const char* text);

    int32_t SelectionCount() const { return int32_t(selections.size()); }
    SubsetSelection* SelectionAt(int32_t i) const;
    // Without regard to case; null when none.
    SubsetSelection* FindSelection(std::string_view selectionName) const;
    // A new selection named uniquely among the subset's ("A" when the name is empty). Null when
    // memory runs short (error 600 raised).
    SubsetSelection* CreateSelection(const char* selectionName);
    void DeleteSelection(SubsetSelection* selection);
    void DeleteSelections();

    // Renames under a unique name; a reserved name, or one equal to the current, changes nothing.
    // Change 58 with the old name; the list keeps its order of names.
    void Rename(const char* newName);
    // True when the name begins (without case) with "cards", "groups" or "unbalanced".
    static bool IsReservedName(std::string_view text);

    // Evaluates the formula (marks the subset used now); change 59 when the result changed. False
    // when the cancel flag stopped it.
    [[nodiscard]] bool Evaluate();
    // The formula's result, null before evaluation or without formula.
    const BitSet* Result() const { return formula.Result(); }
    // The formula is to be evaluated again; change 59.
    void Changed(int32_t how);
    // Frees the cached results of the formula and of the selections' formulas.
    void ReleaseResults();

    // The section lines after the marker (the reader's current line is the marker, restarted or
    // not): up to a line that begins with "##" or "•••" (left current). `error` gets the first line
    // that could not be taken (the read stops there, the line left current). Change 60 at the end.
    void ReadSection(TextReader& reader, SubsetLineError& error);
    // The lines of a "## Selection" block: the selection is made current and the "V" lines after it
    // are read, up to the first other line (left current).
    void ReadSelectionBlock(TextReader& reader, std::string_view selectionName, SubsetLineError& error);
    // The key ("##Subset" in base files, "## Subset" on the clipboard), the name, then the lines.
    void Write(TextWriter& writer, const char* key) const;
    // Compiles every selection from its text form (after the subsets they name were read).
    void ApplySelections();

    // Change handling for the list: patterns follow date-moving changes, the formula its own.
    void OnBaseChange(const ChangeRecord& record);

    void ApplyRef(const SubsetRef& ref);

    // SubsetOperand.
    std::string_view OperandName() const override { return name.View(); }
    [[nodiscard]] bool MarkOperandLines(BitSet& lines) override;
    SubsetFormula* OperandFormula() override { return &formula; }
    const Subset* OperandSubset() const override { return this; }
    // SubsetOperandList: the selections.
    int32_t OperandCount() const override { return SelectionCount(); }
    SubsetOperand* OperandAt(int32_t i) const override { return SelectionAt(i); }

    // Documented record size: 96 plus 1000 per selection.
    int64_t StoredSize() const { return 96 + 1000 * int64_t(selections.size()); }

private:
    friend class SubsetList;
    friend class std::default_delete<Subset>;

    Subset(SubsetList& list, const char* name);
    ~Subset() override;

    void Post(int32_t code, const char* oldName = nullptr);
    // A name made unique among the selections ("A" for an empty one).
    void UniqueSelectionName(String& text) const;

    SubsetList* list;
    OwnedText name;
    OwnedText notes;
    SubsetFormula formula;
    std::vector<std::unique_ptr<SubsetSelection>> selections;
    SubsetSelection* current = nullptr;  // where "V" lines go while reading
    bool autoOpen = false;
    int32_t viewFirst = 0;
    int32_t viewSecond = 0;
    int64_t lastUse = 0;
};

}  // namespace vek
