// Transforming cards: the fields and words, the date move, find and replace, formulas, the fixture
// base transformed as its README works out, and the faults: a run that cannot complete changes
// nothing, moved cards never share a key.
#include "analysis/batch/CardTransformation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "BatchTestSupport.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

using batchtest::BatchFixture;
using batchtest::BatchFixtureBase;
using batchtest::CardTexts;
using batchtest::FileBytes;
using batchtest::FixtureStamp;
using batchtest::SavedBytes;

// A host whose cancel flag comes on after a number of cards.
class CancellingHost final : public AnalysisHost {
public:
    explicit CancellingHost(int32_t cards) : cards(cards) {}
    void StepProgress() override { ++steps; }
    bool CancelRequested() const override { return steps >= cards; }
    int32_t cards;
    int32_t steps = 0;
};

bool Transform(BatchFixtureBase& fixture, std::initializer_list<const char*> words, AnalysisHost* host = nullptr,
               int32_t failAfterAdds = -1)
{
    CardTransformation transformation(fixture.base);
    for (const char* word : words) {
        if (!transformation.ParseOption(word)) {
            ADD_FAILURE() << "refused: " << word;
            return false;
        }
    }
    transformation.SetChangeStamp(FixtureStamp());
    transformation.FailAfterAdds(failAfterAdds);
    return transformation.Run(*fixture.source, host ? *host : fixture.host);
}

TEST(CardTransformationFindReplaceTest, FindAndReplaceForms)
{
    struct Case {
        const char* text;
        const char* find;
        const char* replacement;
        const char* result;
    };
    const Case cases[] = {
        {"Invoice", "", "Bill", "Bill"},
        {"Invoice", ">", " 2024", "Invoice 2024"},
        {"Invoice", "<", "Old ", "Old Invoice"},
        {"Invoice", "\\", "Filled", "Invoice"},
        {"", "\\", "Filled", "Filled"},
        {"Invoice", "\xC2\xAC\\", "Whole", "Whole"},
        {"a-b-c", "-", "+", "a+b+c"},
        {"cash in", "cash ", "\\", "in"},  // "\" deletes what is found
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.find);
        std::string text = c.text;
        CardTransformation::FindReplace(text, c.find, c.replacement);
        EXPECT_EQ(text, c.result);
    }
}

TEST(CardTransformationDateTest, LinearMoveAndItsEdges)
{
    Base base(FilePath(), 1);
    struct Case {
        const char* name;
        std::vector<const char*> words;
        PackedDate date;
        PackedDate moved;
    };
    const Case cases[] = {
        {"31 January onto 29 February", {"CB=240101", "CE=240131", "CF=240201", "CT=240229"},
         MakePackedDate(2024, 1, 31), MakePackedDate(2024, 2, 29)},
        {"16 January onto 15 February", {"CB=240101", "CE=240131", "CF=240201", "CT=240229"},
         MakePackedDate(2024, 1, 16), MakePackedDate(2024, 2, 15)},
        {"only a new start: a shift", {"CB=240101", "CE=240131", "CF=240111"}, MakePackedDate(2024, 3, 5),
         MakePackedDate(2024, 3, 15)},
        {"only a new end: a shift", {"CB=240101", "CE=240131", "CT=240130"}, MakePackedDate(2024, 1, 1),
         MakePackedDate(2023, 12, 31)},
        // Regression: equal old ends divided by zero. The range moves as a whole.
        {"equal old ends", {"CB=240110", "CE=240110", "CF=240201", "CT=240215"}, MakePackedDate(2024, 1, 10),
         MakePackedDate(2024, 2, 1)},
        {"the same range: no move", {"CB=240101", "CE=240131", "CF=240101", "CT=240131"},
         MakePackedDate(2024, 1, 20), MakePackedDate(2024, 1, 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardTransformation transformation(base);
        for (const char* word : c.words)
            ASSERT_TRUE(transformation.ParseOption(word)) << word;
        transformation.ComputeDateMove();
        EXPECT_TRUE(std::isfinite(transformation.Scale()));
        EXPECT_TRUE(std::isfinite(transformation.Offset()));
        EXPECT_EQ(transformation.MoveDate(c.date), c.moved);
    }
}

TEST(CardTransformationWordsTest, WordsAndFieldsRefuseWhatTheyCannotTake)
{
    BatchFixtureBase fixture;
    ASSERT_TRUE(fixture.ok);
    struct Case {
        const char* word;
        bool accepted;
    };
    const Case cases[] = {
        {"A", true},         {"CB=240101", true},  {"CB=2401", true},   {"CF=24.02.01", true},
        {"CB=xyz", false},   {"D1=P", true},        {"D2=\\", true},     {"D2=1910", true},
        {"D2=9999", false},  {"D40=1910", false},   {"D0=S", false},     {"TF=a", true},
        {"LT=", true},       {"VA=A*2", true},      {"V=B+1", true},     {"VC=1", false},
        {"Q=1", false},      {"B", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        CardTransformation transformation(fixture.base);
        EXPECT_EQ(transformation.ParseOption(c.word), c.accepted);
        ClearError();
    }
    // A formula field shows the compiled text; the field's own name means no formula.
    CardTransformation transformation(fixture.base);
    String text;
    text.AssignCStr(" amount ");
    ASSERT_TRUE(transformation.SetField(text, transform_field::kFirstFormula));
    EXPECT_STREQ(text.CStr(), "Amount");
}

// The fixture transformed in place as its README works out: every card 56 days later (only a new
// start: the first card, 5 January, lands on 1 March), titles prefixed, Units plus one, "cash" in
// line texts become "money"; the three cards of 16 February keep distinct numbers on 12 April.
TEST(CardTransformationFixtureTest, InPlaceAsWorkedOutByHand)
{
    BatchFixtureBase fixture;
    ASSERT_TRUE(fixture.ok);
    ASSERT_TRUE(Transform(fixture, {"CF=240301", "TF=<", "TT=Moved ", "VB=B+1", "LF=cash", "LT=money"}));
    EXPECT_FALSE(IsErrorPending());
    const std::vector<std::string> expected = {
        "240301-1 Moved Jan A | S: 1910 100 2 money in; 3010 -100 1 sale;",
        "240316-1 Moved Jan B | S: 1910 50 3 money in; 3010 -50 1 sale; 1920 25.5 1 bank in; 3020 -25.5 1 service;",
        "240330-1 Moved Feb A | S: 1910 70 2 money in; 3010 -70 1 sale; P: 1910 -12.25 1 money out; 3010 12.25 4 goods;",
        "240412-1 Moved Feb B | S: 1920 -30 1 bank out; 3020 30 1 refund;",
        "240412-2 Moved Feb C | S: 1920 30 1 bank in; 3020 -30 1 service;",
        "240412-3 Moved Feb D | S: 1910 5 1 money in; 1910 5 1 money in; 3010 -10 1 sale;",
    };
    EXPECT_EQ(CardTexts(fixture.base), expected);
    EXPECT_EQ(SavedBytes(fixture.base), FileBytes(BatchFixture("after-transform.vkx")));
}

TEST(CardTransformationFixtureTest, FormulasReadTheOldValuesAndStoreZeroForNaN)
{
    BatchFixtureBase fixture;
    ASSERT_TRUE(fixture.ok);
    // B takes the old A, A the old B; 0/0 would be NaN and is stored as 0; with equal old ends T is 0.
    ASSERT_TRUE(Transform(fixture, {"VA=B+0/0", "VB=A+T*0", "CB=240105", "CE=240105"}));
    std::vector<std::string> cards = CardTexts(fixture.base);
    EXPECT_EQ(cards[0], "240105-1 Jan A | S: 1910 0 100 cash in; 3010 0 -100 sale;");
}

// Regression: every moved card was filed as number 1, so two cards could share a key. A card that
// lands on a date with cards takes the lowest free number there.
TEST(CardTransformationFixtureTest, MovedCardsTakeFreeNumbers)
{
    BatchFixtureBase fixture("Cash lines");
    ASSERT_TRUE(fixture.ok);
    // Only the 1910 lines are shown: Jan A's cash line moves 42 days onto 16 February, where three
    // cards are; a new card takes it, numbered 4.
    ASSERT_TRUE(Transform(fixture, {"CF=240216"}));
    std::vector<std::string> cards = CardTexts(fixture.base);
    std::vector<std::string> keys;
    for (const std::string& card : cards)
        keys.push_back(card.substr(0, card.find(' ')));
    std::vector<std::string> unique = keys;
    std::sort(unique.begin(), unique.end());
    EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());
    EXPECT_NE(std::find(cards.begin(), cards.end(), "240216-4 Jan A | S: 1910 100 1 cash in;"), cards.end());
    EXPECT_NE(std::find(cards.begin(), cards.end(), "240105-1 Jan A | S: 3010 -100 0 sale;"), cards.end());

    BatchFixtureBase copies;
    ASSERT_TRUE(copies.ok);
    ASSERT_TRUE(Transform(copies, {"A"}));
    std::vector<std::string> copied = CardTexts(copies.base);
    EXPECT_EQ(copied.size(), 12u);
    EXPECT_EQ(copied[1].substr(0, 15), "240105-2 Jan A ");
    EXPECT_EQ(copied.back().substr(0, 15), "240216-6 Feb D ");
}

// Regression: an add failure during a move left lines out of every card and the run reported
// success. Now the run stops at once, says 600, and the base is exactly as it was: every line is in
// its card, every key, text, stamp and value as before, however far the run got.
TEST(CardTransformationFixtureTest, AFailureOrACancelMidwayLeavesTheBaseAsItWas)
{
    std::string before;
    {
        BatchFixtureBase fixture;
        ASSERT_TRUE(fixture.ok);
        before = SavedBytes(fixture.base);
    }
    for (int32_t adds = 0; adds < 6; ++adds) {
        SCOPED_TRACE(adds);
        BatchFixtureBase fixture("Cash lines");
        ASSERT_TRUE(fixture.ok);
        EXPECT_FALSE(Transform(fixture, {"D1=P", "CF=240301", "VA=A*2", "LF=cash", "LT=money"}, nullptr, adds));
        EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
        ClearError();
        EXPECT_EQ(SavedBytes(fixture.base), before);
    }
    for (int32_t cards = 1; cards < 6; ++cards) {
        SCOPED_TRACE(cards);
        BatchFixtureBase fixture;
        ASSERT_TRUE(fixture.ok);
        CancellingHost host(cards);
        EXPECT_FALSE(Transform(fixture,
                               {"CF=240216", "TT=Renamed", "NF=>", "NT= (moved)", "VA=A*2", "LF=cash", "LT=money",
                                "D2=1920", "D1=P"},
                               &host));
        ClearError();
        EXPECT_EQ(SavedBytes(fixture.base), before);
    }
}

}  // namespace
}  // namespace vek
