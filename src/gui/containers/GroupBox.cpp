// GroupBox: frame and title geometry, drawing, and the scrolling of its children.
#include "gui/containers/GroupBox.h"

#include <algorithm>

#include "foundation/messages/LocalizedText.h"
#include "gui/DrawingRoutines.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/ScrollBar.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"

namespace vek {

namespace {

constexpr int32_t kGroupBoxWiden = 15;
constexpr int32_t kTitleLeft = 8;

}  // namespace

GroupBox::GroupBox(Pane& enclosure, const OriginSize& frame, int32_t id, bool finish)
    : Control(kKindGroupBox, enclosure, frame, id), scroller(*this, kGroupBoxWiden)
{
    if (finish)
        FinishConstruction();
}

GroupBox::~GroupBox() { PrepareDestruction(); }

void GroupBox::FrameAndTitleRects(Rect& frame, Rect& titleRect) const
{
    frame = bounds;
    OutsetRect(frame, 2);
    titleRect = Rect{};
    if (title.empty())
        return;
    const int32_t w = MeasureTextWidthInStyle(textStyle, title);
    const int32_t h = MeasureTextHeightInStyle(textStyle, title, std::max(w, 1) + 1);
    int32_t left = kTitleLeft;
    int32_t right = kTitleLeft + w;
    frame.top = ClampCoordinate(-((h + 2) / 2));
    const int32_t half = (frame.right - right - 10) / 2;
    if (half < 0) {
        const int32_t shift = std::min(-half, 4);
        left -= shift;
        right -= shift;
    }
    right = std::min<int32_t>(right, frame.right);
    titleRect = MakeRect(left, -1 - h, right, -1);
}

void GroupBox::TitleChanged()
{
    InvalidateRect(MakeRect(-2, -99, bounds.right + 2, -1), kInvalidateShape);
    RebuildShape(0);
    Notify(kNotifyTitle);
}

void GroupBox::SetTitleText(std::string_view text)
{
    title = std::string(text);
    titleId = 0;
    TitleChanged();
}

void GroupBox::SetTitle(int32_t textId)
{
    const char* text = LoadText(textId);
    title = text ? text : "";
    titleId = textId;
    TitleChanged();
}

void GroupBox::SetEmphasis(bool flag)
{
    emphasis = flag;
    InvalidateRegion(controlRegion, 0);
}

void GroupBox::SetScrollable(bool flag)
{
    if (flag == scrollable)
        return;
    scrollable = flag;
    if (scrollable)
        scroller.Update();
    else
        scroller.Remove();
}

void GroupBox::ContentChanged()
{
    if (scrollable)
        scroller.Update();
}

void GroupBox::DrawFrame()
{
    Rect frame;
    Rect titleRect;
    FrameAndTitleRects(frame, titleRect);
    UseColourIndices(6, backColour);
    FrameRectWidth(frame, emphasis ? 2 : 1);
    if (!titleRect.IsEmpty()) {
        UseColourIndices(IsEnabled() ? 10 : 6, backColour);
        Rect gap = titleRect;
        OutsetRectHV(gap, 4, 0);
        ClearRect(gap);
        DrawTextInRect(titleRect, title);
    }
}

void GroupBox::BuildShape()
{
    Rect frame;
    Rect titleRect;
    FrameAndTitleRects(frame, titleRect);
    controlRegion.SetRect(frame);
    if (!titleRect.IsEmpty()) {
        OutsetRectHV(titleRect, 2, 1);
        AddRectToRegion(controlRegion, titleRect);
    }
}

CommandTarget* GroupBox::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyOpened:
        if (scrollable)
            scroller.Update();
        break;
    case kNotifyEnabled: InvalidateRegion(controlRegion, 0); break;
    case kNotifyGlobalSetting:
        if (titleId != 0)
            SetTitle(titleId);
        break;
    default: break;
    }
    return answer;
}

void GroupBox::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyBackground) {
        if (Pane* outer = EnclosingPane())
            SetDrawingStyle(outer->BackColour());
        InvalidateRegion(controlRegion, 0);
    }
}

void GroupBox::ChildChanged(int32_t code, Pane* child)
{
    Control::ChildChanged(code, child);
    if (!child || child->Kind() == kKindScrollBar)
        return;
    if (code == kNotifyVisibility && scrollable)
        scroller.Update();
    else if (code == kNotifyKeyboardFocus && scroller.Bar())
        ScrollChildIntoView(*child);
}

void GroupBox::ScrollChildIntoView(Pane& child)
{
    const int32_t top = child.Position().v;
    const int32_t bottom = top + child.Size().v;
    ScrollBar* bar = scroller.Bar();
    if (top < 2)
        bar->ScrollBy(top - 2);
    else if (bottom + 2 > bounds.Height())
        bar->ScrollBy(bottom - bounds.Height() + 2);
}

int32_t GroupBox::Wheel(InputEvent& event, int32_t lines)
{
    if (int32_t taken = Control::Wheel(event, lines))
        return taken;
    return scroller.Wheel(event, lines);
}

CommandTarget* GroupBox::ScrollChanged(ScrollNotice& record)
{
    if (scroller.Handle(record))
        return this;
    return Control::ScrollChanged(record);
}

void GroupBox::Resized(int32_t dw, int32_t dh)
{
    Control::Resized(dw, dh);
    if (dw != 0)
        RebuildShape(0);
    scroller.Resized(dw, dh);
}

}  // namespace vek
