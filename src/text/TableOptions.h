// TableOptions: per-column options stored as single letters, and the comparators of every table.
#pragma once

#include <cstdint>

#include "foundation/strings/String.h"
#include "text/SortDirection.h"

namespace vek {

// Per-column and per-analysis options that definitions store as single letters, and the comparators
// every sorting table uses, so that all templates and windows agree.
//
// Each option is an index into a fixed letter table. A parse operation takes a letter and sets the
// index only when the letter is in its table, so a definition with a foreign letter keeps the default.
//
//   sort direction  "AD"      SortDirection: 0 ascending, 1 descending
//   item display    "NRCTH"   normal, reversed, code, text, host
//   value sort      "DEFCBA"  desc, combdesc, absdesc, absasc, combasc, asc
//   SV qualifier    "NRP"     second letter of a time-functions template's SV key

// The letter of an index; 0 for an index outside the table.
char SortDirectionCode(int32_t index);
char ItemDisplayCode(int32_t index);
char ValueSortCode(int32_t index);
char SvQualifierCode(int32_t index);

void ParseSortDirectionCode(int32_t& index, char letter);
void ParseItemDisplayCode(int32_t& index, char letter);
void ParseValueSortCode(int32_t& index, char letter);
void ParseSvQualifierCode(int32_t& index, char letter);

// The index of an XML name ("normal" .. "host"; "desc" .. "asc"), without regard to case; -1 for
// null, the empty text and unknown names.
int32_t ParseItemDisplayName(const char* name);
int32_t ParseValueSortName(const char* name);
// The XML name of an index, or null outside the table.
const char* ItemDisplayName(int32_t index);
const char* ValueSortName(int32_t index);

// index = 1 - index.
void FlipSortDirection(int32_t& index);
// 0 and 1 swap (true); any other value stays (false).
bool InvertSortDirection(int32_t& index);
// index = 5 - index: desc and asc, combdesc and combasc, absdesc and absasc swap.
void InvertValueSort(int32_t& index);
// 0 becomes 1, anything else 0.
void InvertSvQualifier(int32_t& index);

// Comparators: -1 puts a before b, 1 after, 0 equal.
//
// Texts without regard to case, reversed when descending. A missing (null) text sorts after every
// text in both directions; two missing texts are equal.
int32_t CompareTextsForSort(const char* a, const char* b, SortDirection direction);
// Numbers under a value-sort mode (table above). Values beyond ±1e308 count as positive or negative;
// a not-a-number sorts after everything in every mode, and two of them are equal.
int32_t CompareValuesForSort(double a, double b, int32_t valueSort);

// Texts in their display form (links shown as their visible text) through a link registry, which
// gives it with `FormatText(String& out, const char* text)`. Two non-empty display texts compare as
// CompareTextsForSort; an empty one sorts after a non-empty one in both directions.
template <typename Registry>
int32_t CompareDisplayTexts(const char* a, const char* b, SortDirection direction, const Registry& registry)
{
    String shownA;
    String shownB;
    registry.FormatText(shownA, a);
    registry.FormatText(shownB, b);
    if (!shownA.IsEmpty() && !shownB.IsEmpty())
        return CompareTextsForSort(shownA.CStr(), shownB.CStr(), direction);
    if (shownA.IsEmpty() == shownB.IsEmpty())
        return 0;
    return shownA.IsEmpty() ? 1 : -1;
}

// The texts of the order popup (five items: 3601, 3602, 3400, 3401, 3402); 0 for other items.
int32_t SortSettingTextId(int32_t item);
// The value-sort popup: the icon of each mode (6020 + item), and the text shown beside it while the
// list is open (3604 for desc, 3603 for asc; 0 for the others and for a closed popup).
int32_t ValueSortIconId(int32_t item);
int32_t ValueSortTextId(int32_t item, bool listOpen);

}  // namespace vek
