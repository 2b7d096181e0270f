// vek-tool expr formula.
#include "ExprCommand.h"

#include <cstdio>

namespace vektool {

int ExprFormula(const ExprOptions&)
{
    std::fprintf(stderr, "vek-tool expr: formula is not built yet\n");
    return 2;
}

}  // namespace vektool
