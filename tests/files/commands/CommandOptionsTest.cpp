// The one loop that reads a command's words against its option table: options by name without regard
// to case, values taken from the next word, plain words, and refusals in the order of the words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/commands/CommandInterpreter.h"
#include "files/commands/CommandOptions.h"

namespace vek {
namespace {

struct OptionCase {
    const char* what;
    std::vector<std::string> words;
    const char* events;  // what the loop did, in order
};

TEST(CommandOptionsTest, OptionsPlainWordsAndRefusalsComeInTheOrderOfTheWords)
{
    const OptionCase cases[] = {
        {"an option and a plain word", {"-flag", "a"}, "flag plain:a"},
        {"names without regard to case, a value", {"-VALUE", "x", "b"}, "value:x plain:b"},
        {"a value missing at the line end is empty", {"-value"}, "value:"},
        {"a value is the next word even when it looks like an option", {"-value", "-flag"}, "value:-flag"},
        {"unknown options and surplus plain words are refused where they stand",
         {"-bogus", "a", "b", "-flag"}, "refused:-bogus plain:a refused:b flag"},
        {"a lone dash is a plain word", {"-", "a"}, "plain:- refused:a"},
        {"no words", {}, ""},
    };
    for (const OptionCase& test : cases) {
        SCOPED_TRACE(test.what);
        std::string events;
        auto note = [&events](const std::string& event) {
            if (!events.empty())
                events += ' ';
            events += event;
        };
        const CommandOption options[] = {
            {"-flag", CommandOptionValue::None, [&](const std::string&) { note("flag"); }},
            {"-value", CommandOptionValue::NextWord, [&](const std::string& value) { note("value:" + value); }},
        };
        int32_t plainCount = 0;
        CommandWords words;
        for (const std::string& word : test.words)
            words.Add(word);
        ReadCommandOptions(
            words, options,
            [&](const std::string& word) {
                if (plainCount == 1)
                    return false;
                ++plainCount;
                note("plain:" + word);
                return true;
            },
            [&](const std::string& word) { note("refused:" + word); });
        EXPECT_EQ(events, test.events);
        EXPECT_FALSE(words.More());
    }
}

}  // namespace
}  // namespace vek
