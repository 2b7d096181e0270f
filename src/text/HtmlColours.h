// HtmlColours: the HTML colour names of the program's colour indices, for every HTML export.
#pragma once

#include <cstdint>

namespace vek {

// The HTML colour of a colour index ("white", "#EAEAEA", ...); null outside 0-30.
const char* HtmlColourName(int32_t index);

}  // namespace vek
