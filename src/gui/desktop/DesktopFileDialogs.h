// DesktopFileDialogs: the open and save dialogs of the desktop (GTK file chooser).
#pragma once

#include <cstdint>

#include "platform/FileDialogs.h"

struct _GtkWidget;

namespace vek {

// The file chooser behind FilePath::AskOpenFile and AskSaveFile on a display. A request of an action
// thread shows the chooser and returns to the loop; the action stays suspended until the user
// answers (StartFileDialog). Only a request made on the main thread itself, with no action to
// suspend, waits in the chooser's own loop. The open dialog shows folders and the files whose sniffed
// kind meets the request's mask; the save dialog proposes the path's folder and name and confirms
// overwriting.
class DesktopFileDialogs final : public FileDialogService {
public:
    DesktopFileDialogs() = default;
    ~DesktopFileDialogs() override;

    bool RunOpenFileDialog(FilePath& path, uint32_t kindMask) override;
    bool RunSaveFileDialog(FilePath& path) override;
    bool StartFileDialog(ProgramEvent& event) override;

    // The chooser of the request being answered, null when none is up (tests answer it).
    static _GtkWidget* OpenChooser();
};

}  // namespace vek
