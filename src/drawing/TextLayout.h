// TextLayout: measuring, the program's own word wrap, drawing text in rectangles, and hit testing,
// all in the current view's text style.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "drawing/Geometry.h"
#include "drawing/TextStyle.h"

namespace vek {

// Offsets of hit testing that are not in the text: before its start, after its end.
constexpr int32_t kOffsetBeforeStart = -2;
constexpr int32_t kOffsetAfterEnd = -1;

// Drawn width of the text's first n bytes in the current style, in pixels; 0 for n < 1.
int32_t MeasureTextWidth(const char* text, int32_t n);

struct TextLine {
    int32_t start = 0;   // byte offset in the text
    int32_t length = 0;  // bytes
    int32_t width = 0;   // measured width + 1 pixel (1 for an empty line)
};

// One layout: at most 1000 lines, the layout rectangle with its top moved by the vertical alignment.
constexpr int32_t kMaxTextLines = 1000;
struct LineTable {
    std::array<TextLine, kMaxTextLines> lines;
    int32_t count = 0;
    Rect rect;
};

// Lays the text out into lines in the current style: without wrapping, one line per CR, LF or CR LF;
// with wrapping, words fill the rectangle's width (a rectangle narrower than 5 pixels gives no
// lines), a word wider than the width is cut between characters, and right-and-bottom aligned text is
// wrapped from its end so that its last line is full. A NUL ends the text. Returns the line count.
int32_t LayoutTextLines(LineTable& table, std::string_view text, const Rect& rect);
// The same in the given style instead of the current view's (edit fields lay out outside drawing).
int32_t LayoutTextLinesInStyle(LineTable& table, std::string_view text, const Rect& rect, const TextStyle& style);
// right := left + the widest line; bottom := top + lines × line height.
void FitRectToText(Rect& rect, std::string_view text);

// A run of a styled text: from its byte offset on, drawn with its face and colour index.
struct StyleRun {
    int32_t start = 0;
    uint16_t face = 0;
    int32_t color = 10;
};
// Draws the text inside the rectangle (clipped to it) in the current style and colours; runs, when
// given in order of their offsets, set face and colour from their offsets on.
void DrawTextInRect(const Rect& rect, std::string_view text, std::span<const StyleRun> runs = {});

// Byte offset of the character boundary nearest a point: kOffsetBeforeStart above the rectangle or
// before the first line, kOffsetAfterEnd below it or after the last line.
int32_t TextOffsetAtPoint(const Rect& rect, std::string_view text, Point point);
// The point (top of the line + ascent) of an offset; kOffsetBeforeStart and kOffsetAfterEnd stand for
// the start and the end of the text.
void TextPointAtOffset(Point& out, const Rect& rect, std::string_view text, int32_t offset);
// The longest prefix of a line not wider than x + 3 pixels: its length, kOffsetBeforeStart for
// x < -3, kOffsetAfterEnd when the whole line is narrower than x - 3.
int32_t TextOffsetAtWidth(std::string_view text, int32_t x);

// What an edit field takes of a style.
enum class EditJustification { Left, Center, Right };
struct EditTextStyle {
    int16_t family = 0;
    int16_t size = 0;
    uint16_t face = 0;
    int16_t ascent = 0;
    int16_t lineHeight = 0;
    EditJustification justification = EditJustification::Left;
    bool wordWrap = false;
    Rect destination;
    Rect view;
};
// Fills the record from the resolved style. Without wrapping the destination is widened by 9999
// pixels away from the alignment side; right alignment widens the view by one pixel on the right.
void MakeTextEditStyle(const TextStyle& style, const Rect& rect, EditTextStyle& out);

}  // namespace vek
