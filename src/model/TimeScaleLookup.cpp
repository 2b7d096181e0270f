#include "model/TimeScaleLookup.h"

namespace vek {

namespace {

// Used only by the thread that holds the user-interface lock, like the base data itself.
const TimeScaleLookup* registeredTimeScaleLookup = nullptr;

}  // namespace

TimeScaleLookup::~TimeScaleLookup() = default;

void RegisterTimeScaleLookup(const TimeScaleLookup* lookup)
{
    registeredTimeScaleLookup = lookup;
}

const TimeScaleLookup* CurrentTimeScaleLookup()
{
    return registeredTimeScaleLookup;
}

}  // namespace vek
