// GridView: rows laid out from the first visible one, the selection and its set, drawing, the bar.
#include "gui/lists/GridView.h"

#include <algorithm>

#include "foundation/memory/BitSet.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuRefresh.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/ScrollBar.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"
#include "drawing/Theme.h"

namespace vek {

namespace {

constexpr int32_t kDefaultRowHeight = 12;

}  // namespace

GridView::GridView(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t scrollBarWidth, bool finish)
    : Control(kKindGridView, enclosure, frame, id)
{
    SetDrawingStyle(0);
    scrollBar = new ScrollBar(*this, StandardScrollBarRect(*this, bounds, scrollBarWidth), Orientation::Vertical, 0, 0);
    if (finish)
        FinishConstruction();
}

GridView::~GridView() { PrepareDestruction(); }

CommandTarget* GridView::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyOpened: CountRowsOnce(); break;
    case kNotifyClosing: DeselectAll(); break;
    case kNotifyEnabled: Invalidate(); break;
    case kNotifyKeyboardFocus: RedrawFrame(); break;
    case kNotifyGlobalSetting:
        if (!title.empty())
            InvalidateRect(TitleRect(), 0);
        break;
    default: break;
    }
    return answer;
}

void GridView::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyOpened)
        CountRowsOnce();
}

void GridView::CountRowsOnce()
{
    if (rowsCounted || !window)
        return;
    rowsCounted = true;
    UpdateRowCount();
}

int32_t GridView::RowCountValue() const { return scrollBar->RowCount(); }
int32_t GridView::FirstVisibleRow() const { return scrollBar->FirstRow(); }
int32_t GridView::LastVisibleRow() const { return scrollBar->LastRow(); }

Rect GridView::RowsArea() const
{
    Rect area = bounds;
    area.right = ClampCoordinate(area.right - (scrollBar->Bounds().Width() - 1));
    return area;
}

void GridView::InitRowRequest(RowRequest& request, RowRequestKind kind)
{
    request = RowRequest{};
    request.kind = kind;
    request.view = this;
    request.rowCount = scrollBar->RowCount();
    request.row = scrollBar->FirstRow();
    request.rowRect = RowsArea();
    request.rowHeight = kDefaultRowHeight;
}

int32_t GridView::RowHeight(int32_t row)
{
    RowRequest request;
    InitRowRequest(request, RowRequestKind::Height);
    request.row = row;
    Ask(request);
    // A height of zero or less would stall every walk over the rows and divide the thumb by zero.
    return std::max(request.rowHeight, 1);
}

CommandTarget* GridView::ScrollChanged(ScrollNotice& record)
{
    if (record.bar != scrollBar)
        return Control::ScrollChanged(record);
    switch (record.kind) {
    case ScrollNoticeKind::RowSize: record.answer = RowHeight(record.row); break;
    case ScrollNoticeKind::Extent: record.answer = bounds.Height(); break;
    case ScrollNoticeKind::FirstRowChanged: InvalidateRect(RowsArea(), 0); break;
    default: break;
    }
    return this;
}

void GridView::UpdateRowCount()
{
    InvalidateRect(RowsArea(), 0);
    RowRequest request;
    InitRowRequest(request, RowRequestKind::Count);
    Ask(request);
    const int32_t count = std::max(request.rowCount, 0);
    for (int32_t row = NextSelectedRow(count - 1); row >= 0; row = NextSelectedRow(row))
        SetRowSelected(row, false);
    if (count != scrollBar->RowCount()) {
        if (selectionSet && !selectionSet->Resize(count)) {
            // The set cannot follow the count: keep the first selected row only.
            const int32_t keep = firstSelected;
            selectionSet.reset();
            firstSelected = keep < count ? keep : -1;
        }
        if (currentRow >= count)
            currentRow = -1;
        if (anchorRow >= count)
            anchorRow = -1;
        scrollBar->SetRowCount(count, 0);
    } else {
        scrollBar->Reapply();
    }
}

bool GridView::IsRowSelected(int32_t row) const
{
    if (row < 0)
        return false;
    if (selectionSet)
        return selectionSet->GetBit(row);
    return row == firstSelected;
}

int32_t GridView::NextSelectedRow(int32_t after) const
{
    if (selectionSet)
        return selectionSet->NextSet(after);
    return firstSelected > after ? firstSelected : -1;
}

int32_t GridView::SelectionCount() const
{
    if (selectionSet)
        return selectionSet->BitCount();
    return firstSelected >= 0 ? 1 : 0;
}

bool GridView::MaySelectRow(int32_t row)
{
    RowRequest request;
    InitRowRequest(request, firstSelected < 0 ? RowRequestKind::MaySelect : RowRequestKind::MayAddToSelection);
    request.row = row;
    Ask(request);
    return request.answer == 1;
}

void GridView::SetRowSelected(int32_t row, bool on)
{
    if (row < 0 || row >= scrollBar->RowCount())
        return;
    if (on) {
        if (!MaySelectRow(row)) {
            currentRow = row;
            return;
        }
        if (row == firstSelected)
            return;
        if (selectionSet) {
            if (selectionSet->GetBit(row))
                return;
            selectionSet->SetBit(row, true);
        } else if (firstSelected >= 0) {
            auto set = std::make_unique<BitSet>(scrollBar->RowCount());
            if (set->Count() == scrollBar->RowCount()) {
                set->SetAll(0);
                set->SetBit(firstSelected, true);
                set->SetBit(row, true);
                selectionSet = std::move(set);
            } else {
                // No room for a set: the selection stays single.
                InvalidateRow(firstSelected, true);
            }
        }
        if (!selectionSet)
            anchorRow = row;
        currentRow = row;
        if (firstSelected < 0 || firstSelected > row || !selectionSet)
            firstSelected = row;
    } else {
        if (selectionSet) {
            if (!selectionSet->GetBit(row))
                return;
            selectionSet->SetBit(row, false);
            if (row == firstSelected)
                firstSelected = selectionSet->NextSet(row);
            if (firstSelected < 0) {
                selectionSet.reset();
                anchorRow = -1;
            }
        } else {
            if (row != firstSelected)
                return;
            firstSelected = -1;
            anchorRow = -1;
        }
    }
    InvalidateRow(row, true);
    RowRequest notice;
    InitRowRequest(notice, RowRequestKind::SelectionChanged);
    notice.row = row;
    notice.answer = on ? 1 : 0;
    Ask(notice);
    ResetMenuUpdateInterval();
}

void GridView::SelectOnlyRow(int32_t row)
{
    for (int32_t r = NextSelectedRow(-1); r >= 0; r = NextSelectedRow(r))
        if (r != row)
            SetRowSelected(r, false);
    SetRowSelected(row, true);
    currentRow = row;
    anchorRow = row;
}

void GridView::DeselectAll()
{
    while (firstSelected >= 0) {
        const int32_t before = firstSelected;
        SetRowSelected(firstSelected, false);
        if (firstSelected == before)
            break;
    }
}

void GridView::SelectAll()
{
    const int32_t count = scrollBar->RowCount();
    if (count <= 0)
        return;
    // The first row goes the ordinary way (it may create the set); the rest is SetRowSelected with
    // the requests prepared once, since a million rows make every nanosecond count.
    SetRowSelected(count - 1, true);
    if (!selectionSet && firstSelected >= 0 && count > 1) {
        SetRowSelected(count - 2, true);
        if (!selectionSet)
            return;  // no room for a set: the selection stays single
    }
    RowRequest ask;
    InitRowRequest(ask, RowRequestKind::MayAddToSelection);
    RowRequest notice = ask;
    notice.kind = RowRequestKind::SelectionChanged;
    notice.answer = 1;
    const int32_t firstShown = scrollBar->FirstRow();
    const int32_t lastShown = scrollBar->LastRow() + 1;
    for (int32_t row = count - 1; row >= 0; --row) {
        if (!selectionSet) {
            SetRowSelected(row, true);
            continue;
        }
        // Straight on the set's words (bit i is bit i mod 32 of word i / 32): checked calls per
        // bit cost a third of the whole.
        uint32_t& word = selectionSet->Words()[row >> 5];
        const uint32_t bit = uint32_t(1) << (row & 31);
        if (word & bit)
            continue;
        ask.row = row;
        ask.answer = 0;
        Ask(ask);
        currentRow = row;
        if (ask.answer != 1)
            continue;
        if (!selectionSet || selectionSet->Count() != count)
            break;  // the owner changed the rows while answering
        selectionSet->Words()[row >> 5] |= bit;
        if (firstSelected > row)
            firstSelected = row;
        if (row >= firstShown && row <= lastShown)
            InvalidateRow(row, true);
        notice.row = row;
        notice.answer = 1;
        Ask(notice);
    }
    ResetMenuUpdateInterval();
}

void GridView::RenotifySelection()
{
    for (int32_t row = NextSelectedRow(-1); row >= 0; row = NextSelectedRow(row)) {
        RowRequest notice;
        InitRowRequest(notice, RowRequestKind::SelectionChanged);
        notice.row = row;
        notice.answer = 1;
        Ask(notice);
    }
}

void GridView::MoveCurrentRow(int32_t step)
{
    const int32_t count = scrollBar->RowCount();
    if (count <= 0)
        return;
    int32_t target;
    if (currentRow < 0)
        target = step < 0 ? count - 1 : 0;
    else
        target = int32_t(std::clamp<int64_t>(int64_t(currentRow) + step, 0, count - 1));
    SelectOnlyRow(target);
}

void GridView::ScrollCurrentRowIntoView()
{
    if (currentRow < 0)
        return;
    if (currentRow < scrollBar->FirstRow())
        scrollBar->SetFirstRow(currentRow);
    else if (currentRow > scrollBar->LastRow())
        scrollBar->ShowRowAtBottom(currentRow);
}

Rect GridView::RowRect(int32_t row)
{
    const int32_t first = scrollBar->FirstRow();
    const int32_t count = scrollBar->RowCount();
    if (row < first || row >= count)
        return Rect{};
    const Rect area = RowsArea();
    int32_t top = 0;
    for (int32_t r = first; r < row; ++r) {
        top += RowHeight(r);
        if (top >= area.bottom)
            return Rect{};  // below what is shown: no rectangle of its own
    }
    return MakeRect(area.left, top, area.right, top + RowHeight(row));
}

void GridView::InvalidateRow(int32_t row, bool)
{
    // Rows off screen have nothing to redraw; the test is cheap so that selecting a million rows is.
    if (row < scrollBar->FirstRow() || row > scrollBar->LastRow() + 1)
        return;
    const Rect rect = RowRect(row);
    if (!rect.IsEmpty())
        InvalidateRect(IntersectRects(rect, RowsArea()), 0);
}

int32_t GridView::RowAtPoint(Point point)
{
    const Rect area = RowsArea();
    if (point.h < area.left || point.h >= area.right)
        return -1;
    const int32_t count = scrollBar->RowCount();
    int32_t top = 0;
    for (int32_t row = scrollBar->FirstRow(); row < count && top < area.bottom; ++row) {
        const int32_t bottom = top + RowHeight(row);
        if (point.v >= top && point.v < bottom)
            return row;
        top = bottom;
    }
    return -1;
}

void GridView::Draw()
{
    const Rect area = RowsArea();
    const int32_t count = scrollBar->RowCount();
    const int32_t back = backColour;
    int32_t top = 0;
    for (int32_t row = scrollBar->FirstRow(); row < count && top < area.bottom; ++row) {
        RowRequest request;
        InitRowRequest(request, RowRequestKind::Draw);
        request.row = row;
        const int32_t height = RowHeight(row);
        request.rowRect = MakeRect(area.left, top, area.right, top + height);
        top += height;
        const bool selected = IsEnabled() && IsRowSelected(row);
        if (selected)
            UseColourIndices(24, 23);
        else
            UseColourIndices(IsEnabled() ? 10 : 6, back);
        ClearRect(request.rowRect);
        request.answer = selected ? 1 : 0;
        Ask(request);
    }
    UseColourIndices(foreColour, back);
}

Rect GridView::TitleRect() const
{
    if (title.empty())
        return Rect{};
    const int32_t width = MeasureTextWidthInStyle(textStyle, title);
    const int32_t height = textStyle.size > 0 ? textStyle.size + 2 : 12;
    Rect rect = MakeRect(-2, -height - 2, std::min(width + 2, bounds.right + 2), 3);
    return rect;
}

void GridView::DrawFrame()
{
    Rect frame = bounds;
    OutsetRect(frame, 1);
    UseColourIndices(IsEnabled() ? 6 : 4, backColour);
    if (ShowsFocusRing())
        DrawFocusRing(bounds);
    else
        FrameRectWidth(frame, 1);
    if (!title.empty()) {
        Rect text = TitleRect();
        ShiftRect(text, 1, 3);
        text.right = ClampCoordinate(text.right - 2);
        UseColourIndices(IsEnabled() ? 10 : 6, backColour);
        DrawTextInRect(text, title);
    }
}

void GridView::BuildShape()
{
    Rect shape = bounds;
    OutsetRect(shape, IsFocused() ? 3 : 1);
    controlRegion.SetRect(shape);
    if (!title.empty())
        AddRectToRegion(controlRegion, TitleRect());
}

void GridView::RedrawFrame()
{
    RebuildShape(0);
    Rect frame = bounds;
    OutsetRect(frame, 3);
    Region ring(frame);
    SubtractRectFromRegion(ring, bounds);
    if (!title.empty())
        AddRectToRegion(ring, TitleRect());
    InvalidateRegion(ring, 0);
}

void GridView::SetTitle(std::string_view text)
{
    if (!title.empty())
        InvalidateRect(TitleRect(), 0);
    title = std::string(text);
    RefreshTitle();
}

void GridView::RefreshTitle()
{
    RebuildShape(0);
    if (!title.empty())
        InvalidateRect(TitleRect(), 0);
    Notify(kNotifyTitle);
}

int32_t GridView::CanTakeFocus()
{
    RowRequest request;
    InitRowRequest(request, RowRequestKind::TakesFocus);
    Ask(request);
    return request.answer == 1 ? 1 : 0;
}

void GridView::Resized(int32_t dw, int32_t dh)
{
    Control::Resized(dw, dh);
    scrollBar->MoveAndResizeBy(dw, 0, 0, dh);
    if (dh != 0)
        scrollBar->Reapply();
    if (dw > 0 || dh > 0)
        Invalidate();
}

}  // namespace vek
