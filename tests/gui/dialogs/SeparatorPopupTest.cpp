// SeparatorPopupTest: the value popups and the separator dialog: letters by kind and the other value,
// item texts, codes resolved and written, the dialog item (typed, cancelled, refused), the encoding
// popup's items, sign colouring, and the separator dialog's picture.
#include "gui/dialogs/SeparatorPopup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/dialogs/EncodingPopup.h"
#include "gui/dialogs/SeparatorDialog.h"
#include "gui/dialogs/ValueColour.h"
#include "gui/editing/TextField.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/WindowSystem.h"
#include "support/HeadlessInput.h"
#include "support/ModalRun.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class PopupHost final : public Window {
public:
    PopupHost() : Window(kKindDialogWindow, OriginSize{100, 100, 200, 300}, 0, nullptr, false) { FinishConstruction(); }
    ~PopupHost() override { PrepareDestruction(); }
    CommandTarget* ControlChanged(Control&) override
    {
        ++changes;
        return this;
    }
    int32_t changes = 0;
};

std::vector<std::string> ItemTexts(PopupButton& popup)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < popup.ItemCount(); ++i) {
        PopupItemRecord record;
        popup.InitItemRecord(record);
        popup.GetItemInfo(record, i);
        texts.push_back(record.text ? record.text : "-");
    }
    return texts;
}

class SeparatorPopupTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        SetSeparators(SeparatorPair{u',', u' '});
        application = std::make_unique<Application>(true);
        host = new PopupHost;
    }
    void TearDown() override
    {
        application.reset();
        SetSeparators(SeparatorPair{});
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    test::Watchdog watchdog{"separator popup test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    PopupHost* host = nullptr;
};

TEST_F(SeparatorPopupTest, LettersOfTheKindTheOtherValueTheDividerAndTheDialogItem)
{
    struct Case {
        const char* name;
        int32_t kind;
        uint16_t value;
        std::vector<std::string> items;
        int32_t current;
    };
    const Case cases[] = {
        {"decimal kind bound to a semicolon", 0, ';', {"Comma", "Point", "Semicolon", "-", "Other…"}, 2},
        {"decimal kind keeping Default", 0 | kSeparatorKeepDefault, 0, {"Comma", "-", "Comma", "Point", "-", "Other…"}, 0},
        {"field kind on tab", 2, 9, {"Tab", "Comma", "Space", "Semicolon", "-", "Other…"}, 0},
        {"quote kind: none is a letter", 3, 1, {"None", "\"", "'", "_", "-", "Other…"}, 0},
        {"line ends: CR LF is a letter", 4, 2, {"Return", "Line feed", "Return and line feed", "-", "Other…"}, 2},
        {"CR LF where it is no letter is not an other value", 5, 2, {"Return", "Line feed", "-", "Other…"}, 0},
        {"a control character as the other value", 2, 7, {"Tab", "Comma", "Space", "Semicolon", "#7", "-", "Other…"}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint16_t variable = c.value;
        auto* popup = new SeparatorPopup(*host, OriginSize{10, 10, 15, 191}, 1, variable, c.kind, 0);
        EXPECT_EQ(ItemTexts(*popup), c.items);
        EXPECT_EQ(popup->CurrentItem(), c.current);
        delete popup;
    }
}

TEST_F(SeparatorPopupTest, ChoosingStoresTheCodeAndSetValueAddsTheOtherItem)
{
    uint16_t variable = ',';
    Point at{10, 10};
    SeparatorPopup* popup = AddSeparatorPopup(*host, at, 0, 1, variable, 2, 60);
    EXPECT_EQ(at.v, 29);
    popup->SelectItem(3, 1);
    EXPECT_EQ(variable, ';');
    EXPECT_EQ(host->changes, 1);
    popup->SelectItem(3, 2);
    EXPECT_EQ(host->changes, 1) << "the same code again is no change";
    popup->SetValue('|');
    EXPECT_EQ(variable, '|');
    EXPECT_EQ(popup->ItemCount(), 7);
    EXPECT_EQ(popup->CurrentItem(), 4);
    popup->SetValue('!');
    EXPECT_EQ(popup->ItemCount(), 7) << "one other item, its value replaced";
    EXPECT_EQ(ItemTexts(*popup)[4], "!");
    popup->SetValue(9);
    EXPECT_EQ(popup->CurrentItem(), 0);
    EXPECT_EQ(variable, 9);
}

TEST_F(SeparatorPopupTest, TheDialogItemTakesATypedCharacterAndCancelChangesNothing)
{
    test::AttendedUser attended;
    struct Case {
        const char* name;
        const char* typed;
        uint32_t endKey;
        uint16_t value;
    };
    const Case cases[] = {
        {"a typed character becomes the other value", "|", 13, '|'},
        {"a name is read as its character", "tab", 13, 9},
        {"cancelled: unchanged", "|", 27, ','},
        {"a control character below 4 is refused", "#2", 13, ','},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint16_t variable = ',';
        auto* popup = new SeparatorPopup(*host, OriginSize{10, 10, 15, 191}, 1, variable, 2, 0);
        test::ModalRun run;
        run.Start([&] { popup->SelectItem(popup->ItemCount() - 1, 1); });
        auto* dialog = dynamic_cast<SeparatorDialog*>(Window::FirstModalWindow());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->Field()->Text(), "Comma");
        TextField& field = *dialog->Field();
        input.Click(*dialog, Point{int16_t(field.WindowOffset().v + 8), int16_t(field.WindowOffset().h + 10)});
        field.SelectAll();
        for (const char* typed = c.typed; *typed; ++typed)
            input.Key(uint8_t(*typed));
        input.Key(c.endKey);
        run.Finish();
        EXPECT_EQ(variable, c.value);
        delete popup;
    }
}

TEST_F(SeparatorPopupTest, SeparatorDialogEmptiesTheFieldForCodesBelowFour)
{
    SeparatorDialog dialog(nullptr, 2, text::kSeparatorOther);
    EXPECT_EQ(dialog.Field()->Text(), "") << "CR LF is no character to show";
    EXPECT_EQ(dialog.Character(), 0);
    struct Case {
        const char* typed;
        const char* shown;
        uint16_t code;
    };
    const Case cases[] = {{"#3", "", 0}, {"#4", "#4", 4}, {"space", "Space", 32}, {";", ";", ';'}, {"", "", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        String text;
        text.AssignCStr(c.typed);
        dialog.FormatControlText(text, *dialog.Field());
        EXPECT_STREQ(text.CStr(), c.shown);
        EXPECT_EQ(dialog.Character(), c.code);
    }
}

TEST_F(SeparatorPopupTest, ItemTextsResolvedCodesAndWrittenBytes)
{
    struct TextCase {
        uint16_t code;
        uint16_t defaultCharacter;
        bool open;
        const char* text;
    };
    const TextCase texts[] = {
        {0, 9, true, "Tab (default)"}, {0, 9, false, "Tab"}, {0, 1, false, "None"}, {1, 9, false, "None"},
        {2, 9, false, "Return and line feed"}, {10, 9, true, "Line feed (LF)"}, {13, 9, false, "Return"},
        {13, 9, true, "Return (CR)"}, {160, 9, false, "No-break space"}, {59, 9, false, "Semicolon"},
        {7, 9, false, "#7"}, {32, 9, false, "Space"}, {0xE9, 9, false, "\xC3\xA9"},
    };
    for (const TextCase& c : texts) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SeparatorItemText(c.code, c.defaultCharacter, c.open), c.text);
    }
    struct ResolveCase {
        uint32_t code;
        SeparatorKind kind;
        uint32_t character;
    };
    const ResolveCase resolved[] = {
        {';', SeparatorKind::Field, ';'}, {1, SeparatorKind::Decimal, 0}, {0, SeparatorKind::Decimal, ','},
        {0, SeparatorKind::Grouping, ' '}, {0xFEFF, SeparatorKind::Decimal, ','}, {2, SeparatorKind::LineEnd, 2},
        {3, SeparatorKind::Field, 3},
    };
    for (const ResolveCase& c : resolved) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(ResolveSeparatorCode(c.code, c.kind), c.character);
    }
    EXPECT_EQ(SeparatorText(2), "\r\n");
    EXPECT_EQ(SeparatorText(0), "\n");
    EXPECT_EQ(SeparatorText(0xE9), "\xC3\xA9");
    EXPECT_EQ(SeparatorLetterCode('B'), 160);
    EXPECT_EQ(SeparatorLetterCode('x'), 'x');
}

TEST_F(SeparatorPopupTest, EncodingPopupSkipsItsDivider)
{
    auto* popup = new EncodingPopup(*host, OriginSize{10, 10, 15, 191}, 1, kEncodingSystem);
    EXPECT_EQ(popup->ItemCount(), 10);
    EXPECT_EQ(popup->CurrentItem(), 4);
    EXPECT_EQ(popup->SelectedEncoding(), kEncodingSystem);
    const std::vector<std::string> items = ItemTexts(*popup);
    EXPECT_EQ(items[3], "-");
    EXPECT_EQ(items[0], EncodingDisplayName(kEncodingUtf8));
    EXPECT_EQ(items[9], EncodingDisplayName(kEncodingPc8));
    EXPECT_EQ(EncodingPopup::EncodingOfItem(3), -1);
    EXPECT_EQ(EncodingPopup::ItemOfEncoding(99), 0);
}

TEST(ValueColourTest, SignColouringAtTheNonZeroThreshold)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double number;
        SignColouring mode;
        int32_t colour;
    };
    const Case cases[] = {
        {5.1e-7, SignColouring::NegativeRedPositiveGreen, 10}, {5.2e-7, SignColouring::NegativeRedPositiveGreen, 19},
        {-5.2e-7, SignColouring::NegativeRed, 13}, {-5.1e-7, SignColouring::NegativeRed, 10},
        {5.2e-7, SignColouring::NegativeRed, 10}, {-1.0, SignColouring::None, 10},
        {inf, SignColouring::NegativeRedPositiveGreen, 19}, {-inf, SignColouring::NegativeRed, 13},
        {std::nan(""), SignColouring::NegativeRedPositiveGreen, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(ValueColour(c.number, c.mode), c.colour);
    }
}

TEST_F(SeparatorPopupTest, SeparatorDialogRendersLikeTheGoldenPicture)
{
    SeparatorDialog dialog(nullptr, 9, text::kSeparatorOther);
    test::ExpectGoldenPicture(dialog, "SeparatorDialog");
}

}  // namespace
}  // namespace vek
