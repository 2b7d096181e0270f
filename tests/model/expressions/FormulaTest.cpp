#include "model/expressions/Formula.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/RandomNumber.h"
#include "foundation/strings/String.h"
#include "model/expressions/FormulaVariableIndex.h"

namespace vek {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The variable table every case compiles against: x = 3, y = -2, amount = 100, Tax = 0.25.
class FormulaTest : public ::testing::Test {
protected:
    FormulaTest()
    {
        const char* names[] = {"x", "y", "amount", "Tax"};
        const double values[] = {3.0, -2.0, 100.0, 0.25};
        for (int i = 0; i < 4; ++i) {
            CopyFormulaName(variables[i], names[i]);
            variables[i].value = values[i];
        }
    }

    // Compiles the text; returns the canonical text (or "refused NNNN").
    std::string Compile(Formula& formula, const std::string& text)
    {
        String string;
        string.AssignBytes(text);
        int32_t refusal = formula.Compile(string, 4, variables);
        if (refusal != 0)
            return "refused " + std::to_string(refusal);
        return string.CStr();
    }

    FormulaVariable variables[4];
};

bool SameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

struct FormulaCase {
    const char* text;
    const char* canonical;
    double value;
};

// Texts as users type them, what they come back as, and what they give.
constexpr FormulaCase kCases[] = {
    // Folding and precedence.
    {"2+3*4", "2+3*4", 14},
    {"  2 + 3  ", "2 + 3", 5},
    {"7:3", "7:3", 1},
    {"-7:3", "-7:3", -1},
    {"-2^2", "-2^2", -4},
    {"2^-1", "2^-1", 0.5},
    {"2**3", "2**3", 8},
    {"2^3^2", "2^3^2", 512},
    {"--3", "--3", 3},
    {"+-+3", "+-+3", -3},
    {"1-2-3", "1-2-3", -4},
    {"8/4/2", "8/4/2", 1},
    // Names take their table spelling.
    {"SQRT(16)", "sqrt(16)", 4},
    {"Sqrt 16", "sqrt 16", 4},
    {"sqrt(2)*3", "sqrt(2)*3", std::sqrt(2.0) * 3},
    {"PI", "pi", 3.141592653589793},
    {"\u03C0", "\u03C0", 3.141592653589793},
    {"AMOUNT*tax", "amount*Tax", 25},
    {"X+Y", "x+y", 1},
    {"ABS(y)", "abs(y)", 2},
    {"\u221A9", "\u221A9", 3},
    {"\u00BB2.1+\u00AB2.9+\u22482.5", "\u00BB2.1+\u00AB2.9+\u22482.5", 3 + 2 + 3},
    // Numbers.
    {"50%", "50%", 0.5},
    {"amount*10 %", "amount*10 %", 10},
    {"pi%", "pi%", 0.031415926535897934},
    {"$FF", "$FF", 255},
    {"0xff", "0xff", 255},
    {"0x1.8", "0x1.8", 1.5},
    {"#17", "#17", 15},
    {"1e3", "1e3", 1000},
    {"1.5E-3", "1.5E-3", 0.0015},
    {"2e+2", "2e+2", 200},
    {"1 234,5", "1 234,5", 1234.5},
    {"1.234,5", "1.234,5", 1234.5},
    {"1,234.5", "1,234.5", 1234.5},
    {"0.1+0.2", "0.1+0.2", 0.1 + 0.2},
    {"1e999", "1e999", kInf},
    // Functions.
    {"if(1;2)", "if(1;2)", 2},
    {"if(0;2)", "if(0;2)", kNaN},
    {"if(0;2;3)", "if(0;2;3)", 3},
    {"if 1;2;3", "if 1;2;3", 2},
    {"if(x>2;amount;0)*2", "if(x>2;amount;0)*2", 200},
    {"max(3;7;5)", "max(3;7;5)", 7},
    {"max(3)", "max(3)", 3},
    {"min(x;y;0)", "min(x;y;0)", -2},
    {"round(2.5)+round(-2.5)", "round(2.5)+round(-2.5)", 0},
    {"round(-2.5)", "round(-2.5)", -3},
    {"int(-2.7)", "int(-2.7)", -2},
    {"frac(2.75)", "frac(2.75)", 0.75},
    {"up(-2.5)", "up(-2.5)", -2},
    {"down(-2.5)", "down(-2.5)", -3},
    {"sign(y)", "sign(y)", -1},
    {"sign(0/0)", "sign(0/0)", 0},
    {"exp10 2", "exp10 2", 100},
    {"exp2(3)", "exp2(3)", 8},
    {"lg 8", "lg 8", 3},
    {"log2(8)", "log2(8)", 3},
    {"log 1000", "log 1000", 3},
    {"ln(1)", "ln(1)", 0},
    {"sqr y", "sqr y", 4},
    // Comparisons and logic.
    {"1=1", "1=1", 1},
    {"1==2", "1==2", 0},
    {"0/0=0/0", "0/0=0/0", 1},
    {"0/0=1", "0/0=1", 0},
    {"0/0<>1", "0/0<>1", 0},
    {"1!=2", "1!=2", 1},
    {"1\u22602", "1\u22602", 1},
    {"0/0<1", "0/0<1", 0},
    {"2>=2", "2>=2", 1},
    {"2=>3", "2=>3", 0},
    {"2=<2", "2=<2", 1},
    {"1<2<3", "1<2<3", 1},
    {"3>2>1", "3>2>1", 0},
    {"\u00AC0", "\u00AC0", 1},
    {"\u00AC0.000001", "\u00AC0.000001", 1},
    {"\u00AC0.1", "\u00AC0.1", 0},
    {"\u00AC\u00ACx", "\u00AC\u00ACx", 1},
    {"\u00AC x<2", "\u00AC x<2", 1},
    {"1&0|1", "1&0|1", 1},
    {"x&y", "x&y", 1},
    {"x&0.000001", "x&0.000001", 0},
    {"0|0", "0|0", 0},
    // IEEE results, never a trap.
    {"1/0", "1/0", kInf},
    {"-1/0", "-1/0", -kInf},
    {"0/0", "0/0", kNaN},
    {"1e308*10", "1e308*10", kInf},
    {"7:0", "7:0", kNaN},
    {"sqrt(-1)", "sqrt(-1)", kNaN},
    {"ln(-1)", "ln(-1)", kNaN},
    {"ln 0", "ln 0", -kInf},
    {"frac(1/0)", "frac(1/0)", kNaN},
    {"int(1e300)", "int(1e300)", 1e300},
    // Regression: rewriting sqr(sqrt a) and exp(ln a) to a made the root and the logarithm of a
    // negative number come back as that number.
    {"sqr(sqrt(-4))", "sqr(sqrt(-4))", kNaN},
    {"sqr sqrt y", "sqr sqrt y", kNaN},
    {"exp(ln(y))", "exp(ln(y))", kNaN},
    {"exp10 log y", "exp10 log y", kNaN},
    {"exp2(lg 8)", "exp2(lg 8)", 8},
    {"ln(exp(y))", "ln(exp(y))", -2},
    // Regression: x / c was rewritten to x * (1/c), so x / 10 was 0.30000000000000004 and the
    // comparison failed.
    {"x/10=0.3", "x/10=0.3", 1},
    {"x/4", "x/4", 0.75},
    // Repairs: what cannot be read is cut off, brackets are closed.
    {"", "", kNaN},
    {"   ", "", kNaN},
    {"(1+2", "(1+2)", 3},
    {"((1+2)*3", "((1+2)*3)", 9},
    {"[1+{2", "[1+{2}]", 3},
    {"(1]", "(1)", 1},
    {"1)", "1", 1},
    {"2+z", "2+", kNaN},
    {"2+ z", "2+", kNaN},
    {"(1+ z", "(1+)", kNaN},
    {"z", "", kNaN},
    {"2 3", "2 3", 23},
    {"2 exp(1)", "2", 2},
    {"2e", "2", 2},
    {"3 apples", "3", 3},
    {"x;y", "x", 3},
    {"max(1;2", "max(1;2)", 2},
    {"if((1;2;3)", "if((1;2;3))", 2},
    {"max(1;(2;3", "max(1;(2;3))", 3},
    {"sqrt", "sqrt", kNaN},
    {"expense", "exp", kNaN},
    {"$", "", kNaN},
    {"#8", "", kNaN},
    {"0xg", "0", 0},
    {".", ".", kNaN},
    {"1||2", "1||2", 1},
    {"x/*2", "x/*2", kNaN},
};

TEST_F(FormulaTest, CasesGiveTheirCanonicalTextAndValue)
{
    for (const FormulaCase& c : kCases) {
        SCOPED_TRACE(c.text);
        Formula formula;
        EXPECT_EQ(Compile(formula, c.text), c.canonical);
        double value = formula.Evaluate();
        EXPECT_TRUE(SameValue(value, c.value)) << value;
        EXPECT_EQ(formula.IsEmpty(), *c.canonical == 0);
    }
}

// Compiling the canonical text again gives the same text and the same value.
TEST_F(FormulaTest, CanonicalTextIsAFixpoint)
{
    for (const FormulaCase& c : kCases) {
        SCOPED_TRACE(c.text);
        Formula first;
        std::string canonical = Compile(first, c.text);
        Formula second;
        EXPECT_EQ(Compile(second, canonical), canonical);
        EXPECT_TRUE(SameValue(first.Evaluate(), second.Evaluate()));
    }
}

// The rewriting rules must not change what a formula gives, for values of every kind.
TEST_F(FormulaTest, RewritingKeepsTheValue)
{
    struct Rewrite {
        const char* text;
        double (*expected)(double x, double y);
    };
    static const Rewrite kRewrites[] = {
        {"x+0", [](double x, double) { return x; }},
        {"x*1-0", [](double x, double) { return x; }},
        {"x/1^1", [](double x, double) { return x; }},
        {"x-2", [](double x, double) { return x - 2; }},
        {"x/4", [](double x, double) { return x / 4; }},
        {"x/10", [](double x, double) { return x / 10; }},
        {"x^2", [](double x, double) { return x * x; }},
        {"x^0.5", [](double x, double) { return std::sqrt(x); }},
        {"2^x", [](double x, double) { return std::exp2(x); }},
        {"10^x", [](double x, double) { return std::pow(10.0, x); }},
        {"3+x", [](double x, double) { return x + 3; }},
        {"(x+1)+2", [](double x, double) { return x + 3; }},
        {"(x*2)*3", [](double x, double) { return x * 6; }},
        {"(1+x*y)+2", [](double x, double y) { return x * y + 3; }},
        {"(1-x*y)+2", [](double x, double y) { return 3 - x * y; }},
        {"(2*(x+y))*3", [](double x, double y) { return 6 * (x + y); }},
        {"(2/(x+y))*3", [](double x, double y) { return 6 / (x + y); }},
        {"-x+y", [](double x, double y) { return y - x; }},
        {"-x-y", [](double x, double y) { return -(x + y); }},
        {"x+-y", [](double x, double y) { return x - y; }},
        {"x--y", [](double x, double y) { return x + y; }},
        {"x*-y", [](double x, double y) { return -(x * y); }},
        {"-x*-y", [](double x, double y) { return x * y; }},
        {"-(-x/y)", [](double x, double y) { return x / y; }},
        {"abs abs -x", [](double x, double) { return std::fabs(x); }},
        {"sign sign x", [](double x, double) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }},
        {"sqrt(sqr x)", [](double x, double) { return std::fabs(x); }},
        {"sqr(abs(x))", [](double x, double) { return x * x; }},
        {"exp(x)*exp(y)", [](double x, double y) { return std::exp(x + y); }},
        {"exp2(x)/exp2(y)", [](double x, double y) { return std::exp2(x - y); }},
        {"ln(x+y)", [](double x, double y) { return std::log(x + y); }},
        {"x*x", [](double x, double) { return x * x; }},
        {"x&0", [](double, double) { return 0.0; }},
        {"x|1", [](double, double) { return 1.0; }},
        {"x&1", [](double x, double) { return std::fabs(x) > 0.00001 ? 1.0 : 0.0; }},
        {"x|0", [](double x, double) { return std::fabs(x) > 0.00001 ? 1.0 : 0.0; }},
        {"(x<y)&y", [](double x, double y) { return x < y && std::fabs(y) > 0.00001 ? 1.0 : 0.0; }},
        {"\u00AC\u00ACx|y", [](double x, double y) { return std::fabs(x) > 0.00001 || std::fabs(y) > 0.00001 ? 1.0 : 0.0; }},
        {"(y-x)+x", [](double, double y) { return y; }},
        {"(y+x)-x", [](double, double y) { return y; }},
    };
    const double samples[][2] = {{3, -2}, {0.5, 0.25}, {-4, 7}, {1e-6, 2}, {0, 5}};
    for (const Rewrite& rewrite : kRewrites) {
        SCOPED_TRACE(rewrite.text);
        Formula formula;
        ASSERT_EQ(Compile(formula, rewrite.text), rewrite.text);
        for (const auto& sample : samples) {
            variables[0].value = sample[0];
            variables[1].value = sample[1];
            double expected = rewrite.expected(sample[0], sample[1]);
            double got = formula.Evaluate();
            EXPECT_TRUE(SameValue(got, expected) || std::fabs(got - expected) <= 1e-12 * std::fabs(expected))
                << sample[0] << ", " << sample[1] << ": " << got << " against " << expected;
        }
    }
}

TEST_F(FormulaTest, SimplifiedCodeDropsCancelledVariables)
{
    struct Use {
        const char* text;
        bool usesX;
    };
    const Use uses[] = {{"x-x", false}, {"(y+x)-x", false}, {"(y-x)+x", false}, {"x&0", false},
                        {"x|1", false}, {"x*0", true},      {"x+y", true}};
    for (const Use& use : uses) {
        SCOPED_TRACE(use.text);
        Formula formula;
        Compile(formula, use.text);
        EXPECT_EQ(formula.UsesVariable(0), use.usesX);
    }
    Formula formula;
    Compile(formula, "x-x");
    EXPECT_EQ(formula.Evaluate(), 0.0);
    EXPECT_FALSE(formula.UsesVariable(-1));
    EXPECT_FALSE(formula.UsesVariable(99999));
}

// Values are read when evaluated, not when compiled.
TEST_F(FormulaTest, EvaluationReadsTheCurrentValues)
{
    Formula formula;
    ASSERT_EQ(Compile(formula, "amount*(1+Tax)"), "amount*(1+Tax)");
    EXPECT_EQ(formula.Evaluate(), 125.0);
    variables[2].value = 8;
    EXPECT_EQ(formula.Evaluate(), 10.0);
    variables[2].value = 0;
    variables[0].value = 0;
    ASSERT_EQ(Compile(formula, "1/x+x:x"), "1/x+x:x");
    EXPECT_TRUE(std::isnan(formula.Evaluate()));
    ASSERT_EQ(Compile(formula, "amount/x"), "amount/x");
    EXPECT_TRUE(std::isnan(formula.Evaluate()));  // 0/0
    variables[2].value = -5;
    EXPECT_EQ(formula.Evaluate(), -kInf);
}

// The longest name wins; three-character names before function names, shorter ones after.
// Each case compiles against the table searched slot by slot and through an index of it; both read
// the same names. "AB" spells the first slot's name again: the first slot wins.
TEST(FormulaNames, VariablesAndFunctions)
{
    FormulaVariable table[5];
    CopyFormulaName(table[0], "ab");
    CopyFormulaName(table[1], "abc");
    CopyFormulaName(table[2], "Expense");
    CopyFormulaName(table[3], "pi");
    CopyFormulaName(table[4], "AB");
    for (int i = 0; i < 5; ++i)
        table[i].value = 10.0 * (i + 1);
    FormulaVariableIndex index;
    index.Build(5, table);
    struct NameCase {
        const char* text;
        const char* canonical;
        double value;
    };
    const NameCase cases[] = {
        {"ABC", "abc", 20}, {"ab", "ab", 10}, {"abcab", "abc", 20},
        {"abc*ab", "abc*ab", 200}, {"EXPENSE/2", "Expense/2", 15}, {"exp 0", "exp 0", 1},
        {"PI", "pi", 40}, {"abs(ab)", "abs(ab)", 10},
    };
    for (const NameCase& c : cases) {
        for (bool indexed : {false, true}) {
            SCOPED_TRACE(std::string(c.text) + (indexed ? " (index)" : ""));
            String text;
            text.AssignCStr(c.text);
            Formula formula;
            ASSERT_EQ(indexed ? formula.Compile(text, index) : formula.Compile(text, 5, table), 0);
            EXPECT_STREQ(text.CStr(), c.canonical);
            EXPECT_TRUE(SameValue(formula.Evaluate(), c.value)) << formula.Evaluate();
        }
    }
}

// Regression: only the first 4096 slots could be named, so in a table of 10,000 names "C4093" read as
// "C409" (and a cut-off "3"), and a chain of formulas over such names looked circular.
TEST(FormulaNames, EveryNameOfALargeTableIsFoundWhole)
{
    constexpr int32_t kCount = 10000;
    std::vector<FormulaVariable> table(kCount);
    for (int32_t i = 0; i < kCount; ++i) {
        CopyFormulaName(table[size_t(i)], std::string("C").append(std::to_string(i)));
        table[size_t(i)].value = i;
    }
    FormulaVariableIndex index;
    index.Build(kCount, table.data());
    for (bool indexed : {false, true}) {
        SCOPED_TRACE(indexed ? "index" : "table");
        String text;
        text.AssignCStr("c4093 - C409 + C9999x");
        Formula formula;
        ASSERT_EQ(indexed ? formula.Compile(text, index) : formula.Compile(text, kCount, table.data()), 0);
        // The longest name the text starts with: "C9999x" is C9999 and a cut-off "x".
        EXPECT_STREQ(text.CStr(), "C4093 - C409 + C9999");
        EXPECT_EQ(formula.Evaluate(), 4093.0 - 409.0 + 9999.0);
        EXPECT_TRUE(formula.UsesVariable(9999));
        std::vector<int32_t> used;
        formula.CollectVariables(used);
        EXPECT_EQ(used, (std::vector<int32_t>{4093, 409, 9999}));
    }
}

TEST(FormulaNames, CopyFormulaNameCutsAtACharacter)
{
    FormulaVariable variable;
    // 15 two-byte letters and one more: 32 bytes do not fit with the NUL; 30 do.
    std::string name;
    for (int i = 0; i < 16; ++i)
        name += "\u00E9";
    CopyFormulaName(variable, name);
    EXPECT_EQ(std::strlen(variable.name), 30u);
    CopyFormulaName(variable, "a\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9");
    EXPECT_EQ(std::strlen(variable.name), 31u);
    CopyFormulaNameFromHeapText(variable, nullptr);
    EXPECT_STREQ(variable.name, "");
}

struct LimitCase {
    std::string text;
    int32_t refusal;
};

std::string Repeat(const std::string& piece, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += piece;
    return text;
}

// Past the limits a formula is refused with its message, the text left as it was; at them it compiles.
TEST_F(FormulaTest, LimitsRefuseWithAMessage)
{
    std::string constants;
    for (int i = 1; i <= kFormulaMaxConstants + 1; ++i)
        constants += "+x*" + std::to_string(i) + ".5";
    std::string words = "x" + Repeat("+y+x", kFormulaMaxCode / 4);
    const LimitCase cases[] = {
        {Repeat("(", kFormulaMaxNesting) + "1", 0},
        {Repeat("(", kFormulaMaxNesting + 1) + "1", message::kFormulaTooDeep},
        {Repeat("sqrt ", kFormulaMaxNesting) + "1", 0},
        {Repeat("sqrt ", kFormulaMaxNesting + 1) + "1", message::kFormulaTooDeep},
        {Repeat("2^", kFormulaMaxNesting) + "1", 0},
        {Repeat("2^", kFormulaMaxNesting + 1) + "1", message::kFormulaTooDeep},
        {Repeat("max(1;", kFormulaMaxNesting + 1), message::kFormulaTooDeep},
        // Long chains of signs and "¬" do not nest.
        {Repeat("-", 5000) + "1", 0},
        {Repeat("\u00AC", 3000) + "1", 0},
        // Six operands wait at each level: the evaluation stack runs out before the nesting limit.
        {Repeat("x|x&x<x+x*x^(", 50) + "1", message::kFormulaTooDeep},
        {Repeat("x|x&x<x+x*x^(", 40) + "1", 0},
        {constants, message::kFormulaTooLong},
        {words, message::kFormulaTooLong},
        {"x" + Repeat("+y+x", kFormulaMaxCode / 4 - 1), 0},
        // Folded constants take no room.
        {"0" + Repeat("+1", 10000), 0},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        String text;
        text.AssignBytes(c.text);
        Formula formula;
        EXPECT_EQ(formula.Compile(text, 4, variables), c.refusal);
        if (c.refusal != 0) {
            EXPECT_EQ(text.View(), c.text);
            EXPECT_TRUE(formula.IsEmpty());
            EXPECT_TRUE(std::isnan(formula.Evaluate()));
        } else {
            EXPECT_FALSE(formula.IsEmpty());
        }
    }
}

TEST(FormulaMessages, RefusalsHaveTheirTexts)
{
    Message message;
    SetFormulaMessage(message, message::kFormulaTooDeep, "((((1");
    String text;
    message.Format(text);
    EXPECT_EQ(message.code, 3930);
    EXPECT_NE(text.Find(0, "((((1"), -1) << text.CStr();
    EXPECT_NE(text.Find(0, "100"), -1) << text.CStr();
    SetFormulaMessage(message, message::kFormulaTooLong, "x");
    message.Format(text);
    EXPECT_EQ(message.code, 3931);
    EXPECT_NE(text.Find(0, "128"), -1) << text.CStr();
    EXPECT_NE(text.Find(0, "2048"), -1) << text.CStr();
}

// Restores the process-wide separators and the C library's locale after a test that changes them.
class SeparatorAndLocaleGuard {
public:
    SeparatorAndLocaleGuard() : separators(GetSeparators()), locale(std::setlocale(LC_ALL, nullptr)) {}
    ~SeparatorAndLocaleGuard()
    {
        SetSeparators(separators);
        std::setlocale(LC_ALL, locale.c_str());
    }

private:
    SeparatorPair separators;
    std::string locale;
};

// "." and "," mark the decimal point whatever the separators; the thousands separator in use is
// skipped and a decimal separator of its own is taken too. The C library's locale changes nothing.
TEST(FormulaLocale, SeparatorsAndLocale)
{
    SeparatorAndLocaleGuard guard;
    struct SeparatorCase {
        SeparatorPair separators;
        const char* text;
        const char* canonical;
        double value;
    };
    const SeparatorCase cases[] = {
        {{u',', u'.'}, "1.234,5", "1.234,5", 1234.5},
        {{u',', u'.'}, "1,5*2", "1,5*2", 3},
        {{u'.', u','}, "1,5*2", "1,5*2", 3},
        {{u'.', u'\''}, "1'000+1", "1'000+1", 1001},
        {{u'.', u' '}, "1'000+1", "1", 1},
        {{u'.', 0}, "1 000+1", "1 000+1", 1001},
        {{u'.', 0x00A0}, "1\u00A0000", "1\u00A0000", 1000},
        {{0x066B, 0x066C}, "1\u066C000\u066B5", "1\u066C000\u066B5", 1000.5},
    };
    const char* locales[] = {"C", "de_DE.UTF-8", "fr_FR.UTF-8"};
    for (const char* locale : locales) {
        std::setlocale(LC_ALL, locale);  // may be missing on the machine: then "C" stays
        for (const SeparatorCase& c : cases) {
            SCOPED_TRACE(std::string(locale) + " " + c.text);
            SetSeparators(c.separators);
            String text;
            text.AssignCStr(c.text);
            Formula formula;
            ASSERT_EQ(formula.Compile(text, 0, nullptr), 0);
            EXPECT_STREQ(text.CStr(), c.canonical);
            EXPECT_EQ(formula.Evaluate(), c.value);
        }
    }
}

TEST(FormulaText, EvaluateFormulaText)
{
    EXPECT_EQ(EvaluateFormulaText("2*12.5"), 25.0);
    EXPECT_EQ(EvaluateFormulaText(" 100 - 12,5% "), 99.875);
    EXPECT_TRUE(std::isnan(EvaluateFormulaText(nullptr)));
    EXPECT_TRUE(std::isnan(EvaluateFormulaText("")));
    EXPECT_TRUE(std::isnan(EvaluateFormulaText("total")));
    EXPECT_TRUE(std::isnan(EvaluateFormulaText(Repeat("(", 200).c_str())));
}

TEST(FormulaText, StartsWithFormulaOperator)
{
    struct OperatorCase {
        const char* text;
        bool starts;
    };
    const OperatorCase cases[] = {
        {"+1", true},        {"-x", true},       {"*2", true},        {"/2", true},     {":3", true},
        {"^2", true},        {"<3", true},       {"=<3", true},       {"!=2", true},    {"\u22602", true},
        {"&x", true},        {"|x", true},       {"\u00ACx", true},   {"sqrt 2", true}, {"SQRT(2)", true},
        {"max(1;2)", true},  {"\u221A(2)", true}, {"sqrt2", false},   {"sqrtx", false}, {"x+1", false},
        {"2", false},        {"", false},        {"(1)", false},      {"ran", false},   {"ran ", true},
        {"!x", false},       {"exp(1)", true},   {"expense", false},
    };
    for (const OperatorCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StartsWithFormulaOperator(c.text), c.starts);
    }
    EXPECT_FALSE(StartsWithFormulaOperator(nullptr));
}

// "ran" draws the program's one sequence: seed * 75 mod 2^31 - 1.
TEST(FormulaRandom, DrawsTheProgramSequence)
{
    String text;
    text.AssignCStr("ran*2");
    Formula formula;
    ASSERT_EQ(formula.Compile(text, 0, nullptr), 0);
    SetRandomUnitSeed(1.0);
    EXPECT_EQ(formula.Evaluate(), 2.0 * 75.0 / 2147483647.0);
    EXPECT_EQ(formula.Evaluate(), 2.0 * 5625.0 / 2147483647.0);
    SeedRandomUnit();
}

TEST(FormulaLifecycle, RecompilingReplacesTheBlock)
{
    Formula formula;
    EXPECT_TRUE(formula.IsEmpty());
    EXPECT_TRUE(std::isnan(formula.Evaluate()));
    String text;
    text.AssignCStr("1+1");
    ASSERT_EQ(formula.Compile(text, 0, nullptr), 0);
    EXPECT_EQ(formula.Evaluate(), 2.0);
    text.AssignCStr("  ");
    ASSERT_EQ(formula.Compile(text, 0, nullptr), 0);
    EXPECT_TRUE(formula.IsEmpty());
    EXPECT_STREQ(text.CStr(), "");
}

}  // namespace
}  // namespace vek
