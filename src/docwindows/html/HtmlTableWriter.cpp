// HtmlTableWriter: the export document and the web tables, line by line as other programs read them.
#include "docwindows/html/HtmlTableWriter.h"

#include <string>

#include "foundation/streams/QueryString.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "text/HtmlColours.h"
#include "text/LinkRegistry.h"

namespace vek {

namespace {

// The style block, line by line; the level classes follow before its end.
constexpr const char* kHtmlStyleLines[] = {
    "<style type=\"text/css\">",
    "body {background-color: #FFFFFF; margin: 8}",
    "td.analysistitle {font-family: Arial; padding-bottom: 10px}",
    "span.basetitle {color: #E35C2F; font-size: 10pt; font-weight: bold}",
    "span.analysistitle {color: #505050; font-size: 14pt}",
    "td.notes {padding-bottom: 16px}",
    "p.notes {background-color: #F4F3BF; font-family: Times; font-size: 10pt; border: 0 ridge; padding: 5px 10px}",
    "td.definition {font-family: Arial; font-size: 10pt; padding-bottom: 12px}",
    "table.definition {font-family: Arial; font-size: 8pt; padding-left: 10px}",
    "table.analysis {background-color: #FFFFFF; font-family: Arial; font-size: 8pt; border: 1 solid #F0F0F0}",
    "tr.columntitles {background-color: #D5E3F1}",
    "tr.gridline {background-color: #EEF2FA}",
    "td.cardtitle {font-family: Arial; font-size: 10pt; padding-bottom: 8px}",
};

constexpr char kHtmlDataTableStart[] = "<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\" class=\"analysis\">";

bool IsBlackHtmlColour(int32_t colourCode)
{
    const char* name = HtmlColourName(colourCode);
    return name == nullptr || std::string_view(name) == "black";
}

// Every CR-separated piece of a text, empty pieces included.
template <typename Each>
void ForEachHtmlNotesLine(const std::string& text, Each&& each)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\r', start);
        if (end == std::string::npos)
            end = text.size();
        each(text.substr(start, end - start), end == text.size());
        start = end + 1;
    }
}

}  // namespace

HtmlTableSource::~HtmlTableSource() = default;
int32_t HtmlTableSource::HtmlRowTreeLevel(int32_t) const { return 0; }
int32_t HtmlTableSource::HtmlLevelCount() const { return 0; }
void HtmlTableSource::WriteHtmlDefinition(TextWriter&) {}
int32_t HtmlTableSource::HtmlRowHeight(int32_t) const { return 2; }
bool HtmlTableSource::IsHtmlPageBreakRow(int32_t) const { return true; }
std::string HtmlTableSource::HtmlColumnSortLink(int32_t) const { return {}; }

int32_t HtmlLevelPaddingStep(int32_t levelCount)
{
    if (levelCount <= 5)
        return 11;
    return levelCount <= 8 ? 10 : 9;
}

void WriteHtmlStyleBlock(TextWriter& writer, int32_t levelCount)
{
    for (const char* line : kHtmlStyleLines)
        writer.WriteLine(line);
    const int32_t step = HtmlLevelPaddingStep(levelCount);
    for (int32_t level = 1; level <= levelCount; ++level) {
        writer.PutText("p.level");
        writer.PutInt(level);
        writer.PutText(" {padding-left: ");
        writer.PutInt(level * step);
        writer.WriteLine("px}");
    }
    writer.WriteLine("</style>");
}

bool WriteHtmlFontStart(TextWriter& writer, int32_t colourCode)
{
    if (IsBlackHtmlColour(colourCode))
        return false;
    writer.PutText("<font");
    writer.PutAttribute("color", HtmlColourName(colourCode));
    writer.PutText(">");
    return true;
}

void WriteHtmlCardLink(TextWriter& writer, std::string_view basePath, std::string_view baseName,
                       std::string_view cardKey)
{
    const std::string path(basePath);
    const std::string name(baseName);
    const std::string key(cardKey);
    writer.PutText("<a card=\"[");
    writer.PutEscapedText(path.c_str());
    writer.PutText("]");
    writer.PutEscapedText(key.c_str());
    writer.PutText("\">");
    writer.PutEscapedText(name.c_str());
    writer.PutText(": ");
    writer.PutEscapedText(key.c_str());
    writer.PutText("</a>");
}

HtmlTableWriter::HtmlTableWriter(TextWriter& writer, HtmlTableSource& source)
    : writer(writer), source(source), flags(source.HtmlFlags())
{
    const int32_t count = source.HtmlColumnCount();
    for (int32_t column = 0; column < count; ++column)
        columns.push_back(source.HtmlColumnAt(column));
}

void HtmlTableWriter::WriteExport()
{
    writer.SetUseHtmlEntities(flags.namedEntities);
    writer.WriteLine("<html>");
    writer.WriteLine("<head>");
    writer.WriteHtmlContentTypeMeta();
    WriteHtmlStyleBlock(writer, source.HtmlLevelCount());
    if (flags.windowTitle) {
        writer.PutText("<title>");
        writer.PutEscapedText(source.HtmlTitle().c_str());
        writer.WriteLine("</title>");
        writer.EndRow();
    }
    writer.WriteLine("</head>");
    writer.EndRow();
    writer.WriteLine("<body>");
    writer.WriteLine("<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">");
    writer.EndRow();
    if (flags.windowTitle)
        WriteTitleRow();
    if (flags.notes)
        WriteNotesSection(false);
    if (flags.definition) {
        writer.WriteHtmlComment("analysis definition");
        source.WriteHtmlDefinition(writer);
    }
    WriteDataTable();
    writer.WriteLine("</table>");
    writer.WriteLine("</body>");
    writer.WriteLine("</html>");
}

void HtmlTableWriter::WriteTitleRow()
{
    writer.WriteHtmlComment("analysis title");
    writer.WriteLine("<tr><td class=\"analysistitle\">");
    writer.PutText("<span class=\"basetitle\">");
    writer.PutEscapedText(source.HtmlBaseFileName().c_str());
    writer.WriteLine("</span><br/>");
    writer.PutText("<span class=\"analysistitle\">");
    writer.PutEscapedText(source.HtmlTitle().c_str());
    writer.WriteLine("</span><br/>");
    writer.WriteLine("</td></tr>");
    writer.EndRow();
}

void HtmlTableWriter::WriteNotesSection(bool web)
{
    const std::string notes = source.HtmlNotes();
    if (notes.empty())
        return;
    writer.WriteHtmlComment("analysis notes");
    writer.WriteLine("<tr><td class=\"notes\">");
    writer.WriteLine("<p class=\"notes\">");
    const LinkRegistry& links = source.HtmlLinks();
    ForEachHtmlNotesLine(notes, [&](const std::string& line, bool last) {
        if (!line.empty()) {
            // The export makes anchors of web addresses only; the web page also turns links to
            // bases into web links. Either way only the registry's allowed schemes become anchors.
            if (web)
                links.WriteText(writer, line.c_str());
            else
                links.WriteUrlAnchors(writer, line.c_str());
        }
        if (!last)
            writer.WriteLine("<br/>");
    });
    writer.EndRow();
    writer.WriteLine("</p>");
    writer.WriteLine("</td></tr>");
    writer.EndRow();
}

void HtmlTableWriter::WriteExportColumnTitles()
{
    writer.WriteLine("<tr class=\"columntitles\">");
    for (const HtmlColumn& column : columns) {
        writer.PutText("<th");
        if (flags.columnWidths)
            writer.PutIntAttribute("width", column.width);
        writer.PutAttribute("align", column.rightAligned ? "right" : "left");
        writer.PutText(">");
        if (column.bold)
            writer.PutText("<b>");
        writer.PutEscapedText(column.title.c_str());
        if (column.bold)
            writer.PutText("</b>");
        writer.PutText("</th>");
        writer.EndRow();
    }
    writer.PutText("</tr>");
    writer.EndRow();
}

void HtmlTableWriter::WriteDataTable()
{
    writer.WriteHtmlComment("analysis data");
    writer.WriteLine("<tr><td>");
    writer.WriteLine(kHtmlDataTableStart);
    int32_t counter = 0;
    if (flags.columnTitles) {
        WriteExportColumnTitles();
        counter = 1;
    }
    const int32_t firstDataRow = source.HtmlFirstDataRow();
    const int32_t from = flags.headers ? 0 : firstDataRow;
    const int32_t to = flags.dataRows ? source.HtmlRowCount() : firstDataRow;
    for (int32_t row = from; row < to; ++row) {
        ++counter;
        // Without a title row the widths go on the first row's cells.
        WriteExportRow(row, counter, !flags.columnTitles && row == from && flags.columnWidths);
    }
    writer.WriteLine("</table>");
    writer.WriteLine("</td></tr>");
    writer.EndRow();
}

void HtmlTableWriter::WriteExportRow(int32_t row, int32_t counter, bool widths)
{
    cells.clear();
    const int32_t lastColumn = source.FormatHtmlRow(row, cells);
    const int32_t level = source.HtmlRowTreeLevel(row);
    writer.PutText(counter % 2 == 1 ? "<tr class=\"gridline\">" : "<tr>");
    for (int32_t c = 0; c <= lastColumn && c < int32_t(columns.size()) && c < int32_t(cells.size()); ++c) {
        const HtmlColumn& column = columns[size_t(c)];
        const HtmlCell& cell = cells[size_t(c)];
        writer.PutText("<td");
        if (widths)
            writer.PutIntAttribute("width", column.width);
        if (cell.text.empty()) {
            writer.WriteLine("/>");
            continue;
        }
        if (column.rightAligned)
            writer.PutAttribute("align", "right");
        writer.PutText(">");
        const bool levelled = c == 0 && level > 0;
        if (levelled) {
            writer.PutText("<p class=\"level");
            writer.PutInt(level);
            writer.PutText("\">");
        }
        const bool font = WriteHtmlFontStart(writer, cell.colour);
        if (cell.bold)
            writer.PutText("<b>");
        PutCellText(cell.text);
        if (cell.bold)
            writer.PutText("</b>");
        if (font)
            writer.PutText("</font>");
        if (levelled)
            writer.PutText("</p>");
        writer.WriteLine("</td>");
    }
    writer.PutText("</tr>");
    writer.EndRow();
}

void HtmlTableWriter::PutCellText(const std::string& text)
{
    if (!flags.stripQuotes) {
        writer.PutEscapedText(text.c_str());
        return;
    }
    std::string stripped;
    for (char c : text) {
        if (c != '"' && c != '\'')
            stripped += c;
    }
    writer.PutEscapedText(stripped.c_str());
}

void HtmlTableWriter::WriteCell(const HtmlCell& cell)
{
    const bool font = WriteHtmlFontStart(writer, cell.colour);
    if (cell.bold)
        writer.PutText("<b>");
    const LinkRegistry& links = source.HtmlLinks();
    if (links.HasLinks(cell.text.c_str()))
        links.WriteHtmlText(writer, cell.text.c_str());
    else
        PutCellText(cell.text);
    if (cell.bold)
        writer.PutText("</b>");
    if (font)
        writer.PutText("</font>");
}

void HtmlTableWriter::WriteColumnTitleWithSortLink(int32_t c, std::string_view pageAddress)
{
    const HtmlColumn& column = columns[size_t(c)];
    writer.PutText("<th");
    writer.PutIntAttribute("width", column.width);
    writer.PutAttribute("align", column.rightAligned ? "right" : "left");
    writer.PutText(">");
    const std::string sortValue = source.HtmlColumnSortLink(c);
    if (!sortValue.empty()) {
        String address;
        address.AssignBytes(pageAddress);
        // A page of "all" stays: the sorted table is to show all rows again.
        String page;
        QueryGetParam(pageAddress, "page", page);
        if (std::string_view(page.CStr()) != "all")
            address.RemoveQueryParam("page");
        address.RemoveQueryParam("sort");
        address.AppendQueryParam("sort", sortValue.c_str());
        writer.PutText("<a class=\"columntitle\"");
        writer.PutAttributeAllowEmpty("href", address.CStr());
        writer.PutText(">");
    }
    source.HtmlLinks().WriteText(writer, column.title.c_str());
    if (column.sortState == kHtmlSortedDown)
        writer.PutText("&nbsp;&nabla;");
    else if (column.sortState == kHtmlSortedUp)
        writer.PutText("&nbsp;&Delta;");
    if (!sortValue.empty())
        writer.PutText("</a>");
    writer.WriteLine("</th>");
}

void HtmlTableWriter::WriteWebTable(int32_t first, int32_t last, std::string_view pageAddress)
{
    writer.WriteHtmlComment(source.HtmlWindowKind() == kHtmlCardKind ? "card data" : "analysis data");
    writer.WriteLine("<tr><td>");
    writer.WriteLine(kHtmlDataTableStart);
    writer.WriteLine("<tr class=\"columntitles\">");
    for (int32_t c = 0; c < int32_t(columns.size()); ++c)
        WriteColumnTitleWithSortLink(c, pageAddress);
    writer.WriteLine("</tr>");
    writer.EndRow();
    int32_t stripeBase = first;
    for (int32_t row = first; row <= last; ++row) {
        if (source.HtmlRowHeight(row) < 2) {
            stripeBase = row + 1;
            continue;
        }
        if (!source.IsHtmlPageBreakRow(row))
            stripeBase = row;
        cells.clear();
        const int32_t lastColumn = source.FormatHtmlRow(row, cells);
        if (lastColumn < 0) {
            writer.WriteLine("<tr><td><br/></td></tr>");
            stripeBase = row;
            continue;
        }
        writer.PutText((row - stripeBase) % 2 == 1 ? "<tr class=\"gridline\">" : "<tr>");
        for (int32_t c = 0; c < int32_t(columns.size()); ++c) {
            const HtmlCell* cell = c < int32_t(cells.size()) ? &cells[size_t(c)] : nullptr;
            if (cell == nullptr || cell->text.empty()) {
                writer.WriteLine("<td/>");
                continue;
            }
            writer.PutText("<td");
            if (columns[size_t(c)].rightAligned)
                writer.PutAttribute("align", "right");
            writer.PutText(">");
            WriteCell(*cell);
            writer.WriteLine("</td>");
        }
        writer.PutText("</tr>");
        writer.EndRow();
    }
    writer.WriteLine("</table>");
    writer.WriteLine("</td></tr>");
    writer.EndRow();
}

void HtmlTableWriter::WriteXmlNotes()
{
    const std::string notes = source.HtmlNotes();
    if (!flags.notes || notes.empty())
        return;
    writer.PutText("<notes>");
    writer.EndRow();
    writer.PutEscapedText(notes.c_str());
    writer.EndRow();
    writer.PutText("</notes>");
    writer.EndRow();
    writer.EndRow();
}

}  // namespace vek
