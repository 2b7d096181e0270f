// EditField: the program's own edit engine under the text field: a UTF-8 text with caret, selection
// and anchor, keys and clicks, word wrap and scrolling, drawing, and password fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/DrawingState.h"
#include "drawing/Geometry.h"
#include "drawing/TextLayout.h"
#include "drawing/TextStyle.h"
#include "gui/editing/SecretText.h"

namespace vek {

class Pane;
struct InputEvent;

enum class PasswordMode { Off, On };

// One laid-out line: bytes [start, start + length) of the shown text are drawn; the caret may stand
// anywhere from start up to the next line's start. width in pixels.
struct EditLine {
    int32_t start = 0;
    int32_t length = 0;
    int32_t width = 0;
};

// Every offset is a byte offset into the UTF-8 text and always stands on a character boundary; the
// caret moves by grapheme clusters (a letter with its combining marks, a character beyond the Basic
// Multilingual Plane), words by Pango's word edges, and right-to-left runs are shaped as runs while
// the text stays in its logical order. A field at least 20 pixels high is multi-line and scrolls by
// lines (wrapping when its style says so); a lower one scrolls sideways.
//
// A password field keeps its real text apart and lays out and draws one bullet (U+2022) per
// character; its buffers are wiped whenever they are given up and when the field is disposed.
class EditField {
public:
    EditField();
    ~EditField();
    EditField(const EditField&) = delete;
    EditField& operator=(const EditField&) = delete;

    // Creates the record over the text in the rectangle (owner pane coordinates): caret and anchor at
    // 0, no scrolling. The owner is invalidated when the field needs redrawing. Answers true.
    [[nodiscard]] bool Create(Pane& owner, std::string_view text, const Rect& rect, const TextStyle& style,
                              PasswordMode password);
    // Wipes and drops the text; the field is no longer active.
    void Dispose();
    bool IsActive() const { return active; }
    bool IsPassword() const { return password; }
    bool IsMultiLine() const { return multiLine; }

    // Keys by the program's key codes (Part of the input events): answers 1 when the key was for the
    // field; `changed` tells whether the text changed.
    int32_t HandleKey(const InputEvent& event, bool& changed);
    // A click at the event's point (owner coordinates); with the button still down, tracks the mouse
    // (points arrive global; `globalOrigin` is where the owner's 0,0 lies on the screen), scrolling
    // when the pointer leaves the view.
    void Click(const InputEvent& event, Point globalOrigin);

    void SetText(std::string_view text);
    // The real text (not the bullets of a password field).
    std::string_view Text() const { return text.View(); }
    int32_t GetTextLength() const { return int32_t(text.Size()); }
    // Replaces the selection and puts the caret behind the new bytes.
    void ReplaceSelection(std::string_view bytes);

    // Byte offsets into the UTF-8 text; moved onto character boundaries and clipped to the text.
    void SetSelection(int32_t start, int32_t length);
    void SelectAll();
    int32_t GetSelectionStart() const { return caret < anchor ? caret : anchor; }
    int32_t GetSelectionLength() const { return caret < anchor ? anchor - caret : caret - anchor; }
    // The selection runs between the anchor (its fixed end) and the caret (the end that moves).
    int32_t Anchor() const { return anchor; }
    int32_t Caret() const { return caret; }
    int32_t OffsetAtPoint(Point point) const;
    // The caret's point: left edge and top of its line (owner coordinates).
    Point PointOfOffset(int32_t offset) const;

    void MoveBy(int32_t dh, int32_t dv);
    void Resize(int32_t dh, int32_t dv);
    // Draws the view into the current port (owner coordinates, focused on the owner).
    void Draw();
    // Blinks the caret; answers whether it changed.
    bool Idle(int64_t nowMs);
    void ScrollLines(int32_t lines);
    void ScrollIntoView();

    const Rect& View() const { return view; }
    int32_t TopLine() const { return topLine; }
    int32_t HorizontalOffset() const { return horizontalOffset; }
    const std::vector<EditLine>& Lines() const { return lines; }
    // The text as laid out and drawn (bullets for a password field).
    std::string_view ShownText() const { return password ? std::string_view(shown) : text.View(); }
    int32_t LineHeight() const { return lineHeight; }

private:
    int32_t ToShown(int32_t offset) const;
    int32_t FromShown(int32_t offset) const;
    void RebuildShown();
    // Lays out the whole text, or only the paragraphs around an edit of [from, from + removed) that
    // put `inserted` bytes there.
    void LayoutAll();
    void Relayout(int32_t from, int32_t removed, int32_t inserted);
    void LayoutRange(int32_t from, int32_t to, std::vector<EditLine>& out) const;
    void LayoutParagraph(int32_t from, int32_t to, std::vector<EditLine>& out) const;
    int32_t LineOfOffset(int32_t shownOffset) const;
    int32_t LineEnd(int32_t index) const;
    int32_t LineLeft(const EditLine& line) const;
    int32_t MeasureShown(int32_t from, int32_t to) const;
    int32_t OffsetInLine(int32_t index, int32_t x) const;
    int32_t VisibleLines() const;
    // Caret stops of the shown text around an offset of the real text.
    int32_t NextStop(int32_t offset) const;
    int32_t PreviousStop(int32_t offset) const;
    int32_t WordMove(int32_t offset, bool forward) const;
    void WordAtOffset(int32_t offset, int32_t& start, int32_t& end) const;
    int32_t VerticalMove(int32_t offset, int32_t lineDelta) const;
    void Select(int32_t anchorEnd, int32_t caretEnd);
    void Changed();
    void Invalidate();
    bool AutoScroll(Point local, int64_t now, int64_t& lastScroll);

    Pane* owner = nullptr;
    bool active = false;
    bool password = false;
    bool multiLine = false;
    bool wrap = false;
    EditJustification justification = EditJustification::Left;
    TextStyle style;
    ResolvedFont font;
    int32_t lineHeight = 1;
    int32_t ascent = 0;
    Rect view;
    SecretText text;
    std::string shown;  // the bullets of a password field
    std::vector<EditLine> lines;
    int32_t caret = 0;
    int32_t anchor = 0;
    int32_t horizontalOffset = 0;
    int32_t topLine = 0;
    bool caretShown = true;
    int64_t lastBlink = 0;
    int32_t preferredX = -1;  // kept across up and down moves
};

}  // namespace vek
