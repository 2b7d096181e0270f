// Running command texts from the model: the running source's name, nesting, macros and start-up macros.
#include "model/named/CommandSource.h"

#include <string>
#include <vector>

#include "foundation/messages/LogFileHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/named/Macro.h"

namespace vek {

namespace {

// Without the files layer nothing runs a command text.
class HeadlessCommandTextRunner final : public CommandTextRunner {
public:
    void Run(Base&, std::string_view) override {}
};

// The source of the command text that runs and how many run inside each other. Program-wide by
// design: the command source a message belongs to is the one that runs, whichever base it acts on.
constinit const char* runningSource = nullptr;
constinit int32_t commandNesting = 0;

// Log codes of a macro's run: "Executing", one level deeper, and "Completed", one level back.
constexpr int32_t kLogMacroStarted = kLogIndentAfter | 0x05;
constexpr int32_t kLogMacroEnded = kLogOutdentBefore | 0x06;

}  // namespace

CommandTextRunner::~CommandTextRunner() = default;

template <>
CommandTextRunner& Service<CommandTextRunner>::Headless()
{
    static HeadlessCommandTextRunner runner;
    return runner;
}

const char* RunningCommandSource()
{
    return runningSource;
}

int32_t CommandNesting()
{
    return commandNesting;
}

void Base::RunCommandSource(std::string_view text, const char* name)
{
    if (commandNesting >= kMaxCommandNesting) {
        Message message;
        message.code = message::kCommandsNestedTooDeep;
        message.AddText(name);
        ReportMessage(message);
        return;
    }
    // The text runs from a copy: a command may replace or delete the object that holds it (an
    // import that reads a macro again, deleteMacro).
    std::string copy(text);
    // The name is copied too: it may belong to a macro that goes while the text runs.
    std::string sourceName = name != nullptr ? name : "";
    const char* previous = runningSource;
    runningSource = sourceName.c_str();
    ++commandNesting;
    Service<CommandTextRunner>::Get().Run(*this, copy);
    --commandNesting;
    runningSource = previous;
}

void Base::RunStartupMacros()
{
    Macros().Sort();
    // Names first: a start-up macro may delete or add macros while it runs.
    std::vector<std::string> names;
    for (Macro* macro = Macros().First(); macro != nullptr; macro = macro->Next()) {
        if (macro->FlagS() && macro->GetName() != nullptr)
            names.emplace_back(macro->GetName());
    }
    for (const std::string& name : names) {
        if (IsErrorPending())
            break;
        if (Macro* macro = Macros().Find(name.c_str()); macro != nullptr && macro->FlagS())
            macro->Run();
    }
}

// --- Macro::Run ----------------------------------------------------------------------------------------

void Macro::Run()
{
    if (running) {
        // A macro never starts itself again, directly or through other macros.
        Message message;
        message.code = message::kMacroRunning;
        message.kind = 2;
        message.AddHeapText(name.Get());
        ReportMessage(message);
        return;
    }
    ConstHeapText text = commands.Get();
    if (text == nullptr || *text == '\0')
        return;
    Base* base = list.GetBase();
    if (base == nullptr)
        return;
    std::string macroName = name.Get() != nullptr ? name.Get() : "";
    base->LogOperation("macro", macroName.c_str(), kLogMacroStarted);
    running = true;
    // The macro outlives its run: deleteMacro passes over a running macro, an import's rollback
    // deletes only macros it added, and closing the base waits until the run has ended.
    base->RunCommandSource(text, macroName.c_str());
    running = false;
    base->LogOperation("macro", macroName.c_str(), kLogMacroEnded);
}

}  // namespace vek
