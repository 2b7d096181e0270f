// The number operations of String and of the C-string and length-byte string helpers. Every number is
// written by the cursor writers into a scratch buffer sized by their stated bounds, so that no writer
// can pass the end of a text whatever its digit count or separators.

#include "foundation/strings/String.h"

#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/numbers/NumberFormat.h"

namespace vek {

namespace {

// Room for the longest number text any writer here makes.
constexpr int32_t kScratchBytes = 128;
static_assert(kScratchBytes > kMaxDigitCount + 1 && kScratchBytes > kMaxNumberTextBytes
              && kScratchBytes > kMaxInt64GroupedTextBytes);

// A number's text in a scratch buffer.
class NumberText {
public:
    const char* Bytes() const { return buffer; }
    int32_t Length() const { return static_cast<int32_t>(cursor - buffer); }
    char*& Cursor() { return cursor; }

private:
    char buffer[kScratchBytes];
    char* cursor = buffer;
};

NumberText Int16Text(int16_t value)
{
    NumberText text;
    CursorPutInt16(text.Cursor(), value);
    return text;
}

NumberText Int16DigitsText(int16_t value, int32_t digits)
{
    NumberText text;
    CursorPutInt16Digits(text.Cursor(), value, ClampDigitCount(digits));
    return text;
}

NumberText IntText(int32_t value)
{
    NumberText text;
    CursorPutInt(text.Cursor(), value);
    return text;
}

NumberText IntDigitsText(int32_t value, int32_t digits)
{
    NumberText text;
    CursorPutIntDigits(text.Cursor(), value, ClampDigitCount(digits));
    return text;
}

NumberText Int64Text(int64_t value)
{
    NumberText text;
    CursorPutInt64(text.Cursor(), value);
    return text;
}

NumberText Int64DigitsText(int64_t value, int32_t digits)
{
    NumberText text;
    CursorPutInt64Digits(text.Cursor(), value, ClampDigitCount(digits));
    return text;
}

NumberText IntGroupedText(int32_t value, char16_t separator)
{
    NumberText text;
    CursorPutIntGrouped(text.Cursor(), value, separator);
    return text;
}

NumberText Int64GroupedText(int64_t value, char16_t separator)
{
    NumberText text;
    CursorPutInt64Grouped(text.Cursor(), value, separator);
    return text;
}

NumberText DoubleText(double value, const NumberFormat& format)
{
    NumberText text;
    CursorPutDouble(text.Cursor(), value, format);
    return text;
}

int32_t CopyOut(char* dst, const NumberText& text)
{
    std::memcpy(dst, text.Bytes(), static_cast<std::size_t>(text.Length()));
    dst[text.Length()] = 0;
    return text.Length();
}

}  // namespace

// Assigning: every number text fits the inline buffer, except very long digit counts, which take
// what the growth gives.

void String::AssignInt16(int16_t value)
{
    NumberText text = Int16Text(value);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignInt16Digits(int16_t value, int32_t digits)
{
    NumberText text = Int16DigitsText(value, digits);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignInt(int32_t value)
{
    NumberText text = IntText(value);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignIntDigits(int32_t value, int32_t digits)
{
    NumberText text = IntDigitsText(value, digits);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignInt64(int64_t value)
{
    NumberText text = Int64Text(value);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignInt64Digits(int64_t value, int32_t digits)
{
    NumberText text = Int64DigitsText(value, digits);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignIntGrouped(int32_t value, char16_t separator)
{
    NumberText text = IntGroupedText(value, separator);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignInt64Grouped(int64_t value, char16_t separator)
{
    NumberText text = Int64GroupedText(value, separator);
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignDouble(double value)
{
    NumberText text = DoubleText(value, MainNumberFormat());
    AssignBytes(text.Bytes(), text.Length());
}

void String::AssignDoubleFormat(double value, const NumberFormat& format)
{
    NumberText text = DoubleText(value, format);
    AssignBytes(text.Bytes(), text.Length());
}

// Appending: refusing, with the room each operation has always needed.

void String::AppendInt16(int16_t value)
{
    NumberText text = Int16Text(value);
    AppendRefusing(text.Bytes(), text.Length(), 12);
}

void String::AppendInt16Digits(int16_t value, int32_t digits)
{
    NumberText text = Int16DigitsText(value, digits);
    AppendRefusing(text.Bytes(), text.Length(), digits);
}

void String::AppendInt(int32_t value)
{
    NumberText text = IntText(value);
    AppendRefusing(text.Bytes(), text.Length(), 16);
}

void String::AppendIntDigits(int32_t value, int32_t digits)
{
    NumberText text = IntDigitsText(value, digits);
    AppendRefusing(text.Bytes(), text.Length(), digits);
}

void String::AppendInt64(int64_t value)
{
    NumberText text = Int64Text(value);
    AppendRefusing(text.Bytes(), text.Length(), 32);
}

void String::AppendInt64Digits(int64_t value, int32_t digits)
{
    NumberText text = Int64DigitsText(value, digits);
    AppendRefusing(text.Bytes(), text.Length(), digits);
}

void String::AppendDouble(double value)
{
    NumberText text = DoubleText(value, MainNumberFormat());
    AppendRefusing(text.Bytes(), text.Length(), 32);
}

void String::AppendDoubleFormat(double value, const NumberFormat& format)
{
    NumberText text = DoubleText(value, format);
    AppendRefusing(text.Bytes(), text.Length(), 32);
}

// Placeholders.

void String::SubstituteArgInt(int32_t argument, int32_t value)
{
    NumberText text = IntText(value);
    SubstituteArgBytes(argument, text.Bytes(), text.Length());
}

void String::SubstituteArgInt64(int32_t argument, int64_t value)
{
    NumberText text = Int64Text(value);
    SubstituteArgBytes(argument, text.Bytes(), text.Length());
}

void String::SubstituteArgDouble(int32_t argument, double value)
{
    NumberText text = DoubleText(value, MainNumberFormat());
    SubstituteArgBytes(argument, text.Bytes(), text.Length());
}

void String::SubstituteArgDoubleFormat(int32_t argument, double value, const NumberFormat& format)
{
    NumberText text = DoubleText(value, format);
    SubstituteArgBytes(argument, text.Bytes(), text.Length());
}

// C strings.

int32_t IntToCStr(char* dst, int32_t value)
{
    return CopyOut(dst, IntText(value));
}

int32_t IntDigitsToCStr(char* dst, int32_t value, int32_t digits)
{
    return CopyOut(dst, IntDigitsText(value, digits));
}

int32_t Int64ToCStr(char* dst, int64_t value)
{
    return CopyOut(dst, Int64Text(value));
}

int32_t Int64DigitsToCStr(char* dst, int64_t value, int32_t digits)
{
    return CopyOut(dst, Int64DigitsText(value, digits));
}

int32_t IntGroupedToCStr(char* dst, int32_t value, char16_t separator)
{
    return CopyOut(dst, IntGroupedText(value, separator));
}

int32_t Int64GroupedToCStr(char* dst, int64_t value, char16_t separator)
{
    return CopyOut(dst, Int64GroupedText(value, separator));
}

int32_t DoubleToCStr(char* dst, double value)
{
    return CopyOut(dst, DoubleText(value, MainNumberFormat()));
}

int32_t DoubleFormatToCStr(char* dst, double value, const NumberFormat& format)
{
    return CopyOut(dst, DoubleText(value, format));
}

// Length-byte strings.

void PStrFromInt(uint8_t* dst, int32_t value)
{
    NumberText text = IntText(value);
    PStrFromBytes(dst, text.Bytes(), text.Length());
}

void PStrFromIntDigits(uint8_t* dst, int32_t value, int32_t digits)
{
    NumberText text = IntDigitsText(value, digits);
    PStrFromBytes(dst, text.Bytes(), text.Length());
}

void PStrAppendInt(uint8_t* text, int32_t value)
{
    // 240 bytes and the longest integer (11 bytes) still fit.
    if (text[0] >= 241)
        return;
    NumberText number = IntText(value);
    PStrAppendBytes(text, number.Bytes(), number.Length());
}

void PStrAppendIntDigits(uint8_t* text, int32_t value, int32_t digits)
{
    NumberText number = IntDigitsText(value, digits);
    // The digits and a "-" before a negative value must fit whole.
    if (text[0] + number.Length() > kPStrMaxLength)
        return;
    PStrAppendBytes(text, number.Bytes(), number.Length());
}

}  // namespace vek
