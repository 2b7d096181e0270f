// HtmlTableSource: what the HTML writers of the table exports and web pages read of a table window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vek {

class LinkRegistry;
class TextWriter;

// The colour code that writes no font element (black, as cells are drawn by default).
constexpr int32_t kHtmlCellBlack = 10;
// Sort states of a column title: sorted one way (marked "&nabla;"), the other way ("&Delta;").
constexpr int32_t kHtmlSortedDown = 5814;
constexpr int32_t kHtmlSortedUp = 5815;
// The window kinds that keep their own page breaks on web pages (cards analysis, card window).
constexpr int32_t kHtmlCardsKind = 1;
constexpr int32_t kHtmlCardKind = 10;

// One grid column as the HTML writers need it.
struct HtmlColumn {
    std::string title;  // as shown (link markup already converted)
    bool rightAligned = false;
    bool bold = false;
    int32_t width = 0;       // pixels, for "width" attributes
    int32_t sortState = -1;  // kHtmlSortedDown, kHtmlSortedUp, or -1 for none
};

// One formatted cell.
struct HtmlCell {
    std::string text;  // empty for an empty cell; may hold link markup
    int32_t colour = kHtmlCellBlack;
    bool bold = false;
};

// The export options the HTML writers read.
struct HtmlExportFlags {
    bool windowTitle = false;
    bool notes = false;
    bool definition = false;
    bool columnTitles = false;
    bool headers = true;
    bool dataRows = true;
    bool stripQuotes = false;    // remove every double and single quotation mark from cell texts
    bool namedEntities = false;  // non-ASCII characters as named entities
    bool columnWidths = false;   // "width" attributes on column titles and first-row cells
};

// The table of a window as the HTML writers see it. The table window implements it; the writers
// never see the window. Rows are numbered from 0; the rows before FirstDataRow are header rows.
class HtmlTableSource {
public:
    virtual ~HtmlTableSource();

    virtual HtmlExportFlags HtmlFlags() const = 0;
    virtual std::string HtmlTitle() const = 0;
    // The name of the base file (shown above the title) and its full path (card links).
    virtual std::string HtmlBaseFileName() const = 0;
    virtual std::string HtmlBasePath() const = 0;
    // The window's notes, lines separated by CR; empty for none.
    virtual std::string HtmlNotes() const = 0;
    // The link registry of the window's base: links in notes and cells.
    virtual const LinkRegistry& HtmlLinks() const = 0;
    // The window kind (1-5 analyses, 10 the card window).
    virtual int32_t HtmlWindowKind() const = 0;

    virtual int32_t HtmlColumnCount() const = 0;
    virtual HtmlColumn HtmlColumnAt(int32_t column) const = 0;
    virtual int32_t HtmlRowCount() const = 0;
    virtual int32_t HtmlFirstDataRow() const = 0;
    // Formats a row: `cells` gets one cell per column; the answer is the index of the last column
    // that holds text (-1 for an empty row).
    virtual int32_t FormatHtmlRow(int32_t row, std::vector<HtmlCell>& cells) = 0;
    // The tree level of a row (0: none), and the number of levels the style block provides for.
    virtual int32_t HtmlRowTreeLevel(int32_t row) const;
    virtual int32_t HtmlLevelCount() const;
    // The definition section of an export; the analysis windows write theirs, the base nothing.
    virtual void WriteHtmlDefinition(TextWriter& writer);

    // Web pages: a row's height (below 2: a spacer row that is not written), whether a page may end
    // after the row, and the value of the "sort" field a column title links to (empty: no link).
    virtual int32_t HtmlRowHeight(int32_t row) const;
    virtual bool IsHtmlPageBreakRow(int32_t row) const;
    virtual std::string HtmlColumnSortLink(int32_t column) const;
};

}  // namespace vek
