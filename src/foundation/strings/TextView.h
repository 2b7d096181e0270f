// TextView: the length of a read-only text view in the library's 32-bit byte counts.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

// The bytes of the view, capped at INT32_MAX (every text the library holds is shorter).
inline int32_t ViewLength(std::string_view text)
{
    return text.size() < size_t(INT32_MAX) ? int32_t(text.size()) : INT32_MAX;
}

}  // namespace vek
