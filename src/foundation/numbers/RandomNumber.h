// RandomNumber: the process-wide pseudo-random number for seeds, and random values between 0 and 1.
#pragma once

#include <cstdint>

namespace vek {

// The process-wide pseudo-random number, 0..0x7fffffff. Each call mixes the millisecond clock into
// one shared state word and returns only once the clock has advanced, so two calls never see the
// same millisecond; a call therefore takes up to a millisecond. Callers use it for seeds, not for
// bulk random data. The state is shared by all threads without a lock.
int32_t RandomNumber();

// One mixing step: (state mod 16777199) + the low 32 bits of the time, with 32-bit wrap-around and
// a remainder that keeps the sign of the state, then the four bytes reversed.
int32_t RandomMixStep(int32_t state, int64_t timeMs);

// The same generator over a given millisecond clock, so that its waiting can be observed.
using MillisecondClock = int64_t (*)();
int32_t RandomNumberWithClock(MillisecondClock clock);

// The process-wide random unit: seed = fmod(seed * 75, 2147483647), returning seed / 2147483647, in
// (0, 1). SeedRandomUnit seeds it from the clock (CurrentTimeMs, in ticks of 1/60 s) at start-up; a
// seed that would make the sequence stick at 0 is taken as 1.
double RandomUnit();
void SeedRandomUnit();
void SetRandomUnitSeed(double seed);

}  // namespace vek
