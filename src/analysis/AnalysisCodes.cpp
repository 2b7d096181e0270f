#include "analysis/AnalysisCodes.h"

#include <cmath>
#include <cstring>

#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/NumberMath.h"
#include "foundation/strings/String.h"
#include "model/expressions/Formula.h"

namespace vek {

namespace {

bool IsFiniteBound(double value)
{
    int32_t kind = ClassifyDouble(value);
    return kind == 0 || kind == 1 || kind == 2;
}

void AppendWholeNumber(String& text, double value)
{
    String number;
    FormatScaledNumber(number, value, 0);
    text.Append(number);
}

}  // namespace

bool IsReservedColumnName(const char* text)
{
    if (!text)
        return false;
    if (StartsWithFormulaOperator(text))
        return true;
    return text[0] != 0 && std::strchr("#!()", text[0]) != nullptr;
}

bool IsDegenerateRange(double low, double high)
{
    double width = high - low;
    return width <= 0.0001 || width * 10000.0 <= std::fabs(high) + std::fabs(low);
}

void AppendValueRangeCondition(double low, double high, String& condition)
{
    String added;
    bool lowFinite = IsFiniteBound(low);
    bool highFinite = IsFiniteBound(high);
    if (lowFinite && highFinite) {
        AppendWholeNumber(added, low);
        added.AppendCStr("\xE2\x80\xA6");
        AppendWholeNumber(added, high);
    } else if (lowFinite) {
        added.AppendChar('>');
        AppendWholeNumber(added, low);
    } else if (highFinite) {
        added.AppendChar('<');
        AppendWholeNumber(added, high);
    }
    if (added.IsEmpty()) {
        return;
    }
    if (!condition.IsEmpty()) {
        String wrapped;
        wrapped.AppendChar('(');
        wrapped.Append(condition);
        wrapped.AppendCStr(")&");
        condition.Assign(wrapped);
    }
    condition.Append(added);
}

}  // namespace vek
