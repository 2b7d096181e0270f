// IntegerText: tolerant reading of typed integers, rounded at the decimal point, and check digits.
#include "foundation/numbers/IntegerText.h"

#include <cstring>

#include "foundation/strings/TextView.h"

namespace vek {

namespace {

// Reads up to n bytes, stopping early at a NUL when stopAtNul is set. The magnitude accumulates in
// unsigned arithmetic so that overlong numbers wrap instead of overflowing.
template <typename Unsigned>
Unsigned ReadRounded(const char* bytes, int64_t n, bool stopAtNul, bool& negative)
{
    Unsigned magnitude = 0;
    negative = false;
    int64_t i = 0;
    for (; i < n; ++i) {
        char c = bytes[i];
        if (stopAtNul && c == '\0')
            return magnitude;
        if (c >= '0' && c <= '9')
            magnitude = magnitude * 10 + Unsigned(c - '0');
        else if (c == '-')
            negative = !negative;
        else if (c == '.')
            break;
    }
    for (++i; i < n; ++i) {
        char c = bytes[i];
        if (stopAtNul && c == '\0')
            break;
        if (c >= '0' && c <= '9') {
            if (c >= '5')
                ++magnitude;
            break;
        }
    }
    return magnitude;
}

template <typename Signed, typename Unsigned>
Signed Rounded(const char* bytes, int64_t n, bool stopAtNul)
{
    if (!bytes)
        return 0;
    bool negative = false;
    Unsigned magnitude = ReadRounded<Unsigned>(bytes, n, stopAtNul, negative);
    if (negative)
        magnitude = Unsigned(0) - magnitude;
    return Signed(magnitude);
}

bool IsCheckDigitFiller(unsigned char c)
{
    return c == ' ' || c == '-' || c == '_' || (c >= 1 && c <= 31);
}

int CheckDigitOfBytes(const char* text, size_t n)
{
    static constexpr int weights[3] = {7, 3, 1};
    int64_t sum = 0;
    int k = 0;
    for (size_t i = n; i-- > 0;) {
        auto c = static_cast<unsigned char>(text[i]);
        if (IsCheckDigitFiller(c))
            continue;
        if (c < '0' || c > '9')
            return 0;
        sum += int64_t(c - '0') * weights[k];
        k = (k + 1) % 3;
    }
    // (9000 - sum) mod 10, kept non-negative for sums beyond 9000 (texts of thousands of digits).
    int64_t digit = (10 - sum % 10) % 10;
    return '0' + int(digit);
}

}  // namespace

int32_t BytesToIntRounded(const char* bytes, int32_t n)
{
    return Rounded<int32_t, uint32_t>(bytes, n, false);
}

int32_t TextToIntRounded(const char* text)
{
    return Rounded<int32_t, uint32_t>(text, INT64_MAX, true);
}

int64_t TextToInt64Rounded(const char* text)
{
    return Rounded<int64_t, uint64_t>(text, INT64_MAX, true);
}

int ReferenceCheckDigit(const char* text)
{
    if (!text)
        return '0';
    return CheckDigitOfBytes(text, std::strlen(text));
}

bool ReferenceCheckDigitValid(const char* text)
{
    if (!text)
        return false;
    size_t n = std::strlen(text);
    if (n < 2)
        return false;
    return static_cast<unsigned char>(text[n - 1]) == CheckDigitOfBytes(text, n - 1);
}

int32_t BytesToIntRounded(std::string_view bytes)
{
    return BytesToIntRounded(bytes.data(), ViewLength(bytes));
}

}  // namespace vek
