// NumberMath: classifying and comparing doubles, powers of ten, decimal exponents.
#include "foundation/numbers/NumberMath.h"

#include <cmath>

namespace vek {

namespace {

constexpr double kPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}  // namespace

int32_t ClassifyDouble(double x)
{
    if (std::isnan(x))
        return 5;
    if (x > 1e308)
        return 3;
    if (x < -1e308)
        return 4;
    if (x > 0.0)
        return 1;
    if (x < 0.0)
        return 2;
    return 0;
}

double SignOf(double x)
{
    if (x > 0.0)
        return 1.0;
    if (x < 0.0)
        return -1.0;
    return 0.0;
}

int32_t CompareDoubles(double a, double b)
{
    if (a > b)
        return 1;
    if (a < b)
        return -1;
    bool aNan = std::isnan(a);
    bool bNan = std::isnan(b);
    if (aNan && !bNan)
        return 1;
    if (bNan && !aNan)
        return -1;
    return 0;
}

double PowerOfTen(int32_t n)
{
    if (n >= 0 && n <= 15)
        return kPowersOfTen[n];
    if (n < 0 && n >= -15)
        return kPowersOfTen[15 + n] * 1e-15;
    return std::pow(10.0, double(n));
}

int32_t DecimalExponent(double x)
{
    // Infinity would never leave the dividing loop.
    if (!(x > 0.0) || std::isinf(x))
        return 0;
    int32_t e = 0;
    while (x >= 1e8) {
        x /= 1e8;
        e += 8;
    }
    while (x >= 1e4) {
        x /= 1e4;
        e += 4;
    }
    while (x >= 100.0) {
        x /= 100.0;
        e += 2;
    }
    while (x >= 10.0) {
        x /= 10.0;
        e += 1;
    }
    while (x < 1e-7) {
        x *= 1e8;
        e -= 8;
    }
    while (x < 1e-3) {
        x *= 1e4;
        e -= 4;
    }
    while (x < 0.1) {
        x *= 100.0;
        e -= 2;
    }
    while (x < 1.0) {
        x *= 10.0;
        e -= 1;
    }
    return e;
}

int32_t FloorLog2(int32_t n) { return n < 2 ? 0 : 31 - __builtin_clz(uint32_t(n)); }

int32_t FloorLog2Int64(int64_t n) { return n < 2 ? 0 : 63 - __builtin_clzll(uint64_t(n)); }

}  // namespace vek
