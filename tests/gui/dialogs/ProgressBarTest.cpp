// ProgressBarTest: the progress bar's pixels and thresholds (small and large totals, a total of zero)
// and the busy indicator's frames, with a clock the test moves.
#include "gui/dialogs/ProgressBar.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/services/Clock.h"
#include "gui/Application.h"
#include "gui/dialogs/BusyIndicator.h"
#include "gui/dialogs/Dialog.h"
#include "platform/events/WindowSystem.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"

namespace vek {
namespace {

class Host final : public Dialog {
public:
    Host() : Dialog(268, 80, DialogOwner{}, nullptr)
    {
        bar = new ProgressBar(*this, OriginSize{20, 14, 11, 240}, 1, false);
        busy = new BusyIndicator(*this, OriginSize{40, 14, 16, 16}, 2);
        FinishConstruction();
    }
    ~Host() override { PrepareDestruction(); }
    ProgressBar* bar = nullptr;
    BusyIndicator* busy = nullptr;
};

class ProgressBarTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        clock.SetMs(1000);
        application = std::make_unique<Application>(true);
        host = std::make_unique<Host>();
    }
    void TearDown() override
    {
        host.reset();
        application.reset();
    }

    ManualClock clock;
    ScopedService<Clock> clockScope{&clock};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    std::unique_ptr<Host> host;
};

TEST_F(ProgressBarTest, PixelsFollowTheUnitsAndTheThresholdStaysAhead)
{
    ProgressBar& bar = *host->bar;
    EXPECT_FALSE(bar.IsVisible());
    struct Case {
        const char* name;
        int64_t total;
        int64_t advance;
        int32_t steps;
        int32_t pixels;
        int64_t threshold;
    };
    const Case cases[] = {
        {"a total below the width: 24 pixels a unit", 10, 1, 3, 72, 4},
        {"a total above the width: one pixel per 4.17 units", 1000, 1, 100, 24, 104},
        {"a large total advanced in steps", 2400000, 10000, 120, 120, 1210000},
        {"all done", 10, 1, 10, 240, 11},
        // Regression: the older bar divided by the total, so an empty source crashed here.
        {"a total of zero is an idle bar", 0, 1, 5, 0, INT64_MAX},
        {"a negative total likewise", -5, 1, 5, 0, INT64_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bar.Start(c.total);
        EXPECT_TRUE(bar.IsVisible()) << "Start shows a hidden bar";
        for (int32_t i = 0; i < c.steps; ++i) {
            clock.AdvanceMs(40);
            bar.Advance(c.advance);
        }
        EXPECT_EQ(bar.FilledPixels(), c.pixels);
        EXPECT_EQ(bar.Threshold(), c.threshold);
        EXPECT_GT(bar.Threshold(), bar.Units());
    }
    bar.Finish();
    EXPECT_EQ(bar.FilledPixels(), 240);
    test::ExpectGoldenPicture(*host, "ProgressBarFull");
}

TEST_F(ProgressBarTest, BusyIndicatorSpansTheWorkInFortyTwoSteps)
{
    BusyIndicator& busy = *host->busy;
    EXPECT_EQ(busy.Icon(), BusyIndicator::kIdleIcon);
    busy.Tick();
    EXPECT_EQ(busy.Icon(), BusyIndicator::kIdleIcon) << "idle, ticks change nothing";

    // 420 units: step 10; a frame takes 11 ticks (the countdown runs below zero). Leaving 5835 doubles
    // the step, which the countdown set at that frame does not yet feel: 9 frames of 11 ticks, then
    // 15 of 21.
    busy.Start();
    busy.AddWork(420);
    EXPECT_EQ(busy.Step(), 10);
    int32_t ticks = 0;
    while (busy.Icon() != BusyIndicator::kLastFrame && ticks < 10000) {
        clock.AdvanceMs(1);
        busy.Tick();
        ++ticks;
    }
    EXPECT_EQ(busy.Icon(), BusyIndicator::kLastFrame);
    EXPECT_EQ(ticks, 9 * 11 + 15 * 21);
    for (int32_t i = 0; i < 100; ++i)
        busy.Tick();
    EXPECT_EQ(busy.Icon(), BusyIndicator::kLastFrame) << "after the last frame nothing more happens";

    // Work below 42 units: step 0, every tick a frame.
    busy.Start();
    busy.AddWork(41);
    EXPECT_EQ(busy.Step(), 0);
    busy.Tick();
    EXPECT_EQ(busy.Icon(), BusyIndicator::kFirstFrame + 1);
    busy.Stop();
    EXPECT_EQ(busy.Icon(), BusyIndicator::kLastFrame);
    busy.Reset();
    EXPECT_EQ(busy.Icon(), BusyIndicator::kIdleIcon);
}

}  // namespace
}  // namespace vek
