// ValueColour: the colour a number is shown in under a sign-colouring mode.
#pragma once

#include <cstdint>

namespace vek {

// Sign colouring: none, negatives red, and negatives red with positives green.
enum class SignColouring : int32_t { None = 0, NegativeRed = 1, NegativeRedPositiveGreen = 2 };

// A colour index: red (13) for numbers of -5.2e-7 or less (and below -1e308) under NegativeRed and
// NegativeRedPositiveGreen, green (19) for 5.2e-7 or more (and above 1e308) under the latter, black
// (10) for everything else, the empty value included.
int32_t ValueColour(double number, SignColouring mode);

}  // namespace vek
