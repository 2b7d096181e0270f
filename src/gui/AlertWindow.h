// AlertWindow and TimedNoticeWindow: the windows that put a message or a notice before the user, and
// the display services that show the application's alerts through them.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/messages/Message.h"
#include "gui/Window.h"

namespace vek {

class StaticText;

// The dialog of one message: its formatted text wrapped in a 320-pixel column and its buttons (the
// message's button texts, at most four, laid out from the right; one OK button when it has none). The
// button at the message's preset answer is the default button, so that a run nobody attends (and a
// quit that presses default buttons) takes the preset answer. The window lives on the caller's stack
// and is run with RunModal.
class AlertWindow : public Window {
public:
    explicit AlertWindow(const Message& message);
    ~AlertWindow() override;

    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    CommandTarget* ControlCommand(Control& control) override;

    // The position of the pressed button among the message's button texts; the preset answer until
    // one is pressed, and for the lone OK button of a message without button texts.
    int32_t Answer() const { return answer; }
    const std::string& Text() const { return text; }
    PushButton* ButtonAt(int32_t position);

    // Control ids of the buttons: 16 minus the position.
    static constexpr int32_t kFirstButtonId = 16;

private:
    void AddButtons();

    Message message;
    int32_t answer = 0;
    std::string text;
    int32_t textHeight = 0;
};

// A notice with an OK button that can count down and press OK by itself. With a countdown it runs
// also when nobody attends, until the count has passed; without one, an unattended run ends at once.
class TimedNoticeWindow : public Window {
public:
    // title: null or empty takes the program's title. seconds: 0 or less for no countdown.
    TimedNoticeWindow(const char* text, const char* title, int32_t seconds);
    ~TimedNoticeWindow() override;

    CommandTarget* Notify(int32_t code) override;
    CommandTarget* ControlCommand(Control& control) override;

    int32_t Countdown() const { return countdown; }
    StaticText* CountdownText() const { return countdownText; }
    PushButton* OkButton() const { return okButton; }
    bool Pressed() const { return pressed; }

private:
    std::string text;
    PushButton* okButton = nullptr;
    int32_t countdown = 0;
    StaticText* countdownText = nullptr;
    int64_t lastStep = 0;
    bool pressed = false;
};

// Shows the notice modally and returns when it was answered or counted down.
void RunTimedNotice(const char* text, const char* title, int32_t seconds);

// A title made of a command's text: kept when at most 64 bytes, else its first 48 and last 24 bytes
// (cut at whole characters) joined by "…".
std::string ShortenedCommandTitle(const std::string& command);

// The display services of the GUI library: alerts become AlertWindows run modally (their text also
// goes to stderr when no display is there to show them); without an application, the headless
// services answer.
void RegisterAlertDisplayServices();

}  // namespace vek
