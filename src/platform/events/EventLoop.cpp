// EventLoop: the GLib main context, the scheduling of ready cooperative threads, timers and posts.
#include "platform/events/EventLoop.h"

#include <glib.h>

#include <atomic>
#include <memory>
#include <unordered_map>

#include "foundation/services/Clock.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/UiLock.h"

namespace vek {

namespace {

struct MainLoopRelease {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
using MainLoopHandle = std::unique_ptr<GMainLoop, MainLoopRelease>;

std::atomic<bool> quitRequested{false};
GMainLoop* runningLoop = nullptr;  // the innermost loop running, owned by its RunEventLoop
bool readyPassScheduled = false;

struct TimerRecord {
    void (*callback)(void*) = nullptr;
    void* argument = nullptr;
    int64_t periodMs = 0;
    guint source = 0;
};
std::unordered_map<EventTimerId, std::unique_ptr<TimerRecord>> timers;
EventTimerId nextTimerId = 1;

gboolean RunReadyPass(gpointer)
{
    RunReadyThreads(LockUiFromHandler, UnlockUiFromHandler);
    if (ReadyThreadCount() > 0)
        return G_SOURCE_CONTINUE;
    readyPassScheduled = false;
    return G_SOURCE_REMOVE;
}

void ScheduleReadyPass()
{
    if (readyPassScheduled)
        return;
    readyPassScheduled = true;
    g_idle_add_full(G_PRIORITY_DEFAULT, RunReadyPass, nullptr, nullptr);
}

gboolean FireTimer(gpointer raw)
{
    auto id = EventTimerId(reinterpret_cast<uintptr_t>(raw));
    auto it = timers.find(id);
    if (it == timers.end())
        return G_SOURCE_REMOVE;
    TimerRecord& record = *it->second;
    void (*callback)(void*) = record.callback;
    void* argument = record.argument;
    const bool periodic = record.periodMs > 0;
    if (periodic) {
        // The first firing may differ from the period: continue at the period from now on.
        record.source = g_timeout_add_full(G_PRIORITY_DEFAULT, guint(record.periodMs), FireTimer, raw, nullptr);
    } else {
        timers.erase(it);
    }
    callback(argument);
    return G_SOURCE_REMOVE;
}

gboolean RunPosted(gpointer raw)
{
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(raw));
    (*work)();
    return G_SOURCE_REMOVE;
}

gboolean WakeUp(gpointer raw)
{
    *static_cast<bool*>(raw) = true;
    return G_SOURCE_REMOVE;
}

}  // namespace

void InstallEventLoop()
{
    RecordMainPosixThread();
    SetReadyThreadNotifier(ScheduleReadyPass);
}

void RunEventLoop()
{
    if (quitRequested.exchange(false))
        return;
    MainLoopHandle loop(g_main_loop_new(nullptr, FALSE));
    GMainLoop* outer = runningLoop;
    runningLoop = loop.get();
    g_main_loop_run(loop.get());
    runningLoop = outer;
}

void QuitEventLoop()
{
    if (runningLoop)
        g_main_loop_quit(runningLoop);
    else
        quitRequested.store(true);
}

void ResetEventLoopQuit() { quitRequested.store(false); }

bool EventLoopQuitRequested() { return quitRequested.load(); }

int32_t RunEventLoopPending()
{
    int32_t n = 0;
    while (g_main_context_iteration(nullptr, FALSE))
        ++n;
    return n;
}

bool RunEventLoopUntil(const std::function<bool()>& done, int64_t timeoutMs)
{
    bool timedOut = false;
    guint source = g_timeout_add_full(G_PRIORITY_HIGH, guint(timeoutMs), WakeUp, &timedOut, nullptr);
    bool result = done();
    while (!result && !timedOut) {
        g_main_context_iteration(nullptr, TRUE);
        result = done();
    }
    if (!timedOut)
        g_source_remove(source);
    return result;
}

void RunEventLoopFor(int64_t ms)
{
    RunEventLoopUntil([] { return false; }, ms);
}

EventTimerId AddEventTimer(int64_t firstMs, int64_t periodMs, void (*callback)(void*), void* argument)
{
    EventTimerId id = nextTimerId++;
    auto record = std::make_unique<TimerRecord>();
    record->callback = callback;
    record->argument = argument;
    record->periodMs = periodMs;
    record->source = g_timeout_add_full(G_PRIORITY_DEFAULT, guint(firstMs < 0 ? 0 : firstMs), FireTimer,
                                        reinterpret_cast<gpointer>(uintptr_t(id)), nullptr);
    timers.emplace(id, std::move(record));
    return id;
}

void RemoveEventTimer(EventTimerId id)
{
    auto it = timers.find(id);
    if (it == timers.end())
        return;
    g_source_remove(it->second->source);
    timers.erase(it);
}

void PostToMainThread(std::function<void()> work)
{
    auto* boxed = new std::function<void()>(std::move(work));
    g_idle_add_full(G_PRIORITY_DEFAULT, RunPosted, boxed, nullptr);
}

}  // namespace vek
