// ValueCondition: reading and writing the numbers of a number condition.
#include "model/expressions/ValueCondition.h"

#include <cmath>

#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "model/expressions/ConditionCompiler.h"

namespace vek {

namespace {

// Numbers are written in the general format with "." and no grouping, so that a canonical text means
// the same on every machine and reads back as the same number (the reader takes "." everywhere).
NumberFormat CanonicalNumberFormat()
{
    NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    return format;
}

class NumberOperandReader final : public ConditionProgram<double>::OperandReader {
public:
    ~NumberOperandReader() override;
    bool EndsValue(uint32_t c) const override;
    // A number stands for itself: both bounds are the number.
    [[nodiscard]] bool Read(std::string_view value, double& lower, double& upper, String& written) const override;

private:
    NumberFormat numberFormat = CanonicalNumberFormat();
};

NumberOperandReader::~NumberOperandReader() = default;

// Numbers also end at "_", the range shortcut as typed.
bool NumberOperandReader::EndsValue(uint32_t c) const
{
    return c == '_' || EndsConditionValue(c);
}

bool NumberOperandReader::Read(std::string_view value, double& lower, double& upper, String& written) const
{
    double number = BytesToDouble(value.data(), int32_t(value.size()));
    if (std::isnan(number))
        return false;
    lower = number;
    upper = number;
    written.AssignDoubleFormat(number, numberFormat);
    return true;
}

}  // namespace

ValueCondition::~ValueCondition() = default;

int32_t ValueCondition::Compile(String& text)
{
    return program.Compile(text, NumberOperandReader());
}

// Comparisons of an undefined value (NaN) are false by themselves, "<>" as well, as it is written as
// lying outside the number's bounds.
bool ValueCondition::Matches(double value) const
{
    return program.Matches(value, std::isnan(value));
}

}  // namespace vek
