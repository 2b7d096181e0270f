// HtmlTableWriter: the HTML of a table window: the export document, its style block, title, notes and
// data table, the web pages' tables with sort links, the cells and the XML notes block.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "docwindows/html/HtmlTableSource.h"

namespace vek {

class TextWriter;

// The step of the level classes' left padding for a table of n levels: 11 pixels up to 5 levels,
// 10 for 6-8, 9 above 8.
int32_t HtmlLevelPaddingStep(int32_t levelCount);
// The style block every table page and export shares, with a "p.levelI" class per tree level.
void WriteHtmlStyleBlock(TextWriter& writer, int32_t levelCount);
// "<font color=...>" for a colour code; nothing, and false, for black (codes 10, 24, 25) or a code
// without a colour.
bool WriteHtmlFontStart(TextWriter& writer, int32_t colourCode);

// A card link of an export: "<a card=\"[" the base file's full path "]" the card key "\">" the base
// file's name ": " the card key "</a>", the attribute value and the texts escaped.
void WriteHtmlCardLink(TextWriter& writer, std::string_view basePath, std::string_view baseName,
                       std::string_view cardKey);

// Writes one table source as HTML through one writer. Every text is escaped for where it stands:
// element content with PutMarkupEscaped, attribute values (the sort links' addresses included)
// quoted and escaped, links in notes only for the schemes the link registry lets become anchors.
class HtmlTableWriter {
public:
    HtmlTableWriter(TextWriter& writer, HtmlTableSource& source);

    // The whole export document, from "<html>" to "</html>" (the document-type line is the export's).
    void WriteExport();
    // The export's data table: column titles and the rows the header and data-row options ask for.
    void WriteDataTable();
    // The data table of a web page: rows first to last, column titles with their sort links, which
    // are made from `pageAddress` (the current page's address and query).
    void WriteWebTable(int32_t first, int32_t last, std::string_view pageAddress);
    // The title row (base file name and window title) and the notes section (comment included;
    // nothing without notes). `web` writes every link of the notes through the link registry, the
    // export only web URLs as anchors.
    void WriteTitleRow();
    void WriteNotesSection(bool web);
    // The contents of one web cell: colour, bold, the text (links through the registry).
    void WriteCell(const HtmlCell& cell);
    // "<th>" of a column with its sort link (web pages).
    void WriteColumnTitleWithSortLink(int32_t column, std::string_view pageAddress);
    // The "<notes>" block of the XML results: when notes are exported and there are any.
    void WriteXmlNotes();

private:
    void WriteExportColumnTitles();
    void WriteExportRow(int32_t row, int32_t counter, bool widths);
    // The text with every double and single quotation mark removed when the options say so.
    void PutCellText(const std::string& text);

    TextWriter& writer;
    HtmlTableSource& source;
    HtmlExportFlags flags;
    std::vector<HtmlColumn> columns;
    std::vector<HtmlCell> cells;
};

}  // namespace vek
