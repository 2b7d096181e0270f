// WindowSystem: the headless virtual screen and its queue of injected input.
#include "platform/events/WindowSystem.h"

#include "foundation/services/Clock.h"
#include "platform/events/EventHandlers.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"

namespace vek {

WindowSystem::~WindowSystem() = default;
HeadlessWindowSystem::~HeadlessWindowSystem() = default;

template <>
WindowSystem& Service<WindowSystem>::Headless()
{
    static HeadlessWindowSystem system;
    return system;
}

Rect HeadlessWindowSystem::AvailableScreenArea(Point) { return kScreen; }

bool HeadlessWindowSystem::TakeTrackingEvent(int32_t mode, PlatformEvent& event)
{
    return queue.TakeTrackingEvent(mode, event);
}

void WindowSystem::WindowChanged(Window&, WindowChange) {}

void WindowSystem::WindowDestroyed(Window&) {}

void WindowSystem::MenusRebuilt() {}

void WindowSystem::RunPrintJob(ProgramEvent& event) { CompleteProgramEvent(event); }

void WindowSystem::RunPageSetup(ProgramEvent& event) { CompleteProgramEvent(event); }

WindowFrameMetrics WindowSystem::FrameMetrics() { return WindowFrameMetrics{}; }

bool PlatformEventQueue::TakeTrackingEvent(int32_t mode, PlatformEvent& event)
{
    if (queue.empty())
        return false;
    const PlatformEventKind kind = queue.front().event.kind;
    const bool mouse = kind == PlatformEventKind::MouseDown || kind == PlatformEventKind::MouseUp ||
                       kind == PlatformEventKind::MouseMoved || kind == PlatformEventKind::MouseDragged;
    const bool key = kind == PlatformEventKind::KeyDown || kind == PlatformEventKind::KeyRepeat ||
                     kind == PlatformEventKind::KeyUp;
    if (!((mouse && (mode & kWaitMouse)) || (key && (mode & kWaitKey))))
        return false;
    event = queue.front().event;
    queue.pop_front();
    return true;
}

void PlatformEventQueue::Push(PlatformEvent event, Window* window, uint32_t modifiers)
{
    if (event.timeMs == 0)
        event.timeMs = CurrentTimeMs();
    if (!event.hasModifiers) {
        event.hasModifiers = true;
        event.modifiers = modifiers;
    }
    queue.push_back(Queued{event, window});
    if (!deliveryScheduled) {
        deliveryScheduled = true;
        PostToMainThread([this] { DeliverNext(); });
    }
}

void PlatformEventQueue::ForgetWindow(const Window& window)
{
    std::erase_if(queue, [&window](const Queued& queued) { return queued.window == &window; });
}

void PlatformEventQueue::DeliverNext()
{
    deliveryScheduled = false;
    if (queue.empty())
        return;
    Queued next = queue.front();
    queue.pop_front();
    // One event per turn of the loop, as a real queue would serve them; the rest follow.
    if (!queue.empty()) {
        deliveryScheduled = true;
        PostToMainThread([this] { DeliverNext(); });
    }
    DeliverPlatformEvent(next.event, next.window);
}

}  // namespace vek
