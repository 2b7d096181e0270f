// NumberFormat: how numbers are written and read, the same digits on every machine.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/numbers/CursorWriters.h"

namespace vek {

class String;

// How numbers are written and read. Every number the program shows, exports or stores goes through
// CursorPutDouble, and every number it reads from text through BytesToDouble; file bytes depend on
// both, so their digits are made by one fixed sequence of double operations (no platform printf,
// no extended precision) and are the same on every machine.

// The process-wide separators, "." and a blank at start; replaced at start-up from the locale and
// the preferences, and for the time of an export. A thousands separator of 0 means no grouping.
struct SeparatorPair {
    char16_t decimalSeparator = u'.';
    char16_t thousandsSeparator = u' ';
};
SeparatorPair GetSeparators();
void SetSeparators(SeparatorPair separators);

enum class NumberMode : int32_t {
    General = 0,      // up to generalDigits significant digits, exponent form outside 1e-2..1e10
    Fixed = 1,        // "F": `decimals` decimals, exponent form from 1e`fixedLimit` on
    Scientific = 2,   // "E": significantDigits digits, 1.23E+003
    Engineering = 3,  // "S": the same with the exponent a multiple of three, 12.3E+003
};

// How one number is written. A plain record: callers set the fields directly; the writer clamps
// values outside the documented ranges into them.
struct NumberFormat {
    char16_t decimalSeparator = kProcessSeparator;
    char16_t thousandsSeparator = kProcessSeparator;  // 0: no grouping
    NumberMode mode = NumberMode::General;
    int32_t generalDigits = 15;     // 1..15
    int32_t decimals = 0;           // 0..15
    int32_t significantDigits = 3;  // 3..15, also the fixed mode's exponent fallback
    int32_t fixedLimit = 15;        // decimal exponent from which the fixed mode writes an exponent

    void SetDecimals(int32_t n);           // clamped to 0..15
    void SetSignificantDigits(int32_t n);  // clamped to 3..15

    // The text form of template and window definitions: "F" and the decimals, "E" or "S" and the
    // significant digits; anything else (the empty text too) is the general mode. The number is read
    // by BytesToIntRounded and clamped.
    void Parse(const char* bytes, int32_t n);
    void ParseCStr(const char* text);  // null counts as empty
    // Writes the text form: nothing for the general mode, else at most kMaxNumberFormatTextBytes.
    void CursorPut(char*& cursor) const;
    // The same into a buffer of kMaxNumberFormatTextBytes + 1 bytes, NUL-terminated.
    void Format(char* buffer) const;
};
inline constexpr int32_t kMaxNumberFormatTextBytes = 3;

// Writes a double in a format (no NUL): zero "0"; magnitudes beyond 1e308 "+inf" and "-inf"; NaN
// nothing. Never more than kMaxNumberTextBytes bytes, whatever the format's fields hold (the
// separators may take 3 UTF-8 bytes each).
void CursorPutDouble(char*& cursor, double value, const NumberFormat& format);
inline constexpr int32_t kMaxNumberTextBytes = 40;

// The most digits a number writer puts for a requested digit count; larger counts are taken as it.
inline constexpr int32_t kMaxDigitCount = 100;
constexpr int32_t ClampDigitCount(int32_t digits) { return digits > kMaxDigitCount ? kMaxDigitCount : digits; }

// The first n decimal digits of 0 <= x < 10 and a NUL: repeatedly the integer part, then
// (x - digit) * 10. The buffer needs n + 1 bytes (n < 1 writes only the NUL); a digit outside 0..9
// (x out of range, NaN) is clamped into it.
void DoubleToDigits(char* buffer, double x, int32_t n);

// The process's two formats for shown amounts (both the defaults at start) and the scaled-display
// switch (on at start), used by FormatScaledNumber. The main format is also the default format of
// String::AssignDouble and its siblings.
NumberFormat& MainNumberFormat();
NumberFormat& SecondNumberFormat();
bool ScaledDisplay();
void SetScaledDisplay(bool on);

// Sets the string to an amount in a display style: 0..6 that many decimals (the main format in fixed
// mode); 7 the second format as it stands; 8 and 9, while scaled display is on, the value in
// thousands or millions with 0 decimals and, for a finite value, "'" or "\"" after it (while it is off,
// 0 decimals unscaled); above 9 that many decimals, at most 15. A negative style counts as 0.
void FormatScaledNumber(String& text, double value, int32_t style);

// 0 for |value| < 5.2e-7, NaN and infinities; else the value.
double ZeroIfNegligible(double value);
// For decimals n = 0..6 (any other n but 7 counts as 0): 0 when |value| is below half a unit of the
// n-th decimal (0.5, 0.05 .. 5e-7), else the value unchanged; n = 7 gives the value. NaN and
// infinities give 0.
double RoundToDecimals(double value, int32_t n);
// Rounds to n decimals (0..6; n = 7 gives the value; any other n counts as 0), halves away from zero,
// so that sums of amounts show and compare exactly: the result is the double nearest to the decimal
// number. A value within a few units in the last place of a half counts as the half (1.005 is
// stored a little below the half it was typed as). NaN and infinities come back unchanged.
double RoundHalfAwayToDecimals(double value, int32_t n);
// 0 for NaN and magnitudes beyond 1e308; else the value.
double ZeroIfOutOfRange(double value);

// The tolerant reader of typed, imported and stored numbers; it never fails and reads exactly n
// bytes (no NUL needed). Digits make the integer part, then the fraction after "," or "."; with several
// of these only the last one is the decimal point (1.234.567 reads 1234.567, 1 234,5 reads 1234.5).
// "-" makes the number negative (or the exponent, after "E"/"e" following a digit). "I" or "i" ends
// the reading with an infinity of the sign read so far. Every other byte is skipped. No digit at all
// gives NaN.
double BytesToDouble(const char* bytes, int32_t n);
double BytesToDouble(std::string_view bytes);
double TextToDouble(const char* text);  // up to the NUL; null gives NaN

}  // namespace vek
