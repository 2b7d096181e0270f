#include "foundation/RandomNumber.h"

#include <atomic>

#include "foundation/PlatformUtilities.h"

namespace vek {

namespace {

// Starts at 0 with the process. Relaxed atomics: threads may interleave their updates (as the
// generator always allowed), but no read or write is torn.
std::atomic<int32_t> randomState{0};

}  // namespace

int32_t RandomMixStep(int32_t state, int64_t timeMs)
{
    int32_t remainder = state % 16777199;
    uint32_t mixed = uint32_t(remainder) + uint32_t(uint64_t(timeMs));
    SwapBytes32(&mixed);
    return int32_t(mixed);
}

int32_t RandomNumberWithClock(MillisecondClock clock)
{
    int64_t start = clock();
    int32_t state = randomState.load(std::memory_order_relaxed);
    do {
        state = RandomMixStep(state, start);
        randomState.store(state, std::memory_order_relaxed);
    } while (clock() == start);
    return state & 0x7fffffff;
}

int32_t RandomNumber()
{
    return RandomNumberWithClock(CurrentTimeMs);
}

}  // namespace vek
