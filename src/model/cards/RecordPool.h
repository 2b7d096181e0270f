#pragma once

#include <cstdint>

#include "foundation/memory/PagedArray.h"

namespace vek {

// The "none" value of every 32-bit record link (pool index) of the base.
constexpr uint32_t kNoRecord = 0xFFFFFFFFu;

// A pool of fixed-size records of one kind (components, cards, groups, lines) in a PagedArray, so
// that a record never moves while the pool keeps its element size and is named by its pool index.
// Every record starts with two 32-bit words: its own pool index and a link to the next record, which
// on the free list is the next free record. Freed records are reused before the pool grows.
//
// `documentedSize` is the record size that memory reports count (the stored element may be larger
// on a 64-bit machine because of its text pointers).
class RecordPool {
public:
    RecordPool(int32_t elementSize, int32_t documentedSize);
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;

    // Elements ever made (live and free); the next new record gets this index.
    int32_t ElementCount() const { return elements.Count(); }
    int32_t LiveCount() const { return liveCount; }
    int32_t FreeCount() const { return freeCount; }
    uint32_t FreeHead() const { return freeHead; }
    int32_t ElementSize() const { return elements.ElementSize(); }
    int32_t DocumentedSize() const { return documentedSize; }
    void SetDocumentedSize(int32_t size) { documentedSize = size; }

    // The record at a pool index; null for kNoRecord or an index outside the pool.
    void* At(uint32_t index) const
    {
        return index == kNoRecord ? nullptr : const_cast<PagedArray&>(elements).At(int32_t(index));
    }
    template <typename T>
    T* Get(uint32_t index) const { return static_cast<T*>(At(index)); }

    // The head of the free list, else a new element at the end; the record is zeroed except for its
    // index word, and its link word is kNoRecord. Null (nothing changed) when the pool cannot grow.
    [[nodiscard]] void* Alloc();
    // The element that the next Alloc would make when the free list is empty (its index).
    uint32_t NextNewIndex() const { return uint32_t(elements.Count()); }
    // Puts the record on the free list; an index outside the pool or kNoRecord is ignored.
    void Free(uint32_t index);

    // Bytes that memory reports count for the elements ever made.
    int64_t DocumentedBytes() const { return int64_t(ElementCount()) * documentedSize; }
    // The storage itself, for the operations that change the shape of every record (lines).
    PagedArray& Elements() { return elements; }
    const PagedArray& Elements() const { return elements; }
    // Releases every element; the pool is then empty.
    void Clear();

private:
    PagedArray elements;
    uint32_t freeHead = kNoRecord;
    int32_t liveCount = 0;
    int32_t freeCount = 0;
    int32_t documentedSize;
};

// The first two words of every pooled record.
struct PoolRecordHeader {
    uint32_t index;
    uint32_t next;
};

}  // namespace vek
