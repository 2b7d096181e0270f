// BaseOptionsDialogTest: the base options dialog over the fixture base, driven headless: a changed
// setting is stored by the default button and saved with the base; fewer value fields are asked for
// first; the digits popup refuses counts the cards do not fit into; the picture.
#include "docwindows/dialogs/BaseOptionsDialog.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/PushButton.h"
#include "gui/editing/TextField.h"
#include "gui/lists/PopupButton.h"
#include "gui/lists/PopupItemRecord.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

std::string OptionsFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/components/components.vkx";
}

class BaseOptionsDialogTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        ClearError();
        application = std::make_unique<Application>(true);
        base.reset(OpenBaseFile(FilePath(OptionsFixture()), nullptr, 0));
        ASSERT_NE(base, nullptr);
        folder = (std::filesystem::temp_directory_path() / ("vek-options-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        base.reset();
        application.reset();
        std::filesystem::remove_all(folder);
        ClearError();
    }

    test::Watchdog watchdog{"base options dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    std::unique_ptr<Application> application;
    std::unique_ptr<Base> base;
    std::string folder;
};

TEST_F(BaseOptionsDialogTest, AChangedCaptionIsStoredAndSavedWithTheBase)
{
    ASSERT_EQ(base->ValueCount(), 2);
    {
        BaseOptionsDialog dialog(*base);
        EXPECT_EQ(dialog.CardCaptionField().Text(), "Voucher");
        EXPECT_EQ(dialog.ValueFields().ShownRows(), 2);
        EXPECT_EQ(dialog.ValueFields().NameField(1).Text(), "Units");
        test::ExpectGoldenPicture(dialog, "BaseOptionsDialog");
        dialog.CardCaptionField().SetTextAfterLink("  Receipt ");
        EXPECT_EQ(dialog.CardCaptionField().Text(), "Receipt") << "blanks at both ends go";
        dialog.ValueFields().NameField(1).SetTextAfterLink("Units sold");
        EXPECT_EQ(dialog.ValueFields().NameField(1).Text(), "Units.sold") << "names become identifiers";
        String unchanged;
        base->CardTextCaption(unchanged);
        EXPECT_EQ(unchanged.View(), "Voucher") << "nothing changes before the default button";
        dialog.FindDefaultButton()->Fire();
        EXPECT_FALSE(dialog.WasCancelled());
    }
    const std::string saved = folder + "/saved.vkx";
    ASSERT_TRUE(SaveBaseFile(*base, FilePath(saved), nullptr));
    std::unique_ptr<Base> again(OpenBaseFile(FilePath(saved), nullptr, 0));
    ASSERT_NE(again, nullptr);
    String caption;
    again->CardTextCaption(caption);
    EXPECT_EQ(caption.View(), "Receipt");
    again->LineTextCaption(caption);
    EXPECT_EQ(caption.View(), "Posting");
    again->GetValueFieldName(1, caption);
    EXPECT_EQ(caption.View(), "Units.sold");
    EXPECT_EQ(again->ValueCount(), 2);
    EXPECT_EQ(again->CardNumberDigits(), base->CardNumberDigits());
}

TEST_F(BaseOptionsDialogTest, CancelLeavesTheBaseAsItWas)
{
    BaseOptionsDialog dialog(*base);
    dialog.CardCaptionField().SetTextAfterLink("Receipt");
    dialog.FindCancelButton()->Fire();
    String caption;
    base->CardTextCaption(caption);
    EXPECT_EQ(caption.View(), "Voucher");
}

TEST_F(BaseOptionsDialogTest, FewerValueFieldsAreAskedForFirst)
{
    MessageCatcher catcher;  // nobody attends: the question keeps the fields
    {
        BaseOptionsDialog dialog(*base);
        const int32_t height = dialog.Size().v;
        dialog.ValueFields().CountPopup().SelectItem(0, 1);  // one value field
        EXPECT_EQ(dialog.ValueFields().ShownRows(), 1);
        EXPECT_LE(dialog.Size().v, height);
        dialog.FindDefaultButton()->Fire();
        EXPECT_EQ(catcher.Code(), message::kFewerValueFields);
        EXPECT_EQ(base->ValueCount(), 2) << "the question kept the value fields";
    }
    {
        BaseOptionsDialog dialog(*base);
        const int32_t height = dialog.Size().v;
        dialog.ValueFields().CountPopup().SelectItem(11, 1);  // twelve value fields
        EXPECT_EQ(dialog.ValueFields().ShownRows(), 12);
        EXPECT_GT(dialog.Size().v, height) << "the dialog grows with the rows";
        PushButton* ok = dialog.FindDefaultButton();
        ASSERT_NE(ok, nullptr);
        EXPECT_GE(ok->Position().v + ok->Size().v, dialog.Size().v - 20) << "the buttons move with the bottom";
        ok->Fire();
        EXPECT_EQ(base->ValueCount(), 12) << "more value fields need no question";
    }
}

TEST_F(BaseOptionsDialogTest, DigitsBelowWhatTheCardsNeedAreDisabled)
{
    EXPECT_EQ(BaseOptionsDialog::CardNumberSample(1), "7343-1");
    EXPECT_EQ(BaseOptionsDialog::CardNumberSample(9), "7343-123456789");
    const int32_t needed = base->CardNumberDigitsNeeded();
    BaseOptionsDialog dialog(*base);
    PopupButton& digits = dialog.DigitsPopup();
    ASSERT_EQ(digits.ItemCount(), 9);
    EXPECT_EQ(digits.CurrentItem(), base->CardNumberDigits() - 1);
    for (int32_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        PopupItemRecord record;
        digits.InitItemRecord(record);
        digits.GetItemInfo(record, i);
        EXPECT_EQ(record.enabled != 0, i + 1 >= needed);
        EXPECT_EQ(std::string(record.text ? record.text : ""), BaseOptionsDialog::CardNumberSample(i + 1));
    }
}

TEST_F(BaseOptionsDialogTest, AReferenceDateCannotNameItself)
{
    BaseOptionsDialog dialog(*base);
    dialog.DateField().SetTextAfterLink("ref+3");
    String empty;
    DateExpression cleared(base.get(), 1);
    cleared.ToText(empty);
    EXPECT_EQ(dialog.DateField().Text(), empty.View());
    dialog.DateField().SetTextAfterLink("mon");
    EXPECT_NE(dialog.DateField().Text().find("Month"), std::string_view::npos);
}

}  // namespace
}  // namespace vek
