// CloseMode: how a base, a window or the application asks before it closes.
#pragma once

#include <cstdint>

namespace vek {

// One mode travels from the application's quit through the windows to the bases, so the numbers are
// shared by every layer that closes something.
enum class CloseMode : int32_t {
    Normal = 0,           // a modified base asks whether to save it
    ConfirmContents = 1,  // also an unmodified base with cards or components asks (message 3202)
    PressDefault = 2,     // running modal windows end with their default button
    WindowsOnly = 3,      // nobody is asked: a base asks only its windows, and running modal
                          // windows end with their cancel button
};

}  // namespace vek
