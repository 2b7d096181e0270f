// StringPool: a numbered table of texts kept in one shared buffer.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"
#include "foundation/memory/PackedArray.h"

namespace vek {

// A numbered table of texts kept in one shared buffer. Entry i holds an offset into the buffer
// (0 for no text) in a PackedArray, so many short texts cost a few bits per entry plus their bytes.
//
// Buffer layout (one allocator block of capacity + 1 bytes):
//
//   | offset          | contents                                                          |
//   |-----------------|-------------------------------------------------------------------|
//   | 0               | NUL: offset 0 reads as the empty text and means "no text"         |
//   | 1 .. end - 1    | texts, each followed by its NUL; dead (zero-filled) bytes between |
//   | end             | the letter "x", which ends every run of zero bytes                |
//
// Removed, shortened and moved texts leave dead bytes behind, always zero-filled, so a text can grow
// in place into the dead bytes that directly follow it. Dead bytes are reclaimed by compaction when
// the buffer must grow and at least 64 of them exist. Stored texts never contain a NUL: a text is
// taken up to its first NUL byte. No operation raises a message; running out of memory is reported
// by results, and the pool keeps its texts.
class StringPool {
public:
    explicit StringPool(int32_t count = 0, int32_t flags = 0);
    ~StringPool();
    StringPool(const StringPool&) = delete;
    StringPool& operator=(const StringPool&) = delete;

    // Releases the buffer and the offsets; the pool then has no entries.
    void Free();
    // The offsets' memory + the buffer capacity + 44 (the record of the pool itself).
    int64_t MemorySize() const;

    int32_t Count() const { return offsets.Count(); }
    // Entries from the old count up to n are empty; texts of entries beyond n are removed.
    [[nodiscard]] bool SetCount(int32_t n);

    // The text of entry i, or null for no text (and for i outside 0..Count() - 1).
    const char* Get(int32_t i) const;

    // Stores n bytes (up to their first NUL) as the text of entry i; n = 0 removes it. False when the
    // buffer cannot grow: the entry is then left without a text if its old text had to move (and
    // keeps it otherwise), and every other entry keeps its text. An index outside the entries is
    // ignored (false).
    [[nodiscard]] bool SetBytes(int32_t i, const char* text, int32_t n);
    // Null or empty removes the entry's text.
    [[nodiscard]] bool SetCStr(int32_t i, const char* text);
    [[nodiscard]] bool SetHeapText(int32_t i, ConstHeapText text);
    // Zero-fills the entry's text and leaves the entry empty.
    void Remove(int32_t i);

    // Makes the buffer hold a capacity of k bytes when k exceeds the live bytes: the live texts move
    // into a new buffer, compacted when 64 or more dead bytes exist (or when the old layout would not
    // fit). False, with the texts where they were, when memory runs short.
    [[nodiscard]] bool Reserve(int32_t k);
    // Grows the buffer to the next power of two (less 16, at least 4080) above the used bytes plus
    // `need` plus 100; true when afterwards more than `need` bytes are free at the end.
    [[nodiscard]] bool Grow(int32_t need);
    // Becomes a copy of the other pool (compacted when the other holds 64 or more dead bytes). False
    // when memory runs short: the pool is then empty.
    [[nodiscard]] bool Assign(const StringPool& other);
    // CStrChangeCase (mode 0..3) on every text, in place; other modes do nothing.
    void ChangeCase(int32_t mode);

    // For tests and size reports.
    int32_t Capacity() const { return buffer == nullptr ? 0 : int32_t(limit - buffer); }
    int32_t UsedBytes() const { return buffer == nullptr ? 0 : int32_t(end - buffer); }
    int32_t DeadBytes() const { return dead; }
    int32_t OffsetOf(int32_t i) const { return int32_t(offsets.Get(i)); }

private:
    // Writes n bytes over or after the entry's present text when there is room; true when done.
    // Otherwise the old text is zero-filled, the entry emptied, and false.
    bool ReplaceInPlace(int32_t i, const char* text, int32_t n);
    // Bytes of live texts with their NULs (what a compacted buffer needs after offset 0).
    int32_t LiveBytes() const;

    PackedArray offsets;
    char* buffer = nullptr;
    char* end = nullptr;
    char* limit = nullptr;
    int32_t dead = 0;
    int32_t flags;
};

}  // namespace vek
