// String: the text value of the whole program, NUL-terminated UTF-8 with an inline buffer.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/strings/HeapText.h"

namespace vek {

struct NumberFormat;
class WideString;

// The text value of the whole program: NUL-terminated UTF-8 bytes. The first 111 bytes live inside the
// object, so short texts never touch the allocator; longer texts move to a heap buffer that only grows
// (until `WipeAndClear` or destruction).
//
// Growth is capped: a request for more than 32600 bytes is cut to 32600 (`kGrowthLimit`), and when the
// allocator fails the string keeps its buffer. What a lengthening operation does then is its class:
// - truncating operations keep what fits, cut at a character boundary (never inside a UTF-8
//   character of the text they add);
// - refusing operations leave the string unchanged.
// No operation raises a message. Positions, counts and lengths are byte counts. A position outside
// 0..Length() (or a negative count) never reads or writes outside the text: the operation is ignored,
// or the count is cut to the text, as each operation says.
//
// Invariants: CStr()[Length()] is 0; 0 <= Length() <= Capacity(); a heap buffer's capacity is its block
// size - 1.
class String {
public:
    static constexpr int32_t kInlineCapacity = 111;
    static constexpr int32_t kGrowthLimit = 32600;
    // The thousands separator argument that stands for the process-wide separator.
    static constexpr char16_t kDefaultSeparator = 0xFEFF;

    String();
    // Releases the heap buffer without wiping it (use WipeAndClear for secrets first).
    ~String();
    // Copies are made explicitly with Assign.
    String(const String&) = delete;
    String& operator=(const String&) = delete;

    int32_t Length() const { return length; }
    int32_t Capacity() const { return capacity; }
    bool IsEmpty() const { return length == 0; }
    bool HasHeapBuffer() const { return heap != nullptr; }
    const char* CStr() const { return data; }
    std::string_view View() const { return {data, size_t(length)}; }
    // For writing into the buffer directly (up to Capacity() bytes); finish with SetLength.
    char* Data() { return data; }

    // Makes room for a text of `wanted` bytes (cut to 32600); returns the length the caller may use:
    // min(wanted, 32600), or the current capacity when a new buffer cannot be had. A new buffer is a
    // block of (wanted + 127) rounded down to a multiple of 4 bytes.
    int32_t Reserve(int32_t wanted);

    // Assigning: the whole text is replaced; truncating.
    void Assign(const String& other);
    // Null gives the empty string; returns CStr().
    const char* AssignCStr(const char* text);
    void AssignBytes(const char* bytes, int32_t n);
    void AssignBytes(std::string_view text);
    void AssignHeapText(ConstHeapText text);  // null gives the empty string
    void AssignPascal(const uint8_t* text);    // first byte the length, then the bytes
    void AssignChar(char byte);
    void AssignRepeated(char byte, int32_t n);
    void AssignCodePoint(uint32_t codePoint);  // as 1 to 3 UTF-8 bytes
    // The UTF-16 text as UTF-8, cut after the last whole character that fits.
    void AssignWide(const WideString& text);

    // Numbers, written over the text through the cursor writers of NumberFormat.h. A digit count
    // gives exactly that many digits (a "-" before negatives); counts above 100 are taken as 100.
    void AssignInt16(int16_t value);
    void AssignInt16Digits(int16_t value, int32_t digits);
    void AssignInt(int32_t value);
    void AssignIntDigits(int32_t value, int32_t digits);
    void AssignInt64(int64_t value);
    void AssignInt64Digits(int64_t value, int32_t digits);
    void AssignIntGrouped(int32_t value, char16_t separator = kDefaultSeparator);
    void AssignInt64Grouped(int64_t value, char16_t separator = kDefaultSeparator);
    void AssignDouble(double value);  // the process-wide default NumberFormat
    void AssignDoubleFormat(double value, const NumberFormat& format);

    // Appending: truncating.
    void Append(const String& other);
    void AppendCStr(const char* text);  // null ignored
    void AppendBytes(const char* bytes, int32_t n);  // n < 1 ignored
    void AppendBytes(std::string_view text);
    void AppendHeapText(ConstHeapText text);  // null ignored
    void AppendPascal(const uint8_t* text);  // length 0 ignored
    void AppendRepeated(char byte, int32_t n);

    // Appending: refusing. Each needs room for the bytes named (or for the text it writes, if more).
    void AppendChar(char byte);  // 1 byte
    void AppendCodePoint(uint32_t codePoint);  // 3 bytes, whatever the code point's length
    void AppendInt16(int16_t value);  // 12 bytes
    void AppendInt16Digits(int16_t value, int32_t digits);  // the digits (and a "-")
    void AppendInt(int32_t value);  // 16 bytes
    void AppendIntDigits(int32_t value, int32_t digits);
    void AppendInt64(int64_t value);  // 32 bytes
    void AppendInt64Digits(int64_t value, int32_t digits);
    void AppendDouble(double value);  // 32 bytes
    void AppendDoubleFormat(double value, const NumberFormat& format);  // 32 bytes
    // 0..99 as exactly two digits; other values are taken modulo 100.
    void AppendTwoDigits(int32_t value);

    // Shortening and removing; these never grow.
    void Truncate(int32_t n);  // n < Length(): the text ends at n; negative n ignored
    // 0 <= n <= Capacity(): the text ends at n (also longer, after writing into Data()); else ignored.
    void SetLength(int32_t n);
    void RemoveAt(int32_t i);  // the byte at i, for 0 <= i < Length()
    // Removes k bytes at i; when i + k reaches the end, the text is cut at i. Ignored for i outside
    // 0..Length() - 1 or k < 0.
    void Delete(int32_t i, int32_t k);
    void DropLast();
    void TrimLeading(char byte = ' ');
    void TrimTrailing(char byte = ' ');
    void Trim(char byte = ' ');  // trailing, then leading
    void RemoveAll(char byte);
    // Removes every occurrence of the text, found without regard to case.
    void RemoveAllText(const char* text);
    // When Length() > limit: Length() - limit + 1 bytes at position are replaced by the marker, so that
    // limit - 1 bytes of the old text remain around it. The removed range is widened to whole
    // characters.
    void Abbreviate(int32_t limit, int32_t position, const char* marker);
    // Back to the freshly constructed state; every byte of the inline buffer and of the released heap
    // buffer is zero-filled first. For texts that held secrets.
    void WipeAndClear();

    // Inserting at byte position i, 0 <= i <= Length() (ignored otherwise).
    void Insert(int32_t i, const String& other);  // truncating
    void InsertCStr(int32_t i, const char* text);  // truncating; null ignored
    void InsertBytes(int32_t i, std::string_view text);  // truncating
    void InsertHeapText(int32_t i, ConstHeapText text);  // truncating; null ignored
    void InsertChar(int32_t i, char byte);  // refusing
    void InsertCodePoint(int32_t i, uint32_t codePoint);  // refusing; needs its exact length

    // Replacing count bytes at i (count cut to the text; ignored for i outside 0..Length());
    // refusing: nothing changes when the new length cannot be reached.
    void ReplaceRange(int32_t i, int32_t count, const char* text);  // null = empty
    void ReplaceRangeBytes(int32_t i, int32_t count, const char* bytes, int32_t m);
    void ReplaceRangeBytes(int32_t i, int32_t count, std::string_view text);
    void ReplaceRangeHeapText(int32_t i, int32_t count, ConstHeapText text);  // null = empty
    // Every occurrence of `find`, located without regard to case, by `replacement`; the search goes on
    // after the inserted text. An empty `find` changes nothing.
    void ReplaceAll(const char* find, const char* replacement);
    void ReplaceAllCodePoint(uint32_t from, uint32_t to);

    // Placeholders: every "@" followed by the digit `argument` is replaced by the value's text. After a
    // replacement the scan resumes one byte after the "@", so the inserted text is scanned too.
    void SubstituteArg(int32_t argument, const String& value);
    void SubstituteArgCStr(int32_t argument, const char* value);
    void SubstituteArgBytes(int32_t argument, const char* bytes, int32_t n);
    void SubstituteArgBytes(int32_t argument, std::string_view value);
    void SubstituteArgHeapText(int32_t argument, ConstHeapText value);
    void SubstituteArgPascal(int32_t argument, const uint8_t* value);
    void SubstituteArgInt(int32_t argument, int32_t value);
    void SubstituteArgInt64(int32_t argument, int64_t value);
    void SubstituteArgDouble(int32_t argument, double value);
    void SubstituteArgDoubleFormat(int32_t argument, double value, const NumberFormat& format);

    // Byte position of the first occurrence from `start` on, or -1 (also for start outside the text).
    int32_t Find(int32_t start, const char* text) const;
    int32_t FindNoCase(int32_t start, const char* text) const;

    // Fields of separated text; the cursor points into a C string and is advanced (null at the end).
    // TakeField: a null cursor gives the empty string and 0; otherwise the next field and 1 (so "a,b,"
    // yields a, b, an empty field, then 0).
    int32_t TakeField(const char*& cursor, char separator);
    // As TakeField, with blanks stripped from both ends and empty fields skipped; 0 when no non-empty
    // field is left.
    int32_t TakeTrimmedField(const char*& cursor, char separator);

    // Joins each letter followed by a combining mark (U+0300..U+033F) into its precomposed letter
    // where one exists (ComposeWithMark).
    void ComposeAccents();

    // A heap text of the string's text; null when the string is empty or memory runs short.
    [[nodiscard]] HeapText NewHeapText() const;

    // Members that belong to other areas of the library and are defined there (code pages, query
    // strings, identifiers). Encoding ids as in the encoding list of the code pages.
    void AssignCodePageText(const char* text, int32_t encoding);
    void ConvertFromCodePage(int32_t encoding);
    void AssignUtf8AsCodePage(const char* text, int32_t encoding);
    void ConvertToCodePage(int32_t encoding);
    void AppendPercentByte(uint8_t byte);
    void AppendQueryParam(const char* name, const char* value);
    void RemoveQueryParam(const char* name);
    void SetQueryParam(const char* name, const char* value);
    void RemoveQueryField(const char* name, const char* value);
    void TidyQuery();
    void EscapeUrlSpecials();
    void DecodeQueryValue();
    void DecodePercent();

private:
    // Length the text may take for a wanted length t: t itself when it fits, else Reserve(t).
    int32_t Room(int32_t wanted);
    // Truncating: replaces or extends the text from `at` with n bytes (which may not lie inside this
    // string's buffer).
    void PutTruncating(int32_t at, const char* bytes, int32_t n);
    // Refusing append of n bytes that needs room for max(n, needed) bytes.
    void AppendRefusing(const char* bytes, int32_t n, int32_t needed);
    // Truncating insert of k bytes at i.
    void InsertCStrBytes(int32_t i, const char* bytes, int32_t k);
    // ReplaceRangeBytes that reports whether it acted.
    bool ReplaceRangeChecked(int32_t i, int32_t count, const char* bytes, int32_t m);

    int32_t length = 0;
    int32_t capacity = kInlineCapacity;
    char* data;
    char* heap = nullptr;
    char inlineBuffer[kInlineCapacity + 1];
};

// 1 when any field of the list (taken by TakeTrimmedField with the separator) equals the item without
// regard to case, else 0.
int32_t ListContainsNoCase(const char* list, const char* item, char separator);

}  // namespace vek
