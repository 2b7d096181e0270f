// SystemLocale: the headless locale, with no preferred localizations and default separators.
#include "foundation/services/SystemLocale.h"

namespace vek {

namespace {

class NoLocale final : public SystemLocale {
public:
    std::vector<std::string> PreferredLocalizations() const override { return {}; }
    LocaleSeparators NumberSeparators() const override { return LocaleSeparators(); }
};

}  // namespace

SystemLocale::~SystemLocale() = default;

template <>
SystemLocale& Service<SystemLocale>::Headless()
{
    static NoLocale locale;
    return locale;
}

}  // namespace vek
