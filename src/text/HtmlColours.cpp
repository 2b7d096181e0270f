// HtmlColours: one name per colour index; the run-time colours 23 and 24 export as their defaults.
#include "text/HtmlColours.h"

#include <array>
#include <cstddef>

namespace vek {

namespace {

constexpr std::array<const char*, 31> kHtmlColours{
    "white",   "#EAEAEA", "#E0E0E0", "#D0D0D0", "#C0C0C0", "#A0A0A0", "gray",  "#606060",
    "#404040", "#202020", "black",   "brown",   "orange",  "red",     "pink",  "magenta",
    "violet",  "yellow",  "#40FF40", "green",   "cyan",    "blue",    "darkblue", "gray",
    "black",   "black",   "white",   "white",   "#E0E0E0", "gray",    "white",
};

}  // namespace

const char* HtmlColourName(int32_t index)
{
    if (index < 0 || index >= int32_t(kHtmlColours.size()))
        return nullptr;
    return kHtmlColours[std::size_t(index)];
}

}  // namespace vek
