// InputEventTest: input records from platform events and the recorded mouse state.
#include "platform/events/InputEvent.h"

#include <gtest/gtest.h>

namespace vek {
namespace {

PlatformEvent Mouse(PlatformEventKind kind, int64_t time, Point where, int32_t button = 1, int32_t clicks = 1,
                    uint32_t modifiers = 0)
{
    PlatformEvent e;
    e.kind = kind;
    e.timeMs = time;
    e.location = where;
    e.button = button;
    e.clickCount = clicks;
    e.hasModifiers = true;
    e.modifiers = modifiers;
    return e;
}

TEST(InputEvent, OlderMouseEventDoesNotMoveRecordedLocation)
{
    ResetMouseState();
    RecordMouseLocation(Mouse(PlatformEventKind::MouseMoved, 100, Point{10, 20}));
    RecordMouseLocation(Mouse(PlatformEventKind::MouseMoved, 90, Point{30, 40}));
    EXPECT_EQ(LatestMouseLocation(), (Point{10, 20}));
}

TEST(InputEvent, MultiClickFlags)
{
    struct Case {
        int32_t button;
        int32_t clicks;
        uint32_t modifiers;
        int32_t doubleClick;
        int32_t tripleClick;
    };
    const Case cases[] = {
        {1, 1, 0, 0, 0},
        {1, 2, 0, 1, 0},
        {1, 3, 0, 1, 1},
        {1, 2, kModifierControl, 0, 0},  // a control-click is never a double click
        {2, 2, 0, 0, 0},                 // nor is a right-button click
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clicks * 10 + c.button);
        ResetMouseState();
        PlatformEvent down = Mouse(PlatformEventKind::MouseDown, 5, Point{1, 2}, c.button, c.clicks, c.modifiers);
        RecordMouseLocation(down);
        InputEvent e;
        e.FromPlatformEvent(down);
        EXPECT_EQ(e.doubleClick, c.doubleClick);
        EXPECT_EQ(e.tripleClick, c.tripleClick);
        EXPECT_EQ(e.anyButton, 1);
        EXPECT_EQ(e.point, (Point{1, 2}));
        EXPECT_EQ(e.inside, 1);
    }
}

TEST(InputEvent, KeyCodes)
{
    struct Case {
        int32_t virtualKey;
        uint32_t character;
        int32_t key;
    };
    const Case cases[] = {
        {kVirtualKeyF1, 0, 20}, {kVirtualKeyF2, 0, 21}, {kVirtualKeyF3, 0, 22},  {kVirtualKeyF4, 0, 23},
        {kVirtualKeyForwardDelete, 0, 25}, {kVirtualKeyClear, 0, 26}, {0, 'a', 'a'}, {48, 9, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.virtualKey);
        PlatformEvent e;
        e.kind = PlatformEventKind::KeyDown;
        e.virtualKey = c.virtualKey;
        e.character = c.character;
        InputEvent input;
        input.FromPlatformEvent(e);
        EXPECT_EQ(input.key, c.key);
    }
    // Only key-down and repeat carry a key.
    PlatformEvent up;
    up.kind = PlatformEventKind::KeyUp;
    up.character = 'a';
    InputEvent input;
    input.FromPlatformEvent(up);
    EXPECT_EQ(input.key, 0);
}

}  // namespace
}  // namespace vek
