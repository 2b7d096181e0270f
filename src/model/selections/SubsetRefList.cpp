// SubsetRefList: capturing subsets as text, and the "s" lines of template definitions.
#include "model/selections/SubsetRefList.h"

#include <algorithm>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/named/NamedObjects.h"
#include "model/selections/Selection.h"
#include "model/selections/SubsetList.h"

namespace vek {

namespace {

// The texts named by `name` are equal without regard to case, after trimming.
bool SameRefName(ConstHeapText stored, std::string_view name)
{
    String key;
    if (!NameLookupKey(name.data(), int32_t(name.size()), key))
        return false;
    return stored != nullptr && CStrEqualNoCase(std::string_view(stored), key.View());
}

}  // namespace

// --- SelectionRef -----------------------------------------------------------------------------------

SelectionRef::SelectionRef(Base& base, const char* selectionName) : texts(base)
{
    name.Set(selectionName);
}

void SelectionRef::SetStampTexts(int32_t position, const char* dateText, const char* userText)
{
    dateTexts[size_t(position)].Set(dateText != nullptr && dateText[0] != '\0' ? dateText : nullptr);
    userTexts[size_t(position)].Set(userText != nullptr && userText[0] != '\0' ? userText : nullptr);
}

void SelectionRef::Capture(const SubsetSelection& selection)
{
    texts.Capture(selection.GetSelection());
    keyPattern.Set(selection.KeyPatternText());
    for (int32_t i = 0; i < kStampConditionCount; ++i)
        SetStampTexts(i, selection.Stamp(i).DateText(), selection.Stamp(i).UserText());
}

void SelectionRef::Assign(const SelectionRef& other)
{
    name.Set(other.name.Get());
    texts.Assign(other.texts);
    keyPattern.Set(other.keyPattern.Get());
    for (int32_t i = 0; i < kStampConditionCount; ++i)
        SetStampTexts(i, other.StampDateText(i), other.StampUserText(i));
}

// --- SubsetRef --------------------------------------------------------------------------------------

SubsetRef::SubsetRef(Base& base, const char* subsetName) : base(base)
{
    name.Set(subsetName);
}

const SelectionRef* SubsetRef::SelectionAt(int32_t i) const
{
    return i >= 0 && i < SelectionCount() ? selections[size_t(i)].get() : nullptr;
}

SelectionRef* SubsetRef::FindSelection(std::string_view selectionName) const
{
    for (const auto& selection : selections) {
        if (SameRefName(selection->GetName(), selectionName))
            return selection.get();
    }
    return nullptr;
}

SelectionRef* SubsetRef::AddSelection(const char* selectionName)
{
    selections.push_back(std::make_unique<SelectionRef>(base, selectionName));
    return selections.back().get();
}

void SubsetRef::DeleteSelection(const SelectionRef* selection)
{
    if (current == selection)
        current = nullptr;
    selections.erase(std::remove_if(selections.begin(), selections.end(),
                                    [selection](const auto& held) { return held.get() == selection; }),
                     selections.end());
}

void SubsetRef::Capture(const Subset& subset)
{
    selections.clear();
    current = nullptr;
    for (int32_t i = 0; i < subset.SelectionCount(); ++i) {
        const SubsetSelection& selection = *subset.SelectionAt(i);
        AddSelection(selection.GetName())->Capture(selection);
    }
    String text;
    subset.Formula().FormatText(text, FormulaSpacing::Written);
    formula.Set(text.IsEmpty() ? nullptr : text.CStr());
    notes.Set(subset.Notes());
}

void SubsetRef::Assign(const SubsetRef& other)
{
    name.Set(other.name.Get());
    selections.clear();
    current = nullptr;
    for (const auto& selection : other.selections)
        AddSelection(nullptr)->Assign(*selection);
    formula.Set(other.formula.Get());
    notes.Set(other.notes.Get());
}

// --- SubsetRefList ----------------------------------------------------------------------------------

SubsetRefList::SubsetRefList(Base& base) : base(base) {}

const SubsetRef* SubsetRefList::At(int32_t i) const
{
    return i >= 0 && i < Count() ? refs[size_t(i)].get() : nullptr;
}

SubsetRef* SubsetRefList::Find(std::string_view name) const
{
    for (const auto& ref : refs) {
        if (SameRefName(ref->GetName(), name))
            return ref.get();
    }
    return nullptr;
}

SubsetRef* SubsetRefList::Add(const char* name)
{
    refs.push_back(std::make_unique<SubsetRef>(base, name));
    return refs.back().get();
}

void SubsetRefList::Clear()
{
    refs.clear();
    current = nullptr;
}

void SubsetRefList::BuildFrom(const SubsetList& list)
{
    Clear();
    for (int32_t i = 0; i < list.Count(); ++i)
        Add(list.GetAt(i)->GetName())->Capture(*list.GetAt(i));
}

void SubsetRefList::BuildUsedBy(const SubsetList& list, const Selection& selection)
{
    Clear();
    for (int32_t i = 0; i < list.Count(); ++i) {
        const Subset* subset = list.GetAt(i);
        if (selection.Formula().RefersToSubset(subset))
            Add(subset->GetName())->Capture(*subset);
    }
}

void SubsetRefList::CopyFrom(const SubsetRefList& other)
{
    if (&other == this)
        return;
    Clear();
    for (const auto& ref : other.refs)
        Add(nullptr)->Assign(*ref);
}

bool SubsetRefList::ReadKeyLine(TextReader& reader)
{
    reader.RestartLine();
    if (!reader.NextField() || reader.TokenLength() < 1 || reader.Token()[0] != 's')
        return false;
    std::string_view key(reader.Token(), size_t(reader.TokenLength()));
    String text;
    if (key == "sn") {
        reader.NextFieldToString(text);
        current = Find(text.View());
        if (current == nullptr)
            current = Add(text.CStr());
        return true;
    }
    if (current == nullptr || key.size() < 2)
        return true;
    std::string_view rest = key.substr(1);
    if (rest == "-") {
        if (current->current != nullptr)
            current->DeleteSelection(current->current);
    } else if (rest == "N") {
        reader.NextFieldToString(text);
        current->current = current->FindSelection(text.View());
        if (current->current == nullptr)
            current->current = current->AddSelection(text.CStr());
    } else if (rest == "f") {
        reader.NextFieldToString(text);
        current->formula.Set(text.IsEmpty() ? nullptr : text.CStr());
    } else if (rest == "x") {
        (void)reader.NextLongTextField(current->notes.Field());
    } else if (SelectionRef* selection = current->current; selection != nullptr) {
        if (rest == "k") {
            reader.NextFieldToString(text);
            selection->keyPattern.Set(text.IsEmpty() ? nullptr : text.CStr());
            return true;
        }
        for (int32_t i = 0; i < kStampConditionCount; ++i) {
            if (rest.size() == 1 && rest[0] == kStampConditionKeys[size_t(i)].letter) {
                String user;
                reader.NextFieldToString(text);
                reader.NextFieldToString(user);
                selection->SetStampTexts(i, text.CStr(), user.CStr());
                return true;
            }
        }
        (void)selection->texts.ReadKeyLine(rest, reader);
    }
    return true;
}

void SubsetRefList::Write(TextWriter& writer) const
{
    for (const auto& ref : refs) {
        writer.PutText("sn");
        writer.PutSeparator();
        writer.PutFieldHeapText(ref->GetName());
        writer.EndRow();
        for (const auto& selection : ref->selections) {
            writer.PutText("sN");
            writer.PutSeparator();
            writer.PutFieldHeapText(selection->GetName());
            writer.EndRow();
            selection->texts.Write(writer, 's');
            writer.WriteKeyHeapTextLine("sk", selection->keyPattern.Get());
            char key[3] = {'s', 0, 0};
            for (int32_t i = 0; i < kStampConditionCount; ++i) {
                if (selection->StampDateText(i) == nullptr && selection->StampUserText(i) == nullptr)
                    continue;
                key[1] = kStampConditionKeys[size_t(i)].letter;
                writer.PutText(key);
                writer.PutSeparator();
                writer.PutFieldHeapText(selection->StampDateText(i));
                writer.PutSeparator();
                writer.PutFieldHeapText(selection->StampUserText(i));
                writer.EndRow();
            }
        }
        writer.WriteKeyHeapTextLine("sf", ref->formula.Get());
        if (ref->notes.Get() != nullptr) {
            writer.PutText("sx");
            writer.PutSeparator();
            writer.PutLongText(ref->notes.Get());
            writer.EndRow();
        }
    }
}

}  // namespace vek
