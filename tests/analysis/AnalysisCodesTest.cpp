// The analysis letter codes, the range tests and the condition text of a value range.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "analysis/AnalysisCodes.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

TEST(AnalysisCodesTest, LettersReadBackAndForeignLettersLeaveTheSetting)
{
    for (int32_t mode = 0; mode < kValueModeCount; ++mode) {
        int32_t read = -1;
        ParseValueModeLetter(read, ValueModeLetter(mode));
        EXPECT_EQ(read, mode);
    }
    int32_t mode = 4;
    ParseValueModeLetter(mode, 'x');
    EXPECT_EQ(mode, 4);
    int32_t lValue = 2;
    ParseLKeyLetter(lValue, 'x');
    EXPECT_EQ(lValue, 2);
    ParseLKeyLetter(lValue, 'S');
    EXPECT_EQ(lValue, 4);

    for (int32_t color : kChartColors) {
        int32_t read = -1;
        ParseColorLetter(read, ColorLetter(color));
        EXPECT_EQ(read, color);
        EXPECT_NE(ColorNameText(color), 0);
    }
    // Colour 1 is no chart colour: written as "-", read back as colour 0.
    EXPECT_EQ(ColorLetter(1), '-');
    int32_t color = 1;
    ParseColorLetter(color, ColorLetter(1));
    EXPECT_EQ(color, 0);
    color = 13;
    ParseColorLetter(color, 'x');
    EXPECT_EQ(color, 13);

    EXPECT_EQ(DefaultSeriesColor(0), 21);
    EXPECT_EQ(DefaultSeriesColor(10), 21);
    EXPECT_EQ(DefaultSeriesColor(9), 18);
    EXPECT_EQ(FoldMode2(2), 3);
    EXPECT_EQ(FoldMode2(13), 13);
    EXPECT_EQ(FoldModes13And14(14), 3);
    EXPECT_EQ(FoldModes13And14(2), 2);
}

TEST(AnalysisCodesTest, DegenerateRangesAndReservedNames)
{
    struct RangeCase {
        double low, high;
        bool degenerate;
    };
    const RangeCase ranges[] = {
        {0, 0.0001, true}, {0, 0.00011, false}, {5, 4, true}, {1e6, 1e6 + 50, true}, {1e6, 1e6 + 500, false},
    };
    for (const RangeCase& c : ranges) {
        SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high));
        EXPECT_EQ(IsDegenerateRange(c.low, c.high), c.degenerate);
    }
    struct NameCase {
        const char* name;
        bool reserved;
    };
    const NameCase names[] = {
        {"abs(x)", true}, {"sqrt x", true}, {"absolute", false}, {"+total", true}, {"<=", true},
        {"#1", true},     {"(a)", true},    {"Sales", false},    {"", false},
    };
    for (const NameCase& c : names) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsReservedColumnName(c.name), c.reserved);
    }
}

TEST(AnalysisCodesTest, ValueRangeConditions)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double low, high;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {10, 20, "", "10\xE2\x80\xA6" "20"},
        {10, inf, "", ">10"},
        {-inf, 20, "", "<20"},
        {nan, 2e308 * 10, "", ""},
        {-5, nan, "a", "(a)&>-5"},
        {nan, nan, "a", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        String condition;
        condition.AssignCStr(c.before);
        AppendValueRangeCondition(c.low, c.high, condition);
        EXPECT_STREQ(condition.CStr(), c.after);
    }
}

}  // namespace
}  // namespace vek
