// ProcessLauncher: starting the desktop's opener without a shell and waiting for its verdict.
#include "platform/ProcessLauncher.h"

#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vek {

// How long the caller waits for the opener to fail before it counts as started.
static constexpr int32_t kOpenerVerdictMs = 1000;
static constexpr int32_t kOpenerPollMs = 20;

namespace {

class SpawningDesktopOpener final : public DesktopOpener {
public:
    int32_t Launch(const char* target) override;
};

}  // namespace

DesktopOpener::~DesktopOpener() = default;

template <>
DesktopOpener& Service<DesktopOpener>::Headless()
{
    static SpawningDesktopOpener opener;
    return opener;
}

int32_t LaunchDefaultOpener(const char* target)
{
    if (!target || !*target || *target == '-')
        return EINVAL;
    return Service<DesktopOpener>::Get().Launch(target);
}

int32_t SpawningDesktopOpener::Launch(const char* target)
{
    char program[] = "xdg-open";
    char* arguments[] = {program, const_cast<char*>(target), nullptr};
    pid_t child = 0;
    int status = posix_spawnp(&child, program, nullptr, nullptr, arguments, environ);
    if (status != 0)
        return status;
    for (int32_t waited = 0; waited < kOpenerVerdictMs; waited += kOpenerPollMs) {
        int exitStatus = 0;
        pid_t done = waitpid(child, &exitStatus, WNOHANG);
        if (done == child) {
            if (WIFEXITED(exitStatus))
                return WEXITSTATUS(exitStatus);
            return ECHILD;
        }
        if (done < 0 && errno != EINTR)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(kOpenerPollMs));
    }
    // Still running (a browser started in the foreground): it is not waited for, but reaped so that no
    // zombie is left behind.
    std::thread([child] {
        int exitStatus = 0;
        while (waitpid(child, &exitStatus, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

}  // namespace vek
