// vek-tool expr condition.
#include "ExprCommand.h"

#include <cstdio>

namespace vektool {

int ExprCondition(const ExprOptions&)
{
    std::fprintf(stderr, "vek-tool expr: condition is not built yet\n");
    return 2;
}

}  // namespace vektool
