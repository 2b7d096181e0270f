// PagedArray: fixed-size records in pages of 1024, whose addresses stay put as the table grows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/memory/DynArray.h"

namespace vek {

// What the bytes of records that were never set hold.
enum class PageFill {
    Undefined,  // pages come from the heap as they are
    Zero,       // pages come zeroed, and every record from Count() to the end of its page stays zero
};

// Fixed-size records kept in pages of 1024, so that a table grows to millions of records without
// moving any: the address of a record stays valid until its page is released (Truncate, Free).
// Record i lives in page i / 1024 at byte offset element size x (i mod 1024). Pages come straight
// from the system heap and are not cleared (PageFill::Zero: they come zeroed from the system, and a
// Truncate clears the records it drops from the page it keeps); the page table is a PointerArray whose missing pages are
// null, and it starts with 12 slots.
//
// Record numbers are checked: At gives null for a record outside 0..Count()-1 or on a missing page,
// and the element operations ignore such records (GetElement zero-fills the caller's buffer).
class PagedArray {
public:
    static constexpr int32_t kPageShift = 10;
    static constexpr int32_t kPageElements = 1 << kPageShift;
    static constexpr int32_t kInitialPageSlots = 12;

    explicit PagedArray(int32_t elementSize = 0, int32_t flags = 0, PageFill fill = PageFill::Undefined);
    ~PagedArray();
    PagedArray(PagedArray&& other) noexcept;
    PagedArray& operator=(PagedArray&& other) noexcept;
    PagedArray(const PagedArray&) = delete;
    PagedArray& operator=(const PagedArray&) = delete;

    // Replace this array by a copy of the other: a page table of ceil(count / 1024) null slots with
    // the other's page-table flags (InitCopy: the given flags), then CopyPages. Pages that cannot be
    // allocated stay missing.
    void PagedArrayCopy(const PagedArray& other);
    void InitCopy(const PagedArray& other, int32_t flags);
    // Takes the other's element size and count, and copies every page of the other into a new page
    // for the slots this table has (a page that cannot be allocated stays missing). Pages of this
    // array are released first.
    void CopyPages(const PagedArray& other);
    // Releases every page, then the page table; the array is then empty.
    void Free();

    int32_t Count() const { return count; }
    PageFill Fill() const { return fill; }
    int32_t ElementSize() const { return elementSize; }
    int32_t PageSlots() const { return pages.Count(); }
    bool HasPage(int32_t page) const { return pages.Get(page) != nullptr; }
    // Page table's memory size + 20 + 1024 x element size for each page.
    int64_t MemorySize() const;

    // Address of record i; null outside 0..Count()-1 or on a missing page. Inline: every walk over
    // cards, groups and lines goes through it once a record.
    void* At(int32_t i)
    {
        if (i < 0 || i >= count)
            return nullptr;
        uint8_t* page = Page(i >> kPageShift);
        if (!page)
            return nullptr;
        return page + std::size_t(elementSize) * std::size_t(i & (kPageElements - 1));
    }
    const void* At(int32_t i) const { return const_cast<PagedArray*>(this)->At(i); }
    // Address of record i, making its page (and growing the table and the count) when needed; null
    // when memory runs short or i is negative.
    [[nodiscard]] void* AtGrow(int32_t i);
    // Makes the page table hold ceil(n / 1024) slots and every page below it; only when all of that
    // succeeds does the count become n (when it was smaller). False at the first failure.
    [[nodiscard]] bool Reserve(int32_t n);
    // Releases the pages from ceil(n / 1024) on; count = min(count, n).
    void Truncate(int32_t n);

    void SetElement(int32_t i, const void* buffer);
    void GetElement(void* buffer, int32_t i) const;
    void CopyElement(int32_t i, int32_t j);  // record i = record j
    void ZeroElement(int32_t i);
    void SwapElements(int32_t i, int32_t j);
    // Byte-wise three-way comparison (-1, 0, 1); 0 when either record is outside.
    int32_t CompareElements(int32_t i, int32_t j) const;
    // Sets the size only; meant for an array without pages. A negative size is ignored.
    void SetElementSize(int32_t size);

    // Every record grows by k zero bytes inserted at byte offset j (0 <= j <= element size). When a
    // page cannot be allocated the records are brought back to the old layout and the result is false.
    [[nodiscard]] bool InsertElementBytes(int32_t k, int32_t j);
    // Every record loses the k bytes at offset j (j + k <= element size); a page that cannot be
    // reallocated is narrowed in place. Ignored when the bytes lie outside the record.
    void RemoveElementBytes(int32_t k, int32_t j);

private:
    uint8_t* Page(int32_t page) const { return static_cast<uint8_t*>(pages.Get(page)); }
    uint8_t* AllocatePage(int32_t size) const;
    void ReleasePage(uint8_t* page, int32_t size) const;
    void ReleasePagesFrom(int32_t first);
    // Grows the page table to `slots` null-filled slots; false when that fails.
    bool GrowTable(int32_t slots);

    int32_t count = 0;
    int32_t elementSize = 0;
    PageFill fill = PageFill::Undefined;
    PointerArray pages;
};

}  // namespace vek
