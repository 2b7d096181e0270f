// SubsetRefList: the stored form of a list of subsets, as analysis templates keep it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/strings/OwnedText.h"
#include "model/selections/SelectionTexts.h"
#include "model/selections/Subset.h"

namespace vek {

class Base;
class Selection;
class SubsetList;
class TextReader;
class TextWriter;

// A subset selection in text form: its name, its selection texts, its card-key pattern and the date
// and user texts of its five stamp conditions (in the order of kStampConditionKeys).
class SelectionRef {
public:
    SelectionRef(Base& base, const char* name);
    SelectionRef(const SelectionRef&) = delete;
    SelectionRef& operator=(const SelectionRef&) = delete;

    ConstHeapText GetName() const { return name.Get(); }
    SelectionTexts& Texts() { return texts; }
    const SelectionTexts& Texts() const { return texts; }
    ConstHeapText KeyPatternText() const { return keyPattern.Get(); }
    void SetKeyPatternText(const char* text) { keyPattern.Set(text); }
    ConstHeapText StampDateText(int32_t position) const { return dateTexts[size_t(position)].Get(); }
    ConstHeapText StampUserText(int32_t position) const { return userTexts[size_t(position)].Get(); }
    void SetStampTexts(int32_t position, const char* dateText, const char* userText);

    void Capture(const SubsetSelection& selection);
    void Assign(const SelectionRef& other);

private:
    friend class SubsetRefList;

    OwnedText name;
    SelectionTexts texts;
    OwnedText keyPattern;
    std::array<OwnedText, kStampConditionCount> dateTexts;
    std::array<OwnedText, kStampConditionCount> userTexts;
};

// A subset in text form: its name, its selections, its formula text and its notes.
class SubsetRef {
public:
    SubsetRef(Base& base, const char* name);
    SubsetRef(const SubsetRef&) = delete;
    SubsetRef& operator=(const SubsetRef&) = delete;

    ConstHeapText GetName() const { return name.Get(); }
    ConstHeapText FormulaText() const { return formula.Get(); }
    void SetFormulaText(const char* text) { formula.Set(text); }
    ConstHeapText Notes() const { return notes.Get(); }
    void SetNotes(const char* text) { notes.Set(text); }
    int32_t SelectionCount() const { return int32_t(selections.size()); }
    const SelectionRef* SelectionAt(int32_t i) const;
    // Without regard to case; null when none.
    SelectionRef* FindSelection(std::string_view selectionName) const;
    SelectionRef* AddSelection(const char* selectionName);
    void DeleteSelection(const SelectionRef* selection);

    // The subset's selections, normalised formula text and notes.
    void Capture(const Subset& subset);
    void Assign(const SubsetRef& other);

private:
    friend class SubsetRefList;

    Base& base;
    OwnedText name;
    std::vector<std::unique_ptr<SelectionRef>> selections;
    SelectionRef* current = nullptr;  // where selection lines go while reading
    OwnedText formula;
    OwnedText notes;
};

// The subsets of an analysis template in text form. Written inside a template's definition as the
// lines whose key begins with "s":
//
//   | key                | fields                    | meaning                                    |
//   |--------------------|---------------------------|--------------------------------------------|
//   | "sn"               | name                      | the subset of that name (made when new)    |
//   |                    |                           | becomes current                            |
//   | "sN"               | name                      | its selection of that name becomes current |
//   | "s-"               |                           | deletes the current selection              |
//   | "sf"               | text                      | the subset formula                         |
//   | "sx"               | long text                 | notes                                      |
//   | "sk"               | text                      | the current selection's card-key pattern   |
//   | "sc" "sm" "se" "sp" "sa" | date text, user text | its stamp conditions                       |
//   | "s" other          | as SelectionTexts         | its selection texts (prefix s)             |
//
// Lines for a subset or selection when none is current are ignored.
class SubsetRefList {
public:
    explicit SubsetRefList(Base& base);
    SubsetRefList(const SubsetRefList&) = delete;
    SubsetRefList& operator=(const SubsetRefList&) = delete;

    Base& GetBase() const { return base; }
    int32_t Count() const { return int32_t(refs.size()); }
    const SubsetRef* At(int32_t i) const;
    // Without regard to case; null when none.
    SubsetRef* Find(std::string_view name) const;
    SubsetRef* Add(const char* name);
    void Clear();

    // One reference per subset of the list, in list order.
    void BuildFrom(const SubsetList& list);
    // The same for the subsets that the selection's subset formula names.
    void BuildUsedBy(const SubsetList& list, const Selection& selection);
    void CopyFrom(const SubsetRefList& other);

    // One "s" line: the reader's current line, read from its first field. False when the line's key
    // does not begin with "s" (nothing read).
    bool ReadKeyLine(TextReader& reader);
    // Every reference's lines, in order.
    void Write(TextWriter& writer) const;

private:
    Base& base;
    std::vector<std::unique_ptr<SubsetRef>> refs;
    SubsetRef* current = nullptr;
};

}  // namespace vek
