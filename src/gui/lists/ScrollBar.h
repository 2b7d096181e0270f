// ScrollBar: scrolls a view of rows of varying size; asks its owner for sizes through ScrollNotice.
#pragma once

#include <cstdint>

#include "gui/Control.h"
#include "gui/lists/ScrollNotice.h"
#include "drawing/Theme.h"

namespace vek {

// Parts of a scroll bar, as HitTest answers them and as the theme draws them pressed.
enum class ScrollPart : int32_t { None = 0, BackArrow = 1, PageBack = 2, Thumb = 3, PageForward = 4, ForwardArrow = 5 };

// A scroll bar whose value is the first visible row. It does not know row sizes or its visible extent:
// it asks its owner (ScrollChanged with a ScrollNotice, passed up by the panes) inside an update
// bracket, and reports every change of the first row the same way with the distance in pixels. Only
// the rows that fit in the extent are ever asked about, so a million rows cost what a screenful does.
// With no rows there is no thumb and nothing scrolls.
class ScrollBar : public Control {
public:
    // Always finishes its construction.
    ScrollBar(Pane& enclosure, const OriginSize& frame, Orientation orientation, int32_t id, int32_t rowCount);
    ~ScrollBar() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void FocusChanged(InputEvent& event, int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;

    // A new count recomputes the geometry and applies the first row again (clamped to the new count).
    void SetRowCount(int32_t count, int32_t invalidateFlags);
    // Clamps the row to 0 .. FirstRowForLast(count - 1); reports kind 5 when first or last changed.
    void SetFirstRow(int32_t row);
    void ShowRowAtBottom(int32_t row);
    // Answers whether the first row changed.
    int32_t ScrollBy(int32_t rows);
    int32_t ScrollByWheel(int32_t lines);
    // Applies the first row again (after the rows' sizes or the extent changed).
    void Reapply();

    // The geometry of the rows, asked of the owner.
    int32_t LastVisibleRow(int32_t first);
    int32_t FirstRowForLast(int32_t last);
    int32_t PixelsBetween(int32_t a, int32_t b);
    int32_t RowSize(int32_t row);

    ScrollPart HitTest(Point point) const;
    Rect ThumbRect() const;
    Rect PartRect(ScrollPart part) const;
    bool IsScrollable() const;

    int32_t RowCount() const { return rowCount; }
    int32_t FirstRow() const { return firstRow; }
    int32_t LastRow() const { return lastRow; }
    int32_t Extent() const { return extent; }
    ScrollPart PressedPart() const { return pressedPart; }
    void SetWheelFactor(int32_t factor) { wheelFactor = factor < 1 ? 1 : factor; }
    void SetArrowStep(int32_t step) { arrowStep = step < 1 ? 1 : step; }
    void SetLive(bool flag) { live = flag; }

    // Nested brackets around every operation that reads row sizes: the outermost one asks the extent.
    void BeginUpdate();
    void EndUpdate();

private:
    void InitOnce();
    void ComputeGeometry();
    void SendNotice(ScrollNotice& notice);
    void TrackThumb(InputEvent& event);
    void TrackPart(InputEvent& event, ScrollPart part);
    bool RepeatDue(int64_t time);
    int32_t FindRowNear(int32_t estimate);
    Rect ThumbRectFor(int32_t first, int32_t last) const;
    void InvalidateThumb();
    int32_t Along(Point point) const { return orientation == Orientation::Vertical ? point.v : point.h; }

    int32_t rowCount = 0;
    int32_t firstRow = 0;
    int32_t lastRow = 0;
    Orientation orientation = Orientation::Vertical;
    ScrollPart pressedPart = ScrollPart::None;
    ScrollPart hotPart = ScrollPart::None;
    bool setUp = false;
    int32_t arrowSize = 0;
    int32_t trackLength = 0;
    int32_t trackStart = 0;
    double pixelsPerRow = 0;
    int32_t updateDepth = 0;
    int32_t extent = 0;
    int32_t arrowStep = 1;
    int32_t wheelFactor = 1;
    bool tracking = false;
    int64_t nextRepeatTime = 0;
    int32_t repeatPhase = 0;
    int32_t repeatCount = 0;
    bool live = false;
    // While a thumb is dragged, the rows the thumb is drawn at (the first row when not live).
    int32_t dragFirst = -1;
    int32_t dragLast = -1;
};

// The standard place of a vertical bar at the right of a content rectangle (enclosure coordinates).
OriginSize StandardScrollBarRect(const Pane& enclosure, const Rect& content, int32_t width);

}  // namespace vek
