// MemoryHandle: a block of bytes whose size changes as its owner needs.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;

// A block of bytes whose size changes as its owner needs (large lists, copies of files, text for the
// clipboard). Every allocation or resize that fails raises the out-of-memory error (600, through
// SetOutOfMemoryError) and leaves the handle and the caller's data as they were. Sizes run from 0 to
// kHandleSizeLimit; a size outside that range fails like a refused allocation.
class MemoryHandle {
public:
    static constexpr int64_t kHandleSizeLimit = INT32_MAX;

    MemoryHandle() = default;
    ~MemoryHandle();
    MemoryHandle(const MemoryHandle&) = delete;
    MemoryHandle& operator=(const MemoryHandle&) = delete;

    uint8_t* Data() { return bytes; }
    const uint8_t* Data() const { return bytes; }
    int32_t Size() const { return size; }

private:
    friend bool SetHandleSizeChecked(MemoryHandle& handle, int64_t size);

    uint8_t* bytes = nullptr;  // null while the size is 0
    int32_t size = 0;
};

using HandlePtr = std::unique_ptr<MemoryHandle>;

// How a handle is allocated; the modes of a segmented heap, all served by the one heap here.
constexpr int32_t kHandleModeDefault = 0;
constexpr int32_t kHandleModeLow = 1;        // low in the heap, locked
constexpr int32_t kHandleModeTemporary = 2;  // the application heap, else temporary memory

// A handle of `size` bytes (contents undefined); null and the out-of-memory error on failure.
[[nodiscard]] HandlePtr NewHandleMode(int64_t size, int32_t mode);
// True when a handle of that size can be had at the moment (it is allocated and released at once;
// no error is raised).
bool TestHandleAlloc(int64_t size);
// A new handle with a copy of the bytes; null for null (and, with the error, on failure).
[[nodiscard]] HandlePtr DuplicateHandle(const MemoryHandle* handle, int32_t mode);

// True when the handle now has exactly that size (the bytes up to the smaller size are kept);
// otherwise the out-of-memory error and false, the handle unchanged.
[[nodiscard]] bool SetHandleSizeChecked(MemoryHandle& handle, int64_t size);

// Set the handle's contents; each resizes through SetHandleSizeChecked and copies only on success.
[[nodiscard]] bool SetHandleFromString(MemoryHandle& handle, const String& text);
[[nodiscard]] bool SetHandleFromLengthByteText(MemoryHandle& handle, const uint8_t* text);  // null = empty
[[nodiscard]] bool SetHandleFromCStr(MemoryHandle& handle, const char* text);  // null = empty
[[nodiscard]] bool SetHandleFromBytes(MemoryHandle& handle, const void* bytes, int64_t n);
// The text without its NUL; null = empty.
[[nodiscard]] bool SetHandleFromHeapText(MemoryHandle& handle, ConstHeapText text);
// The whole allocator block (MemBlockSize bytes); null = empty.
[[nodiscard]] bool SetHandleFromBlock(MemoryHandle& handle, const void* block);
[[nodiscard]] bool CopyHandleContents(MemoryHandle& destination, const MemoryHandle& source);

// Editing in place: the tail moves after growing, or before shrinking. The bytes may lie inside the
// handle. A range outside the handle (negative counts, an offset beyond the size) changes nothing and
// gives false without raising an error; a failed resize gives false with the error.
[[nodiscard]] bool InsertIntoHandle(MemoryHandle& handle, int64_t offset, const void* bytes, int64_t n);
[[nodiscard]] bool DeleteFromHandle(MemoryHandle& handle, int64_t offset, int64_t n);
[[nodiscard]] bool ReplaceInHandle(MemoryHandle& handle, int64_t offset, int64_t oldLength, const void* bytes,
                                   int64_t newLength);

void ZeroHandle(MemoryHandle& handle);
void FillHandle(MemoryHandle& handle, uint8_t byte);
// MemCompare of the common length, then the shorter one first.
int32_t CompareHandles(const MemoryHandle& a, const MemoryHandle& b);

}  // namespace vek
