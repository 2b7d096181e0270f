// DimensionWindowServices: what the batch operations ask of the dimension windows of the base editors.
#include "analysis/batch/DimensionWindowServices.h"

namespace vek {

DimensionWindowServices::~DimensionWindowServices() = default;

namespace {

class HeadlessDimensionWindows final : public DimensionWindowServices {
public:
    bool HasDimensionWindow(const Base&, int32_t) override { return false; }
    bool MapHiddenComponents(std::vector<uint32_t>&, const Base&, int32_t) override { return false; }
};

}  // namespace

template <>
DimensionWindowServices& Service<DimensionWindowServices>::Headless()
{
    static HeadlessDimensionWindows headless;
    return headless;
}

}  // namespace vek
