// EventLoop: the main loop of the program (GLib), its timers, and work posted to the main thread.
#pragma once

#include <cstdint>
#include <functional>

namespace vek {

// The loop runs on the main POSIX thread. Besides timers and the window system's events it resumes
// the cooperative threads that yielded, each under the handler side of the UI lock, so that no
// action runs while a worker thread holds the lock.

// Runs until QuitEventLoop; a quit requested before the run ends it at once.
void RunEventLoop();
void QuitEventLoop();
// Forgets a quit requested while no loop ran (tests, a new run).
void ResetEventLoopQuit();
bool EventLoopQuitRequested();

// Serves events and due work, without waiting, until nothing is due; answers the iterations run.
int32_t RunEventLoopPending();
// Serves events, waiting as needed, until `done` answers true or timeoutMs passed; answers done().
bool RunEventLoopUntil(const std::function<bool()>& done, int64_t timeoutMs);
// Serves events for ms milliseconds.
void RunEventLoopFor(int64_t ms);

// A timer that calls back on the main thread after firstMs and then every periodMs (0: once).
using EventTimerId = uint32_t;
EventTimerId AddEventTimer(int64_t firstMs, int64_t periodMs, void (*callback)(void*), void* argument);
void RemoveEventTimer(EventTimerId id);

// Runs work on the main thread at the loop's next turn; callable from any thread.
void PostToMainThread(std::function<void()> work);

// Registers the loop's scheduling of ready cooperative threads; called once by the platform's start-up.
void InstallEventLoop();

}  // namespace vek
