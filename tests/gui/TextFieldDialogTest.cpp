// TextFieldDialogTest: a dialog with a text field, a password field, a check box and its buttons,
// driven headless by injected keys and clicks; texts, undo snapshots, notifications and the picture.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawing/ClipboardText.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/MenuRequest.h"
#include "gui/PushButton.h"
#include "gui/TransferData.h"
#include "gui/Window.h"
#include "gui/controls/CheckBox.h"
#include "gui/editing/TextField.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/WindowSystem.h"
#include "support/GoldenPicture.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

using Log = std::vector<std::string>;

class Dialog final : public Window {
public:
    explicit Dialog(Log& log) : Window(kKindDialogWindow, OriginSize{100, 100, 150, 320}, 0, nullptr, false), log(log)
    {
        FinishConstruction();
    }
    ~Dialog() override { PrepareDestruction(); }

    CommandTarget* TargetChanged(CommandTarget* target, int32_t code) override
    {
        if (auto* control = dynamic_cast<Control*>(target))
            log.push_back("field " + std::to_string(control->ControlId()) + " " + std::to_string(code));
        return this;
    }
    CommandTarget* ControlCommand(Control& control) override
    {
        auto* button = dynamic_cast<PushButton*>(&control);
        log.push_back(button && button->IsDefault() ? "command default" : "command " + std::to_string(control.ControlId()));
        return this;
    }
    CommandTarget* ControlChanged(Control& control) override
    {
        log.push_back("changed " + std::to_string(control.ControlId()));
        return this;
    }

private:
    Log& log;
};

class TextFieldDialog : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        PutClipboardText("");
        application = std::make_unique<Application>(true);
        dialog = new Dialog(log);
        name = new TextField(*dialog, OriginSize{20, 20, 16, 180}, 1, true, true);
        secret = new TextField(*dialog, OriginSize{50, 20, 16, 180}, 2, true, true);
        secret->SetPasswordMode(true);
        remember = new CheckBox(*dialog, OriginSize{76, 20, 18, 180}, 3, true);
        remember->SetLabelText("Remember");
        dialog->AddDialogButtons(0);
        RunUntilQuiet();
        log.clear();
    }
    void TearDown() override
    {
        application.reset();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    void RunUntilQuiet() { input.RunUntilQuiet(); }
    void Click(Control& control, Point local) { input.Click(control, local); }
    void Key(uint32_t character, uint32_t modifiers = 0) { input.Key(character, modifiers); }
    void Type(std::string_view ascii) { input.Type(ascii); }

    bool MenuKey(char upper)
    {
        Application::Get()->UpdateMenusOfCurrentTarget();
        MenuItem* root = RootMenuItem();
        for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item)) {
            if (item->Key() == upper && item->KeyModifiers() == 0) {
                if (!MenuItem::IsEnabledInTree(item))
                    return false;
                item->Choose();
                RunUntilQuiet();
                return true;
            }
        }
        return false;
    }

    test::Watchdog watchdog{"text field dialog test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    Log log;
    std::unique_ptr<Application> application;
    Dialog* dialog = nullptr;
    TextField* name = nullptr;
    TextField* secret = nullptr;
    CheckBox* remember = nullptr;
};

TEST_F(TextFieldDialog, TypeSelectCutUndoAndReturn)
{
    Click(*name, Point{8, 10});
    ASSERT_TRUE(name->IsEditing());
    Type("Hello world");
    EXPECT_EQ(name->Text(), "Hello world");
    Key(1, kModifierShift);  // Shift+Home
    EXPECT_EQ(name->SelectionStart(), 0);
    EXPECT_EQ(name->SelectionLength(), 11);
    ASSERT_TRUE(MenuKey('X'));
    EXPECT_EQ(name->Text(), "");
    EXPECT_EQ(GetClipboardText().value_or(""), "Hello world");
    ASSERT_TRUE(MenuKey('Z'));
    EXPECT_EQ(name->Text(), "Hello world");
    EXPECT_EQ(name->SelectionStart(), 0);
    EXPECT_EQ(name->SelectionLength(), 11);
    const std::vector<std::string> snapshots{"", "Hello world", ""};
    EXPECT_EQ(name->History().Snapshots(), snapshots);
    EXPECT_EQ(name->History().Position(), 1u);

    log.clear();
    Key(13);
    // Return commits (once), the owner's formatting is offered the text, and the default button fires.
    const Log expected{"field 1 2", "field 1 3", "command default"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(name->Text(), "Hello world");
}

TEST_F(TextFieldDialog, PasswordFieldKeepsItsTextShowsBulletsAndNoHistory)
{
    Click(*secret, Point{8, 10});
    ASSERT_TRUE(secret->IsEditing());
    Type("pa55");
    Key(0xE9);
    EXPECT_EQ(secret->Text(), "pa55\xC3\xA9");
    EXPECT_EQ(secret->EditRecord().ShownText(), "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2");
    EXPECT_TRUE(secret->History().Snapshots().empty());
    // Its text never reaches the clipboard, and undo has nothing to bring back.
    Key(1, kModifierShift);
    EXPECT_FALSE(MenuKey('C'));
    secret->Copy();
    EXPECT_FALSE(ClipboardHasText());
    secret->Undo();
    EXPECT_EQ(secret->Text(), "pa55\xC3\xA9");
    // Leaving the field keeps the text.
    Click(*name, Point{8, 10});
    EXPECT_FALSE(secret->IsEditing());
    EXPECT_EQ(secret->Text(), "pa55\xC3\xA9");
}

TEST_F(TextFieldDialog, FocusNotificationsCommitOnlyAfterAChange)
{
    Click(*name, Point{8, 10});
    Click(*secret, Point{8, 10});
    Log expected{"field 1 0", "field 1 4", "field 2 0"};
    EXPECT_EQ(log, expected);
    log.clear();
    Type("x");
    Key(9);  // Tab commits, then the focus moves on
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "field 2 1");
    EXPECT_EQ(log[1], "field 2 2");
    EXPECT_EQ(log[2], "field 2 3");
}

TEST_F(TextFieldDialog, EditCommandsOnTheSelection)
{
    name->SetText("abc");
    Click(*name, Point{8, 10});
    name->SetSelection(-2, 1);
    EXPECT_EQ(name->SelectionStart(), 0);
    name->Duplicate();
    EXPECT_EQ(name->Text(), "aabc");
    EXPECT_EQ(name->SelectionStart(), 1);
    EXPECT_EQ(name->SelectionLength(), 1);
    name->Copy();
    name->SetSelection(-1, 5);
    EXPECT_EQ(name->SelectionStart(), 4);
    EXPECT_EQ(name->SelectionLength(), 0);
    name->Paste();
    EXPECT_EQ(name->Text(), "aabca");
    name->SelectAll();
    name->Clear();
    EXPECT_EQ(name->Text(), "");
    // Paste with an empty clipboard changes nothing.
    PutClipboardText("");
    log.clear();
    name->Paste();
    EXPECT_EQ(name->Text(), "");
    EXPECT_TRUE(log.empty());
    // Replacing the selection by the same bytes sends no change but moves the caret behind them.
    name->SetText("same");
    name->SetSelection(0, 2);
    log.clear();
    name->ReplaceSelection("sa");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(name->SelectionStart(), 2);
    EXPECT_EQ(name->SelectionLength(), 0);
}

TEST_F(TextFieldDialog, ContextMenuOffersWhatTheSelectionAllows)
{
    name->SetText("abc");
    Click(*name, Point{8, 10});
    name->SetSelection(0, 1);
    PutClipboardText("z");
    MenuRequest request;
    request.pane = name;
    request.phase = 0;
    name->HandleMessage(request);
    std::vector<uint16_t> commands;
    for (uint16_t* c = request.commands; *c; ++c)
        commands.push_back(*c);
    const std::vector<uint16_t> expected{214, 215, 216, kMenuSeparator, 217, 218, kMenuSeparator, 219};
    EXPECT_EQ(commands, expected);
    request.phase = 3;
    request.index = 218;
    name->HandleMessage(request);
    EXPECT_EQ(name->Text(), "aabc");
}

TEST_F(TextFieldDialog, ContextClickRunsTheMenuOfTheField)
{
    name->SetText("abc");
    name->SelectAll();
    // Right button on the field; the menu then holds Cut, Copy, -, Clear, Duplicate: Down three
    // times reaches Clear, Return chooses it.
    PlatformEvent event;
    event.kind = PlatformEventKind::MouseDown;
    event.button = 2;
    event.clickCount = 1;
    event.location = Point{int16_t(dialog->Position().v + name->WindowOffset().v + 8),
                           int16_t(dialog->Position().h + name->WindowOffset().h + 10)};
    system.Inject(event, dialog);
    for (uint32_t key : {31u, 31u, 31u, 13u}) {
        PlatformEvent k;
        k.kind = PlatformEventKind::KeyDown;
        k.character = key;
        system.Inject(k, dialog);
    }
    event.kind = PlatformEventKind::MouseUp;
    system.Inject(event, dialog);
    RunUntilQuiet();
    EXPECT_TRUE(name->IsFocused());
    EXPECT_EQ(name->Text(), "");
}

TEST_F(TextFieldDialog, DroppedTextIsInsertedAtTheCaret)
{
    name->SetText("ac");
    name->SetSelection(1, 0);
    TransferData package;
    package.AddText(kTransferText, "b");
    EXPECT_EQ(name->AcceptDrop(package), 1);
    EXPECT_EQ(name->Text(), "abc");
    EXPECT_EQ(name->SelectionStart(), 2);
}

TEST_F(TextFieldDialog, CheckBoxTogglesOnClickAndSpaceButNotOnSetValue)
{
    remember->SetValue(true);
    EXPECT_TRUE(log.empty());
    remember->SetValue(false);
    Click(*remember, Point{9, 8});
    EXPECT_TRUE(remember->Value());
    EXPECT_EQ(log, Log{"changed 3"});
    remember->TakeFocus();
    Key(' ');
    EXPECT_FALSE(remember->Value());
    // A press that ends outside the box changes nothing.
    log.clear();
    PlatformEvent event;
    event.button = 1;
    event.clickCount = 1;
    event.kind = PlatformEventKind::MouseDown;
    event.location = Point{int16_t(dialog->Position().v + remember->WindowOffset().v + 9),
                           int16_t(dialog->Position().h + remember->WindowOffset().h + 8)};
    system.Inject(event, dialog);
    event.kind = PlatformEventKind::MouseDragged;
    event.location.v = int16_t(event.location.v + 60);
    system.Inject(event, dialog);
    event.kind = PlatformEventKind::MouseUp;
    system.Inject(event, dialog);
    RunUntilQuiet();
    EXPECT_FALSE(remember->Value());
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(remember->IsPressed());
}

TEST_F(TextFieldDialog, CheckBoxLabelsWrapFromTwentyOnePixels)
{
    // The dialog owns both.
    auto* low = new CheckBox(*dialog, OriginSize{100, 20, 20, 100}, 4, true);
    auto* high = new CheckBox(*dialog, OriginSize{100, 140, 21, 100}, 5, true);
    EXPECT_EQ(low->GetTextStyle().flags & kTextWrap, 0);
    EXPECT_NE(high->GetTextStyle().flags & kTextWrap, 0);
}

TEST_F(TextFieldDialog, RendersLikeTheGoldenPicture)
{
    name->SetText("Hello world");
    Click(*secret, Point{8, 10});
    Type("secret");
    remember->SetValue(true);
    test::ExpectMatchesGoldenPicture(dialog->RenderPng(), VEK_SOURCE_DIR "/tests/fixtures/gui/TextFieldDialog.png",
                                     "TextFieldDialog");
}

}  // namespace
}  // namespace vek
