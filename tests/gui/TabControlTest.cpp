// TabControlTest: tab layout, selection by click and key, and the edit committed first, headless.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/Window.h"
#include "gui/containers/TabControl.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

class TabOwner final : public Window {
public:
    TabOwner() : Window(1, OriginSize{100, 100, 300, 500}, 0, nullptr, false) { FinishConstruction(); }
    ~TabOwner() override { PrepareDestruction(); }

    CommandTarget* TabNotify(TabNotice& record) override
    {
        if (record.kind == TabNoticeKind::Describe) {
            texts.resize(std::max<size_t>(texts.size(), size_t(record.index) + 1));
            std::string& text = texts[size_t(record.index)];
            if (text.empty())
                text = "Tab " + std::to_string(record.index);
            record.text = text.c_str();
            record.enabled = record.index == disabled ? 0 : 1;
        } else if (record.kind == TabNoticeKind::Selected) {
            log.push_back("tab " + std::to_string(record.index) + " from " + std::to_string(record.previous));
        }
        return this;
    }

    std::vector<std::string> texts;
    int32_t disabled = -1;
    std::vector<std::string> log;
};

// A control being edited: it commits when asked.
class EditProbe final : public Control {
public:
    EditProbe(Pane& enclosure, std::vector<std::string>& log) : Control(kKindCustomView, enclosure, OriginSize{20, 20, 20, 80}, 9), log(log)
    {
        FinishConstruction();
    }
    ~EditProbe() override { PrepareDestruction(); }
    int32_t CanTakeFocus() override { return 1; }
    void CommitEdit() override { log.push_back("commit"); }

private:
    std::vector<std::string>& log;
};

class TabControlTest : public ::testing::Test {
public:
    TabControl& Make(int32_t tabs, int16_t width)
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        owner = new TabOwner;
        tabs_ = new TabControl(*owner, OriginSize{40, 10, 200, width}, 1, tabs, 0, true);
        owner->Update();
        owner->log.clear();
        return *tabs_;
    }
    void TearDown() override { application.reset(); }

    Point TabPoint(int32_t index)
    {
        const Rect rect = tabs_->TabRect(index);
        return Point{int16_t(40 + (rect.top + rect.bottom) / 2), int16_t(10 + (rect.left + rect.right) / 2)};
    }

    test::Watchdog watchdog{"tab control test", 60};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    TabOwner* owner = nullptr;
    TabControl* tabs_ = nullptr;
};

TEST_F(TabControlTest, MoreThanFortyEightTabsEachKeepTheirRectangle)
{
    // The rectangles were kept in a fixed room for 48 while the count was unbounded.
    TabControl& tabs = Make(60, 480);
    EXPECT_EQ(tabs.CurrentTab(), 0);
    for (int32_t i = 1; i < 60; ++i)
        EXPECT_GE(tabs.TabRect(i).left, tabs.TabRect(i - 1).left) << i;
    EXPECT_GE(tabs.TabRect(59).Width(), 12);
    tabs.SelectTab(55);
    EXPECT_EQ(tabs.CurrentTab(), 55);
    tabs.SetTabCount(70);
    tabs.SelectTab(69);
    EXPECT_EQ(tabs.CurrentTab(), 69);
    EXPECT_FALSE(owner->RenderPng().empty());
}

TEST_F(TabControlTest, TheWidestOtherTabsShrinkFirstAndTheCurrentOneLast)
{
    TabControl& tabs = Make(3, 200);
    owner->texts = {"Short", "A considerably longer title", "Medium title"};
    tabs.LayoutTabs(false);
    // The long tab shrinks; the medium one keeps its width while the long one is wider; the current
    // one is untouched.
    const int32_t medium = MeasureTextWidthInStyle(tabs.GetTextStyle(), "Medium title") + 1;
    const int32_t shortTab = MeasureTextWidthInStyle(tabs.GetTextStyle(), "Short") + 1;
    EXPECT_LT(tabs.TabRect(1).Width(), MeasureTextWidthInStyle(tabs.GetTextStyle(), "A considerably longer title") + 1);
    EXPECT_GE(tabs.TabRect(1).Width(), medium);
    EXPECT_EQ(tabs.TabRect(2).Width(), medium);
    EXPECT_EQ(tabs.TabRect(0).Width(), shortTab);
    // Narrower still: the two others meet and then take turns.
    tabs.ResizeBy(-60, 0);
    EXPECT_LE(std::abs(tabs.TabRect(1).Width() - tabs.TabRect(2).Width()), 1);
    EXPECT_EQ(tabs.TabRect(0).Width(), shortTab);
    owner->texts = {std::string(80, 'W'), std::string(80, 'W'), std::string(80, 'W')};
    tabs.LayoutTabs(false);
    EXPECT_EQ(tabs.TabRect(1).Width(), 12);
    EXPECT_EQ(tabs.TabRect(2).Width(), 12);
    EXPECT_GE(tabs.TabRect(0).Width(), 12);
    EXPECT_LE(tabs.TabRect(0).Width(), 200);
}

TEST_F(TabControlTest, ClicksKeysAndTheEditCommittedFirst)
{
    TabControl& tabs = Make(4, 300);
    owner->disabled = 2;
    tabs.LayoutTabs(false);
    // Clicking the current tab does nothing; a disabled tab cannot be pressed.
    input.Click(*owner, TabPoint(0));
    input.Click(*owner, TabPoint(2));
    EXPECT_TRUE(owner->log.empty());
    EXPECT_EQ(tabs.CurrentTab(), 0);
    // A field being edited commits before the owner hears of the new tab.
    auto* field = new EditProbe(tabs, owner->log);
    field->TakeFocus();
    ASSERT_EQ(owner->FocusedControl(), field);
    tabs.SelectTab(1);
    EXPECT_EQ(owner->log, (std::vector<std::string>{"commit", "tab 1 from 0"}));
    // The arrow keys step over the disabled tab; End takes the last.
    owner->log.clear();
    tabs.TakeFocus();
    input.Key(29);
    EXPECT_EQ(tabs.CurrentTab(), 3);
    input.Key(1);
    EXPECT_EQ(tabs.CurrentTab(), 0);
    input.Key(4);
    EXPECT_EQ(tabs.CurrentTab(), 3);
    input.Click(*owner, TabPoint(1));
    EXPECT_EQ(tabs.CurrentTab(), 1);
}

}  // namespace
}  // namespace vek
