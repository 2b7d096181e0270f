// PlatformServices: registering the platform's files, clock, locale and heap at start-up.
#include "platform/PlatformServices.h"

#include "platform/EnvironmentLocale.h"
#include "platform/ForkByteFile.h"
#include "platform/LargePageHeap.h"
#include "platform/SaveTemporaryFiles.h"
#include "platform/SystemClock.h"
#include "platform/events/EventLoop.h"

namespace vek {

void RegisterPlatformServices()
{
    static SystemClock clock;
    static EnvironmentLocale locale;
    // Never destroyed: blocks may still be asked for while static objects are torn down at exit.
    static LargePageHeap& heap = *new LargePageHeap;
    RegisterPlatformFiles();
    InstallSaveTemporaryCleanup();
    Service<Clock>::Register(&clock);
    Service<SystemLocale>::Register(&locale);
    Service<HeapMemory>::Register(&heap);
    SetEventTimeOrigin();
    InstallEventLoop();
}

}  // namespace vek
