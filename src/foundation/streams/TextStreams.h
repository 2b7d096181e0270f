// FileTextWriter, FileTextReader and ChunkedTextWriter: text written to and read from files or memory.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/streams/BufferedTextWriter.h"
#include "foundation/streams/TextReader.h"

namespace vek {

class ByteFile;

// Flags of FileTextWriter::Open.
constexpr int32_t kTextFileAppend = 1;           // add to the end of an existing, non-empty file
constexpr int32_t kTextFileNoByteOrderMark = 2;  // a new file gets no byte-order mark

// Writes a text file through a buffer of 10240 bytes (grown for a single larger write). A new file
// starts with the byte-order mark of its encoding (UTF-8 and UTF-16). The file is reached through a
// ByteFile (ByteFile.h): a rewrite goes to a temporary file that replaces the old file only at a
// successful Close, so a failed or cancelled write leaves the old file as it was. Appending adds to
// the old file in place. Open and write failures are reported by the file as numbered messages;
// a writer that did not open drops its output.
class FileTextWriter final : public BufferedTextWriter {
public:
    FileTextWriter();
    // Closes.
    ~FileTextWriter() override;

    // Opens the file for writing (created when missing) with the flags above; set the encoding first.
    // False when it cannot be opened (the writer stays closed).
    [[nodiscard]] bool Open(const char* path, int32_t flags = 0);
    [[nodiscard]] bool OpenPath(const char* path, int32_t flags = 0) { return Open(path, flags); }
    // Writes what is buffered, ends the file there and puts it in place. False when anything failed:
    // a rewritten file then stays as it was before Open.
    [[nodiscard]] bool Close();

private:
    [[nodiscard]] bool WriteOut(const char* bytes, int64_t n) override;

    std::unique_ptr<ByteFile> file;
};

// Reads a text file through a buffer of 10240 bytes, which grows while a single line does not fit, so
// every line is delivered whole. Open detects the encoding from the first 4000 bytes (DetectCharSet):
// a byte-order mark or UTF-16 statistics set UTF-8 or UTF-16 and the mark is skipped; an 8-bit page
// found by the sample is taken only when the caller had not chosen an 8-bit page; pure ASCII keeps the
// caller's encoding.
class FileTextReader final : public TextReader {
public:
    static constexpr int32_t kBufferSize = 10240;

    // Sets the out-of-memory error when the file or the buffer cannot be had.
    FileTextReader();
    ~FileTextReader() override;

    // False when the file cannot be opened (reported by the file); the reader then gives no lines.
    [[nodiscard]] bool Open(const char* path);
    void Close();
    bool IsOpen() const { return open; }

    int64_t Refill() override;
    void Seek(int64_t position) override;

private:
    std::unique_ptr<ByteFile> file;
    char* buffer = nullptr;  // allocator block; the input range always lies inside it
    int64_t capacity = 0;
    bool open = false;
};

// Keeps any amount of output in memory as a list of chunks of 16352 bytes (larger for a single larger
// write), and joins them into one block on request. Filed chunks are never copied until JoinChunks.
class ChunkedTextWriter final : public TextWriter {
public:
    static constexpr int32_t kChunkSize = 16352;

    ChunkedTextWriter();
    ~ChunkedTextWriter() override;

    // Files the current chunk when it holds bytes and starts a new one. Separators at its end stay
    // in the new chunk, so that EndRow can still trim them.
    void Flush(int64_t room) override;
    int64_t TotalSize() const;
    int32_t ChunkCount() const { return chunkCount; }
    // A new allocator block holding all output in order (the caller owns it); null when it cannot be
    // allocated or the output does not fit in one block.
    [[nodiscard]] char* JoinChunks();

private:
    struct Chunk {
        char* bytes;
        int64_t size;
    };

    bool EnsureChunkSlot();
    bool NewCurrent(int64_t size, int64_t kept, const char* keptBytes);

    Chunk* chunks = nullptr;  // allocator block of `chunkSlots` entries
    int32_t chunkCount = 0;
    int32_t chunkSlots = 0;
    int64_t filedBytes = 0;
    char* current = nullptr;  // the writer's buffer
};

}  // namespace vek
