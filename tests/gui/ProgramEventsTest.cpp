// ProgramEventsTest: requests served on the main thread for action threads and workers, with the
// errors raised meanwhile; the system's quit and open-documents requests.
#include "platform/events/ProgramEvents.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/messages/PendingError.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "platform/FileDialogs.h"
#include "platform/FilePath.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// Dialogs that note where they ran, answer with a fixed path, and may fail with a pending error.
class MainThreadDialogs final : public FileDialogService {
public:
    bool RunOpenFileDialog(FilePath& path, uint32_t) override { return Answer(path); }
    bool RunSaveFileDialog(FilePath& path) override { return Answer(path); }

    std::atomic<int32_t> runs{0};
    std::atomic<bool> ranElsewhere{false};
    int32_t failWith = 0;

private:
    bool Answer(FilePath& path)
    {
        ++runs;
        if (!OnMainPosixThread() || CurrentCooperativeThread() != kMainThreadId)
            ranElsewhere = true;
        if (failWith != 0) {
            SetErrorCode(failWith);
            return false;
        }
        path = FilePath("/tmp/chosen.vek");
        return true;
    }
};

struct Request {
    bool save = false;
    bool chosen = false;
    int32_t errorSeen = 0;
    std::string path;
    std::atomic<bool> done{false};
};

void Ask(Request& request)
{
    FilePath path("/tmp/proposed.vek");
    request.chosen = request.save ? AskSaveFileOnMainThread(path) : AskOpenFileOnMainThread(path, 0);
    request.errorSeen = IsErrorPending() ? GetPendingError().message.code : 0;
    request.path = path.CStr();
    ClearError();
    request.done = true;
}

TEST(ProgramEvents, DialogRequestsAreServedOnTheMainThreadAndCarryTheirErrorBack)
{
    test::Watchdog watchdog("program events", 30);
    struct Case {
        const char* name;
        bool fromWorker;
        bool save;
        int32_t failWith;
    };
    const Case cases[] = {
        {"action thread, open dialog", false, false, 0},
        {"action thread, save dialog failing", false, true, 607},
        {"worker thread, open dialog failing", true, false, 605},
        {"worker thread, save dialog", true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainThreadDialogs dialogs;
        dialogs.failWith = c.failWith;
        ScopedService<FileDialogService> dialogScope{&dialogs};
        Request request;
        request.save = c.save;
        std::thread worker;
        if (c.fromWorker) {
            worker = std::thread([&request] { Ask(request); });
        } else {
            const CooperativeThreadId thread = NewCooperativeThread([](void* raw) { Ask(*static_cast<Request*>(raw)); }, &request);
            SwitchToThread(thread);
            EXPECT_FALSE(request.done) << "the action thread waits until the main thread served it";
        }
        ASSERT_TRUE(RunEventLoopUntil([&] { return request.done.load() && LiveThreadCount() == 0; }, 10000));
        if (worker.joinable())
            worker.join();
        EXPECT_EQ(dialogs.runs.load(), 1);
        EXPECT_FALSE(dialogs.ranElsewhere.load());
        EXPECT_EQ(request.chosen, c.failWith == 0);
        EXPECT_EQ(request.errorSeen, c.failWith) << "the error raised on the main thread is seen by the requester";
        EXPECT_EQ(request.path, c.failWith == 0 ? "/tmp/chosen.vek" : "/tmp/proposed.vek");
        EXPECT_FALSE(IsErrorPending());
    }
}

TEST(ProgramEvents, MainThreadRunsTheDialogItselfAndPrintRequestsCompleteWithoutPrinting)
{
    test::Watchdog watchdog("program events on the main thread", 30);
    MainThreadDialogs dialogs;
    ScopedService<FileDialogService> dialogScope{&dialogs};
    FilePath path("/tmp/proposed.vek");
    EXPECT_TRUE(AskOpenFileOnMainThread(path, 0));
    EXPECT_EQ(dialogs.runs.load(), 1);
    EXPECT_EQ(PostProgramEvent(ProgramEventKind::GetFile, nullptr, nullptr), kEventNotHandled)
        << "the main thread would wait for itself";

    struct Outcome {
        int32_t results[3] = {-1, -1, -1};
        bool done = false;
    } outcome;
    const CooperativeThreadId thread = NewCooperativeThread(
        [](void* raw) {
            auto& o = *static_cast<Outcome*>(raw);
            o.results[0] = PostProgramEvent(ProgramEventKind::Print, nullptr, nullptr);
            o.results[1] = PostProgramEvent(ProgramEventKind::PageSetup, nullptr, &o);
            o.results[2] = PostProgramEvent(ProgramEventKind::GetFile, nullptr, nullptr);  // no subject
            o.done = true;
        },
        &outcome);
    SwitchToThread(thread);
    ASSERT_TRUE(RunEventLoopUntil([&] { return outcome.done && LiveThreadCount() == 0; }, 10000));
    for (int32_t result : outcome.results)
        EXPECT_EQ(result, 0);
    EXPECT_EQ(dialogs.runs.load(), 1) << "a dialog request without a subject runs no dialog";
}

class RefusingWindow final : public Window {
public:
    RefusingWindow() : Window(1, OriginSize{40, 40, 100, 100}, 0, nullptr, true) {}
    int32_t CanClose(CloseMode) override { return refuse ? 0 : 1; }
    bool refuse = true;
};

class OpeningApplication final : public Application {
public:
    OpeningApplication() : Application(true) {}
    void OpenDocument(int32_t mode, const FilePath& file) override
    {
        opened.push_back(std::to_string(mode) + " " + std::string(file.Text()));
        if (failOn == int32_t(opened.size()))
            SetErrorCode(603);
    }
    std::vector<std::string> opened;
    int32_t failOn = 0;
};

TEST(ProgramEvents, QuitRequestAsksTheApplicationAndRunsOneIdleAction)
{
    OpeningApplication application;
    auto* window = new RefusingWindow();
    const int64_t idleBefore = IdleActionsStarted();
    EXPECT_FALSE(HandleQuitRequest()) << "a window that refuses keeps the program running";
    EXPECT_EQ(application.LoopState().quitFlag, 0);
    EXPECT_EQ(IdleActionsStarted(), idleBefore + 1);
    window->refuse = false;
    EXPECT_TRUE(HandleQuitRequest());
    EXPECT_EQ(application.LoopState().quitFlag, 1);
    EXPECT_EQ(IdleActionsStarted(), idleBefore + 2);
    ResetEventLoopQuit();
}

TEST(ProgramEvents, OpenDocumentsRequestStopsAtAPendingError)
{
    OpeningApplication application;
    const std::vector<FilePath> paths{FilePath("/tmp/a.vek"), FilePath("/tmp/b.vek"), FilePath("/tmp/c.vek")};
    application.failOn = 2;
    EXPECT_EQ(HandleOpenDocumentsRequest(paths, 1), 2);
    EXPECT_EQ(application.opened, (std::vector<std::string>{"1 /tmp/a.vek", "1 /tmp/b.vek"}));
    ClearError();
    application.opened.clear();
    application.failOn = 0;
    EXPECT_EQ(HandleOpenDocumentsRequest(paths, 0), 3);
    EXPECT_EQ(application.opened.size(), 3u);
}

}  // namespace
}  // namespace vek
