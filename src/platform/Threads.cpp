// Threads: starting detached threads that run a function with its argument.
#include "platform/Threads.h"

#include "foundation/memory/BlockAllocator.h"

namespace vek {

namespace {

struct ThreadStartBlock {
    ThreadFunction function;
    void* argument;
};

void* ThreadTrampoline(void* raw)
{
    auto* block = static_cast<ThreadStartBlock*>(raw);
    ThreadFunction function = block->function;
    void* argument = block->argument;
    MemFree(block);
    function(argument);
    return nullptr;
}

}  // namespace

pthread_t StartDetachedThread(ThreadFunction function, void* argument)
{
    auto* block = static_cast<ThreadStartBlock*>(MemAlloc(int32_t(sizeof(ThreadStartBlock))));
    if (!block)
        return pthread_t();
    block->function = function;
    block->argument = argument;
    pthread_t thread{};
    if (pthread_create(&thread, nullptr, ThreadTrampoline, block) != 0) {
        MemFree(block);
        return pthread_t();
    }
    pthread_detach(thread);
    return thread;
}

}  // namespace vek
