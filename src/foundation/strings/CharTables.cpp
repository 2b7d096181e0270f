// CharTables: the case pairs, accent folds and compositions the character tables are built from.
#include "foundation/strings/CharTables.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace vek {

namespace {

using CharTable = std::array<uint16_t, kCharTableSize>;

// Case pairs, as ranges of code points: kind 0: every c has the small letter c + 32; kind 1:
// alternating pairs (c, c + 1) from first to last; kind 2: triples (c, c + 1, c + 2) of a capital,
// a title-case form and a small letter (the title form maps to both).
struct CaseRange {
    uint16_t first;
    uint16_t last;
    int kind;
};

constexpr CaseRange kCaseRanges[] = {
    {0x0041, 0x005A, 0}, {0x00C0, 0x00D6, 0}, {0x00D8, 0x00DD, 0}, {0x0100, 0x0137, 1},
    {0x0139, 0x0148, 1}, {0x014A, 0x0177, 1}, {0x0179, 0x017E, 1}, {0x01C4, 0x01CC, 2},
    {0x01CD, 0x01DC, 1}, {0x01DE, 0x01EF, 1}, {0x01F1, 0x01F3, 2}, {0x01F4, 0x01F5, 1},
    {0x01F8, 0x0233, 1}, {0x0391, 0x03AA, 0}, {0x0410, 0x042F, 0}, {0x0460, 0x0481, 1},
    {0x048A, 0x04BF, 1}, {0x04C1, 0x04CE, 1}, {0x04D0, 0x04F9, 1},
};

// Accent folding: from `first` on, each code point takes the letter at its place in `letters`; "."
// leaves it as it is.
struct FoldRun {
    uint16_t first;
    std::string_view letters;
};

constexpr FoldRun kFoldRuns[] = {
    {0x00C0, "AAAAAAACEEEEIIIIDNOOOOO.OUUUUY"},
    {0x00E0, "aaaaaaaceeeeiiiidnooooo.ouuuuy"},
    {0x0100, "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGg"},
    {0x0120, "GgGgHhHhIiIiIiIiIi..JjKkkLlLlLlL"},
    {0x0140, "lLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSs"},
    {0x0160, "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzi"},
    {0x0187, "CcDd"},
    {0x01D0, "iOoUuUuUuUuUu.AaAaAaGgGgKkOoOo"},
    {0x01F0, "j...Gg..NnAaAaOo"},
    {0x0200, "AaAaEeEeIiIiOoOoRrRrUuUuSsTt..Hh"},
    {0x0224, "ZzAaEeOoOoOoOoYy......ACc"},
    {0x0246, "EeJj..RrYy"},
};

constexpr CharTable IdentityTable()
{
    CharTable table{};
    for (int32_t c = 0; c < kCharTableSize; ++c)
        table[c] = static_cast<uint16_t>(c);
    return table;
}

enum class CaseDirection { Upper, Lower };

constexpr CharTable MakeCaseTable(CaseDirection direction)
{
    CharTable table = IdentityTable();
    bool upper = direction == CaseDirection::Upper;
    for (const CaseRange& range : kCaseRanges) {
        if (range.kind == 0) {
            for (int c = range.first; c <= range.last; ++c) {
                if (upper)
                    table[c + 32] = static_cast<uint16_t>(c);
                else
                    table[c] = static_cast<uint16_t>(c + 32);
            }
        } else if (range.kind == 1) {
            for (int c = range.first; c + 1 <= range.last; c += 2) {
                if (upper)
                    table[c + 1] = static_cast<uint16_t>(c);
                else
                    table[c] = static_cast<uint16_t>(c + 1);
            }
        } else {
            for (int c = range.first; c + 2 <= range.last; c += 3) {
                if (upper) {
                    table[c + 1] = static_cast<uint16_t>(c);
                    table[c + 2] = static_cast<uint16_t>(c);
                } else {
                    table[c] = static_cast<uint16_t>(c + 2);
                    table[c + 1] = static_cast<uint16_t>(c + 2);
                }
            }
        }
    }
    return table;
}

constexpr CharTable MakeFoldTable()
{
    CharTable table = IdentityTable();
    for (const FoldRun& run : kFoldRuns) {
        for (std::size_t i = 0; i < run.letters.size(); ++i) {
            if (run.letters[i] != '.')
                table[run.first + i] = static_cast<uint16_t>(run.letters[i]);
        }
    }
    return table;
}

// Canonical compositions of the letters A-Z and a-z with the marks the text reader meets, limited to
// composed letters below U+0250 (the range the case tables cover). Sorted by mark, then base letter.
struct Composition {
    uint16_t mark;
    char base;
    uint16_t composed;
};

constexpr Composition kCompositions[] = {
    {0x0300, 'A', 0x00C0}, {0x0300, 'E', 0x00C8}, {0x0300, 'I', 0x00CC}, {0x0300, 'N', 0x01F8}, {0x0300, 'O', 0x00D2},
    {0x0300, 'U', 0x00D9}, {0x0300, 'a', 0x00E0}, {0x0300, 'e', 0x00E8}, {0x0300, 'i', 0x00EC}, {0x0300, 'n', 0x01F9},
    {0x0300, 'o', 0x00F2}, {0x0300, 'u', 0x00F9},
    {0x0301, 'A', 0x00C1}, {0x0301, 'C', 0x0106}, {0x0301, 'E', 0x00C9}, {0x0301, 'G', 0x01F4}, {0x0301, 'I', 0x00CD},
    {0x0301, 'N', 0x0143}, {0x0301, 'O', 0x00D3}, {0x0301, 'R', 0x0154}, {0x0301, 'S', 0x015A}, {0x0301, 'U', 0x00DA},
    {0x0301, 'Y', 0x00DD}, {0x0301, 'Z', 0x0179}, {0x0301, 'a', 0x00E1}, {0x0301, 'c', 0x0107}, {0x0301, 'e', 0x00E9},
    {0x0301, 'g', 0x01F5}, {0x0301, 'i', 0x00ED}, {0x0301, 'n', 0x0144}, {0x0301, 'o', 0x00F3}, {0x0301, 'r', 0x0155},
    {0x0301, 's', 0x015B}, {0x0301, 'u', 0x00FA}, {0x0301, 'y', 0x00FD}, {0x0301, 'z', 0x017A},
    {0x0302, 'A', 0x00C2}, {0x0302, 'C', 0x0108}, {0x0302, 'E', 0x00CA}, {0x0302, 'G', 0x011C}, {0x0302, 'H', 0x0124},
    {0x0302, 'I', 0x00CE}, {0x0302, 'J', 0x0134}, {0x0302, 'O', 0x00D4}, {0x0302, 'S', 0x015C}, {0x0302, 'U', 0x00DB},
    {0x0302, 'W', 0x0174}, {0x0302, 'Y', 0x0176}, {0x0302, 'a', 0x00E2}, {0x0302, 'c', 0x0109}, {0x0302, 'e', 0x00EA},
    {0x0302, 'g', 0x011D}, {0x0302, 'h', 0x0125}, {0x0302, 'i', 0x00EE}, {0x0302, 'j', 0x0135}, {0x0302, 'o', 0x00F4},
    {0x0302, 's', 0x015D}, {0x0302, 'u', 0x00FB}, {0x0302, 'w', 0x0175}, {0x0302, 'y', 0x0177},
    {0x0303, 'A', 0x00C3}, {0x0303, 'I', 0x0128}, {0x0303, 'N', 0x00D1}, {0x0303, 'O', 0x00D5}, {0x0303, 'U', 0x0168},
    {0x0303, 'a', 0x00E3}, {0x0303, 'i', 0x0129}, {0x0303, 'n', 0x00F1}, {0x0303, 'o', 0x00F5}, {0x0303, 'u', 0x0169},
    {0x0304, 'A', 0x0100}, {0x0304, 'E', 0x0112}, {0x0304, 'I', 0x012A}, {0x0304, 'O', 0x014C}, {0x0304, 'U', 0x016A},
    {0x0304, 'Y', 0x0232}, {0x0304, 'a', 0x0101}, {0x0304, 'e', 0x0113}, {0x0304, 'i', 0x012B}, {0x0304, 'o', 0x014D},
    {0x0304, 'u', 0x016B}, {0x0304, 'y', 0x0233},
    {0x0306, 'A', 0x0102}, {0x0306, 'E', 0x0114}, {0x0306, 'G', 0x011E}, {0x0306, 'I', 0x012C}, {0x0306, 'O', 0x014E},
    {0x0306, 'U', 0x016C}, {0x0306, 'a', 0x0103}, {0x0306, 'e', 0x0115}, {0x0306, 'g', 0x011F}, {0x0306, 'i', 0x012D},
    {0x0306, 'o', 0x014F}, {0x0306, 'u', 0x016D},
    {0x0307, 'A', 0x0226}, {0x0307, 'C', 0x010A}, {0x0307, 'E', 0x0116}, {0x0307, 'G', 0x0120}, {0x0307, 'O', 0x022E},
    {0x0307, 'Z', 0x017B}, {0x0307, 'a', 0x0227}, {0x0307, 'c', 0x010B}, {0x0307, 'e', 0x0117}, {0x0307, 'g', 0x0121},
    {0x0307, 'o', 0x022F}, {0x0307, 'z', 0x017C},
    {0x0308, 'A', 0x00C4}, {0x0308, 'E', 0x00CB}, {0x0308, 'I', 0x00CF}, {0x0308, 'O', 0x00D6}, {0x0308, 'U', 0x00DC},
    {0x0308, 'Y', 0x0178}, {0x0308, 'a', 0x00E4}, {0x0308, 'e', 0x00EB}, {0x0308, 'i', 0x00EF}, {0x0308, 'o', 0x00F6},
    {0x0308, 'u', 0x00FC}, {0x0308, 'y', 0x00FF},
    {0x030A, 'A', 0x00C5}, {0x030A, 'U', 0x016E}, {0x030A, 'a', 0x00E5}, {0x030A, 'u', 0x016F},
    {0x030B, 'O', 0x0150}, {0x030B, 'U', 0x0170}, {0x030B, 'o', 0x0151}, {0x030B, 'u', 0x0171},
    {0x030C, 'A', 0x01CD}, {0x030C, 'C', 0x010C}, {0x030C, 'D', 0x010E}, {0x030C, 'E', 0x011A}, {0x030C, 'G', 0x01E6},
    {0x030C, 'H', 0x021E}, {0x030C, 'I', 0x01CF}, {0x030C, 'K', 0x01E8}, {0x030C, 'N', 0x0147}, {0x030C, 'O', 0x01D1},
    {0x030C, 'R', 0x0158}, {0x030C, 'S', 0x0160}, {0x030C, 'T', 0x0164}, {0x030C, 'U', 0x01D3}, {0x030C, 'Z', 0x017D},
    {0x030C, 'a', 0x01CE}, {0x030C, 'c', 0x010D}, {0x030C, 'e', 0x011B}, {0x030C, 'g', 0x01E7}, {0x030C, 'h', 0x021F},
    {0x030C, 'i', 0x01D0}, {0x030C, 'k', 0x01E9}, {0x030C, 'n', 0x0148}, {0x030C, 'o', 0x01D2}, {0x030C, 'r', 0x0159},
    {0x030C, 's', 0x0161}, {0x030C, 'u', 0x01D4}, {0x030C, 'z', 0x017E},
    {0x030F, 'A', 0x0200}, {0x030F, 'E', 0x0204}, {0x030F, 'I', 0x0208}, {0x030F, 'O', 0x020C}, {0x030F, 'R', 0x0210},
    {0x030F, 'U', 0x0214}, {0x030F, 'a', 0x0201}, {0x030F, 'e', 0x0205}, {0x030F, 'i', 0x0209}, {0x030F, 'o', 0x020D},
    {0x030F, 'r', 0x0211}, {0x030F, 'u', 0x0215},
    {0x0311, 'A', 0x0202}, {0x0311, 'E', 0x0206}, {0x0311, 'I', 0x020A}, {0x0311, 'O', 0x020E}, {0x0311, 'R', 0x0212},
    {0x0311, 'U', 0x0216}, {0x0311, 'a', 0x0203}, {0x0311, 'e', 0x0207}, {0x0311, 'i', 0x020B}, {0x0311, 'o', 0x020F},
    {0x0311, 'r', 0x0213}, {0x0311, 'u', 0x0217},
};

constexpr bool CompositionLess(const Composition& a, const Composition& b)
{
    return a.mark != b.mark ? a.mark < b.mark : static_cast<uint8_t>(a.base) < static_cast<uint8_t>(b.base);
}

static_assert(std::is_sorted(std::begin(kCompositions), std::end(kCompositions), CompositionLess));

constexpr char kCaseCodeLetters[] = "ULDWSN";

}  // namespace

namespace detail {
constinit const CharTable upperCaseTable = MakeCaseTable(CaseDirection::Upper);
constinit const CharTable lowerCaseTable = MakeCaseTable(CaseDirection::Lower);
constinit const CharTable foldAccentTable = MakeFoldTable();
}  // namespace detail

void BuildCharacterTables() {}

uint32_t ComposeWithMark(uint32_t base, uint32_t mark)
{
    if (base > 0x7F || mark < 0x0300 || mark > 0x0311)
        return 0;
    Composition key{static_cast<uint16_t>(mark), static_cast<char>(base), 0};
    const Composition* found =
        std::lower_bound(std::begin(kCompositions), std::end(kCompositions), key, CompositionLess);
    if (found == std::end(kCompositions) || found->mark != key.mark || found->base != key.base)
        return 0;
    return found->composed;
}

int32_t ParseCaseCode(int32_t mode, char letter)
{
    for (int32_t i = 0; kCaseCodeLetters[i] != 0; ++i) {
        if (kCaseCodeLetters[i] == letter)
            return i;
    }
    return mode;
}

char CaseCodeLetter(int32_t mode)
{
    if (mode < 0 || mode >= static_cast<int32_t>(sizeof kCaseCodeLetters - 1))
        return 0;
    return kCaseCodeLetters[mode];
}

}  // namespace vek
