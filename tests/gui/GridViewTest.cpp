// GridViewTest: a headless grid view over an owner that answers its row requests.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/lists/GridView.h"
#include "gui/lists/ScrollBar.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

// Answers every row request of its grid and counts what it was asked.
class GridOwner final : public Window {
public:
    GridOwner() : Window(1, OriginSize{100, 100, 300, 300}, 0, nullptr, false) { FinishConstruction(); }
    ~GridOwner() override { PrepareDestruction(); }

    CommandTarget* RowCount(RowRequest& record) override
    {
        switch (record.kind) {
        case RowRequestKind::Count: record.rowCount = rows; break;
        case RowRequestKind::Height:
            ++heightQuestions;
            if (rowHeight >= 0)
                record.rowHeight = rowHeight;
            break;
        case RowRequestKind::Draw: drawn.push_back(record.row); break;
        case RowRequestKind::TakesFocus: record.answer = takesFocus; break;
        case RowRequestKind::MaySelect: record.answer = 1; break;
        case RowRequestKind::MayAddToSelection: record.answer = refuseEvery > 0 && record.row % refuseEvery == 0 ? 0 : 1; break;
        case RowRequestKind::SelectionChanged: notices.push_back(record.answer ? record.row : -1 - record.row); break;
        case RowRequestKind::Open: opened.push_back(record.row); break;
        default: break;
        }
        return this;
    }

    int32_t rows = 0;
    int32_t rowHeight = -1;  // -1: leave the default
    int32_t takesFocus = 1;
    int32_t refuseEvery = 0;  // when set, rows divisible by it may not join a selection
    int64_t heightQuestions = 0;
    std::vector<int32_t> drawn;
    std::vector<int32_t> notices;  // row when selected, -1 - row when deselected
    std::vector<int32_t> opened;
};

class GridViewTest : public ::testing::Test {
public:
    void Make(int32_t rows, int32_t rowHeight = -1)
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        owner = new GridOwner;
        owner->rows = rows;
        owner->rowHeight = rowHeight;
        // 240 pixels high: 20 rows of the default 12.
        grid = new GridView(*owner, OriginSize{10, 10, 240, 200}, 1, 16, true);
        owner->Update();
    }
    void TearDown() override { application.reset(); }

    // Window coordinates of the middle of a visible row.
    Point RowPoint(int32_t row)
    {
        const Rect rect = grid->RowRect(row);
        return Point{int16_t(10 + (rect.top + rect.bottom) / 2), int16_t(10 + 50)};
    }

    test::Watchdog watchdog{"grid view test", 120};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    GridOwner* owner = nullptr;
    GridView* grid = nullptr;
};

TEST_F(GridViewTest, MillionRowsScrollToTheEndByKeysAndByDraggingTheThumb)
{
    constexpr int32_t kRows = 1000000;
    Make(kRows);
    EXPECT_EQ(grid->LastVisibleRow(), 19);
    input.Click(*owner, RowPoint(0));
    EXPECT_EQ(grid->FirstSelectedRow(), 0);

    // End selects the last row and shows it at the bottom.
    input.Key(4);
    EXPECT_EQ(grid->FirstSelectedRow(), kRows - 1);
    EXPECT_EQ(grid->LastVisibleRow(), kRows - 1);
    EXPECT_EQ(grid->FirstVisibleRow(), kRows - 20);
    input.Key(1);
    EXPECT_EQ(grid->FirstVisibleRow(), 0);

    // Drawing and hit testing asked only about the rows on screen.
    owner->drawn.clear();
    owner->heightQuestions = 0;
    grid->Invalidate();
    owner->Update();
    EXPECT_EQ(owner->drawn.size(), 20u);
    EXPECT_LT(owner->heightQuestions, 200);

    // Page Down moves by a page.
    input.Key(12);
    EXPECT_EQ(grid->FirstVisibleRow(), 20);

    // Dragging the thumb to the bottom of the track reaches the end; a million rows leave the thumb at
    // its smallest length.
    ScrollBar& bar = grid->Bar();
    const Rect thumb = bar.ThumbRect();
    EXPECT_EQ(thumb.Height(), 21);
    const Point barOrigin{int16_t(10 + bar.Position().v), int16_t(10 + bar.Position().h)};
    const Point from{int16_t(barOrigin.v + (thumb.top + thumb.bottom) / 2), int16_t(barOrigin.h + 8)};
    const Point to{int16_t(barOrigin.v + bar.Bounds().bottom), from.h};
    input.Drag(*owner, from, to);
    EXPECT_EQ(grid->FirstVisibleRow(), kRows - 20);
    EXPECT_EQ(grid->LastVisibleRow(), kRows - 1);
    EXPECT_EQ(bar.ThumbRect().bottom, bar.Bounds().bottom - 16);
    // And back to the top.
    const Rect endThumb = bar.ThumbRect();
    input.Drag(*owner, Point{int16_t(barOrigin.v + endThumb.top + 5), from.h}, Point{int16_t(barOrigin.v), from.h});
    EXPECT_EQ(grid->FirstVisibleRow(), 0);
}

TEST_F(GridViewTest, RowHeightsThatReachZeroCountAsOnePixel)
{
    // Zero was used as a divisor and made the walks over the rows endless.
    Make(1000, 0);
    EXPECT_EQ(grid->RowHeight(5), 1);
    EXPECT_EQ(grid->LastVisibleRow(), 239);
    grid->Bar().ScrollBy(2000);
    EXPECT_EQ(grid->FirstVisibleRow(), 1000 - 240);
    EXPECT_FALSE(grid->Bar().ThumbRect().IsEmpty());
}

TEST_F(GridViewTest, SelectionSetRangesAndTheirNotices)
{
    Make(100);
    input.Click(*owner, RowPoint(3));
    EXPECT_FALSE(grid->HasSelectionSet());
    // Command adds a second row: the set appears.
    input.Click(*owner, RowPoint(7), kModifierCommand);
    EXPECT_TRUE(grid->HasSelectionSet());
    EXPECT_EQ(grid->SelectionCount(), 2);
    // Deselecting down to one keeps the set until its last bit is cleared.
    input.Click(*owner, RowPoint(3), kModifierCommand);
    EXPECT_TRUE(grid->HasSelectionSet());
    EXPECT_EQ(grid->FirstSelectedRow(), 7);
    input.Click(*owner, RowPoint(7), kModifierCommand);
    EXPECT_FALSE(grid->HasSelectionSet());
    EXPECT_EQ(grid->SelectionCount(), 0);
    EXPECT_EQ(grid->AnchorRow(), -1);
    EXPECT_EQ(owner->notices, (std::vector<int32_t>{3, 7, -4, -8}));

    // Shift-click extends from the anchor; shift with the arrows grows and shrinks the range.
    input.Click(*owner, RowPoint(2));
    input.Click(*owner, RowPoint(5), kModifierShift);
    EXPECT_EQ(grid->SelectionCount(), 4);
    input.Key(31, kModifierShift);
    EXPECT_EQ(grid->SelectionCount(), 5);
    input.Key(30, kModifierShift);
    input.Key(30, kModifierShift);
    EXPECT_EQ(grid->SelectionCount(), 3);
    EXPECT_EQ(grid->CurrentRow(), 4);
    for (int32_t row : {2, 3, 4})
        EXPECT_TRUE(grid->IsRowSelected(row));

    // Shrinking the row count deselects the rows that disappeared, each with its notice.
    grid->SelectAll();
    EXPECT_EQ(grid->SelectionCount(), 100);
    owner->notices.clear();
    owner->rows = 97;
    grid->UpdateRowCount();
    EXPECT_EQ(owner->notices, (std::vector<int32_t>{-98, -99, -100}));
    EXPECT_EQ(grid->SelectionCount(), 97);
}

TEST_F(GridViewTest, KeysAtTheEdgesAndOpening)
{
    Make(30);
    struct Case {
        const char* what;
        int32_t before;  // row made the only selected one first; -1 none
        uint32_t key;
        int32_t after;
    };
    const Case cases[] = {
        {"up on row 0 does nothing", 0, 30, 0},
        {"down on the last row does nothing", 29, 31, 29},
        {"down without a current row selects the first visible row", -1, 31, 10},
        {"up without a current row selects the first visible row", -1, 30, 10},
        {"home", 12, 1, 0},
        {"end", 12, 4, 29},
    };
    input.Click(*owner, RowPoint(0));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        grid->DeselectAll();
        grid->SetCurrentRow(-1);
        if (k.before >= 0)
            grid->SelectOnlyRow(k.before);
        grid->ScrollCurrentRowIntoView();
        input.Key(k.key);
        EXPECT_EQ(grid->FirstSelectedRow(), k.after);
        EXPECT_EQ(grid->SelectionCount(), 1);
    }
    input.Key(13);
    EXPECT_EQ(owner->opened, (std::vector<int32_t>{29}));
}

TEST_F(GridViewTest, SelectAllAsksForEveryRowAndNotifiesEachOne)
{
    Make(1000);
    owner->refuseEvery = 10;
    grid->SelectAll();
    // The last row starts the selection; rows 990, 980 ... 10 and 0 are refused.
    EXPECT_EQ(grid->SelectionCount(), 1000 - 99 - 1);
    EXPECT_FALSE(grid->IsRowSelected(500));
    EXPECT_TRUE(grid->IsRowSelected(501));
    EXPECT_EQ(grid->FirstSelectedRow(), 1);
    EXPECT_EQ(grid->CurrentRow(), 0);
    EXPECT_EQ(owner->notices.size(), size_t(grid->SelectionCount()));
    EXPECT_EQ(owner->notices.front(), 999);
    EXPECT_EQ(owner->notices.back(), 1);
}

TEST_F(GridViewTest, AListWhoseOwnerRefusesTheFocusIgnoresClicks)
{
    Make(10);
    owner->takesFocus = 0;
    input.Click(*owner, RowPoint(2));
    EXPECT_EQ(grid->SelectionCount(), 0);
}

}  // namespace
}  // namespace vek
