// SaveTemporaryFiles: naming, registering and removing the temporary files of saves.
#include "platform/SaveTemporaryFiles.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <random>
#include <unistd.h>

namespace vek {

namespace {

constexpr int32_t kSaveTemporarySlots = 16;
constexpr size_t kHexDigitCount = 8;

// A slot's state: free, being filled or emptied (the handler passes it by), or holding a path.
enum SlotState : int { kSlotFree = 0, kSlotBusy = 1, kSlotHeld = 2 };

struct TemporarySlot {
    std::atomic<int> state{kSlotFree};
    char path[PATH_MAX] = {};
};

// Process-wide because a signal handler reaches nothing else; lock-free atomics keep it safe there.
constinit TemporarySlot temporarySlots[kSaveTemporarySlots];
constinit struct sigaction previousTerm = {};
constinit struct sigaction previousInt = {};
static_assert(std::atomic<int>::is_always_lock_free);

void RemoveRegisteredTemporaries(int signal)
{
    for (TemporarySlot& slot : temporarySlots) {
        if (slot.state.load(std::memory_order_acquire) == kSlotHeld)
            unlink(slot.path);
    }
    // The signal then does what it did before: by default, end the program.
    sigaction(signal, signal == SIGTERM ? &previousTerm : &previousInt, nullptr);
    raise(signal);
}

// The process id of a name of ours ("<pid>-" + 8 hex digits after the prefix), else 0.
pid_t OwnerOfTemporaryName(const char* name)
{
    size_t prefix = sizeof kSaveTemporaryPrefix - 1;
    if (std::strncmp(name, kSaveTemporaryPrefix, prefix) != 0)
        return 0;
    const char* p = name + prefix;
    long long pid = 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9' && p - digits < 10)
        pid = pid * 10 + (*p++ - '0');
    if (p == digits || *p++ != '-' || pid <= 0 || pid > INT_MAX)
        return 0;
    for (size_t i = 0; i < kHexDigitCount; ++i, ++p) {
        bool hex = (*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f');
        if (!hex)
            return 0;
    }
    return *p == '\0' ? static_cast<pid_t>(pid) : 0;
}

}  // namespace

std::string MakeSaveTemporaryName(const std::string& folder)
{
    static thread_local std::mt19937 random{std::random_device{}()};
    char name[64];
    std::snprintf(name, sizeof name, "%s%d-%08x", kSaveTemporaryPrefix, static_cast<int>(getpid()),
                  static_cast<unsigned>(random()));
    return folder + name;
}

void RemoveStaleSaveTemporaries(const std::string& folder)
{
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr)
        return;
    pid_t self = getpid();
    while (const dirent* entry = readdir(listing)) {
        pid_t owner = OwnerOfTemporaryName(entry->d_name);
        // kill with no signal asks only whether the process exists.
        if (owner != 0 && owner != self && kill(owner, 0) != 0 && errno == ESRCH)
            (void)unlinkat(dirfd(listing), entry->d_name, 0);
    }
    closedir(listing);
}

int32_t RegisterSaveTemporary(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int32_t i = 0; i < kSaveTemporarySlots; ++i) {
        TemporarySlot& slot = temporarySlots[i];
        int expected = kSlotFree;
        if (!slot.state.compare_exchange_strong(expected, kSlotBusy, std::memory_order_acq_rel))
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kSlotHeld, std::memory_order_release);
        return i;
    }
    return -1;
}

void UnregisterSaveTemporary(int32_t slot)
{
    if (slot >= 0 && slot < kSaveTemporarySlots)
        temporarySlots[slot].state.store(kSlotFree, std::memory_order_release);
}

void InstallSaveTemporaryCleanup()
{
    struct sigaction action = {};
    action.sa_handler = RemoveRegisteredTemporaries;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT}) {
        struct sigaction& previous = signal == SIGTERM ? previousTerm : previousInt;
        struct sigaction current = {};
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN ||
            current.sa_handler == RemoveRegisteredTemporaries)
            continue;
        previous = current;
        (void)sigaction(signal, &action, nullptr);
    }
}

}  // namespace vek
