// Builds a synthetic base in memory and prints what it holds: the counts of its records, the layout
// of its lines, the memory the base reports and the time the building took.
//
//   vek-synth [--cards N] [--lines N] [--components N] [--dimensions N] [--values N] [--seed N]
//             [--days N] [--shuffled] [--texts]
#include "foundation/services/Clock.h"
#include "model/base/Base.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"
#include "startup/StartServices.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool ReadNumberOption(const char* text, int64_t& value)
{
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 0 || parsed > 2000000000LL)
        return false;
    value = parsed;
    return true;
}

void PrintUsage()
{
    std::fprintf(stderr,
                 "usage: vek-synth [--cards N] [--lines N] [--components N] [--dimensions N] [--values N]\n"
                 "                 [--seed N] [--days N] [--shuffled] [--texts]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    vek::StartServices();
    vek::SyntheticBaseOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (std::strcmp(name, "--shuffled") == 0) {
            options.shuffled = true;
            continue;
        }
        if (std::strcmp(name, "--texts") == 0) {
            options.lineTexts = true;
            continue;
        }
        int64_t value = 0;
        if (i + 1 >= argc || !ReadNumberOption(argv[i + 1], value)) {
            PrintUsage();
            return 2;
        }
        ++i;
        if (std::strcmp(name, "--cards") == 0)
            options.cards = int32_t(value);
        else if (std::strcmp(name, "--lines") == 0)
            options.linesPerCard = int32_t(value);
        else if (std::strcmp(name, "--components") == 0)
            options.componentsPerDimension = int32_t(value);
        else if (std::strcmp(name, "--dimensions") == 0)
            options.dimensionsUsed = int32_t(value);
        else if (std::strcmp(name, "--values") == 0)
            options.valuesPerLine = int32_t(value);
        else if (std::strcmp(name, "--seed") == 0)
            options.seed = uint64_t(value);
        else if (std::strcmp(name, "--days") == 0)
            options.days = int32_t(value);
        else {
            PrintUsage();
            return 2;
        }
    }

    vek::Base base{vek::FilePath(), 1};
    int64_t start = vek::CurrentTimeMs();
    bool built = vek::BuildSyntheticBase(base, options);
    int64_t elapsed = vek::CurrentTimeMs() - start;
    vek::SyntheticBaseSummary summary = vek::SummarizeBase(base);
    vek::BaseMemoryUse memory = base.GetMemoryUse();

    std::printf("cards        %d\n", summary.cards);
    std::printf("groups       %d\n", summary.groups);
    std::printf("lines        %d\n", summary.lines);
    std::printf("dates        %d\n", summary.buckets);
    std::printf("components   %d\n", summary.components);
    std::printf("line layout  %d values, %d dimensions, %d-byte component numbers, %d bytes a line\n",
                summary.valueCount, summary.dimsInUse, summary.componentWidth,
                base.CardRecords().linePool.DocumentedSize());
    std::printf("value sum    %.2f\n", summary.valueSum);
    std::printf("memory       %lld KB in use, %lld KB free\n", static_cast<long long>(memory.used / 1024),
                static_cast<long long>(memory.free / 1024));
    std::printf("built in     %lld ms\n", static_cast<long long>(elapsed));
    if (!built) {
        std::fprintf(stderr, "vek-synth: the base could not be built completely (memory ran short)\n");
        return 1;
    }
    return 0;
}
