// Tests of the GUI's drawing helpers: HTML colour names, fitting rectangles, and the cancel key poll.
#include "gui/DrawingRoutines.h"

#include <gtest/gtest.h>

#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "gui/CancelKey.h"
#include "text/HtmlColours.h"

namespace vek {
namespace {

TEST(DrawingRoutinesTest, HtmlColourNames)
{
    struct Case {
        int32_t index;
        const char* name;
    } cases[] = {{0, "white"}, {26, "white"}, {27, "white"}, {30, "white"}, {1, "#EAEAEA"}, {28, "#E0E0E0"},
                 {6, "gray"},  {23, "gray"},  {10, "black"}, {24, "black"}, {18, "#40FF40"}, {22, "darkblue"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_STREQ(HtmlColourName(c.index), c.name);
    }
    EXPECT_EQ(HtmlColourName(31), nullptr);
    EXPECT_EQ(HtmlColourName(-1), nullptr);
}

TEST(DrawingRoutinesTest, FittingRectangles)
{
    Rect area = MakeRect(0, 0, 100, 50);
    struct Case {
        const char* name;
        Rect rect;
        Rect expected;
    } cases[] = {
        {"inside stays", MakeRect(10, 10, 20, 20), MakeRect(10, 10, 20, 20)},
        {"sticks out right", MakeRect(90, 10, 120, 20), MakeRect(70, 10, 100, 20)},
        {"sticks out left", MakeRect(-5, 10, 20, 20), MakeRect(0, 10, 25, 20)},
        {"wider: at the left edge, cut", MakeRect(30, 10, 180, 20), MakeRect(0, 10, 100, 20)},
        {"below", MakeRect(10, 45, 20, 60), MakeRect(10, 35, 20, 50)},
        {"taller: at the top, cut", MakeRect(10, -20, 20, 80), MakeRect(10, 0, 20, 50)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rect r = c.rect;
        FitRectInRect(r, area);
        EXPECT_EQ(r, c.expected);
    }
    // Whole steps: a shift of 20 in steps of 16 becomes 32; a step of -1 behaves as 1.
    Rect r = MakeRect(90, 45, 120, 55);
    FitRectInRectStepped(r, area, 16, -1, KeepVertical::No);
    EXPECT_EQ(r, MakeRect(58, 40, 88, 50));
    r = MakeRect(90, 45, 120, 55);
    FitRectInRectStepped(r, area, 16, 16, KeepVertical::Yes);
    EXPECT_EQ(r, MakeRect(58, 45, 88, 55));

    Point p{-5, 200};
    PinPoint(p, area);
    EXPECT_EQ(p, (Point{0, 100}));
    EXPECT_EQ(ManhattanDistance(Point{1, 2}, Point{-3, 5}), 7);
}

class FakeKeys final : public CancelKeySource {
public:
    ~FakeKeys() override = default;
    bool IsApplicationInactive() override { return inactive; }
    bool PeekKey(PendingKey& key) override
    {
        ++peeks;
        if (!hasKey)
            return false;
        key = pending;
        return true;
    }
    bool inactive = false;
    bool hasKey = false;
    PendingKey pending;
    int32_t peeks = 0;
};

TEST(DrawingRoutinesTest, CancelKeyPoll)
{
    ManualClock clock;
    ScopedService<Clock> clockScope(&clock);
    FakeKeys keys;
    ScopedService<CancelKeySource> keysScope(&keys);
    ClearError();
    ResetCancelKeyPoll();
    clock.SetMs(10000);

    keys.inactive = true;
    keys.hasKey = true;
    keys.pending = PendingKey{27, false, 10000};
    EXPECT_EQ(CheckCancelKey(), 0);  // an inactive application is not cancelled
    EXPECT_EQ(keys.peeks, 0);

    keys.inactive = false;
    keys.pending = PendingKey{'x', false, 10000};
    EXPECT_EQ(CheckCancelKey(), 0);
    EXPECT_EQ(keys.peeks, 1);
    clock.SetMs(10400);
    keys.pending = PendingKey{27, false, 10400};
    EXPECT_EQ(CheckCancelKey(), 0);  // within 500 ms of the last look: the keyboard is not read
    EXPECT_EQ(keys.peeks, 1);
    clock.SetMs(10500);
    EXPECT_NE(CheckCancelKey(), 0);
    EXPECT_EQ(GetPendingError().message.code, -1);
    ClearError();

    clock.SetMs(20000);
    keys.pending = PendingKey{'.', true, 20000};
    EXPECT_NE(CheckCancelKey(), 0);
    ClearError();
    clock.SetMs(30000);
    keys.pending = PendingKey{'.', false, 30000};
    EXPECT_EQ(CheckCancelKey(), 0);
    ResetCancelKeyPoll();
}

}  // namespace
}  // namespace vek
