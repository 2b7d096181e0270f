// BlockAllocator: the process-wide allocator of blocks that remember their size (MemAlloc, MemFree).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vek {

class String;

// The process-wide allocator behind every object, text and container. Small blocks (0 to 4096 bytes)
// come from size classes carved out of 32768-byte chunks and are recycled through one free list per
// class under one mutex; larger blocks come straight from the system heap. Every block remembers the
// exact size it was asked for, so any holder of a block pointer can ask for it (`MemBlockSize`).
//
// Block layout (p is the pointer handed out; p is always 16-byte aligned):
//
//   | bytes      | contents                                                     |
//   |------------|--------------------------------------------------------------|
//   | p-8 .. p-5 | requested size n, unsigned 32-bit, native order              |
//   | p-4 .. p-1 | not used (keeps p on a 16-byte boundary)                     |
//   | p .. p+n-1 | the caller's bytes                                           |
//
//   small, n <= 4096: from a chunk; the block takes n + 8 rounded up to 16 bytes (class (n + 7) / 16,
//                     257 classes of 16 .. 4112 bytes);
//   large, n > 4096:  from the system heap, n + 16 bytes (the header sits in the second 8 of them).
//
// A free small block is linked through its first 8 bytes (the header): they hold the address of the
// next free block of its class. Running out of memory is reported by results (null, false); the
// allocator raises no message.
class BlockAllocator {
public:
    static constexpr int32_t kSmallLimit = 4096;      // largest request served from a size class
    static constexpr int32_t kHeaderBytes = 8;         // header in front of a small block
    static constexpr int32_t kLargeHeaderBytes = 16;   // bytes in front of a large block
    static constexpr int32_t kChunkBytes = 32768;
    static constexpr int kSizeClassCount = 257;

    // Size class of a request of 0 .. 4096 bytes.
    static constexpr int SizeClassOf(int32_t n) { return (n + 7) / 16; }
    // Bytes that a block of class c takes from a chunk.
    static constexpr int32_t ClassBlockBytes(int c) { return 16 * (c + 1); }
    // Bytes that a request of 0 .. 4096 bytes takes from a chunk.
    static constexpr int32_t SizeClassBlockBytes(int32_t n) { return ClassBlockBytes(SizeClassOf(n)); }
};

// Allocates n bytes (contents undefined). n = 0 gives a valid block of size 0 that can be freed,
// resized and sized like any other; a negative n or a refused system request gives null. The flags
// are accepted and not acted on (containers pass their own through).
[[nodiscard]] void* MemAlloc(int32_t n, int32_t flags = 0);
// Returns a block to the allocator; null is ignored. Does not wipe.
void MemFree(void* block);
// The program's object-creation and deletion operators: MemAlloc with flags 0, and MemFree.
// A size beyond the 32-bit range gives null.
[[nodiscard]] void* MemNew(std::size_t n);
void MemDelete(void* block);

// The exact size that was asked for; 0 for null.
int32_t MemBlockSize(const void* block);
// Bytes the block really takes: 0 for null, its class block bytes when small, n + 16 when large.
int64_t MemBlockFootprint(const void* block);

// A new block of the same size holding a copy; null for null or when memory runs short.
[[nodiscard]] void* MemDuplicate(const void* block);
// A new block of n bytes holding a copy of source; null for n <= 0 or when memory runs short.
[[nodiscard]] void* MemAllocCopy(const void* source, int32_t n);
// Zero-fills the block's n bytes; null is ignored.
void MemWipe(void* block);

// The block utilities below work on a field that holds a block (or null).
//
// n > 0: the field receives a new block of n bytes that starts with min(old size, n) bytes of the old
// one, and the old block is freed (not wiped); returns true. When memory runs short, or n is negative,
// returns false and leaves the field and its block as they were. n = 0: wipes and frees the block,
// nulls the field, returns true.
[[nodiscard]] bool MemResize(void*& field, int32_t n, int32_t flags = 0);
// Source null: wipes, frees and nulls the field. A field block of the source's size is overwritten
// in place; otherwise the field receives a duplicate (null when memory runs short) and the old block
// is freed.
void MemSetFromBlock(void*& field, const void* source);
// n <= 0: wipes, frees and nulls the field. Otherwise the old block is freed and the field receives a
// copy of n bytes of source (null when memory runs short).
void MemSetFromBytes(void*& field, const void* source, int32_t n);

// Replaces the field's block by its "#LZ/" form: "#LZ/", the original length as 32-bit big-endian,
// then a stream of codes (a plain byte; 225 x a literal byte x; 226 L d a copy of L = 11..255 bytes
// from L + d back; b = 227..234 then d a copy of b - 224 bytes from L + d back). Level 0 looks back 255
// bytes, level 1 90 bytes, any other level 26 bytes. Null, or memory running short, leaves the field
// as it was. The block is replaced even when its "#LZ/" form is not shorter.
void MemCompressBlock(void*& field, int level);
// Replaces a "#LZ/" block by the data it stands for. Anything else (null, fewer than 8 bytes, no mark)
// is left alone, and so is a damaged block (a code cut short, a copy from before the start, output
// that differs from the stated length, a stated length the codes could never produce) or one whose
// expansion cannot be allocated: the field keeps the compressed block.
void MemExpandBlock(void*& field);

// Memory straight from the system heap, without a block header, for tables that keep their own pages.
// Null when refused (and while MemFailAllocationsAfter makes allocations fail). Release with
// SystemHeapFree; null is ignored.
[[nodiscard]] void* SystemHeapAlloc(std::size_t bytes);
void SystemHeapFree(void* block);
// The same for pages whose bytes must start at zero: the memory is zero when handed out (fresh from
// the system, not cleared a second time). Release with SystemHeapFreeZeroed and the same size.
[[nodiscard]] void* SystemHeapAllocZeroed(std::size_t bytes);
void SystemHeapFreeZeroed(void* block, std::size_t bytes);

// For tests of what callers do when memory runs short: after `count` more allocations succeed, every
// MemAlloc and SystemHeapAlloc returns null until this is called again; a negative count (the start
// state) ends it.
void MemFailAllocationsAfter(int32_t count);

// Appends the spare-memory line: "         spare: <KB> KB in <count> blocks\n", counting the blocks
// that wait on the free lists.
void AllocatorUsageText(String& text);

// The field utilities for fields of any pointer type.
template <typename T>
[[nodiscard]] bool MemResize(T*& field, int32_t n, int32_t flags = 0)
{
    void* block = const_cast<void*>(static_cast<const void*>(field));
    bool done = MemResize(block, n, flags);
    field = static_cast<T*>(block);
    return done;
}

template <typename T>
void MemSetFromBlock(T*& field, const void* source)
{
    void* block = const_cast<void*>(static_cast<const void*>(field));
    MemSetFromBlock(block, source);
    field = static_cast<T*>(block);
}

template <typename T>
void MemSetFromBytes(T*& field, const void* source, int32_t n)
{
    void* block = const_cast<void*>(static_cast<const void*>(field));
    MemSetFromBytes(block, source, n);
    field = static_cast<T*>(block);
}

template <typename T>
void MemCompressBlock(T*& field, int level)
{
    void* block = const_cast<void*>(static_cast<const void*>(field));
    MemCompressBlock(block, level);
    field = static_cast<T*>(block);
}

template <typename T>
void MemExpandBlock(T*& field)
{
    void* block = const_cast<void*>(static_cast<const void*>(field));
    MemExpandBlock(block);
    field = static_cast<T*>(block);
}

}  // namespace vek
