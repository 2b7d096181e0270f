// vek-tool expr formula: the canonical text, then the value for the --var values.
#include "ExprCommand.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/strings/String.h"
#include "model/expressions/Formula.h"

namespace vektool {

namespace {

// The shortest text that reads back as the same double, with "." whatever the locale.
void PrintValue(double value)
{
    if (std::isnan(value)) {
        std::puts("nan");
        return;
    }
    char buffer[64];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    *result.ptr = 0;
    std::puts(buffer);
}

}  // namespace

int ExprFormula(const ExprOptions& options)
{
    std::vector<vek::FormulaVariable> variables(options.variables.size());
    for (size_t i = 0; i < variables.size(); ++i) {
        vek::CopyFormulaName(variables[i], options.variables[i].first);
        variables[i].value = options.variables[i].second;
    }
    vek::String text;
    text.AssignBytes(options.text);
    vek::Formula formula;
    int32_t refusal = formula.Compile(text, int32_t(variables.size()), variables.data());
    if (refusal != 0) {
        vek::Message message;
        vek::SetFormulaMessage(message, refusal, options.text);
        vek::String shown;
        message.Format(shown);
        std::fprintf(stderr, "vek-tool expr: message %d: %s\n", int(refusal), shown.CStr());
        return 1;
    }
    std::puts(text.CStr());
    PrintValue(formula.Evaluate());
    return 0;
}

}  // namespace vektool
