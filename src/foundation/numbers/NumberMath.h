// NumberMath: classifying and comparing doubles, powers of ten, decimal exponents, integer logarithms.
#pragma once

#include <cstdint>

namespace vek {

// 0 zero, 1 positive, 2 negative, 3 above 1e308, 4 below -1e308, 5 not a number.
int32_t ClassifyDouble(double x);
// 1.0 for positive values, -1.0 for negative ones, 0.0 for zero and not-a-number.
double SignOf(double x);
// 1 when a > b, -1 when a < b; a NaN sorts after every number, two NaNs are equal.
int32_t CompareDoubles(double a, double b);
// 10^n: from a table for -15 <= n <= 15 (10^(15 + n) * 1e-15 for negative n), else pow(10, n).
double PowerOfTen(int32_t n);
// The power of ten of the leading digit of x (1 gives 0, 999 gives 2, 0.05 gives -2); 0 for a value
// that is not positive and finite.
int32_t DecimalExponent(double x);
// floor(log2 n) for n >= 2; 0 for 0, 1 and negative n.
int32_t FloorLog2(int32_t n);
int32_t FloorLog2Int64(int64_t n);

}  // namespace vek
