// Threads: starting the program's background threads.
#pragma once

#include <pthread.h>

namespace vek {

using ThreadFunction = void (*)(void* argument);
// Runs function(argument) on a new detached thread and returns its id; 0 when no thread could be
// started (the function is then not called).
pthread_t StartDetachedThread(ThreadFunction function, void* argument);

}  // namespace vek
