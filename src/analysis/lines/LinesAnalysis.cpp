// LinesAnalysis: a lines analysis behind the computation interface.
#include "analysis/lines/LinesAnalysis.h"

#include <vector>

#include "analysis/CompiledSelection.h"
#include "analysis/lines/LinesHistogram.h"
#include "analysis/lines/LinesTemplate.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

// The quantity that a statistics row shows for one field.
double LinesStatisticOfRow(const LinesFieldStatistics& s, LinesStatistic statistic,
                           const LinesComputation& computation)
{
    switch (statistic) {
    case LinesStatistic::Before: return s.before;
    case LinesStatistic::Positive: return s.positive;
    case LinesStatistic::Negative: return s.negative;
    case LinesStatistic::Period: return s.period;
    case LinesStatistic::After: return s.after;
    case LinesStatistic::LineCount: return computation.LineRowCount();
    case LinesStatistic::CardCount: return computation.CardCount();
    case LinesStatistic::Average: return s.average;
    case LinesStatistic::Median: return s.median;
    case LinesStatistic::Maximum: return s.maximum;
    case LinesStatistic::Minimum: return s.minimum;
    case LinesStatistic::TurnoverTime: return s.turnoverTime;
    case LinesStatistic::TurnoverRate: return s.turnoverRate;
    case LinesStatistic::Variance: return s.variance;
    case LinesStatistic::StandardDeviation: return s.standardDeviation;
    case LinesStatistic::PositiveInterest: return s.positiveInterest;
    case LinesStatistic::NegativeInterest: return s.negativeInterest;
    }
    return 0.0;
}

}  // namespace

LinesAnalysis::LinesAnalysis(const LinesTemplate& definition)
    : definition(definition), computation(definition.GetBase())
{
    computation.Settings() = definition.Settings();
}

LinesAnalysis::~LinesAnalysis() = default;

void LinesAnalysis::SetPeriod(const AnalysisPeriod& period)
{
    const auto [from, to] = period.OverCardDates(definition.GetBase());
    computation.SetPeriod(from, to);
}

void LinesAnalysis::Compute(AnalysisHost& host)
{
    CompiledSelection selection(definition.GetBase(), definition.Selection());
    computation.Recalculate(host, selection);
}

void LinesAnalysis::ReadRows(ResultRowReader& reader) const
{
    Base& base = definition.GetBase();
    std::vector<ResultCell> cells;
    int32_t fieldCount = int32_t(computation.Statistics().size());
    cells.push_back(ResultCell::OfText("statistic"));
    for (int32_t k = 0; k < fieldCount; ++k) {
        String name;
        base.GetValueFieldName(k, name);
        cells.push_back(ResultCell::OfText(name.CStr()));
    }
    reader.Row(cells);
    for (int32_t i = 0; i < computation.StatisticsRowCount(); ++i) {
        LinesStatistic statistic;
        if (!LinesStatisticFromRowId(int32_t(computation.RowAt(i).line), statistic))
            continue;  // the blank row that closes the block
        cells.clear();
        cells.push_back(ResultCell::OfText(LinesStatisticInfo(statistic).xmlName));
        for (int32_t k = 0; k < fieldCount; ++k)
            cells.push_back(ResultCell::OfNumber(
                LinesStatisticOfRow(computation.Statistics()[size_t(k)], statistic, computation)));
        reader.Row(cells);
    }
    reader.Row({});

    int32_t main = computation.Settings().mainValueField;
    String mainName;
    if (main < fieldCount)
        base.GetValueFieldName(main, mainName);
    cells.clear();
    for (const char* title : {"card", "group", "text"})
        cells.push_back(ResultCell::OfText(title));
    cells.push_back(ResultCell::OfText(mainName.CStr()));
    cells.push_back(ResultCell::OfText("balance"));
    reader.Row(cells);
    for (int32_t i = computation.StatisticsRowCount(); i < computation.RowCount(); ++i) {
        LinesResultRow row = computation.RowAt(i);
        const Card* card = base.CardAt(row.card);
        const CardGroup* group = base.GroupAt(row.group);
        const CardLine* line = base.LineAt(row.line);
        cells.clear();
        CardKey key;
        base.GetCardKey(card, key);
        String keyText;
        FormatCardKey(keyText, key, base.CardNumberDigits());
        cells.push_back(ResultCell::OfText(keyText.CStr()));
        String groupText;
        if (group) {
            const Component* component = base.ComponentAt(uint32_t(group->key));
            if (component && !component->IsRoot())
                base.FormatComponentPlain(groupText, component, 0);
        }
        cells.push_back(ResultCell::OfText(groupText.CStr()));
        String text;
        if (line)
            text.AssignCStr(line->Text());
        cells.push_back(ResultCell::OfText(text.CStr()));
        if (line && main < fieldCount)
            cells.push_back(ResultCell::OfNumber(base.GetLineValue(line, main)));
        else
            cells.push_back(ResultCell::Blank());
        cells.push_back(ResultCell::OfNumber(row.balance));
        reader.Row(cells);
    }
    if (computation.Settings().chartChoice == kLinesChartHistogram && computation.HasChartableRows())
        ReadHistogramRows(reader);
}

void LinesAnalysis::ReadHistogramRows(ResultRowReader& reader) const
{
    double low = 0.0;
    double high = 0.0;
    computation.MainValueRange(low, high);
    LinesHistogram histogram = BuildHistogram(computation, low, high);
    reader.Row({});
    std::vector<ResultCell> cells;
    for (const char* title : {"histogram", "from", "to", "lines"})
        cells.push_back(ResultCell::OfText(title));
    reader.Row(cells);
    for (int32_t bin = 0; bin < histogram.binCount; ++bin) {
        cells.clear();
        cells.push_back(ResultCell::OfText("bin"));
        cells.push_back(ResultCell::OfNumber(histogram.start + bin * histogram.step));
        cells.push_back(ResultCell::OfNumber(histogram.start + (bin + 1) * histogram.step));
        cells.push_back(ResultCell::OfNumber(histogram.counts[size_t(bin)]));
        reader.Row(cells);
    }
}

bool LinesAnalysis::ReadShownLines(ShownLineReader& reader) const
{
    Base& base = definition.GetBase();
    for (int32_t i = computation.StatisticsRowCount(); i < computation.RowCount(); ++i) {
        LinesResultRow row = computation.RowAt(i);
        Card* card = base.CardAt(row.card);
        CardGroup* group = base.GroupAt(row.group);
        CardLine* line = base.LineAt(row.line);
        if (card && group && line && !reader.Line(card, group, line))
            return false;
    }
    return true;
}

}  // namespace vek
