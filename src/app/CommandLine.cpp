// CommandLine: reading vek's options, answering --version, --help and bad usage.
#include "app/CommandLine.h"

#include <cstring>
#include <string_view>

#include "app/HeadlessXmlRun.h"
#include "app/UserCode.h"
#include "files/ProgramVersion.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

constexpr char kUsageText[] =
    "usage: vek [--headless] [--user CODE] [--threads N] [FILE...]\n"
    "       vek [--headless] --xml-request IN --xml-answer OUT FILE\n"
    "       vek --version | --help\n"
    "\n"
    "Opens each FILE as a base. On a desktop the program runs in windows; without a display, or with\n"
    "--headless, it runs without drawing: messages go to stderr, every question takes the answer that\n"
    "destroys nothing, each base's \"##Commands\" run, and the program ends once the files are open and\n"
    "their work is done.\n"
    "\n"
    "  --headless     run without windows\n"
    "  --user CODE    the user code (at most 3 characters) that stamps what this run changes\n"
    "  --threads N    the threads that share out reading, saving and analysing (default: one per\n"
    "                 processor; 1 runs everything on one thread)\n"
    "  --xml-request IN --xml-answer OUT\n"
    "                 answer the XML requests of the file IN from the base FILE into the file OUT,\n"
    "                 as the XML interface window does, then end; the errors of the answer go to\n"
    "                 stderr\n"
    "  --version      print the program's name and version\n"
    "  --help         print this text\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be opened (or the XML request read, or its answer written),\n"
    "2 bad usage.\n";

void SetUsageError(CommandLine& line, int32_t message, std::string_view word)
{
    if (line.action == CommandLineAction::BadUsage)
        return;  // the first fault is the one reported
    line.action = CommandLineAction::BadUsage;
    line.usageMessage = message;
    line.usageWord = word;
}

}  // namespace

CommandLine ParseCommandLine(std::span<char* const> arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    bool versionAsked = false;
    bool helpAsked = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view word = arguments[i] ? arguments[i] : "";
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            if (!word.empty())
                line.files.emplace_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "--headless") {
            line.headless = true;
        } else if (word == "--version") {
            versionAsked = true;
        } else if (word == "--help" || word == "-h") {
            helpAsked = true;
        } else if (word == "--user" || word == "--threads" || word == "--xml-request" || word == "--xml-answer") {
            if (i + 1 >= arguments.size() || arguments[i + 1] == nullptr) {
                SetUsageError(line, message::kUsageMissingValue, word);
                continue;
            }
            std::string_view value = arguments[++i];
            if (word == "--user") {
                line.userCode = value;
                line.hasUserCode = true;
            } else if (word == "--xml-request") {
                line.xmlRequest = value;
            } else if (word == "--xml-answer") {
                line.xmlAnswer = value;
            }
        } else if (word.substr(0, 7) == "--user=") {
            line.userCode = word.substr(7);
            line.hasUserCode = true;
        } else if (word.substr(0, 10) == "--threads=") {
            // The thread count is the tools' option; the program takes it and passes it over.
        } else {
            SetUsageError(line, message::kUsageUnknownOption, word);
        }
    }
    // The XML run answers from one base, into one file: both files or neither, and one base.
    if (!line.xmlRequest.empty() || !line.xmlAnswer.empty()) {
        if (line.xmlRequest.empty() || line.xmlAnswer.empty() || line.files.size() != 1)
            SetUsageError(line, message::kUsageXmlRequest, "");
        line.headless = true;
    }
    // --help and --version answer whatever else the line holds, as users expect of them.
    if (helpAsked)
        line.action = CommandLineAction::ShowHelp;
    else if (versionAsked)
        line.action = CommandLineAction::ShowVersion;
    return line;
}

void CheckHeadlessFiles(CommandLine& line)
{
    if (line.action == CommandLineAction::Run && line.headless && line.files.empty())
        SetUsageError(line, message::kUsageNoFile, "");
}

int AnswerCommandLine(const CommandLine& line, std::FILE* out, std::FILE* errors)
{
    switch (line.action) {
    case CommandLineAction::ShowVersion:
        std::fprintf(out, "%s\n", kProgramVersionText);
        return kExitDone;
    case CommandLineAction::ShowHelp:
        std::fputs(kUsageText, out);
        return kExitDone;
    case CommandLineAction::BadUsage: {
        Message message;
        message.code = line.usageMessage;
        message.AddText(line.usageWord.c_str());
        String text;
        message.Format(text);
        std::fprintf(errors, "%s\n", text.CStr());
        return kExitBadUsage;
    }
    case CommandLineAction::Run:
        break;
    }
    return -1;
}

int ReadProgramCommandLine(int argc, char** argv, bool displayUsable, CommandLine& line)
{
    line = ParseCommandLine(std::span<char* const>(argv + (argc > 0 ? 1 : 0), static_cast<size_t>(argc > 1 ? argc - 1 : 0)));
    if (!displayUsable)
        line.headless = true;
    CheckHeadlessFiles(line);
    int answer = AnswerCommandLine(line, stdout, stderr);
    if (answer >= 0)
        return answer;
    // A code too long is offered for cutting; nobody can agree to that yet, so none is set.
    if (line.hasUserCode)
        (void)SetUserInitials(line.userCode);
    if (!line.xmlRequest.empty())
        SetHeadlessXmlRun(line.xmlRequest, line.xmlAnswer);
    return -1;
}

ProgramArguments::ProgramArguments(const char* programName, const std::vector<std::string>& files)
{
    texts.emplace_back(programName ? programName : "vek");
    // The open requests pass over words that begin with "-": such a file (given after "--") is named
    // through its folder instead.
    for (const std::string& file : files)
        texts.push_back(file[0] == '-' ? "./" + file : file);
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
}

}  // namespace vek
