// ContentScroller: the content height, the bar's creation and removal, and moving the children.
#include "gui/containers/ContentScroller.h"

#include <algorithm>

#include "gui/lists/ScrollBar.h"

namespace vek {

namespace {

constexpr int32_t kScrollBarWidth = 16;
constexpr int32_t kContentWheelFactor = 5;

}  // namespace

int32_t ContentScroller::ContentHeight() const
{
    int32_t smallestTop = 99;
    int32_t largestBottom = 0;
    bool any = false;
    for (Pane* child = owner.FirstChild(); child; child = child->Next()) {
        if (child == bar || !child->IsVisible())
            continue;
        const Region* shape = child->Shape();
        const Rect rect = shape ? shape->Bounds() : child->Bounds();
        // In 32 bits: a child low in a long page ends beyond what a coordinate holds.
        smallestTop = std::min<int32_t>(smallestTop, child->Position().v + rect.top);
        largestBottom = std::max<int32_t>(largestBottom, child->Position().v + rect.bottom);
        any = true;
    }
    const int32_t twice = 2 * Offset();
    if (!any)
        return twice;
    return largestBottom + smallestTop + twice;
}

int32_t ContentScroller::Offset() const { return bar ? bar->FirstRow() : 0; }

void ContentScroller::MoveChildren(int32_t dy)
{
    if (dy == 0)
        return;
    for (Pane* child = owner.FirstChild(); child; child = child->Next())
        if (child != bar)
            child->MoveBy(0, dy);
}

void ContentScroller::Remove()
{
    if (!bar)
        return;
    MoveChildren(bar->FirstRow());
    ScrollBar* gone = bar;
    bar = nullptr;
    delete gone;
    if (widenBy != 0)
        owner.ResizeBy(-widenBy, 0);
    owner.Invalidate();
}

void ContentScroller::Update()
{
    if (!owner.GetWindow())
        return;
    const int32_t height = owner.Bounds().Height();
    const int32_t content = ContentHeight();
    if (content <= height) {
        Remove();
        return;
    }
    if (bar) {
        bar->SetRowCount(content, 0);
        return;
    }
    if (widenBy != 0)
        owner.ResizeBy(widenBy, 0);
    const OriginSize frame{0, ClampCoordinate(owner.Bounds().Width() - 14), ClampCoordinate(height), kScrollBarWidth};
    bar = new ScrollBar(owner, frame, Orientation::Vertical, 0, content);
    bar->MakeFloating();
    bar->SetWheelFactor(kContentWheelFactor);
    bar->Reapply();
}

bool ContentScroller::Handle(ScrollNotice& notice)
{
    if (!bar || notice.bar != bar)
        return false;
    switch (notice.kind) {
    case ScrollNoticeKind::Extent: notice.answer = owner.Bounds().Height(); break;
    case ScrollNoticeKind::RowSize: notice.answer = 1; break;
    case ScrollNoticeKind::FirstRowChanged:
        MoveChildren(notice.row - bar->FirstRow());
        owner.InvalidateRegion(owner.ControlRegion(), kInvalidateShape);
        break;
    default: break;
    }
    return true;
}

int32_t ContentScroller::Wheel(InputEvent& event, int32_t lines)
{
    if (!bar)
        return 0;
    return bar->Wheel(event, lines);
}

void ContentScroller::Resized(int32_t dw, int32_t dh)
{
    if (!bar)
        return;
    if (dw != 0)
        bar->MoveBy(dw, 0);
    if (dh != 0) {
        bar->ResizeBy(0, dh);
        Update();
    }
}

}  // namespace vek
