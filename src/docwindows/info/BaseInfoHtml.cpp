// BaseInfoHtml: the fragment, table by table.
#include "docwindows/info/BaseInfoHtml.h"

#include <string>

#include "docwindows/DocumentWindow.h"
#include "docwindows/info/BaseInfoFigures.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr char kBaseInfoTableLine[] = "<table class=\"baseinfo\" border=0 cellspacing=0 cellpadding=0>";
constexpr char kBaseInfoSeparatorRow[] = "<tr><td class=\"dataseparator\"/></tr>";

// A count with the thousands separator; 0 as "-".
std::string BaseInfoCount(int32_t count)
{
    if (count == 0)
        return "-";
    NumberFormat format;
    format.mode = NumberMode::Fixed;
    format.SetDecimals(0);
    char buffer[64];
    char* cursor = buffer;
    CursorPutDouble(cursor, double(count), format);
    return std::string(buffer, size_t(cursor - buffer));
}

void WriteBaseInfoHeading(TextWriter& writer, int32_t textNumber)
{
    writer.PutText("<h4 class=\"baseinfo\">");
    writer.PutEscapedText(LoadText(textNumber));
    writer.WriteLine("</h4>");
}

// "<tr>", the label cell, the value cell of the class, "</tr>", each on its own line.
void WriteBaseInfoRow(TextWriter& writer, const char* label, const char* valueClass, const std::string& value)
{
    writer.WriteLine("<tr>");
    writer.PutText("<td>");
    writer.PutEscapedText(label);
    writer.WriteLine("</td>");
    writer.PutText("<td class=\"");
    writer.PutText(valueClass);
    writer.PutText("\">");
    writer.PutEscapedText(value.c_str());
    writer.WriteLine("</td>");
    writer.WriteLine("</tr>");
}

void WriteBaseInfoDimensionRow(TextWriter& writer, const char* name, const BaseInfoDimensionFigures& counts)
{
    writer.WriteLine("<tr>");
    writer.PutText("<td>");
    writer.PutEscapedText(name);
    writer.WriteLine("</td>");
    for (int32_t count : {counts.used, counts.components}) {
        writer.PutText("<td class=\"diminfo\">");
        writer.PutEscapedText(BaseInfoCount(count).c_str());
        writer.WriteLine("</td>");
    }
    writer.WriteLine("</tr>");
}

std::string BaseInfoSize(int64_t bytes)
{
    String text;
    FormatByteSize(text, bytes);
    return text.CStr();
}

}  // namespace

void WriteBaseInfoHtml(TextWriter& writer, const Base& base, const BaseInfoFigures& figures)
{
    WriteBaseInfoHeading(writer, text::kBaseInfoHeading);
    writer.PutText("<p class=\"pathname\">");
    writer.PutEscapedText(std::string(base.Path().Text()).c_str());
    writer.WriteLine("</p>");

    writer.WriteLine(kBaseInfoTableLine);
    std::string fileDate;
    if (figures.fileTime != 0) {
        DateTime when;
        when.SetFromSeconds(figures.fileTime);
        String text;
        when.FormatString(text);
        fileDate = text.CStr();
    }
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoFileDate), "fileinfo", fileDate);
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoFileSize), "fileinfo", BaseInfoSize(figures.fileSize));
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoMemoryUse), "fileinfo", BaseInfoSize(figures.memoryUse));
    writer.WriteLine("</table>");
    writer.EndRow();

    WriteBaseInfoHeading(writer, text::kBaseInfoCardsHeading);
    writer.WriteLine(kBaseInfoTableLine);
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoCards), "cardinfo", BaseInfoCount(figures.cards));
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoLines), "cardinfo", BaseInfoCount(figures.lines));
    writer.WriteLine(kBaseInfoSeparatorRow);
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoCardsWithText), "cardinfo", BaseInfoCount(figures.cardsWithText));
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoLinesWithText), "cardinfo", BaseInfoCount(figures.linesWithText));
    WriteBaseInfoRow(writer, LoadText(text::kBaseInfoCardsWithNotes), "cardinfo", BaseInfoCount(figures.cardsWithNotes));
    writer.WriteLine("</table>");
    writer.EndRow();

    WriteBaseInfoHeading(writer, text::kBaseInfoDimensionsHeading);
    writer.WriteLine(kBaseInfoTableLine);
    writer.WriteLine("<tr>");
    writer.WriteLine("<th></th>");
    for (int32_t title : {text::kBaseInfoUsed, text::kBaseInfoComponents}) {
        writer.PutText("<th class=\"diminfo\">");
        writer.PutEscapedText(LoadText(title));
        writer.WriteLine("</th>");
    }
    writer.WriteLine("</tr>");
    String name;
    for (int32_t d = 0; d <= figures.highestWithComponents; ++d) {
        base.DimensionPluralName(d, name);
        WriteBaseInfoDimensionRow(writer, name.CStr(), figures.dimensions[size_t(d)]);
    }
    writer.WriteLine(kBaseInfoSeparatorRow);
    WriteBaseInfoDimensionRow(writer, LoadText(text::kBaseInfoTotal), figures.dimensions[kBaseInfoTotal]);
    writer.WriteLine("</table>");
    writer.EndRow();
}

}  // namespace vek
