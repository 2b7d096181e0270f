// ApplicationServicesTest: the model's hooks reach the application (deferred tasks, questions as
// alert windows), and the program vek runs headless.
#include "app/ApplicationServices.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/MainApplication.h"
#include "docwindows/DocumentWindow.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/strings/String.h"
#include "model/base/BaseProtection.h"
#include "foundation/messages/Message.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"
#include "platform/events/EventLoop.h"

namespace vek {
namespace {

TEST(ApplicationServices, DeferredTasksOfTheModelRunInTheApplicationsIdlePass)
{
    MainApplication application;
    Base* kept = new Base(FilePath(), 1);
    Base* closed = new Base(FilePath(), 2);
    PostDeferredTask(kTaskCloseDocument, closed);
    PostDeferredTask(kTaskCloseDocument, closed);  // already gone when its turn comes
    EXPECT_TRUE(application.HasPendingWork()) << "the tasks wait in the application's queue";
    EXPECT_EQ(Base::OpenBaseCount(), 2);
    application.RunIdleTasks();
    EXPECT_EQ(Base::FirstBase(), kept);
    EXPECT_EQ(Base::OpenBaseCount(), 1);
    EXPECT_FALSE(application.HasPendingWork());

    PostDeferredTask(kTaskQuit, nullptr);
    EXPECT_EQ(application.LoopState().quitFlag, 0);
    application.RunIdleTasks();
    EXPECT_EQ(application.LoopState().quitFlag, 1) << "quitting asks the windows and, as none refuses, quits";
    ResetEventLoopQuit();
    delete kept;
}

TEST(ApplicationServices, WithoutApplicationTasksWaitInTheHeadlessQueue)
{
    ASSERT_EQ(Application::Get(), nullptr);
    auto* services = static_cast<HeadlessModelServices*>(&Service<ModelServices>::Get());
    Base* closed = new Base(FilePath(), 3);
    PostDeferredTask(kTaskCloseDocument, closed);
    EXPECT_EQ(services->QueuedTasks(), 1);
    services->RunDeferredTasks();
    EXPECT_EQ(Base::OpenBaseCount(), 0);
}

TEST(ApplicationServices, ModelQuestionIsAnAlertWindowThatKeepsTheBaseWhenNobodyAnswers)
{
    MainApplication application;
    Base base(FilePath(), 4);
    base.SetModified(true);
    testing::internal::CaptureStderr();
    // "Save changes?": the alert's default button is Cancel, which neither saves nor loses anything.
    EXPECT_FALSE(base.CanClose(CloseMode::Normal));
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("save the changes"), std::string::npos);
    EXPECT_TRUE(base.IsModified());
    EXPECT_EQ(Window::FirstModalWindow(), nullptr);
    EXPECT_EQ(application.FirstChild(), nullptr);
}

// A window of the base that refuses to close while asked to.
class RefusingWindow final : public DocumentWindow {
public:
    explicit RefusingWindow(Base* base) : DocumentWindow(DocumentKind::Card, OriginSize{40, 40, 100, 100}, base, 0)
    {
        FinishConstruction();
    }
    ~RefusingWindow() override { PrepareDestruction(); }
    int32_t CanClose(CloseMode) override { return 0; }
};

TEST(ApplicationServices, ReopeningABaseReadsItsFileAgainWithItsPassword)
{
    MainApplication application;
    const FilePath file = FilePath::FromCommandLine(VEK_SOURCE_DIR "/tests/fixtures/templates/templates.vkx");
    Base* base = OpenBaseFile(file, "Open sesame", 0);
    ASSERT_NE(base, nullptr);
    base->SetModified(true);  // changed in memory since: reading again drops that
    {
        // A window that refuses to close keeps the base as it is.
        RefusingWindow refusing(base);
        PostDeferredTask(kTaskReopenBase, base);
        application.RunIdleTasks();
        ASSERT_EQ(Base::FirstBase(), base);
        EXPECT_TRUE(base->IsModified());
    }
    PostDeferredTask(kTaskReopenBase, base);
    application.RunIdleTasks();
    ASSERT_EQ(Base::OpenBaseCount(), 1);
    Base* reopened = Base::FirstBase();
    EXPECT_EQ(reopened->Path().Text(), file.Text());
    EXPECT_FALSE(reopened->IsModified());
    String password;
    reopened->Protection().PasswordText(password);
    EXPECT_STREQ(password.CStr(), "Open sesame") << "opened with the password it had";
    delete reopened;
}

}  // namespace
}  // namespace vek
