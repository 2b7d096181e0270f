// IconButtonStripTest: cells, pressing and releasing, and the action sent, headless.
#include <gtest/gtest.h>

#include <memory>

#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/containers/IconButtonStrip.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class StripOwner final : public Window {
public:
    StripOwner() : Window(1, OriginSize{100, 100, 200, 300}, 0, nullptr, false) { FinishConstruction(); }
    ~StripOwner() override { PrepareDestruction(); }
    CommandTarget* ControlAction() override
    {
        ++actions;
        return this;
    }
    int32_t actions = 0;
};

class IconButtonStripTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        owner = new StripOwner;
        const int32_t icons[] = {5800, 5801, 5802, 5803, 5804, 5805, 5806, 5807, 5811, 0};
        strip = new IconButtonStrip(*owner, OriginSize{20, 20, 24, 100}, 1, icons, 5800, true);
        owner->Update();
    }
    void TearDown() override { application.reset(); }

    static Point Cell(int32_t index) { return Point{int16_t(20 + 12), int16_t(20 + index * 28 + 12)}; }

    test::Watchdog watchdog{"icon strip test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    StripOwner* owner = nullptr;
    IconButtonStrip* strip = nullptr;
};

TEST_F(IconButtonStripTest, KeepsSevenIconsAndFindsThemByCell)
{
    EXPECT_EQ(strip->IconCount(), 7);
    EXPECT_EQ(strip->Bounds().Width(), 6 * 28 + 25);
    struct Case {
        Point point;
        bool inside;
        int32_t icon;
    };
    const Case cases[] = {
        {{5, 0}, true, 5800},   {{5, 23}, true, 5800}, {{5, 24}, true, 0},  {{5, 27}, true, 0},
        {{5, 28}, true, 5801},  {{5, 180}, true, 5806}, {{5, 197}, true, 0}, {{5, 30}, false, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.point.h);
        EXPECT_EQ(strip->IconAt(k.point, k.inside), k.icon);
    }
    EXPECT_FALSE(owner->RenderPng().empty());
}

TEST_F(IconButtonStripTest, ReleasingOverAnotherIconSelectsIt)
{
    input.Drag(*owner, Cell(2), Cell(4), 4);
    EXPECT_EQ(strip->SelectedIcon(), 5804);
    EXPECT_EQ(strip->PressedIcon(), 0);
    EXPECT_EQ(owner->actions, 1);
    // Released between cells: nothing.
    input.Drag(*owner, Cell(1), Point{Cell(1).v, int16_t(Cell(1).h + 14)}, 2);
    EXPECT_EQ(strip->SelectedIcon(), 5804);
    // The selected icon again: no action.
    input.Click(*owner, Cell(4));
    EXPECT_EQ(owner->actions, 1);
    input.Click(*owner, Cell(0));
    EXPECT_EQ(strip->SelectedIcon(), 5800);
    EXPECT_EQ(owner->actions, 2);
}

}  // namespace
}  // namespace vek
