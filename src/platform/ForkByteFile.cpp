// ForkByteFile: the byte files of the platform on real files, registered at start-up.
#include "platform/ForkByteFile.h"

#include <sys/stat.h>

#include <new>

namespace vek {

static FilePath SystemPath(const char* path)
{
    FilePath file;
    if (path)
        file.SetFromSystemPath(path);
    return file;
}

ForkByteFile::ForkByteFile() = default;

ForkByteFile::~ForkByteFile() = default;

bool ForkByteFile::OpenForRead(const char* path)
{
    return file.OpenForRead(SystemPath(path));
}

bool ForkByteFile::OpenForWrite(const char* path)
{
    if (!file.OpenForWrite(SystemPath(path)))
        return false;
    file.SetSize();
    return true;
}

bool ForkByteFile::OpenForAppend(const char* path)
{
    return file.OpenForAppend(SystemPath(path));
}

ByteFileStatus ForkByteFile::StatusOf(const char* path) const
{
    struct stat info;
    if (path == nullptr || stat(SystemPath(path).CStr(), &info) != 0)
        return {};
    if (!S_ISREG(info.st_mode))
        return {ByteFileKind::other, 0};
    return {ByteFileKind::regular, int64_t(info.st_size)};
}

static std::unique_ptr<ByteFile> MakeForkByteFile()
{
    return std::unique_ptr<ByteFile>(new (std::nothrow) ForkByteFile());
}

void RegisterPlatformFiles()
{
    Service<ByteFileMaker>::Register(&MakeForkByteFile);
}

}  // namespace vek
