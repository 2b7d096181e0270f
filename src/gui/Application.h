// Application: the root of the target tree; idle work, queued tasks, drops, key routing and quitting.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/CommandTarget.h"
#include "platform/events/ApplicationLoop.h"

namespace vek {

class AlertMessageHandler;
class Task;

// Standard command codes.
enum StandardCommand : int32_t {
    kCommandPageSetup = -30,
    kCommandClose = -29,
    kCommandCloseAll = -28,
    kCommandZoom = -27,
    kCommandZoomOther = -26,
    kCommandNew = -20,
    kCommandOpen = -19,
    kCommandOpenOther = -18,
    kCommandSave = -17,
    kCommandSaveAs = -16,
    kCommandPrint = -15,
    kCommandQuit = -14,
    kCommandStatus = -13,
    kCommandPreferences = -12,
    kCommandUndo = -10,
    kCommandRedo = -9,
    kCommandCut = -8,
    kCommandCopy = -7,
    kCommandPaste = -6,
    kCommandClear = -5,
    kCommandDuplicate = -4,
    kCommandSelectAll = -3,
};

// The one application object: the root of the target tree (its children are the windows), owner of
// the menu model and of the alert handler, and the place where idle work happens. Everything runs on
// the main thread or in an action thread inside the UI lock.
class Application : public CommandTarget {
public:
    explicit Application(bool activateNow);
    ~Application() override;

    CommandTarget* Notify(int32_t code) override;
    void UpdateMenus() override;
    int32_t DoCommand(MenuItem& item) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    int32_t CanClose(CloseMode mode) override;
    void Activate() override;
    int32_t CanActivate() override { return 1; }
    virtual int32_t CanQuit(CloseMode mode);

    // The application while it exists, else null.
    static Application* Get();

    // Asks CanClose and, when it agrees, ends the event loop. Answers the CanClose answer. Running
    // modal windows are asked to end: CloseMode::PressDefault presses their default button,
    // WindowsOnly their cancel button; in any other mode they refuse.
    int32_t Quit(CloseMode mode);
    // The active window's focused control, else the active window, else the application.
    CommandTarget* CurrentTarget();
    Window* ActiveWindow();
    void UpdateMenusOfCurrentTarget();
    int32_t DoCommandOnCurrentTarget(MenuItem& item);
    void OpenDocumentOnCurrentTarget(int32_t mode, const FilePath& file);
    void SetLanguage(int32_t language);
    // Reports message `code` with the buttons 705 and 720; on a nonzero answer stops work and quits.
    void QuitAfterMessage(int32_t code);
    // Reports the message with the button 720, stops work and quits whatever the answer.
    void QuitAfterError(int32_t code, const char* text);

    // Idle work.
    void PostTask(std::unique_ptr<Task> task);
    void PostDrop(std::unique_ptr<TransferData> package);
    bool HasPendingWork() const;
    void RunIdleTasks();
    void TrackPointer(InputEvent& event);
    void DispatchKey(InputEvent& event);
    // The first visible window whose bounds hold the point (global); the point ends in its coordinates.
    Window* FindChildAt(Point& point);
    // The window that receives the pending drops (the window under the last drag).
    static void SetCurrentDropWindow(Window* window);
    static Window* CurrentDropWindow();

    EventLoopState& LoopState() { return loopState; }
    int32_t DropsDelivered() const { return dropsDelivered; }

private:
    EventLoopState loopState;
    bool menuKeyPending = false;
    std::unique_ptr<AlertMessageHandler> messageHandler;
    Task* firstTask = nullptr;
    Task* lastTask = nullptr;
    TransferData* firstDrop = nullptr;
    int64_t lastTick = INT64_MIN / 2;
    int32_t dropsDelivered = 0;
};

}  // namespace vek
