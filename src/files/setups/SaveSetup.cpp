// SaveSetup and SaveSetupList: named save settings of a base, their sections and change notices.
#include "files/setups/SaveSetup.h"

#include <string>

#include "files/sections/BaseSectionWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/named/NamedObjects.h"

namespace vek {

// --- SaveSetup ---------------------------------------------------------------------------------------

SaveSetup::SaveSetup(SaveSetupList& owner, const char* text) : list(owner)
{
    SetName(text);
    if (name == nullptr)
        SetName(LoadText(text::kSaveSetupName));
    list.Add(this);
    Post(kChangeSaveSetupAdded);
}

SaveSetup::~SaveSetup()
{
    list.Remove(this);
    Post(kChangeSaveSetupDeleted);
    SetHeapText(name, nullptr);
}

void SaveSetup::SetName(const char* text)
{
    String clean;
    CleanObjectName(clean, text);
    std::string read = TextAsRead(std::string_view(clean.CStr(), size_t(clean.Length())));
    SetHeapTextFromBytes(name, read.data(), int32_t(read.size()));
}

void SaveSetup::Rename(const char* newName)
{
    String clean;
    CleanObjectName(clean, newName);
    std::string read = TextAsRead(std::string_view(clean.CStr(), size_t(clean.Length())));
    if (read.empty() || CStrEqual(name != nullptr ? name : "", read.c_str()))
        return;
    list.Remove(this);
    SetHeapTextFromBytes(name, read.data(), int32_t(read.size()));
    list.Add(this);
    Post(kChangeSaveSetupRenamed);
}

void SaveSetup::NotifyChanged()
{
    Post(kChangeSaveSetupChanged);
}

void SaveSetup::Post(int32_t code)
{
    Base* base = list.GetBase();
    if (base == nullptr || list.releasing)
        return;
    base->HandleChange(ChangeRecord(code, base, SaveSetupPayload{this}));
}

void SaveSetup::Read(TextReader& reader)
{
    settings.Reset();
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!settings.ReadKeyLine(reader, list.GetBase())) {
            reader.RestartLine();
            break;
        }
    }
    Post(kChangeSaveSetupChanged);
}

void SaveSetup::Write(TextWriter& writer) const
{
    PutSectionMarker(writer, BaseFileSection::SaveSetup);
    writer.PutSeparator();
    writer.PutFieldHeapText(name);
    writer.EndRow();
    settings.WriteKeyLines(writer);
    writer.EndRow();
}

// --- SaveSetupList -----------------------------------------------------------------------------------

SaveSetupList::SaveSetupList(Base* owner) : NamedList(owner) {}

SaveSetupList::~SaveSetupList()
{
    Release();
}

void SaveSetupList::Add(SaveSetup* setup)
{
    InsertInNamedChain(first, setup);
    ++count;
}

void SaveSetupList::Remove(SaveSetup* setup)
{
    if (RemoveFromNamedChain(first, setup))
        --count;
}

SaveSetup* SaveSetupList::ReadSection(TextReader& reader)
{
    SaveSetup* setup = SectionObject(reader, text::kSaveSetupName);
    setup->Read(reader);
    return setup;
}

void SaveSetupList::WriteSections(TextWriter& writer) const
{
    WriteEachSection(writer, EmptyListSections::Nothing);
}

}  // namespace vek
