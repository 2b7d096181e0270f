// HtmlPageTable: how the web pages of a table window divide its rows, and the writing of one page.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vek {

class HtmlTableSource;
class TextWriter;

// The pages of a table on the web: up to 44 rows make one page. Above that, the cards analysis and
// the card window (kinds 1 and 10) keep a list of page starts so that a page never ends inside a card:
// from a start s, while s + 43 is a row, the next page starts at the highest row r from s + 43 down to
// s + 34 where the row before r may end a page and r itself may not; when there is none, at s + 40.
// Other kinds have (rows + 35) / 40 pages of 40 rows.
class HtmlPageTable {
public:
    static constexpr int32_t kSinglePageRows = 44;
    static constexpr int32_t kPageRows = 40;
    // The page number that asks for the last page.
    static constexpr int32_t kLastPage = -3;

    // Builds the table for the source's rows.
    void Build(const HtmlTableSource& source);
    int32_t PageCount() const { return pageCount; }
    // The rows of page p (1-based): first and last. Page kLastPage, or one above the count, is the
    // last page; a page below 1, or a table of one page, holds all rows. False without rows.
    bool PageRows(int32_t page, int32_t& first, int32_t& last) const;
    const std::vector<int32_t>& PageStarts() const { return starts; }

private:
    int32_t rowCount = 0;
    int32_t pageCount = 0;
    std::vector<int32_t> starts;  // the page list of kinds 1 and 10
};

// Writes page p of the source's table for the web: the notes on page 1 (or when p is below 1), the
// rows of the page with their column titles linked from `pageAddress`, and, when a message is pending,
// a notes-styled row with text 2819, its code and its text; the pending message is then cleared.
void WriteHtmlPage(TextWriter& writer, HtmlTableSource& source, const HtmlPageTable& pages, int32_t page,
                   std::string_view pageAddress);

}  // namespace vek
