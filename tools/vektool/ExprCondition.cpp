// vek-tool expr condition: a number condition's canonical text and its result for each --test value.
#include "ExprCommand.h"

#include <cstdio>

#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "model/expressions/ValueCondition.h"

namespace vektool {

// A test value is read as the program reads typed numbers; one without digits is the undefined value.
int ExprCondition(const ExprOptions& options)
{
    vek::String text;
    text.AssignBytes(options.text);
    vek::ValueCondition condition;
    if (int32_t refused = condition.Compile(text))
        return ReportConditionRefused(refused, options.text);
    std::printf("%s\n", text.CStr());
    for (const std::string& test : options.tests) {
        bool passes = condition.Matches(vek::BytesToDouble(test));
        std::printf("%s\t%s\n", test.c_str(), passes ? "true" : "false");
    }
    return 0;
}

}  // namespace vektool
