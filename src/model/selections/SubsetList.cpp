// SubsetList: naming, ordering, reading and writing the subsets of a list, and their idle release.
#include "model/selections/SubsetList.h"

#include <algorithm>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/Identifiers.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/links/LinkRename.h"
#include "model/named/NamedObjects.h"
#include "model/selections/SubsetRefList.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

namespace {

std::string_view SubsetListFieldView(const TextReader& reader)
{
    return {reader.Token() != nullptr ? reader.Token() : "", size_t(reader.TokenLength())};
}

}  // namespace

SubsetList::SubsetList(Base& base, SubsetListKind kind, SubsetListPosting posting)
    : base(base), kind(kind), posting(posting)
{
    base.AddReceiver(ChangeStage::Subsets, this);
}

SubsetList::~SubsetList()
{
    base.RemoveReceiver(ChangeStage::Subsets, this);
    releasing = true;
    posting = SubsetListPosting::Quiet;
    // Formulas hold their operands by pointer: every formula's code goes before any subset does.
    for (const auto& subset : subsets) {
        subset->Formula().Free();
        for (int32_t i = 0; i < subset->SelectionCount(); ++i)
            subset->SelectionAt(i)->OperandFormula()->Free();
    }
    subsets.clear();
}

Subset* SubsetList::GetAt(int32_t i) const
{
    return i >= 0 && i < Count() ? subsets[size_t(i)].get() : nullptr;
}

Subset* SubsetList::FindByName(std::string_view name) const
{
    String key;
    if (!NameLookupKey(name.data(), int32_t(name.size()), key))
        return nullptr;
    for (const auto& subset : subsets) {
        if (CStrEqualNoCase(subset->OperandName(), key.View()))
            return subset.get();
    }
    return nullptr;
}

void SubsetList::UniqueName(String& text, const Subset* except) const
{
    // Link markup would be turned into plain text here once links exist; a name is plain already.
    MakeIdentifier(text, kind == SubsetListKind::Global ? "G1" : "S1", kIdentifierBlanks);
    for (int32_t guard = 0; guard <= Count(); ++guard) {
        Subset* same = FindByName(text.View());
        if (same == nullptr || same == except)
            return;
        IncrementNameSuffix(text);
    }
}

void SubsetList::Place(Subset* subset)
{
    std::unique_ptr<Subset> held = Unlink(subset);
    if (!held)
        held.reset(subset);
    // Before the first subset whose name is not smaller (a missing name sorts last).
    auto at = std::find_if(subsets.begin(), subsets.end(), [subset](const auto& other) {
        return CompareTextsNoCaseNullLast(other->GetName(), subset->GetName()) >= 0;
    });
    subsets.insert(at, std::move(held));
}

std::unique_ptr<Subset> SubsetList::Unlink(Subset* subset)
{
    auto at = std::find_if(subsets.begin(), subsets.end(), [subset](const auto& held) { return held.get() == subset; });
    if (at == subsets.end())
        return nullptr;
    std::unique_ptr<Subset> held = std::move(*at);
    subsets.erase(at);
    return held;
}

Subset* SubsetList::CreateSubset(const char* name)
{
    String text;
    text.AssignCStr(name);
    UniqueName(text, nullptr);
    std::unique_ptr<Subset> made(new Subset(*this, text.CStr()));
    Subset* subset = made.release();
    Place(subset);
    subset->Post(kChangeSubsetCreated);
    return subset;
}

void SubsetList::Delete(Subset* subset)
{
    std::vector<SubsetSelection*> naming;
    Detach(subset, naming);
    for (SubsetSelection* selection : naming)
        selection->Apply();
}

void SubsetList::Detach(Subset* subset, std::vector<SubsetSelection*>& naming)
{
    std::unique_ptr<Subset> held = Unlink(subset);
    if (!held)
        return;
    subset->Post(kChangeSubsetDeleted);
    // A selection formula that names the subset holds it by pointer: its code goes now, and it is
    // compiled again from its text (which still names the subset) by the caller, once the subset is
    // gone or another of its name has taken its place.
    SubsetList* lists[2] = {this, &base.Subsets()};
    for (int32_t l = 0; l < (lists[0] == lists[1] ? 1 : 2); ++l) {
        for (const auto& other : lists[l]->subsets) {
            for (int32_t i = 0; i < other->SelectionCount(); ++i) {
                SubsetSelection* selection = other->SelectionAt(i);
                if (selection->GetSelection().Formula().RefersToSubset(subset)) {
                    selection->OperandFormula()->Free();
                    naming.push_back(selection);
                }
            }
        }
    }
    held->Formula().Free();
    held.reset();
}

void SubsetList::DeleteAll()
{
    while (!subsets.empty())
        Delete(subsets.back().get());
}

int32_t SubsetList::DeleteMatching(const char* pattern)
{
    if (pattern == nullptr || pattern[0] == '\0')
        return 0;
    String text;
    text.AssignCStr(pattern);
    TextMatcher matcher;
    if (matcher.Compile(text, kTextMatcherKeepCase) != 0 || matcher.IsEmpty())
        return 0;
    std::vector<Subset*> matching;
    for (const auto& subset : subsets) {
        if (matcher.MatchesCStr(subset->GetName() != nullptr ? subset->GetName() : ""))
            matching.push_back(subset.get());
    }
    for (Subset* subset : matching)
        Delete(subset);
    return int32_t(matching.size());
}

void SubsetList::CopyFrom(const SubsetRefList& refs)
{
    DeleteAll();
    for (int32_t r = 0; r < refs.Count(); ++r) {
        const SubsetRef* ref = refs.At(r);
        Subset* subset = CreateSubset(ref->GetName());
        subset->ApplyRef(*ref);
    }
}

void SubsetList::TakeFrom(SubsetList& other)
{
    std::vector<Subset*> moved;
    std::vector<SubsetSelection*> naming;  // compiled again below, with every selection of the list
    while (!other.subsets.empty()) {
        std::unique_ptr<Subset> subset = std::move(other.subsets.front());
        other.subsets.erase(other.subsets.begin());
        if (Subset* same = FindByName(subset->OperandName()))
            Detach(same, naming);
        subset->list = this;
        subset->Formula().SetLists(kind == SubsetListKind::Local ? &base.Subsets() : nullptr, nullptr, subset.get());
        Subset* raw = subset.release();
        Place(raw);
        moved.push_back(raw);
    }
    // Names in selection formulas resolve only now that every subset read is in the list.
    for (const auto& subset : subsets)
        subset->ApplySelections();
    for (Subset* subset : moved)
        subset->Post(kChangeSubsetModified);
}

Subset* SubsetList::ReadSection(TextReader& reader, SubsetLineError& error)
{
    String name;
    reader.NextFieldToString(name);
    Subset* subset = FindByName(name.View());
    if (subset == nullptr)
        subset = CreateSubset(name.CStr());
    subset->ReadSection(reader, error);
    return subset;
}

void SubsetList::ReadBlocks(TextReader& reader, SubsetLineError& error)
{
    error = SubsetLineError::None;
    Subset* last = nullptr;
    std::vector<Subset*> read;
    bool haveLine = reader.LineStart() != nullptr || reader.ReadLine();
    while (haveLine && !IsErrorPending() && error == SubsetLineError::None) {
        reader.RestartLine();
        if (!reader.NextField()) {
            haveLine = reader.ReadLine();
            continue;
        }
        std::string_view key = SubsetListFieldView(reader);
        if (CStrStartsWith(key, "## Subset")) {
            last = ReadSection(reader, error);
            read.push_back(last);
        } else if (CStrStartsWith(key, "## Selection") && last != nullptr) {
            String name;
            reader.NextFieldToString(name);
            last->ReadSelectionBlock(reader, name.View(), error);
        } else if (!key.empty() && key[0] == '#') {
            reader.RestartLine();
            break;
        } else {
            haveLine = reader.ReadLine();
            continue;
        }
        // The block's reader stopped at the next block's line (current) or the end of input.
        haveLine = reader.LineStart() != nullptr;
    }
    for (Subset* subset : read)
        subset->ApplySelections();
}

void SubsetList::WriteBlocks(TextWriter& writer) const
{
    for (const auto& subset : subsets)
        subset->Write(writer, "## Subset");
}

void SubsetList::WriteSections(TextWriter& writer) const
{
    for (const auto& subset : subsets)
        subset->Write(writer, "##Subset");
}

int64_t SubsetList::StoredSize() const
{
    int64_t size = 16;
    for (const auto& subset : subsets)
        size += subset->StoredSize();
    return size;
}

bool SubsetList::IsReferredTo(const Subset* subset) const
{
    for (const auto& other : subsets) {
        for (int32_t i = 0; i < other->SelectionCount(); ++i) {
            if (other->SelectionAt(i)->GetSelection().Formula().RefersToSubset(subset))
                return true;
        }
    }
    return false;
}

void SubsetList::ReleaseIdleResults(int64_t nowMs)
{
    for (const auto& subset : subsets) {
        if (subset->Result() == nullptr || nowMs - subset->LastUse() < kSubsetIdleReleaseMs)
            continue;
        subset->SetLastUse(nowMs);
        if (IsReferredTo(subset.get()) || (this != &base.Subsets() && base.Subsets().IsReferredTo(subset.get())))
            continue;
        subset->ReleaseResults();
    }
}

void SubsetList::OnBaseChange(const ChangeRecord& record)
{
    if (record.base != &base || releasing)
        return;
    // A subset of the base's list got a new name: the selection formulas keep naming it (they hold it),
    // and their texts follow.
    if (record.code == kChangeSubset && kind == SubsetListKind::Global) {
        if (const SubsetPayload* payload = record.Get<SubsetPayload>();
            payload != nullptr && payload->subset != nullptr && payload->oldName != nullptr &&
            &payload->subset->List() == &base.Subsets()) {
            for (const auto& subset : subsets) {
                for (int32_t i = 0; i < subset->SelectionCount(); ++i) {
                    SelectionTexts& texts = subset->SelectionAt(i)->Texts();
                    if (texts.SubsetText() == nullptr)
                        continue;
                    String text;
                    text.AssignCStr(texts.SubsetText());
                    if (SubsetFormula::RenameInText(text, payload->oldName, payload->subset->OperandName()))
                        texts.SetSubsetText(text.CStr());
                }
            }
        }
    }
    // Links in the subsets' notes follow a renamed card, macro or template.
    if (const LinkRename* rename = record.GetLinkRename(); rename != nullptr) {
        for (const auto& subset : subsets) {
            if (subset->Notes() == nullptr)
                continue;
            std::string text(subset->Notes());
            if (rename->RewriteText(text)) {
                subset->SetNotes(text.c_str());
                base.SetModified(true);
            }
        }
    }
    for (const auto& subset : subsets)
        subset->OnBaseChange(record);
}

}  // namespace vek
