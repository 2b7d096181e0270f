// ActionThreads: one cooperative thread per user action, the idle timer, delays and modal loops.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/services/Service.h"
#include "platform/events/Coordinates.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/InputEvent.h"

namespace vek {

class FilePath;
class MenuItem;
class Window;

// Small work queued on the application and run once from its idle pass.
class Task {
public:
    Task() = default;
    virtual ~Task();
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    // The base does nothing.
    virtual void Run();

    Task* next = nullptr;  // link in the application's queue
};

// Resumes one waiting cooperative thread (SwitchToThread) when run.
class ResumeThreadTask final : public Task {
public:
    explicit ResumeThreadTask(CooperativeThreadId thread) : thread(thread) {}
    ~ResumeThreadTask() override;
    void Run() override;

private:
    CooperativeThreadId thread;
};

// What the action threads and the idle timer need of the application (the GUI library registers its
// implementation; without one there is no application and every action does nothing).
class ActionHost {
public:
    virtual ~ActionHost();
    virtual bool ApplicationExists() = 0;
    virtual bool ApplicationActive() = 0;
    virtual bool HasPendingWork() = 0;
    virtual bool HasActiveWindow() = 0;
    virtual bool IsWindowActive(Window& window) = 0;
    // The actions themselves.
    virtual void ChooseMenuItem(MenuItem& item) = 0;
    virtual void DispatchKey(InputEvent& event) = 0;
    virtual int32_t DispatchMouseDown(Window& window, InputEvent& event) = 0;
    virtual void RunIdleTasks() = 0;
    virtual void TrackPointer(InputEvent& event) = 0;
    // The menu refresh after an action and its countdown.
    virtual void RefreshMenus() = 0;
    virtual void ResetMenuUpdateInterval() = 0;
    virtual void PostTask(std::unique_ptr<Task> task) = 0;
    // The window's content origin in global coordinates.
    virtual Point ContentOrigin(Window& window) = 0;
    // Whether any window of the application runs modally.
    virtual bool AnyModalWindow() = 0;
    // The handlers' direct calls: a wheel turn over a window, activation of the application or of a
    // window.
    virtual void DispatchWheel(Window& window, InputEvent& event, int32_t direction) = 0;
    virtual void SetApplicationActive(bool active) = 0;
    virtual void SetWindowActive(Window& window, bool active) = 0;
    // An open request (mode 0 open, 1 "idoc", 2 print, 3 "sdoc") for a file.
    virtual void OpenDocument(int32_t mode, const FilePath& path) = 0;
    // Asks the application to quit (it asks its windows first); answers 1 when it agreed.
    virtual int32_t RequestQuit() = 0;
};

template <>
ActionHost& Service<ActionHost>::Headless();

// Kinds of action.
enum class ActionKind : int32_t { Command = 0, Key = 1, Click = 2, Idle = 3 };

// Each starts a cooperative thread for the action and switches to it; the caller goes on when the
// thread ends or first yields. A click with no button down starts nothing and answers 0; otherwise
// StartClickThread answers the click result as far as the thread has set it.
void StartCommandThread(MenuItem& item);
void StartKeyThread(const PlatformEvent& event);
int32_t StartClickThread(Window& window, const PlatformEvent& event);
void StartIdleThread();

// The idle action: the application's idle pass and pointer tracking; a nested call does nothing.
void RunIdleTask();
// After an action: the menus follow the new state while the application is active.
void RefreshAfterAction();
// Set while any window of the application runs modally.
bool ModalWindowFlag();
void UpdateModalFlag();

// Returns after at least ms milliseconds, yielding to the other threads meanwhile.
void DelayYielding(int64_t ms);

// The menu-tracking flag: no idle action starts while it is set.
void SetMenuTracking(bool tracking);
// The idle timer's interval in seconds: 0.08 after recent activity or with pending work, else 0.25
// while the application is active and 1.0 in the background.
double ComputeIdleInterval();
// Timer flags: 1 install, 2 remove, 3 both (re-arm).
constexpr int32_t kIdleTimerInstall = 1;
constexpr int32_t kIdleTimerRemove = 2;
void SetIdleTimer(int32_t flags);
// The timer's tick: starts the idle action unless a menu is tracked or a handler holds the UI lock,
// then re-arms the timer when the interval changed.
void IdleTimerCallback();
// The interval the timer runs at now (0 when none is installed); idle actions started so far.
double CurrentIdleInterval();
int64_t IdleActionsStarted();

// A modal window's loop. On an action thread it suspends the thread until Stop wakes it through the
// application's task queue; on the main thread it runs the event loop until Stop.
class ModalLoop {
public:
    enum class State : int32_t { Running = 0, StopRequested = 1, RunningOnMain = 2 };
    // Runs until Stop; at once when the loop has no window.
    void Run(bool hasWindow = true);
    void Stop();
    State GetState() const { return state; }

private:
    CooperativeThreadId thread = 0;
    State state = State::StopRequested;
};

}  // namespace vek
