// CancelKey: Escape or Command-period, polled at most every 500 ms, cancels a long computation.
#pragma once

#include <cstdint>

#include "foundation/services/Service.h"

namespace vek {

// A key waiting in the input queue.
struct PendingKey {
    int32_t character = 0;
    bool command = false;
    int64_t timeMs = 0;
};

// What the poll needs of the application and its input queue. The windowed application registers
// its own; the headless one is always active and has no keys.
class CancelKeySource {
public:
    virtual ~CancelKeySource();
    // True when an application exists and is not the active one.
    virtual bool IsApplicationInactive() = 0;
    // The next key event, without waiting and without taking it; false when there is none.
    virtual bool PeekKey(PendingKey& key) = 0;
};

template <>
CancelKeySource& Service<CancelKeySource>::Headless();

// The poll: 0 at once for an inactive application and before the next check time; otherwise looks at
// the next key (Escape, or '.' with the command key, sets the cancel flag with code -1), sets the next
// check time 500 ms after that key (or now), and answers the cancel flag.
int32_t CheckCancelKey();
// Forgets the next check time (tests).
void ResetCancelKeyPoll();

}  // namespace vek
