// Primes: trial division with the wheel of 30, and the next and previous primes.
#include "foundation/memory/Primes.h"

namespace vek {

bool IsPrime(int64_t n)
{
    if (n < 4)
        return true;
    if (n <= 36) {
        switch (n) {
        case 5: case 7: case 11: case 13: case 17: case 19: case 23: case 29: case 31:
            return true;
        default:
            return false;
        }
    }
    if (n % 2 == 0 || n % 3 == 0 || n % 5 == 0)
        return false;
    // The residues prime to 30, shifted so that each group of eight ends at 30k + 31.
    static constexpr int64_t wheel[8] = {7, 11, 13, 17, 19, 23, 29, 31};
    for (int64_t base = 0;; base += 30) {
        for (int64_t offset : wheel) {
            if (n % (base + offset) == 0)
                return false;
        }
        int64_t last = base + 31;
        if (last * last >= n)
            return true;
    }
}

int64_t NextPrimeAbove(int64_t n)
{
    int64_t candidate = (n % 2 == 0) ? n + 1 : n + 2;
    while (!IsPrime(candidate))
        candidate += 2;
    return candidate;
}

int64_t PrevPrimeBelow(int64_t n)
{
    int64_t candidate = (n % 2 == 0) ? n - 1 : n - 2;
    while (!IsPrime(candidate))
        candidate -= 2;
    return candidate;
}

}  // namespace vek
