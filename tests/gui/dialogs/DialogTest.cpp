// DialogTest: the modal dialog base driven headless: its two buttons, a refused confirmation, the run
// nobody attends, the owner's dialogs pressed from outside, hidden parents, owner links and titles.
#include "gui/dialogs/Dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/messages/TextIds.h"
#include "gui/Application.h"
#include "gui/PushButton.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/WindowSystem.h"
#include "support/HeadlessInput.h"
#include "support/ModalRun.h"
#include "support/Watchdog.h"
#include "text/LinkRegistry.h"

namespace vek {
namespace {

class CountingDialog final : public Dialog {
public:
    CountingDialog(const DialogOwner& owner, Window* parent, bool buttons = true) : Dialog(200, 80, owner, parent)
    {
        if (buttons)
            AddDialogButtons(0);
        FinishConstruction();
    }
    ~CountingDialog() override { PrepareDestruction(); }

    int32_t confirmations = 0;
    int32_t cancels = 0;
    bool refuse = false;

protected:
    bool Confirm() override
    {
        ++confirmations;
        return !refuse;
    }
    void Cancel() override { ++cancels; }
};

class DialogTest : public ::testing::Test {
public:
    void SetUp() override { application = std::make_unique<Application>(true); }
    void TearDown() override
    {
        application.reset();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    test::Watchdog watchdog{"dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
};

TEST_F(DialogTest, ReturnConfirmsEscapeCancelsAndARefusedConfirmationKeepsItOpen)
{
    test::AttendedUser attended;
    struct Case {
        const char* name;
        bool refuse;
        std::initializer_list<uint32_t> keys;
        int32_t confirmations;
        int32_t cancels;
        bool cancelled;
    };
    const Case cases[] = {
        {"Return presses the default button", false, {13}, 1, 0, false},
        {"Escape presses Cancel", false, {27}, 0, 1, true},
        {"a refused confirmation keeps the dialog until Cancel", true, {13, 3, 27}, 2, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingDialog* running = nullptr;
        int32_t confirmations = -1;
        int32_t cancels = -1;
        bool cancelled = false;
        test::ModalRun run;
        run.Start([&] {
            CountingDialog dialog(DialogOwner{}, nullptr);
            dialog.refuse = c.refuse;
            running = &dialog;
            dialog.RunModal();
            running = nullptr;
            confirmations = dialog.confirmations;
            cancels = dialog.cancels;
            cancelled = dialog.WasCancelled();
        });
        ASSERT_NE(running, nullptr);
        EXPECT_EQ(Window::FirstModalWindow(), running);
        for (uint32_t key : c.keys)
            input.Key(key);
        run.Finish();
        EXPECT_EQ(confirmations, c.confirmations);
        EXPECT_EQ(cancels, c.cancels);
        EXPECT_EQ(cancelled, c.cancelled);
        EXPECT_EQ(Window::FirstModalWindow(), nullptr);
    }
}

TEST_F(DialogTest, NobodyAttendingTheRunEndsAtOnceThroughTheDefaultButton)
{
    CountingDialog dialog(DialogOwner{}, nullptr);
    dialog.RunModal();
    EXPECT_EQ(dialog.confirmations, 1);
    EXPECT_FALSE(dialog.WasCancelled());
    CountingDialog bare(DialogOwner{}, nullptr, false);
    bare.RunModal();
    EXPECT_EQ(bare.confirmations, 0) << "without a default button nothing is pressed, and the run still ends";
}

TEST_F(DialogTest, ActivateOwnedDialogPressesTheButtonsOfTheOwnersDialogOnly)
{
    test::AttendedUser attended;
    int base = 0;
    int otherBase = 0;
    struct Case {
        const char* name;
        const void* asked;
        CloseMode mode;
        bool buttons;
        int32_t answer;
        bool ended;
        bool cancelled;
    };
    const Case cases[] = {
        {"default button of the owner's dialog", &base, CloseMode::PressDefault, true, 1, true, false},
        {"cancel button of the owner's dialog", &base, CloseMode::WindowsOnly, true, 1, true, true},
        {"another owner's dialog is left running", &otherBase, CloseMode::PressDefault, true, 1, false, false},
        {"a dialog without buttons is activated instead", &base, CloseMode::PressDefault, false, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingDialog* running = nullptr;
        bool cancelled = false;
        test::ModalRun run;
        run.Start([&] {
            CountingDialog dialog(DialogOwner{&base, nullptr}, nullptr, c.buttons);
            running = &dialog;
            dialog.RunModal();
            cancelled = dialog.WasCancelled();
            running = nullptr;
        });
        ASSERT_NE(running, nullptr);
        EXPECT_EQ(Dialog::ActivateOwnedDialog(c.asked, c.mode), c.answer);
        application->RunIdleTasks();  // the resumption of the dialog's action thread
        input.RunUntilQuiet();
        EXPECT_EQ(run.Ended(), c.ended);
        if (!run.Ended())
            running->EndModal();
        run.Finish();
        if (c.ended) {
            EXPECT_EQ(cancelled, c.cancelled);
        }
    }
    EXPECT_EQ(Dialog::ActivateOwnedDialog(&base, CloseMode::PressDefault), 1) << "no dialog stands in the way";
}

TEST_F(DialogTest, HiddenParentOwnerLinksAndTitleAfterAWindow)
{
    CountingDialog parent(DialogOwner{}, nullptr);
    parent.SetTitle("Budget.vek");
    CountingDialog shown(DialogOwner{}, &parent);
    EXPECT_TRUE(shown.IsVisible());
    parent.SetVisible(false);
    CountingDialog hidden(DialogOwner{}, &parent);
    EXPECT_FALSE(hidden.IsVisible());

    LinkRegistry links("test");
    int base = 0;
    CountingDialog owned(DialogOwner{&base, &links}, &parent);
    EXPECT_EQ(owned.GetLinkRegistry(), &links);
    EXPECT_EQ(owned.OwnerObject(), &base);

    // Any text with a placeholder will do.
    SetTitleAfterWindow(owned, parent, message::kFolderMissing);
    EXPECT_EQ(owned.Title(), "The folder \u201C" "Budget.vek" "\u201D does not exist.");
}

}  // namespace
}  // namespace vek
