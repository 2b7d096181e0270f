// vek-tool expr subset.
#include "ExprCommand.h"

#include <cstdio>

namespace vektool {

int ExprSubset(const ExprOptions&)
{
    std::fprintf(stderr, "vek-tool expr: subset is not built yet\n");
    return 2;
}

}  // namespace vektool
