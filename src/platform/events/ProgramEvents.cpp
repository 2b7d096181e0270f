// ProgramEvents: posting requests to the main thread and serving them; quit and open requests.
#include "platform/events/ProgramEvents.h"

#include "foundation/messages/PendingError.h"
#include "platform/FileDialogs.h"
#include "platform/FilePath.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/UiLock.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

bool OnMainCooperativeThread() { return OnMainPosixThread() && CurrentCooperativeThread() == kMainThreadId; }

void ServeOnMainThread(ProgramEvent event)
{
    HandlerUiLock lock;
    if (HandleProgramEvent(event) != 0)
        CompleteProgramEvent(event);  // a kind nobody serves must not leave its requester waiting
}

bool AskOnMainThread(ProgramEventKind kind, FilePath& path, uint32_t kindMask)
{
    FileDialogRequest request{&path, kindMask, false};
    if (OnMainCooperativeThread()) {
        ProgramEvent event{kind, nullptr, &request, nullptr};
        HandleProgramEvent(event);
    } else if (PostProgramEvent(kind, nullptr, &request) != 0) {
        return false;
    }
    return request.chosen;
}

}  // namespace

int32_t PostProgramEvent(ProgramEventKind kind, Window* window, void* userData)
{
    if (OnMainCooperativeThread())
        return kEventNotHandled;
    ProgramEventReply reply;
    ProgramEvent event{kind, window, userData, &reply};
    PostToMainThread([event] { ServeOnMainThread(event); });
    if (OnMainPosixThread()) {
        // Suspended, not spinning: a thread that stays ready would keep the loop from drawing the
        // very dialog it waits for.
        reply.waitingThread = CurrentCooperativeThread();
        while (reply.busy.load(std::memory_order_acquire) != 0)
            SuspendCurrentThread();
        GetPendingError().flag = reply.errorFlag;
        GetPendingError().message = reply.error;
    } else {
        reply.busy.wait(1, std::memory_order_acquire);
        // The pending error is program data: a worker touches it only under the lock.
        WorkerUiLock lock;
        GetPendingError().flag = reply.errorFlag;
        GetPendingError().message = reply.error;
    }
    return 0;
}

int32_t HandleProgramEvent(ProgramEvent& event)
{
    switch (event.kind) {
    case ProgramEventKind::PageSetup:
        // The window system completes the request when the user answered (headless: at once).
        Service<WindowSystem>::Get().RunPageSetup(event);
        return 0;
    case ProgramEventKind::Print:
        // The window system completes the request when the job has ended.
        Service<WindowSystem>::Get().RunPrintJob(event);
        return 0;
    case ProgramEventKind::GetFile:
    case ProgramEventKind::PutFile: {
        auto* request = static_cast<FileDialogRequest*>(event.userData);
        if (request && request->path) {
            FileDialogService& dialogs = Service<FileDialogService>::Get();
            // An action thread waits suspended while the dialog is up, and the loop goes on serving.
            if (event.reply && dialogs.StartFileDialog(event))
                return 0;
            request->chosen = event.kind == ProgramEventKind::GetFile
                                  ? dialogs.RunOpenFileDialog(*request->path, request->kindMask)
                                  : dialogs.RunSaveFileDialog(*request->path);
        }
        CompleteProgramEvent(event);
        return 0;
    }
    }
    return kEventNotHandled;
}

void CompleteProgramEvent(ProgramEvent& event)
{
    ProgramEventReply* reply = event.reply;
    if (!reply)
        return;
    event.reply = nullptr;
    reply->errorFlag = GetPendingError().flag;
    reply->error = GetPendingError().message;
    ClearError();
    const uint64_t waiter = reply->waitingThread;
    // The requester may free the reply as soon as busy is clear: nothing touches it afterwards.
    reply->busy.store(0, std::memory_order_release);
    reply->busy.notify_all();
    if (waiter != 0)
        MakeThreadReady(CooperativeThreadId(waiter));
}

bool AskOpenFileOnMainThread(FilePath& path, uint32_t kindMask)
{
    return AskOnMainThread(ProgramEventKind::GetFile, path, kindMask);
}

bool AskSaveFileOnMainThread(FilePath& path) { return AskOnMainThread(ProgramEventKind::PutFile, path, 0); }

bool HandleQuitRequest()
{
    HandlerUiLock lock;
    const bool agreed = Service<ActionHost>::Get().RequestQuit() != 0;
    StartIdleThread();
    return agreed;
}

int32_t HandleOpenDocumentsRequest(std::span<const FilePath> paths, int32_t mode)
{
    HandlerUiLock lock;
    int32_t handed = 0;
    for (const FilePath& path : paths) {
        if (IsErrorPending())
            break;
        Service<ActionHost>::Get().OpenDocument(mode, path);
        ++handed;
    }
    RefreshAfterAction();
    return handed;
}

}  // namespace vek
