// TextSettings: reading and writing the "CopyTable" preference and saving the format settings.
#include "foundation/messages/TextSettings.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

constexpr char kCharSetLetters[] = "AC31KV";
constexpr const char* kCopyTableKey = "CopyTable";

CopyTableSettings processCopyTableSettings;
PreferenceTextAccess preferenceAccess;
// The stored "CopyTable" text while no preferences store is registered.
std::string localCopyTableText;

// The five separator settings by item letter.
struct CopyTableSeparatorItem {
    char letter;
    uint16_t CopyTableSettings::*field;
};
constexpr CopyTableSeparatorItem kCopyTableSeparatorItems[] = {
    {'D', &CopyTableSettings::decimalMark},   {'T', &CopyTableSettings::thousandsMark},
    {'F', &CopyTableSettings::fieldSeparator}, {'Q', &CopyTableSettings::quoteMark},
    {'R', &CopyTableSettings::rowEnd},
};

struct CopyTableFlagItem {
    char letter;
    int32_t CopyTableSettings::*field;
};
constexpr CopyTableFlagItem kCopyTableFlagItems[] = {
    {'K', &CopyTableSettings::flagK}, {'W', &CopyTableSettings::flagW}, {'N', &CopyTableSettings::flagN},
    {'E', &CopyTableSettings::flagE}, {'X', &CopyTableSettings::flagX}, {'M', &CopyTableSettings::flagM},
};

uint16_t ParseCopyTableValue(std::string_view value)
{
    if (value.empty())
        return 0;
    switch (value[0]) {
    case 'D':
        return 0;
    case 'N':
        return 1;
    case 'L':
        return 2;
    default:
        break;
    }
    uint32_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            break;
        number = number * 10 + uint32_t(c - '0');
        if (number > 0xFFFF)
            return 0;
    }
    return number <= 8 ? 0 : uint16_t(number);
}

std::string CopyTableValueText(uint16_t value)
{
    switch (value) {
    case 0:
        return "D";
    case 1:
        return "N";
    case 2:
        return "L";
    default:
        return std::to_string(value);
    }
}

std::vector<std::string> SplitCopyTableItems(std::string_view text)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        items.emplace_back(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return items;
}

// Puts an item in place of the first item of its letter (removing later ones), or appends it; an empty
// item removes every item of that letter.
void PlaceCopyTableItem(std::vector<std::string>& items, char letter, const std::string& item)
{
    bool placed = false;
    for (size_t i = 0; i < items.size();) {
        if (items[i].empty() || items[i][0] != letter) {
            ++i;
            continue;
        }
        if (!placed && !item.empty()) {
            items[i] = item;
            placed = true;
            ++i;
        } else {
            items.erase(items.begin() + std::ptrdiff_t(i));
        }
    }
    if (!placed && !item.empty()) {
        // An empty text has one empty item, which the appended item takes over.
        if (items.size() == 1 && items[0].empty())
            items[0] = item;
        else
            items.push_back(item);
    }
}

bool BeginsSeparatorName(const char* text, const char* name)
{
    return name && *name && CStrStartsWithNoCase(name, text);
}

}  // namespace

CopyTableSettings& ProcessCopyTableSettings()
{
    return processCopyTableSettings;
}

void ReadCopyTableSettings(const char* text, CopyTableSettings& settings)
{
    settings = CopyTableSettings();
    if (!text)
        return;
    for (const std::string& item : SplitCopyTableItems(text)) {
        if (item.empty())
            continue;
        char letter = item[0];
        std::string_view value = std::string_view(item).substr(1);
        if (letter == 'C') {
            const char* found = value.empty() ? nullptr : std::strchr(kCharSetLetters, value[0]);
            if (found && *found)
                settings.charSetIndex = int32_t(found - kCharSetLetters);
            continue;
        }
        for (const CopyTableSeparatorItem& separator : kCopyTableSeparatorItems) {
            if (separator.letter == letter)
                settings.*separator.field = ParseCopyTableValue(value);
        }
        for (const CopyTableFlagItem& flag : kCopyTableFlagItems) {
            if (flag.letter == letter)
                settings.*flag.field = 1;
        }
    }
}

void WriteCopyTableSettings(String& text, const CopyTableSettings& settings)
{
    std::vector<std::string> items = SplitCopyTableItems(std::string_view(text.CStr(), size_t(text.Length())));
    int32_t charSet = settings.charSetIndex >= 0 && settings.charSetIndex < 6 ? settings.charSetIndex : 0;
    PlaceCopyTableItem(items, 'C', std::string(1, 'C') + kCharSetLetters[charSet]);
    for (const CopyTableSeparatorItem& separator : kCopyTableSeparatorItems)
        PlaceCopyTableItem(items, separator.letter, separator.letter + CopyTableValueText(settings.*separator.field));
    for (const CopyTableFlagItem& flag : kCopyTableFlagItems)
        PlaceCopyTableItem(items, flag.letter, settings.*flag.field != 0 ? std::string(1, flag.letter) : std::string());
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            joined.push_back(',');
        joined.append(items[i]);
    }
    auto n = int32_t(joined.size());
    if (joined.size() > size_t(String::kGrowthLimit) || text.Reserve(n) < n)
        return;
    text.AssignBytes(joined.data(), n);
}

void SaveCopyTableSettings()
{
    String text;
    if (preferenceAccess.getString)
        preferenceAccess.getString(kCopyTableKey, text);
    else
        text.AssignBytes(localCopyTableText.data(), int32_t(localCopyTableText.size()));
    WriteCopyTableSettings(text, processCopyTableSettings);
    if (preferenceAccess.setString)
        preferenceAccess.setString(kCopyTableKey, text.CStr());
    else
        localCopyTableText.assign(text.CStr(), size_t(text.Length()));
}

void SetPreferenceTextAccess(PreferenceTextAccess access)
{
    preferenceAccess = access;
}

void SaveFormatSettings(FormatSettings& settings)
{
    settings.separators = GetSeparators();
    settings.dateStyle = GetDateStyle();
    settings.scaledDisplay = ScaledDisplay();
}

void RestoreFormatSettings(const FormatSettings& settings)
{
    SetSeparators(settings.separators);
    SetDateStyle(settings.dateStyle);
    SetScaledDisplay(settings.scaledDisplay);
}

void SeparatorName(String& text, uint32_t character)
{
    int32_t number = 0;
    switch (character) {
    case 0:
        text.AssignCStr("");
        return;
    case '\t':
        number = text::kSeparatorTab;
        break;
    case '\n':
        number = text::kSeparatorLineFeed;
        break;
    case '\r':
        number = text::kSeparatorReturn;
        break;
    case ' ':
        number = text::kSeparatorSpace;
        break;
    case ',':
        number = text::kSeparatorComma;
        break;
    case '.':
        number = text::kSeparatorPoint;
        break;
    default:
        break;
    }
    if (number != 0) {
        text.AssignCStr(LoadText(number));
    } else if (character >= 32) {
        text.AssignCodePoint(character);
    } else {
        text.AssignChar('#');
        text.AppendInt(int32_t(character));
    }
}

uint32_t ParseSeparator(const char* text)
{
    if (!text || !*text)
        return 0;
    if (text[0] == ' ')
        return ' ';
    if (text[0] == '#') {
        uint32_t number = 0;
        const char* p = text + 1;
        while (*p >= '0' && *p <= '9' && number <= 65535)
            number = number * 10 + uint32_t(*p++ - '0');
        bool valid = p != text + 1 && number >= 1 && number <= 65535;
        return valid ? number : '#';
    }
    if (Utf8CharCount(text) > 1) {
        struct Name {
            int32_t textNumber;
            const char* literal;
            uint32_t character;
        };
        static constexpr Name names[] = {
            {text::kSeparatorPoint, nullptr, '.'},  {text::kSeparatorComma, nullptr, ','},
            {text::kSeparatorSpace, nullptr, ' '},  {text::kSeparatorTab, nullptr, '\t'},
            {text::kSeparatorReturn, nullptr, '\r'}, {text::kSeparatorLineFeed, nullptr, '\n'},
            {0, "tab", '\t'},         {0, "space", ' '},       {0, "return", '\r'},
            {0, "linefeed", '\n'},    {0, "cr", '\r'},         {0, "lf", '\n'},
        };
        for (const Name& name : names) {
            if (BeginsSeparatorName(text, name.literal ? name.literal : LoadText(name.textNumber)))
                return name.character;
        }
    }
    return Utf8DecodeChar(text);
}

}  // namespace vek
