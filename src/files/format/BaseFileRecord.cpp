// Who saved a base file, and the record the files layer keeps per base.
#include "files/format/BaseFileRecord.h"

#include <sys/utsname.h>

#include <memory>

#include "files/setups/DimImportSetup.h"
#include "files/ProgramVersion.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/strings/String.h"
#include "platform/SystemFacts.h"

namespace vek {

BaseFileInfo::~BaseFileInfo()
{
    Clear();
}

void BaseFileInfo::SetText(Item item, const char* text)
{
    SetHeapText(texts[size_t(item)], text);
}

void BaseFileInfo::Clear()
{
    for (HeapText& text : texts)
        SetHeapText(text, nullptr);
    saveTime = 0.0;
}

void BaseFileInfo::FillForThisProgram()
{
    SetText(programVersion, kProgramVersionText);
    struct utsname names = {};
    if (uname(&names) == 0) {
        String platformText;
        platformText.AssignCStr(names.sysname);
        platformText.AppendChar(' ');
        platformText.AppendCStr(names.machine);
        SetText(platform, platformText.CStr());
        String systemText;
        systemText.AssignCStr(names.sysname);
        systemText.AppendChar(' ');
        systemText.AppendCStr(names.release);
        SetText(system, systemText.CStr());
    } else {
        SetText(platform, nullptr);
        SetText(system, nullptr);
    }
    String name;
    GetComputerNameString(name);
    SetText(computer, name.CStr());
    GetUserNameString(name);
    SetText(user, name.CStr());
    DateTime now;
    GetCurrentDateTime(now);
    saveTime = now.ToSeconds();
}

BaseFileRecord::BaseFileRecord(Base& owner) : base(owner), saveSetups(&owner), importSetups(&owner) {}

BaseFileRecord::~BaseFileRecord() = default;

BaseFileRecord& BaseFileRecord::Of(Base& base)
{
    if (auto* record = static_cast<BaseFileRecord*>(base.FileData()))
        return *record;
    auto record = std::make_unique<BaseFileRecord>(base);
    BaseFileRecord& result = *record;
    base.SetFileData(std::move(record));
    return result;
}

const BaseFileRecord* BaseFileRecord::Find(const Base& base)
{
    return static_cast<const BaseFileRecord*>(base.FileData());
}

bool BaseFileRecord::TakeCheckpoint()
{
    saveSetups.SetKeepMarks();
    keptSetups.Clear();
    for (SaveSetup* setup = saveSetups.First(); setup != nullptr; setup = setup->Next())
        keptSetups.Keep(*setup);
    importSetups.SetKeepMarks();
    keptImportSetups.Clear();
    for (ImportSetup* setup = importSetups.First(); setup != nullptr; setup = setup->Next())
        keptImportSetups.Keep(*setup);
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        std::string& text = keptDimImports[size_t(d)];
        text.clear();
        if (const DimImportSetup* setup = DimImportSetup::Find(base, d)) {
            TextWriter writer;
            setup->Write(writer);
            text.assign(writer.BufferedBytes());
        }
    }
    keptAtCheckpoint = kept;
    return true;
}

void BaseFileRecord::RollBack()
{
    (void)saveSetups.DeleteUnmarked();
    keptSetups.RestoreChanged();
    (void)importSetups.DeleteUnmarked();
    keptImportSetups.RestoreChanged();
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        const std::string& text = keptDimImports[size_t(d)];
        const DimImportSetup* now = DimImportSetup::Find(base, d);
        if (text.empty()) {
            if (now != nullptr)
                base.DropDimensionImportSetup(d);
            continue;
        }
        if (now != nullptr) {
            TextWriter writer;
            now->Write(writer);
            if (writer.BufferedBytes() == text)
                continue;
        }
        TextReader reader(text.data(), int64_t(text.size()));
        if (reader.ReadLine())  // the marker line
            DimImportSetup::Of(base, d)->Read(reader);
    }
    kept = std::move(keptAtCheckpoint);
    keptAtCheckpoint.Clear();
}

}  // namespace vek
