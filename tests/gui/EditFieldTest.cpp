// EditFieldTest: the edit engine by text and offsets: keys, clicks, words, characters beyond one
// byte, password fields, wrapping and scrolling.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/editing/EditField.h"
#include "gui/editing/EditHistory.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"
#include "support/PinnedFonts.h"

namespace vek {
namespace {

constexpr int32_t kShift = 1;
constexpr int32_t kWord = 2;  // option

struct Stroke {
    int32_t key;
    int32_t modifiers = 0;
};

class EditFieldTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        application = std::make_unique<Application>(true);
        window = new Window(kKindDialogWindow, OriginSize{100, 100, 200, 300}, 0, nullptr, true);
    }
    void TearDown() override
    {
        field.Dispose();
        application.reset();
    }

    // A single-line field 16 pixels high unless told otherwise.
    void Make(std::string_view text, Rect rect = Rect{10, 10, 26, 210}, uint16_t flags = 0,
              PasswordMode password = PasswordMode::Off)
    {
        TextStyle style;
        style.flags = flags;
        ASSERT_TRUE(field.Create(*window, text, rect, style, password));
    }

    bool Press(Stroke stroke)
    {
        InputEvent event;
        event.key = stroke.key;
        event.shift = (stroke.modifiers & kShift) != 0;
        event.option = (stroke.modifiers & kWord) != 0;
        bool changed = false;
        field.HandleKey(event, changed);
        return changed;
    }

    void Type(std::string_view ascii)
    {
        for (char c : ascii)
            Press({int32_t(uint8_t(c))});
    }

    void ClickAt(Point point, bool shift = false, bool twice = false)
    {
        InputEvent event;
        event.point = point;
        event.shift = shift;
        event.doubleClick = twice;
        field.Click(event, Point{0, 0});
    }

    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    Window* window = nullptr;
    EditField field;
};

TEST_F(EditFieldTest, KeysEditTextAndMoveByCharactersNotBytes)
{
    // "é" precomposed (2 bytes), "e" + U+0301 combining acute (3 bytes), U+1D11E (4 bytes, kept as
    // it came), Hebrew (2 bytes a letter).
    const std::string combining = "e\xCC\x81";
    const std::string beyond = "\xF0\x9D\x84\x9E";
    const std::string hebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D";
    struct Case {
        const char* name;
        std::string text;
        int32_t anchor;
        int32_t caret;
        std::vector<Stroke> strokes;
        std::string expected;
        int32_t expectedAnchor;
        int32_t expectedCaret;
    };
    const Case cases[] = {
        {"type at the end", "ab", 2, 2, {{'c'}}, "abc", 3, 3},
        {"type over a selection", "abcd", 1, 3, {{'X'}}, "aXd", 2, 2},
        {"backspace at the start changes nothing", "ab", 0, 0, {{8}}, "ab", 0, 0},
        {"backspace removes a two-byte character", "a\xC3\xA9", 3, 3, {{8}}, "a", 1, 1},
        {"backspace removes a letter with its combining mark", "a" + combining, 4, 4, {{8}}, "a", 1, 1},
        {"backspace removes a four-byte character whole", "a" + beyond, 5, 5, {{8}}, "a", 1, 1},
        {"forward delete at the end changes nothing", "ab", 2, 2, {{kKeyForwardDelete}}, "ab", 2, 2},
        {"forward delete removes the next cluster", combining + "x", 0, 0, {{kKeyForwardDelete}}, "x", 0, 0},
        {"left steps over a combining cluster", "a" + combining, 4, 4, {{28}}, "a" + combining, 1, 1},
        {"right steps over a four-byte character", beyond + "b", 0, 0, {{29}}, beyond + "b", 4, 4},
        {"right steps over right-to-left letters one by one", hebrew, 0, 0, {{29}, {29}}, hebrew, 4, 4},
        {"typing inside right-to-left text keeps it whole", hebrew, 4, 4, {{'1'}},
         "\xD7\xA9\xD7\x9C" "1" "\xD7\x95\xD7\x9D", 5, 5},
        {"a character beyond U+FFFF typed becomes U+FFFD", "", 0, 0, {{0x1F600}}, "\xEF\xBF\xBD", 3, 3},
        {"left collapses a selection at its start", "abcd", 1, 3, {{28}}, "abcd", 1, 1},
        {"right collapses a selection at its end", "abcd", 3, 1, {{29}}, "abcd", 3, 3},
        {"shift-right extends from the anchor", "abcd", 1, 1, {{29, kShift}, {29, kShift}}, "abcd", 1, 3},
        {"home goes to the start", "abc def", 4, 4, {{1}}, "abc def", 0, 0},
        {"shift-home selects from the start to the anchor", "Hello world", 5, 5, {{1, kShift}}, "Hello world", 5, 0},
        {"end goes to the end", "abc def", 2, 2, {{4}}, "abc def", 7, 7},
        {"shift-end selects from the anchor", "abc def", 2, 2, {{4, kShift}}, "abc def", 2, 7},
        {"option-right moves to the end of the word", "abc def", 0, 0, {{29, kWord}}, "abc def", 3, 3},
        {"option-right again to the next word's end", "abc def", 3, 3, {{29, kWord}}, "abc def", 7, 7},
        {"option-left moves to the start of the word", "abc d\xC3\xA9" "f", 8, 8, {{28, kWord}}, "abc d\xC3\xA9" "f", 4, 4},
        {"return types a carriage return", "ab", 1, 1, {{13}}, "a\rb", 2, 2},
        {"control keys type nothing", "ab", 1, 1, {{5}}, "ab", 1, 1},
        {"down moves to the next line", "ab\rcd", 1, 1, {{31}}, "ab\rcd", 4, 4},
        {"up from the first line goes to the start", "ab\rcd", 1, 1, {{30}}, "ab\rcd", 0, 0},
        {"backspace after a line break joins the lines", "ab\rcd", 3, 3, {{8}}, "abcd", 2, 2},
        {"left over a CR LF pair steps once", "ab\r\ncd", 4, 4, {{28}}, "ab\r\ncd", 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.text, Rect{10, 10, 60, 210});
        field.SetSelection(c.anchor, 0);
        if (c.caret != c.anchor) {
            field.SetSelection(std::min(c.anchor, c.caret), std::abs(c.caret - c.anchor));
            if (c.caret < c.anchor) {
                // Put the anchor at the far end: select by shift-left from the anchor.
                field.SetSelection(c.anchor, 0);
                for (int32_t n = 0; field.Caret() > c.caret && n < 100; ++n)
                    Press({28, kShift});
            }
        }
        for (const Stroke& s : c.strokes)
            Press(s);
        EXPECT_EQ(std::string(field.Text()), c.expected);
        EXPECT_EQ(field.Anchor(), c.expectedAnchor);
        EXPECT_EQ(field.Caret(), c.expectedCaret);
        field.Dispose();
    }
}

TEST_F(EditFieldTest, BackspaceAtTheStartReportsNoChange)
{
    Make("abc");
    EXPECT_FALSE(Press({8}));
    field.SetSelection(3, 0);
    EXPECT_TRUE(Press({8}));
    EXPECT_EQ(field.Text(), "ab");
}

TEST_F(EditFieldTest, ClicksPlaceSelectAndPickWords)
{
    Make("Hello brave world");
    const Point world = field.PointOfOffset(14);  // inside "world"
    ClickAt(Point{int16_t(world.v + 5), world.h});
    EXPECT_EQ(field.Caret(), 14);
    EXPECT_EQ(field.GetSelectionLength(), 0);

    const Point brave = field.PointOfOffset(6);
    ClickAt(Point{int16_t(brave.v + 5), brave.h}, true);
    EXPECT_EQ(field.Anchor(), 14);
    EXPECT_EQ(field.Caret(), 6);

    ClickAt(Point{int16_t(world.v + 5), world.h}, false, true);
    EXPECT_EQ(field.GetSelectionStart(), 12);
    EXPECT_EQ(field.GetSelectionLength(), 5);

    // Far right of the text: the end; far left: the start.
    ClickAt(Point{15, 200});
    EXPECT_EQ(field.Caret(), 17);
    ClickAt(Point{15, 0});
    EXPECT_EQ(field.Caret(), 0);
}

TEST_F(EditFieldTest, LongSingleLineScrollsSidewaysToKeepTheCaretInView)
{
    Make(std::string(200, 'm'), Rect{10, 10, 26, 110});
    EXPECT_FALSE(field.IsMultiLine());
    EXPECT_EQ(field.HorizontalOffset(), 0);
    Press({4});
    EXPECT_GT(field.HorizontalOffset(), 0);
    const Point end = field.PointOfOffset(200);
    EXPECT_GE(end.h, 10);
    EXPECT_LE(end.h, 110);
    Press({1});
    EXPECT_EQ(field.HorizontalOffset(), 0);
}

TEST_F(EditFieldTest, NineteenPixelsScrollSidewaysTwentyByLines)
{
    Make("a", Rect{0, 0, 19, 100});
    EXPECT_FALSE(field.IsMultiLine());
    field.Dispose();
    Make("a", Rect{0, 0, 20, 100});
    EXPECT_TRUE(field.IsMultiLine());
}

TEST_F(EditFieldTest, MultiLineFieldScrollsByLines)
{
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + "\r";
    Make(text, Rect{0, 0, 60, 200});
    ASSERT_EQ(field.Lines().size(), 31u);
    const int32_t visible = 60 / field.LineHeight();
    Press({4});
    EXPECT_EQ(field.TopLine(), 31 - visible);
    Press({1});
    EXPECT_EQ(field.TopLine(), 0);
    field.ScrollLines(5);
    EXPECT_EQ(field.TopLine(), 5);
    field.ScrollLines(-100);
    EXPECT_EQ(field.TopLine(), 0);
}

TEST_F(EditFieldTest, WrapAdvancesEvenWhenOneCharacterIsWiderThanTheLine)
{
    // Regression: a forward wrap whose line is narrower than a character must still end, with at
    // least one character a line.
    Make("WWWW MMMM", Rect{0, 0, 40, 6}, kTextWrap);
    const auto& lines = field.Lines();
    ASSERT_FALSE(lines.empty());
    int32_t covered = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_GE(lines[i].length, 0);
        if (i > 0) {
            EXPECT_GT(lines[i].start, lines[i - 1].start);
        }
        covered += lines[i].length;
    }
    EXPECT_EQ(covered, 8);  // every letter on some line; the blank between the words on none
}

TEST_F(EditFieldTest, IncrementalLayoutMatchesAWholeLayout)
{
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "word " + std::to_string(i) + " and some more words to wrap here\r";
    Make(text, Rect{0, 0, 200, 120}, kTextWrap);
    field.SetSelection(300, 0);
    Type("inserted text that is long enough to wrap again ");
    Press({8});
    Press({13});
    field.SetSelection(40, 30);
    Press({8});
    std::vector<EditLine> incremental = field.Lines();
    std::string now(field.Text());
    field.SetText(now);
    const std::vector<EditLine>& whole = field.Lines();
    ASSERT_EQ(incremental.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(incremental[i].start, whole[i].start);
        EXPECT_EQ(incremental[i].length, whole[i].length);
    }
}

TEST_F(EditFieldTest, TheSmallestFontStillScrollsAndHitsItsLines)
{
    // The line height divides the view into lines and points into rows; the engine keeps it at one
    // pixel at least. The smallest style there is must still scroll and hit its lines.
    TextStyle style;
    style.size = 1;
    ASSERT_TRUE(field.Create(*window, "a\rb\rc", Rect{0, 0, 20, 100}, style, PasswordMode::Off));
    EXPECT_GE(field.LineHeight(), 1);
    EXPECT_EQ(field.OffsetAtPoint(Point{int16_t(field.LineHeight() + 1), 1}), 2);
    field.ScrollLines(1);
    EXPECT_EQ(field.TopLine(), 0);  // all three lines fit
}

TEST_F(EditFieldTest, PasswordFieldShowsBulletsAndKeepsItsText)
{
    Make("", Rect{10, 10, 26, 210}, 0, PasswordMode::On);
    Type("s3cr");
    Press({0xE9});  // é
    EXPECT_EQ(field.Text(), "s3cr\xC3\xA9");
    EXPECT_EQ(field.ShownText(), "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2");
    Press({8});
    EXPECT_EQ(field.Text(), "s3cr");
    Press({28});
    Press({28, kShift});
    EXPECT_EQ(field.GetSelectionStart(), 2);
    EXPECT_EQ(field.GetSelectionLength(), 1);
    field.Dispose();
    EXPECT_TRUE(field.Text().empty());
}

TEST(EditHistoryTest, UndoRedoAndTheTwelveSnapshotLimit)
{
    EditHistory history;
    history.Record("a");
    history.Record("a");  // the same text is not recorded twice
    EXPECT_EQ(history.Snapshots().size(), 1u);
    EXPECT_FALSE(history.CanUndo("a"));
    EXPECT_TRUE(history.CanUndo("ab"));
    std::string out;
    ASSERT_TRUE(history.Undo("ab", out));
    EXPECT_EQ(out, "a");
    EXPECT_TRUE(history.CanRedo());
    ASSERT_TRUE(history.Redo(out));
    EXPECT_EQ(out, "ab");
    // Recording after an undo drops what could have been redone.
    ASSERT_TRUE(history.Undo("ab", out));
    history.Record("ac");
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Snapshots().back(), "ac");
    for (int i = 0; i < 20; ++i)
        history.Record(std::to_string(i));
    EXPECT_EQ(history.Snapshots().size(), EditHistory::kMaxSnapshots);
    EXPECT_EQ(history.Snapshots().front(), "8");
    history.Wipe();
    EXPECT_TRUE(history.Snapshots().empty());
}

}  // namespace
}  // namespace vek
