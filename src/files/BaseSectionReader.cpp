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
//   | "##ImportSetup"     | one import setup (read by the import-setup code when it is there)     |
//   | "##TimeScale" TAB n | one time scale (TimeScale)                                            |
//   | "##Macro" TAB n     | one macro (Macro)                                                     |
//   | "##Dimension" TAB n | options of dimension n ("-" lines, ended by "--"), then components:   |
//   |                     | code TAB text TAB host code                                           |
//   | "##DimImport" TAB n | the dimension's import setup                                          |
//   | "##Cards"           | cards, groups and lines (BaseCardsReader.cpp)                         |
//   | "##Subset" "##Templates" "##Defaults" "##Commands" | read by their own code when it is there |
//   | "##End"             | the end of the base                                                   |
#include "files/BaseSectionReader.h"

#include <cstring>
#include <memory>

#include "files/BaseFileRecord.h"
#include "files/SaveSettings.h"
#include "files/SaveSetup.h"
#include "foundation/CString.h"
#include "foundation/Clock.h"
#include "foundation/DateTime.h"
#include "foundation/LocalizedText.h"
#include "foundation/Message.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "foundation/TextReader.h"
#include "model/Base.h"
#include "model/BaseProtection.h"
#include "model/DateExpression.h"
#include "model/Dimension.h"
#include "model/Macro.h"
#include "model/NamedObjects.h"
#include "model/TimeScale.h"
#include "model/WebUser.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// Log verbs (the low byte of an operation code) of the base's operation log.
constexpr int32_t kLogReading = 0x2103;
constexpr int32_t kLogSkipped = 0x2108;

// The rows of accented letters and symbols that a file's "##Characters" section compares with its
// own, to translate characters written under another code page.
constexpr const char* kReferenceUpper = "ÄÁÀÂÃÆÅ ËÉÈÊ ÏÍÌÎ ÖÓÒÔÕØŒÜÚÙÛ ÇÑ";
constexpr const char* kReferenceLower = "äáàâãæå ëéèê ïíìî öóòôõøœüúùû çñ";
constexpr const char* kReferenceSymbols = "±¬÷≈≠«» ƒ∫√π∏∑ ¢£§∂ßµ¶¥€ ªº©®¿¡´`¨°‰™†‡…\xC2\xA0‘’“”";

constexpr const char* kDecimalsLetters = "0123456FTM";
constexpr int32_t kMaxCaptionBytes = 63;

std::string_view TokenView(const TextReader& reader)
{
    return {reader.Token() != nullptr ? reader.Token() : "", size_t(reader.TokenLength())};
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        char b = prefix[i];
        if (a >= 'a' && a <= 'z')
            a = char(a - 32);
        if (b >= 'a' && b <= 'z')
            b = char(b - 32);
        if (a != b)
            return false;
    }
    return true;
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

bool CodeStartsSection(const char* text, int32_t n)
{
    char packed[9];
    int32_t used = 0;
    for (int32_t i = 0; i < n && used < int32_t(sizeof packed); ++i) {
        if (text[i] != ' ')
            packed[used++] = text[i];
    }
    return IsSectionMarker(packed, used);
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

void BaseSectionReader::ReportUnknownSection(std::string_view name)
{
    Message message;
    message.code = kMessageUnknownSection;
    message.AddTextBytes(name.data(), int32_t(name.size()));
    message.AddFileName(file.CStr());
    String line;
    line.AssignInt64(reader.LineCount());
    message.AddText(line.CStr());
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
        bool ran = true;
        if (StartsWithNoCase(field, "##VEK-Text"))
            ran = false;  // the header line: nothing of its own
        else if (StartsWithNoCase(field, "##Characters"))
            ReadCharacters();
        else if (StartsWithNoCase(field, "##Protection"))
            ReadProtection();
        else if (StartsWithNoCase(field, "##WebUsers"))
            ReadWebUsers();
        else if (StartsWithNoCase(field, "##BaseOptions"))
            ReadBaseOptions();
        else if (StartsWithNoCase(field, "##SaveSetup"))
            ReadSaveSetup();
        else if (StartsWithNoCase(field, "##ImportSetup"))
            SkipSection();
        else if (StartsWithNoCase(field, "##TimeScale"))
            ReadTimeScale();
        else if (StartsWithNoCase(field, "##Macro"))
            ReadMacro();
        else if (StartsWithNoCase(field, "##Dimension"))
            ReadDimension();
        else if (StartsWithNoCase(field, "##DimImport"))
            ReadDimensionImport();
        else if (StartsWithNoCase(field, "##Cards"))
            ReadCards();
        else if (StartsWithNoCase(field, "##Subset") || StartsWithNoCase(field, "##Templates") ||
                 StartsWithNoCase(field, "##Defaults"))
            SkipSection();
        else if (StartsWithNoCase(field, "##Commands"))
            ReadCommands();
        else if (StartsWithNoCase(field, "##End"))
            return SectionReadResult::complete;
        else if (field.size() < 3)
            ran = false;
        else {
            ReportUnknownSection(field.substr(2));
            SkipSection();
        }
        if (!ran) {
            haveLine = reader.ReadLine();
            continue;
        }
        if (Stopped())
            return GetPendingError().message.code == kMessageBaseFileDamaged ? SectionReadResult::damaged
                                                                            : SectionReadResult::stopped;
        // The section's reader stopped at the next marker (the current line) or the end of input.
        haveLine = reader.LineStart() != nullptr;
    }
    if (Stopped())
        return SectionReadResult::stopped;
    ReportDamage(kMessageBaseFileTruncated);
    return SectionReadResult::truncated;
}

// --- "##Characters" ---------------------------------------------------------------------------------

void BaseSectionReader::ReadCharacters()
{
    base.LogOperation("characters section", nullptr, kLogReading);
    String encodingName;
    String rows[3];
    static constexpr const char* kReferences[3] = {kReferenceUpper, kReferenceLower, kReferenceSymbols};
    while (!Stopped() && reader.ReadLine()) {
        if (AtSectionMarker())
            break;
        if (!reader.NextFieldRaw() || reader.TokenLength() < 1)
            continue;
        char key = reader.Token()[0];
        String value;
        reader.NextFieldToString(value);
        switch (key) {
        case 'E':
            encodingName.Assign(value);
            break;
        case 'U':
            rows[0].Assign(value);
            break;
        case 'L':
            rows[1].Assign(value);
            break;
        case 'X':
            rows[2].Assign(value);
            break;
        case 'v':
        case 't':
        case 's':
        case 'm':
        case 'u': {
            if (Importing())
                break;
            static constexpr const char kKeys[] = "vtsmu";
            auto item = BaseFileInfo::Item(std::strchr(kKeys, key) - kKeys);
            record.Info().SetText(item, value.IsEmpty() ? nullptr : value.CStr());
            break;
        }
        case 'c': {
            if (Importing())
                break;
            DateTime time;
            time.ParseBytes(value.CStr(), value.Length());
            record.Info().saveTime = time.ToSeconds();
            break;
        }
        default:
            break;
        }
    }
    // A row that differs from ours was written under another code page: its characters are read as
    // ours from here on.
    for (int32_t i = 0; i < 3; ++i) {
        if (!rows[i].IsEmpty() && std::strcmp(rows[i].CStr(), kReferences[i]) != 0)
            reader.SetCharMappings(rows[i].CStr(), kReferences[i]);
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
            SetErrorCode(kMessageWrongPassword);
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

void BaseSectionReader::ReadCommands()
{
    // Running the commands is the command interpreter's; until it is there they are skipped.
    base.LogOperation("commands section", nullptr, kLogSkipped);
    SkipSection();
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
                const char* letter = std::strchr(kDecimalsLetters, reader.Token()[0]);
                if (letter != nullptr && *letter != '\0')
                    base.SetValueFormat(i, int32_t(letter - kDecimalsLetters));
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
                ReportDamage(kMessageBaseFileDamaged);
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

void BaseSectionReader::ReadDimension()
{
    int32_t number = reader.NextField() ? SmallNumber(TokenView(reader)) : -1;
    if (number < 1 || number > int32_t(kDimensionCount)) {
        ReportDamage(kMessageBaseFileDamaged);
        return;
    }
    int32_t d = number - 1;
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
            dimension.ReadOption(reader, key.CStr());
            continue;
        }
        options = false;
        if (CodeStartsSection(field, n)) {
            ReportDamage(kMessageBaseFileDamaged);
            break;
        }
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
    int32_t number = reader.NextField() ? SmallNumber(TokenView(reader)) : -1;
    if (number < 1 || number > int32_t(kDimensionCount)) {
        ReportDamage(kMessageBaseFileDamaged);
        return;
    }
    // Dimension import setups are read by their own code; until it is there their lines are skipped.
    SkipSection();
}

}  // namespace vek
