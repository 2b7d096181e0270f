// vek-tool expr pattern.
#include "ExprCommand.h"

#include <cstdio>

namespace vektool {

int ExprPattern(const ExprOptions&)
{
    std::fprintf(stderr, "vek-tool expr: pattern is not built yet\n");
    return 2;
}

}  // namespace vektool
