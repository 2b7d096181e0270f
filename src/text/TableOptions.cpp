// TableOptions: the letter tables of column options and the comparators of sorting tables.
#include "text/TableOptions.h"

#include "foundation/strings/CString.h"
#include "foundation/numbers/NumberMath.h"

namespace vek {

static constexpr char kSortDirectionLetters[] = "AD";
static constexpr char kItemDisplayLetters[] = "NRCTH";
static constexpr char kValueSortLetters[] = "DEFCBA";
static constexpr char kSvQualifierLetters[] = "NRP";
static constexpr const char* kItemDisplayNames[] = {"normal", "reversed", "code", "text", "host"};
static constexpr const char* kValueSortNames[] = {"desc", "combdesc", "absdesc", "absasc", "combasc", "asc"};

template <int32_t N>
static char LetterAt(const char (&letters)[N], int32_t index)
{
    return index >= 0 && index < N - 1 ? letters[index] : 0;
}

template <int32_t N>
static void ParseLetter(const char (&letters)[N], int32_t& index, char letter)
{
    for (int32_t i = 0; i < N - 1; ++i) {
        if (letters[i] == letter && letter != 0) {
            index = i;
            return;
        }
    }
}

template <int32_t N>
static int32_t IndexOfName(const char* const (&names)[N], const char* name)
{
    if (!name || !*name)
        return -1;
    for (int32_t i = 0; i < N; ++i) {
        if (CStrEqualNoCase(names[i], name))
            return i;
    }
    return -1;
}

char SortDirectionCode(int32_t index) { return LetterAt(kSortDirectionLetters, index); }
char ItemDisplayCode(int32_t index) { return LetterAt(kItemDisplayLetters, index); }
char ValueSortCode(int32_t index) { return LetterAt(kValueSortLetters, index); }
char SvQualifierCode(int32_t index) { return LetterAt(kSvQualifierLetters, index); }

void ParseSortDirectionCode(int32_t& index, char letter) { ParseLetter(kSortDirectionLetters, index, letter); }
void ParseItemDisplayCode(int32_t& index, char letter) { ParseLetter(kItemDisplayLetters, index, letter); }
void ParseValueSortCode(int32_t& index, char letter) { ParseLetter(kValueSortLetters, index, letter); }
void ParseSvQualifierCode(int32_t& index, char letter) { ParseLetter(kSvQualifierLetters, index, letter); }

int32_t ParseItemDisplayName(const char* name) { return IndexOfName(kItemDisplayNames, name); }
int32_t ParseValueSortName(const char* name) { return IndexOfName(kValueSortNames, name); }

const char* ItemDisplayName(int32_t index)
{
    return index >= 0 && index < 5 ? kItemDisplayNames[index] : nullptr;
}

const char* ValueSortName(int32_t index)
{
    return index >= 0 && index < 6 ? kValueSortNames[index] : nullptr;
}

void FlipSortDirection(int32_t& index)
{
    index = 1 - index;
}

bool InvertSortDirection(int32_t& index)
{
    if (index != 0 && index != 1)
        return false;
    index = 1 - index;
    return true;
}

void InvertValueSort(int32_t& index)
{
    index = 5 - index;
}

void InvertSvQualifier(int32_t& index)
{
    index = index == 0 ? 1 : 0;
}

int32_t CompareTextsForSort(const char* a, const char* b, SortDirection direction)
{
    if (!a)
        return b ? 1 : 0;
    if (!b)
        return -1;
    int32_t result = CStrCompareNoCase(a, b);
    return direction == SortDirection::Descending ? -result : result;
}

namespace {
// The sign classes of the value sort. Beyond ±1e308 a value counts as positive or negative.
enum class SignClass { zero, positive, negative, missing };

SignClass SignClassOf(double x)
{
    switch (ClassifyDouble(x)) {
    case 0:
        return SignClass::zero;
    case 1:
    case 3:
        return SignClass::positive;
    case 2:
    case 4:
        return SignClass::negative;
    default:
        return SignClass::missing;
    }
}

int32_t Ascending(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Rank of each sign class in each mode (lower first), and the order inside a class: +1 ascending by
// value, -1 descending by value.
struct ModeOrder {
    int32_t rankZero, rankPositive, rankNegative;
    int32_t positiveOrder, negativeOrder;
    bool byMagnitude;  // positives and negatives share one rank, compared by magnitude
};

constexpr ModeOrder kModeOrders[6] = {
    {1, 0, 2, -1, -1, false},  // D desc: positives, zeros, negatives, largest first
    {2, 0, 1, -1, +1, false},  // E combdesc: positives largest first, negatives most negative first, zeros
    {1, 0, 0, -1, +1, true},   // F absdesc: by magnitude largest first, zeros last
    {0, 1, 1, +1, -1, true},   // C absasc: zeros, then by magnitude smallest first
    {0, 1, 2, +1, -1, false},  // B combasc: zeros, positives smallest first, negatives least negative first
    {1, 2, 0, +1, +1, false},  // A asc: negatives, zeros, positives, smallest first
};
}  // namespace

int32_t CompareValuesForSort(double a, double b, int32_t valueSort)
{
    SignClass classA = SignClassOf(a);
    SignClass classB = SignClassOf(b);
    if (classA == SignClass::missing || classB == SignClass::missing)
        return classA == classB ? 0 : (classA == SignClass::missing ? 1 : -1);
    if (valueSort < 0 || valueSort > 5)
        valueSort = 0;
    const ModeOrder& mode = kModeOrders[valueSort];
    auto rank = [&](SignClass c) {
        return c == SignClass::zero ? mode.rankZero : (c == SignClass::positive ? mode.rankPositive : mode.rankNegative);
    };
    int32_t rankA = rank(classA);
    int32_t rankB = rank(classB);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (classA == SignClass::zero && classB == SignClass::zero)
        return 0;
    if (mode.byMagnitude) {
        double magnitudeA = a < 0 ? -a : a;
        double magnitudeB = b < 0 ? -b : b;
        // Both orders of the magnitude modes are stored as the positive order.
        return mode.positiveOrder * Ascending(magnitudeA, magnitudeB);
    }
    int32_t order = classA == SignClass::positive ? mode.positiveOrder : mode.negativeOrder;
    return order * Ascending(a, b);
}

int32_t SortSettingTextId(int32_t item)
{
    static constexpr int32_t texts[] = {3601, 3602, 3400, 3401, 3402};
    return item >= 0 && item < 5 ? texts[item] : 0;
}

int32_t ValueSortIconId(int32_t item)
{
    return item >= 0 && item < 6 ? 6020 + item : 0;
}

int32_t ValueSortTextId(int32_t item, bool listOpen)
{
    if (!listOpen)
        return 0;
    return item == 0 ? 3604 : (item == 5 ? 3603 : 0);
}

}  // namespace vek
