// The main of the desktop backend's tests: the program's start-up, then the display (Xvfb in CI).
#include <gtest/gtest.h>

#include <cstdio>

#include "app/StartProgramServices.h"
#include "gui/desktop/DesktopWindowSystem.h"
#include "gui/desktop/LeakCheckSuppressions.h"

extern "C" const char* __lsan_default_suppressions()
{
    return vek::kDesktopLeakSuppressions;
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
