// CardsColumns: the columns of a cards analysis, their codes, and the per-column handling of a sort key.
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/TableTemplatePart.h"

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

// The sort keys of a cards analysis are those of the table templates.
using CardsSortKey = TableSortKey;
inline constexpr int32_t kMaxCardsSortKeys = kMaxTableSortKeys;

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

// The cards column of an XML name, or -1 (the date column has no XML name): "dim" or "value"
// followed by a number (1-32, 1-24), or one of the fixed names, compared without regard to case.
int32_t CardsColumnFromXmlName(std::string_view name);

}  // namespace vek
