// MainApplication: the program's application, as far as the program exists without document windows.
#pragma once

#include "gui/Application.h"

namespace vek {

// The one application of the program `vek`. It opens the files it is asked to open as bases (every
// open mode opens; printing and the other modes' windows come with the document windows), and keeps
// them open until the program ends.
class MainApplication final : public Application {
public:
    MainApplication();
    ~MainApplication() override;

    void OpenDocument(int32_t mode, const FilePath& file) override;
};

// Runs the program until it quits: the status texts, the application, the documents named on the
// command line, the event loop. Headless (no display, or asked for), the run ends once the documents
// are open and the work they queued is done, because no user can give it anything further to do.
// Every base still open at the end is closed without questions.
enum class RunMode { Windowed, Headless };
void RunProgram(RunMode mode);

}  // namespace vek
