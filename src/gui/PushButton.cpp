// PushButton: label layout, click tracking, keys, drawing through the theme, firing and flashing.
#include "gui/PushButton.h"

#include "foundation/messages/LocalizedText.h"
#include "foundation/services/Clock.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/Window.h"
#include "drawing/DrawingState.h"
#include "drawing/Theme.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// How long a key press shows the button pressed before it fires.
constexpr int64_t kFlashMs = 160;
// The cursor set while a button is tracked: the arrow.
constexpr int32_t kArrowCursor = 50;

}  // namespace

bool IsSignLabel(const std::string& text) { return text == "+" || text == "-"; }

PushButton::PushButton(Pane& enclosure, const OriginSize& frame, int32_t id) : Control(kKindPushButton, enclosure, frame, id)
{
    LayoutLabel();
    FinishConstruction();
}

PushButton::~PushButton() { PrepareDestruction(); }

CommandTarget* PushButton::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyEnabled: InvalidateRegion(controlRegion, 0); break;
    case kNotifyKeyboardFocus: InvalidateRegion(controlRegion, kInvalidateNow); break;
    case kNotifyGlobalSetting:
        if (labelId != 0) {
            const char* text = LoadText(labelId);
            label = text ? text : "";
            LayoutLabel();
            InvalidateRegion(controlRegion, 0);
        }
        break;
    default: break;
    }
    return answer;
}

void PushButton::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyBackground) {
        if (Pane* outer = EnclosingPane())
            SetDrawingStyle(outer->BackColour());
        InvalidateRegion(controlRegion, 0);
    }
}

void PushButton::FocusChanged(InputEvent&, int32_t code)
{
    if (code == kHoverEntered)
        hot = true;
    else if (code == kHoverLeft)
        hot = false;
}

void PushButton::SetPressed(bool flag)
{
    if (pressed == flag)
        return;
    pressed = flag;
    InvalidateRegion(controlRegion, kInvalidateNow);
}

int32_t PushButton::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    if (!IsEnabled() || event.rightButton || event.control)
        return 1;
    SetCursorById(kArrowCursor);
    if (TrackPressInBounds(event, [this](bool inside) { SetPressed(inside); })) {
        SetPressed(false);
        Fire();
    }
    return 1;
}

int32_t PushButton::KeyDown(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::KeyDown(event, pane))
        return taken;
    if (!IsFocusedPressKey(event))
        return 0;
    Flash();
    return 1;
}

void PushButton::Resized(int32_t dw, int32_t dh)
{
    Rect old{0, 0, int16_t(bounds.bottom - dh), int16_t(bounds.right - dw)};
    Control::Resized(dw, dh);
    OutsetRect(old, 4);
    Region area(old);
    area.Union(Region(bounds));
    InvalidateRegion(area, kInvalidateNoClip);
    LayoutLabel();
}

void PushButton::Draw()
{
    DrawPushButton(bounds, IsEnabled(), pressed, isDefault);
    Rect inner = bounds;
    OutsetRect(inner, -1);
    const std::string shown = ellipsis ? label + "\xE2\x80\xA6" : label;
    DrawTextInRectEnabled(inner, shown.c_str(), IsEnabled());
}

void PushButton::DrawFrame() { DrawPushButton(bounds, IsEnabled(), pressed, isDefault); }

void PushButton::BuildShape()
{
    Rect shape = bounds;
    OutsetRect(shape, isDefault ? 4 : 2);
    controlRegion.SetRect(shape);
}

void PushButton::SetLabel(int32_t textId)
{
    const char* text = LoadText(textId);
    label = text ? text : "";
    labelId = textId;
    if (textId == 701)
        cancel = true;
    LayoutLabel();
    InvalidateRegion(controlRegion, 0);
}

void PushButton::SetLabelText(const char* text)
{
    label = text ? text : "";
    labelId = 0;
    LayoutLabel();
    InvalidateRegion(controlRegion, 0);
}

void PushButton::SetDefault(bool flag)
{
    if (isDefault == flag)
        return;
    isDefault = flag;
    RebuildShape(0);
}

void PushButton::SetEllipsis(bool flag)
{
    if (ellipsis == flag)
        return;
    ellipsis = flag;
    LayoutLabel();
    InvalidateRegion(controlRegion, 0);
}

void PushButton::Fire()
{
    ScopedCommandText command(label);
    ControlCommand(*this);
}

void PushButton::Flash()
{
    const int64_t start = CurrentTimeMs();
    SetPressed(true);
    DelayYielding(kFlashMs - (CurrentTimeMs() - start));
    SetPressed(false);
    Fire();
    ResetMenuUpdateInterval();
}

void PushButton::LayoutLabel()
{
    TextStyle style = textStyle;
    style.SetAlignment(kAlignCenterH | kAlignCenterV);
    style.flags = uint16_t(style.flags & ~kTextPlain);
    const std::string measured = ellipsis ? label + ".." : label;
    const int32_t height = bounds.Height();
    const int32_t width = bounds.Width();
    if (height < 19 && !IsSignLabel(label)) {
        style.size = 9;
        style.SetFace(kFaceBold);
    }
    if (height < 21 && MeasureTextWidthInStyle(style, measured) > width - 8) {
        style.SetFace(kFaceCondense);
        if (MeasureTextWidthInStyle(style, measured) > width - 8)
            style.SetAlignment(kAlignCenterV);
    }
    SetTextStyle(style);
}

}  // namespace vek
