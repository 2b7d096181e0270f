// PathText: normalising path texts, converting colon paths, and finding folders and file-name parts.
#include "platform/PathText.h"

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "foundation/strings/CString.h"
#include "platform/AliasStore.h"
#include "platform/FilePath.h"

namespace vek {

void NormalizePathText(std::string& text)
{
    if (text.empty())
        return;
    bool absolute = text[0] == '/';
    std::vector<std::string> components;
    bool trailingSlash = text.back() == '/';
    size_t start = 0;
    while (start <= text.size()) {
        size_t slash = text.find('/', start);
        size_t end = slash == std::string::npos ? text.size() : slash;
        std::string component = text.substr(start, end - start);
        if (component == "..") {
            if (!components.empty() && components.back() != "..")
                components.pop_back();
            else if (!absolute)
                components.push_back(component);
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < components.size(); ++i) {
        if (i > 0)
            result.push_back('/');
        result += components[i];
    }
    if (trailingSlash && !components.empty())
        result.push_back('/');
    if (result.empty())
        result = ".";
    text.swap(result);
}

std::string ColonPathToPosix(std::string_view colonPath, ColonStart start)
{
    std::string out;
    bool afterColon = start == ColonStart::afterColon;
    for (char c : colonPath) {
        if (c == ':') {
            out += afterColon ? "../" : "/";
            afterColon = true;
        } else {
            out.push_back(c == '/' ? ':' : c);
            afterColon = false;
        }
    }
    return out;
}

static bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string BaseFolderOf(const FilePath& base)
{
    std::string text(base.Text());
    if (IsFolder(text))
        return text.empty() || text.back() == '/' ? text : text + "/";
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

std::string FindColonPathFolder(const std::string& name, const FilePath* base)
{
    if (name.empty() || name == "." || name == "..")
        return {};
    for (const std::string& root : RemovableVolumeRoots()) {
        if (IsFolder(root + "/" + name))
            return root + "/";
    }
    if (base && !base->IsEmpty()) {
        std::string folder = BaseFolderOf(*base);
        if (!folder.empty() && IsFolder(folder + name))
            return folder;
    }
    std::string home = HomeFolder() + "/";
    if (IsFolder(home + name))
        return home;
    return {};
}

std::string HomeFolderOfUser(const std::string& user)
{
    long wanted = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(wanted > 0 ? static_cast<size_t>(wanted) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return "/home/" + user;
}

bool MakeFolders(const std::string& folder)
{
    if (folder.empty())
        return false;
    if (IsFolder(folder))
        return true;
    size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? IsFolder(folder) : false;
}

// --- Path texts ------------------------------------------------------------------------------------

static bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool LooksLikeFilePath(const char* text, int32_t options)
{
    if (!text || !*text)
        return false;
    bool posix = (options & kPathPosix) || !(options & (kPathPosix | kPathWindows));
    bool windows = options & kPathWindows;
    bool absolute = (options & kPathAbsolute) || !(options & (kPathAbsolute | kPathRelative));
    bool relative = (options & kPathRelative) || !(options & (kPathAbsolute | kPathRelative));
    if (posix) {
        if (absolute && text[0] == '/' && text[1] && CStrFindChar(text + 2, '/') >= 0)
            return true;
        if (relative && text[0] != '/')
            return true;
    }
    if (windows) {
        if (absolute && text[0] == '\\' && text[1] == '\\' && text[2])
            return true;
        if (absolute && IsAsciiLetter(text[0]) && text[1] == ':' && text[2] == '\\')
            return true;
        if (relative && text[0] != '\\' && text[1] != ':')
            return true;
    }
    return false;
}

int32_t FileNamePartOffset(const char* text)
{
    if (!text)
        return 0;
    std::string whole(text);
    size_t slash = whole.rfind('/');
    if (slash != std::string::npos)
        return static_cast<int32_t>(slash + 1);
    size_t colon = whole.find(':');
    if (colon != std::string::npos && colon > 0 && !FindColonPathFolder(whole.substr(0, colon), nullptr).empty())
        return static_cast<int32_t>(whole.rfind(':') + 1);
    return 0;
}

int32_t ExtensionPartOffset(const char* text)
{
    if (!text)
        return 0;
    int32_t length = CStrLength(text);
    int32_t name = FileNamePartOffset(text);
    for (int32_t i = length - 1; i >= name; --i) {
        if (text[i] == '.')
            return i + 1;
    }
    return length;
}

bool PathHasWildcards(const char* text)
{
    if (!text)
        return false;
    const char* name = text + FileNamePartOffset(text);
    return CStrFindChar(name, '*') >= 0 || CStrFindChar(name, '?') >= 0;
}

bool MentionsDesktop(const char* text)
{
    return text && (CStrFindNoCase(text, "desktop") >= 0 || CStrFindNoCase(text, "skrivbord") >= 0 ||
                    CStrFindNoCase(text, "työpöytä") >= 0);
}

bool RunsFromDesktop()
{
    FilePath beside;
    GetBundleLocation(beside, "foo.txt");
    return MentionsDesktop(beside.CStr());
}

}  // namespace vek
