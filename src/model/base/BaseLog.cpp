// The operation log of a base and the alerts of its operations.
#include "model/base/Base.h"

#include "foundation/messages/LogFileHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"

namespace vek {

namespace {

// Kind of a message shown as an alert of a base operation.
constexpr int32_t kMessageKindAlert = 1;

const char* VerbOfCode(int32_t code)
{
    // Verbs by the low 8 bits of the code.
    static constexpr const char* kVerbs[] = {"Opening", "Closing", "Reading", "Writing", "Executing",
                                             "Completed", "Loaded", "Skipped", "Calculated", "Installed",
                                             "Transformed", "Aggregated", "Deleted", "Changed", "Closed"};
    int32_t verb = code & 0xFF;
    return verb >= 1 && verb <= 15 ? kVerbs[verb - 1] : nullptr;
}

}  // namespace

void Base::SetLogFile(const char* logPath, LogFileOpen how)
{
    logHandler.reset();
    if (logPath != nullptr && *logPath != '\0')
        logHandler = std::make_unique<LogFileHandler>(logPath, how == LogFileOpen::Append);
}

void Base::LogOperation(const char* what, const char* name, int32_t code)
{
    if (!logHandler)
        return;
    String line;
    line.AssignCStr(VerbOfCode(code));
    if (what != nullptr) {
        line.AppendChar(' ');
        line.AppendCStr(what);
    }
    if (name != nullptr) {
        line.AppendCStr(" \"");
        line.AppendCStr(name);
        line.AppendChar('"');
    }
    logHandler->WriteEntry(line.CStr(), code);
}

void Base::LogFileOperation(const FilePath* file, int32_t code)
{
    String name;
    if (file != nullptr)
        file->GetFileName(name);
    LogOperation("file", name.CStr(), code);
}

void Base::LogLoadTime(const char* what, int64_t count, int64_t startTimeMs)
{
    if (!logHandler)
        return;
    String line;
    line.AssignCStr("Loaded ");
    line.AppendInt64(count);
    line.AppendChar(' ');
    line.AppendCStr(what);
    AppendElapsedSeconds(line, startTimeMs);
    logHandler->WriteEntry(line.CStr(), 0);
}

void Base::SetSaveKind(int32_t fileKind)
{
    int32_t kind = fileKind == 2 || fileKind == 3 ? 2 : fileKind == 5 || fileKind == 7 ? 5 : 1;
    if (kind == saveKind)
        return;
    saveKind = kind;
    Notify(kChangeSaveKind);
}

int32_t Base::ShowErrorAlert(Message& message)
{
    message.AddNumber(text::kContinue);
    message.AddNumber(text::kCancel);
    message.AddNumber(text::kStopAll);
    message.AddNumber(text::kErrorsToFile);
    message.kind = kMessageKindAlert;
    if (logHandler)
        alertsPending = true;
    int32_t answer = ReportMessage(message);
    switch (answer) {
    case 1:  // stop this operation
        stopRequested = true;
        if (!IsErrorPending())
            SetCancelledError();
        break;
    case 2:  // stop, without further questions
        if (!IsErrorPending())
            SetCancelledError();
        break;
    case 3:  // the rest of the operation's errors go to a file
        AskErrorFile();
        ClearError();
        if (errorHandler)
            ReportMessage(message);
        break;
    default:
        break;
    }
    return answer;
}

int32_t Base::ReportError(int32_t number, const char* text)
{
    Message message;
    message.code = number;
    message.AddText(text);
    return ShowErrorAlert(message);
}

void Base::StopOperation()
{
    // The answer "Cancel" (701) is position 1 among the alert's buttons.
    GetPendingError().message.answer = 1;
    stopRequested = true;
    GetPendingError().flag = 1;
}

void Base::AskErrorFile()
{
    if (errorHandler)
        return;
    FilePath proposal;
    if (errorFilePath)
        proposal.Assign(*errorFilePath);
    else if (!path.IsEmpty())
        proposal.SetPathRelativeTo("Errors", &path);
    else
        MakeHomeFilePath(proposal, "Errors");
    if (!proposal.AskSaveFile())
        return;
    errorFilePath = std::make_unique<FilePath>(proposal);
    errorHandler = std::make_unique<LogFileHandler>(errorFilePath->Text(), false);
}

void Base::OpenErrorFile(const FilePath& file, const ErrorFileOptions& options)
{
    CloseErrorFile(ErrorFileClose::Hard);
    errorFilePath = std::make_unique<FilePath>(file);
    auto handler = std::make_unique<LogFileHandler>(file.Text(), options.append);
    if (options.verbose) {
        handler->SetLabel("Error: ");
        handler->SetLanguage(0);
        logHandler = std::move(handler);
        errorFileIsLog = true;
        errorFilePersistent = options.persistent;
        return;
    }
    handler->SetLanguage(options.language);
    errorHandler = std::move(handler);
}

void Base::CatchErrors()
{
    CloseErrorFile(ErrorFileClose::Hard);
    errorHandler = std::make_unique<MessageCatcher>();
}

void Base::CloseErrorFile(ErrorFileClose how)
{
    if (errorFileIsLog) {
        if (how == ErrorFileClose::Soft && errorFilePersistent && logHandler) {
            logHandler->SetLabel("Alert: ");
            return;
        }
        logHandler.reset();
        errorFileIsLog = false;
        errorFilePersistent = false;
    }
    errorHandler.reset();
}

void Base::FlushAlerts(bool final)
{
    if (!final && alertsPending && logHandler) {
        logHandler->SetLabel("Alert: ");
        return;
    }
    if (errorHandler) {
        errorHandler.reset();
        alertsPending = false;
    }
}

}  // namespace vek
