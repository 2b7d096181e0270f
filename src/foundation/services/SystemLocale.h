// SystemLocale: what the user's locale says about language and number writing, as the platform reads it.
#pragma once

#include <string>
#include <vector>

#include "foundation/services/Service.h"

namespace vek {

// The decimal and thousands separators of the locale that governs numbers, as UTF-16 code units.
// `found` is false when that locale names no language or is unknown to the system; the program then
// keeps its own defaults. A locale that groups no digits gives the thousands separator 0.
struct LocaleSeparators {
    bool found = false;
    char16_t decimal = u'.';
    char16_t thousands = u' ';
};

// The user's locale settings. The platform registers the system's at start-up; until then the
// headless locale answers: no preferred localization (so the interface is English) and no
// separators found.
class SystemLocale {
public:
    virtual ~SystemLocale();

    // The user's preferred localizations, most preferred first ("sv_SE.UTF-8", "fi").
    virtual std::vector<std::string> PreferredLocalizations() const = 0;
    virtual LocaleSeparators NumberSeparators() const = 0;
};

template <>
SystemLocale& Service<SystemLocale>::Headless();

}  // namespace vek
