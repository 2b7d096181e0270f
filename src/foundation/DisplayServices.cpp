#include "foundation/DisplayServices.h"

#include <cstdio>

#include "foundation/Message.h"
#include "foundation/String.h"

namespace vek {

namespace {

// A run without a display: nothing to beep or draw on, and an alert is written to stderr.
class HeadlessDisplayServices final : public DisplayServices {
public:
    bool HasDisplay() const override { return false; }
    void Beep() override {}
    void FlushFrontWindow() override {}
    void BringApplicationToFront() override {}
    int32_t PresentAlert(const Message& message, const String& text) override
    {
        // Line breaks inside messages are carriage returns; a terminal wants line feeds.
        for (const char* p = text.CStr(); *p; ++p)
            std::fputc(*p == '\r' ? '\n' : *p, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
        return message.answer;
    }
};

DisplayServices* registeredServices = nullptr;

DisplayServices& HeadlessServices()
{
    static HeadlessDisplayServices services;
    return services;
}

}  // namespace

DisplayServices::~DisplayServices() = default;

void RegisterDisplayServices(DisplayServices* services) { registeredServices = services; }

DisplayServices& CurrentDisplayServices()
{
    return registeredServices ? *registeredServices : HeadlessServices();
}

void Beep() { CurrentDisplayServices().Beep(); }
void FlushFrontWindow() { CurrentDisplayServices().FlushFrontWindow(); }
void BringApplicationToFront() { CurrentDisplayServices().BringApplicationToFront(); }

}  // namespace vek
