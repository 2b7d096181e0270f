// UnknownComponentDialogTest: the question for a code that names no component, the lookup as the
// row's text changes, long codes cut whole, the answers, and the model's hook without a display.
#include "docwindows/dialogs/UnknownComponentDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "docwindows/controls/ComponentSelectorRow.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

constexpr int32_t kAccounts = 1;  // "##Dimension 2" of the file

class UnknownComponentDialogTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        ClearError();
        application = std::make_unique<Application>(true);
        base.reset(OpenBaseFile(FilePath(std::string(VEK_SOURCE_DIR) + "/tests/fixtures/components/components.vkx"), nullptr, 0));
        ASSERT_NE(base, nullptr);
    }
    void TearDown() override
    {
        base.reset();
        application.reset();
        ClearError();
    }

    test::Watchdog watchdog{"unknown component dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    std::unique_ptr<Base> base;
};

TEST_F(UnknownComponentDialogTest, TheDefaultButtonFollowsTheLookup)
{
    UnknownComponentDialog dialog(*base, kAccounts, nullptr);
    dialog.Prepare("1999", 4);
    EXPECT_EQ(dialog.Row().Text(), "1999");
    EXPECT_EQ(dialog.Row().SelectionLength(), 4) << "all of the code is selected";
    EXPECT_NE(dialog.Question().Text().find("1999"), std::string::npos);
    test::ExpectGoldenPicture(dialog, "UnknownComponentDialog");
    struct Case {
        const char* text;
        bool enabled;
        const char* match;
    } const cases[] = {
        {"1999", false, ""},          // matches nothing
        {"1910", true, "1910 Cash"},  // a component
        {"", true, ""},               // no component
        {"  ", true, ""},
        {"19", true, "19 Cash and bank"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dialog.Row().SetTextAfterLink(c.text);
        EXPECT_EQ(dialog.DefaultButton().IsEnabled(), c.enabled);
        EXPECT_EQ(dialog.Match().Text(), c.match);
    }
    dialog.Row().SetTextAfterLink("1910");
    dialog.DefaultButton().Fire();
    EXPECT_EQ(uint32_t(dialog.Chosen()), base->LookupComponent(kAccounts, "1910", 4));
}

TEST_F(UnknownComponentDialogTest, CancelAnswersMinusOneAndCancelsTheReading)
{
    UnknownComponentDialog dialog(*base, kAccounts, nullptr);
    dialog.Prepare("1999", 4);
    dialog.FindCancelButton()->Fire();
    EXPECT_EQ(dialog.Chosen(), -1);
    // Unattended, Run presses the default button, which a code that names nothing leaves disabled:
    // the reading is cancelled, nothing is made up.
    UnknownComponentDialog unattended(*base, kAccounts, nullptr);
    EXPECT_EQ(unattended.Run("1999", 4), -1);
    EXPECT_TRUE(IsErrorPending());
    EXPECT_EQ(GetPendingError().message.code, kMessageCancelled);
}

// Regression: a code cut at a fixed byte count split its last character.
TEST_F(UnknownComponentDialogTest, ALongCodeIsCutAtACharacterBoundary)
{
    std::string code;
    while (code.size() < 300)
        code += "\xC3\xA4";  // "ä", two bytes: byte 255 is the middle of one
    UnknownComponentDialog dialog(*base, kAccounts, nullptr);
    dialog.Prepare(code.data(), int32_t(code.size()));
    const std::string_view shown = dialog.Row().Text();
    EXPECT_EQ(shown.size(), 254u);
    EXPECT_TRUE(Utf8IsValid(shown));
    EXPECT_TRUE(Utf8IsValid(dialog.Question().Text()));
}

TEST_F(UnknownComponentDialogTest, WithoutADisplayTheModelsQuestionAnswersNoComponent)
{
    // The program's services are registered; headless they keep the answer that destroys nothing.
    EXPECT_EQ(Service<ModelServices>::Get().RunUnknownComponentDialog(*base, kAccounts, "1999", 4), uint32_t(kAccounts));
    EXPECT_FALSE(IsErrorPending());
    String password;
    EXPECT_EQ(Service<ModelServices>::Get().AskPassword(base.get(), password, 0), 0);
}

}  // namespace
}  // namespace vek
