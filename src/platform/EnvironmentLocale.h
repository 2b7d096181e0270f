// EnvironmentLocale: the system's locale settings, read from the environment.
#pragma once

#include <string>
#include <vector>

#include "foundation/services/SystemLocale.h"

namespace vek {

// The locale as the environment states it (the variables of the POSIX locale model), read at each
// question. The process's own C locale is left as it is, so no library call starts writing numbers
// differently behind the program's back. Registered by the platform's start-up.
class EnvironmentLocale final : public SystemLocale {
public:
    EnvironmentLocale() = default;
    ~EnvironmentLocale() override;

    // The entries of LANGUAGE (a list separated by ":"), then the locale that governs messages (the
    // first non-empty of LC_ALL, LC_MESSAGES, LANG). "C" and "POSIX" name no language and are left
    // out, as are empty entries.
    std::vector<std::string> PreferredLocalizations() const override;
    // The separators of the locale that governs numbers (LC_ALL, LC_NUMERIC, LANG).
    LocaleSeparators NumberSeparators() const override;
};

// PreferredLocalizations over given values of the variables (null: unset), so that the rule can be
// checked.
std::vector<std::string> PreferredLocalizationsFrom(const char* language, const char* lcAll,
                                                    const char* lcMessages, const char* lang);
// The separators of a named locale ("de_DE.UTF-8"); not found when the system does not know it.
LocaleSeparators GetLocaleSeparatorsOf(const char* localeName);

}  // namespace vek
