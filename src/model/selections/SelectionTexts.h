// SelectionTexts: the stored text form of a selection (keyed lines, the "<selection>" element).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "foundation/strings/OwnedText.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "model/dates/DateExpression.h"

namespace vek {

class Base;
class BitSet;
class Selection;
class String;
class TextReader;
class TextWriter;

// Which key form ReadKeyLine reads: the key after the owner's prefix letter ("D3", "C", "VA"), or the
// older form without prefix ("C" or "K" dates, "L", "V", "Y", "1".."6" dimensions 0..5).
enum class SelectionKeyForm : int32_t { Prefixed, Old };

// The text form of what an analysis takes: 32 dimension expressions, a range of card keys, the
// card-title, line-text and notes patterns, 24 value conditions and a subset formula. Every text is
// null when empty. Templates and save settings keep one and compile it into a Selection when they
// run; Capture stores the canonical texts of a compiled selection back.
//
// Keyed lines, under a one-character prefix p (writer's separator between key and value):
//   p "D" n    dimension expression; n is the 1-based position in the base's dimension order
//   p "C"      from, to (two fields; no line when both are plain "File")
//   p "Y"      card-title pattern      p "L"  line-text pattern      p "A"  notes pattern
//   p "V" x    value condition of field x ("A" is field 0), only below the base's value count
//   p "S"      subset formula
// Readers take "D" with the dimension number plus 1 (1..32), and "V" followed by "1".."9" or a letter.
class SelectionTexts {
public:
    explicit SelectionTexts(Base& base);
    ~SelectionTexts();
    SelectionTexts(const SelectionTexts&) = delete;
    SelectionTexts& operator=(const SelectionTexts&) = delete;

    Base& GetBase() const { return base; }
    void Clear();
    // Copies every text and both dates (the other may belong to another base).
    void Assign(const SelectionTexts& other);
    // The canonical texts of a compiled selection.
    void Capture(const Selection& selection);
    bool Equals(const SelectionTexts& other) const;
    bool IsRestricted() const;
    // Bytes the texts take as stored (each text and its NUL).
    int64_t StoredSize() const;
    // Compiled against the base's global subsets: the components the dimension expressions name, and
    // the lines the selection admits (none when its checks refuse it).
    void CollectNamedComponents(BitSet& components) const;
    void MarkSelectedLines(BitSet& lines) const;

    // A name/value option of template options and commands ("dim3", "value2", "cardtitle", "linetext",
    // "notes", "cardfrom", "cardto"); other names are ignored. False for an ignored name.
    bool SetOption(std::string_view name, std::string_view value);

    // One keyed line whose key (its first field, without the owner's prefix in the prefixed form) is
    // given; the values are read from the reader's next fields. False when the key is no key of a
    // selection (nothing changed).
    bool ReadKeyLine(std::string_view key, TextReader& reader, SelectionKeyForm form = SelectionKeyForm::Prefixed);
    // The keyed lines under the prefix letter, in the order above.
    void Write(TextWriter& writer, char prefix) const;
    // The "<selection>" element.
    void WriteXml(TextWriter& writer) const;
    // Reads a "<selection>" element whose start tag was just read; the texts are cleared first. Stops
    // at "</selection>", the end of the input or the cancel flag. Unknown attributes (3901) and
    // elements (3900) are reported only when the base's XML error reporting is on.
    void ReadXml(TextReader& reader);

    // Texts, null when empty.
    ConstHeapText DimensionText(int32_t d) const;
    void SetDimensionText(int32_t d, const char* text);
    const DateExpression& From() const { return from; }
    const DateExpression& To() const { return to; }
    DateExpression& From() { return from; }
    DateExpression& To() { return to; }
    ConstHeapText CardTitleText() const { return cardTitle.Get(); }
    ConstHeapText LineText() const { return lineText.Get(); }
    ConstHeapText NotesText() const { return notes.Get(); }
    ConstHeapText ValueText(int32_t i) const;
    ConstHeapText SubsetText() const { return subset.Get(); }
    void SetCardTitleText(const char* text) { cardTitle.Set(text); }
    void SetLineText(const char* text) { lineText.Set(text); }
    void SetNotesText(const char* text) { notes.Set(text); }
    void SetValueText(int32_t i, const char* text);
    void SetSubsetText(const char* text) { subset.Set(text); }

private:
    Base& base;
    std::array<OwnedText, kDimensionCount> dimensions;
    DateExpression from;
    DateExpression to;
    OwnedText cardTitle;
    OwnedText lineText;
    OwnedText notes;
    std::array<OwnedText, kMaxValueCount> values;
    OwnedText subset;
};

}  // namespace vek
