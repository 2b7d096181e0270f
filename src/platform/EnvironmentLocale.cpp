// EnvironmentLocale: the preferred languages and number separators of the process environment.
#include "platform/EnvironmentLocale.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

bool IsSet(const char* value) { return value && *value; }

// "C", "POSIX" and their encoding variants ("C.UTF-8") name no language.
bool NamesNoLanguage(std::string_view name)
{
    std::string_view base = name.substr(0, std::min(name.find('.'), name.size()));
    return base.empty() || base == "C" || base == "POSIX";
}

// The first character of a locale string as a UTF-16 unit: UTF-8 when the locale's character set is,
// else a single byte of an ISO 8859 set (whose bytes 0xA0..0xFF are the code points U+00A0..U+00FF
// for the separators a locale uses). 0 for an empty text or a character beyond 16 bits.
char16_t FirstUnit(const char* text, bool utf8)
{
    if (!text || !*text)
        return 0;
    uint32_t codePoint = utf8 ? Utf8DecodeChar(text) : uint8_t(text[0]);
    if (codePoint > 0xFFFF || codePoint == kReplacementChar)
        return 0;
    return char16_t(codePoint);
}

}  // namespace

std::vector<std::string> PreferredLocalizationsFrom(const char* language, const char* lcAll, const char* lcMessages,
                                                    const char* lang)
{
    std::vector<std::string> codes;
    auto add = [&codes](std::string_view code) {
        if (!NamesNoLanguage(code))
            codes.emplace_back(code);
    };
    if (IsSet(language)) {
        std::string_view list = language;
        while (!list.empty()) {
            size_t colon = list.find(':');
            add(list.substr(0, colon));
            list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        }
    }
    const char* messages = IsSet(lcAll) ? lcAll : IsSet(lcMessages) ? lcMessages : lang;
    if (IsSet(messages))
        add(messages);
    return codes;
}

EnvironmentLocale::~EnvironmentLocale() = default;

std::vector<std::string> EnvironmentLocale::PreferredLocalizations() const
{
    return PreferredLocalizationsFrom(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                      std::getenv("LANG"));
}

LocaleSeparators GetLocaleSeparatorsOf(const char* localeName)
{
    LocaleSeparators separators;
    if (!IsSet(localeName) || NamesNoLanguage(localeName))
        return separators;
    locale_t locale = newlocale(LC_NUMERIC_MASK | LC_CTYPE_MASK, localeName, locale_t(0));
    if (locale == locale_t(0))
        return separators;
    const char* codeset = nl_langinfo_l(CODESET, locale);
    bool utf8 = codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    char16_t decimal = FirstUnit(nl_langinfo_l(RADIXCHAR, locale), utf8);
    char16_t thousands = FirstUnit(nl_langinfo_l(THOUSEP, locale), utf8);
    freelocale(locale);
    if (decimal != 0) {
        separators.found = true;
        separators.decimal = decimal;
        separators.thousands = thousands;
    }
    return separators;
}

LocaleSeparators EnvironmentLocale::NumberSeparators() const
{
    const char* names[] = {std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")};
    for (const char* name : names) {
        if (IsSet(name))
            return GetLocaleSeparatorsOf(name);
    }
    return LocaleSeparators();
}

}  // namespace vek
