// IntegerText: tolerant integer reading for typed and imported numbers, and reference check digits.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

// Tolerant integer reading for typed and imported numbers. Digits accumulate in decimal, every "-"
// flips the sign and any other byte is skipped, so "1,234" reads 1234 and "--3" reads 3. At the
// first "." the integer part ends; the first digit after it rounds the magnitude up when it is 5 or
// more (half away from zero), and nothing later counts. Too many digits wrap around in the width of
// the result; nothing fails. A null text reads 0.
int32_t BytesToIntRounded(const char* bytes, int32_t n);
int32_t BytesToIntRounded(std::string_view bytes);
int32_t TextToIntRounded(const char* text);
int64_t TextToInt64Rounded(const char* text);

// Check digit of a reference number with the weights 7, 3, 1 from the last digit backwards. Blanks,
// "-", "_" and control bytes are skipped. The result is the character '0'..'9', or the number 0
// when the text holds any other non-digit.
int ReferenceCheckDigit(const char* text);
// True when a text of at least two bytes ends in the check digit of the text before it.
bool ReferenceCheckDigitValid(const char* text);

}  // namespace vek
