// EditField: layout is kept per line for the whole text and redone only for the paragraphs an edit
// touches, so that typing into a long text costs the paragraph, not the text.
#include "gui/editing/EditField.h"

#include <algorithm>
#include <memory>

#include "drawing/DrawingPort.h"
#include "drawing/ColorTable.h"
#include "drawing/Fonts.h"
#include "drawing/TextShaper.h"
#include "foundation/services/Clock.h"
#include "foundation/strings/Utf8.h"
#include "gui/MenuRefresh.h"
#include "gui/Pane.h"
#include "gui/editing/TextBoundaries.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// Fields at least this high scroll by lines; lower ones scroll sideways.
constexpr int32_t kMultiLineHeight = 20;
constexpr int64_t kCaretBlinkMs = 500;
// Click-loop scrolling: by lines after 96 ms less the distance (at least 24 ms); sideways by
// distance / 16 + 1 pixels at most every 25 ms.
constexpr int64_t kLineScrollDelayMs = 96;
constexpr int64_t kLineScrollMinimumMs = 24;
constexpr int64_t kSideScrollIntervalMs = 25;
constexpr std::string_view kBullet = "\xE2\x80\xA2";

bool IsEditBreak(char c) { return c == '\r' || c == '\n'; }

// Bytes of the line break at i (CR LF counts once).
int32_t EditBreakLength(std::string_view text, int32_t i)
{
    if (i >= int32_t(text.size()) || !IsEditBreak(text[size_t(i)]))
        return 0;
    return text[size_t(i)] == '\r' && i + 1 < int32_t(text.size()) && text[size_t(i) + 1] == '\n' ? 2 : 1;
}

int32_t EditParagraphStart(std::string_view text, int32_t offset)
{
    while (offset > 0 && !IsEditBreak(text[size_t(offset) - 1]))
        --offset;
    return offset;
}

int32_t EditParagraphEnd(std::string_view text, int32_t offset)
{
    while (offset < int32_t(text.size()) && !IsEditBreak(text[size_t(offset)]))
        ++offset;
    return offset;
}

// The bytes of a typed character; characters beyond U+FFFF become U+FFFD as everywhere in memory.
std::string EncodeTypedChar(uint32_t codePoint)
{
    char buffer[4];
    int32_t n = Utf8EncodeChar(buffer, codePoint);
    return std::string(buffer, size_t(n));
}

}  // namespace

EditField::EditField() = default;

EditField::~EditField() { Dispose(); }

bool EditField::Create(Pane& pane, std::string_view initial, const Rect& rect, const TextStyle& textStyle,
                       PasswordMode mode)
{
    owner = &pane;
    style = textStyle;
    EditTextStyle edit;
    MakeTextEditStyle(style, rect, edit);
    font = ResolveTextFont(style);
    // A line height of zero would divide the view into no lines; one pixel is the least.
    lineHeight = std::max<int32_t>(1, edit.lineHeight);
    ascent = edit.ascent;
    justification = edit.justification;
    view = rect;
    multiLine = rect.Height() >= kMultiLineHeight;
    wrap = multiLine && edit.wordWrap;
    password = mode == PasswordMode::On;
    text.Assign(initial);
    RebuildShown();
    LayoutAll();
    caret = anchor = 0;
    horizontalOffset = 0;
    topLine = 0;
    preferredX = -1;
    caretShown = true;
    active = true;
    return true;
}

void EditField::Dispose()
{
    if (active && owner && (horizontalOffset != 0 || topLine != 0))
        Invalidate();
    text.Wipe();
    WipeBytes(shown.data(), shown.capacity());
    shown.clear();
    lines.clear();
    caret = anchor = 0;
    active = false;
}

// --- offsets -----------------------------------------------------------------------------------------

int32_t EditField::ToShown(int32_t offset) const
{
    if (!password)
        return offset;
    std::string_view real = text.View();
    const char* p = real.data();
    const char* end = p + std::min<size_t>(size_t(std::max(offset, 0)), real.size());
    int32_t count = 0;
    while (p < end) {
        Utf8NextCharIn(p, real.data() + real.size());
        ++count;
    }
    return count * int32_t(kBullet.size());
}

int32_t EditField::FromShown(int32_t offset) const
{
    if (!password)
        return offset;
    std::string_view real = text.View();
    const char* p = real.data();
    const char* end = p + real.size();
    for (int32_t n = offset / int32_t(kBullet.size()); n > 0 && p < end; --n)
        Utf8NextCharIn(p, end);
    return int32_t(p - real.data());
}

void EditField::RebuildShown()
{
    WipeBytes(shown.data(), shown.capacity());
    shown.clear();
    if (!password)
        return;
    std::string_view real = text.View();
    for (const char* p = real.data(); p < real.data() + real.size();) {
        Utf8NextCharIn(p, real.data() + real.size());
        shown.append(kBullet);
    }
}

// --- layout ------------------------------------------------------------------------------------------

void EditField::LayoutAll()
{
    lines.clear();
    LayoutRange(0, int32_t(ShownText().size()), lines);
}

void EditField::LayoutRange(int32_t from, int32_t to, std::vector<EditLine>& out) const
{
    std::string_view all = ShownText();
    int32_t pos = from;
    for (;;) {
        int32_t end = std::min(EditParagraphEnd(all, pos), to);
        LayoutParagraph(pos, end, out);
        if (end >= to)
            return;
        pos = end + EditBreakLength(all, end);
    }
}

void EditField::LayoutParagraph(int32_t from, int32_t to, std::vector<EditLine>& out) const
{
    std::string_view all = ShownText();
    auto whole = [&](int32_t start) {
        out.push_back(EditLine{start, to - start, MeasureShown(start, to) + 1});
    };
    if (!wrap || from == to || view.Width() < 5) {
        whole(from);
        return;
    }
    TextStyle wrapStyle = style;
    wrapStyle.flags = uint16_t((wrapStyle.flags | kTextWrap) & ~kAlignMask);
    auto table = std::make_unique<LineTable>();
    const Rect column{0, 0, 0, ClampCoordinate(view.Width())};
    int32_t pos = from;
    while (pos < to) {
        int32_t count = LayoutTextLinesInStyle(*table, all.substr(size_t(pos), size_t(to - pos)), column, wrapStyle);
        int32_t reached = pos;
        for (int32_t i = 0; i < count; ++i) {
            const TextLine& line = table->lines[size_t(i)];
            out.push_back(EditLine{pos + line.start, line.length, line.width});
            reached = pos + line.start + line.length;
        }
        if (count < kMaxTextLines && reached < to) {
            // What the wrap left (text behind a NUL) stays one line of its own.
            whole(reached);
            return;
        }
        // A full table goes on behind its last line; every round moves on by at least a character.
        pos = std::max(reached, Utf8BoundaryAfter(all.substr(0, size_t(to)), pos + 1));
        if (count == kMaxTextLines) {
            while (pos < to && all[size_t(pos)] == ' ')
                ++pos;
        }
    }
}

void EditField::Relayout(int32_t from, int32_t removed, int32_t inserted)
{
    if (password) {
        LayoutAll();
        return;
    }
    std::string_view all = text.View();
    const int32_t delta = inserted - removed;
    const int32_t start = EditParagraphStart(all, from);
    const int32_t newEnd = EditParagraphEnd(all, from + inserted);
    const int32_t oldEnd = newEnd - delta;
    auto first = std::lower_bound(lines.begin(), lines.end(), start,
                                  [](const EditLine& line, int32_t value) { return line.start < value; });
    auto last = std::upper_bound(first, lines.end(), oldEnd,
                                 [](int32_t value, const EditLine& line) { return value < line.start; });
    std::vector<EditLine> fresh;
    LayoutRange(start, newEnd, fresh);
    size_t index = size_t(first - lines.begin());
    lines.erase(first, last);
    lines.insert(lines.begin() + ptrdiff_t(index), fresh.begin(), fresh.end());
    for (size_t i = index + fresh.size(); i < lines.size(); ++i)
        lines[i].start += delta;
}

int32_t EditField::MeasureShown(int32_t from, int32_t to) const
{
    if (to <= from)
        return 0;
    return UnitsToPixels(MeasureTextUnits(font, ShownText().substr(size_t(from), size_t(to - from))));
}

int32_t EditField::LineOfOffset(int32_t shownOffset) const
{
    auto it = std::upper_bound(lines.begin(), lines.end(), shownOffset,
                               [](int32_t value, const EditLine& line) { return value < line.start; });
    return it == lines.begin() ? 0 : int32_t(it - lines.begin()) - 1;
}

int32_t EditField::LineEnd(int32_t index) const
{
    const EditLine& line = lines[size_t(index)];
    if (size_t(index) + 1 >= lines.size())
        return int32_t(ShownText().size());
    const int32_t next = lines[size_t(index) + 1].start;
    std::string_view all = ShownText();
    // Before a line break the caret stands at the break; inside a wrapped paragraph at the line's end.
    const int32_t brk = EditParagraphEnd(all, line.start);
    return brk < next ? brk : line.start + line.length;
}

int32_t EditField::LineLeft(const EditLine& line) const
{
    int32_t left = view.left + 1 - horizontalOffset;
    if (justification == EditJustification::Center)
        left += std::max(0, (view.Width() - line.width) / 2);
    else if (justification == EditJustification::Right)
        left += std::max(0, view.Width() - line.width - 1);
    return left;
}

int32_t EditField::VisibleLines() const { return std::max(1, view.Height() / lineHeight); }

int32_t EditField::OffsetInLine(int32_t index, int32_t x) const
{
    const EditLine& line = lines[size_t(index)];
    const int32_t end = LineEnd(index);
    std::string_view all = ShownText();
    TextBoundaries bounds(all.substr(size_t(line.start), size_t(end - line.start)));
    const std::vector<int32_t>& stops = bounds.CaretStops();
    const int32_t relative = x - LineLeft(line);
    // The first stop at or right of the point, then whichever of it and the one before is nearer.
    size_t low = 0;
    size_t high = stops.size() - 1;
    while (low < high) {
        size_t mid = (low + high) / 2;
        if (MeasureShown(line.start, line.start + stops[mid]) < relative)
            low = mid + 1;
        else
            high = mid;
    }
    if (low > 0) {
        int32_t right = MeasureShown(line.start, line.start + stops[low]);
        int32_t left = MeasureShown(line.start, line.start + stops[low - 1]);
        if (relative - left < right - relative)
            --low;
    }
    return line.start + stops[low];
}

int32_t EditField::OffsetAtPoint(Point point) const
{
    if (lines.empty())
        return 0;
    int32_t row = topLine + (int32_t(point.v) - view.top) / lineHeight;
    if (point.v < view.top)
        row = topLine - 1 - (view.top - int32_t(point.v) - 1) / lineHeight;
    if (row < 0)
        return 0;
    if (row >= int32_t(lines.size()))
        return GetTextLength();
    return FromShown(OffsetInLine(row, point.h));
}

Point EditField::PointOfOffset(int32_t offset) const
{
    if (lines.empty())
        return Point{int16_t(view.top), int16_t(view.left)};
    const int32_t shownOffset = ToShown(offset);
    const int32_t index = LineOfOffset(shownOffset);
    const EditLine& line = lines[size_t(index)];
    int32_t h = LineLeft(line) + MeasureShown(line.start, shownOffset);
    int32_t v = view.top + (index - topLine) * lineHeight;
    return Point{ClampCoordinate(v), ClampCoordinate(h)};
}

// --- moves -------------------------------------------------------------------------------------------

int32_t EditField::NextStop(int32_t offset) const
{
    std::string_view real = text.View();
    if (offset >= int32_t(real.size()))
        return int32_t(real.size());
    if (password)
        return Utf8BoundaryAfter(real, offset + 1);
    if (int32_t n = EditBreakLength(real, offset))
        return offset + n;
    const int32_t start = EditParagraphStart(real, offset);
    const int32_t end = EditParagraphEnd(real, offset);
    TextBoundaries bounds(real.substr(size_t(start), size_t(end - start)));
    return start + bounds.NextCaretStop(offset - start);
}

int32_t EditField::PreviousStop(int32_t offset) const
{
    std::string_view real = text.View();
    if (offset <= 0)
        return 0;
    if (password)
        return Utf8SafeCut(real, offset - 1);
    if (IsEditBreak(real[size_t(offset) - 1]))
        return offset >= 2 && real.substr(size_t(offset) - 2, 2) == "\r\n" ? offset - 2 : offset - 1;
    const int32_t start = EditParagraphStart(real, offset);
    const int32_t end = EditParagraphEnd(real, offset);
    TextBoundaries bounds(real.substr(size_t(start), size_t(end - start)));
    return start + bounds.PreviousCaretStop(offset - start);
}

int32_t EditField::WordMove(int32_t offset, bool forward) const
{
    std::string_view real = text.View();
    if (password)
        return forward ? int32_t(real.size()) : 0;
    int32_t start = EditParagraphStart(real, offset);
    int32_t end = EditParagraphEnd(real, offset);
    if (forward && offset == end)
        return NextStop(offset);
    if (!forward && offset == start)
        return PreviousStop(offset);
    TextBoundaries bounds(real.substr(size_t(start), size_t(end - start)));
    return start + (forward ? bounds.NextWordEnd(offset - start) : bounds.PreviousWordStart(offset - start));
}

void EditField::WordAtOffset(int32_t offset, int32_t& start, int32_t& end) const
{
    std::string_view real = text.View();
    if (password) {
        start = 0;
        end = int32_t(real.size());
        return;
    }
    int32_t from = EditParagraphStart(real, offset);
    int32_t to = EditParagraphEnd(real, offset);
    TextBoundaries bounds(real.substr(size_t(from), size_t(to - from)));
    bounds.WordAt(offset - from, start, end);
    start += from;
    end += from;
}

int32_t EditField::VerticalMove(int32_t offset, int32_t lineDelta) const
{
    if (lines.empty())
        return offset;
    const Point at = PointOfOffset(offset);
    const int32_t index = LineOfOffset(ToShown(offset)) + lineDelta;
    if (index < 0)
        return 0;
    if (index >= int32_t(lines.size()))
        return GetTextLength();
    const int32_t x = preferredX >= 0 ? preferredX : at.h;
    return FromShown(OffsetInLine(index, x));
}

void EditField::Select(int32_t anchorEnd, int32_t caretEnd)
{
    std::string_view real = text.View();
    const int32_t n = int32_t(real.size());
    anchor = Utf8SafeCut(real, std::clamp(anchorEnd, 0, n));
    caret = Utf8SafeCut(real, std::clamp(caretEnd, 0, n));
    // The caret stays visible for a whole blink after every move.
    caretShown = true;
    lastBlink = CurrentTimeMs();
    Invalidate();
}

// --- keys and clicks ---------------------------------------------------------------------------------

int32_t EditField::HandleKey(const InputEvent& event, bool& changed)
{
    changed = false;
    if (!active)
        return 0;
    const int32_t oldLength = GetSelectionLength();
    const bool shift = event.shift != 0;
    const bool byWord = event.option != 0 || event.command != 0;
    const bool empty = caret == anchor;
    bool vertical = false;
    switch (event.key) {
    case 1:
        Select(shift ? anchor : 0, 0);
        break;
    case 4:
        Select(shift ? anchor : GetTextLength(), GetTextLength());
        break;
    case 8:
        if (empty && caret == 0)
            return 1;
        if (empty)
            anchor = PreviousStop(caret);
        ReplaceSelection({});
        changed = true;
        break;
    case 13:
        ReplaceSelection("\r");
        changed = true;
        break;
    case kKeyForwardDelete:
        if (empty && caret >= GetTextLength())
            return 1;
        if (empty)
            anchor = NextStop(caret);
        ReplaceSelection({});
        changed = true;
        break;
    case 28:
    case 29: {
        const bool forward = event.key == 29;
        if (!shift && !empty) {
            int32_t edge = forward ? std::max(caret, anchor) : std::min(caret, anchor);
            Select(edge, edge);
            break;
        }
        int32_t to = byWord ? WordMove(caret, forward) : forward ? NextStop(caret) : PreviousStop(caret);
        Select(shift ? anchor : to, to);
        break;
    }
    case 30:
    case 31: {
        const int32_t x = preferredX >= 0 ? preferredX : PointOfOffset(caret).h;
        int32_t to = VerticalMove(caret, event.key == 30 ? -1 : 1);
        Select(shift ? anchor : to, to);
        preferredX = x;
        vertical = true;
        break;
    }
    default:
        if (event.key < 32)
            return 1;
        ReplaceSelection(EncodeTypedChar(uint32_t(event.key)));
        changed = true;
        break;
    }
    if (!vertical)
        preferredX = -1;
    ScrollIntoView();
    if (GetSelectionLength() != oldLength)
        ResetMenuUpdateInterval();
    return 1;
}

void EditField::Click(const InputEvent& event, Point globalOrigin)
{
    if (!active)
        return;
    preferredX = -1;
    const int32_t at = OffsetAtPoint(event.point);
    bool byWord = false;
    int32_t wordStart = at;
    int32_t wordEnd = at;
    if (event.shift) {
        Select(anchor, at);
    } else if (event.doubleClick) {
        WordAtOffset(at, wordStart, wordEnd);
        Select(wordStart, wordEnd);
        byWord = true;
    } else {
        Select(at, at);
    }
    InputEvent tracked = event;
    int64_t lastScroll = 0;
    while (tracked.WaitMouseStillDown()) {
        Point local{int16_t(tracked.point.v - globalOrigin.v), int16_t(tracked.point.h - globalOrigin.h)};
        AutoScroll(local, tracked.time, lastScroll);
        int32_t to = OffsetAtPoint(local);
        if (byWord) {
            int32_t s = 0;
            int32_t e = 0;
            WordAtOffset(to, s, e);
            if (to < wordStart)
                Select(wordEnd, s);
            else
                Select(wordStart, std::max(e, wordEnd));
        } else if (to != caret) {
            Select(anchor, to);
        }
    }
    ScrollIntoView();
}

bool EditField::AutoScroll(Point local, int64_t now, int64_t& lastScroll)
{
    if (multiLine) {
        int32_t distance = 0;
        int32_t direction = 0;
        if (local.v < view.top) {
            distance = view.top - local.v;
            direction = topLine > 0 ? -1 : 0;
        } else if (local.v >= view.bottom) {
            distance = local.v - view.bottom + 1;
            direction = topLine + VisibleLines() < int32_t(lines.size()) ? 1 : 0;
        }
        const int64_t delay = std::max<int64_t>(kLineScrollMinimumMs, kLineScrollDelayMs - distance);
        if (direction == 0 || now - lastScroll < delay)
            return false;
        lastScroll = now;
        ScrollLines(direction);
        return true;
    }
    int32_t step = 0;
    if (local.h < view.left)
        step = -std::min(horizontalOffset, (view.left - local.h) / 16 + 1);
    else if (local.h >= view.right) {
        int32_t widest = lines.empty() ? 0 : lines[size_t(LineOfOffset(ToShown(caret)))].width;
        int32_t room = std::max(0, widest - view.Width() + 2 - horizontalOffset);
        step = std::min(room, (local.h - view.right + 1) / 16 + 1);
    }
    if (step == 0 || now - lastScroll < kSideScrollIntervalMs)
        return false;
    lastScroll = now;
    horizontalOffset += step;
    Invalidate();
    return true;
}

// --- text --------------------------------------------------------------------------------------------

void EditField::SetText(std::string_view value)
{
    text.Assign(value);
    RebuildShown();
    LayoutAll();
    Select(anchor, caret);
    const int32_t maxTop = std::max(0, int32_t(lines.size()) - 1);
    topLine = std::min(topLine, maxTop);
}

void EditField::ReplaceSelection(std::string_view bytes)
{
    const int32_t from = GetSelectionStart();
    const int32_t removed = GetSelectionLength();
    std::string_view real = text.View();
    // A line feed may pair with a carriage return across the edit; such edits lay out everything.
    const bool feed = bytes.find('\n') != std::string_view::npos ||
                      real.substr(size_t(from), size_t(removed)).find('\n') != std::string_view::npos ||
                      (from + removed < int32_t(real.size()) && real[size_t(from + removed)] == '\n');
    text.Replace(size_t(from), size_t(removed), bytes);
    if (password) {
        RebuildShown();
        LayoutAll();
    } else if (feed) {
        LayoutAll();
    } else {
        Relayout(from, removed, int32_t(bytes.size()));
    }
    caret = anchor = from + int32_t(bytes.size());
    caretShown = true;
    lastBlink = CurrentTimeMs();
    Invalidate();
}

void EditField::SetSelection(int32_t start, int32_t length)
{
    const int32_t n = GetTextLength();
    start = std::clamp(start, 0, n);
    const int32_t end = std::clamp(start + std::max(length, 0), start, n);
    Select(start, end);
    ScrollIntoView();
}

void EditField::SelectAll() { Select(0, GetTextLength()); }

// --- view --------------------------------------------------------------------------------------------

void EditField::MoveBy(int32_t dh, int32_t dv)
{
    ShiftRect(view, dh, dv);
}

void EditField::Resize(int32_t dh, int32_t dv)
{
    view.right = ClampCoordinate(view.right + dh);
    view.bottom = ClampCoordinate(view.bottom + dv);
    LayoutAll();
    ScrollIntoView();
}

void EditField::ScrollLines(int32_t count)
{
    const int32_t maxTop = std::max(0, int32_t(lines.size()) - VisibleLines());
    const int32_t top = std::clamp(topLine + count, 0, std::max(maxTop, topLine));
    if (top == topLine)
        return;
    topLine = top;
    Invalidate();
}

void EditField::ScrollIntoView()
{
    if (lines.empty())
        return;
    const int32_t index = LineOfOffset(ToShown(caret));
    if (index < topLine)
        ScrollLines(index - topLine);
    else if (index > topLine + VisibleLines() - 1)
        ScrollLines(index - (topLine + VisibleLines() - 1));
    if (wrap)
        return;
    const EditLine& line = lines[size_t(index)];
    const int32_t room = view.Width() - 2;
    const int32_t x = MeasureShown(line.start, ToShown(caret));
    int32_t offset = horizontalOffset;
    if (line.width <= room && justification != EditJustification::Left)
        offset = 0;
    else if (x < offset)
        offset = x;
    else if (x > offset + room)
        offset = x - room;
    // Back to the left edge when the text fits.
    int32_t widest = 0;
    for (int32_t i = topLine; i < std::min<int32_t>(int32_t(lines.size()), topLine + VisibleLines()); ++i)
        widest = std::max(widest, lines[size_t(i)].width);
    if (widest <= room)
        offset = 0;
    if (offset != horizontalOffset) {
        horizontalOffset = offset;
        Invalidate();
    }
}

bool EditField::Idle(int64_t nowMs)
{
    if (!active || nowMs - lastBlink < kCaretBlinkMs)
        return false;
    lastBlink = nowMs;
    caretShown = !caretShown;
    if (caret == anchor)
        Invalidate();
    return true;
}

void EditField::Invalidate()
{
    if (owner)
        owner->InvalidateRect(view, 0);
}

void EditField::Draw()
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || !active)
        return;
    const Region savedClip = port->Clip();
    Region clip(savedClip);
    IntersectRegionWithRect(clip, view);
    if (clip.IsEmpty())
        return;
    port->SetClip(clip);
    port->EraseRect(view);
    const RgbColor fore = port->ForeColor();
    std::string_view all = ShownText();
    const int32_t selectionStart = ToShown(GetSelectionStart());
    const int32_t selectionEnd = ToShown(GetSelectionStart() + GetSelectionLength());
    const int32_t shownCaret = ToShown(caret);
    for (int32_t i = topLine; i < int32_t(lines.size()); ++i) {
        const int32_t top = view.top + (i - topLine) * lineHeight;
        if (top >= view.bottom)
            break;
        const EditLine& line = lines[size_t(i)];
        const int32_t left = LineLeft(line);
        const int32_t baseline = top + ascent;
        std::string_view piece = all.substr(size_t(line.start), size_t(line.length));
        DrawTextRun(*port, font, piece, left, baseline);
        const int32_t end = LineEnd(i);
        if (selectionStart < selectionEnd && selectionStart <= end && selectionEnd > line.start) {
            // The selected part is painted over and the whole line drawn again inside it, so that a
            // shaped run (right-to-left, combining marks) is never cut apart.
            const int32_t from = std::max(selectionStart, line.start);
            const int32_t to = std::min(selectionEnd, end);
            int32_t x1 = left + MeasureShown(line.start, from);
            int32_t x2 = selectionEnd > end ? view.right : left + MeasureShown(line.start, to);
            Rect band{ClampCoordinate(top), ClampCoordinate(x1), ClampCoordinate(top + lineHeight), ClampCoordinate(x2)};
            Region bandClip(clip);
            IntersectRegionWithRect(bandClip, band);
            if (!bandClip.IsEmpty()) {
                port->SetClip(bandClip);
                port->SetForeColor(TableColor(kColorHighlight));
                port->PaintRect(band);
                port->SetForeColor(TableColor(kColorHighlightText));
                DrawTextRun(*port, font, piece, left, baseline);
                port->SetForeColor(fore);
                port->SetClip(clip);
            }
        }
        if (caretShown && caret == anchor && shownCaret >= line.start && shownCaret <= end &&
            (LineOfOffset(shownCaret) == i)) {
            int32_t x = left + MeasureShown(line.start, shownCaret);
            port->PaintRect(Rect{ClampCoordinate(top), ClampCoordinate(x), ClampCoordinate(top + lineHeight),
                                 ClampCoordinate(x + 1)});
        }
    }
    port->SetForeColor(fore);
    port->SetClip(savedClip);
}

}  // namespace vek
