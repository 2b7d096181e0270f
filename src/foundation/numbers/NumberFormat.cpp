// NumberFormat: writing doubles by one fixed sequence of operations, and reading them back from text.
#include "foundation/numbers/NumberFormat.h"

#include <charconv>

#include <cmath>
#include <cstring>
#include <limits>

#include "foundation/numbers/IntegerText.h"
#include "foundation/numbers/NumberMath.h"
#include "foundation/strings/String.h"
#include "foundation/strings/TextView.h"

namespace vek {

namespace {

SeparatorPair processSeparators;
NumberFormat mainNumberFormat;
NumberFormat secondNumberFormat;
bool scaledDisplayOn = true;

// The nearest doubles to the powers of ten, for normalizing a value to one leading digit: decimal
// literals are rounded correctly by the compiler, so this does not depend on the C library's pow and
// every machine gets the same digits.
constexpr double kNearestSmallPowers[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kNearestLargePowers[293] = {
    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27,
    1e28, 1e29, 1e30, 1e31, 1e32, 1e33, 1e34, 1e35, 1e36, 1e37, 1e38, 1e39,
    1e40, 1e41, 1e42, 1e43, 1e44, 1e45, 1e46, 1e47, 1e48, 1e49, 1e50, 1e51,
    1e52, 1e53, 1e54, 1e55, 1e56, 1e57, 1e58, 1e59, 1e60, 1e61, 1e62, 1e63,
    1e64, 1e65, 1e66, 1e67, 1e68, 1e69, 1e70, 1e71, 1e72, 1e73, 1e74, 1e75,
    1e76, 1e77, 1e78, 1e79, 1e80, 1e81, 1e82, 1e83, 1e84, 1e85, 1e86, 1e87,
    1e88, 1e89, 1e90, 1e91, 1e92, 1e93, 1e94, 1e95, 1e96, 1e97, 1e98, 1e99,
    1e100, 1e101, 1e102, 1e103, 1e104, 1e105, 1e106, 1e107, 1e108, 1e109, 1e110, 1e111,
    1e112, 1e113, 1e114, 1e115, 1e116, 1e117, 1e118, 1e119, 1e120, 1e121, 1e122, 1e123,
    1e124, 1e125, 1e126, 1e127, 1e128, 1e129, 1e130, 1e131, 1e132, 1e133, 1e134, 1e135,
    1e136, 1e137, 1e138, 1e139, 1e140, 1e141, 1e142, 1e143, 1e144, 1e145, 1e146, 1e147,
    1e148, 1e149, 1e150, 1e151, 1e152, 1e153, 1e154, 1e155, 1e156, 1e157, 1e158, 1e159,
    1e160, 1e161, 1e162, 1e163, 1e164, 1e165, 1e166, 1e167, 1e168, 1e169, 1e170, 1e171,
    1e172, 1e173, 1e174, 1e175, 1e176, 1e177, 1e178, 1e179, 1e180, 1e181, 1e182, 1e183,
    1e184, 1e185, 1e186, 1e187, 1e188, 1e189, 1e190, 1e191, 1e192, 1e193, 1e194, 1e195,
    1e196, 1e197, 1e198, 1e199, 1e200, 1e201, 1e202, 1e203, 1e204, 1e205, 1e206, 1e207,
    1e208, 1e209, 1e210, 1e211, 1e212, 1e213, 1e214, 1e215, 1e216, 1e217, 1e218, 1e219,
    1e220, 1e221, 1e222, 1e223, 1e224, 1e225, 1e226, 1e227, 1e228, 1e229, 1e230, 1e231,
    1e232, 1e233, 1e234, 1e235, 1e236, 1e237, 1e238, 1e239, 1e240, 1e241, 1e242, 1e243,
    1e244, 1e245, 1e246, 1e247, 1e248, 1e249, 1e250, 1e251, 1e252, 1e253, 1e254, 1e255,
    1e256, 1e257, 1e258, 1e259, 1e260, 1e261, 1e262, 1e263, 1e264, 1e265, 1e266, 1e267,
    1e268, 1e269, 1e270, 1e271, 1e272, 1e273, 1e274, 1e275, 1e276, 1e277, 1e278, 1e279,
    1e280, 1e281, 1e282, 1e283, 1e284, 1e285, 1e286, 1e287, 1e288, 1e289, 1e290, 1e291,
    1e292, 1e293, 1e294, 1e295, 1e296, 1e297, 1e298, 1e299, 1e300, 1e301, 1e302, 1e303,
    1e304, 1e305, 1e306, 1e307, 1e308,
};
// The double nearest to 10^n for n >= 0; +inf above 10^308.
double NearestPowerOfTen(int32_t n)
{
    if (n <= 15)
        return kNearestSmallPowers[n < 0 ? 0 : n];
    return n <= 308 ? kNearestLargePowers[n - 16] : HUGE_VAL;
}

// Digits of one number: at most 17 (a fixed value of 15 digits that rounding carried into a new
// leading digit, plus one) and the NUL.
constexpr int32_t kMaxNumberDigits = 17;

// Classes of ClassifyDouble.
constexpr int32_t kDoubleClassZero = 0;
constexpr int32_t kDoubleClassPositive = 1;
constexpr int32_t kDoubleClassNegative = 2;
constexpr int32_t kDoubleClassAboveMax = 3;
constexpr int32_t kDoubleClassBelowMin = 4;

int32_t ClampFormatField(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

// x > 0 and finite: m in [1, 10) and e with x = m * 10^e, by one rounding where the power of ten
// is exact (up to 10^22).
double NormalizeDecimal(double x, int32_t& e)
{
    e = DecimalExponent(x);
    double m;
    if (e >= 0)
        m = x / NearestPowerOfTen(e);
    else if (e >= -308)
        m = x * NearestPowerOfTen(-e);
    else
        m = (x * 1e308) * NearestPowerOfTen(-e - 308);
    // The exponent may be one off near a power of ten, where its steps round.
    while (m >= 10.0) {
        m /= 10.0;
        ++e;
    }
    while (m < 1.0) {
        m *= 10.0;
        --e;
    }
    return m;
}

// Adds a rounding term to a normalized value and keeps it below 10.
double AddDecimalRounding(double m, double term, int32_t& e)
{
    m += term;
    if (m >= 10.0) {
        m /= 10.0;
        ++e;
    }
    return m;
}

char16_t DecimalSeparatorOf(const NumberFormat& format)
{
    char16_t d = format.decimalSeparator == kProcessSeparator ? processSeparators.decimalSeparator
                                                              : format.decimalSeparator;
    // A NUL would end the text; the point is the only sensible decimal mark then.
    return d == 0 ? u'.' : d;
}

char16_t ThousandsSeparatorOf(const NumberFormat& format)
{
    return format.thousandsSeparator == kProcessSeparator ? processSeparators.thousandsSeparator
                                                          : format.thousandsSeparator;
}

int32_t StripTrailingZeroDigits(const char* digits, int32_t n)
{
    while (n > 1 && digits[n - 1] == '0')
        --n;
    return n;
}

// first digit, the separator and the other digits (the separator only when there are more), "E", the
// sign and the exponent: plain decimal, or exactly three digits.
void PutExponentForm(char*& cursor, const char* digits, int32_t n, int32_t leading, int32_t e,
                     char16_t d, bool threeDigitExponent)
{
    for (int32_t i = 0; i < n; ++i) {
        if (i == leading)
            CursorPutUtf8Char(cursor, d);
        *cursor++ = digits[i];
    }
    *cursor++ = 'E';
    *cursor++ = e < 0 ? '-' : '+';
    int32_t magnitude = e < 0 ? -e : e;
    if (threeDigitExponent)
        CursorPut3Digits(cursor, magnitude);
    else
        CursorPutInt(cursor, magnitude);
}

void PutGeneralNumber(char*& cursor, double magnitude, int32_t digitCount, char16_t d)
{
    int32_t e;
    double m = NormalizeDecimal(magnitude, e);
    m = AddDecimalRounding(m, 6.0 * PowerOfTen(-digitCount), e);
    char digits[kMaxNumberDigits + 1];
    DoubleToDigits(digits, m, digitCount);
    int32_t n = StripTrailingZeroDigits(digits, digitCount);
    if (e < -2 || e > 9) {
        PutExponentForm(cursor, digits, n, 1, e, d, false);
        return;
    }
    if (e < 0) {
        *cursor++ = '0';
        CursorPutUtf8Char(cursor, d);
        if (e == -2)
            *cursor++ = '0';
        CursorPutBytes(cursor, digits, n);
        return;
    }
    for (int32_t i = 0; i <= e; ++i)
        *cursor++ = i < n ? digits[i] : '0';
    if (n > e + 1) {
        CursorPutUtf8Char(cursor, d);
        CursorPutBytes(cursor, digits + e + 1, n - e - 1);
    }
}

// Modes 2 and 3: significant digits with the trailing zeros kept and a three-digit exponent.
void PutScientificNumber(char*& cursor, double magnitude, int32_t digitCount, bool engineering, char16_t d)
{
    int32_t e;
    double m = NormalizeDecimal(magnitude, e);
    m = AddDecimalRounding(m, 5.0001 * PowerOfTen(-digitCount), e);
    char digits[kMaxNumberDigits + 1];
    DoubleToDigits(digits, m, digitCount);
    int32_t leading = 1;
    if (engineering) {
        int32_t lowered = e - (((e % 3) + 3) % 3);
        leading += e - lowered;
        e = lowered;
    }
    PutExponentForm(cursor, digits, digitCount, leading, e, d, true);
}

// Mode 1 within its limits. `start` is where the number (sign included) began, for the rule that an
// all-zero result is a single "0".
void PutFixedNumber(char*& cursor, char* start, double magnitude, int32_t decimals, char16_t d,
              char16_t thousands)
{
    int32_t e;
    double m = NormalizeDecimal(magnitude + 0.50001 * PowerOfTen(-decimals), e);
    int32_t n = ClampFormatField(e + decimals + 1, 0, kMaxNumberDigits);
    char digits[kMaxNumberDigits + 1];
    DoubleToDigits(digits, m, n);
    bool anyNonZero = false;
    auto digitAt = [&](int32_t i) {
        char c = i >= 0 && i < n ? digits[i] : '0';
        anyNonZero = anyNonZero || c != '0';
        return c;
    };
    if (e < 0) {
        *cursor++ = '0';
    } else {
        for (int32_t i = 0; i <= e; ++i) {
            if (thousands != 0 && i > 0 && (e + 1 - i) % 3 == 0)
                CursorPutUtf8Char(cursor, thousands);
            *cursor++ = digitAt(i);
        }
    }
    if (decimals > 0) {
        CursorPutUtf8Char(cursor, d);
        char16_t fractionMark = thousands == u',' || thousands == u'.' ? u' ' : thousands;
        for (int32_t j = 0; j < decimals; ++j) {
            if (thousands != 0 && j > 0 && j % 3 == 0)
                CursorPutUtf8Char(cursor, fractionMark);
            *cursor++ = digitAt(e + 1 + j);
        }
    }
    if (!anyNonZero) {
        cursor = start;
        *cursor++ = '0';
    }
}

bool IsNumberDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

SeparatorPair GetSeparators()
{
    return processSeparators;
}

void SetSeparators(SeparatorPair separators)
{
    processSeparators = separators;
}

void NumberFormat::SetDecimals(int32_t n)
{
    decimals = ClampFormatField(n, 0, 15);
}

void NumberFormat::SetSignificantDigits(int32_t n)
{
    significantDigits = ClampFormatField(n, 3, 15);
}

void NumberFormat::Parse(const char* bytes, int32_t n)
{
    char letter = bytes && n > 0 ? bytes[0] : '\0';
    int32_t number = letter != '\0' ? BytesToIntRounded(bytes + 1, n - 1) : 0;
    switch (letter) {
    case 'F':
        mode = NumberMode::Fixed;
        SetDecimals(number);
        fixedLimit = 15;
        break;
    case 'E':
        mode = NumberMode::Scientific;
        SetSignificantDigits(number);
        break;
    case 'S':
        mode = NumberMode::Engineering;
        SetSignificantDigits(number);
        break;
    default:
        mode = NumberMode::General;
        generalDigits = 15;
        break;
    }
}

void NumberFormat::ParseCStr(const char* text)
{
    Parse(text, text ? int32_t(std::strlen(text)) : 0);
}

void NumberFormat::CursorPut(char*& cursor) const
{
    switch (mode) {
    case NumberMode::Fixed:
        *cursor++ = 'F';
        CursorPutInt(cursor, ClampFormatField(decimals, 0, 15));
        break;
    case NumberMode::Scientific:
    case NumberMode::Engineering:
        *cursor++ = mode == NumberMode::Scientific ? 'E' : 'S';
        CursorPutInt(cursor, ClampFormatField(significantDigits, 3, 15));
        break;
    default:
        break;
    }
}

void NumberFormat::Format(char* buffer) const
{
    char* cursor = buffer;
    CursorPut(cursor);
    *cursor = '\0';
}

void DoubleToDigits(char* buffer, double x, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        // The comparisons also send NaN to 0 (a conversion of NaN would be undefined).
        int32_t digit = x >= 9.0 ? 9 : (x > 0.0 ? int32_t(x) : 0);
        buffer[i] = char('0' + digit);
        x = (x - digit) * 10.0;
    }
    buffer[n > 0 ? n : 0] = '\0';
}

void CursorPutDouble(char*& cursor, double value, const NumberFormat& format)
{
    switch (ClassifyDouble(value)) {
    case kDoubleClassZero:
        *cursor++ = '0';
        return;
    case kDoubleClassAboveMax:
        CursorPutCStr(cursor, "+inf");
        return;
    case kDoubleClassBelowMin:
        CursorPutCStr(cursor, "-inf");
        return;
    case kDoubleClassPositive:
    case kDoubleClassNegative:
        break;
    default:  // not a number
        return;
    }
    char* start = cursor;
    double magnitude = value;
    if (value < 0.0) {
        *cursor++ = '-';
        magnitude = -value;
    }
    char16_t d = DecimalSeparatorOf(format);
    switch (format.mode) {
    case NumberMode::Fixed: {
        int32_t decimals = ClampFormatField(format.decimals, 0, 15);
        int32_t e = DecimalExponent(magnitude);
        if (e < format.fixedLimit && e + decimals <= 15) {
            PutFixedNumber(cursor, start, magnitude, decimals, d, ThousandsSeparatorOf(format));
        } else {
            int32_t digitCount = ClampFormatField(e + ClampFormatField(format.significantDigits, 3, 15) + 1, 1, 15);
            int32_t exponent;
            double m = NormalizeDecimal(magnitude, exponent);
            m = AddDecimalRounding(m, 5.0 * PowerOfTen(-digitCount), exponent);
            char digits[kMaxNumberDigits + 1];
            DoubleToDigits(digits, m, digitCount);
            PutExponentForm(cursor, digits, StripTrailingZeroDigits(digits, digitCount), 1, exponent, d,
                            false);
        }
        break;
    }
    case NumberMode::Scientific:
    case NumberMode::Engineering:
        PutScientificNumber(cursor, magnitude, ClampFormatField(format.significantDigits, 3, 15),
                      format.mode == NumberMode::Engineering, d);
        break;
    default:
        PutGeneralNumber(cursor, magnitude, ClampFormatField(format.generalDigits, 1, 15), d);
        break;
    }
}

NumberFormat& MainNumberFormat()
{
    return mainNumberFormat;
}

NumberFormat& SecondNumberFormat()
{
    return secondNumberFormat;
}

bool ScaledDisplay()
{
    return scaledDisplayOn;
}

void SetScaledDisplay(bool on)
{
    scaledDisplayOn = on;
}

void FormatScaledNumber(String& text, double value, int32_t style)
{
    NumberFormat format = mainNumberFormat;
    format.mode = NumberMode::Fixed;
    const char* unit = nullptr;
    if (style == 7) {
        format = secondNumberFormat;
    } else if (style == 8 || style == 9) {
        format.SetDecimals(0);
        if (scaledDisplayOn) {
            value /= style == 8 ? 1000.0 : 1000000.0;
            if (ClassifyDouble(value) <= kDoubleClassNegative)
                unit = style == 8 ? "'" : "\"";
        }
    } else {
        format.SetDecimals(style);
    }
    char buffer[kMaxNumberTextBytes + 2];
    char* cursor = buffer;
    CursorPutDouble(cursor, value, format);
    CursorPutCStr(cursor, unit);
    text.AssignBytes(buffer, int32_t(cursor - buffer));
}

double ZeroIfNegligible(double value)
{
    return std::fabs(value) >= 5.2e-7 && std::isfinite(value) ? value : 0.0;
}

double RoundToDecimals(double value, int32_t n)
{
    static constexpr double halfUnits[7] = {0.5, 0.05, 0.005, 5e-4, 5e-5, 5e-6, 5e-7};
    if (!std::isfinite(value))
        return 0.0;
    if (n == 7)
        return value;
    if (n < 0 || n > 6)
        n = 0;
    return std::fabs(value) < halfUnits[n] ? 0.0 : value;
}

double RoundHalfAwayToDecimals(double value, int32_t n)
{
    static constexpr double scales[7] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};
    if (!std::isfinite(value) || n == 7)
        return value;
    if (n < 0 || n > 6)
        n = 0;
    double scaled = value * scales[n];
    // Beyond 2^52 a double has no fraction left to round.
    if (!(std::fabs(scaled) < 4503599627370496.0))
        return value;
    double whole = std::floor(std::fabs(scaled));
    double fraction = std::fabs(scaled) - whole;
    double halfTolerance = 8.0 * std::numeric_limits<double>::epsilon() * std::fabs(scaled);
    double rounded = fraction >= 0.5 - halfTolerance ? whole + 1.0 : whole;
    if (rounded == 0.0)
        return 0.0;  // no "-0" for a sum that rounds away
    return std::copysign(rounded, value) / scales[n];
}

double ZeroIfOutOfRange(double value)
{
    return std::isnan(value) || std::fabs(value) > 1e308 ? 0.0 : value;
}

// The double nearest to digits x 10^exponent. Up to 15 digits with a power of ten up to 22 is exact
// in one multiplication or division (both operands are exact doubles); everything else goes through
// the library's correctly rounded conversion.
// Digits past this many cannot change a double.
static constexpr int32_t kMaxKeptDigits = 800;

static double DecimalDigitsToDouble(const char* digits, int32_t count, int64_t exponent)
{
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (count <= 15 && exponent >= -22 && exponent <= 22) {
        uint64_t mantissa = 0;
        for (int32_t i = 0; i < count; ++i)
            mantissa = mantissa * 10 + uint64_t(digits[i] - '0');
        double value = double(mantissa);
        return exponent >= 0 ? value * kExactPowers[exponent] : value / kExactPowers[-exponent];
    }
    char text[kMaxKeptDigits + 32];
    std::memcpy(text, digits, size_t(count));
    int32_t length = count;
    text[length++] = 'e';
    char* cursor = text + length;
    CursorPutInt64(cursor, exponent);
    length = int32_t(cursor - text);
    double value = 0.0;
    auto [end, error] = std::from_chars(text, text + length, value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        return count + exponent > 0 ? HUGE_VAL : 0.0;
    return error == std::errc() ? value : 0.0;
}

// The form that base files and most imports write amounts in: an optional leading "-", then digits
// with at most one "." among them. False for anything else, and for more digits than the exact
// product or quotient of the general reading below takes; the general reading then decides. Where
// this gives a value it is the one the general reading gives, only without keeping the digits as text.
static bool ReadPlainDecimal(const char* bytes, int32_t n, double& value)
{
    static constexpr int32_t kMostDigits = 15;
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    int32_t i = n > 0 && bytes[0] == '-' ? 1 : 0;
    const bool negative = i == 1;
    uint64_t mantissa = 0;
    int32_t kept = 0;  // as the general reading counts them: leading zeros of the integer part not
    int32_t fractionDigits = 0;
    bool anyDigit = false;
    bool inFraction = false;
    for (; i < n; ++i) {
        char c = bytes[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (kept == 0 && c == '0' && !inFraction)
                continue;
            if (++kept > kMostDigits)
                return false;
            mantissa = mantissa * 10 + uint64_t(c - '0');
            fractionDigits += inFraction ? 1 : 0;
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else {
            return false;
        }
    }
    if (!anyDigit)
        return false;
    value = double(mantissa) / kExactPowers[fractionDigits];
    if (negative)
        value = -value;
    return true;
}

double BytesToDouble(const char* bytes, int32_t n)
{
    if (double plain; bytes && ReadPlainDecimal(bytes, n, plain))
        return plain;
    enum class State { BeforeDigits, Integer, Fraction, Exponent };
    // Exponent digits beyond this change nothing (every power past it is 0 or inf) and would
    // overflow the count.
    constexpr int32_t kExponentCap = 100000;
    // The digits are kept as text and converted once at the end, correctly rounded: summing
    // digit * 0.1^k loses the last bit ("0.3" came out as 0.30000000000000004), so amounts did not
    // read back as the values that were written.
    State state = State::BeforeDigits;
    char digits[kMaxKeptDigits + 1];
    int32_t kept = 0;
    int32_t fractionDigits = 0;  // kept digits after the decimal separator
    int32_t droppedIntegerDigits = 0;
    bool droppedNonZero = false;
    int32_t exponent = 0;
    bool negative = false;
    bool negativeExponent = false;
    bool anyDigit = false;
    for (int32_t i = 0; bytes && i < n; ++i) {
        char c = bytes[i];
        if (IsNumberDigit(c)) {
            anyDigit = true;
            if (state == State::Exponent) {
                if (exponent < kExponentCap)
                    exponent = exponent * 10 + (c - '0');
                continue;
            }
            if (state == State::BeforeDigits)
                state = State::Integer;
            if (kept == 0 && c == '0' && state == State::Integer)
                continue;  // leading zeros of the integer part
            if (kept < kMaxKeptDigits) {
                digits[kept++] = c;
                if (state == State::Fraction)
                    ++fractionDigits;
            } else {
                droppedNonZero |= c != '0';
                if (state == State::Integer)
                    ++droppedIntegerDigits;
            }
        } else if (c == ',' || c == '.') {
            if (state == State::Exponent)
                continue;
            // Only the last separator is the decimal point: the fraction read so far becomes
            // integer digits.
            if (state == State::Fraction)
                fractionDigits = 0;
            state = State::Fraction;
        } else if (c == '-') {
            if (state == State::Exponent)
                negativeExponent = true;
            else
                negative = true;
        } else if (c == 'E' || c == 'e') {
            if (state == State::Integer || (state == State::Fraction && anyDigit))
                state = State::Exponent;
        } else if (c == 'I' || c == 'i') {
            return negative ? -HUGE_VAL : HUGE_VAL;
        }
    }
    if (!anyDigit)
        return std::numeric_limits<double>::quiet_NaN();
    double value = 0.0;
    if (kept > 0) {
        // A dropped non-zero digit only decides rounding; one more digit carries it.
        if (droppedNonZero && kept == kMaxKeptDigits)
            digits[kept - 1] = digits[kept - 1] == '0' ? '1' : digits[kept - 1];
        int64_t decimalExponent = int64_t(negativeExponent ? -exponent : exponent) - fractionDigits + droppedIntegerDigits;
        value = DecimalDigitsToDouble(digits, kept, decimalExponent);
    }
    return negative ? -value : value;
}

double TextToDouble(const char* text)
{
    if (!text)
        return std::numeric_limits<double>::quiet_NaN();
    return BytesToDouble(text, int32_t(std::strlen(text)));
}

double BytesToDouble(std::string_view bytes)
{
    return BytesToDouble(bytes.data(), ViewLength(bytes));
}

}  // namespace vek
