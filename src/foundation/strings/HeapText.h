// HeapText: the text field of records, one pointer to an allocator block or null.
#pragma once

#include <cstdint>

namespace vek {

class String;

// The text field of records: one pointer to an allocator block of exactly length + 1 bytes (the UTF-8
// text and its NUL), or null for no text. The length is not stored; it is the block size - 1
// (`MemBlockSize`). An empty text is never stored as a block: what would be one becomes null (the one
// exception is NewHeapTextChar of the byte 0).
using HeapText = char*;
using ConstHeapText = const char*;

// Text length from the block size; 0 for null.
int32_t HeapTextLength(ConstHeapText text);

// Creating. Each returns null when memory runs short.
[[nodiscard]] HeapText CopyHeapBlock(ConstHeapText block);  // same size, same bytes; null for null
[[nodiscard]] HeapText NewHeapText(const char* text);  // null for null or empty
[[nodiscard]] HeapText NewHeapTextFromBytes(const char* bytes, int32_t n);  // null for n <= 0
[[nodiscard]] HeapText NewHeapTextChar(char byte);  // a 2-byte block: the byte and a NUL

// Replacing a field. The old text is blanked before it is released wherever the new text is empty;
// a new text of the old length is copied over the old block in place. When memory runs short the field
// is left null (the old block was already released).
void SetHeapBlock(HeapText& field, ConstHeapText source);
void SetHeapTextFromString(HeapText& field, const String& text);
void SetHeapText(HeapText& field, const char* text);
void SetHeapTextFromBytes(HeapText& field, const char* bytes, int32_t n);
void SetHeapTextChar(HeapText& field, char byte);

// Overwrites every byte of the text with a blank (the NUL stays); null is ignored.
void BlankHeapText(HeapText text);

// Comparisons, results 1, 0 or -1. A null heap text equals the empty C string and is smaller than any
// other. Exact compares unsigned bytes; no case compares upper-cased characters. Key kind 4 compares
// exactly, every other kind without case.
int32_t CompareHeapText(ConstHeapText text, const char* other);
int32_t CompareHeapTextNoCase(ConstHeapText text, const char* other);
int32_t CompareHeapTextByKind(ConstHeapText text, const char* other, int32_t keyKind);
// Null before every text, the empty text included; else exact.
int32_t CompareTextsNullFirst(const char* a, const char* b);
// Null after every text; else without case.
int32_t CompareTextsNoCaseNullLast(const char* a, const char* b);

}  // namespace vek
