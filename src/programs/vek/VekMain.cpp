// The program vek: its arguments, the choice between a windowed and a headless run, and the run.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/MainApplication.h"
#include "app/StartProgramServices.h"
#include "files/ProgramVersion.h"
#include "foundation/messages/LocalizedText.h"
#include "drawing/DrawingState.h"
#include "platform/WorkerThreads.h"
#include "platform/events/ApplicationLoop.h"

#ifdef VEK_SANITIZE
// Fontconfig, Pango and GLib keep process-wide caches that they never free; the leak checker of the
// sanitizer builds passes over those libraries' own allocations, never ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpango\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libharfbuzz.so\n";
}
#endif

namespace {

void PrintUsage()
{
    std::fputs("usage: vek [--headless] [--threads N] [FILE...]\n"
               "       vek --version\n"
               "Opens each FILE as a base. Without a display, or with --headless, messages go to stderr,\n"
               "every question takes the answer that changes nothing, and the program ends once the\n"
               "files are open. --threads N: the threads that share out reading and analysing\n"
               "(default: one per processor; 1 runs everything on one thread).\n",
               stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    vek::StartProgramServices();
    vek::SetWorkerThreadsAtStartup(argc, argv);
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", vek::kProgramVersionText);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage();
            return 0;
        }
        if (std::strcmp(argv[i], "--headless") == 0)
            headless = true;
        // Other options are passed over, as the open requests skip every argument that begins with '-'.
    }
    // The windowed interface is not part of this build: without it every run is headless.
    constexpr bool kWindowedInterfaceBuilt = false;
    const char* display = std::getenv("DISPLAY");
    if (!kWindowedInterfaceBuilt || display == nullptr || *display == '\0')
        headless = true;
    vek::KeepProgramArguments(argc, argv);
    vek::SetLanguageAndCodePage();
    // Printed pages are in colour until the preferences say otherwise.
    vek::GetDrawingState().colorPrint = true;
    vek::RunProgram(headless ? vek::RunMode::Headless : vek::RunMode::Windowed);
    return 0;
}
