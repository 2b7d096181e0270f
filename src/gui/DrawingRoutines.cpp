// DrawingRoutines: each routine sets the colour it draws in and puts the view's colour back.
#include "gui/DrawingRoutines.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/messages/LocalizedText.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/strings/String.h"
#include "drawing/DrawingState.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"

namespace vek {

namespace {

// Sets the view's fore colour index for the object's lifetime.
class ForeColorScope {
public:
    explicit ForeColorScope(int32_t color) : saved(GetDrawingState().view->fore) { Set(color); }
    ~ForeColorScope() { Set(saved); }
    ForeColorScope(const ForeColorScope&) = delete;
    ForeColorScope& operator=(const ForeColorScope&) = delete;
    void Set(int32_t color)
    {
        GetDrawingState().view->fore = color;
        ApplyViewColors();
    }

private:
    int32_t saved;
};

void Line(int32_t h0, int32_t v0, int32_t h1, int32_t v1)
{
    DrawLine(Point{ClampCoordinate(v0), ClampCoordinate(h0)}, Point{ClampCoordinate(v1), ClampCoordinate(h1)});
}

// How far a coordinate range [low, high) must move to lie in [areaLow, areaHigh), left edge winning.
int32_t FitShift(int32_t low, int32_t high, int32_t areaLow, int32_t areaHigh)
{
    int32_t shift = 0;
    if (high > areaHigh)
        shift = areaHigh - high;
    if (low + shift < areaLow)
        shift = areaLow - low;
    return shift;
}

// The smallest multiple of the step not below |n|, with n's sign.
int32_t Stepped(int32_t n, int32_t step)
{
    step = step == -1 || step == 0 ? 1 : std::abs(step);
    int32_t magnitude = (std::abs(n) + step - 1) / step * step;
    return n < 0 ? -magnitude : magnitude;
}

}  // namespace

void DrawArrow(int32_t h, int32_t v, int32_t size, int32_t direction)
{
    auto at = [](int32_t ph, int32_t pv) { return Point{ClampCoordinate(pv), ClampCoordinate(ph)}; };
    Point p[3];
    switch (direction) {
    case kArrowLeft:
        p[0] = at(h, v), p[1] = at(h + size, v - size), p[2] = at(h + size, v + size);
        break;
    case kArrowRight:
        p[0] = at(h, v), p[1] = at(h - size, v - size), p[2] = at(h - size, v + size);
        break;
    case kArrowUp:
        p[0] = at(h, v), p[1] = at(h - size, v + size), p[2] = at(h + size, v + size);
        break;
    default:
        p[0] = at(h, v), p[1] = at(h - size, v - size), p[2] = at(h + size, v - size);
        break;
    }
    PaintPolygon(p);
}

void DrawArrowEnabled(int32_t h, int32_t v, int32_t size, int32_t direction, bool enabled)
{
    if (enabled) {
        ForeColorScope color(10);
        DrawArrow(h, v, size, direction);
        return;
    }
    ForeColorScope color(0);
    DrawArrow(h + 1, v + 1, size, direction);
    color.Set(6);
    DrawArrow(h, v, size, direction);
}

void DrawEtchedLine(int32_t h, int32_t v, int32_t length)
{
    if (length <= 0)
        return;
    ForeColorScope color(29);
    Line(h, v, h + length - 1, v);
    color.Set(30);
    Line(h + 1, v + 1, h + length, v + 1);
}

void DrawEtchedLineVertical(int32_t h, int32_t v, int32_t length)
{
    if (length <= 0)
        return;
    ForeColorScope color(29);
    Line(h, v, h, v + length - 1);
    color.Set(30);
    Line(h + 1, v + 1, h + 1, v + length);
}

void DrawEtchedLineInRect(const Rect& rect)
{
    DrawEtchedLine(rect.left, (int32_t(rect.top) + rect.bottom) / 2, rect.Width() - 1);
}

void DrawBevelFrame(const Rect& rect, int32_t lightColor, int32_t darkColor)
{
    if (rect.IsEmpty())
        return;
    Rect inner = rect;
    OutsetRect(inner, -1);
    ClearRect(inner);
    ForeColorScope color(lightColor);
    DrawTopLeftEdges(rect);
    color.Set(darkColor);
    DrawBottomRightEdges(MakeRect(rect.left + 1, rect.top + 1, rect.right, rect.bottom));
}

void DrawBevelBand(const Rect& rect, int32_t thickness, int32_t topLeftColor, int32_t bottomRightColor)
{
    if (rect.IsEmpty() || thickness <= 0)
        return;
    int32_t t = std::min({thickness, rect.Width(), rect.Height()});
    int32_t half = t / 2;
    // Bottom and right first; the top and left sides with the top-left corner square over them.
    FillRectColor(MakeRect(rect.left, rect.bottom - t, rect.right, rect.bottom), bottomRightColor);
    FillRectColor(MakeRect(rect.right - t, rect.top, rect.right, rect.bottom), bottomRightColor);
    FillRectColor(MakeRect(rect.left, rect.top, rect.right - half, rect.top + t), topLeftColor);
    FillRectColor(MakeRect(rect.left, rect.top, rect.left + t, rect.bottom - half), topLeftColor);
}

void DrawDoubleBevel(const Rect& rect, int32_t thickness, int32_t outerTopLeft, int32_t outerBottomRight,
                     int32_t innerTopLeft, int32_t innerBottomRight)
{
    DrawBevelBand(rect, thickness, outerTopLeft, outerBottomRight);
    Rect inner = rect;
    OutsetRect(inner, -1);
    DrawBevelBand(inner, thickness - 2, innerTopLeft, innerBottomRight);
}

void DrawRaisedFrame(const Rect& rect)
{
    if (rect.IsEmpty())
        return;
    ForeColorScope color(30);
    DrawBottomRightEdges(rect);
    color.Set(29);
    DrawTopLeftEdges(rect);
    Rect inner = rect;
    OutsetRect(inner, -1);
    color.Set(4);
    DrawBottomRightEdges(inner);
    color.Set(10);
    DrawTopLeftEdges(inner);
}

void DrawRecessedBox(const Rect& rect, bool filled)
{
    if (rect.IsEmpty())
        return;
    if (filled) {
        FillRectColor(rect, 27);
        FillRectColor(rect, 29);
        return;
    }
    ClearRect(rect);
    ForeColorScope color(10);
    DrawBottomRightEdges(rect);
    Rect inner = rect;
    OutsetRect(inner, -1);
    color.Set(30);
    DrawTopLeftEdges(inner);
    color.Set(29);
    DrawBottomRightEdges(inner);
}

void DrawCheckMark(int32_t h, int32_t v)
{
    DrawThickLine(h, v + 2, -2, -2, 2, 2);
    DrawThickLine(h, v + 2, 4, -4, 2, 2);
}

void DrawDoubleChevron(int32_t h, int32_t v)
{
    for (int32_t tip : {h, h + 3}) {
        DrawThickLine(tip - 2, v - 2, 2, 2, 2, 2);
        DrawThickLine(tip - 2, v + 2, 2, -2, 2, 2);
    }
}

void DrawTextInBox(const Rect& rect, const char* text)
{
    if (text != nullptr)
        DrawTextInRect(rect, text);
}

void DrawTextById(const Rect& rect, int32_t textId)
{
    const char* text = LoadText(textId);
    if (text != nullptr && *text != '\0')
        DrawTextInRect(rect, text);
}

namespace {

// Puts a style in the current view for its lifetime, for measuring.
class MeasuringStyle {
public:
    explicit MeasuringStyle(const TextStyle& style) : view(*GetDrawingState().view), saved(view.style) { view.style = style; }
    ~MeasuringStyle() { view.style = saved; }
    MeasuringStyle(const MeasuringStyle&) = delete;
    MeasuringStyle& operator=(const MeasuringStyle&) = delete;

private:
    ViewColors& view;
    TextStyle saved;
};

}  // namespace

int32_t MeasureTextWidthInStyle(const TextStyle& style, std::string_view text)
{
    MeasuringStyle measuring(style);
    return MeasureTextWidth(text.data(), int32_t(text.size()));
}

int32_t MeasureTextHeightInStyle(const TextStyle& style, std::string_view text, int32_t width)
{
    MeasuringStyle measuring(style);
    Rect rect{0, 0, 0, ClampCoordinate(width)};
    FitRectToText(rect, text);
    return rect.Height();
}

int32_t TextOffsetAtPointInStyle(const TextStyle& style, const Rect& rect, std::string_view text, Point point)
{
    MeasuringStyle measuring(style);
    return TextOffsetAtPoint(rect, text, point);
}

Point TextPointAtOffsetInStyle(const TextStyle& style, const Rect& rect, std::string_view text, int32_t offset)
{
    MeasuringStyle measuring(style);
    Point out;
    TextPointAtOffset(out, rect, text, offset);
    return out;
}

void DrawTextInRectEnabled(const Rect& rect, const char* text, bool enabled)
{
    if (text == nullptr)
        return;
    if (enabled) {
        DrawTextInRect(rect, text);
        return;
    }
    ForeColorScope color(6);
    DrawTextInRect(rect, text);
}

void DrawTextByIdEnabled(const Rect& rect, int32_t textId, bool enabled)
{
    const char* text = LoadText(textId);
    if (text != nullptr && *text != '\0')
        DrawTextInRectEnabled(rect, text, enabled);
}

void DrawFormattedTextById(const Rect& rect, int32_t textId, std::span<const std::string_view> arguments)
{
    const char* text = LoadText(textId);
    if (text == nullptr || *text == '\0')
        return;
    String formatted;
    formatted.AssignCStr(text);
    for (size_t i = 0; i < arguments.size() && i < 4; ++i)
        formatted.SubstituteArgBytes(int32_t(i), arguments[i]);
    DrawTextInRect(rect, std::string_view(formatted.CStr(), size_t(formatted.Length())));
}

void DrawAndFlush() { FlushFrontWindow(); }

void PinPoint(Point& point, const Rect& rect)
{
    point.h = ClampCoordinate(std::clamp<int32_t>(point.h, rect.left, std::max<int32_t>(rect.left, rect.right)));
    point.v = ClampCoordinate(std::clamp<int32_t>(point.v, rect.top, std::max<int32_t>(rect.top, rect.bottom)));
}

void FitRectInRect(Rect& rect, const Rect& area)
{
    FitRectInRectStepped(rect, area, 1, 1, KeepVertical::No);
}

void FitRectInRectStepped(Rect& rect, const Rect& area, int32_t hStep, int32_t vStep, KeepVertical keep)
{
    int32_t dh = Stepped(FitShift(rect.left, rect.right, area.left, area.right), hStep);
    ShiftRect(rect, dh, 0);
    if (rect.right > area.right)
        rect.right = area.right;
    if (keep == KeepVertical::No) {
        int32_t dv = Stepped(FitShift(rect.top, rect.bottom, area.top, area.bottom), vStep);
        ShiftRect(rect, 0, dv);
        if (rect.bottom > area.bottom)
            rect.bottom = area.bottom;
    }
}

int32_t ManhattanDistance(Point a, Point b) { return std::abs(a.v - b.v) + std::abs(a.h - b.h); }

}  // namespace vek
