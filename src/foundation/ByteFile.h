#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/Service.h"

namespace vek {

// What the text streams need of a file: one open file, read or written at a current 64-bit position.
// The library cannot reach the platform layer's files, so it states the need here; the platform's
// file class can implement it and register its maker (Service<ByteFileMaker>), and until then the small
// POSIX implementation below serves.
//
// Promises every implementation keeps:
// - Writing (OpenForWrite) never touches the old file until Close: the bytes go to a temporary file
//   in the same folder, which Close flushes to the disk and renames over the target. A failed write,
//   Discard, or a cancellation (the pending error set while the file was open) leave the old file as
//   it was.
// - Appending (OpenForAppend) adds bytes after the old end in place, which cannot harm what the file
//   held; a missing file is created.
// - Failures are reported as numbered messages through the pending error (605 cannot open, 606 read
//   failed, 607 write failed, 608 no permission), naming the file; the failing call returns false
//   or 0, and reads and writes on a file that is not open return 0.
class ByteFile {
public:
    virtual ~ByteFile();

    // Set before opening for writing: marks the file as UTF-8 text where the file system keeps such
    // a mark; elsewhere the mark is silently absent.
    virtual void SetUtf8Text(bool on) = 0;

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
};

// Makes a new, closed file; null when memory runs short. The maker of the files the text streams use
// is a service (Service<ByteFileMaker>, registered as a function pointer); the headless maker makes
// POSIX files.
using ByteFileMaker = std::unique_ptr<ByteFile>();
template <>
ByteFileMaker& Service<ByteFileMaker>::Headless();

// A new, closed file from the registered maker; null when memory runs short.
std::unique_ptr<ByteFile> NewByteFile();

// The POSIX implementation: plain descriptors, a temporary file renamed over the target.
class PosixByteFile : public ByteFile {
public:
    PosixByteFile() = default;
    ~PosixByteFile() override;

    void SetUtf8Text(bool on) override { utf8Text = on; }
    [[nodiscard]] bool OpenForRead(const char* path) override;
    [[nodiscard]] bool OpenForWrite(const char* path) override;
    [[nodiscard]] bool OpenForAppend(const char* path) override;
    void Close() override;
    void Discard() override;
    bool IsOpen() const override { return mode != Mode::closed; }
    bool HasFailed() const override { return failed; }
    int64_t Read(void* buffer, int64_t n) override;
    int64_t Write(const void* bytes, int64_t n) override;
    int64_t GetSize() const override;
    int64_t GetPosition() const override { return position; }
    void SetPosition(int64_t offset) override;
    void SetSize() override;

private:
    enum class Mode { closed, reading, replacing, appending };

    bool StartWriting(const char* path);
    void Fail(int32_t code);
    void Release(bool dropTemporary);

    bool utf8Text = false;
    bool failed = false;
    bool errorPendingAtOpen = false;
    Mode mode = Mode::closed;
    int32_t fd = -1;
    int64_t position = 0;
    int64_t size = 0;
    std::string target;     // the file read, replaced or appended to (links followed)
    std::string temporary;  // replacing: the temporary file
};

}  // namespace vek
