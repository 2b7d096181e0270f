#include "model/expressions/TextMatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "model/expressions/ConditionCompiler.h"

namespace vek {
namespace {

std::string Canonical(TextMatcher& matcher, const std::string& typed,
                      TextMatcherMode mode = TextMatcherMode::Expression,
                      int32_t caseMode = kTextMatcherKeepCase)
{
    String text;
    text.AssignBytes(typed);
    EXPECT_EQ(matcher.Compile(text, caseMode, mode), 0);
    return std::string(text.View());
}

struct CanonicalCase {
    const char* typed;
    const char* canonical;
};

constexpr CanonicalCase kCanonicalCases[] = {
    {"", ""},
    {"abc", "abc"},
    {"a b", "a b"},
    {"\\", "\\"},
    {"¬\\", "¬\\"},
    {"\\(ab)", "\\{ab}"},
    {"\\{ab;cd", "\\{ab;cd}"},
    {"\\(a(b", "\\{a{b}}"},
    {"\\a**", "\\a*"},
    {"\\a***b", "\\a*b"},
    {"\\'*", "\\'*'"},
    {"\\\"a|b", "\\\"a|b\""},
    {"\\a…", "\\a"},
    {"\\a…*", "\\a*"},
    {"\\a}b", "\\a"},
    {"a|", "a|\\"},
    {"|a", "\\|a"},
    {"a||b", "a|b"},
    {"a&|b", "a&b"},
    {"()", "(\\)"},
    {"(a", "(a)"},
    {"¬", "¬\\"},
    {"¬¬a", "a"},
    {"a)b", "a"},
    {"a..b", "a…b"},
    {"a__b", "a……b"},
    {"a--b", "a¬b"},
    {"a++b", "a|b"},
    {"a+-b", "a±b"},
    {"'a..b'", "'a..b'"},
    {"(\\a)", "(\\a)"},
    {"(\\{a)", "(\\{a})"},
    {"\\a+:", "\\a+"},
    {"\\^", "\\^"},
};

TEST(TextMatcherTest, CanonicalTexts)
{
    for (const CanonicalCase& test : kCanonicalCases) {
        SCOPED_TRACE(test.typed);
        TextMatcher matcher;
        EXPECT_EQ(Canonical(matcher, test.typed), test.canonical);
    }
}

struct MatchCase {
    const char* typed;
    const char* text;
    bool passes;
};

constexpr MatchCase kMatchCases[] = {
    {"", "", true},
    {"", "anything", true},
    {"abc", "xABCx", true},
    {"abc", "xABx", false},
    {"abc", "", false},
    {"\\abc", "ABC", true},
    {"\\abc", "xabc", false},
    {"\\abc", "abcx", false},
    {"\\abc*", "abcdef", true},
    {"\\abc*", "abc", true},
    {"\\", "", true},
    {"\\", "a", false},
    {"¬\\", "a", true},
    {"¬\\", "", false},
    {"\\a;b", "a", true},
    {"\\a;b", "b", true},
    {"\\a;b", "ab", false},
    {"\\{ab;cd}x", "abx", true},
    {"\\{ab;cd}x", "cdx", true},
    {"\\{ab;cd}x", "adx", false},
    {"\\(ab)", "AB", true},
    {"\\a+", "a", true},
    {"\\a+", "aaa", true},
    {"\\a+", "", false},
    {"\\a+", "ab", false},
    {"\\a:", "", true},
    {"\\a:", "aaaa", true},
    {"\\a:b", "b", true},
    {"\\*?", "", false},
    {"\\*?", "x", true},
    {"\\*?", "xyz", true},
    {"\\?", "é", true},
    {"\\??", "é", false},
    {"\\a…f", "C", true},
    {"\\a…f", "c", true},
    {"\\a…f", "g", false},
    {"\\^a…f", "C", false},
    {"\\^a…f", "c", true},
    {"\\^ab", "Ab", false},
    {"\\^ab", "aB", true},
    {"\\'*'", "*", true},
    {"\\'*'", "x", false},
    {"\\'*'", "", false},
    {"\\*'a;b'*", "xa;bx", true},
    {"\\*'a;b'*", "xax", false},
    {"\\{a;}b", "b", true},
    {"\\{a:}+", "", true},
    {"\\{a;b}+c", "ababbc", true},
    {"\\*a*", "bab", true},
    {"\\*a*", "bbb", false},
    {"\\é", "É", true},
    {"é", "xÉx", true},
    {"ä…ö", "Ä…Ö", true},
    {"a|b", "b", true},
    {"a|b", "c", false},
    {"a&b", "ba", true},
    {"a&b", "a", false},
    {"a¬b", "a", true},
    {"a¬b", "ab", false},
    {"a±b", "ab", false},
    {"a±b", "b", true},
    {"(a|b)&c", "bc", true},
    {"(a|b)&c", "ab", false},
    {"a|b&c", "a", true},
    {"a|b|c", "c", true},
    {"\\a*|\\*b", "ab", true},
    {"\\a*|\\*b", "ba", false},
    {"¬(a|b)", "c", true},
    {"¬(a|b)", "b", false},
    {"a|", "", true},
    {"a|", "b", false},
};

TEST(TextMatcherTest, Matches)
{
    for (const MatchCase& test : kMatchCases) {
        SCOPED_TRACE(std::string(test.typed) + " on " + test.text);
        TextMatcher matcher;
        Canonical(matcher, test.typed);
        EXPECT_EQ(matcher.MatchesCStr(test.text), test.passes);
    }
}

TEST(TextMatcherTest, EmptyTextResult)
{
    TextMatcher matcher;
    EXPECT_TRUE(matcher.EmptyTextResult());
    EXPECT_TRUE(matcher.MatchesCStr(nullptr));
    Canonical(matcher, "abc");
    EXPECT_FALSE(matcher.EmptyTextResult());
    EXPECT_FALSE(matcher.MatchesCStr(nullptr));
    EXPECT_FALSE(matcher.MatchesHeapText(nullptr));
    Canonical(matcher, "¬abc");
    EXPECT_TRUE(matcher.EmptyTextResult());
    EXPECT_TRUE(matcher.MatchesCStr(""));
    Canonical(matcher, "");
    EXPECT_TRUE(matcher.IsEmpty());
    EXPECT_TRUE(matcher.MatchesCStr("x"));
}

TEST(TextMatcherTest, MovingHandsTheBlockOver)
{
    TextMatcher matcher;
    Canonical(matcher, "abc");
    TextMatcher moved(std::move(matcher));
    EXPECT_TRUE(matcher.IsEmpty());
    EXPECT_TRUE(matcher.MatchesCStr("x"));
    EXPECT_TRUE(moved.MatchesCStr("abc"));
    EXPECT_FALSE(moved.MatchesCStr(""));
    std::vector<TextMatcher> matchers;
    matchers.push_back(std::move(moved));
    matchers.emplace_back();
    EXPECT_FALSE(matchers[0].MatchesCStr("x"));
    EXPECT_TRUE(matchers[1].MatchesCStr("x"));
}

TEST(TextMatcherTest, SingleTerm)
{
    TextMatcher matcher;
    EXPECT_EQ(Canonical(matcher, "a|b", TextMatcherMode::SingleTerm), "a|b");
    EXPECT_TRUE(matcher.MatchesCStr("xa|by"));
    EXPECT_FALSE(matcher.MatchesCStr("a"));
    // No normalisation: ".." stays two dots.
    EXPECT_EQ(Canonical(matcher, "a..b", TextMatcherMode::SingleTerm), "a..b");
    EXPECT_TRUE(matcher.MatchesCStr("A..B"));
    EXPECT_EQ(Canonical(matcher, "\\a*", TextMatcherMode::SingleTerm), "\\a*");
    EXPECT_TRUE(matcher.MatchesCStr("abc"));
    EXPECT_EQ(Canonical(matcher, "\\a|b", TextMatcherMode::SingleTerm), "\\a");
    EXPECT_EQ(Canonical(matcher, "\\", TextMatcherMode::SingleTerm), "\\");
    EXPECT_TRUE(matcher.MatchesCStr(""));
    EXPECT_FALSE(matcher.MatchesCStr("a"));
}

TEST(TextMatcherTest, CaseModeChangesTheText)
{
    TextMatcher matcher;
    EXPECT_EQ(Canonical(matcher, "abc|Def", TextMatcherMode::Expression, 0), "ABC|DEF");
    EXPECT_EQ(Canonical(matcher, "ABC", TextMatcherMode::Expression, 1), "abc");
    EXPECT_TRUE(matcher.MatchesCStr("xAbCx"));
}

struct FakeRegistry {
    void FormatText(String& out, const char* text) const
    {
        std::string shown(text);
        if (shown == "<link 7>")
            out.AssignCStr("Invoice seven");
        else
            out.AssignCStr(text);
    }
};

TEST(TextMatcherTest, MatchesDisplayTextRetriesOnTheShownText)
{
    TextMatcher matcher;
    Canonical(matcher, "seven");
    char stored[] = "<link 7>";
    EXPECT_FALSE(matcher.MatchesHeapText(stored));
    EXPECT_TRUE(matcher.MatchesDisplayText(stored, FakeRegistry{}));
    Canonical(matcher, "link");
    EXPECT_TRUE(matcher.MatchesDisplayText(stored, FakeRegistry{}));
    Canonical(matcher, "\\inv*");
    EXPECT_TRUE(matcher.MatchesDisplayText(stored, FakeRegistry{}));
    Canonical(matcher, "¬\\");
    EXPECT_TRUE(matcher.MatchesDisplayText(stored, FakeRegistry{}));
    EXPECT_TRUE(matcher.MatchesDisplayText(nullptr, FakeRegistry{}) == matcher.EmptyTextResult());
}

TEST(TextMatcherTest, CanonicalTextIsFixpoint)
{
    std::vector<std::string> typed;
    for (const CanonicalCase& test : kCanonicalCases)
        typed.push_back(test.typed);
    for (const MatchCase& test : kMatchCases)
        typed.push_back(test.typed);
    const char* samples[] = {"", "a", "ab", "abc", "xABCx", "b", "*", "C", "abx", "aaa", "é"};
    for (TextMatcherMode mode : {TextMatcherMode::Expression, TextMatcherMode::SingleTerm}) {
        for (const std::string& text : typed) {
            SCOPED_TRACE(text);
            TextMatcher first;
            std::string once = Canonical(first, text, mode);
            TextMatcher second;
            EXPECT_EQ(Canonical(second, once, mode), once);
            for (const char* sample : samples)
                EXPECT_EQ(first.MatchesCStr(sample), second.MatchesCStr(sample)) << sample;
        }
    }
}

TEST(TextMatcherTest, LimitsRefuseTheCondition)
{
    // 127 ops and the end op fit; one term more does not.
    for (int32_t terms : {64, 65}) {
        SCOPED_TRACE(terms);
        std::string typed = "a";
        for (int32_t i = 1; i < terms; ++i)
            typed += "|a";
        String text;
        text.AssignBytes(typed);
        TextMatcher matcher;
        int32_t result = matcher.Compile(text, kTextMatcherKeepCase);
        EXPECT_EQ(result, terms == 64 ? 0 : message::kConditionTooLarge);
        EXPECT_EQ(text.View(), typed);
        EXPECT_EQ(matcher.IsEmpty(), terms != 64);
    }
    // Pattern braces nest like brackets.
    for (int32_t depth : {kMaxConditionNesting, kMaxConditionNesting + 1}) {
        SCOPED_TRACE(depth);
        std::string typed = "\\" + std::string(size_t(depth), '{') + "a";
        String text;
        text.AssignBytes(typed);
        TextMatcher matcher;
        int32_t result = matcher.Compile(text, kTextMatcherKeepCase);
        if (depth <= kMaxConditionNesting) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(matcher.MatchesCStr("A"));
        } else {
            EXPECT_EQ(result, message::kConditionTooDeep);
            EXPECT_EQ(text.View(), typed);
        }
    }
    // Many states: 340 "*?" items need 1020 states and the accepting one; 345 need more than 1030.
    for (int32_t items : {340, 345}) {
        SCOPED_TRACE(items);
        std::string typed = "\\";
        for (int32_t i = 0; i < items; ++i)
            typed += "*?";
        String text;
        text.AssignBytes(typed);
        TextMatcher matcher;
        int32_t result = matcher.Compile(text, kTextMatcherKeepCase);
        EXPECT_EQ(result, items == 340 ? 0 : message::kConditionTooLarge);
    }
}

// A pattern whose loops can reach the same state by many ways keeps one entry per state.
TEST(TextMatcherTest, LoopsDoNotMultiplyStates)
{
    TextMatcher matcher;
    std::string typed = "\\";
    for (int32_t i = 0; i < 30; ++i)
        typed += "{a:}:";
    typed += "b";
    Canonical(matcher, typed);
    std::string text(5000, 'a');
    EXPECT_FALSE(matcher.MatchesCStr(text.c_str()));
    text += "b";
    EXPECT_TRUE(matcher.MatchesCStr(text.c_str()));
}

}  // namespace
}  // namespace vek
