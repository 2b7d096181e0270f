// UiLock: the counters and the two condition variables of the handler and worker sides.
#include "platform/events/UiLock.h"

#include <condition_variable>
#include <mutex>

#include "foundation/messages/Assert.h"

namespace vek {

namespace {

struct UiLockState {
    std::mutex mutex;
    std::condition_variable workersMayGo;
    std::condition_variable handlersMayGo;
    int32_t handlers = 0;
    int32_t waitingWorkers = 0;
    int32_t holdingWorkers = 0;
};

UiLockState& UiLockShared()
{
    static UiLockState state;
    return state;
}

// How often this POSIX thread holds the worker side. A single "last worker" id would be cleared by
// another worker's release, and a worker that then took the handler side would wait for itself.
thread_local int32_t workerDepth = 0;

}  // namespace

void LockUiFromWorker()
{
    UiLockState& s = UiLockShared();
    std::unique_lock<std::mutex> guard(s.mutex);
    if (workerDepth > 0) {
        // Already a holder: waiting here for a handler that waits for us would never end.
        ++s.holdingWorkers;
        ++workerDepth;
        return;
    }
    ++s.waitingWorkers;
    s.workersMayGo.wait(guard, [&s] { return s.handlers == 0; });
    --s.waitingWorkers;
    ++s.holdingWorkers;
    ++workerDepth;
}

void UnlockUiFromWorker()
{
    UiLockState& s = UiLockShared();
    std::lock_guard<std::mutex> guard(s.mutex);
    VEK_ASSERT(s.holdingWorkers > 0 && workerDepth > 0);
    --s.holdingWorkers;
    --workerDepth;
    // Handlers all run on the main thread, so at most one waits.
    if (s.holdingWorkers == 0 && s.handlers != 0)
        s.handlersMayGo.notify_one();
}

void LockUiFromHandler()
{
    UiLockState& s = UiLockShared();
    std::unique_lock<std::mutex> guard(s.mutex);
    ++s.handlers;
    if (workerDepth == 0)
        s.handlersMayGo.wait(guard, [&s] { return s.holdingWorkers == 0; });
}

void UnlockUiFromHandler()
{
    UiLockState& s = UiLockShared();
    std::lock_guard<std::mutex> guard(s.mutex);
    VEK_ASSERT(s.handlers > 0);
    --s.handlers;
    // Workers do not exclude each other: wake them all. Waking one would leave the others waiting for
    // a next handler that may never come while the program is idle.
    if (s.handlers == 0 && s.waitingWorkers != 0)
        s.workersMayGo.notify_all();
}

UiLockCounts ReadUiLockCounts()
{
    UiLockState& s = UiLockShared();
    std::lock_guard<std::mutex> guard(s.mutex);
    return UiLockCounts{s.handlers, s.waitingWorkers, s.holdingWorkers};
}

}  // namespace vek
