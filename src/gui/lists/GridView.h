// GridView: a scrolling list of owner-drawn rows with a selection set, keys and click tracking.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gui/Control.h"
#include "gui/lists/RowRequest.h"

namespace vek {

class BitSet;
class ScrollBar;

// A list of rows, no columns. The view owns no row data: how many rows, how high, how drawn, whether
// selectable and what a click, an open or a delete means are asked through RowRequest records sent to
// its own RowCount slot, which Pane passes up to the enclosing view (an OutlineView answers itself).
// The view keeps the selection (one row, or a BitSet while two or more rows are selected), the current
// row, the anchor of a shift range, and a vertical ScrollBar child at its right edge. Drawing, hit
// testing and layout ask only about the rows on screen.
class GridView : public Control {
public:
    // The frame is {top, left, height, width}; the bar is at least 16 wide.
    GridView(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t scrollBarWidth, bool finish);
    ~GridView() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    CommandTarget* ScrollChanged(ScrollNotice& record) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void DrawFrame() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override;

    // Asks the row count again (after the owner's data changed): rows that disappeared are deselected
    // with their notices, the bar clamps its first row.
    void UpdateRowCount();
    void SetRowSelected(int32_t row, bool on);
    bool IsRowSelected(int32_t row) const;
    // The next selected row after the row (-1 starts at the beginning); -1 when none is left.
    int32_t NextSelectedRow(int32_t after) const;
    int32_t SelectionCount() const;
    void SelectOnlyRow(int32_t row);
    void DeselectAll();
    void SelectAll();
    // Sends the selection notice (kind 6) again for every selected row.
    void RenotifySelection();
    void MoveCurrentRow(int32_t step);
    void ScrollCurrentRowIntoView();
    void InvalidateRow(int32_t row, bool erase);
    // -1 when no visible row holds the point (view coordinates).
    int32_t RowAtPoint(Point point);
    // Empty for rows outside the visible ones.
    Rect RowRect(int32_t row);
    void OpenRow(int32_t row, InputEvent* event);
    void SetCurrentRow(int32_t row) { currentRow = row; }
    void SetTitle(std::string_view text);
    void RefreshTitle();

    int32_t RowCountValue() const;
    int32_t FirstVisibleRow() const;
    int32_t LastVisibleRow() const;
    int32_t CurrentRow() const { return currentRow; }
    int32_t AnchorRow() const { return anchorRow; }
    int32_t FirstSelectedRow() const { return firstSelected; }
    bool HasSelectionSet() const { return selectionSet != nullptr; }
    ScrollBar& Bar() const { return *scrollBar; }
    const std::string& Title() const { return title; }

    // The request with its answer fields at their defaults and the row at the first visible row.
    void InitRowRequest(RowRequest& request, RowRequestKind kind);
    // Sends the request to the owner (RowCount).
    void Ask(RowRequest& request) { RowCount(request); }
    // The owner's height for the row, at least 1.
    int32_t RowHeight(int32_t row);

protected:
    Rect TitleRect() const;
    void RedrawFrame();
    void CountRowsOnce();
    bool MaySelectRow(int32_t row);
    // The click tracking loop of a plain click (step 8), from the row under the press.
    void TrackSelection(InputEvent& event, int32_t row, bool rangeState);
    void WalkRange(int32_t from, int32_t to, bool rangeState);
    // The rows' area: the bounds without the scroll bar.
    Rect RowsArea() const;

    ScrollBar* scrollBar = nullptr;
    std::string title;
    bool rowsCounted = false;
    int32_t currentRow = -1;
    int32_t anchorRow = -1;
    int32_t firstSelected = -1;
    std::unique_ptr<BitSet> selectionSet;
    bool inBaseClick = false;
};

}  // namespace vek
