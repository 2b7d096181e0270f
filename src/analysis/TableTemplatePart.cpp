#include "analysis/TableTemplatePart.h"

#include <algorithm>
#include <cstring>

#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/OptionLetters.h"
#include "text/TableOptions.h"
#include "analysis/AnalysisCodeLetters.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "model/dimensions/Dimension.h"

namespace vek {

namespace {

constexpr const char* kTableSignLetters = "-RG";
constexpr const char* kTableDateStyleLetters = "STWFGHUV";
// The last version date whose "P" values are column letters rather than codes joined by ",".
constexpr int32_t kTableLetterColumnsUntil = 20001218;

}  // namespace

int32_t TableValueDecimals(const TableColumn& column, const Base& base, int32_t i)
{
    return column.decimals >= 0 ? column.decimals : base.ValueFormat(i);
}

void TableTemplatePart::WriteShownColumns(String& out, const Base& base, std::span<const TableColumn> columns) const
{
    for (int32_t column = 0; column < layout.count; ++column) {
        if (layout.valueFieldOfColumn(column) >= base.ValueCount())
            continue;
        int32_t position = layout.dimensionOfColumn(column);
        if (position >= 0) {
            // Dimension columns go by position in the dimension order: "D" and k when the
            // dimension standing at position k is shown.
            int32_t d = DimensionAtOrderPosition(base, position);
            if (d < 0 || !columns[size_t(layout.columnOfDimension(d))].shown)
                continue;
            if (!out.IsEmpty())
                out.AppendChar(',');
            layout.appendColumnCode(out, column, position + 1);
            continue;
        }
        if (!columns[size_t(column)].shown)
            continue;
        if (!out.IsEmpty())
            out.AppendChar(',');
        layout.appendColumnCode(out, column, 0);
    }
}

void TableTemplatePart::ReadShownColumns(std::string_view value, int32_t version, std::span<TableColumn> columns) const
{
    auto show = [this, columns](int32_t column) {
        if (column >= 0 && column < layout.count)
            columns[size_t(column)].shown = 1;
    };
    if (version <= kTableLetterColumnsUntil) {
        for (char letter : value)
            show(layout.columnOfLetter(letter, version));
        return;
    }
    const char* p = value.data();
    const char* end = p + value.size();
    while (p < end) {
        const char* stop = static_cast<const char*>(std::memchr(p, ',', size_t(end - p)));
        if (!stop)
            stop = end;
        int32_t used = 0;
        show(layout.columnFromCode(p, stop, used));
        p = stop < end ? stop + 1 : end;
    }
}

void TableTemplatePart::ReadShownColumnsLine(TextReader& reader, int32_t version, std::span<TableColumn> columns) const
{
    for (TableColumn& column : columns)
        column.shown = 0;
    if (reader.NextFieldRaw())
        ReadShownColumns({reader.Token(), size_t(reader.TokenLength())}, version, columns);
}

void TableTemplatePart::WriteDecimals(TextWriter& writer, const Base& base, std::span<const TableColumn> columns) const
{
    writer.PutChar('D');
    writer.PutSeparator();
    for (int32_t i = 0; i < base.ValueCount(); ++i) {
        char letter = DigitFtmCodeLetter(TableValueDecimals(columns[size_t(layout.firstValue + i)], base, i));
        writer.PutChar(uint8_t(letter != 0 ? letter : '0'));
    }
    writer.EndRow();
}

void TableTemplatePart::ReadDecimals(TextReader& reader, std::span<TableColumn> columns) const
{
    ReadLetterField(reader, kMaxValueCount, [this, columns](int32_t i, char letter) {
        ParseDigitFtmCodeLetter(columns[size_t(layout.firstValue + i)].decimals, letter);
    });
}

void TableTemplatePart::WriteSignColourings(TextWriter& writer, const Base& base,
                                            std::span<const TableColumn> columns) const
{
    int32_t values = base.ValueCount();
    bool coloured = false;
    for (int32_t i = 0; i < values; ++i)
        coloured = coloured || columns[size_t(layout.firstValue + i)].signColouring != 0;
    if (!coloured)
        return;
    writer.PutChar('R');
    writer.PutSeparator();
    for (int32_t i = 0; i < values; ++i) {
        char letter = LetterAt(kTableSignLetters, columns[size_t(layout.firstValue + i)].signColouring);
        writer.PutChar(uint8_t(letter != 0 ? letter : '-'));
    }
    writer.EndRow();
}

void TableTemplatePart::ReadSignColourings(TextReader& reader, std::span<TableColumn> columns) const
{
    ReadLetterField(reader, kMaxValueCount, [this, columns](int32_t i, char letter) {
        ParseLetterOf(kTableSignLetters, columns[size_t(layout.firstValue + i)].signColouring, letter);
    });
}

void TableTemplatePart::WriteItemDisplays(TextWriter& writer, const Base& base,
                                          std::span<const TableColumn> columns) const
{
    int32_t lastDimension = base.DimsInUse();  // dimensions 0 .. DimsInUse() are in use
    auto display = [&](int32_t d) { return columns[size_t(layout.columnOfDimension(d))].itemDisplay; };
    bool displaySet = false;
    for (int32_t d = 0; d <= lastDimension && d < int32_t(kDimensionCount); ++d)
        displaySet = displaySet || display(d) != -1;
    if (!displaySet)
        return;
    writer.PutChar('T');
    writer.PutSeparator();
    for (int32_t d = 0; d <= lastDimension && d < int32_t(kDimensionCount); ++d)
        writer.PutChar(uint8_t(DisplayLetterFromCode(display(d))));
    writer.EndRow();
}

void TableTemplatePart::ReadItemDisplays(TextReader& reader, std::span<TableColumn> columns) const
{
    ReadLetterField(reader, int32_t(kDimensionCount), [this, columns](int32_t d, char letter) {
        columns[size_t(layout.columnOfDimension(d))].itemDisplay = DisplayCodeFromLetter(letter);
    });
}

void TableTemplatePart::WriteDateStyle(TextWriter& writer, int32_t dateStyle, std::span<const TableColumn> columns) const
{
    if (!columns[size_t(layout.dateColumn)].shown)
        return;
    char letter = LetterAt(kTableDateStyleLetters, dateStyle);
    writer.PutChar('Y');
    if (letter != 0)
        writer.PutChar(uint8_t(letter));
    writer.EndRow();
}

void TableTemplatePart::ReadDateStyle(std::string_view key, TextReader& reader, int32_t& dateStyle)
{
    char letter = key.size() > 1 ? key[1] : '\0';
    if (letter == 0)
        (void)reader.NextFieldChar(letter);
    ParseLetterOf(kTableDateStyleLetters, dateStyle, letter);
}

void TableTemplatePart::AppendColumnCode(String& out, const Base& base, int32_t column) const
{
    int32_t d = layout.dimensionOfColumn(column);
    layout.appendColumnCode(out, column, d >= 0 ? base.DimensionOrderIndex(d) + 1 : 0);
}

void TableTemplatePart::WriteSortKeys(TextWriter& writer, char letter, const Base& base,
                                      std::span<const TableSortKey> keys, int32_t keyCount) const
{
    int32_t count = std::clamp(keyCount, 1, kMaxTableSortKeys);
    for (int32_t k = 0; k < count; ++k) {
        const TableSortKey& key = keys[size_t(k)];
        String code;
        AppendColumnCode(code, base, key.column);
        WriteSortKeyLine(writer, letter, k + 1, key, code);
    }
}

void TableTemplatePart::ReadSortKey(std::string_view key, TextReader& reader, std::span<TableSortKey> keys,
                                    int32_t& keyCount) const
{
    int32_t n = key[1] - '0';
    TableSortKey& sortKey = keys[size_t(n - 1)];
    int32_t used = 0;
    int32_t column = layout.columnFromCode(key.data() + 2, key.data() + key.size(), used);
    if (layout.isSortable(column))
        sortKey.column = column;
    ReadSortKeyFields(reader, sortKey);
    keyCount = std::max(keyCount, n);
}

void TableTemplatePart::SetSortOption(const char* value, std::span<TableSortKey> keys, int32_t& keyCount) const
{
    const char* text = value ? value : "";
    const char* end = text + std::strlen(text);
    const char* colon = std::strchr(text, ':');
    int32_t used = 0;
    int32_t column = layout.columnFromCode(text, colon ? colon : end, used);
    if (!layout.isSortable(column))
        return;
    TableSortKey& key = keys[0];
    key.column = column;
    if (colon && colon[1] != 0) {
        char letter = colon[1];
        if (layout.dimensionOfColumn(column) >= 0)
            ParseItemDisplayCode(key.itemDisplay, letter);
        else if (layout.valueFieldOfColumn(column) >= 0)
            ParseValueSortCode(key.valueSort, letter);
        else if (column == layout.cardIdColumn || column == layout.dateColumn)
            ParseSortDirectionCode(key.dateDirection, letter);
        else
            ParseSortDirectionCode(key.textDirection, letter);
    }
    keyCount = 1;
}

bool TableTemplatePart::ReadOldSelectionKey(std::string_view key, TextReader& reader, SelectionTexts& selection)
{
    char first = key.empty() ? '\0' : key[0];
    if (first != 'C' && first != 'L' && first != 'V' && first != 'Y' && !(first >= '1' && first <= '6'))
        return false;
    (void)reader.NextFieldRaw();
    selection.ReadKeyLine(key, reader, SelectionKeyForm::Old);
    return true;
}

void TableTemplatePart::WriteTextExport(TextWriter& writer, int32_t choice)
{
    writer.WriteLine(choice == kTextExportHeaders ? "xtnh" : "xtna");
}

bool TableTemplatePart::ReadTextExport(std::string_view key, int32_t& choice)
{
    if (key == "xtna")
        choice = kTextExportAll;
    else if (key == "xtnh")
        choice = kTextExportHeaders;
    else
        return false;
    return true;
}

void TableTemplatePart::ReadColumnsElement(TextReader& reader, std::span<TableColumn> columns) const
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        int32_t column = layout.columnFromXmlName(name.View());
        int32_t on = ParseOnOff(value.View());
        if (column >= 0 && on >= 0)
            columns[size_t(column)].shown = on;
    }
}

void TableTemplatePart::ReadValuesElement(TextReader& reader, std::span<TableColumn> columns) const
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (!CStrEqualNoCase(name.View(), "decimals"))
            continue;
        for (int32_t i = 0; i < value.Length() && i < kMaxValueCount; ++i)
            ParseDigitFtmCodeLetter(columns[size_t(layout.firstValue + i)].decimals, value.CStr()[i]);
    }
}

void ReadWidthField(TextReader& reader, int32_t& width)
{
    int32_t read = 0;
    if (reader.NextFieldInt(read))
        width = read;
}

int32_t DimensionAtOrderPosition(const Base& base, int32_t position)
{
    if (position < 0 || position >= int32_t(kDimensionCount))
        return -1;
    if (base.DimensionOrderCount() == 0)
        return position;
    if (position >= base.DimensionOrderCount())
        return -1;
    int32_t d = base.DimensionOrderAt(position);
    return d >= 0 && d < int32_t(kDimensionCount) ? d : -1;
}

std::string_view PeekKey(const TextReader& reader)
{
    const char* start = reader.LineStart();
    const char* end = reader.LineEnd();
    const char* p = start;
    while (p < end && *p != '\t')
        ++p;
    return {start, size_t(p - start)};
}

void WriteSortKeyLine(TextWriter& writer, char letter, int32_t number, const TableSortKey& key,
                      const String& columnCode)
{
    writer.PutChar(uint8_t(letter));
    writer.PutInt(number);
    writer.PutString(columnCode);
    const char fields[4][2] = {{'C', SortDirectionCode(key.dateDirection)},
                               {'D', ItemDisplayCode(key.itemDisplay)},
                               {'T', SortDirectionCode(key.textDirection)},
                               {'V', ValueSortCode(key.valueSort)}};
    for (const auto& field : fields) {
        writer.PutSeparator();
        writer.PutChar(uint8_t(field[0]));
        if (field[1] != 0)
            writer.PutChar(uint8_t(field[1]));
    }
    writer.EndRow();
}

void ReadSortKeyFields(TextReader& reader, TableSortKey& key)
{
    while (reader.NextFieldRaw()) {
        if (reader.TokenLength() < 2)
            continue;
        char letter = reader.Token()[1];
        switch (reader.Token()[0]) {
        case 'C': ParseSortDirectionCode(key.dateDirection, letter); break;
        case 'D': ParseItemDisplayCode(key.itemDisplay, letter); break;
        case 'T': ParseSortDirectionCode(key.textDirection, letter); break;
        case 'V': ParseValueSortCode(key.valueSort, letter); break;
        default: break;
        }
    }
}

int32_t NumberAfterXmlPrefix(std::string_view name, std::string_view prefix)
{
    return CStrNumberAfterPrefixNoCase(name, prefix, 2);
}

int32_t ParseOnOff(std::string_view value)
{
    if (CStrEqualNoCase(value, "on"))
        return 1;
    if (CStrEqualNoCase(value, "off"))
        return 0;
    return -1;
}

}  // namespace vek
