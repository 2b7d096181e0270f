// ProgressWindowTest: progress windows are made hidden, stay hidden headless, stack, and their buttons
// stop or cancel the base's operation.
#include "docwindows/ProgressWindow.h"

#include <gtest/gtest.h>

#include "app/MainApplication.h"
#include "foundation/messages/PendingError.h"
#include "gui/PushButton.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

PushButton* ButtonWithId(Window& window, int32_t id)
{
    for (Pane* p = window.FirstChild(); p; p = p->Next()) {
        auto* button = dynamic_cast<PushButton*>(p);
        if (button && button->ControlId() == id)
            return button;
    }
    return nullptr;
}

TEST(ProgressWindow, NeverShownWithoutADisplay)
{
    MainApplication application;
    Base base(FilePath(), 1);
    ProgressWindow window(ProgressKind::Reading, &base, FilePath::FromCommandLine("/tmp/big.vkx"));
    EXPECT_FALSE(window.IsVisible());
    EXPECT_NE(window.Title().find("big.vkx"), std::string::npos);
    window.Start(1000, false);
    int64_t start = window.Estimate().StartTime();
    window.Advance(10, start + 1000);  // long past 250 ms, the bar far from done
    EXPECT_FALSE(window.IsVisible()) << "headless nobody can see it";
}

TEST(ProgressWindow, WindowsStackAndFormAListNewestFirst)
{
    MainApplication application;
    EXPECT_FALSE(ProgressWindow::AnyOpen());
    {
        ProgressWindow first(ProgressKind::Writing, nullptr, FilePath());
        ProgressWindow second(ProgressKind::Writing, nullptr, FilePath());
        EXPECT_EQ(ProgressWindow::First(), &second);
        EXPECT_EQ(second.NextWindow(), &first);
        EXPECT_EQ(second.Frame().left - first.Frame().left, 16);
        EXPECT_EQ(second.Frame().top - first.Frame().top, 12);
        EXPECT_EQ(first.Frame().height, 62) << "the kinds without time left are lower";
    }
    EXPECT_FALSE(ProgressWindow::AnyOpen());
}

TEST(ProgressWindow, StopKeepsWhatWasReadAndCancelDropsIt)
{
    MainApplication application;
    struct Case {
        int32_t button;
        bool discard;
    };
    for (const Case& c : {Case{ProgressWindow::kStopButton, false}, Case{ProgressWindow::kCancelButton, true}}) {
        SCOPED_TRACE(c.button);
        Base base(FilePath(), 1);
        ProgressWindow window(ProgressKind::Importing, &base, FilePath());
        PushButton* button = ButtonWithId(window, c.button);
        ASSERT_NE(button, nullptr);
        button->Fire();
        EXPECT_TRUE(base.StopRequested());
        EXPECT_EQ(window.DiscardRequested(), c.discard);
        ClearError();
    }
}

TEST(ProgressWindow, StepsTakeTheirCaptionAndTheTimeLeftIsWritten)
{
    MainApplication application;
    ProgressWindow window(ProgressKind::Reading, nullptr, FilePath());
    window.SetStep(4515);  // "Cards"
    EXPECT_EQ(window.Caption(), "Cards");
    window.Start(10000000, false);
    int64_t now = window.Estimate().StartTime();
    int64_t done = 0;
    for (int i = 0; i < 20; ++i) {
        now += 100;
        done += 1000;
        window.Advance(done, now);
    }
    // 10 units a millisecond with 9,984,000 to go: over two minutes.
    EXPECT_NE(window.TimeLeftText().find("minutes"), std::string::npos) << window.TimeLeftText();
    EXPECT_LE(window.TimeLeftText().size(), 31u);
}

}  // namespace
}  // namespace vek
