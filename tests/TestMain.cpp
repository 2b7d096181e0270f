// The main of every test program: the services start as in the program, then the tests run.
#include <gtest/gtest.h>

#include "startup/StartServices.h"

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
    vek::StartServices();
    return RUN_ALL_TESTS();
}
