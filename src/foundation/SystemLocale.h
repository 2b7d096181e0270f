#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// What the system's locale settings say about the user's language and number writing. Only the
// environment is read (the variables of the POSIX locale model); the process's own C locale is left
// as it is, so no library call starts writing numbers differently behind the program's back.

// The user's preferred localizations, most preferred first: the entries of LANGUAGE (a list separated
// by ":"), then the locale that governs messages (the first non-empty of LC_ALL, LC_MESSAGES, LANG).
// "C" and "POSIX" name no language and are left out, as are empty entries.
std::vector<std::string> PreferredLocalizations();
// The same over given values of the variables (null: unset), so that the rule can be checked.
std::vector<std::string> PreferredLocalizationsFrom(const char* language, const char* lcAll,
                                                    const char* lcMessages, const char* lang);

// The decimal and thousands separators of the locale that governs numbers (LC_ALL, LC_NUMERIC,
// LANG), as UTF-16 code units. `found` is false when that locale is "C", "POSIX", unset or unknown to
// the system; the program then keeps its own defaults. A locale that groups no digits gives the
// thousands separator 0.
struct LocaleSeparators {
    bool found = false;
    char16_t decimal = u'.';
    char16_t thousands = u' ';
};
LocaleSeparators GetLocaleSeparators();
// The separators of a named locale ("de_DE.UTF-8"); not found when the system does not know it.
LocaleSeparators GetLocaleSeparatorsOf(const char* localeName);

}  // namespace vek
