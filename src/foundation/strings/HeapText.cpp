// HeapText: making, copying, setting and releasing the text fields of records.
#include "foundation/strings/HeapText.h"

#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

void BlankAndRelease(HeapText& field)
{
    BlankHeapText(field);
    MemFree(field);
    field = nullptr;
}

// The common rule of the setters for a new text of n > 0 bytes: copied over an old block of the same
// length, else into a new block (the old one is released after the copy, so the source may lie in it).
void ReplaceWithBytes(HeapText& field, const char* bytes, int32_t n)
{
    if (field != nullptr && HeapTextLength(field) == n) {
        std::memmove(field, bytes, static_cast<std::size_t>(n));
        field[n] = 0;
        return;
    }
    HeapText fresh = NewHeapTextFromBytes(bytes, n);
    MemFree(field);
    field = fresh;
}

}  // namespace

int32_t HeapTextLength(ConstHeapText text)
{
    if (text == nullptr)
        return 0;
    int32_t size = MemBlockSize(text);
    return size > 0 ? size - 1 : 0;
}

HeapText CopyHeapBlock(ConstHeapText block)
{
    return static_cast<HeapText>(MemDuplicate(block));
}

HeapText NewHeapText(const char* text)
{
    if (text == nullptr || *text == 0)
        return nullptr;
    return NewHeapTextFromBytes(text, CStrLength(text));
}

HeapText NewHeapTextFromBytes(const char* bytes, int32_t n)
{
    if (bytes == nullptr || n <= 0 || n > INT32_MAX - 1)
        return nullptr;
    HeapText text = static_cast<HeapText>(MemAlloc(n + 1));
    if (text == nullptr)
        return nullptr;
    std::memcpy(text, bytes, static_cast<std::size_t>(n));
    text[n] = 0;
    return text;
}

HeapText NewHeapTextChar(char byte)
{
    HeapText text = static_cast<HeapText>(MemAlloc(2));
    if (text == nullptr)
        return nullptr;
    text[0] = byte;
    text[1] = 0;
    return text;
}

void SetHeapBlock(HeapText& field, ConstHeapText source)
{
    if (source == nullptr) {
        BlankAndRelease(field);
        return;
    }
    if (field != nullptr && MemBlockSize(field) == MemBlockSize(source)) {
        std::memmove(field, source, static_cast<std::size_t>(MemBlockSize(source)));
        return;
    }
    HeapText fresh = CopyHeapBlock(source);
    MemFree(field);
    field = fresh;
}

void SetHeapTextFromString(HeapText& field, const String& text)
{
    if (text.IsEmpty())
        BlankAndRelease(field);
    else
        ReplaceWithBytes(field, text.CStr(), text.Length());
}

void SetHeapText(HeapText& field, const char* text)
{
    if (text == nullptr || *text == 0)
        BlankAndRelease(field);
    else
        ReplaceWithBytes(field, text, CStrLength(text));
}

void SetHeapTextFromBytes(HeapText& field, const char* bytes, int32_t n)
{
    if (bytes == nullptr || n <= 0)
        BlankAndRelease(field);
    else
        ReplaceWithBytes(field, bytes, n);
}

void SetHeapTextChar(HeapText& field, char byte)
{
    if (field != nullptr && MemBlockSize(field) == 2) {
        field[0] = byte;
        return;
    }
    MemFree(field);
    field = NewHeapTextChar(byte);
}

void BlankHeapText(HeapText text)
{
    if (text != nullptr)
        std::memset(text, ' ', static_cast<std::size_t>(HeapTextLength(text)));
}

int32_t CompareHeapText(ConstHeapText text, const char* other)
{
    if (other == nullptr)
        other = "";
    if (text == nullptr)
        return *other == 0 ? 0 : -1;
    return CStrCompare(text, other);
}

int32_t CompareHeapTextNoCase(ConstHeapText text, const char* other)
{
    if (other == nullptr)
        other = "";
    if (text == nullptr)
        return *other == 0 ? 0 : -1;
    return CStrCompareNoCase(text, other);
}

int32_t CompareHeapTextByKind(ConstHeapText text, const char* other, int32_t keyKind)
{
    return keyKind == kKeyKindExact ? CompareHeapText(text, other) : CompareHeapTextNoCase(text, other);
}

int32_t CompareTextsNullFirst(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    return CStrCompare(a, b);
}

int32_t CompareTextsNoCaseNullLast(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? 1 : -1);
    return CStrCompareNoCase(a, b);
}

}  // namespace vek
