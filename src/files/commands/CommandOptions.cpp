// CommandOptions: reading a command's words against its option table.
#include "files/commands/CommandOptions.h"

#include "files/commands/CommandInterpreter.h"

namespace vek {

void ReadCommandOptions(CommandWords& words, std::span<const CommandOption> options,
                        const std::function<bool(const std::string& word)>& plain,
                        const std::function<void(const std::string& word)>& refuse)
{
    while (words.More()) {
        const std::string& word = words.Take();
        const CommandOption* found = nullptr;
        for (const CommandOption& option : options) {
            if (CommandOptionIs(word, option.name)) {
                found = &option;
                break;
            }
        }
        if (found != nullptr) {
            if (found->value == CommandOptionValue::NextWord && words.More())
                found->apply(words.Take());
            else
                found->apply(std::string());
        } else if (IsCommandOption(word) || !plain(word)) {
            refuse(word);
        }
    }
}

}  // namespace vek
