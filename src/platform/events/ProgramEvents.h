// ProgramEvents: work that must run on the main thread, requested by action threads and workers,
// and the requests of the system that reach the application (quit, open documents).
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "foundation/messages/Message.h"

namespace vek {

class FilePath;
class Window;

// What a handler answers for an event it leaves to the system.
constexpr int32_t kEventNotHandled = -9874;

// The program's own requests to the main thread.
enum class ProgramEventKind : uint32_t {
    PageSetup = 0x70677374,  // 'pgst': the page-setup dialog of a window
    Print = 0x70726E74,      // 'prnt': printing a window
    GetFile = 0x67656669,    // 'gefi': the open dialog (user data: a FileDialogRequest)
    PutFile = 0x70756669,    // 'pufi': the save dialog (user data: a FileDialogRequest)
};

// What the requesting thread waits on: busy until the main thread has served the request, and the
// pending error that serving it left (it is raised again on the requesting thread).
struct ProgramEventReply {
    std::atomic<int32_t> busy{1};
    // The action thread that waits, suspended (0: a POSIX worker, which blocks on busy instead).
    uint64_t waitingThread = 0;
    int32_t errorFlag = 0;
    Message error;
};

// One request as the main thread serves it.
struct ProgramEvent {
    ProgramEventKind kind = ProgramEventKind::GetFile;
    Window* window = nullptr;
    void* userData = nullptr;
    ProgramEventReply* reply = nullptr;
};

// The subject of a file-dialog request: the proposed and then chosen path, the kinds the open dialog
// shows (FileDialogFilterAccepts), and whether the user chose a file.
struct FileDialogRequest {
    FilePath* path = nullptr;
    uint32_t kindMask = 0;
    bool chosen = false;
};

// From an action thread or a POSIX worker (never the main thread, which would wait for itself):
// posts the request to the main thread and waits, yielding (an action thread) or blocking (a worker),
// until it was served; then the pending error the main thread left is the pending error here. A
// worker must not hold the UI lock while it waits (the main thread serves under the handler side).
// Answers 0, or kEventNotHandled when called on the main thread (nothing is posted).
int32_t PostProgramEvent(ProgramEventKind kind, Window* window, void* userData);
// Serves one request on the main thread: runs the dialog it asks for and completes it (page setup and
// printing through the window system, which completes them at once without a display). Answers 0
// when taken.
int32_t HandleProgramEvent(ProgramEvent& event);
// Ends the wait of the requesting thread: hands it the pending error and clears it here.
void CompleteProgramEvent(ProgramEvent& event);

// The open and save dialogs from any thread: run at once on the main thread, otherwise requested from
// it with PostProgramEvent. True when the user chose a file (`path` then holds it).
bool AskOpenFileOnMainThread(FilePath& path, uint32_t kindMask);
bool AskSaveFileOnMainThread(FilePath& path);

// The system asks the program to quit: the application asks its windows and, when they agree, ends
// the event loop; then one idle action runs. Answers whether the application agreed.
bool HandleQuitRequest();
// The system asks the program to open documents (mode 0 open, 1 "idoc", 2 print, 3 "sdoc"), in order;
// a pending error stops the rest. Answers how many were handed to the application.
int32_t HandleOpenDocumentsRequest(std::span<const FilePath> paths, int32_t mode);

}  // namespace vek
