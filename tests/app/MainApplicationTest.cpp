// MainApplicationTest: quitting waits for running file operations, the model's progress reaches a
// progress window, and About shows the about box.
#include "app/MainApplication.h"

#include <gtest/gtest.h>

#include "app/AboutBox.h"
#include "docwindows/ProgressWindow.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"
#include "platform/events/EventLoop.h"

namespace vek {
namespace {

TEST(MainApplication, QuittingIsRefusedWhileAProgressWindowIsOpen)
{
    MainApplication application;
    Base base(FilePath(), 1);
    {
        std::unique_ptr<ProgressDisplay> progress = Service<ModelServices>::Get().OpenProgress(5, &base);
        ASSERT_NE(dynamic_cast<ProgressWindow*>(progress.get()), nullptr) << "the model's progress is a window";
        EXPECT_EQ(application.Quit(CloseMode::Normal), 0);
        EXPECT_EQ(application.LoopState().quitFlag, 0);
    }
    EXPECT_EQ(application.Quit(CloseMode::Normal), 1);
    ResetEventLoopQuit();
}

TEST(MainApplication, AboutShowsTheProgramTitleAndThePlatform)
{
    EXPECT_EQ(std::string(GetProgramTitle()).rfind("VEK ", 0), 0u);
    EXPECT_EQ(GetPlatformName().rfind("Linux ", 0), 0u) << GetPlatformName();
    EXPECT_GT(GetPlatformName().size(), 6u) << "the machine follows the system's name";
    MainApplication application;
    MenuItem* about = FindMenuItemByCommand(kCommandStatus);
    ASSERT_NE(about, nullptr);
    // Unattended, the box's modal run ends at once with OK.
    EXPECT_EQ(application.DoCommand(*about), 1);
    AboutBox box;
    EXPECT_EQ(box.CodeLine(), "Code: " + GetPlatformName());
}

}  // namespace
}  // namespace vek
