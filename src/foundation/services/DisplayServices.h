// DisplayServices: what the library needs of a display (beeps, the front window, alerts).
#pragma once

#include <cstdint>

#include "foundation/services/Service.h"

namespace vek {

struct Message;
class String;

// What the library needs of a display: beeps, the front window, alerts. The windowed interface
// registers its implementation at start-up; until then (and in every run without a display) the
// headless one answers: it beeps and draws nothing, and an alert goes to stderr and takes the
// message's preset answer.
class DisplayServices {
public:
    virtual ~DisplayServices();

    // True when messages are put before a user (an alert waits for an answer).
    virtual bool HasDisplay() const = 0;
    // A system beep of 5 ticks.
    virtual void Beep() = 0;
    // Flushes the drawing buffer of the front window.
    virtual void FlushFrontWindow() = 0;
    // Makes this program the front process.
    virtual void BringApplicationToFront() = 0;
    // Shows the message (its formatted text given) as an alert and returns the chosen button: its
    // position among the message's numeric arguments, or the preset answer for a message shown
    // with the single default button.
    virtual int32_t PresentAlert(const Message& message, const String& text) = 0;
};

// The services without a display.
template <>
DisplayServices& Service<DisplayServices>::Headless();

// Shortcuts to the current services.
void Beep();
void FlushFrontWindow();
void BringApplicationToFront();

}  // namespace vek
