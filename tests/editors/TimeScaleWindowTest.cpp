// TimeScaleWindowTest: the time scale editor driven headless by injected keys, its close question, the
// unique names, tidying, import and the texts cut at character boundaries.
#include "editors/TimeScaleWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "drawing/ClipboardText.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/editing/TextField.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/dates/TimeScale.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// Answers the close question with a chosen button and records what it was asked.
class CloseAnswers final : public MessageHandler {
public:
    explicit CloseAnswers(int32_t answer) : answer(answer) {}
    int32_t ShowMessage(const Message& message) override
    {
        codes.push_back(message.code);
        return answer;
    }
    int32_t IsUnattended() override { return 1; }

    int32_t answer;
    std::vector<int32_t> codes;
};

std::string Label(const TimeScale& scale, int32_t i)
{
    ConstHeapText label = scale.PeriodLabel(i);
    return label != nullptr ? label : "";
}

std::string Start(const TimeScale& scale, int32_t i)
{
    String text;
    FormatCardKeyPlain(text, scale.PeriodStart(i));
    return std::string(text.View());
}

class TimeScaleWindowTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
    }
    void TearDown() override
    {
        while (DocumentWindow* w = DocumentWindow::First())
            delete w;
        application.reset();
    }

    void Type(std::string_view text)
    {
        for (char c : text)
            input.Key(uint8_t(c));
    }

    TimeScaleWindow* FrontEditor()
    {
        for (DocumentWindow* w = DocumentWindow::First(); w != nullptr; w = w->NextOpenWindow()) {
            if (w->WindowKind() == DocumentKind::TimeScale)
                return static_cast<TimeScaleWindow*>(w);
        }
        return nullptr;
    }

    test::Watchdog watchdog{"time scale window test", 120};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    Base base{FilePath(), 1};
};

TEST_F(TimeScaleWindowTest, PeriodsTypedOutOfOrderAreSavedInKeyOrderUnderAUniqueName)
{
    // The fixture base already has a time scale under the default name.
    TimeScale* existing = base.TimeScales().Create(LoadText(text::kTimeScaleName));
    ASSERT_TRUE(existing->AddPeriod(CardKey{MakePackedDate(2020, 1, 1), 1}, "Old"));

    ASSERT_TRUE(Service<ModelServices>::Get().OpenBaseWindow(base, BaseWindowKind::TimeScale, 0));
    TimeScaleWindow* editor = FrontEditor();
    ASSERT_NE(editor, nullptr);
    input.RunUntilQuiet();
    EXPECT_EQ(editor->EditPosition(), (GridCell{0, 0}));

    Type("240401\tQ2\r");
    Type("240101\tQ1\r");
    Type("240701\tSummer");
    ASSERT_EQ(editor->Rows().size(), 3u);
    EXPECT_EQ(editor->Rows()[2].text, "") << "the last text is still in its field";
    EXPECT_EQ(editor->EditText(), "Summer");

    CloseAnswers answers(0);  // 714: save
    ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::Normal));
    EXPECT_EQ(answers.codes, std::vector<int32_t>{message::kSaveNewObject});
    EXPECT_EQ(FrontEditor(), nullptr);

    ASSERT_EQ(base.TimeScales().Count(), 2);
    const TimeScale* saved = base.TimeScales().Last();
    EXPECT_EQ(std::string(saved->GetName()), std::string(LoadText(text::kTimeScaleName)) + " 1");
    ASSERT_EQ(saved->PeriodCount(), 3);
    EXPECT_EQ(Start(*saved, 0), "240101-1");
    EXPECT_EQ(Label(*saved, 0), "Q1");
    EXPECT_EQ(Start(*saved, 1), "240401-1");
    EXPECT_EQ(Label(*saved, 1), "Q2");
    EXPECT_EQ(Start(*saved, 2), "240701-1");
    EXPECT_EQ(Label(*saved, 2), "Summer");
    EXPECT_EQ(existing->PeriodCount(), 1) << "the time scale of the same name stays as it was";
}

TEST_F(TimeScaleWindowTest, ClosingAsksOnlyWhenSomethingChanged)
{
    struct Case {
        const char* what;
        std::vector<TimeScaleRow> rows;
        int32_t answer;
        std::vector<int32_t> asked;
        int32_t timeScalesAfter;
        bool closed;
    };
    const Case cases[] = {
        {"one empty row asks nothing", {}, 0, {}, 0, true},
        {"rows left empty ask nothing", {{}, {}, {}}, 0, {}, 0, true},
        {"cancel keeps the window open", {{CardKey{MakePackedDate(2024, 1, 1), 1}, "Q1"}}, 1, {message::kSaveNewObject}, 0, false},
        {"close without saving", {{CardKey{MakePackedDate(2024, 1, 1), 1}, "Q1"}}, 2, {message::kSaveNewObject}, 0, true},
        {"save", {{CardKey{MakePackedDate(2024, 1, 1), 1}, "Q1"}, {}}, 0, {message::kSaveNewObject}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TimeScaleWindow* editor = OpenTimeScaleEditor(base, nullptr, 0);
        ASSERT_NE(editor, nullptr);
        editor->BeginCellEdit(-1, -1);
        for (size_t i = 1; i < c.rows.size(); ++i)
            editor->AddRowAfterCurrent();
        for (size_t i = 0; i < c.rows.size(); ++i) {
            editor->CommitCellEdit(int32_t(i), 0, c.rows[i].start.date != 0 ? "240101" : "");
            editor->CommitCellEdit(int32_t(i), 1, c.rows[i].text);
        }
        CloseAnswers answers(c.answer);
        EXPECT_EQ(CommandTarget::CloseIfAllowed(editor, CloseMode::Normal) != 0, c.closed);
        EXPECT_EQ(answers.codes, c.asked);
        EXPECT_EQ(base.TimeScales().Count(), c.timeScalesAfter);
        if (!c.closed)
            CommandTarget::CloseIfAllowed(editor, CloseMode::WindowsOnly);
        base.TimeScales().DeleteAll();
    }
}

TEST_F(TimeScaleWindowTest, NewTimeScalesUnderATakenNameAreNumbered)
{
    base.TimeScales().Create("Quarters");
    for (const char* expected : {"Quarters 1", "Quarters 2"}) {
        TimeScaleWindow* editor = OpenTimeScaleEditor(base, nullptr, 0);
        ASSERT_NE(editor, nullptr);
        editor->NameField().SetText("Quarters");
        editor->CommitCellEdit(0, 0, "2401");
        editor->CommitCellEdit(0, 1, "Q1");
        CloseAnswers answers(0);
        ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::Normal));
        EXPECT_EQ(std::string(base.TimeScales().Last()->GetName()), expected);
    }
}

TEST_F(TimeScaleWindowTest, AStoredTimeScaleIsSavedOrSavedAsNew)
{
    TimeScale* stored = base.TimeScales().Create("Seasons");
    ASSERT_TRUE(stored->AddPeriod(CardKey{MakePackedDate(2024, 3, 1), 1}, "Spring"));
    ASSERT_TRUE(stored->AddPeriod(CardKey{MakePackedDate(2024, 6, 1), 1}, "Summer"));

    // Saving renames and rewrites the periods in place.
    TimeScaleWindow* editor = OpenTimeScaleEditor(base, stored, 0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(OpenTimeScaleEditor(base, stored, 0), editor) << "an open editor is brought forward";
    ASSERT_EQ(editor->Rows().size(), 2u);
    editor->CommitCellEdit(1, 1, "  Hot  ");
    editor->NameField().SetText("Year seasons");
    {
        CloseAnswers answers(0);
        ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::Normal));
        EXPECT_EQ(answers.codes, std::vector<int32_t>{message::kSaveObjectChanges});
    }
    EXPECT_EQ(base.TimeScales().Count(), 1);
    EXPECT_EQ(std::string(stored->GetName()), "Year seasons");
    EXPECT_EQ(Label(*stored, 1), "Hot");

    // Save as new leaves the stored one as it was.
    editor = OpenTimeScaleEditor(base, stored, 0);
    editor->CommitCellEdit(0, 1, "Early");
    {
        CloseAnswers answers(3);
        ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::Normal));
    }
    ASSERT_EQ(base.TimeScales().Count(), 2);
    EXPECT_EQ(Label(*stored, 0), "Spring");
    const TimeScale* copy = base.TimeScales().Last();
    EXPECT_EQ(std::string(copy->GetName()), "Year seasons 1");
    EXPECT_EQ(Label(*copy, 0), "Early");

    // Close mode 3 closes without asking and without saving.
    editor = OpenTimeScaleEditor(base, stored, 0);
    editor->CommitCellEdit(0, 1, "Lost");
    {
        CloseAnswers answers(0);
        ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::WindowsOnly));
        EXPECT_TRUE(answers.codes.empty());
    }
    EXPECT_EQ(Label(*stored, 0), "Spring");
}

TEST_F(TimeScaleWindowTest, ImportFillsTheEmptyRowAndCutsTextsAtCharacterBoundaries)
{
    // 40 two-byte characters: 80 bytes, cut at 64 on import and at 63 in the time scale. Regression:
    // fixed byte counts cut a character in half and left invalid UTF-8 behind.
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "\xC3\xA9";
    PutClipboardText("240401\tQ2\rnot a key\tX\r240101\t" + longText + "\r240701\t\r");
    TimeScaleWindow* editor = OpenTimeScaleEditor(base, nullptr, 0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->ImportPeriodsFromClipboard(), 2);
    ASSERT_EQ(editor->Rows().size(), 2u) << "the empty row was filled, lines without key or text skipped";
    EXPECT_EQ(editor->Rows()[1].text.size(), 64u);
    EXPECT_TRUE(Utf8IsValid(editor->Rows()[1].text));
    EXPECT_TRUE(editor->TidyRows());
    EXPECT_EQ(editor->Rows()[0].text.size(), 64u) << "sorted by key";
    editor->NameField().SetText((longText + longText).c_str());
    const std::string name = editor->SaveName();
    EXPECT_LE(name.size(), 63u);
    EXPECT_TRUE(Utf8IsValid(name));
    CloseAnswers answers(0);
    ASSERT_TRUE(CommandTarget::CloseIfAllowed(editor, CloseMode::PressDefault));
    EXPECT_TRUE(answers.codes.empty()) << "close mode 2 saves without asking";
    const TimeScale* saved = base.TimeScales().Last();
    ASSERT_NE(saved, nullptr);
    EXPECT_TRUE(Utf8IsValid(std::string(saved->GetName())));
    EXPECT_TRUE(Utf8IsValid(Label(*saved, 0)));
    EXPECT_LE(Label(*saved, 0).size(), 63u);
}

TEST_F(TimeScaleWindowTest, ImportFromAFileAndAnUnreadableOne)
{
    const std::string path = ::testing::TempDir() + "periods.txt";
    std::ofstream(path, std::ios::binary) << "241001\tQ4\r\n240701-2\tQ3\r\n";
    TimeScaleWindow* editor = OpenTimeScaleEditor(base, nullptr, 0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->ImportPeriodsFromFile(path.c_str()), 2);
    ASSERT_EQ(editor->Rows().size(), 2u);
    EXPECT_EQ(editor->Rows()[1].start.number, 2);
    std::remove(path.c_str());
    {
        MessageCatcher quiet;
        EXPECT_EQ(editor->ImportPeriodsFromFile(path.c_str()), -1);
    }
    EXPECT_EQ(GetPendingError().message.code, message::kImportFileUnreadable);
    EXPECT_EQ(editor->Rows().size(), 2u);
    ClearError();
    CommandTarget::CloseIfAllowed(editor, CloseMode::WindowsOnly);
}

TEST_F(TimeScaleWindowTest, DeletingAskedAndConfirmed)
{
    TimeScale* stored = base.TimeScales().Create("Halves");
    TimeScaleWindow* editor = OpenTimeScaleEditor(base, stored, 0);
    ASSERT_NE(editor, nullptr);
    {
        CloseAnswers answers(1);  // cancel
        EXPECT_FALSE(DeleteTimeScale(*editor));
        EXPECT_EQ(base.TimeScales().Count(), 1);
    }
    CloseAnswers answers(0);
    EXPECT_TRUE(DeleteTimeScale(*editor));
    EXPECT_EQ(base.TimeScales().Count(), 0);
    EXPECT_EQ(FrontEditor(), nullptr);
}

}  // namespace
}  // namespace vek
