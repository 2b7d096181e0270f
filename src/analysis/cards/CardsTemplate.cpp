// CardsTemplate: the keyed lines of the cards analysis template.
#include "analysis/cards/CardsTemplate.h"

#include <algorithm>
#include <cstring>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "analysis/AnalysisCodeLetters.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"

namespace vek {

namespace {

// The version date up to which the letter form of "P" had its first letters.
constexpr int32_t kFirstLetterColumnsUntil = 19981028;
constexpr int32_t kBulletWidthCount = 40;

// The columns of the letter form of "P" (files up to 20001218).
int32_t ColumnOfLetter(char letter, int32_t version)
{
    if (version <= kFirstLetterColumnsUntil) {
        if (letter == 'L')
            return cards_column::kDimension2;
        if (letter == '2')
            return cards_column::kFirstValue;
        if (letter == 'V')
            return cards_column::kLineText;
    }
    switch (letter) {
    case 'I': return cards_column::kCardId;
    case 'T': return cards_column::kTitle;
    case '1': return cards_column::kDimension1;
    case '2': return cards_column::kDimension2;
    case 'L': return cards_column::kLineText;
    case 'V': return cards_column::kFirstValue;
    default: break;
    }
    if (letter >= 'a' && letter <= 'e')
        return 7 + (letter - 'a');
    if (letter >= '3' && letter <= '9')
        return 30 + (letter - '3');
    if (letter >= 'A' && letter <= 'C')
        return 37 + (letter - 'A');
    return -1;
}

void PutCardsWidthField(TextWriter& writer, int32_t width)
{
    writer.PutSeparator();
    if (width != 0)
        writer.PutInt(width);
}

constexpr TableColumnLayout kCardsTableLayout{cards_column::kCount,
                                               cards_column::kFirstValue,
                                               cards_column::kCardId,
                                               cards_column::kDate,
                                               CardsColumnOfDimension,
                                               DimensionOfCardsColumn,
                                               ValueFieldOfCardsColumn,
                                               IsSortableCardsColumn,
                                               CardsColumnFromCode,
                                               AppendCardsColumnCode,
                                               ColumnOfLetter,
                                               CardsColumnFromXmlName};
constexpr TableTemplatePart kCardsTablePart{kCardsTableLayout};

}  // namespace

CardsTemplate::CardsTemplate(Base& base) : AnalysisTemplate(TemplateKind::Cards, base), selection(base)
{
    SetDefaults();
}

CardsTemplate::~CardsTemplate() = default;

void CardsTemplate::SetDefaults() { settings.SetDefaults(GetBase(), GetDateStyle()); }

void CardsTemplate::Reset()
{
    AnalysisTemplate::Reset();
    selection.Clear();
    SetDefaults();
}

void CardsTemplate::WriteShownColumns(String& out) const
{
    kCardsTablePart.WriteShownColumns(out, GetBase(), settings.columns);
}

void CardsTemplate::ReadShownColumns(std::string_view value, int32_t version)
{
    kCardsTablePart.ReadShownColumns(value, version, settings.columns);
}

bool CardsTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
{
    char first = key[0];
    char second = key.size() > 1 ? key[1] : '\0';
    if (context.IsBulletFile()) {
        if (TableTemplatePart::ReadOldSelectionKey(key, reader, selection))
            return true;
        if (key == "xW") {
            (void)reader.NextFieldRaw();
            for (int32_t i = 0; i < kBulletWidthCount; ++i) {
                int32_t column = i < 7 ? i : 30 + (i - 7);
                ReadWidthField(reader, settings.columns[size_t(column)].width);
            }
            return true;
        }
    }
    switch (first) {
    case 'B':
        (void)reader.NextFieldRaw();
        selection.ReadKeyLine(key.substr(1), reader);
        return true;
    case 'D':
        if (key.size() != 1)
            return false;
        (void)reader.NextFieldRaw();
        kCardsTablePart.ReadDecimals(reader, settings.columns);
        return true;
    case 'G':
        if (key != "GC")
            return false;
        settings.gcFlag = 1;
        return true;
    case 'P':
        if (key.size() != 1)
            return false;
        (void)reader.NextFieldRaw();
        kCardsTablePart.ReadShownColumnsLine(reader, context.version, settings.columns);
        return true;
    case 'Q':
        if (second < '1' || second > '8')
            return false;
        (void)reader.NextFieldRaw();
        kCardsTablePart.ReadSortKey(key, reader, settings.sortKeys, settings.sortKeyCount);
        return true;
    case 'R':
        if (key.size() != 1)
            return false;
        (void)reader.NextFieldRaw();
        kCardsTablePart.ReadSignColourings(reader, settings.columns);
        return true;
    case 'S':
        if (key.size() != 1)
            return false;
        (void)reader.NextFieldRaw();
        ReadLetterField(reader, 2, [this](int32_t i, char letter) {
            int32_t content = FindNsaLetter(letter);
            if (content >= 0)
                (i == 0 ? settings.groupsContent : settings.linesContent) = CardsContent(content);
        });
        return true;
    case 'T':
        if (key.size() != 1)
            return false;
        (void)reader.NextFieldRaw();
        kCardsTablePart.ReadItemDisplays(reader, settings.columns);
        return true;
    case 'Y':
        (void)reader.NextFieldRaw();
        TableTemplatePart::ReadDateStyle(key, reader, settings.dateStyle);
        return true;
    case 'w': {
        int32_t column = second == 'C' ? cards_column::kCardId
                         : second == 'Y' ? cards_column::kTitle
                         : second == 'L' ? cards_column::kLineText
                         : second == 'H' ? cards_column::kOrigin
                                         : -1;
        if (key.size() != 2)
            return false;
        (void)reader.NextFieldRaw();
        if (column >= 0) {
            ReadWidthField(reader, settings.columns[size_t(column)].width);
        } else if (second == 'V') {
            for (int32_t i = 0; i < kMaxValueCount; ++i)
                ReadWidthField(reader, settings.columns[size_t(cards_column::kFirstValue + i)].width);
        } else if (second == 'D') {
            for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
                ReadWidthField(reader, settings.columns[size_t(CardsColumnOfDimension(d))].width);
        }
        return true;
    }
    case 'x':
        return TableTemplatePart::ReadTextExport(key, settings.textExportChoice);
    default:
        return false;
    }
}

void CardsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    std::string_view key = PeekKey(reader);
    if (key.empty() || !ReadOwnKey(key, reader, context))
        AnalysisTemplate::ReadKeyLine(reader, context);
}

void CardsTemplate::WriteDefinition(TextWriter& writer) const
{
    const Base& base = GetBase();
    int32_t values = base.ValueCount();
    AnalysisTemplate::WriteDefinition(writer);
    selection.Write(writer, 'B');

    String shown;
    WriteShownColumns(shown);
    if (!shown.IsEmpty())
        writer.WriteKeyTextLine("P", shown.CStr());

    kCardsTablePart.WriteDecimals(writer, base, settings.columns);
    kCardsTablePart.WriteSignColourings(writer, base, settings.columns);

    if (settings.groupsContent != CardsContent::Selected || settings.linesContent != CardsContent::Selected) {
        char groups = LetterAt(kCardsContentLetters, int32_t(settings.groupsContent));
        char lines = LetterAt(kCardsContentLetters, int32_t(settings.linesContent));
        writer.PutChar('S');
        writer.PutSeparator();
        writer.PutChar(uint8_t(groups != 0 ? groups : 'S'));
        writer.PutChar(uint8_t(lines != 0 ? lines : 'S'));
        writer.EndRow();
    }
    if (settings.gcFlag != 0)
        writer.WriteLine("GC");
    kCardsTablePart.WriteDateStyle(writer, settings.dateStyle, settings.columns);
    kCardsTablePart.WriteItemDisplays(writer, base, settings.columns);

    const struct {
        const char* key;
        int32_t column;
    } singleWidths[] = {{"wC", cards_column::kCardId},
                        {"wY", cards_column::kTitle},
                        {"wL", cards_column::kLineText},
                        {"wH", cards_column::kOrigin}};
    for (const auto& entry : singleWidths) {
        int32_t width = settings.columns[size_t(entry.column)].width;
        if (width != 0)
            writer.WriteKeyIntLine(entry.key, width);
    }
    // The value widths run one column past the last value field.
    bool valueWidths = false;
    for (int32_t i = 0; i <= values; ++i)
        valueWidths = valueWidths || settings.columns[size_t(cards_column::kFirstValue + i)].width != 0;
    if (valueWidths) {
        writer.PutText("wV");
        for (int32_t i = 0; i <= values; ++i)
            PutCardsWidthField(writer, settings.columns[size_t(cards_column::kFirstValue + i)].width);
        writer.EndRow();
    }
    int32_t positions = base.DimensionOrderCount() > 0 ? base.DimensionOrderCount() : int32_t(kDimensionCount);
    auto dimensionWidth = [&](int32_t position) {
        int32_t d = DimensionAtOrderPosition(base, position);
        if (d < 0 || !base.DimensionHasComponents(d))
            return 0;
        return settings.columns[size_t(CardsColumnOfDimension(d))].width;
    };
    bool dimensionWidths = false;
    for (int32_t k = 0; k < positions; ++k)
        dimensionWidths = dimensionWidths || dimensionWidth(k) != 0;
    if (dimensionWidths) {
        writer.PutText("wD");
        for (int32_t k = 0; k < positions; ++k)
            PutCardsWidthField(writer, dimensionWidth(k));
        writer.EndRow();
    }

    kCardsTablePart.WriteSortKeys(writer, 'Q', base, settings.sortKeys, settings.sortKeyCount);
    TableTemplatePart::WriteTextExport(writer, settings.textExportChoice);
}

void CardsTemplate::ReadXml(TextReader& reader)
{
    kCardsTablePart.ReadXml(reader, selection, settings.columns, [this](TextReader& element) {
        if (element.IsTag("export-options")) {
            Export().ReadXmlAttributes(element, GetBase());
            return true;
        }
        if (!element.IsTag("contents"))
            return false;
        String name;
        String value;
        while (element.NextAttribute(name, value)) {
            bool groups = CStrEqualNoCase(name.View(), "groups");
            if (!groups && !CStrEqualNoCase(name.View(), "lines"))
                continue;
            int32_t content = value.IsEmpty() || CStrEqualNoCase(value.View(), "none") ? 0
                              : CStrEqualNoCase(value.View(), "selected")                ? 1
                              : CStrEqualNoCase(value.View(), "all")                     ? 2
                                                                                         : -1;
            if (content >= 0)
                (groups ? settings.groupsContent : settings.linesContent) = CardsContent(content);
        }
        return true;
    });
}

void CardsTemplate::CollectSelectionComponents(BitSet& components)
{
    selection.CollectNamedComponents(components);
}

void CardsTemplate::CollectSelectedLines(BitSet& lines)
{
    selection.MarkSelectedLines(lines);
}

void CardsTemplate::SetOption(const char* optionName, const char* value)
{
    if (optionName && std::strcmp(optionName, "sort") == 0) {
        kCardsTablePart.SetSortOption(value, settings.sortKeys, settings.sortKeyCount);
        return;
    }
    if (optionName && value && selection.SetOption(optionName, value))
        return;
    AnalysisTemplate::SetOption(optionName, value);
}

int64_t CardsTemplate::StoredSize() const
{
    return AnalysisTemplate::StoredSize() + selection.StoredSize() + 1752;
}

}  // namespace vek
