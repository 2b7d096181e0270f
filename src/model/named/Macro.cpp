// Macro and MacroList: named command texts of a base, their sections, index and sorting.
#include "model/named/Macro.h"

#include <vector>

#include "foundation/strings/CString.h"
#include "foundation/memory/CallbackSort.h"
#include "foundation/memory/HashTable.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/named/NamedObjects.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

namespace {

// Key kind of the name index: without regard to case.
constexpr int32_t kMacroIndexKeyKind = 5;

const char* MacroIndexKey(const void* entry)
{
    return static_cast<const Macro*>(entry)->GetName();
}

}  // namespace

// --- Macro -------------------------------------------------------------------------------------------

Macro::Macro(MacroList& owner, const char* text) : list(owner)
{
    SetName(text);
    list.Add(this);
    Post(kChangeMacroAdded);
}

Macro::~Macro()
{
    list.Remove(this);
    Post(kChangeMacroDeleted);
}

void Macro::SetName(const char* text)
{
    String clean;
    CleanObjectName(clean, text);
    SetHeapTextFromString(name.Field(), clean);
}

int32_t Base::DeleteMacrosMatching(const char* pattern)
{
    return DeleteObjectsMatching(*macros, pattern);
}

void Macro::Rename(const char* newName)
{
    String clean;
    CleanObjectName(clean, newName);
    if (CStrEqual(name.CStr(), clean.CStr()))
        return;
    String oldName;
    oldName.AssignCStr(name.CStr());
    list.Remove(this);
    SetHeapTextFromString(name.Field(), clean);
    list.Add(this);
    Post(kChangeMacroRenamed);
    if (Base* base = list.GetBase())
        base->RenameMacroLinks(oldName.CStr(), clean.CStr());
}

void Macro::SetCommands(const char* text)
{
    // Line breaks are kept as CR, the line end of base files, so that a macro reads back from its
    // file exactly as it was stored.
    String clean;
    clean.AssignCStr(text);
    clean.ReplaceAll("\r\n", "\r");
    clean.ReplaceAllCodePoint('\n', '\r');
    SetHeapTextFromString(commands.Field(), clean);
}

void Macro::NotifyChanged()
{
    Post(kChangeMacroChanged);
}

void Macro::Post(int32_t code)
{
    Base* base = list.GetBase();
    if (base == nullptr || list.releasing)
        return;
    base->HandleChange(ChangeRecord(code, base, MacroPayload{this}));
}

int64_t Macro::GetMemoryUse() const
{
    int64_t bytes = kMacroRecordSize;
    if (!commands.IsNull())
        bytes += commands.Length() + 1;
    return bytes;
}

void Macro::Read(TextReader& reader)
{
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        const char* key = reader.Token();
        int32_t keyLength = reader.TokenLength();
        if (IsSectionMarker(key, keyLength)) {
            reader.RestartLine();
            break;
        }
        char sign = keyLength > 1 ? key[1] : 0;
        switch (key[0]) {
        case 'M':
            // A field the reader cannot hold leaves the commands as they were.
            (void)reader.NextLongTextField(commands.Field());
            break;
        case 'A':
            TextReader::SetFlagFromSign(flagA, sign);
            break;
        case 'S':
            TextReader::SetFlagFromSign(flagS, sign);
            break;
        case 'P':
            TextReader::SetFlagFromSign(flagP, sign);
            break;
        default:
            break;
        }
    }
    Post(kChangeMacroChanged);
}

void Macro::Write(TextWriter& writer) const
{
    writer.PutText("##Macro");
    writer.PutSeparator();
    writer.PutFieldHeapText(name.Get());
    writer.EndRow();
    writer.PutRawChar('M');
    writer.PutSeparator();
    writer.PutLongText(commands.Get());
    writer.EndRow();
    writer.WriteTaggedFlagLine('A', flagA != 0);
    writer.WriteTaggedFlagLine('S', flagS != 0 && !running);
    writer.WriteTaggedFlagLine('P', flagP != 0);
    writer.EndRow();
}

// --- MacroList ---------------------------------------------------------------------------------------

MacroList::MacroList(Base* owner) : NamedList(owner) {}

MacroList::~MacroList()
{
    Release();
}

void MacroList::Add(Macro* macro)
{
    if (first == nullptr) {
        macro->next = nullptr;
        macro->prev = macro;
    } else {
        macro->next = first;
        macro->prev = first->prev;
        first->prev = macro;
    }
    first = macro;
    ++count;
    sorted = false;
    if (index != nullptr && (!index->Add(macro) || index->NeedsRebuild()))
        index.reset();  // made again, larger, by the next lookup
}

void MacroList::Remove(Macro* macro)
{
    if (macro->prev == nullptr)
        return;  // not linked
    if (macro == first) {
        first = macro->next;
        if (first != nullptr)
            first->prev = macro->prev;
    } else {
        macro->prev->next = macro->next;
        if (macro->next != nullptr)
            macro->next->prev = macro->prev;
        else
            first->prev = macro->prev;
    }
    macro->next = nullptr;
    macro->prev = nullptr;
    --count;
    // Equal names may share a probe sequence, so removing one entry could hide another: the index is
    // made again from the list on the next lookup.
    index.reset();
}

bool MacroList::BuildIndex() const
{
    if (index != nullptr)
        return true;
    auto table = std::make_unique<HashTable>(count, 0, MacroIndexKey, kMacroIndexKeyKind);
    if (table->Size() == 0)
        return false;
    for (Macro* macro = first; macro != nullptr; macro = macro->next) {
        if (!table->Add(macro))
            return false;
    }
    index = std::move(table);
    return true;
}

Macro* MacroList::Find(const char* name, int32_t length) const
{
    String key;
    if (!NameLookupKey(name, length, key))
        return nullptr;
    if (BuildIndex())
        return static_cast<Macro*>(index->Find(key.CStr()));
    for (Macro* macro = first; macro != nullptr; macro = macro->next) {
        if (NameEqualsKey(macro->name.Get(), key))
            return macro;
    }
    return nullptr;
}

void MacroList::Sort()
{
    if (sorted)
        return;
    if (count > 1) {
        std::vector<Macro*> order;
        order.reserve(size_t(count));
        for (Macro* macro = first; macro != nullptr; macro = macro->next)
            order.push_back(macro);
        SortIndexRange(
            [&order](int32_t i, int32_t j) {
                return CompareTextsNoCaseNullLast(order[size_t(i)]->name.Get(), order[size_t(j)]->name.Get());
            },
            [&order](int32_t i, int32_t j) { std::swap(order[size_t(i)], order[size_t(j)]); }, 0,
            int32_t(order.size()) - 1);
        Macro* previous = order.back();
        for (Macro* macro : order) {
            macro->prev = previous;
            previous->next = macro;
            previous = macro;
        }
        order.back()->next = nullptr;
        first = order.front();
        first->prev = order.back();
    }
    sorted = true;
}

int64_t MacroList::GetMemoryUse() const
{
    int64_t bytes = 0;
    for (Macro* macro = first; macro != nullptr; macro = macro->next)
        bytes += macro->GetMemoryUse();
    if (index != nullptr)
        bytes += index->MemorySize();
    return bytes;
}

void MacroList::BuildMenu(ObjectMenu& macroMenu, ObjectMenu& secondParent)
{
    Sort();
    ObjectMenu* secondMenu = nullptr;
    for (Macro* macro = first; macro != nullptr; macro = macro->next) {
        AddMacroMenuItem(macroMenu, *macro, MacroItemAction::Run);
        if (!macro->FlagA())
            continue;
        if (secondMenu == nullptr) {
            const char* title = LoadText(text::kSecondMacroMenu);
            secondMenu = secondParent.AddSubmenu(title != nullptr ? title : "");
            if (secondMenu == nullptr)
                continue;
        }
        AddMacroMenuItem(*secondMenu, *macro, MacroItemAction::Run);
    }
}

Macro* MacroList::ReadSection(TextReader& reader)
{
    Macro* macro = SectionObject(reader, text::kMacroName);
    macro->Read(reader);
    return macro;
}

void MacroList::WriteSections(TextWriter& writer) const
{
    WriteEachSection(writer, EmptyListSections::EmptyLine);
}

}  // namespace vek
