// OptionLetters: parsing and writing the one-letter codes of options and dimension keys.
#include "foundation/strings/OptionLetters.h"

#include <cstring>

namespace vek {

namespace {

constexpr char kFsdLetters[] = "FSD";
constexpr char kDigitFtmLetters[] = "0123456FTM";
constexpr char kNsaLetters[] = "NSA";

// Position of the letter in the code string, or -1 (the NUL is not a letter of it).
template <size_t N>
int32_t CodeLetterPosition(const char (&letters)[N], char letter)
{
    for (size_t i = 0; i + 1 < N; ++i) {
        if (letters[i] == letter)
            return int32_t(i);
    }
    return -1;
}

template <size_t N>
char CodeLetterAt(const char (&letters)[N], int32_t value)
{
    return value >= 0 && size_t(value) + 1 < N ? letters[value] : '\0';
}

bool IsKeyDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

void ParseFsdCodeLetter(int32_t& value, char letter)
{
    int32_t position = CodeLetterPosition(kFsdLetters, letter);
    if (position >= 0)
        value = position;
}

char FsdCodeLetter(int32_t value)
{
    return CodeLetterAt(kFsdLetters, value);
}

void ParseDigitFtmCodeLetter(int32_t& value, char letter)
{
    int32_t position = CodeLetterPosition(kDigitFtmLetters, letter);
    if (position >= 0)
        value = position;
}

char DigitFtmCodeLetter(int32_t value)
{
    return CodeLetterAt(kDigitFtmLetters, value);
}

int32_t FindNsaLetter(char letter)
{
    return CodeLetterPosition(kNsaLetters, letter);
}

int32_t DimensionIndexFromKey(const char* text)
{
    if (!text)
        return -1;
    size_t length = std::strlen(text);
    if (length == 1) {
        char c = text[0];
        if (c >= '1' && c <= '9')
            return c - '1';
        if (c >= 'A' && c <= 'Z')
            return 9 + (c - 'A');
        return -1;
    }
    if (length == 2 && IsKeyDigit(text[0]) && IsKeyDigit(text[1])) {
        int32_t value = (text[0] - '0') * 10 + (text[1] - '0');
        if (value >= 10 && value <= 32)
            return value - 1;
    }
    return -1;
}

int32_t IndexFromDigitOrLetter(char c)
{
    if (c >= '1' && c <= '9')
        return c - '1';
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    return -1;
}

char LetterFromIndex(int32_t n)
{
    return n >= 0 && n <= 25 ? char('A' + n) : '\0';
}

}  // namespace vek
