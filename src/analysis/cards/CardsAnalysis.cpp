// CardsAnalysis: a cards analysis behind the computation interface.
#include "analysis/cards/CardsAnalysis.h"

#include <string>
#include <vector>

#include "analysis/CompiledSelection.h"
#include "analysis/cards/CardsTemplate.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

const char* CardsRowKindName(CardsRowKind kind)
{
    switch (kind) {
    case CardsRowKind::Card: return "card";
    case CardsRowKind::Group: return "group";
    case CardsRowKind::Line: return "line";
    case CardsRowKind::Notes: return "notes";
    case CardsRowKind::Signatures: return "signatures";
    }
    return "";
}

// The line's place in its card, counting the lines of every group; 0 when it is not there.
int32_t LinePlaceInCard(const Base& base, const Card* card, const CardLine* line)
{
    int32_t place = 0;
    for (const CardGroup* g = base.FirstGroup(card); g; g = base.NextGroup(g)) {
        for (const CardLine* l = base.FirstLine(g); l; l = base.NextLine(l)) {
            ++place;
            if (l == line)
                return place;
        }
    }
    return place;
}

}  // namespace

CardsAnalysis::CardsAnalysis(const CardsTemplate& definition)
    : definition(definition), computation(definition.GetBase())
{
    computation.Settings() = definition.Settings();
}

CardsAnalysis::~CardsAnalysis() = default;

void CardsAnalysis::SetPeriod(const AnalysisPeriod& period)
{
    computation.SetPeriod(period.from.value_or(MakePackedDate(1900, 1, 1)), period.to.value_or(kEndDate));
}

void CardsAnalysis::Compute(AnalysisHost& host)
{
    CompiledSelection selection(definition.GetBase(), definition.Selection());
    computation.Recalculate(host, selection);
}

void CardsAnalysis::ReadRows(ResultRowReader& reader) const
{
    Base& base = definition.GetBase();
    std::vector<ResultCell> cells;
    std::vector<int32_t> valueColumns;
    for (const char* title : {"kind", "card", "group", "line", "text"})
        cells.push_back(ResultCell::OfText(title));
    for (int32_t column : computation.ShownColumns()) {
        int32_t field = ValueFieldOfCardsColumn(column);
        if (field < 0)
            continue;
        valueColumns.push_back(column);
        String name;
        base.GetValueFieldName(field, name);
        cells.push_back(ResultCell::OfText(name.CStr()));
    }
    reader.Row(cells);

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
            lineNumber = LinePlaceInCard(base, card, line);
            text.AssignCStr(line->Text());
            break;
        case CardsRowKind::Notes:
            CleanNotesForCell(card->notes, text);
            break;
        case CardsRowKind::Signatures:
            computation.SignaturesText(card, text);
            break;
        }
        cells.clear();
        cells.push_back(ResultCell::OfText(CardsRowKindName(row.kind)));
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
        bool groupShown = row.kind == CardsRowKind::Group || row.kind == CardsRowKind::Line;
        cells.push_back(groupShown ? ResultCell::OfText(groupText.CStr()) : ResultCell::OfText(""));
        cells.push_back(lineNumber > 0 ? ResultCell::OfText(std::to_string(lineNumber)) : ResultCell::Blank());
        cells.push_back(ResultCell::OfText(row.kind == CardsRowKind::Group ? groupText.CStr() : text.CStr()));
        for (int32_t column : valueColumns) {
            if (line)
                cells.push_back(ResultCell::OfNumber(base.GetLineValue(line, ValueFieldOfCardsColumn(column))));
            else
                cells.push_back(ResultCell::Blank());
        }
        reader.Row(cells);
    }
}

bool CardsAnalysis::ReadShownLines(ShownLineReader& reader) const
{
    Base& base = definition.GetBase();
    Card* card = nullptr;
    CardGroup* group = nullptr;
    bool cardHadLines = true;
    // A card row without line rows stands for the whole card: its lines are given when the next card
    // row (or the end) shows that none of them was listed.
    auto giveWholeCard = [&]() {
        if (cardHadLines || !card)
            return true;
        for (CardGroup* g = base.FirstGroup(card); g; g = base.NextGroup(g)) {
            for (CardLine* l = base.FirstLine(g); l; l = base.NextLine(l)) {
                if (!reader.Line(card, g, l))
                    return false;
            }
        }
        return true;
    };
    for (int32_t i = 0; i < computation.RowCount(); ++i) {
        CardsResultRow row = computation.RowInComputationOrder(i);
        if (row.kind == CardsRowKind::Card) {
            if (!giveWholeCard())
                return false;
            card = base.CardAt(row.object);
            group = nullptr;
            cardHadLines = false;
        } else if (row.kind == CardsRowKind::Group) {
            group = base.GroupAt(row.object);
        } else if (row.kind == CardsRowKind::Line && card && group) {
            cardHadLines = true;
            if (!reader.Line(card, group, base.LineAt(row.object)))
                return false;
        }
    }
    return giveWholeCard();
}

}  // namespace vek
