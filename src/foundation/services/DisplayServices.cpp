// DisplayServices: the headless display, which draws nothing and writes alerts to stderr.
#include "foundation/services/DisplayServices.h"

#include <cstdio>

#include "foundation/messages/Message.h"
#include "foundation/strings/String.h"

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

}  // namespace

DisplayServices::~DisplayServices() = default;

template <>
DisplayServices& Service<DisplayServices>::Headless()
{
    static HeadlessDisplayServices services;
    return services;
}

void Beep() { Service<DisplayServices>::Get().Beep(); }
void FlushFrontWindow() { Service<DisplayServices>::Get().FlushFrontWindow(); }
void BringApplicationToFront() { Service<DisplayServices>::Get().BringApplicationToFront(); }

}  // namespace vek
