// AlertMessageHandler: showing a message as an alert, or on stderr when there is no display.
#include "foundation/messages/AlertMessageHandler.h"

#include "foundation/services/DisplayServices.h"
#include "foundation/strings/String.h"

namespace vek {

AlertMessageHandler::~AlertMessageHandler() = default;

int32_t AlertMessageHandler::ShowMessage(const Message& message)
{
    DisplayServices& display = Service<DisplayServices>::Get();
    for (int32_t i = 0; i < message.beeps; ++i)
        display.Beep();
    display.BringApplicationToFront();
    String text;
    message.Format(text);
    return display.PresentAlert(message, text);
}

int32_t AlertMessageHandler::IsUnattended() { return Service<DisplayServices>::Get().HasDisplay() ? 0 : 1; }

}  // namespace vek
