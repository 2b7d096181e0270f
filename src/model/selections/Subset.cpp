// Subset and SubsetSelection: naming, matching, evaluating, and their lines in base files and on the
// clipboard.
//
// A subset's lines, after its marker line (key TAB name):
//
//   | key        | fields                      | meaning                                            |
//   |------------|-----------------------------|----------------------------------------------------|
//   | "VN"       | name                        | the selection of that name (made when new) becomes |
//   |            |                             | current                                            |
//   | "V-"       |                             | deletes the current selection                      |
//   | "Vk"       | pattern                     | the current selection's card-key pattern           |
//   | "Vc" "Vm"  | date pattern, user pattern  | stamp conditions: created, modified, e, p, notes   |
//   | "Ve" "Vp"  |                             |                                                    |
//   | "Va"       |                             |                                                    |
//   | "V" other  | as SelectionTexts           | the current selection's text form (prefix V)       |
//   | "F"        | formula                     | the subset formula                                 |
//   | "xo"       |                             | open the subset when the base opens                |
//   | "xp"       | int, int                    | the view pair, in the order written                |
//   | "N"        | long text                   | notes                                              |
//
// Other lines are skipped. A "V" line other than "VN" before any selection is current is damage.
#include "model/selections/Subset.h"

#include <algorithm>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Clock.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/Identifiers.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/named/NamedObjects.h"
#include "model/selections/SubsetList.h"
#include "model/selections/SubsetRefList.h"

namespace vek {

namespace {

std::string_view SubsetFieldView(const TextReader& reader)
{
    return {reader.Token() != nullptr ? reader.Token() : "", size_t(reader.TokenLength())};
}

// Change codes that can move the dates a pattern names.
bool MovesPatternDates(int32_t code)
{
    return code == 0 || code == kChangeCardContents || code == kChangeCards || code == kChangeReferenceDate ||
           code == kChangeTimeScaleRead;
}

// Change codes after which the lines a selection admitted may differ: the cards, the components
// and the value fields.
bool ChangesAdmittedLines(int32_t code)
{
    return MovesPatternDates(code) || code == kChangeComponents || code == kChangeComponentsDeleted ||
           code == kChangeValueCount || code == kChangeDimensionsInUse;
}

}  // namespace

// --- SubsetSelection ------------------------------------------------------------------------------

SubsetSelection::SubsetSelection(Subset& owner, const char* selectionName)
    : owner(owner),
      texts(owner.GetBase()),
      selection(owner.GetBase(), owner.List().Kind() == SubsetListKind::Local ? &owner.List() : nullptr)
{
    name.Set(selectionName);
}

SubsetSelection::~SubsetSelection() = default;

int32_t SubsetSelection::Index() const
{
    for (int32_t i = 0; i < owner.SelectionCount(); ++i) {
        if (owner.SelectionAt(i) == this)
            return i;
    }
    return -1;
}

void SubsetSelection::Apply()
{
    selection.ApplyTexts(texts);
    texts.Capture(selection);
    ForgetLines();
    // The subset's result was made from what the selection admitted before.
    owner.Changed(0);
}

int32_t SubsetSelection::SetKeyPatternText(const char* text)
{
    ForgetLines();
    keyPattern.Clear();
    String work;
    work.AssignCStr(text);
    int32_t refused = work.IsEmpty() ? 0 : keyPattern.Compile(work, &owner.GetBase());
    keyPatternText.Set(work.IsEmpty() ? nullptr : work.CStr());
    return refused;
}

bool SubsetSelection::HasStampConditions() const
{
    return std::any_of(stamps.begin(), stamps.end(), [](const StampCondition& c) { return c.IsPresent(); });
}

void SubsetSelection::Recompile()
{
    ForgetLines();
    if (!keyPatternText.IsNull()) {
        String work;
        work.AssignCStr(keyPatternText.CStr());
        // Compiled before, so within the compiler's limits.
        (void)keyPattern.Compile(work, &owner.GetBase());
    }
    for (StampCondition& stamp : stamps)
        stamp.Recompile(&owner.GetBase());
}

bool SubsetSelection::Prepare()
{
    return selection.Prepare(SelectionCheck::None);
}

bool SubsetSelection::MatchesCard(const Card* card) const
{
    if (!selection.MatchesCard(card))
        return false;
    Base& base = owner.GetBase();
    if (!keyPattern.IsEmpty()) {
        CardKey key;
        base.GetCardKey(card, key);
        if (!keyPattern.Matches(key))
            return false;
    }
    for (size_t i = 0; i < stamps.size(); ++i) {
        if (stamps[i].IsPresent() && !stamps[i].Matches(card->stamps[kStampConditionKeys[i].slot]))
            return false;
    }
    return true;
}

bool SubsetSelection::MarkOperandLines(BitSet& lines)
{
    if (!Prepare())
        return false;
    // Kept lines stand while the selection's own subset condition is as it was.
    if (keptLines && keptLines->Count() == lines.Count() && !selection.Formula().NeedsEvaluation()) {
        lines.Or(*keptLines);
        return true;
    }
    keptLines.reset();
    auto marked = std::make_unique<BitSet>(lines.Count());
    if (marked->Count() != lines.Count()) {
        SetOutOfMemoryError();
        return false;
    }
    marked->SetAll(0);
    Base& base = owner.GetBase();
    Card* first = nullptr;
    Card* end = nullptr;
    base.FindCardsInDateRange(selection.From().Value(), selection.To().Value(), first, end);
    int32_t lineCount = marked->Count();
    int32_t walked = 0;
    for (Card* card = first; card != nullptr && card != end && card != base.ChainEnd(); card = base.NextCard(card)) {
        if ((++walked & 4095) == 0 && IsErrorPending())
            return false;
        if (!MatchesCard(card))
            continue;
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            if (!selection.AdmitsGroup(group))
                continue;
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
                if (int32_t(line->index) < lineCount && selection.MatchesLine(line))
                    marked->SetBit(int32_t(line->index), true);
            }
        }
    }
    lines.Or(*marked);
    keptLines = std::move(marked);
    return true;
}

SubsetLineError SubsetSelection::ReadLine(std::string_view key, TextReader& reader)
{
    ForgetLines();
    Base* base = &owner.GetBase();
    if (key == "k") {
        String text;
        reader.NextFieldToString(text);
        return SetKeyPatternText(text.CStr()) != 0 ? SubsetLineError::PatternRefused : SubsetLineError::None;
    }
    if (key.size() == 1) {
        for (size_t i = 0; i < kStampConditionKeys.size(); ++i) {
            if (key[0] == kStampConditionKeys[i].letter)
                return stamps[i].ReadFields(base, reader) != 0 ? SubsetLineError::PatternRefused : SubsetLineError::None;
        }
    }
    // Keys the text form does not know are skipped, as other unknown lines of a subset.
    (void)texts.ReadKeyLine(key, reader);
    return SubsetLineError::None;
}

void SubsetSelection::Write(TextWriter& writer, bool alone) const
{
    writer.PutText(alone ? "## Selection" : "VN");
    writer.PutSeparator();
    writer.PutFieldHeapText(name.Get());
    writer.EndRow();
    texts.Write(writer, 'V');
    writer.WriteKeyHeapTextLine("Vk", keyPatternText.Get());
    char key[3] = {'V', 0, 0};
    for (size_t i = 0; i < stamps.size(); ++i) {
        key[1] = kStampConditionKeys[i].letter;
        stamps[i].Write(writer, key);
    }
}

void SubsetSelection::ApplyRef(const SelectionRef& ref)
{
    texts.Assign(ref.Texts());
    Apply();
    (void)SetKeyPatternText(ref.KeyPatternText());
    for (size_t i = 0; i < stamps.size(); ++i)
        (void)stamps[i].SetTexts(&owner.GetBase(), ref.StampDateText(int32_t(i)), ref.StampUserText(int32_t(i)));
    ForgetLines();
}

// --- Subset -----------------------------------------------------------------------------------------

Subset::Subset(SubsetList& owner, const char* subsetName)
    : list(&owner),
      formula(owner.GetBase(), owner.Kind() == SubsetListKind::Local ? &owner.GetBase().Subsets() : nullptr, nullptr,
              this)
{
    name.Set(subsetName);
    lastUse = CurrentTimeMs();
}

Subset::~Subset()
{
    current = nullptr;
    // The selections' formulas may name subsets, this one's formula its selections: the formula's
    // code goes first.
    formula.Free();
    selections.clear();
}

Base& Subset::GetBase() const
{
    return list->GetBase();
}

void Subset::Post(int32_t code, const char* oldName)
{
    if (!list->Posts())
        return;
    SubsetPayload payload;
    payload.subset = this;
    payload.templateOwn = list->Kind() == SubsetListKind::Local;
    payload.oldName = oldName;
    GetBase().HandleChange(ChangeRecord(code, &GetBase(), payload));
}

void Subset::SetFormulaText(const char* text)
{
    String work;
    work.AssignCStr(text);
    formula.SetText(work);
}

SubsetSelection* Subset::SelectionAt(int32_t i) const
{
    return i >= 0 && i < SelectionCount() ? selections[size_t(i)].get() : nullptr;
}

SubsetSelection* Subset::FindSelection(std::string_view selectionName) const
{
    String key;
    if (!NameLookupKey(selectionName.data(), int32_t(selectionName.size()), key))
        return nullptr;
    for (const auto& selection : selections) {
        if (CStrEqualNoCase(selection->OperandName(), key.View()))
            return selection.get();
    }
    return nullptr;
}

void Subset::UniqueSelectionName(String& text) const
{
    MakeIdentifier(text, "A", kIdentifierBlanks);
    // Each step changes the last character, so a name is found within the count of selections + 1.
    for (int32_t guard = 0; FindSelection(text.View()) != nullptr && guard <= SelectionCount(); ++guard)
        IncrementNameSuffix(text);
}

SubsetSelection* Subset::CreateSelection(const char* selectionName)
{
    String text;
    text.AssignCStr(selectionName);
    UniqueSelectionName(text);
    selections.push_back(std::make_unique<SubsetSelection>(*this, text.CStr()));
    return selections.back().get();
}

void Subset::DeleteSelection(SubsetSelection* selection)
{
    if (current == selection)
        current = nullptr;
    // The formula may name it: compiled again from its text without it.
    String text;
    bool named = formula.RefersToSelection(selection);
    if (named)
        formula.FormatText(text, FormulaSpacing::Written);
    auto at = std::find_if(selections.begin(), selections.end(),
                           [selection](const auto& held) { return held.get() == selection; });
    if (at == selections.end())
        return;
    if (named)
        formula.Free();
    selections.erase(at);
    if (named)
        formula.SetText(text);
}

void Subset::DeleteSelections()
{
    current = nullptr;
    // The formula names the selections: it goes with them, and the caller sets it again.
    formula.Free();
    selections.clear();
}

bool Subset::IsReservedName(std::string_view text)
{
    return CStrStartsWithNoCase(text, "cards") || CStrStartsWithNoCase(text, "groups") ||
           CStrStartsWithNoCase(text, "unbalanced");
}

void Subset::Rename(const char* newName)
{
    String text;
    text.AssignCStr(newName);
    list->UniqueName(text, this);
    if (CStrEqual(text.View(), name.View()) || IsReservedName(text.View()))
        return;
    OwnedText oldName(std::move(name));
    name.Set(text.CStr());
    list->Place(this);
    Post(kChangeSubset, oldName.CStr());
}

bool Subset::Evaluate()
{
    lastUse = CurrentTimeMs();
    bool changed = false;
    bool done = formula.Evaluate(&changed);
    GetBase().LogOperation("subset", name.CStr(), 9);
    if (changed)
        Post(kChangeSubsetOther);
    return done;
}

void Subset::Changed(int32_t)
{
    // Without a window the change is announced, so that formulas naming this subset follow; when the
    // result was not up to date nobody holds one made from it.
    bool wasCurrent = formula.Result() != nullptr && !formula.NeedsEvaluation();
    formula.Invalidate();
    if (wasCurrent)
        Post(kChangeSubsetOther);
}

void Subset::ReleaseResults()
{
    formula.ReleaseResult();
    for (const auto& selection : selections) {
        selection->OperandFormula()->ReleaseResult();
        selection->ForgetLines();
    }
}

bool Subset::MarkOperandLines(BitSet& lines)
{
    if (!Evaluate())
        return false;
    if (const BitSet* result = formula.Result(); result != nullptr && result->Count() == lines.Count())
        lines.Or(*result);
    return true;
}

void Subset::ReadSection(TextReader& reader, SubsetLineError& error)
{
    error = SubsetLineError::None;
    DeleteSelections();
    autoOpen = false;
    viewFirst = 0;
    viewSecond = 0;
    while (!IsErrorPending() && reader.ReadLine()) {
        reader.RestartLine();
        if (!reader.NextField())
            continue;
        std::string_view key = SubsetFieldView(reader);
        if (IsSectionMarker(key.data(), int32_t(key.size())) || (key.size() >= 2 && key[0] == '#' && key[1] == '#')) {
            reader.RestartLine();
            break;
        }
        if (key == "N") {
            if (!reader.NextLongTextField(notes.Field()) && IsErrorPending())
                break;
        } else if (key == "F") {
            String text;
            reader.NextFieldToString(text);
            formula.SetText(text);
        } else if (key == "V-") {
            if (current != nullptr)
                DeleteSelection(current);
        } else if (key == "VN") {
            String selectionName;
            reader.NextFieldToString(selectionName);
            current = FindSelection(selectionName.View());
            if (current == nullptr)
                current = CreateSelection(selectionName.CStr());
        } else if (key.size() >= 2 && key[0] == 'V') {
            if (current == nullptr) {
                error = SubsetLineError::NoSelection;
                reader.RestartLine();
                break;
            }
            error = current->ReadLine(key.substr(1), reader);
            if (error != SubsetLineError::None) {
                reader.RestartLine();
                break;
            }
        } else if (key == "xo") {
            autoOpen = true;
        } else if (key == "xp") {
            reader.NextFieldInt(viewFirst);
            reader.NextFieldInt(viewSecond);
        }
    }
    current = nullptr;
    Post(kChangeSubsetModified);
    Changed(0);
}

void Subset::ReadSelectionBlock(TextReader& reader, std::string_view selectionName, SubsetLineError& error)
{
    error = SubsetLineError::None;
    String text;
    text.AssignBytes(selectionName);
    current = FindSelection(text.View());
    if (current == nullptr)
        current = CreateSelection(text.CStr());
    while (!IsErrorPending() && reader.ReadLine()) {
        reader.RestartLine();
        if (!reader.NextField() || reader.TokenLength() < 2 || reader.Token()[0] != 'V') {
            reader.RestartLine();
            break;
        }
        std::string_view key = SubsetFieldView(reader);
        if (key == "VN" || key == "V-")
            continue;
        error = current->ReadLine(key.substr(1), reader);
        if (error != SubsetLineError::None) {
            reader.RestartLine();
            break;
        }
    }
    current = nullptr;
    Changed(0);
}

void Subset::Write(TextWriter& writer, const char* key) const
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutFieldHeapText(name.Get());
    writer.EndRow();
    for (const auto& selection : selections)
        selection->Write(writer, false);
    formula.WriteLine(writer, "F");
    if (autoOpen)
        writer.WriteLine("xo");
    if (viewFirst != 0 || viewSecond != 0) {
        writer.PutText("xp");
        writer.PutSeparator();
        writer.PutInt(viewFirst);
        writer.PutSeparator();
        writer.PutInt(viewSecond);
        writer.EndRow();
    }
    if (!notes.IsNull()) {
        writer.PutRawChar('N');
        writer.PutSeparator();
        writer.PutLongText(notes.Get());
        writer.EndRow();
    }
}

void Subset::ApplySelections()
{
    for (const auto& selection : selections)
        selection->Apply();
    Changed(0);  // also without selections: a formula of no selections is made again
}

void Subset::OnBaseChange(const ChangeRecord& record)
{
    if (record.base != &GetBase())
        return;
    if (MovesPatternDates(record.code)) {
        for (const auto& selection : selections)
            selection->Recompile();
        Changed(1);
    } else if (ChangesAdmittedLines(record.code)) {
        for (const auto& selection : selections)
            selection->ForgetLines();
    }
    formula.OnBaseChange(record);
}

void Subset::ApplyRef(const SubsetRef& ref)
{
    DeleteSelections();
    for (int32_t i = 0; i < ref.SelectionCount(); ++i) {
        const SelectionRef& selectionRef = *ref.SelectionAt(i);
        SubsetSelection* selection = CreateSelection(selectionRef.GetName());
        selection->ApplyRef(selectionRef);
    }
    SetFormulaText(ref.FormulaText());
    notes.Set(ref.Notes());
    Changed(0);
}

}  // namespace vek
