// FilePath: a file location as an absolute POSIX path in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/streams/ByteFile.h"

namespace vek {

class String;

// A file location: an absolute POSIX path in UTF-8 ("/" separates components; a ":" inside a component
// stands for a "/" in the name the user sees). The empty text means "no file". Texts from users and
// old files are converted from the colon form, anchored at the home folder or a base path, and
// normalised (doubled slashes, "." and ".." components folded).
//
// Catalog queries answer 0 for a missing file. Failures are reported through ReportError as the
// pending error (messages 603-610); only the first is kept while one is pending.
class FilePath {
public:
    FilePath() = default;
    explicit FilePath(std::string_view text) { SetPath(text); }
    ~FilePath();
    FilePath(const FilePath&) = default;
    FilePath& operator=(const FilePath&) = default;

    void Assign(const FilePath& other) { path = other.path; }
    void Clear() { path.clear(); }
    bool IsEmpty() const { return path.empty(); }
    const char* CStr() const { return path.c_str(); }
    std::string_view Text() const { return path; }
    void GetPath(String& out) const;

    // Sets the path from a user's or a file's text: a remembered file on a removable volume is taken
    // when the text names one (see AliasStore.h); otherwise the text is converted from the colon form,
    // made absolute against the home folder, and normalised. Reports 603 when the folder part does
    // not exist.
    void SetPath(std::string_view text);
    // A path as typed on a command line: a relative text is taken against the working folder, as the
    // shell that typed it means it; then as SetPath.
    static FilePath FromCommandLine(std::string_view text);
    // The same, with relative texts (and colon paths) taken against the folder of `base`.
    void SetPathRelativeTo(std::string_view text, const FilePath* base);
    // Takes a path that the system gave (a dialog, a folder listing): normalised, decomposed accents
    // composed, nothing reported. An empty text leaves the path unchanged.
    void SetFromSystemPath(std::string_view systemPath);
    // The same steps one at a time, as SetPath runs them.
    void ConvertColonPath(const FilePath* base);
    void MakeAbsolute(const FilePath* base);
    void Normalize();

    // Components.
    int32_t FileNameOffset() const;   // just after the last "/" (the length when the text ends in "/")
    int32_t ExtensionOffset() const;  // just after the last "." of the name; the length when none
    void GetFileName(String& out) const;
    // The name as the user sees it: each ":" shown as "/".
    void GetDisplayFileName(String& out) const;
    void SetFileName(std::string_view name);
    void GetExtension(String& out) const;
    // Replaces the extension; an empty one removes it together with its dot.
    void SetExtension(std::string_view extension);
    // Cuts the last component and its slash when at least two characters remain; false otherwise.
    bool GoToParent();
    // The folder part: the text up to and including its last "/".
    std::string FolderPart() const;

    // Catalog information: times as local seconds since 1583-01-01 0:00 (the date-time epoch of the
    // program), sizes in bytes, 0 for a missing file.
    bool Exists() const;
    bool IsFolder() const;
    bool FolderExists() const;
    double GetCreationTime() const;
    double GetModificationTime() const;
    int64_t GetDataSize() const;
    uint64_t GetNodeId() const;
    // Both paths name the same existing file (device and node compared); false when either is missing.
    bool IsSameFile(const FilePath& other) const;

    // Makes the pending error the message `code` with the file's name (603: the folder part) and the
    // button text 701, unless an error is pending already.
    void ReportError(int32_t code) const;

    // Opens the file with its default application; reports 605 on failure.
    bool OpenWithDefaultApp() const;
    // Opens the folder that holds the file (or folder) with the default application; reports 603 when
    // that folder does not exist and 605 when it cannot be opened.
    bool OpenEnclosingFolder() const;

    // Remembered files on removable volumes (AliasStore.h): 1 when the text was resolved into this
    // path; recording keeps the file's volume and place for texts that name a removable volume.
    int32_t ResolveAlias(std::string_view text);
    void RecordAlias(std::string_view text) const;

    // The file dialogs (FileDialogs.h). Each reports a pending error first; on cancel it sets the
    // cancelled error (-1) and returns false.
    [[nodiscard]] bool AskOpenFile(uint32_t kindMask);
    [[nodiscard]] bool AskSaveFile();

private:
    std::string path;
};

// --- Special places --------------------------------------------------------------------------------

// The user's home folder ($HOME, else the account's), without a trailing "/".
std::string HomeFolder();
// Where preferences live: the user's ($XDG_CONFIG_HOME/VEK, default ~/.config/VEK) and the one shared
// by all users (the first of $XDG_CONFIG_DIRS, default /etc/xdg, + /VEK); no trailing "/".
std::string UserPreferencesFolder();
std::string SharedPreferencesFolder();
// The preferences file of a store name: the name's first component (the product; the vendor suffix
// after a "/" names nothing here) followed by " Globals" for domain 1 in the shared folder, or by
// " Preferences" in the user's folder. "VEK/ZO" gives ~/.config/VEK/VEK Preferences. Nothing is
// reported when the folder does not exist yet.
void MakePreferencesFilePath(FilePath& path, std::string_view name, int32_t domain);
// A file beside the program's executable.
void GetBundleLocation(FilePath& path, std::string_view name);
// A file on the desktop ($XDG_DESKTOP_DIR, default ~/Desktop) and in the home folder.
void MakeDesktopFilePath(FilePath& path, std::string_view name);
void MakeHomeFilePath(FilePath& path, std::string_view name);

// --- Path texts ------------------------------------------------------------------------------------

// Option bits of LooksLikeFilePath.
constexpr int32_t kPathPosix = 1;
constexpr int32_t kPathWindows = 2;
constexpr int32_t kPathAbsolute = 16;
constexpr int32_t kPathRelative = 32;
// Whether a text has the form of a file path of the forms the options name (no form bit: POSIX; no
// absolute/relative bit: both). Null gives false.
bool LooksLikeFilePath(const char* text, int32_t options);
// The name part of a path text (after the last "/", or after the last ":" of a colon path) and the
// extension part (after the name's last ".", else the end of the text), as offsets into the text.
int32_t FileNamePartOffset(const char* text);
int32_t ExtensionPartOffset(const char* text);
// The name part contains "*" or "?".
bool PathHasWildcards(const char* text);
// The text mentions the desktop ("desktop", "skrivbord" or "työpöytä", without case).
bool MentionsDesktop(const char* text);
// The program runs from a folder on the desktop.
bool RunsFromDesktop();

}  // namespace vek
