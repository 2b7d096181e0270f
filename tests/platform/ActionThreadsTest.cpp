// ActionThreadsTest: action threads against a worker holding the UI lock, the idle timer, modal loops.
#include "platform/events/ActionThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "foundation/services/Clock.h"
#include "platform/events/EventLoop.h"
#include "platform/events/UiLock.h"
#include "platform/events/WindowSystem.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

using namespace std::chrono_literals;

class FakeHost final : public ActionHost {
public:
    bool exists = true;
    bool active = true;
    bool pending = false;
    int idlePasses = 0;
    std::vector<std::unique_ptr<Task>> tasks;

    bool ApplicationExists() override { return exists; }
    bool ApplicationActive() override { return active; }
    bool HasPendingWork() override { return pending; }
    bool HasActiveWindow() override { return false; }
    bool IsWindowActive(Window&) override { return false; }
    void ChooseMenuItem(MenuItem&) override {}
    void DispatchKey(InputEvent&) override {}
    int32_t DispatchMouseDown(Window&, InputEvent&) override { return 1; }
    void RunIdleTasks() override { ++idlePasses; }
    void TrackPointer(InputEvent&) override {}
    void RefreshMenus() override {}
    void ResetMenuUpdateInterval() override {}
    void PostTask(std::unique_ptr<Task> task) override { tasks.push_back(std::move(task)); }
    Point ContentOrigin(Window&) override { return Point{}; }
    bool AnyModalWindow() override { return false; }
    void DispatchWheel(Window&, InputEvent&, int32_t) override {}
    void SetApplicationActive(bool) override {}
    void SetWindowActive(Window&, bool) override {}
    void OpenDocument(int32_t, const FilePath&) override {}
    int32_t RequestQuit() override { return 1; }

    void RunTasks()
    {
        auto due = std::move(tasks);
        tasks.clear();
        for (auto& task : due)
            task->Run();
    }
};

// Data that the worker and the two actions change; only the UI lock keeps them apart.
struct Shared {
    int64_t total = 0;
    int actionSteps[2] = {0, 0};
    bool actionDone[2] = {false, false};
    int64_t seenInsideWorker = 0;
};

struct ActionArgument {
    Shared* shared;
    int index;
};

void YieldingAction(void* raw)
{
    auto* argument = static_cast<ActionArgument*>(raw);
    Shared& shared = *argument->shared;
    for (int i = 0; i < 40; ++i) {
        shared.total += 1;
        ++shared.actionSteps[argument->index];
        YieldToAnyThread();
    }
    shared.actionDone[argument->index] = true;
}

// A worker that holds the UI lock while two actions yield: the actions wait for it, it waits for the
// handlers, and nothing touches the shared data outside the lock. Run once under ThreadSanitizer too.
TEST(ActionThreads, WorkerHoldingLockWhileTwoActionsYieldNeitherDeadlocksNorRaces)
{
    test::Watchdog watchdog("worker and two yielding actions", 30);
    Shared shared;
    std::atomic<bool> workerHolds{false};
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        for (int round = 0; round < 20; ++round) {
            WorkerUiLock lock;
            if (round == 0)
                workerHolds = true;
            const int64_t before = shared.total;
            std::this_thread::sleep_for(2ms);
            // While the worker holds the lock no action step may happen.
            EXPECT_EQ(shared.total, before);
            shared.total += 1000;
            shared.seenInsideWorker += 1;
        }
        workerDone = true;
        PostToMainThread([] {});  // wakes the loop that waits for us
    });
    while (!workerHolds.load())
        std::this_thread::sleep_for(1ms);
    ActionArgument a{&shared, 0}, b{&shared, 1};
    {
        // The handler that starts the actions waits for the worker first.
        HandlerUiLock lock;
        SwitchToThread(NewCooperativeThread(YieldingAction, &a));
        SwitchToThread(NewCooperativeThread(YieldingAction, &b));
    }
    EXPECT_TRUE(RunEventLoopUntil([&] { return shared.actionDone[0] && shared.actionDone[1] && workerDone.load(); },
                                  20000));
    worker.join();
    EXPECT_EQ(shared.total, 80 + 20 * 1000);
    EXPECT_EQ(shared.actionSteps[0], 40);
    EXPECT_EQ(shared.actionSteps[1], 40);
    EXPECT_EQ(LiveThreadCount(), 0);
    UiLockCounts counts = ReadUiLockCounts();
    EXPECT_EQ(counts.handlers, 0);
    EXPECT_EQ(counts.holdingWorkers, 0);
}

TEST(ActionThreads, IdleIntervalFollowsActivityPendingWorkAndActiveState)
{
    FakeHost host;
    ScopedService<ActionHost> hostScope(&host);
    ManualClock clock;
    ScopedService<Clock> clockScope(&clock);
    ResetMouseState();
    clock.SetMs(10000);
    PlatformEvent move;
    move.kind = PlatformEventKind::MouseMoved;
    move.location = Point{100, 100};
    move.timeMs = 10000;
    RecordMouseLocation(move);

    struct Case {
        int64_t now;
        bool pending;
        bool active;
        bool exists;
        double interval;
    };
    const Case cases[] = {
        {10199, false, false, true, 0.08},  // 199 ms after moving: still active
        {10200, false, false, true, 1.0},   // 200 ms: background pace
        {10200, false, true, true, 0.25},
        {10200, true, false, true, 0.08},
        {10200, true, true, false, 1.0},  // without an application neither pending work nor activity counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        clock.SetMs(c.now);
        host.pending = c.pending;
        host.active = c.active;
        host.exists = c.exists;
        EXPECT_EQ(ComputeIdleInterval(), c.interval);
    }
    // Moving within the same place is no activity; a new place is.
    clock.SetMs(20000);
    move.timeMs = 20000;
    RecordMouseLocation(move);
    host.active = false;
    EXPECT_EQ(ComputeIdleInterval(), 1.0);
    move.location = Point{100, 101};
    RecordMouseLocation(move);
    EXPECT_EQ(ComputeIdleInterval(), 0.08);
    // A modifier key pressed counts as activity.
    clock.SetMs(30000);
    EXPECT_EQ(ComputeIdleInterval(), 1.0);
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope(&system);
    system.SetModifiers(kModifierShift);
    GetKeyModifiers();
    EXPECT_EQ(ComputeIdleInterval(), 0.08);
}

TEST(ActionThreads, IdleTimerStartsIdleActionsButNotWhileTrackingMenusOrInsideHandler)
{
    test::Watchdog watchdog("idle timer", 30);
    FakeHost host;
    host.active = true;
    ScopedService<ActionHost> hostScope(&host);
    SetIdleTimer(kIdleTimerInstall);
    EXPECT_GT(CurrentIdleInterval(), 0);
    // First tick after 80 ms, then every 250 ms while active and quiet.
    EXPECT_TRUE(RunEventLoopUntil([&] { return host.idlePasses >= 2; }, 5000));
    SetMenuTracking(true);
    const int passes = host.idlePasses;
    RunEventLoopFor(600);
    EXPECT_EQ(host.idlePasses, passes);
    SetMenuTracking(false);
    {
        HandlerUiLock lock;
        IdleTimerCallback();
    }
    EXPECT_EQ(host.idlePasses, passes);
    IdleTimerCallback();
    EXPECT_EQ(host.idlePasses, passes + 1);
    SetIdleTimer(kIdleTimerRemove);
    EXPECT_EQ(CurrentIdleInterval(), 0);
    RunEventLoopFor(300);
    EXPECT_EQ(host.idlePasses, passes + 1);
}

struct ModalArgument {
    ModalLoop* loop;
    bool returned = false;
};

void RunModalAction(void* raw)
{
    auto* argument = static_cast<ModalArgument*>(raw);
    argument->loop->Run();
    argument->returned = true;
}

void StopModalAction(void* raw) { static_cast<ModalLoop*>(raw)->Stop(); }

TEST(ActionThreads, ModalLoopStoppedFromAnotherThreadWakesThroughTaskQueue)
{
    test::Watchdog watchdog("modal loop", 10);
    FakeHost host;
    ScopedService<ActionHost> hostScope(&host);
    ModalLoop loop;
    ModalArgument argument{&loop};
    SwitchToThread(NewCooperativeThread(RunModalAction, &argument));
    EXPECT_EQ(loop.GetState(), ModalLoop::State::Running);
    RunEventLoopPending();
    EXPECT_FALSE(argument.returned);  // suspended, not polling
    SwitchToThread(NewCooperativeThread(StopModalAction, &loop));
    EXPECT_FALSE(argument.returned);
    ASSERT_EQ(host.tasks.size(), 1u);
    host.RunTasks();
    EXPECT_TRUE(argument.returned);
    EXPECT_EQ(LiveThreadCount(), 0);
}

TEST(ActionThreads, DelayYieldingLetsOtherThreadsRun)
{
    test::Watchdog watchdog("delay", 10);
    int steps = 0;
    struct Counter {
        static void Run(void* raw)
        {
            for (int i = 0; i < 3; ++i) {
                ++*static_cast<int*>(raw);
                YieldToAnyThread();
            }
        }
    };
    SwitchToThread(NewCooperativeThread(Counter::Run, &steps));
    const int64_t start = CurrentTimeMs();
    DelayYielding(20);
    EXPECT_GE(CurrentTimeMs() - start, 20);
    EXPECT_EQ(steps, 3);
}

}  // namespace
}  // namespace vek
