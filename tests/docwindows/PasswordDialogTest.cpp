// PasswordDialogTest: the password question of a base: its picture, and the answer bits.
#include "docwindows/dialogs/PasswordDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/PushButton.h"
#include "gui/controls/CheckBox.h"
#include "gui/editing/TextField.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class PasswordDialogTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        application = std::make_unique<Application>(true);
    }
    void TearDown() override { application.reset(); }

    test::Watchdog watchdog{"password dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    Base base{FilePath(), 1};
};

TEST_F(PasswordDialogTest, AnswersWhatWasTypedAndWhetherToRememberIt)
{
    struct Case {
        const char* name;
        const char* typed;
        bool remember;
        bool cancel;
        int32_t answer;
    } const cases[] = {
        {"typed", "Open sesame", false, false, kPasswordGiven},
        {"typed and remembered", "Open sesame", true, false, kPasswordGiven | kPasswordRemember},
        {"nothing typed is no answer", "", true, false, 0},
        {"cancelled", "Open sesame", false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PasswordDialog dialog(&base, text::kPasswordPromptBaseFile, nullptr);
        EXPECT_TRUE(dialog.Field().IsPassword());
        dialog.Field().SetText(c.typed);
        dialog.RememberBox().SetValue(c.remember);
        if (c.cancel)
            dialog.FindCancelButton()->Fire();
        String out;
        // Nobody attends: the run presses the default button unless the dialog was cancelled.
        const int32_t answer = c.cancel ? (dialog.WasCancelled() ? 0 : -1) : dialog.Run(out);
        EXPECT_EQ(answer, c.answer);
        if (answer != 0) {
            EXPECT_EQ(out.View(), c.typed);
        }
    }
    PasswordDialog dialog(&base, text::kPasswordPromptBaseFile, nullptr);
    test::ExpectGoldenPicture(dialog, "PasswordDialog");
}

}  // namespace
}  // namespace vek
