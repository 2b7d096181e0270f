// CommandLine: the arguments of the program vek, what they ask for, and its exit codes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace vek {

// Exit codes of vek.
constexpr int kExitDone = 0;
constexpr int kExitFileNotOpened = 1;  // a file named on the command line could not be opened
constexpr int kExitBadUsage = 2;

enum class CommandLineAction { Run, ShowVersion, ShowHelp, BadUsage };

// What the arguments ask for. Options: --headless, --version, --help, --user CODE (or --user=CODE),
// --threads N (the thread-count option the tools share; taken and passed over here), --xml-request IN
// with --xml-answer OUT (the XML interface run once over the one base file given: the run is
// headless); "--" ends the options. Every other argument is a base file.
struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    bool headless = false;
    bool hasUserCode = false;
    std::string userCode;
    std::string xmlRequest;
    std::string xmlAnswer;
    std::vector<std::string> files;
    // For BadUsage: the message number (7450-7452) and the word it names.
    int32_t usageMessage = 0;
    std::string usageWord;
};

// Reads the arguments (argv[1] on). A run without a display needs a file: without one it is bad
// usage (message 7452), which the caller decides by `headless` after the display was looked for,
// through CheckHeadlessFiles.
CommandLine ParseCommandLine(std::span<char* const> arguments);
void CheckHeadlessFiles(CommandLine& line);

// Answers the command line without running the program: prints the version or the help on `out`,
// or the usage message on `errors`; the exit code, or -1 when the program is to run.
int AnswerCommandLine(const CommandLine& line, std::FILE* out, std::FILE* errors);

// The command line of vek's main: reads the arguments, runs headless when no display can be used
// (`displayUsable` false), answers --version, --help and bad usage on stdout and stderr, and sets the
// user code given. The exit code, or -1 when the program is to run as `line` says.
int ReadProgramCommandLine(int argc, char** argv, bool displayUsable, CommandLine& line);

// The program's own argument vector for the run: the program name and the files, which the run
// opens as documents (the options and their values are not files).
class ProgramArguments {
public:
    ProgramArguments(const char* programName, const std::vector<std::string>& files);
    int Count() const { return static_cast<int>(pointers.size()) - 1; }
    char** Vector() { return pointers.data(); }

private:
    std::vector<std::string> texts;
    std::vector<char*> pointers;
};

}  // namespace vek
