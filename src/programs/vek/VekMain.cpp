// The program vek: its arguments, the choice between a windowed and a headless run, and the run.
#include <cstdlib>
#include <memory>

#include "app/CommandLine.h"
#include "app/MainApplication.h"
#include "app/SingleInstance.h"
#include "app/StartProgramServices.h"
#include "gui/desktop/DesktopWindowSystem.h"
#include "gui/desktop/LeakCheckSuppressions.h"
#include "foundation/messages/LocalizedText.h"
#include "drawing/DrawingState.h"
#include "platform/WorkerThreads.h"
#include "platform/events/ApplicationLoop.h"

#ifdef VEK_SANITIZE
extern "C" const char* __lsan_default_suppressions()
{
    return vek::kDesktopLeakSuppressions;
}
#endif

int main(int argc, char** argv)
{
    vek::StartProgramServices();
    // Takes --threads N out of the arguments before they are read as options and files.
    vek::SetWorkerThreadsAtStartup(argc, argv);
    // Windowed when a display is named and can be opened; the display-free services stay otherwise.
    const char* display = std::getenv("DISPLAY");
    const bool displayUsable = display != nullptr && *display != '\0';
    vek::CommandLine line;
    if (int answer = vek::ReadProgramCommandLine(argc, argv, displayUsable, line); answer >= 0)
        return answer;
    // On a display the program runs once: a further start hands its files to the running one.
    if (!line.headless && displayUsable && vek::HandOverToRunningProgram(line.files))
        return vek::kExitDone;
    if (!line.headless && !vek::StartDesktopServices(&argc, &argv))
        line.headless = true;
    std::unique_ptr<vek::InstanceListener> listener;
    if (!line.headless)
        listener = vek::ListenForFurtherFiles();
    // Only the files are documents to open; the options and their values are not.
    vek::ProgramArguments documents(argc > 0 ? argv[0] : nullptr, line.files);
    vek::KeepProgramArguments(documents.Count(), documents.Vector());
    vek::SetLanguageAndCodePage();
    // Printed pages are in colour until the preferences say otherwise.
    vek::GetDrawingState().colorPrint = true;
    vek::RunProgram(line.headless ? vek::RunMode::Headless : vek::RunMode::Windowed);
    return vek::ProgramExitCode();
}
