// TextBoundaries: Pango's log attributes, one per character plus the end, kept by byte offset.
#include "gui/editing/TextBoundaries.h"

#include <pango/pango.h>

#include <algorithm>

#include "foundation/strings/Utf8.h"

namespace vek {

TextBoundaries::TextBoundaries(std::string_view text) : length(int32_t(text.size()))
{
    // Pango wants valid UTF-8; an invalid byte stays one step of its own.
    std::vector<int32_t> offsets;
    offsets.reserve(text.size() + 1);
    const char* begin = text.data();
    const char* end = begin + text.size();
    for (const char* p = begin; p < end;) {
        offsets.push_back(int32_t(p - begin));
        Utf8NextCharIn(p, end);
    }
    offsets.push_back(length);
    const int32_t characters = int32_t(offsets.size()) - 1;
    std::vector<PangoLogAttr> attributes(size_t(characters) + 1);
    if (Utf8IsValid(text) && characters > 0) {
        pango_get_log_attrs(text.data(), int(text.size()), -1, pango_language_from_string("en"), attributes.data(),
                            characters + 1);
    } else {
        for (auto& attribute : attributes)
            attribute.is_cursor_position = 1;
    }
    stops.reserve(offsets.size());
    for (int32_t i = 0; i <= characters; ++i) {
        const PangoLogAttr& a = attributes[size_t(i)];
        bool caret = i == 0 || i == characters || a.is_cursor_position;
        stops.push_back(Stop{offsets[size_t(i)], caret, bool(a.is_word_start), bool(a.is_word_end)});
        if (caret)
            caretStops.push_back(offsets[size_t(i)]);
    }
}

size_t TextBoundaries::IndexAt(int32_t offset) const
{
    auto it = std::upper_bound(stops.begin(), stops.end(), offset,
                               [](int32_t value, const Stop& stop) { return value < stop.offset; });
    return it == stops.begin() ? 0 : size_t(it - stops.begin()) - 1;
}

int32_t TextBoundaries::NextCaretStop(int32_t offset) const
{
    auto it = std::upper_bound(caretStops.begin(), caretStops.end(), offset);
    return it == caretStops.end() ? length : *it;
}

int32_t TextBoundaries::PreviousCaretStop(int32_t offset) const
{
    auto it = std::lower_bound(caretStops.begin(), caretStops.end(), offset);
    return it == caretStops.begin() ? 0 : *(it - 1);
}

int32_t TextBoundaries::NextWordEnd(int32_t offset) const
{
    for (size_t i = IndexAt(offset) + 1; i < stops.size(); ++i)
        if (stops[i].wordEnd && stops[i].offset > offset)
            return stops[i].offset;
    return length;
}

int32_t TextBoundaries::PreviousWordStart(int32_t offset) const
{
    for (size_t i = IndexAt(offset) + 1; i-- > 0;)
        if (stops[i].wordStart && stops[i].offset < offset)
            return stops[i].offset;
    return 0;
}

void TextBoundaries::WordAt(int32_t offset, int32_t& start, int32_t& end) const
{
    offset = std::clamp(offset, 0, length);
    size_t i = IndexAt(offset);
    // Inside a word: from its start to its end. Pango marks a word as starting at a character and
    // ending before one; a character is in a word when the last mark before it is a start.
    auto inWord = [&](size_t index) {
        for (size_t k = index + 1; k-- > 0;) {
            if (stops[k].wordStart)
                return true;
            if (stops[k].wordEnd)
                return false;
        }
        return false;
    };
    size_t at = i;
    if (!(at + 1 < stops.size() && inWord(at)) && at > 0 && inWord(at - 1))
        --at;  // at the end of a word: take that word
    if (at + 1 < stops.size() && inWord(at)) {
        size_t s = at;
        while (s > 0 && !stops[s].wordStart)
            --s;
        size_t e = at + 1;
        while (e + 1 < stops.size() && !stops[e].wordEnd)
            ++e;
        start = stops[s].offset;
        end = stops[e].offset;
        return;
    }
    start = PreviousCaretStop(offset + 1 <= length ? offset + 1 : offset);
    if (start > offset)
        start = offset;
    end = NextCaretStop(start);
}

}  // namespace vek
