// DimensionWindowServices: what the batch operations ask of the dimension windows of the base editors.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/services/Service.h"

namespace vek {

class Base;

// The dimension windows (window kind 11) belong to the base editors, which register their
// implementation; without them (no display, the tools) no dimension window is open.
class DimensionWindowServices {
public:
    virtual ~DimensionWindowServices();
    // Whether a dimension window of the base and dimension is open (FindDimensionWindow).
    virtual bool HasDimensionWindow(const Base& base, int32_t dimension) = 0;
    // Through that window, sets map[c] for every component c hidden in a collapsed branch to its
    // nearest visible ancestor; false (the map unchanged) when no such window is open.
    virtual bool MapHiddenComponents(std::vector<uint32_t>& map, const Base& base, int32_t dimension) = 0;
};

template <>
DimensionWindowServices& Service<DimensionWindowServices>::Headless();

}  // namespace vek
