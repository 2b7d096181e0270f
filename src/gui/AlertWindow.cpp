// AlertWindow and TimedNoticeWindow: layout of the message and its buttons, answers, the countdown,
// and the display services that run them.
#include "gui/AlertWindow.h"

#include <algorithm>

#include "foundation/messages/LocalizedText.h"
#include "foundation/services/Clock.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

// Geometry shared by the alert and the notice: a 340 × 86 window, the text in a 320-pixel column from
// (10, 10) at least 42 high, the buttons 34 pixels above the bottom.
constexpr int16_t kWindowWidth = 340;
constexpr int16_t kWindowHeight = 86;
constexpr int16_t kTextMargin = 10;
constexpr int16_t kTextWidth = 320;
constexpr int32_t kMinTextHeight = 42;
constexpr int16_t kButtonHeight = 20;
constexpr int16_t kButtonsAboveBottom = 34;
constexpr int16_t kButtonsRight = 325;
constexpr int16_t kOkLeft = 255;
constexpr int16_t kOkWidth = 70;

TextStyle WrappedStyle()
{
    TextStyle style;
    style.flags = kTextWrap;
    return style;
}

int32_t WrappedTextHeight(const std::string& text)
{
    return std::max(kMinTextHeight, MeasureTextHeightInStyle(WrappedStyle(), text, kTextWidth));
}

// The column of text at the top of an alert or notice.
void AddTextColumn(Window& window, const std::string& text, int32_t height)
{
    auto* column = new StaticText(window, OriginSize{kTextMargin, kTextMargin, ClampCoordinate(height), kTextWidth}, false);
    column->SetTextFlags(kTextWrap, kTextWrap);
    column->SetTextString(text.c_str());
    column->FinishConstruction();
}

}  // namespace

std::string ShortenedCommandTitle(const std::string& command)
{
    if (command.size() <= 64)
        return command;
    const int32_t n = int32_t(command.size());
    const int32_t headEnd = Utf8SafeCut(command.data(), n, 48);
    const int32_t tailStart = Utf8BoundaryAfter(command.data(), n, n - 24);
    return command.substr(0, size_t(headEnd)) + "\xE2\x80\xA6" + command.substr(size_t(tailStart));
}

// --- AlertWindow -----------------------------------------------------------------------------------

AlertWindow::AlertWindow(const Message& shown)
    : Window(kKindDialogWindow, OriginSize{0, 0, kWindowHeight, kWindowWidth}, 0, shown.owner, false), message(shown)
{
    answer = message.answer;
    if (message.titleNumber != 0)
        SetTitleById(message.titleNumber);
    else if (!CurrentCommandText().empty())
        SetTitle(ShortenedCommandTitle(CurrentCommandText()).c_str());
    String formatted;
    message.Format(formatted);
    text = formatted.CStr();
    textHeight = WrappedTextHeight(text);
    int32_t grow = textHeight - kMinTextHeight;
    if (message.numberCount >= 4)
        grow += 32;
    if (grow > 0)
        ResizeBy(0, grow);
    AddTextColumn(*this, text, textHeight);
    AddButtons();
    FinishConstruction();
}

AlertWindow::~AlertWindow() { PrepareDestruction(); }

void AlertWindow::AddButtons()
{
    const int16_t top = ClampCoordinate(bounds.bottom - kButtonsAboveBottom);
    if (message.numberCount <= 0) {
        auto* ok = new PushButton(*this, OriginSize{top, kOkLeft, kButtonHeight, kOkWidth}, kFirstButtonId);
        ok->SetLabel(700);
        ok->SetDefault(true);
        return;
    }
    const int32_t count = std::min(message.numberCount, Message::kMaxArguments);
    int32_t right = kButtonsRight;
    bool pinnedLeft = false;
    for (int32_t position = 0; position < count; ++position) {
        const int32_t textId = message.numbers[position];
        if (textId == 0)
            continue;
        const char* label = LoadText(textId);
        const std::string labelText = label ? label : "";
        int32_t rowTop = top;
        if (position == 3) {
            rowTop = top - 32;
            right = kButtonsRight;
        }
        const int32_t width = std::max(MeasureTextWidthInStyle(TextStyle{}, labelText), 40) + 20;
        int32_t left = right - width;
        int32_t buttonWidth = width;
        if (left < 0) {
            buttonWidth += left;
            left = 0;
            pinnedLeft = true;
        }
        if (left < 8) {
            left = 8;
            pinnedLeft = true;
        }
        if (position == 2 && !pinnedLeft) {
            left = 15;
            buttonWidth = width;
        }
        auto* button = new PushButton(*this,
                                      OriginSize{ClampCoordinate(rowTop), ClampCoordinate(left), kButtonHeight,
                                                 ClampCoordinate(std::max(buttonWidth, 1))},
                                      kFirstButtonId - position);
        button->SetLabel(textId);
        if (position == message.answer)
            button->SetDefault(true);
        right = left - 20;
    }
}

PushButton* AlertWindow::ButtonAt(int32_t position)
{
    Control* control = FindById(kFirstButtonId - position);
    return control && control->Kind() == kKindPushButton ? static_cast<PushButton*>(control) : nullptr;
}

int32_t AlertWindow::KeyDown(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Window::KeyDown(event, pane))
        return taken;
    if (event.key < 32 || event.command || event.control)
        return 0;
    if (PushButton* button = FindButtonByInitial(uint32_t(event.key))) {
        button->Flash();
        return 1;
    }
    return 0;
}

CommandTarget* AlertWindow::ControlCommand(Control& control)
{
    // The lone OK button of a message without button texts keeps the preset answer.
    if (message.numberCount > 0)
        answer = kFirstButtonId - control.ControlId();
    EndModal();
    return this;
}

// --- TimedNoticeWindow -----------------------------------------------------------------------------

TimedNoticeWindow::TimedNoticeWindow(const char* noticeText, const char* title, int32_t seconds)
    : Window(kKindDialogWindow, OriginSize{0, 0, kWindowHeight, kWindowWidth}, 0, nullptr, false),
      text(noticeText ? noticeText : "")
{
    // Only a countdown ends a notice by itself: one without, run where nobody attends, would wait
    // for ever, so it then ends at once like any other dialog.
    alwaysInteractive = seconds > 0;
    SetTitle(title && *title ? title : ProgramTitle());
    const int32_t height = WrappedTextHeight(text);
    if (height > kMinTextHeight)
        ResizeBy(0, height - kMinTextHeight);
    AddTextColumn(*this, text, height);
    if (seconds > 0) {
        countdown = seconds;
        countdownText = new StaticText(*this, OriginSize{ClampCoordinate(bounds.bottom - 30), 10, 12, 30}, true);
        countdownText->SetTextString(std::to_string(countdown).c_str());
    }
    okButton = new PushButton(*this, OriginSize{ClampCoordinate(bounds.bottom - kButtonsAboveBottom), kOkLeft, kButtonHeight, kOkWidth}, 1);
    okButton->SetLabel(700);
    okButton->SetDefault(true);
    lastStep = CurrentTimeMs();
    FinishConstruction();
}

TimedNoticeWindow::~TimedNoticeWindow() { PrepareDestruction(); }

CommandTarget* TimedNoticeWindow::Notify(int32_t code)
{
    CommandTarget* answer = Window::Notify(code);
    if (code == kNotifyTick && countdownText && !pressed) {
        const int64_t now = CurrentTimeMs();
        while (now - lastStep > 999 && countdown >= 0) {
            lastStep += 1000;
            --countdown;
            if (countdown >= 0)
                countdownText->SetTextString(std::to_string(countdown).c_str());
        }
        if (countdown < 0)
            okButton->Fire();
    }
    return answer;
}

CommandTarget* TimedNoticeWindow::ControlCommand(Control&)
{
    pressed = true;
    EndModal();
    return this;
}

void RunTimedNotice(const char* text, const char* title, int32_t seconds)
{
    TimedNoticeWindow notice(text, title, seconds);
    notice.RunModal();
}

// --- the display services --------------------------------------------------------------------------

namespace {

class AlertDisplayServices final : public DisplayServices {
public:
    bool HasDisplay() const override { return Service<WindowSystem>::Get().HasDisplay(); }
    void Beep() override { Headless().Beep(); }
    void FlushFrontWindow() override { Headless().FlushFrontWindow(); }
    void BringApplicationToFront() override { Headless().BringApplicationToFront(); }
    int32_t PresentAlert(const Message& message, const String& text) override
    {
        Application* application = Application::Get();
        if (!application)
            return Headless().PresentAlert(message, text);
        // Without a display nobody reads the window: the text goes to stderr as well.
        if (!HasDisplay())
            Headless().PresentAlert(message, text);
        application->Activate();
        AlertWindow alert(message);
        alert.RunModal();
        return alert.Answer();
    }

private:
    static DisplayServices& Headless() { return Service<DisplayServices>::Headless(); }
};

}  // namespace

void RegisterAlertDisplayServices()
{
    static AlertDisplayServices services;
    Service<DisplayServices>::Register(&services);
}

}  // namespace vek
