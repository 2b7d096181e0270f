// TableGridTest: a table window's grid driven by injected keys and clicks, checked by its state and by
// the text it copies; the geometry at its limits; a hidden window that computes without drawing.
#include "docwindows/table/TableWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "docwindows/table/GridBodyView.h"
#include "docwindows/table/GridHeaderView.h"
#include "drawing/ClipboardText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"
#include "gui/Application.h"
#include "gui/lists/ScrollBar.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "support/HeadlessInput.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

constexpr int32_t kColumnWidth = 60;

// Rows of "r<row>c<column>" texts; cells listed in `unselectable` refuse the cursor. Counts what it
// was asked, so that tests can tell how much of the table an operation touched.
class GridWindow final : public TableWindow {
public:
    GridWindow(Base& base, int32_t rows, int32_t columns, int32_t flags = 0, int32_t columnWidth = kColumnWidth)
        : TableWindow(DocumentKind::CardsAnalysis, OriginSize{40, 40, 300, 400}, nullptr, &base, flags)
    {
        for (int32_t c = 0; c < columns; ++c)
            new ColumnHeader(*this, 0, columnWidth);
        SetKeyMode(GridKeyMode::Cells);
        CreateGridViews(20, 16, 0);
        SetRowCount(rows);
        FinishConstruction();
    }
    ~GridWindow() override { PrepareDestruction(); }

    void FormatRow(int32_t row, RowRecord&) override
    {
        ++formatted;
        for (ColumnHeader* column = FirstColumn(); column != nullptr; column = column->Next())
            column->cell.text = "r" + std::to_string(row) + "c" + std::to_string(column->Index());
    }
    bool IsCellSelectable(int32_t row, int32_t column) override
    {
        for (const GridCell& cell : unselectable) {
            if (cell.row == row && cell.column == column)
                return false;
        }
        return true;
    }
    int32_t GetRowHeight(int32_t row) override
    {
        ++heightQuestions;
        return TableWindow::GetRowHeight(row);
    }

    std::vector<GridCell> unselectable;
    int64_t formatted = 0;
    int64_t heightQuestions = 0;
};

class TableGridTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
    }
    void TearDown() override
    {
        window.reset();
        application.reset();
    }

    GridWindow& Make(int32_t rows, int32_t columns, int32_t flags = 0)
    {
        window = std::make_unique<GridWindow>(base, rows, columns, flags);
        window->Update();
        return *window;
    }

    // Window coordinates of the middle of a visible cell.
    Point CellPoint(int32_t row, int32_t column)
    {
        const Rect cell = window->GetCellRect(row, column);
        const Point body = window->BodyView()->Position();
        return Point{int16_t(body.v + (cell.top + cell.bottom) / 2), int16_t(body.h + (cell.left + cell.right) / 2)};
    }

    std::string Copied()
    {
        if (!window->CopySelectedCells())
            return "(nothing)";
        return GetClipboardText().value_or("");
    }

    test::Watchdog watchdog{"table grid test", 120};
    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    test::HeadlessInput input{system};
    std::unique_ptr<Application> application;
    Base base{FilePath(), 1};
    std::unique_ptr<GridWindow> window;
};

enum class Step { Click, Key, Select, Focus };

struct Action {
    Step step;
    int32_t a = 0;  // row, or the key
    int32_t b = 0;  // column
    uint32_t modifiers = 0;
};

TEST_F(TableGridTest, SelectionByKeysAndClicks)
{
    struct Case {
        const char* what;
        std::vector<Action> actions;
        GridCell anchor;
        GridCell cursor;
        const char* copied;
    };
    const Case cases[] = {
        {"an arrow without a cursor places it on the first cell", {{Step::Focus}, {Step::Key, 31}}, {0, 0}, {0, 0}, "r0c0"},
        {"a click places the cursor", {{Step::Click, 2, 1}}, {2, 1}, {2, 1}, "r2c1"},
        {"arrows move it, shift-arrows extend from the anchor (row 3 takes column 0)",
         {{Step::Click, 1, 1}, {Step::Key, 29}, {Step::Key, 31}, {Step::Key, 31, 0, kModifierShift}},
         {2, 2},
         {3, 0},
         "r2c0\tr2c1\tr2c2\rr3c0\tr3c1\tr3c2\r"},
        {"shift-click extends from the anchor",
         {{Step::Click, 1, 0}, {Step::Click, 2, 2, kModifierShift}},
         {1, 0},
         {2, 2},
         "r1c0\tr1c1\tr1c2\rr2c0\tr2c1\tr2c2\r"},
        {"a shift-click up and left spans the same cells",
         {{Step::Click, 2, 2}, {Step::Click, 1, 1, kModifierShift}},
         {2, 2},
         {1, 1},
         "r1c1\tr1c2\rr2c1\tr2c2\r"},
        {"ctrl-click inside the selection keeps it",
         {{Step::Click, 1, 0}, {Step::Click, 2, 1, kModifierShift}, {Step::Click, 2, 0, kModifierCommand}},
         {1, 0},
         {2, 1},
         "r1c0\tr1c1\rr2c0\tr2c1\r"},
        {"ctrl-click outside the selection selects the cell alone",
         {{Step::Click, 1, 0}, {Step::Click, 2, 1, kModifierShift}, {Step::Click, 4, 3, kModifierCommand}},
         {4, 3},
         {4, 3},
         "r4c3"},
        {"left in column 0 and up in row 0 stay", {{Step::Click, 0, 0}, {Step::Key, 28}, {Step::Key, 30}}, {0, 0}, {0, 0}, "r0c0"},
        {"right in the last column stays", {{Step::Click, 0, 3}, {Step::Key, 29}}, {0, 3}, {0, 3}, "r0c3"},
        {"down onto an unselectable cell takes the row's first selectable column",
         {{Step::Click, 2, 2}, {Step::Key, 31}},
         {3, 0},
         {3, 0},
         "r3c0"},
        {"clicking an unselectable cell clears the cursor", {{Step::Click, 1, 1}, {Step::Click, 3, 2}}, {-1, -1}, {-1, -1}, "(nothing)"},
        {"down on the last row keeps the cursor", {{Step::Select, 39, 1}, {Step::Key, 31}}, {39, 1}, {39, 1}, "r39c1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridWindow& grid = Make(40, 4);
        grid.unselectable = {{3, 2}};
        for (const Action& action : c.actions) {
            switch (action.step) {
            case Step::Click: input.Click(grid, CellPoint(action.a, action.b), action.modifiers); break;
            case Step::Key: input.Key(uint32_t(action.a), action.modifiers); break;
            case Step::Select: grid.SelectCell(action.a, action.b, SelectionExtend::No); break;
            case Step::Focus: grid.BodyView()->TakeFocus(); break;
            }
        }
        EXPECT_EQ(grid.Anchor(), c.anchor);
        EXPECT_EQ(grid.CellCursor(), c.cursor);
        EXPECT_EQ(Copied(), c.copied);
    }
}

TEST_F(TableGridTest, DownOnTheLastRowScrollsItIntoView)
{
    GridWindow& grid = Make(100, 3);
    grid.SelectCell(99, 0, SelectionExtend::No);
    EXPECT_EQ(grid.FirstVisibleRow(), 0);
    input.Click(grid, CellPoint(0, 0));
    grid.SelectCell(99, 0, SelectionExtend::No);
    input.Key(31);
    EXPECT_EQ(grid.CellCursor(), (GridCell{99, 0}));
    EXPECT_EQ(grid.LastVisibleRow(), 99);
}

TEST_F(TableGridTest, PointsOutsideTheRowsAndColumnsHitNothing)
{
    GridWindow& grid = Make(3, 12);
    const Rect last = grid.GetCellRect(2, 0);
    EXPECT_EQ(grid.RowAtPoint(Point{int16_t(last.bottom + 2), 10}), -1) << "below the last row";
    EXPECT_EQ(grid.RowAtPoint(Point{int16_t(last.top + 1), 10}), 2);
    ASSERT_NE(grid.HorizontalBar(), nullptr) << "12 columns of 60 are wider than the window";
    grid.SetHorizontalScroll(90);
    EXPECT_EQ(grid.GetHorizontalScroll(), 90);
    EXPECT_EQ(grid.ColumnAtPoint(Point{5, 0}, 0), 1) << "x 0 is grid x 90";
    EXPECT_EQ(grid.ColumnAtPoint(Point{5, -100}, 0), -1) << "left of the first column";
    EXPECT_EQ(grid.ColumnAtPoint(Point{5, 32000}, 0), -1) << "right of the last column";
    // A click below the last row in cell mode clears the cursor.
    grid.SelectCell(1, 1, SelectionExtend::No);
    const Point body = grid.BodyView()->Position();
    input.Click(grid, Point{int16_t(body.v + last.bottom + 20), int16_t(body.h + 20)});
    EXPECT_EQ(grid.CellCursor(), (GridCell{-1, -1}));
}

TEST_F(TableGridTest, CellsBeyondSixteenBitsAreClampedNotWrapped)
{
    // Regression: cell rectangles were computed in 16 bits, so a column 41,940 pixels to the right
    // wrapped to a negative coordinate and was drawn and hit on screen.
    GridWindow& grid = Make(5, 700);
    const Rect far = grid.GetCellRect(0, 699);
    EXPECT_EQ(far.left, 32767);
    EXPECT_TRUE(far.IsEmpty());
    // Scrolled there, the same column is on screen and hit at its place.
    grid.SetHorizontalScroll(699 * kColumnWidth);
    EXPECT_GT(grid.GetHorizontalScroll(), 32767);
    const int32_t scroll = grid.GetHorizontalScroll();
    const Rect near = grid.GetCellRect(0, 699);
    EXPECT_EQ(near.left, 699 * kColumnWidth - scroll);
    EXPECT_EQ(grid.ColumnAtPoint(Point{2, int16_t(near.left + 1)}, 0), 699);
    // A far row of a tall table is not on screen at all rather than at a wrapped place.
    grid.SetRowCount(1000000);
    EXPECT_TRUE(grid.GetCellRect(999999, 0).IsEmpty());
}

TEST_F(TableGridTest, ResizingAndFittingColumns)
{
    GridWindow& grid = Make(30, 3);
    ColumnHeader& first = *grid.FirstColumn();
    const Point header = grid.HeaderView()->Position();
    const Point edge{int16_t(header.v + 8), int16_t(header.h + first.Right())};
    // Dragging the edge 25 pixels to the right widens the column and moves the later ones.
    input.Drag(grid, edge, Point{edge.v, int16_t(edge.h + 25)});
    EXPECT_EQ(first.Width(), kColumnWidth + 25);
    EXPECT_EQ(grid.FindColumn(1)->Left(), kColumnWidth + 25);
    // A column cannot be dragged narrower than 16 pixels.
    const Point wide{edge.v, int16_t(header.h + first.Right())};
    input.Drag(grid, wide, Point{edge.v, int16_t(wide.h - 200)});
    EXPECT_EQ(first.Width(), ColumnHeader::kMinimumColumnWidth);

    // Fitting measures every row: the widest text ("r29c0") plus 4, at least 36.
    ASSERT_TRUE(grid.FitColumns());
    for (ColumnHeader* column = grid.FirstColumn(); column != nullptr; column = column->Next()) {
        EXPECT_GE(column->Width(), 36);
        EXPECT_LT(column->Width(), kColumnWidth);
    }
    const int32_t fitted = first.Width();
    // A cancel while fitting changes nothing.
    first.SetWidth(100);
    SetCancelledError();
    EXPECT_FALSE(grid.FitColumns());
    ClearError();
    EXPECT_EQ(first.Width(), 100);
    // A double click on the edge fits that column alone.
    PlatformEvent down = test::HeadlessInput::Mouse(PlatformEventKind::MouseDown, grid,
                                                    Point{edge.v, int16_t(header.h + first.Right())});
    down.clickCount = 2;
    PlatformEvent up = down;
    up.kind = PlatformEventKind::MouseUp;
    system.Inject(test::HeadlessInput::Mouse(PlatformEventKind::MouseDown, grid, Point{edge.v, int16_t(header.h + first.Right())}), &grid);
    system.Inject(up, &grid);
    system.Inject(down, &grid);
    system.Inject(up, &grid);
    input.RunUntilQuiet();
    EXPECT_EQ(first.Width(), fitted);
}

TEST_F(TableGridTest, AMillionRowsTouchOnlyTheVisibleCells)
{
    GridWindow& grid = Make(1000000, 20);
    const int32_t visible = grid.LastVisibleRow() - grid.FirstVisibleRow() + 1;
    ASSERT_GT(visible, 5);
    grid.formatted = 0;
    grid.heightQuestions = 0;
    // Scrolling to the end, selecting there, extending over the whole table and resizing a column.
    grid.SelectCell(999999, 5, SelectionExtend::No);
    grid.ScrollCellIntoView(999999, 5);
    grid.SelectCell(0, 0, SelectionExtend::Yes);
    grid.ScrollCellIntoView(0, 0);
    grid.SetColumnWidth(*grid.FindColumn(3), 90);
    grid.Update();
    EXPECT_LE(grid.formatted, 2 * visible + 2);
    EXPECT_LT(grid.heightQuestions, 2000);
    // Copying 10 rows formats those rows only.
    grid.SelectCell(500000, 0, SelectionExtend::No);
    grid.SelectCell(500009, 19, SelectionExtend::Yes);
    grid.formatted = 0;
    TextWriter writer;
    grid.WriteCellRange(writer, CellTextSource::Formatted);
    EXPECT_EQ(grid.formatted, 10);
    EXPECT_EQ(writer.BufferedBytes().substr(0, 14), "r500000c0\tr500");
}

TEST_F(TableGridTest, AHiddenWindowComputesAndCopiesWithoutDrawing)
{
    GridWindow& grid = Make(1000, 3, 0x01);
    EXPECT_FALSE(grid.IsVisible());
    grid.SelectCell(10, 0, SelectionExtend::No);
    grid.SelectCell(11, 2, SelectionExtend::Yes);
    EXPECT_EQ(Copied(), "r10c0\tr10c1\tr10c2\rr11c0\tr11c1\tr11c2\r");
    ASSERT_TRUE(grid.FitColumns());
    grid.InvalidateGrid();
    grid.Update();
    EXPECT_EQ(grid.DrawCount(), 0);
    // Row mode: the edit lives in the pending text, which the edit operations change.
    grid.SetKeyMode(GridKeyMode::Rows);
    grid.BeginCellEdit(4, 1);
    EXPECT_EQ(grid.EditField(), nullptr);
    EXPECT_EQ(grid.EditText(), "r4c1");
    EXPECT_EQ(grid.GetEditSelectionStart(), 0);
    EXPECT_EQ(grid.GetEditSelectionEnd(), 4);
    grid.ReplaceEditText("new");
    EXPECT_EQ(grid.EditText(), "new");
    EXPECT_TRUE(grid.MoveEditCell(3));
    EXPECT_EQ(grid.EditPosition(), (GridCell{4, 2}));
    EXPECT_TRUE(grid.MoveEditCell(3));
    EXPECT_EQ(grid.EditPosition(), (GridCell{5, 0})) << "the last column goes on to the next row";
    EXPECT_TRUE(grid.MoveEditCell(5));
    EXPECT_EQ(grid.EditPosition(), (GridCell{4, 0}));
    EXPECT_EQ(grid.DrawCount(), 0);
}

TEST_F(TableGridTest, ARowHeightOfZeroDividesNothing)
{
    // Regression: a zero row height stopped the walks over the rows from advancing.
    class ZeroRows final : public TableWindow {
    public:
        explicit ZeroRows(Base& base) : TableWindow(DocumentKind::CardsAnalysis, OriginSize{40, 40, 200, 200}, nullptr, &base, 0)
        {
            new ColumnHeader(*this, 0, 50);
            SetKeyMode(GridKeyMode::Cells);
            CreateGridViews(0, 16, 0);
            SetRowCount(100000);
            FinishConstruction();
        }
        ~ZeroRows() override { PrepareDestruction(); }
        void FormatRow(int32_t, RowRecord&) override {}
        int32_t GetRowHeight(int32_t) override { return 0; }
    };
    ZeroRows grid(base);
    grid.Update();
    EXPECT_GT(grid.LastVisibleRow(), 0);
    grid.SelectCell(99999, 0, SelectionExtend::No);
    grid.ScrollCellIntoView(99999, 0);
    EXPECT_EQ(grid.LastVisibleRow(), 99999);
    EXPECT_FALSE(grid.GetCellRect(99999, 0).IsEmpty());
    EXPECT_GE(grid.PreferredGridHeight(), 52);
}

}  // namespace
}  // namespace vek
