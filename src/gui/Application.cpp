// Application: construction with the standard menus, notifications, idle pass, key routing, quitting.
#include "gui/Application.h"

#include "foundation/messages/AlertMessageHandler.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "foundation/services/DisplayServices.h"
#include "gui/Control.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/TransferData.h"
#include "gui/Window.h"
#include "drawing/DrawingState.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

Application* theApplication = nullptr;
Window* currentDropWindow = nullptr;

// The cursor shown where no pane claims the pointer.
constexpr int32_t kStandardCursor = 50;

}  // namespace

Application::Application(bool activateNow) : CommandTarget(0)
{
    SetIdleTimer(kIdleTimerInstall);
    theApplication = this;
    messageHandler = std::make_unique<AlertMessageHandler>();
    InitEventLoopState(loopState);
    loopState.quitFlag = 0;
    auto* root = new MenuItem(nullptr, 0, 0);
    SetRootMenuItem(root);
    BuildStandardMenus(*root);
    root->SetEnabled(true);
    DisableMenuItem(StatusMenuItem());
    if (activateNow)
        FinishConstruction();
}

Application::~Application()
{
    PrepareDestruction();
    theApplication = nullptr;
    while (Pane* window = FirstChild())
        delete window;
    messageHandler.reset();
    DeletePlatformMenus();
    delete RootMenuItem();
    SetRootMenuItem(nullptr);
    ForgetStandardMenus();
    while (firstTask) {
        std::unique_ptr<Task> task(firstTask);
        firstTask = task->next;
    }
    lastTask = nullptr;
    while (firstDrop) {
        std::unique_ptr<TransferData> drop(firstDrop);
        firstDrop = drop->next;
    }
    currentDropWindow = nullptr;
    SetIdleTimer(kIdleTimerRemove);
}

Application* Application::Get() { return theApplication; }

CommandTarget* Application::Notify(int32_t code)
{
    CommandTarget* answer = CommandTarget::Notify(code);
    switch (code) {
    case kNotifyOpened: UpdateMenusIfNeeded(); break;
    case kNotifyClosing: RunIdleTasks(); break;
    case kNotifyActivation:
        if (IsActive()) {
            ActivateFirstChild();
            if (Window* window = ActiveWindow())
                if (Control* focused = window->FocusedControl())
                    focused->Notify(kNotifyFocusShown);
        }
        break;
    case kNotifyGlobalSetting:
        if (MenuItem* root = RootMenuItem())
            root->ReloadTexts(code);
        break;
    case kNotifyGlobalReset: ResetMenuUpdateInterval(); break;
    default: break;
    }
    return answer;
}

void Application::UpdateMenus()
{
    ResetStandardMenuItems();
    EnableMenuCommands();
}

int32_t Application::DoCommand(MenuItem& item)
{
    switch (item.Command()) {
    case kCommandQuit: Quit(CloseMode::Normal); return 1;
    case kCommandCloseAll: CanQuit(CloseMode::Normal); return 1;
    default: return 0;
    }
}

int32_t Application::KeyDown(InputEvent& event, Pane*)
{
    if (event.command)
        menuKeyPending = true;
    return 0;
}

int32_t Application::CanClose(CloseMode mode)
{
    // Every running modal window is asked to end, even after one refused; one without the button the
    // mode presses refuses.
    bool refused = false;
    Window* next = nullptr;
    for (Window* window = Window::FirstModalWindow(); window; window = next) {
        next = window->NextModal();
        if (!window->EndModalWithButton(mode))
            refused = true;
    }
    if (refused)
        return 0;
    return CommandTarget::CanClose(mode);
}

void Application::Activate()
{
    if (!IsActive())
        BringApplicationToFront();
    SetActive(true);
}

int32_t Application::CanQuit(CloseMode mode) { return CanCloseChildren(mode); }

int32_t Application::Quit(CloseMode mode)
{
    int32_t agreed = CanClose(mode);
    if (agreed)
        QuitApplication(loopState);
    return agreed;
}

Window* Application::ActiveWindow() { return static_cast<Window*>(ActiveChild()); }

CommandTarget* Application::CurrentTarget()
{
    Window* window = ActiveWindow();
    if (!window)
        return this;
    if (Control* control = window->FocusedControl())
        return control;
    return window;
}

void Application::UpdateMenusOfCurrentTarget() { CurrentTarget()->UpdateMenus(); }

int32_t Application::DoCommandOnCurrentTarget(MenuItem& item) { return CurrentTarget()->DoCommand(item); }

void Application::OpenDocumentOnCurrentTarget(int32_t mode, const FilePath& file)
{
    CurrentTarget()->OpenDocument(mode, file);
}

void Application::SetLanguage(int32_t language)
{
    if (language == UiLanguage())
        return;
    SetUiLanguage(language);
    Notify(kNotifyGlobalSetting);
}

void Application::QuitAfterMessage(int32_t code)
{
    Message message;
    message.code = code;
    message.kind = 1;
    message.AddNumber(705);
    message.AddNumber(720);
    if (ReportMessage(message) != 0) {
        SetCancelledError();
        Quit(CloseMode::WindowsOnly);
    }
}

void Application::QuitAfterError(int32_t code, const char* text)
{
    Message message;
    message.code = code;
    message.kind = 2;
    message.AddNumber(720);
    message.AddText(text);
    ReportMessage(message);
    SetCancelledError();
    Quit(CloseMode::WindowsOnly);
}

void Application::PostTask(std::unique_ptr<Task> task)
{
    Task* raw = task.release();
    raw->next = nullptr;
    if (lastTask)
        lastTask->next = raw;
    else
        firstTask = raw;
    lastTask = raw;
}

void Application::PostDrop(std::unique_ptr<TransferData> package)
{
    TransferData* raw = package.release();
    raw->next = firstDrop;
    firstDrop = raw;
}

bool Application::HasPendingWork() const
{
    return HasDeferredTargets() || firstTask != nullptr || DragTarget() != nullptr || firstDrop != nullptr;
}

void Application::RunIdleTasks()
{
    if (DragTarget())
        return;
    DeleteDeferredTargets();
    while (firstTask) {
        std::unique_ptr<Task> task(firstTask);
        firstTask = task->next;
        if (!firstTask)
            lastTask = nullptr;
        task->Run();
    }
    ReportPendingError();
    while (firstDrop) {
        std::unique_ptr<TransferData> package(firstDrop);
        firstDrop = package->next;
        package->next = nullptr;
        if (!currentDropWindow)
            continue;  // nobody to deliver to: deleted unread
        package->target = currentDropWindow;
        ++dropsDelivered;
        if (!currentDropWindow->AcceptDrop(*package)) {
            if (TransferItem* file = package->FindItem(kTransferFile); file && file->file)
                OpenDocument(0, *file->file);
        }
        ReportPendingError();
        ResetMenuUpdateInterval();
    }
    const int64_t now = CurrentTimeMs();
    if (now - lastTick >= 180) {
        lastTick = now;
        Notify(kNotifyTick);
    }
}

Window* Application::FindChildAt(Point& point)
{
    for (Pane* p = FirstChild(); p; p = p->Next()) {
        if (!p->IsVisible())
            continue;
        Point local{int16_t(point.v - p->Position().v), int16_t(point.h - p->Position().h)};
        if (IsPointInRect(local, p->Bounds())) {
            point = local;
            return static_cast<Window*>(p);
        }
    }
    return nullptr;
}

void Application::TrackPointer(InputEvent& event)
{
    if (DragTarget())
        return;
    Point point = event.point;
    Window* window = FindChildAt(point);
    Pane* pane = nullptr;
    if (window && window->IsActive())
        pane = window->HitTest(point);
    event.point = point;
    const uint32_t changes = GetCursorChangeCount();
    SetHoverTarget(event, pane);
    if (GetCursorChangeCount() != changes)
        return;
    const int32_t taken = pane ? pane->AdjustCursor(event, pane) : AdjustCursor(event, nullptr);
    if (!taken)
        SetCursorById(kStandardCursor);
}

void Application::DispatchKey(InputEvent& event)
{
    if (event.key == 0)
        return;
    menuKeyPending = false;
    CommandTarget* receiver = this;
    Control* focused = nullptr;
    if (Window* window = ActiveWindow()) {
        event.point.v = int16_t(event.point.v - window->Position().v);
        event.point.h = int16_t(event.point.h - window->Position().h);
        receiver = window;
        if ((focused = window->FocusedControl())) {
            event.point.v = int16_t(event.point.v - focused->WindowOffset().v);
            event.point.h = int16_t(event.point.h - focused->WindowOffset().h);
            receiver = focused;
        }
    }
    int32_t taken = receiver->KeyDown(event, focused);
    // A command key nobody took is a menu item's key equivalent: the program matches it against its own
    // menu model (the desktop's menus carry no accelerators), so that both backends answer alike.
    if (!taken && event.command) {
        UpdateMenusOfCurrentTarget();
        const int32_t modifiers = (event.shift ? kMenuShift : 0) | (event.option ? kMenuOption : 0);
        if (MenuItem* item = FindMenuItemForKey(event.key, modifiers)) {
            item->Choose();
            taken = 1;
        }
    }
    if (taken)
        CapMenuUpdateInterval(1500);
}

void Application::SetCurrentDropWindow(Window* window) { currentDropWindow = window; }

Window* Application::CurrentDropWindow() { return currentDropWindow; }

}  // namespace vek
