// FilePath: converting, normalising and taking apart file paths, and the facts of their files.
#include "platform/FilePath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "foundation/strings/CString.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "platform/AliasStore.h"
#include "platform/PathText.h"
#include "platform/ProcessLauncher.h"

namespace vek {

// Local seconds of 1970-01-01 0:00 on the program's date-time scale (day number × 86400, day 1 being
// 1583-01-01).
static constexpr double kUnixEpochSeconds = 12212640000.0;

FilePath::~FilePath() = default;

FilePath FilePath::FromCommandLine(std::string_view text)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(text), error);
    return FilePath(error ? text : std::string_view(absolute.native()));
}

void FilePath::GetPath(String& out) const
{
    out.AssignBytes(path.data(), static_cast<int32_t>(path.size()));
}

void FilePath::SetPath(std::string_view text)
{
    SetPathRelativeTo(text, nullptr);
}

void FilePath::SetPathRelativeTo(std::string_view text, const FilePath* base)
{
    text = text.substr(0, text.find('\0'));
    if (ResolveAlias(text))
        return;
    path.assign(text);
    if (path.empty())
        return;
    ConvertColonPath(base);
    MakeAbsolute(base);
    Normalize();
    RecordAlias(text);
}

void FilePath::SetFromSystemPath(std::string_view systemPath)
{
    systemPath = systemPath.substr(0, systemPath.find('\0'));
    if (systemPath.empty())
        return;
    std::string text(systemPath);
    NormalizePathText(text);
    String composed;
    composed.AssignBytes(text.data(), static_cast<int32_t>(text.size()));
    composed.ComposeAccents();
    path.assign(composed.CStr(), static_cast<size_t>(composed.Length()));
}

void FilePath::ConvertColonPath(const FilePath* base)
{
    size_t colon = path.find(':');
    // A text that starts like a POSIX path keeps its colons: they are part of its names.
    if (colon == std::string::npos || path[0] == '/' || path[0] == '~')
        return;
    if (colon == 0) {
        path = ColonPathToPosix(std::string_view(path).substr(1), ColonStart::afterColon);
        return;
    }
    std::string name = path.substr(0, colon);
    if (name.find('/') != std::string::npos)
        return;
    std::string folder = FindColonPathFolder(name, base);
    if (folder.empty())
        return;
    path = folder + ColonPathToPosix(path, ColonStart::atName);
}

void FilePath::MakeAbsolute(const FilePath* base)
{
    if (path.empty() || path[0] == '/')
        return;
    if (path[0] == '~') {
        size_t slash = path.find('/');
        std::string user = path.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
        std::string rest = slash == std::string::npos ? std::string() : path.substr(slash);
        path = (user.empty() ? HomeFolder() : HomeFolderOfUser(user)) + rest;
        return;
    }
    path = (base && !base->IsEmpty() ? BaseFolderOf(*base) : HomeFolder() + "/") + path;
}

void FilePath::Normalize()
{
    NormalizePathText(path);
    if (path.empty())
        return;
    // Nothing here is an alias file that would need resolving: the system follows symbolic links.
    struct stat info;
    std::string folder = FolderPart();
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        ReportError(message::kFolderMissing);
}

int32_t FilePath::FileNameOffset() const
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : static_cast<int32_t>(slash + 1);
}

int32_t FilePath::ExtensionOffset() const
{
    int32_t nameStart = FileNameOffset();
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || static_cast<int32_t>(dot) <= nameStart)
        return static_cast<int32_t>(path.size());
    return static_cast<int32_t>(dot + 1);
}

void FilePath::GetFileName(String& out) const
{
    int32_t start = FileNameOffset();
    out.AssignBytes(path.data() + start, static_cast<int32_t>(path.size()) - start);
}

void FilePath::GetDisplayFileName(String& out) const
{
    GetFileName(out);
    out.ReplaceAllCodePoint(':', '/');
}

void FilePath::SetFileName(std::string_view name)
{
    name = name.substr(0, name.find('\0'));
    path.resize(static_cast<size_t>(FileNameOffset()));
    path.append(name);
    Normalize();
}

void FilePath::GetExtension(String& out) const
{
    int32_t start = ExtensionOffset();
    out.AssignBytes(path.data() + start, static_cast<int32_t>(path.size()) - start);
}

void FilePath::SetExtension(std::string_view extension)
{
    extension = extension.substr(0, extension.find('\0'));
    path.resize(static_cast<size_t>(ExtensionOffset()));
    if (!path.empty() && path.back() != '.' && path.back() != '/')
        path.push_back('.');
    if (!extension.empty())
        path.append(extension);
    else if (!path.empty() && path.back() == '.')
        path.pop_back();
    Normalize();
}

bool FilePath::GoToParent()
{
    int32_t cut = FileNameOffset() - 1;
    if (cut < 2)
        return false;
    path.resize(static_cast<size_t>(cut));
    return true;
}

std::string FilePath::FolderPart() const
{
    return path.substr(0, static_cast<size_t>(FileNameOffset()));
}

bool FilePath::Exists() const
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool FilePath::IsFolder() const
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FilePath::FolderExists() const
{
    struct stat info;
    std::string folder = FolderPart();
    return !folder.empty() && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A system time as local seconds on the program's scale.
static double LocalProgramSeconds(int64_t seconds, uint32_t nanoseconds)
{
    time_t when = static_cast<time_t>(seconds);
    struct tm local;
    if (!localtime_r(&when, &local))
        return 0.0;
    return kUnixEpochSeconds + static_cast<double>(timegm(&local)) + nanoseconds * 1e-9;
}

double FilePath::GetCreationTime() const
{
    struct statx info;
    if (path.empty() || statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &info) != 0)
        return 0.0;
    // File systems that keep no birth time give the content time instead, so that an existing file
    // never reads as missing.
    const struct statx_timestamp& stamp = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
    return LocalProgramSeconds(stamp.tv_sec, stamp.tv_nsec);
}

double FilePath::GetModificationTime() const
{
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return 0.0;
    return LocalProgramSeconds(info.st_mtim.tv_sec, static_cast<uint32_t>(info.st_mtim.tv_nsec));
}

int64_t FilePath::GetDataSize() const
{
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return info.st_size;
}

uint64_t FilePath::GetNodeId() const
{
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_ino;
}

bool FilePath::IsSameFile(const FilePath& other) const
{
    struct stat mine, theirs;
    if (path.empty() || other.path.empty() || stat(path.c_str(), &mine) != 0 ||
        stat(other.path.c_str(), &theirs) != 0)
        return false;
    return mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

void FilePath::ReportError(int32_t code) const
{
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    if (code == message::kFolderMissing) {
        std::string folder = FolderPart();
        message.AddTextBytes(folder.data(), static_cast<int32_t>(folder.size()));
    } else {
        String name;
        GetDisplayFileName(name);
        message.AddTextBytes(name.CStr(), name.Length());
    }
    message.AddNumber(text::kCancel);
}

bool FilePath::OpenWithDefaultApp() const
{
    if (!Exists() || LaunchDefaultOpener(path.c_str()) != 0) {
        ReportError(message::kCannotOpen);
        return false;
    }
    return true;
}

bool FilePath::OpenEnclosingFolder() const
{
    FilePath folder(*this);
    if (!folder.GoToParent() || !folder.IsFolder()) {
        ReportError(message::kFolderMissing);
        return false;
    }
    if (LaunchDefaultOpener(folder.CStr()) != 0) {
        folder.ReportError(message::kCannotOpen);
        return false;
    }
    return true;
}

// --- Special places --------------------------------------------------------------------------------

static std::string AbsoluteEnvironmentFolder(const char* variable)
{
    const char* value = getenv(variable);
    if (!value || value[0] != '/')
        return {};
    std::string folder(value);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string HomeFolder()
{
    std::string home = AbsoluteEnvironmentFolder("HOME");
    if (!home.empty())
        return home;
    long wanted = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(wanted > 0 ? static_cast<size_t>(wanted) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        home = found->pw_dir;
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home.empty() ? std::string("/") : home;
}

std::string UserPreferencesFolder()
{
    std::string config = AbsoluteEnvironmentFolder("XDG_CONFIG_HOME");
    if (config.empty())
        config = HomeFolder() + "/.config";
    return config + "/VEK";
}

std::string SharedPreferencesFolder()
{
    std::string folders;
    if (const char* value = getenv("XDG_CONFIG_DIRS"))
        folders = value;
    std::string first = folders.substr(0, folders.find(':'));
    if (first.empty() || first[0] != '/')
        first = "/etc/xdg";
    while (first.size() > 1 && first.back() == '/')
        first.pop_back();
    return first + "/VEK";
}

void MakePreferencesFilePath(FilePath& path, std::string_view name, int32_t domain)
{
    name = name.substr(0, name.find('\0'));
    std::string product(name.substr(0, name.find('/')));
    std::string text = (domain == 1 ? SharedPreferencesFolder() : UserPreferencesFolder()) + "/" + product +
                       (domain == 1 ? " Globals" : " Preferences");
    path.SetFromSystemPath(text);
}

void GetBundleLocation(FilePath& path, std::string_view name)
{
    char executable[PATH_MAX + 1] = {};
    ssize_t length = readlink("/proc/self/exe", executable, PATH_MAX);
    std::string folder = length > 0 ? std::string(executable, static_cast<size_t>(length)) : std::string("/");
    folder.resize(folder.rfind('/') + 1);
    path.SetFromSystemPath(folder + std::string(name.substr(0, name.find('\0'))));
}

void MakeDesktopFilePath(FilePath& path, std::string_view name)
{
    std::string desktop = AbsoluteEnvironmentFolder("XDG_DESKTOP_DIR");
    if (desktop.empty())
        desktop = HomeFolder() + "/Desktop";
    path.SetFromSystemPath(desktop + "/" + std::string(name.substr(0, name.find('\0'))));
}

void MakeHomeFilePath(FilePath& path, std::string_view name)
{
    path.SetFromSystemPath(HomeFolder() + "/" + std::string(name.substr(0, name.find('\0'))));
}

}  // namespace vek
