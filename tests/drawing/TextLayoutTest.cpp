// Tests of text layout: style resolving, measuring with the pinned fonts, the word wrap by a table of
// cases, alignment and hit testing.
#include "drawing/TextLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/services/TextMeasure.h"
#include "drawing/DrawingState.h"
#include "drawing/Fonts.h"
#include "drawing/TextShaper.h"
#include "support/PinnedFonts.h"

namespace vek {
namespace {

// Sets the current view's style for the test's lifetime.
class StyleScope {
public:
    explicit StyleScope(TextStyle style) : saved(GetDrawingState().view->style)
    {
        PinTestFonts();
        SetTextStyle(style);
    }
    ~StyleScope() { SetTextStyle(saved); }

private:
    TextStyle saved;
};

std::vector<std::string> Lines(std::string_view text, int32_t width, uint16_t flags = kTextWrap)
{
    StyleScope style(TextStyle{10, 0, flags, kFontMonaco});
    auto table = std::make_unique<LineTable>();
    LayoutTextLines(*table, text, MakeRect(0, 0, width, 200));
    std::vector<std::string> lines;
    for (int32_t i = 0; i < table->count; ++i)
        lines.emplace_back(text.substr(size_t(table->lines[size_t(i)].start), size_t(table->lines[size_t(i)].length)));
    return lines;
}

TEST(TextLayoutTest, ResolvingStyles)
{
    struct Case {
        TextStyle style;
        OutputKind output;
        ResolvedFont expected;
    } cases[] = {
        {TextStyle{0, 0, 0, 0}, OutputKind::Screen, {kFontGeneva, 10, 10, 12, 0}},
        {TextStyle{12, 0, 0, 0}, OutputKind::Screen, {kFontGeneva, 12, 12, 15, 0}},
        {TextStyle{12, 6, kFaceBold | kTextWrap, kFontMonaco}, OutputKind::Screen, {kFontMonaco, 12, 12, 15, kFaceBold}},
        {TextStyle{9, 7, 0, kFontCourier}, OutputKind::Screen, {kFontCourier, 9, 9, 7, 0}},
        {TextStyle{0, 0, 0, 0}, OutputKind::PrintBlackWhite, {kFontHelvetica, 10, 10, 12, 0}},
        {TextStyle{0, 0, 0, 99}, OutputKind::Screen, {kFontGeneva, 10, 10, 12, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style.size << "/" << c.style.family);
        GetDrawingState().outputKind = c.output;
        ResolvedFont f = ResolveTextFont(c.style);
        EXPECT_EQ(f.family, c.expected.family);
        EXPECT_EQ(f.size, c.expected.size);
        EXPECT_EQ(f.ascent, c.expected.ascent);
        EXPECT_EQ(f.lineHeight, c.expected.lineHeight);
        EXPECT_EQ(f.face, c.expected.face);
    }
    GetDrawingState().outputKind = OutputKind::Screen;
    EXPECT_EQ(FindFontFamily("Helvetica"), kFontHelvetica);
    EXPECT_EQ(FindFontFamily("Times"), kFontDefault);
    TextStyle s;
    s.SetFontByName("Monaco");
    s.SetFace(0xFF);
    s.SetAlignment(0xFFFF);
    EXPECT_EQ(s, (TextStyle{0, 0, 0x3c7f, kFontMonaco}));
}

TEST(TextLayoutTest, StyleBitSettersReturnThePreviousBits)
{
    StyleScope style(TextStyle{10, 0, kFaceItalic, kFontGeneva});
    EXPECT_EQ(SetTextFace(kFaceBold), kFaceItalic);
    EXPECT_EQ(GetDrawingState().font.face, kFaceBold);
    EXPECT_EQ(SetTextWrap(Switch::On), 0);
    EXPECT_EQ(SetTextWrap(Switch::Off), kTextWrap);
    EXPECT_EQ(SetTextAlignment(kAlignRight | kAlignBottom), 0);
    EXPECT_EQ(SetPlainTextMode(Switch::On), 0);
    EXPECT_FALSE(GetDrawingState().unicodeText);
    EXPECT_EQ(SetPlainTextMode(Switch::Off), kTextPlain);
    EXPECT_TRUE(GetDrawingState().unicodeText);
}

TEST(TextLayoutTest, MeasuringWithThePinnedFonts)
{
    StyleScope style(TextStyle{10, 0, 0, kFontGeneva});
    struct Case {
        std::string_view text;
        int32_t width;
    } cases[] = {
        {"", 0}, {"Hello", 26}, {"Hello world", 57}, {"  ", 7}, {"\xC3\xA9t\xC3\xA9", 17},
        {"a\xFF" "b", 23},  // a bad byte measures as U+FFFD
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MeasureTextWidth(c.text.data(), int32_t(c.text.size())), c.width);
    }
    EXPECT_EQ(MeasureTextWidth("Hello", 0), 0);
    EXPECT_EQ(MeasureTextWidth("Hello", -5), 0);
    EXPECT_EQ(MeasureTextWidth(nullptr, 5), 0);
    // Runs add up exactly: what the wrap sums is what is drawn.
    ResolvedFont font = ResolveTextFont(TextStyle{10, 0, 0, kFontGeneva});
    EXPECT_EQ(MeasureTextUnits(font, "Hello world"),
              MeasureTextUnits(font, "Hello") + MeasureTextUnits(font, " ") + MeasureTextUnits(font, "world"));
    // Bold is wider; the measure the model uses is this one.
    EXPECT_GT(UnitsToPixels(MeasureTextUnits(ResolveTextFont(TextStyle{10, 0, kFaceBold, kFontGeneva}), "Hello")), 26);
    EXPECT_EQ(vek::MeasureTextWidth(std::string_view("Hello world")), 57);
    // Text that needs shaping is measured as a whole.
    EXPECT_GT(MeasureTextWidth("e\xCC\x81x", 4), 0);

    StyleScope mono(TextStyle{10, 0, 0, kFontMonaco});
    EXPECT_EQ(MeasureTextWidth("a", 1), 7);
    EXPECT_EQ(MeasureTextWidth("aaaaaaaaaa", 10), 61);
}

// Monaco 10 advances 6.02 pixels a character: a line of 6 characters is 39 pixels wide (measure + 1),
// of 7 characters 44, of 8 characters 50.
TEST(TextLayoutTest, WordWrapByTable)
{
    using L = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string_view text;
        int32_t width;
        uint16_t flags;
        L expected;
    } cases[] = {
        {"words fill the width", "aaa bbb ccc", 50, kTextWrap, L{"aaa bbb", "ccc"}},
        {"the space at a break is dropped", "aaa bbb ccc", 40, kTextWrap, L{"aaa", "bbb", "ccc"}},
        {"a hyphen ends a word", "well-known fact", 50, kTextWrap, L{"well-", "known", "fact"}},
        {"break-after characters", "a+b=c/d", 30, kTextWrap, L{"a+b=", "c/d"}},
        {"leading spaces stay at a paragraph start", "  ab cd", 50, kTextWrap, L{"  ab cd"}},
        {"a long word is cut", "abcdefghijkl", 40, kTextWrap, L{"abcdef", "ghijkl"}},
        {"the last piece takes more words", "abcdefghi jk", 40, kTextWrap, L{"abcdef", "ghi jk"}},
        {"never inside a character", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 40, kTextWrap,
         L{"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9"}},
        {"a narrow box cuts each character", "abc", 6, kTextWrap, L{"a", "b", "c"}},
        {"under 5 pixels: no lines", "abc", 4, kTextWrap, L{}},
        {"line breaks of three kinds", "a\r\nb\rc\nd", 50, kTextWrap, L{"a", "b", "c", "d"}},
        {"an empty paragraph", "a\n\nb", 50, kTextWrap, L{"a", "", "b"}},
        {"a final break", "a\n", 50, kTextWrap, L{"a", ""}},
        {"the empty text", "", 50, kTextWrap, L{""}},
        {"a NUL ends the text", std::string_view("ab\0cd", 5), 50, kTextWrap, L{"ab"}},
        {"unwrapped: only breaks", "aaa bbb ccc\r\nd", 10, 0, L{"aaa bbb ccc", "d"}},
        {"unwrapped: narrow boxes still lay out", "abc", 2, 0, L{"abc"}},
        {"right and bottom: the last line is full", "aaa bbb ccc", 50, kTextWrap | kAlignRight | kAlignBottom,
         L{"aaa", "bbb ccc"}},
        {"right and bottom: paragraphs keep their order", "aa bb\ncc dd ee", 40,
         kTextWrap | kAlignRight | kAlignBottom, L{"aa bb", "cc", "dd ee"}},
        {"right only wraps forward", "aaa bbb ccc", 50, kTextWrap | kAlignRight, L{"aaa bbb", "ccc"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lines(c.text, c.width, c.flags), c.expected);
    }
}

TEST(TextLayoutTest, LineWidthsLimitsAndAlignment)
{
    StyleScope style(TextStyle{10, 0, kTextWrap, kFontMonaco});
    auto table = std::make_unique<LineTable>();
    EXPECT_EQ(LayoutTextLines(*table, "aaa bbb ccc", MakeRect(0, 0, 50, 100)), 2);
    EXPECT_EQ(table->lines[0].width, 44);
    EXPECT_EQ(table->lines[1].width, 20);
    EXPECT_EQ(table->rect.top, 0);

    std::string many;
    for (int i = 0; i < 1001; ++i)
        many += "line\r";
    EXPECT_EQ(LayoutTextLines(*table, many, MakeRect(0, 0, 100, 100)), 1000);
    SetTextWrap(Switch::Off);
    EXPECT_EQ(LayoutTextLines(*table, many, MakeRect(0, 0, 100, 100)), 1000);

    SetTextStyle(TextStyle{10, 0, kTextWrap | kAlignBottom, kFontMonaco});
    LayoutTextLines(*table, "aaa bbb ccc", MakeRect(0, 0, 50, 100));
    EXPECT_EQ(table->rect.top, 100 - 2 * 12);
    SetTextStyle(TextStyle{10, 0, kTextWrap | kAlignCenterV, kFontMonaco});
    LayoutTextLines(*table, "aaa bbb ccc", MakeRect(0, 0, 50, 100));
    EXPECT_EQ(table->rect.top, (100 - 24) / 2);

    SetTextStyle(TextStyle{10, 0, kTextWrap, kFontMonaco});
    Rect fit = MakeRect(10, 20, 60, 25);
    FitRectToText(fit, "aaa bbb ccc");
    EXPECT_EQ(fit, MakeRect(10, 20, 54, 44));
}

TEST(TextLayoutTest, HitTesting)
{
    StyleScope style(TextStyle{10, 0, kTextWrap, kFontMonaco});
    // Offsets at widths: a character boundary within 3 pixels.
    struct Case {
        int32_t x;
        int32_t offset;
    } cases[] = {{-4, kOffsetBeforeStart}, {-3, 0}, {3, 0}, {4, 1}, {10, 2}, {60, 10}, {64, 10}, {65, kOffsetAfterEnd}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(TextOffsetAtWidth("abcdefghij", c.x), c.offset);
    }
    Rect rect = MakeRect(0, 0, 50, 100);
    const std::string text = "aaa bbb ccc dd";
    EXPECT_EQ(TextOffsetAtPoint(rect, text, Point{-1, 5}), kOffsetBeforeStart);
    EXPECT_EQ(TextOffsetAtPoint(rect, text, Point{100, 5}), kOffsetAfterEnd);
    EXPECT_EQ(TextOffsetAtPoint(rect, text, Point{50, 5}), kOffsetAfterEnd);  // below the last line
    EXPECT_EQ(TextOffsetAtPoint(rect, text, Point{13, 49}), kOffsetAfterEnd);  // right of the last line
    EXPECT_EQ(TextOffsetAtPoint(rect, text, Point{1, 49}), 7);                 // right of another line: its end
    // Every offset goes to a point and back.
    for (int32_t offset = 0; offset <= int32_t(text.size()); ++offset) {
        SCOPED_TRACE(offset);
        Point p;
        TextPointAtOffset(p, rect, text, offset);
        Point inLine{int16_t(p.v - 2), int16_t(p.h + 1)};
        int32_t back = TextOffsetAtPoint(rect, text, inLine);
        // The end of a wrapped line and the start of the next are the same caret position.
        if (offset == 7 || offset == 8)
            EXPECT_TRUE(back == 7 || back == 8) << back;
        else
            EXPECT_EQ(back, offset);
    }
    Point start;
    TextPointAtOffset(start, rect, text, kOffsetBeforeStart);
    EXPECT_EQ(start, (Point{10, 0}));
    Point end;
    TextPointAtOffset(end, rect, text, kOffsetAfterEnd);
    EXPECT_EQ(end.v, 10 + 12);
}

TEST(TextLayoutTest, EditStylesAndBullets)
{
    EditTextStyle edit;
    MakeTextEditStyle(TextStyle{12, 0, kFaceBold | kAlignRight, kFontMonaco}, MakeRect(10, 10, 110, 30), edit);
    EXPECT_EQ(edit.size, 12);
    EXPECT_EQ(edit.lineHeight, 15);
    EXPECT_EQ(edit.justification, EditJustification::Right);
    EXPECT_FALSE(edit.wordWrap);
    EXPECT_EQ(edit.destination, MakeRect(10 - 9999, 10, 110, 30));
    EXPECT_EQ(edit.view, MakeRect(10, 10, 111, 30));
    MakeTextEditStyle(TextStyle{0, 0, kTextWrap | kAlignCenterH | kAlignRight, 0}, MakeRect(10, 10, 110, 30), edit);
    EXPECT_EQ(edit.justification, EditJustification::Center);
    EXPECT_EQ(edit.destination, MakeRect(10, 10, 110, 30));

    std::string secret = "p\xC3\xA5ss";
    MaskTextWithBullets(secret);
    EXPECT_EQ(secret, "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2");
}

}  // namespace
}  // namespace vek
