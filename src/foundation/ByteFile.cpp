#include "foundation/ByteFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "foundation/Message.h"
#include "foundation/PendingError.h"

namespace vek {

namespace {

// The numbered file messages (the platform layer's file messages use the same numbers).
constexpr int32_t kByteFileCannotOpen = 605;
constexpr int32_t kByteFileReadFailed = 606;
constexpr int32_t kByteFileWriteFailed = 607;
constexpr int32_t kByteFileLocked = 608;

constexpr const char* kUtf8Attribute = "user.com.apple.TextEncoding";
constexpr const char* kUtf8AttributeValue = "UTF-8;134217984";
constexpr char kTemporaryPattern[] = ".vek-save-XXXXXX";

int32_t OpenErrorMessage(int error)
{
    return error == EACCES || error == EPERM || error == EROFS ? kByteFileLocked : kByteFileCannotOpen;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// The file a link names, so that replacing keeps the link; the path itself when it names no file.
std::string ResolvedTarget(const char* path)
{
    char real[PATH_MAX];
    if (realpath(path, real) != nullptr)
        return real;
    return path;
}

}  // namespace

ByteFile::~ByteFile() = default;

static std::unique_ptr<ByteFile> MakePosixByteFile()
{
    return std::unique_ptr<ByteFile>(new (std::nothrow) PosixByteFile());
}

template <>
ByteFileMaker& Service<ByteFileMaker>::Headless()
{
    return MakePosixByteFile;
}

std::unique_ptr<ByteFile> NewByteFile()
{
    return Service<ByteFileMaker>::Get()();
}

PosixByteFile::~PosixByteFile()
{
    Close();
}

void PosixByteFile::Fail(int32_t code)
{
    failed = true;
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    message.AddFileName(target.c_str());
    message.AddNumber(kTextCancelButton);
}

bool PosixByteFile::OpenForRead(const char* path)
{
    Close();
    failed = false;
    target = path == nullptr ? "" : path;
    int32_t opened = target.empty() ? -1 : open(target.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (opened >= 0 && (fstat(opened, &info) != 0 || S_ISDIR(info.st_mode))) {
        close(opened);
        opened = -1;
        errno = EISDIR;
    }
    if (opened < 0) {
        Fail(OpenErrorMessage(errno));
        return false;
    }
    fd = opened;
    mode = Mode::reading;
    position = 0;
    return true;
}

bool PosixByteFile::StartWriting(const char* path)
{
    Close();
    failed = false;
    target = path == nullptr ? "" : path;
    if (target.empty() || target.back() == '/') {
        Fail(kByteFileCannotOpen);
        return false;
    }
    target = ResolvedTarget(target.c_str());
    errorPendingAtOpen = IsErrorPending();
    position = 0;
    size = 0;
    return true;
}

bool PosixByteFile::OpenForWrite(const char* path)
{
    if (!StartWriting(path))
        return false;
    struct stat info;
    bool exists = stat(target.c_str(), &info) == 0;
    if (exists && (S_ISDIR(info.st_mode) || access(target.c_str(), W_OK) != 0)) {
        Fail(S_ISDIR(info.st_mode) ? kByteFileCannotOpen : kByteFileLocked);
        return false;
    }
    temporary = FolderOf(target) + kTemporaryPattern;
    fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        temporary.clear();
        Fail(OpenErrorMessage(errno));
        return false;
    }
    // The new file takes the old one's permissions; a new file those of any new file.
    if (exists) {
        (void)fchmod(fd, info.st_mode & 07777);
    } else {
        mode_t mask = umask(0);
        umask(mask);
        (void)fchmod(fd, 0666 & ~mask);
    }
    if (utf8Text)
        (void)fsetxattr(fd, kUtf8Attribute, kUtf8AttributeValue, std::strlen(kUtf8AttributeValue), 0);
    mode = Mode::replacing;
    return true;
}

bool PosixByteFile::OpenForAppend(const char* path)
{
    if (!StartWriting(path))
        return false;
    fd = open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
        close(fd);
        fd = -1;
        errno = EISDIR;
    }
    if (fd < 0) {
        Fail(OpenErrorMessage(errno));
        return false;
    }
    if (utf8Text)
        (void)fsetxattr(fd, kUtf8Attribute, kUtf8AttributeValue, std::strlen(kUtf8AttributeValue), 0);
    else
        (void)fremovexattr(fd, kUtf8Attribute);
    size = info.st_size;
    position = size;
    mode = Mode::appending;
    return true;
}

int64_t PosixByteFile::Read(void* buffer, int64_t n)
{
    if (n <= 0 || buffer == nullptr)
        return 0;
    if (mode != Mode::reading) {
        Fail(kByteFileReadFailed);
        return 0;
    }
    int64_t done = 0;
    while (done < n) {
        ssize_t got = pread(fd, static_cast<char*>(buffer) + done, size_t(n - done), position + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail(kByteFileReadFailed);
            return 0;
        }
        if (got == 0)
            break;
        done += got;
    }
    position += done;
    return done;
}

int64_t PosixByteFile::Write(const void* bytes, int64_t n)
{
    if (n <= 0)
        return 0;
    if ((mode != Mode::replacing && mode != Mode::appending) || bytes == nullptr || failed) {
        Fail(kByteFileWriteFailed);
        return 0;
    }
    int64_t done = 0;
    while (done < n) {
        ssize_t put = pwrite(fd, static_cast<const char*>(bytes) + done, size_t(n - done), position + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            Fail(kByteFileWriteFailed);
            return 0;
        }
        done += put;
    }
    position += n;
    if (position > size)
        size = position;
    return n;
}

int64_t PosixByteFile::GetSize() const
{
    if (mode == Mode::replacing || mode == Mode::appending)
        return size;
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0)
        return 0;
    return info.st_size;
}

void PosixByteFile::SetPosition(int64_t offset)
{
    if (mode == Mode::reading)
        position = offset < 0 ? 0 : offset;
}

void PosixByteFile::SetSize()
{
    if (mode != Mode::replacing && mode != Mode::appending)
        return;
    if (ftruncate(fd, position) != 0) {
        Fail(kByteFileWriteFailed);
        return;
    }
    size = position;
}

void PosixByteFile::Release(bool dropTemporary)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
    if (dropTemporary && !temporary.empty())
        unlink(temporary.c_str());
    temporary.clear();
    mode = Mode::closed;
}

void PosixByteFile::Close()
{
    if (mode != Mode::replacing) {
        Release(false);
        return;
    }
    bool cancelled = !errorPendingAtOpen && IsErrorPending();
    if (failed || cancelled) {
        failed = true;
        Release(true);
        return;
    }
    if (fsync(fd) != 0) {
        Fail(kByteFileWriteFailed);
        Release(true);
        return;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        Fail(errno == EACCES || errno == EPERM || errno == EROFS ? kByteFileLocked : kByteFileWriteFailed);
        Release(true);
        return;
    }
    temporary.clear();
    Release(false);
    // The rename itself reaches the disk with the folder.
    int32_t folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)fsync(folder);
        close(folder);
    }
}

void PosixByteFile::Discard()
{
    Release(true);
}

}  // namespace vek
