// ForkFile: the program's one implementation of reading, replacing and appending to files on disk.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileDescriptor.h"
#include "platform/FilePath.h"

namespace vek {

// All byte-level file input and output: one open file, read or written at a current 64-bit position.
//
// Writing never touches the old file until the end: the bytes go into a temporary file in the same
// folder, which Close flushes to the disk and renames over the target. A write that fails, a
// cancellation (the pending error set while the file was open) or Discard leave the old file exactly
// as it was. As with the old in-place rewrite, bytes of an existing file beyond what was written stay
// unless SetSize cuts them, so the temporary file takes old bytes as far as they are needed. A file
// opened only to append at its end (the first write at the old end, or OpenForAppend) is appended to
// in place, which cannot harm what it held. A device or a pipe (an error file named /dev/stderr, a
// named pipe) is written as it is: replacing it would put a plain file in its place.
//
// Failures are reported through FilePath::ReportError: 603 folder missing, 605 cannot open or create,
// 606 read failed, 607 write failed, 608 locked or no permission, 609 already open for writing. The
// failing call returns false or 0; reads and writes on a file that is not open return 0.
class ForkFile {
public:
    ForkFile();
    // Closes the file when open.
    ~ForkFile();
    ForkFile(const ForkFile&) = delete;
    ForkFile& operator=(const ForkFile&) = delete;

    bool IsOpen() const { return mode != Mode::closed; }
    const FilePath& Path() const { return path; }
    // True after a write or the final replacement failed, or a cancellation dropped the new contents.
    bool HasFailed() const { return failed; }

    [[nodiscard]] bool OpenForRead(const FilePath& file);
    [[nodiscard]] bool OpenForWrite(const FilePath& file);
    // Writes go on at the end of the file, in place and at once; a missing file is created.
    [[nodiscard]] bool OpenForAppend(const FilePath& file);
    // Reading: closes. Writing: puts the new contents in place of the old file, unless a write failed
    // or the work was cancelled meanwhile (then the old file stays and the new bytes are dropped).
    void Close();
    // Writing: closes and drops everything written; the old file stays as it was.
    void Discard();

    // Up to n bytes from the current position: the count read (short only at the end of the file);
    // 0 and message 606 on an error.
    int64_t Read(void* buffer, int64_t n);
    // The n bytes at the current position: n, or 0 and message 607 on an error.
    int64_t Write(const void* bytes, int64_t n);
    int64_t GetSize() const;
    int64_t GetPosition() const { return position; }
    void SetPosition(int64_t offset) { position = offset < 0 ? 0 : offset; }
    // The file ends at the current position (opening for writing keeps the old length).
    void SetSize();

private:
    enum class Mode { closed, reading, replacing, appending };

    bool StartReplacing();
    bool SwitchToAppending();
    bool CopyOldBytes(int64_t upTo);
    void Commit();
    void ReleaseWriteState(bool dropTemporary);
    // The temporary file is no longer ours to remove (renamed, or removed).
    void ForgetTemporary();
    void Fail(int32_t code);

    bool StartWriting(const FilePath& file);

    FilePath path;
    Mode mode = Mode::closed;
    bool failed = false;
    bool errorPendingAtOpen = false;
    bool streaming = false;  // writing a device or a pipe in place
    FileDescriptor fd;     // reading: the file; replacing: the temporary file; appending: the target
    FileDescriptor oldFd;  // replacing: the old file (read, and locked against a second writer)
    std::string target;    // the file to replace (links followed)
    std::string temporary;
    int32_t temporarySlot = -1;  // in the table of SaveTemporaryFiles.h, -1 for none
    int64_t position = 0;
    int64_t size = 0;      // replacing: the length the new file will have
    int64_t oldSize = 0;   // replacing: bytes of the old file still part of the new one
    int64_t covered = 0;   // replacing: the temporary file holds the right bytes below this
    int64_t sizeAtOpen = -1;  // replacing: the old file's size, -1 when there was none
};

}  // namespace vek
