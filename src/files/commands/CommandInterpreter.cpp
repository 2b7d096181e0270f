// CommandInterpreter: the reading loop, the command table, the words of a line, object resolution,
// and the commands that act on the program rather than on the base's data.
//
// A command text is one command a line; the first word names the command (compared without regard
// to case, over the whole word, in the order of kCommands); options start with "-"; a word that
// begins with "//" ends the line's words. Each command reads the rest of its line itself, its options
// through its option table (CommandOptions.h).
#include "files/commands/CommandInterpreter.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "files/commands/CommandOptions.h"
#include "files/format/BaseFileRecord.h"
#include "foundation/messages/LogFileHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/OutOfMemory.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/named/CommandSource.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "model/named/NamedObjects.h"
#include "model/selections/SubsetList.h"
#include "model/templates/Template.h"
#include "platform/FilePath.h"
#include "platform/Sockets.h"

namespace vek {

namespace {

// --- Subsets and templates, as the command language finds them ----------------------------------------
// The one place where the interpreter reaches the base's subsets and templates by name.

Subset* FindSubsetObject(Base& base, std::string_view name)
{
    return base.Subsets().FindByName(name);
}

// A template or a template group by its path name (groups joined by ": "); `group` tells which.
Template* FindTemplateObject(Base& base, std::string_view name, bool& group)
{
    Template* node = base.FindTemplate(std::string(name).c_str());
    group = node != nullptr && node->Kind() == TemplateKind::Group;
    return node;
}

}  // namespace

// The commands in the order in which they are compared.
const CommandInterpreter::Command CommandInterpreter::kCommands[] = {
    {"aggregate", &CommandInterpreter::NotAvailable},
    {"beep", &CommandInterpreter::Beep},
    {"close", &CommandInterpreter::Close},
    {"deleteCards", &CommandInterpreter::DeleteCards},
    {"deleteComponent", &CommandInterpreter::DeleteComponent},
    {"deleteData", &CommandInterpreter::NotAvailable},
    {"deleteMacro", &CommandInterpreter::DeleteMacro},
    {"deleteSavesetup", &CommandInterpreter::DeleteSaveSetup},
    {"deleteSubset", &CommandInterpreter::DeleteSubset},
    {"deleteTemplate", &CommandInterpreter::DeleteTemplate},
    {"dimOptions", &CommandInterpreter::DimOptions},
    {"duplicateTemplate", &CommandInterpreter::DuplicateTemplate},
    {"errorFile", &CommandInterpreter::ErrorFile},
    {"execute", &CommandInterpreter::Execute},
    {"export", &CommandInterpreter::NotAvailable},
    {"import", &CommandInterpreter::Import},
    {"message", &CommandInterpreter::Notice},
    {"modify", &CommandInterpreter::Modify},
    {"newComponent", &CommandInterpreter::NewComponent},
    {"openFile", &CommandInterpreter::OpenFile},
    {"openTemplate", &CommandInterpreter::NotAvailable},
    {"openURL", &CommandInterpreter::OpenUrl},
    {"password", &CommandInterpreter::Password},
    {"print", &CommandInterpreter::NotAvailable},
    {"quit", &CommandInterpreter::Quit},
    {"save", &CommandInterpreter::Save},
    {"signature", &CommandInterpreter::Signature},
    {"sortComponents", &CommandInterpreter::SortComponents},
    {"transform", &CommandInterpreter::NotAvailable},
    {"webvekserver", &CommandInterpreter::WebVekServer},
};

std::string CommandLineWithoutPasswords(std::string_view line)
{
    std::string out;
    size_t at = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (at < line.size()) {
        // A word: up to a blank, or a quoted text to its closing quote.
        size_t start = at;
        if (line[at] == '"' || line[at] == '\'') {
            size_t close = line.find(line[at], at + 1);
            at = close == std::string_view::npos ? line.size() : close + 1;
        }
        while (at < line.size() && !isBlank(line[at]))
            ++at;
        std::string_view word = line.substr(start, at - start);
        out.append(word);
        size_t blanks = at;
        while (at < line.size() && isBlank(line[at]))
            ++at;
        out.append(line.substr(blanks, at - blanks));
        if (!CStrEqualNoCase(word, std::string_view("-pw")) || at >= line.size())
            continue;
        // The password word is left out, and the blanks after it.
        if (line[at] == '"' || line[at] == '\'') {
            size_t close = line.find(line[at], at + 1);
            at = close == std::string_view::npos ? line.size() : close + 1;
        }
        while (at < line.size() && !isBlank(line[at]))
            ++at;
        out.append("****");
        while (at < line.size() && isBlank(line[at]))
            ++at;
        if (at < line.size())
            out += ' ';
    }
    return out;
}

bool IsCommandOption(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

bool CommandOptionIs(const std::string& word, std::string_view name)
{
    return CStrEqualNoCase(std::string_view(word), name);
}

CommandInterpreter::CommandInterpreter(Base& base, TextReader& reader) : base(base), reader(reader) {}

void CommandInterpreter::ReadOptions(CommandWords& words, std::span<const CommandOption> options,
                                     const std::function<bool(const std::string& word)>& plain)
{
    ReadCommandOptions(words, options, plain, [this](const std::string& word) { Refuse(word); });
}

void CommandInterpreter::Run()
{
    reader.SetTokenizerFlags(kCommandTokenFlags);
    while (!IsErrorPending() && !quitRequested && reader.ReadLine()) {
        if (IsSectionMarker(reader.LineStart(), reader.LineLength())) {
            reader.RestartLine();
            return;
        }
        if (reader.LineLength() > kMaxCommandLineBytes) {
            Message message;
            message.code = message::kCommandLineTooLong;
            String number;
            number.AssignInt64(reader.LineLength());
            message.AddText(number.CStr());
            number.AssignInt64(kMaxCommandLineBytes);
            message.AddText(number.CStr());
            base.ShowErrorAlert(message);
            continue;
        }
        if (!reader.NextToken())
            continue;  // a blank line or a comment
        commandWord.assign(reader.Token(), size_t(reader.TokenLength()));
        LogFileHandler* log = base.LogHandler();
        int32_t logLevel = log != nullptr ? log->Indent() : 0;
        if (log != nullptr) {
            // A password never goes into a log: the line of the password command is logged
            // without it, and so is the value of a "-pw" option.
            std::string entry = "command: ";
            if (CommandOptionIs(commandWord, "password"))
                entry += commandWord;
            else
                entry += CommandLineWithoutPasswords(std::string_view(reader.LineStart(), size_t(reader.LineLength())));
            log->WriteEntry(entry.c_str(), kLogIndentAfter);
        }
        // Each command is one operation: memory that runs short in it ends that command (600).
        CatchOutOfMemory(false, [this] {
            RunLine();
            return true;
        });
        // The command leaves the log at the level where it found it, whatever the reads and runs
        // inside it left behind.
        if (log != nullptr && base.LogHandler() == log)
            log->AdjustIndent(logLevel - log->Indent());
    }
}

void CommandInterpreter::RunLine()
{
    for (const Command& command : kCommands) {
        if (CStrEqualNoCase(std::string_view(commandWord), std::string_view(command.name))) {
            CommandWords words = ReadWords();
            (this->*command.handler)(words);
            return;
        }
    }
    if (!commandWord.empty())
        ReportError(message::kUnknownCommand, commandWord);
}

CommandWords CommandInterpreter::ReadWords()
{
    CommandWords words;
    while (reader.NextToken()) {
        std::string_view token(reader.Token(), size_t(reader.TokenLength()));
        if (token.starts_with("//"))
            break;
        words.Add(std::string(token));
    }
    return words;
}

void CommandInterpreter::ReportError(int32_t code, std::string_view text)
{
    Message message;
    message.code = code;
    message.AddTextBytes(text.data(), int32_t(text.size()));
    base.ShowErrorAlert(message);
}

CommandObject CommandInterpreter::ResolveObject(int32_t mask, std::string_view word)
{
    CommandObject found;
    if ((mask & kObjectBase) != 0 && CStrEqualNoCase(word, std::string_view("base"))) {
        found.kind = kObjectBase;
        return found;
    }
    if ((mask & kObjectSubset) != 0) {
        if (Subset* subset = FindSubsetObject(base, word); subset != nullptr) {
            found.kind = kObjectSubset;
            found.subset = subset;
            return found;
        }
    }
    if ((mask & (kObjectTemplate | kObjectGroup)) != 0) {
        bool group = false;
        if (Template* node = FindTemplateObject(base, word, group); node != nullptr) {
            int32_t kind = group ? kObjectGroup : kObjectTemplate;
            if ((mask & kind) != 0) {
                found.kind = kind;
                found.templateNode = node;
                return found;
            }
        }
    }
    ReportError(message::kNoSuchObject, word);
    return found;
}

int32_t CommandInterpreter::FindDimension(const std::string& word, bool silent)
{
    int32_t d = word.empty() ? -1 : base.FindDimensionByName(word.c_str());
    if (d < 0 && !silent)
        ReportError(message::kUnknownDimension, word);
    return d;
}

bool CommandInterpreter::ResolvePath(const std::string& text, FilePath& out)
{
    // A byte 0 would cut the path short of what the command names.
    if (text.empty() || std::memchr(text.data(), 0, text.size()) != nullptr) {
        ReportError(message::kCommandPathRefused, text);
        return false;
    }
    out.SetPathRelativeTo(text, base.Path().IsEmpty() ? nullptr : &base.Path());
    return !out.IsEmpty() && !IsErrorPending();
}

// --- Commands on the program ------------------------------------------------------------------------------

void CommandInterpreter::NotAvailable(CommandWords&)
{
    ReportError(message::kCommandNotAvailable, commandWord);
}

void CommandInterpreter::Signature(CommandWords& words)
{
    // The user code stamps what the commands change from here on, where nobody can be asked for one.
    std::string code = words.More() ? words.Take() : std::string();
    while (words.More())
        Refuse(words.Take());
    // Refused (too long, and not agreed to cut) or kept by no application: the services said why.
    (void)Service<ModelServices>::Get().SetUserCode(code);
}

void CommandInterpreter::WebVekServer(CommandWords& words)
{
    // Mode 1 start, 2 stop, 0 neither (the last given counts); port 0 when none is given.
    int32_t mode = 0;
    int32_t port = 0;
    const CommandOption options[] = {
        {"-start", CommandOptionValue::None, [&](const std::string&) { mode = 1; }},
        {"-stop", CommandOptionValue::None, [&](const std::string&) { mode = 2; }},
        {"-port", CommandOptionValue::NextWord,
         [&](const std::string& value) {
             char* end = nullptr;
             long number = std::strtol(value.c_str(), &end, 10);
             if (value.empty() || *end != '\0' || number <= 0 || number > INT32_MAX) {
                 Refuse(value);
                 return;
             }
             port = int32_t(number);
         }},
    };
    ReadOptions(words, options, [](const std::string&) { return false; });
    // Without the program (a tool, a test of this layer) there is no web service to control.
    (void)Service<ModelServices>::Get().ControlWebService(mode, port);
}

void CommandInterpreter::Beep(CommandWords& words)
{
    while (words.More())
        Refuse(words.Take());
    vek::Beep();
}

void CommandInterpreter::Close(CommandWords& words)
{
    if (words.More()) {
        // A title names a document window of this base; without windows there is none to close.
        words.Take();
        while (words.More())
            Refuse(words.Take());
        return;
    }
    // The base closes once the command text has run.
    PostDeferredTask(kTaskCloseDocument, &base);
}

void CommandInterpreter::Notice(CommandWords& words)
{
    std::string text;
    int32_t seconds = 0;
    std::string title;
    const CommandOption options[] = {
        {"-title", CommandOptionValue::NextWord, [&](const std::string& value) { title = value; }},
        {"-seconds", CommandOptionValue::NextWord,
         [&](const std::string& value) { seconds = std::atoi(value.c_str()); }},
    };
    ReadOptions(words, options, [&](const std::string& word) {
        if (!text.empty())
            text += ' ';
        text += word;
        return true;
    });
    // Without a display the notice is not waited for: the title and the count have nothing to show.
    (void)seconds;
    (void)title;
    // "//" inside a word is a line break.
    for (size_t at = text.find("//"); at != std::string::npos; at = text.find("//", at + 1))
        text.replace(at, 2, "\r");
    if (text.empty())
        return;
    // The notice goes through the handlers as messages of its own, each holding as many pieces of
    // whole characters as its arguments take: a text longer than one message is shown and logged
    // whole, in as many messages as it needs, in order.
    size_t start = 0;
    while (start < text.size() && !IsErrorPending()) {
        Message message;
        message.code = message::kCommandMessage;
        for (int32_t i = 0; i < vek::Message::kMaxArguments && start < text.size(); ++i) {
            size_t n = std::min(text.size() - start, size_t(vek::Message::kTextCapacity - 1));
            while (n > 0 && start + n < text.size() && (uint8_t(text[start + n]) & 0xC0) == 0x80)
                --n;
            if (n == 0)
                n = 1;  // a broken sequence longer than a piece still moves on
            message.AddTextBytes(text.data() + start, int32_t(n));
            start += n;
        }
        while (message.textCount < vek::Message::kMaxArguments)
            message.AddEmptyText();
        ReportMessage(message);
    }
}

void CommandInterpreter::OpenFile(CommandWords& words)
{
    if (!words.More())
        return;
    std::string name = words.Take();
    while (words.More())
        Refuse(words.Take());
    FilePath path;
    if (ResolvePath(name, path))
        (void)path.OpenWithDefaultApp();
}

void CommandInterpreter::OpenUrl(CommandWords& words)
{
    if (!words.More())
        return;
    std::string url = words.Take();
    while (words.More())
        Refuse(words.Take());
    (void)OpenUrlInBrowser(url.c_str());
}

void CommandInterpreter::Quit(CommandWords& words)
{
    while (words.More())
        Refuse(words.Take());
    // The start-up steps of a base being opened do not run, the program quits once the run has
    // ended, and nothing after this line runs.
    BaseFileRecord::Of(base).openDirect = false;
    PostDeferredTask(kTaskQuit, nullptr);
    quitRequested = true;
}

// --- Running texts --------------------------------------------------------------------------------------

void RunCommandText(Base& base, TextReader& reader)
{
    CommandInterpreter interpreter(base, reader);
    interpreter.Run();
}

void RunCommandText(Base& base, std::string_view text)
{
    TextReader reader(text.data(), int64_t(text.size()));
    RunCommandText(base, reader);
}

namespace {

class InterpreterRunner final : public CommandTextRunner {
public:
    void Run(Base& base, std::string_view text) override { RunCommandText(base, text); }
};

}  // namespace

void RegisterFilesLayerServices()
{
    static InterpreterRunner runner;
    Service<CommandTextRunner>::Register(&runner);
}

}  // namespace vek
