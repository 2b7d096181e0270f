// ApplicationTest: the idle pass (deletions, tasks, drops, ticks), quitting and command-line documents.
#include "gui/Application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "gui/TransferData.h"
#include "gui/Window.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/ApplicationLoop.h"
#include "platform/events/EventLoop.h"

namespace vek {
namespace {

using Log = std::vector<std::string>;

class RecordingApplication final : public Application {
public:
    explicit RecordingApplication(Log& log) : Application(true), log(log) {}
    void OpenDocument(int32_t mode, const FilePath& file) override
    {
        log.push_back("open " + std::to_string(mode) + " " + std::string(file.Text()));
    }
    CommandTarget* Notify(int32_t code) override
    {
        if (code == 17)
            log.push_back("tick");
        return Application::Notify(code);
    }
    Log& log;
};

class DropWindow final : public Window {
public:
    DropWindow(Log& log, bool accepts) : Window(1, OriginSize{40, 40, 100, 100}, 0, nullptr, true), log(log), accepts(accepts) {}
    int32_t AcceptDrop(TransferData& package) override
    {
        TransferItem* text = package.FindItem(kTransferText);
        log.push_back("drop " + (text ? text->bytes : std::string("file")));
        return accepts ? 1 : 0;
    }
    Log& log;
    bool accepts;
};

class LoggingTask final : public Task {
public:
    LoggingTask(Log& log, std::string name, bool postAnother) : log(log), name(std::move(name)), postAnother(postAnother) {}
    void Run() override
    {
        log.push_back("task " + name);
        if (postAnother)
            Application::Get()->PostTask(std::make_unique<LoggingTask>(log, name + "'", false));
    }
    Log& log;
    std::string name;
    bool postAnother;
};

class ApplicationFixture : public ::testing::Test {
protected:
    ApplicationFixture() { clock.SetMs(100000); }
    ManualClock clock;
    ScopedService<Clock> clockScope{&clock};
    Log log;
    RecordingApplication application{log};
};

TEST_F(ApplicationFixture, TasksPostedWhileTasksRunRunInTheSamePass)
{
    application.PostTask(std::make_unique<LoggingTask>(log, "a", true));
    application.PostTask(std::make_unique<LoggingTask>(log, "b", false));
    EXPECT_TRUE(application.HasPendingWork());
    log.clear();
    application.RunIdleTasks();
    EXPECT_EQ(log, (Log{"task a", "task b", "task a'", "tick"}));
    EXPECT_FALSE(application.HasPendingWork());
}

TEST_F(ApplicationFixture, DropsAreDeliveredNewestFirstAndUnacceptedFilesOpen)
{
    auto* window = new DropWindow(log, false);
    Application::SetCurrentDropWindow(window);
    auto text = std::make_unique<TransferData>();
    text->AddText(kTransferText, "first");
    application.PostDrop(std::move(text));
    auto file = std::make_unique<TransferData>();
    file->AddFile(kTransferFile, FilePath("/tmp/dropped.vek"));
    application.PostDrop(std::move(file));
    log.clear();
    application.RunIdleTasks();
    EXPECT_EQ(log, (Log{"drop file", "open 0 /tmp/dropped.vek", "drop first", "tick"}));
    // Without a window under the drop the package is deleted unread.
    Application::SetCurrentDropWindow(nullptr);
    auto lost = std::make_unique<TransferData>();
    lost->AddText(kTransferText, "lost");
    application.PostDrop(std::move(lost));
    log.clear();
    application.RunIdleTasks();
    EXPECT_TRUE(log.empty());
}

TEST_F(ApplicationFixture, TicksAtMostEvery180Ms)
{
    application.RunIdleTasks();
    log.clear();
    clock.AdvanceMs(100);
    application.RunIdleTasks();
    EXPECT_TRUE(log.empty());
    clock.AdvanceMs(80);
    application.RunIdleTasks();
    clock.AdvanceMs(180);
    application.RunIdleTasks();
    EXPECT_EQ(log, (Log{"tick", "tick"}));
}

TEST_F(ApplicationFixture, NothingHappensWhileADragIsUnderWay)
{
    auto* window = new DropWindow(log, true);
    application.PostTask(std::make_unique<LoggingTask>(log, "waits", false));
    CommandTarget::SetDragTarget(window, nullptr);
    log.clear();
    clock.AdvanceMs(1000);
    application.RunIdleTasks();
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(application.HasPendingWork());
    CommandTarget::SetDragTarget(nullptr, nullptr);
    application.RunIdleTasks();
    EXPECT_EQ(log.front(), "task waits");
}

TEST_F(ApplicationFixture, QuitAsksEveryWindowAndARefusalKeepsRunning)
{
    class Stubborn final : public Window {
    public:
        Stubborn() : Window(1, OriginSize{40, 40, 100, 100}, 0, nullptr, true) {}
        int32_t CanClose(CloseMode) override { return refuse ? 0 : 1; }
        bool refuse = true;
    };
    auto* window = new Stubborn;
    EXPECT_EQ(application.Quit(CloseMode::Normal), 0);
    EXPECT_EQ(application.LoopState().quitFlag, 0);
    window->refuse = false;
    EXPECT_EQ(application.Quit(CloseMode::Normal), 1);
    EXPECT_EQ(application.LoopState().quitFlag, 1);
    // The loop, asked to quit before it runs, does not run at all.
    RunApplication(application.LoopState());
    application.LoopState().quitFlag = 0;
}

TEST_F(ApplicationFixture, CommandLineOpensEveryArgumentButOptionsInOrder)
{
    char program[] = "vek", first[] = "a.vek", option[] = "-silent", dash[] = "-", second[] = "b.vek";
    char* argv[] = {program, first, option, dash, second, nullptr};
    KeepProgramArguments(5, argv);
    log.clear();
    EXPECT_EQ(OpenCommandLineDocuments(application.LoopState()), 2);
    ASSERT_EQ(log.size(), 2u);
    // Paths are made absolute against the working folder.
    EXPECT_TRUE(log[0].rfind("open 0 /", 0) == 0 && log[0].ends_with("/a.vek")) << log[0];
    EXPECT_TRUE(log[1].ends_with("/b.vek")) << log[1];
    // Regression: a relative path was taken against the home folder, not the folder it was typed in.
    EXPECT_EQ(log[0], "open 0 " + (std::filesystem::current_path() / "a.vek").string());
    char* alone[] = {program, nullptr};
    KeepProgramArguments(1, alone);
    EXPECT_EQ(OpenCommandLineDocuments(application.LoopState()), 0);
}

// Without a display a question takes its preset answer, the one that destroys nothing, and a modal
// window does not wait for a user who is not there.
TEST_F(ApplicationFixture, HeadlessQuestionsDestroyNothingAndModalRunsDoNotWait)
{
    EXPECT_EQ(QueryUnattended(), 1);
    application.QuitAfterMessage(600);
    EXPECT_EQ(application.LoopState().quitFlag, 0);
    EXPECT_FALSE(IsErrorPending());
    Window dialog(kKindDialogWindow, OriginSize{0, 0, 86, 340}, 0, nullptr, true);
    dialog.RunModal();  // returns at once; a wait here would hang the test
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(Window::FirstModalWindow(), nullptr);
}

// Regression: the modal flag was updated while the ending window was still in the modal chain, so the
// program went on as if a modal window were up (File menu and Quit disabled, Ctrl+Q refused) after
// the last modal run had ended.
TEST_F(ApplicationFixture, TheModalFlagFallsWhenTheLastModalRunEnds)
{
    Window dialog(kKindDialogWindow, OriginSize{0, 0, 86, 340}, 0, nullptr, true);
    dialog.alwaysInteractive = true;
    dialog.SetVisible(true);
    bool flagDuringRun = false;
    PostToMainThread([&] {
        flagDuringRun = ModalWindowFlag();
        dialog.EndModal();
    });
    dialog.RunModal();
    EXPECT_TRUE(flagDuringRun);
    EXPECT_FALSE(ModalWindowFlag());
}

TEST(TransferData, ItemsAreFoundNewestFirstByType)
{
    TransferData package;
    package.AddText(kTransferText, "one");
    package.AddText(kTransferText, "two");
    package.AddText(kTransferText, "");
    package.AddBytes(kTransferText, "x", 0);
    ASSERT_NE(package.FindItem(kTransferText), nullptr);
    EXPECT_EQ(package.FindItem(kTransferText)->bytes, "two");
    EXPECT_EQ(package.FindItem(kTransferFile | kTransferFolder), nullptr);
    package.AddFile(kTransferFolder, FilePath("/tmp/folder"));
    TransferItem* fileOrFolder = package.FindItem(kTransferFile | kTransferFolder);
    ASSERT_NE(fileOrFolder, nullptr);
    EXPECT_EQ(fileOrFolder->type, kTransferFolder);
    TransferData empty;
    empty.AddText(kTransferText, "");
    EXPECT_EQ(empty.FindItem(kTransferText), nullptr);
}

TEST(TransferData, PostedWithoutApplicationIsDeleted)
{
    ASSERT_EQ(Application::Get(), nullptr);
    auto package = std::make_unique<TransferData>();
    package->AddText(kTransferText, "gone");
    TransferData::PostDropOrDiscard(std::move(package));  // ASan would see a leak otherwise
}

}  // namespace
}  // namespace vek
