// StringPool: setting, removing and compacting the texts of the shared buffer.
#include "foundation/strings/StringPool.h"

#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CString.h"
#include "foundation/numbers/NumberMath.h"

namespace vek {

namespace {

// Dead bytes from which a growing buffer is compacted rather than copied as it is.
constexpr int32_t kCompactionThreshold = 64;
// The smallest buffer is 2^12 - 16 bytes; beyond 2^30 the offsets would leave the 32-bit range.
constexpr int32_t kSmallestExponent = 12;
constexpr int32_t kLargestExponent = 30;
constexpr char kEndMark = 'x';

int32_t BoundedLength(const char* text, int32_t n)
{
    const void* nul = std::memchr(text, 0, std::size_t(n));
    return nul == nullptr ? n : int32_t(static_cast<const char*>(nul) - text);
}

}  // namespace

StringPool::StringPool(int32_t count, int32_t flagsWord) : offsets(count < 0 ? 0 : count, 2, flagsWord), flags(flagsWord)
{
    offsets.Fill(0);
}

StringPool::~StringPool()
{
    Free();
}

void StringPool::Free()
{
    MemFree(buffer);
    buffer = end = limit = nullptr;
    dead = 0;
    offsets.Free();
}

int64_t StringPool::MemorySize() const
{
    return offsets.MemorySize() + Capacity() + 44;
}

bool StringPool::SetCount(int32_t n)
{
    if (n < 0)
        return false;
    int32_t old = Count();
    for (int32_t i = n; i < old; ++i)
        Remove(i);
    if (!offsets.Resize(n))
        return false;
    for (int32_t i = old; i < n; ++i)
        offsets.Set(i, 0);
    return true;
}

const char* StringPool::Get(int32_t i) const
{
    uint32_t offset = offsets.Get(i);
    return offset == 0 ? nullptr : buffer + offset;
}

void StringPool::Remove(int32_t i)
{
    uint32_t offset = offsets.Get(i);
    if (offset == 0)
        return;
    char* text = buffer + offset;
    int32_t length = CStrLength(text);
    std::memset(text, 0, std::size_t(length));
    dead += length + 1;
    offsets.Set(i, 0);
}

bool StringPool::ReplaceInPlace(int32_t i, const char* text, int32_t n)
{
    char* old = buffer + offsets.Get(i);
    int32_t length = CStrLength(old);
    if (n <= length) {
        std::memmove(old, text, std::size_t(n));
        std::memset(old + n, 0, std::size_t(length - n + 1));
        dead += length - n;
        return true;
    }
    // The zero bytes after the old NUL are dead: the next text or the end mark stops the run.
    int32_t zeros = 0;
    while (old[length + 1 + zeros] == 0)
        ++zeros;
    if (n <= length + zeros) {
        std::memmove(old, text, std::size_t(n));
        old[n] = 0;
        dead -= n - length;
        return true;
    }
    std::memset(old, 0, std::size_t(length));
    dead += length + 1;
    offsets.Set(i, 0);
    return false;
}

bool StringPool::SetBytes(int32_t i, const char* text, int32_t n)
{
    if (i < 0 || i >= Count())
        return false;
    if (text == nullptr || n <= 0 || (n = BoundedLength(text, n)) == 0) {
        Remove(i);
        return true;
    }
    // The text may lie inside the buffer (another entry's text); growing would release it.
    if (buffer != nullptr && text >= buffer && text <= limit) {
        char* copy = static_cast<char*>(MemAllocCopy(text, n));
        if (copy == nullptr)
            return false;
        bool done = SetBytes(i, copy, n);
        MemFree(copy);
        return done;
    }
    if (offsets.Get(i) != 0 && ReplaceInPlace(i, text, n))
        return true;
    if (buffer == nullptr || n >= limit - end) {
        if (!Grow(n))
            return false;
    }
    // The offsets were widened to the capacity, so the new offset fits.
    offsets.Set(i, uint32_t(end - buffer));
    std::memcpy(end, text, std::size_t(n));
    end[n] = 0;
    end[n + 1] = kEndMark;
    end += n + 1;
    return true;
}

bool StringPool::SetCStr(int32_t i, const char* text)
{
    return SetBytes(i, text, text == nullptr ? 0 : CStrLength(text));
}

bool StringPool::SetHeapText(int32_t i, ConstHeapText text)
{
    return SetBytes(i, text, HeapTextLength(text));
}

int32_t StringPool::LiveBytes() const
{
    int32_t bytes = 0;
    for (int32_t i = 0; i < Count(); ++i) {
        if (const char* text = Get(i))
            bytes += CStrLength(text) + 1;
    }
    return bytes;
}

bool StringPool::Grow(int32_t need)
{
    if (need < 0)
        return false;
    int64_t used = UsedBytes();
    int64_t total = used + need + 100;
    if (total > (int64_t(1) << kLargestExponent))
        return false;
    int32_t exponent = FloorLog2(int32_t(total)) + 1;
    if (exponent < kSmallestExponent)
        exponent = kSmallestExponent;
    if (exponent > kLargestExponent)
        return false;
    if (!Reserve((int32_t(1) << exponent) - 16))
        return false;
    return limit - end > need;
}

bool StringPool::Reserve(int32_t k)
{
    int32_t used = UsedBytes();
    if (k <= used - dead)
        return true;
    // A copy as it is needs room for every used byte; otherwise only live texts move.
    bool compact = dead >= kCompactionThreshold || (buffer != nullptr && k < used);
    if (compact && 1 + LiveBytes() > k)
        return false;
    if (!offsets.SetMaximum(k))
        return false;
    char* fresh = static_cast<char*>(MemAlloc(k + 1, flags));
    if (fresh == nullptr)
        return false;
    char* write = fresh + 1;
    if (buffer == nullptr) {
        // A pool without a buffer starts at offset 1.
    } else if (!compact) {
        std::memcpy(fresh, buffer, std::size_t(used));
        write = fresh + used;
    } else {
        for (int32_t i = 0; i < Count(); ++i) {
            const char* text = Get(i);
            if (text == nullptr)
                continue;
            int32_t length = CStrLength(text);
            std::memcpy(write, text, std::size_t(length) + 1);
            offsets.Set(i, uint32_t(write - fresh));
            write += length + 1;
        }
        dead = 0;
    }
    MemFree(buffer);
    buffer = fresh;
    buffer[0] = 0;
    end = write;
    *end = kEndMark;
    limit = buffer + k;
    return true;
}

bool StringPool::Assign(const StringPool& other)
{
    if (&other == this)
        return true;
    MemFree(buffer);
    buffer = end = limit = nullptr;
    dead = 0;
    int32_t count = other.Count();
    if (other.buffer == nullptr) {
        if (!offsets.Reinit(count, 2)) {
            offsets.Free();
            return false;
        }
        offsets.Fill(0);
        return true;
    }
    bool compact = other.dead >= kCompactionThreshold;
    int32_t size = compact ? 1 + other.LiveBytes() : other.UsedBytes();
    if (!offsets.Reinit(count, size)) {
        offsets.Free();
        return false;
    }
    buffer = static_cast<char*>(MemAlloc(size + 1, flags));
    if (buffer == nullptr) {
        offsets.Free();
        return false;
    }
    if (compact) {
        char* write = buffer + 1;
        for (int32_t i = 0; i < count; ++i) {
            const char* text = other.Get(i);
            if (text == nullptr) {
                offsets.Set(i, 0);
                continue;
            }
            int32_t length = CStrLength(text);
            std::memcpy(write, text, std::size_t(length) + 1);
            offsets.Set(i, uint32_t(write - buffer));
            write += length + 1;
        }
        buffer[0] = 0;
        end = write;
    } else {
        std::memcpy(buffer, other.buffer, std::size_t(size));
        for (int32_t i = 0; i < count; ++i)
            offsets.Set(i, other.offsets.Get(i));
        end = buffer + size;
        dead = other.dead;
    }
    *end = kEndMark;
    limit = buffer + size;
    return true;
}

void StringPool::ChangeCase(int32_t mode)
{
    if (mode < 0 || mode > 3)
        return;
    for (int32_t i = Count() - 1; i >= 0; --i) {
        // Case changes keep every character's byte length, so texts stay where they are.
        if (offsets.Get(i) != 0)
            CStrChangeCase(buffer + offsets.Get(i), mode);
    }
}

}  // namespace vek
