// ScriptedWindowTest: a window with nested panes and controls driven by injected input, headless.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/services/Clock.h"
#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/Window.h"
#include "drawing/DrawingState.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/WindowSystem.h"
#include "support/Watchdog.h"
#include "support/GoldenPicture.h"
#include "support/HeadlessInput.h"

namespace vek {
namespace {

using Log = std::vector<std::string>;

// A control that records what reaches it and paints itself in one colour.
class Probe final : public Control {
public:
    Probe(const char* name, Pane& enclosure, OriginSize frame, int32_t id, bool focusable, int32_t colour, Log& log)
        : Control(kKindCustomView, enclosure, frame, id), name(name), focusable(focusable), log(log)
    {
        foreColour = colour;
        FinishConstruction();
    }
    ~Probe() override { PrepareDestruction(); }

    int32_t CanTakeFocus() override { return focusable ? 1 : 0; }
    int32_t FirstClick(InputEvent& event, Pane* pane) override
    {
        if (pane == this)
            log.push_back("hit " + name + " " + std::to_string(event.point.v) + "," + std::to_string(event.point.h));
        return Control::FirstClick(event, pane);
    }
    int32_t Wheel(InputEvent&, int32_t lines) override
    {
        log.push_back("wheel " + name + " " + std::to_string(lines));
        return 1;
    }
    int32_t KeyDown(InputEvent& event, Pane* pane) override
    {
        if (event.key == 9)
            return Control::KeyDown(event, pane);
        log.push_back("key " + name + " " + std::string(1, char(event.key)));
        return 1;
    }
    CommandTarget* Notify(int32_t code) override
    {
        if (code == kNotifyKeyboardFocus)
            log.push_back("focus " + name + (IsFocused() ? "+" : "-"));
        return Control::Notify(code);
    }
    void Draw() override
    {
        DrawingPort* port = CurrentPort();
        Rect inner = bounds;
        OutsetRect(inner, -2);
        port->PaintRect(inner);
    }

    const std::string name;

private:
    bool focusable;
    Log& log;
};

class ProbeWindow final : public Window {
public:
    ProbeWindow(const char* name, int32_t kind, OriginSize frame, Log& log)
        : Window(kind, frame, 0, nullptr, false), name(name), log(log)
    {
        FinishConstruction();
    }
    ~ProbeWindow() override { PrepareDestruction(); }

    CommandTarget* Notify(int32_t code) override
    {
        if (code == kNotifyActivation)
            log.push_back(name + (IsActive() ? "+" : "-"));
        return Window::Notify(code);
    }
    int32_t DoCommand(MenuItem& item) override
    {
        log.push_back("command " + name + " " + std::to_string(item.Command()));
        return item.Command() == kCommandClose ? 1 : Window::DoCommand(item);
    }

    const std::string name;

private:
    Log& log;
};

class ScriptedWindow : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        window = new ProbeWindow("w1", 1, OriginSize{100, 100, 200, 300}, log);
        panel = new Probe("panel", *window, OriginSize{20, 20, 120, 160}, 10, false, 5, log);
        a = new Probe("A", *panel, OriginSize{10, 10, 20, 60}, 2, true, 12, log);
        b = new Probe("B", *panel, OriginSize{40, 10, 20, 60}, 1, true, 14, log);
        label = new Probe("label", *panel, OriginSize{70, 10, 20, 60}, 5, false, 3, log);
        c = new Probe("C", *window, OriginSize{20, 200, 20, 80}, 3, true, 16, log);
        d = new Probe("D", *window, OriginSize{60, 200, 40, 80}, 4, true, 18, log);
        e = new Probe("E", *window, OriginSize{80, 240, 40, 40}, 6, true, 20, log);
        e->BringToFront();
        log.clear();
    }

    void TearDown() override
    {
        application.reset();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    void RunUntilQuiet() { input.RunUntilQuiet(); }
    static PlatformEvent Mouse(PlatformEventKind kind, Window& w, Point local)
    {
        return test::HeadlessInput::Mouse(kind, w, local);
    }
    void Click(Window& w, Point local) { input.Click(w, local); }
    void Key(uint32_t character, uint32_t modifiers = 0) { input.Key(character, modifiers); }

    std::string Focused()
    {
        Control* focused = window->FocusedControl();
        return focused ? static_cast<Probe*>(focused)->name : "-";
    }

    test::Watchdog watchdog{"scripted window test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    Log log;
    std::unique_ptr<Application> application;
    ProbeWindow* window = nullptr;
    Probe *panel = nullptr, *a = nullptr, *b = nullptr, *label = nullptr, *c = nullptr, *d = nullptr, *e = nullptr;
};

TEST_F(ScriptedWindow, HitTestFindsInnermostVisiblePaneInItsCoordinates)
{
    struct Case {
        Point point;  // window coordinates
        const char* pane;
        Point local;
    };
    const Case cases[] = {
        {{35, 40}, "A", {5, 10}},
        {{65, 89}, "B", {5, 59}},
        {{50, 40}, "panel", {30, 20}},  // A's bottom edge lies outside A
        {{85, 250}, "E", {5, 10}},      // E is in front of D where they overlap
        {{70, 250}, "D", {10, 50}},
        {{5, 5}, "window", {5, 5}},
        {{150, 100}, "window", {150, 100}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.pane);
        Point point = k.point;
        Pane* hit = window->HitTest(point);
        std::string name = hit == window ? "window" : static_cast<Probe*>(hit)->name;
        EXPECT_EQ(name, k.pane);
        EXPECT_EQ(point, k.local);
    }
    c->SetVisible(false);
    Point point{25, 210};
    EXPECT_EQ(window->HitTest(point), window);  // invisible panes take no clicks
}

TEST_F(ScriptedWindow, ClicksFocusTheNearestControlThatCanTakeIt)
{
    Click(*window, Point{35, 40});
    EXPECT_EQ(Focused(), "A");
    Click(*window, Point{95, 40});  // the label cannot take the focus, nor can its panel
    EXPECT_EQ(Focused(), "-");
    Click(*window, Point{25, 210});
    EXPECT_EQ(Focused(), "C");
    const Log expected = {"hit A 5,10", "focus A+", "hit label 5,10", "focus A-", "hit C 5,10", "focus C+"};
    EXPECT_EQ(log, expected);
}

TEST_F(ScriptedWindow, TabWalksTheFocusChainByControlIdThenReadingOrder)
{
    const char* forward[] = {"C", "D", "E", "B", "A", "C"};
    for (const char* name : forward) {
        Key(9);
        EXPECT_EQ(Focused(), name);
    }
    EXPECT_TRUE(window->IsFocusShown());
    const char* backward[] = {"A", "B", "E", "D", "C", "A"};
    for (const char* name : backward) {
        Key(9, kModifierShift);
        EXPECT_EQ(Focused(), name);
    }
    // A disabled or hidden control is left out.
    d->SetEnabled(false);
    e->SetVisible(false);
    Click(*window, Point{25, 210});
    Key(9);
    EXPECT_EQ(Focused(), "B");
    // Disabling the panel disables what is inside it; the focused control loses the focus.
    panel->SetEnabled(false);
    EXPECT_FALSE(b->IsEnabled());
    EXPECT_EQ(Focused(), "-");
    panel->SetEnabled(true);
    EXPECT_TRUE(b->IsEnabled());
    EXPECT_TRUE(a->IsEnabled());
}

TEST_F(ScriptedWindow, KeysGoToTheFocusedControlAndOnlyWhileAWindowIsActive)
{
    Click(*window, Point{35, 40});
    log.clear();
    Key('x');
    EXPECT_EQ(log, (Log{"key A x"}));
    window->SetActive(false);
    log.clear();
    Key('y');
    EXPECT_TRUE(log.empty());
}

TEST_F(ScriptedWindow, WheelSpeedFollowsTheRhythmOfTheNotches)
{
    const int64_t base = CurrentTimeMs() - 5000;
    const int64_t times[] = {base, base + 50, base + 100, base + 140, base + 900};
    for (int64_t t : times) {
        PlatformEvent wheel = Mouse(PlatformEventKind::MouseWheel, *window, Point{70, 210});
        wheel.timeMs = t;
        wheel.wheelDelta = -1;
        system.Inject(wheel, window);
    }
    PlatformEvent horizontal = Mouse(PlatformEventKind::MouseWheel, *window, Point{70, 210});
    horizontal.wheelAxis = 0;
    horizontal.timeMs = base + 950;
    horizontal.wheelDelta = 3;
    system.Inject(horizontal, window);
    RunUntilQuiet();
    const Log expected = {"wheel D -1", "wheel D -1", "wheel D -5", "wheel D -5", "wheel D -1"};
    EXPECT_EQ(log, expected);
}

TEST_F(ScriptedWindow, ActivationMovesBetweenWindowsAndAClickActivatesFirst)
{
    auto* second = new ProbeWindow("w2", 1, OriginSize{0, 0, 100, 100}, log);
    // The second window was staggered away from the first and became the active one.
    EXPECT_TRUE(second->IsActive());
    EXPECT_FALSE(window->IsActive());
    EXPECT_EQ(application->ActiveWindow(), second);
    EXPECT_EQ(log, (Log{"w2+", "w1-"}));
    log.clear();
    // A click in the inactive window only activates it.
    Click(*window, Point{35, 40});
    EXPECT_EQ(log, (Log{"hit A 5,10", "w1+", "w2-"}));
    EXPECT_EQ(Focused(), "-");
    Click(*window, Point{35, 40});
    EXPECT_EQ(Focused(), "A");
    // Deactivating the application deactivates its window; activating it again activates the first
    // window that accepts.
    log.clear();
    application->SetActive(false);
    EXPECT_FALSE(window->IsActive());
    application->Activate();
    EXPECT_TRUE(application->ActiveWindow() != nullptr);
}

TEST_F(ScriptedWindow, InvalidationCoversOnlyWhatChangedAndIsVisible)
{
    window->Update();
    ASSERT_TRUE(window->UpdateRegion().IsEmpty());
    struct Case {
        const char* what;
        void (*act)(ScriptedWindow&);
        Rect bounds;     // of the update region, window coordinates
        Point inside;    // a point it holds
        Point outside;   // a point it must not hold
    };
    const Case cases[] = {
        {"hiding C", [](ScriptedWindow& t) { t.c->SetVisible(false); }, {20, 200, 40, 280}, {25, 210}, {45, 210}},
        {"growing A by 10 to the right", [](ScriptedWindow& t) { t.a->ResizeBy(10, 0); }, {30, 90, 50, 100},
         {35, 95}, {35, 85}},
        {"invalidating D, which E covers in part", [](ScriptedWindow& t) { t.d->Invalidate(); }, {60, 200, 100, 280},
         {85, 210}, {85, 250}},
        {"moving B down by 5", [](ScriptedWindow& t) { t.b->MoveBy(0, 5); }, {60, 30, 85, 90}, {62, 40}, {90, 40}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        window->Update();
        k.act(*this);
        const Region& update = window->UpdateRegion();
        EXPECT_EQ(update.Bounds(), k.bounds);
        EXPECT_TRUE(update.Contains(k.inside));
        EXPECT_FALSE(update.Contains(k.outside));
    }
    // A window that is not shown collects nothing.
    window->Update();
    window->SetVisible(false);
    window->Platform().updateRegion.SetEmpty();
    a->Invalidate();
    EXPECT_TRUE(window->UpdateRegion().IsEmpty());
}

TEST_F(ScriptedWindow, MenusFollowTheFrontWindowAndChoicesReachIt)
{
    ResetMenuUpdateInterval();
    UpdateMenusIfNeeded();
    auto findItem = [](int32_t command) { return FindMenuItemByCommand(command); };
    struct Case {
        int32_t command;
        bool enabled;
    };
    const Case withDocument[] = {
        {kCommandNew, false}, {kCommandClose, true}, {kCommandCloseAll, true}, {kCommandZoom, true},
        {kCommandPageSetup, true}, {kCommandUndo, false}, {kCommandSelectAll, false},
    };
    for (const Case& k : withDocument) {
        SCOPED_TRACE(k.command);
        EXPECT_EQ(findItem(k.command)->IsEnabled(), k.enabled);
    }
    EXPECT_TRUE(IsSystemCommandEnabled(SystemCommand::Quit));
    // The platform menus show the model: the Window menu is enabled while windows exist.
    const std::vector<PlatformMenu>& menus = PlatformMenus();
    ASSERT_EQ(menus.size(), 4u);
    EXPECT_TRUE(menus[3].enabled);
    EXPECT_EQ(menus[3].items[0].text, "Close Window");
    EXPECT_EQ(menus[3].items[0].key, 'W');
    EXPECT_EQ(menus[1].items.size(), 9u);  // the Preferences item and its separator stay hidden
    // Choosing Close runs in a command thread and reaches the window.
    log.clear();
    EXPECT_EQ(HandleMenuSelection(4, 1), 1);
    RunUntilQuiet();
    EXPECT_EQ(log, (Log{"command w1 -29"}));
    // A disabled item is not taken.
    EXPECT_EQ(HandleMenuSelection(2, 1), 0);
    // A dialog in front: close and zoom go off.
    auto* dialog = new ProbeWindow("dialog", kKindDialogWindow, OriginSize{0, 0, 86, 340}, log);
    ASSERT_TRUE(dialog->IsActive());
    ResetMenuUpdateInterval();
    UpdateMenusIfNeeded();
    EXPECT_FALSE(findItem(kCommandClose)->IsEnabled());
    EXPECT_FALSE(findItem(kCommandZoom)->IsEnabled());
    // Centred on the 1600 x 900 screen below the title bar, higher than the middle.
    const Rect area{22, 0, 900, 1600};
    EXPECT_EQ(dialog->Position().h, (area.left + area.right - 340) / 2);
    EXPECT_EQ(dialog->Position().v, (area.top + std::min(area.top + 1200, int(area.bottom)) - 86) / 2);
}

TEST_F(ScriptedWindow, RendersTheWindowLikeTheGoldenImage)
{
    Click(*window, Point{35, 40});
    test::ExpectMatchesGoldenPicture(window->RenderPng(), VEK_SOURCE_DIR "/tests/fixtures/gui/ScriptedWindow.png",
                                     "ScriptedWindow");
}

}  // namespace
}  // namespace vek
