// LinesAnalysis: a lines analysis behind the computation interface.
#include "analysis/lines/LinesAnalysis.h"

#include <vector>

#include "analysis/CompiledSelection.h"
#include "analysis/lines/LinesTemplate.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

// The quantity that a statistics row shows for one field.
double LinesStatisticOfRow(const LinesFieldStatistics& s, int32_t id, const LinesComputation& computation)
{
    switch (id) {
    case 5103: return s.before;
    case 5104: return s.positive;
    case 5105: return s.negative;
    case 5106: return s.period;
    case 5107: return s.after;
    case 5108: return computation.LineRowCount();
    case 5109: return computation.CardCount();
    case 5110: return s.average;
    case 5111: return s.median;
    case 5112: return s.maximum;
    case 5113: return s.minimum;
    case 5114: return s.turnoverTime;
    case 5115: return s.turnoverRate;
    case 5116: return s.variance;
    case 5117: return s.standardDeviation;
    case 5118: return s.positiveInterest;
    case 5119: return s.negativeInterest;
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
    Base& base = definition.GetBase();
    PackedDate from = MakePackedDate(1900, 1, 1);
    PackedDate to = kEndDate;
    if (base.FirstCard() != base.ChainEnd()) {
        from = base.CardDate(base.FirstCard());
        to = base.CardDate(base.LastCard());
    }
    computation.SetPeriod(period.from.value_or(from), period.to.value_or(to));
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
        int32_t id = int32_t(computation.RowAt(i).line);
        if (id == 0)
            continue;
        cells.clear();
        cells.push_back(ResultCell::OfText(LinesStatisticXmlName(id)));
        for (int32_t k = 0; k < fieldCount; ++k)
            cells.push_back(ResultCell::OfNumber(
                LinesStatisticOfRow(computation.Statistics()[size_t(k)], id, computation)));
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
}

}  // namespace vek
