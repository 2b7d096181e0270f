// Small blocks of mixed sizes (1..256 bytes) through the block allocator and through the C library's
// malloc, single-threaded. The goal is for the allocator to be at least as fast.
//
// The allocator takes its mutex only once the process has started a second thread. The "Threaded"
// runs measure that case on the same single thread: they start (and join) one thread first, which
// cannot be undone, so they are registered last.
#include "foundation/memory/BlockAllocator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kBatch = 1024;

std::vector<int32_t> MixedSizes()
{
    std::mt19937 random(42);
    std::vector<int32_t> sizes(kBatch);
    for (int32_t& size : sizes)
        size = int32_t(1 + random() % 256);
    return sizes;
}

// Allocates a batch, then frees it in an interleaved order, so that free lists are refilled out of
// address order as in a running program.
template <typename Allocate, typename Release>
void RunBatches(benchmark::State& state, Allocate allocate, Release release)
{
    const std::vector<int32_t> sizes = MixedSizes();
    std::vector<void*> blocks(kBatch);
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            blocks[std::size_t(i)] = allocate(sizes[std::size_t(i)]);
            benchmark::DoNotOptimize(blocks[std::size_t(i)]);
        }
        for (int i = 0; i < kBatch; i += 2)
            release(blocks[std::size_t(i)]);
        for (int i = 1; i < kBatch; i += 2)
            release(blocks[std::size_t(i)]);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

// One block at a time: allocate and free at once, the pattern of short-lived temporaries.
template <typename Allocate, typename Release>
void RunPairs(benchmark::State& state, Allocate allocate, Release release)
{
    const std::vector<int32_t> sizes = MixedSizes();
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            void* block = allocate(sizes[std::size_t(i)]);
            benchmark::DoNotOptimize(block);
            release(block);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_MemAllocBatch(benchmark::State& state)
{
    RunBatches(state, [](int32_t n) { return vek::MemAlloc(n); }, [](void* p) { vek::MemFree(p); });
}

void BM_MallocBatch(benchmark::State& state)
{
    RunBatches(state, [](int32_t n) { return std::malloc(std::size_t(n)); }, [](void* p) { std::free(p); });
}

void BM_MemAllocPair(benchmark::State& state)
{
    RunPairs(state, [](int32_t n) { return vek::MemAlloc(n); }, [](void* p) { vek::MemFree(p); });
}

void BM_MallocPair(benchmark::State& state)
{
    RunPairs(state, [](int32_t n) { return std::malloc(std::size_t(n)); }, [](void* p) { std::free(p); });
}

void StartSecondThread()
{
    static bool started = false;
    if (!started) {
        std::thread([] {}).join();
        started = true;
    }
}

void BM_MemAllocBatchThreaded(benchmark::State& state)
{
    StartSecondThread();
    BM_MemAllocBatch(state);
}

void BM_MallocBatchThreaded(benchmark::State& state)
{
    StartSecondThread();
    BM_MallocBatch(state);
}

void BM_MemAllocPairThreaded(benchmark::State& state)
{
    StartSecondThread();
    BM_MemAllocPair(state);
}

void BM_MallocPairThreaded(benchmark::State& state)
{
    StartSecondThread();
    BM_MallocPair(state);
}

}  // namespace

BENCHMARK(BM_MemAllocBatch);
BENCHMARK(BM_MallocBatch);
BENCHMARK(BM_MemAllocPair);
BENCHMARK(BM_MallocPair);
BENCHMARK(BM_MemAllocBatchThreaded);
BENCHMARK(BM_MallocBatchThreaded);
BENCHMARK(BM_MemAllocPairThreaded);
BENCHMARK(BM_MallocPairThreaded);
