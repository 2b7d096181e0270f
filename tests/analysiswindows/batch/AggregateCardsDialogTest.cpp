// AggregateCardsDialogTest: the aggregate dialog over a display-free cards computation of the batch
// fixture, driven by injected input: tabs, the period popup, the default button, and the base it
// leaves (the golden base of the engine's own test); its pages' visibility and pictures.
#include "analysiswindows/batch/AggregateCardsDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/batch/BatchTestSupport.h"
#include "gui/Application.h"
#include "gui/PushButton.h"
#include "gui/containers/TabControl.h"
#include "gui/lists/PopupButton.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/WindowSystem.h"
#include "support/HeadlessInput.h"
#include "support/ModalRun.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

using batchtest::BatchFixture;
using batchtest::BatchFixtureBase;
using batchtest::FileBytes;
using batchtest::FixtureStamp;
using batchtest::SavedBytes;

class AggregateCardsDialogTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ASSERT_TRUE(fixture.ok);
        application = std::make_unique<Application>(true);
    }
    void TearDown() override
    {
        application.reset();
        ClearError();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    // A click in the middle of a rectangle of the control's own coordinates.
    void ClickAt(Control& control, const Rect& rect)
    {
        input.Click(*control.GetWindow(), Point{int16_t(control.WindowOffset().v + (rect.top + rect.bottom) / 2),
                                                int16_t(control.WindowOffset().h + (rect.left + rect.right) / 2)});
    }

    test::Watchdog watchdog{"aggregate dialog test", 120};
    BatchFixtureBase fixture;
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
};

TEST_F(AggregateCardsDialogTest, TabsAPopupChoiceOfMonthsAndTheDefaultButtonLeaveTheSummaryCards)
{
    test::AttendedUser attended;
    bool ran = false;
    test::ModalRun run;
    run.Start([&] {
        AggregateCardsDialog dialog(fixture.base, *fixture.source, fixture.host, nullptr, AggregateSource::AnalysisWindow);
        dialog.Aggregation().SetChangeStamp(FixtureStamp());
        dialog.RunModal();
        ran = dialog.Succeeded();
    });
    auto* dialog = dynamic_cast<AggregateCardsDialog*>(Window::FirstModalWindow());
    ASSERT_NE(dialog, nullptr);
    EXPECT_GT(dialog->SourceLineCount(), 0);
    TabControl& tabs = *dialog->Tabs();

    ClickAt(tabs, tabs.TabRect(AggregateCardsDialog::kLinesPage));
    EXPECT_EQ(dialog->Page(), AggregateCardsDialog::kLinesPage);
    EXPECT_EQ(dialog->PageControl(AggregateCardsDialog::kPeriodPopupId), nullptr) << "the old page's controls are gone";
    ASSERT_NE(dialog->PageControl(AggregateCardsDialog::kSkipTextsId), nullptr);
    ClickAt(tabs, tabs.TabRect(AggregateCardsDialog::kPeriodPage));
    ASSERT_EQ(dialog->Page(), AggregateCardsDialog::kPeriodPage);

    // The popup's list opens under the pointer; typing "mo" finds Months and Return chooses it.
    auto* popup = dynamic_cast<PopupButton*>(dialog->PageControl(AggregateCardsDialog::kPeriodPopupId));
    ASSERT_NE(popup, nullptr);
    const Rect area = popup->PopupRect();
    const Point press{int16_t(dialog->Position().v + popup->WindowOffset().v + (area.top + area.bottom) / 2),
                      int16_t(dialog->Position().h + popup->WindowOffset().h + area.left + 20)};
    PlatformEvent down;
    down.kind = PlatformEventKind::MouseDown;
    down.button = 1;
    down.clickCount = 1;
    down.location = press;
    system.Inject(down, dialog);
    for (uint32_t key : {uint32_t('m'), uint32_t('o'), 13u}) {
        PlatformEvent event;
        event.kind = PlatformEventKind::KeyDown;
        event.character = key;
        system.Inject(event, dialog);
    }
    PlatformEvent up = down;
    up.kind = PlatformEventKind::MouseUp;
    system.Inject(up, dialog);
    input.RunUntilQuiet();
    EXPECT_EQ(popup->CurrentItem(), int32_t(AggregatePeriod::Months));
    EXPECT_EQ(dialog->Aggregation().Period(), AggregatePeriod::Months);

    input.Key(13);
    run.Finish();
    EXPECT_TRUE(ran);
    EXPECT_EQ(SavedBytes(fixture.base), FileBytes(BatchFixture("after-months.vkx")));
}

TEST_F(AggregateCardsDialogTest, PeriodKindsShowTheirFieldsAndCardWindowsHaveNoDuplicate)
{
    AggregateCardsDialog dialog(fixture.base, *fixture.source, fixture.host, nullptr, AggregateSource::CardWindow);
    auto* popup = dynamic_cast<PopupButton*>(dialog.PageControl(AggregateCardsDialog::kPeriodPopupId));
    ASSERT_NE(popup, nullptr);
    struct Case {
        const char* name;
        AggregatePeriod period;
        bool title;
        bool names;
        bool date;
    };
    const Case cases[] = {
        {"each card: no title", AggregatePeriod::EachCard, false, false, false},
        {"one card: its date", AggregatePeriod::OneCard, true, false, true},
        {"months: period names", AggregatePeriod::Months, true, true, false},
        {"days: title only", AggregatePeriod::Days, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        popup->SelectItem(int32_t(c.period), 2);
        EXPECT_EQ(dialog.Aggregation().Period(), c.period);
        EXPECT_EQ(dialog.PageControl(AggregateCardsDialog::kTitleFieldId)->IsVisible(), c.title);
        EXPECT_EQ(dialog.PageControl(AggregateCardsDialog::kPeriodNamesId)->IsVisible(), c.names);
        EXPECT_EQ(dialog.PageControl(AggregateCardsDialog::kDateFieldId)->IsVisible(), c.date);
    }
    for (PushButton* button = dialog.FindDefaultButton(); button; button = nullptr)
        EXPECT_NE(button->ControlId(), AggregateCardsDialog::kDuplicateButtonId);
}

TEST_F(AggregateCardsDialogTest, EveryPageRendersLikeItsGoldenPicture)
{
    AggregateCardsDialog dialog(fixture.base, *fixture.source, fixture.host, nullptr, AggregateSource::AnalysisWindow);
    const char* const names[] = {"AggregatePeriodPage", "AggregateLevelsPage", "AggregateLinesPage"};
    for (int32_t page = 0; page < 3; ++page) {
        SCOPED_TRACE(names[page]);
        dialog.Tabs()->SelectTab(page);
        ASSERT_EQ(dialog.Page(), page);
        test::ExpectGoldenPicture(dialog, names[page]);
    }
}

TEST_F(AggregateCardsDialogTest, NobodyAttendingTheRunNeverWaitsAndWithoutAUserCodeChangesNothing)
{
    // Headless, the run presses the default button at once; the aggregation then wants the user's
    // change stamp, which nobody gives, so it refuses and the base stays as it was.
    const std::string before = SavedBytes(fixture.base);
    EXPECT_FALSE(AggregateCardsDialog::Run(fixture.base, *fixture.source, fixture.host, nullptr,
                                           AggregateSource::AnalysisWindow));
    ClearError();
    EXPECT_EQ(Window::FirstModalWindow(), nullptr);
    EXPECT_EQ(SavedBytes(fixture.base), before);
}

}  // namespace
}  // namespace vek
