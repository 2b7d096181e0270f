// TextBoundaries: where a caret may stand and where words begin and end in a UTF-8 text, as Pango's
// text analysis finds them (grapheme clusters, so a base letter and its combining marks, or a
// character beyond the Basic Multilingual Plane, are one step).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vek {

// The analysis of one text: offsets are bytes of that text, 0 and its length always caret stops.
class TextBoundaries {
public:
    explicit TextBoundaries(std::string_view text);

    // The next caret stop after the offset (the length at the end) and the one before it (0 at the start).
    [[nodiscard]] int32_t NextCaretStop(int32_t offset) const;
    [[nodiscard]] int32_t PreviousCaretStop(int32_t offset) const;
    // The end of the word at or after the offset, and the start of the word before it.
    [[nodiscard]] int32_t NextWordEnd(int32_t offset) const;
    [[nodiscard]] int32_t PreviousWordStart(int32_t offset) const;
    // The word that holds the offset (or touches it); the caret stop around it when there is none.
    void WordAt(int32_t offset, int32_t& start, int32_t& end) const;
    // Every caret stop in order.
    const std::vector<int32_t>& CaretStops() const { return caretStops; }

private:
    struct Stop {
        int32_t offset;
        bool caret;
        bool wordStart;
        bool wordEnd;
    };
    // The index of the last stop at or before the offset.
    size_t IndexAt(int32_t offset) const;

    std::vector<Stop> stops;  // one per character and one for the end
    std::vector<int32_t> caretStops;
    int32_t length = 0;
};

}  // namespace vek
