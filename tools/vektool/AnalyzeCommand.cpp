// vek-tool analyze: the result rows of a template of a base, in display order.
#include "VekToolCommands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/CardsComputation.h"
#include "analysis/CompiledSelection.h"
#include "analysis/LinesComputation.h"
#include "analysis/TimeFunctionRow.h"
#include "analysis/TimeFunctionsComputation.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "model/templates/CardsTemplate.h"
#include "model/templates/LinesTemplate.h"
#include "model/templates/Template.h"
#include "model/templates/TimeFunctionsTemplate.h"

namespace vektool {

namespace {

// A text as one field: tabs become blanks and line breaks the two characters "\r".
void PrintField(const char* text)
{
    std::putchar('\t');
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '\t')
            std::putchar(' ');
        else if (*p == '\r' || *p == '\n')
            std::fputs("\\r", stdout);
        else
            std::putchar(*p);
    }
}

const char* KindName(vek::CardsRowKind kind)
{
    switch (kind) {
    case vek::CardsRowKind::Card: return "card";
    case vek::CardsRowKind::Group: return "group";
    case vek::CardsRowKind::Line: return "line";
    case vek::CardsRowKind::Notes: return "notes";
    case vek::CardsRowKind::Signatures: return "signatures";
    }
    return "";
}

void PrintCardsRows(vek::Base& base, const vek::CardsComputation& computation)
{
    using namespace vek;
    std::vector<int32_t> valueColumns;
    std::fputs("kind\tcard\tgroup\tline\ttext", stdout);
    for (int32_t column : computation.ShownColumns()) {
        int32_t field = ValueFieldOfCardsColumn(column);
        if (field < 0)
            continue;
        valueColumns.push_back(column);
        String name;
        base.GetValueFieldName(field, name);
        PrintField(name.CStr());
    }
    std::putchar('\n');

    const Card* card = nullptr;
    const CardGroup* group = nullptr;
    String text;
    for (int32_t i = 0; i < computation.RowCount(); ++i) {
        CardsResultRow row = computation.RowAt(i);
        int32_t lineNumber = 0;
        const CardLine* line = nullptr;
        text.AssignCStr(nullptr);
        switch (row.kind) {
        case CardsRowKind::Card:
            card = base.CardAt(row.object);
            group = nullptr;
            text.AssignCStr(card->title);
            break;
        case CardsRowKind::Group:
            group = base.GroupAt(row.object);
            break;
        case CardsRowKind::Line:
            line = base.LineAt(row.object);
            // The line's place in its card, counting the lines of every group.
            for (const CardGroup* g = base.FirstGroup(card); g; g = base.NextGroup(g)) {
                for (const CardLine* l = base.FirstLine(g); l; l = base.NextLine(l)) {
                    ++lineNumber;
                    if (l == line)
                        goto counted;
                }
            }
        counted:
            text.AssignCStr(line->Text());
            break;
        case CardsRowKind::Notes:
            CleanNotesForCell(card->notes, text);
            break;
        case CardsRowKind::Signatures:
            computation.SignaturesText(card, text);
            break;
        }
        std::fputs(KindName(row.kind), stdout);
        CardKey key;
        base.GetCardKey(card, key);
        String keyText;
        FormatCardKey(keyText, key, base.CardNumberDigits());
        PrintField(keyText.CStr());
        String groupText;
        if (group) {
            const Component* component = base.ComponentAt(uint32_t(group->key));
            if (component && !component->IsRoot())
                base.FormatComponentPlain(groupText, component, 0);
        }
        PrintField(row.kind == CardsRowKind::Group || row.kind == CardsRowKind::Line ? groupText.CStr() : "");
        std::putchar('\t');
        if (lineNumber > 0)
            std::printf("%d", lineNumber);
        PrintField(row.kind == CardsRowKind::Group ? groupText.CStr() : text.CStr());
        for (int32_t column : valueColumns) {
            std::putchar('\t');
            if (line)
                PrintColumnSum(base.GetLineValue(line, ValueFieldOfCardsColumn(column)), 7);
        }
        std::putchar('\n');
    }
}

// The quantity that a statistics row shows for one field.
double StatisticValue(const vek::LinesFieldStatistics& s, int32_t id, const vek::LinesComputation& computation)
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

// The statistics block (one line per statistics row, one column per value field), a blank line, then
// one line per line row with the main field's value and the running balance.
void PrintLinesRows(vek::Base& base, const vek::LinesComputation& computation)
{
    using namespace vek;
    int32_t fieldCount = int32_t(computation.Statistics().size());
    std::fputs("statistic", stdout);
    for (int32_t k = 0; k < fieldCount; ++k) {
        String name;
        base.GetValueFieldName(k, name);
        PrintField(name.CStr());
    }
    std::putchar('\n');
    for (int32_t i = 0; i < computation.StatisticsRowCount(); ++i) {
        int32_t id = int32_t(computation.RowAt(i).line);
        if (id == 0)
            continue;
        std::fputs(LinesStatisticXmlName(id), stdout);
        for (int32_t k = 0; k < fieldCount; ++k) {
            std::putchar('\t');
            PrintColumnSum(StatisticValue(computation.Statistics()[size_t(k)], id, computation), 7);
        }
        std::putchar('\n');
    }
    std::putchar('\n');
    int32_t main = computation.Settings().mainValueField;
    String mainName;
    if (main < fieldCount)
        base.GetValueFieldName(main, mainName);
    std::fputs("card\tgroup\ttext", stdout);
    PrintField(mainName.CStr());
    std::fputs("\tbalance\n", stdout);
    for (int32_t i = computation.StatisticsRowCount(); i < computation.RowCount(); ++i) {
        LinesResultRow row = computation.RowAt(i);
        const Card* card = base.CardAt(row.card);
        const CardGroup* group = base.GroupAt(row.group);
        const CardLine* line = base.LineAt(row.line);
        CardKey key;
        base.GetCardKey(card, key);
        String keyText;
        FormatCardKey(keyText, key, base.CardNumberDigits());
        std::fputs(keyText.CStr(), stdout);
        String groupText;
        if (group) {
            const Component* component = base.ComponentAt(uint32_t(group->key));
            if (component && !component->IsRoot())
                base.FormatComponentPlain(groupText, component, 0);
        }
        PrintField(groupText.CStr());
        String text;
        if (line)
            text.AssignCStr(line->Text());
        PrintField(text.CStr());
        std::putchar('\t');
        if (line && main < fieldCount)
            PrintColumnSum(base.GetLineValue(line, main), 7);
        std::putchar('\t');
        PrintColumnSum(row.balance, 7);
        std::putchar('\n');
    }
}

// The period table: a header of the visible rows' names, then the opening row, the periods in time
// order and the totals row when a row is summed. A period keyed by its last day shows that day; one
// keyed by a card (kinds C, G and L) shows the card key.
void PrintTimeFunctionsRows(vek::Base& base, const vek::TimeFunctionsComputation& computation)
{
    using namespace vek;
    if (computation.RowCount() <= kTotalsRow)
        return;
    std::fputs("row\tperiod", stdout);
    for (const TimeFunctionRow* row : computation.Columns())
        PrintField(row->Name().CStr());
    std::putchar('\n');
    auto printRow = [&](const char* kind, int32_t r, bool withKey) {
        std::fputs(kind, stdout);
        std::putchar('\t');
        if (withKey) {
            CardKey key = computation.RowKey(r);
            char text[kCardKeyTextCapacity];
            if (key.number == kOpenEndNumber)
                FormatPackedDateDigits(text, key.date);
            else
                FormatCardKey(text, key, base.CardNumberDigits());
            std::fputs(text, stdout);
        }
        for (int32_t c = 0; c < computation.ColumnCount(); ++c) {
            std::putchar('\t');
            PrintColumnSum(computation.Cell(r, c), 7);
        }
        std::putchar('\n');
    };
    printRow("opening", kOpeningRow, true);
    for (int32_t r = kFirstPeriodRow; r < computation.RowCount(); ++r)
        printRow("period", r, true);
    if (computation.HasTotals())
        printRow("totals", kTotalsRow, false);
}

}  // namespace

int Analyze(Arguments arguments)
{
    using namespace vek;
    const char* password = TakePassword(arguments);
    PackedDate from = MakePackedDate(1900, 1, 1);
    PackedDate to = kEndDate;
    bool fromGiven = false;
    bool toGiven = false;
    std::vector<const char*> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        bool isFrom = std::strcmp(arguments[i], "--from") == 0;
        if (isFrom || std::strcmp(arguments[i], "--to") == 0) {
            if (i + 1 >= arguments.size())
                return ReportUsage();
            const char* text = arguments[++i];
            PackedDate date = ParsePackedDate(text, int32_t(std::strlen(text)), isFrom ? -1 : 1);
            if (date == 0)
                return ReportUsage();
            (isFrom ? from : to) = date;
            (isFrom ? fromGiven : toGiven) = true;
            continue;
        }
        positional.push_back(arguments[i]);
    }
    if (positional.size() != 2)
        return ReportUsage();
    const char* file = positional[0];
    const char* path = positional[1];
    OpenedBase base = LoadFile(CommandLinePath(file), password);
    if (!base)
        return ReportFailure("open", file);
    Template* node = base->FindTemplate(path);
    if (!node || node->IsGroup()) {
        std::fprintf(stderr, "vek-tool: the base has no template \"%s\"\n", path);
        return 1;
    }
    if (node->Kind() == TemplateKind::Lines) {
        auto& lines = static_cast<LinesTemplate&>(*node);
        // Balance-days and interest run to the period's end: without dates the period is the base's
        // first to last card date, not the open end of the calendar.
        if (base->FirstCard() != base->ChainEnd()) {
            if (!fromGiven)
                from = base->CardDate(base->FirstCard());
            if (!toGiven)
                to = base->CardDate(base->LastCard());
        }
        LinesComputation computation(*base);
        computation.Settings() = lines.Settings();
        computation.SetPeriod(from, to);
        CompiledSelection selection(*base, lines.Selection());
        AnalysisHost host;
        computation.Recalculate(host, selection);
        int status = IsErrorPending() ? ReportFailure("analyze", file) : 0;
        PrintLinesRows(*base, computation);
        return status;
    }
    if (node->Kind() == TemplateKind::TimeFunctions) {
        auto& timeFunctions = static_cast<TimeFunctionsTemplate&>(*node);
        TimeFunctionsComputation computation(*base);
        computation.LoadTemplate(timeFunctions);
        // Dates given on the command line replace the template's axis.
        if (fromGiven || toGiven) {
            CardKey start = computation.AxisStart();
            CardKey end = computation.AxisEnd();
            if (fromGiven)
                start = CardKey{from, 0};
            if (toGiven)
                end = CardKey{to, kOpenEndNumber};
            computation.SetAxis(start, end);
        }
        AnalysisHost host;
        computation.Compute(host);
        int status = IsErrorPending() ? ReportFailure("analyze", file) : 0;
        PrintTimeFunctionsRows(*base, computation);
        return status;
    }
    if (node->Kind() != TemplateKind::Cards) {
        std::fprintf(stderr, "vek-tool: templates of the kind \"%s\" cannot be computed yet\n",
                     TemplateKindName(node->Kind()));
        return 1;
    }
    auto& cards = static_cast<CardsTemplate&>(*node);
    CardsComputation computation(*base);
    computation.Settings() = cards.Settings();
    computation.SetPeriod(from, to);
    CompiledSelection selection(*base, cards.Selection());
    AnalysisHost host;
    computation.Recalculate(host, selection);
    // A run that could not complete says so on stderr; the rows it has are printed all the same.
    int status = IsErrorPending() ? ReportFailure("analyze", file) : 0;
    PrintCardsRows(*base, computation);
    return status;
}

}  // namespace vektool
