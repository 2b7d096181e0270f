// TextLayout: the word wrap works in 1/1024 pixel and compares whole-pixel widths, so that a line
// never grows wider than its rectangle however its words add up.
#include "drawing/TextLayout.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/strings/Utf8.h"
#include "drawing/DrawingState.h"
#include "drawing/Fonts.h"
#include "drawing/TextShaper.h"

namespace vek {

namespace {

// A word ends before one of these...
bool EndsWordBefore(uint32_t c) { return c == 0 || c == ' ' || c == '\r' || c == '\n'; }

// ...or right after one of these.
bool EndsWordAfter(uint32_t c)
{
    switch (c) {
    case '&':
    case '<':
    case '=':
    case '>':
    case '-':
    case '*':
    case '+':
    case '/':
    case '\\':
    case '|':
    case 0x00AC:
    case 0x00B1:
    case 0x00F7:
    case 0x2013:
    case 0x2014:
    case 0x2248:
    case 0x2260:
        return true;
    default:
        return false;
    }
}

// The text up to its first NUL.
std::string_view UpToNul(std::string_view text)
{
    size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// Bytes of the line break at i (CR LF counts once).
int32_t BreakLength(std::string_view text, size_t i)
{
    if (i >= text.size() || !IsBreak(text[i]))
        return 0;
    return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
}

class Wrapper {
public:
    Wrapper(LineTable& table, std::string_view text, int32_t width, const ResolvedFont& font)
        : table(table), text(text), width(width), font(font), spaceUnits(MeasureTextUnits(font, " "))
    {
    }

    int64_t Units(size_t from, size_t to) const { return MeasureTextUnits(font, text.substr(from, to - from)); }
    static int32_t LineWidth(int64_t units) { return UnitsToPixels(units) + 1; }
    bool Full() const { return table.count >= kMaxTextLines; }

    void Add(size_t start, size_t end, int64_t units)
    {
        if (Full())
            return;
        table.lines[size_t(table.count++)] = TextLine{int32_t(start), int32_t(end - start), LineWidth(units)};
    }

    // The end of the word at `from`.
    size_t WordEnd(size_t from) const
    {
        const char* p = text.data() + from;
        const char* end = text.data() + text.size();
        while (p < end) {
            const char* at = p;
            uint32_t c = Utf8NextCharIn(p, end);
            if (EndsWordBefore(c))
                return size_t(at - text.data());
            if (EndsWordAfter(c))
                return size_t(p - text.data());
        }
        return text.size();
    }

    // Cuts a word wider than the rectangle into pieces each narrower than it (at least one
    // character each); returns the units of the last piece, which stays the current line.
    int64_t CutWord(size_t from, size_t to)
    {
        int64_t lastUnits = 0;
        while (from < to && !Full()) {
            // Character boundaries of the rest, found by a binary search on the piece's width.
            std::vector<size_t> bounds;
            for (size_t p = from; p < to;) {
                p = size_t(Utf8BoundaryAfter(text.substr(0, to), int32_t(p) + 1));
                bounds.push_back(p);
            }
            size_t low = 0;
            size_t high = bounds.size() - 1;
            if (UnitsToPixels(Units(from, bounds[high])) < width)
                low = high;
            while (low < high) {
                size_t mid = (low + high + 1) / 2;
                if (UnitsToPixels(Units(from, bounds[mid])) < width)
                    low = mid;
                else
                    high = mid - 1;
            }
            size_t cut = bounds[low];
            lastUnits = Units(from, cut);
            Add(from, cut, lastUnits);
            from = cut;
        }
        return lastUnits;
    }

    void Forward()
    {
        size_t pos = 0;
        bool paragraphStart = true;
        int64_t lineUnits = 0;
        while (!Full()) {
            size_t spaces = pos;
            while (pos < text.size() && text[pos] == ' ')
                ++pos;
            int64_t spacesUnits = int64_t(pos - spaces) * spaceUnits;
            if (pos >= text.size()) {
                if (paragraphStart)
                    Add(spaces, pos, spacesUnits);
                return;
            }
            size_t wordStart = pos;
            pos = WordEnd(pos);
            int64_t wordUnits = Units(wordStart, pos);
            if (paragraphStart || LineWidth(lineUnits + spacesUnits + wordUnits) > width) {
                if (UnitsToPixels(wordUnits) > width - 1) {
                    if (paragraphStart && pos > wordStart)
                        lineUnits = CutWord(wordStart, pos);
                    else if (pos > wordStart)
                        lineUnits = CutWord(wordStart, pos);
                } else if (paragraphStart) {
                    Add(spaces, pos, spacesUnits + wordUnits);
                    lineUnits = spacesUnits + wordUnits;
                } else if (pos > wordStart) {
                    Add(wordStart, pos, wordUnits);
                    lineUnits = wordUnits;
                }
            } else if (pos > wordStart) {
                TextLine& line = table.lines[size_t(table.count - 1)];
                lineUnits += spacesUnits + wordUnits;
                line.length = int32_t(pos) - line.start;
                line.width = LineWidth(lineUnits);
            }
            paragraphStart = false;
            if (int32_t n = BreakLength(text, pos); n > 0) {
                pos += size_t(n);
                paragraphStart = true;
            }
        }
    }

    // Right-and-bottom alignment: each paragraph is wrapped from its last word back, so that the
    // last line of the text is full; the lines come out last first.
    void Backward()
    {
        struct Word {
            size_t spaces;  // start of the spaces before the word
            size_t start;
            size_t end;
        };
        // Paragraphs from the last to the first.
        std::vector<std::pair<size_t, size_t>> paragraphs;
        for (size_t start = 0;;) {
            size_t end = start;
            while (end < text.size() && !IsBreak(text[end]))
                ++end;
            paragraphs.emplace_back(start, end);
            if (end >= text.size())
                break;
            start = end + size_t(BreakLength(text, end));
        }
        std::vector<Word> words;
        for (size_t p = paragraphs.size(); p-- > 0 && !Full();) {
            auto [from, to] = paragraphs[p];
            words.clear();
            for (size_t pos = from; pos < to;) {
                size_t spaces = pos;
                while (pos < to && text[pos] == ' ')
                    ++pos;
                size_t start = pos;
                pos = pos < to ? std::min(WordEnd(pos), to) : pos;
                words.push_back(Word{spaces, start, pos});
            }
            if (words.empty()) {
                Add(from, from, 0);
                continue;
            }
            size_t lineStart = words.back().start;
            size_t lineEnd = words.back().end;
            int64_t lineUnits = Units(lineStart, lineEnd);
            for (size_t i = words.size() - 1; i-- > 0 && !Full();) {
                int64_t wordUnits = Units(words[i].start, words[i].end);
                int64_t gap = int64_t(words[i + 1].start - words[i].end) * spaceUnits;
                if (LineWidth(lineUnits + gap + wordUnits) > width) {
                    Add(lineStart, lineEnd, lineUnits);
                    lineStart = words[i].start;
                    lineEnd = words[i].end;
                    lineUnits = wordUnits;
                } else {
                    lineStart = words[i].start;
                    lineUnits += gap + wordUnits;
                }
            }
            // The paragraph's first line keeps its leading spaces.
            if (lineStart == words.front().start && words.front().spaces < lineStart) {
                lineUnits += int64_t(lineStart - words.front().spaces) * spaceUnits;
                lineStart = words.front().spaces;
            }
            if (UnitsToPixels(lineUnits) > width - 1)
                ReversedCut(lineStart, lineEnd);
            else
                Add(lineStart, lineEnd, lineUnits);
        }
        std::reverse(table.lines.begin(), table.lines.begin() + table.count);
    }

    // A line too wide for the rectangle in the backward wrap: its pieces, last piece first.
    void ReversedCut(size_t from, size_t to)
    {
        int32_t first = table.count;
        CutWord(from, to);
        std::reverse(table.lines.begin() + first, table.lines.begin() + table.count);
    }

    void Unwrapped()
    {
        size_t start = 0;
        while (!Full()) {
            size_t end = start;
            while (end < text.size() && !IsBreak(text[end]))
                ++end;
            Add(start, end, Units(start, end));
            if (end >= text.size())
                return;
            start = end + size_t(BreakLength(text, end));
        }
    }

private:
    LineTable& table;
    std::string_view text;
    int32_t width;
    const ResolvedFont& font;
    int64_t spaceUnits;
};

ResolvedFont CurrentFont() { return ResolveTextFont(GetDrawingState().view->style); }
uint16_t CurrentFlags() { return GetDrawingState().view->style.flags; }

}  // namespace

int32_t MeasureTextWidth(const char* text, int32_t n)
{
    if (text == nullptr || n < 1)
        return 0;
    return UnitsToPixels(MeasureTextUnits(CurrentFont(), std::string_view(text, size_t(n))));
}

int32_t LayoutTextLines(LineTable& table, std::string_view text, const Rect& rect)
{
    return LayoutTextLinesInStyle(table, text, rect, GetDrawingState().view->style);
}

int32_t LayoutTextLinesInStyle(LineTable& table, std::string_view text, const Rect& rect, const TextStyle& style)
{
    text = UpToNul(text);
    ResolvedFont font = ResolveTextFont(style);
    uint16_t flags = style.flags;
    table.count = 0;
    table.rect = rect;
    int32_t width = rect.Width();
    Wrapper wrapper(table, text, width, font);
    if ((flags & kTextWrap) == 0)
        wrapper.Unwrapped();
    else if (width < 5)
        table.count = 0;
    else if ((flags & (kAlignRight | kAlignBottom)) == (kAlignRight | kAlignBottom))
        wrapper.Backward();
    else
        wrapper.Forward();
    int32_t height = table.count * font.lineHeight;
    if ((flags & kAlignBottom) != 0)
        table.rect.top = ClampCoordinate(rect.bottom - height);
    else if ((flags & kAlignCenterV) != 0)
        table.rect.top = ClampCoordinate((int32_t(rect.top) + rect.bottom - height) / 2);
    return table.count;
}

void FitRectToText(Rect& rect, std::string_view text)
{
    auto table = std::make_unique<LineTable>();
    LayoutTextLines(*table, text, rect);
    int32_t widest = 0;
    for (int32_t i = 0; i < table->count; ++i)
        widest = std::max(widest, table->lines[size_t(i)].width);
    rect.right = ClampCoordinate(rect.left + widest);
    rect.bottom = ClampCoordinate(rect.top + table->count * CurrentFont().lineHeight);
}

namespace {

// Draws one line's bytes [from, to) from x, split by the style runs.
void DrawLineRuns(DrawingPort& port, const ResolvedFont& font, std::string_view text, size_t from, size_t to, double x,
                  double baseline, std::span<const StyleRun> runs)
{
    if (runs.empty()) {
        DrawTextRun(port, font, text.substr(from, to - from), x, baseline);
        return;
    }
    RgbColor fore = port.ForeColor();
    size_t pos = from;
    while (pos < to) {
        // The run in force at pos and where the next one starts.
        const StyleRun* current = nullptr;
        size_t next = to;
        for (const StyleRun& run : runs) {
            if (run.start <= int32_t(pos))
                current = &run;
            else {
                next = std::min(next, size_t(std::max(run.start, 0)));
                break;
            }
        }
        ResolvedFont runFont = font;
        if (current != nullptr) {
            runFont.face = current->face & kFaceMask;
            port.SetForeColor(TableColor(current->color));
        }
        std::string_view piece = text.substr(pos, next - pos);
        DrawTextRun(port, runFont, piece, x, baseline);
        x += double(MeasureTextUnits(runFont, piece)) / kTextUnitsPerPixel;
        port.SetForeColor(fore);
        pos = next;
    }
}

}  // namespace

void DrawTextInRect(const Rect& rect, std::string_view text, std::span<const StyleRun> runs)
{
    DrawingState& state = GetDrawingState();
    DrawingPort* port = state.port;
    if (port == nullptr)
        return;
    Region savedClip = port->Clip();
    Region clip(savedClip);
    IntersectRegionWithRect(clip, rect);
    if (clip.IsEmpty())
        return;
    port->SetClip(clip);
    text = UpToNul(text);
    ResolvedFont font = CurrentFont();
    uint16_t flags = CurrentFlags();
    bool single = (flags & kTextWrap) == 0 && text.find_first_of("\r\n") == std::string_view::npos;
    if (single) {
        int32_t width = UnitsToPixels(MeasureTextUnits(font, text));
        int32_t x = (flags & kAlignRight) != 0      ? rect.right - width
                    : (flags & kAlignCenterH) != 0 ? (int32_t(rect.left) + rect.right - width + 1) / 2
                                                   : rect.left + 1;
        int32_t y = (flags & kAlignBottom) != 0    ? rect.bottom - font.lineHeight + font.ascent
                    : (flags & kAlignCenterV) != 0 ? (int32_t(rect.top) + rect.bottom - font.lineHeight) / 2 + font.ascent
                                                   : rect.top + font.ascent;
        DrawLineRuns(*port, font, text, 0, text.size(), x, y, runs);
    } else {
        auto table = std::make_unique<LineTable>();
        LayoutTextLines(*table, text, rect);
        Rect visible = clip.Bounds();
        for (int32_t i = 0; i < table->count; ++i) {
            const TextLine& line = table->lines[size_t(i)];
            int32_t top = table->rect.top + i * font.lineHeight;
            if (top >= visible.bottom)
                break;
            if (top + font.lineHeight <= visible.top)
                continue;
            int32_t x = (flags & kAlignRight) != 0      ? rect.right - line.width + 1
                        : (flags & kAlignCenterH) != 0 ? (int32_t(rect.left) + rect.right - line.width) / 2
                                                       : rect.left + 1;
            DrawLineRuns(*port, font, text, size_t(line.start), size_t(line.start + line.length), x, top + font.ascent,
                         runs);
        }
    }
    port->SetClip(savedClip);
    if (state.patternUsed) {
        // Grey the text on a device without colour: clear the pattern's bits over it.
        PenPattern pattern = ColorPattern(state.view->fore);
        if (state.view->back != kColorBlack) {
            for (uint8_t& row : pattern)
                row = uint8_t(~row);
        }
        PenPattern savedPattern = port->GetPenPattern();
        PenMode savedMode = port->GetPenMode();
        port->SetClip(clip);
        port->SetPenPattern(AlignPattern(pattern, state.phase));
        port->SetPenMode(PenMode::Bic);
        port->PaintRect(rect);
        port->SetPenMode(savedMode);
        port->SetPenPattern(savedPattern);
        port->SetClip(savedClip);
    }
}

int32_t TextOffsetAtWidth(std::string_view text, int32_t x)
{
    if (x < -3)
        return kOffsetBeforeStart;
    ResolvedFont font = CurrentFont();
    int32_t whole = UnitsToPixels(MeasureTextUnits(font, text));
    if (whole <= x + 3)
        return x - 3 > whole ? kOffsetAfterEnd : int32_t(text.size());
    std::vector<int32_t> bounds{0};
    for (int32_t p = 0; p < int32_t(text.size());) {
        p = Utf8BoundaryAfter(text, p + 1);
        bounds.push_back(p);
    }
    size_t low = 0;
    size_t high = bounds.size() - 1;
    while (low < high) {
        size_t mid = (low + high + 1) / 2;
        if (UnitsToPixels(MeasureTextUnits(font, text.substr(0, size_t(bounds[mid])))) <= x + 3)
            low = mid;
        else
            high = mid - 1;
    }
    return bounds[low];
}

int32_t TextOffsetAtPoint(const Rect& rect, std::string_view text, Point point)
{
    if (point.v < rect.top)
        return kOffsetBeforeStart;
    if (point.v >= rect.bottom)
        return kOffsetAfterEnd;
    text = UpToNul(text);
    auto table = std::make_unique<LineTable>();
    LayoutTextLines(*table, text, rect);
    ResolvedFont font = CurrentFont();
    int32_t dy = int32_t(point.v) - table->rect.top;
    if (dy < 0)
        return kOffsetBeforeStart;
    int32_t index = dy / font.lineHeight;
    if (index >= table->count)
        return kOffsetAfterEnd;
    const TextLine& line = table->lines[size_t(index)];
    int32_t lineLeft = (CurrentFlags() & kAlignRight) != 0 ? rect.right - line.width + 1 : rect.left + 1;
    int32_t offset = TextOffsetAtWidth(text.substr(size_t(line.start), size_t(line.length)), point.h - lineLeft);
    if (offset == kOffsetBeforeStart)
        return index > 0 ? line.start : kOffsetBeforeStart;
    if (offset == kOffsetAfterEnd)
        return index < table->count - 1 ? line.start + line.length : kOffsetAfterEnd;
    return line.start + offset;
}

void TextPointAtOffset(Point& out, const Rect& rect, std::string_view text, int32_t offset)
{
    text = UpToNul(text);
    int32_t n = int32_t(text.size());
    if (offset == kOffsetBeforeStart)
        offset = 0;
    else if (offset == kOffsetAfterEnd || offset > n)
        offset = n;
    offset = std::max(offset, 0);
    auto table = std::make_unique<LineTable>();
    LayoutTextLines(*table, text, rect);
    ResolvedFont font = CurrentFont();
    int32_t index = 0;
    for (int32_t i = 0; i < table->count; ++i) {
        if (table->lines[size_t(i)].start <= offset)
            index = i;
    }
    TextLine line = table->count > 0 ? table->lines[size_t(index)] : TextLine{};
    int32_t inLine = std::clamp(offset - line.start, 0, line.length);
    std::string_view lineText = text.substr(size_t(line.start), size_t(line.length));
    int32_t h;
    if ((CurrentFlags() & kAlignRight) != 0)
        h = rect.right - UnitsToPixels(MeasureTextUnits(font, lineText.substr(size_t(inLine))));
    else
        h = rect.left + UnitsToPixels(MeasureTextUnits(font, lineText.substr(0, size_t(inLine))));
    out.h = ClampCoordinate(h);
    out.v = ClampCoordinate(font.ascent + table->rect.top + index * font.lineHeight);
}

void MakeTextEditStyle(const TextStyle& style, const Rect& rect, EditTextStyle& out)
{
    ResolvedFont font = ResolveTextFont(style);
    out.family = font.family;
    out.size = font.size;
    out.face = font.face;
    out.ascent = font.ascent;
    out.lineHeight = font.lineHeight;
    out.justification = (style.flags & kAlignCenterH) != 0 ? EditJustification::Center
                        : (style.flags & kAlignRight) != 0 ? EditJustification::Right
                                                           : EditJustification::Left;
    out.wordWrap = (style.flags & kTextWrap) != 0;
    out.destination = rect;
    out.view = rect;
    if (!out.wordWrap) {
        if (out.justification == EditJustification::Left)
            out.destination.right = ClampCoordinate(rect.right + 9999);
        else if (out.justification == EditJustification::Right)
            out.destination.left = ClampCoordinate(rect.left - 9999);
        else
            OutsetRectHV(out.destination, 9999, 0);
    }
    if (out.justification == EditJustification::Right)
        out.view.right = ClampCoordinate(rect.right + 1);
}

}  // namespace vek
