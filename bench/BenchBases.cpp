// The synthetic bases the benchmarks share, built once per program.
#include "BenchBases.h"

#include <memory>

#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek::bench {

SyntheticBaseOptions MillionCardOptions()
{
    SyntheticBaseOptions options;
    options.cards = 1000000;
    options.linesPerCard = 5;
    options.componentsPerDimension = 1000;
    options.dimensionsUsed = 5;
    options.valuesPerLine = 1;
    options.seed = 7;
    return options;
}

Base* MillionCardBase()
{
    static std::unique_ptr<Base> base = [] {
        ClearError();
        auto made = std::make_unique<Base>(FilePath(), 1);
        made->SetUnattended(true);
        if (!BuildSyntheticBase(*made, MillionCardOptions()))
            made.reset();
        else
            made->SetupDimensionOrder();
        return made;
    }();
    return base.get();
}

}  // namespace vek::bench
