// ComponentPopupTest: the cascade over the fixture base's account tree: opening at a deep target,
// keys, type-ahead, scrolling a long list and what a release outside every level yields.
#include "docwindows/controls/ComponentPopup.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "platform/events/InputEvent.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

constexpr int32_t kAccounts = 1;  // "##Dimension 2" of the file

class ComponentPopupTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        ClearError();
        application = std::make_unique<Application>(true);
        base.reset(OpenBaseFile(FilePath(std::string(VEK_SOURCE_DIR) + "/tests/fixtures/components/components.vkx"), nullptr, 0));
        ASSERT_NE(base, nullptr);
        window = std::make_unique<Window>(1, OriginSize{100, 100, 240, 420}, 0, nullptr, true);
    }
    void TearDown() override
    {
        window.reset();
        base.reset();
        application.reset();
    }

    Component* Account(const char* code)
    {
        const uint32_t number = base->LookupComponent(kAccounts, code, int32_t(std::strlen(code)));
        return number >= kDimensionCount ? base->ComponentAt(number) : nullptr;
    }

    // Keys queued before the popup runs, taken by its tracking loop; the popup opens as by a click
    // whose button was released at once.
    std::string RunWithKeys(std::initializer_list<uint32_t> keys, const Component* target = nullptr)
    {
        for (uint32_t key : keys) {
            PlatformEvent event;
            event.kind = PlatformEventKind::KeyDown;
            event.character = key;
            system.Inject(event, window.get());
        }
        InputEvent click;
        click.point = Point{20, 20};
        click.time = CurrentTimeMs();
        String result;
        RunComponentPopup(result, *base, kAccounts, target, click.point, *window, click);
        return std::string(result.View());
    }

    test::Watchdog watchdog{"component popup test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    std::unique_ptr<Base> base;
    std::unique_ptr<Window> window;
};

TEST_F(ComponentPopupTest, OpensCascadedDownToAThreeDeepTarget)
{
    Component* cash = Account("1910");
    ASSERT_NE(cash, nullptr);
    Rect screen = window->Bounds();
    OutsetRect(screen, -2);
    ComponentPopup popup(*base, kAccounts, *window, screen);
    popup.Open(Point{20, 10}, cash);
    ASSERT_EQ(popup.LevelCount(), 3);
    struct Expected {
        const char* title;
        int32_t highlighted;
        const char* item;
    } const expected[] = {{"Accounts", 0, "1 Assets"}, {"1 Assets", 0, "9 Cash and bank"}, {"19 Cash and bank", 0, "10 Cash"}};
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ComponentPopupLevel& level = popup.Level(i);
        EXPECT_EQ(level.Title(), expected[i].title);
        EXPECT_EQ(level.Highlighted(), expected[i].highlighted);
        EXPECT_EQ(level.ItemText(level.Highlighted()), expected[i].item);
        EXPECT_TRUE(RectInRect(level.FrameRect(), screen));
        if (i > 0) {  // each level opens beside its parent's highlighted row
            EXPECT_GT(level.FrameRect().left, popup.Level(i - 1).FrameRect().left);
        }
    }
    EXPECT_EQ(popup.Level(2).ItemCodeText(1), "20");
    EXPECT_EQ(popup.ChosenCode(2), "1910");
    test::ExpectGoldenPicture(*window, "ComponentPopup");
    // Highlighting another row closes the levels below it.
    popup.Level(0).SetHighlight(1, CurrentTimeMs());
    EXPECT_EQ(popup.LevelCount(), 1);
    popup.CloseFrom(0);
    EXPECT_EQ(popup.LevelCount(), 0);
}

TEST_F(ComponentPopupTest, KeysWalkTheTreeAndReturnChooses)
{
    struct Case {
        const char* name;
        std::initializer_list<uint32_t> keys;
        const char* result;
    };
    const Case cases[] = {
        {"down, right into Assets, down to 19, Return", {31, 29, 31, 13}, "19"},
        {"type 3, right: with nothing highlighted in the submenu its parent is chosen", {'3', 29, 13}, "3"},
        {"type 3, right, down highlights the first child", {'3', 29, 31, 13}, "30"},
        {"left closes the submenu again", {'3', 29, 28, 13}, "3"},
        {"up stops at the first row", {31, 31, 30, 30, 30, 13}, "1"},
        {"Escape chooses nothing", {31, 27}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunWithKeys(c.keys), c.result);
    }
}

TEST_F(ComponentPopupTest, TypeAheadKeepsTypingWithinTwoSeconds)
{
    Rect screen = window->Bounds();
    ComponentPopup popup(*base, kAccounts, *window, screen);
    popup.Open(Point{20, 10}, nullptr);
    ComponentPopupLevel& level = popup.Level(0);
    struct Case {
        uint32_t key;
        int64_t time;
        const char* typed;
        int32_t highlighted;
    };
    const Case cases[] = {
        {'3', 10000, "3", 1},
        {'c', 13000, "c", 2},        // a pause of more than 2 s starts again: "Costs" by its name
        {'o', 14000, "co", 2},
        {'x', 14500, "cox", 2},      // nothing matches "cox", "ox" or "x": the highlight stays
        {'4', 17000, "4", 2},
        {'1', 17100, "41", 0},       // "41" matches nothing, so "1" alone is searched
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        level.TypeAhead(c.key, c.time);
        EXPECT_EQ(level.TypedText(), c.typed);
        EXPECT_EQ(level.Highlighted(), c.highlighted);
    }
}

TEST_F(ComponentPopupTest, ALongListScrollsSevenRowsTwentyPixelsBelow)
{
    constexpr int32_t kLong = 9;
    for (int32_t i = 0; i < 60; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "K%02d", i + 10);
        ASSERT_NE(base->AddComponent(kLong, code, "Item", nullptr), nullptr);
    }
    Rect screen = window->Bounds();
    OutsetRect(screen, -2);
    ComponentPopup popup(*base, kLong, *window, screen);
    popup.Open(Point{20, 10}, nullptr);
    ComponentPopupLevel& level = popup.Level(0);
    ASSERT_EQ(level.ItemCount(), 60);
    ASSERT_LT(level.VisibleRows(), 60);
    EXPECT_TRUE(level.HasDownArrow());
    EXPECT_FALSE(level.HasUpArrow());
    const Rect frame = level.FrameRect();
    EXPECT_FALSE(popup.AutoScroll(Point{int16_t(frame.bottom + 20), int16_t(frame.left - 5)}, 1000))
        << "only while the pointer is within the menu's width";
    EXPECT_TRUE(popup.AutoScroll(Point{int16_t(frame.bottom + 20), int16_t(frame.left + 5)}, 1000));
    EXPECT_EQ(level.FirstVisible(), 7);
    EXPECT_FALSE(popup.AutoScroll(Point{int16_t(frame.bottom + 20), int16_t(frame.left + 5)}, 1040)) << "50 ms apart";
    EXPECT_TRUE(popup.AutoScroll(Point{int16_t(frame.top + level.TitleHeight() - 1), int16_t(frame.left + 5)}, 1100));
    EXPECT_EQ(level.FirstVisible(), 4);
    // The arrow rows are no items; a highlighted row is kept clear of them.
    EXPECT_EQ(level.RowAt(Point{int16_t(frame.top + level.TitleHeight() + 1), int16_t(frame.left + 5)}), -1);
    level.SetHighlight(59, 2000);
    EXPECT_EQ(level.FirstVisible() + level.VisibleRows(), 60);
    level.SetHighlight(level.FirstVisible(), 3000);
    EXPECT_GT(level.Highlighted(), level.FirstVisible());
}

TEST_F(ComponentPopupTest, ADimensionWithoutComponentsShowsOnlyItsTitle)
{
    ComponentPopup popup(*base, 7, *window, window->Bounds());
    popup.Open(Point{20, 10}, nullptr);
    ASSERT_EQ(popup.LevelCount(), 1);
    EXPECT_EQ(popup.Level(0).ItemCount(), 0);
    EXPECT_EQ(popup.Level(0).FrameRect().Height(), popup.Level(0).TitleHeight());
    popup.Key(31, 1000);  // nothing to highlight
    EXPECT_EQ(popup.ChosenCode(0), "");
}

TEST_F(ComponentPopupTest, ReleasedOutsideEveryLevelChoosesNothing)
{
    PlatformEvent down = test::HeadlessInput::Mouse(PlatformEventKind::MouseDown, *window, Point{20, 20});
    RecordMouseLocation(down);
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseDragged, *window, Point{200, 20}), window.get());
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseUp, *window, Point{200, 20}), window.get());
    InputEvent press;
    press.point = Point{20, 20};
    press.leftButton = press.anyButton = 1;
    press.time = CurrentTimeMs();
    String result;
    result.AssignCStr("old");
    RunComponentPopup(result, *base, kAccounts, nullptr, press.point, *window, press);
    EXPECT_TRUE(result.IsEmpty());
}

}  // namespace
}  // namespace vek
