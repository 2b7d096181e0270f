// ForkFile: reading, writing and safely replacing files through a temporary file.
#include "platform/ForkFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "platform/SaveTemporaryFiles.h"

namespace vek {

// Temporary files are named independently of the target (SaveTemporaryFiles.h), so that a name near
// the length limit still leaves room for one.
static constexpr int32_t kTemporaryAttempts = 64;
// Old bytes are copied through this much memory when the kernel cannot copy them itself.
static constexpr int64_t kCopyChunk = 1 << 16;

// The message for a failure to create or open a file for writing.
static int32_t WriteOpenMessage(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return message::kFolderMissing;
    case EACCES:
    case EPERM:
    case EROFS:
        return message::kFileLocked;
    case EWOULDBLOCK:
    case ETXTBSY:
        return message::kAlreadyWriting;
    default:
        return message::kCannotOpen;
    }
}

static bool PReadAll(int32_t fd, char* buffer, int64_t n, int64_t offset, int64_t& done)
{
    done = 0;
    while (done < n) {
        ssize_t got = pread(fd, buffer + done, static_cast<size_t>(n - done), offset + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        done += got;
    }
    return true;
}

static bool PWriteAll(int32_t fd, const char* bytes, int64_t n, int64_t offset)
{
    int64_t done = 0;
    while (done < n) {
        ssize_t put = pwrite(fd, bytes + done, static_cast<size_t>(n - done), offset + done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0) {
            errno = EIO;
            return false;
        }
        done += put;
    }
    return true;
}

// For files without positions (devices, pipes).
static bool WriteAllAtEnd(int32_t fd, const char* bytes, int64_t n)
{
    int64_t done = 0;
    while (done < n) {
        ssize_t put = write(fd, bytes + done, static_cast<size_t>(n - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += put;
    }
    return true;
}

ForkFile::ForkFile() = default;

ForkFile::~ForkFile()
{
    // Left by an exception (memory ran short midway), the new contents are incomplete: they must
    // never replace the old file.
    if (std::uncaught_exceptions() > 0)
        Discard();
    else
        Close();
}

void ForkFile::Fail(int32_t code)
{
    failed = true;
    path.ReportError(code);
}

bool ForkFile::OpenForRead(const FilePath& file)
{
    Close();
    path = file;
    failed = false;
    FileDescriptor opened(path.IsEmpty() ? -1 : open(path.CStr(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (opened.IsValid() && (fstat(opened.Get(), &info) != 0 || S_ISDIR(info.st_mode)))
        opened = FileDescriptor();
    if (!opened.IsValid()) {
        Fail(message::kCannotOpen);
        return false;
    }
    fd = std::move(opened);
    mode = Mode::reading;
    position = 0;
    return true;
}

bool ForkFile::StartWriting(const FilePath& file)
{
    Close();
    path = file;
    failed = false;
    if (path.IsEmpty()) {
        Fail(message::kCannotOpen);
        return false;
    }
    if (!path.FolderExists()) {
        Fail(message::kFolderMissing);
        return false;
    }
    errorPendingAtOpen = IsErrorPending();
    streaming = false;
    return true;
}

bool ForkFile::OpenForWrite(const FilePath& file)
{
    if (!StartWriting(file))
        return false;
    if (!StartReplacing()) {
        ReleaseWriteState(true);
        return false;
    }
    mode = streaming ? Mode::appending : Mode::replacing;
    position = 0;
    return true;
}

bool ForkFile::OpenForAppend(const FilePath& file)
{
    if (!StartWriting(file))
        return false;
    target = path.Text();
    struct stat info;
    bool exists = stat(target.c_str(), &info) == 0;
    streaming = exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    // O_APPEND: another writer appending meanwhile is not overwritten.
    fd = FileDescriptor(exists && S_ISDIR(info.st_mode)
                            ? -1
                            : open(target.c_str(), O_WRONLY | O_CLOEXEC | (streaming ? 0 : O_CREAT | O_APPEND), 0666));
    if (!fd.IsValid()) {
        Fail(exists && S_ISDIR(info.st_mode) ? message::kCannotOpen : WriteOpenMessage(errno));
        return false;
    }
    mode = Mode::appending;
    position = streaming ? 0 : GetSize();
    return true;
}

bool ForkFile::StartReplacing()
{
    target = path.Text();
    struct stat info;
    bool exists = stat(target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        Fail(message::kCannotOpen);
        return false;
    }
    // A link is followed, so that the file it names is replaced and the link stays.
    char real[PATH_MAX];
    if (exists && realpath(target.c_str(), real))
        target = real;
    // A device or a pipe (an error file named /dev/stderr) is written as it is: replacing it would put
    // a plain file in its place.
    if (exists && !S_ISREG(info.st_mode)) {
        fd = FileDescriptor(open(target.c_str(), O_WRONLY | O_CLOEXEC));
        if (!fd.IsValid()) {
            Fail(WriteOpenMessage(errno));
            return false;
        }
        streaming = true;
        return true;
    }
    oldSize = 0;
    if (exists) {
        oldFd = FileDescriptor(open(target.c_str(), O_RDONLY | O_CLOEXEC));
        if (!oldFd.IsValid() || access(target.c_str(), W_OK) != 0) {
            Fail(WriteOpenMessage(errno));
            return false;
        }
        if (flock(oldFd.Get(), LOCK_EX | LOCK_NB) != 0) {
            Fail(WriteOpenMessage(errno));
            return false;
        }
        oldSize = info.st_size;
    }
    sizeAtOpen = exists ? oldSize : -1;
    std::string folder = target.substr(0, target.rfind('/') + 1);
    // The temporary file's short name would not notice a name the folder cannot hold.
    long nameLimit = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (target.size() - folder.size() > static_cast<size_t>(nameLimit > 0 ? nameLimit : NAME_MAX) ||
        target.size() >= PATH_MAX) {
        Fail(message::kCannotOpen);
        return false;
    }
    // What saves of ended processes left here goes first.
    RemoveStaleSaveTemporaries(folder);
    // Created like any new file (permissions 0666 less the umask), under a name of its own.
    for (int32_t attempt = 0; attempt < kTemporaryAttempts && !fd.IsValid(); ++attempt) {
        temporary = MakeSaveTemporaryName(folder);
        // Registered before it exists, so that no signal leaves it behind once it does.
        temporarySlot = RegisterSaveTemporary(temporary);
        fd = FileDescriptor(open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.IsValid()) {
            int error = errno;
            UnregisterSaveTemporary(temporarySlot);
            temporarySlot = -1;
            errno = error;
            if (error != EEXIST)
                break;
        }
    }
    if (!fd.IsValid()) {
        temporary.clear();
        Fail(WriteOpenMessage(errno));
        return false;
    }
    if (exists) {
        (void)fchmod(fd.Get(), info.st_mode & 07777);
        // Keeps the owner where permitted (the program running for another user); refused otherwise.
        (void)!fchown(fd.Get(), info.st_uid, info.st_gid);
    }
    size = oldSize;
    covered = 0;
    return true;
}

bool ForkFile::SwitchToAppending()
{
    FileDescriptor appendFd(open(target.c_str(), O_RDWR | O_CLOEXEC));
    if (!appendFd.IsValid()) {
        Fail(WriteOpenMessage(errno));
        return false;
    }
    unlink(temporary.c_str());
    ForgetTemporary();
    fd = std::move(appendFd);
    mode = Mode::appending;
    return true;
}

bool ForkFile::CopyOldBytes(int64_t upTo)
{
    upTo = std::min(upTo, oldSize);
    while (covered < upTo) {
        loff_t from = covered;
        loff_t to = covered;
        ssize_t copied = copy_file_range(oldFd.Get(), &from, fd.Get(), &to, static_cast<size_t>(upTo - covered), 0);
        if (copied > 0) {
            covered += copied;
            continue;
        }
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied == 0)
            break;  // the old file shrank meanwhile; the rest reads as zeros
        // No kernel copy between these files: through memory.
        std::vector<char> chunk(static_cast<size_t>(std::min(kCopyChunk, upTo - covered)));
        int64_t got = 0;
        if (!PReadAll(oldFd.Get(), chunk.data(), static_cast<int64_t>(chunk.size()), covered, got) ||
            !PWriteAll(fd.Get(), chunk.data(), got, covered))
            return false;
        if (got == 0)
            break;
        covered += got;
    }
    covered = std::max(covered, upTo);
    return true;
}

int64_t ForkFile::Read(void* buffer, int64_t n)
{
    if (n <= 0)
        return 0;
    if (mode == Mode::closed || !buffer) {
        Fail(message::kReadFailed);
        return 0;
    }
    if (mode == Mode::replacing) {
        n = std::max<int64_t>(0, std::min(n, size - position));
        if (!CopyOldBytes(position + n)) {
            Fail(message::kReadFailed);
            return 0;
        }
    }
    int64_t got = 0;
    if (!PReadAll(fd.Get(), static_cast<char*>(buffer), n, position, got)) {
        Fail(message::kReadFailed);
        return 0;
    }
    position += got;
    return got;
}

int64_t ForkFile::Write(const void* bytes, int64_t n)
{
    if (n <= 0)
        return 0;
    if (mode == Mode::closed || mode == Mode::reading || !bytes || failed) {
        Fail(message::kWriteFailed);
        return 0;
    }
    if (mode == Mode::replacing && covered == 0 && oldSize > 0 && position == oldSize && size == oldSize &&
        !SwitchToAppending())
        return 0;
    if (mode == Mode::replacing && position > covered && !CopyOldBytes(position)) {
        Fail(message::kWriteFailed);
        return 0;
    }
    if (streaming ? !WriteAllAtEnd(fd.Get(), static_cast<const char*>(bytes), n)
                  : !PWriteAll(fd.Get(), static_cast<const char*>(bytes), n, position)) {
        Fail(message::kWriteFailed);
        return 0;
    }
    position += n;
    covered = std::max(covered, position);
    size = std::max(size, position);
    return n;
}

int64_t ForkFile::GetSize() const
{
    if (mode == Mode::replacing)
        return size;
    struct stat info;
    if (!fd.IsValid() || fstat(fd.Get(), &info) != 0)
        return 0;
    return info.st_size;
}

void ForkFile::SetSize()
{
    if (streaming)
        return;
    if (mode == Mode::appending) {
        if (ftruncate(fd.Get(), position) != 0)
            Fail(message::kWriteFailed);
        return;
    }
    if (mode != Mode::replacing)
        return;
    if (position < covered) {
        if (ftruncate(fd.Get(), position) != 0) {
            Fail(message::kWriteFailed);
            return;
        }
        covered = position;
    }
    oldSize = std::min(oldSize, position);
    size = position;
}

void ForkFile::Commit()
{
    if (!CopyOldBytes(size) || ftruncate(fd.Get(), size) != 0 || fsync(fd.Get()) != 0) {
        Fail(message::kWriteFailed);
        return;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        Fail(errno == EACCES || errno == EPERM || errno == EROFS ? message::kFileLocked : message::kWriteFailed);
        return;
    }
    ForgetTemporary();
    // The rename itself reaches the disk with the folder.
    std::string folder = target.substr(0, target.rfind('/') + 1);
    FileDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.IsValid())
        (void)fsync(folderFd.Get());
}

void ForkFile::ForgetTemporary()
{
    UnregisterSaveTemporary(temporarySlot);
    temporarySlot = -1;
    temporary.clear();
}

void ForkFile::ReleaseWriteState(bool dropTemporary)
{
    if (dropTemporary && !temporary.empty())
        unlink(temporary.c_str());
    ForgetTemporary();
    fd = FileDescriptor();
    oldFd = FileDescriptor();
    mode = Mode::closed;
}

void ForkFile::Close()
{
    switch (mode) {
    case Mode::closed:
        return;
    case Mode::reading:
        fd = FileDescriptor();
        mode = Mode::closed;
        return;
    case Mode::appending:
        ReleaseWriteState(true);
        return;
    case Mode::replacing: {
        bool cancelled = !errorPendingAtOpen && IsErrorPending();
        // The caller learns that the new contents were dropped, as after a failed write.
        if (cancelled)
            failed = true;
        // Nothing written and the length unchanged: the old file already is the result.
        bool unchanged = covered == 0 && size == sizeAtOpen && oldSize == sizeAtOpen;
        if (!unchanged && !failed && !cancelled)
            Commit();
        ReleaseWriteState(true);
        return;
    }
    }
}

void ForkFile::Discard()
{
    if (mode == Mode::replacing)
        ReleaseWriteState(true);
    else
        Close();
}

}  // namespace vek
