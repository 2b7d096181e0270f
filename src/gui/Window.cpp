// Window: placement, activation, focus and keys, dispatch of clicks and wheel turns, drawing, modal run.
#include "gui/Window.h"

#include <algorithm>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/PushButton.h"
#include "drawing/DrawingState.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/InputEvent.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/WindowSystem.h"

namespace vek {

void SetRedrawArea(const Region* area);

namespace {

Window* modalChain = nullptr;
Point placementPoint{10, 20};
bool focusByClick = false;
int32_t wheelSpeed = 1;
int64_t lastWheelTime = INT64_MIN / 2;
int64_t wheelTimeBefore = INT64_MIN / 2;

// The available area of a screen, adjusted for the window frame and title bar around the content.
Rect AdjustedArea(Point global)
{
    WindowSystem& system = Service<WindowSystem>::Get();
    Rect area = system.AvailableScreenArea(global);
    const WindowFrameMetrics metrics = system.FrameMetrics();
    OutsetRect(area, 1 - metrics.frameWidth);
    area.top = ClampCoordinate(area.top + metrics.titleBarHeight);
    return area;
}

bool PositionTaken(const Window& self, int32_t top, int32_t left)
{
    Application* application = Application::Get();
    if (!application)
        return false;
    for (Pane* p = application->FirstChild(); p; p = p->Next()) {
        if (p == &self)
            continue;
        const int32_t dh = std::abs(p->Position().h - left);
        const int32_t dv = std::abs(p->Position().v - top);
        if (dh <= 7 && dv < 8)
            return true;
    }
    return false;
}

}  // namespace

Window::Window(int32_t kind, const OriginSize& frame, int32_t windowOptions, Window* ownerWindow, bool finish)
    : Pane(kind, Application::Get()), platformWindow(std::make_unique<PlatformWindow>())
{
    options = windowOptions;
    owner = ownerWindow;
    platformWindow->options = windowOptions;
    if (owner)
        linkRegistry = owner->GetLinkRegistry();
    OriginSize placed = frame;
    Place(placed);
    SetFrame(placed, this, Point{});
    platformWindow->frame = placed;
    ownRegion.SetRect(bounds);
    focusByClick = false;
    lastInputTime = CurrentTimeMs();
    if (finish)
        FinishConstruction();
}

Window::~Window()
{
    PrepareDestruction();
    Service<WindowSystem>::Get().WindowDestroyed(*this);
    if (Application::CurrentDropWindow() == this)
        Application::SetCurrentDropWindow(nullptr);
    if (modal) {
        for (Window** link = &modalChain; *link; link = &(*link)->nextModal)
            if (*link == this) {
                *link = nextModal;
                break;
            }
    }
    while (Pane* child = FirstChild())
        delete child;
}

void Window::Place(OriginSize& frame)
{
    const bool sizeZero = frame.height == 0 && frame.width == 0;
    const bool positionZero = frame.top == 0 && frame.left == 0;
    if (sizeZero) {
        Rect area = AdjustedArea(Point{frame.top, frame.left});
        frame = OriginSize{area.top, area.left, ClampCoordinate(area.Height()), ClampCoordinate(area.Width())};
        return;
    }
    if (!positionZero) {
        Rect area = AdjustedArea(Point{frame.top, frame.left});
        int32_t width = std::min<int32_t>(frame.width, area.Width());
        int32_t height = std::min<int32_t>(frame.height, area.Height());
        int32_t left = std::max<int32_t>(frame.left, area.left);
        int32_t top = std::max<int32_t>(frame.top, area.top);
        left = std::min<int32_t>(left, area.right - width);
        top = std::min<int32_t>(top, area.bottom - height);
        frame = OriginSize{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(height), ClampCoordinate(width)};
        return;
    }
    Rect area = AdjustedArea(placementPoint);
    const int32_t width = std::min<int32_t>(frame.width, area.Width());
    const int32_t height = std::min<int32_t>(frame.height, area.Height());
    int32_t left = 0;
    int32_t top = 0;
    if (Kind() == kKindDialogWindow) {
        left = (area.left + area.right - width) / 2;
        top = (area.top + std::min<int32_t>(area.top + area.Width() * 3 / 4, area.bottom) - height) / 2;
    } else {
        bool found = false;
        for (int32_t diagonal = 0; !found; ++diagonal) {
            int32_t candidateTop = area.top + 2 + 24 * diagonal;
            int32_t candidateLeft = area.left + 2;
            if (candidateTop > area.bottom - height)
                break;  // no diagonal has room any more
            while (candidateLeft <= area.right - width && candidateTop <= area.bottom - height) {
                if (!PositionTaken(*this, candidateTop, candidateLeft)) {
                    top = candidateTop;
                    left = candidateLeft;
                    found = true;
                    break;
                }
                candidateTop += 17;
                candidateLeft += 12;
            }
        }
        if (!found) {
            top = area.top + std::clamp<int32_t>(area.bottom - height - area.top, 0, 2);
            left = area.left + std::clamp<int32_t>(area.right - width - area.left, 0, 2);
        }
    }
    frame = OriginSize{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(height), ClampCoordinate(width)};
}

CommandTarget* Window::Notify(int32_t code)
{
    CommandTarget* answer = Pane::Notify(code);
    switch (code) {
    case kNotifyOpened:
    case kNotifyVisibility:
        platformWindow->shown = IsVisible();
        if (IsVisible()) {
            UpdateVisibleRegions(true);
            AddToUpdateRegion(Region(bounds));
            if (Kind() == kKindDialogWindow && !focusedControl)
                FocusFirstControl();
        }
        Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Visibility);
        break;
    case kNotifyActivation: {
        ResetMenuUpdateInterval();
        Application* application = Application::Get();
        platformWindow->highlighted = IsActive() && application && application->IsActive();
        if (!IsActive())
            focusShown = false;
        Notify(kNotifyWindowActivation);
        if (focusedControl)
            focusedControl->Notify(kNotifyFocusShown);
        Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Highlight);
        break;
    }
    case kNotifyTick:
        if (CurrentTimeMs() - lastInputTime > 20000 && focusShown)
            HideFocusRing();
        break;
    case kNotifyGlobalSetting:
        if (titleId != 0)
            SetTitleById(titleId);
        break;
    default: break;
    }
    return answer;
}

void Window::UpdateMenus()
{
    Pane::UpdateMenus();
    EnableWindowMenuItems(*this);
}

int32_t Window::DoCommand(MenuItem& item)
{
    // The standard window commands; the window goes at the next idle pass, never under the command
    // that is still running on it.
    if (item.Command() == kCommandClose) {
        // A refusal keeps the window; the command is taken either way.
        static_cast<void>(DeferClose(*this, CloseMode::Normal));
        return 1;
    }
    if (item.Command() == kCommandPrint && Kind() != kKindDialogWindow) {
        PostPrintRequest(0);
        return 1;
    }
    if (item.Command() == kCommandPageSetup && Kind() != kKindDialogWindow) {
        // Returns once the main thread has ended the dialog, whichever way it ended.
        static_cast<void>(PostProgramEvent(ProgramEventKind::PageSetup, this, nullptr));
        return 1;
    }
    return Pane::DoCommand(item);
}

int32_t Window::Click(InputEvent& event, Pane* pane)
{
    lastInputTime = CurrentTimeMs();
    if (!pane || pane == this) {
        ClearFocusedControl();
    } else {
        Control* candidate = nullptr;
        for (Pane* p = pane; p && p != this; p = p->EnclosingPane()) {
            auto* control = dynamic_cast<Control*>(p);
            if (control && control->CanFocusNow()) {
                candidate = control;
                break;
            }
        }
        if (!candidate)
            ClearFocusedControl();
        else if (!candidate->IsFocused())
            candidate->MoveFocus(kFocusForward);
        pane->Activate();
    }
    return Pane::Click(event, pane);
}

int32_t Window::KeyDown(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Pane::KeyDown(event, pane))
        return taken;
    lastInputTime = CurrentTimeMs();
    switch (event.key) {
    case 9: {
        focusShown = true;
        Pane* from = focusedControl ? static_cast<Pane*>(focusedControl) : this;
        from->MoveFocus(event.shift ? kFocusBackward : kFocusForward);
        if (focusedControl)
            focusedControl->Notify(kNotifyFocusShown);
        return 1;
    }
    case 3:
    case 13:
        // Return stays with a text field that keeps it (multi-line fields, which are not built yet).
        if (PushButton* button = FindDefaultButton()) {
            button->Flash();
            return 1;
        }
        return 0;
    case 27:
        if (PushButton* button = FindCancelButton()) {
            button->Flash();
            return 1;
        }
        return 0;
    default: return 0;
    }
}

int32_t Window::CanClose(CloseMode mode)
{
    for (Window* w = modalChain; w; w = w->nextModal)
        if (w->owner == this) {
            w->Activate();
            return 0;
        }
    ClearFocusedControl();
    return Pane::CanClose(mode);
}

void Window::GetContentRect(Rect& rect)
{
    Point global{position.v, position.h};
    rect = AdjustedArea(global);
    ShiftRect(rect, -position.h, -position.v);
}

void Window::BringToFront()
{
    CommandTarget* application = Enclosure();
    if (!IsVisible() || !application)
        return;
    if (application->FirstChild() == this || (Prev() && Prev()->IsFloating()))
        return;
    application->RemoveChild(*this);
    application->InsertChild(*this);
}

void Window::CalcVisibleRegion()
{
    ownRegion.SetRect(bounds);
    ExcludeChildRegions(ownRegion);
    regionsValid = true;
}

void Window::UpdateVisibleRegions(bool force)
{
    if (!regionsValid)
        force = true;
    if (force)
        CalcVisibleRegion();
    if (Pane* child = FirstChild())
        child->UpdateVisibleRegions(force);
}

void Window::BoundsChanged(int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    platformWindow->frame = Frame();
    if (dw != 0 || dh != 0) {
        regionsValid = false;
        AddToUpdateRegion(Region(bounds));
    }
    if (dx != 0 || dy != 0 || dw != 0 || dh != 0)
        Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Frame);
}

void Window::ClipToShape(Region& region) { IntersectRegionWithRect(region, bounds); }

void Window::ClipRegion(Region& region) { IntersectRegionWithRect(region, bounds); }

int32_t Window::DispatchMouseDown(InputEvent& event)
{
    focusByClick = true;
    Point point = event.point;
    Pane* pane = HitTest(point);
    event.point = point;
    int32_t taken = pane->FirstClick(event, pane);
    if (!taken && IsActive())
        taken = pane->Click(event, pane);
    if (taken)
        ResetMenuUpdateInterval();
    focusByClick = false;
    return taken;
}

int32_t Window::DispatchWheel(InputEvent& event, int32_t delta)
{
    const int64_t t = event.time;
    if (t - lastWheelTime > 500)
        wheelSpeed = 1;
    else if (t - wheelTimeBefore < 150)
        wheelSpeed = 5;
    wheelTimeBefore = lastWheelTime;
    lastWheelTime = t;
    const int32_t lines = delta > 0 ? wheelSpeed : delta < 0 ? -wheelSpeed : 0;
    Point point = event.point;
    Pane* pane = HitTest(point);
    event.point = point;
    return pane->Wheel(event, lines);
}

void Window::ClearFocusedControl()
{
    if (Control* control = focusedControl) {
        control->CommitEdit();
        control->SetFocused(false);
    }
    focusedControl = nullptr;
}

void Window::HideFocusRing()
{
    focusShown = false;
    if (focusedControl)
        focusedControl->InvalidateRegion(Region(focusedControl->Bounds()), kInvalidateShape | kInvalidateNow);
}

void Window::FocusFirstControl()
{
    if (!focusedControl)
        MoveFocus(kFocusForward);
}

PushButton* Window::FindButton(bool (*matches)(const PushButton& button, uint32_t key), uint32_t key)
{
    // One round of the focus chain from the window back to it, whatever can take the focus.
    int32_t steps = 0;
    for (Pane* p = NextInFocusChain(*this, kFocusForward, *this); p && p != this;
         p = NextInFocusChain(*p, kFocusForward, *this)) {
        if (++steps > 100000)
            break;  // a chain that does not come back to the window: give up rather than loop
        if (p->Kind() != kKindPushButton)
            continue;
        auto* button = static_cast<PushButton*>(p);
        if (matches(*button, key))
            return button;
    }
    return nullptr;
}

PushButton* Window::FindDefaultButton()
{
    return FindButton([](const PushButton& button, uint32_t) { return button.IsDefault(); }, 0);
}

PushButton* Window::FindCancelButton()
{
    return FindButton([](const PushButton& button, uint32_t) { return button.IsCancel(); }, 0);
}

PushButton* Window::FindButtonByInitial(uint32_t codePoint)
{
    if (codePoint == 0)
        return nullptr;
    return FindButton(
        [](const PushButton& button, uint32_t key) {
            char initial[8] = {};
            const int32_t n = Utf8EncodeChar(initial, key);
            return n > 0 && CStrStartsWithNoCase(std::string_view(button.Label()), std::string_view(initial, size_t(n))) != 0;
        },
        codePoint);
}

int32_t Window::EndModalWithButton(CloseMode mode)
{
    PushButton* button = mode == CloseMode::PressDefault ? FindDefaultButton() : mode == CloseMode::WindowsOnly ? FindCancelButton() : nullptr;
    if (!button)
        return 0;
    button->Fire();
    return 1;
}

PushButton* Window::AddDialogButtons(int32_t)
{
    auto* ok = new PushButton(*this, OriginSize{int16_t(bounds.bottom - 32), int16_t(bounds.right - 88), 20, 70}, 0);
    ok->SetLabel(700);
    ok->SetDefault(true);
    auto* cancel = new PushButton(*this, OriginSize{int16_t(bounds.bottom - 32), int16_t(bounds.right - 188), 20, 80}, 0);
    cancel->SetLabel(701);
    return ok;
}

void Window::SetTitle(const char* text)
{
    title = text ? text : "";
    titleId = 0;
    platformWindow->title = title;
    Notify(kNotifyTitle);
    Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Title);
}

void Window::SetTitleById(int32_t textId)
{
    const char* text = LoadText(textId);
    title = text ? text : "";
    titleId = textId;
    platformWindow->title = title;
    Notify(kNotifyTitle);
    Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Title);
}

void Window::AddToUpdateRegion(const Region& region)
{
    Region area = region;
    IntersectRegionWithRect(area, bounds);
    if (area.IsEmpty())
        return;
    platformWindow->updateRegion.Union(area);
    Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Content);
}

void Window::SetModifiedMark(bool modified)
{
    if (platformWindow->modified == modified)
        return;
    platformWindow->modified = modified;
    Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Title);
}

void Window::RedrawNow(const Region& region)
{
    DrawingPort* port = platformWindow->Port();
    if (!port || !IsVisible())
        return;
    Region area = region;
    IntersectRegionWithRect(area, bounds);
    SavedPortState record;
    FocusWindowObject(record, WindowTarget{this, port, port->Depth()});
    SetRedrawArea(&area);
    DrawPane(true);
    SetRedrawArea(nullptr);
    RestorePortState(record);
    platformWindow->updateRegion.Subtract(area);
    Service<WindowSystem>::Get().WindowChanged(*this, WindowChange::Content);
}

void Window::Update()
{
    if (!platformWindow->updateRegion.IsEmpty()) {
        Region pending = platformWindow->updateRegion;
        RedrawNow(pending);
    }
}

std::string Window::RenderPng()
{
    RedrawNow(Region(bounds));
    DrawingPort* port = platformWindow->Port();
    return port ? port->EncodePng() : std::string();
}

void Window::PostPrintRequest(int32_t mode)
{
    ClearFocusedControl();
    if (IsErrorPending())
        return;
    while (printJob)
        YieldToAnyThread();
    printJob = std::make_unique<PrintJob>();
    printJob->mode = mode;
    // Returns once the main thread has ended the job, whichever way it ended.
    static_cast<void>(PostProgramEvent(ProgramEventKind::Print, this, this));
    printJob.reset();
}

void Window::PrintPhase(PrintJob&) {}

void Window::SetOwner(Window* window)
{
    owner = window;
}

void Window::RunModal()
{
    Window** tail = &modalChain;
    while (*tail)
        tail = &(*tail)->nextModal;
    *tail = this;
    nextModal = nullptr;
    modal = true;
    // Without a user to answer, the default button is pressed at once; a window without one ends
    // with nothing pressed.
    if (IsVisible() && (alwaysInteractive || !QueryUnattended())) {
        modalLoop.Run();
    } else if (PushButton* button = FindDefaultButton()) {
        button->Fire();
    }
    for (Window** link = &modalChain; *link; link = &(*link)->nextModal)
        if (*link == this) {
            *link = nextModal;
            break;
        }
    modal = false;
    // The loop updated the modal flag while this window was still in the chain: without this the
    // program went on as if a modal window were up (the File menu and Quit off, Ctrl+Q refused)
    // after the last one had ended. The menus follow at once.
    UpdateModalFlag();
    ResetMenuUpdateInterval();
}

void Window::EndModal() { modalLoop.Stop(); }

Window* Window::FirstModalWindow() { return modalChain; }

void Window::SetPlacementPoint(Point global) { placementPoint = global; }

bool Window::FocusByClick() { return focusByClick; }

}  // namespace vek
