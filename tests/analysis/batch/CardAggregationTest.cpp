// Aggregating cards by period: the keywords, the periods, the summaries of the fixture base worked out
// by hand (tests/fixtures/batch/README.md), and the faults: a run that cannot complete changes nothing.
#include "analysis/batch/CardAggregation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BatchTestSupport.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedDate.h"

namespace vek {
namespace {

using batchtest::BatchFixture;
using batchtest::BatchFixtureBase;
using batchtest::CardTexts;
using batchtest::FileBytes;
using batchtest::FixtureStamp;
using batchtest::SavedBytes;

class CardAggregationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fixture.ok); }
    void TearDown() override { ClearError(); }

    // Runs with the fixture stamp after the words; false when a word was refused.
    bool Aggregate(std::initializer_list<const char*> words, CardAggregation* engine = nullptr)
    {
        CardAggregation own(fixture.base);
        CardAggregation& aggregation = engine ? *engine : own;
        for (const char* word : words) {
            if (!aggregation.ParseOptions(word))
                return false;
        }
        aggregation.SetChangeStamp(FixtureStamp());
        return aggregation.Run(*fixture.source, fixture.host);
    }

    BatchFixtureBase fixture;
};

TEST_F(CardAggregationTest, KeywordsSetTheOptionsAndRefuseWhatTheyDoNotKnow)
{
    struct Case {
        std::vector<const char*> words;
        bool accepted;
        AggregatePeriod period;
    };
    const Case cases[] = {
        {{"-months"}, true, AggregatePeriod::Months},
        {{"-MONTHS"}, true, AggregatePeriod::Months},
        {{"-2months"}, true, AggregatePeriod::TwoMonths},
        {{"-halfmonths"}, true, AggregatePeriod::HalfMonths},
        {{"-halfyears"}, true, AggregatePeriod::HalfYears},
        {{"-4weeks"}, true, AggregatePeriod::FourWeeks},
        {{"-weeks"}, true, AggregatePeriod::Weeks},
        {{"-days"}, true, AggregatePeriod::Days},
        {{"-cards"}, true, AggregatePeriod::EachCard},
        {{"-onecard", "240301"}, true, AggregatePeriod::OneCard},
        {{"months"}, false, AggregatePeriod::EachCard},    // no hyphen
        {{"-fortnights"}, false, AggregatePeriod::EachCard},
        {{"-timescale", "No such scale"}, false, AggregatePeriod::EachCard},
        {{"-dim", "Planets"}, false, AggregatePeriod::EachCard},
        {{"-dim", "Accounts", "65"}, false, AggregatePeriod::EachCard},
        {{"-dim", "Accounts", "0"}, false, AggregatePeriod::EachCard},
        {{"-dim", "Accounts", "x"}, false, AggregatePeriod::EachCard},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.front());
        CardAggregation aggregation(fixture.base);
        bool accepted = true;
        for (const char* word : c.words)
            accepted = aggregation.ParseOptions(word) && accepted;
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(aggregation.Period(), c.period);
    }

    CardAggregation aggregation(fixture.base);
    for (const char* word : {"-dim", "Accounts", "none", "-dim", "Departments", "2", "-duplicate",
                             "-keeplinetexts", "-keepzerolines", "-noperiodnames"})
        EXPECT_TRUE(aggregation.ParseOptions(word)) << word;
    EXPECT_EQ(aggregation.Level(1), kAggregateLevelNone);
    EXPECT_EQ(aggregation.Level(0), 2 + 3);
    EXPECT_TRUE(aggregation.Duplicate());
    EXPECT_FALSE(aggregation.SkipLineTexts());
    EXPECT_FALSE(aggregation.SkipZeroLines());
    EXPECT_FALSE(aggregation.PeriodNames());
    EXPECT_TRUE(aggregation.IsComplete());
}

TEST(CardAggregationPeriodTest, PeriodsOfADate)
{
    struct Case {
        AggregatePeriod kind;
        PackedDate date;
        PackedDate start;
        PackedDate end;
    };
    const Case cases[] = {
        {AggregatePeriod::Years, MakePackedDate(2024, 7, 9), MakePackedDate(2024, 1, 1), MakePackedDate(2024, 12, 31)},
        {AggregatePeriod::HalfYears, MakePackedDate(2024, 7, 9), MakePackedDate(2024, 7, 1), MakePackedDate(2024, 12, 31)},
        {AggregatePeriod::Tertials, MakePackedDate(2024, 4, 30), MakePackedDate(2024, 1, 1), MakePackedDate(2024, 4, 30)},
        {AggregatePeriod::Quarters, MakePackedDate(2024, 2, 29), MakePackedDate(2024, 1, 1), MakePackedDate(2024, 3, 31)},
        {AggregatePeriod::TwoMonths, MakePackedDate(2024, 2, 1), MakePackedDate(2024, 1, 1), MakePackedDate(2024, 2, 29)},
        {AggregatePeriod::Months, MakePackedDate(2023, 2, 14), MakePackedDate(2023, 2, 1), MakePackedDate(2023, 2, 28)},
        {AggregatePeriod::HalfMonths, MakePackedDate(2024, 1, 15), MakePackedDate(2024, 1, 1), MakePackedDate(2024, 1, 15)},
        {AggregatePeriod::HalfMonths, MakePackedDate(2024, 1, 16), MakePackedDate(2024, 1, 16), MakePackedDate(2024, 1, 31)},
        // Weeks run Monday to Sunday: 10 January 2024 is a Wednesday.
        {AggregatePeriod::Weeks, MakePackedDate(2024, 1, 10), MakePackedDate(2024, 1, 8), MakePackedDate(2024, 1, 14)},
        {AggregatePeriod::Weeks, MakePackedDate(2024, 1, 14), MakePackedDate(2024, 1, 8), MakePackedDate(2024, 1, 14)},
        {AggregatePeriod::Days, MakePackedDate(2024, 1, 14), MakePackedDate(2024, 1, 14), MakePackedDate(2024, 1, 14)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int32_t(c.kind));
        PackedDate start = 0;
        PackedDate end = 0;
        CardAggregation::PeriodOfDate(c.kind, c.date, start, end);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(end, c.end);
    }
}

// The months of the fixture (README): one summary card per month, lines summed per group and
// account, the zero sums of 1920 and 3020 in February left out, every source line gone.
TEST_F(CardAggregationTest, MonthsOfTheFixtureAsWorkedOutByHand)
{
    ASSERT_TRUE(Aggregate({"-months"}));
    EXPECT_FALSE(IsErrorPending());
    const std::vector<std::string> expected = {
        "240101-1 Summary 2401 | S: 1910 150 3; 1920 25.5 0; 3010 -150 0; 3020 -25.5 0;",
        "240201-1 Summary 2402 | S: 1910 80 1; 3010 -80 0; P: 1910 -12.25 0; 3010 12.25 3;",
    };
    EXPECT_EQ(CardTexts(fixture.base), expected);
    EXPECT_EQ(fixture.base.LineCount(), 8);
    EXPECT_TRUE(fixture.base.IsModified());
    EXPECT_EQ(SavedBytes(fixture.base), FileBytes(BatchFixture("after-months.vkx")));
}

TEST_F(CardAggregationTest, LevelsMapComponentsBeforeLinesAreCompared)
{
    struct Case {
        const char* level;
        std::vector<std::string> january;
    };
    const Case cases[] = {
        // Lifted to level 1: 1910 and 1920 sum into 19, 3010 and 3020 into 30.
        {"1", {"240101-1 Summary 2401 | S: 19 175.5 3; 30 -175.5 0;"}},
        // No account at all: every line of the group is one, whose amounts cancel but units do not.
        {"none", {"240101-1 Summary 2401 | S:  0 3;"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        BatchFixtureBase local;
        ASSERT_TRUE(local.ok);
        CardAggregation aggregation(local.base);
        for (const char* word : {"-months", "-dim", "Accounts", c.level})
            ASSERT_TRUE(aggregation.ParseOptions(word));
        aggregation.SetChangeStamp(FixtureStamp());
        ASSERT_TRUE(aggregation.Run(*local.source, local.host));
        std::vector<std::string> cards = CardTexts(local.base);
        ASSERT_FALSE(cards.empty());
        EXPECT_EQ(cards.front(), c.january.front());
    }
}

// Kind "cards" merges the equal lines of each card in that card: Feb D's two 1910 lines become one,
// and no card is added or lost.
TEST_F(CardAggregationTest, EachCardMergesItsOwnEqualLines)
{
    int32_t cards = fixture.base.CardCount();
    ASSERT_TRUE(Aggregate({"-cards"}));
    EXPECT_EQ(fixture.base.CardCount(), cards);
    std::vector<std::string> texts = CardTexts(fixture.base);
    EXPECT_EQ(texts.back(), "240216-3 Feb D | S: 1910 10 0; 3010 -10 0;");
    EXPECT_EQ(texts[1], "240120-1 Jan B | S: 1910 50 2; 1920 25.5 0; 3010 -50 0; 3020 -25.5 0;");
}

TEST_F(CardAggregationTest, DuplicateKeepsTheSourcesAndAddsTheSummaries)
{
    std::vector<std::string> before = CardTexts(fixture.base);
    ASSERT_TRUE(Aggregate({"-months", "-duplicate"}));
    std::vector<std::string> after = CardTexts(fixture.base);
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(after[0], "240101-1 Summary 2401 | S: 1910 150 3; 1920 25.5 0; 3010 -150 0; 3020 -25.5 0;");
    for (const std::string& card : before)
        EXPECT_NE(std::find(after.begin(), after.end(), card), after.end()) << card;
}

TEST_F(CardAggregationTest, HalfMonthTitlesNameTheirDays)
{
    ASSERT_TRUE(Aggregate({"-halfmonths", "-title", "  Half  "}));
    std::vector<std::string> texts = CardTexts(fixture.base);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].substr(0, 33), "240101-1 Half 240101-240115 | S: ");
    EXPECT_EQ(texts[1].substr(0, 33), "240116-1 Half 240116-240131 | S: ");
    EXPECT_EQ(texts[3].substr(0, 33), "240216-1 Half 240216-240229 | S: ");
}

// Regression: aggregating each card by itself with its sources kept put the merged lines beside
// them in the same card, doubling its amounts. It is refused, and nothing changes.
TEST_F(CardAggregationTest, EachCardWithDuplicateIsRefused)
{
    std::string before = SavedBytes(fixture.base);
    EXPECT_FALSE(Aggregate({"-cards", "-duplicate"}));
    EXPECT_EQ(GetPendingError().message.code, message::kAggregateEachCardKeepingSources);
    EXPECT_EQ(SavedBytes(fixture.base), before);
}

TEST_F(CardAggregationTest, WithoutInitialsNothingIsChanged)
{
    std::string before = SavedBytes(fixture.base);
    CardAggregation aggregation(fixture.base);
    ASSERT_TRUE(aggregation.ParseOptions("-months"));
    EXPECT_FALSE(aggregation.Run(*fixture.source, fixture.host));
    EXPECT_EQ(GetPendingError().message.code, message::kBatchNoChangeStamp);
    EXPECT_EQ(SavedBytes(fixture.base), before);
}

// Regression: the collection could not grow and a summary of part of the lines was reported as
// done. Regression: a failure while finishing a summary deleted the source lines anyway. Both now
// stop with 600 and leave the base exactly as it was, at every point a failure is injected.
TEST_F(CardAggregationTest, AFailureAnywhereLeavesTheBaseAsItWas)
{
    std::string before = SavedBytes(fixture.base);
    ASSERT_FALSE(before.empty());
    struct Case {
        const char* name;
        int32_t collectionLimit;
        int32_t failAfterAdds;
        std::vector<const char*> words;
    };
    const Case cases[] = {
        {"growth while feeding", 0, -1, {"-onecard", "240301"}},
        {"first summary card", -1, 0, {"-months"}},
        {"a line of the first summary", -1, 2, {"-months"}},
        {"the second summary", -1, 6, {"-months"}},
        {"the last line", -1, 11, {"-months"}},
        {"a line added to a card by itself", -1, 3, {"-cards"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BatchFixtureBase local;
        ASSERT_TRUE(local.ok);
        bool wasModified = local.base.IsModified();
        CardAggregation aggregation(local.base);
        for (const char* word : c.words)
            ASSERT_TRUE(aggregation.ParseOptions(word));
        aggregation.SetChangeStamp(FixtureStamp());
        aggregation.SetCollectionLimit(c.collectionLimit);
        aggregation.FailAfterAdds(c.failAfterAdds);
        EXPECT_FALSE(aggregation.Run(*local.source, local.host));
        EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
        ClearError();
        EXPECT_EQ(local.base.IsModified(), wasModified);
        EXPECT_EQ(SavedBytes(local.base), before);
    }
}

}  // namespace
}  // namespace vek
