// HtmlPageTable: page starts that keep cards whole, and one web page of a table.
#include "docwindows/html/HtmlPageTable.h"

#include "docwindows/html/HtmlTableSource.h"
#include "docwindows/html/HtmlTableWriter.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

// How far back from the page's last possible row a kept page break is looked for.
constexpr int32_t kPageBreakSearch = 9;

}  // namespace

void HtmlPageTable::Build(const HtmlTableSource& source)
{
    rowCount = source.HtmlRowCount();
    starts.clear();
    if (rowCount <= 0) {
        pageCount = 0;
        return;
    }
    if (rowCount <= kSinglePageRows) {
        pageCount = 1;
        return;
    }
    const int32_t kind = source.HtmlWindowKind();
    if (kind != kHtmlCardsKind && kind != kHtmlCardKind) {
        pageCount = (rowCount + 35) / kPageRows;
        return;
    }
    const int32_t lastRow = rowCount - 1;
    for (int32_t start = 0;;) {
        starts.push_back(start);
        const int32_t end = start + kSinglePageRows - 1;
        if (end > lastRow)
            break;
        int32_t next = start + kPageRows;
        for (int32_t r = end; r >= end - kPageBreakSearch; --r) {
            if (source.IsHtmlPageBreakRow(r - 1) && !source.IsHtmlPageBreakRow(r)) {
                next = r;
                break;
            }
        }
        if (next > lastRow)
            break;
        start = next;
    }
    pageCount = int32_t(starts.size());
}

bool HtmlPageTable::PageRows(int32_t page, int32_t& first, int32_t& last) const
{
    if (rowCount <= 0)
        return false;
    first = 0;
    last = rowCount - 1;
    if (pageCount <= 1 || (page < 1 && page != kLastPage))
        return true;
    if (page == kLastPage || page > pageCount)
        page = pageCount;
    if (!starts.empty()) {
        first = starts[size_t(page - 1)];
        if (page < pageCount)
            last = starts[size_t(page)] - 1;
    } else {
        first = (page - 1) * kPageRows;
        if (page < pageCount)
            last = page * kPageRows - 1;
    }
    return true;
}

void WriteHtmlPage(TextWriter& writer, HtmlTableSource& source, const HtmlPageTable& pages, int32_t page,
                   std::string_view pageAddress)
{
    HtmlTableWriter table(writer, source);
    if (page <= 1)
        table.WriteNotesSection(true);
    int32_t first = 0;
    int32_t last = -1;
    if (pages.PageRows(page, first, last))
        table.WriteWebTable(first, last, pageAddress);
    else
        table.WriteWebTable(0, -1, pageAddress);
    if (!IsErrorPending() || GetPendingError().message.code <= 0)
        return;
    const Message& message = GetPendingError().message;
    String text;
    message.Format(text);
    writer.WriteLine("<tr><td class=\"notes\">");
    writer.WriteLine("<p class=\"notes\">");
    writer.PutEscapedText(LoadText(text::kWebPageMessage));
    writer.WriteLine("<br>");
    writer.PutInt(message.code);
    writer.PutText(": ");
    writer.PutEscapedText(text);
    writer.EndRow();
    writer.WriteLine("</p>");
    writer.WriteLine("</td></tr>");
    writer.EndRow();
    ClearError();
}

}  // namespace vek
