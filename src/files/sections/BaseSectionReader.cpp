// The dispatcher of base-file sections and the readers of the small sections. The sections and
// their lines:
//
//   | marker              | lines                                                                 |
//   |---------------------|-----------------------------------------------------------------------|
//   | "##VEK-Text"        | none (the header line of a text base)                                 |
//   | "##Characters"      | "E" encoding; "U" "L" "X" character rows; "v" "t" "s" "m" "u" "c" who |
//   |                     | saved the file                                                        |
//   | "##Protection" TAB p| none (the password is on the marker line)                             |
//   | "##WebUsers"        | the web users (WebUserList)                                           |
//   | "##BaseOptions"     | "CN" "CD" "CT" "LT" "LV" "LN" "LH" "R" "D" (below)                    |
//   | "##SaveSetup" TAB n | one save setup (SaveSetup)                                            |
//   | "##ImportSetup" TAB n| one import setup (ImportSetup; "## Linefields" starts a record)      |
//   | "##TimeScale" TAB n | one time scale (TimeScale)                                            |
//   | "##Macro" TAB n     | one macro (Macro)                                                     |
//   | "##Dimension" TAB n | options of dimension n ("-" lines, ended by "--"), then components:   |
//   |                     | code TAB text TAB host code                                           |
//   | "##DimImport" TAB n | the import setup of dimension n (DimImportSetup)                      |
//   | "##Cards"           | cards, groups and lines (BaseCardsReader.cpp)                         |
//   | "##Subset" TAB n    | one subset (Subset::ReadSection)                                      |
//   | "##Templates"       | template definitions (TemplateTree::ReadDefinitions)                  |
//   | "##Defaults"        | the defaults templates' definitions                                   |
//   | "##Commands"        | a command text (kept as read when a file is opened, skipped when one  |
//   |                     | is imported: commands run once and do not stay with the base)         |
//   | "##End"             | the end of the base                                                   |
//
// The markers and the rows and letters the writer shares are in BaseFileFormat.h. Sections that this
// version builds no objects from are kept line for line (KeptSections) until their readers exist.
#include "files/sections/BaseSectionReader.h"

#include <cstring>
#include <memory>

#include "files/format/BaseFileFormat.h"
#include "files/format/BaseFileLog.h"
#include "files/format/BaseFileRecord.h"
#include "files/setups/DimImportSetup.h"
#include "files/setups/ImportSetup.h"
#include "files/setups/SaveSettings.h"
#include "files/setups/SaveSetup.h"
#include "foundation/strings/CString.h"
#include "foundation/services/Clock.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/base/BaseProtection.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/named/Macro.h"
#include "model/named/NamedObjects.h"
#include "model/selections/SubsetList.h"
#include "model/dates/TimeScale.h"
#include "model/named/WebUser.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// Log verbs (the low byte of an operation code) of the base's operation log.

constexpr int32_t kMaxCaptionBytes = 63;

std::string_view TokenView(const TextReader& reader)
{
    return {reader.Token() != nullptr ? reader.Token() : "", size_t(reader.TokenLength())};
}

// A whole positive decimal number of at most 9 digits, else -1.
int32_t SmallNumber(std::string_view text)
{
    if (text.empty() || text.size() > 9)
        return -1;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The text cut to at most `limit` bytes at a character boundary.
void CutAtCharacter(String& text, int32_t limit)
{
    if (text.Length() <= limit)
        return;
    int32_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text.CStr()[n]) & 0xC0) == 0x80)
        --n;
    text.Truncate(n);
}

}  // namespace

void NulByteScan::Feed(const char* bytes, int64_t n)
{
    if (offset < 0 && n > 0) {
        if (const void* nul = std::memchr(bytes, 0, size_t(n)))
            offset = fed + (static_cast<const char*>(nul) - bytes);
    }
    fed += n > 0 ? n : 0;
}

void LineCounter::Feed(const char* bytes, int64_t n)
{
    for (int64_t i = 0; i < n; ++i) {
        if (bytes[i] == '\n') {
            if (!afterCr)
                ++line;
            afterCr = false;
        } else {
            afterCr = bytes[i] == '\r';
            if (afterCr)
                ++line;
        }
    }
}

BaseSectionReader::BaseSectionReader(Base& base, TextReader& reader, const FilePath& file, BaseProtection& protection)
    : base(base), reader(reader), file(file), protection(protection), record(BaseFileRecord::Of(base))
{
    // The reference modes of "##Cards" go into the base's current settings, where the component
    // lookups of the base read them; a read without settings gets some for its time.
    settings = dynamic_cast<SaveSettings*>(base.SaveSettings());
    if (settings == nullptr) {
        auto temporary = std::make_unique<SaveSettings>();
        settings = temporary.get();
        base.SetSaveSettings(std::move(temporary));
        ownsSettings = true;
    }
}

BaseSectionReader::~BaseSectionReader()
{
    if (ownsSettings)
        base.SetSaveSettings(nullptr);
}

bool BaseSectionReader::Importing() const
{
    return (record.state.flags & kReadImport) != 0;
}

bool BaseSectionReader::Stopped() const
{
    return IsErrorPending();
}

void BaseSectionReader::ReportDamage(int32_t code)
{
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    message.AddFileName(file.CStr());
    String line;
    line.AssignInt64(reader.LineCount());
    message.AddText(line.CStr());
}

void BaseSectionReader::ReportAmountNotFinite(std::string_view text)
{
    if (IsErrorPending())
        return;
    ReportDamage(message::kBaseAmountNotFinite);
    constexpr int32_t kShownBytes = 64;  // of a field that may be of any length
    int32_t n = int32_t(text.size() < size_t(kShownBytes) ? text.size() : size_t(kShownBytes));
    GetPendingError().message.AddTextBytes(text.data(), Utf8SafeCut(text.data(), int32_t(text.size()), n));
}

void BaseSectionReader::ReportSkippedSection(int32_t code, std::string_view name)
{
    Message message;
    message.code = code;
    message.AddTextBytes(name.data(), int32_t(name.size()));
    message.AddFileName(file.CStr());
    String line;
    line.AssignInt64(reader.LineCount());
    message.AddText(line.CStr());
    base.ShowErrorAlert(message);
}

void BaseSectionReader::ReportIndexTooLarge()
{
    Message message;
    message.code = message::kDimensionIndexTooLarge;
    String text;
    text.AssignBytes(reader.LineStart(), reader.LineLength());
    text.ReplaceAllCodePoint('\t', ' ');
    message.AddText(text.CStr());
    message.AddFileName(file.CStr());
    text.AssignInt64(reader.LineCount());
    message.AddText(text.CStr());
    text.AssignInt(kMaxIndexSize);
    message.AddText(text.CStr());
    base.ShowErrorAlert(message);
}

bool BaseSectionReader::AtSectionMarker()
{
    reader.RestartLine();
    bool marker = reader.NextField() && IsSectionMarker(reader.Token(), reader.TokenLength());
    reader.RestartLine();
    return marker;
}

void BaseSectionReader::SkipSection()
{
    while (!Stopped() && reader.ReadLine()) {
        if (AtSectionMarker())
            return;
    }
}

SectionReadResult BaseSectionReader::ReadSections()
{
    if (!Importing()) {
        String name;
        VersionName(record.state.version, name);
        if (!name.IsEmpty())
            record.Info().SetText(BaseFileInfo::programVersion, name.CStr());
    }
    bool haveLine = reader.ReadLine();
    while (haveLine) {
        if (Stopped())
            return SectionReadResult::stopped;
        reader.RestartLine();
        if (!reader.NextField() || reader.TokenLength() < 2 || reader.Token()[0] != '#' || reader.Token()[1] != '#') {
            haveLine = reader.ReadLine();
            continue;
        }
        std::string_view field = TokenView(reader);
        BaseFileSection section = BaseFileSection::End;
        if (!FindSectionOfField(field, section)) {
            if (field.size() < 3) {
                // A bare "##": nothing of its own.
                haveLine = reader.ReadLine();
                continue;
            }
            ReportSkippedSection(message::kUnknownSection, field.substr(2));
            SkipSection();
        } else {
            switch (section) {
            case BaseFileSection::TextHeader:
                // The header line: nothing of its own.
                haveLine = reader.ReadLine();
                continue;
            case BaseFileSection::End:
                return Finish(SectionReadResult::complete);
            case BaseFileSection::Characters:
                ReadCharacters();
                break;
            case BaseFileSection::Protection:
                ReadProtection();
                break;
            case BaseFileSection::WebUsers:
                ReadWebUsers();
                break;
            case BaseFileSection::BaseOptions:
                ReadBaseOptions();
                break;
            case BaseFileSection::SaveSetup:
                ReadSaveSetup();
                break;
            case BaseFileSection::TimeScale:
                ReadTimeScale();
                break;
            case BaseFileSection::Macro:
                ReadMacro();
                break;
            case BaseFileSection::Dimension:
                ReadDimension();
                break;
            case BaseFileSection::Cards:
                ReadCardsSection(CardsForm::Current);
                break;
            case BaseFileSection::DimImport:
                ReadDimensionImport();
                break;
            case BaseFileSection::Commands:
                ReadCommands();
                break;
            case BaseFileSection::ImportSetup:
                ReadImportSetup();
                break;
            case BaseFileSection::Subset:
                ReadSubset();
                break;
            case BaseFileSection::Templates:
                ReadTemplates();
                break;
            case BaseFileSection::Defaults:
                ReadDefaults();
                break;
            }
        }
        if (Stopped())
            return GetPendingError().message.code == message::kBaseFileDamaged ? SectionReadResult::damaged
                                                                            : SectionReadResult::stopped;
        // The section's reader stopped at the next marker (the current line) or the end of input.
        haveLine = reader.LineStart() != nullptr;
    }
    if (Stopped())
        return SectionReadResult::stopped;
    return FinishIncomplete();
}

// The file was cut short (or never finished): what it holds is loaded, so that the user can
// rescue it, and the user is told that it is incomplete.
SectionReadResult BaseSectionReader::FinishIncomplete()
{
    Message message;
    message.code = message::kBaseFileIncomplete;
    message.AddFileName(file.CStr());
    String line;
    line.AssignInt64(reader.LineCount());
    message.AddText(line.CStr());
    ReportMessage(message);
    return Finish(SectionReadResult::incomplete);
}

SectionReadResult BaseSectionReader::Finish(SectionReadResult result)
{
    if (Stopped())
        return SectionReadResult::stopped;
    // Built aside while the file was read, the kept sections and the subsets join the base's only now.
    record.Kept().Merge(std::move(kept));
    if (subsets)
        base.Subsets().TakeFrom(*subsets);
    ReportUnknownReferences();
    return result;
}

void BaseSectionReader::ReportUnknownReferences()
{
    for (UnknownReferences& unknown : unknownReferences) {
        if (unknown.count < 2)
            continue;
        Message message;
        message.code = message::kUnknownReferencesAdded;
        message.AddFileName(file.CStr());
        String text;
        text.AssignInt64(unknown.count);
        message.AddText(text.CStr());
        message.AddText(unknown.first.CStr());
        text.AssignInt64(unknown.line);
        message.AddText(text.CStr());
        ReportMessage(message);
        unknown.count = 0;
    }
}

void BaseSectionReader::KeepSection(BaseFileSection section)
{
    KeptSection keeping;
    keeping.section = section;
    keeping.lines.emplace_back(reader.LineStart(), size_t(reader.LineLength()));
    while (!Stopped() && reader.ReadLine()) {
        if (AtSectionMarker()) {
            reader.RestartLine();
            break;
        }
        keeping.lines.emplace_back(reader.LineStart(), size_t(reader.LineLength()));
    }
    base.LogOperation("kept section", keeping.lines.front().c_str(), kLogReading);
    kept.Add(std::move(keeping));
}

void BaseSectionReader::ReadSubset()
{
    if (!subsets)
        subsets = std::make_unique<SubsetList>(base, SubsetListKind::Global, SubsetListPosting::Quiet);
    SubsetLineError error = SubsetLineError::None;
    Subset* subset = subsets->ReadSection(reader, error);
    base.LogOperation("subset", subset->GetName(), kLogReading);
    if (error == SubsetLineError::None || IsErrorPending())
        return;
    ReportDamage(error == SubsetLineError::NoSelection ? message::kSubsetLineWithoutSelection
                                                        : message::kSubsetPatternRefused);
    std::string_view line(reader.LineStart(), size_t(reader.LineLength()));
    constexpr int32_t kShownBytes = 64;  // of a line that may be of any length
    int32_t n = int32_t(line.size() < size_t(kShownBytes) ? line.size() : size_t(kShownBytes));
    GetPendingError().message.AddTextBytes(line.data(), Utf8SafeCut(line.data(), int32_t(line.size()), n));
}

// --- "##Characters" ---------------------------------------------------------------------------------

void BaseSectionReader::ReadCharacters()
{
    base.LogOperation("characters section", nullptr, kLogReading);
    String encodingName;
    String rows[kCharacterRows.size()];
    while (!Stopped() && reader.ReadLine()) {
        if (AtSectionMarker())
            break;
        if (!reader.NextFieldRaw() || reader.TokenLength() < 1)
            continue;
        char key = reader.Token()[0];
        String value;
        reader.NextFieldToString(value);
        if (key == 'E') {
            encodingName.Assign(value);
            continue;
        }
        for (size_t i = 0; i < kCharacterRows.size(); ++i) {
            if (key == kCharacterRows[i].key)
                rows[i].Assign(value);
        }
        if (Importing())
            continue;
        if (size_t item = kSaverKeys.find(key); item != std::string_view::npos) {
            record.Info().SetText(BaseFileInfo::Item(item), value.IsEmpty() ? nullptr : value.CStr());
        } else if (key == kSaveTimeKey) {
            DateTime time;
            time.ParseBytes(value.CStr(), value.Length());
            record.Info().saveTime = time.ToSeconds();
        }
    }
    // A row that differs from ours was written under another code page: its characters are read as
    // ours from here on.
    for (size_t i = 0; i < kCharacterRows.size(); ++i) {
        if (!rows[i].IsEmpty() && std::strcmp(rows[i].CStr(), kCharacterRows[i].reference) != 0)
            reader.SetCharMappings(rows[i].CStr(), kCharacterRows[i].reference);
    }
    if (!encodingName.IsEmpty())
        reader.SetEncodingByName(encodingName.CStr());
}

// --- Protection, web users, named objects -------------------------------------------------------------

void BaseSectionReader::ReadProtection()
{
    int32_t given = protection.PasswordHash();
    if (!protection.Read(reader)) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return;
    }
    // Scrambled files are read with the password given or asked for; it must be the file's. A text
    // base is readable anyway, so its password is taken as it stands.
    int32_t kind = record.state.kind;
    bool scrambled = (kind >= kFileContainerN && kind <= kFilePacked) || kind == kFilePackedBullets;
    if (scrambled && given != protection.PasswordHash()) {
        if (!IsErrorPending()) {
            SetErrorCode(message::kWrongPassword);
            GetPendingError().message.AddFileName(file.CStr());
        }
        return;
    }
    if (!Importing() && !base.Protection().CopyFrom(protection) && !IsErrorPending())
        SetOutOfMemoryError();
}

void BaseSectionReader::ReadWebUsers()
{
    base.WebUsers().Read(reader);
}

void BaseSectionReader::ReadSaveSetup()
{
    SaveSetup* setup = record.SaveSetups().ReadSection(reader);
    base.LogOperation("save setup", setup != nullptr ? setup->GetName() : nullptr, kLogReading);
}

SetupReadContext BaseSectionReader::SetupContext()
{
    SetupReadContext context;
    int32_t version = record.state.version;
    // Files before 19961213 wrote a field definition as three numbers and a text; files up to
    // 20000109 wrote no "PX" line, and their setups keep control characters.
    context.oldFieldForm = version != 0 && version <= 19961212;
    context.oldDropControl = version != 0 && version <= 20000109;
    context.passedOver = [this](std::string_view line) {
        ReportSkippedSection(message::kSetupLinePassedOver, line);
    };
    return context;
}

void BaseSectionReader::ReadImportSetup()
{
    ImportSetup* setup = record.ImportSetups().ReadSection(reader, SetupContext());
    base.LogOperation("import setup", setup != nullptr ? setup->GetName() : nullptr, kLogReading);
}

void BaseSectionReader::ReadTimeScale()
{
    TimeScale* timeScale = base.TimeScales().ReadSection(reader);
    base.LogOperation("time scale", timeScale != nullptr ? timeScale->GetName() : nullptr, kLogReading);
}

void BaseSectionReader::ReadMacro()
{
    Macro* macro = base.Macros().ReadSection(reader);
    base.LogOperation("macro", macro != nullptr ? macro->GetName() : nullptr, kLogReading);
}

void BaseSectionReader::StartTemplateReading()
{
    TemplateReadContext context;
    context.fileKind = record.state.kind;
    context.version = record.state.version;
    base.Templates().SetReading(context);
}

void BaseSectionReader::ReadTemplates()
{
    base.LogOperation("analysis template section", nullptr, kLogReading);
    StartTemplateReading();
    base.Templates().ReadDefinitions(reader, [this](Template& node) {
        String path;
        node.GetPathName(path);
        base.LogOperation("analysis template", path.CStr(), kLogReading);
    });
    base.Templates().SetReading(TemplateReadContext{});
    base.LogOperation("analysis template section", nullptr, kLogCompleted);
}

void BaseSectionReader::ReadDefaults()
{
    base.LogOperation("analysis defaults section", nullptr, kLogReading);
    StartTemplateReading();
    base.Templates().ReadDefaultDefinitions(reader);
    base.Templates().SetReading(TemplateReadContext{});
}

void BaseSectionReader::ReadCommands()
{
    // Running the commands is the command interpreter's; until it is there the commands of an opened
    // base are kept for its next save. An import would run them once, never keep them.
    if (!Importing())
        record.openDirect = false;  // the commands take the place of the open-direct steps
    if (Importing()) {
        base.LogOperation("commands section", nullptr, kLogSkipped);
        SkipSection();
        return;
    }
    KeepSection(BaseFileSection::Commands);
}

// --- "##BaseOptions" ----------------------------------------------------------------------------------

void BaseSectionReader::ReadBaseOptions()
{
    bool lineHistory = false;
    while (!Stopped() && reader.ReadLine()) {
        if (AtSectionMarker())
            break;
        if (!reader.NextField() || reader.TokenLength() < 1)
            continue;
        std::string_view key = TokenView(reader);
        if (key == "CN") {
            int32_t digits = 0;
            if (reader.NextFieldInt(digits)) {
                int32_t needed = base.CardNumberDigitsNeeded();
                digits = digits < needed ? needed : digits;
                base.SetCardNumberDigits(digits < 1 ? 1 : digits > 9 ? 9 : digits);
            }
        } else if (key == "CD") {
            for (int32_t i = 0; i < kValueFieldCount && reader.NextField(); ++i) {
                if (reader.TokenLength() < 1)
                    continue;
                if (size_t format = kDecimalsLetters.find(reader.Token()[0]); format != std::string_view::npos)
                    base.SetValueFormat(i, int32_t(format));
            }
        } else if (key == "CT" || key == "LT") {
            String text;
            reader.NextFieldRawToString(text);
            CutAtCharacter(text, kMaxCaptionBytes);
            if (key == "CT")
                base.SetCardTextCaption(text.CStr());
            else
                base.SetLineTextCaption(text.CStr());
        } else if (key == "LV") {
            String text;
            for (int32_t i = 0; i < kValueFieldCount && reader.NextFieldRawToString(text); ++i) {
                CutAtCharacter(text, kMaxCaptionBytes);
                base.SetValueFieldName(i, text.CStr());
            }
        } else if (key == "LN") {
            int32_t columns = 0;
            if (!reader.NextField() || (columns = SmallNumber(TokenView(reader))) < 1 || columns > kValueFieldCount) {
                ReportDamage(message::kBaseFileDamaged);
                return;
            }
            record.state.amountColumns = columns;
            if (base.ValueCount() < columns)
                base.SetValueCount(columns);
        } else if (key == "LH") {
            lineHistory = true;
        } else if (key == "R") {
            DateExpression date(&base, 1);
            date.Read(reader);
            base.SetReferenceDate(date);
        } else if (key.size() >= 2 && key[0] == 'D') {
            for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
                base.GetDimension(d).SetCodeModeLetter(key[1]);
        }
    }
    if (!Importing())
        record.lineHistory = lineHistory;
    base.LogOperation("base options", nullptr, kLogReading);
}

// --- "##Dimension" and "##DimImport" -------------------------------------------------------------------

int32_t BaseSectionReader::ReadDimensionNumber(BaseFileSection section)
{
    bool given = reader.NextField();
    int32_t number = given ? SmallNumber(TokenView(reader)) : -1;
    if (number >= 1 && number <= int32_t(kDimensionCount))
        return number - 1;
    // The section cannot belong to any dimension: it is reported and skipped, the rest is read.
    String name;
    std::string_view marker = SectionMarker(section).substr(2);
    name.AssignBytes(marker.data(), int32_t(marker.size()));
    if (given && reader.TokenLength() > 0) {
        name.AppendChar(' ');
        name.AppendBytes(reader.Token(), reader.TokenLength());
    }
    ReportSkippedSection(message::kDimensionOutOfRange, {name.CStr(), size_t(name.Length())});
    SkipSection();
    return -1;
}

void BaseSectionReader::ReadDimension()
{
    int32_t d = ReadDimensionNumber(BaseFileSection::Dimension);
    if (d < 0)
        return;
    ReadDimensionLines(d);
}

void BaseSectionReader::ReadDimensionLines(int32_t d)
{
    String name;
    base.DimensionSingularName(d, name);
    base.LogOperation("dimension section", name.CStr(), kLogReading);
    int64_t start = CurrentTimeMs();
    int64_t count = 0;
    Dimension& dimension = base.GetDimension(d);
    bool options = true;
    String code;
    String text;
    String host;
    while (!Stopped() && reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        const char* field = reader.Token();
        int32_t n = reader.TokenLength();
        if (IsSectionMarker(field, n)) {
            reader.RestartLine();
            break;
        }
        if (options && n >= 1 && field[0] == '-') {
            if (n == 2 && field[1] == '-') {
                options = false;
                continue;
            }
            // The index sizes ("-EC", "-EH") size a new index; given for one that holds components
            // already (a dimension read twice) they would state less than it holds.
            if (n >= 2 && field[1] == 'E' && base.DimensionHasComponents(d))
                continue;
            String key;
            key.AssignBytes(field, n);
            if (!dimension.ReadOption(reader, key.CStr()))
                ReportIndexTooLarge();
            continue;
        }
        options = false;
        code.AssignBytes(field, n);
        reader.NextFieldToString(text);
        reader.NextFieldToString(host);
        if (code.IsEmpty())
            continue;
        if (base.AddComponent(d, code.CStr(), text.CStr(), host.CStr()) != nullptr)
            ++count;
    }
    base.NotifyChangedDimensions();
    base.LogLoadTime("components", count, start);
    base.LogOperation("dimension section", name.CStr(), kLogReading);
}

void BaseSectionReader::ReadDimensionImport()
{
    int32_t d = ReadDimensionNumber(BaseFileSection::DimImport);
    if (d < 0)
        return;
    if (DimImportSetup* setup = DimImportSetup::Of(base, d))
        setup->Read(reader, SetupContext());
    base.LogOperation("dimension import setup", nullptr, kLogReading);
}

}  // namespace vek
