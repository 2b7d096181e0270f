// HtmlTableWriterTest: the HTML of a fixture table: the export document against its golden file (and an
// HTML checker), the style block's levels, the stripes, empty and coloured cells, escaping of texts,
// attribute values and links, sort links, page tables and the pending-message row of web pages.
#include "docwindows/html/HtmlTableWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "docwindows/html/HtmlPageTable.h"
#include "files/BaseFileTestSupport.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"
#include "text/LinkRegistry.h"

namespace vek {
namespace {

using test::ScratchFolder;

// A small table: one header row, then rows with a tree, colours, bold, an empty cell and a text
// full of markup characters.
class FixtureTable final : public HtmlTableSource {
public:
    FixtureTable() : links("fixture") {}

    HtmlExportFlags HtmlFlags() const override { return flags; }
    std::string HtmlTitle() const override { return "Sales: \"Q1\" <draft>"; }
    std::string HtmlBaseFileName() const override { return "shop & co.vek"; }
    std::string HtmlBasePath() const override { return "/data/shop & co.vek"; }
    std::string HtmlNotes() const override { return notes; }
    const LinkRegistry& HtmlLinks() const override { return links; }
    int32_t HtmlWindowKind() const override { return kind; }
    int32_t HtmlColumnCount() const override { return 3; }
    HtmlColumn HtmlColumnAt(int32_t column) const override
    {
        const HtmlColumn columns[] = {{"Account", false, true, 120, -1},
                                      {"Text", false, false, 200, kHtmlSortedDown},
                                      {"Amount", true, false, 80, kHtmlSortedUp}};
        return columns[column];
    }
    int32_t HtmlRowCount() const override { return rowCount; }
    int32_t HtmlFirstDataRow() const override { return 1; }
    int32_t FormatHtmlRow(int32_t row, std::vector<HtmlCell>& cells) override
    {
        cells.assign(3, HtmlCell{});
        if (row == 0) {
            cells[0].text = "Header";
            return 0;
        }
        if (row == 3)
            return -1;  // an empty row
        cells[0].text = "19" + std::to_string(row);
        cells[0].bold = row == 1;
        cells[1].text = row == 2 ? "Tom's \"best\" <deal> & more" : "";
        cells[2].text = std::to_string(row * -100);
        cells[2].colour = 13;
        return row == 2 ? 2 : 2;
    }
    int32_t HtmlRowTreeLevel(int32_t row) const override { return row == 2 ? 2 : 0; }
    int32_t HtmlLevelCount() const override { return 3; }
    bool IsHtmlPageBreakRow(int32_t row) const override { return breaks.empty() || breaks[size_t(row)]; }
    std::string HtmlColumnSortLink(int32_t column) const override { return column == 2 ? "V1" : ""; }

    HtmlExportFlags flags;
    std::string notes;
    int32_t kind = 1;
    int32_t rowCount = 5;
    std::vector<bool> breaks;
    LinkRegistry links;
};

std::string Written(const TextWriter& writer)
{
    std::string text(writer.BufferedBytes());
    for (char& c : text) {
        if (c == '\r')
            c = '\n';
    }
    return text;
}

// What the HTML checker (xmllint --html) says of a document: empty when it found nothing.
std::string HtmlCheckerReport(const ScratchFolder& folder, const std::string& html)
{
    std::string path = folder.Write("checked.html", html);
    std::string command = "xmllint --html --noout '" + path + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "xmllint could not be run";
    std::string report;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        report.append(buffer, n);
    int status = pclose(pipe);
    if (status != 0 && report.empty())
        report = "xmllint failed";
    return report;
}

std::string ExportDocument(FixtureTable& table)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    writer.WriteHtmlDoctype();
    writer.EndRow();
    HtmlTableWriter(writer, table).WriteExport();
    return Written(writer);
}

TEST(HtmlTableWriter, ExportMatchesItsGoldenFileAndPassesTheHtmlChecker)
{
    FixtureTable table;
    table.flags = {true, true, true, true, true, true, false, false, true};
    table.notes = "First line & more\rSee http://example.org/a?b=1&c=2 or javascript:alert(1)\r\rLast";
    std::string html = ExportDocument(table);
    std::string golden = ScratchFolder::ReadFileBytes(std::string(VEK_SOURCE_DIR) + "/tests/fixtures/html/table-export.html");
    EXPECT_EQ(html, golden);
    ScratchFolder folder;
    EXPECT_EQ(HtmlCheckerReport(folder, html), "");
}

TEST(HtmlTableWriter, StyleBlockLevelSteps)
{
    struct Case {
        int32_t levels;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {3, "p.level1 {padding-left: 11px}", "p.level3 {padding-left: 33px}"},
        {5, "p.level1 {padding-left: 11px}", "p.level5 {padding-left: 55px}"},
        {6, "p.level1 {padding-left: 10px}", "p.level6 {padding-left: 60px}"},
        {7, "p.level1 {padding-left: 10px}", "p.level7 {padding-left: 70px}"},
        {9, "p.level1 {padding-left: 9px}", "p.level9 {padding-left: 81px}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.levels);
        TextWriter writer;
        WriteHtmlStyleBlock(writer, c.levels);
        std::string text = Written(writer);
        EXPECT_NE(text.find(std::string(c.first) + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find(std::string(c.last) + "\n</style>"), std::string::npos) << text;
    }
}

TEST(HtmlTableWriter, StripesStartAfterTheColumnTitles)
{
    FixtureTable table;
    table.flags.columnTitles = true;
    table.flags.headers = false;
    TextWriter writer;
    writer.SetLineEndChar('\n');
    HtmlTableWriter(writer, table).WriteDataTable();
    std::string text = Written(writer);
    EXPECT_NE(text.find("</tr>\n<tr><td"), std::string::npos) << "the first data row is plain\n" << text;
    EXPECT_NE(text.find("</tr>\n<tr class=\"gridline\"><td"), std::string::npos) << text;

    table.flags.columnTitles = false;
    table.flags.columnWidths = true;
    TextWriter without;
    without.SetLineEndChar('\n');
    HtmlTableWriter(without, table).WriteDataTable();
    text = Written(without);
    EXPECT_NE(text.find("class=\"analysis\">\n<tr class=\"gridline\"><td width=\"120\">"), std::string::npos)
        << "without column titles the first row is striped and carries the widths\n" << text;
    EXPECT_NE(text.find("<td width=\"200\"/>\n"), std::string::npos) << "an empty cell with its width\n" << text;
}

TEST(HtmlTableWriter, CardLinksEscapeTheirAttribute)
{
    TextWriter writer;
    WriteHtmlCardLink(writer, "/data/\"x\" <y>.vek", "<y>.vek", "240105-1");
    EXPECT_EQ(Written(writer),
              "<a card=\"[/data/&quot;x&quot; &lt;y&gt;.vek]240105-1\">&lt;y&gt;.vek: 240105-1</a>");
}

TEST(HtmlTableWriter, SortLinksKeepAPageOfAllAndEscapeTheAddress)
{
    struct Case {
        const char* address;
        const char* href;
    };
    const Case cases[] = {
        {"/vek?base=b&page=2&sort=A", "href=\"/vek?base=b&amp;sort=V1\""},
        {"/vek?base=b&page=all", "href=\"/vek?base=b&amp;page=all&amp;sort=V1\""},
        {"/vek?q=\"><script>", "href=\"/vek?q=&quot;&gt;&lt;script&gt;&amp;sort=V1\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        FixtureTable table;
        TextWriter writer;
        writer.SetLineEndChar('\n');
        HtmlTableWriter(writer, table).WriteColumnTitleWithSortLink(2, c.address);
        std::string text = Written(writer);
        EXPECT_NE(text.find(c.href), std::string::npos) << text;
        EXPECT_NE(text.find("Amount&nbsp;&Delta;</a></th>"), std::string::npos) << text;
    }
}

TEST(HtmlTableWriter, WebPagesOfATable)
{
    struct Case {
        int32_t kind;
        int32_t rows;
        int32_t pages;
    };
    const Case cases[] = {{2, 0, 0}, {2, 1, 1}, {2, 44, 1}, {2, 45, 2}, {2, 85, 3}, {1, 44, 1}, {1, 45, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.rows));
        FixtureTable table;
        table.kind = c.kind;
        table.rowCount = c.rows;
        HtmlPageTable pages;
        pages.Build(table);
        EXPECT_EQ(pages.PageCount(), c.pages);
    }
    // A card of rows 38-45 (no break inside it): the first page ends before it.
    FixtureTable cards;
    cards.rowCount = 60;
    cards.breaks.assign(60, true);
    for (int32_t row = 38; row < 45; ++row)
        cards.breaks[size_t(row)] = false;
    HtmlPageTable pages;
    pages.Build(cards);
    ASSERT_EQ(pages.PageCount(), 2);
    EXPECT_EQ(pages.PageStarts()[1], 38);
    int32_t first = 0;
    int32_t last = 0;
    ASSERT_TRUE(pages.PageRows(1, first, last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 37);
    ASSERT_TRUE(pages.PageRows(HtmlPageTable::kLastPage, first, last));
    EXPECT_EQ(first, 38);
    EXPECT_EQ(last, 59);
}

TEST(HtmlTableWriter, APendingMessageEndsTheWebPage)
{
    FixtureTable table;
    table.notes = "Notes";
    HtmlPageTable pages;
    pages.Build(table);
    SetErrorCode(605);
    GetPendingError().message.AddText("a <file>");
    TextWriter writer;
    writer.SetLineEndChar('\n');
    WriteHtmlPage(writer, table, pages, 1, "/vek?base=b");
    std::string text = Written(writer);
    EXPECT_NE(text.find("<br>\n605: "), std::string::npos) << text;
    EXPECT_NE(text.find("a &lt;file&gt;"), std::string::npos) << text;
    EXPECT_FALSE(IsErrorPending());
    EXPECT_NE(text.find("<!-- analysis notes -->"), std::string::npos);
    ScratchFolder folder;
    EXPECT_EQ(HtmlCheckerReport(folder, "<html><body><table>\n" + text + "</table></body></html>\n"), "");
}

}  // namespace
}  // namespace vek
