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
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"

namespace vek {

namespace {

constexpr const char* kLinesSignLetters = "-RG";
constexpr const char* kLinesDateStyleLetters = "STWFGHUV";
constexpr const char* kInterestLetters = "LE";
constexpr int32_t kLinesLetterColumnsUntil = 20001218;
constexpr int32_t kOlderLinesWidthCount = 39;
// Widths below this are written as empty fields (the window's default).
constexpr int32_t kSmallestKeptWidth = 16;

int32_t LinesColumnOfLetter(char letter)
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

void ReadWidth(TextReader& reader, int32_t& width)
{
    int32_t read = 0;
    if (reader.NextFieldInt(read))
        width = read;
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

void LinesSettings::SetDefaults(const Base& base, int32_t currentDateStyle)
{
    *this = LinesSettings();
    dateStyle = currentDateStyle;
    for (int32_t column = 0; column < lines_column::kCount; ++column) {
        CardsColumn& record = columns[size_t(column)];
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
    int32_t own = columns[size_t(lines_column::kFirstValue + i)].decimals;
    return own >= 0 ? own : base.ValueFormat(i);
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

void LinesTemplate::AppendColumnCode(String& out, int32_t column) const
{
    int32_t d = LinesDimensionOfColumn(column);
    AppendLinesColumnCode(out, column, d >= 0 ? GetBase().DimensionOrderIndex(d) + 1 : 0);
}

void LinesTemplate::WriteShownColumns(String& out) const
{
    const Base& base = GetBase();
    for (int32_t column = 0; column < lines_column::kCount; ++column) {
        if (LinesValueFieldOfColumn(column) >= base.ValueCount())
            continue;
        int32_t position = LinesDimensionOfColumn(column);
        if (position >= 0) {
            int32_t d = DimensionAtOrderPosition(base, position);
            if (d < 0 || !settings.columns[size_t(lines_column::kDimension1 + d)].shown)
                continue;
            if (!out.IsEmpty())
                out.AppendChar(',');
            AppendLinesColumnCode(out, column, position + 1);
            continue;
        }
        if (!settings.columns[size_t(column)].shown)
            continue;
        if (!out.IsEmpty())
            out.AppendChar(',');
        AppendLinesColumnCode(out, column, 0);
    }
}

void LinesTemplate::ReadShownColumns(std::string_view value, int32_t version)
{
    auto show = [this](int32_t column) {
        if (column >= 0 && column < lines_column::kCount)
            settings.columns[size_t(column)].shown = 1;
    };
    if (version <= kLinesLetterColumnsUntil) {
        for (char letter : value)
            show(LinesColumnOfLetter(letter));
        return;
    }
    const char* p = value.data();
    const char* end = p + value.size();
    while (p < end) {
        const char* stop = static_cast<const char*>(std::memchr(p, ',', size_t(end - p)));
        if (!stop)
            stop = end;
        int32_t used = 0;
        show(LinesColumnFromCode(p, stop, used));
        p = stop < end ? stop + 1 : end;
    }
}

bool LinesTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
{
    char first = key[0];
    char second = key.size() > 1 ? key[1] : '\0';
    if (context.IsBulletFile()) {
        if (first == 'C' || first == 'L' || first == 'V' || first == 'Y' || (first >= '1' && first <= '6')) {
            (void)reader.NextFieldRaw();
            selection.ReadKeyLine(key, reader, SelectionKeyForm::Old);
            return true;
        }
        if (key == "xW") {
            (void)reader.NextFieldRaw();
            olderWidths.assign(kOlderLinesWidthCount, 0);
            for (int32_t& width : olderWidths)
                ReadWidth(reader, width);
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
        ReadLetterField(reader, kMaxValueCount, [this](int32_t i, char letter) {
            ParseDigitFtmCodeLetter(settings.columns[size_t(lines_column::kFirstValue + i)].decimals, letter);
        });
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
        for (CardsColumn& column : settings.columns)
            column.shown = 0;
        if (reader.NextFieldRaw())
            ReadShownColumns({reader.Token(), size_t(reader.TokenLength())}, context.version);
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
        ReadLetterField(reader, kMaxValueCount, [this](int32_t i, char letter) {
            ParseLetterOf(kLinesSignLetters, settings.columns[size_t(lines_column::kFirstValue + i)].signColouring,
                          letter);
        });
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
        int32_t n = second - '0';
        CardsSortKey& sortKey = settings.sortKeys[size_t(n - 1)];
        int32_t used = 0;
        int32_t column = LinesColumnFromCode(key.data() + 2, key.data() + key.size(), used);
        if (column >= 0 && column != lines_column::kAccumulated)
            sortKey.column = column;
        ReadSortKeyFields(reader, sortKey);
        settings.sortKeyCount = std::max(settings.sortKeyCount, n);
        return true;
    }
    case 'T':
        if (key.size() != 1)
            return false;
        skipKey();
        ReadLetterField(reader, int32_t(kDimensionCount), [this](int32_t d, char letter) {
            settings.columns[size_t(lines_column::kDimension1 + d)].itemDisplay = DisplayCodeFromLetter(letter);
        });
        return true;
    case 'W':
        if (key == "WB")
            settings.view = 2;
        else if (key == "WL")
            settings.view = 1;
        else
            return false;
        return true;
    case 'Y': {
        skipKey();
        char letter = second;
        if (letter == 0)
            (void)reader.NextFieldChar(letter);
        ParseLetterOf(kLinesDateStyleLetters, settings.dateStyle, letter);
        return true;
    }
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
            ReadWidth(reader, width(lines_column::kCardId));
            ReadWidth(reader, width(lines_column::kTitle));
        } else if (second == 'D') {
            for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
                ReadWidth(reader, width(lines_column::kDimension1 + d));
        } else if (second == 'H') {
            ReadWidth(reader, width(lines_column::kOrigin));
        } else if (second == 'L') {
            ReadWidth(reader, width(lines_column::kLineText));
            ReadWidth(reader, width(lines_column::kFirstValue));
            ReadWidth(reader, width(lines_column::kAccumulated));
            for (int32_t i = 1; i < kMaxValueCount; ++i)
                ReadWidth(reader, width(lines_column::kFirstValue + i));
        }
        return true;
    }
    case 'x':
        if (key == "xtna")
            settings.textExportChoice = kTextExportAll;
        else if (key == "xtnh")
            settings.textExportChoice = kTextExportHeaders;
        else if (key == "xtg+")
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
    for (CardsColumn& column : settings.columns) {
        column.width = column.shown && next < olderWidths.size() ? olderWidths[next++] : 0;
    }
    olderWidths.clear();
}

void LinesTemplate::WriteDefinition(TextWriter& writer) const
{
    const Base& base = GetBase();
    int32_t values = base.ValueCount();
    AnalysisTemplate::WriteDefinition(writer);
    selection.Write(writer, 'B');

    writer.PutChar('Q');
    writer.PutSeparator();
    writer.PutChar(uint8_t('A' + std::clamp(settings.mainValueField, 0, kMaxValueCount - 1)));
    writer.EndRow();

    writer.PutChar('D');
    writer.PutSeparator();
    for (int32_t i = 0; i < values; ++i) {
        char letter = DigitFtmCodeLetter(settings.ValueDecimals(base, i));
        writer.PutChar(uint8_t(letter != 0 ? letter : '0'));
    }
    writer.EndRow();

    char statisticsLetter = DigitFtmCodeLetter(settings.StatisticsDecimals(base));
    writer.PutChar('d');
    writer.PutSeparator();
    writer.PutChar(uint8_t(statisticsLetter != 0 ? statisticsLetter : '0'));
    writer.EndRow();

    bool coloured = false;
    for (int32_t i = 0; i < values; ++i)
        coloured = coloured || settings.columns[size_t(lines_column::kFirstValue + i)].signColouring != 0;
    if (coloured) {
        writer.PutChar('R');
        writer.PutSeparator();
        for (int32_t i = 0; i < values; ++i) {
            char letter =
                LetterAt(kLinesSignLetters, settings.columns[size_t(lines_column::kFirstValue + i)].signColouring);
            writer.PutChar(uint8_t(letter != 0 ? letter : '-'));
        }
        writer.EndRow();
    }
    if (settings.statisticsColouring != 0) {
        char letter = LetterAt(kLinesSignLetters, settings.statisticsColouring);
        writer.PutChar('r');
        writer.PutSeparator();
        writer.PutChar(uint8_t(letter != 0 ? letter : '-'));
        writer.EndRow();
    }
    if (settings.columns[lines_column::kDate].shown) {
        char letter = LetterAt(kLinesDateStyleLetters, settings.dateStyle);
        writer.PutChar('Y');
        if (letter != 0)
            writer.PutChar(uint8_t(letter));
        writer.EndRow();
    }
    int32_t lastDimension = base.DimsInUse();
    bool displaySet = false;
    for (int32_t d = 0; d <= lastDimension && d < int32_t(kDimensionCount); ++d)
        displaySet = displaySet || settings.columns[size_t(lines_column::kDimension1 + d)].itemDisplay != -1;
    if (displaySet) {
        writer.PutChar('T');
        writer.PutSeparator();
        for (int32_t d = 0; d <= lastDimension && d < int32_t(kDimensionCount); ++d)
            writer.PutChar(uint8_t(DisplayLetterFromCode(settings.columns[size_t(lines_column::kDimension1 + d)].itemDisplay)));
        writer.EndRow();
    }
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

    int32_t keys = std::clamp(settings.sortKeyCount, 1, kMaxCardsSortKeys);
    for (int32_t k = 0; k < keys; ++k) {
        String code;
        AppendColumnCode(code, settings.sortKeys[size_t(k)].column);
        WriteSortKeyLine(writer, 'S', k + 1, settings.sortKeys[size_t(k)], code);
    }
    chartFlags.Write(writer);
    if (zcText.Get() && *zcText.Get()) {
        writer.PutText("ZC");
        writer.PutSeparator();
        writer.PutLongText(zcText.Get());
        writer.EndRow();
    }
    if (settings.zsFlag != 0)
        writer.WriteLine("ZS");
    writer.WriteLine(settings.textExportChoice == kTextExportHeaders ? "xtnh" : "xtna");
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
    String name;
    String value;
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("/template"))
            return;
        if (reader.IsTag("selection")) {
            selection.ReadXml(reader);
        } else if (reader.IsTag("columns")) {
            while (reader.NextAttribute(name, value)) {
                int32_t column = LinesColumnFromXmlName(name.View());
                int32_t on = ParseOnOff(value.View());
                if (column >= 0 && on >= 0)
                    settings.columns[size_t(column)].shown = on;
            }
        } else if (reader.IsTag("headers")) {
            while (reader.NextAttribute(name, value)) {
                int32_t on = ParseOnOff(value.View());
                for (const LinesStatisticEntry& entry : FlaggedLinesStatistics()) {
                    if (on >= 0 && CStrEqualNoCase(name.View(), entry.xmlName))
                        settings.statistics[entry.statistic] = uint8_t(on);
                }
            }
        } else if (reader.IsTag("values")) {
            while (reader.NextAttribute(name, value)) {
                if (!CStrEqualNoCase(name.View(), "decimals"))
                    continue;
                for (int32_t i = 0; i < value.Length() && i < kMaxValueCount; ++i)
                    ParseDigitFtmCodeLetter(settings.columns[size_t(lines_column::kFirstValue + i)].decimals,
                                            value.CStr()[i]);
            }
        } else if (reader.IsTag("export-options")) {
            Export().ReadXmlAttributes(reader, GetBase());
        } else if (!reader.IsEmptyOrEndTag()) {
            reader.SkipElement();
        }
    }
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
        const char* text = value ? value : "";
        const char* end = text + std::strlen(text);
        const char* colon = std::strchr(text, ':');
        int32_t used = 0;
        int32_t column = LinesColumnFromCode(text, colon ? colon : end, used);
        if (column < 0 || column == lines_column::kAccumulated)
            return;
        CardsSortKey& key = settings.sortKeys[0];
        key.column = column;
        if (colon && colon[1] != 0) {
            char letter = colon[1];
            if (LinesDimensionOfColumn(column) >= 0)
                ParseItemDisplayCode(key.itemDisplay, letter);
            else if (LinesValueFieldOfColumn(column) >= 0)
                ParseValueSortCode(key.valueSort, letter);
            else if (column == lines_column::kCardId || column == lines_column::kDate)
                ParseSortDirectionCode(key.dateDirection, letter);
            else
                ParseSortDirectionCode(key.textDirection, letter);
        }
        settings.sortKeyCount = 1;
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
