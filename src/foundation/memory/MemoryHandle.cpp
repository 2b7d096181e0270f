// MemoryHandle: allocating, resizing and filling resizable byte blocks, with the out-of-memory error.
#include "foundation/memory/MemoryHandle.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/memory/MemoryBytes.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

bool IsValidSize(int64_t size) { return size >= 0 && size <= MemoryHandle::kHandleSizeLimit; }

bool LiesInside(const MemoryHandle& handle, const void* bytes)
{
    auto* p = static_cast<const uint8_t*>(bytes);
    return handle.Data() && p >= handle.Data() && p < handle.Data() + handle.Size();
}

}  // namespace

MemoryHandle::~MemoryHandle() { std::free(bytes); }

HandlePtr NewHandleMode(int64_t size, int32_t mode)
{
    (void)mode;  // one heap serves every mode
    auto handle = std::make_unique<MemoryHandle>();
    if (!SetHandleSizeChecked(*handle, size))
        return nullptr;
    return handle;
}

bool TestHandleAlloc(int64_t size)
{
    if (!IsValidSize(size))
        return false;
    void* probe = std::malloc(size_t(size > 0 ? size : 1));
    std::free(probe);
    return probe != nullptr;
}

HandlePtr DuplicateHandle(const MemoryHandle* handle, int32_t mode)
{
    if (!handle)
        return nullptr;
    HandlePtr copy = NewHandleMode(handle->Size(), mode);
    if (copy && handle->Size() > 0)
        std::memcpy(copy->Data(), handle->Data(), size_t(handle->Size()));
    return copy;
}

bool SetHandleSizeChecked(MemoryHandle& handle, int64_t size)
{
    if (!IsValidSize(size)) {
        SetOutOfMemoryError();
        return false;
    }
    if (size == handle.size)
        return true;
    if (size == 0) {
        std::free(handle.bytes);
        handle.bytes = nullptr;
        handle.size = 0;
        return true;
    }
    void* grown = std::realloc(handle.bytes, size_t(size));
    if (!grown) {
        // A smaller size never fails: the larger block serves it.
        if (size < handle.size) {
            handle.size = int32_t(size);
            return true;
        }
        SetOutOfMemoryError();
        return false;
    }
    handle.bytes = static_cast<uint8_t*>(grown);
    handle.size = int32_t(size);
    return true;
}

bool SetHandleFromBytes(MemoryHandle& handle, const void* bytes, int64_t n)
{
    if (n < 0 || (n > 0 && !bytes))
        return false;
    if (n > 0 && LiesInside(handle, bytes)) {
        // The bytes would move or vanish with the resize.
        std::vector<uint8_t> copy(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + n);
        return SetHandleFromBytes(handle, copy.data(), n);
    }
    if (!SetHandleSizeChecked(handle, n))
        return false;
    if (n > 0)
        std::memcpy(handle.Data(), bytes, size_t(n));
    return true;
}

bool SetHandleFromString(MemoryHandle& handle, const String& text)
{
    return SetHandleFromBytes(handle, text.CStr(), text.Length());
}

bool SetHandleFromLengthByteText(MemoryHandle& handle, const uint8_t* text)
{
    return text ? SetHandleFromBytes(handle, text + 1, text[0]) : SetHandleFromBytes(handle, nullptr, 0);
}

bool SetHandleFromCStr(MemoryHandle& handle, const char* text)
{
    return SetHandleFromBytes(handle, text, text ? int64_t(std::strlen(text)) : 0);
}

bool SetHandleFromHeapText(MemoryHandle& handle, ConstHeapText text)
{
    return SetHandleFromBytes(handle, text, HeapTextLength(text));
}

bool SetHandleFromBlock(MemoryHandle& handle, const void* block)
{
    return SetHandleFromBytes(handle, block, MemBlockSize(block));
}

bool CopyHandleContents(MemoryHandle& destination, const MemoryHandle& source)
{
    if (&destination == &source)
        return true;
    return SetHandleFromBytes(destination, source.Data(), source.Size());
}

bool ReplaceInHandle(MemoryHandle& handle, int64_t offset, int64_t oldLength, const void* bytes, int64_t newLength)
{
    int64_t size = handle.Size();
    if (offset < 0 || oldLength < 0 || newLength < 0 || offset > size || oldLength > size - offset ||
        (newLength > 0 && !bytes))
        return false;
    std::vector<uint8_t> copy;
    if (newLength > 0 && LiesInside(handle, bytes)) {
        // The bytes would move with the tail or the resize.
        copy.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + newLength);
        bytes = copy.data();
    }
    int64_t tail = size - offset - oldLength;
    int64_t newSize = size - oldLength + newLength;
    if (newLength > oldLength) {
        if (!SetHandleSizeChecked(handle, newSize))
            return false;
        std::memmove(handle.Data() + offset + newLength, handle.Data() + offset + oldLength, size_t(tail));
    } else if (newLength < oldLength) {
        std::memmove(handle.Data() + offset + newLength, handle.Data() + offset + oldLength, size_t(tail));
        (void)SetHandleSizeChecked(handle, newSize);  // shrinking never fails
    }
    if (newLength > 0)
        std::memcpy(handle.Data() + offset, bytes, size_t(newLength));
    return true;
}

bool InsertIntoHandle(MemoryHandle& handle, int64_t offset, const void* bytes, int64_t n)
{
    return ReplaceInHandle(handle, offset, 0, bytes, n);
}

bool DeleteFromHandle(MemoryHandle& handle, int64_t offset, int64_t n)
{
    return ReplaceInHandle(handle, offset, n, nullptr, 0);
}

void ZeroHandle(MemoryHandle& handle) { MemZero(handle.Data(), handle.Size()); }

void FillHandle(MemoryHandle& handle, uint8_t byte) { MemFill(handle.Data(), handle.Size(), byte); }

int32_t CompareHandles(const MemoryHandle& a, const MemoryHandle& b)
{
    int32_t common = a.Size() < b.Size() ? a.Size() : b.Size();
    int32_t result = MemCompare(a.Data(), b.Data(), common);
    if (result != 0)
        return result;
    return a.Size() < b.Size() ? -1 : a.Size() > b.Size() ? 1 : 0;
}

}  // namespace vek
