// UiLockTest: who waits for whom on the two sides of the UI lock, and that nobody waits forever.
#include "platform/events/UiLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/Watchdog.h"

namespace vek {
namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(UiLock, HandlerWithoutWorkersNeverWaitsAndNests)
{
    test::Watchdog watchdog("handler lock", 10);
    LockUiFromHandler();
    LockUiFromHandler();
    EXPECT_EQ(ReadUiLockCounts().handlers, 2);
    UnlockUiFromHandler();
    UnlockUiFromHandler();
    EXPECT_EQ(ReadUiLockCounts().handlers, 0);
}

TEST(UiLock, TwoWorkersHoldTogetherAndHandlerWaitsForBoth)
{
    test::Watchdog watchdog("handler waiting for workers", 10);
    std::atomic<int> release{0};
    auto worker = [&release](int me) {
        LockUiFromWorker();
        while (release.load() <= me)
            std::this_thread::sleep_for(1ms);
        UnlockUiFromWorker();
    };
    std::thread w0(worker, 0), w1(worker, 1);
    ASSERT_TRUE(WaitFor([] { return ReadUiLockCounts().holdingWorkers == 2; }));
    std::thread releaser([&release] {
        std::this_thread::sleep_for(30ms);
        release = 1;  // the first lets go; the handler must go on waiting for the second
        std::this_thread::sleep_for(30ms);
        release = 2;
    });
    LockUiFromHandler();
    EXPECT_EQ(release.load(), 2);
    EXPECT_EQ(ReadUiLockCounts().holdingWorkers, 0);
    UnlockUiFromHandler();
    w0.join();
    w1.join();
    releaser.join();
}

// Regression: releasing the handler side woke only one of several waiting workers, and the others
// waited for a next handler that an idle program never sends.
TEST(UiLock, HandlerReleaseLetsEveryWaitingWorkerGo)
{
    test::Watchdog watchdog("workers after a handler release", 10);
    LockUiFromHandler();
    std::atomic<int> inside{0};
    std::atomic<bool> leave{false};
    auto worker = [&] {
        LockUiFromWorker();
        ++inside;
        while (!leave.load())
            std::this_thread::sleep_for(1ms);
        UnlockUiFromWorker();
    };
    std::thread w0(worker), w1(worker), w2(worker);
    ASSERT_TRUE(WaitFor([] { return ReadUiLockCounts().waitingWorkers == 3; }));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(inside.load(), 0);  // a handler keeps workers out
    UnlockUiFromHandler();
    EXPECT_TRUE(WaitFor([&] { return inside.load() == 3; }));
    leave = true;
    w0.join();
    w1.join();
    w2.join();
}

// A worker may take the handler side (code it calls does) without waiting for itself, even after
// another worker's release.
TEST(UiLock, WorkerTakingHandlerSideDoesNotWaitForItself)
{
    test::Watchdog watchdog("worker taking the handler side", 10);
    std::atomic<bool> otherIn{false}, otherLeave{false};
    std::thread other([&] {
        LockUiFromWorker();
        otherIn = true;
        while (!otherLeave.load())
            std::this_thread::sleep_for(1ms);
        UnlockUiFromWorker();
    });
    ASSERT_TRUE(WaitFor([&] { return otherIn.load(); }));
    std::thread self([&] {
        LockUiFromWorker();
        LockUiFromWorker();  // nested
        otherLeave = true;
        std::this_thread::sleep_for(10ms);  // the other worker's release happens here
        LockUiFromHandler();
        UnlockUiFromHandler();
        UnlockUiFromWorker();
        UnlockUiFromWorker();
    });
    self.join();
    other.join();
    EXPECT_EQ(ReadUiLockCounts().holdingWorkers, 0);
}

}  // namespace
}  // namespace vek
