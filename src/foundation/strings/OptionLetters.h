// OptionLetters: one-letter codes of options in definitions and settings.
#pragma once

#include <cstdint>

namespace vek {

// One-letter codes of options in definitions and settings: an option's value is the position of its
// letter in a code string, and its text form is that letter. A parse leaves the value unchanged for a
// letter that is not in the string; a letter lookup gives 0 (no letter) for a value outside it.

// "FSD": a three-way option letter of template and window definitions (0..2).
void ParseFsdCodeLetter(int32_t& value, char letter);
char FsdCodeLetter(int32_t value);
// "0123456FTM": a ten-way option letter of template and window definitions (0..9).
void ParseDigitFtmCodeLetter(int32_t& value, char letter);
char DigitFtmCodeLetter(int32_t value);
// The position of a letter in "NSA" (0..2), or -1.
int32_t FindNsaLetter(char letter);

// The index of a dimension from its key: "1".."9" give 0..8, two digits of value 10..32 give 9..31,
// a capital letter "A".."Z" gives 9..34; anything else (null, other texts) gives -1.
int32_t DimensionIndexFromKey(const char* text);
// "1".."9" give 0..8, "A".."Z" give 0..25, anything else -1.
int32_t IndexFromDigitOrLetter(char c);
// "A" + n for n = 0..25; 0 for any other n.
char LetterFromIndex(int32_t n);

}  // namespace vek
