// TimeFunctionsAnalysis: a time-functions analysis behind the computation interface.
#include "analysis/timefunctions/TimeFunctionsAnalysis.h"

#include <vector>

#include "analysis/timefunctions/TimeFunctionRow.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"
#include "foundation/numbers/CardKey.h"
#include "model/base/Base.h"

namespace vek {

TimeFunctionsAnalysis::TimeFunctionsAnalysis(const TimeFunctionsTemplate& definition)
    : computation(definition.GetBase())
{
    computation.LoadTemplate(definition);
}

TimeFunctionsAnalysis::~TimeFunctionsAnalysis() = default;

void TimeFunctionsAnalysis::SetPeriod(const AnalysisPeriod& period)
{
    if (!period.from && !period.to)
        return;
    CardKey start = computation.AxisStart();
    CardKey end = computation.AxisEnd();
    if (period.from)
        start = CardKey{*period.from, 0};
    if (period.to)
        end = CardKey{*period.to, kOpenEndNumber};
    computation.SetAxis(start, end);
}

void TimeFunctionsAnalysis::Compute(AnalysisHost& host)
{
    computation.Compute(host);
}

void TimeFunctionsAnalysis::ReadRows(ResultRowReader& reader) const
{
    if (computation.RowCount() <= kTotalsRow)
        return;
    std::vector<ResultCell> cells;
    cells.push_back(ResultCell::OfText("row"));
    cells.push_back(ResultCell::OfText("period"));
    for (const TimeFunctionRow* row : computation.Columns())
        cells.push_back(ResultCell::OfText(row->Name().CStr()));
    reader.Row(cells);
    int32_t digits = computation.GetBase().CardNumberDigits();
    auto readRow = [&](const char* kind, int32_t r, bool withKey) {
        cells.clear();
        cells.push_back(ResultCell::OfText(kind));
        if (withKey) {
            CardKey key = computation.RowKey(r);
            char text[kCardKeyTextCapacity];
            if (key.number == kOpenEndNumber)
                FormatPackedDateDigits(text, key.date);
            else
                FormatCardKey(text, key, digits);
            cells.push_back(ResultCell::OfText(text));
        } else {
            cells.push_back(ResultCell::Blank());
        }
        for (int32_t c = 0; c < computation.ColumnCount(); ++c)
            cells.push_back(ResultCell::OfNumber(computation.Cell(r, c)));
        reader.Row(cells);
    };
    readRow("opening", kOpeningRow, true);
    for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
        readRow("period", r, true);
    if (computation.HasTotals())
        readRow("totals", kTotalsRow, false);
}

}  // namespace vek
