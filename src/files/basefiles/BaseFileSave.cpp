// Saving a base: the variants by format and the plain text form.
#include <cstring>
#include <memory>

#include "files/format/BaseFileFormat.h"
#include "files/format/BaseFileLog.h"
#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/BaseSectionWriter.h"
#include "files/format/BlockContainer.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieExport.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextStreams.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "platform/FilePath.h"
#include "platform/Keychain.h"

namespace vek {

namespace {

// The file holds blanks where texts of the base hold what its fields cannot: the user is told once.
void ReportReplacedTexts(const FilePath& path, const TextWriter& writer)
{
    Message message;
    message.code = message::kBaseTextsReplaced;
    message.AddFileName(path.CStr());
    String count;
    count.AssignInt64(writer.ReplacedTexts());
    message.AddText(count.CStr());
    std::string_view first = writer.FirstReplacedText();
    message.AddTextBytes(first.data(), int32_t(first.size()));
    ReportMessage(message);
}

char VariantLetter(int32_t format)
{
    return format == kSaveFormatContainerB ? 'B' : format == kSaveFormatContainerU ? 'U' : 'N';
}

}  // namespace

void GetKeychainPassword(const FilePath& path, String& out)
{
    out.SetLength(0);
    String account;
    MakeKeychainAccount(path, account);
    if (KeychainGetPassword(kKeychainService, account.CStr(), out) != KeychainStatus::found)
        out.WipeAndClear();
}

void SetKeychainPassword(const FilePath& path, const char* password)
{
    String account;
    MakeKeychainAccount(path, account);
    KeychainSetPassword(kKeychainService, account.CStr(), password);
}

bool SaveBaseTextFile(Base& base, const FilePath& path, const SaveSettings& settings)
{
    FileTextWriter writer;
    if (!writer.Open(path.CStr()))
        return false;
    PutSectionMarker(writer, BaseFileSection::TextHeader);
    writer.PutSeparator();
    writer.PutTextBytes(kBaseFileVersionText.data(), int32_t(kBaseFileVersionText.size()));
    writer.EndRow();
    writer.EndRow();
    if (!IsErrorPending())
        WriteBaseSections(base, writer, settings);
    // A cancelled or failed write leaves the old file: the writer puts the new one in place only
    // when all of it was written and nothing stopped the work meanwhile.
    bool closed = writer.Close();
    bool saved = closed && !IsErrorPending();
    if (saved && writer.ReplacedTexts() > 0)
        ReportReplacedTexts(path, writer);
    return saved;
}

bool SaveBlockContainerFile(Base& base, const FilePath& path, const SaveSettings& settings)
{
    // The password keys the keystream only when the file carries it: without its "##Protection"
    // section the base would have a password nobody could give.
    String password;
    if (settings.SavesSection(SaveSection::Protection) && base.Protection().HasProtection())
        base.Protection().PasswordText(password);
    BlockContainerWriter writer;
    bool opened = writer.Open(path.CStr(), VariantLetter(settings.Format()), settings.Compress(), password.View(), 0);
    if (opened && !IsErrorPending())
        WriteBaseSections(base, writer, settings);
    // A cancelled or failed write leaves the old file.
    bool saved = opened && writer.Close() && !IsErrorPending();
    if (saved && !password.IsEmpty()) {
        // A keychain that remembers another password for this file learns the new one.
        String remembered;
        GetKeychainPassword(path, remembered);
        if (!remembered.IsEmpty() && std::strcmp(remembered.CStr(), password.CStr()) != 0)
            SetKeychainPassword(path, password.CStr());
        remembered.WipeAndClear();
    }
    password.WipeAndClear();
    return saved;
}

bool SaveBaseFile(Base& base, const FilePath& path, const SaveSettings* settings)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    base.LogOperation("file", path.CStr(), kLogWriting);
    record.cancelled = false;
    if (IsErrorPending()) {
        record.cancelled = true;
        return false;
    }
    std::unique_ptr<SaveSettings> copy;
    if (settings != nullptr) {
        copy = std::make_unique<SaveSettings>();
        if (!copy->CopyFrom(*settings)) {
            SetOutOfMemoryError();
            record.cancelled = true;
            return false;
        }
    } else {
        copy = MakeSaveSettingsFromBase(base);
    }
    ScopedSaveSettings scoped(base, std::move(copy));
    const SaveSettings& current = scoped.Settings();
    bool saved = false;
    switch (current.Format()) {
    case kSaveFormatText:
        saved = SaveBaseTextFile(base, path, current);
        break;
    case kSaveFormatSie:
        saved = SaveSieFile(base, path, &current);
        break;
    case kSaveFormatContainerN:
    case kSaveFormatContainerB:
    case kSaveFormatContainerU:
        saved = SaveBlockContainerFile(base, path, current);
        break;
    default:
        break;
    }
    if (!saved)
        record.cancelled = true;
    base.LogOperation("file", path.CStr(), kLogClosed);
    return saved;
}

}  // namespace vek
