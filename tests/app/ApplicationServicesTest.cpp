// ApplicationServicesTest: the model's hooks reach the application (deferred tasks, questions as
// alert windows), and the program vek runs headless.
#include "app/ApplicationServices.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/MainApplication.h"
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

}  // namespace
}  // namespace vek
