// SaveSettings: defaults, copies, settings taken from a base, option words and file extensions.
#include "files/setups/SaveSettings.h"

#include <algorithm>
#include <string>

#include "files/setups/SaveSetup.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/selections/SelectionTexts.h"
#include "model/base/BaseProtection.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"
#include "model/named/WebUser.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr int32_t kDimensions = int32_t(kDimensionCount);

bool ValidDimension(int32_t d)
{
    return d >= 0 && d < kDimensions;
}

bool ValidFormat(int32_t value)
{
    return value == kSaveFormatContainerN || value == kSaveFormatContainerB || value == kSaveFormatContainerU ||
           value == kSaveFormatText || value == kSaveFormatSie;
}

// A text of a setting as the record keeps it: CR LF and LF become CR (the line break of base files)
// and the other control characters but tab go; then it is what the file reader gives back for it.
// Empty gives null.
void SetSettingText(HeapText& field, const char* text)
{
    std::string clean;
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        char c = *p;
        if (c == '\r' && p[1] == '\n')
            continue;  // the LF that follows makes the one break
        if (c == '\n')
            c = '\r';
        if (static_cast<unsigned char>(c) < 32 && c != '\r' && c != '\t')
            continue;
        clean.push_back(c);
    }
    clean = TextAsRead(clean);
    SetHeapTextFromBytes(field, clean.data(), int32_t(std::min<size_t>(clean.size(), INT32_MAX)));
}

bool IsSign(std::string_view rest)
{
    return rest == "+" || rest == "-";
}

// A dimension number of an option word (one or two digits, 1-32) and the rest after it; -1 when the
// word holds none.
int32_t OptionDimension(std::string_view text, std::string_view& rest)
{
    int32_t digits = 0;
    int32_t number = 0;
    while (digits < int32_t(text.size()) && digits < 2 && text[size_t(digits)] >= '0' && text[size_t(digits)] <= '9') {
        number = number * 10 + (text[size_t(digits)] - '0');
        ++digits;
    }
    if (digits == 0 || number < 1 || number > kDimensions)
        return -1;
    rest = text.substr(size_t(digits));
    return number - 1;
}

}  // namespace

std::string TextAsRead(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(text);
    std::string result;
    while (true) {
        size_t end = text.find('\r');
        std::string_view piece = text.substr(0, end);
        TextReader reader(piece.data(), int64_t(piece.size()));
        if (reader.ReadLine())
            result.append(reader.LineStart(), size_t(reader.LineLength()));
        if (end == std::string_view::npos)
            break;
        result.push_back('\r');
        text.remove_prefix(end + 1);
    }
    return result;
}

SaveSettings::SaveSettings()
{
    Reset();
}

SaveSettings::~SaveSettings()
{
    ReleaseTexts();
}

void SaveSettings::ReleaseTexts()
{
    selection.reset();
    SetHeapText(templateFilterText, nullptr);
    for (HeapText& text : sieTexts)
        SetHeapText(text, nullptr);
}

void SaveSettings::Reset()
{
    ReleaseTexts();
    format = kSaveFormatContainerN;
    compress = 1;
    sections.fill(1);
    cardFlag = 0;
    dimensionSaveMode.fill(kSaveModeAll);
    templateLinesOnly = 0;
    filterLevel = kFilterCards;
    openTemplatesOnly = 0;
    cardsReferenceMode.fill(kCardsReferenceCode);
    dimensionOrder.fill(0);
    sieFlags.fill(1);
    sieDimension.fill(0);
    sieSaveMode.fill(kSaveModeUsedWithAncestors);
}

bool SaveSettings::CopyFrom(const SaveSettings& other)
{
    if (&other == this)
        return true;
    format = other.format;
    compress = other.compress;
    sections = other.sections;
    cardFlag = other.cardFlag;
    dimensionSaveMode = other.dimensionSaveMode;
    templateLinesOnly = other.templateLinesOnly;
    filterLevel = other.filterLevel;
    openTemplatesOnly = other.openTemplatesOnly;
    cardsReferenceMode = other.cardsReferenceMode;
    dimensionOrder = other.dimensionOrder;
    sieFlags = other.sieFlags;
    sieDimension = other.sieDimension;
    sieSaveMode = other.sieSaveMode;
    bool complete = true;
    auto copyText = [&complete](HeapText& field, ConstHeapText source) {
        SetHeapBlock(field, source);
        if (source != nullptr && field == nullptr)
            complete = false;
    };
    if (other.selection) {
        selection = std::make_unique<SelectionTexts>(other.selection->GetBase());
        selection->Assign(*other.selection);
    } else {
        selection.reset();
    }
    copyText(templateFilterText, other.templateFilterText);
    for (size_t i = 0; i < sieTexts.size(); ++i)
        copyText(sieTexts[i], other.sieTexts[i]);
    return complete;
}

bool SaveSettings::Equals(const SaveSettings& other) const
{
    if (format != other.format || compress != other.compress || sections != other.sections ||
        cardFlag != other.cardFlag || dimensionSaveMode != other.dimensionSaveMode ||
        templateLinesOnly != other.templateLinesOnly || filterLevel != other.filterLevel ||
        openTemplatesOnly != other.openTemplatesOnly || cardsReferenceMode != other.cardsReferenceMode ||
        dimensionOrder != other.dimensionOrder || sieFlags != other.sieFlags || sieDimension != other.sieDimension ||
        sieSaveMode != other.sieSaveMode)
        return false;
    if (HasSelection() != other.HasSelection() || (HasSelection() && !selection->Equals(*other.selection)) ||
        CompareHeapText(templateFilterText, other.templateFilterText) != 0)
        return false;
    for (size_t i = 0; i < sieTexts.size(); ++i) {
        if (CompareHeapText(sieTexts[i], other.sieTexts[i]) != 0)
            return false;
    }
    return true;
}

// --- From a base -------------------------------------------------------------------------------------

void SaveSettings::FromBase(const Base& base, const BaseContents& contents)
{
    Reset();
    SetFormat(base.SaveKind());
    compress = contents.compress ? 1 : 0;
    SetSavesSection(SaveSection::Protection, contents.hasPassword);
    SetSavesSection(SaveSection::WebUsers, contents.hasWebUsers);
    SetSavesSection(SaveSection::SaveSetup, contents.hasSaveSetups);
    SetSavesSection(SaveSection::ImportSetup, contents.hasImportSetups);
    SetSavesSection(SaveSection::TimeScale, contents.hasTimeScales);
    SetSavesSection(SaveSection::Macro, contents.hasMacros);
    SetSavesSection(SaveSection::Subset, contents.hasSubsets);
    SetSavesSection(SaveSection::Templates, contents.hasTemplates);
    SetSavesSection(SaveSection::Cards, base.CardCount() > 0);
    bool anyInUse = false;
    for (int32_t d = 0; d < kDimensions; ++d) {
        if (base.IsDimensionInUse(d))
            anyInUse = true;
        else
            dimensionSaveMode[size_t(d)] = kSaveModeNone;
    }
    SetSavesSection(SaveSection::Dimension, anyInUse);
    if (base.IsDimensionInUse(1))
        sieDimension[1] = kSieAccountDimension;
}

void SaveSettings::FromBase(const Base& base)
{
    BaseContents contents;
    contents.hasPassword = base.Protection().HasProtection();
    contents.hasWebUsers = base.WebUsers().HasUsers();
    contents.hasTimeScales = base.TimeScales().Count() > 0;
    contents.hasMacros = base.Macros().Count() > 0;
    FromBase(base, contents);
}

// --- Option words ------------------------------------------------------------------------------------

bool SaveSettings::ApplyOption(std::string_view word, const SaveSetupList* setups)
{
    if (word.empty())
        return false;
    char first = word[0];
    std::string_view rest = word.substr(1);
    bool on = rest == "+";
    // The words that switch one section.
    SaveSection section = SaveSection::Characters;
    bool sectionWord = true;
    switch (first) {
    case 'B': section = SaveSection::BaseOptions; break;
    case 'C': section = SaveSection::Cards; break;
    case 'D': section = SaveSection::Dimension; break;
    case 'F': section = SaveSection::Defaults; break;
    case 'I': section = SaveSection::ImportSetup; break;
    case 'M': section = SaveSection::Macro; break;
    case 'P': section = SaveSection::Protection; break;
    case 'S': section = SaveSection::TimeScale; break;
    case 'T': section = SaveSection::Templates; break;
    case 'U': section = SaveSection::Subset; break;
    case 'W': section = SaveSection::WebUsers; break;
    case 'c': section = SaveSection::Characters; break;
    case 's': section = SaveSection::SaveSetup; break;
    default: sectionWord = false; break;
    }
    if (IsSign(rest)) {
        if (sectionWord) {
            SetSavesSection(section, on);
            return true;
        }
        if (first == 'X') {
            SetAllSections(on);
            return true;
        }
        return false;
    }
    switch (first) {
    case 'C': {
        if (rest == "T") {
            templateLinesOnly = 1;
            return true;
        }
        int32_t d = OptionDimension(rest, rest);
        if (d < 0 || rest.size() != 1)
            return false;
        size_t mode = std::string_view("CHT").find(rest[0]);
        if (mode == std::string_view::npos)
            return false;
        cardsReferenceMode[size_t(d)] = int32_t(mode);
        return true;
    }
    case 'D': {
        int32_t d = OptionDimension(rest, rest);
        if (d < 0 || rest.size() != 1)
            return false;
        size_t mode = std::string_view("+AU-").find(rest[0]);
        if (mode == std::string_view::npos)
            return false;
        dimensionSaveMode[size_t(d)] = int32_t(mode);
        return true;
    }
    case 'F':
        if (rest == "N" || rest == "B" || rest == "S" || rest == "T") {
            format = rest == "N" ? kSaveFormatContainerN
                   : rest == "B" ? kSaveFormatContainerB
                   : rest == "S" ? kSaveFormatSie
                                 : kSaveFormatText;
            return true;
        }
        if (rest == "Z+" || rest == "Z-") {
            compress = rest[1] == '+' ? 1 : 0;
            return true;
        }
        if (rest == "s") {
            cardFlag = 1;
            return true;
        }
        return false;
    case 'T':
        if (rest == "O") {
            openTemplatesOnly = 1;
            return true;
        }
        if (!rest.empty() && rest[0] == '=') {
            std::string text(rest.substr(1));
            SetTemplateFilterText(text.c_str());
            return true;
        }
        return false;
    case 's':
        if (!rest.empty() && rest[0] == '=') {
            std::string_view name = rest.substr(1);
            const SaveSetup* setup =
                setups != nullptr ? setups->Find(name.data(), int32_t(std::min<size_t>(name.size(), INT32_MAX))) : nullptr;
            if (setup == nullptr)
                return false;
            // A text memory could not hold stays empty; the save goes on with the rest.
            (void)CopyFrom(setup->Settings());
            return true;
        }
        return false;
    default:
        return false;
    }
}

void SaveSettings::ApplyFileExtension(const FilePath& path)
{
    String extension;
    path.GetExtension(extension);
    if (CStrEqualNoCase(extension.CStr(), "vek")) {
        compress = 1;
        if (format != kSaveFormatContainerB)
            format = kSaveFormatContainerN;
    } else if (CStrEqualNoCase(extension.CStr(), "vkx")) {
        format = kSaveFormatText;
    }
}

int32_t SaveSettings::SaveModeOf(int32_t d) const
{
    return format == kSaveFormatSie ? SieSaveMode(d) : DimensionSaveMode(d);
}

// --- Fields ------------------------------------------------------------------------------------------

void SaveSettings::SetFormat(int32_t value)
{
    if (ValidFormat(value))
        format = value;
}

void SaveSettings::SetAllSections(bool on)
{
    sections.fill(on ? 1 : 0);
}

int32_t SaveSettings::DimensionSaveMode(int32_t d) const
{
    return ValidDimension(d) ? dimensionSaveMode[size_t(d)] : kSaveModeAll;
}

void SaveSettings::SetDimensionSaveMode(int32_t d, int32_t mode)
{
    if (ValidDimension(d) && mode >= kSaveModeAll && mode <= kSaveModeNone)
        dimensionSaveMode[size_t(d)] = mode;
}

int32_t SaveSettings::CardsReferenceMode(int32_t d) const
{
    return ValidDimension(d) ? cardsReferenceMode[size_t(d)] : kCardsReferenceCode;
}

void SaveSettings::SetCardsReferenceMode(int32_t d, int32_t mode)
{
    if (ValidDimension(d) && mode >= kCardsReferenceCode && mode <= kCardsReferenceText)
        cardsReferenceMode[size_t(d)] = mode;
}

int32_t SaveSettings::DimensionOrderEntry(int32_t i) const
{
    return ValidDimension(i) ? dimensionOrder[size_t(i)] : 0;
}

void SaveSettings::SetDimensionOrderEntry(int32_t i, int32_t entry)
{
    if (i < 1 || i >= kDimensions || entry < -1 || entry >= kDimensions)
        return;
    // Naming the position's own dimension means what 0 means; storing 0 keeps one spelling of it.
    dimensionOrder[size_t(i)] = entry == i ? 0 : entry;
}

SelectionTexts& SaveSettings::EditCardSelection(Base& base)
{
    if (!selection || &selection->GetBase() != &base)
        selection = std::make_unique<SelectionTexts>(base);
    return *selection;
}

bool SaveSettings::HasSelection() const
{
    return selection && selection->IsRestricted();
}

bool SaveSettings::AddSelectionLine(Base& base, std::string_view line)
{
    if (line.find_first_of("\r\n") != std::string_view::npos)
        return false;
    TextReader reader(line.data(), int64_t(line.size()));
    if (!reader.ReadLine() || !reader.NextField())
        return false;
    std::string key(reader.Token(), size_t(reader.TokenLength()));
    return EditCardSelection(base).ReadKeyLine(key, reader);
}

void SaveSettings::SetFilterLevel(int32_t level)
{
    if (level >= kFilterCards && level <= kFilterLines)
        filterLevel = level;
}

void SaveSettings::SetTemplateFilterText(const char* text)
{
    SetSettingText(templateFilterText, text);
}

void SaveSettings::SetSieText(SieText which, const char* text)
{
    SetSettingText(sieTexts[size_t(which)], text);
}

int32_t SaveSettings::SieDimension(int32_t d) const
{
    return ValidDimension(d) ? sieDimension[size_t(d)] : 0;
}

void SaveSettings::SetSieDimension(int32_t d, int32_t number)
{
    // Dimension 0 holds the group keys and is never an SIE dimension.
    if (d >= 1 && d < kDimensions && number >= kSieAccountDimension && number <= kSieMaxDimension)
        sieDimension[size_t(d)] = number;
}

int32_t SaveSettings::SieSaveMode(int32_t d) const
{
    return ValidDimension(d) ? sieSaveMode[size_t(d)] : kSaveModeUsedWithAncestors;
}

void SaveSettings::SetSieSaveMode(int32_t d, int32_t mode)
{
    if (ValidDimension(d) && mode >= kSaveModeAll && mode <= kSaveModeNone)
        sieSaveMode[size_t(d)] = mode;
}

int32_t SaveSetupWindowHeight(int32_t dimensions, int32_t rows, int32_t screenHeight)
{
    int32_t tallest = std::max({18 * dimensions + 45, 222, 17 * dimensions + 63, 17 * rows + 153});
    return std::min(tallest + 77, screenHeight - 21);
}

}  // namespace vek
