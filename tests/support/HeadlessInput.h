// HeadlessInput: injects mouse, wheel and key input into a headless window and serves it.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "gui/Pane.h"
#include "gui/Window.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"
#include "support/GoldenPicture.h"

namespace vek::test {

// Points are in the window's content coordinates.
class HeadlessInput {
public:
    explicit HeadlessInput(HeadlessWindowSystem& system) : system(system) {}

    void RunUntilQuiet()
    {
        ASSERT_TRUE(RunEventLoopUntil([&] { return system.QueuedEvents() == 0 && ReadyThreadCount() == 0; }, 10000));
        RunEventLoopPending();
    }

    static PlatformEvent Mouse(PlatformEventKind kind, Window& window, Point local, uint32_t modifiers = 0)
    {
        PlatformEvent event;
        event.kind = kind;
        event.location = Point{int16_t(window.Position().v + local.v), int16_t(window.Position().h + local.h)};
        event.button = 1;
        event.clickCount = 1;
        event.hasModifiers = true;
        event.modifiers = modifiers;
        return event;
    }

    void Click(Window& window, Point local, uint32_t modifiers = 0)
    {
        system.Inject(Mouse(PlatformEventKind::MouseDown, window, local, modifiers), &window);
        system.Inject(Mouse(PlatformEventKind::MouseUp, window, local, modifiers), &window);
        RunUntilQuiet();
    }

    // A click at a point of a pane's own coordinates.
    void Click(Pane& pane, Point local, uint32_t modifiers = 0)
    {
        Click(*pane.GetWindow(), Point{int16_t(pane.WindowOffset().v + local.v), int16_t(pane.WindowOffset().h + local.h)},
              modifiers);
    }

    // Presses at from, moves through the steps to to, releases there.
    void Drag(Window& window, Point from, Point to, int32_t steps = 8)
    {
        system.Inject(Mouse(PlatformEventKind::MouseDown, window, from), &window);
        for (int32_t i = 1; i <= steps; ++i) {
            Point at{int16_t(from.v + (to.v - from.v) * i / steps), int16_t(from.h + (to.h - from.h) * i / steps)};
            system.Inject(Mouse(PlatformEventKind::MouseDragged, window, at), &window);
        }
        system.Inject(Mouse(PlatformEventKind::MouseUp, window, to), &window);
        RunUntilQuiet();
    }

    void Wheel(Window& window, Point local, int32_t delta)
    {
        PlatformEvent event = Mouse(PlatformEventKind::MouseWheel, window, local);
        event.wheelDelta = delta;
        system.Inject(event, &window);
        RunUntilQuiet();
    }

    void Key(uint32_t character, uint32_t modifiers = 0)
    {
        PlatformEvent event;
        event.kind = PlatformEventKind::KeyDown;
        event.character = character;
        event.hasModifiers = true;
        event.modifiers = modifiers;
        system.Inject(event, nullptr);
        RunUntilQuiet();
    }

    // Types printable ASCII key by key.
    void Type(std::string_view ascii)
    {
        for (char c : ascii)
            Key(uint8_t(c));
    }

private:
    HeadlessWindowSystem& system;
};

// Compares a window's picture with a golden PNG under tests/fixtures/gui/; VEK_UPDATE_GOLDEN=1 writes
// it instead. A differing picture is left beside the test as NAME.actual.png.
inline void ExpectGoldenPicture(Window& window, const std::string& name)
{
    ExpectMatchesGoldenPicture(window.RenderPng(), VEK_SOURCE_DIR "/tests/fixtures/gui/" + name + ".png", name);
}

}  // namespace vek::test
