// Tests of WorkerThreads: every task runs once on any thread count, one thread runs them in order,
// failures come back to the caller, and the thread count setting.
#include "platform/WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

namespace vek {
namespace {

class WorkerThreadsTest : public ::testing::Test {
protected:
    void TearDown() override { SetWorkerThreadCount(0); }
};

TEST_F(WorkerThreadsTest, EveryTaskRunsOnceOnAnyThreadCount)
{
    for (int32_t threads : {1, 2, 3, 8}) {
        SCOPED_TRACE(threads);
        SetWorkerThreadCount(threads);
        EXPECT_EQ(WorkerThreadCount(), threads);
        for (int32_t count : {0, 1, 2, 7, 1000}) {
            std::vector<std::atomic<int32_t>> runs(static_cast<size_t>(count));
            RunTasks(count, [&](int32_t task) { runs[size_t(task)].fetch_add(1); });
            for (int32_t task = 0; task < count; ++task)
                ASSERT_EQ(runs[size_t(task)].load(), 1) << "task " << task << " of " << count;
        }
    }
}

TEST_F(WorkerThreadsTest, OneThreadAndNestedCallsRunInTaskOrder)
{
    SetWorkerThreadCount(1);
    std::vector<int32_t> order;
    RunTasks(5, [&](int32_t task) { order.push_back(task); });
    EXPECT_EQ(order, (std::vector<int32_t>{0, 1, 2, 3, 4}));

    SetWorkerThreadCount(4);
    std::vector<std::vector<int32_t>> inner(4);
    RunTasks(4, [&](int32_t task) {
        RunTasks(3, [&](int32_t step) { inner[size_t(task)].push_back(step); });
    });
    for (const auto& steps : inner)
        EXPECT_EQ(steps, (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(WorkerThreadsTest, AFailingTaskIsThrownAgainToTheCaller)
{
    for (int32_t threads : {1, 4}) {
        SCOPED_TRACE(threads);
        SetWorkerThreadCount(threads);
        std::atomic<int32_t> ran{0};
        EXPECT_THROW(RunTasks(200,
                              [&](int32_t task) {
                                  ran.fetch_add(1);
                                  if (task == 3)
                                      throw std::bad_alloc();
                              }),
                     std::bad_alloc);
        EXPECT_GE(ran.load(), 4);
        // The pool is usable again afterwards.
        std::atomic<int32_t> after{0};
        RunTasks(50, [&](int32_t) { after.fetch_add(1); });
        EXPECT_EQ(after.load(), 50);
    }
}

TEST_F(WorkerThreadsTest, ThreadCountTexts)
{
    struct Case {
        const char* text;
        int32_t count;
    };
    const Case cases[] = {
        {"1", 1}, {"8", 8}, {"1024", 1024}, {"1025", 0}, {"0", 0}, {"", 0}, {"-2", 0}, {"4x", 0}, {" 4", 0},
        {"99999999999", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseWorkerThreadCount(c.text), c.count);
    }
    EXPECT_EQ(ParseWorkerThreadCount(nullptr), 0);
    SetWorkerThreadCount(0);
    EXPECT_GE(WorkerThreadCount(), 1);  // one per processor
}

TEST_F(WorkerThreadsTest, TheOptionIsTakenOutOfTheArguments)
{
    std::string program = "vek-tool", command = "summary", option = "--threads", value = "3", file = "a.vkx";
    char* argv[] = {program.data(), command.data(), option.data(), value.data(), file.data(), nullptr};
    int argc = 5;
    SetWorkerThreadsAtStartup(argc, argv);
    EXPECT_EQ(WorkerThreadCount(), 3);
    ASSERT_EQ(argc, 3);
    EXPECT_EQ(std::string(argv[1]), "summary");
    EXPECT_EQ(std::string(argv[2]), "a.vkx");
    EXPECT_EQ(argv[3], nullptr);
}

}  // namespace
}  // namespace vek
