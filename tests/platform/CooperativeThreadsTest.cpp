// CooperativeThreadsTest: switching, yielding, suspending and ending cooperative threads.
#include "platform/events/CooperativeThreads.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

struct Trace {
    std::string text;
    CooperativeThreadId self = 0;
};

void YieldTwice(void* raw)
{
    auto* trace = static_cast<Trace*>(raw);
    trace->self = CurrentCooperativeThread();
    trace->text += "a";
    YieldToAnyThread();
    trace->text += "b";
    YieldToAnyThread();
    trace->text += "c";
}

TEST(CooperativeThreads, SwitchRunsUntilFirstYieldAndReadyThreadsResumeInOrder)
{
    Trace one, two;
    CooperativeThreadId a = NewCooperativeThread(YieldTwice, &one);
    CooperativeThreadId b = NewCooperativeThread(YieldTwice, &two);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(one.text, "");  // nothing runs before the first switch
    SwitchToThread(a);
    EXPECT_EQ(one.text, "a");
    EXPECT_EQ(one.self, a);
    EXPECT_EQ(CurrentCooperativeThread(), kMainThreadId);
    SwitchToThread(b);
    EXPECT_EQ(ReadyThreadCount(), 2);
    EXPECT_EQ(RunReadyThreads(), 2);
    EXPECT_EQ(one.text, "ab");
    EXPECT_EQ(two.text, "ab");
    EXPECT_EQ(RunReadyThreads(), 2);
    EXPECT_EQ(one.text, "abc");
    EXPECT_EQ(LiveThreadCount(), 0);  // ended threads are gone with their stacks
    EXPECT_EQ(RunReadyThreads(), 0);
    SwitchToThread(a);  // an ended thread is not switched to
    EXPECT_EQ(one.text, "abc");
}

struct SuspendState {
    int resumed = 0;
};

void SuspendOnce(void* raw)
{
    SuspendCurrentThread();
    ++static_cast<SuspendState*>(raw)->resumed;
}

TEST(CooperativeThreads, SuspendedThreadRunsOnlyWhenMadeReady)
{
    SuspendState state;
    CooperativeThreadId id = NewCooperativeThread(SuspendOnce, &state);
    SwitchToThread(id);
    EXPECT_EQ(ReadyThreadCount(), 0);
    EXPECT_EQ(RunReadyThreads(), 0);
    EXPECT_EQ(state.resumed, 0);
    MakeThreadReady(id);
    MakeThreadReady(id);  // queued once
    EXPECT_EQ(ReadyThreadCount(), 1);
    EXPECT_EQ(RunReadyThreads(), 1);
    EXPECT_EQ(state.resumed, 1);
    EXPECT_EQ(LiveThreadCount(), 0);
}

// A thread that switches to another is queued ready and continues after the other yields.
void SwitchToPartner(void* raw)
{
    auto* trace = static_cast<Trace*>(raw);
    trace->text += "1";
    SwitchToThread(trace->self);
    trace->text += "3";
}

void PartnerStep(void* raw)
{
    static_cast<Trace*>(raw)->text += "2";
}

TEST(CooperativeThreads, ThreadSwitchingToThreadIsQueuedReady)
{
    Trace trace;
    trace.self = NewCooperativeThread(PartnerStep, &trace);
    CooperativeThreadId first = NewCooperativeThread(SwitchToPartner, &trace);
    SwitchToThread(first);
    EXPECT_EQ(trace.text, "12");
    EXPECT_EQ(RunReadyThreads(), 1);
    EXPECT_EQ(trace.text, "123");
}

// Deep recursion on a thread's own stack stays within it.
int Recurse(int n)
{
    volatile char pad[256];
    pad[0] = char(n);
    return n == 0 ? pad[0] : Recurse(n - 1) + 1;
}

void UseStack(void* raw) { *static_cast<int*>(raw) = Recurse(200); }

TEST(CooperativeThreads, ThreadHasItsOwnStack)
{
    int result = 0;
    SwitchToThread(NewCooperativeThread(UseStack, &result));
    EXPECT_EQ(result, 200);
}

}  // namespace
}  // namespace vek
