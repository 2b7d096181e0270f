// MouseTrackerTest: the release, slop, key and timeout rules of click tracking, and a context menu
// run by keys and by the mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/services/Clock.h"
#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/MenuRequest.h"
#include "gui/Window.h"
#include "gui/controls/MouseTracker.h"
#include "gui/controls/PopupMenu.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"
#include "support/PinnedFonts.h"

namespace vek {
namespace {

// One event of a tracking: time after the start, point, button down, key.
struct Move {
    int64_t time;
    Point point;
    bool down;
    int32_t key = 0;
    bool command = false;
};

// A view whose menu lists the commands it was given and records what was performed.
class MenuOwner final : public Control {
public:
    MenuOwner(Pane& enclosure, std::vector<uint16_t> commands, std::vector<uint16_t> disabled)
        : Control(kKindCustomView, enclosure, OriginSize{10, 10, 40, 100}, 1), commands(std::move(commands)),
          disabled(std::move(disabled))
    {
        FinishConstruction();
    }
    ~MenuOwner() override { PrepareDestruction(); }
    void HandleMessage(MenuRequest& record) override
    {
        if (record.phase == 0) {
            for (size_t i = 0; i < commands.size(); ++i)
                AddMenuCommand(record, commands[i], i == 1);
        } else if (record.phase == 1) {
            uint16_t code = record.commands[record.index];
            record.enabled = std::find(disabled.begin(), disabled.end(), code) == disabled.end();
        } else if (record.phase == 3) {
            performed.push_back(record.index);
        }
    }
    std::vector<uint16_t> commands;
    std::vector<uint16_t> disabled;
    std::vector<int32_t> performed;
};

class MouseTrackerTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        application = std::make_unique<Application>(true);
        window = new Window(kKindDialogWindow, OriginSize{100, 100, 200, 300}, 0, nullptr, true);
    }
    void TearDown() override { application.reset(); }

    // A right click at the owner's point (5, 5), recorded as the window system would record it, so
    // that the menu's tracking sees the pointer where the click was; the keys wait in the queue.
    InputEvent ContextClick(Control& owner, std::initializer_list<int32_t> keys)
    {
        PlatformEvent down;
        down.kind = PlatformEventKind::MouseDown;
        down.button = 2;
        down.clickCount = 1;
        down.location = Point{int16_t(window->Position().v + owner.WindowOffset().v + 5),
                              int16_t(window->Position().h + owner.WindowOffset().h + 5)};
        RecordMouseLocation(down);
        for (int32_t key : keys) {
            PlatformEvent e;
            e.kind = PlatformEventKind::KeyDown;
            e.character = uint32_t(key);
            system.Inject(e, window);
        }
        InputEvent click;
        click.point = Point{5, 5};
        click.rightButton = click.anyButton = 1;
        click.time = CurrentTimeMs();
        return click;
    }

    MouseTracker Run(const std::vector<Move>& moves, bool waiting = true)
    {
        InputEvent start;
        start.point = Point{50, 50};
        start.anyButton = start.leftButton = 1;
        start.time = 1000;
        MouseTracker tracker;
        tracker.Begin(start, *window);
        for (const Move& m : moves) {
            if (!tracker.tracking)
                break;
            InputEvent e;
            e.time = 1000 + m.time;
            e.point = m.point;
            e.anyButton = e.leftButton = m.down ? 1 : 0;
            e.key = m.key;
            e.command = m.command ? 1 : 0;
            tracker.Step(e, waiting);
        }
        return tracker;
    }

    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    Window* window = nullptr;
};

TEST_F(MouseTrackerTest, ClickDragReleaseKeyAndTimeoutRules)
{
    struct Case {
        const char* name;
        std::vector<Move> moves;
        bool tracking;
        bool cancelled;
    };
    const Point at{50, 50};
    const Case cases[] = {
        {"a quick click leaves the menu open", {{100, at, false}}, true, false},
        {"a press held longer than 300 ms chooses on release", {{301, at, false}}, false, false},
        {"a release at 300 ms is still quick", {{300, at, false}}, true, false},
        {"a press moved more than 4 pixels chooses on release", {{50, {50, 56}, true}, {100, {50, 56}, false}}, false, false},
        {"within 4 pixels stays a click", {{50, {50, 54}, true}, {100, {50, 54}, false}}, true, false},
        {"after a quick click, the next press and release chooses",
         {{100, at, false}, {400, {60, 60}, true}, {450, {60, 60}, false}}, false, false},
        {"a release far outside the screen area cancels", {{50, {-200, 50}, true}, {100, {-200, 50}, false}}, false, true},
        {"command with the first release chooses at once", {{100, at, false, 0, true}}, false, false},
        {"Return chooses", {{100, at, false}, {200, at, false, 13}}, false, false},
        {"Escape cancels", {{100, at, false}, {200, at, false, 27}}, false, true},
        {"15 s without activity cancels", {{100, at, false}, {15101, at, false}}, false, true},
        {"a key keeps the menu alive", {{100, at, false}, {10000, at, false, 31}, {20000, at, false}}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MouseTracker tracker = Run(c.moves);
        EXPECT_EQ(tracker.tracking, c.tracking);
        EXPECT_EQ(tracker.cancelled, c.cancelled);
    }
}

TEST_F(MouseTrackerTest, MenuChoosesByKeysSkippingSeparatorsAndDisabledItems)
{
    auto* owner = new MenuOwner(*window, {214, 215, 217}, {215});
    // The items: 214, separator, 215 (disabled), 217. Down, Down (past the separator and 215), Return.
    InputEvent click = ContextClick(*owner, {31, 31, 13});
    EXPECT_EQ(TrackPaneDrag(*owner, 0, click, -1), 3);
    EXPECT_EQ(owner->performed, std::vector<int32_t>{217});
}

TEST_F(MouseTrackerTest, MenuWithNothingChoosableSelectsNothing)
{
    auto* owner = new MenuOwner(*window, {214, 215}, {214, 215});
    InputEvent click = ContextClick(*owner, {31, 13});
    EXPECT_EQ(TrackPaneDrag(*owner, 0, click, -1), -1);
    EXPECT_TRUE(owner->performed.empty());
}

TEST_F(MouseTrackerTest, ChoosingTheCurrentChoicePerformsNothing)
{
    auto* owner = new MenuOwner(*window, {214, 215}, {});
    InputEvent click = ContextClick(*owner, {31, 13});
    EXPECT_EQ(TrackPaneDrag(*owner, 0, click, 0), 0);  // Down from nothing is the first item
    EXPECT_TRUE(owner->performed.empty());
}

TEST_F(MouseTrackerTest, UpFromNothingChoosesTheLastOfALongMenu)
{
    std::vector<uint16_t> many;
    for (uint16_t c = 1; c <= 62; ++c)
        many.push_back(c);
    auto* owner = new MenuOwner(*window, many, {});
    InputEvent click = ContextClick(*owner, {30, 13});
    // The request keeps 62 entries, the separator after the first command among them: 1, -, 2..61.
    EXPECT_EQ(TrackPaneDrag(*owner, 0, click, -1), 61);
    EXPECT_EQ(owner->performed, std::vector<int32_t>{61});
}

}  // namespace
}  // namespace vek
