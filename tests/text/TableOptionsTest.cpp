// Tests of TableOptions: letter tables and names, inversions, and the sort orders of values and texts.
#include "text/TableOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace vek {
namespace {

std::vector<double> Sorted(std::vector<double> values, int32_t mode)
{
    std::stable_sort(values.begin(), values.end(),
                     [mode](double a, double b) { return CompareValuesForSort(a, b, mode) < 0; });
    return values;
}

TEST(TableOptionsTest, ValueSortOrders)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int32_t mode;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {0, {7, 3, 0, -1, -5}},  // desc
        {1, {7, 3, -5, -1, 0}},  // combdesc
        {2, {7, -5, 3, -1, 0}},  // absdesc
        {3, {0, -1, 3, -5, 7}},  // absasc
        {4, {0, 3, 7, -1, -5}},  // combasc
        {5, {-5, -1, 0, 3, 7}},  // asc
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ValueSortName(c.mode));
        EXPECT_EQ(Sorted({3, -5, 0, 7, -1}, c.mode), c.expected);
        // Not-a-number goes last in every mode, and two of them are equal.
        std::vector<double> withNan = Sorted({nan, 3, -5, 0}, c.mode);
        EXPECT_TRUE(std::isnan(withNan.back()));
        EXPECT_EQ(CompareValuesForSort(nan, nan, c.mode), 0);
        EXPECT_EQ(CompareValuesForSort(0.0, -0.0, c.mode), 0);
    }
    // Equal magnitudes of both signs are equal in the magnitude modes.
    EXPECT_EQ(CompareValuesForSort(-4, 4, 2), 0);
    EXPECT_EQ(CompareValuesForSort(4, -4, 3), 0);
    // Beyond 1e308 counts as positive or negative.
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Sorted({1, -infinity, infinity, 0}, 5), (std::vector<double>{-infinity, 0, 1, infinity}));
    EXPECT_EQ(Sorted({1, -infinity, infinity, 0}, 1), (std::vector<double>{infinity, 1, -infinity, 0}));
}

TEST(TableOptionsTest, TextOrderPutsMissingTextsLast)
{
    EXPECT_EQ(CompareTextsForSort("apple", "Banana", SortDirection::Ascending), -1);
    EXPECT_EQ(CompareTextsForSort("apple", "Banana", SortDirection::Descending), 1);
    EXPECT_EQ(CompareTextsForSort("ÄPPLE", "äpple", SortDirection::Ascending), 0);
    for (SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
        SCOPED_TRACE(int32_t(direction));
        EXPECT_EQ(CompareTextsForSort(nullptr, "a", direction), 1);
        EXPECT_EQ(CompareTextsForSort("a", nullptr, direction), -1);
        EXPECT_EQ(CompareTextsForSort(nullptr, nullptr, direction), 0);
    }
}

// Shows a link as its visible text: "<a href=x>TEXT</a>" becomes TEXT.
struct FakeLinkRegistry {
    void FormatText(String& out, const char* text) const
    {
        std::string shown = text ? text : "";
        size_t open = shown.find("<a ");
        if (open != std::string::npos) {
            size_t start = shown.find('>', open) + 1;
            shown = shown.substr(0, open) + shown.substr(start, shown.find("</a>") - start);
        }
        out.AssignCStr(shown.c_str());
    }
};

TEST(TableOptionsTest, DisplayTextsCompareTheirVisibleText)
{
    FakeLinkRegistry links;
    EXPECT_EQ(CompareDisplayTexts("<a href=\"http://z\">alpha</a>", "beta", SortDirection::Ascending, links), -1);
    EXPECT_EQ(CompareDisplayTexts("<a href=\"http://z\">alpha</a>", "beta", SortDirection::Descending, links), 1);
    for (SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
        SCOPED_TRACE(int32_t(direction));
        EXPECT_EQ(CompareDisplayTexts("", "b", direction, links), 1);
        EXPECT_EQ(CompareDisplayTexts("b", nullptr, direction, links), -1);
        EXPECT_EQ(CompareDisplayTexts(nullptr, "", direction, links), 0);
    }
}

TEST(TableOptionsTest, LetterTablesAndNames)
{
    struct Table {
        const char* letters;
        char (*code)(int32_t);
        void (*parse)(int32_t&, char);
    };
    const Table tables[] = {
        {"AD", SortDirectionCode, ParseSortDirectionCode},
        {"NRCTH", ItemDisplayCode, ParseItemDisplayCode},
        {"DEFCBA", ValueSortCode, ParseValueSortCode},
        {"NRP", SvQualifierCode, ParseSvQualifierCode},
    };
    for (const Table& table : tables) {
        SCOPED_TRACE(table.letters);
        int32_t count = static_cast<int32_t>(std::string(table.letters).size());
        for (int32_t i = 0; i < count; ++i) {
            int32_t index = -7;
            table.parse(index, table.code(i));
            EXPECT_EQ(index, i);
        }
        EXPECT_EQ(table.code(count), 0);
        EXPECT_EQ(table.code(-1), 0);
        // A letter outside the table keeps the setting.
        int32_t index = 1;
        table.parse(index, 'Z');
        table.parse(index, 0);
        EXPECT_EQ(index, 1);
    }
    EXPECT_EQ(ParseValueSortName("ABSDESC"), 2);
    EXPECT_EQ(ParseValueSortName("asc"), 5);
    EXPECT_EQ(ParseItemDisplayName("Host"), 4);
    EXPECT_EQ(ParseItemDisplayName(""), -1);
    EXPECT_EQ(ParseItemDisplayName(nullptr), -1);
    EXPECT_EQ(ParseValueSortName("descending"), -1);
}

TEST(TableOptionsTest, Inversions)
{
    for (int32_t mode = 0; mode < 6; ++mode) {
        int32_t index = mode;
        InvertValueSort(index);
        EXPECT_EQ(ValueSortCode(index), "ABCFED"[mode]);
        InvertValueSort(index);
        EXPECT_EQ(index, mode);
    }
    int32_t direction = 0;
    EXPECT_TRUE(InvertSortDirection(direction));
    EXPECT_EQ(direction, 1);
    direction = 2;
    EXPECT_FALSE(InvertSortDirection(direction));
    EXPECT_EQ(direction, 2);
    FlipSortDirection(direction);
    EXPECT_EQ(direction, -1);
    int32_t qualifier = 2;
    InvertSvQualifier(qualifier);
    EXPECT_EQ(qualifier, 0);
    InvertSvQualifier(qualifier);
    EXPECT_EQ(qualifier, 1);
}

TEST(TableOptionsTest, PopupTexts)
{
    const int32_t expected[] = {3601, 3602, 3400, 3401, 3402, 0};
    for (int32_t item = 0; item < 6; ++item)
        EXPECT_EQ(SortSettingTextId(item), expected[item]);
    EXPECT_EQ(ValueSortIconId(0), 6020);
    EXPECT_EQ(ValueSortIconId(5), 6025);
    EXPECT_EQ(ValueSortTextId(0, true), 3604);
    EXPECT_EQ(ValueSortTextId(5, true), 3603);
    EXPECT_EQ(ValueSortTextId(3, true), 0);
    EXPECT_EQ(ValueSortTextId(0, false), 0);
}

}  // namespace
}  // namespace vek
