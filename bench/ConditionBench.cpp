// Running compiled number conditions over amounts and text conditions over line texts: the inner
// loops of every selection and search.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/strings/String.h"
#include "model/expressions/TextMatcher.h"
#include "model/expressions/ValueCondition.h"

namespace {

using namespace vek;

const std::vector<double>& Amounts()
{
    static const std::vector<double> amounts = [] {
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> value(-2000, 2000);
        std::vector<double> values(4096);
        for (double& v : values)
            v = double(int64_t(value(random) * 100)) / 100;
        return values;
    }();
    return amounts;
}

const std::vector<std::string>& LineTexts()
{
    static const std::vector<std::string> texts = [] {
        const char* words[] = {"Invoice", "payment", "rent", "Office", "supplies", "travel", "bill", "March",
                               "north", "consulting", "hours", "refund"};
        std::mt19937_64 random(11);
        std::uniform_int_distribution<int> pick(0, 11);
        std::vector<std::string> result(4096);
        for (std::string& text : result)
            for (int i = 0; i < 4; ++i)
                text += std::string(words[pick(random)]) + (i < 3 ? " " : "");
        return result;
    }();
    return texts;
}

void ValueConditionMatches(benchmark::State& state, const char* typed)
{
    String text;
    text.AssignCStr(typed);
    ValueCondition condition;
    if (condition.Compile(text) != 0)
        state.SkipWithError("refused");
    const std::vector<double>& amounts = Amounts();
    int64_t passed = 0;
    for (auto _ : state) {
        for (double amount : amounts)
            passed += condition.Matches(amount);
        benchmark::DoNotOptimize(passed);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(amounts.size()));
}
BENCHMARK_CAPTURE(ValueConditionMatches, comparison, ">0");
BENCHMARK_CAPTURE(ValueConditionMatches, comparisons, "<0|>1000");
BENCHMARK_CAPTURE(ValueConditionMatches, ranges, "1…10¬5|100…200|(>-50&<-40)±<-1900");

void TextMatcherMatches(benchmark::State& state, const char* typed)
{
    String text;
    text.AssignCStr(typed);
    TextMatcher matcher;
    if (matcher.Compile(text, kTextMatcherKeepCase) != 0)
        state.SkipWithError("refused");
    const std::vector<std::string>& texts = LineTexts();
    int64_t passed = 0;
    for (auto _ : state) {
        for (const std::string& line : texts)
            passed += matcher.MatchesCStr(line.c_str());
        benchmark::DoNotOptimize(passed);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(texts.size()));
}
BENCHMARK_CAPTURE(TextMatcherMatches, word, "refund");
BENCHMARK_CAPTURE(TextMatcherMatches, words, "invoice&¬march|bill");
BENCHMARK_CAPTURE(TextMatcherMatches, pattern, "\\invoice*;*{bill;refund}");

}  // namespace
