// CommandOptions: the option table of a command and the one loop that reads a command's words
// against it.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace vek {

class CommandWords;

// Whether an option takes the word after it as its value.
enum class CommandOptionValue { None, NextWord };

// One option a command takes: its name (compared without regard to case) and what it does with its
// value (empty for an option without one, and when the line ends where the value would be).
struct CommandOption {
    std::string_view name;
    CommandOptionValue value;
    std::function<void(const std::string& value)> apply;
};

// Takes the command's remaining words in order. An option of the table is applied as it comes; any
// other word that looks like an option (IsCommandOption), and a plain word that `plain` does not take
// (it answers false), is refused, so that refusals are reported in the order of the words.
void ReadCommandOptions(CommandWords& words, std::span<const CommandOption> options,
                        const std::function<bool(const std::string& word)>& plain,
                        const std::function<void(const std::string& word)>& refuse);

}  // namespace vek
