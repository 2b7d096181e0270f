// DimensionStripTest: the compact strip's lists and items over the example base, and the dragged
// rectangle's rules and the zoom geometry.
#include "docwindows/strip/DimensionStrip.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "docwindows/strip/DragTracking.h"
#include "files/basefiles/BaseFiles.h"
#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/Window.h"
#include "model/base/Base.h"
#include "model/selections/Selection.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// The example base uses dimensions 0-3 (companies, accounts, cost centres, projects).
class DimensionStripTest : public ::testing::Test {
public:
    void SetUp() override
    {
        base = OpenBaseFile(FilePath(VEK_SOURCE_DIR "/tools/examples/example.vkx"), nullptr, 0);
        ASSERT_NE(base, nullptr);
        selection = std::make_unique<Selection>(*base, nullptr);
    }
    void TearDown() override
    {
        selection.reset();
        delete base;
    }

    Base* base = nullptr;
    std::unique_ptr<Selection> selection;
};

TEST_F(DimensionStripTest, WithoutConditionsDimensionZeroAloneIsShown)
{
    DimensionStrip strip(*base);
    strip.Bind(selection.get());
    EXPECT_EQ(strip.DimensionCount(), 4);
    EXPECT_EQ(strip.Shown(), std::vector<int32_t>{0});
    EXPECT_EQ(strip.Free(), (std::vector<int32_t>{0, 1, 2, 3})) << "the last row's own dimension is the current item";
    EXPECT_TRUE(strip.HasAddPopup());
    strip.Bind(nullptr);
    EXPECT_EQ(strip.Shown(), std::vector<int32_t>{0});
}

TEST_F(DimensionStripTest, ConditionsChooseTheRowsAndThePopupReplacesOrAppends)
{
    ASSERT_TRUE(selection->Components().SetDimensionText(1, "3010"));
    ASSERT_TRUE(selection->Components().SetDimensionText(3, "P1"));
    DimensionStrip strip(*base);
    strip.Bind(selection.get());
    EXPECT_EQ(strip.Shown(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(strip.Free(), (std::vector<int32_t>{0, 2, 3}));
    EXPECT_EQ(strip.PositionOfShownDimension(3), 1);
    EXPECT_EQ(strip.PositionOfShownDimension(2), -1);
    EXPECT_EQ(strip.FreeListIndex(2), 1);
    EXPECT_EQ(strip.FreeListIndex(1), -1);

    // The last row carries a condition: the choice appends a row and marks the strip changed.
    EXPECT_EQ(strip.ChooseLastRowDimension(2), StripChoice::Appended);
    EXPECT_EQ(strip.Shown(), (std::vector<int32_t>{1, 3, 2}));
    EXPECT_TRUE(strip.IsChanged());
    // The new last row has no condition yet: a further choice replaces its dimension.
    strip.ClearChanged();
    EXPECT_EQ(strip.ChooseLastRowDimension(0), StripChoice::Replaced);
    EXPECT_EQ(strip.Shown(), (std::vector<int32_t>{1, 3, 0}));
    EXPECT_FALSE(strip.IsChanged());
    EXPECT_EQ(strip.Free(), (std::vector<int32_t>{0, 2}));

    // All four shown: no add popup.
    EXPECT_EQ(strip.ChooseLastRowDimension(2), StripChoice::Replaced);
    ASSERT_TRUE(selection->Components().SetDimensionText(2, "SHOP"));
    ASSERT_TRUE(selection->Components().SetDimensionText(0, "NB"));
    strip.RecomputeShownDimensions();
    EXPECT_EQ(strip.Shown(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_FALSE(strip.HasAddPopup());
}

TEST_F(DimensionStripTest, ItemRectanglesAndHeight)
{
    ASSERT_TRUE(selection->Components().SetDimensionText(3, "P1"));
    DimensionStrip strip(*base);
    strip.Bind(selection.get());
    const int32_t a = base->DimensionCaptionWidth();
    const int32_t b = base->FieldCaptionWidth();
    const int32_t x = 200;
    const int32_t field = a + x + 18;
    struct Case {
        int32_t item;
        Rect expected;
    };
    const Case cases[] = {
        {1, MakeRect(5, 7, a + 5, 19)},
        {32, MakeRect(5, 17 * 32 - 10, a + 5, 17 * 32 + 2)},
        {kStripFromDateItem, MakeRect(field, 7, field + b, 19)},
        {kStripToDateItem, MakeRect(field, 24, field + b, 36)},
        {kStripCardTitleItem, MakeRect(field, 45, field + b, 57)},
        {kStripLineTextItem, MakeRect(field, 62, field + b, 74)},
        {kStripNotesItem, MakeRect(field, 79, field + b, 91)},
        {kStripFirstCompactItem + 3, MakeRect(field, 96, field + b, 108)},
        {kStripFirstCompactItem + 1, Rect{}},
        {kStripSubsetItem, MakeRect(field, 117, field + b, 129)},
        {0, Rect{}},
        {33, Rect{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(strip.GetItemRect(c.item, x), c.expected);
    }
    // Four dimensions with components: 17 × 4 + 26 = 94; two rows at least: 17 × 2 + 103 = 137.
    EXPECT_EQ(strip.GetStripHeight(0), 137);
    EXPECT_EQ(strip.GetStripHeight(500), 500);
}

TEST(DragTracking, DraggedRectanglesAndTheirMinimum)
{
    struct Case {
        const char* what;
        Point mouse;
        DragShape shape;
        bool mirrored;
        Rect expected;
        bool large;
    };
    const Point start{50, 100};
    const Case cases[] = {
        {"free, down and right", {60, 130}, DragShape::Free, false, Rect{50, 100, 60, 130}, true},
        {"free, up and left", {38, 88}, DragShape::Free, false, Rect{38, 88, 50, 100}, true},
        {"mirrored around the start", {60, 130}, DragShape::Free, true, Rect{40, 70, 60, 130}, true},
        {"free, too thin", {51, 140}, DragShape::Free, false, Rect{50, 100, 51, 140}, false},
        {"free, sum at the minimum", {57, 113}, DragShape::Free, false, Rect{50, 100, 57, 113}, false},
        {"vertical band", {51, 121}, DragShape::VerticalBand, false, Rect{-1, 100, 9999, 121}, true},
        {"vertical band at the minimum", {51, 120}, DragShape::VerticalBand, false, Rect{-1, 100, 9999, 120}, false},
        {"horizontal band", {71, 101}, DragShape::HorizontalBand, false, Rect{50, -1, 71, 9999}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rect rect = DragRectangle(start, c.mouse, c.shape, c.mirrored);
        EXPECT_EQ(rect, c.expected);
        EXPECT_EQ(IsLargerThanMinimum(rect, c.shape, 20), c.large);
    }
}

TEST(DragTracking, ZoomGeometryNeverDividesByAnEmptyFrame)
{
    const Rect from{0, 0, 10, 10};
    const Rect to{100, 200, 300, 600};
    EXPECT_EQ(InterpolateRect(from, to, 0), from);
    EXPECT_EQ(InterpolateRect(from, to, 12), to);
    EXPECT_EQ(InterpolateRect(from, to, 6), (Rect{50, 100, 155, 305}));
    EXPECT_EQ(ScaleRectBetween(Rect{10, 20, 30, 40}, Rect{0, 0, 100, 100}, Rect{0, 0, 200, 400}), (Rect{20, 80, 60, 160}));
    // Regression: a frame without width or height divided by zero.
    EXPECT_EQ(ScaleRectBetween(Rect{10, 20, 30, 40}, Rect{5, 5, 5, 5}, Rect{100, 200, 300, 400}), (Rect{100, 200, 100, 200}));
    // A large frame's products stay in 64 bits and the result is clamped.
    EXPECT_EQ(ScaleRectBetween(Rect{0, 0, 30000, 30000}, Rect{0, 0, 1, 1}, Rect{0, 0, 30000, 30000}).bottom, 32767);
}

// A pane whose click runs the tracking loop and keeps its answer.
class DragPane final : public Control {
public:
    explicit DragPane(Pane& window) : Control(kKindCustomView, window, OriginSize{0, 0, 200, 300}, 1) { FinishConstruction(); }
    ~DragPane() override { PrepareDestruction(); }
    int32_t Click(InputEvent& event, Pane*) override
    {
        result = TrackDragRect(*this, event, rect, DragShape::Free, 20, nullptr, nullptr, nullptr);
        return 1;
    }
    DragResult result = DragResult::Dropped;
    Rect rect;
};

class DragWindow final : public Window {
public:
    DragWindow() : Window(1, OriginSize{50, 50, 200, 300}, 0, nullptr, false)
    {
        pane = new DragPane(*this);
        FinishConstruction();
    }
    ~DragWindow() override { PrepareDestruction(); }
    DragPane* pane = nullptr;
};

TEST(DragTracking, AShortDragIsAClickNeverADrag)
{
    test::Watchdog watchdog{"drag tracking", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> scope{&system};
    test::HeadlessInput input{system};
    ResetMouseState();
    auto application = std::make_unique<Application>(true);
    auto* window = new DragWindow;
    window->Update();
    input.Drag(*window, Point{20, 20}, Point{24, 25});
    EXPECT_EQ(window->pane->result, DragResult::Click);
    input.Drag(*window, Point{20, 20}, Point{60, 90});
    EXPECT_EQ(window->pane->result, DragResult::Dragged);
    EXPECT_EQ(window->pane->rect, (Rect{20, 20, 60, 90}));
    delete window;
}

}  // namespace
}  // namespace vek
