// Watchdog: ends a test program that hangs (a deadlock, a lost wake-up) with a failure, not a hang.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace vek::test {

// Arms for its lifetime: when the scope has not ended after `seconds`, the program writes what hung
// and exits with status 1.
class Watchdog {
public:
    Watchdog(const char* what, int seconds)
        : thread([this, what, seconds] {
              std::unique_lock<std::mutex> lock(mutex);
              if (!cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return done; })) {
                  std::fprintf(stderr, "Watchdog: %s did not finish within %d s (deadlock?)\n", what, seconds);
                  std::fflush(stderr);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        cv.notify_all();
        thread.join();
    }

private:
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    std::thread thread;
};

}  // namespace vek::test
