// MainApplication: the program's application, as far as the program exists without document windows.
#pragma once

#include "gui/Application.h"

namespace vek {

// The one application of the program `vek`. It opens the files it is asked to open as bases (every
// open mode opens; printing and the other modes' windows come with the document windows), puts each
// opened file first in the recent files, and keeps the bases open until the program ends.
class MainApplication final : public Application {
public:
    MainApplication();
    ~MainApplication() override;

    void OpenDocument(int32_t mode, const FilePath& file) override;
    // Refuses while a progress window is open (its operation is still running), else asks as every
    // application does.
    int32_t CanClose(CloseMode mode) override;
    // The standard items, then the program's menus by whether a base is current; the current base
    // enables its own items.
    void UpdateMenus() override;
    // About shows the about box, New and Open make or open a base, the user-code item asks for the
    // code; the rest as every application, then as a command of the current base.
    int32_t DoCommand(MenuItem& item) override;

    // How many files asked to be opened could not be.
    int32_t UnopenedFiles() const { return unopenedFiles; }

private:
    int32_t unopenedFiles = 0;
};

// Runs the program until it quits: the status texts, the application, the documents named on the
// command line, the event loop. Headless (no display, or asked for), the run ends once the documents
// are open and the work they queued is done, because no user can give it anything further to do.
// Every base still open at the end is closed without questions.
enum class RunMode { Windowed, Headless };
void RunProgram(RunMode mode);
// The exit code of the run that ended: kExitFileNotOpened when a file it was asked to open could not
// be opened, else kExitDone.
int ProgramExitCode();

}  // namespace vek
