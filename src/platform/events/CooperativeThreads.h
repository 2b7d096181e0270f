// CooperativeThreads: stackful threads that share the main POSIX thread and switch only when told to.
#pragma once

#include <cstdint>

namespace vek {

// A cooperative thread's id. 0 is no thread; the main thread (the program's own stack) is kMainThreadId.
using CooperativeThreadId = uint32_t;
constexpr CooperativeThreadId kMainThreadId = 1;

using CooperativeEntry = void (*)(void* argument);

// The threads that run user actions. They all live on the main POSIX thread, each on a stack of its
// own; one runs at a time and only an explicit switch or yield passes control, so program data needs
// no locking among them. A thread that yields is queued as ready; the event loop resumes ready
// threads (RunReadyThreads) in the order they yielded. A thread that ends returns control to the main
// thread, which frees its stack. Every operation must be called on the main POSIX thread.

// Records the calling POSIX thread as the main one (start-up; the first use records it otherwise).
void RecordMainPosixThread();
// True on the POSIX thread that runs the main stack and every cooperative thread.
bool OnMainPosixThread();

// Makes a thread that will run entry(argument) when first switched to; 0 when no stack could be had
// (the entry then never runs). stackBytes 0 takes the default (512 KiB).
CooperativeThreadId NewCooperativeThread(CooperativeEntry entry, void* argument, int32_t stackBytes = 0);
// The running thread: kMainThreadId on the main stack.
CooperativeThreadId CurrentCooperativeThread();
// Switches to the thread unless it is the current one or does not exist (any more). The caller, when
// it is not the main thread, is queued as ready; the main thread continues when the target yields,
// waits or ends.
void SwitchToThread(CooperativeThreadId id);
// From a cooperative thread: queue it as ready and return to the main thread. On the main thread: run
// every thread that is ready now, once each.
void YieldToAnyThread();
// From a cooperative thread: return to the main thread without queueing it; it runs again only after
// MakeThreadReady or SwitchToThread names it. On the main thread nothing happens.
void SuspendCurrentThread();
// Queues a suspended thread as ready (nothing for a thread that is ready, running or gone).
void MakeThreadReady(CooperativeThreadId id);

// Main thread only: resumes each thread that was ready when the call began, once, in queue order,
// each between before() and after() when given (the event loop takes the UI lock there). Answers how
// many ran.
int32_t RunReadyThreads(void (*before)() = nullptr, void (*after)() = nullptr);
// Threads queued as ready.
int32_t ReadyThreadCount();
// Threads that exist (started and not ended), the main thread not counted.
int32_t LiveThreadCount();

// Called (on the main thread) whenever a thread becomes ready, so that the event loop can schedule a
// pass of RunReadyThreads; null for none. The event loop registers it.
void SetReadyThreadNotifier(void (*notifier)());

}  // namespace vek
