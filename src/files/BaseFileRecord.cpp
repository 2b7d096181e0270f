// Who saved a base file, and the record the files layer keeps per base.
#include "files/BaseFileRecord.h"

#include <sys/utsname.h>

#include <memory>

#include "files/ProgramVersion.h"
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

BaseFileRecord::BaseFileRecord(Base& base) : saveSetups(&base) {}

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
    keptAtCheckpoint = kept;
    return true;
}

void BaseFileRecord::RollBack()
{
    (void)saveSetups.DeleteUnmarked();
    keptSetups.RestoreChanged();
    kept = std::move(keptAtCheckpoint);
    keptAtCheckpoint.Clear();
}

}  // namespace vek
