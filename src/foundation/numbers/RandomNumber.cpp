// RandomNumber: the clock-mixed process-wide random number and the seeded random unit.
#include "foundation/numbers/RandomNumber.h"

#include <atomic>
#include <cmath>

#include "foundation/memory/ByteSwap.h"
#include "foundation/services/Clock.h"

namespace vek {

namespace {

// Starts at 0 with the process. Relaxed atomics: threads may interleave their updates (as the
// generator always allowed), but no read or write is torn.
std::atomic<int32_t> randomState{0};

constexpr double kRandomModulus = 2147483647.0;
double randomSeed = 1.0;

double ClockTicks() { return double(CurrentTimeMs() * 60 / 1000); }

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

void SetRandomUnitSeed(double seed)
{
    double reduced = std::isfinite(seed) ? std::fmod(std::fabs(std::trunc(seed)), kRandomModulus) : 0.0;
    randomSeed = reduced == 0.0 ? 1.0 : reduced;
}

void SeedRandomUnit()
{
    double first = ClockTicks();
    double second = ClockTicks();
    SetRandomUnitSeed(first * 425420.0 + second);
}

double RandomUnit()
{
    randomSeed = std::fmod(randomSeed * 75.0, kRandomModulus);
    return randomSeed / kRandomModulus;
}

}  // namespace vek
