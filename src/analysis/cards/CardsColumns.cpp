#include "analysis/cards/CardsColumns.h"

#include <string>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/Utf8.h"
#include "text/TableOptions.h"

namespace vek {

namespace {

bool IsDimensionColumn(int32_t column) { return DimensionOfCardsColumn(column) >= 0; }

bool IsValueColumn(int32_t column)
{
    return column >= cards_column::kFirstValue && column <= cards_column::kLastValue;
}

bool UsesDateDirection(int32_t column) { return column == cards_column::kCardId || column == cards_column::kDate; }

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t CardsColumnOfDimension(int32_t d)
{
    if (d < 0 || d > 31)
        return -1;
    if (d == 0)
        return cards_column::kDimension1;
    if (d == 1)
        return cards_column::kDimension2;
    return d + 28;
}

int32_t DimensionOfCardsColumn(int32_t column)
{
    int32_t code = CardsColumnCaptionCode(column);
    return code >= 1 && code <= 32 ? code - 1 : -1;
}

int32_t ValueFieldOfCardsColumn(int32_t column)
{
    return IsValueColumn(column) ? column - cards_column::kFirstValue : -1;
}

int32_t CardsColumnCaptionCode(int32_t column)
{
    switch (column) {
    case cards_column::kCardId: return 3101;
    case cards_column::kDate: return 3107;
    case cards_column::kTitle: return 65;
    case cards_column::kDimension1: return 1;
    case cards_column::kDimension2: return 2;
    case cards_column::kLineText: return 66;
    case cards_column::kOrigin: return 3108;
    case cards_column::kNotes: return 3506;
    case cards_column::kSignatures: return 3501;
    default: break;
    }
    if (IsValueColumn(column))
        return 67 + column - cards_column::kFirstValue;
    if (column >= cards_column::kDimension3 && column < cards_column::kOrigin)
        return column - 27;
    return 0;
}

bool IsSortableCardsColumn(int32_t column)
{
    return column >= 0 && column < cards_column::kNotes;
}

void AppendCardsColumnCode(String& out, int32_t column, int32_t dimensionNumber)
{
    if (IsDimensionColumn(column)) {
        out.AppendChar('D');
        out.AppendInt(dimensionNumber);
        return;
    }
    if (IsValueColumn(column)) {
        out.AppendChar('V');
        out.AppendChar(char('A' + column - cards_column::kFirstValue));
        return;
    }
    switch (column) {
    case cards_column::kCardId: out.AppendChar('I'); break;
    case cards_column::kDate: out.AppendChar('P'); break;
    case cards_column::kTitle: out.AppendChar('T'); break;
    case cards_column::kLineText: out.AppendChar('L'); break;
    case cards_column::kOrigin: out.AppendChar('H'); break;
    case cards_column::kNotes: out.AppendChar('N'); break;
    case cards_column::kSignatures: out.AppendChar('S'); break;
    default: break;
    }
}

int32_t CardsColumnFromCode(const char* text, const char* end, int32_t& used)
{
    used = 0;
    if (!text || text >= end)
        return -1;
    used = 1;
    switch (text[0]) {
    case 'I':
    case 'C': return cards_column::kCardId;
    case 'P': return cards_column::kDate;
    case 'T': return cards_column::kTitle;
    case 'L': return cards_column::kLineText;
    case 'H': return cards_column::kOrigin;
    case 'N': return cards_column::kNotes;
    case 'S': return cards_column::kSignatures;
    default: break;
    }
    if (text[0] == 'D' && text + 1 < end) {
        char c = text[1];
        int32_t number = -1;
        if (IsAsciiDigit(c)) {
            number = c - '0';
            used = 2;
            if (text + 2 < end && IsAsciiDigit(text[2])) {
                number = number * 10 + (text[2] - '0');
                used = 3;
            }
        } else if (c >= 'A' && c <= 'W') {
            number = 10 + (c - 'A');
            used = 2;
        }
        if (number >= 1 && number <= 32)
            return CardsColumnOfDimension(number - 1);
        return -1;
    }
    if (text[0] == 'V' && text + 1 < end) {
        char c = text[1];
        used = 2;
        if (c >= '1' && c <= '9')
            return cards_column::kFirstValue + (c - '1');
        if (c >= 'A' && c <= 'X')
            return cards_column::kFirstValue + (c - 'A');
        return -1;
    }
    return -1;
}

void InvertCardsSortKey(CardsSortKey& key)
{
    if (IsDimensionColumn(key.column)) {
        if (!InvertSortDirection(key.itemDisplay))
            key.itemDisplay = 1;
    } else if (IsValueColumn(key.column)) {
        InvertValueSort(key.valueSort);
    } else if (UsesDateDirection(key.column)) {
        FlipSortDirection(key.dateDirection);
    } else {
        FlipSortDirection(key.textDirection);
    }
}

char CardsSortKeyLetter(const CardsSortKey& key)
{
    if (IsDimensionColumn(key.column))
        return ItemDisplayCode(key.itemDisplay);
    if (IsValueColumn(key.column))
        return ValueSortCode(key.valueSort);
    if (UsesDateDirection(key.column))
        return SortDirectionCode(key.dateDirection);
    return SortDirectionCode(key.textDirection);
}

void ParseCardsSortKeyLetter(CardsSortKey& key, char letter)
{
    if (IsDimensionColumn(key.column))
        ParseItemDisplayCode(key.itemDisplay, letter);
    else if (IsValueColumn(key.column))
        ParseValueSortCode(key.valueSort, letter);
    else if (UsesDateDirection(key.column))
        ParseSortDirectionCode(key.dateDirection, letter);
    else
        ParseSortDirectionCode(key.textDirection, letter);
}

int32_t CardsSortKeyDirectionText(const CardsSortKey& key)
{
    constexpr int32_t kDownward = 5814;
    constexpr int32_t kUpward = 5815;
    if (IsDimensionColumn(key.column))
        return key.itemDisplay == 1 ? kDownward : kUpward;
    if (IsValueColumn(key.column))
        return key.valueSort > 2 ? kUpward : kDownward;
    int32_t direction = UsesDateDirection(key.column) ? key.dateDirection : key.textDirection;
    return direction > 0 ? kDownward : kUpward;
}

void CleanNotesForCell(const char* notes, String& out)
{
    out.AssignCStr(nullptr);
    if (!notes)
        return;
    // Runs of carriage returns collapse to one, and at most 8000 characters are kept.
    std::string text;
    int32_t characters = 0;
    for (const char* p = notes; *p && characters < kNotesCellCharacters;) {
        int32_t length = Utf8CharLength(p);
        if (!(*p == '\r' && !text.empty() && text.back() == '\r')) {
            text.append(p, size_t(length));
            ++characters;
        }
        p += length;
    }
    std::string cleaned;
    cleaned.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            while (!cleaned.empty() && cleaned.back() == ' ')
                cleaned.pop_back();
            if (!cleaned.empty())
                cleaned.push_back('\r');
            continue;
        }
        if (uint8_t(c) < 32)
            continue;
        cleaned.push_back(c);
    }
    while (!cleaned.empty() && cleaned.back() == '\r')
        cleaned.pop_back();
    out.AssignBytes(cleaned);
}

}  // namespace vek

namespace vek {

int32_t CardsColumnFromXmlName(std::string_view name)
{
    const struct {
        const char* name;
        int32_t column;
    } fixed[] = {{"card-id", cards_column::kCardId},   {"cardtitle", cards_column::kTitle},
                 {"linetext", cards_column::kLineText}, {"origin", cards_column::kOrigin},
                 {"notes", cards_column::kNotes},       {"signatures", cards_column::kSignatures}};
    for (const auto& entry : fixed) {
        if (CStrEqualNoCase(name, entry.name))
            return entry.column;
    }
    int32_t d = NumberAfterXmlPrefix(name, "dim");
    if (d >= 1 && d <= 32)
        return CardsColumnOfDimension(d - 1);
    int32_t field = NumberAfterXmlPrefix(name, "value");
    if (field == 0)
        return cards_column::kFirstValue;
    if (field >= 1 && field <= cards_column::kValueFields)
        return cards_column::kFirstValue + field - 1;
    return -1;
}

}  // namespace vek
