// ProcessLauncher: handing a URL or file path to the desktop's opener.
#pragma once

#include <cstdint>

#include "foundation/services/Service.h"

namespace vek {

// Starts the desktop's opener on one target. The platform's own implementation spawns the opener;
// tests register one that records what would have been opened, so that no test starts a real
// desktop program.
class DesktopOpener {
public:
    virtual ~DesktopOpener();
    // 0 when started, else an exit status or an errno value (as LaunchDefaultOpener).
    virtual int32_t Launch(const char* target) = 0;
};
template <>
DesktopOpener& Service<DesktopOpener>::Headless();

// Hands a URL or an absolute file path to the desktop's opener ("xdg-open", found on PATH), as a
// single argument and without a shell. Waits a moment for the opener's verdict: 0 when it was started
// and reported no failure within that time (an opener still running then is reaped in the
// background), otherwise its exit status or an errno value. A target that begins with "-" is refused
// (it would read as an option). Goes through the registered DesktopOpener.
int32_t LaunchDefaultOpener(const char* target);

}  // namespace vek
