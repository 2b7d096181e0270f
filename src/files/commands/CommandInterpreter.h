// CommandInterpreter: the command language that automates a base, one command a line.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

class Template;
class Base;
class FilePath;
class Subset;
class TextReader;
struct CommandOption;

// The tokenizer of command texts: "//" and "/*" ... "*/" comments skipped, single and double quotes,
// a backslash at the end of a line joins the next line.
constexpr uint32_t kCommandTokenFlags = 0x1C003;
// The longest command line that runs; a longer one is passed over with message 3882.
constexpr int32_t kMaxCommandLineBytes = 1 << 20;

// Kinds of the objects a command names by one word (masks of ResolveObject).
constexpr int32_t kObjectBase = 1;
constexpr int32_t kObjectSubset = 2;
constexpr int32_t kObjectTemplate = 4;
constexpr int32_t kObjectGroup = 8;

// What a word of a command names: kind 0 when nothing.
struct CommandObject {
    int32_t kind = 0;
    Subset* subset = nullptr;
    Template* templateNode = nullptr;  // a template or a template group
};

// The words of a command line after the command word, copied out of the reader (a token lives only
// until the next one) and ended by a word that begins with "//".
class CommandWords {
public:
    void Add(std::string word) { words.push_back(std::move(word)); }
    bool More() const { return next < words.size(); }
    const std::string& Take() { return words[next++]; }
    // The words after the current one, as given.
    const std::vector<std::string>& All() const { return words; }

private:
    std::vector<std::string> words;
    size_t next = 0;
};

// The command line as the log shows it: the word after each "-pw" option (a password) is replaced
// by "****".
std::string CommandLineWithoutPasswords(std::string_view line);

// A word that begins with "-" and has more: an option.
bool IsCommandOption(const std::string& word);
// The option word equals the name without regard to case.
bool CommandOptionIs(const std::string& word, std::string_view name);

// One run of a command text for a base: reads the reader's lines from the current position, runs one
// command a line and reports every bad word as a numbered message through the base's error alert
// (Base::ReportError). A line that begins with "##" or "•••" starts the next base-file section: the
// run stops there and leaves that line to be read again. The run ends early when an error is pending
// (the cancel flag) or after `quit`. It owns nothing; the base and the reader outlive it.
//
// Safety: the text is untrusted. Paths are taken relative to the base's folder and checked as every
// path is; a line longer than kMaxCommandLineBytes is refused (3882); closing the base and quitting
// are only queued (PostDeferredTask), so the base outlives the run; `quit` also ends the run.
class CommandInterpreter {
public:
    CommandInterpreter(Base& base, TextReader& reader);
    CommandInterpreter(const CommandInterpreter&) = delete;
    CommandInterpreter& operator=(const CommandInterpreter&) = delete;

    void Run();

    // The object a word names among the kinds of the mask, tried in the order base, subset, then
    // template or group; message 3824 with the word and kind 0 when none.
    CommandObject ResolveObject(int32_t mask, std::string_view word);
    // Message `code` with the text as its one argument, through the base's error alert.
    void ReportError(int32_t code, std::string_view text);

    // `quit` ran: the program is to quit once the run has ended.
    bool QuitRequested() const { return quitRequested; }

private:
    using Handler = void (CommandInterpreter::*)(CommandWords&);
    struct Command {
        const char* name;
        Handler handler;
    };
    static const Command kCommands[];

    void RunLine();
    CommandWords ReadWords();
    void Refuse(const std::string& word) { ReportError(kWordRefused, word); }
    // The command's remaining words against its option table (ReadCommandOptions), refused through
    // Refuse.
    void ReadOptions(CommandWords& words, std::span<const CommandOption> options,
                     const std::function<bool(const std::string& word)>& plain);
    // The dimension a word names (names or number 1-32), reporting 3821 unless silent; -1 when none.
    int32_t FindDimension(const std::string& word, bool silent);
    // The path a command names, relative to the folder of the base's file; false (reported) when it
    // cannot be one.
    bool ResolvePath(const std::string& text, FilePath& out);

    // Handlers, in the order of the command table (CommandInterpreter.cpp and CommandHandlers.cpp).
    void NotAvailable(CommandWords& words);
    void Beep(CommandWords& words);
    void Close(CommandWords& words);
    void DeleteCards(CommandWords& words);
    void DeleteComponent(CommandWords& words);
    void DeleteMacro(CommandWords& words);
    void DeleteSaveSetup(CommandWords& words);
    void DeleteSubset(CommandWords& words);
    void DeleteTemplate(CommandWords& words);
    void DimOptions(CommandWords& words);
    void DuplicateTemplate(CommandWords& words);
    void ErrorFile(CommandWords& words);
    void Execute(CommandWords& words);
    void Import(CommandWords& words);
    void Notice(CommandWords& words);
    void Modify(CommandWords& words);
    void NewComponent(CommandWords& words);
    void OpenFile(CommandWords& words);
    void OpenUrl(CommandWords& words);
    void Password(CommandWords& words);
    void Quit(CommandWords& words);
    void Save(CommandWords& words);
    void Signature(CommandWords& words);
    void WebVekServer(CommandWords& words);
    void SortComponents(CommandWords& words);

    static constexpr int32_t kWordRefused = 3820;

    Base& base;
    TextReader& reader;
    std::string commandWord;
    bool quitRequested = false;
};

// Runs the reader's lines as a command text for the base (CommandInterpreter::Run).
void RunCommandText(Base& base, TextReader& reader);
// The same over a text in memory (UTF-8; lines end in CR, LF or CR LF).
void RunCommandText(Base& base, std::string_view text);

// The files layer's start-up step: registers the command interpreter as the model's
// CommandTextRunner, so that macros and base-file commands run through it.
void RegisterFilesLayerServices();

}  // namespace vek
