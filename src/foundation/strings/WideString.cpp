// WideString: room, assigning and appending UTF-16 text, never splitting a surrogate pair.
#include "foundation/strings/WideString.h"

#include <cstring>
#include <functional>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CharTables.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

namespace {

// Units to keep of n when only `room` fit: a surrogate pair is never split.
int32_t SafeUnitCut(const char16_t* units, int32_t n, int32_t room)
{
    if (room >= n)
        return n;
    if (room > 0 && utf8::IsHighSurrogate(units[room - 1]) && utf8::IsLowSurrogate(units[room]))
        return room - 1;
    return room;
}

}  // namespace

WideString::WideString() : data(inlineBuffer)
{
    inlineBuffer[0] = 0;
}

WideString::~WideString()
{
    MemFree(heap);
}

int32_t WideString::Reserve(int32_t wanted)
{
    if (wanted > kGrowthLimit)
        wanted = kGrowthLimit;
    if (wanted <= capacity)
        return wanted;
    int32_t units = (wanted + 31) & ~3;
    auto* block = static_cast<char16_t*>(MemAlloc(units * static_cast<int32_t>(sizeof(char16_t))));
    if (block == nullptr)
        return capacity;
    std::memcpy(block, data, (static_cast<std::size_t>(length) + 1) * sizeof(char16_t));
    MemFree(heap);
    heap = block;
    data = block;
    capacity = units - 1;
    return wanted;
}

void WideString::Assign(const WideString& other)
{
    if (&other == this)
        return;
    length = 0;
    data[0] = 0;
    Append(other);
}

void WideString::Append(const WideString& other)
{
    int32_t n = other.length;
    if (n <= 0)
        return;
    int64_t wanted = static_cast<int64_t>(length) + n;
    int32_t t = wanted > (1 << 30) ? (1 << 30) : static_cast<int32_t>(wanted);
    if (t > capacity)
        t = Reserve(t);
    const char16_t* source = other.data;  // read after growth: it moved if other is this string
    int32_t count = SafeUnitCut(source, n, t - length);
    if (count <= 0)
        return;
    std::memmove(data + length, source, static_cast<std::size_t>(count) * sizeof(char16_t));
    length += count;
    data[length] = 0;
}

void WideString::AssignUtf8(const char* text)
{
    length = 0;
    data[0] = 0;
    AppendUtf8(text);
}

void WideString::AssignUtf8Bytes(const char* bytes, int32_t n)
{
    length = 0;
    data[0] = 0;
    if (bytes != nullptr && n > 0)
        AppendUtf8Bytes(bytes, n);
}

void WideString::AppendUtf8(const char* text)
{
    if (text != nullptr)
        AppendUtf8Bytes(text, static_cast<int32_t>(std::strlen(text)));
}

// Each character becomes one unit (bad bytes and characters beyond U+FFFF become U+FFFD); the text
// ends at its first NUL.
void WideString::AppendUtf8Bytes(const char* bytes, int32_t n)
{
    const auto* begin = reinterpret_cast<const uint8_t*>(bytes);
    const uint8_t* end = begin + n;
    int64_t characters = 0;
    for (const uint8_t* p = begin; p < end && *p != 0; p += utf8::Decode(p, end).length)
        ++characters;
    if (characters == 0)
        return;
    int64_t wanted = length + characters;
    int32_t t = wanted > (1 << 30) ? (1 << 30) : static_cast<int32_t>(wanted);
    if (t > capacity)
        t = Reserve(t);
    for (const uint8_t* p = begin; p < end && *p != 0 && length < t;) {
        utf8::Sequence sequence = utf8::Decode(p, end);
        data[length++] = static_cast<char16_t>(sequence.codePoint);
        p += sequence.length;
    }
    data[length] = 0;
}

void WideString::AppendUnit(char16_t unit)
{
    int32_t t = length + 1;
    if (t > capacity && Reserve(t) < t)
        return;
    data[length++] = unit;
    data[length] = 0;
}

void WideString::RemoveAt(int32_t i)
{
    if (i < 0 || i >= length)
        return;
    std::memmove(data + i, data + i + 1, static_cast<std::size_t>(length - i) * sizeof(char16_t));
    --length;
}

void WideString::ComposeAccents()
{
    for (int32_t i = 0; i + 1 < length; ++i) {
        uint32_t composed = ComposeWithMark(data[i], data[i + 1]);
        if (composed != 0) {
            data[i] = static_cast<char16_t>(composed);
            RemoveAt(i + 1);
        }
    }
}

}  // namespace vek
