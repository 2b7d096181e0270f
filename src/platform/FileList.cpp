// FileList: wildcard matching and walking folders for the files that match a pattern.
#include "platform/FileList.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

static constexpr size_t kMaxPatternLength = 1024;
// Deeper folders than this are not entered (and a loop of bind mounts ends here).
static constexpr int32_t kMaxFolderDepth = 32;

bool WildcardMatch(const char* pattern, const char* name)
{
    if (!pattern || !name || !*pattern)
        return false;
    std::vector<uint32_t> wanted;
    for (const char* p = pattern; *p;) {
        wanted.push_back(Utf8NextUpperChar(p));
        if (wanted.size() > kMaxPatternLength)
            return false;
    }
    size_t m = wanted.size();
    std::vector<char> active(m + 1, 0);
    std::vector<char> next(m + 1, 0);
    auto skipStars = [&](std::vector<char>& set) {
        for (size_t i = 0; i < m; ++i) {
            if (set[i] && wanted[i] == '*')
                set[i + 1] = 1;
        }
    };
    active[0] = 1;
    skipStars(active);
    for (const char* n = name; *n;) {
        uint32_t c = Utf8NextUpperChar(n);
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (size_t i = 0; i < m; ++i) {
            if (!active[i])
                continue;
            if (wanted[i] == '*')
                next[i] = 1;
            else if (wanted[i] == '?' || wanted[i] == c)
                next[i + 1] = 1;
            else
                continue;
            any = true;
        }
        if (!any)
            return false;
        skipStars(next);
        active.swap(next);
    }
    return active[m] != 0;
}

struct FileList::Level {
    std::string folder;  // with a trailing "/"
    int32_t depth = 0;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    size_t nextFile = 0;
    size_t nextFolder = 0;
};

FileList::FileList() = default;

FileList::~FileList() = default;

void FileList::Close()
{
    levels.clear();
}

void FileList::FindFilesMatching(std::string_view patternPath, const FilePath* base)
{
    Close();
    patternPath = patternPath.substr(0, patternPath.find('\0'));
    size_t slash = patternPath.rfind('/');
    std::string name(slash == std::string_view::npos ? patternPath : patternPath.substr(slash + 1));
    std::string folderText(slash == std::string_view::npos ? std::string_view() : patternPath.substr(0, slash + 1));
    recursive = name.find("**") != std::string::npos;
    pattern.clear();
    for (char c : name) {
        if (c != '*' || pattern.empty() || pattern.back() != '*')
            pattern.push_back(c);
    }
    if (pattern.empty())
        return;
    FilePath folder;
    if (folderText.empty())
        folderText = "./";
    if (base)
        folder.SetPathRelativeTo(folderText, base);
    else
        folder.SetPath(folderText);
    std::string text(folder.Text());
    if (text.empty())
        return;
    if (text.back() != '/')
        text.push_back('/');
    OpenLevel(text, 0);
}

bool FileList::OpenLevel(const std::string& folder, int32_t depth)
{
    // Closed on every way out, also when memory runs short while the names are gathered.
    std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
    if (!listing)
        return false;
    auto level = std::make_unique<Level>();
    level->folder = folder;
    level->depth = depth;
    while (dirent* entry = readdir(listing.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info;
        std::string full = folder + name;
        if (lstat(full.c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            if (recursive && depth + 1 < kMaxFolderDepth)
                level->folders.push_back(name);
            continue;
        }
        // A link counts as what it names; links to folders are neither listed nor entered.
        if (S_ISLNK(info.st_mode) && (stat(full.c_str(), &info) != 0 || S_ISDIR(info.st_mode)))
            continue;
        String shown;
        shown.AssignCStr(name.c_str());
        shown.ComposeAccents();
        shown.ReplaceAllCodePoint(':', '/');
        if (WildcardMatch(pattern.c_str(), shown.CStr()))
            level->files.push_back(name);
    }
    listing.reset();
    std::sort(level->files.begin(), level->files.end());
    std::sort(level->folders.begin(), level->folders.end());
    levels.push_back(std::move(level));
    return true;
}

bool FileList::Next(FilePath& out)
{
    while (!levels.empty()) {
        Level& level = *levels.back();
        if (level.nextFile < level.files.size()) {
            out.SetFromSystemPath(level.folder + level.files[level.nextFile++]);
            return true;
        }
        if (level.nextFolder < level.folders.size()) {
            std::string sub = level.folder + level.folders[level.nextFolder++] + "/";
            OpenLevel(sub, level.depth + 1);
            continue;
        }
        levels.pop_back();
    }
    return false;
}

}  // namespace vek
