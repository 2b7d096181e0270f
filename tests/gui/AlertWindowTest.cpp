// AlertWindowTest: alerts and notices by table (buttons, default, headless answers), answering by
// key, quitting while an alert runs, and the countdown of a timed notice.
#include "gui/AlertWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Clock.h"
#include "gui/Application.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/WindowSystem.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// Puts a user before the messages (the top handler answers that somebody attends); showing is left
// to the application's alert handler below it.
class AttendedHandler final : public MessageHandler {
public:
    int32_t IsUnattended() override { return 0; }
};

Message Question(std::initializer_list<int32_t> buttons, int32_t preset)
{
    Message message;
    message.code = message::kSaveChanges;
    message.AddText("Budget.vek");
    for (int32_t id : buttons)
        message.AddNumber(id);
    message.answer = preset;
    return message;
}

class AlertWindowTest : public ::testing::Test {
public:
    void SetUp() override { application = std::make_unique<Application>(true); }
    void TearDown() override
    {
        application.reset();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
};

TEST_F(AlertWindowTest, ButtonsAreLaidOutFromTheRightWithThePresetAnswerAsDefault)
{
    struct Case {
        const char* name;
        std::initializer_list<int32_t> buttons;
        int32_t preset;
        int32_t expectedButtons;
        int32_t expectedDefault;  // position, -1 none
    };
    const Case cases[] = {
        {"no button texts: one OK", {}, 0, 1, 0},
        {"two buttons, preset second", {text::kClose, text::kCancel}, 1, 2, 1},
        {"three buttons, third at the left edge", {text::kSave, text::kCancel, text::kDontSave}, 1, 3, 1},
        {"four buttons, fourth on a second row", {text::kContinue, text::kCancel, text::kStopAll, text::kErrorsToFile}, 0, 4, 0},
        {"an empty text id is skipped", {text::kSave, 0, text::kDontSave}, 2, 2, 2},
        {"a preset beyond the buttons: no default", {text::kClose, text::kCancel}, 5, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Message message = Question(c.buttons, c.preset);
        AlertWindow alert(message);
        const int32_t height = alert.Bounds().bottom;
        int32_t found = 0;
        int32_t defaultAt = -1;
        int32_t previousLeft = 0;
        for (int32_t position = 0; position < 4; ++position) {
            PushButton* button = alert.ButtonAt(position);
            if (!button)
                continue;
            ++found;
            if (button->IsDefault())
                defaultAt = position;
            const int32_t top = button->Position().v;
            const int32_t left = button->Position().h;
            const int32_t right = left + button->Size().h;
            EXPECT_EQ(button->Size().v, 20);
            if (c.buttons.size() == 0) {
                EXPECT_EQ(left, 255);
                EXPECT_EQ(button->Label(), "OK");
            }
            if (position == 0 || position == 3) {
                EXPECT_EQ(right, 325);
            }
            if (position == 1) {
                EXPECT_EQ(right, previousLeft - 20);
            }
            if (position == 2 && c.buttons.size() >= 3 && *(c.buttons.begin() + 1) != 0) {
                EXPECT_EQ(left, 15);
            }
            EXPECT_EQ(top, position == 3 ? height - 34 - 32 : height - 34);
            EXPECT_GE(left, 8);
            previousLeft = left;
        }
        EXPECT_EQ(found, c.expectedButtons);
        EXPECT_EQ(defaultAt, c.expectedDefault);
        EXPECT_EQ(alert.Answer(), c.preset);
        if (c.buttons.size() >= 4) {
            EXPECT_GE(height, 86 + 32);
        }
    }
}

TEST_F(AlertWindowTest, NobodyAttendingTakesThePresetAnswerThroughTheDefaultButton)
{
    // The model's questions preset the answer that destroys nothing; without a user the alert window
    // presses that button, so the answer is the preset one whichever position it has.
    struct Case {
        const char* name;
        std::initializer_list<int32_t> buttons;
        int32_t preset;
    };
    const Case cases[] = {
        {"save changes: Cancel keeps the base", {text::kSave, text::kCancel, text::kDontSave}, 1},
        {"close: Close when nothing is lost", {text::kClose, text::kCancel}, 0},
        {"damaged block: Cancel keeps nothing", {text::kCancel, text::kContinue}, 0},
        {"no buttons: the preset passes through", {}, 3},
        {"no default button: the preset passes through", {text::kClose, text::kCancel}, 7},
    };
    testing::internal::CaptureStderr();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReportMessage(Question(c.buttons, c.preset)), c.preset);
        EXPECT_EQ(Window::FirstModalWindow(), nullptr);
        EXPECT_EQ(application->FirstChild(), nullptr) << "the alert window is gone after its answer";
    }
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("Budget.vek"), std::string::npos) << "without a display the text goes to stderr";
}

TEST_F(AlertWindowTest, AttendedAlertIsAnsweredByTheInitialOfAButton)
{
    test::Watchdog watchdog("alert answered by key", 20);
    AttendedHandler attended;
    struct Case {
        uint32_t character;
        int32_t answer;
    };
    const Case cases[] = {{'d', 2}, {'S', 0}, {27, 1}, {13, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.character);
        PlatformEvent key;
        key.kind = PlatformEventKind::KeyDown;
        key.character = c.character;
        key.virtualKey = c.character == 27 ? 53 : c.character == 13 ? 36 : 0;
        system.Inject(key, nullptr);
        EXPECT_EQ(ReportMessage(Question({text::kSave, text::kCancel, text::kDontSave}, 1)), c.answer);
        RunEventLoopUntil([] { return ReadyThreadCount() == 0 && LiveThreadCount() == 0; }, 5000);
    }
}

TEST_F(AlertWindowTest, TitleIsTheMessageTitleElseTheShortenedCommandText)
{
    Message titled = Question({}, 0);
    titled.titleNumber = text::kQuit;
    EXPECT_EQ(AlertWindow(titled).Title(), "Quit");

    const std::string longCommand = std::string(40, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" + std::string(40, 'b');
    ScopedCommandText command(longCommand);
    const std::string shortened = AlertWindow(Question({}, 0)).Title();
    // 48 bytes would end inside "é": the head stops before it; the tail is the last 24 bytes.
    EXPECT_EQ(shortened, std::string(40, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" + "\xE2\x80\xA6" + std::string(24, 'b'));
    EXPECT_EQ(ShortenedCommandTitle(std::string(64, 'x')), std::string(64, 'x'));
    EXPECT_EQ(ShortenedCommandTitle(std::string(65, 'x')).size(), size_t(48 + 3 + 24));
}

TEST_F(AlertWindowTest, QuitPressesTheDefaultOrCancelButtonOfARunningAlertAndModeZeroRefuses)
{
    test::Watchdog watchdog("quit while an alert runs", 20);
    AttendedHandler attended;
    struct Case {
        CloseMode mode;
        int32_t agreed;
        int32_t answer;  // -1: still running after the quit
    };
    const Case cases[] = {{CloseMode::PressDefault, 1, 0}, {CloseMode::WindowsOnly, 1, 1}, {CloseMode::Normal, 0, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int32_t(c.mode));
        struct Run {
            int32_t answer = -1;
            AlertWindow* alert = nullptr;
        } run;
        // The alert runs in an action thread, which waits in its modal loop.
        const CooperativeThreadId thread = NewCooperativeThread(
            [](void* raw) {
                auto& r = *static_cast<Run*>(raw);
                AlertWindow alert(Question({text::kContinue, text::kCancel}, 0));
                r.alert = &alert;
                alert.RunModal();
                r.answer = alert.Answer();
                r.alert = nullptr;
            },
            &run);
        SwitchToThread(thread);
        ASSERT_NE(run.alert, nullptr);
        ASSERT_EQ(Window::FirstModalWindow(), run.alert);
        EXPECT_EQ(application->Quit(c.mode), c.agreed);
        if (c.answer < 0) {
            EXPECT_EQ(run.answer, -1);
            run.alert->EndModalWithButton(CloseMode::WindowsOnly);  // end it for the next case
        }
        ASSERT_TRUE(RunEventLoopUntil(
            [&] {
                application->RunIdleTasks();
                return LiveThreadCount() == 0;
            },
            5000));
        if (c.answer >= 0) {
            EXPECT_EQ(run.answer, c.answer);
        }
        EXPECT_EQ(application->LoopState().quitFlag, c.agreed);
        application->LoopState().quitFlag = 0;
        ResetEventLoopQuit();
    }
}

TEST_F(AlertWindowTest, TimedNoticeCountsDownAndPressesOkByItself)
{
    ManualClock clock;
    ScopedService<Clock> clockScope{&clock};
    TimedNoticeWindow notice("The web service stops.", nullptr, 3);
    EXPECT_TRUE(notice.alwaysInteractive) << "a countdown runs also where nobody attends";
    ASSERT_NE(notice.CountdownText(), nullptr);
    EXPECT_EQ(notice.CountdownText()->Text(), "3");
    EXPECT_EQ(notice.Title(), std::string(ProgramTitle()));
    std::string shown;
    for (int32_t second = 1; second <= 4 && !notice.Pressed(); ++second) {
        clock.AdvanceMs(999);
        notice.Notify(kNotifyTick);
        EXPECT_FALSE(notice.Pressed()) << "999 ms is not yet a step";
        clock.AdvanceMs(1);
        notice.Notify(kNotifyTick);
        shown += notice.CountdownText()->Text();
    }
    EXPECT_EQ(shown, "2100") << "2, 1, 0 shown, then the fourth step presses OK";
    EXPECT_TRUE(notice.Pressed());
    EXPECT_EQ(notice.Countdown(), -1);
}

TEST_F(AlertWindowTest, NoticeWithoutCountdownEndsAtOnceWhereNobodyAttends)
{
    // Regression: an always-interactive notice without a countdown would wait for ever in a run
    // without a user.
    test::Watchdog watchdog("timed notice without countdown", 10);
    TimedNoticeWindow notice("Done.", "Export", 0);
    EXPECT_FALSE(notice.alwaysInteractive);
    EXPECT_EQ(notice.CountdownText(), nullptr);
    EXPECT_EQ(notice.Title(), "Export");
    notice.RunModal();
    EXPECT_TRUE(notice.Pressed());
    RunTimedNotice("Done.", nullptr, 0);
}

TEST_F(AlertWindowTest, LongTextGrowsTheWindowAndStaticTextFollowsItsSource)
{
    Message shortMessage = Question({}, 0);
    Message longMessage;
    longMessage.code = message::kSaveChanges;
    longMessage.AddText("1\r2\r3\r4\r5\r6\r7");  // line breaks of the message's own text
    AlertWindow small(shortMessage);
    AlertWindow large(longMessage);
    EXPECT_EQ(small.Bounds().bottom, 86);
    EXPECT_GT(large.Bounds().bottom, 86);
    PushButton* ok = large.ButtonAt(0);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Position().v, large.Bounds().bottom - 34) << "the buttons move down with the text";

    StaticText* byId = new StaticText(small, OriginSize{0, 0, 12, 60}, true);
    byId->SetTextById(text::kQuit);
    StaticText* literal = new StaticText(small, OriginSize{20, 0, 12, 60}, true);
    literal->SetTextString("Quit now");
    small.Notify(kNotifyGlobalSetting);
    EXPECT_EQ(byId->Text(), "Quit");
    EXPECT_EQ(literal->Text(), "Quit now");
}

}  // namespace
}  // namespace vek
