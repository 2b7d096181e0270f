// ExpressionTextBuilder: writes operator expressions back as text with the fewest safe brackets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

class String;

// Builds the text of an expression from its postfix form: operands are pushed, operators combine the
// entries on top of the stack. Each entry keeps its text, its precedence (99 for a plain operand) and
// the operator that made it, so that brackets are written only where reading the text back would
// otherwise group it differently.
//
// Bracketing: an operand whose precedence is below the operator's is bracketed. A left operand of the
// same precedence is bracketed when its own operator differs from the combining one, or when the
// combining operator is "¬" (the difference). A right operand of the same precedence is always
// bracketed: reading the text back groups to the left, so "A¬(B¬C)" must keep its brackets to mean
// what it says, and keeping them for every operator makes a text read back exactly as it was built.
class ExpressionTextBuilder {
public:
    static constexpr int32_t kOperandPrecedence = 99;

    void PushOperand(std::string_view text);
    // The top entry preceded by the operator (no separator), with the operator's precedence.
    void PrefixOperator(std::string_view op, int32_t precedence);
    // The top entry as the argument of a function name: the name, a blank and the operand.
    void PrefixFunction(std::string_view name);
    // The two top entries joined: left, separator, operator, separator, right.
    void Combine(std::string_view op, int32_t precedence, std::string_view separator);
    // Appends the top entry's text (nothing when the stack is empty).
    void AppendTo(String& out) const;

    int32_t Depth() const { return int32_t(entries.size()); }
    void Clear() { entries.clear(); }

private:
    struct Entry {
        std::string text;
        int32_t precedence = kOperandPrecedence;
        std::string op;
    };
    static bool LeftNeedsBrackets(const Entry& operand, std::string_view op, int32_t precedence);
    static void Bracket(Entry& entry);

    std::vector<Entry> entries;
};

}  // namespace vek
