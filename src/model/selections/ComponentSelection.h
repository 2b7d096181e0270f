// ComponentSelection: the per-dimension part of a selection, one subset expression per dimension.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "foundation/memory/BitSet.h"
#include "foundation/strings/OwnedText.h"
#include "model/base/Base.h"
#include "model/dimensions/Component.h"
#include "model/selections/ComponentExpression.h"

namespace vek {

class String;
class TextWriter;
struct CardLine;
struct ChangeRecord;

// What SetDimensionText does with a text that cannot be compiled.
enum class RefusedDimensionText : int32_t { KeepFormer, AdmitNothing };

// One compiled subset expression for each of the 32 dimensions and one BitSet over the whole
// component pool that says which components are admitted. A line passes when every component it
// names is admitted; that test is a bit lookup per dimension in use.
//
// Invariant: for each dimension d, the bits of d's components (its root included) are those that d's
// expression admits, or all of them when d has no expression. The selection's owner keeps it current
// by passing the base's changes to HandleChange.
class ComponentSelection {
public:
    // No expressions, every bit set (an empty set when memory runs short: Evaluate widens it).
    explicit ComponentSelection(Base& base);
    ~ComponentSelection();
    ComponentSelection(const ComponentSelection&) = delete;
    ComponentSelection& operator=(const ComponentSelection&) = delete;

    // A null text removes d's expression; otherwise the text is compiled, and when that fails (an
    // unknown component, nesting too deep: the message is reported) what `refused` says happens:
    // the former expression stays (a text being edited), or the text is kept as given and d admits
    // nothing until another text is set (a stored text: admitting every line would widen what it
    // asks for, and dropping it would lose it on the next save). False then, or for a d outside
    // 0..31. After a change d is evaluated again.
    [[nodiscard]] bool SetDimensionText(int32_t d, const char* text,
                                        RefusedDimensionText refused = RefusedDimensionText::KeepFormer);
    void Clear();
    // SetDimensionText for each dimension from 32 stored texts (null: no expression); a refused text
    // is kept and admits nothing.
    void ApplyTexts(std::span<const char* const, kDimensionCount> texts);
    // d's canonical text (a refused text as typed), empty when d has no expression.
    void FormatDimension(int32_t d, String& out, std::string_view separator) const;
    // Cuts the text to 1023 bytes, sets d's expression from it (when d is 0 or more) and replaces the
    // text with d's canonical text, blanks around the operators.
    void SetFromString(int32_t d, String& text);
    // For each position i of the base's dimension order whose dimension has an expression: the key,
    // i + 1, the writer's separator, the canonical text without blanks, end of row.
    void WriteKeyLines(TextWriter& writer, const char* key) const;

    // A refused text counts as an expression (one that admits nothing).
    bool HasAnyExpression() const;
    bool HasExpression(int32_t d) const;
    bool IsRefused(int32_t d) const { return IsDimension(d) && !refused[size_t(d)].IsNull(); }
    // Marks every component that an expression names as a whole subtree (op 14).
    void CollectNamedComponents(BitSet& set) const;
    // Runs d's program into the admitted set, first widening the set to the component pool.
    void Evaluate(int32_t d);
    // Code 11: evaluates the record's dimension again. Code 12: ops 14 naming a component that goes
    // name its nearest ancestor that stays. Other codes are ignored.
    void HandleChange(const ChangeRecord& record);

    const BitSet& Admitted() const { return admitted; }
    bool Admits(uint32_t number) const { return admitted.GetBit(int32_t(number)); }
    // True when every component the line names is admitted.
    bool AdmitsLine(const CardLine* line) const { return base.LineComponentsAllIn(line, admitted); }
    const ComponentExpression& Expression(int32_t d) const { return expressions[size_t(d)]; }

private:
    static bool IsDimension(int32_t d) { return d >= 0 && d < int32_t(kDimensionCount); }

    Base& base;
    std::array<ComponentExpression, kDimensionCount> expressions;
    std::array<OwnedText, kDimensionCount> refused;  // the text of a refused expression, as typed
    BitSet admitted;
};

}  // namespace vek
