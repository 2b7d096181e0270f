// The amounts of "##Cards": the customary rounded form where it reads back as the value, and a
// text that reads back exactly where rounding would change it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "files/format/AmountText.h"
#include "foundation/numbers/NumberFormat.h"

namespace vek {
namespace {

std::string Amount(double value, int32_t decimals)
{
    char buffer[kMaxAmountTextBytes + 1];
    char* cursor = buffer;
    CursorPutAmount(cursor, value, decimals);
    EXPECT_LE(cursor - buffer, kMaxAmountTextBytes);
    return std::string(buffer, size_t(cursor - buffer));
}

double ReadBack(const std::string& text)
{
    return BytesToDouble(text.data(), int32_t(text.size()));
}

TEST(AmountTextTest, CustomaryFormWhereItIsExact)
{
    const struct {
        double value;
        int32_t decimals;
        const char* text;
    } cases[] = {
        {0.0, 2, "0"},           {-0.0, 2, "0"},         {7.0, 2, "7"},           {1234.5, 2, "1234.5"},
        {-1234.5, 2, "-1234.5"}, {0.5, 0, "0.5"},        {100.0, 0, "100"},       {0.25, 6, "0.25"},
        {12.0, 7, "12"},         {1e20, 2, "1e20"},      {-2.0, 9, "-2"},
        // Read from the same text, a value writes it back.
        {BytesToDouble("12.35", 5), 2, "12.35"}, {BytesToDouble("0.1", 3), 7, "0.1"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.value);
        EXPECT_EQ(Amount(entry.value, entry.decimals), entry.text);
    }
}

// Regression: amounts were rounded to the column's decimals on every save (2.5 with 0 decimals
// became 3, a third with 2 decimals 0.33), losing what the base held.
TEST(AmountTextTest, RoundingThatWouldChangeTheValueIsNotWritten)
{
    const double values[] = {2.5, 1.0 / 3.0, 0.1 + 0.2, -7.125, 1e-7, 123456789012345678.0, 1e300, -1e-300,
                             6327.706, 9434.73 * 1.0};
    for (double value : values) {
        for (int32_t decimals = 0; decimals <= 9; ++decimals) {
            std::string text = Amount(value, decimals);
            EXPECT_TRUE(ReadBack(text) == value) << value << " with " << decimals << " decimals as " << text;
        }
    }
    EXPECT_EQ(Amount(2.5, 0), "2.5");
}

TEST(AmountTextTest, EveryDoubleReadsBack)
{
    std::mt19937_64 random(20240301);
    for (int32_t i = 0; i < 20000; ++i) {
        double value;
        uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value) || std::fabs(value) < 1e-300)
            continue;  // below that the reader's scaling leaves the normal range
        std::string text = Amount(value, int32_t(i % 8));
        ASSERT_TRUE(ReadBack(text) == value) << value << " as " << text;
    }
    for (int32_t i = 0; i < 20000; ++i) {
        // Amounts as imports and computations make them.
        double value = double(int64_t(random() % 2000000001) - 1000000000) / double(1 + random() % 1000);
        std::string text = Amount(value, 2);
        ASSERT_TRUE(ReadBack(text) == value) << value << " as " << text;
    }
}

TEST(AmountTextTest, InfinitiesAndNan)
{
    EXPECT_EQ(Amount(std::numeric_limits<double>::infinity(), 2), "inf");
    EXPECT_EQ(Amount(-std::numeric_limits<double>::infinity(), 2), "-inf");
    EXPECT_TRUE(std::isinf(ReadBack("-inf")) && ReadBack("-inf") < 0);
    EXPECT_EQ(Amount(std::numeric_limits<double>::quiet_NaN(), 2), "");
}

}  // namespace
}  // namespace vek
