// ScrollBarTest: a scroll bar over rows whose sizes its owner gives, headless.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/lists/ScrollBar.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class BarOwner final : public Window {
public:
    BarOwner() : Window(1, OriginSize{100, 100, 300, 300}, 0, nullptr, false) { FinishConstruction(); }
    ~BarOwner() override { PrepareDestruction(); }

    CommandTarget* ScrollChanged(ScrollNotice& record) override
    {
        if (record.kind == ScrollNoticeKind::RowSize)
            record.answer = rowSize ? rowSize(record.row) : 10;
        else if (record.kind == ScrollNoticeKind::FirstRowChanged)
            deltas.push_back(record.pixelDelta);
        return this;
    }

    int32_t (*rowSize)(int32_t row) = nullptr;
    std::vector<int32_t> deltas;
};

class ScrollBarTest : public ::testing::Test {
public:
    // A vertical bar 200 pixels long: 20 rows of the default 10 pixels.
    ScrollBar& Make(int32_t rows)
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        owner = new BarOwner;
        bar = new ScrollBar(*owner, OriginSize{10, 10, 200, 16}, Orientation::Vertical, 1, rows);
        owner->Update();
        return *bar;
    }
    void TearDown() override { application.reset(); }

    test::Watchdog watchdog{"scroll bar test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    BarOwner* owner = nullptr;
    ScrollBar* bar = nullptr;
};

TEST_F(ScrollBarTest, NoRowsMeansNoThumbAndNothingScrolls)
{
    // The thumb's length divided by the row count: zero rows divided by zero.
    ScrollBar& b = Make(0);
    EXPECT_TRUE(b.ThumbRect().IsEmpty());
    EXPECT_FALSE(b.IsScrollable());
    EXPECT_EQ(b.HitTest(Point{100, 8}), ScrollPart::None);
    EXPECT_EQ(b.ScrollBy(5), 0);
    EXPECT_EQ(b.LastRow(), -1);
    input.Click(*owner, Point{110, 18});
    EXPECT_EQ(b.FirstRow(), 0);
    EXPECT_FALSE(owner->RenderPng().empty());
    // Rows arriving later give it a thumb.
    b.SetRowCount(50, 0);
    EXPECT_FALSE(b.ThumbRect().IsEmpty());
}

TEST_F(ScrollBarTest, AllRowsVisibleIgnoresClicksAndTheWheel)
{
    ScrollBar& b = Make(15);
    EXPECT_FALSE(b.IsScrollable());
    input.Wheel(*owner, Point{110, 18}, -1);
    input.Click(*owner, Point{200, 18});
    EXPECT_EQ(b.FirstRow(), 0);
    EXPECT_TRUE(owner->deltas.empty());
}

TEST_F(ScrollBarTest, WheelStepsAreLimitedByWhatIsHidden)
{
    struct Case {
        int32_t rows;
        int32_t factor;
        int32_t lines;
        int32_t first;
    };
    const Case cases[] = {
        {100, 5, -1, 5},   // limit 19 / 4 + 1 = 5
        {100, 1, -1, 1},
        {100, 5, -5, 5},   // many lines are limited too
        {30, 5, -1, 1},    // fewer than 12 rows hidden: one row per line
        {100, 5, 1, 0},    // nothing above
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.rows * 100 + k.factor);
        ScrollBar& b = Make(k.rows);
        b.SetWheelFactor(k.factor);
        b.ScrollByWheel(k.lines);
        EXPECT_EQ(b.FirstRow(), k.first);
        application.reset();
    }
}

TEST_F(ScrollBarTest, PagingAndArrowsThroughClicks)
{
    ScrollBar& b = Make(100);
    const Point origin{10, 10};
    auto at = [&](int32_t v) { return Point{int16_t(origin.v + v), int16_t(origin.h + 8)}; };
    // Page forward: the row after the last visible one becomes the first.
    input.Click(*owner, at(150));
    EXPECT_EQ(b.FirstRow(), 20);
    EXPECT_EQ(owner->deltas.back(), -200);
    // Page back: the row before the first visible one becomes the last.
    input.Click(*owner, at(30));
    EXPECT_EQ(b.LastRow(), 19);
    EXPECT_EQ(b.FirstRow(), 0);
    // The forward arrow steps by one row.
    input.Click(*owner, at(195));
    EXPECT_EQ(b.FirstRow(), 1);
    EXPECT_EQ(owner->deltas.back(), -10);
}

TEST_F(ScrollBarTest, RowsOfVaryingSizeFillTheExtentExactly)
{
    ScrollBar& b = Make(0);
    owner->rowSize = [](int32_t row) { return row % 3 + 5; };
    b.SetRowCount(1000, 0);
    for (int32_t first : {0, 17, 500, 980, 999}) {
        SCOPED_TRACE(first);
        b.SetFirstRow(first);
        int32_t sum = 0;
        for (int32_t row = b.FirstRow(); row <= b.LastRow(); ++row)
            sum += owner->rowSize(row);
        EXPECT_LE(sum, 200);
        if (b.LastRow() < 999) {
            EXPECT_GT(sum + owner->rowSize(b.LastRow() + 1), 200);
        } else if (b.FirstRow() > 0) {
            EXPECT_GT(sum + owner->rowSize(b.FirstRow() - 1), 200);  // the end shows as many rows as fit
        }
    }
}

TEST_F(ScrollBarTest, PixelRowsBeyondSixteenBitsReachTheirEnd)
{
    // Scrolling by pixels, as the tab control and the group box do: 100,000 rows of one pixel.
    ScrollBar& b = Make(0);
    owner->rowSize = [](int32_t) { return 1; };
    b.SetRowCount(100000, 0);
    b.SetFirstRow(1 << 30);
    EXPECT_EQ(b.FirstRow(), 100000 - 200);
    EXPECT_EQ(owner->deltas.back(), -201);  // a jump further than the extent reports extent + 1
    EXPECT_EQ(b.LastRow(), 99999);
    EXPECT_EQ(b.ThumbRect().bottom, 200 - 16);
    b.SetFirstRow(40000);
    EXPECT_EQ(b.FirstRow(), 40000);
    const Rect thumb = b.ThumbRect();
    EXPECT_GT(thumb.top, 16 + 40);
    EXPECT_LT(thumb.bottom, 200 - 16 - 60);
}

TEST_F(ScrollBarTest, ThumbDraggedFarAwaySnapsBack)
{
    ScrollBar& b = Make(100);
    b.SetFirstRow(10);
    const Rect thumb = b.ThumbRect();
    const Point press{int16_t(10 + (thumb.top + thumb.bottom) / 2), 18};
    // Dragged down, then more than 20 pixels to the side, released there.
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseDown, *owner, press), owner);
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseDragged, *owner, Point{int16_t(press.v + 40), 18}), owner);
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseDragged, *owner, Point{int16_t(press.v + 40), 80}), owner);
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseUp, *owner, Point{int16_t(press.v + 40), 80}), owner);
    input.RunUntilQuiet();
    EXPECT_EQ(b.FirstRow(), 10);
    // Released inside, the row it reached stays.
    input.Drag(*owner, press, Point{int16_t(press.v + 40), 18});
    EXPECT_GT(b.FirstRow(), 10);
}

}  // namespace
}  // namespace vek
