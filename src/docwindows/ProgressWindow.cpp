// ProgressWindow: construction, pacing of repaints, the time-left text and the buttons.
#include "docwindows/ProgressWindow.h"

#include <algorithm>
#include <memory>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Clock.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/strings/String.h"
#include "drawing/Shapes.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "model/base/Base.h"

namespace vek {

namespace {

ProgressWindow* firstProgressWindow = nullptr;
bool showProgressWindows = true;

constexpr int32_t kProgressWidth = 300;
constexpr int32_t kProgressHeight = 108;
constexpr int32_t kProgressShortHeight = 62;
// Reports closer together than this are passed over (unless the work is done).
constexpr int64_t kReportSpacingMs = 200;
// The window shows only for work that lasts, and not when it is nearly done anyway.
constexpr int64_t kShowAfterMs = 250;
constexpr int32_t kShowBelowPixels = 91;
constexpr size_t kTimeLeftCapacity = 32;

int32_t TitleTextOfKind(ProgressKind kind)
{
    switch (kind) {
    case ProgressKind::Importing: return text::kProgressImportingTitle;
    case ProgressKind::Writing: return text::kProgressWritingTitle;
    case ProgressKind::Releasing: return text::kProgressReleasingTitle;
    default: return text::kProgressReadingTitle;
    }
}

OriginSize ProgressFrame(ProgressKind kind)
{
    int32_t height = (kind == ProgressKind::Writing || kind == ProgressKind::Releasing) ? kProgressShortHeight
                                                                                         : kProgressHeight;
    OriginSize frame{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(kProgressWidth)};
    if (firstProgressWindow) {
        OriginSize newest = firstProgressWindow->Frame();
        frame.top = static_cast<int16_t>(newest.top + 12);
        frame.left = static_cast<int16_t>(newest.left + 16);
    }
    return frame;
}

MenuItem* EditMenu()
{
    MenuItem* cut = FindMenuItemByCommand(kCommandCut);
    return cut ? cut->Parent() : nullptr;
}

// Rectangles are {top, left, bottom, right} in the window.
Rect MakeProgressRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return Rect{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(bottom),
                static_cast<int16_t>(right)};
}

OriginSize RectFrame(const Rect& r)
{
    return OriginSize{r.top, r.left, static_cast<int16_t>(r.Height()), static_cast<int16_t>(r.Width())};
}

}  // namespace

ProgressWindow::ProgressWindow(ProgressKind windowKind, Base* forBase, const FilePath& forFile)
    : Window(kKindDialogWindow, ProgressFrame(windowKind), 0, nullptr, false), kind(windowKind),
      base(forBase), file(forFile)
{
    String title;
    title.AssignCStr(LoadText(TitleTextOfKind(kind)));
    String name;
    file.GetDisplayFileName(name);
    title.SubstituteArg(0, name);
    SetTitle(title.CStr());
    SetVisible(false);

    auto* stepLabel = new StaticText(*this, RectFrame(MakeProgressRect(15, 10, 100, 26)), true);
    stepLabel->SetTextById(text::kProgressStepLabel);
    captionText = new StaticText(*this, RectFrame(MakeProgressRect(101, 10, 281, 26)), true);
    if (HasTimeLeft()) {
        auto* timeLabel = new StaticText(*this, RectFrame(MakeProgressRect(15, 27, 100, 43)), true);
        timeLabel->SetTextById(text::kProgressTimeLabel);
        timeText = new StaticText(*this, RectFrame(MakeProgressRect(101, 27, 281, 43)), true);
        timeText->SetTextById(text::kProgressTimeUnknown);
        timeLeftText = LoadText(text::kProgressTimeUnknown) ? LoadText(text::kProgressTimeUnknown) : "";
        auto* cancel = new PushButton(*this, OriginSize{74, 14, 20, 80}, kCancelButton);
        cancel->SetLabel(text::kCancel);
        auto* stop = new PushButton(*this, OriginSize{74, 206, 20, 80}, kStopButton);
        stop->SetLabel(text::kStopAll);
    }
    next = firstProgressWindow;
    firstProgressWindow = this;
    if (MenuItem* edit = EditMenu()) {
        editMenuWasEnabled = edit->IsEnabled();
        edit->SetEnabled(false);
    }
    estimate.Start(0, CurrentTimeMs(), false);
    FinishConstruction();
}

ProgressWindow::~ProgressWindow()
{
    PrepareDestruction();
    if (MenuItem* edit = EditMenu())
        edit->SetEnabled(editMenuWasEnabled);
    for (ProgressWindow** link = &firstProgressWindow; *link; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
    if (next)
        next->Invalidate();
}

ProgressWindow* ProgressWindow::First() { return firstProgressWindow; }

void ProgressWindow::SetShowProgress(bool show) { showProgressWindows = show; }

bool ProgressWindow::ShowProgress() { return showProgressWindows; }

void ProgressWindow::Start(int64_t total, bool moreSamples)
{
    estimate.Start(total, CurrentTimeMs(), moreSamples);
    lastReport = estimate.StartTime();
}

void ProgressWindow::SetTotal(int64_t total) { estimate.SetTotal(total); }

void ProgressWindow::SetCount(int64_t count) { Report(count); }

void ProgressWindow::SetStep(int32_t textNumber)
{
    if (textNumber == step)
        return;
    step = textNumber;
    const char* loaded = LoadText(textNumber);
    caption = loaded ? loaded : "";
    if (captionText)
        captionText->SetTextString(caption.c_str());
}

void ProgressWindow::Report(int64_t done)
{
    int64_t now = CurrentTimeMs();
    if (now - lastReport < kReportSpacingMs && done < estimate.Total())
        return;
    lastReport = now;
    Advance(done, now);
}

void ProgressWindow::Advance(int64_t done, int64_t now)
{
    if (HasTimeLeft()) {
        estimate.UpdateTimeLeft(done, now);
        ShowTimeLeft(estimate.ShownSeconds());
    }
    if (estimate.Pace(done, now))
        SetBar(estimate.BarPosition(), now);
}

void ProgressWindow::SetBar(int32_t, int64_t now)
{
    if (!IsVisible()) {
        // Headless nobody could see it: the window stays hidden there.
        if (showProgressWindows && Service<DisplayServices>::Get().HasDisplay() &&
            now - estimate.StartTime() > kShowAfterMs && estimate.BarPosition() < kShowBelowPixels)
            SetVisible(true);
        return;
    }
    Invalidate();
}

void ProgressWindow::ShowTimeLeft(int32_t seconds)
{
    if (seconds == shownTimeSeconds || seconds <= 0 || seconds >= ProgressEstimate::kUnknownSeconds)
        return;
    shownTimeSeconds = seconds;
    String text;
    String number;
    if (seconds >= 120) {
        text.AssignCStr(LoadText(text::kProgressMinutesLeft));
        number.AssignInt64(seconds / 60);
        text.SubstituteArg(0, number);
        number.AssignInt64(seconds % 60);
        text.SubstituteArg(1, number);
    } else if (seconds >= 60) {
        text.AssignCStr(LoadText(text::kProgressMinuteLeft));
        number.AssignInt64(seconds - 60);
        text.SubstituteArg(0, number);
    } else if (seconds >= 2) {
        text.AssignCStr(LoadText(text::kProgressSecondsLeft));
        number.AssignInt64(seconds);
        text.SubstituteArg(0, number);
    } else {
        text.AssignCStr(LoadText(text::kProgressSecondLeft));
    }
    timeLeftText = text.CStr();
    if (timeLeftText.size() > kTimeLeftCapacity - 1) {
        size_t cut = kTimeLeftCapacity - 1;
        while (cut > 0 && (static_cast<uint8_t>(timeLeftText[cut]) & 0xC0) == 0x80)
            --cut;  // not inside a character
        timeLeftText.resize(cut);
    }
    if (timeText)
        timeText->SetTextString(timeLeftText.c_str());
}

CommandTarget* ProgressWindow::ControlCommand(Control& control)
{
    if (control.ControlId() == kCancelButton || control.ControlId() == kStopButton) {
        // Stop keeps what was done; Cancel drops the partly read base as well.
        if (control.ControlId() == kCancelButton)
            discardRequested = true;
        if (base)
            base->StopOperation();
        return nullptr;
    }
    return Window::ControlCommand(control);
}

void ProgressWindow::UpdateMenus()
{
    Window::UpdateMenus();
    if (MenuItem* edit = EditMenu())
        edit->SetEnabled(false);
}

void ProgressWindow::Draw()
{
    Window::Draw();
    int32_t top = HasTimeLeft() ? 50 : 33;
    Rect frame = MakeProgressRect(13, top, 287, top + 12);
    FrameRectWidth(frame, 1);
    Rect filled = MakeProgressRect(14, top + 1, 14 + std::min(estimate.BarPosition(), ProgressEstimate::kBarWidth - 2),
                                   top + 11);
    if (!filled.IsEmpty())
        FillRectColor(filled, 8);
}

namespace {

// Passes a kind 5 display (and any other) to a progress window while an application exists.
ProgressKind ProgressKindOf(int32_t kind)
{
    switch (kind) {
    case 1: return ProgressKind::Importing;
    case 3: return ProgressKind::Writing;
    case 5: return ProgressKind::Releasing;
    default: return ProgressKind::Reading;
    }
}

}  // namespace

std::unique_ptr<ProgressDisplay> OpenProgressWindow(int32_t kind, Base* base)
{
    if (!Application::Get())
        return std::make_unique<ProgressDisplay>();
    FilePath file = base ? base->Path() : FilePath();
    auto window = std::make_unique<ProgressWindow>(ProgressKindOf(kind), base, file);
    window->Start(0, false);
    return window;
}

}  // namespace vek
