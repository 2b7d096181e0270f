// CardsColumns: the columns of a cards analysis, their codes, and the per-column handling of a sort key.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/streams/TextReader.h"

namespace vek {

class String;

// Columns of a cards analysis:
//
//   | column | shows           | code in "P" and "Q" lines | XML name                     |
//   |--------|-----------------|---------------------------|------------------------------|
//   | 0      | card id         | "I" (also read "C")       | "card-id"                    |
//   | 1      | date            | "P"                       | none                         |
//   | 2      | card title      | "T"                       | "cardtitle"                  |
//   | 3, 4   | dimensions 1, 2 | "D1", "D2"                | "dim1", "dim2"               |
//   | 5      | line text       | "L"                       | "linetext"                   |
//   | 6-29   | value fields    | "VA" .. "VX"              | "value" (field 1), "value1"..|
//   | 30-59  | dimensions 3-32 | "D3" .. "D32"             | "dim3" .. "dim32"            |
//   | 60     | origin          | "H"                       | "origin"                     |
//   | 61     | notes           | "N"                       | "notes"                      |
//   | 62     | signatures      | "S"                       | "signatures"                 |
namespace cards_column {
inline constexpr int32_t kCardId = 0;
inline constexpr int32_t kDate = 1;
inline constexpr int32_t kTitle = 2;
inline constexpr int32_t kDimension1 = 3;
inline constexpr int32_t kDimension2 = 4;
inline constexpr int32_t kLineText = 5;
inline constexpr int32_t kFirstValue = 6;
inline constexpr int32_t kLastValue = 29;
inline constexpr int32_t kValueFields = 24;
inline constexpr int32_t kDimension3 = 30;
inline constexpr int32_t kOrigin = 60;
inline constexpr int32_t kNotes = 61;
inline constexpr int32_t kSignatures = 62;
inline constexpr int32_t kCount = 63;
}  // namespace cards_column

// A sort key of a cards (or lines) analysis: the column and the code that belongs to it.
struct CardsSortKey {
    int32_t column = 0;
    int32_t dateDirection = 0;  // "AD", columns 0 and 1
    int32_t itemDisplay = 0;    // "NRCTH", dimension columns
    int32_t textDirection = 0;  // "AD", every other column
    int32_t valueSort = 0;      // "DEFCBA", value columns

    bool operator==(const CardsSortKey&) const = default;
};
inline constexpr int32_t kMaxCardsSortKeys = 8;

// The column of dimension d (0-based): 3, 4, then d + 28; -1 above dimension 32.
int32_t CardsColumnOfDimension(int32_t d);
// The dimension (0-based) a column shows, or -1.
int32_t DimensionOfCardsColumn(int32_t column);
// The value field (0-based) a column shows, or -1.
int32_t ValueFieldOfCardsColumn(int32_t column);
// The field code whose caption heads the column (Base::GetFieldCaption): dimensions and fields
// below 100, text numbers (3101, 3107, 3108, 3506, 3501) above.
int32_t CardsColumnCaptionCode(int32_t column);
// Notes and signatures cannot be sort keys.
bool IsSortableCardsColumn(int32_t column);

// Writes the code of a column ("I", "D12", "VC", ...); for a dimension column the number written is
// `dimensionNumber` (1-32), which the caller takes from the base's dimension order.
void AppendCardsColumnCode(String& out, int32_t column, int32_t dimensionNumber);
// Reads a column code at the start of `text` (up to `end`): the column, or -1 for a code that is not
// one. `used` is the number of bytes the code took.
int32_t CardsColumnFromCode(const char* text, const char* end, int32_t& used);

// The per-column handling of a sort key.
void InvertCardsSortKey(CardsSortKey& key);
char CardsSortKeyLetter(const CardsSortKey& key);
void ParseCardsSortKeyLetter(CardsSortKey& key, char letter);
// The hint beside a sort arrow: 5814 or 5815.
int32_t CardsSortKeyDirectionText(const CardsSortKey& key);

// A card's notes cleaned for a table cell: runs of carriage returns become one, the text is cut to
// 8000 characters, blanks before a line end go, each line end becomes one carriage return (none at
// the very start or end), and other control characters (tabs too) are dropped.
void CleanNotesForCell(const char* notes, String& out);
inline constexpr int32_t kNotesCellCharacters = 8000;

}  // namespace vek

namespace vek {

class Base;
class TextReader;
class TextWriter;

// --- Keyed-line forms shared by the cards and lines templates ------------------------------------------

// The dimension (0-based) at a position of the base's dimension order, or -1 when none stands there.
// Without an order every dimension stands at its own position.
int32_t DimensionAtOrderPosition(const Base& base, int32_t position);

// The key of the reader's current line (its first field, without moving the field cursor).
std::string_view PeekKey(const TextReader& reader);

// A sort-key line: "S" or "Q", the key number and the column code together, then the fields "C", "D",
// "T" and "V" with their letters. `columnCode` writes the code of a column.
void WriteSortKeyLine(TextWriter& writer, char letter, int32_t number, const CardsSortKey& key,
                      const String& columnCode);
// Reads the fields after a sort-key line's key (the column code already taken); letters not in their
// tables leave the field.
void ReadSortKeyFields(TextReader& reader, CardsSortKey& key);
// The letters of the next field, each given to `take` with its position (at most `limit`).
template <typename Take>
void ReadLetterField(TextReader& reader, int32_t limit, Take&& take);

}  // namespace vek

namespace vek {

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

}  // namespace vek

namespace vek {

// The XML name of a column as the template elements give it: "dim" or "value" followed by a number
// (1-32, 1-24), or one of the fixed names, compared without regard to case. The number after the
// prefix, 0 for the prefix alone, -1 when the name is not the prefix followed by digits.
int32_t NumberAfterXmlPrefix(std::string_view name, std::string_view prefix);
// The cards column of an XML name, or -1 (the date column has no XML name).
int32_t CardsColumnFromXmlName(std::string_view name);
// "on" 1, "off" 0, anything else -1.
int32_t ParseOnOff(std::string_view value);

}  // namespace vek
