// The drawing sheet: every primitive drawn headless into one image and compared with the golden image
// tests/fixtures/drawing/sheet.png. A failing comparison writes drawing-sheet-actual.png and
// drawing-sheet-difference.png into the test's build folder; after an intended change, copy the
// actual image over the golden one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>

#include "gui/DrawingRoutines.h"
#include "drawing/DrawingState.h"
#include "drawing/Fonts.h"
#include "drawing/Icons.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"
#include "drawing/Theme.h"
#include "support/GoldenPicture.h"
#include "support/PinnedFonts.h"

namespace vek {
namespace {

constexpr int32_t kSheetWidth = 640;
constexpr int32_t kSheetHeight = 560;

void Label(int32_t left, int32_t top, const char* text)
{
    SetTextStyle(TextStyle{9, 0, 0, kFontGeneva});
    DrawTextInRect(MakeRect(left, top, left + 600, top + 11), text);
}

void DrawColoursAndShapes()
{
    Label(4, 2, "colours 0-30");
    for (int32_t i = 0; i < kColorCount; ++i)
        FillAndFrameRect(MakeRect(4 + i * 20, 14, 4 + i * 20 + 18, 30), 1, i);

    Label(4, 34, "frames -1 0 1 3, ovals, round rects, wedges");
    int32_t widths[] = {-1, 0, 1, 3};
    for (int32_t i = 0; i < 4; ++i)
        FrameRectWidth(MakeRect(4 + i * 30, 46, 30 + i * 30, 72), widths[i]);
    FillOvalColor(MakeRect(130, 46, 170, 72), 13);
    FrameOvalWidth(MakeRect(175, 46, 215, 72), 2);
    FillOvalColorMix(MakeRect(220, 46, 260, 72), 1, 21, 21);
    FillRoundRectColor(MakeRect(265, 46, 305, 72), 12, 19);
    FrameRoundRectWidth(MakeRect(310, 46, 350, 72), 12, 3);
    ClearRoundRect(MakeRect(320, 54, 340, 64), 6, 1);
    const double angles[] = {0.0, 1.2, 2.9, 4.4, 2 * std::numbers::pi};
    const int32_t colours[] = {13, 17, 19, 21};
    for (int32_t i = 0; i < 4; ++i) {
        Region wedge;
        WedgeRegion(wedge, Point{59, 380}, 13, angles[i], angles[i + 1]);
        FillRegionColor(wedge, colours[i]);
    }
    FillAndFrameRect(MakeRect(400, 46, 440, 72), 1, 4);
    FrameRectShadow(MakeRect(445, 46, 480, 70));
    FrameRectPattern(MakeRect(487, 46, 520, 72));
    FrameRectXor(MakeRect(400, 50, 430, 68));
    HiliteRect(MakeRect(525, 46, 560, 72));
    FillRectColor(MakeRect(565, 46, 600, 72), 13);
    ClearRect(MakeRect(572, 52, 594, 66), 1);

    Label(4, 76, "regions: union, intersection, difference, xor; polygon; lines");
    Region a(MakeRect(4, 88, 34, 112));
    Region b;
    OvalRegion(b, MakeRect(18, 96, 48, 120));
    struct Op {
        int32_t dx;
        int32_t color;
    } ops[] = {{0, 21}, {50, 13}, {100, 19}, {150, 12}};
    for (int32_t i = 0; i < 4; ++i) {
        Region r(a);
        switch (i) {
        case 0:
            r.Union(b);
            break;
        case 1:
            r.Intersect(b);
            break;
        case 2:
            r.Subtract(b);
            break;
        default:
            r.Xor(b);
            break;
        }
        r.Offset(ops[i].dx, 0);
        FillRegionColor(r, ops[i].color);
        FrameRegionWidth(r, 1);
    }
    const Point star[] = {{88, 230}, {118, 240}, {98, 216}, {98, 244}, {118, 220}};
    PaintPolygon(star);
    DrawLineRel(260, 90, 40, 28);
    DrawThickLine(310, 90, 0, 28, 3, 3);
    DrawHLinePattern(320, 95, 60, LineStyle::Dotted);
    DrawHLinePattern(320, 105, 60, LineStyle::Dashed);
    DrawVLinePattern(390, 90, 28, LineStyle::Dotted);
    Region slanted;
    SlantedBoxRegion(slanted, 420, 100, 20, 18, 8, -6, 1.0);
    FillRegionColor(slanted, 5);
    FillRectColor(MakeRect(410, 91, 430, 109), 11);
}

void DrawTexts()
{
    Label(4, 124, "wrapped text in every alignment; a 1001-line text");
    const char* text = "The quick brown fox jumps over the lazy dog, well-known and thirty-two words long.";
    const uint16_t alignments[] = {0,
                                   kAlignRight,
                                   kAlignCenterH,
                                   kAlignBottom,
                                   kAlignCenterV | kAlignCenterH,
                                   kAlignRight | kAlignBottom};
    for (int32_t i = 0; i < 6; ++i) {
        Rect box = MakeRect(4 + i * 90, 136, 90 + i * 90, 200);
        FrameRectWidth(box, 1);
        SetTextStyle(TextStyle{10, 0, uint16_t(kTextWrap | alignments[i]), kFontGeneva});
        Rect inner = box;
        OutsetRect(inner, -2);
        DrawTextInRect(inner, text);
    }
    std::string lines;
    for (int32_t i = 1; i <= 1001; ++i)
        lines += "line " + std::to_string(i) + "\r";
    Rect tall = MakeRect(548, 136, 636, 200);
    FrameRectWidth(tall, 1);
    SetTextStyle(TextStyle{9, 0, kTextWrap | kFaceBold, kFontMonaco});
    DrawTextInRect(tall, lines);
    SetTextStyle(TextStyle{10, 0, 0, kFontGeneva});
    const StyleRun runs[] = {{0, 0, 10}, {6, kFaceBold, 13}, {11, kFaceItalic | kFaceUnderline, 21}};
    DrawTextInRect(MakeRect(4, 204, 300, 218), "Plain, bold and italic underlined runs", runs);
    SetTextStyle(TextStyle{12, 0, 0, kFontHelvetica});
    DrawTextInRect(MakeRect(310, 204, 636, 220), "\xC3\x85ngstr\xC3\xB6m \xE2\x80\x94 caf\xC3\xA9 \xE2\x82\xAC 100");
}

void DrawIcons()
{
    Label(4, 224, "icons 5800-5852, and selected");
    for (int32_t id = 5800; id <= kLastStripIcon; ++id) {
        int32_t i = id - 5800;
        int32_t h = 4 + (i % 27) * 23;
        int32_t v = 236 + (i / 27) * 28;
        DrawPictureAt(h, v, id);
    }
    for (int32_t id = 5800; id <= 5826; ++id) {
        Rect bounds;
        GetPictureBounds(bounds, id);
        ShiftRect(bounds, 4 + (id - 5800) * 23, 294);
        DrawIcon(bounds, id, true);
    }
}

void DrawTheme()
{
    Label(4, 314, "theme controls in each state");
    SetTextStyle(TextStyle{10, 0, 0, kFontGeneva});
    struct ButtonState {
        bool enabled, pressed, isDefault;
    } buttons[] = {{false, false, false}, {true, false, false}, {true, true, false}, {true, false, true}};
    for (int32_t i = 0; i < 4; ++i)
        DrawPushButton(MakeRect(8 + i * 70, 330, 68 + i * 70, 350), buttons[i].enabled, buttons[i].pressed,
                       buttons[i].isDefault);
    int32_t x = 264;
    for (bool enabled : {false, true}) {
        for (bool pressed : {false, true}) {
            for (int32_t value = 0; value < 3; ++value) {
                DrawSmallCheckBox(MakeRect(x, 330, x + 12, 342), enabled, pressed, value);
                DrawSmallRadioButton(MakeRect(x, 346, x + 12, 358), enabled, pressed, value == 1 ? 1 : 0);
                x += 16;
            }
        }
    }
    DrawPopupButtonFrame(MakeRect(8, 364, 128, 384), true);
    DrawPopupButtonFrame(MakeRect(136, 364, 256, 384), false);
    DrawScrollBarTrack(MakeRect(264, 368, 424, 383), true, 0, 100, 30, Orientation::Horizontal, 0);
    DrawScrollBarTrack(MakeRect(264, 388, 424, 403), true, 0, 100, 100, Orientation::Horizontal, 5);
    DrawScrollBarTrack(MakeRect(264, 408, 424, 423), false, 0, 100, 30, Orientation::Horizontal, 0);
    DrawScrollBarTrack(MakeRect(600, 370, 615, 450), true, 0, 10, 0, Orientation::Vertical, 1);
    DrawScrollBarTrack(MakeRect(620, 370, 635, 450), true, 5, 5, 5, Orientation::Vertical, 0);
    DrawProgressTrack(MakeRect(8, 392, 128, 402), 45);
    DrawProgressTrack(MakeRect(136, 392, 256, 402), 500);
    Rect focused = MakeRect(12, 412, 120, 428);
    FrameRectWidth(focused, 1);
    DrawFocusRing(focused);
    Rect inset = MakeRect(140, 412, 250, 428);
    FrameRectWidth(inset, 1);
    DrawFocusRingInset(inset);
    const TabStyle styles[] = {TabStyle::NonFront, TabStyle::NonFrontPressed, TabStyle::NonFrontInactive,
                               TabStyle::Front};
    for (int32_t i = 0; i < 4; ++i)
        DrawTab(MakeRect(472 + i * 40, 336, 504 + i * 40, 352), styles[i]);
    for (int32_t state = 0; state < 5; ++state)
        EXPECT_EQ(DrawTabWithTitle(MakeRect(442 + (state % 3) * 52, 372 + (state / 3) * 26, 484 + (state % 3) * 52,
                                           390 + (state / 3) * 26),
                                   "Tab", state),
                  state != 0);
}

void DrawRoutines()
{
    Label(4, 456, "drawing routines");
    DrawArrowEnabled(20, 480, 6, kArrowLeft, true);
    DrawArrowEnabled(40, 480, 6, kArrowRight, true);
    DrawArrowEnabled(60, 476, 6, kArrowUp, false);
    DrawArrowEnabled(80, 484, 6, kArrowDown, false);
    DrawEtchedLine(100, 472, 60);
    DrawEtchedLineVertical(170, 468, 30);
    DrawEtchedLineInRect(MakeRect(100, 480, 160, 500));
    DrawBevelFrame(MakeRect(180, 468, 220, 500), 30, 6);
    DrawBevelBand(MakeRect(230, 468, 270, 500), 4, 4, 8);
    DrawDoubleBevel(MakeRect(280, 468, 320, 500), 4, 30, 8, 2, 6);
    FillRectColor(MakeRect(328, 466, 374, 502), 27);
    DrawRaisedFrame(MakeRect(330, 468, 372, 500));
    DrawRecessedBox(MakeRect(380, 468, 420, 500), false);
    DrawRecessedBox(MakeRect(428, 468, 468, 500), true);
    DrawCheckMark(484, 484);
    DrawDoubleChevron(504, 484);
    SetTextStyle(TextStyle{10, 0, kAlignCenterH, kFontGeneva});
    DrawTextInRectEnabled(MakeRect(520, 470, 636, 484), "enabled", true);
    DrawTextInRectEnabled(MakeRect(520, 486, 636, 500), "disabled", false);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DrawingSheetTest, EveryPrimitiveMatchesTheGoldenImage)
{
    PinTestFonts();
    auto sheet = DrawingPort::CreateImage(kSheetWidth, kSheetHeight);
    ASSERT_NE(sheet, nullptr);
    {
        SavedPortState focus;
        FocusWindowObject(focus, WindowTarget{nullptr, sheet.get(), DepthRecord{32, 1}});
        TextStyle savedStyle = GetDrawingState().view->style;
        GetDrawingState().view->fore = kColorBlack;
        GetDrawingState().view->back = kColorWhite;
        ApplyViewColors();
        DrawColoursAndShapes();
        DrawTexts();
        DrawIcons();
        DrawTheme();
        DrawRoutines();
        SetTextStyle(savedStyle);
    }
    test::ExpectMatchesGoldenPicture(sheet->EncodePng(), VEK_SOURCE_DIR "/tests/fixtures/drawing/sheet.png",
                                     "drawing-sheet");
}

}  // namespace
}  // namespace vek
