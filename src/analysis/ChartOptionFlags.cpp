#include "analysis/ChartOptionFlags.h"

#include "foundation/streams/TextWriter.h"

namespace vek {

namespace {

struct ChartFlagKey {
    const char* key;
    int32_t writtenWhen;  // the flag value that is written (the other one is the default)
};

constexpr ChartFlagKey kChartFlagKeys[7] = {{"ZE", 1}, {"ZI", 1}, {"ZD", 0}, {"ZV", 0},
                                            {"ZR", 0}, {"ZG", 0}, {"ZZ", 1}};

}  // namespace

bool ChartOptionFlags::ReadKey(std::string_view key)
{
    for (size_t i = 0; i < flags.size(); ++i) {
        if (key == kChartFlagKeys[i].key) {
            flags[i] = kChartFlagKeys[i].writtenWhen;
            return true;
        }
    }
    return false;
}

void ChartOptionFlags::Write(TextWriter& writer) const
{
    for (size_t i = 0; i < flags.size(); ++i) {
        if ((flags[i] != 0) == (kChartFlagKeys[i].writtenWhen != 0))
            writer.WriteLine(kChartFlagKeys[i].key);
    }
}

}  // namespace vek
