// OutlineViewTest: a headless outline of 200 nodes driven by injected keys, clicks and the wheel.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/lists/OutlineView.h"
#include "gui/lists/PopupButton.h"
#include "gui/lists/ScrollBar.h"
#include "support/HeadlessInput.h"
#include "support/PinnedFonts.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

constexpr int32_t kGroups = 20;
constexpr int32_t kItemsPerGroup = 9;
const char* const kPlaces[] = {"Alpha", "Beta", "Stockholm", "Summary", "Sundsvall", "Uppsala"};

// The window that owns the outline and the popup: it names the nodes and items and records what it
// is told.
class OutlineOwner final : public Window {
public:
    OutlineOwner() : Window(1, OriginSize{100, 100, 260, 420}, 0, nullptr, false) { FinishConstruction(); }
    ~OutlineOwner() override { PrepareDestruction(); }

    CommandTarget* OutlineNotify(OutlineRequest& record) override
    {
        switch (record.kind) {
        case OutlineRequestKind::Text:
            text = record.id % 100 == 0 ? "Group " + std::to_string(record.id / 100)
                                        : "Item " + std::to_string(record.id / 100) + "." + std::to_string(record.id % 100);
            record.text = text.c_str();
            record.enabled = record.id != disabledId ? 1 : 0;
            break;
        case OutlineRequestKind::Selected: selected.push_back(record.id); break;
        case OutlineRequestKind::Open: opened.push_back(record.id); break;
        }
        return this;
    }
    CommandTarget* PopupNotify(PopupItemRecord& record) override
    {
        if (record.kind == PopupItemKind::Describe)
            record.text = kPlaces[record.index];
        else
            chosen.push_back(record.index);
        return this;
    }

    std::string text;
    int32_t disabledId = -1;
    std::vector<int32_t> selected;
    std::vector<int32_t> opened;
    std::vector<int32_t> chosen;
};

class OutlineViewTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        application = std::make_unique<Application>(true);
        window = new OutlineOwner;
        outline = new OutlineView(*window, OriginSize{10, 10, 180, 200}, 1);
        for (int32_t group = 1; group <= kGroups; ++group) {
            OutlineNode* parent = outline->AddNode(nullptr, nullptr, group * 100);
            for (int32_t item = 1; item <= kItemsPerGroup; ++item)
                outline->AddNode(parent, nullptr, group * 100 + item);
        }
        popup = new PopupButton(*window, OriginSize{10, 240, 20, 160}, 2, 6, 0, true);
        window->Update();
    }

    void TearDown() override { application.reset(); }

    // Window coordinates of a point in a row of the outline (h from the row's left).
    Point RowPoint(int32_t row, int32_t h)
    {
        const Rect rect = outline->RowRect(row);
        return Point{int16_t(10 + rect.top + 9), int16_t(10 + rect.left + h)};
    }
    int32_t SelectedId() { return outline->SelectedNode() ? outline->SelectedNode()->id : 0; }

    test::Watchdog watchdog{"outline view test", 120};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    OutlineOwner* window = nullptr;
    OutlineView* outline = nullptr;
    PopupButton* popup = nullptr;
};

TEST_F(OutlineViewTest, ScriptedSeriesOfKeysClicksWheelAndTypeSelect)
{
    // 200 nodes, 20 of them shown; the groups have children, so every row indents by the icon column.
    ASSERT_EQ(outline->FindNodeById(2009) != nullptr, true);
    EXPECT_EQ(outline->RowCountValue(), kGroups);
    EXPECT_EQ(outline->Root().Next()->Indent(), 18);

    struct Step {
        const char* what;
        void (*act)(OutlineViewTest&);
        int32_t selectedId;
        int32_t firstVisible;
        int32_t rows;
    };
    const Step steps[] = {
        {"click the text of row 0", [](OutlineViewTest& t) { t.input.Click(*t.window, t.RowPoint(0, 60)); }, 100, 0, 20},
        {"down, down", [](OutlineViewTest& t) { t.input.Key(31); t.input.Key(31); }, 300, 0, 20},
        {"expander of Group 3", [](OutlineViewTest& t) { t.input.Click(*t.window, t.RowPoint(2, 12)); }, 300, 0, 29},
        {"down into the children", [](OutlineViewTest& t) { t.input.Key(31); }, 301, 0, 29},
        {"page down", [](OutlineViewTest& t) { t.input.Key(12); }, 301, 10, 29},
        {"wheel one notch down", [](OutlineViewTest& t) { t.input.Wheel(*t.window, Point{60, 60}, -1); }, 301, 11, 29},
        {"up scrolls the current row into view", [](OutlineViewTest& t) { t.input.Key(30); }, 300, 2, 29},
        {"return collapses Group 3", [](OutlineViewTest& t) { t.input.Key(13); }, 300, 2, 20},
        {"down, then the expander of Group 4", [](OutlineViewTest& t) {
             t.input.Key(31);
             t.input.Click(*t.window, t.RowPoint(3, 12));
         }, 400, 2, 29},
        {"end", [](OutlineViewTest& t) { t.input.Key(4); }, 2000, 19, 29},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(*this);
        EXPECT_EQ(SelectedId(), step.selectedId);
        EXPECT_EQ(outline->FirstVisibleRow(), step.firstVisible);
        EXPECT_EQ(outline->RowCountValue(), step.rows);
        EXPECT_EQ(outline->SelectionCount(), 1);
    }
    // Every selection reached the owner once, in order.
    const std::vector<int32_t> expected = {100, 200, 300, 301, 300, 400, 2000};
    EXPECT_EQ(window->selected, expected);
    EXPECT_TRUE(window->opened.empty());

    // Tab moves the focus to the popup; "s" then "u" finds Summary, not Stockholm.
    input.Key(9);
    ASSERT_EQ(window->FocusedControl(), popup);
    input.Key('s');
    EXPECT_EQ(popup->CurrentItem(), 2);
    input.Key('u');
    EXPECT_EQ(popup->CurrentItem(), 3);
    EXPECT_EQ(popup->SearchText(), "su");
    EXPECT_EQ(window->chosen, (std::vector<int32_t>{2, 3}));

    test::ExpectGoldenPicture(*window, "OutlineView");
}

TEST_F(OutlineViewTest, TreeEdgesAndSelectionFollowTheNodes)
{
    // Expanding shows the children collapsed, whatever they were before.
    OutlineNode* group = outline->FindNodeById(500);
    OutlineNode* child = outline->AddNode(outline->FindNodeById(501), nullptr, 5011);
    ASSERT_NE(child, nullptr);
    outline->FindNodeById(501)->expanded = true;
    group->SetExpanded(true);
    EXPECT_FALSE(outline->FindNodeById(501)->expanded);
    EXPECT_EQ(outline->RowCountValue(), kGroups + kItemsPerGroup);

    // Revealing a node inside a collapsed branch expands its ancestors and selects it.
    outline->RevealAndSelectId(5011);
    EXPECT_EQ(SelectedId(), 5011);
    EXPECT_EQ(outline->RowOfNode(child), 6);
    // Collapsing an ancestor of the selected node moves the selection to the collapsed node.
    const int32_t row = outline->RowOfNode(group);
    outline->ScrollCurrentRowIntoView();
    outline->OpenRow(row, nullptr);
    EXPECT_EQ(SelectedId(), 500);
    EXPECT_EQ(outline->RowCountValue(), kGroups);

    // A leaf opens instead.
    outline->RevealAndSelectId(702);
    outline->OpenRow(outline->CurrentRow(), nullptr);
    EXPECT_EQ(window->opened, (std::vector<int32_t>{702}));

    // Stepping walks all nodes in pre-order; back from the first child goes to the parent.
    outline->StepCurrentNode(-1);
    EXPECT_EQ(SelectedId(), 701);
    outline->StepCurrentNode(-1);
    EXPECT_EQ(SelectedId(), 700);
    outline->StepCurrentNode(-1);
    EXPECT_EQ(SelectedId(), 609);
    outline->StepCurrentNode(-9);
    EXPECT_EQ(SelectedId(), 100);

    // A node the owner disables cannot be selected; removing nodes recounts.
    window->disabledId = 200;
    outline->DeselectAll();
    outline->SelectOnlyRow(1);
    EXPECT_EQ(outline->SelectionCount(), 0);
    outline->RemoveNode(outline->FindNodeById(300));
    EXPECT_EQ(outline->FindNodeById(305), nullptr);
    EXPECT_EQ(outline->RowCountValue(), outline->RowOfNode(outline->FindNodeById(2000)) + 1);
}

TEST(OutlineViewEmpty, AnEmptyTreeHasNoRowsAndTheRootIsNeverSelected)
{
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> scope{&system};
    auto application = std::make_unique<Application>(true);
    auto* window = new OutlineOwner;
    auto* outline = new OutlineView(*window, OriginSize{10, 10, 100, 100}, 1);
    EXPECT_EQ(outline->RowCountValue(), 0);
    EXPECT_EQ(outline->NodeOfRow(0), nullptr);
    outline->SelectAll();
    EXPECT_EQ(outline->SelectionCount(), 0);
    EXPECT_EQ(outline->Bar().ThumbRect().IsEmpty(), true);
    // Adding a first child under a top-level node makes the whole view indent by 18 more.
    OutlineNode* top = outline->AddNode(nullptr, nullptr, 1);
    EXPECT_EQ(top->Indent(), 0);
    outline->AddNode(top, nullptr, 2);
    EXPECT_EQ(top->Indent(), 18);
}

}  // namespace
}  // namespace vek
