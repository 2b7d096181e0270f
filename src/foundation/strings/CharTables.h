// CharTables: the upper-case, lower-case and accent-folding tables of the code points below U+0800.
#pragma once

#include <array>
#include <cstdint>

namespace vek {

// The process-wide character tables: upper case, lower case and accent folding (the base letter of an
// accented letter) for the code points below U+0800, the Latin, Greek and Cyrillic letters that texts
// are compared by. Code points from U+0800 on are their own upper case, lower case and folded form.
// The tables are constant; they are made when the program is compiled, so they can be used at any
// time, also before main and from any thread.

constexpr int32_t kCharTableSize = 2048;

namespace detail {
extern const std::array<uint16_t, kCharTableSize> upperCaseTable;
extern const std::array<uint16_t, kCharTableSize> lowerCaseTable;
extern const std::array<uint16_t, kCharTableSize> foldAccentTable;
}  // namespace detail

// The start-up step that makes the tables available. They are compile-time constants, so it has
// nothing left to do; it stays so that start-up reads as designed.
void BuildCharacterTables();

inline uint32_t ToUpperChar(uint32_t codePoint)
{
    return codePoint < kCharTableSize ? detail::upperCaseTable[codePoint] : codePoint;
}
inline uint32_t ToLowerChar(uint32_t codePoint)
{
    return codePoint < kCharTableSize ? detail::lowerCaseTable[codePoint] : codePoint;
}
inline uint32_t FoldAccentChar(uint32_t codePoint)
{
    return codePoint < kCharTableSize ? detail::foldAccentTable[codePoint] : codePoint;
}

// Only a-z and A-Z change.
constexpr char AsciiToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr char AsciiToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The precomposed letter of a base letter A-Z or a-z and a combining mark (U+0300, U+0301, U+0302,
// U+0303, U+0304, U+0306, U+0307, U+0308, U+030A, U+030B, U+030C, U+030F, U+0311) where the canonical
// composition lies below U+0250; 0 for every other pair and for L, l + U+0301, I + U+0307 and L, l, d,
// t, j + U+030C.
uint32_t ComposeWithMark(uint32_t base, uint32_t mark);

// Case-conversion modes are the positions of their letters in "ULDWSN" (0..5). ParseCaseCode gives the
// mode of a letter, or `mode` unchanged when the letter is not one of them; CaseCodeLetter gives the
// letter of a mode, or 0 for a mode outside 0..5.
int32_t ParseCaseCode(int32_t mode, char letter);
char CaseCodeLetter(int32_t mode);

}  // namespace vek
