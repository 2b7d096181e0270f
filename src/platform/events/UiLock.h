// UiLock: the lock that POSIX worker threads take before they touch program data, with handler priority.
#pragma once

#include <cstdint>

namespace vek {

// One mutex and two condition variables. Event handlers (the main thread, with every cooperative
// thread that runs inside them) take the handler side; background POSIX threads (the web listener,
// target threads) take the worker side around every access to program data. Handlers never exclude
// each other, nor do workers; a handler that arrives while a worker holds the lock waits until every
// worker has let go, and a worker that arrives while a handler holds or wants the lock waits, so a
// stream of handlers keeps workers out. A thread that holds the worker side may take the handler side
// without waiting for itself. Releasing the last handler lets every waiting worker go.

// The handler side; main thread only. Calls nest.
void LockUiFromHandler();
void UnlockUiFromHandler();
// The worker side; any POSIX thread but the main one. Calls nest.
void LockUiFromWorker();
void UnlockUiFromWorker();

// Takes the handler side for its lifetime.
class HandlerUiLock {
public:
    HandlerUiLock() { LockUiFromHandler(); }
    ~HandlerUiLock() { UnlockUiFromHandler(); }
    HandlerUiLock(const HandlerUiLock&) = delete;
    HandlerUiLock& operator=(const HandlerUiLock&) = delete;
};

// Takes the worker side for its lifetime.
class WorkerUiLock {
public:
    WorkerUiLock() { LockUiFromWorker(); }
    ~WorkerUiLock() { UnlockUiFromWorker(); }
    WorkerUiLock(const WorkerUiLock&) = delete;
    WorkerUiLock& operator=(const WorkerUiLock&) = delete;
};

// The counters, read under the mutex (for the idle timer and for tests).
struct UiLockCounts {
    int32_t handlers = 0;         // handlers that hold or want the lock
    int32_t waitingWorkers = 0;
    int32_t holdingWorkers = 0;
};
UiLockCounts ReadUiLockCounts();

}  // namespace vek
