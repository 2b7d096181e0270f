// Opening, saving and closing bases by path.
#include <memory>

#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/ImportSetup.h"
#include "files/setups/SaveSettings.h"
#include "files/textimport/TextImport.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/OutOfMemory.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/base/BaseCheckpoint.h"
#include "model/base/ModelServices.h"
#include "platform/FileKindSniffer.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// Posted when a base was saved (or a save was tried).
constexpr int32_t kChangeSaved = 7;

// A question whose buttons are `first` and Cancel; the preset answer, taken when nobody can be
// asked, is Cancel (1), which changes nothing.
int32_t AskWithCancel(int32_t code, const FilePath& path, int32_t first)
{
    Message message;
    message.code = code;
    message.AddFileName(path.CStr());
    message.AddNumber(first);
    message.AddNumber(text::kCancel);
    message.answer = 1;
    return ReportMessage(message);
}

}  // namespace

// What a base takes from a save to its own file: an untitled base, or one saved under another
// path, takes the path and its name (and gives up its untitled number).
void TakeSavedFile(Base& base, const FilePath& path, int32_t format)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    if (base.UntitledNumber() != 0 || base.Path().Text() != path.Text()) {
        base.SetPath(path);
        base.Notify(kChangeBaseRenamed);
    }
    base.SetSaveKind(format);
    record.Info().FillForThisProgram();
    base.SetModified(false);
    record.fileTime = path.GetModificationTime();
}

Base* NewBase()
{
    for (int32_t number = 1;; ++number) {
        bool used = false;
        for (Base* base = Base::FirstBase(); base != nullptr && !used; base = base->NextBase())
            used = base->UntitledNumber() == number;
        if (!used)
            return new Base(FilePath(), number);
    }
}

Base* FindOpenBase(const FilePath& path)
{
    for (Base* base = Base::FirstBase(); base != nullptr; base = base->NextBase()) {
        if (!base->Path().IsEmpty() && base->Path().IsSameFile(path))
            return base;
    }
    return nullptr;
}

Base* OpenBaseFile(const FilePath& path, const char* password, int32_t flags)
{
    if (Base* open = FindOpenBase(path)) {
        if ((flags & kOpenReturnOpenBase) != 0)
            return open;
        if (open->StatusWindow() != nullptr)
            open->StatusWindow()->Activate(0);
        if (AskWithCancel(message::kAlreadyOpen, path, text::kOpenAgain) == 1)
            return open;
    }
    // The file layer reports a missing or unreadable file.
    std::unique_ptr<ByteFile> file = NewByteFile();
    if (file == nullptr || !file->OpenForRead(path.CStr())) {
        if (file == nullptr)
            SetOutOfMemoryError();
        ReportPendingError();
        return nullptr;
    }
    file->Close();
    if (IsErrorPending()) {
        ReportPendingError();
        return nullptr;
    }
    std::unique_ptr<Base> base;
    bool loaded = CatchOutOfMemory(false, [&] {
        base = std::make_unique<Base>(path, 0);
        return LoadOwnFile(*base, password, flags & ~kOpenReturnOpenBase);
    });
    if (!loaded) {
        // Nothing of a failed load stays: the new base goes, and with it everything it read.
        ReportPendingError();
        return nullptr;
    }
    return base.release();
}

Base* OpenBaseWithDialog()
{
    FilePath path;
    if (!path.AskOpenFile(kFileKindsBaseAndInterchange))
        return nullptr;
    return OpenBaseFile(path, nullptr, 0);
}

bool CloseBase(Base* base, CloseMode mode)
{
    if (base == nullptr)
        return true;
    if (!base->CanClose(mode))
        return false;
    delete base;
    return true;
}

bool CloseBaseAtExit(Base* base, CloseMode mode)
{
    if (base == nullptr)
        return true;
    if (base->LogHandler() != nullptr || base->HasErrorFile())
        return CloseBase(base, mode);
    if (!base->CanClose(mode))
        return false;
    base->FlushAlerts(true);
    return true;
}

bool LoadOwnFile(Base& base, const char* password, int32_t flags)
{
    FilePath path;
    path.Assign(base.Path());
    return ReadBaseFile(base, path, password, flags);
}

bool ImportBaseFile(Base& base, const FilePath& path, const char* password, int32_t flags)
{
    // The record must exist before the checkpoint, so that the checkpoint marks its save setups.
    BaseFileRecord::Of(base);
    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    if (CatchOutOfMemory(false, [&] { return ReadBaseFile(base, path, password, flags | kReadImport); }))
        return true;
    // The rollback must run to its end: the reason the import stopped waits meanwhile.
    PreservedErrorState reason;
    base.RollBack(checkpoint);
    return false;
}

bool ImportWithDialog(Base& base)
{
    // With exactly one import setup, any text file can be chosen and is read through it.
    const ImportSetupList& setups = BaseFileRecord::Of(base).ImportSetups();
    bool oneSetup = setups.Count() == 1;
    FilePath path;
    if (!path.AskOpenFile(oneSetup ? kFileKindsBaseAndInterchange | kFileKindNotApplication : kFileKindsBaseAndInterchange))
        return false;
    if (oneSetup) {
        BaseFileState state;
        DetectBaseFileType(state, path);
        if (state.kind == kFileOtherText)
            return ImportTextFileWithUndo(base, path, *setups.First());
    }
    return ImportBaseFile(base, path, nullptr, 0);
}

bool SaveBaseAs(Base& base)
{
    FilePath path;
    path.Assign(base.Path());
    if (path.IsEmpty()) {
        String name;
        base.GetFileName(name);
        MakeHomeFilePath(path, name.CStr());
    }
    if (!path.AskSaveFile())
        return false;
    return SaveBaseToPath(base, path, nullptr);
}

bool SaveBase(Base& base)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    FilePath target;
    target.Assign(base.Path());
    bool untitled = base.UntitledNumber() != 0 || target.IsEmpty();
    if (untitled) {
        if (!target.AskSaveFile())
            return false;
    } else {
        double now = target.GetModificationTime();
        if (record.fileTime != 0.0 && now != 0.0 && now != record.fileTime &&
            AskWithCancel(message::kChangedOnDisk, target, text::kSaveAnyway) == 1) {
            MarkBaseCancelled(base);
            return false;
        }
    }
    std::unique_ptr<SaveSettings> settings = MakeSaveSettingsFromBase(base);
    if (target.Exists()) {
        BaseFileState state;
        DetectBaseFileType(state, target);
        int32_t kind = state.newer ? kFileNewerRefused : state.kind == kFilePacked ? kFileContainerN : state.kind;
        int32_t question = 0;
        if (kind != settings->Format()) {
            if (kind == kFileNothing || kind == kFileXml || kind == kFileSie || kind == kFileOtherText || kind == kFileDamaged)
                question = message::kReplaceNotBase;
            else if (kind == kFilePackedBullets || kind == kFileTextBullets)
                question = message::kReplaceOldBase;
        }
        if (question != 0 && AskWithCancel(question, target, text::kReplace) == 1) {
            MarkBaseCancelled(base);
            return false;
        }
        if (IsErrorPending())
            return false;
    }
    base.BeginBusy();
    bool saved = CatchOutOfMemory(false, [&] { return SaveBaseFile(base, target, settings.get()); });
    if (saved)
        TakeSavedFile(base, target, settings->Format());
    base.Notify(kChangeSaved);
    base.EndBusy();
    return saved;
}

int32_t SaveFormatForPath(Base& base, const FilePath& path)
{
    std::unique_ptr<SaveSettings> settings = MakeSaveSettingsFromBase(base);
    settings->ApplyFileExtension(path);
    return settings->Format();
}

bool MayWriteOverInput(const FilePath& input, int32_t inputKind, const FilePath& output, int32_t outputFormat)
{
    if (!input.IsSameFile(output))
        return true;
    bool baseKind = inputKind == kFileContainerN || inputKind == kFileContainerB || inputKind == kFileContainerU ||
                    inputKind == kFileText;
    if (baseKind && outputFormat == inputKind)
        return true;
    if (!IsErrorPending()) {
        SetErrorCode(message::kWriteOverInput);
        GetPendingError().message.AddFileName(output.CStr());
    }
    return false;
}

bool SaveBaseToPath(Base& base, const FilePath& path, const SaveSettings* settings)
{
    std::unique_ptr<SaveSettings> own;
    if (settings == nullptr) {
        own = MakeSaveSettingsFromBase(base);
        own->ApplyFileExtension(path);
    }
    base.BeginBusy();
    const SaveSettings& used = settings != nullptr ? *settings : *own;
    bool saved = CatchOutOfMemory(false, [&] { return SaveBaseFile(base, path, &used); });
    if (saved && settings == nullptr)
        TakeSavedFile(base, path, own->Format());
    base.Notify(kChangeSaved);
    base.EndBusy();
    return saved;
}

}  // namespace vek
