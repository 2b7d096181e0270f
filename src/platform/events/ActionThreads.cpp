// ActionThreads: starting action threads, the idle action and timer, delays and modal loops.
#include "platform/events/ActionThreads.h"

#include "foundation/services/Clock.h"
#include "platform/events/EventLoop.h"
#include "platform/events/UiLock.h"

namespace vek {

namespace {

// Without an application no action has anything to act on.
class NoApplicationHost final : public ActionHost {
public:
    bool ApplicationExists() override { return false; }
    bool ApplicationActive() override { return false; }
    bool HasPendingWork() override { return false; }
    bool HasActiveWindow() override { return false; }
    bool IsWindowActive(Window&) override { return false; }
    void ChooseMenuItem(MenuItem&) override {}
    void DispatchKey(InputEvent&) override {}
    int32_t DispatchMouseDown(Window&, InputEvent&) override { return 0; }
    void RunIdleTasks() override {}
    void TrackPointer(InputEvent&) override {}
    void RefreshMenus() override {}
    void ResetMenuUpdateInterval() override {}
    void PostTask(std::unique_ptr<Task> task) override { task->Run(); }
    Point ContentOrigin(Window&) override { return Point{}; }
    bool AnyModalWindow() override { return false; }
    void DispatchWheel(Window&, InputEvent&, int32_t) override {}
    void SetApplicationActive(bool) override {}
    void SetWindowActive(Window&, bool) override {}
    void OpenDocument(int32_t, const FilePath&) override {}
    int32_t RequestQuit() override { return 1; }
};

struct ActionRequest {
    ActionKind kind = ActionKind::Idle;
    Window* window = nullptr;
    MenuItem* item = nullptr;
    InputEvent event;
};

struct IdleTimerState {
    EventTimerId timer = 0;
    double interval = 0;
    bool idleBusy = false;
    bool menuTracking = false;
    int64_t started = 0;
};

IdleTimerState idleState;
int32_t clickResult = 0;
bool modalWindowFlag = false;

ActionHost& CurrentActionHost() { return Service<ActionHost>::Get(); }

void ActionThreadEntry(void* raw)
{
    // The starter's record lives on its stack only until this thread first yields.
    ActionRequest request = *static_cast<ActionRequest*>(raw);
    ActionHost& host = CurrentActionHost();
    switch (request.kind) {
    case ActionKind::Command:
        host.ChooseMenuItem(*request.item);
        RunIdleTask();
        host.ResetMenuUpdateInterval();
        RefreshAfterAction();
        break;
    case ActionKind::Key:
        host.DispatchKey(request.event);
        RefreshAfterAction();
        break;
    case ActionKind::Click:
        clickResult = host.DispatchMouseDown(*request.window, request.event);
        RefreshAfterAction();
        break;
    case ActionKind::Idle:
        RunIdleTask();
        break;
    }
}

void StartAction(ActionRequest& request)
{
    CooperativeThreadId id = NewCooperativeThread(ActionThreadEntry, &request);
    if (id != 0)
        SwitchToThread(id);
}

void IdleTimerFired(void*) { IdleTimerCallback(); }

}  // namespace

Task::~Task() = default;
void Task::Run() {}

ResumeThreadTask::~ResumeThreadTask() = default;
void ResumeThreadTask::Run() { SwitchToThread(thread); }

ActionHost::~ActionHost() = default;

template <>
ActionHost& Service<ActionHost>::Headless()
{
    static NoApplicationHost host;
    return host;
}

void StartCommandThread(MenuItem& item)
{
    ActionRequest request;
    request.kind = ActionKind::Command;
    request.item = &item;
    StartAction(request);
}

void StartKeyThread(const PlatformEvent& event)
{
    ActionRequest request;
    request.kind = ActionKind::Key;
    request.event.FromPlatformEvent(event);
    StartAction(request);
}

int32_t StartClickThread(Window& window, const PlatformEvent& event)
{
    ActionRequest request;
    request.kind = ActionKind::Click;
    request.window = &window;
    request.event.FromPlatformEvent(event);
    if (!request.event.anyButton)
        return 0;
    Point origin = CurrentActionHost().ContentOrigin(window);
    request.event.point.v = int16_t(request.event.point.v - origin.v);
    request.event.point.h = int16_t(request.event.point.h - origin.h);
    clickResult = 0;
    StartAction(request);
    return clickResult;
}

void StartIdleThread()
{
    ActionRequest request;
    request.kind = ActionKind::Idle;
    ++idleState.started;
    StartAction(request);
}

void RunIdleTask()
{
    ActionHost& host = CurrentActionHost();
    if (!host.ApplicationExists() || idleState.idleBusy)
        return;
    idleState.idleBusy = true;
    host.RunIdleTasks();
    if (host.ApplicationActive()) {
        InputEvent event;
        event.WaitNext(kWaitRefreshModifiers);
        host.TrackPointer(event);
    }
    idleState.idleBusy = false;
}

void RefreshAfterAction()
{
    ActionHost& host = CurrentActionHost();
    if (host.ApplicationExists() && host.ApplicationActive())
        host.RefreshMenus();
}

bool ModalWindowFlag() { return modalWindowFlag; }

void UpdateModalFlag() { modalWindowFlag = CurrentActionHost().AnyModalWindow(); }

void DelayYielding(int64_t ms)
{
    const int64_t start = CurrentTimeMs();
    while (CurrentTimeMs() - start < ms) {
        if (CurrentCooperativeThread() == kMainThreadId)
            RunEventLoopPending();
        YieldToAnyThread();
    }
}

void SetMenuTracking(bool tracking) { idleState.menuTracking = tracking; }

double ComputeIdleInterval()
{
    ActionHost& host = CurrentActionHost();
    if (CurrentTimeMs() - LastActivityTime() <= 199)
        return 0.08;
    if (host.ApplicationExists() && host.HasPendingWork())
        return 0.08;
    if (host.ApplicationExists() && host.ApplicationActive())
        return 0.25;
    return 1.0;
}

void SetIdleTimer(int32_t flags)
{
    if ((flags & kIdleTimerRemove) && idleState.timer != 0) {
        RemoveEventTimer(idleState.timer);
        idleState.timer = 0;
        idleState.interval = 0;
    }
    if ((flags & kIdleTimerInstall) && idleState.timer == 0) {
        idleState.interval = ComputeIdleInterval();
        idleState.timer = AddEventTimer(80, int64_t(idleState.interval * 1000 + 0.5), IdleTimerFired, nullptr);
    }
}

void IdleTimerCallback()
{
    if (!idleState.menuTracking && ReadUiLockCounts().handlers == 0)
        StartIdleThread();
    if (idleState.timer != 0 && ComputeIdleInterval() != idleState.interval)
        SetIdleTimer(kIdleTimerInstall | kIdleTimerRemove);
}

double CurrentIdleInterval() { return idleState.interval; }

int64_t IdleActionsStarted() { return idleState.started; }

void ModalLoop::Run(bool hasWindow)
{
    if (!hasWindow)
        return;
    UpdateModalFlag();
    CurrentActionHost().ResetMenuUpdateInterval();
    RefreshAfterAction();
    thread = CurrentCooperativeThread();
    if (thread == kMainThreadId) {
        state = State::RunningOnMain;
        RunEventLoopUntil([this] { return state != State::RunningOnMain; }, INT32_MAX);
    } else {
        state = State::Running;
        while (state == State::Running)
            SuspendCurrentThread();
    }
    UpdateModalFlag();
}

void ModalLoop::Stop()
{
    if (state == State::RunningOnMain) {
        state = State::StopRequested;
        if (CurrentCooperativeThread() == thread)
            return;
    } else {
        state = State::StopRequested;
    }
    if (thread != 0 && thread != kMainThreadId)
        CurrentActionHost().PostTask(std::make_unique<ResumeThreadTask>(thread));
}

}  // namespace vek
