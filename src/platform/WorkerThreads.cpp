// WorkerThreads: a pool of threads that wait for the tasks of one RunTasks call at a time.
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "foundation/strings/String.h"
#include "platform/PreferenceStore.h"
#include "platform/SystemFacts.h"

namespace vek {

namespace {

constexpr int32_t kMostWorkerThreads = 1024;

std::atomic<int32_t> configuredThreads{0};
// Set while this thread runs tasks: a nested call then runs its own tasks in order.
thread_local bool runningTasks = false;

using WorkerTask = std::function<void(int32_t)>;

// Workers are started when a call first needs them and then wait for the next call; they live as
// long as the process (the pool is never destroyed, so ending the process waits for none of them).
class WorkerPool {
public:
    void Run(int32_t count, const WorkerTask& task, int32_t threads)
    {
        std::unique_lock<std::mutex> only(runMutex, std::try_to_lock);
        if (!only.owns_lock()) {
            RunInOrder(count, task);
            return;
        }
        int32_t helpers = StartWorkers(std::min(threads, count) - 1);
        if (helpers == 0) {
            RunInOrder(count, task);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            job = &task;
            jobCount = count;
            next.store(0, std::memory_order_relaxed);
            failed.store(false, std::memory_order_relaxed);
            failure = nullptr;
            joined = 0;
            wanted = helpers;
            ++generation;
        }
        wake.notify_all();
        Drain(task, count);
        std::exception_ptr thrown;
        {
            std::unique_lock<std::mutex> lock(mutex);
            job = nullptr;  // no worker joins any more
            finished.wait(lock, [this] { return busy == 0; });
            thrown = std::exchange(failure, nullptr);
        }
        if (thrown)
            std::rethrow_exception(thrown);
    }

    static void RunInOrder(int32_t count, const WorkerTask& task)
    {
        for (int32_t i = 0; i < count; ++i)
            task(i);
    }

private:
    // Starts workers until there are `needed` of them; the number there is when that fails.
    int32_t StartWorkers(int32_t needed)
    {
        while (started < needed) {
            try {
                std::thread(&WorkerPool::WorkerLoop, this).detach();
            } catch (const std::system_error&) {
                break;  // fewer threads do the same work
            }
            ++started;
        }
        return std::min(started, std::max(needed, 0));
    }

    void WorkerLoop()
    {
        std::unique_lock<std::mutex> lock(mutex);
        uint64_t seen = generation;
        while (true) {
            wake.wait(lock, [&] { return generation != seen && job != nullptr && joined < wanted; });
            seen = generation;
            const WorkerTask& task = *job;
            int32_t count = jobCount;
            ++joined;
            ++busy;
            lock.unlock();
            Drain(task, count);
            lock.lock();
            if (--busy == 0)
                finished.notify_all();
        }
    }

    void Drain(const WorkerTask& task, int32_t count)
    {
        runningTasks = true;
        while (!failed.load(std::memory_order_relaxed)) {
            int32_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count)
                break;
            try {
                task(i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                failed.store(true, std::memory_order_relaxed);
            }
        }
        runningTasks = false;
    }

    std::mutex runMutex;  // one call at a time uses the workers
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    const WorkerTask* job = nullptr;
    int32_t jobCount = 0;
    std::atomic<int32_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    uint64_t generation = 0;
    int32_t joined = 0;
    int32_t wanted = 0;
    int32_t busy = 0;
    int32_t started = 0;  // only the thread holding runMutex changes it
};

WorkerPool& TheWorkerPool()
{
    static WorkerPool& pool = *new WorkerPool;
    return pool;
}

}  // namespace

int32_t WorkerThreadCount()
{
    int32_t count = configuredThreads.load(std::memory_order_relaxed);
    return count > 0 ? count : std::min(GetProcessorCount(), kMostWorkerThreads);
}

void SetWorkerThreadCount(int32_t count)
{
    configuredThreads.store(std::clamp(count, 0, kMostWorkerThreads), std::memory_order_relaxed);
}

int32_t ParseWorkerThreadCount(const char* text)
{
    if (text == nullptr || *text == '\0')
        return 0;
    int32_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9')
            return 0;
        value = value * 10 + (*c - '0');
        if (value > kMostWorkerThreads)
            return 0;
    }
    return value;
}

void SetWorkerThreadsAtStartup(int& argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) != "--threads")
            continue;
        SetWorkerThreadCount(ParseWorkerThreadCount(argv[i + 1]));
        for (int j = i; j + 2 <= argc; ++j)
            argv[j] = argv[j + 2];
        argc -= 2;
        return;
    }
    PreferenceStore preferences;
    preferences.Open("VEK/ZO", 0);
    String value;
    preferences.GetString("Threads", value);
    SetWorkerThreadCount(ParseWorkerThreadCount(value.CStr()));
}

void RunTasks(int32_t count, const std::function<void(int32_t task)>& task)
{
    if (count <= 0)
        return;
    int32_t threads = WorkerThreadCount();
    if (threads <= 1 || count == 1 || runningTasks) {
        WorkerPool::RunInOrder(count, task);
        return;
    }
    TheWorkerPool().Run(count, task, threads);
}

}  // namespace vek
