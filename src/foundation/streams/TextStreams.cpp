// TextStreams: the file text writer and reader, and the writer into chunks of memory.
#include "foundation/streams/TextStreams.h"

#include <climits>
#include <exception>
#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CodePages.h"
#include "foundation/messages/PendingError.h"

namespace vek {

namespace {

constexpr int32_t kSampleBytes = 4000;
constexpr int32_t kChunkListStep = 16;
constexpr int64_t kLargestBlock = INT32_MAX - 64;

}  // namespace

// ---- FileTextWriter

FileTextWriter::FileTextWriter() : file(NewByteFile())
{
}

FileTextWriter::~FileTextWriter()
{
    // Left by an exception (memory ran short midway), the text is incomplete: it is dropped, never
    // flushed out and put in place of the old file.
    if (std::uncaught_exceptions() > 0) {
        if (file != nullptr)
            file->Discard();
        return;
    }
    (void)Close();
}

bool FileTextWriter::Open(const char* path, int32_t flags)
{
    (void)Close();
    if (file == nullptr || BufferCapacity() == 0)
        return false;
    bool append = (flags & kTextFileAppend) != 0;
    if (!(append ? file->OpenForAppend(path) : file->OpenForWrite(path)))
        return false;
    // Appending to a file that holds text adds no second mark.
    bool mark = (flags & kTextFileNoByteOrderMark) == 0 && !(append && file->GetSize() != 0);
    StartOutput(mark ? ByteOrderMarkChoice::write : ByteOrderMarkChoice::omit);
    return true;
}

bool FileTextWriter::WriteOut(const char* bytes, int64_t n)
{
    return file != nullptr && file->Write(bytes, n) == n;
}

bool FileTextWriter::Close()
{
    if (!IsOpen())
        return !HasFailed();
    bool written = FinishOutput();
    if (!written) {
        file->Discard();
        return false;
    }
    // A shorter rewrite leaves no tail of the old text.
    file->SetSize();
    file->Close();
    return !file->HasFailed();
}

// ---- FileTextReader

FileTextReader::FileTextReader() : file(NewByteFile())
{
    buffer = static_cast<char*>(MemAlloc(kBufferSize));
    if (file == nullptr || buffer == nullptr) {
        SetOutOfMemoryError();
        return;
    }
    capacity = kBufferSize;
    inputStart = readPosition = inputEnd = buffer;
}

FileTextReader::~FileTextReader()
{
    Close();
    MemFree(buffer);
}

bool FileTextReader::Open(const char* path)
{
    Close();
    if (file == nullptr || buffer == nullptr || !file->OpenForRead(path))
        return false;
    char sample[kSampleBytes];
    int64_t got = file->Read(sample, kSampleBytes);
    int32_t markLength = 0;
    int32_t detected = DetectCharSet(sample, int32_t(got), markLength);
    file->SetPosition(markLength);
    if (detected >= 0 && detected <= kEncodingUtf16Be)
        SetEncoding(detected);
    else if (detected > kEncodingUtf16Be && Encoding() >= 0 && Encoding() <= kEncodingUtf16Be)
        SetEncoding(detected);
    ForgetLine();
    inputStart = readPosition = inputEnd = buffer;
    sourcePosition = markLength;
    open = true;
    return true;
}

void FileTextReader::Close()
{
    if (file != nullptr)
        file->Close();
    open = false;
    ForgetLine();
    inputStart = readPosition = inputEnd = buffer;
}

int64_t FileTextReader::Refill()
{
    if (!open)
        return 0;
    ForgetLine();
    int64_t kept = inputEnd - readPosition;
    sourcePosition += readPosition - inputStart;
    if (kept > 0 && readPosition != buffer)
        std::memmove(buffer, readPosition, size_t(kept));
    inputStart = readPosition = buffer;
    inputEnd = buffer + kept;
    if (kept == capacity) {
        // One line fills the buffer: it grows, so that the line comes whole.
        int64_t wanted = capacity * 2;
        char* larger = wanted <= kLargestBlock ? static_cast<char*>(MemAlloc(int32_t(wanted))) : nullptr;
        if (larger == nullptr) {
            // The line cannot be held: reading ends here, with the error.
            SetOutOfMemoryError();
            readPosition = inputEnd;
            open = false;
            file->Close();
            return 0;
        }
        std::memcpy(larger, buffer, size_t(kept));
        MemFree(buffer);
        buffer = larger;
        capacity = wanted;
        inputStart = readPosition = buffer;
        inputEnd = buffer + kept;
    }
    int64_t got = file->Read(buffer + kept, capacity - kept);
    inputEnd = buffer + kept + got;
    return got;
}

void FileTextReader::Seek(int64_t position)
{
    ForgetLine();
    if (file != nullptr)
        file->SetPosition(position);
    inputStart = readPosition = inputEnd = buffer;
    sourcePosition = position;
}

// ---- ChunkedTextWriter

ChunkedTextWriter::ChunkedTextWriter()
{
    (void)NewCurrent(kChunkSize, 0, nullptr);
}

ChunkedTextWriter::~ChunkedTextWriter()
{
    for (int32_t i = 0; i < chunkCount; ++i)
        MemFree(chunks[i].bytes);
    MemFree(chunks);
    MemFree(current);
}

bool ChunkedTextWriter::NewCurrent(int64_t size, int64_t kept, const char* keptBytes)
{
    if (size < kChunkSize)
        size = kChunkSize;
    char* block = size <= kLargestBlock ? static_cast<char*>(MemAlloc(int32_t(size))) : nullptr;
    if (block == nullptr)
        return false;
    if (kept > 0)
        std::memcpy(block, keptBytes, size_t(kept));
    current = block;
    SetBuffer(block, size, block + kept);
    return true;
}

bool ChunkedTextWriter::EnsureChunkSlot()
{
    if (chunkCount < chunkSlots)
        return true;
    auto* larger = static_cast<Chunk*>(MemAlloc(int32_t(sizeof(Chunk)) * (chunkSlots + kChunkListStep)));
    if (larger == nullptr)
        return false;
    if (chunkCount > 0)
        std::memcpy(larger, chunks, sizeof(Chunk) * size_t(chunkCount));
    MemFree(chunks);
    chunks = larger;
    chunkSlots += kChunkListStep;
    return true;
}

void ChunkedTextWriter::Flush(int64_t room)
{
    if (current == nullptr) {
        if (!NewCurrent(room, 0, nullptr))
            SetBuffer(nullptr, 0, nullptr);
        return;
    }
    char* old = current;
    int64_t used = Cursor() - BufferStart();
    int64_t kept = TrailingSeparatorBytes();
    if (used - kept > 0) {
        // The list slot and the new chunk are had before the old chunk is filed, so a failure loses
        // nothing (the write that asked for room is then dropped).
        if (!EnsureChunkSlot() || !NewCurrent(kept + room, kept, old + used - kept))
            return;
        chunks[chunkCount++] = {old, used - kept};
        filedBytes += used - kept;
        return;
    }
    // Nothing to file: the chunk stays, replaced by a larger one when one write needs more room.
    if (BufferCapacity() - used < room && NewCurrent(used + room, used, old))
        MemFree(old);
}

int64_t ChunkedTextWriter::TotalSize() const
{
    return filedBytes + (current == nullptr ? 0 : BufferedBytes().size());
}

char* ChunkedTextWriter::JoinChunks()
{
    int64_t total = TotalSize();
    if (total > kLargestBlock)
        return nullptr;
    char* block = static_cast<char*>(MemAlloc(int32_t(total)));
    if (block == nullptr)
        return nullptr;
    char* write = block;
    for (int32_t i = 0; i < chunkCount; ++i) {
        std::memcpy(write, chunks[i].bytes, size_t(chunks[i].size));
        write += chunks[i].size;
    }
    if (current != nullptr && !BufferedBytes().empty())
        std::memcpy(write, BufferedBytes().data(), BufferedBytes().size());
    return block;
}

}  // namespace vek
