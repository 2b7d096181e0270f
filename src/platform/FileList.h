// FileList: the files that match a wildcard path, found folder by folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FilePath.h"

namespace vek {

// Whether a file name matches a wildcard pattern: "*" matches any run of characters (none included),
// "?" any one character, every other character itself without regard to case. All pattern positions
// are followed at once, so no pattern makes the match slow. An empty pattern matches nothing; a
// pattern of more than 1024 characters matches nothing.
bool WildcardMatch(const char* pattern, const char* name);

// The files of a folder whose names match a pattern, in order of their names.
//
// The pattern path is a folder and a name pattern ("/data/*.sie", or relative to the base file's
// folder). "**" in the name pattern matches like "*" and also lists the folder's subfolders, depth
// first (a folder's own files before those of its subfolders), without following links to folders.
// Folders themselves are never listed. A folder that does not exist reports 603 and lists nothing.
class FileList {
public:
    FileList();
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Starts a listing (closing any earlier one).
    void FindFilesMatching(std::string_view patternPath, const FilePath* base);
    // The next matching file into `out`; false at the end (the listing is then closed).
    bool Next(FilePath& out);
    void Close();

private:
    struct Level;
    bool OpenLevel(const std::string& folder, int32_t depth);

    std::string pattern;
    bool recursive = false;
    std::vector<std::unique_ptr<Level>> levels;
};

}  // namespace vek
