// DocumentWindowPartsTest: the header bar, the tool strip, the calculate button, the outline with its
// divider and the content view: where they go, how they follow the window's size, and what they tell
// the window.
#include "docwindows/DocumentWindow.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/MainApplication.h"
#include "docwindows/HeaderBar.h"
#include "gui/PushButton.h"
#include "gui/containers/IconButtonStrip.h"
#include "gui/lists/OutlineView.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// 300 wide, 200 high.
const OriginSize kFrame{40, 40, 200, 300};

class PartsWindow final : public DocumentWindow {
public:
    explicit PartsWindow(Base& base) : DocumentWindow(DocumentKind::CardsAnalysis, kFrame, &base, 0)
    {
        CreatePanel();
        CreateOutlineView(120, 160);
        FinishConstruction();
    }
    ~PartsWindow() override { PrepareDestruction(); }

    void SetTool(int32_t tool) override { tools.push_back(tool); }
    int32_t RecalculateIfNeeded(int32_t force) override
    {
        forced.push_back(force);
        return 1;
    }
    void PanelResized(int32_t dw, int32_t) override { panelGrew += dw; }

    std::vector<int32_t> tools;
    std::vector<int32_t> forced;
    int32_t panelGrew = 0;
};

OriginSize FrameOf(const Pane& pane) { return pane.Frame(); }

void ExpectFrame(const Pane& pane, int32_t top, int32_t left, int32_t height, int32_t width)
{
    const OriginSize frame = FrameOf(pane);
    EXPECT_EQ(frame.top, top);
    EXPECT_EQ(frame.left, left);
    EXPECT_EQ(frame.height, height);
    EXPECT_EQ(frame.width, width);
}

class DocumentWindowParts : public ::testing::Test {
protected:
    MainApplication application;
    Base base{FilePath(), 1};
};

TEST_F(DocumentWindowParts, ThePartsStandWhereTheWindowPutsThemAndFollowItsSize)
{
    PartsWindow window(base);
    ASSERT_NE(window.Panel(), nullptr);
    ASSERT_NE(window.Outline(), nullptr);
    ASSERT_NE(window.ContentView(), nullptr);
    {
        SCOPED_TRACE("made");
        ExpectFrame(*window.Panel(), 0, 0, HeaderBar::kHeight, 300);
        ExpectFrame(*window.Outline(), 35, 3, 153, 120);
        ExpectFrame(*window.ContentView(), 32, 128, 160, 172);
    }
    EXPECT_EQ(window.GetOutlineWidth(), 120);

    window.ResizeBy(40, 20);
    {
        SCOPED_TRACE("resized");
        ExpectFrame(*window.Panel(), 0, 0, HeaderBar::kHeight, 340);
        ExpectFrame(*window.Outline(), 35, 3, 173, 120);
        ExpectFrame(*window.ContentView(), 32, 128, 180, 212);
    }
    EXPECT_EQ(window.panelGrew, 40) << "the panel's resizing reaches the window";
}

TEST_F(DocumentWindowParts, TheOutlineWidthStaysWithinItsLimitsAndTheContentMovesWithIt)
{
    PartsWindow window(base);
    struct Case {
        int32_t asked;
        int32_t width;
    };
    // The window is 300 wide: the outline keeps 37 at least and leaves 6.
    const Case cases[] = {{150, 150}, {37, 37}, {36, 37}, {-5, 37}, {294, 294}, {295, 294}, {120, 120}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        window.SetOutlineWidth(c.asked);
        EXPECT_EQ(window.GetOutlineWidth(), c.width);
        const OriginSize content = FrameOf(*window.ContentView());
        EXPECT_EQ(content.left, c.width + 8);
        EXPECT_EQ(content.left + content.width, 300) << "the content view keeps the window's right edge";
    }
}

TEST_F(DocumentWindowParts, TheDividerIsTheBandRightOfTheOutline)
{
    PartsWindow window(base);
    // The outline spans 3..123 across and 35..188 down.
    struct Case {
        int16_t v;
        int16_t h;
        bool on;
    };
    const Case cases[] = {{100, 124, false}, {100, 125, true}, {100, 130, true}, {100, 131, false},
                          {34, 127, false},  {35, 127, true},  {187, 127, true}, {188, 127, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.v) + "," + std::to_string(c.h));
        EXPECT_EQ(window.IsOnDivider(Point{c.v, c.h}), c.on);
    }
}

TEST_F(DocumentWindowParts, ToolsAndTheCalculateButtonReachTheWindow)
{
    PartsWindow window(base);
    const int32_t icons[] = {4100, 4101, 4102};
    IconButtonStrip* strip = window.CreateToolStrip(200, icons, 4100);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->EnclosingPane(), window.Panel());
    window.SelectTool(4102);
    EXPECT_EQ(strip->SelectedIcon(), 4102);
    EXPECT_EQ(window.tools, std::vector<int32_t>{4102});
    (void)window.ControlAction();
    EXPECT_EQ(window.tools, (std::vector<int32_t>{4102, 4102})) << "a tool chosen in the strip";

    PushButton* calculate = window.CreateCalculateButton();
    ASSERT_NE(calculate, nullptr);
    calculate->Fire();
    EXPECT_EQ(window.forced, std::vector<int32_t>{1});

    window.SetContentItem(7);
    EXPECT_EQ(window.ContentView()->Item(), 7);
}

TEST_F(DocumentWindowParts, WithoutTheirPartsTheOperationsDoNothing)
{
    class Bare final : public DocumentWindow {
    public:
        explicit Bare(Base& base) : DocumentWindow(DocumentKind::CardsAnalysis, kFrame, &base, 0) { FinishConstruction(); }
        ~Bare() override { PrepareDestruction(); }
    } window(base);
    const int32_t icons[] = {4100};
    EXPECT_EQ(window.CreateToolStrip(10, icons, 4100), nullptr);
    EXPECT_EQ(window.CreateCalculateButton(), nullptr);
    EXPECT_EQ(window.AddOutlineNode(nullptr, 5), nullptr);
    EXPECT_EQ(window.GetOutlineWidth(), 0);
    EXPECT_FALSE(window.IsOnDivider(Point{10, 10}));
    window.SetOutlineWidth(80);
    window.RevealOutlineNodeById(5);
    window.MoveToAdjacentRow(1, 0);
    window.SetContentItem(3);
    window.ResizeBy(10, 10);
    // An outline made without a header bar starts 3 from the top.
    window.CreateOutlineView(20, 100);
    ASSERT_NE(window.Outline(), nullptr);
    EXPECT_EQ(FrameOf(*window.Outline()).top, 3);
    EXPECT_EQ(window.GetOutlineWidth(), 37) << "never narrower than 37";
    OutlineNode* node = window.AddOutlineNode(nullptr, 5);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(window.Outline()->FindNodeById(5), node);
    window.DeleteOutlineNode(node);
    EXPECT_EQ(window.Outline()->FindNodeById(5), nullptr);
}

}  // namespace
}  // namespace vek
