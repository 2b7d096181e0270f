// PagedArray: allocating, copying and releasing the pages of fixed-size records.
#include "foundation/memory/PagedArray.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

namespace {

// The largest record: a page of 1024 records stays below 2 GB.
constexpr int32_t kLargestElement = std::numeric_limits<int32_t>::max() / PagedArray::kPageElements;

int32_t PagesFor(int32_t n) { return int32_t((int64_t(n) + PagedArray::kPageElements - 1) >> PagedArray::kPageShift); }

// Narrows the records of a page from `from` to `to` bytes in place by dropping from - to bytes at
// offset `at`. Records move towards the page start, first to last, so no record is overwritten before
// it has moved.
void NarrowPageInPlace(uint8_t* page, int32_t from, int32_t to, int32_t at)
{
    const int32_t dropped = from - to;
    for (int32_t e = 0; e < PagedArray::kPageElements; ++e) {
        uint8_t* target = page + std::size_t(e) * std::size_t(to);
        const uint8_t* source = page + std::size_t(e) * std::size_t(from);
        std::memmove(target, source, std::size_t(at));
        std::memmove(target + at, source + at + dropped, std::size_t(to - at));
    }
}

}  // namespace

PagedArray::PagedArray(int32_t size, int32_t flags, PageFill pageFill)
    : elementSize(std::clamp(size, 0, kLargestElement)), fill(pageFill), pages(kInitialPageSlots, flags)
{
    pages.Fill(nullptr);
}

PagedArray::~PagedArray() { Free(); }

PagedArray::PagedArray(PagedArray&& other) noexcept
    : count(std::exchange(other.count, 0)), elementSize(other.elementSize), fill(other.fill),
      pages(std::move(other.pages))
{
}

PagedArray& PagedArray::operator=(PagedArray&& other) noexcept
{
    if (this != &other) {
        Free();
        count = std::exchange(other.count, 0);
        elementSize = other.elementSize;
        fill = other.fill;
        pages = std::move(other.pages);
    }
    return *this;
}

uint8_t* PagedArray::AllocatePage(int32_t size) const
{
    std::size_t bytes = std::max<std::size_t>(std::size_t(kPageElements) * std::size_t(size), 1);
    if (fill == PageFill::Zero)
        return static_cast<uint8_t*>(SystemHeapAllocZeroed(bytes));
    return static_cast<uint8_t*>(SystemHeapAlloc(bytes));
}

void PagedArray::ReleasePage(uint8_t* page, int32_t size) const
{
    if (fill == PageFill::Zero)
        SystemHeapFreeZeroed(page, std::max<std::size_t>(std::size_t(kPageElements) * std::size_t(size), 1));
    else
        SystemHeapFree(page);
}

void PagedArray::ReleasePagesFrom(int32_t first)
{
    for (int32_t p = std::max(first, 0); p < pages.Count(); ++p) {
        ReleasePage(Page(p), elementSize);
        pages.Set(p, nullptr);
    }
}

bool PagedArray::GrowTable(int32_t slots)
{
    int32_t old = pages.Count();
    if (slots <= old)
        return true;
    if (!pages.Resize(slots))
        return false;
    for (int32_t p = old; p < slots; ++p)
        pages.Set(p, nullptr);
    return true;
}

void PagedArray::PagedArrayCopy(const PagedArray& other) { InitCopy(other, other.pages.Flags()); }

void PagedArray::InitCopy(const PagedArray& other, int32_t flags)
{
    if (this == &other)
        return;
    Free();
    pages = PointerArray(PagesFor(other.count), flags);
    pages.Fill(nullptr);
    CopyPages(other);
    if (!pages.Data())
        count = 0;
}

void PagedArray::CopyPages(const PagedArray& other)
{
    if (this == &other)
        return;
    ReleasePagesFrom(0);
    elementSize = other.elementSize;
    count = other.count;
    const int32_t slots = std::min(pages.Count(), other.pages.Count());
    for (int32_t p = 0; p < slots; ++p) {
        const uint8_t* source = other.Page(p);
        if (!source)
            continue;
        uint8_t* page = AllocatePage(elementSize);
        if (page)
            std::memcpy(page, source, std::size_t(kPageElements) * std::size_t(elementSize));
        pages.Set(p, page);
    }
}

void PagedArray::Free()
{
    ReleasePagesFrom(0);
    pages.Free();
    count = 0;
}

int64_t PagedArray::MemorySize() const
{
    int64_t size = pages.MemorySize() + 20;
    for (int32_t p = 0; p < pages.Count(); ++p) {
        if (Page(p))
            size += int64_t(kPageElements) * elementSize;
    }
    return size;
}

void* PagedArray::AtGrow(int32_t i)
{
    if (i < 0)
        return nullptr;
    const int32_t p = i >> kPageShift;
    if (p >= pages.Count()) {
        // Half the table again plus 12 keeps the table's reallocations rare.
        int64_t slots = int64_t(p) + pages.Count() / 2 + kInitialPageSlots;
        if (!GrowTable(int32_t(std::min<int64_t>(slots, std::numeric_limits<int32_t>::max()))))
            return nullptr;
    }
    uint8_t* page = Page(p);
    if (!page) {
        page = AllocatePage(elementSize);
        if (!page)
            return nullptr;
        pages.Set(p, page);
    }
    count = std::max(count, i + 1);
    return page + std::size_t(elementSize) * std::size_t(i & (kPageElements - 1));
}

bool PagedArray::Reserve(int32_t n)
{
    if (n < 0)
        return false;
    const int32_t needed = PagesFor(n);
    if (!GrowTable(needed))
        return false;
    for (int32_t p = needed - 1; p >= 0; --p) {
        if (Page(p))
            continue;
        uint8_t* page = AllocatePage(elementSize);
        if (!page)
            return false;
        pages.Set(p, page);
    }
    count = std::max(count, n);
    return true;
}

void PagedArray::Truncate(int32_t n)
{
    n = std::max(n, 0);
    ReleasePagesFrom(PagesFor(n));
    if (fill == PageFill::Zero && n < count && (n & (kPageElements - 1)) != 0) {
        // The page that keeps record n - 1 must hold zeros from record n on again.
        if (uint8_t* page = Page(n >> kPageShift)) {
            std::size_t from = std::size_t(elementSize) * std::size_t(n & (kPageElements - 1));
            std::memset(page + from, 0, std::size_t(kPageElements) * std::size_t(elementSize) - from);
        }
    }
    count = std::min(count, n);
}

void PagedArray::SetElement(int32_t i, const void* buffer)
{
    if (void* record = At(i))
        std::memcpy(record, buffer, std::size_t(elementSize));
}

void PagedArray::GetElement(void* buffer, int32_t i) const
{
    if (const void* record = At(i))
        std::memcpy(buffer, record, std::size_t(elementSize));
    else
        std::memset(buffer, 0, std::size_t(elementSize));
}

void PagedArray::CopyElement(int32_t i, int32_t j)
{
    void* target = At(i);
    const void* source = At(j);
    if (target && source)
        std::memmove(target, source, std::size_t(elementSize));
}

void PagedArray::ZeroElement(int32_t i)
{
    if (void* record = At(i))
        std::memset(record, 0, std::size_t(elementSize));
}

void PagedArray::SwapElements(int32_t i, int32_t j)
{
    auto* a = static_cast<uint8_t*>(At(i));
    auto* b = static_cast<uint8_t*>(At(j));
    if (a && b && a != b)
        std::swap_ranges(a, a + elementSize, b);
}

int32_t PagedArray::CompareElements(int32_t i, int32_t j) const
{
    const void* a = At(i);
    const void* b = At(j);
    if (!a || !b)
        return 0;
    int result = std::memcmp(a, b, std::size_t(elementSize));
    return result > 0 ? 1 : result < 0 ? -1 : 0;
}

void PagedArray::SetElementSize(int32_t size)
{
    // Records of existing pages would otherwise be addressed past their page.
    for (int32_t p = 0; p < pages.Count(); ++p) {
        if (Page(p))
            return;
    }
    if (size >= 0 && size <= kLargestElement)
        elementSize = size;
}

bool PagedArray::InsertElementBytes(int32_t k, int32_t j)
{
    const int32_t old = elementSize;
    if (k == 0)
        return true;
    if (k < 0 || j < 0 || j > old || k > kLargestElement - old)
        return false;
    const int32_t wide = old + k;
    for (int32_t p = 0; p < pages.Count(); ++p) {
        uint8_t* source = Page(p);
        if (!source)
            continue;
        uint8_t* page = AllocatePage(wide);
        if (!page) {
            for (int32_t q = 0; q < p; ++q) {
                if (uint8_t* widened = Page(q))
                    NarrowPageInPlace(widened, wide, old, j);
            }
            return false;
        }
        for (int32_t e = 0; e < kPageElements; ++e) {
            uint8_t* target = page + std::size_t(e) * std::size_t(wide);
            const uint8_t* record = source + std::size_t(e) * std::size_t(old);
            std::memcpy(target, record, std::size_t(j));
            std::memset(target + j, 0, std::size_t(k));
            std::memcpy(target + j + k, record + j, std::size_t(old - j));
        }
        ReleasePage(source, old);
        pages.Set(p, page);
    }
    elementSize = wide;
    return true;
}

void PagedArray::RemoveElementBytes(int32_t k, int32_t j)
{
    const int32_t old = elementSize;
    if (k <= 0 || j < 0 || j > old - k)
        return;
    const int32_t narrow = old - k;
    for (int32_t p = 0; p < pages.Count(); ++p) {
        uint8_t* source = Page(p);
        if (!source)
            continue;
        uint8_t* page = AllocatePage(narrow);
        if (!page) {
            NarrowPageInPlace(source, old, narrow, j);
            continue;
        }
        for (int32_t e = 0; e < kPageElements; ++e) {
            uint8_t* target = page + std::size_t(e) * std::size_t(narrow);
            const uint8_t* record = source + std::size_t(e) * std::size_t(old);
            std::memcpy(target, record, std::size_t(j));
            std::memcpy(target + j, record + j + k, std::size_t(narrow - j));
        }
        ReleasePage(source, old);
        pages.Set(p, page);
    }
    elementSize = narrow;
}

}  // namespace vek
