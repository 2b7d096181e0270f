// CooperativeThreads: ucontext stacks on the main POSIX thread, a ready queue, sanitizer stack notes.
#include "platform/events/CooperativeThreads.h"

#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <memory>
#include <unordered_map>

#include "foundation/messages/Assert.h"

// The sanitizers must be told when the stack changes under them: AddressSanitizer keeps shadow state
// per stack, ThreadSanitizer keeps one happens-before history per fiber.
#if defined(__SANITIZE_ADDRESS__)
#define VEK_FIBER_ASAN 1
#include <sanitizer/common_interface_defs.h>
#else
#define VEK_FIBER_ASAN 0
#endif
#if defined(__SANITIZE_THREAD__)
#define VEK_FIBER_TSAN 1
#include <sanitizer/tsan_interface.h>
#else
#define VEK_FIBER_TSAN 0
#endif

namespace vek {

namespace {

enum class FiberState { Fresh, Running, Ready, Suspended, Finished };

struct FiberRecord {
    CooperativeThreadId id = 0;
    ucontext_t context{};
    void* mapping = nullptr;  // guard page followed by the stack; null for the main thread
    size_t mappingBytes = 0;
    const void* stackBottom = nullptr;
    size_t stackBytes = 0;
    CooperativeEntry entry = nullptr;
    void* argument = nullptr;
    FiberState state = FiberState::Fresh;
    void* asanFakeStack = nullptr;
    void* tsanFiber = nullptr;
};

constexpr size_t kDefaultStackBytes = 512 * 1024;

struct FiberTable {
    FiberRecord main;
    std::unordered_map<CooperativeThreadId, std::unique_ptr<FiberRecord>> threads;
    std::deque<CooperativeThreadId> ready;
    FiberRecord* current = nullptr;
    FiberRecord* switchingFrom = nullptr;
    CooperativeThreadId nextId = kMainThreadId + 1;
    void (*notifier)() = nullptr;
};

FiberTable& Fibers()
{
    static FiberTable table = [] {
        FiberTable t;
        t.main.id = kMainThreadId;
        t.main.state = FiberState::Running;
#if VEK_FIBER_TSAN
        t.main.tsanFiber = __tsan_get_current_fiber();
#endif
        return t;
    }();
    if (!table.current)
        table.current = &table.main;
    return table;
}

std::atomic<pthread_t> mainPosixThread{};
std::atomic<bool> mainPosixThreadKnown{false};

void AfterSwitch()
{
    FiberTable& t = Fibers();
#if VEK_FIBER_ASAN
    const void* fromBottom = nullptr;
    size_t fromBytes = 0;
    __sanitizer_finish_switch_fiber(t.current->asanFakeStack, &fromBottom, &fromBytes);
    // The main stack's extent is learnt the first time control leaves it.
    if (t.switchingFrom == &t.main) {
        t.main.stackBottom = fromBottom;
        t.main.stackBytes = fromBytes;
    }
#endif
    t.switchingFrom = nullptr;
}

void SwitchFiber(FiberRecord& from, FiberRecord& to)
{
    FiberTable& t = Fibers();
    t.switchingFrom = &from;
    t.current = &to;
    to.state = FiberState::Running;
#if VEK_FIBER_ASAN
    // A finished thread's fake stack dies with it.
    __sanitizer_start_switch_fiber(from.state == FiberState::Finished ? nullptr : &from.asanFakeStack,
                                   to.stackBottom, to.stackBytes);
#endif
#if VEK_FIBER_TSAN
    __tsan_switch_to_fiber(to.tsanFiber, 0);
#endif
    swapcontext(&from.context, &to.context);
    AfterSwitch();
}

// Frees the stacks of threads that have ended; only on the main stack, never on a dying one.
void ReapFinished()
{
    FiberTable& t = Fibers();
    for (auto it = t.threads.begin(); it != t.threads.end();) {
        FiberRecord& record = *it->second;
        if (record.state != FiberState::Finished) {
            ++it;
            continue;
        }
#if VEK_FIBER_TSAN
        __tsan_destroy_fiber(record.tsanFiber);
#endif
        munmap(record.mapping, record.mappingBytes);
        it = t.threads.erase(it);
    }
}

void FiberTrampoline()
{
    AfterSwitch();
    FiberTable& t = Fibers();
    FiberRecord* self = t.current;
    self->entry(self->argument);
    self->state = FiberState::Finished;
    SwitchFiber(*self, t.main);
    // Never resumed: the main thread frees the stack.
}

FiberRecord* FindFiber(CooperativeThreadId id)
{
    FiberTable& t = Fibers();
    if (id == kMainThreadId)
        return &t.main;
    auto it = t.threads.find(id);
    return it == t.threads.end() ? nullptr : it->second.get();
}

void QueueReady(FiberRecord& record)
{
    FiberTable& t = Fibers();
    record.state = FiberState::Ready;
    t.ready.push_back(record.id);
    if (t.notifier)
        t.notifier();
}

void SwitchToMain()
{
    FiberTable& t = Fibers();
    SwitchFiber(*t.current, t.main);
    ReapFinished();
}

}  // namespace

void RecordMainPosixThread()
{
    mainPosixThread.store(pthread_self());
    mainPosixThreadKnown.store(true);
}

bool OnMainPosixThread()
{
    if (!mainPosixThreadKnown.load()) {
        RecordMainPosixThread();
        return true;
    }
    return pthread_equal(mainPosixThread.load(), pthread_self()) != 0;
}

CooperativeThreadId NewCooperativeThread(CooperativeEntry entry, void* argument, int32_t stackBytes)
{
    VEK_ASSERT(OnMainPosixThread());
    FiberTable& t = Fibers();
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    size_t bytes = stackBytes > 0 ? size_t(stackBytes) : kDefaultStackBytes;
    bytes = (bytes + page - 1) / page * page;
    // A guard page below the stack turns an overflow into a fault instead of silent damage.
    void* mapping = mmap(nullptr, bytes + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (mapping == MAP_FAILED)
        return 0;
    mprotect(mapping, page, PROT_NONE);
    auto record = std::make_unique<FiberRecord>();
    record->id = t.nextId++;
    if (t.nextId == 0)
        t.nextId = kMainThreadId + 1;
    record->mapping = mapping;
    record->mappingBytes = bytes + page;
    record->stackBottom = static_cast<char*>(mapping) + page;
    record->stackBytes = bytes;
    record->entry = entry;
    record->argument = argument;
    if (getcontext(&record->context) != 0) {
        munmap(mapping, bytes + page);
        return 0;
    }
    record->context.uc_stack.ss_sp = const_cast<void*>(record->stackBottom);
    record->context.uc_stack.ss_size = bytes;
    record->context.uc_link = nullptr;
    makecontext(&record->context, FiberTrampoline, 0);
#if VEK_FIBER_TSAN
    record->tsanFiber = __tsan_create_fiber(0);
#endif
    CooperativeThreadId id = record->id;
    t.threads.emplace(id, std::move(record));
    return id;
}

CooperativeThreadId CurrentCooperativeThread() { return Fibers().current->id; }

void SwitchToThread(CooperativeThreadId id)
{
    VEK_ASSERT(OnMainPosixThread());
    FiberTable& t = Fibers();
    FiberRecord* target = FindFiber(id);
    if (!target || target == t.current || target->state == FiberState::Finished)
        return;
    if (target->state == FiberState::Ready) {
        for (auto it = t.ready.begin(); it != t.ready.end(); ++it)
            if (*it == id) {
                t.ready.erase(it);
                break;
            }
    }
    FiberRecord& from = *t.current;
    if (&from != &t.main)
        QueueReady(from);
    SwitchFiber(from, *target);
    if (t.current == &t.main)
        ReapFinished();
}

void YieldToAnyThread()
{
    VEK_ASSERT(OnMainPosixThread());
    FiberTable& t = Fibers();
    if (t.current == &t.main) {
        RunReadyThreads();
        return;
    }
    QueueReady(*t.current);
    SwitchToMain();
}

void SuspendCurrentThread()
{
    VEK_ASSERT(OnMainPosixThread());
    FiberTable& t = Fibers();
    if (t.current == &t.main)
        return;
    t.current->state = FiberState::Suspended;
    SwitchToMain();
}

void MakeThreadReady(CooperativeThreadId id)
{
    FiberRecord* record = FindFiber(id);
    if (record && record->id != kMainThreadId && record->state == FiberState::Suspended)
        QueueReady(*record);
}

int32_t RunReadyThreads(void (*before)(), void (*after)())
{
    VEK_ASSERT(OnMainPosixThread());
    FiberTable& t = Fibers();
    VEK_ASSERT(t.current == &t.main);
    size_t due = t.ready.size();
    int32_t ran = 0;
    while (due-- > 0 && !t.ready.empty()) {
        CooperativeThreadId id = t.ready.front();
        t.ready.pop_front();
        FiberRecord* record = FindFiber(id);
        if (!record || record->state != FiberState::Ready)
            continue;
        if (before)
            before();
        SwitchFiber(t.main, *record);
        ReapFinished();
        if (after)
            after();
        ++ran;
    }
    return ran;
}

int32_t ReadyThreadCount() { return int32_t(Fibers().ready.size()); }

int32_t LiveThreadCount() { return int32_t(Fibers().threads.size()); }

void SetReadyThreadNotifier(void (*notifier)()) { Fibers().notifier = notifier; }

}  // namespace vek
