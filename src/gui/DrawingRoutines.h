// DrawingRoutines: the small drawings the controls share (arrows, etched lines, bevels, marks, text
// in boxes) and the fitting of rectangles used by placement and scrolling.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "drawing/Geometry.h"

namespace vek {

class String;
struct TextStyle;

// Direction of DrawArrow: 0 left, 1 right, 2 up, anything else down.
constexpr int32_t kArrowLeft = 0;
constexpr int32_t kArrowRight = 1;
constexpr int32_t kArrowUp = 2;
constexpr int32_t kArrowDown = 3;

// A filled triangle with its tip at (h, v) and its base, 2 × size long, `size` away from the tip,
// in the current colours.
void DrawArrow(int32_t h, int32_t v, int32_t size, int32_t direction);
// Black when enabled; else engraved: white one pixel down and right, then grey at the point.
void DrawArrowEnabled(int32_t h, int32_t v, int32_t size, int32_t direction, bool enabled);
// A grey (29) line and a white (30) one a pixel lower and to the right, `length` pixels long.
void DrawEtchedLine(int32_t h, int32_t v, int32_t length);
void DrawEtchedLineVertical(int32_t h, int32_t v, int32_t length);
// The horizontal etched line across the rectangle at its vertical middle.
void DrawEtchedLineInRect(const Rect& rect);
// Clears inside, then top and left edges in the light colour, bottom and right in the dark one.
void DrawBevelFrame(const Rect& rect, int32_t lightColor, int32_t darkColor);
// A frame of the thickness: top and left sides in one colour, bottom and right in the other.
void DrawBevelBand(const Rect& rect, int32_t thickness, int32_t topLeftColor, int32_t bottomRightColor);
void DrawDoubleBevel(const Rect& rect, int32_t thickness, int32_t outerTopLeft, int32_t outerBottomRight,
                     int32_t innerTopLeft, int32_t innerBottomRight);
void DrawRaisedFrame(const Rect& rect);
void DrawRecessedBox(const Rect& rect, bool filled);
// A two-pixel tick from (h, v + 2).
void DrawCheckMark(int32_t h, int32_t v);
// Two ">" marks with their tips at (h, v) and (h + 3, v).
void DrawDoubleChevron(int32_t h, int32_t v);

// Text in the current style (DrawTextInRect): nothing for a null text or a number without text;
// disabled texts are grey (6).
void DrawTextInBox(const Rect& rect, const char* text);
void DrawTextById(const Rect& rect, int32_t textId);
void DrawTextInRectEnabled(const Rect& rect, const char* text, bool enabled);
void DrawTextByIdEnabled(const Rect& rect, int32_t textId, bool enabled);
// The text of the number with its placeholders "@0".."@3" filled.
void DrawFormattedTextById(const Rect& rect, int32_t textId, std::span<const std::string_view> arguments);
// Measures outside any drawing, in the given style: the width of a text, and the height of a text
// laid out in a column of the width (wrapped when the style says so).
int32_t MeasureTextWidthInStyle(const TextStyle& style, std::string_view text);
int32_t MeasureTextHeightInStyle(const TextStyle& style, std::string_view text, int32_t width);
// Hit testing outside any drawing, in the given style (TextOffsetAtPoint, TextPointAtOffset).
int32_t TextOffsetAtPointInStyle(const TextStyle& style, const Rect& rect, std::string_view text, Point point);
Point TextPointAtOffsetInStyle(const TextStyle& style, const Rect& rect, std::string_view text, int32_t offset);
// Flushes the front window's drawing.
void DrawAndFlush();

// Geometry.
// Each coordinate of the point clamped to the rectangle's edges.
void PinPoint(Point& point, const Rect& rect);
// Moves the rectangle into the area (left and top edges win), cutting what still sticks out.
void FitRectInRect(Rect& rect, const Rect& area);
// The same in whole steps (a step of -1 counts as 1); the vertical move is skipped on request.
enum class KeepVertical { No, Yes };
void FitRectInRectStepped(Rect& rect, const Rect& area, int32_t hStep, int32_t vStep, KeepVertical keep);
int32_t ManhattanDistance(Point a, Point b);

}  // namespace vek
