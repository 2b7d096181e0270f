// GroupBoxTest: the frame and title of a group box and the scrolling of its children, headless.
#include <gtest/gtest.h>

#include <memory>

#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/containers/GroupBox.h"
#include "gui/lists/ScrollBar.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class Child final : public Control {
public:
    Child(Pane& enclosure, OriginSize frame) : Control(kKindCustomView, enclosure, frame, 0) { FinishConstruction(); }
    ~Child() override { PrepareDestruction(); }
};

class GroupBoxTest : public ::testing::Test {
public:
    void SetUp() override
    {
        application = std::make_unique<Application>(true);
        window = new Window(1, OriginSize{100, 100, 400, 400}, 0, nullptr, true);
        box = new GroupBox(*window, OriginSize{30, 20, 200, 200}, 1, true);
    }
    void TearDown() override { application.reset(); }

    test::Watchdog watchdog{"group box test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    Window* window = nullptr;
    GroupBox* box = nullptr;
};

TEST_F(GroupBoxTest, FrameAndTitleGeometry)
{
    Rect frame;
    Rect title;
    box->FrameAndTitleRects(frame, title);
    EXPECT_EQ(frame, (Rect{-2, -2, 202, 202}));  // two pixels outside on every side
    EXPECT_TRUE(title.IsEmpty());
    box->SetTitleText("Options");
    box->FrameAndTitleRects(frame, title);
    EXPECT_EQ(title.left, 8);
    EXPECT_EQ(title.bottom, -1);
    EXPECT_LT(frame.top, 0);
    EXPECT_EQ(frame.top, -((title.Height() + 2) / 2));
    EXPECT_FALSE(window->RenderPng().empty());
}

TEST_F(GroupBoxTest, ChildrenBelowTheBottomBringAScrollBarThatGrowsTheBox)
{
    box->SetScrollable(true);
    new Child(*box, OriginSize{10, 10, 20, 100});
    EXPECT_EQ(box->Scroller().Bar(), nullptr);
    auto* low = new Child(*box, OriginSize{250, 10, 20, 100});
    ASSERT_NE(box->Scroller().Bar(), nullptr);
    EXPECT_EQ(box->Bounds().Width(), 215);
    // Scrolled to the end, the low child is inside; removing it scrolls back and narrows the box.
    box->Scroller().Bar()->SetFirstRow(1000);
    EXPECT_EQ(box->ScrollOffset(), 280 - 200);
    EXPECT_EQ(low->Position().v, 250 - 80);
    delete low;
    EXPECT_EQ(box->Scroller().Bar(), nullptr);
    EXPECT_EQ(box->Bounds().Width(), 200);
    EXPECT_EQ(box->FirstChild()->Position().v, 10);
}

TEST_F(GroupBoxTest, ContentTallerThanSixteenBitsScrollsToItsEnd)
{
    // The content height in pixels was kept in 16 bits.
    box->SetScrollable(true);
    new Child(*box, OriginSize{30000, 10, 4000, 100});
    ScrollBar* bar = box->Scroller().Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->RowCount(), 34000 + 99);
    bar->SetFirstRow(bar->RowCount());
    EXPECT_EQ(box->ScrollOffset(), 34099 - 200);
    EXPECT_EQ(box->FirstChild() == bar ? box->FirstChild()->Next()->Position().v : box->FirstChild()->Position().v,
              30000 - (34099 - 200));
}

}  // namespace
}  // namespace vek
