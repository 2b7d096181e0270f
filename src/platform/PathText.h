// PathText: the text rules under FilePath, on plain path texts.
#pragma once

#include <string>
#include <string_view>

namespace vek {

class FilePath;

// The text rules under FilePath, on plain path texts.

// Folds an absolute path lexically: doubled slashes dropped, "." components removed, each ".."
// folded with the component before it ("/.." stays "/"). A trailing "/" is kept unless the text
// ended in "." or "..". Relative texts keep their leading "..".
void NormalizePathText(std::string& text);

// Converts a colon path into POSIX form: each ":" becomes "/", a ":" right after another (an empty
// component) becomes "../", and each "/" inside a name becomes ":". `afterColon` tells that the text
// followed a leading ":" that was removed (a relative colon path), so that a ":" at its start means
// the folder above.
enum class ColonStart { atName, afterColon };
std::string ColonPathToPosix(std::string_view colonPath, ColonStart start);

// The folder (with a trailing "/") in front of the first component of a colon path: the first that
// exists of a mounted volume of that name, the base's folder + name, and the home folder + name;
// empty when none does.
std::string FindColonPathFolder(const std::string& name, const FilePath* base);

// The folder that relative texts are taken against: the base itself when it is an existing folder
// (with a "/" added), else its text up to and including its last "/".
std::string BaseFolderOf(const FilePath& base);

// Creates a folder and the folders above it that are missing (mode 0700 for new ones, as for a
// user's settings). True when the folder exists afterwards.
bool MakeFolders(const std::string& folder);

// The home folder of another user (the account's, else /home/ + name).
std::string HomeFolderOfUser(const std::string& user);

}  // namespace vek
