// ByteFile: the one interface through which the program reads and writes files, and its registry.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/services/Service.h"

namespace vek {

// What a path names, as far as a caller must know before opening it.
enum class ByteFileKind { none, regular, other };

struct ByteFileStatus {
    ByteFileKind kind = ByteFileKind::none;
    int64_t size = 0;  // bytes of a regular file, else 0
};

// One open file, read or written at a current 64-bit position. The library states what it needs of
// files here; the platform's files implement it and are registered at start-up (Service<ByteFileMaker>),
// and until then an in-memory file system serves (MemoryByteFile.h), as in every foundation test.
//
// Promises every implementation keeps:
// - Writing (OpenForWrite) never touches the old file until Close: the bytes go to a temporary file
//   in the same folder, which Close flushes to the disk and renames over the target. A failed write,
//   Discard, or a cancellation (the pending error set while the file was open) leave the old file as
//   it was. A device or a pipe is written in place: replacing it by a file would break what it
//   stands for.
// - Appending (OpenForAppend) adds bytes after the old end in place, which cannot harm what the file
//   held; every byte written is in the file at once. A missing file is created.
// - Failures are reported as numbered messages through the pending error (603 folder missing, 605
//   cannot open, 606 read failed, 607 write failed, 608 no permission, 609 already being written),
//   naming the file; the failing call returns false or 0, and reads and writes on a file that is not
//   open return 0.
class ByteFile {
public:
    virtual ~ByteFile();

    [[nodiscard]] virtual bool OpenForRead(const char* path) = 0;
    [[nodiscard]] virtual bool OpenForWrite(const char* path) = 0;
    [[nodiscard]] virtual bool OpenForAppend(const char* path) = 0;
    // Reading: closes. Writing: puts the new contents in place unless a write failed or the work was
    // cancelled meanwhile.
    virtual void Close() = 0;
    // Writing: closes and drops everything written.
    virtual void Discard() = 0;
    virtual bool IsOpen() const = 0;
    // True after a write or the final replacement failed, or a cancellation dropped the new contents.
    virtual bool HasFailed() const = 0;

    // Up to n bytes from the current position: the count read (short only at the end of the file).
    virtual int64_t Read(void* buffer, int64_t n) = 0;
    // The n bytes at the current position: n, or 0 on an error.
    virtual int64_t Write(const void* bytes, int64_t n) = 0;
    // Reading: the file's size; writing: the size the new file has so far; appending: the whole size.
    virtual int64_t GetSize() const = 0;
    virtual int64_t GetPosition() const = 0;
    // Reading only; writes always go on where the last one ended.
    virtual void SetPosition(int64_t offset) = 0;
    // The file ends at the current position.
    virtual void SetSize() = 0;

    // What the path names now, without opening it (so a pipe is not waited on); reports nothing.
    virtual ByteFileStatus StatusOf(const char* path) const = 0;
};

// Makes a new, closed file; null when memory runs short. The maker is a service registered as a
// function pointer; the headless one makes in-memory files.
using ByteFileMaker = std::unique_ptr<ByteFile>();
template <>
ByteFileMaker& Service<ByteFileMaker>::Headless();
// A new, closed file from the registered maker; null when memory runs short.
std::unique_ptr<ByteFile> NewByteFile();

}  // namespace vek
