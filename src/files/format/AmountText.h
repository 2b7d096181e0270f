// AmountText: how the amounts of the "##Cards" section are written and read back.
#pragma once

#include <cstdint>

namespace vek {

// The amounts of the "##Cards" section: how a line's value is written so that reading it back gives
// the same double.
//
// The customary form rounds to the value column's decimals (codes 0-6; 7 "F" is full precision):
// 0.50001 units of the last decimal are added, the digits are cut there, and trailing zeros and a
// trailing point are dropped ("2.5" with 0 decimals is "3", 1234.5 with 2 is "1234.5"). Values of
// 10^17 and more are written as 15 significant digits with an exponent. That form is kept whenever
// the base-file reader (BytesToDouble) reads it back as the value itself, so files keep their bytes.
// When rounding would change the value (1/3 with 2 decimals, any value that was computed rather than
// typed), the shortest decimal text that the reader reads back as exactly that double is written
// instead: saving never loses a digit.
//
// Zero (of either sign) is "0"; infinities are "inf" and "-inf" (read back by the "i"); NaN writes
// nothing, an empty field, which reads as 0.
constexpr int32_t kMaxAmountTextBytes = 40;

// Writes at the cursor (at most kMaxAmountTextBytes bytes, no NUL). Decimals codes outside 0..7
// count as 0.
void CursorPutAmount(char*& cursor, double value, int32_t decimalsCode);

// The shortest text of the exact form alone (what CursorPutAmount falls back to).
void CursorPutExactAmount(char*& cursor, double value);

}  // namespace vek
