// CardTransformation: changing, in one pass, the cards or lines a window shows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "model/expressions/Formula.h"

namespace vek {

class AnalysisHost;
class Base;
class BatchChange;
class BatchLineSource;
class String;

// Field numbers of a transformation (TransformCardsDialog's rows and CardTransformation::SetField):
// 0-31 the replacement component of dimension 0-31, then the date range, the texts and the formulas
// of value fields 0-23.
namespace transform_field {
constexpr int32_t kOldStart = 33;
constexpr int32_t kNewStart = 34;
constexpr int32_t kOldEnd = 35;
constexpr int32_t kNewEnd = 36;
constexpr int32_t kTitleFind = 37;
constexpr int32_t kTitleReplacement = 38;
constexpr int32_t kLineTextFind = 39;
constexpr int32_t kLineTextReplacement = 40;
constexpr int32_t kNotesFind = 41;
constexpr int32_t kNotesReplacement = 42;
constexpr int32_t kFirstFormula = 43;
}  // namespace transform_field

// The engine of the transform dialog and of the command "transform". The source walks its cards and
// calls, per card, TransformCard (in place), CopyCard (duplicate) or BeginCard, the group and line
// operations and EndCard (a card of which only some lines are shown).
//
// The whole run is one change (BatchChange): when anything cannot be added (a card, a group, a
// line, a text) the run stops, everything it did is undone, and Run answers false with message 600
// pending; no line is left out of its card. Lines that move to another group or card are copied
// there and leave their source at the commit.
class CardTransformation {
public:
    explicit CardTransformation(Base& base);
    ~CardTransformation();
    CardTransformation(const CardTransformation&) = delete;
    CardTransformation& operator=(const CardTransformation&) = delete;

    // One word of the command ("A", "CB=date", "D2=code", "TF=text", "VB=formula", ...); false when
    // refused.
    [[nodiscard]] bool ParseOption(const char* word);
    // Stores one field (field numbers above); the text is normalised to what the field shows. False
    // when the text is refused (an unknown component, a date that cannot be read, a formula that
    // cannot be compiled).
    [[nodiscard]] bool SetField(String& text, int32_t field);
    void SetDuplicate(bool on) { duplicate = on; }
    bool Duplicate() const { return duplicate; }
    // The run's change stamp; without one, Run asks the user's (GetUserStamp).
    void SetChangeStamp(const StampedText& stamp) { changeStamp = stamp; stampGiven = true; }

    // Runs over the source's cards; true when done (also when nothing was shown).
    [[nodiscard]] bool Run(BatchLineSource& source, AnalysisHost& host);

    // Per-card operations; each false (message pending) when the run must stop.
    [[nodiscard]] bool TransformCard(Card* card);
    [[nodiscard]] bool CopyCard(Card* card);
    [[nodiscard]] bool BeginCard(Card* card);
    [[nodiscard]] bool MoveGroup(CardGroup* group);
    [[nodiscard]] bool CopyGroup(CardGroup* group);
    [[nodiscard]] bool MoveLine(CardGroup* group, CardLine* line);
    [[nodiscard]] bool CopyLine(CardGroup* group, CardLine* line);
    [[nodiscard]] bool EndCard();

    // The date move (after Run or ComputeDateMove): a day number d goes to round(scale x d + offset).
    void ComputeDateMove();
    bool Moving() const { return moving; }
    double Scale() const { return scale; }
    double Offset() const { return offset; }
    PackedDate MoveDate(PackedDate date) const;
    // The text after a find and replace (see FindReplace in the source).
    static void FindReplace(std::string& text, const std::string& find, const std::string& replacement);

    // Test hook: the n-th card, group or line added fails as if memory ran short; negative: none.
    void FailAfterAdds(int32_t n) { failAfterAdds = n; }

private:
    struct ValueField {
        Formula formula;
        std::string text;
    };

    void SetChangeFlags();
    PackedDate DefaultOldStart() const;
    PackedDate DefaultOldEnd() const;
    [[nodiscard]] bool SetValueFormula(String& text, int32_t field);
    void ReplaceFieldLetters(std::string& formula) const;
    // Applies the line changes; the values read are those before the change.
    [[nodiscard]] bool ChangeLine(Card* card, CardLine* line, bool& changed);
    [[nodiscard]] bool CopyLineInto(Card* target, CardGroup* targetGroup, const CardLine* source);
    int32_t TargetGroupKey(const CardGroup* group) const;
    void SetCardT(const Card* card);
    bool TitleChanges() const { return !titleFind.empty() || !titleReplacement.empty(); }
    bool NotesChange() const { return !notesFind.empty() || !notesReplacement.empty(); }
    bool LineTextChanges() const { return !lineFind.empty() || !lineReplacement.empty(); }
    void TransformedTitle(const Card* card, std::string& out) const;
    void TransformedNotes(const Card* card, std::string& out) const;
    [[nodiscard]] bool SetNotesWithStamp(Card* card, const std::string& notes);
    [[nodiscard]] bool Stamp(Card* card);

    Base& base;
    // Fields.
    std::array<int32_t, kDimensionCount> replacements;  // -1 no change
    PackedDate oldStart = 0;  // 0: the default (the base's first card date)
    PackedDate oldEnd = 0;
    PackedDate newStart = 0;
    PackedDate newEnd = 0;
    std::string titleFind, titleReplacement;
    std::string lineFind, lineReplacement;
    std::string notesFind, notesReplacement;
    std::array<ValueField, kMaxValueCount> values;
    // Entry 0 "T", entries 1-24 the value fields' names.
    std::array<FormulaVariable, kMaxValueCount + 1> variables{};
    bool usesT = false;
    bool duplicate = false;
    StampedText changeStamp;
    bool stampGiven = false;
    // Date move.
    int32_t oldStartDay = 0;
    int32_t oldEndDay = 0;
    double scale = 1.0;
    double offset = 0.0;
    bool moving = false;
    // Change flags of the run.
    bool cardLevel = false;
    bool groupLevel = false;
    bool lineLevel = false;
    bool valueLevel = false;
    // The card being changed by the partial operations.
    BatchChange* change = nullptr;
    AnalysisHost* host = nullptr;
    Card* source = nullptr;
    Card* target = nullptr;
    bool cardChanged = false;
    bool linesMoved = false;
    int32_t failAfterAdds = -1;
};

}  // namespace vek
