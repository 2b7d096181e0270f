// BufferedTextWriter: starting and finishing output, flushing and growing the buffer.
#include "foundation/streams/BufferedTextWriter.h"

#include <climits>
#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CodePages.h"

namespace vek {

BufferedTextWriter::BufferedTextWriter()
{
    buffer = static_cast<char*>(MemAlloc(kBufferSize));
    if (buffer != nullptr)
        SetBuffer(buffer, kBufferSize, buffer);
}

BufferedTextWriter::~BufferedTextWriter() { MemFree(buffer); }

void BufferedTextWriter::StartOutput(ByteOrderMarkChoice mark)
{
    open = true;
    failed = false;
    SetCursor(BufferStart());
    std::span<const uint8_t> bytes = ByteOrderMark(Encoding());
    if (mark == ByteOrderMarkChoice::write && !bytes.empty() &&
        !WriteOut(reinterpret_cast<const char*>(bytes.data()), static_cast<int64_t>(bytes.size())))
        failed = true;
}

bool BufferedTextWriter::FinishOutput()
{
    if (!open)
        return !failed;
    int64_t pending = Cursor() - BufferStart();
    if (pending > 0 && !failed && !WriteOut(BufferStart(), pending))
        failed = true;
    SetCursor(BufferStart());
    open = false;
    return !failed;
}

void BufferedTextWriter::Flush(int64_t room)
{
    int64_t kept = 0;
    if (open && !failed) {
        kept = TrailingSeparatorBytes();
        int64_t out = Cursor() - BufferStart() - kept;
        if (out > 0 && !WriteOut(BufferStart(), out))
            failed = true;
        if (kept > 0)
            std::memmove(BufferStart(), Cursor() - kept, static_cast<std::size_t>(kept));
    }
    if (!open || failed)
        kept = 0;  // output that cannot go anywhere is dropped
    SetCursor(BufferStart() + kept);
    if (BufferCapacity() - kept < room)
        Grow(kept + room, kept);
}

bool BufferedTextWriter::Grow(int64_t size, int64_t kept)
{
    if (size > INT32_MAX)
        return false;
    char* block = static_cast<char*>(MemAlloc(static_cast<int32_t>(size)));
    if (block == nullptr)
        return false;
    if (kept > 0)
        std::memcpy(block, BufferStart(), static_cast<std::size_t>(kept));
    MemFree(buffer);
    buffer = block;
    SetBuffer(block, size, block + kept);
    return true;
}

}  // namespace vek
