// The program vek: its arguments, the choice between a windowed and a headless run, and the run.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/MainApplication.h"
#include "app/StartProgramServices.h"
#include "desktop/DesktopWindowSystem.h"
#include "files/ProgramVersion.h"
#include "foundation/messages/LocalizedText.h"
#include "drawing/DrawingState.h"
#include "platform/events/ApplicationLoop.h"

#ifdef VEK_SANITIZE
// Fontconfig, Pango, GLib and GTK keep process-wide caches that they never free; the leak checker of the
// sanitizer builds passes over those libraries' own allocations, never ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpango\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libharfbuzz.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libatk\n"
           "leak:libX11.so\n"
           "leak:libcairo.so\n"
           "leak:libdbus-1.so\n";
}
#endif

namespace {

void PrintUsage()
{
    std::fputs("usage: vek [--headless] [FILE...]\n"
               "       vek --version\n"
               "Opens each FILE as a base, each in a window of its own when a display is present (X11:\n"
               "DISPLAY set). Without a display, or with --headless, messages go to stderr, every question\n"
               "takes the answer that changes nothing, and the program ends once the files are open.\n",
               stdout);
}

// What the command line asks of the program itself; every other argument is left to the open
// requests, which skip those that begin with '-'.
struct ProgramOptions {
    bool version = false;
    bool help = false;
    bool headless = false;
};

ProgramOptions ReadProgramOptions(int argc, char** argv)
{
    ProgramOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0)
            options.version = true;
        else if (std::strcmp(argv[i], "--help") == 0)
            options.help = true;
        else if (std::strcmp(argv[i], "--headless") == 0)
            options.headless = true;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    vek::StartProgramServices();
    const ProgramOptions options = ReadProgramOptions(argc, argv);
    if (options.version) {
        std::printf("%s\n", vek::kProgramVersionText);
        return 0;
    }
    if (options.help) {
        PrintUsage();
        return 0;
    }
    // Windowed when a display is named and can be opened; the display-free services stay otherwise.
    const char* display = std::getenv("DISPLAY");
    bool windowed = !options.headless && display != nullptr && *display != '\0';
    if (windowed && !vek::StartDesktopServices(&argc, &argv))
        windowed = false;
    vek::KeepProgramArguments(argc, argv);
    vek::SetLanguageAndCodePage();
    // Printed pages are in colour until the preferences say otherwise.
    vek::GetDrawingState().colorPrint = true;
    vek::RunProgram(windowed ? vek::RunMode::Windowed : vek::RunMode::Headless);
    return 0;
}
