// The main of every benchmark program: the services start as in the program, then the benchmarks run.
#include <benchmark/benchmark.h>

#include "startup/StartServices.h"

int main(int argc, char** argv)
{
    vek::StartServices();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
