// Tests of ExpressionTextBuilder: brackets exactly where reading the text back would group it otherwise.
#include "model/expressions/ExpressionTextBuilder.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/strings/String.h"

namespace vek {
namespace {

// A postfix program of one-letter operands and the operators "&" (3), "|" (1), "-" (3, the
// difference), "~" (prefix, 4) and "F" (a function name).
std::string Build(const char* program, const char* separator)
{
    ExpressionTextBuilder builder;
    for (const char* p = program; *p != '\0'; ++p) {
        switch (*p) {
        case '&': builder.Combine("&", 3, separator); break;
        case '|': builder.Combine("|", 1, separator); break;
        case '-': builder.Combine("\xC2\xAC", 3, separator); break;
        case '~': builder.PrefixOperator("~", 4); break;
        case 'F': builder.PrefixFunction("F"); break;
        default: builder.PushOperand(std::string(1, *p)); break;
        }
    }
    String out;
    out.AssignCStr(">");
    builder.AppendTo(out);
    return out.CStr() + 1;
}

TEST(ExpressionTextBuilderTest, BracketsWhereTheTextWouldReadBackOtherwise)
{
    struct Case {
        const char* program;
        const char* separator;
        const char* text;
    };
    const Case cases[] = {
        {"a", "", "a"},
        {"ab|c|", "", "a|b|c"},          // left grouping needs no brackets
        {"abc||", "", "a|(b|c)"},        // right grouping keeps them
        {"ab|c&", "", "(a|b)&c"},        // lower precedence on the left
        {"abc|&", " ", "a & (b | c)"},   // and on the right
        {"ab&c|", "", "a&b|c"},          // higher precedence needs none
        {"abc&|", "", "a|b&c"},
        {"ab-c-", "", "(a\xC2\xAC" "b)\xC2\xAC" "c"},  // the difference brackets its left operand too
        {"abc--", "", "a\xC2\xAC(b\xC2\xAC" "c)"},
        {"ab-c&", "", "(a\xC2\xAC" "b)&c"},  // equal precedence, another operator
        {"a~b&", "", "~a&b"},
        {"ab&~", "", "~(a&b)"},
        {"aF", "", "F a"},
        {"ab|F", "", "F (a|b)"},
        {"", "", ""},
        {"&", "", ""},  // an operator without operands writes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(Build(c.program, c.separator), c.text);
    }
}

}  // namespace
}  // namespace vek
