// AlertMessageHandler: the handler that shows messages as alerts for the whole run.
#pragma once

#include <cstdint>

#include "foundation/messages/Message.h"

namespace vek {

// The handler the application pushes for the whole run. It beeps the message's beeps, brings the
// program forward and has the display show the message as an alert (DisplayServices). Without a
// display it writes the formatted text to stderr and takes the message's preset answer, and counts as
// unattended, so that no dialog waits for a user who is not there.
class AlertMessageHandler : public MessageHandler {
public:
    AlertMessageHandler() = default;
    ~AlertMessageHandler() override;

    int32_t ShowMessage(const Message& message) override;
    // 0 with a display, 1 without.
    int32_t IsUnattended() override;
};

}  // namespace vek
