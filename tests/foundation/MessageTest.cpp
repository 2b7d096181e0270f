// Tests of Message and its handlers: arguments, formatting, catching, alerts and pending errors.
#include "foundation/messages/Message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/messages/AlertMessageHandler.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

// Texts of the English catalog the tests rely on.
constexpr const char* kOpened605 = "The file “a.txt” could not be opened.";

std::string Formatted(const Message& message)
{
    String text;
    message.Format(text);
    return text.CStr();
}

// A handler that records what reaches it and either shows messages (answering `answer`) or passes them
// down like the base class.
class RecordingHandler : public MessageHandler {
public:
    explicit RecordingHandler(bool shows, int32_t answer = 0, int32_t unattended = 1)
        : shows(shows), answer(answer), unattended(unattended)
    {
    }
    ~RecordingHandler() override = default;

    void NoteMessage(const Message& message) override
    {
        noted.push_back(message.code);
        MessageHandler::NoteMessage(message);
    }
    int32_t ShowMessage(const Message& message) override
    {
        if (!shows)
            return MessageHandler::ShowMessage(message);
        shown.push_back(message.code);
        return answer;
    }
    int32_t IsUnattended() override { return unattended; }

    bool shows;
    int32_t answer;
    int32_t unattended;
    std::vector<int32_t> noted;
    std::vector<int32_t> shown;
};

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        SetUiLanguage(0);
    }
    void TearDown() override
    {
        ClearError();
        SetUiLanguage(0);
    }
};

TEST_F(MessageTest, NewMessageHasDocumentedDefaults)
{
    Message message;
    EXPECT_EQ(message.code, 0);
    EXPECT_EQ(message.titleNumber, 0);
    EXPECT_EQ(message.beeps, 0);
    EXPECT_EQ(message.kind, 2);
    EXPECT_EQ(message.owner, nullptr);
    EXPECT_EQ(message.textCount, 0);
    EXPECT_EQ(message.numberCount, 0);
    EXPECT_EQ(message.answer, 0);
}

TEST_F(MessageTest, TextArgumentsAreKeptWholeUpTo79BytesAndCutBeyond)
{
    struct Case {
        const char* name;
        std::string argument;
        std::string expected;
    };
    const std::string e79(79, 'e');
    const std::string e80(80, 'e');
    // 76 ASCII bytes, then a 2-byte "é" that the cut at 77 would split.
    const std::string accented = std::string(76, 'a') + "é" + "bbbb";
    const Case cases[] = {
        {"empty", "", ""},
        {"79 bytes", e79, e79},
        {"80 bytes", e80, std::string(77, 'e') + ".."},
        {"200 bytes", std::string(200, 'x'), std::string(77, 'x') + ".."},
        {"cut inside a character", accented, std::string(76, 'a') + ".."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Message message;
        message.AddTextBytes(c.argument.data(), int32_t(c.argument.size()));
        ASSERT_EQ(message.textCount, 1);
        EXPECT_EQ(std::string(message.texts[0]), c.expected);
    }
}

TEST_F(MessageTest, AppendersFillFourSlotsAndDropTheFifth)
{
    Message message;
    HeapText heap = NewHeapText("heap");
    message.AddText("one");
    message.AddHeapText(heap);
    message.AddLoadedText(text::kCancel);
    message.AddText(nullptr);
    message.AddText("fifth");
    for (int32_t n = 1; n <= 5; ++n)
        message.AddNumber(700 + n);
    MemFree(heap);

    ASSERT_EQ(message.textCount, 4);
    EXPECT_STREQ(message.texts[0], "one");
    EXPECT_STREQ(message.texts[1], "heap");
    EXPECT_STREQ(message.texts[2], "Cancel");
    EXPECT_STREQ(message.texts[3], "");
    ASSERT_EQ(message.numberCount, 4);
    EXPECT_EQ(message.numbers[3], 704);
}

TEST_F(MessageTest, EmptyArgumentsFromNullAndMissingTexts)
{
    Message message;
    message.AddHeapText(nullptr);
    message.AddLoadedText(32000);  // no text has this number
    message.AddEmptyText();
    message.AddFileName(nullptr);
    ASSERT_EQ(message.textCount, 4);
    for (const auto& text : message.texts)
        EXPECT_STREQ(text, "");
}

TEST_F(MessageTest, FileNameArgumentIsTheLastPathComponent)
{
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/user/Bases/Sales.vek", "Sales.vek"},
        {"Sales.vek", "Sales.vek"},
        {"/home/user/Bases/", "Bases"},
        {"/", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Message message;
        message.AddFileName(c.path);
        EXPECT_STREQ(message.texts[0], c.expected);
    }
}

TEST_F(MessageTest, FormatSubstitutesArgumentsIntoTheLoadedText)
{
    Message message;
    message.code = message::kCannotOpen;
    EXPECT_EQ(Formatted(message), "The file “@0” could not be opened.") << "a placeholder without argument stays";

    message.AddText("a.txt");
    EXPECT_EQ(Formatted(message), kOpened605) << "@0 takes the first argument";

    // An argument's text is not scanned for placeholders: a file named "a@0b" once grew the message
    // to the 32600-byte limit by substituting itself into itself.
    Message selfReferring;
    selfReferring.code = message::kCannotOpen;
    selfReferring.AddText("a@0b");
    EXPECT_EQ(Formatted(selfReferring), "The file “a@0b” could not be opened.");
    Message other;
    other.code = message::kCannotOpen;
    other.AddText("@1");
    other.AddText("b");
    other.AddNumber(text::kCancel);  // numeric arguments are never substituted
    EXPECT_EQ(Formatted(other), "The file “@1” could not be opened.");
}

TEST_F(MessageTest, FormatUsesTheUiLanguageWithEnglishFallback)
{
    Message cancel;
    cancel.code = text::kCancel;
    SetUiLanguage(12);  // Svenska
    EXPECT_EQ(Formatted(cancel), "Avbryt");
    Message missingInSwedish;
    missingInSwedish.code = message::kCannotOpen;
    missingInSwedish.AddText("a.txt");
    EXPECT_EQ(Formatted(missingInSwedish), kOpened605);
}

TEST_F(MessageTest, MessageWithoutTextFormatsToEmpty)
{
    Message message;
    message.code = 32000;
    message.AddText("ignored");
    EXPECT_EQ(Formatted(message), "");
}

// The handler stack as a sequence of steps: push or destroy named handlers, report a message, and
// check which handlers noted and showed it and what was answered.
TEST_F(MessageTest, HandlerStackDeliversToTheTopAndPassesDown)
{
    enum class Op { PushCatcher, PushPasser, PushShower, Destroy, Report };
    struct Step {
        Op op;
        const char* name;
        int32_t code;              // Report: the code; the preset answer is code % 10
        int32_t expectedAnswer;    // Report
        const char* caughtBy;      // Report: the catcher expected to record `code`, or ""
        int32_t expectedUnattended;
    };
    const Step steps[] = {
        {Op::Report, "", 605, 5, "", 1},                // empty stack: the preset answer
        {Op::PushCatcher, "low", 0, 0, "", 1},
        {Op::Report, "", 605, 5, "low", 1},
        {Op::PushPasser, "passer", 0, 0, "", 1},
        {Op::Report, "", 606, 6, "low", 1},             // passed down to the catcher
        {Op::PushShower, "shower", 0, 0, "", 0},
        {Op::Report, "", 607, 42, "", 0},                // shown on top, answered 42
        {Op::PushCatcher, "top", 0, 0, "", 1},
        {Op::Report, "", 608, 8, "top", 1},
        {Op::Destroy, "shower", 0, 0, "", 1},           // from the middle of the stack
        {Op::Destroy, "top", 0, 0, "", 1},
        {Op::Report, "", 609, 9, "low", 1},             // the chain stayed intact
        {Op::Destroy, "low", 0, 0, "", 1},
        {Op::Report, "", 610, 0, "", 1},                // passer alone: the preset answer
        {Op::Destroy, "passer", 0, 0, "", 1},
    };
    std::map<std::string, std::unique_ptr<MessageHandler>> handlers;
    int stepIndex = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(stepIndex++));
        switch (step.op) {
        case Op::PushCatcher: handlers[step.name] = std::make_unique<MessageCatcher>(); break;
        case Op::PushPasser: handlers[step.name] = std::make_unique<RecordingHandler>(false); break;
        case Op::PushShower: handlers[step.name] = std::make_unique<RecordingHandler>(true, 42, 0); break;
        case Op::Destroy: handlers.erase(step.name); break;
        case Op::Report: {
            Message message;
            message.code = step.code;
            message.answer = step.code % 10;
            message.AddText("a.txt");
            EXPECT_EQ(ReportMessage(message), step.expectedAnswer);
            for (auto& [name, handler] : handlers) {
                auto* catcher = dynamic_cast<MessageCatcher*>(handler.get());
                if (!catcher)
                    continue;
                if (name == step.caughtBy) {
                    EXPECT_EQ(catcher->Code(), step.code) << name;
                } else {
                    EXPECT_NE(catcher->Code(), step.code) << name;
                }
            }
            if (handlers.count("passer")) {
                EXPECT_EQ(static_cast<RecordingHandler&>(*handlers["passer"]).noted.back(), step.code);
            }
            break;
        }
        }
        EXPECT_EQ(QueryUnattended(), step.expectedUnattended);
    }
    EXPECT_EQ(TopMessageHandler(), nullptr);
}

TEST_F(MessageTest, EveryHandlerFromTheTopNotesTheMessageBeforeOneShowsIt)
{
    RecordingHandler bottom(true, 1);
    RecordingHandler middle(false);
    RecordingHandler top(false);
    Message message;
    message.code = message::kReadFailed;
    EXPECT_EQ(ReportMessage(message), 1);
    EXPECT_EQ(top.noted, std::vector<int32_t>{message::kReadFailed});
    EXPECT_EQ(middle.noted, std::vector<int32_t>{message::kReadFailed});
    EXPECT_EQ(bottom.noted, std::vector<int32_t>{message::kReadFailed});
    EXPECT_EQ(bottom.shown, std::vector<int32_t>{message::kReadFailed});
    EXPECT_EQ(TopMessageHandler(), &top);
    EXPECT_EQ(top.Next(), &middle);
}

TEST_F(MessageTest, CatcherRecordsCodeAndFormattedTextWithBlanksForCarriageReturns)
{
    MessageCatcher catcher;
    EXPECT_EQ(catcher.Code(), 0);
    EXPECT_STREQ(catcher.Text(), "");
    Message message;
    message.code = message::kCannotOpen;
    message.answer = 3;
    message.AddText("a\rb");
    EXPECT_EQ(ReportMessage(message), 3);
    EXPECT_EQ(catcher.Code(), message::kCannotOpen);
    EXPECT_STREQ(catcher.Text(), "The file “a b” could not be opened.");
}

// --- The pending error ------------------------------------------------------------------------------

TEST_F(MessageTest, ErrorSettersFillTheRecordAndTheFlag)
{
    struct Case {
        const char* name;
        void (*set)();
        int32_t code;
        int32_t kind;
        int32_t beeps;
    };
    const Case cases[] = {
        {"code", [] { SetErrorCode(message::kCannotOpen); }, message::kCannotOpen, 0, 1},
        {"out of memory", SetOutOfMemoryError, message::kOutOfMemory, 0, 0},
        {"resource missing", SetResourceMissingError, message::kResourceMissing, 0, 1},
        {"cancelled", SetCancelledError, -1, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A record left over from earlier is cleared first.
        GetPendingError().message.AddText("old");
        GetPendingError().message.AddNumber(text::kCancel);
        c.set();
        const PendingError& pending = GetPendingError();
        EXPECT_TRUE(IsErrorPending());
        EXPECT_EQ(pending.message.code, c.code);
        EXPECT_EQ(pending.message.kind, c.kind);
        EXPECT_EQ(pending.message.beeps, c.beeps);
        EXPECT_EQ(pending.message.textCount, 0);
        EXPECT_EQ(pending.message.numberCount, 0);
        ClearError();
        EXPECT_FALSE(IsErrorPending());
        EXPECT_EQ(GetPendingError().message.code, 0);
    }
}

TEST_F(MessageTest, SavedErrorStateIsClearedAndRestoredWhole)
{
    SetErrorCode(message::kWriteFailed);
    GetPendingError().message.AddText("x.txt");
    {
        PreservedErrorState preserved;
        EXPECT_FALSE(IsErrorPending());
        SetOutOfMemoryError();  // a failure of the bracketed work
    }
    EXPECT_TRUE(IsErrorPending());
    EXPECT_EQ(GetPendingError().message.code, message::kWriteFailed);
    EXPECT_STREQ(GetPendingError().message.texts[0], "x.txt");
}

TEST_F(MessageTest, ReportPendingErrorShowsPositiveCodesOnly)
{
    MessageCatcher catcher;
    SetCancelledError();
    ReportPendingErrorAt(1000);
    EXPECT_EQ(catcher.Code(), 0) << "a cancellation is never shown";
    EXPECT_FALSE(IsErrorPending());

    ReportPendingErrorAt(1000);  // nothing pending
    EXPECT_EQ(catcher.Code(), 0);

    SetErrorCode(message::kCannotOpen);
    GetPendingError().message.AddText("a.txt");
    ReportPendingErrorAt(1000);
    EXPECT_EQ(catcher.Code(), message::kCannotOpen);
    EXPECT_STREQ(catcher.Text(), kOpened605);
    EXPECT_FALSE(IsErrorPending());
    EXPECT_EQ(GetPendingError().message.code, 0);
}

TEST_F(MessageTest, OutOfMemoryIsShownAtMostOncePer3000Ms)
{
    struct Case {
        int64_t secondAfterMs;
        size_t expectedShown;
    };
    // Each case starts far from the last so that earlier reports do not count.
    const Case cases[] = {{2000, 1}, {2999, 1}, {3000, 2}, {4000, 2}};
    int64_t base = int64_t(1) << 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.secondAfterMs);
        base += 1000000;
        RecordingHandler shower(true);
        SetOutOfMemoryError();
        ReportPendingErrorAt(base);
        SetOutOfMemoryError();
        ReportPendingErrorAt(base + c.secondAfterMs);
        EXPECT_EQ(shower.shown.size(), c.expectedShown);
        EXPECT_FALSE(IsErrorPending()) << "a suppressed report still clears the error";
    }
}

// Raises another pending error while it shows one and reports it at once.
class ReentrantHandler : public MessageHandler {
public:
    ~ReentrantHandler() override = default;
    int32_t ShowMessage(const Message& message) override
    {
        shown.push_back(message.code);
        SetErrorCode(message::kReadFailed);
        ReportPendingErrorAt(0);
        return 0;
    }
    std::vector<int32_t> shown;
};

TEST_F(MessageTest, ReportRaisedWhileOneIsShownIsDropped)
{
    ReentrantHandler handler;
    SetErrorCode(message::kCannotOpen);
    ReportPendingErrorAt(0);
    EXPECT_EQ(handler.shown, std::vector<int32_t>{message::kCannotOpen});
    EXPECT_FALSE(IsErrorPending());
    // The guard is released afterwards.
    SetErrorCode(message::kWriteFailed);
    ReportPendingErrorAt(0);
    EXPECT_EQ(handler.shown, (std::vector<int32_t>{message::kCannotOpen, message::kWriteFailed}))
        << "the nested reports were dropped";
}

// --- The alert handler ------------------------------------------------------------------------------

class FakeDisplay : public DisplayServices {
public:
    ~FakeDisplay() override = default;
    bool HasDisplay() const override { return true; }
    void Beep() override { ++beeps; }
    void FlushFrontWindow() override {}
    void BringApplicationToFront() override { ++broughtForward; }
    int32_t PresentAlert(const Message&, const String& text) override
    {
        alertText = text.CStr();
        return 2;
    }
    int beeps = 0;
    int broughtForward = 0;
    std::string alertText;
};

TEST_F(MessageTest, AlertHandlerWithoutDisplayWritesToStderrAndTakesThePresetAnswer)
{
    AlertMessageHandler alert;
    EXPECT_EQ(QueryUnattended(), 1);
    Message message;
    message.code = message::kCannotOpen;
    message.answer = 1;
    message.AddText("a.txt");
    message.AddNumber(text::kOk);
    message.AddNumber(text::kCancel);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ReportMessage(message), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string(kOpened605) + "\n");
}

TEST_F(MessageTest, AlertHandlerWithDisplayBeepsAndAsksTheDisplay)
{
    FakeDisplay display;
    {
        ScopedService<DisplayServices> replaced(&display);
        AlertMessageHandler alert;
        EXPECT_EQ(QueryUnattended(), 0);
        SetErrorCode(message::kCannotOpen);  // one beep
        GetPendingError().message.AddText("a.txt");
        GetPendingError().message.beeps = 3;
        ReportPendingErrorAt(0);
    }
    EXPECT_EQ(display.beeps, 3);
    EXPECT_EQ(display.broughtForward, 1);
    EXPECT_EQ(display.alertText, kOpened605);
}

}  // namespace
}  // namespace vek
