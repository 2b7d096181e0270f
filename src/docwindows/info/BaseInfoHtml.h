// BaseInfoHtml: the base-info fragment of the web service's base information page.
#pragma once

namespace vek {

class Base;
class TextWriter;
struct BaseInfoFigures;

// Writes the figures of the base as an HTML fragment: a heading, the file's full path, the file table
// (its date, its size, the memory in use), the card table (cards, lines, then cards with a text,
// lines with a text and cards with notes, each count with the thousands separator and 0 as "-") and
// the dimension table (per dimension up to the highest with components: its plural name, the used
// count and the component count; then the totals). Every text is escaped; the page's style sheet
// defines the classes "baseinfo", "pathname", "fileinfo", "cardinfo", "diminfo" and "dataseparator".
void WriteBaseInfoHtml(TextWriter& writer, const Base& base, const BaseInfoFigures& figures);

}  // namespace vek
