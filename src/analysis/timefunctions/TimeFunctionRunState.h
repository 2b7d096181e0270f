// The state of one run of the time-functions computation, shared by its source files.
#pragma once

#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "foundation/numbers/PackedDate.h"

namespace vek {

struct TimeFunctionsComputation::RunState {
    int32_t current = kOpeningRow;  // the table row being filled
    CardKey currentKey;             // its key: the period's end
    explicit RunState(const TimeFunctionPeriods& axis) : periods(axis) {}

    const TimeFunctionPeriods& periods;
    CardKey previousKey;            // the key of the row before the current one
    bool usesDateBuiltins = false;  // some formula reads year .. perioddays
    bool usesT = false;
    bool fedSinceOpen = false;      // a line went to a row since the current period opened
    bool stopped = false;           // the table (or a row's value list) could not grow
};

}  // namespace vek
