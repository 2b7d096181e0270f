// NumberDialogTest: the number dialog's items (whole numbers, not just two digits), its start item,
// choosing by keys, Cancel, the run nobody attends, and its picture.
#include "gui/dialogs/NumberDialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "gui/Application.h"
#include "gui/lists/PopupButton.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/WindowSystem.h"
#include "support/HeadlessInput.h"
#include "support/ModalRun.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class NumberDialogTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        application = std::make_unique<Application>(true);
    }
    void TearDown() override
    {
        application.reset();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    test::Watchdog watchdog{"number dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
};

TEST_F(NumberDialogTest, ItemsShowTheWholeNumberAndStartOnOne)
{
    struct Case {
        const char* name;
        int32_t lowest;
        int32_t highest;
        int32_t item;
        const char* text;
        int32_t items;
        int32_t current;
    };
    const Case cases[] = {
        {"single digits right-aligned", 0, 9, 0, " 0", 10, 1},
        {"the last single digit", 0, 9, 9, " 9", 10, 1},
        {"two digits", 1, 365, 11, "12", 365, 0},
        // Regression: only the tens and units digits were shown, so 100 read " 0" and 365 "65".
        {"three digits", 1, 365, 99, "100", 365, 0},
        {"the highest", 1, 365, 364, "365", 365, 0},
        {"negative numbers", -3, 3, 0, "-3", 7, 4},
        {"a range above one starts on its lowest", 5, 8, 0, " 5", 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NumberDialog dialog(nullptr, c.highest, c.lowest);
        PopupItemRecord record;
        dialog.Popup()->InitItemRecord(record);
        dialog.Popup()->GetItemInfo(record, c.item);
        ASSERT_NE(record.text, nullptr);
        EXPECT_STREQ(record.text, c.text);
        EXPECT_EQ(dialog.Popup()->ItemCount(), c.items);
        EXPECT_EQ(dialog.Popup()->CurrentItem(), c.current);
        EXPECT_EQ(dialog.Value(), c.lowest + c.current);
    }
}

TEST_F(NumberDialogTest, KeysChooseReturnAcceptsAndCancelGivesMinusOne)
{
    test::AttendedUser attended;
    struct Case {
        const char* name;
        std::initializer_list<uint32_t> keys;
        int32_t answer;
    };
    const Case cases[] = {
        {"Return keeps the start value", {13}, 1},
        {"down twice, then Return", {31, 31, 13}, 3},
        {"Escape cancels: -1, as when memory is short", {31, 27}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t answer = -2;
        test::ModalRun run;
        run.Start([&] { answer = NumberDialog::Run(nullptr, 9, 0); });
        ASSERT_NE(Window::FirstModalWindow(), nullptr);
        for (uint32_t key : c.keys)
            input.Key(key);
        run.Finish();
        EXPECT_EQ(answer, c.answer);
    }
}

TEST_F(NumberDialogTest, NobodyAttendingTakesTheStartValueAndAnEmptyRangeGivesMinusOne)
{
    EXPECT_EQ(NumberDialog::Run(nullptr, 9, 0), 1);
    EXPECT_EQ(NumberDialog::Run(nullptr, 0, 9), -1);
    EXPECT_EQ(Window::FirstModalWindow(), nullptr);
}

TEST_F(NumberDialogTest, RendersLikeTheGoldenPicture)
{
    NumberDialog dialog(nullptr, 365, 1);
    dialog.Popup()->SelectItem(99, 0);
    test::ExpectGoldenPicture(dialog, "NumberDialog");
}

}  // namespace
}  // namespace vek
