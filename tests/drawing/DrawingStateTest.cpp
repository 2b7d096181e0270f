// Tests of the drawing state: focus nesting, colours on devices of every depth, shapes' pixels, the
// black-and-white print path, offscreens and the window slot table.
#include "drawing/DrawingState.h"

#include <gtest/gtest.h>

#include "drawing/Fonts.h"
#include "drawing/Offscreen.h"
#include "drawing/Shapes.h"

namespace vek {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// A 40 × 40 white image focused for the test's lifetime.
class FocusedImage {
public:
    explicit FocusedImage(DepthRecord depth = {}) : port(DrawingPort::CreateImage(40, 40, depth))
    {
        FocusWindowObject(record, WindowTarget{nullptr, port.get(), depth});
        GetDrawingState().view->fore = kColorBlack;
        GetDrawingState().view->back = kColorWhite;
        ApplyViewColors();
    }
    DrawingPort& Port() { return *port; }
    int32_t CountPixels(uint32_t color) const
    {
        int32_t n = 0;
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 40; ++x)
                n += port->PixelAt(x, y) == color ? 1 : 0;
        return n;
    }

private:
    std::unique_ptr<DrawingPort> port;
    SavedPortState record;
};

TEST(DrawingStateTest, FocusInsidePrintFocusRestoresTheEnclosingState)
{
    auto page = DrawingPort::CreateImage(100, 100);
    PrintPage printPage{page.get(), DepthRecord{32, 1}};
    DrawingState& state = GetDrawingState();
    {
        SavedPortState printFocus;
        FocusPrintPage(printFocus, printPage);
        EXPECT_EQ(state.outputKind, OutputKind::PrintBlackWhite);
        EXPECT_EQ(state.printLineWidth, 0.5);
        EXPECT_TRUE(state.fractionalWidths);
        state.view->fore = 13;
        SetTextStyle(TextStyle{12, 0, kFaceBold, kFontMonaco});
        {
            auto window = DrawingPort::CreateImage(50, 50);
            SavedPortState pane;
            FocusWindowObject(pane, WindowTarget{nullptr, window.get(), DepthRecord{32, 1}});
            EXPECT_EQ(state.port, window.get());
            EXPECT_EQ(state.outputKind, OutputKind::Screen);
            EXPECT_FALSE(state.fractionalWidths);
            SetFocusOrigin(pane, Point{10, 20});
            EXPECT_EQ(window->Origin(), (Point{-10, -20}));
            EXPECT_EQ(state.visible.Bounds(), MakeRect(-20, -10, 30, 40));
            state.view->fore = 4;
            SetTextStyle(TextStyle{});
        }
        EXPECT_EQ(state.port, page.get());
        EXPECT_EQ(state.view->fore, 13);
        EXPECT_EQ(state.view->style, (TextStyle{12, 0, kFaceBold, kFontMonaco}));
        EXPECT_EQ(state.font.size, 12);
        EXPECT_EQ(state.outputKind, OutputKind::PrintBlackWhite);
        EXPECT_TRUE(state.fractionalWidths);
        EXPECT_EQ(page->ForeColor(), TableColor(13));
    }
    EXPECT_EQ(state.port, nullptr);
    EXPECT_EQ(state.focus, nullptr);
    EXPECT_EQ(state.printLineWidth, 1.0);
    EXPECT_EQ(state.outputKind, OutputKind::Screen);
    state.view->fore = kColorBlack;
    SetTextStyle(TextStyle{});
}

TEST(DrawingStateTest, ColoursOnDevicesThatCannotShowThem)
{
    FocusedImage image(DepthRecord{1, 0});
    DrawingState& state = GetDrawingState();
    struct Case {
        int32_t fore, back;
        RgbColor expectedFore;
        FixedPen expectedPen;
        bool patternUsed;
    } cases[] = {
        {6, kColorWhite, TableColor(kColorBlack), FixedPen::Dotted, true},
        {6, kColorBlack, TableColor(kColorWhite), FixedPen::InverseDotted, true},
        {10, kColorWhite, TableColor(kColorBlack), FixedPen::Solid, false},
        {30, kColorWhite, TableColor(kColorBlack), FixedPen::Back, false},
        {13, kColorWhite, TableColor(kColorBlack), FixedPen::Solid, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fore << " on " << c.back);
        state.view->fore = c.fore;
        state.view->back = c.back;
        ApplyViewColors();
        EXPECT_EQ(image.Port().ForeColor(), c.expectedFore);
        EXPECT_EQ(image.Port().GetPenPattern(), FixedPenPattern(c.expectedPen));
        EXPECT_EQ(state.patternUsed, c.patternUsed);
    }
    // The highlight as a back colour turns black with white text on a 1-bit device.
    state.view->fore = kColorBlack;
    state.view->back = kColorHighlight;
    ApplyViewColors();
    EXPECT_EQ(image.Port().BackColor(), TableColor(kColorBlack));
    EXPECT_EQ(image.Port().ForeColor(), TableColor(kColorWhite));

    // A mix falls back to its second colour, then to the first colour's pattern.
    state.view->back = kColorWhite;
    SetForeColorMix(13, 4);
    EXPECT_EQ(image.Port().GetPenPattern(), ColorPattern(4));
    SetPatternPhase(1, 1);
    SetForeColorMix(6, 6);
    EXPECT_EQ(image.Port().GetPenPattern(), AlignPattern(ColorPattern(6), PatternPhase{1, 1}));
    SetPatternPhase(0, 0);
}

TEST(DrawingStateTest, ColoursOnAColourDevice)
{
    FocusedImage image;
    DrawingState& state = GetDrawingState();
    state.view->fore = 13;
    state.view->back = 27;
    ApplyViewColors();
    EXPECT_EQ(image.Port().ForeColor(), TableColor(13));
    EXPECT_EQ(image.Port().BackColor(), TableColor(27));
    EXPECT_FALSE(state.patternUsed);
    state.view->fore = kColorBlack;
    state.view->back = kColorWhite;
}

TEST(DrawingStateTest, PatternAlignment)
{
    PenPattern p{0x80, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AlignPattern(p, PatternPhase{0, 0}), p);
    EXPECT_EQ(AlignPattern(p, PatternPhase{1, 0}), (PenPattern{0x01, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(AlignPattern(p, PatternPhase{0, 1}), (PenPattern{0, 0, 0, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(AlignPattern(p, PatternPhase{9, 17}), AlignPattern(p, PatternPhase{1, 1}));
}

TEST(DrawingStateTest, FrameWidths)
{
    struct Case {
        int32_t width;
        int32_t blackPixels;
    } cases[] = {{-1, 0}, {0, 36}, {1, 36}, {3, 84}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        FocusedImage image;
        FrameRectWidth(MakeRect(5, 5, 15, 15), c.width);
        EXPECT_EQ(image.CountPixels(kBlack), c.blackPixels);
        EXPECT_EQ(image.Port().PenSize(), (Point{1, 1}));
    }
}

TEST(DrawingStateTest, EmptyShapesDrawNothingOnAnyPath)
{
    FocusedImage image;
    Region empty;
    for (OutputKind kind : {OutputKind::Screen, OutputKind::PrintBlackWhite, OutputKind::PrintColor}) {
        GetDrawingState().outputKind = kind;
        FillRectColor(MakeRect(5, 5, 5, 30), kColorBlack);
        FillAndFrameOval(MakeRect(30, 5, 10, 30), 1, kColorBlack);
        FrameRoundRectWidth(MakeRect(5, 5, 30, 5), 4, 2);
        FillRegionColor(empty, kColorBlack);
        ClearRect(MakeRect(5, 5, 5, 30), 1);
    }
    GetDrawingState().outputKind = OutputKind::Screen;
    EXPECT_EQ(image.CountPixels(kWhite), 1600);
}

TEST(DrawingStateTest, ClearingWhilePrintingInBlackAndWhiteLeavesWhite)
{
    FocusedImage image;
    FillRectColor(MakeRect(0, 0, 40, 40), kColorBlack);
    GetDrawingState().outputKind = OutputKind::PrintBlackWhite;
    for (int32_t factor : {1, 3}) {
        SCOPED_TRACE(factor);
        GetDrawingState().pixFactor = factor;
        FillRectColor(MakeRect(0, 0, 40, 40), kColorBlack);
        ClearRect(MakeRect(10, 10, 20, 20));
        EXPECT_EQ(image.CountPixels(kWhite), 100);
        EXPECT_EQ(image.Port().PixelAt(10, 10), kWhite);
        EXPECT_EQ(image.Port().PixelAt(9, 10), kBlack);
        // Fill paints the colour over the opaque white.
        FillRectColor(MakeRect(10, 10, 20, 20), 13);
        EXPECT_EQ(image.Port().PixelAt(15, 15), 0xED1C24u);
    }
    GetDrawingState().outputKind = OutputKind::Screen;
    GetDrawingState().pixFactor = 1;
}

TEST(DrawingStateTest, XorFrameTwiceRemovesItAndHiliteSwapsColours)
{
    FocusedImage image;
    FillRectColor(MakeRect(0, 0, 20, 20), 13);
    FrameRectXor(MakeRect(2, 2, 30, 30));
    EXPECT_NE(image.CountPixels(kWhite), 1600 - 400);
    FrameRectXor(MakeRect(2, 2, 30, 30));
    EXPECT_EQ(image.CountPixels(kWhite), 1600 - 400);

    uint32_t highlight = 0;
    {
        RgbColor c = TableColor(kColorHighlight);
        highlight = (uint32_t(c.red >> 8) << 16) | (uint32_t(c.green >> 8) << 8) | (c.blue >> 8);
    }
    HiliteRect(MakeRect(10, 10, 30, 30));
    EXPECT_EQ(image.CountPixels(highlight), 400 - 100);
    EXPECT_EQ(image.Port().PixelAt(15, 15), 0xED1C24u);  // other colours stay
    HiliteRect(MakeRect(10, 10, 30, 30));
    EXPECT_EQ(image.CountPixels(highlight), 0);
}

TEST(DrawingStateTest, ClipAndOriginKeepDrawingInsideTheTarget)
{
    FocusedImage image;
    SavedPortState* focus = GetDrawingState().focus;
    SetFocusOrigin(*focus, Point{10, 10});
    // Local (0, 0) is now the target's pixel (10, 10); the clip stayed on the target's pixels.
    FillRectColor(MakeRect(-100, -100, 100, 100), kColorBlack);
    EXPECT_EQ(image.CountPixels(kBlack), 1600);
    ClearRect(MakeRect(0, 0, 5, 5));
    EXPECT_EQ(image.Port().PixelAt(10, 10), kWhite);
    EXPECT_EQ(image.Port().PixelAt(9, 10), kBlack);
    SetClipRegion(Region(MakeRect(0, 0, 2, 2)));
    FillRectColor(MakeRect(-100, -100, 100, 100), kColorWhite);
    EXPECT_EQ(image.CountPixels(kWhite), 25);
}

TEST(DrawingStateTest, PictureFocusCutsMacPaintFrames)
{
    PictureRecord picture;
    picture.fileType = kPictureTypeMacPaint;
    {
        SavedPortState record;
        FocusPicture(record, picture, MakeRect(0, 0, 800, 1000));
        EXPECT_EQ(GetDrawingState().depth, (DepthRecord{1, 0}));
        ApplyTextStyle(TextStyle{});
        EXPECT_FALSE(GetDrawingState().unicodeText);
    }
    EXPECT_EQ(picture.frame, MakeRect(0, 0, 576, 720));
    ApplyTextStyle(TextStyle{});
    EXPECT_TRUE(GetDrawingState().unicodeText);
    ASSERT_NE(picture.picture, nullptr);
    EXPECT_TRUE(picture.picture->IsRecording());
}

TEST(DrawingStateTest, OffscreenBufferCopiesOntoThePort)
{
    FocusedImage image;
    OffscreenBuffer buffer;
    ASSERT_TRUE(buffer.Create(10, 10, 32));
    EXPECT_FALSE(OffscreenBuffer().Create(0, 10, 32));
    buffer.Port()->SetForeColor(TableColor(13));
    buffer.Port()->PaintRect(MakeRect(0, 0, 10, 10));
    buffer.CopyToPort(MakeRect(5, 5, 15, 15), true);
    EXPECT_EQ(image.CountPixels(0xED1C24u), 100);
    EXPECT_EQ(image.Port().PixelAt(5, 5), 0xED1C24u);
    EXPECT_EQ(image.Port().PixelAt(15, 15), kWhite);
}

TEST(DrawingStateTest, WindowSlotTable)
{
    auto window = [](uintptr_t i) { return reinterpret_cast<Window*>(0x1000 + 16 * i); };
    std::vector<uint32_t> refs;
    for (uintptr_t i = 0; i < 5; ++i)
        refs.push_back(AllocateWindowRefSlot(window(i)));
    EXPECT_EQ(WindowFromPlatformWindow(refs[2]), window(2));
    uint32_t base = refs[0];
    EXPECT_EQ(WindowFromPlatformWindow(base + 5), nullptr);  // index beyond the table
    EXPECT_EQ(WindowFromPlatformWindow(0x12345678), nullptr);  // not this program's
    EXPECT_EQ(WindowFromPlatformWindow(0), nullptr);
    FreeWindowRefSlot(refs[1]);
    EXPECT_EQ(WindowFromPlatformWindow(refs[1]), nullptr);
    EXPECT_EQ(AllocateWindowRefSlot(window(9)), refs[1]);  // a freed slot is taken again
    EXPECT_EQ(WindowFromPlatformWindow(refs[1]), window(9));
    for (uint32_t r : refs)
        FreeWindowRefSlot(r);
}

TEST(DrawingStateTest, PenPathLinesMayBeLong)
{
    auto port = DrawingPort::CreateImage(20, 20);
    SavedPortState record;
    FocusWindowObject(record, WindowTarget{nullptr, port.get(), DepthRecord{}});
    PenPath path;
    path.MoveTo(-15000, 2);
    path.LineBy(15010, 0);  // a line whose horizontal distance passes 10000 stays a line
    path.MoveBy(0, 5);
    path.LineTo(-5, 7);
    EXPECT_EQ(path.SegmentCount(), 4);
    path.Draw();
    EXPECT_EQ(port->PixelAt(5, 2), kBlack);
    EXPECT_EQ(port->PixelAt(5, 7), kBlack);
    EXPECT_EQ(port->PixelAt(5, 5), kWhite);
}

}  // namespace
}  // namespace vek
