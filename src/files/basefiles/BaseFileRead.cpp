// Reading a base file: detection, the checks before reading, the reader of the kind, and what the
// base takes from a file it was opened from.
#include <memory>
#include <new>

#include "files/format/BaseFileFormat.h"
#include "files/format/BlockContainer.h"
#include "files/format/PackedBaseFileReader.h"
#include "files/format/BaseFileLog.h"
#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/BaseSectionReader.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieImport.h"
#include "files/xmlinterface/XmlInterface.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CodePages.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"
#include "platform/Keychain.h"

namespace vek {

namespace {

// The keychain remembers a password when the password dialog's answer has this bit.
constexpr int32_t kAnswerRemember = 2;
// The encoding of texts written before version 20121122: the system code page.
constexpr int32_t kSystemCodePage = 3;

// The message that refuses a kind before anything is read; 0 when the kind can be read.
int32_t RefusalOf(int32_t kind)
{
    switch (kind) {
    case kFileContainerN:
    case kFileContainerB:
    case kFileContainerU:
    case kFilePacked:
    case kFileText:
    case kFilePackedBullets:
    case kFileTextBullets:
    case kFileSie:
    case kFileXml:
        return 0;
    case kFileTooOld:
        return message::kBaseTooOld;
    case kFileBulletsTooOld:
        return message::kEarlyBaseUnreadable;
    case kFileNewerRefused:
        return message::kNewerRefused;
    case kFileOtherText:
        return message::kNotABase;
    case kFileDamaged:
        return message::kDamagedBase;
    default:
        // Containers of an unknown variant: their readers come with later versions.
        return message::kKindNotReadable;
    }
}

void ReportRefusal(int32_t code, const FilePath& path, int32_t line)
{
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    message.AddFileName(path.CStr());
    String number;
    number.AssignInt(line);
    message.AddText(number.CStr());
}

// A file newer than the program: 0 (the preset answer, which reads nothing) gives it up.
bool ConfirmNewerFile(const FilePath& path)
{
    Message message;
    message.code = message::kNewerFile;
    message.AddFileName(path.CStr());
    message.AddNumber(text::kCancel);
    message.AddNumber(text::kContinue);
    message.answer = 0;
    return ReportMessage(message) != 0;
}

// The password of a scrambled file: the keychain's, else the user's (remembered when asked to).
bool ObtainPassword(Base& base, const FilePath& path, BaseProtection& work)
{
    String password;
    GetKeychainPassword(path, password);
    if (password.IsEmpty()) {
        int32_t answer = Service<ModelServices>::Get().AskPassword(&base, password, text::kPasswordPromptBaseFile);
        if (answer == 0) {
            password.WipeAndClear();
            return false;
        }
        if ((answer & kAnswerRemember) != 0)
            SetKeychainPassword(path, password.CStr());
    }
    bool stored = work.SetPassword(password.CStr());
    password.WipeAndClear();
    return stored;
}

// No text of a base holds a NUL byte, so a text base with one is damaged: refused here with the line
// of the byte (8-bit and UTF-8 texts; a UTF-16 text has NUL bytes in its characters).
bool HasNoNulBytes(const FilePath& path)
{
    constexpr int64_t kChunk = 65536;
    std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunk]);
    std::unique_ptr<ByteFile> file = NewByteFile();
    if (!chunk || !file) {
        SetOutOfMemoryError();
        return false;
    }
    if (!file->OpenForRead(path.CStr()))
        return false;
    NulByteScan scan;
    bool first = true;
    for (int64_t got; (got = file->Read(chunk.get(), kChunk)) > 0 && !scan.Found();) {
        if (first) {
            int32_t bom = 0;
            int32_t encoding = DetectCharSet(chunk.get(), int32_t(got < 4000 ? got : 4000), bom);
            if (encoding == kEncodingUtf16Le || encoding == kEncodingUtf16Be)
                break;
            first = false;
        }
        scan.Feed(chunk.get(), got);
    }
    if (!scan.Found()) {
        file->Close();
        return !IsErrorPending();
    }
    // The line of the byte, counted again from the start.
    file->SetPosition(0);
    LineCounter lines;
    for (int64_t done = 0; done < scan.Offset();) {
        int64_t want = scan.Offset() - done < kChunk ? scan.Offset() - done : kChunk;
        int64_t got = file->Read(chunk.get(), want);
        if (got <= 0)
            break;
        lines.Feed(chunk.get(), got);
        done += got;
    }
    file->Close();
    ReportRefusal(message::kBaseFileDamaged, path, int32_t(lines.Line() > INT32_MAX ? INT32_MAX : lines.Line()));
    return false;
}

bool ReadTextBase(Base& base, const FilePath& path, BaseProtection& work)
{
    if (!HasNoNulBytes(path))
        return false;
    BaseFileRecord& record = BaseFileRecord::Of(base);
    FileTextReader reader;
    if (record.state.version < kBaseFileVersion || record.state.kind == kFileTextBullets)
        reader.SetEncoding(kSystemCodePage);
    if (!reader.Open(path.CStr()))
        return false;
    int32_t previousSource = 0;
    bool sources = (record.state.flags & kReadImport) != 0 && record.lineHistory;
    if (sources)
        base.CardSources().BeginSource(previousSource, path);
    bool read = ReadBaseSections(base, reader, path, work);
    if (sources)
        base.CardSources().EndSource(previousSource);
    reader.Close();
    return read && !IsErrorPending();
}

// The sections of a stream that is not a plain file (a container, a packed file), with the card
// sources of an import.
bool ReadStreamSections(Base& base, TextReader& reader, const FilePath& path, BaseProtection& work)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    int32_t previousSource = 0;
    bool sources = (record.state.flags & kReadImport) != 0 && record.lineHistory;
    if (sources)
        base.CardSources().BeginSource(previousSource, path);
    bool read = ReadBaseSections(base, reader, path, work);
    if (sources)
        base.CardSources().EndSource(previousSource);
    return read;
}

void LogChecksumError(Base& base)
{
    if (base.LogHandler() != nullptr)
        base.LogHandler()->WriteEntry("-- checksum error detected in file", 0);
}

// A block container (kinds 1-3). A block that fails before the sections begin gives its error
// (3811 damaged, 3814 wrong password) and reads nothing; one that fails later asks whether what was
// read may be kept (3812; the preset answer gives it up). A wrong password also forgets the
// keychain's password of the file.
bool ReadContainerBase(Base& base, const FilePath& path, BaseProtection& work)
{
    BlockContainerReader reader;
    bool asked = false;
    bool keep = false;
    reader.SetDamageHandler([&](int32_t, int64_t line) {
        asked = true;
        Message message;
        message.code = message::kDamagedBlockKeep;
        message.AddFileName(path.CStr());
        String number;
        number.AssignInt64(line);
        message.AddText(number.CStr());
        message.AddNumber(text::kCancel);
        message.AddNumber(text::kContinue);
        message.answer = 0;
        keep = ReportMessage(message) != 0;
        if (!keep)
            MarkBaseCancelled(base);
    });
    String password;
    work.PasswordText(password);
    bool opened = reader.Open(path.CStr(), password.View());
    password.WipeAndClear();
    bool read = opened && ReadStreamSections(base, reader, path, work);
    int32_t error = reader.Error();
    int64_t line = reader.LineCount() + 1;
    reader.Close();
    if (error == 0)
        return read && !IsErrorPending();
    LogChecksumError(base);
    if (error == message::kWrongPassword)
        SetKeychainPassword(path, nullptr);
    if (!asked) {
        ReportRefusal(error, path, int32_t(line > INT32_MAX ? INT32_MAX : line));
        return false;
    }
    return keep && read && !IsErrorPending();
}

// A packed file (kinds 4 and 6), in the system code page.
bool ReadPackedBase(Base& base, const FilePath& path, BaseProtection& work)
{
    PackedBaseFileReader reader;
    reader.SetEncoding(kSystemCodePage);
    bool read = reader.Open(path.CStr()) && ReadStreamSections(base, reader, path, work);
    int32_t error = reader.Error();
    int64_t line = reader.LineCount() + 1;
    reader.Close();
    if (error != 0) {
        LogChecksumError(base);
        if (GetPendingError().message.code == error)
            ClearError();
        ReportRefusal(error, path, int32_t(line > INT32_MAX ? INT32_MAX : line));
        return false;
    }
    return read && !IsErrorPending();
}

// Puts the file state of the base back when a read ends, whichever way.
class ScopedFileState {
public:
    explicit ScopedFileState(BaseFileRecord& record) : record(record), saved(record.state) {}
    ~ScopedFileState() { record.state = saved; }
    ScopedFileState(const ScopedFileState&) = delete;
    ScopedFileState& operator=(const ScopedFileState&) = delete;

private:
    BaseFileRecord& record;
    BaseFileState saved;
};

}  // namespace

void MarkBaseCancelled(Base& base)
{
    BaseFileRecord::Of(base).cancelled = true;
    if (!IsErrorPending())
        SetCancelledError();
}

bool ReadBaseSections(Base& base, TextReader& reader, const FilePath& file, BaseProtection& protection)
{
    int32_t kind = BaseFileRecord::Of(base).state.kind;
    BaseSectionReader sections(base, reader, file, protection);
    bool bullets = kind == kFilePackedBullets || kind == kFileTextBullets;
    return IsRead(bullets ? sections.ReadBulletSections() : sections.ReadSections()) && !IsErrorPending();
}

namespace {

bool ReadBaseFileOnce(Base& base, const FilePath& path, const char* password, int32_t flags)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    bool importing = (flags & kReadImport) != 0;
    base.LogOperation("file", path.CStr(), kLogOpening);
    record.cancelled = false;
    if (IsErrorPending()) {
        // Work stopped before this read began: nothing is read.
        record.cancelled = true;
        return false;
    }

    if ((flags & kReadSkipOpenDirect) != 0)
        record.openDirect = false;

    BaseProtection work(&base);
    if (password != nullptr && *password != '\0' && !work.SetPassword(password)) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        record.cancelled = true;
        return false;
    }
    ScopedSaveSettings settings(base, MakeSaveSettingsFromBase(base));
    ScopedFileState savedState(record);
    record.state = BaseFileState();
    record.state.flags = flags;

    BaseFileState& state = record.state;
    DetectBaseFileType(state, path);
    state.flags = flags;
    state.amountColumns = 1;
    if (state.version != 0 && base.LogHandler() != nullptr) {
        String text;
        text.AssignCStr("File version ");
        text.AppendInt(state.version);
        base.LogOperation(text.CStr(), nullptr, kLogReading);
    }
    bool cancelled = IsErrorPending();
    if (!cancelled && state.newer && !ConfirmNewerFile(path)) {
        state.kind = kFileNothing;
        MarkBaseCancelled(base);
        cancelled = true;
    }
    if (!cancelled && !importing) {
        base.SetSaveKind(state.kind);
        record.compress = state.compressed != 0;
    }
    if (!cancelled) {
        if (int32_t refusal = RefusalOf(state.kind); refusal != 0) {
            ReportRefusal(refusal, path, state.verdictLine);
            cancelled = true;
        }
    }
    if (!cancelled && state.passwordNeeded && !work.HasProtection() && !ObtainPassword(base, path, work)) {
        // Nobody could be asked: the file stays closed, and the reason is said.
        if (!base.IsInteractive() && !IsErrorPending()) {
            SetErrorCode(message::kPasswordNotGiven);
            GetPendingError().message.AddFileName(path.CStr());
        }
        state.kind = kFileNothing;
        MarkBaseCancelled(base);
        cancelled = true;
    }

    bool read = false;
    if (!cancelled) {
        switch (state.kind) {
        case kFileContainerN:
        case kFileContainerB:
        case kFileContainerU:
            read = ReadContainerBase(base, path, work);
            break;
        case kFilePacked:
        case kFilePackedBullets:
            read = ReadPackedBase(base, path, work);
            break;
        case kFileText:
        case kFileTextBullets:
            read = ReadTextBase(base, path, work);
            break;
        case kFileSie:
            read = ImportSie(base, path) && !IsErrorPending();
            break;
        case kFileXml:
            read = ReadXmlInterfaceInput(base, path) && !IsErrorPending();
            break;
        default:
            break;
        }
    }
    if (!read)
        record.cancelled = true;
    if (read && !importing) {
        base.SetupDimensionOrder();
        if (record.openDirect) {
            // The start-up macros; flagged subsets and auto-open templates follow once those exist.
            base.LogOperation("open-direct commands", nullptr, kLogExecuting);
            base.RunStartupMacros();
            // What stopped a macro is its own failure, not the load's: it is told, and the base stays.
            if (IsErrorPending())
                ReportPendingError();
            base.LogOperation("open-direct commands", nullptr, kLogCompleted);
        }
        base.FinishLoad();
        base.SetModified(false);
        record.fileTime = path.GetModificationTime();
    }
    base.LogOperation("file", path.CStr(), kLogClosed);
    return read;
}

}  // namespace

bool ReadBaseFile(Base& base, const FilePath& path, const char* password, int32_t flags)
{
    // The "##Commands" sections this read adds are the ones it runs (an import skips them).
    const KeptSections& kept = BaseFileRecord::Of(base).Kept();
    size_t keptBefore = kept.Sections().size();
    bool read = ReadBaseFileOnce(base, path, password, flags);
    if (!read || (flags & kReadImport) != 0)
        return read;
    std::string commands;
    for (size_t i = keptBefore; i < kept.Sections().size(); ++i) {
        const KeptSection& section = kept.Sections()[i];
        if (section.section != BaseFileSection::Commands)
            continue;
        for (size_t line = 1; line < section.lines.size(); ++line) {
            commands += section.lines[line];
            commands += '\r';
        }
    }
    // The commands run once the base is read whole, as the user would run them on the open base:
    // what they change marks the base modified.
    if (!commands.empty()) {
        base.LogOperation("commands section", nullptr, kLogExecuting);
        base.RunCommandSource(commands, "commands section");
        // An error that stopped the commands is told; the base that was read stays open.
        if (IsErrorPending())
            ReportPendingError();
        base.LogOperation("commands section", nullptr, kLogCompleted);
    }
    return read;
}

}  // namespace vek
