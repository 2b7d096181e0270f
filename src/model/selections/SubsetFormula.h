// SubsetFormula: named line sets of a base combined into one set of card lines.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "foundation/memory/BitSet.h"

namespace vek {

class Base;
class String;
class Subset;
class SubsetFormula;
class TextWriter;
struct ChangeRecord;

// A named line set a formula can name: a subset (code 11) or a selection of the formula's own subset
// (code 10). Subsets and subset selections implement it (model/Subset.h).
class SubsetOperand {
public:
    virtual ~SubsetOperand();
    // The name matched against formula texts, UTF-8; empty names are never matched.
    virtual std::string_view OperandName() const = 0;
    // Sets in `lines` (cleared by the caller, sized to the base's line pool) the lines the operand
    // stands for: a subset evaluates itself through its own cache and copies its result; a selection
    // prepares itself and marks the lines it admits. False when the cancel flag stopped it.
    [[nodiscard]] virtual bool MarkOperandLines(BitSet& lines) = 0;
    // The formula the operand's lines depend on (a subset's formula, a selection's subset condition),
    // or null: followed by NeedsEvaluation and by the check that refuses cycles.
    virtual SubsetFormula* OperandFormula() = 0;
    // The subset the operand is (change 59 names it), null for a selection.
    virtual const Subset* OperandSubset() const = 0;
};

// The candidates of one kind that a formula may name, in their list order: a subset list's subsets,
// or the owner subset's selections.
class SubsetOperandList {
public:
    virtual ~SubsetOperandList();
    virtual int32_t OperandCount() const = 0;
    virtual SubsetOperand* OperandAt(int32_t i) const = 0;
};

// Operation codes of a compiled formula (postfix; operands before their operator).
enum class SubsetOp : int32_t {
    End = 0,
    Not = 1,             // "¬" before its operand
    Or = 2,              // "|"
    Xor = 3,             // "±"
    And = 4,             // "&"
    AndNot = 5,          // infix "¬"
    Cards = 6,           // "cards" before an operand: whole cards
    Groups = 7,          // "groups" before an operand: whole groups
    Unbalanced = 8,      // "unbalanced" before an operand
    AllUnbalanced = 9,   // "unbalanced" alone
    Selection = 10,      // a selection of the owner subset
    Subset = 11,         // a subset
};

struct SubsetFormulaOp {
    SubsetOp code = SubsetOp::End;
    SubsetOperand* operand = nullptr;  // codes 10 and 11; not owned
};

// How FormatText spaces its operators: 0 for written lines, 32 for the text kept after compiling.
enum class FormulaSpacing : int32_t { Written = 0, Kept = 32 };

// A formula over named line sets. Its operands are the selections of its owner subset, subsets by
// name (a further list first, then the base's global list) and the keywords "cards", "groups" and
// "unbalanced"; its operators those of the condition language. The compiled code is postfix. The
// result is a BitSet over line pool indices (Card.h: CardLine::index), cached until the formula, the
// base's lines or an operand change.
//
// Compiling never fails as a whole: an unknown operand is reported (message 4707) and skipped, and an
// operand whose formula leads back to this one is refused (message 3860) and skipped the same way, so
// that no evaluation can loop. Evaluation guards against cycles once more (a formula reached again
// while it is being evaluated counts as no lines), and against chains deeper than the compiler lets
// through (operands compiled before the operands they name): an operand reached through more than
// kMaxSubsetFormulaNesting formulas is reported (message 3861) and counts as no lines, so that the
// evaluation's recursion stays bounded.
class SubsetFormula {
public:
    // Formulas reached through operands nest at most this deep.
    static constexpr int32_t kMaxSubsetFormulaNesting = 64;

    // An empty formula of a base. `global` and `further` may be null; `ownerSelections` are the owner
    // subset's selections (null for a selection's formula).
    SubsetFormula(Base& base, SubsetOperandList* global, SubsetOperandList* further,
                  SubsetOperandList* ownerSelections);
    ~SubsetFormula();
    SubsetFormula(const SubsetFormula&) = delete;
    SubsetFormula& operator=(const SubsetFormula&) = delete;

    // The lists may be changed later (a subset moved between lists); the code is kept.
    void SetLists(SubsetOperandList* global, SubsetOperandList* further, SubsetOperandList* ownerSelections);
    // Frees the code and the result.
    void Free();

    // Compiles the text (replacing the code), writes the normalized text back into it and marks the
    // formula not evaluated. Unknown operands: message 4707 (none while a web request is answered);
    // cycles: message 3860.
    void SetText(String& text);
    void FormatText(String& out, FormulaSpacing spacing) const;
    // key, separator and the normalized text as one line; nothing when the formula is empty.
    void WriteLine(TextWriter& writer, const char* key) const;

    bool HasCode() const { return code != nullptr; }
    bool NeedsEvaluation() const;
    // Brings the result up to date; `changed` (may be null) tells whether the result differs from the
    // one before. False when the cancel flag stopped it (the result is then no lines).
    bool Evaluate(bool* changed);
    // The result, or null when the formula has none (no code, or not evaluated yet).
    const BitSet* Result() const { return result.get(); }
    // Frees the result (idle release); the next Evaluate makes it again.
    void ReleaseResult();

    bool RefersToOperand(const SubsetOperand* operand) const;
    bool RefersToSelection(const SubsetOperand* selection) const { return RefersToOperand(selection); }
    bool RefersToSubset(const Subset* subset) const;
    // True when this formula, or a formula reached from its operands, is `other`.
    bool Reaches(const SubsetFormula* other) const;

    // Codes 11, 27, 28, 32 mark the formula not evaluated; 59 only when it refers to the subset.
    void OnBaseChange(const ChangeRecord& record);
    void Invalidate() { evaluated = false; }

    // Replaces, in a formula text, every token equal to `oldName` (without case) together with the
    // blanks that followed it by `newName`. True when anything was replaced.
    static bool RenameInText(String& text, std::string_view oldName, std::string_view newName);

    // The compiled operations up to (not including) code 0; empty without code.
    int32_t OpCount() const;
    const SubsetFormulaOp* Ops() const { return code.get(); }
    Base& GetBase() const { return base; }
    // The lists the formula's names are looked up in (each may be null).
    SubsetOperandList* GlobalList() const { return globalList; }
    SubsetOperandList* FurtherList() const { return furtherList; }
    SubsetOperandList* OwnerSelections() const { return ownerSelections; }

private:
    friend class SubsetFormulaCompiler;
    friend class SubsetFormulaRunner;

    bool NeedsEvaluationGuarded(int32_t depth) const;
    bool ReachesGuarded(const SubsetFormula* other, int32_t depth) const;

    Base& base;
    SubsetOperandList* globalList;
    SubsetOperandList* furtherList;
    SubsetOperandList* ownerSelections;
    std::unique_ptr<SubsetFormulaOp[]> code;  // ends in code 0; null when empty
    std::unique_ptr<BitSet> result;
    bool evaluated = false;
    mutable bool visiting = false;  // set while this formula is evaluated or searched
    int32_t nesting = 0;            // formulas being evaluated around this one (0 when none)
};

}  // namespace vek
