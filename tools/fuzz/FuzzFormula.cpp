// Formula texts typed by users: compiling stays inside the text, the canonical text compiles to
// itself with the same value, a refused text is left as it was, and evaluation never traps.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/RandomNumber.h"
#include "foundation/strings/String.h"
#include "model/expressions/Formula.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool SameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Separator settings the text may meet; the first byte of the input picks one.
constexpr SeparatorPair kSeparators[] = {
    {u'.', u' '}, {u',', u'.'}, {u'.', u'\''}, {0x066B, 0x066C},
};

double EvaluateSeeded(const Formula& formula)
{
    SetRandomUnitSeed(1.0);
    return formula.Evaluate();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    SetSeparators(kSeparators[data[0] % 4]);
    FormulaVariable variables[5];
    const char* names[] = {"x", "y", "abc", "Amount", "pi2"};
    const double values[] = {3.0, -0.0, 1e308, std::nan(""), 0.5};
    for (int i = 0; i < 5; ++i) {
        CopyFormulaName(variables[i], names[i]);
        variables[i].value = values[i];
    }
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    String text;
    text.AssignBytes(input);
    Formula formula;
    int32_t refusal = formula.Compile(text, 5, variables);
    if (refusal != 0) {
        Check(text.View() == input);
        Check(formula.IsEmpty());
        Check(std::isnan(formula.Evaluate()));
    } else {
        double value = EvaluateSeeded(formula);
        String again;
        again.Assign(text);
        Formula second;
        Check(second.Compile(again, 5, variables) == 0);
        Check(again.View() == text.View());
        Check(SameValue(EvaluateSeeded(second), value));
        Check(second.IsEmpty() == formula.IsEmpty());
        for (int32_t i = 0; i < 5; ++i)
            Check(second.UsesVariable(i) == formula.UsesVariable(i));
    }
    (void)StartsWithFormulaOperator(input.c_str());
    (void)EvaluateFormulaText(input.c_str());
    SetSeparators(kSeparators[0]);
    return 0;
}
