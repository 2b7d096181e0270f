// Theme: flat frames in the colour table's greys with the highlight for emphasis; the same pictures
// with and without a display.
#include "drawing/Theme.h"

#include <algorithm>

#include "drawing/DrawingState.h"
#include "drawing/Fonts.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"

namespace vek {

namespace {

constexpr int32_t kAccent = 21;

// Frames the shape in a colour index, putting the fore colour back.
void FrameInColor(const Shape& shape, int32_t width, int32_t color)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    RgbColor fore = port->ForeColor();
    PenPattern pattern = port->GetPenPattern();
    SetForeColorMix(color, color);
    FrameShape(shape, width);
    port->SetForeColor(fore);
    port->SetPenPattern(pattern);
}

int32_t FaceColor(ThemeState state) { return state == ThemeState::Pressed ? 5 : state == ThemeState::Active ? 1 : 2; }
int32_t EdgeColor(ThemeState state) { return state == ThemeState::Inactive ? 4 : 7; }
int32_t InkColor(ThemeState state) { return state == ThemeState::Inactive ? 5 : 10; }

void DrawArrowMark(const Rect& box, int32_t direction, int32_t color)
{
    // direction: 0 left, 1 right, 2 up, 3 down.
    int32_t cx = (int32_t(box.left) + box.right) / 2;
    int32_t cy = (int32_t(box.top) + box.bottom) / 2;
    int32_t s = std::max(2, std::min(box.Width(), box.Height()) / 4);
    Point p[3];
    auto at = [](int32_t h, int32_t v) { return Point{ClampCoordinate(v), ClampCoordinate(h)}; };
    switch (direction) {
    case 0:
        p[0] = at(cx - s, cy), p[1] = at(cx + s, cy - s), p[2] = at(cx + s, cy + s);
        break;
    case 1:
        p[0] = at(cx + s, cy), p[1] = at(cx - s, cy - s), p[2] = at(cx - s, cy + s);
        break;
    case 2:
        p[0] = at(cx, cy - s), p[1] = at(cx - s, cy + s), p[2] = at(cx + s, cy + s);
        break;
    default:
        p[0] = at(cx, cy + s), p[1] = at(cx - s, cy - s), p[2] = at(cx + s, cy - s);
        break;
    }
    Region triangle;
    PolygonRegion(triangle, p);
    FillRegionColor(triangle, color);
}

}  // namespace

ThemeState ThemeStateOf(bool enabled, bool pressed)
{
    return !enabled ? ThemeState::Inactive : pressed ? ThemeState::Pressed : ThemeState::Active;
}

TabStyle TabStyleOfState(int32_t state)
{
    switch (state) {
    case 0:
        return TabStyle::NonFrontInactive;
    case 2:
    case 3:
        return TabStyle::Front;
    case 4:
        return TabStyle::NonFrontPressed;
    default:
        return TabStyle::NonFront;
    }
}

void DrawPushButton(const Rect& rect, bool enabled, bool pressed, bool isDefault)
{
    if (rect.IsEmpty())
        return;
    ThemeState state = ThemeStateOf(enabled, pressed);
    if (isDefault) {
        Rect ring = rect;
        OutsetRect(ring, 2);
        FrameInColor(Shape::OfRoundRect(ring, 12), 2, state == ThemeState::Inactive ? 4 : kAccent);
    }
    FillRoundRectColor(rect, 8, FaceColor(state));
    FrameInColor(Shape::OfRoundRect(rect, 8), 1, EdgeColor(state));
}

void DrawSmallCheckBox(const Rect& rect, bool enabled, bool pressed, int32_t value)
{
    if (rect.IsEmpty())
        return;
    ThemeState state = ThemeStateOf(enabled, pressed);
    int32_t size = std::min(rect.Width(), rect.Height());
    Rect box = MakeRect(rect.left, rect.top, rect.left + size, rect.top + size);
    FillRectColor(box, state == ThemeState::Pressed ? 4 : 0);
    FrameInColor(Shape::OfRect(box), 1, EdgeColor(state));
    Rect inner = box;
    OutsetRect(inner, -std::max(2, size / 4));
    if (value == 1) {
        DrawingPort* port = CurrentPort();
        RgbColor fore = port->ForeColor();
        port->SetForeColor(TableColor(InkColor(state)));
        DrawThickLine(inner.left, (int32_t(inner.top) + inner.bottom) / 2, inner.Width() / 3, inner.Height() / 2, 2, 2);
        DrawThickLine(inner.left + inner.Width() / 3, inner.bottom - 1, inner.Width() - inner.Width() / 3, -inner.Height() + 1,
                      2, 2);
        port->SetForeColor(fore);
    } else if (value == 2) {
        Rect dash = MakeRect(inner.left, (int32_t(inner.top) + inner.bottom) / 2 - 1, inner.right,
                             (int32_t(inner.top) + inner.bottom) / 2 + 1);
        FillRectColor(dash, InkColor(state));
    }
}

void DrawSmallRadioButton(const Rect& rect, bool enabled, bool pressed, int32_t value)
{
    if (rect.IsEmpty())
        return;
    ThemeState state = ThemeStateOf(enabled, pressed);
    int32_t size = std::min(rect.Width(), rect.Height());
    Rect box = MakeRect(rect.left, rect.top, rect.left + size, rect.top + size);
    FillOvalColor(box, state == ThemeState::Pressed ? 4 : 0);
    FrameInColor(Shape::OfOval(box), 1, EdgeColor(state));
    if (value != 0) {
        Rect dot = box;
        OutsetRect(dot, -std::max(3, size / 3));
        FillOvalColor(dot, InkColor(state));
    }
}

void DrawPopupButtonFrame(const Rect& rect, bool enabled)
{
    if (rect.IsEmpty())
        return;
    ThemeState state = ThemeStateOf(enabled, false);
    FillRoundRectColor(rect, 6, state == ThemeState::Inactive ? 2 : 0);
    FrameInColor(Shape::OfRoundRect(rect, 6), 1, EdgeColor(state));
    int32_t arrows = std::min<int32_t>(rect.Height(), rect.Width() / 2);
    Rect button = MakeRect(rect.right - arrows, rect.top, rect.right, rect.bottom);
    FillRoundRectColor(button, 6, state == ThemeState::Inactive ? 4 : kAccent);
    int32_t mid = (int32_t(button.top) + button.bottom) / 2;
    DrawArrowMark(MakeRect(button.left, button.top + 1, button.right, mid + 1), 2, 0);
    DrawArrowMark(MakeRect(button.left, mid - 1, button.right, button.bottom - 1), 3, 0);
}

void DrawScrollBarTrack(const Rect& rect, bool enabled, int32_t minimum, int32_t maximum, int32_t value,
                        Orientation orientation, int32_t pressedPart)
{
    if (rect.IsEmpty())
        return;
    ThemeState state = ThemeStateOf(enabled, pressedPart == 1 || pressedPart == 5);
    bool horizontal = orientation == Orientation::Horizontal;
    int32_t thickness = horizontal ? rect.Height() : rect.Width();
    int32_t length = horizontal ? rect.Width() : rect.Height();
    FillRectColor(rect, 26);
    FrameInColor(Shape::OfRect(rect), 1, 4);
    int32_t arrow = std::min(thickness, length / 2);
    Rect first = horizontal ? MakeRect(rect.left, rect.top, rect.left + arrow, rect.bottom)
                            : MakeRect(rect.left, rect.top, rect.right, rect.top + arrow);
    Rect last = horizontal ? MakeRect(rect.right - arrow, rect.top, rect.right, rect.bottom)
                           : MakeRect(rect.left, rect.bottom - arrow, rect.right, rect.bottom);
    int32_t ink = state == ThemeState::Inactive ? 4 : 8;
    DrawArrowMark(first, horizontal ? 0 : 2, ink);
    DrawArrowMark(last, horizontal ? 1 : 3, ink);
    int32_t track = length - 2 * arrow;
    if (state == ThemeState::Inactive || maximum <= minimum || track < 8)
        return;
    int64_t range = int64_t(maximum) - minimum;
    int64_t view = range + 1;
    int32_t thumb = int32_t(std::clamp<int64_t>(int64_t(track) * view / (view + range), 8, track));
    int64_t clamped = std::clamp<int64_t>(value, minimum, maximum) - minimum;
    int32_t offset = int32_t(int64_t(track - thumb) * clamped / range);
    int32_t start = (horizontal ? rect.left : rect.top) + arrow + offset;
    Rect knob = horizontal ? MakeRect(start, rect.top + 2, start + thumb, rect.bottom - 2)
                           : MakeRect(rect.left + 2, start, rect.right - 2, start + thumb);
    FillRoundRectColor(knob, std::min(knob.Width(), knob.Height()), state == ThemeState::Pressed ? 7 : 5);
}

void DrawProgressTrack(const Rect& rect, int32_t value)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    Region saved = port->Clip();
    Region clip(saved);
    IntersectRegionWithRect(clip, rect);
    port->SetClip(clip);
    FillRectColor(rect, 2);
    int32_t filled = std::clamp(value, 0, rect.Width());
    FillRectColor(MakeRect(rect.left, rect.top, rect.left + filled, rect.bottom), kAccent);
    port->SetClip(saved);
    FrameInColor(Shape::OfRect(rect), 1, 4);
}

void DrawFocusRing(const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    Rect ring = rect;
    OutsetRect(ring, 2);
    Region saved = port->Clip();
    Region clip(saved);
    IntersectRegionWithRect(clip, ring);
    port->SetClip(clip);
    FrameInColor(Shape::OfRoundRect(ring, 4), 2, kAccent);
    port->SetClip(saved);
}

void DrawFocusRingInset(const Rect& rect)
{
    Rect inner = rect;
    OutsetRect(inner, -1);
    DrawFocusRing(inner);
}

void DrawTab(const Rect& rect, TabStyle style)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty())
        return;
    Rect area = MakeRect(rect.left - 2, rect.top - 1, rect.right + 2, rect.bottom);
    Region saved = port->Clip();
    Region clip(saved);
    IntersectRegionWithRect(clip, area);
    port->SetClip(clip);
    // Rounded at the top only: the lower corners fall below the area.
    Rect shape = area;
    shape.bottom = ClampCoordinate(shape.bottom + 8);
    int32_t face = style == TabStyle::Front ? 0 : style == TabStyle::NonFrontPressed ? 5 : style == TabStyle::NonFront ? 3 : 2;
    FillRoundRectColor(shape, 10, face);
    FrameInColor(Shape::OfRoundRect(shape, 10), 1, style == TabStyle::NonFrontInactive ? 4 : 6);
    if (style == TabStyle::Front)
        FillRectColor(MakeRect(area.left + 1, area.top + 1, area.right - 1, area.top + 3), kAccent);
    port->SetClip(saved);
}

bool DrawTabWithTitle(const Rect& rect, std::string_view title, int32_t state)
{
    DrawTab(MakeRect(rect.left - 3, rect.top - 2, rect.right + 3, rect.bottom), TabStyleOfState(state));
    DrawingState& drawing = GetDrawingState();
    DrawingPort* port = drawing.port;
    if (port != nullptr && !title.empty()) {
        RgbColor fore = port->ForeColor();
        port->SetForeColor(TableColor(state != 0 ? 10 : 6));
        uint16_t alignment = SetTextAlignment(kAlignCenterH | kAlignCenterV);
        uint16_t wrap = SetTextWrap(Switch::Off);
        DrawTextInRect(rect, title);
        SetTextWrap(wrap != 0 ? Switch::On : Switch::Off);
        SetTextAlignment(alignment);
        port->SetForeColor(fore);
    }
    return state != 0;
}

}  // namespace vek
