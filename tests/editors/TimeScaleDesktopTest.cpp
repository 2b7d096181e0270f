// TimeScaleDesktopTest (under xvfb-run): the time scale editor opened on the example base on a display,
// with a period typed in; its picture and a screenshot of the screen are kept in the build folder.
#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "docwindows/DocumentWindow.h"
#include "editors/TimeScaleWindow.h"
#include "files/basefiles/BaseFiles.h"
#include "gui/Application.h"
#include "gui/desktop/DesktopWindow.h"
#include "gui/desktop/DesktopWindowSystem.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/dates/TimeScale.h"
#include "platform/FilePath.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

DesktopWindowSystem& Desktop() { return static_cast<DesktopWindowSystem&>(Service<WindowSystem>::Get()); }

void Settle(const std::function<bool()>& done, int64_t ms)
{
    RunEventLoopUntil([&] { return done() && Desktop().QueuedEvents() == 0 && ReadyThreadCount() == 0; }, ms);
    RunEventLoopPending();
}

TEST(TimeScaleDesktop, EditorOnTheExampleBaseIsShownAndPictured)
{
    test::Watchdog watchdog{"time scale desktop", 120};
    auto application = std::make_unique<Application>(true);
    Base* base = OpenBaseFile(FilePath(VEK_SOURCE_DIR "/tools/examples/example.vkx"), nullptr, 0);
    ASSERT_NE(base, nullptr);
    const int32_t timeScalesBefore = base->TimeScales().Count();
    ASSERT_TRUE(Service<ModelServices>::Get().OpenBaseWindow(*base, BaseWindowKind::TimeScale, 0));
    TimeScaleWindow* editor = nullptr;
    for (DocumentWindow* w = DocumentWindow::First(); w != nullptr; w = w->NextOpenWindow()) {
        if (w->WindowKind() == DocumentKind::TimeScale)
            editor = static_cast<TimeScaleWindow*>(w);
    }
    ASSERT_NE(editor, nullptr);
    Settle([&] { return Desktop().Find(*editor) && gtk_widget_get_mapped(Desktop().Find(*editor)->Area()); }, 3000);
    ASSERT_NE(Desktop().Find(*editor), nullptr);
    editor->CommitCellEdit(0, 0, "240101");
    editor->CommitCellEdit(0, 1, "First quarter");
    editor->AddRowAfterCurrent();
    editor->CommitCellEdit(1, 0, "240401");
    editor->CommitCellEdit(1, 1, "Second quarter");
    editor->BeginCellEdit(0, 1);
    editor->InvalidateGrid();
    editor->Update();
    Settle([] { return false; }, 500);

    const std::string picture = editor->RenderPng();
    ASSERT_GT(picture.size(), 100u);
    std::ofstream(VEK_BINARY_DIR "/timescale-editor.png", std::ios::binary) << picture;
    // What the display shows, as the screen's own screenshot.
    const std::string command = std::string(VEK_ROOT_SCREENSHOT) + " " VEK_BINARY_DIR "/timescale-screen.png";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream screen(VEK_BINARY_DIR "/timescale-screen.png", std::ios::binary);
    EXPECT_TRUE(screen.good());

    ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::WindowsOnly));
    EXPECT_EQ(base->TimeScales().Count(), timeScalesBefore) << "closed without saving";
    delete base;
    application.reset();
    Settle([] { return false; }, 300);
}

}  // namespace
}  // namespace vek
