// LinesTemplate: the keyed lines of the lines analysis template.
#include "analysis/lines/LinesTemplate.h"

#include <algorithm>
#include <cstring>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "text/TableOptions.h"
#include "analysis/AnalysisCodeLetters.h"
#include "analysis/cards/CardsColumns.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"

namespace vek {

namespace {

constexpr const char* kLinesSignLetters = "-RG";
constexpr const char* kInterestLetters = "LE";
constexpr int32_t kOlderLinesWidthCount = 39;
// Widths below this are written as empty fields (the window's default).
constexpr int32_t kSmallestKeptWidth = 16;

int32_t LinesColumnOfLetter(char letter, int32_t /*version*/)
{
    switch (letter) {
    case 'I': return lines_column::kCardId;
    case 'T': return lines_column::kTitle;
    case 'L': return lines_column::kLineText;
    case 'V': return lines_column::kFirstValue;
    case 'S': return lines_column::kAccumulated;
    default: break;
    }
    if (letter >= 'a' && letter <= 'e')
        return 37 + (letter - 'a');
    if (letter >= '1' && letter <= '9')
        return 3 + (letter - '1');
    if (letter >= 'A' && letter <= 'C')
        return 12 + (letter - 'A');
    return -1;
}

int32_t LinesDimensionOfColumn(int32_t column)
{
    return column >= lines_column::kDimension1 && column < lines_column::kLineText ? column - 3 : -1;
}

int32_t LinesValueFieldOfColumn(int32_t column)
{
    return column >= lines_column::kFirstValue && column < lines_column::kAccumulated ? column - 36 : -1;
}

void PutKeptWidth(TextWriter& writer, int32_t width)
{
    writer.PutSeparator();
    if (width >= kSmallestKeptWidth)
        writer.PutInt(width);
}

void PutRate(TextWriter& writer, const char* key, double rate)
{
    NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutDouble(rate, format);
    writer.EndRow();
}

}  // namespace

int32_t LinesColumnFromCode(const char* text, const char* end, int32_t& used)
{
    used = 0;
    if (!text || text >= end)
        return -1;
    used = 1;
    switch (text[0]) {
    case 'I':
    case 'C': return lines_column::kCardId;
    case 'P': return lines_column::kDate;
    case 'T': return lines_column::kTitle;
    case 'L': return lines_column::kLineText;
    case 'S': return lines_column::kAccumulated;
    case 'H': return lines_column::kOrigin;
    default: break;
    }
    // Dimension and value codes read as in the cards template; only the column numbers differ.
    if (text[0] == 'D' || text[0] == 'V') {
        int32_t cardsColumn = CardsColumnFromCode(text, end, used);
        int32_t d = DimensionOfCardsColumn(cardsColumn);
        if (d >= 0)
            return lines_column::kDimension1 + d;
        int32_t field = ValueFieldOfCardsColumn(cardsColumn);
        if (field >= 0)
            return lines_column::kFirstValue + field;
    }
    return -1;
}

void AppendLinesColumnCode(String& out, int32_t column, int32_t dimensionNumber)
{
    if (LinesDimensionOfColumn(column) >= 0) {
        out.AppendChar('D');
        out.AppendInt(dimensionNumber);
        return;
    }
    int32_t field = LinesValueFieldOfColumn(column);
    if (field >= 0) {
        out.AppendChar('V');
        out.AppendChar(char('A' + field));
        return;
    }
    switch (column) {
    case lines_column::kCardId: out.AppendChar('I'); break;
    case lines_column::kDate: out.AppendChar('P'); break;
    case lines_column::kTitle: out.AppendChar('T'); break;
    case lines_column::kLineText: out.AppendChar('L'); break;
    case lines_column::kAccumulated: out.AppendChar('S'); break;
    case lines_column::kOrigin: out.AppendChar('H'); break;
    default: break;
    }
}

namespace {

int32_t LinesColumnOfDimension(int32_t d) { return lines_column::kDimension1 + d; }

bool IsSortableLinesColumn(int32_t column) { return column >= 0 && column != lines_column::kAccumulated; }

int32_t LinesColumnFromXmlName(std::string_view name);

constexpr TableColumnLayout kLinesTableLayout{lines_column::kCount,
                                               lines_column::kFirstValue,
                                               lines_column::kCardId,
                                               lines_column::kDate,
                                               LinesColumnOfDimension,
                                               LinesDimensionOfColumn,
                                               LinesValueFieldOfColumn,
                                               IsSortableLinesColumn,
                                               LinesColumnFromCode,
                                               AppendLinesColumnCode,
                                               LinesColumnOfLetter,
                                               LinesColumnFromXmlName};
constexpr TableTemplatePart kLinesTablePart{kLinesTableLayout};

}  // namespace

void LinesSettings::SetDefaults(const Base& base, int32_t currentDateStyle)
{
    *this = LinesSettings();
    dateStyle = currentDateStyle;
    for (int32_t column = 0; column < lines_column::kCount; ++column) {
        TableColumn& record = columns[size_t(column)];
        record.shown = column == lines_column::kCardId || column == lines_column::kTitle ||
                               column == lines_column::kDimension1 + 1 || column == lines_column::kLineText ||
                               column == lines_column::kFirstValue || column == lines_column::kAccumulated
                           ? 1
                           : 0;
        if (LinesValueFieldOfColumn(column) >= 0)
            record.decimals = -1;
    }
    statisticsDecimals = -1;
    (void)base;
}

int32_t LinesSettings::ValueDecimals(const Base& base, int32_t i) const
{
    return TableValueDecimals(columns[size_t(lines_column::kFirstValue + i)], base, i);
}

int32_t LinesSettings::StatisticsDecimals(const Base& base) const
{
    return statisticsDecimals >= 0 ? statisticsDecimals : base.ValueFormat(0);
}

LinesTemplate::LinesTemplate(Base& base) : AnalysisTemplate(TemplateKind::Lines, base), selection(base)
{
    SetDefaults();
}

LinesTemplate::~LinesTemplate() = default;

void LinesTemplate::SetDefaults() { settings.SetDefaults(GetBase(), GetDateStyle()); }

void LinesTemplate::Reset()
{
    AnalysisTemplate::Reset();
    selection.Clear();
    olderWidths.clear();
    chart = ChartOptions();
    SetDefaults();
}

void LinesTemplate::SelectMainValueField(int32_t k)
{
    if (k < 0 || k >= kMaxValueCount)
        return;
    for (int32_t i = 0; i < kMaxValueCount; ++i)
        settings.columns[size_t(lines_column::kFirstValue + i)].shown = i == k ? 1 : 0;
    settings.mainValueField = k;
}

void LinesTemplate::ShowSingleStatistic(int32_t valueMode)
{
    LinesStatistic statistic;
    switch (valueMode) {
    case 0: statistic = LinesStatistic::LineCount; break;
    case 1: statistic = LinesStatistic::CardCount; break;
    case 6: statistic = LinesStatistic::Average; break;
    case 8: statistic = LinesStatistic::Median; break;
    case 9: statistic = LinesStatistic::TurnoverTime; break;
    case 10: statistic = LinesStatistic::TurnoverRate; break;
    case 11: statistic = LinesStatistic::Maximum; break;
    case 12: statistic = LinesStatistic::Minimum; break;
    default: statistic = LinesStatistic::Period; break;
    }
    settings.statistics.Clear();
    settings.statistics[statistic] = 1;
}

void LinesTemplate::SetAllSignColouring(int32_t colouring)
{
    for (int32_t i = 0; i < kMaxValueCount; ++i)
        settings.columns[size_t(lines_column::kFirstValue + i)].signColouring = colouring;
    settings.statisticsColouring = colouring;
}

void LinesTemplate::WriteShownColumns(String& out) const
{
    kLinesTablePart.WriteShownColumns(out, GetBase(), settings.columns);
}

void LinesTemplate::ReadShownColumns(std::string_view value, int32_t version)
{
    kLinesTablePart.ReadShownColumns(value, version, settings.columns);
}

bool LinesTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
{
    char first = key[0];
    char second = key.size() > 1 ? key[1] : '\0';
    if (context.IsBulletFile()) {
        if (TableTemplatePart::ReadOldSelectionKey(key, reader, selection))
            return true;
        if (key == "xW") {
            (void)reader.NextFieldRaw();
            olderWidths.assign(kOlderLinesWidthCount, 0);
            for (int32_t& width : olderWidths)
                ReadWidthField(reader, width);
            return true;
        }
        if (key == "P") {
            (void)reader.NextFieldRaw();
            int32_t n = 0;
            if (reader.NextFieldInt(n) && n >= 1 && n <= 6) {
                settings.columns[size_t(lines_column::kDimension1 + 1)].shown = 0;
                settings.columns[size_t(lines_column::kDimension1 + n - 1)].shown = 1;
            }
            return true;
        }
    }
    auto skipKey = [&reader] { (void)reader.NextFieldRaw(); };
    switch (first) {
    case '+':
    case '-': {
        if (key.size() != 1)
            return false;
        skipKey();
        double rate = 0.0;
        if (reader.NextFieldDouble(rate))
            (first == '+' ? settings.positiveRate : settings.negativeRate) = rate;
        return true;
    }
    case 'B':
        skipKey();
        selection.ReadKeyLine(key.substr(1), reader);
        return true;
    case 'G':
        skipKey();
        chart.ReadKeyLine(key, reader);
        return true;
    case 'D':
        if (key.size() != 1)
            return false;
        skipKey();
        kLinesTablePart.ReadDecimals(reader, settings.columns);
        return true;
    case 'd': {
        if (key.size() != 1)
            return false;
        skipKey();
        char letter = 0;
        if (reader.NextFieldChar(letter))
            ParseDigitFtmCodeLetter(settings.statisticsDecimals, letter);
        return true;
    }
    case 'H':
        if (key.size() != 1)
            return false;
        skipKey();
        settings.statistics.Clear();
        ReadLetterField(reader, 1 << 20, [this](int32_t, char letter) {
            if (letter == 0)
                return;
            for (const LinesStatisticEntry& entry : FlaggedLinesStatistics()) {
                if (entry.letter == letter)
                    settings.statistics[entry.statistic] = 1;
            }
        });
        return true;
    case 'I':
        if (key == "IE" || key == "IL") {
            settings.interestMethod = second == 'E' ? InterestMethod::Compound : InterestMethod::Simple;
            return true;
        }
        return false;
    case 'P':
        if (key.size() != 1)
            return false;
        skipKey();
        kLinesTablePart.ReadShownColumnsLine(reader, context.version, settings.columns);
        return true;
    case 'Q': {
        if (key.size() != 1)
            return false;
        skipKey();
        char letter = 0;
        if (reader.NextFieldChar(letter)) {
            if (letter >= '1' && letter <= '9')
                settings.mainValueField = letter - '1';
            else if (letter >= 'A' && letter <= 'X')
                settings.mainValueField = letter - 'A';
        }
        return true;
    }
    case 'R':
        if (key.size() != 1)
            return false;
        skipKey();
        kLinesTablePart.ReadSignColourings(reader, settings.columns);
        return true;
    case 'r': {
        if (key.size() != 1)
            return false;
        skipKey();
        char letter = 0;
        if (reader.NextFieldChar(letter))
            ParseLetterOf(kLinesSignLetters, settings.statisticsColouring, letter);
        return true;
    }
    case 'S': {
        if (second < '1' || second > '8')
            return false;
        skipKey();
        kLinesTablePart.ReadSortKey(key, reader, settings.sortKeys, settings.sortKeyCount);
        return true;
    }
    case 'T':
        if (key.size() != 1)
            return false;
        skipKey();
        kLinesTablePart.ReadItemDisplays(reader, settings.columns);
        return true;
    case 'W':
        if (key == "WB")
            settings.view = 2;
        else if (key == "WL")
            settings.view = 1;
        else
            return false;
        return true;
    case 'Y':
        skipKey();
        TableTemplatePart::ReadDateStyle(key, reader, settings.dateStyle);
        return true;
    case 'Z':
        if (key == "ZM")
            SetAllSignColouring(1);
        else if (key == "ZN")
            SetAllSignColouring(2);
        else if (key == "ZS")
            settings.zsFlag = 1;
        else if (key == "ZC") {
            skipKey();
            (void)reader.NextLongTextField(zcText.Field());
        } else
            chartFlags.ReadKey(key);
        return true;
    case 'w': {
        if (key.size() != 2)
            return false;
        skipKey();
        auto width = [this](int32_t column) -> int32_t& { return settings.columns[size_t(column)].width; };
        if (second == 'C') {
            ReadWidthField(reader, width(lines_column::kCardId));
            ReadWidthField(reader, width(lines_column::kTitle));
        } else if (second == 'D') {
            for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
                ReadWidthField(reader, width(lines_column::kDimension1 + d));
        } else if (second == 'H') {
            ReadWidthField(reader, width(lines_column::kOrigin));
        } else if (second == 'L') {
            ReadWidthField(reader, width(lines_column::kLineText));
            ReadWidthField(reader, width(lines_column::kFirstValue));
            ReadWidthField(reader, width(lines_column::kAccumulated));
            for (int32_t i = 1; i < kMaxValueCount; ++i)
                ReadWidthField(reader, width(lines_column::kFirstValue + i));
        }
        return true;
    }
    case 'x':
        if (TableTemplatePart::ReadTextExport(key, settings.textExportChoice))
            return true;
        if (key == "xtg+")
            settings.chartChoice = 4100;
        else if (key == "xtg-")
            settings.chartChoice = 4101;
        else if (key == "xtgh")
            settings.chartChoice = 4102;
        else
            return false;
        return true;
    default:
        return false;
    }
}

void LinesTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    std::string_view key = PeekKey(reader);
    if (key.empty() || !ReadOwnKey(key, reader, context))
        AnalysisTemplate::ReadKeyLine(reader, context);
}

void LinesTemplate::FinishRead(const TemplateReadContext& context)
{
    AnalysisTemplate::FinishRead(context);
    if (!context.IsBulletFile() || olderWidths.empty())
        return;
    // The older widths belong to the shown columns, in column order.
    size_t next = 0;
    for (TableColumn& column : settings.columns) {
        column.width = column.shown && next < olderWidths.size() ? olderWidths[next++] : 0;
    }
    olderWidths.clear();
}

void LinesTemplate::WriteDefinition(TextWriter& writer) const
{
    const Base& base = GetBase();
    AnalysisTemplate::WriteDefinition(writer);
    selection.Write(writer, 'B');

    writer.PutChar('Q');
    writer.PutSeparator();
    writer.PutChar(uint8_t('A' + std::clamp(settings.mainValueField, 0, kMaxValueCount - 1)));
    writer.EndRow();

    kLinesTablePart.WriteDecimals(writer, base, settings.columns);

    char statisticsLetter = DigitFtmCodeLetter(settings.StatisticsDecimals(base));
    writer.PutChar('d');
    writer.PutSeparator();
    writer.PutChar(uint8_t(statisticsLetter != 0 ? statisticsLetter : '0'));
    writer.EndRow();

    kLinesTablePart.WriteSignColourings(writer, base, settings.columns);
    if (settings.statisticsColouring != 0) {
        char letter = LetterAt(kLinesSignLetters, settings.statisticsColouring);
        writer.PutChar('r');
        writer.PutSeparator();
        writer.PutChar(uint8_t(letter != 0 ? letter : '-'));
        writer.EndRow();
    }
    kLinesTablePart.WriteDateStyle(writer, settings.dateStyle, settings.columns);
    kLinesTablePart.WriteItemDisplays(writer, base, settings.columns);
    String shown;
    WriteShownColumns(shown);
    if (!shown.IsEmpty())
        writer.WriteKeyTextLine("P", shown.CStr());

    String statistics;
    for (const LinesStatisticEntry& entry : FlaggedLinesStatistics()) {
        if (settings.statistics[entry.statistic] != 0)
            statistics.AppendChar(entry.letter);
    }
    if (!statistics.IsEmpty())
        writer.WriteKeyTextLine("H", statistics.CStr());
    if (settings.positiveRate != 0.0)
        PutRate(writer, "+", settings.positiveRate);
    if (settings.negativeRate != 0.0)
        PutRate(writer, "-", settings.negativeRate);
    writer.PutChar('I');
    writer.PutChar(uint8_t(LetterAt(kInterestLetters, settings.interestMethod == InterestMethod::Compound ? 1 : 0)));
    writer.EndRow();

    chart.Write(writer);
    if (settings.view != 0)
        WriteViewLetter(writer, settings.view);

    auto width = [this](int32_t column) { return settings.columns[size_t(column)].width; };
    if (width(lines_column::kCardId) >= kSmallestKeptWidth || width(lines_column::kTitle) >= kSmallestKeptWidth) {
        writer.PutText("wC");
        PutKeptWidth(writer, width(lines_column::kCardId));
        PutKeptWidth(writer, width(lines_column::kTitle));
        writer.EndRow();
    }
    auto dimensionColumn = [&base](int32_t position) {
        int32_t d = DimensionAtOrderPosition(base, position);
        return lines_column::kDimension1 + (d >= 0 ? d : 0);
    };
    bool wideDimension = false;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
        wideDimension = wideDimension || width(lines_column::kDimension1 + d) >= kSmallestKeptWidth;
    if (wideDimension) {
        writer.PutText("wD");
        for (int32_t k = 0; k < int32_t(kDimensionCount); ++k)
            PutKeptWidth(writer, width(dimensionColumn(k)));
        writer.EndRow();
    }
    std::vector<int32_t> lineColumns = {lines_column::kLineText, lines_column::kFirstValue, lines_column::kAccumulated};
    for (int32_t i = 1; i < kMaxValueCount; ++i)
        lineColumns.push_back(lines_column::kFirstValue + i);
    bool wideLine = false;
    for (int32_t column : lineColumns)
        wideLine = wideLine || width(column) >= kSmallestKeptWidth;
    if (wideLine) {
        writer.PutText("wL");
        for (int32_t column : lineColumns)
            PutKeptWidth(writer, width(column));
        writer.EndRow();
    }
    if (width(lines_column::kOrigin) >= kSmallestKeptWidth)
        writer.WriteKeyIntLine("wH", width(lines_column::kOrigin));

    kLinesTablePart.WriteSortKeys(writer, 'S', base, settings.sortKeys, settings.sortKeyCount);
    chartFlags.Write(writer);
    if (zcText.Get() && *zcText.Get()) {
        writer.PutText("ZC");
        writer.PutSeparator();
        writer.PutLongText(zcText.Get());
        writer.EndRow();
    }
    if (settings.zsFlag != 0)
        writer.WriteLine("ZS");
    TableTemplatePart::WriteTextExport(writer, settings.textExportChoice);
    writer.WriteLine(settings.chartChoice == 4101 ? "xtg-" : settings.chartChoice == 4102 ? "xtgh" : "xtg+");
}

namespace {

int32_t LinesColumnFromXmlName(std::string_view name)
{
    if (CStrEqualNoCase(name, "accum"))
        return lines_column::kAccumulated;
    int32_t column = CardsColumnFromXmlName(name);
    int32_t d = DimensionOfCardsColumn(column);
    if (d >= 0)
        return lines_column::kDimension1 + d;
    int32_t field = ValueFieldOfCardsColumn(column);
    if (field >= 0)
        return lines_column::kFirstValue + field;
    switch (column) {
    case cards_column::kCardId: return lines_column::kCardId;
    case cards_column::kTitle: return lines_column::kTitle;
    case cards_column::kLineText: return lines_column::kLineText;
    case cards_column::kOrigin: return lines_column::kOrigin;
    default: return -1;
    }
}

}  // namespace

void LinesTemplate::ReadXml(TextReader& reader)
{
    kLinesTablePart.ReadXml(reader, selection, settings.columns, [this](TextReader& element) {
        if (element.IsTag("export-options")) {
            Export().ReadXmlAttributes(element, GetBase());
            return true;
        }
        if (!element.IsTag("headers"))
            return false;
        String name;
        String value;
        while (element.NextAttribute(name, value)) {
            int32_t on = ParseOnOff(value.View());
            for (const LinesStatisticEntry& entry : FlaggedLinesStatistics()) {
                if (on >= 0 && CStrEqualNoCase(name.View(), entry.xmlName))
                    settings.statistics[entry.statistic] = uint8_t(on);
            }
        }
        return true;
    });
}

void LinesTemplate::CollectSelectionComponents(BitSet& components)
{
    selection.CollectNamedComponents(components);
}

void LinesTemplate::CollectSelectedLines(BitSet& lines)
{
    // The statistics before and after the period need the lines from the file's start or to its end.
    SelectionTexts widened(GetBase());
    widened.Assign(selection);
    if (settings.statistics[LinesStatistic::Before] != 0)
        widened.From().SetUnit(DateUnit::File);
    if (settings.statistics[LinesStatistic::After] != 0)
        widened.To().SetUnit(DateUnit::File);
    widened.MarkSelectedLines(lines);
}

void LinesTemplate::SetOption(const char* optionName, const char* value)
{
    if (optionName && std::strcmp(optionName, "sort") == 0) {
        kLinesTablePart.SetSortOption(value, settings.sortKeys, settings.sortKeyCount);
        return;
    }
    if (optionName && value && selection.SetOption(optionName, value))
        return;
    AnalysisTemplate::SetOption(optionName, value);
}

int64_t LinesTemplate::StoredSize() const
{
    return AnalysisTemplate::StoredSize() + selection.StoredSize() + 1800;
}

}  // namespace vek
