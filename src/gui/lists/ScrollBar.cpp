// ScrollBar: geometry over rows of varying size, tracking of arrows, pages and thumb, the wheel.
#include "gui/lists/ScrollBar.h"

#include <algorithm>
#include <cmath>

#include "foundation/services/Clock.h"
#include "gui/Window.h"
#include "gui/lists/ListSupport.h"
#include "drawing/Shapes.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// A thumb is never drawn shorter than this.
constexpr int32_t kMinimumThumb = 21;
// How far the pointer may stray from the bar while a thumb is dragged before it snaps back.
constexpr int32_t kThumbSlop = 20;
// Auto-repeat: the first step at once, then 400 ms, five steps 120 ms apart, then every 50 ms.
constexpr int64_t kFirstRepeatMs = 400;
constexpr int64_t kSecondRepeatMs = 120;
constexpr int64_t kFastRepeatMs = 50;
constexpr int32_t kSecondPhaseRepeats = 5;
// The notice sent when the platform's scroll-arrow style changed.
constexpr int32_t kNotifyScrollArrowStyle = 21;

int32_t RoundToInt(double value) { return int32_t(std::lround(value)); }

}  // namespace

ScrollBar::ScrollBar(Pane& enclosure, const OriginSize& frame, Orientation direction, int32_t id, int32_t count)
    : Control(kKindScrollBar, enclosure, frame, id), rowCount(std::max(count, 0)), orientation(direction)
{
    SetDrawingStyle(27);
    InitOnce();
    FinishConstruction();
}

ScrollBar::~ScrollBar() { PrepareDestruction(); }

CommandTarget* ScrollBar::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    if (code == kNotifyEnabled) {
        Invalidate();
    } else if (code == kNotifyScrollArrowStyle) {
        ComputeGeometry();
        Invalidate();
    }
    return answer;
}

void ScrollBar::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyOpened)
        InitOnce();
}

void ScrollBar::FocusChanged(InputEvent& event, int32_t code)
{
    hotPart = code == kHoverLeft ? ScrollPart::None : HitTest(event.point);
}

void ScrollBar::InitOnce()
{
    if (setUp || !window)
        return;
    ComputeGeometry();
    SetFirstRow(0);
    setUp = true;
}

void ScrollBar::ComputeGeometry()
{
    const bool vertical = orientation == Orientation::Vertical;
    arrowSize = vertical ? bounds.Width() : bounds.Height();
    const int32_t length = vertical ? bounds.Height() : bounds.Width();
    // Our theme draws one arrow at each end, so the track lies between them.
    arrowSize = std::min(arrowSize, length / 2);
    trackStart = arrowSize;
    trackLength = std::max(length - 2 * arrowSize, 0);
    // No rows: no thumb, and nothing is divided by the count.
    pixelsPerRow = rowCount > 0 ? double(trackLength) / rowCount : 0.0;
}

void ScrollBar::SendNotice(ScrollNotice& notice)
{
    notice.bar = this;
    ScrollChanged(notice);
}

void ScrollBar::BeginUpdate()
{
    if (updateDepth++ > 0)
        return;
    ScrollNotice open;
    open.kind = ScrollNoticeKind::BeginUpdate;
    SendNotice(open);
    ScrollNotice ask;
    ask.kind = ScrollNoticeKind::Extent;
    ask.answer = orientation == Orientation::Vertical ? bounds.Height() : bounds.Width();
    SendNotice(ask);
    extent = std::max(ask.answer, 0);
}

void ScrollBar::EndUpdate()
{
    if (updateDepth <= 0 || --updateDepth > 0)
        return;
    ScrollNotice close;
    close.kind = ScrollNoticeKind::EndUpdate;
    SendNotice(close);
}

namespace {

// Holds a scroll bar's update bracket open for a scope.
class ScrollUpdate {
public:
    explicit ScrollUpdate(ScrollBar& bar) : bar(bar) { bar.BeginUpdate(); }
    ~ScrollUpdate() { bar.EndUpdate(); }
    ScrollUpdate(const ScrollUpdate&) = delete;
    ScrollUpdate& operator=(const ScrollUpdate&) = delete;

private:
    ScrollBar& bar;
};

}  // namespace

int32_t ScrollBar::RowSize(int32_t row)
{
    ScrollNotice ask;
    ask.kind = ScrollNoticeKind::RowSize;
    ask.row = row;
    ask.answer = 1;
    SendNotice(ask);
    // A size of zero or less would make the walks below endless and the thumb a division by zero.
    return std::max(ask.answer, 1);
}

int32_t ScrollBar::LastVisibleRow(int32_t first)
{
    if (rowCount <= 0)
        return -1;
    if (first >= rowCount - 1)
        return rowCount - 1;
    ScrollUpdate bracket(*this);
    int64_t remaining = extent;
    int32_t row = std::max(first, 0);
    while (row < rowCount) {
        remaining -= RowSize(row);
        if (remaining < 0)
            break;
        ++row;
    }
    return std::max(first, row - 1);
}

int32_t ScrollBar::FirstRowForLast(int32_t last)
{
    if (last < 0)
        return 0;
    last = std::min(last, rowCount - 1);
    ScrollUpdate bracket(*this);
    int64_t remaining = extent;
    int32_t row = last;
    while (row >= 0) {
        remaining -= RowSize(row);
        if (remaining < 0)
            break;
        --row;
    }
    return std::max(std::min(last, row + 1), 0);
}

int32_t ScrollBar::PixelsBetween(int32_t a, int32_t b)
{
    ScrollUpdate bracket(*this);
    b = std::min(b, rowCount);
    if (int64_t(b) - a > extent)
        return extent + 1;
    int64_t sum = 0;
    for (int32_t row = a; row < b && sum <= extent; ++row)
        sum += RowSize(row);
    return int32_t(std::min<int64_t>(sum, int64_t(extent) + 1));
}

void ScrollBar::SetFirstRow(int32_t row)
{
    ScrollUpdate bracket(*this);
    const int32_t end = FirstRowForLast(rowCount - 1);
    row = std::clamp(row, 0, std::max(end, 0));
    const int32_t last = LastVisibleRow(row);
    if (row == firstRow && last == lastRow)
        return;
    InvalidateThumb();
    const int32_t old = firstRow;
    firstRow = row;
    lastRow = last;
    InvalidateThumb();
    if (row == old)
        return;
    ScrollNotice moved;
    moved.kind = ScrollNoticeKind::FirstRowChanged;
    moved.row = old;
    moved.pixelDelta = old < row ? -PixelsBetween(old, row) : PixelsBetween(row, old);
    SendNotice(moved);
}

void ScrollBar::Reapply()
{
    ScrollUpdate bracket(*this);
    const int32_t first = firstRow;
    lastRow = -2;  // forces the check below to see a change
    SetFirstRow(first);
}

void ScrollBar::SetRowCount(int32_t count, int32_t invalidateFlags)
{
    count = std::max(count, 0);
    if (count != rowCount) {
        rowCount = count;
        ComputeGeometry();
    }
    Reapply();
    InvalidateRegion(controlRegion, invalidateFlags);
}

void ScrollBar::ShowRowAtBottom(int32_t row)
{
    ScrollUpdate bracket(*this);
    SetFirstRow(FirstRowForLast(std::min(row, rowCount - 1)));
}

int32_t ScrollBar::ScrollBy(int32_t rows)
{
    if (rows == 0)
        return 0;
    ScrollUpdate bracket(*this);
    const int32_t before = firstRow;
    if (rows < 0)
        SetFirstRow(int32_t(std::max<int64_t>(int64_t(firstRow) + rows, 0)));
    else
        ShowRowAtBottom(int32_t(std::min<int64_t>(int64_t(lastRow) + rows, rowCount - 1)));
    if (firstRow == before)
        return 0;
    InvalidateRegion(controlRegion, kInvalidatePending);
    return 1;
}

int32_t ScrollBar::ScrollByWheel(int32_t lines)
{
    const int32_t visible = lastRow - firstRow;
    const int32_t limit = rowCount - visible < 12 ? 1 : visible / 4 + 1;
    const int32_t step = std::clamp(lines * wheelFactor, -limit, limit);
    return ScrollBy(-step);
}

bool ScrollBar::IsScrollable() const { return IsEnabled() && rowCount > 0 && (firstRow > 0 || lastRow < rowCount - 1); }

Rect ScrollBar::ThumbRectFor(int32_t first, int32_t last) const
{
    if (rowCount <= 0 || trackLength <= 0 || first < 0)
        return Rect{};
    int64_t start = trackStart + RoundToInt(first * pixelsPerRow);
    int64_t end = trackStart + RoundToInt((int64_t(last) + 1) * pixelsPerRow);
    if (end - start <= kMinimumThumb) {
        const double room = trackLength - kMinimumThumb + (int64_t(last) + 1 - first) * pixelsPerRow;
        start = trackStart + RoundToInt(double(first) * room / rowCount);
        end = start + kMinimumThumb;
    }
    end = std::min<int64_t>(end, trackStart + trackLength);
    Rect thumb;
    if (orientation == Orientation::Vertical)
        thumb = MakeRect(1, int32_t(start), arrowSize - 1, int32_t(end));
    else
        thumb = MakeRect(int32_t(start), 1, int32_t(end), arrowSize - 1);
    return thumb;
}

Rect ScrollBar::ThumbRect() const
{
    if (dragFirst >= 0)
        return ThumbRectFor(dragFirst, dragLast);
    return ThumbRectFor(firstRow, lastRow);
}

Rect ScrollBar::PartRect(ScrollPart part) const
{
    const bool vertical = orientation == Orientation::Vertical;
    auto span = [&](int32_t from, int32_t to) {
        return vertical ? MakeRect(0, from, arrowSize, to) : MakeRect(from, 0, to, arrowSize);
    };
    const int32_t trackEnd = trackStart + trackLength;
    const Rect thumb = ThumbRect();
    const int32_t thumbStart = vertical ? thumb.top : thumb.left;
    const int32_t thumbEnd = vertical ? thumb.bottom : thumb.right;
    switch (part) {
    case ScrollPart::BackArrow: return span(0, arrowSize);
    case ScrollPart::ForwardArrow: return span(trackEnd, trackEnd + arrowSize);
    case ScrollPart::Thumb: return thumb;
    case ScrollPart::PageBack: return thumb.IsEmpty() ? Rect{} : span(trackStart, thumbStart);
    case ScrollPart::PageForward: return thumb.IsEmpty() ? Rect{} : span(thumbEnd, trackEnd);
    default: return Rect{};
    }
}

ScrollPart ScrollBar::HitTest(Point point) const
{
    for (ScrollPart part : {ScrollPart::BackArrow, ScrollPart::ForwardArrow})
        if (IsPointInRect(point, PartRect(part)))
            return part;
    if (trackLength < arrowSize)
        return ScrollPart::None;
    for (ScrollPart part : {ScrollPart::Thumb, ScrollPart::PageBack, ScrollPart::PageForward})
        if (IsPointInRect(point, PartRect(part)))
            return part;
    return ScrollPart::None;
}

void ScrollBar::InvalidateThumb()
{
    Rect thumb = ThumbRect();
    if (thumb.IsEmpty())
        return;
    OutsetRect(thumb, 3);
    InvalidateRect(thumb, 0);
}

int32_t ScrollBar::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    if (IsContextClick(event) || !IsScrollable())
        return 1;
    ScrollUpdate bracket(*this);
    tracking = true;
    const ScrollPart part = HitTest(event.point);
    if (part == ScrollPart::Thumb)
        TrackThumb(event);
    else if (part != ScrollPart::None)
        TrackPart(event, part);
    tracking = false;
    return 1;
}

bool ScrollBar::RepeatDue(int64_t time)
{
    if (time < nextRepeatTime)
        return false;
    switch (repeatPhase) {
    case 1:
        nextRepeatTime = time + kFirstRepeatMs;
        repeatCount = 0;
        repeatPhase = 2;
        break;
    case 2:
        nextRepeatTime = time + kSecondRepeatMs;
        if (++repeatCount >= kSecondPhaseRepeats)
            repeatPhase = 3;
        break;
    default: nextRepeatTime = time + kFastRepeatMs; break;
    }
    return true;
}

void ScrollBar::TrackPart(InputEvent& event, ScrollPart part)
{
    nextRepeatTime = 0;
    repeatPhase = 1;
    auto grownRect = [&] {
        Rect rect = PartRect(part);
        if (part == ScrollPart::BackArrow || part == ScrollPart::ForwardArrow) {
            if (orientation == Orientation::Vertical)
                OutsetRectHV(rect, 0, 5);
            else
                OutsetRectHV(rect, 5, 0);
        }
        return rect;
    };
    Rect area = grownRect();
    Point local = event.point;
    InputEvent tracked = event;
    for (;;) {
        const ScrollPart now = IsPointInRect(local, area) ? part : ScrollPart::None;
        if (now != pressedPart) {
            pressedPart = now;
            InvalidateRect(PartRect(part), kInvalidateNow);
        }
        if (pressedPart != ScrollPart::None && RepeatDue(tracked.time)) {
            const int32_t step = repeatPhase <= 2 && repeatCount == 0 ? 1 : arrowStep;
            switch (part) {
            case ScrollPart::BackArrow: SetFirstRow(firstRow - step); break;
            case ScrollPart::PageBack: ShowRowAtBottom(firstRow - 1); break;
            case ScrollPart::PageForward: SetFirstRow(lastRow + 1); break;
            case ScrollPart::ForwardArrow: SetFirstRow(firstRow + step); break;
            default: break;
            }
            InvalidateRegion(controlRegion, kInvalidatePending);
            area = grownRect();
        }
        if (!tracked.WaitMouseStillDown())
            break;
        local = TrackedPointToLocal(*this, tracked.point);
    }
    pressedPart = ScrollPart::None;
    InvalidateRect(PartRect(part), 0);
}

int32_t ScrollBar::FindRowNear(int32_t estimate)
{
    const int32_t end = std::max(FirstRowForLast(rowCount - 1), 0);
    if (estimate <= 0)
        return 0;
    if (estimate >= end)
        return end;
    // Offer the estimate, then its neighbours alternately further out, until the owner accepts one.
    for (int32_t distance = 0;; ++distance) {
        bool inside = false;
        for (int32_t sign : {-1, 1}) {
            if (distance == 0 && sign == 1)
                continue;
            const int64_t row = int64_t(estimate) + int64_t(sign) * distance;
            if (row < 0 || row > end)
                continue;
            inside = true;
            ScrollNotice ask;
            ask.kind = ScrollNoticeKind::MayBeFirst;
            ask.row = int32_t(row);
            ask.answer = 1;
            SendNotice(ask);
            if (ask.answer != 0)
                return int32_t(row);
        }
        if (!inside)
            return firstRow;
    }
}

void ScrollBar::TrackThumb(InputEvent& event)
{
    Rect slop = bounds;
    OutsetRect(slop, kThumbSlop);
    const Rect thumb = ThumbRect();
    const bool vertical = orientation == Orientation::Vertical;
    const int32_t pressOffset = Along(event.point) - (vertical ? thumb.top : thumb.left);
    const int32_t thumbLength = vertical ? thumb.Height() : thumb.Width();
    const int32_t startFirst = firstRow;
    const int32_t startLast = lastRow;
    const double visibleRows = double(startLast - startFirst + 1);
    const double denominator = pixelsPerRow * visibleRows + trackLength - thumbLength;
    pressedPart = ScrollPart::Thumb;
    int32_t lastReported = startFirst;
    bool inside = true;
    Point local = event.point;
    Point previous = local;
    InputEvent tracked = event;
    while (tracked.WaitMouseStillDown()) {
        local = TrackedPointToLocal(*this, tracked.point);
        if (local == previous)
            continue;
        previous = local;
        inside = IsPointInRect(local, slop);
        InvalidateThumb();
        if (!inside || denominator <= 0) {
            dragFirst = startFirst;
            dragLast = startLast;
        } else {
            const double estimate = double(Along(local) - pressOffset - trackStart) * rowCount / denominator;
            const int32_t row = FindRowNear(int32_t(std::clamp(std::round(estimate), -1.0, double(rowCount))));
            dragFirst = row;
            dragLast = LastVisibleRow(row);
            if (row != lastReported) {
                lastReported = row;
                if (live) {
                    ScrollNotice notice;
                    notice.kind = ScrollNoticeKind::LiveThumb;
                    notice.row = row;
                    notice.answer = 1;
                    SendNotice(notice);
                } else {
                    dragFirst = -1;
                    SetFirstRow(row);
                }
            }
        }
        InvalidateThumb();
    }
    dragFirst = -1;
    dragLast = -1;
    pressedPart = ScrollPart::None;
    if (live) {
        ScrollNotice notice;
        notice.kind = ScrollNoticeKind::LiveThumb;
        notice.row = inside ? lastReported : startFirst;
        notice.answer = 0;
        SendNotice(notice);
    } else if (!inside) {
        SetFirstRow(startFirst);
    }
    InvalidateRegion(controlRegion, 0);
}

int32_t ScrollBar::Wheel(InputEvent& event, int32_t lines)
{
    if (orientation != Orientation::Vertical)
        return Control::Wheel(event, lines);
    ScrollByWheel(lines);
    return 1;
}

void ScrollBar::Resized(int32_t dw, int32_t dh)
{
    Control::Resized(dw, dh);
    ComputeGeometry();
    Reapply();
    Invalidate();
}

void ScrollBar::Draw()
{
    UseColourIndices(6, backColour);
    FrameRectWidth(bounds, 1);
    UseColourIndices(10, backColour);
    // The theme draws the track and the arrows; the thumb is ours, so that what is drawn is exactly
    // what HitTest and the drag measure.
    DrawScrollBarTrack(bounds, IsEnabled(), 0, 0, 0, orientation, int32_t(pressedPart));
    const Rect thumb = ThumbRect();
    if (IsEnabled() && !thumb.IsEmpty() && IsScrollable()) {
        Rect knob = thumb;
        OutsetRect(knob, -1);
        FillRoundRectColor(knob, std::min(knob.Width(), knob.Height()), pressedPart == ScrollPart::Thumb ? 7 : 5);
    }
}

OriginSize StandardScrollBarRect(const Pane& enclosure, const Rect& content, int32_t width)
{
    width = std::max(width, 16);
    int32_t bottom = content.bottom + 2;
    const int32_t kind = enclosure.Kind();
    if ((kind == 1 || kind == 8) && content.right >= enclosure.Bounds().right && content.bottom >= enclosure.Bounds().bottom)
        bottom -= width - 1;
    const int32_t top = content.top - 1;
    return OriginSize{ClampCoordinate(top), ClampCoordinate(content.right - width + 1), ClampCoordinate(bottom - top),
                      ClampCoordinate(width)};
}

}  // namespace vek
