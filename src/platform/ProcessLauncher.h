// ProcessLauncher: handing a URL or file path to the desktop's opener.
#pragma once

#include <cstdint>

namespace vek {

// Hands a URL or an absolute file path to the desktop's opener ("xdg-open", found on PATH), as a
// single argument and without a shell. Waits a moment for the opener's verdict: 0 when it was started
// and reported no failure within that time (an opener still running then is reaped in the
// background), otherwise its exit status or an errno value. A target that begins with "-" is refused
// (it would read as an option).
int32_t LaunchDefaultOpener(const char* target);

}  // namespace vek
