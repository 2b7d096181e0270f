#include "model/dates/TimeScaleLookup.h"

namespace vek {

namespace {

class NoTimeScales final : public TimeScaleLookup {
public:
    bool FindPeriodLabel(const Base*, std::string_view, String&) const override { return false; }
    bool FindTimeScaleName(const Base*, std::string_view, String&) const override { return false; }
    bool PeriodKey(const Base*, std::string_view, int32_t, int32_t, CardKey&) const override { return false; }
    bool TimeScaleKey(const Base*, std::string_view, const CardKey&, int32_t, int32_t, CardKey&) const override
    {
        return false;
    }
};

}  // namespace

TimeScaleLookup::~TimeScaleLookup() = default;

template <>
TimeScaleLookup& Service<TimeScaleLookup>::Headless()
{
    static NoTimeScales lookup;
    return lookup;
}

}  // namespace vek
