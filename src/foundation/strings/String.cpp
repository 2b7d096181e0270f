// String: room, assigning, appending, inserting and searching in the program's text value.
#include "foundation/strings/String.h"

#include <cstring>
#include <functional>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CharTables.h"
#include "foundation/strings/TextView.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/Utf8Sequence.h"
#include "foundation/strings/WideString.h"

namespace vek {

namespace {

constexpr int32_t kMaxCodePointBytes = 3;
// Wanted lengths are computed in 64 bits and held below this bound, far above every buffer, so that
// they stay comparable with the capacity without overflowing.
constexpr int64_t kWantedBound = 1 << 30;

int32_t BoundedSum(int64_t wanted)
{
    return wanted > kWantedBound ? static_cast<int32_t>(kWantedBound) : static_cast<int32_t>(wanted);
}

void MoveBytes(char* to, const char* from, int32_t n)
{
    if (n > 0)
        std::memmove(to, from, static_cast<std::size_t>(n));
}

}  // namespace

String::String() : data(inlineBuffer)
{
    inlineBuffer[0] = 0;
}

String::~String()
{
    MemFree(heap);
}

int32_t String::Reserve(int32_t wanted)
{
    if (wanted > kGrowthLimit)
        wanted = kGrowthLimit;
    if (wanted <= capacity)
        return wanted;
    // Headroom of 123 to 126 bytes, so that a run of small appends reallocates rarely.
    int32_t blockSize = (wanted + 127) & ~3;
    char* block = static_cast<char*>(MemAlloc(blockSize));
    if (block == nullptr)
        return capacity;
    std::memcpy(block, data, static_cast<std::size_t>(length) + 1);
    MemFree(heap);
    heap = block;
    data = block;
    capacity = blockSize - 1;
    return wanted;
}

int32_t String::Room(int32_t wanted)
{
    return wanted <= capacity ? wanted : Reserve(wanted);
}

// Growth may move the text, and a caller may pass bytes of this very string: such a source is found
// again by its offset after Reserve.
void String::PutTruncating(int32_t at, const char* bytes, int32_t n)
{
    if (n < 0)
        n = 0;
    std::less_equal<const char*> notAfter;
    bool inside = n > 0 && notAfter(data, bytes) && notAfter(bytes, data + capacity);
    std::ptrdiff_t offset = inside ? bytes - data : 0;
    int32_t t = BoundedSum(static_cast<int64_t>(at) + n);
    if (t > capacity)
        t = Reserve(t);
    if (inside)
        bytes = data + offset;
    if (t < at) {
        // The text was already longer than the cap allows: it is cut there (between characters).
        length = Utf8SafeCut(data, length, t);
        data[length] = 0;
        return;
    }
    int32_t count = t - at;
    if (count < n)
        count = Utf8SafeCut(bytes, n, count);
    else
        count = n;
    MoveBytes(data + at, bytes, count);
    length = at + count;
    data[length] = 0;
}

void String::AppendRefusing(const char* bytes, int32_t n, int32_t needed)
{
    int32_t t = BoundedSum(static_cast<int64_t>(length) + (n > needed ? n : needed));
    if (Room(t) < t)
        return;
    MoveBytes(data + length, bytes, n);
    length += n;
    data[length] = 0;
}

// Assigning.

void String::Assign(const String& other)
{
    if (&other != this)
        PutTruncating(0, other.data, other.length);
}

const char* String::AssignCStr(const char* text)
{
    if (text == nullptr)
        text = "";
    PutTruncating(0, text, CStrLength(text));
    return data;
}

void String::AssignBytes(const char* bytes, int32_t n)
{
    PutTruncating(0, bytes, bytes == nullptr ? 0 : n);
}

void String::AssignBytes(std::string_view text)
{
    AssignBytes(text.data(), ViewLength(text));
}

void String::AssignHeapText(ConstHeapText text)
{
    PutTruncating(0, text, HeapTextLength(text));
}

void String::AssignPascal(const uint8_t* text)
{
    if (text == nullptr)
        PutTruncating(0, nullptr, 0);
    else
        PutTruncating(0, reinterpret_cast<const char*>(text + 1), text[0]);
}

void String::AssignChar(char byte)
{
    data[0] = byte;
    data[1] = 0;
    length = 1;
}

void String::AssignRepeated(char byte, int32_t n)
{
    length = 0;
    data[0] = 0;
    AppendRepeated(byte, n);
}

void String::AssignCodePoint(uint32_t codePoint)
{
    char bytes[kMaxCodePointBytes];
    PutTruncating(0, bytes, Utf8EncodeChar(bytes, codePoint));
}

void String::AssignWide(const WideString& text)
{
    const char16_t* units = text.Units();
    int32_t t = Room(Utf16Utf8Length(units));
    int32_t out = 0;
    int32_t i = 0;
    while (i < text.Length()) {
        uint32_t unit = units[i++];
        if (utf8::IsHighSurrogate(unit) && i < text.Length() && utf8::IsLowSurrogate(units[i]))
            ++i;
        char bytes[kMaxCodePointBytes];
        int32_t n = Utf8EncodeChar(bytes, unit);
        if (out + n > t)
            break;
        std::memcpy(data + out, bytes, static_cast<std::size_t>(n));
        out += n;
    }
    length = out;
    data[length] = 0;
}

// Appending.

void String::Append(const String& other)
{
    PutTruncating(length, other.data, other.length);
}

void String::AppendCStr(const char* text)
{
    if (text != nullptr)
        PutTruncating(length, text, CStrLength(text));
}

void String::AppendBytes(const char* bytes, int32_t n)
{
    if (bytes != nullptr && n >= 1)
        PutTruncating(length, bytes, n);
}

void String::AppendBytes(std::string_view text)
{
    AppendBytes(text.data(), ViewLength(text));
}

void String::AppendHeapText(ConstHeapText text)
{
    if (text != nullptr)
        PutTruncating(length, text, HeapTextLength(text));
}

void String::AppendPascal(const uint8_t* text)
{
    if (text != nullptr && text[0] != 0)
        PutTruncating(length, reinterpret_cast<const char*>(text + 1), text[0]);
}

void String::AppendRepeated(char byte, int32_t n)
{
    if (n < 1)
        return;
    int32_t t = BoundedSum(static_cast<int64_t>(length) + n);
    if (t > capacity)
        t = Reserve(t);
    if (t < length) {
        length = Utf8SafeCut(data, length, t);
    } else {
        std::memset(data + length, byte, static_cast<std::size_t>(t - length));
        length = t;
    }
    data[length] = 0;
}

void String::AppendChar(char byte)
{
    AppendRefusing(&byte, 1, 1);
}

void String::AppendCodePoint(uint32_t codePoint)
{
    char bytes[kMaxCodePointBytes];
    AppendRefusing(bytes, Utf8EncodeChar(bytes, codePoint), kMaxCodePointBytes);
}

void String::AppendTwoDigits(int32_t value)
{
    value %= 100;
    if (value < 0)
        value += 100;
    char digits[2] = {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
    AppendRefusing(digits, 2, 2);
}

// Shortening and removing.

void String::Truncate(int32_t n)
{
    if (n >= 0 && n < length) {
        length = n;
        data[length] = 0;
    }
}

void String::SetLength(int32_t n)
{
    if (n >= 0 && n <= capacity) {
        length = n;
        data[length] = 0;
    }
}

void String::RemoveAt(int32_t i)
{
    if (i < 0 || i >= length)
        return;
    MoveBytes(data + i, data + i + 1, length - i);  // the tail and its NUL
    --length;
}

void String::Delete(int32_t i, int32_t k)
{
    if (i < 0 || i > length || k < 0)
        return;
    if (static_cast<int64_t>(i) + k < length) {
        MoveBytes(data + i, data + i + k, length - i - k + 1);
        length -= k;
    } else {
        length = i;
        data[length] = 0;
    }
}

void String::DropLast()
{
    if (length > 0)
        data[--length] = 0;
}

void String::TrimLeading(char byte)
{
    int32_t skip = 0;
    while (skip < length && data[skip] == byte)
        ++skip;
    if (skip > 0) {
        MoveBytes(data, data + skip, length - skip + 1);
        length -= skip;
    }
}

void String::TrimTrailing(char byte)
{
    while (length > 0 && data[length - 1] == byte)
        --length;
    data[length] = 0;
}

void String::Trim(char byte)
{
    TrimTrailing(byte);
    TrimLeading(byte);
}

void String::RemoveAll(char byte)
{
    int32_t w = 0;
    for (int32_t r = 0; r < length; ++r) {
        if (data[r] != byte)
            data[w++] = data[r];
    }
    length = w;
    data[length] = 0;
}

void String::RemoveAllText(const char* text)
{
    ReplaceAll(text, "");
}

void String::Abbreviate(int32_t limit, int32_t position, const char* marker)
{
    if (length <= limit)
        return;
    int64_t count = static_cast<int64_t>(length) - limit + 1;
    if (position < 0)
        position = 0;
    if (position > length)
        position = length;
    int32_t start = Utf8SafeCut(data, length, position);
    int32_t end = count >= length - start ? length : start + static_cast<int32_t>(count);
    end = Utf8BoundaryAfter(data, length, end);
    ReplaceRange(start, end - start, marker);
}

void String::WipeAndClear()
{
    std::memset(inlineBuffer, 0, sizeof inlineBuffer);
    if (heap != nullptr) {
        std::memset(heap, 0, static_cast<std::size_t>(MemBlockSize(heap)));
        MemFree(heap);
        heap = nullptr;
    }
    data = inlineBuffer;
    capacity = kInlineCapacity;
    length = 0;
}

// Inserting.

namespace {

bool PointsInto(const char* bytes, const char* buffer, int32_t size)
{
    std::less_equal<const char*> notAfter;
    return bytes != nullptr && notAfter(buffer, bytes) && notAfter(bytes, buffer + size);
}

}  // namespace

void String::Insert(int32_t i, const String& other)
{
    if (&other == this) {
        String copy;
        copy.Assign(other);
        Insert(i, copy);
        return;
    }
    InsertCStrBytes(i, other.data, other.length);
}

void String::InsertCStr(int32_t i, const char* text)
{
    if (text != nullptr)
        InsertCStrBytes(i, text, CStrLength(text));
}

void String::InsertBytes(int32_t i, std::string_view text)
{
    InsertCStrBytes(i, text.data(), ViewLength(text));
}

void String::InsertHeapText(int32_t i, ConstHeapText text)
{
    if (text != nullptr)
        InsertCStrBytes(i, text, HeapTextLength(text));
}

void String::InsertCStrBytes(int32_t i, const char* bytes, int32_t k)
{
    if (i < 0 || i > length || k <= 0)
        return;
    if (PointsInto(bytes, data, capacity)) {
        String copy;
        copy.AssignBytes(bytes, k);
        InsertCStrBytes(i, copy.data, copy.length);
        return;
    }
    int32_t t = BoundedSum(static_cast<int64_t>(length) + k);
    if (t > capacity)
        t = Reserve(t);
    int32_t placed = t - length;
    if (placed <= 0)
        return;
    if (placed < k)
        placed = Utf8SafeCut(bytes, k, placed);
    MoveBytes(data + i + placed, data + i, length - i + 1);
    std::memcpy(data + i, bytes, static_cast<std::size_t>(placed));
    length += placed;
}

void String::InsertChar(int32_t i, char byte)
{
    ReplaceRangeBytes(i, 0, &byte, 1);
}

void String::InsertCodePoint(int32_t i, uint32_t codePoint)
{
    char bytes[kMaxCodePointBytes];
    ReplaceRangeBytes(i, 0, bytes, Utf8EncodeChar(bytes, codePoint));
}

// Replacing.

void String::ReplaceRange(int32_t i, int32_t count, const char* text)
{
    ReplaceRangeBytes(i, count, text, text == nullptr ? 0 : CStrLength(text));
}

void String::ReplaceRangeHeapText(int32_t i, int32_t count, ConstHeapText text)
{
    ReplaceRangeBytes(i, count, text, HeapTextLength(text));
}

void String::ReplaceRangeBytes(int32_t i, int32_t count, const char* bytes, int32_t m)
{
    (void)ReplaceRangeChecked(i, count, bytes, m);
}

void String::ReplaceRangeBytes(int32_t i, int32_t count, std::string_view text)
{
    (void)ReplaceRangeChecked(i, count, text.data(), ViewLength(text));
}

bool String::ReplaceRangeChecked(int32_t i, int32_t count, const char* bytes, int32_t m)
{
    if (i < 0 || i > length)
        return false;
    if (count < 0)
        count = 0;
    if (count > length - i)
        count = length - i;
    if (bytes == nullptr || m < 0)
        m = 0;
    if (m > 0 && PointsInto(bytes, data, capacity)) {
        String copy;
        copy.AssignBytes(bytes, m);
        if (copy.length < m)
            return false;
        return ReplaceRangeChecked(i, count, copy.data, m);
    }
    int32_t t = BoundedSum(static_cast<int64_t>(length) - count + m);
    if (t > capacity && Reserve(t) < t)
        return false;
    if (m != count) {
        MoveBytes(data + i + m, data + i + count, length - i - count + 1);
        length = t;
    }
    MoveBytes(data + i, bytes, m);
    return true;
}

void String::ReplaceAll(const char* find, const char* replacement)
{
    if (find == nullptr || *find == 0)
        return;
    if (replacement == nullptr)
        replacement = "";
    int32_t replacementLength = CStrLength(replacement);
    int32_t position = 0;
    for (;;) {
        int32_t matchLength = 0;
        position = CStrFindNoCaseFrom(data, length, position, find, &matchLength);
        if (position < 0)
            return;
        // Every further replacement would need the same room: stop at the first refusal.
        if (!ReplaceRangeChecked(position, matchLength, replacement, replacementLength))
            return;
        position += replacementLength;
    }
}

void String::ReplaceAllCodePoint(uint32_t from, uint32_t to)
{
    char find[kMaxCodePointBytes + 1];
    char replacement[kMaxCodePointBytes + 1];
    CodePointToCStr(find, from);
    CodePointToCStr(replacement, to);
    ReplaceAll(find, replacement);
}

// Placeholders.

void String::SubstituteArgBytes(int32_t argument, std::string_view value)
{
    SubstituteArgBytes(argument, value.data(), ViewLength(value));
}

void String::SubstituteArgBytes(int32_t argument, const char* bytes, int32_t n)
{
    if (argument < 0 || argument > 9)
        return;
    if (PointsInto(bytes, data, capacity)) {
        String copy;
        copy.AssignBytes(bytes, n);
        SubstituteArgBytes(argument, copy.data, copy.length);
        return;
    }
    char digit = static_cast<char>('0' + argument);
    for (int32_t i = 0; i + 1 < length; ++i) {
        if (data[i] == '@' && data[i + 1] == digit)
            ReplaceRangeBytes(i, 2, bytes, n);
    }
}

void String::SubstituteArg(int32_t argument, const String& value)
{
    SubstituteArgBytes(argument, value.data, value.length);
}

void String::SubstituteArgCStr(int32_t argument, const char* value)
{
    SubstituteArgBytes(argument, value, value == nullptr ? 0 : CStrLength(value));
}

void String::SubstituteArgHeapText(int32_t argument, ConstHeapText value)
{
    SubstituteArgBytes(argument, value, HeapTextLength(value));
}

void String::SubstituteArgPascal(int32_t argument, const uint8_t* value)
{
    if (value == nullptr)
        SubstituteArgBytes(argument, "", 0);
    else
        SubstituteArgBytes(argument, reinterpret_cast<const char*>(value + 1), value[0]);
}

// Searching.

int32_t String::Find(int32_t start, const char* text) const
{
    if (start < 0 || start >= length || text == nullptr)
        return -1;
    int32_t found = CStrFindInBytes(data + start, length - start, text);
    return found < 0 ? -1 : start + found;
}

int32_t String::FindNoCase(int32_t start, const char* text) const
{
    if (text == nullptr)
        return -1;
    return CStrFindNoCaseFrom(data, length, start, text, nullptr);
}

// Fields.

int32_t String::TakeField(const char*& cursor, char separator)
{
    if (cursor == nullptr) {
        AssignCStr("");
        return 0;
    }
    const char* p = cursor;
    while (*p != 0 && *p != separator)
        ++p;
    AssignBytes(cursor, static_cast<int32_t>(p - cursor));
    cursor = *p != 0 ? p + 1 : nullptr;
    return 1;
}

int32_t String::TakeTrimmedField(const char*& cursor, char separator)
{
    if (cursor == nullptr || *cursor == 0) {
        AssignCStr("");
        return 0;
    }
    for (;;) {
        TakeField(cursor, separator);
        Trim(' ');
        if (length > 0)
            return 1;
        if (cursor == nullptr || *cursor == 0)
            return 0;
    }
}

int32_t ListContainsNoCase(const char* list, const char* item, char separator)
{
    if (list == nullptr)
        return 0;
    if (item == nullptr)
        item = "";
    String field;
    const char* cursor = list;
    while (field.TakeTrimmedField(cursor, separator) != 0) {
        if (CStrEqualNoCase(field.CStr(), item) != 0)
            return 1;
    }
    return 0;
}

// Accents.

void String::ComposeAccents()
{
    // Combining marks U+0300..U+033F all begin with the byte 0xCC.
    int32_t mark = -1;
    for (int32_t i = 1; i < length; ++i) {
        if (static_cast<uint8_t>(data[i]) == 0xCC) {
            mark = i;
            break;
        }
    }
    if (mark < 0)
        return;
    const char* before = data + mark;
    Utf8PrevChar(before, data);
    int32_t r = static_cast<int32_t>(before - data);
    int32_t w = r;
    const char* end = data + length;
    while (r < length) {
        const char* p = data + r;
        uint32_t c = Utf8NextCharIn(p, end);
        int32_t charLength = static_cast<int32_t>(p - (data + r));
        uint32_t composed = 0;
        int32_t markLength = 0;
        if (p < end) {
            const char* q = p;
            composed = ComposeWithMark(c, Utf8NextCharIn(q, end));
            markLength = static_cast<int32_t>(q - p);
        }
        if (composed != 0) {
            w += Utf8EncodeChar(data + w, composed);
            r += charLength + markLength;
        } else {
            MoveBytes(data + w, data + r, charLength);
            w += charLength;
            r += charLength;
        }
    }
    length = w;
    data[length] = 0;
}

HeapText String::NewHeapText() const
{
    return NewHeapTextFromBytes(data, length);
}

}  // namespace vek
