// PopupButtonTest: stepping, type-select and the pop-up list of a popup button, headless.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Window.h"
#include "foundation/messages/LocalizedText.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/lists/CharChoicePopup.h"
#include "gui/lists/PopupButton.h"
#include "drawing/ClipboardText.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// Item 1 is a divider, item 7 a command item, item 8 disabled.
const char* const kItems[] = {"Alpha", nullptr, "Beta", "Stockholm", "  Summary", "Sundsvall", "Uppsala", "Run report", "Zulu"};
constexpr int32_t kItemCount = 9;

class PopupOwner final : public Window {
public:
    PopupOwner() : Window(1, OriginSize{100, 100, 200, 300}, 0, nullptr, false) { FinishConstruction(); }
    ~PopupOwner() override { PrepareDestruction(); }

    CommandTarget* PopupNotify(PopupItemRecord& record) override
    {
        if (record.kind == PopupItemKind::Describe) {
            record.text = kItems[record.index];
            record.selectable = record.index == 7 ? 0 : 1;
            record.enabled = record.index == 8 ? 0 : record.enabled;
        } else {
            chosen.push_back(record.index);
            previous.push_back(record.current);
        }
        return this;
    }

    std::vector<int32_t> chosen;
    std::vector<int32_t> previous;
};

class PopupButtonTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        owner = new PopupOwner;
        popup = new PopupButton(*owner, OriginSize{20, 20, 20, 200}, 1, kItemCount, 0, true);
        popup->SetTitleText("Place");
        owner->Update();
    }
    void TearDown() override { application.reset(); }

    static InputEvent KeyAt(uint32_t key, int64_t time)
    {
        InputEvent event;
        event.key = int32_t(key);
        event.time = time;
        return event;
    }

    test::Watchdog watchdog{"popup button test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    PopupOwner* owner = nullptr;
    PopupButton* popup = nullptr;
};

TEST_F(PopupButtonTest, TypeSelectFollowsThePausesBetweenKeys)
{
    struct Case {
        uint32_t key;
        int64_t time;
        int32_t current;
        const char* search;
    };
    const Case cases[] = {
        {'s', 10000, 3, "s"},
        {'U', 10500, 4, "sU"},          // case ignored, leading blanks skipped
        {'n', 11000, 5, "sUn"},
        {'u', 13500, 6, "u"},           // after more than 2000 ms a new search
        {'x', 13600, 6, ""},            // nothing starts with it: unchanged, search emptied
        {'r', 13700, 6, ""},            // the command item is never type-selected
        {'z', 13800, 6, ""},            // nor a disabled one
        {'a', 13900, 0, "a"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(1, char(k.key)));
        popup->TypeSelect(KeyAt(k.key, k.time), nullptr);
        EXPECT_EQ(popup->CurrentItem(), k.current);
        EXPECT_EQ(popup->SearchText(), k.search);
    }
}

TEST_F(PopupButtonTest, StepSkipsDividersAndCommandItemsWithoutWrapping)
{
    popup->Step(1);
    EXPECT_EQ(popup->CurrentItem(), 2);  // past the divider
    popup->Step(2);
    EXPECT_EQ(popup->CurrentItem(), 6);  // the last selectable item
    popup->Step(1);
    EXPECT_EQ(popup->CurrentItem(), 6);
    popup->Step(-2);
    EXPECT_EQ(popup->CurrentItem(), 0);
    popup->Step(-1);
    EXPECT_EQ(popup->CurrentItem(), 0);
    EXPECT_EQ(owner->chosen, (std::vector<int32_t>{2, 6, 0}));
    EXPECT_EQ(popup->GetDisplayText(), "Place Alpha");
    // The arrow keys step once the popup has the focus.
    input.Key(9);
    ASSERT_EQ(owner->FocusedControl(), popup);
    input.Key(31);
    EXPECT_EQ(popup->CurrentItem(), 2);
}

TEST_F(PopupButtonTest, TheListChoosesWhereThePointerIsReleased)
{
    const Rect rect = popup->PopupRect();
    const Point press{int16_t(20 + rect.top + 10), int16_t(20 + rect.left + 20)};
    const int32_t row = rect.Height() - 2;
    // Released two rows lower: "Beta".
    input.Drag(*owner, press, Point{int16_t(press.v + 2 * row), press.h}, 4);
    EXPECT_FALSE(popup->IsListOpen());
    EXPECT_EQ(popup->CurrentItem(), 2);
    EXPECT_EQ(owner->previous, (std::vector<int32_t>{0}));
    // Released on the current item: nothing is sent.
    input.Click(*owner, press);
    EXPECT_EQ(owner->chosen, (std::vector<int32_t>{2}));
    // A command item is reported but does not become current.
    input.Drag(*owner, press, Point{int16_t(press.v + 5 * row), press.h}, 4);
    EXPECT_EQ(owner->chosen, (std::vector<int32_t>{2, 7}));
    EXPECT_EQ(popup->CurrentItem(), 2);
    // Released outside the list: no choice.
    input.Drag(*owner, press, Point{press.v, int16_t(press.h + 400)}, 4);
    EXPECT_EQ(owner->chosen.size(), 2u);
}

TEST_F(PopupButtonTest, AnEmptyPopupTakesNoFocusAndIgnoresClicks)
{
    popup->SetItemCount(0);
    EXPECT_EQ(popup->CanTakeFocus(), 0);
    const Rect rect = popup->PopupRect();
    input.Click(*owner, Point{int16_t(20 + rect.top + 10), int16_t(20 + rect.left + 20)});
    EXPECT_EQ(owner->FocusedControl(), nullptr);
    EXPECT_FALSE(popup->IsListOpen());
    EXPECT_TRUE(owner->chosen.empty());
}

TEST_F(PopupButtonTest, CopyPutsTheCurrentItemOnTheClipboard)
{
    popup->SelectItem(3, 0);
    popup->TakeFocus();
    ResetMenuUpdateInterval();
    UpdateMenusIfNeeded();
    MenuItem* copy = FindMenuItemByCommand(kCommandCopy);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsEnabled());
    EXPECT_EQ(popup->DoCommand(*copy), 1);
    EXPECT_EQ(GetClipboardText().value_or(""), "Stockholm");
}

TEST_F(PopupButtonTest, LanguageChoicesEndAtTheFirstByteThatIsNoLanguage)
{
    const uint8_t choices[] = {7, 11, 200, 3};
    auto* languages = new CharChoicePopup(*owner, OriginSize{60, 20, 20, 200}, 2, choices, 11, false);
    EXPECT_EQ(languages->ItemCount(), 4);
    EXPECT_EQ(languages->CurrentItem(), 3);
    EXPECT_EQ(languages->SelectedChoice(), 11);
    EXPECT_FALSE(languages->IsDefault());
    EXPECT_EQ(languages->GetDisplayText(), LanguageName(11));
    languages->Step(-2);
    EXPECT_TRUE(languages->IsDefault());
    EXPECT_EQ(languages->SelectedChoice(), LanguageFromBundle());
    // A byte not among the choices, or the default flag, starts at the own language.
    const uint8_t none[] = {255};
    auto* empty = new CharChoicePopup(*owner, OriginSize{90, 20, 20, 200}, 3, none, 5, false);
    EXPECT_EQ(empty->ItemCount(), 2);
    EXPECT_TRUE(empty->IsDefault());
}

}  // namespace
}  // namespace vek
