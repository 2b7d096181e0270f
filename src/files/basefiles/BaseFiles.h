// Base files: making, opening, reading, importing, saving and closing bases, and their passwords.
#pragma once

#include <cstdint>

namespace vek {

class Base;
enum class CloseMode : int32_t;
class BaseProtection;
class FilePath;
class SaveSettings;
class String;
class TextReader;

// Flags of OpenBaseFile beyond the read flags of BaseFileType.h.
constexpr int32_t kOpenReturnOpenBase = 16;  // a base of the file that is open already is the answer

// --- Reading ---------------------------------------------------------------------------------------

// Loads a file into the base (Base::ReadFile): the kind is detected, a newer file is confirmed
// (3810), the kind's reader runs, and unless the file is imported (kReadImport) the base takes the
// file's format, finishes its load and is marked unmodified. The base's save settings and file state
// are the load's own while it runs and are put back afterwards, so a nested read leaves the outer one
// intact. `password` may be null.
//
// A file with a password (a block container whose header says so) is read with the password given,
// else the keychain's, else the answer of the password question (ModelServices::AskPassword; kept in
// the keychain when the answer asks for it). With nobody to ask it is refused (3848); a wrong
// password is refused (3814) and the keychain forgets the file's password. Every copy of the
// password is wiped after use. Unless kReadSkipOpenDirect is given or the file had a "##Commands"
// section, the log shows the open-direct steps after the load.
//
// False when the load was given up: a kind that cannot be read, a damaged file (the numbered message
// pending names the file and the line), a refused question, or the cancel flag. A text base without
// "##End" is read as far as it goes, with a message that says it is incomplete (3829).
// What was read by then stays in the base: OpenBaseFile drops the new base, ImportBaseFile rolls the
// base back.
[[nodiscard]] bool ReadBaseFile(Base& base, const FilePath& path, const char* password, int32_t flags);

// The sectioned text from the reader's next line to "##End" (Base::ReadSections), with the
// base's file record giving the state of the read; `file` names the file in messages and
// `protection` receives the "##Protection" password. False when the text was damaged or the reading
// stopped (the message pending); a text without "##End" is read, and reported as incomplete.
[[nodiscard]] bool ReadBaseSections(Base& base, TextReader& reader, const FilePath& file, BaseProtection& protection);

// --- Saving ----------------------------------------------------------------------------------------

// Writes the base to the path under the settings (null: made from the base, SaveSettings::FromBase)
// (Base::SaveFile). The file is written to a temporary file beside it and renamed over the old one
// only when everything was written: a failed or cancelled save leaves the old file as it was.
// Formats 1-3 write the block container (SaveBlockContainerFile), format 5 the plain text base,
// format 12 the SIE export (SaveSieFile). False, with the reason pending, when nothing was saved.
[[nodiscard]] bool SaveBaseFile(Base& base, const FilePath& path, const SaveSettings* settings);

// The block container of the settings' variant ("N", "B", "U"), compressed when they say so, keyed
// by the base's password when the settings save it (Base::SaveBlockContainerFile). A keychain item
// of the file that holds another password is given the base's.
[[nodiscard]] bool SaveBlockContainerFile(Base& base, const FilePath& path, const SaveSettings& settings);

// The plain text form: "##VEK-Text" TAB the format version (kBaseFileVersionText), an empty line
// and the sections, in UTF-8 with CR line ends (Base::SaveTextFile).
[[nodiscard]] bool SaveBaseTextFile(Base& base, const FilePath& path, const SaveSettings& settings);

// --- Open bases by path ----------------------------------------------------------------------------

// A new untitled base with the lowest number no open base uses.
Base* NewBase();
// The open base whose file is the same file (by file identity), or null.
Base* FindOpenBase(const FilePath& path);
// The base of the file: an open one (with kOpenReturnOpenBase, or when the user keeps to it at
// message 4003), else a new base loaded from the file. Null when the file cannot be read; the
// reason has been reported and the open bases are as they were.
Base* OpenBaseFile(const FilePath& path, const char* password, int32_t flags);
// The open dialog (base files), then OpenBaseFile; null when cancelled or not read.
Base* OpenBaseWithDialog();
// Asks the base whether it may close (Base::CanClose) and deletes it. True when closed (also for
// null), false when refused.
bool CloseBase(Base* base, CloseMode mode);
// CloseBase for a process that ends right after: the base is asked the same, and its alerts are
// shown, but its records are left to the system, which takes the whole memory back at once (freeing
// millions of records one by one costs a tenth of an import). The base stays in the list of open
// bases, so a leak checker still finds all of it. A base that writes a log or an error file is
// closed in full, so that those files are complete. Tests close bases with CloseBase.
bool CloseBaseAtExit(Base* base, CloseMode mode);
// ReadBaseFile on the base's own path.
[[nodiscard]] bool LoadOwnFile(Base& base, const char* password, int32_t flags);
// Reads a file into an open base; a read that is given up leaves the base as it was: what it added
// goes and what it changed is put back (BaseCheckpoint).
[[nodiscard]] bool ImportBaseFile(Base& base, const FilePath& path, const char* password, int32_t flags);
// The open dialog (base files; also text files when the base has exactly one import setup), then
// ImportBaseFile, or for a text file that is no base ImportTextFileWithUndo through that setup.
// False when cancelled or not read.
[[nodiscard]] bool ImportWithDialog(Base& base);
// Sets the base's cancelled mark and records the cancellation (code -1) unless an error is pending.
void MarkBaseCancelled(Base& base);

// Saves the base to its own file (Base::Save): an untitled base asks for a path; a file changed on
// disk since (4004) or one that is not a base of the base's format (4005, 4006) is confirmed first.
// On success the base keeps the path and the format, its BaseFileInfo is filled for this program
// and it is marked unmodified.
[[nodiscard]] bool SaveBase(Base& base);
// The save dialog with the base's name, then SaveBaseToPath without settings. False when cancelled.
[[nodiscard]] bool SaveBaseAs(Base& base);
// Saves to a path (Base::SaveToPath). Without settings the format follows the extension ("vkx"
// text, "vek" container) and the base takes the path on success; with settings the base keeps its
// own path.
[[nodiscard]] bool SaveBaseToPath(Base& base, const FilePath& path, const SaveSettings* settings);

// After a save to a path: the base takes the path (change 3 when it changes), the saved format and
// this program's BaseFileInfo, and is marked unmodified.
void TakeSavedFile(Base& base, const FilePath& path, int32_t format);

// The format SaveBaseToPath without settings writes to the path: the base's own, or what the
// path's extension names.
int32_t SaveFormatForPath(Base& base, const FilePath& path);
// A file written from a base read from `input` may go to `output` unless both name the same file
// (links seen through: device and node compared) and the write is not a plain save in the format the
// file has (`inputKind`, a BaseFileKind): a conversion, an export or a save of an imported SIE file
// over its source would replace the file being read with a form that cannot hold all of it. False,
// with 3851 pending, when refused.
[[nodiscard]] bool MayWriteOverInput(const FilePath& input, int32_t inputKind, const FilePath& output,
                                     int32_t outputFormat);

// The keychain account of a base file and its password there (the empty text when none).
void GetKeychainPassword(const FilePath& path, String& out);
void SetKeychainPassword(const FilePath& path, const char* password);

}  // namespace vek
