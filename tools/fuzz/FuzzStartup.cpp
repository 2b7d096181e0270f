// The start-up of every fuzz entry point: libFuzzer calls this once before the first input.
#include "startup/StartServices.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    vek::StartServices();
    return 0;
}
