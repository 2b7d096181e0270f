#include "model/selections/KeyPattern.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

CardKey Key(int32_t year, int32_t month, int32_t day, int32_t number)
{
    return CardKey{MakePackedDate(year, month, day), number};
}

std::string CompileCardKeys(CardKeyPattern& pattern, const char* typed)
{
    String text;
    text.AssignCStr(typed);
    EXPECT_EQ(pattern.Compile(text, nullptr), 0);
    return std::string(text.View());
}

struct NormalCase {
    const char* typed;
    const char* normal;
};

// Typing shortcuts, comparisons in one spelling, blanks, repairs.
constexpr NormalCase kNormalCases[] = {
    {"", ""},
    {"240101", "240101"},
    {" 240101 .. 240131 ", "240101…240131"},
    {"240101_240131", "240101…240131"},
    {"≥240101", ">=240101"},
    {"=>240101", ">=240101"},
    {"≠240101", "<>240101"},
    {"≤240101", "<=240101"},
    {"¬¬240101", "240101"},
    {"(240101|240201", "(240101|240201)"},
    {"240101&&240102", "240101&240102"},
    {"240101--240102", "240101¬240102"},
    {"=\\", "\\"},
    {"<", "\\"},
    // A value without a date is the key without a date, kept as typed (it was dropped, which widened
    // the pattern to every card).
    {"nonsense", "nonsense"},
    {"240101|nonsense", "240101|nonsense"},
    {"..240131", "…240131"},
};

TEST(KeyPatternTest, TextsComeBackInTheirNormalForm)
{
    for (const NormalCase& c : kNormalCases) {
        SCOPED_TRACE(c.typed);
        CardKeyPattern pattern;
        std::string normal = CompileCardKeys(pattern, c.typed);
        EXPECT_EQ(normal, c.normal);
        // The normal form compiles to itself.
        CardKeyPattern again;
        EXPECT_EQ(CompileCardKeys(again, normal.c_str()), normal);
    }
}

struct MatchCase {
    const char* pattern;
    CardKey key;
    bool matches;
};

TEST(KeyPatternTest, CardKeysMatchByDateAndNumber)
{
    const MatchCase cases[] = {
        // A range of two dates takes every card from the start of the first to the end of the second.
        {"240101…240131", Key(2024, 1, 1, 1), true},
        {"240101…240131", Key(2024, 1, 31, 999), true},
        {"240101…240131", Key(2024, 2, 1, 1), false},
        {"240101…240131", Key(2023, 12, 31, 5), false},
        // One date is the whole day.
        {"240115", Key(2024, 1, 15, 7), true},
        {"240115", Key(2024, 1, 16, 1), false},
        // A key with its number.
        {"240115-3", Key(2024, 1, 15, 3), true},
        {"240115-3", Key(2024, 1, 15, 4), false},
        {">240115", Key(2024, 1, 15, 9), false},
        {">240115", Key(2024, 1, 16, 1), true},
        {"<240115", Key(2024, 1, 15, 1), false},
        {"<240115", Key(2024, 1, 14, 9), true},
        {">=240115", Key(2024, 1, 15, 1), true},
        {"<=240115", Key(2024, 1, 15, 9), true},
        {"<>240115", Key(2024, 1, 15, 2), false},
        {"<>240115", Key(2024, 1, 14, 2), true},
        {"\\", CardKey{0, 0}, true},
        {"\\", Key(2024, 1, 14, 2), false},
        // Boolean layer with short-circuits.
        {"240101|240301", Key(2024, 3, 1, 1), true},
        {"240101|240301", Key(2024, 2, 1, 1), false},
        {"240101…241231&¬240301…240331", Key(2024, 3, 5, 1), false},
        {"240101…241231¬240301…240331", Key(2024, 4, 5, 1), true},
        {"240101…241231±240301…250331", Key(2025, 1, 5, 1), true},
        {"240101…241231±240301…250331", Key(2024, 5, 5, 1), false},
        // Empty: everything.
        {"", Key(2024, 5, 5, 1), true},
        // A range without its start runs from the first key; a value without digits is no date.
        {"…240131", Key(2023, 6, 1, 1), true},
        {"…240131", Key(2024, 2, 1, 1), false},
        {"Jan", Key(2024, 1, 5, 1), false},
        {"Jan", CardKey{0, 0}, true},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        CardKeyPattern pattern;
        CompileCardKeys(pattern, c.pattern);
        EXPECT_EQ(pattern.Matches(c.key), c.matches);
    }
}

TEST(KeyPatternTest, StampPatternsReadDatesAndTimes)
{
    struct StampCase {
        const char* pattern;
        PackedTimestamp time;
        bool matches;
    };
    const StampCase cases[] = {
        // A month runs from its first day 00:00 to its last day 23:59.
        {"2402", MakePackedTimestamp(2024, 2, 1, 0, 0), true},
        {"2402", MakePackedTimestamp(2024, 2, 29, 23, 59), true},
        {"2402", MakePackedTimestamp(2024, 3, 1, 0, 0), false},
        {"2402", MakePackedTimestamp(2024, 1, 31, 23, 59), false},
        // Times to the minute.
        {"2402011430…2402011800", MakePackedTimestamp(2024, 2, 1, 14, 30), true},
        {"2402011430…2402011800", MakePackedTimestamp(2024, 2, 1, 18, 0), true},
        {"2402011430…2402011800", MakePackedTimestamp(2024, 2, 1, 18, 1), false},
        {"2402011430…2402011800", MakePackedTimestamp(2024, 2, 1, 14, 29), false},
        {"\\", 0, true},
        {"\\", MakePackedTimestamp(2024, 2, 1, 14, 29), false},
    };
    for (const StampCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        StampPattern pattern;
        String text;
        text.AssignCStr(c.pattern);
        EXPECT_EQ(pattern.Compile(text, nullptr), 0);
        EXPECT_EQ(std::string(text.View()), c.pattern);
        EXPECT_EQ(pattern.Matches(c.time), c.matches);
    }
}

TEST(KeyPatternTest, TooDeepIsRefusedAndLeavesTheTextAndNoPattern)
{
    std::string deep(300, '(');
    deep += "240101";
    String text;
    text.AssignBytes(deep);
    CardKeyPattern pattern;
    EXPECT_EQ(pattern.Compile(text, nullptr), message::kConditionTooDeep);
    EXPECT_TRUE(pattern.IsEmpty());
    EXPECT_EQ(std::string(text.View()), deep);
}

}  // namespace
}  // namespace vek
