// BaseInfoText: the figures of the base info window as the plain text its Copy command puts on the clipboard.
#pragma once

namespace vek {

class Base;
class TextWriter;
struct BaseInfoFigures;

// Writes, with the writer's field separator and line end, one line per figure (its label, a
// separator, its value): the base file's full path and an empty line; memory use, file size and file
// date; the card counts (cards, groups, lines, cards with a text, lines with a text, cards with
// notes) and the first and last card keys; a title line and one line per dimension up to the highest
// with components, then the totals, each with the used count, the count with hosts and the component
// count; the number of the base's open document windows; the date the file was saved (text 4123 when
// it has none). Sections are separated by an empty line and start with their heading.
void WriteBaseInfoText(TextWriter& writer, const Base& base, const BaseInfoFigures& figures);

}  // namespace vek
