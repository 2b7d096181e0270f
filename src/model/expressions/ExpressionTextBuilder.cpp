// ExpressionTextBuilder: brackets decided by precedence and operator, on both sides.
#include "model/expressions/ExpressionTextBuilder.h"

#include "foundation/strings/String.h"

namespace vek {

namespace {

constexpr std::string_view kDifferenceOperator = "\xC2\xAC";  // "¬"

}  // namespace

bool ExpressionTextBuilder::LeftNeedsBrackets(const Entry& operand, std::string_view op, int32_t precedence)
{
    if (operand.precedence < precedence)
        return true;
    return operand.precedence == precedence && (operand.op != op || op == kDifferenceOperator);
}

void ExpressionTextBuilder::Bracket(Entry& entry)
{
    entry.text.insert(entry.text.begin(), '(');
    entry.text.push_back(')');
    entry.precedence = kOperandPrecedence;
    entry.op.clear();
}

void ExpressionTextBuilder::PushOperand(std::string_view text)
{
    entries.push_back(Entry{std::string(text), kOperandPrecedence, std::string()});
}

void ExpressionTextBuilder::PrefixOperator(std::string_view op, int32_t precedence)
{
    if (entries.empty())
        return;
    Entry& top = entries.back();
    if (top.precedence < precedence)
        Bracket(top);
    top.text.insert(0, op);
    top.precedence = precedence;
    top.op.assign(op);
}

void ExpressionTextBuilder::PrefixFunction(std::string_view name)
{
    if (entries.empty())
        return;
    Entry& top = entries.back();
    if (top.precedence < kOperandPrecedence)
        Bracket(top);
    top.text.insert(0, 1, ' ');
    top.text.insert(0, name);
    top.precedence = kOperandPrecedence;
    top.op.clear();
}

void ExpressionTextBuilder::Combine(std::string_view op, int32_t precedence, std::string_view separator)
{
    if (entries.size() < 2)
        return;
    Entry right = std::move(entries.back());
    entries.pop_back();
    Entry& left = entries.back();
    if (LeftNeedsBrackets(left, op, precedence))
        Bracket(left);
    if (right.precedence <= precedence)
        Bracket(right);
    left.text.append(separator);
    left.text.append(op);
    left.text.append(separator);
    left.text.append(right.text);
    left.precedence = precedence;
    left.op.assign(op);
}

void ExpressionTextBuilder::AppendTo(String& out) const
{
    if (!entries.empty())
        out.AppendBytes(entries.back().text);
}

}  // namespace vek
