// AmountText: writing card-line amounts, rounded or exact, so that they read back as the same double.
#include "files/format/AmountText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/NumberMath.h"

namespace vek {

namespace {

constexpr int32_t kFullPrecisionCode = 7;

bool ReadsBackAs(const char* start, const char* end, double value)
{
    return BytesToDouble(start, int32_t(end - start)) == value;
}

// --- The customary rounded form -------------------------------------------------------------------

// The integer digits of 0 <= x < 10^17 (exact: every double that large is an integer).
void PutIntegerDigits(char*& cursor, double x)
{
    auto whole = static_cast<uint64_t>(x);
    char digits[24];
    int32_t n = 0;
    do {
        digits[n++] = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    while (n > 0)
        *cursor++ = digits[--n];
}

// x > 0 rounded to d decimals as the base file has always written amounts.
void PutRounded(char*& cursor, double x, int32_t d)
{
    double y = x + 0.50001 * PowerOfTen(-d);
    int32_t e = DecimalExponent(y);
    if (e > 16) {
        // 15 significant digits and an exponent, trailing zeros dropped but one kept after the point.
        double m = y / PowerOfTen(e);
        if (m >= 10.0) {
            m /= 10.0;
            ++e;
        }
        char digits[16];
        DoubleToDigits(digits, m, 15);
        int32_t last = 14;
        while (last > 0 && digits[last] == '0')
            --last;
        *cursor++ = digits[0];
        if (last > 0) {
            *cursor++ = '.';
            for (int32_t i = 1; i <= last; ++i)
                *cursor++ = digits[i];
        }
        *cursor++ = 'e';
        CursorPutInt(cursor, e);
        return;
    }
    double whole = std::floor(y);
    char* start = cursor;
    PutIntegerDigits(cursor, whole);
    if (d > 0) {
        char decimals[8];
        DoubleToDigits(decimals, (y - whole) * 10.0, d);
        int32_t last = d - 1;
        while (last >= 0 && decimals[last] == '0')
            --last;
        if (last >= 0) {
            *cursor++ = '.';
            for (int32_t i = 0; i <= last; ++i)
                *cursor++ = decimals[i];
        }
    }
    if (cursor - start == 1 && *start == '0')
        return;  // every digit zero: "0"
}

// --- The exact form -------------------------------------------------------------------------------

// A decimal value mantissa x 10^exponent, mantissa below 10^19.
struct Decimal {
    uint64_t mantissa = 0;
    int32_t exponent = 0;
};

// How a decimal is laid out matters: the reader sums the digits of its text in double arithmetic
// and then scales by the exponent, so the same decimal reads back differently in each layout.
// The digits of a decimal without its trailing zeros, the leading one first; it stands for 10^lead.
struct Digits {
    char text[24];
    int32_t count = 0;
    int32_t lead = 0;
};

Digits DigitsOf(Decimal value)
{
    Digits digits;
    while (value.mantissa != 0 && value.mantissa % 10 == 0) {
        value.mantissa /= 10;
        ++value.exponent;
    }
    char reversed[24];
    int32_t n = 0;
    for (uint64_t m = value.mantissa; m != 0; m /= 10)
        reversed[n++] = char('0' + m % 10);
    for (int32_t i = 0; i < n; ++i)
        digits.text[i] = reversed[n - 1 - i];
    digits.count = n;
    digits.lead = n - 1 + value.exponent;
    return digits;
}

void PutDigits(char*& cursor, const Digits& digits, int32_t shift)
{
    int32_t n = digits.count;
    if (n == 0) {
        *cursor++ = '0';
        return;
    }
    int32_t lead = digits.lead;
    if (shift == 0 && (lead < -6 || lead >= 21))
        shift = 1;
    if (shift == 0) {
        if (lead < 0) {
            *cursor++ = '0';
            *cursor++ = '.';
            for (int32_t i = lead + 1; i < 0; ++i)
                *cursor++ = '0';
            std::memcpy(cursor, digits.text, size_t(n));
            cursor += n;
            return;
        }
        // Digit i stands for 10^(lead - i).
        for (int32_t i = 0; i <= lead; ++i)
            *cursor++ = i < n ? digits.text[i] : '0';
        if (n > lead + 1) {
            *cursor++ = '.';
            std::memcpy(cursor, digits.text + lead + 1, size_t(n - lead - 1));
            cursor += n - lead - 1;
        }
        return;
    }
    int32_t before = shift - 1;  // digits before the point
    int32_t i = 0;
    if (before <= 0) {
        *cursor++ = '0';
        *cursor++ = '.';
        for (int32_t zero = before; zero < 0; ++zero)
            *cursor++ = '0';
    } else {
        for (; i < before; ++i)
            *cursor++ = i < n ? digits.text[i] : '0';
        if (n > before)
            *cursor++ = '.';
    }
    for (; i < n; ++i)
        *cursor++ = digits.text[i];
    *cursor++ = 'e';
    CursorPutInt(cursor, lead - before + 1);
}

// The decimal in a layout. `shift` = 0 writes plain digits (from 10^-6 to below 10^21; other values
// as shift 1); any other shift writes an exponent and shift - 1 digits before the point (none and a
// leading "0." for shift 0 or less, with -shift zeros after the point).
void PutDecimal(char*& cursor, Decimal value, int32_t shift)
{
    PutDigits(cursor, DigitsOf(value), shift);
}

// The value to `significant` digits (0: the shortest that round to it), correctly rounded; x > 0
// and finite.
Decimal DecimalOf(double x, int32_t significant)
{
    char text[48];
    std::to_chars_result result =
        significant > 0 ? std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, significant - 1)
                        : std::to_chars(text, text + sizeof text, x, std::chars_format::scientific);
    Decimal value;
    int32_t fractionDigits = 0;
    bool afterPoint = false;
    const char* p = text;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p == '.') {
            afterPoint = true;
            continue;
        }
        value.mantissa = value.mantissa * 10 + uint64_t(*p - '0');
        if (afterPoint)
            ++fractionDigits;
    }
    int32_t exponent = 0;
    if (p < result.ptr)
        std::from_chars(p + (p + 1 < result.ptr && p[1] == '+' ? 2 : 1), result.ptr, exponent);
    value.exponent = exponent - fractionDigits;
    return value;
}

double ReadDecimal(Decimal value, int32_t shift)
{
    char text[kMaxAmountTextBytes];
    char* end = text;
    PutDecimal(end, value, shift);
    return BytesToDouble(text, int32_t(end - text));
}

// Walks the last digit of a `significant`-digit decimal towards x until the reader gives x; false
// when a step jumps over it.
bool SearchDecimal(Decimal& value, double x, int32_t significant, int32_t shift)
{
    value = DecimalOf(x, significant > 17 ? 17 : significant);
    for (int32_t extra = 17; extra < significant; ++extra) {
        value.mantissa *= 10;
        --value.exponent;
    }
    double read = ReadDecimal(value, shift);
    if (read == x)
        return true;
    bool up = read < x;
    for (int32_t step = 0; step < 40; ++step) {
        if (up)
            ++value.mantissa;
        else if (value.mantissa > 1)
            --value.mantissa;
        else
            return false;
        read = ReadDecimal(value, shift);
        if (read == x)
            return true;
        if (up ? read > x : read < x)
            return false;
    }
    return false;
}

// `rejected` is a text of x that was found not to read back (nothing to try again).
void PutExactMagnitude(char*& cursor, double x, std::string_view rejected)
{
    // Layouts in the order tried: plain, then with an exponent and 1, 0, 2, 3, 4 digits before the
    // point, then with "0.0" and "0.00"; the search goes through more of them.
    static constexpr int32_t kShifts[] = {0, 2, 1, 3, 4, 5, -1, -2};
    // The shortest correctly rounded digits first, then longer ones; then searched digits.
    char text[kMaxAmountTextBytes];
    for (int32_t significant : {0, 15, 16, 17}) {
        Digits digits = DigitsOf(DecimalOf(x, significant));
        for (int32_t shift : kShifts) {
            char* end = text;
            PutDigits(end, digits, shift);
            std::string_view candidate(text, size_t(end - text));
            if (candidate == rejected)
                continue;  // read back already, as the rounded form
            if (BytesToDouble(text, int32_t(end - text)) == x) {
                std::memcpy(cursor, text, candidate.size());
                cursor += candidate.size();
                return;
            }
        }
    }
    for (int32_t significant : {17, 18, 19}) {
        for (int32_t shift = -4; shift <= 12; ++shift) {
            Decimal value;
            if (SearchDecimal(value, x, significant, shift)) {
                PutDecimal(cursor, value, shift);
                return;
            }
        }
    }
    PutDecimal(cursor, DecimalOf(x, 17), 0);
}

}  // namespace

void CursorPutExactAmount(char*& cursor, double value)
{
    if (std::isnan(value))
        return;
    if (value == 0.0) {
        *cursor++ = '0';
        return;
    }
    if (value < 0.0) {
        *cursor++ = '-';
        value = -value;
    }
    if (std::isinf(value)) {
        std::memcpy(cursor, "inf", 3);
        cursor += 3;
        return;
    }
    PutExactMagnitude(cursor, value, {});
}

void CursorPutAmount(char*& cursor, double value, int32_t decimalsCode)
{
    if (std::isnan(value) || std::isinf(value) || value == 0.0) {
        CursorPutExactAmount(cursor, value);
        return;
    }
    int32_t d = decimalsCode >= 0 && decimalsCode <= kFullPrecisionCode ? decimalsCode : 0;
    char* start = cursor;
    double magnitude = value;
    if (value < 0.0) {
        *cursor++ = '-';
        magnitude = -value;
    }
    if (d == kFullPrecisionCode) {
        NumberFormat format;
        format.decimalSeparator = u'.';
        format.thousandsSeparator = 0;
        format.mode = NumberMode::General;
        format.generalDigits = 15;
        CursorPutDouble(cursor, magnitude, format);
    } else {
        PutRounded(cursor, magnitude, d);
    }
    if (ReadsBackAs(start, cursor, value))
        return;
    // The magnitude's rounded text, which the exact form need not try again.
    char rejected[kMaxAmountTextBytes];
    const char* digits = start + (value < 0.0 ? 1 : 0);
    size_t length = size_t(cursor - digits);
    std::memcpy(rejected, digits, length);
    cursor = start + (value < 0.0 ? 1 : 0);
    PutExactMagnitude(cursor, magnitude, std::string_view(rejected, length));
}

}  // namespace vek
