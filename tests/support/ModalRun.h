// ModalRun: runs a dialog modally on an action thread, as a user action would, while the test injects
// input on the main thread; and the message handler that says a user attends.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "foundation/messages/Message.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"

namespace vek::test {

// While it lives, modal windows wait for input instead of pressing their default button.
class AttendedUser final : public MessageHandler {
public:
    int32_t IsUnattended() override { return 0; }
};

// Start runs the body (which builds a dialog and calls RunModal) on a new action thread until the
// thread waits in its modal loop; Finish serves the event loop and the application's tasks until the
// thread has ended (ASSERTs that it does within the time).
class ModalRun {
public:
    void Start(std::function<void()> work)
    {
        body = std::move(work);
        ended = false;
        const CooperativeThreadId thread = NewCooperativeThread(
            [](void* raw) {
                auto& self = *static_cast<ModalRun*>(raw);
                self.body();
                self.ended = true;
            },
            this);
        SwitchToThread(thread);
    }

    bool Ended() const { return ended; }

    void Finish(int32_t milliseconds = 5000)
    {
        ASSERT_TRUE(RunEventLoopUntil(
            [&] {
                if (Application* application = Application::Get())
                    application->RunIdleTasks();
                return ended && LiveThreadCount() == 0;
            },
            milliseconds));
    }

private:
    std::function<void()> body;
    bool ended = true;
};

}  // namespace vek::test
