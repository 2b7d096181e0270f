// CheckBox: geometry, click tracking, keys and drawing through the theme.
#include "gui/controls/CheckBox.h"

#include "drawing/ColorTable.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/Icons.h"
#include "drawing/Shapes.h"
#include "drawing/Theme.h"
#include "foundation/messages/LocalizedText.h"
#include "gui/DrawingRoutines.h"
#include "gui/Window.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kCheckBoxSize = 16;
constexpr int32_t kCheckLabelLeft = 19;
// Controls lower than this keep their label on one line.
constexpr int32_t kCheckWrapHeight = 21;

// The picture at the rectangle's left, vertically centred and clipped to it; the rectangle then
// starts 2 pixels behind it.
void DrawCheckBoxPicture(Rect& rect, int32_t id)
{
    Rect size;
    GetPictureBounds(size, id);
    if (size.Width() <= 0)
        return;
    const int32_t top = (int32_t(rect.top) + rect.bottom - size.Height()) / 2;
    Rect at{ClampCoordinate(top), rect.left, ClampCoordinate(top + size.Height()),
            ClampCoordinate(rect.left + size.Width())};
    if (DrawingPort* port = CurrentPort()) {
        const Region saved = port->Clip();
        Region clip(saved);
        IntersectRegionWithRect(clip, rect);
        port->SetClip(clip);
        DrawPicture(at, id);
        port->SetClip(saved);
    }
    rect.left = ClampCoordinate(at.right + 2);
}

}  // namespace

CheckBox::CheckBox(Pane& enclosure, const OriginSize& frame, int32_t id, bool finish)
    : Control(kKindCheckBox, enclosure, frame, id)
{
    SetTextFlags(frame.height < kCheckWrapHeight ? 0x2000 : 0x2100, 0x3F7F);
    if (finish)
        FinishConstruction();
}

CheckBox::~CheckBox() { PrepareDestruction(); }

Rect CheckBox::BoxRect() const
{
    const int32_t top = (bounds.Height() - kCheckBoxSize) / 2;
    return Rect{int16_t(top), 0, int16_t(top + kCheckBoxSize), int16_t(kCheckBoxSize)};
}

Rect CheckBox::LabelRect() const
{
    Rect rect = bounds;
    rect.left = int16_t(kCheckLabelLeft);
    return rect;
}

Rect CheckBox::FocusRect() const
{
    Rect rect{-1, -2, int16_t(bounds.Height() + 1), int16_t(bounds.Width() + 1)};
    if (bounds.Height() <= 14) {
        rect.top = int16_t(rect.top - 1);
        rect.bottom = int16_t(rect.bottom + 1);
    }
    return rect;
}

CommandTarget* CheckBox::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyEnabled: Invalidate(); break;
    case kNotifyKeyboardFocus: {
        Region ring(FocusRect());
        Rect inner = FocusRect();
        OutsetRect(inner, -1);
        ring.Subtract(Region(inner));
        InvalidateRegion(ring, kInvalidateNoClip);
        RebuildShape(0);
        break;
    }
    case kNotifyGlobalSetting:
        if (labelId != 0) {
            const char* text = LoadText(labelId);
            label = text ? text : "";
            InvalidateRect(LabelRect(), 0);
        }
        break;
    default: break;
    }
    return answer;
}

void CheckBox::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyBackground) {
        if (Pane* outer = EnclosingPane())
            SetDrawingStyle(outer->BackColour());
        Invalidate();
    }
}

void CheckBox::FocusChanged(InputEvent&, int32_t code)
{
    if (code == kHoverEntered)
        hot = true;
    else if (code == kHoverLeft)
        hot = false;
}

void CheckBox::SetPressed(bool flag)
{
    if (pressed == flag)
        return;
    pressed = flag;
    InvalidateRect(BoxRect(), kInvalidateNow);
}

int32_t CheckBox::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    if (!IsEnabled() || event.rightButton || event.control)
        return 1;
    if (TrackPressInBounds(event, [this](bool inside) { SetPressed(inside); })) {
        SetPressed(false);
        Toggle();
    }
    return 1;
}

int32_t CheckBox::KeyDown(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::KeyDown(event, pane))
        return taken;
    if (!IsFocusedPressKey(event))
        return 0;
    Toggle();
    return 1;
}

void CheckBox::Resized(int32_t dw, int32_t dh)
{
    Invalidate();
    Control::Resized(dw, dh);
}

void CheckBox::SetChecked(bool flag) { SetPressed(flag); }

void CheckBox::SetValue(bool flag)
{
    if (value == flag)
        return;
    value = flag;
    InvalidateRect(BoxRect(), 0);
}

void CheckBox::Toggle()
{
    value = !value;
    InvalidateRect(BoxRect(), 0);
    ControlChanged(*this);
}

void CheckBox::SetLabel(int32_t textId)
{
    const char* text = LoadText(textId);
    label = text ? text : "";
    labelId = textId;
    InvalidateRect(LabelRect(), 0);
}

void CheckBox::SetLabelText(const char* text)
{
    label = text ? text : "";
    labelId = 0;
    InvalidateRect(LabelRect(), 0);
}

void CheckBox::SetPicture(int32_t pictureId)
{
    picture = pictureId;
    InvalidateRect(LabelRect(), 0);
}

void CheckBox::Draw()
{
    Rect labelRect = LabelRect();
    if (picture != 0)
        DrawCheckBoxPicture(labelRect, picture);
    DrawTextInRectEnabled(labelRect, label.c_str(), IsEnabled());
    DrawSmallCheckBox(BoxRect(), IsEnabled(), pressed, value ? 1 : 0);
}

void CheckBox::DrawFrame()
{
    DrawSmallCheckBox(BoxRect(), IsEnabled(), pressed, value ? 1 : 0);
    if (ShowsFocus())
        FrameRectPattern(FocusRect());
}

void CheckBox::BuildShape()
{
    Rect shape = bounds;
    shape.top = int16_t(shape.top - 1);
    shape.left = int16_t(shape.left - 1);
    shape.bottom = int16_t(shape.bottom + 1);
    Region region(shape);
    if (IsFocused())
        region.Union(Region(FocusRect()));
    controlRegion = region;
}

}  // namespace vek
