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

constexpr const char* kSignColouringLetters = "-RG";
constexpr const char* kDateStyleLetters = "STWFGHUV";
// Version dates at which the "P" value changed its form.
constexpr int32_t kFirstLetterColumnsUntil = 19981028;
constexpr int32_t kLetterColumnsUntil = 20001218;
constexpr int32_t kBulletWidthCount = 40;

// The columns of the letter form of "P" (files up to 20001218).
int32_t ColumnOfLetter(char letter, bool earliest)
{
    if (earliest) {
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

void ReadIntField(TextReader& reader, int32_t& value)
{
    int32_t read = 0;
    if (reader.NextFieldInt(read))
        value = read;
}

void PutCardsWidthField(TextWriter& writer, int32_t width)
{
    writer.PutSeparator();
    if (width != 0)
        writer.PutInt(width);
}

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

void CardsTemplate::AppendColumnCode(String& out, int32_t column) const
{
    int32_t d = DimensionOfCardsColumn(column);
    AppendCardsColumnCode(out, column, d >= 0 ? GetBase().DimensionOrderIndex(d) + 1 : 0);
}

void CardsTemplate::WriteShownColumns(String& out) const
{
    const Base& base = GetBase();
    for (int32_t column = 0; column < cards_column::kCount; ++column) {
        int32_t field = ValueFieldOfCardsColumn(column);
        if (field >= base.ValueCount())
            continue;
        int32_t position = DimensionOfCardsColumn(column);
        if (position >= 0) {
            // Dimension columns go by position in the dimension order: "D" and k when the
            // dimension standing at position k is shown.
            int32_t d = DimensionAtOrderPosition(base, position);
            if (d < 0 || !settings.columns[size_t(CardsColumnOfDimension(d))].shown)
                continue;
            if (!out.IsEmpty())
                out.AppendChar(',');
            AppendCardsColumnCode(out, column, position + 1);
            continue;
        }
        if (!settings.columns[size_t(column)].shown)
            continue;
        if (!out.IsEmpty())
            out.AppendChar(',');
        AppendCardsColumnCode(out, column, 0);
    }
}

void CardsTemplate::ReadShownColumns(std::string_view value, int32_t version)
{
    auto show = [this](int32_t column) {
        if (column >= 0 && column < cards_column::kCount)
            settings.columns[size_t(column)].shown = 1;
    };
    if (version <= kLetterColumnsUntil) {
        bool earliest = version <= kFirstLetterColumnsUntil;
        for (char letter : value)
            show(ColumnOfLetter(letter, earliest));
        return;
    }
    const char* p = value.data();
    const char* end = p + value.size();
    while (p < end) {
        const char* stop = static_cast<const char*>(std::memchr(p, ',', size_t(end - p)));
        if (!stop)
            stop = end;
        int32_t used = 0;
        show(CardsColumnFromCode(p, stop, used));
        p = stop < end ? stop + 1 : end;
    }
}

void CardsTemplate::ReadSortKey(std::string_view key, TextReader& reader)
{
    int32_t n = key[1] - '0';
    CardsSortKey& sortKey = settings.sortKeys[size_t(n - 1)];
    int32_t used = 0;
    int32_t column = CardsColumnFromCode(key.data() + 2, key.data() + key.size(), used);
    if (IsSortableCardsColumn(column))
        sortKey.column = column;
    ReadSortKeyFields(reader, sortKey);
    if (n > settings.sortKeyCount)
        settings.sortKeyCount = n;
}

bool CardsTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
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
            for (int32_t i = 0; i < kBulletWidthCount; ++i) {
                int32_t column = i < 7 ? i : 30 + (i - 7);
                ReadIntField(reader, settings.columns[size_t(column)].width);
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
        ReadLetterField(reader, kMaxValueCount, [this](int32_t i, char letter) {
            ParseDigitFtmCodeLetter(settings.columns[size_t(cards_column::kFirstValue + i)].decimals, letter);
        });
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
        for (CardsColumn& column : settings.columns)
            column.shown = 0;
        if (reader.NextFieldRaw())
            ReadShownColumns({reader.Token(), size_t(reader.TokenLength())}, context.version);
        return true;
    case 'Q':
        if (second < '1' || second > '8')
            return false;
        (void)reader.NextFieldRaw();
        ReadSortKey(key, reader);
        return true;
    case 'R':
        if (key.size() != 1)
            return false;
        (void)reader.NextFieldRaw();
        ReadLetterField(reader, kMaxValueCount, [this](int32_t i, char letter) {
            ParseLetterOf(kSignColouringLetters,
                          settings.columns[size_t(cards_column::kFirstValue + i)].signColouring, letter);
        });
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
        ReadLetterField(reader, int32_t(kDimensionCount), [this](int32_t d, char letter) {
            settings.columns[size_t(CardsColumnOfDimension(d))].itemDisplay = DisplayCodeFromLetter(letter);
        });
        return true;
    case 'Y': {
        (void)reader.NextFieldRaw();
        char letter = second;
        if (letter == 0)
            (void)reader.NextFieldChar(letter);
        ParseLetterOf(kDateStyleLetters, settings.dateStyle, letter);
        return true;
    }
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
            ReadIntField(reader, settings.columns[size_t(column)].width);
        } else if (second == 'V') {
            for (int32_t i = 0; i < kMaxValueCount; ++i)
                ReadIntField(reader, settings.columns[size_t(cards_column::kFirstValue + i)].width);
        } else if (second == 'D') {
            for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
                ReadIntField(reader, settings.columns[size_t(CardsColumnOfDimension(d))].width);
        }
        return true;
    }
    case 'x':
        if (key == "xtna") {
            settings.textExportChoice = kTextExportAll;
            return true;
        }
        if (key == "xtnh") {
            settings.textExportChoice = kTextExportHeaders;
            return true;
        }
        return false;
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

    writer.PutChar('D');
    writer.PutSeparator();
    for (int32_t i = 0; i < values; ++i) {
        char letter = DigitFtmCodeLetter(settings.ValueDecimals(base, i));
        writer.PutChar(uint8_t(letter != 0 ? letter : '0'));
    }
    writer.EndRow();

    bool coloured = false;
    for (int32_t i = 0; i < values; ++i)
        coloured = coloured || settings.columns[size_t(cards_column::kFirstValue + i)].signColouring != 0;
    if (coloured) {
        writer.PutChar('R');
        writer.PutSeparator();
        for (int32_t i = 0; i < values; ++i) {
            char letter = LetterAt(kSignColouringLetters,
                                   settings.columns[size_t(cards_column::kFirstValue + i)].signColouring);
            writer.PutChar(uint8_t(letter != 0 ? letter : '-'));
        }
        writer.EndRow();
    }

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
    if (settings.columns[cards_column::kDate].shown) {
        char letter = LetterAt(kDateStyleLetters, settings.dateStyle);
        writer.PutChar('Y');
        if (letter != 0)
            writer.PutChar(uint8_t(letter));
        writer.EndRow();
    }

    int32_t lastDimension = base.DimsInUse();  // dimensions 0 .. DimsInUse() are in use
    bool displaySet = false;
    for (int32_t d = 0; d <= lastDimension && d < int32_t(kDimensionCount); ++d)
        displaySet = displaySet || settings.columns[size_t(CardsColumnOfDimension(d))].itemDisplay != -1;
    if (displaySet) {
        writer.PutChar('T');
        writer.PutSeparator();
        for (int32_t d = 0; d <= lastDimension && d < int32_t(kDimensionCount); ++d)
            writer.PutChar(uint8_t(DisplayLetterFromCode(settings.columns[size_t(CardsColumnOfDimension(d))].itemDisplay)));
        writer.EndRow();
    }

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

    int32_t keys = std::clamp(settings.sortKeyCount, 1, kMaxCardsSortKeys);
    for (int32_t k = 0; k < keys; ++k) {
        const CardsSortKey& key = settings.sortKeys[size_t(k)];
        String code;
        AppendColumnCode(code, key.column);
        WriteSortKeyLine(writer, 'Q', k + 1, key, code);
    }
    writer.WriteLine(settings.textExportChoice == kTextExportHeaders ? "xtnh" : "xtna");
}

void CardsTemplate::ReadXml(TextReader& reader)
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
                int32_t column = CardsColumnFromXmlName(name.View());
                int32_t on = ParseOnOff(value.View());
                if (column >= 0 && on >= 0)
                    settings.columns[size_t(column)].shown = on;
            }
        } else if (reader.IsTag("contents")) {
            while (reader.NextAttribute(name, value)) {
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
        } else if (reader.IsTag("values")) {
            while (reader.NextAttribute(name, value)) {
                if (!CStrEqualNoCase(name.View(), "decimals"))
                    continue;
                for (int32_t i = 0; i < value.Length() && i < kMaxValueCount; ++i)
                    ParseDigitFtmCodeLetter(settings.columns[size_t(cards_column::kFirstValue + i)].decimals,
                                            value.CStr()[i]);
            }
        } else if (reader.IsTag("export-options")) {
            Export().ReadXmlAttributes(reader, GetBase());
        } else if (!reader.IsEmptyOrEndTag()) {
            reader.SkipElement();
        }
    }
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
        const char* text = value ? value : "";
        const char* end = text + std::strlen(text);
        const char* colon = std::strchr(text, ':');
        int32_t used = 0;
        int32_t column = CardsColumnFromCode(text, colon ? colon : end, used);
        if (!IsSortableCardsColumn(column))
            return;
        CardsSortKey& key = settings.sortKeys[0];
        key.column = column;
        if (colon && colon[1] != 0)
            ParseCardsSortKeyLetter(key, colon[1]);
        settings.sortKeyCount = 1;
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
