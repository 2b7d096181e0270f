// The start-up of every fuzz entry point: libFuzzer calls this once before the first input.
#include "platform/WorkerThreads.h"
#include "startup/StartServices.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    vek::StartServices();
    // Inputs run with work shared out over several threads, so that the readers' and writers' joins
    // of the pieces meet every input too (one thread is the path the tests compare against).
    vek::SetWorkerThreadCount(4);
    return 0;
}
