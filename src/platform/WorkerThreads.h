// WorkerThreads: the program's pool of worker threads and the thread count setting.
#pragma once

#include <cstdint>
#include <functional>

namespace vek {

// Work is shared out over threads only where the result cannot differ from a run on one thread: the
// tasks of one RunTasks call write disjoint results, and whatever joins them does so in task order on
// the calling thread. Workers never touch a window.
//
// The thread count: the "Threads" preference or the command-line option --threads N; 0 or less (and
// the default) means one per processor. With one thread, every task runs on the calling thread in
// task order, which is the plain sequential path that the tests compare against.
int32_t WorkerThreadCount();
void SetWorkerThreadCount(int32_t count);
// The count that a preference or option text asks for: a decimal number 1-1024, else 0 (the number
// of processors).
[[nodiscard]] int32_t ParseWorkerThreadCount(const char* text);

// The start-up's part, before any work: the option "--threads N" when the arguments hold one (it is
// taken out of them, so the program reads the rest as before), else the "Threads" entry of the user's
// preferences ("VEK Preferences"), else the default.
void SetWorkerThreadsAtStartup(int& argc, char** argv);

// Runs task(0) ... task(count - 1), each exactly once, on up to WorkerThreadCount() threads (the
// calling thread among them), and returns when all have run. The order in which tasks run is not
// defined, except on one thread. A call from inside a task, or while another thread's call is
// running, runs its tasks on its own thread in order. An exception thrown by a task (memory ran
// short) is thrown again here once every started task has ended; the tasks not yet started then
// do not run.
void RunTasks(int32_t count, const std::function<void(int32_t task)>& task);

}  // namespace vek
