// LocalizedText: the text catalogs, the look-up of numbered texts and the interface languages.
#include "foundation/messages/LocalizedText.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/strings/CharTables.h"
#include "foundation/services/SystemLocale.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

// The highest text number: numbers are signed 16-bit values.
constexpr int32_t kLastTextNumber = 32767;

struct LanguageRow {
    const char* name;
    const char* code;          // preference code
    const char* localization;  // system localization code
};

constexpr LanguageRow kLanguages[kLanguageCount] = {
    {"English", "US", "eng"},   {"Czech", "CZE", "cs"},     {"Dansk", "DAN", "da"},
    {"Nederlands", "DUT", "nl"}, {"Eesti", "EST", "et"},     {"Suomi", "FIN", "fi"},
    {"Français", "FRA", "fr"},  {"Deutsch", "GER", "de"},   {"Italiano", "ITA", "it"},
    {"Norsk", "NOR", "no"},     {"Slovak", "SLO", "sk"},    {"Español", "SPA", "es"},
    {"Svenska", "SWE", "sv"},
};

int32_t uiLanguage = 0;
bool languageAvailable[kLanguageCount] = {};

bool IsLanguageIndex(int32_t language) { return language >= 0 && language < kLanguageCount; }

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiToLower(x) == AsciiToLower(y); });
}

// One line of a catalog decoded into `text`; false when the line breaks the syntax.
bool ParseCatalogLine(std::string_view line, int32_t& number, std::string& text)
{
    size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0 || tab > 5)
        return false;
    number = 0;
    for (size_t i = 0; i < tab; ++i) {
        char c = line[i];
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    if (number > kLastTextNumber)
        return false;
    text.clear();
    for (size_t i = tab + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == line.size())
            return false;
        switch (line[i]) {
        case 'r': text += '\r'; break;
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case '\\': text += '\\'; break;
        default: return false;
        }
    }
    return true;
}

}  // namespace

int32_t TextCatalog::AddCatalog(int32_t language, std::string_view catalog)
{
    if (!IsLanguageIndex(language))
        return -1;
    int32_t badLines = 0;
    std::string text;
    size_t position = 0;
    while (position < catalog.size()) {
        size_t end = catalog.find_first_of("\r\n", position);
        if (end == std::string_view::npos)
            end = catalog.size();
        std::string_view line = catalog.substr(position, end - position);
        position = end;
        if (position < catalog.size() && catalog[position] == '\r')
            ++position;
        if (position < catalog.size() && catalog[position] == '\n')
            ++position;

        if (line.empty() || line[0] == '#')
            continue;
        int32_t number = 0;
        if (!ParseCatalogLine(line, number, text)) {
            ++badLines;
            continue;
        }
        Table& table = tables[TextTableId(number, language)];  // a new table starts with no entries
        const char*& entry = table[TextEntry(number)];
        if (entry) {
            ++badLines;
            continue;
        }
        auto copy = std::make_unique<char[]>(text.size() + 1);
        std::memcpy(copy.get(), text.c_str(), text.size() + 1);
        entry = copy.get();
        texts.push_back(std::move(copy));
    }
    return badLines;
}

const char* TextCatalog::Lookup(int32_t number, int32_t language) const
{
    if (number < 0 || number > kLastTextNumber)
        return nullptr;
    int32_t l = IsLanguageIndex(language) ? language : 0;
    while (true) {
        auto table = tables.find(TextTableId(number, l));
        const char* text = table == tables.end() ? nullptr : table->second[TextEntry(number)];
        if (l == 0)
            return text;
        if (text && *text)
            return text;
        l = 0;  // no text of the language's own: the English one
    }
}

std::vector<int32_t> TextCatalog::Numbers(int32_t language) const
{
    std::vector<int32_t> numbers;
    if (!IsLanguageIndex(language))
        return numbers;
    for (const auto& [id, table] : tables) {
        int32_t base = id - id % 100;
        if (id - base != language)
            continue;
        for (int32_t e = 0; e < 100; ++e) {
            if (table[e])
                numbers.push_back(base + e);
        }
    }
    return numbers;
}

const TextCatalog& BuiltInTexts()
{
    static const TextCatalog* const catalog = [] {
        auto* made = new TextCatalog;  // lives as long as the process: texts are handed out by pointer
        std::span<const std::string_view> sources = BuiltInCatalogs();
        for (int32_t language = 0; language < kLanguageCount && language < int32_t(sources.size()); ++language)
            (void)made->AddCatalog(language, sources[language]);
        return made;
    }();
    return *catalog;
}

int32_t UiLanguage() { return uiLanguage; }

void SetUiLanguage(int32_t language) { uiLanguage = IsLanguageIndex(language) ? language : 0; }

const char* LoadText(int32_t number) { return BuiltInTexts().Lookup(number, uiLanguage); }

const char* LoadTextInLanguage(int32_t number, int32_t language)
{
    int32_t saved = uiLanguage;
    SetUiLanguage(language);
    const char* text = LoadText(number);
    uiLanguage = saved;
    return text;
}

const char* LanguageName(int32_t index)
{
    return index >= 1 && index < kLanguageCount ? kLanguages[index].name : kLanguages[0].name;
}

const char* LanguageCode(int32_t index) { return IsLanguageIndex(index) ? kLanguages[index].code : nullptr; }

int32_t LanguageFromCode(std::string_view code)
{
    for (int32_t index = 0; index < kLanguageCount; ++index) {
        // Compared through the upper-case table, character by character.
        const char* a = kLanguages[index].code;
        const char* b = code.data();
        const char* end = b + code.size();
        bool equal = true;
        while (*a) {
            if (b >= end || Utf8NextUpperChar(a) != ToUpperChar(Utf8NextCharIn(b, end))) {
                equal = false;
                break;
            }
        }
        if (equal && b == end)
            return index;
    }
    return -1;
}

int32_t UsesCentralEuropeanCodePage(int32_t index) { return index == 1 || index == 10 ? 1 : 0; }

void SetLanguageAvailable(int32_t index, bool available)
{
    if (IsLanguageIndex(index))
        languageAvailable[index] = available;
}

bool IsLanguageAvailable(int32_t index) { return IsLanguageIndex(index) && languageAvailable[index]; }

int32_t LanguageOfLocalization(std::string_view code)
{
    if (code.size() >= 3 && EqualsAsciiNoCase(code.substr(0, 3), "eng"))
        return 0;
    // A locale name counts by its language part: "sv_SE.UTF-8" is "sv".
    std::string_view language = code.substr(0, std::min(code.find_first_of("_.@-"), code.size()));
    if (EqualsAsciiNoCase(language, "en"))
        return 0;
    if (EqualsAsciiNoCase(language, "nb") || EqualsAsciiNoCase(language, "nn"))
        return 9;
    for (int32_t index = 1; index < kLanguageCount; ++index) {
        if (EqualsAsciiNoCase(language, kLanguages[index].localization))
            return index;
    }
    return -1;
}

int32_t LanguageFromLocalizations(std::span<const std::string_view> codes)
{
    for (std::string_view code : codes) {
        int32_t index = LanguageOfLocalization(code);
        if (index >= 0 && IsLanguageAvailable(index))
            return index;
    }
    return 0;
}

int32_t LanguageFromBundle()
{
    std::vector<std::string> preferred = Service<SystemLocale>::Get().PreferredLocalizations();
    std::vector<std::string_view> codes(preferred.begin(), preferred.end());
    return LanguageFromLocalizations(codes);
}

}  // namespace vek
