// SortDirection: the order of every sorting table, comparator and sort key.
#pragma once

#include <cstdint>

namespace vek {

// Stored as its number in definitions (and as the letter "A" or "D", TableOptions.h), so the values
// are fixed.
enum class SortDirection : int32_t {
    Ascending = 0,
    Descending = 1,
};

// The direction of a stored letter-table index (TableOptions.h): 1 is descending, anything else
// ascending.
constexpr SortDirection SortDirectionOfIndex(int32_t index)
{
    return index == 1 ? SortDirection::Descending : SortDirection::Ascending;
}

}  // namespace vek
