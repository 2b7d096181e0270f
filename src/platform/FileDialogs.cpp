// FileDialogs: the headless open and save dialogs, answering from a queue or by cancelling.
#include "platform/FileDialogs.h"

#include "foundation/messages/PendingError.h"
#include "platform/FileKindSniffer.h"
#include "platform/FilePath.h"
#include "platform/events/ProgramEvents.h"

namespace vek {

FileDialogService::~FileDialogService() = default;

bool FileDialogService::StartFileDialog(ProgramEvent&) { return false; }

template <>
FileDialogService& Service<FileDialogService>::Headless()
{
    static HeadlessFileDialogs dialogs;
    return dialogs;
}

bool FileDialogFilterAccepts(const FilePath& path, uint32_t kindMask)
{
    if (path.IsFolder())
        return true;
    PreservedErrorState quiet;
    return SniffFileKind(path, kindMask);
}

HeadlessFileDialogs::~HeadlessFileDialogs() = default;

void HeadlessFileDialogs::QueueAnswer(std::string_view path)
{
    answers.emplace_back(true, std::string(path));
}

void HeadlessFileDialogs::QueueCancel()
{
    answers.emplace_back(false, std::string());
}

bool HeadlessFileDialogs::NextAnswer(std::string& answer)
{
    if (answers.empty())
        return false;
    auto [chosen, text] = answers.front();
    answers.pop_front();
    answer = text;
    return chosen && !answer.empty();
}

bool HeadlessFileDialogs::RunOpenFileDialog(FilePath& path, uint32_t kindMask)
{
    std::string answer;
    if (!NextAnswer(answer))
        return false;
    FilePath chosen;
    chosen.SetFromSystemPath(answer);
    if (chosen.IsFolder() || !chosen.Exists() || !FileDialogFilterAccepts(chosen, kindMask))
        return false;
    path = chosen;
    return true;
}

bool HeadlessFileDialogs::RunSaveFileDialog(FilePath& path)
{
    std::string answer;
    if (!NextAnswer(answer))
        return false;
    path.SetFromSystemPath(answer);
    return true;
}

// --- FilePath's part -------------------------------------------------------------------------------

bool FilePath::AskOpenFile(uint32_t kindMask)
{
    ReportPendingError();
    // Dialogs run on the main thread; an action thread or a worker has it run there and waits.
    if (!AskOpenFileOnMainThread(*this, kindMask)) {
        SetCancelledError();
        return false;
    }
    RecordAlias(Text());
    return true;
}

bool FilePath::AskSaveFile()
{
    ReportPendingError();
    if (!AskSaveFileOnMainThread(*this)) {
        SetCancelledError();
        return false;
    }
    return true;
}

}  // namespace vek
