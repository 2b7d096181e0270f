// The main of every benchmark program: the services start as in the program, then the benchmarks run.
#include <benchmark/benchmark.h>

#ifdef VEK_BENCH_PROGRAM_SERVICES
#include "app/StartProgramServices.h"
#else
#include "startup/StartServices.h"
#endif

int main(int argc, char** argv)
{
#ifdef VEK_BENCH_PROGRAM_SERVICES
    vek::StartProgramServices();
#else
    vek::StartServices();
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
