// The main of the desktop backend's tests: the program's start-up, then the display (Xvfb in CI).
#include <gtest/gtest.h>

#include <cstdio>

#include "app/StartProgramServices.h"
#include "desktop/DesktopWindowSystem.h"

// The libraries' own process-wide caches (fonts, GLib types, GTK's and X's) are passed over by the
// leak checker; never the program's allocations.
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

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    vek::StartProgramServices();
    if (!vek::StartDesktopServices(&argc, &argv)) {
        std::fputs("no display: the desktop tests run under xvfb-run\n", stderr);
        return 1;
    }
    return RUN_ALL_TESTS();
}
