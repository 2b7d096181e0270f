// Primes: primality tests and prime searches for sizing hash tables.
#pragma once

#include <cstdint>

namespace vek {

// Primality by trial division with the wheel of 30; fast enough for table sizes, which is all it is
// used for. Every value below 4 counts as prime (0 and 1 included), so the two searches below
// always end.
bool IsPrime(int64_t n);
// The smallest odd number above n that IsPrime accepts.
int64_t NextPrimeAbove(int64_t n);
// The largest number below n, stepping over odd values, that IsPrime accepts.
int64_t PrevPrimeBelow(int64_t n);

}  // namespace vek
