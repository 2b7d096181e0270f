// FileDialogService: the open and save dialogs behind FilePath::AskOpenFile and AskSaveFile.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "foundation/services/Service.h"

namespace vek {

class FilePath;
struct ProgramEvent;

// The open and save dialogs, reached through FilePath::AskOpenFile and FilePath::AskSaveFile. The
// windowed interface registers its dialogs at start-up; until then, and in every run without a
// display, the headless dialogs answer: with the answers a caller queued, else by cancelling.
class FileDialogService {
public:
    virtual ~FileDialogService();

    // Lets the user choose an existing file whose kind passes FileDialogFilterAccepts with the mask;
    // true with `path` set to it, false when cancelled. `path` proposes where to start.
    virtual bool RunOpenFileDialog(FilePath& path, uint32_t kindMask) = 0;
    // Lets the user choose a folder and type a name; true with `path` set to the folder + "/" + the
    // name (each "/" typed in the name kept as ":"), false when cancelled. `path` proposes the folder
    // and the name.
    virtual bool RunSaveFileDialog(FilePath& path) = 0;
    // Serves a file-dialog request of an action thread (GetFile or PutFile, its FileDialogRequest as
    // the user data) without holding up the main thread: shows the dialog and answers true; the
    // request is completed (CompleteProgramEvent) once the user answered, with the chosen path in it.
    // False when the dialogs have no such form (the request is then served by the two calls above).
    virtual bool StartFileDialog(ProgramEvent& event);
};

// The dialogs without a display (HeadlessFileDialogs).
template <>
FileDialogService& Service<FileDialogService>::Headless();

// The open dialog's filter: folders are always shown; a file when its sniffed kind (FileKindSniffer.h)
// meets the mask. A file that cannot be read is hidden without leaving an error behind.
bool FileDialogFilterAccepts(const FilePath& path, uint32_t kindMask);

// Dialogs without a display: each question takes the next queued answer, and cancels when none is
// queued. An open dialog whose answer does not pass the filter cancels too.
class HeadlessFileDialogs : public FileDialogService {
public:
    HeadlessFileDialogs() = default;
    ~HeadlessFileDialogs() override;

    // A path text as the system would give it (absolute), or a cancellation.
    void QueueAnswer(std::string_view path);
    void QueueCancel();
    int32_t QueuedAnswers() const { return static_cast<int32_t>(answers.size()); }

    bool RunOpenFileDialog(FilePath& path, uint32_t kindMask) override;
    bool RunSaveFileDialog(FilePath& path) override;

private:
    bool NextAnswer(std::string& answer);

    std::deque<std::pair<bool, std::string>> answers;  // (chosen, path)
};

}  // namespace vek
