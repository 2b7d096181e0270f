#include "model/expressions/ValueCondition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "model/expressions/ConditionCompiler.h"

namespace vek {
namespace {

const double kUndefined = std::numeric_limits<double>::quiet_NaN();

// Compiles and returns the canonical text; the result must be 0.
std::string Canonical(ValueCondition& condition, const std::string& typed)
{
    String text;
    text.AssignBytes(typed);
    EXPECT_EQ(condition.Compile(text), 0);
    return std::string(text.View());
}

struct CanonicalCase {
    const char* typed;
    const char* canonical;
};

// The typed forms, the repairs and the rewriting of operators and numbers.
constexpr CanonicalCase kCanonicalCases[] = {
    {"", ""},
    {"   ", ""},
    {"5", "5"},
    {" 5 ", "5"},
    {"5…10", "5…10"},
    {"5…", "5"},
    {"5…abc", "5"},
    {">=3", ">=3"},
    {"=>3", ">=3"},
    {"≥3", ">=3"},
    {"<=3", "<=3"},
    {"=<3", "<=3"},
    {"≤3", "<=3"},
    {"<>0", "<>0"},
    {"≠0", "<>0"},
    {"><0", "<>0"},
    {"<>=0", "<>0"},
    {"==5", "=5"},
    {"=\\", "\\"},
    {"\\", "\\"},
    {"¬\\", "¬\\"},
    {">", "\\"},
    // ">=" without its number becomes "\" at once (reading ">\" back would give "\": no fixpoint).
    {">=", "\\"},
    {">\\", "\\"},
    {">abc|5", "\\|5"},
    {"(1|2", "(1|2)"},
    {"((1", "((1))"},
    {"1)", "1"},
    {"1)|2", "1"},
    {"1..5", "1…5"},
    {"1...5", "1…5"},
    {"1_5", "1…5"},
    {"--5", "¬5"},
    {"---5", "¬5"},
    {"1++2", "1|2"},
    {"1+++2", "1|2"},
    {"1+-2", "1±2"},
    {"1||2", "1|2"},
    {"1&|2", "1&2"},
    {"1|&±2", "1|2"},
    {"1±±2", "1±2"},
    {"¬¬5", "5"},
    {"¬¬¬5", "¬5"},
    {"abc|5", "|5"},
    {"abc&5", "&5"},
    {"5|", "5|"},
    {"5¬", "5¬"},
    {"abc", ""},
    {"()", "()"},
    {"1.50", "1.5"},
    {"1,5", "1.5"},
    {"1 000", "1000"},
    {"1e3", "1000"},
    {"-0.25", "-0.25"},
    {"1e400", "+inf"},
    {"'1..5'", "1.5"},  // quotes keep the dots, and the number reader takes the last point
    {"(>0)±(<10)", "(>0)±(<10)"},
    {"<0|>1000", "<0|>1000"},
    {"1&2|3&4", "1&2|3&4"},
    // Found by fuzzing: an operand deleted between two operators left them side by side, and the
    // text read back differently.
    {"1.\xAE" "0|-|1", "1|1"},
    {"1|¬¬|2", "1|2"},
    {"1|-±2", "1|2"},
    {"1&x&2", "1&2"},
    {"-|1", "|1"},
    {"(-|1", "(|1)"},
    {"1|-¬1", "1|¬1"},
    {"\x01--~-- ", ""},  // "¬¬" left behind by two deleted operands
};

TEST(ValueConditionTest, CanonicalTexts)
{
    for (const CanonicalCase& test : kCanonicalCases) {
        SCOPED_TRACE(test.typed);
        ValueCondition condition;
        EXPECT_EQ(Canonical(condition, test.typed), test.canonical);
    }
}

struct MatchCase {
    const char* typed;
    double value;
    bool passes;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const MatchCase kMatchCases[] = {
    {"", 7, true},
    {"", kNaN, true},
    {"5", 5, true},
    {"5", 5.5, false},
    {"5", kNaN, false},
    {"5…10", 5, true},
    {"5…10", 10, true},
    {"5…10", 10.01, false},
    {"5…10", kNaN, false},
    {">=3", 3, true},
    {">=3", 2.99, false},
    {"<3", 2, true},
    {"<=3", 3, true},
    {">3", 3, false},
    {"<>0", 1, true},
    {"<>0", 0, false},
    {"<>0", kNaN, false},
    {"\\", kNaN, true},
    {"\\", 0, false},
    {"¬\\", 0, true},
    {"¬\\", kNaN, false},
    {">", kNaN, true},
    {"1±2", 1, true},
    {"1±2", 2, true},
    {"1±2", 3, false},
    {"(>0)±(<10)", 0, true},
    {"(>0)±(<10)", 5, false},
    {"(>0)±(<10)", 10, true},
    {"¬5", 4, true},
    {"¬5", 5, false},
    {"¬5", kNaN, true},
    {"1|2|3", 3, true},
    {"1|2|3", 1, true},
    {"1|2|3", 4, false},
    {">0&<10&¬5", 4, true},
    {">0&<10&¬5", 5, false},
    {">0&<10&¬5", 10, false},
    {">0¬5", 5, false},
    {">0¬5", 6, true},
    // "&" binds tighter than "±", which binds tighter than "|".
    {"1&2|3", 3, true},
    {"1|2&3", 1, true},
    {"1|2&3", 2, false},
    {">0±>5&<10", 7, false},
    {">0±>5&<10", 12, true},
    {"(1|2)&(2|3)", 2, true},
    {"(1|2)&(2|3)", 1, false},
    {"((1|2)|3)|4", 4, true},
    {"(1&2)|(3&3)", 3, true},
    // An operand deleted as unreadable leaves the other one in force.
    {"abc|5", 5, true},
    {"abc|5", 4, false},
    {"abc&5", 5, true},
    {"5|", 5, true},
    {"5|", 4, false},
    {"abc¬5", 5, false},
    {"abc¬5", 4, true},
    {"¬abc", 4, true},
    {"1e400", std::numeric_limits<double>::infinity(), true},
};

TEST(ValueConditionTest, Matches)
{
    for (const MatchCase& test : kMatchCases) {
        SCOPED_TRACE(std::string(test.typed) + " with " + std::to_string(test.value));
        ValueCondition condition;
        Canonical(condition, test.typed);
        EXPECT_EQ(condition.Matches(test.value), test.passes);
    }
}

TEST(ValueConditionTest, EmptyConditionHasNoBlock)
{
    ValueCondition condition;
    Canonical(condition, "  ");
    EXPECT_TRUE(condition.IsEmpty());
    Canonical(condition, "abc");
    EXPECT_TRUE(condition.IsEmpty());
    Canonical(condition, "5");
    EXPECT_FALSE(condition.IsEmpty());
}

// The canonical text is a fixpoint: compiled again it comes back unchanged and means the same.
TEST(ValueConditionTest, CanonicalTextIsFixpoint)
{
    std::vector<std::string> texts;
    for (const CanonicalCase& test : kCanonicalCases)
        texts.push_back(test.typed);
    for (const MatchCase& test : kMatchCases)
        texts.push_back(test.typed);
    const double values[] = {-1, 0, 1, 2, 3, 4, 5, 6, 10, 12, kNaN};
    for (const std::string& typed : texts) {
        SCOPED_TRACE(typed);
        ValueCondition first;
        std::string once = Canonical(first, typed);
        ValueCondition second;
        EXPECT_EQ(Canonical(second, once), once);
        for (double value : values)
            EXPECT_EQ(first.Matches(value), second.Matches(value)) << value;
    }
}

TEST(ValueConditionTest, CanonicalNumbersDoNotFollowTheLocale)
{
    SeparatorPair saved = GetSeparators();
    SetSeparators(SeparatorPair{u',', u'.'});
    ValueCondition condition;
    EXPECT_EQ(Canonical(condition, "1234567,5|>2.25"), "1234567.5|>2.25");
    EXPECT_TRUE(condition.Matches(1234567.5));
    SetSeparators(saved);
}

TEST(ValueConditionTest, NestingBeyondTheLimitIsRefused)
{
    for (int32_t depth : {kMaxConditionNesting, kMaxConditionNesting + 1}) {
        SCOPED_TRACE(depth);
        std::string typed = std::string(size_t(depth), '(') + "5";
        String text;
        text.AssignBytes(typed);
        ValueCondition condition;
        int32_t result = condition.Compile(text);
        if (depth <= kMaxConditionNesting) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(text.View(), typed + std::string(size_t(depth), ')'));
            EXPECT_TRUE(condition.Matches(5));
            EXPECT_FALSE(condition.Matches(4));
        } else {
            EXPECT_EQ(result, message::kConditionTooDeep);
            EXPECT_EQ(text.View(), typed);  // left as given
            EXPECT_TRUE(condition.IsEmpty());
        }
    }
    // "¬" nests as deep as brackets do; pairs cancel before they count.
    String nots;
    for (int32_t i = 0; i < 2 * kMaxConditionNesting; ++i)
        nots.AppendCStr("¬");
    nots.AppendChar('5');
    ValueCondition condition;
    EXPECT_EQ(condition.Compile(nots), 0);
    EXPECT_EQ(nots.View(), "5");
}

TEST(ValueConditionTest, LongTextsAreCutOrRefused)
{
    // Cut to the limit before compiling, at a character boundary.
    std::string typed = "1";
    while (typed.size() < 2000)
        typed += "|1";
    String text;
    text.AssignBytes(typed);
    ValueCondition condition;
    EXPECT_EQ(condition.Compile(text), 0);
    EXPECT_LE(text.Length(), kConditionTextLimit);
    EXPECT_TRUE(condition.Matches(1));

    // A canonical text that grows beyond the limit would be cut when read back: refused.
    std::string growing;
    while (growing.size() < 1000)
        growing += "1e9|";
    text.AssignBytes(growing);
    EXPECT_EQ(condition.Compile(text), message::kConditionTooLarge);
    EXPECT_EQ(text.View(), growing);
}

TEST(ValueConditionTest, NormalizeConditionText)
{
    const CanonicalCase cases[] = {
        {"1..5", "1…5"}, {"1_5", "1…5"},     {"a--b", "a¬b"},  {"a++b", "a|b"}, {"a+-b", "a±b"},
        {"a+--b", "a±-b"}, {"'a..b'c..d", "'a..b'c…d"}, {"\"x++\"", "\"x++\""}, {"'x..", "'x.."},
        {"-1+2.5", "-1+2.5"},
    };
    for (const CanonicalCase& test : cases) {
        SCOPED_TRACE(test.typed);
        String text;
        text.AssignCStr(test.typed);
        NormalizeConditionText(text);
        EXPECT_EQ(text.View(), test.canonical);
    }
}

}  // namespace
}  // namespace vek
