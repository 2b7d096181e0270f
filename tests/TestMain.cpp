// The main of every test program: the services start as in the programs the tested layer serves,
// then the tests run. The tests of the display-free layers start as the tools do (StartServices), so
// that they link no GUI; those of the GUI and the application as vek does (StartProgramServices).
#include <gtest/gtest.h>

#ifdef VEK_TEST_PROGRAM_SERVICES
#include "app/StartProgramServices.h"
#else
#include "startup/StartServices.h"
#endif

// Fontconfig, Pango and GLib keep process-wide caches that they never free; depending on which font
// cache files exist and on timing, the leak checker sees them as leaks. Only those libraries' own
// allocations are passed over, never ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libpango\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libharfbuzz.so\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VEK_TEST_PROGRAM_SERVICES
    vek::StartProgramServices();
#else
    vek::StartServices();
#endif
    return RUN_ALL_TESTS();
}
