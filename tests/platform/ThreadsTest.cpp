// Tests of Threads: a detached thread runs its function.
#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/SystemClock.h"

namespace vek {
namespace {

TEST(ThreadsTest, DetachedThreadRunsTheFunction)
{
    std::atomic<int> value{0};
    pthread_t thread = StartDetachedThread([](void* argument) { static_cast<std::atomic<int>*>(argument)->store(7); }, &value);
    EXPECT_NE(thread, pthread_t());
    for (int i = 0; i < 5000 && value.load() == 0; ++i)
        Delay(1);
    EXPECT_EQ(value.load(), 7);
}

}  // namespace
}  // namespace vek
