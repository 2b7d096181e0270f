// PlatformServices: registering the platform's files, clock and locale at start-up.
#include "platform/PlatformServices.h"

#include "platform/EnvironmentLocale.h"
#include "platform/ForkByteFile.h"
#include "platform/SaveTemporaryFiles.h"
#include "platform/SystemClock.h"
#include "platform/events/EventLoop.h"

namespace vek {

void RegisterPlatformServices()
{
    static SystemClock clock;
    static EnvironmentLocale locale;
    RegisterPlatformFiles();
    InstallSaveTemporaryCleanup();
    Service<Clock>::Register(&clock);
    Service<SystemLocale>::Register(&locale);
    SetEventTimeOrigin();
    InstallEventLoop();
}

}  // namespace vek
