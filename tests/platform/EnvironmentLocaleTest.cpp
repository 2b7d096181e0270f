// Tests of EnvironmentLocale: preferred localizations from the locale variables, and separators.
#include "platform/EnvironmentLocale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vek {
namespace {

TEST(EnvironmentLocaleTest, PreferredLocalizationsFollowTheLocaleVariables)
{
    struct Case {
        const char* name;
        const char* language;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"LANG alone", nullptr, nullptr, nullptr, "de_DE.UTF-8", {"de_DE.UTF-8"}},
        {"LANGUAGE list first", "fi:sv::en", nullptr, nullptr, "de_DE.UTF-8", {"fi", "sv", "en", "de_DE.UTF-8"}},
        {"LC_ALL over the rest", nullptr, "sv_SE", "fi_FI", "de_DE", {"sv_SE"}},
        {"LC_MESSAGES over LANG", nullptr, "", "fi_FI", "de_DE", {"fi_FI"}},
        {"C names no language", nullptr, nullptr, nullptr, "C.UTF-8", {}},
        {"POSIX", "POSIX", nullptr, nullptr, nullptr, {}},
        {"nothing set", nullptr, nullptr, nullptr, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PreferredLocalizationsFrom(c.language, c.lcAll, c.lcMessages, c.lang), c.expected);
    }
}

TEST(EnvironmentLocaleTest, LocaleSeparators)
{
    for (const char* name : {"C", "POSIX", "C.UTF-8", "", "xx_NOWHERE.UTF-8"}) {
        SCOPED_TRACE(name);
        LocaleSeparators separators = GetLocaleSeparatorsOf(name);
        EXPECT_FALSE(separators.found);
        EXPECT_EQ(separators.decimal, u'.');
        EXPECT_EQ(separators.thousands, u' ');
    }
    LocaleSeparators german = GetLocaleSeparatorsOf("de_DE.UTF-8");
    if (!german.found)
        GTEST_SKIP() << "the system has no German locale";
    EXPECT_EQ(german.decimal, u',');
    EXPECT_EQ(german.thousands, u'.');
}

}  // namespace
}  // namespace vek
