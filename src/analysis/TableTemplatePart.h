// TableTemplatePart: the keyed lines and XML elements of the table templates (cards and lines) that
// only differ in how their columns are numbered.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/strings/String.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

class Base;
class TextWriter;

// The text-export choices of the table templates ("xtnh", "xtna").
inline constexpr int32_t kTextExportHeaders = 4102;
inline constexpr int32_t kTextExportAll = 4103;

// One column of a table template as it stores it.
struct TableColumn {
    int32_t shown = 0;
    int32_t itemDisplay = -1;    // index into "CHTNMPR"; -1 the window's default
    int32_t decimals = 0;        // index into "0123456FTM"; -1 the base's decimals of the field
    int32_t signColouring = 0;   // index into "-RG"
    int32_t width = 0;           // pixels; 0 the window's default

    bool operator==(const TableColumn&) const = default;
};

// A sort key of a table template: the column and the code that belongs to it.
struct TableSortKey {
    int32_t column = 0;
    int32_t dateDirection = 0;  // "AD", the card id and date columns
    int32_t itemDisplay = 0;    // "NRCTH", dimension columns
    int32_t textDirection = 0;  // "AD", every other column
    int32_t valueSort = 0;      // "DEFCBA", value columns

    bool operator==(const TableSortKey&) const = default;
};
inline constexpr int32_t kMaxTableSortKeys = 8;

// The decimals code of value field i whose column is `column`: its own, or the base's while none was set.
[[nodiscard]] int32_t TableValueDecimals(const TableColumn& column, const Base& base, int32_t i);

// How a table template numbers its columns; the part reads and writes through it.
struct TableColumnLayout {
    int32_t count = 0;
    int32_t firstValue = 0;
    int32_t cardIdColumn = 0;
    int32_t dateColumn = 0;
    int32_t (*columnOfDimension)(int32_t d) = nullptr;
    int32_t (*dimensionOfColumn)(int32_t column) = nullptr;
    int32_t (*valueFieldOfColumn)(int32_t column) = nullptr;
    bool (*isSortable)(int32_t column) = nullptr;
    // A column code at the start of text; `used` the bytes it took.
    int32_t (*columnFromCode)(const char* text, const char* end, int32_t& used) = nullptr;
    void (*appendColumnCode)(String& out, int32_t column, int32_t dimensionNumber) = nullptr;
    // The column of a letter of the letter form of "P", read from a file of that version date.
    int32_t (*columnOfLetter)(char letter, int32_t version) = nullptr;
    int32_t (*columnFromXmlName)(std::string_view name) = nullptr;
};

// The keyed lines and XML elements that the table templates share: shown columns ("P"), decimals
// ("D"), sign colourings ("R"), item displays ("T"), the date style ("Y"), sort keys, the text-export
// choice and the "columns" and "values" elements. Holds only the layout; the columns are the caller's.
class TableTemplatePart {
public:
    explicit constexpr TableTemplatePart(const TableColumnLayout& columnLayout) : layout(columnLayout) {}

    // The "P" value: shown column codes joined by ","; dimension columns by their position in the
    // base's dimension order.
    void WriteShownColumns(String& out, const Base& base, std::span<const TableColumn> columns) const;
    // Marks the columns a "P" value names, by the file's version date (letters up to 20001218).
    void ReadShownColumns(std::string_view value, int32_t version, std::span<TableColumn> columns) const;
    // The "P" line after its key: every column hidden, then those it names shown.
    void ReadShownColumnsLine(TextReader& reader, int32_t version, std::span<TableColumn> columns) const;

    // "D": one decimals letter per value field of the base (always written).
    void WriteDecimals(TextWriter& writer, const Base& base, std::span<const TableColumn> columns) const;
    void ReadDecimals(TextReader& reader, std::span<TableColumn> columns) const;
    // "R": one colouring letter per value field, when some colouring is set.
    void WriteSignColourings(TextWriter& writer, const Base& base, std::span<const TableColumn> columns) const;
    void ReadSignColourings(TextReader& reader, std::span<TableColumn> columns) const;
    // "T": an item-display letter per dimension in use, when one is set.
    void WriteItemDisplays(TextWriter& writer, const Base& base, std::span<const TableColumn> columns) const;
    void ReadItemDisplays(TextReader& reader, std::span<TableColumn> columns) const;
    // "Y" and the date style letter, when the date column is shown.
    void WriteDateStyle(TextWriter& writer, int32_t dateStyle, std::span<const TableColumn> columns) const;
    // The letter is the key's second one or, without it, the next field.
    static void ReadDateStyle(std::string_view key, TextReader& reader, int32_t& dateStyle);

    // The code of a column, a dimension by its position in the base's dimension order.
    void AppendColumnCode(String& out, const Base& base, int32_t column) const;
    // The sort-key lines under `letter` ("Q" or "S"), at least one.
    void WriteSortKeys(TextWriter& writer, char letter, const Base& base, std::span<const TableSortKey> keys,
                       int32_t keyCount) const;
    // A sort-key line after its key: the key number the key's second letter, the column its code.
    void ReadSortKey(std::string_view key, TextReader& reader, std::span<TableSortKey> keys,
                     int32_t& keyCount) const;

    // The "sort" option: a column code, optionally ":" and the key's letter for that column, makes the
    // only sort key; a code of no sortable column changes nothing.
    void SetSortOption(const char* value, std::span<TableSortKey> keys, int32_t& keyCount) const;

    // The selection lines of the older bullet files ("C", "L", "V", "Y", "1".."6" with their own key
    // forms); false for any other key.
    [[nodiscard]] static bool ReadOldSelectionKey(std::string_view key, TextReader& reader, SelectionTexts& selection);

    // "xtnh" or "xtna".
    static void WriteTextExport(TextWriter& writer, int32_t choice);
    // Takes "xtna" and "xtnh"; false for any other key.
    [[nodiscard]] static bool ReadTextExport(std::string_view key, int32_t& choice);

    // The template element's contents up to "</template>": "selection", "columns" and "values" here;
    // `other(reader)` takes the elements of the template's own (false when it does not know one, which
    // is then skipped). Stops at the cancel flag.
    template <typename Other>
    void ReadXml(TextReader& reader, SelectionTexts& selection, std::span<TableColumn> columns, Other&& other) const;

private:
    void ReadColumnsElement(TextReader& reader, std::span<TableColumn> columns) const;
    void ReadValuesElement(TextReader& reader, std::span<TableColumn> columns) const;

    TableColumnLayout layout;
};

// A width field: the number, or the width as it was when the field is empty.
void ReadWidthField(TextReader& reader, int32_t& width);

// The dimension (0-based) at a position of the base's dimension order, or -1 when none stands there.
// Without an order every dimension stands at its own position.
[[nodiscard]] int32_t DimensionAtOrderPosition(const Base& base, int32_t position);

// The key of the reader's current line (its first field, without moving the field cursor).
[[nodiscard]] std::string_view PeekKey(const TextReader& reader);

// A sort-key line: "S" or "Q", the key number and the column code together, then the fields "C", "D",
// "T" and "V" with their letters.
void WriteSortKeyLine(TextWriter& writer, char letter, int32_t number, const TableSortKey& key,
                      const String& columnCode);
// Reads the fields after a sort-key line's key (the column code already taken); letters not in their
// tables leave the field.
void ReadSortKeyFields(TextReader& reader, TableSortKey& key);
// The letters of the next field, each given to `take` with its position (at most `limit`).
template <typename Take>
void ReadLetterField(TextReader& reader, int32_t limit, Take&& take);

// The number after an XML name's prefix ("dim", "value"), compared without regard to case: 0 for the
// prefix alone, -1 when the name is not the prefix followed by digits.
[[nodiscard]] int32_t NumberAfterXmlPrefix(std::string_view name, std::string_view prefix);
// "on" 1, "off" 0, anything else -1.
[[nodiscard]] int32_t ParseOnOff(std::string_view value);

template <typename Take>
void ReadLetterField(TextReader& reader, int32_t limit, Take&& take)
{
    if (!reader.NextFieldRaw())
        return;
    const char* letters = reader.Token();
    int32_t n = reader.TokenLength();
    for (int32_t i = 0; i < n && i < limit; ++i)
        take(i, letters[i]);
}

template <typename Other>
void TableTemplatePart::ReadXml(TextReader& reader, SelectionTexts& selection, std::span<TableColumn> columns,
                                Other&& other) const
{
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("/template"))
            return;
        if (reader.IsTag("selection"))
            selection.ReadXml(reader);
        else if (reader.IsTag("columns"))
            ReadColumnsElement(reader, columns);
        else if (reader.IsTag("values"))
            ReadValuesElement(reader, columns);
        else if (!other(reader) && !reader.IsEmptyOrEndTag())
            reader.SkipElement();
    }
}

}  // namespace vek
