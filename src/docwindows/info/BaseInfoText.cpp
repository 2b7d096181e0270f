// BaseInfoText: the clipboard text of the base info window, section by section.
#include "docwindows/info/BaseInfoText.h"

#include <string>

#include "docwindows/DocumentWindow.h"
#include "docwindows/info/BaseInfoFigures.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

void PutBaseInfoTextLine(TextWriter& writer, const char* label, const std::string& value)
{
    writer.PutText(label);
    writer.PutSeparator();
    writer.PutText(value.c_str());
    writer.EndRow();
}

std::string BaseInfoTextSize(int64_t bytes)
{
    String text;
    FormatByteSize(text, bytes);
    return text.CStr();
}

std::string BaseInfoTextDate(double seconds)
{
    if (seconds == 0)
        return {};
    DateTime when;
    when.SetFromSeconds(seconds);
    String text;
    when.FormatString(text);
    return text.CStr();
}

void PutBaseInfoCounts(TextWriter& writer, const char* label, const BaseInfoDimensionFigures& counts)
{
    writer.PutText(label);
    for (int32_t count : {counts.used, counts.usedWithHosts, counts.components}) {
        writer.PutSeparator();
        writer.PutInt(count);
    }
    writer.EndRow();
}

}  // namespace

void WriteBaseInfoText(TextWriter& writer, const Base& base, const BaseInfoFigures& figures)
{
    writer.PutText(std::string(base.Path().Text()).c_str());
    writer.EndRow();
    writer.EndRow();

    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoMemoryUse), BaseInfoTextSize(figures.memoryUse));
    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoFileSizeShort), BaseInfoTextSize(figures.fileSize));
    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoFileDate), BaseInfoTextDate(figures.fileTime));
    writer.EndRow();

    writer.PutText(LoadText(text::kBaseInfoCardsHeading));
    writer.EndRow();
    const struct {
        int32_t label;
        int32_t count;
    } cardRows[] = {{text::kBaseInfoCards, figures.cards},
                    {text::kBaseInfoGroups, figures.groups},
                    {text::kBaseInfoLines, figures.lines},
                    {text::kBaseInfoCardsWithText, figures.cardsWithText},
                    {text::kBaseInfoLinesWithText, figures.linesWithText},
                    {text::kBaseInfoCardsWithNotes, figures.cardsWithNotes}};
    for (const auto& row : cardRows)
        PutBaseInfoTextLine(writer, LoadText(row.label), std::to_string(row.count));
    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoFirstCard), figures.firstCardKey);
    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoLastCard), figures.lastCardKey);
    writer.EndRow();

    writer.PutText(LoadText(text::kBaseInfoDimensionsHeading));
    writer.EndRow();
    for (int32_t title : {text::kBaseInfoUsed, text::kBaseInfoUsedWithHosts, text::kBaseInfoComponents}) {
        writer.PutSeparator();
        writer.PutText(LoadText(title));
    }
    writer.EndRow();
    String name;
    for (int32_t d = 0; d <= figures.highestWithComponents; ++d) {
        base.DimensionPluralName(d, name);
        PutBaseInfoCounts(writer, name.CStr(), figures.dimensions[size_t(d)]);
    }
    PutBaseInfoCounts(writer, LoadText(text::kBaseInfoTotal), figures.dimensions[kBaseInfoTotal]);
    writer.EndRow();

    int32_t windows = 0;
    for (DocumentWindow* window = DocumentWindow::First(); window; window = window->NextOpenWindow()) {
        if (window->GetBase() == &base)
            ++windows;
    }
    writer.PutText(LoadText(text::kBaseInfoWindowsHeading));
    writer.EndRow();
    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoOpenWindows), std::to_string(windows));
    writer.EndRow();

    writer.PutText(LoadText(text::kBaseInfoSavingHeading));
    writer.EndRow();
    const std::string saved = BaseInfoTextDate(figures.fileTime);
    PutBaseInfoTextLine(writer, LoadText(text::kBaseInfoLastSaved),
                        saved.empty() ? std::string(LoadText(text::kBaseInfoNeverSaved)) : saved);
}

}  // namespace vek
