#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"
#include "model/CardTestSupport.h"

namespace vek {
namespace {

using vek::testing::ChainKeys;
using vek::testing::ExpectChainConsistent;

constexpr PackedDate kDay1 = MakePackedDate(2024, 3, 1);
constexpr PackedDate kDay2 = MakePackedDate(2024, 3, 2);
constexpr PackedDate kDay3 = MakePackedDate(2024, 3, 5);

class CardTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }

    Card* Create(PackedDate date, int32_t wanted)
    {
        CardKey key{date, wanted};
        Card* card = base.CreateCard(key);
        EXPECT_NE(card, nullptr);
        return card;
    }
    int32_t NumberOf(PackedDate date, int32_t wanted)
    {
        Card* card = Create(date, wanted);
        return card ? card->number : -1;
    }
    // A card with one group and `lines` lines.
    Card* CardWithLines(PackedDate date, int32_t lines)
    {
        Card* card = Create(date, 0);
        CardGroup* group = base.FindOrAddGroup(card, 0);
        for (int32_t i = 0; i < lines; ++i)
            EXPECT_NE(base.CreateLine(group), nullptr);
        return card;
    }
    const DateBucket* BucketOf(const Card* card) const { return base.BucketAt(card->bucket); }

    Base base{FilePath(), 1};
};

TEST_F(CardTest, NumbersOnOneDateTakeTheLowestFreeNumber)
{
    EXPECT_EQ(NumberOf(kDay1, 0), 1);
    EXPECT_EQ(NumberOf(kDay1, 0), 2);
    EXPECT_EQ(NumberOf(kDay1, 0), 3);
    EXPECT_EQ(NumberOf(kDay1, 2), 4);  // taken: the next free one above it
    base.DeleteCard(base.FindCardAtOrAfter(CardKey{kDay1, 2}));
    EXPECT_EQ(NumberOf(kDay1, 1), 2);
    CardKey key{kDay1, 3};
    ASSERT_NE(base.CreateCard(key), nullptr);
    EXPECT_EQ(key.number, 5) << "the key given back holds the number really given";
    ExpectChainConsistent(base);
}

TEST_F(CardTest, FillingAGapMovesTheRunEndThroughFollowingCards)
{
    EXPECT_EQ(NumberOf(kDay1, 5), 5);
    EXPECT_EQ(NumberOf(kDay1, 2), 2);
    EXPECT_EQ(NumberOf(kDay1, 3), 3);
    EXPECT_EQ(NumberOf(kDay1, 0), 1);
    const Card* first = base.FirstCard();
    EXPECT_EQ(base.CardAt(BucketOf(first)->runEnd)->number, 3);
    EXPECT_EQ(NumberOf(kDay1, 4), 4);
    EXPECT_EQ(base.CardAt(BucketOf(first)->runEnd)->number, 5);
    EXPECT_EQ(NumberOf(kDay1, 1), 6);  // the run shortcut lands after the run
    ExpectChainConsistent(base);
}

TEST_F(CardTest, CardNumbersStopBelowTheOpenEnd)
{
    // Guards against a number overflowing past 0x7fffffff, which would sort the card before the rest.
    EXPECT_EQ(NumberOf(kDay1, kOpenEndNumber), kMaxCardNumber);
    CardKey key{kDay1, kMaxCardNumber};
    EXPECT_EQ(base.CreateCard(key), nullptr);
    EXPECT_EQ(base.CardCount(), 1);
    EXPECT_EQ(NumberOf(kDay1, 7), 7);
    ExpectChainConsistent(base);
}

TEST_F(CardTest, ACardWhoseDateCannotBeFiledIsNotMade)
{
    // 1023 dates fill the first page of the bucket pool (the end node takes one record); a spare
    // card record waits on the free list.
    for (int32_t day = 0; day < 1023; ++day)
        Create(DayNumberToPackedDate(PackedDateToDayNumber(kDay1) + day), 0);
    base.DeleteCard(Create(kDay1, 0));
    MemFailAllocationsAfter(0);
    CardKey key{MakePackedDate(2030, 1, 1), 0};
    Card* card = base.CreateCard(key);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(card, nullptr) << "the card must not be filed under another date";
    EXPECT_EQ(base.CardCount(), 1023);
    EXPECT_EQ(base.BucketCount(), 1023);
    ExpectChainConsistent(base);
    EXPECT_NE(base.CreateCard(key), nullptr);
}

TEST_F(CardTest, CardsWithoutUsableDatesAreRefused)
{
    for (PackedDate date : {PackedDate(0), kEndDate, PackedDate(0xFFFFFFFFu)}) {
        SCOPED_TRACE(date);
        CardKey key{date, 1};
        EXPECT_EQ(base.CreateCard(key), nullptr);
    }
    EXPECT_EQ(base.CardCount(), 0);
    EXPECT_EQ(base.BucketCount(), 0);
}

// Random keys inserted in random order, with deletions and key changes between, against a model of
// sets of numbers per date; then every lookup against a walk over the model.
TEST_F(CardTest, RandomBaseAgreesWithBruteForce)
{
    SyntheticRandom random(20240301);
    std::map<PackedDate, std::set<int32_t>> model;
    auto dateOf = [&](int32_t day) { return DayNumberToPackedDate(PackedDateToDayNumber(kDay1) + day); };
    for (int32_t step = 0; step < 4000; ++step) {
        int32_t action = random.Below(10);
        if (action < 7 || model.empty()) {
            PackedDate date = dateOf(random.Below(90));
            int32_t wanted = random.Below(3) == 0 ? 0 : 1 + random.Below(40);
            std::set<int32_t>& numbers = model[date];
            int32_t expected = wanted < 1 ? 1 : wanted;
            while (numbers.count(expected))
                ++expected;
            numbers.insert(expected);
            ASSERT_EQ(NumberOf(date, wanted), expected);
        } else {
            auto it = model.begin();
            std::advance(it, random.Below(int32_t(model.size())));
            int32_t number = *std::next(it->second.begin(), random.Below(int32_t(it->second.size())));
            Card* card = base.FindCardAtOrAfter(CardKey{it->first, number});
            ASSERT_EQ(card->number, number);
            PackedDate date = it->first;
            it->second.erase(number);
            if (it->second.empty())
                model.erase(it);
            if (action < 9) {
                base.DeleteCard(card);
            } else {
                PackedDate newDate = dateOf(random.Below(90));
                int32_t wanted = 1 + random.Below(40);
                std::set<int32_t>& numbers = model[newDate];
                int32_t expected = wanted;
                while (numbers.count(expected))
                    ++expected;
                numbers.insert(expected);
                CardKey key{newDate, wanted};
                ASSERT_TRUE(base.ChangeCardKey(card, key)) << date;
                ASSERT_EQ(key.number, expected);
            }
        }
    }
    ExpectChainConsistent(base);

    std::vector<CardKey> all;
    for (const auto& [date, numbers] : model)
        for (int32_t number : numbers)
            all.push_back(CardKey{date, number});
    ASSERT_EQ(int32_t(all.size()), base.CardCount());
    auto atOrAfter = [&](const CardKey& key) {
        size_t i = 0;
        while (i < all.size() && CardKeyLess(all[i], key))
            ++i;
        return i;
    };
    auto keyOf = [&](const Card* card) {
        CardKey key;
        base.GetCardKey(card, key);
        return key;
    };
    for (int32_t query = 0; query < 600; ++query) {
        CardKey from{dateOf(random.Below(100) - 5), random.Below(45)};
        CardKey to{dateOf(random.Below(100) - 5), random.Below(4) == 0 ? kOpenEndNumber : random.Below(45)};
        if (query % 50 == 0)
            to = CardKey{kEndDate, kOpenEndNumber};
        SCOPED_TRACE(::testing::Message() << "query " << query);

        size_t firstIndex = atOrAfter(from);
        size_t endIndex = firstIndex;
        while (endIndex < all.size() && CardKeyLessOrEqual(all[endIndex], to))
            ++endIndex;
        Card* first = nullptr;
        Card* end = nullptr;
        int32_t count = base.FindCardsInDateRange(from, to, first, end);
        ASSERT_EQ(count, int32_t(endIndex - firstIndex));
        if (firstIndex < all.size())
            ASSERT_TRUE(CardKeyEquals(keyOf(first), all[firstIndex]));
        else
            ASSERT_EQ(first, base.ChainEnd());
        if (endIndex < all.size())
            ASSERT_TRUE(CardKeyEquals(keyOf(end), all[endIndex]));
        else
            ASSERT_EQ(end, base.ChainEnd());

        Card* before = base.FindCardAtOrBefore(from);
        if (firstIndex < all.size() && CardKeyEquals(all[firstIndex], from))
            ASSERT_EQ(before, first);
        else if (firstIndex == 0)
            ASSERT_EQ(before, base.ChainEnd());
        else
            ASSERT_TRUE(CardKeyEquals(keyOf(before), all[firstIndex - 1]));
    }
}

TEST_F(CardTest, DateRangeEdges)
{
    for (int32_t i = 0; i < 3; ++i) {
        Create(kDay1, 0);
        Create(kDay2, 0);
        Create(kDay3, 0);
    }
    Card* first = nullptr;
    Card* end = nullptr;
    // Open at the upper end: everything from `from` on.
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{kDay2, 2}, CardKey{kEndDate, kOpenEndNumber}, first, end), 5);
    EXPECT_EQ(end, base.ChainEnd());
    // `from` after `to`.
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{kDay3, 1}, CardKey{kDay2, kOpenEndNumber}, first, end), 0);
    EXPECT_EQ(first, end);
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{kDay2, 3}, CardKey{kDay2, 2}, first, end), 0);
    EXPECT_EQ(first, end);
    // A whole day, and a day without cards.
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{kDay2, 0}, CardKey{kDay2, kOpenEndNumber}, first, end), 3);
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{MakePackedDate(2024, 3, 3), 0},
                                        CardKey{MakePackedDate(2024, 3, 4), kOpenEndNumber}, first, end),
              0);
    EXPECT_EQ(first, end);
    EXPECT_EQ(base.CardDate(first), kDay3);
    // An empty base.
    Base empty{FilePath(), 2};
    EXPECT_EQ(empty.FindCardsInDateRange(CardKey{0, 0}, CardKey{kEndDate, kOpenEndNumber}, first, end), 0);
    EXPECT_EQ(first, empty.ChainEnd());
    EXPECT_EQ(end, empty.ChainEnd());
}

TEST_F(CardTest, ManyCardsOnOneDateAndAcrossBuckets)
{
    // More buckets than the cache holds, walked in both directions.
    for (int32_t day = 0; day < 200; ++day)
        Create(DayNumberToPackedDate(PackedDateToDayNumber(kDay1) + day * 3), 0);
    for (int32_t i = 0; i < 3000; ++i)
        Create(kDay2, 0);
    EXPECT_EQ(base.BucketCount(), 201);
    ExpectChainConsistent(base);
    Card* first = nullptr;
    Card* end = nullptr;
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{kDay2, 0}, CardKey{kDay2, kOpenEndNumber}, first, end), 3000);
    EXPECT_EQ(base.FindCardsInDateRange(CardKey{kDay2, 1000}, CardKey{kDay2, 1999}, first, end), 1000);
    EXPECT_EQ(first->number, 1000);
    EXPECT_EQ(end->number, 2000);
    for (int32_t day = 199; day >= 0; day -= 7) {
        PackedDate date = DayNumberToPackedDate(PackedDateToDayNumber(kDay1) + day * 3);
        EXPECT_EQ(base.FindBucketAtOrBefore(date)->date, date);
        EXPECT_EQ(base.FindBucketAtOrBefore(NextPackedDate(date))->date, date);
    }
    EXPECT_EQ(base.FindBucketAtOrBefore(PreviousPackedDate(kDay1)), base.BucketAt(base.ChainEnd()->bucket));
}

TEST_F(CardTest, DeletingTheOnlyLineDeletesCardAndBucket)
{
    Card* kept = CardWithLines(kDay1, 1);
    Card* card = CardWithLines(kDay2, 1);
    CardGroup* group = base.FirstGroup(card);
    base.DeleteLine(card, group, base.FirstLine(group));
    EXPECT_EQ(base.CardCount(), 1);
    EXPECT_EQ(base.BucketCount(), 1);
    EXPECT_EQ(base.GroupCount(), 1);
    EXPECT_EQ(base.LineCount(), 1);
    EXPECT_EQ(base.FirstCard(), kept);
    ExpectChainConsistent(base);
}

TEST_F(CardTest, GroupsAreFoundByKeyMergedAndDropped)
{
    Card* card = Create(kDay1, 0);
    CardGroup* a = base.FindOrAddGroup(card, 7);
    CardGroup* b = base.FindOrAddGroup(card, 3);
    CardGroup* c = base.FindOrAddGroup(card, 9);
    EXPECT_EQ(base.FindOrAddGroup(card, 3), b);
    EXPECT_EQ(base.FirstGroup(card), a);
    EXPECT_EQ(base.NextGroup(a), b);
    EXPECT_EQ(base.NextGroup(b), c);
    CardLine* a1 = base.CreateLine(a);
    CardLine* c1 = base.CreateLine(c);
    CardLine* c2 = base.CreateLine(c);

    EXPECT_EQ(base.DropEmptyGroups(card), card);
    EXPECT_EQ(base.GroupCount(), 2);
    base.MergeFollowingGroups(a);
    EXPECT_EQ(base.GroupCount(), 1);
    EXPECT_EQ(base.NextGroup(a), nullptr);
    EXPECT_EQ(base.FirstLine(a), a1);
    EXPECT_EQ(base.NextLine(a1), c1);
    EXPECT_EQ(base.NextLine(c1), c2);
    EXPECT_EQ(base.LineAt(a->lastLine), c2);

    // The only group: the card goes with it.
    base.DeleteGroup(card, a);
    EXPECT_EQ(base.CardCount(), 0);
    EXPECT_EQ(base.GroupCount(), 0);
    EXPECT_EQ(base.LineCount(), 0);
    EXPECT_EQ(base.BucketCount(), 0);
}

TEST_F(CardTest, MarkedCardsAndLines)
{
    std::vector<Card*> cards;
    for (int32_t i = 0; i < 6; ++i)
        cards.push_back(CardWithLines(i % 2 ? kDay1 : kDay2, 3));
    BitSet lines(base.CardRecords().linePool.ElementCount());
    lines.SetAll(0);
    // Two lines of card 0 and every line of card 1.
    CardGroup* group0 = base.FirstGroup(cards[0]);
    lines.SetBit(int32_t(group0->firstLine), true);
    lines.SetBit(int32_t(group0->lastLine), true);
    for (CardLine* line = base.FirstLine(base.FirstGroup(cards[1])); line; line = base.NextLine(line))
        lines.SetBit(int32_t(line->index), true);
    EXPECT_EQ(base.CountCardsWithMarkedLines(lines), 2);
    EXPECT_EQ(base.DeleteMarkedLines(cards[0], lines), 2);
    EXPECT_EQ(base.LineAt(group0->firstLine), base.LineAt(group0->lastLine));
    EXPECT_EQ(base.DeleteMarkedLines(cards[1], lines), 3);
    EXPECT_EQ(base.CardCount(), 5);

    BitSet live;
    base.MarkLiveCards(live);
    EXPECT_EQ(live.Count(), base.CardRecords().cardPool.ElementCount());
    EXPECT_EQ(live.BitCount(), 6);  // five cards and the chain end
    EXPECT_FALSE(live.GetBit(int32_t(cards[1]->index)));

    BitSet doomed(live.Count());
    doomed.SetAll(0);
    doomed.SetBit(int32_t(cards[2]->index), true);
    doomed.SetBit(int32_t(cards[5]->index), true);
    base.DeleteMarkedCards(doomed);
    EXPECT_EQ(base.CardCount(), 3);
    ExpectChainConsistent(base);
    // Freed records are reused before the pool grows.
    int32_t elements = base.CardRecords().cardPool.ElementCount();
    Create(kDay3, 0);
    EXPECT_EQ(base.CardRecords().cardPool.ElementCount(), elements);
    base.DeleteAllCards();
    EXPECT_EQ(base.CardCount(), 0);
    EXPECT_EQ(base.LineCount(), 0);
    EXPECT_EQ(base.BucketCount(), 0);
}

TEST_F(CardTest, BatchDeletionDropsEmptiedGroupsAndStampsEachCard)
{
    Card* first = CardWithLines(kDay1, 3);
    Card* second = CardWithLines(kDay2, 2);
    CardGroup* secondExtra = base.FindOrAddGroup(second, 5);
    ASSERT_NE(base.CreateLine(secondExtra), nullptr);
    Card* third = CardWithLines(kDay3, 2);
    StampedText stamp;
    stamp.timestamp = MakePackedTimestamp(2024, 4, 1, 12, 0);
    std::memcpy(stamp.code, "AB", 3);

    base.BeginLineDeletion(stamp);
    // In card order: the last two lines of the first card, the whole first group of the second card,
    // every line of the third.
    CardGroup* group = base.FirstGroup(first);
    CardLine* second1 = base.NextLine(base.FirstLine(group));
    base.DeleteLineInBatch(first, group, second1);
    base.DeleteLineInBatch(first, group, base.LineAt(group->lastLine));
    group = base.FirstGroup(second);
    base.DeleteLineInBatch(second, group, base.FirstLine(group));
    base.DeleteLineInBatch(second, group, base.FirstLine(group));
    group = base.FirstGroup(third);
    base.DeleteLineInBatch(third, group, base.FirstLine(group));
    base.DeleteLineInBatch(third, group, base.FirstLine(group));
    base.EndLineDeletion();

    EXPECT_EQ(base.CardCount(), 2);
    EXPECT_EQ(base.LineCount(), 2);
    EXPECT_EQ(base.FirstLine(base.FirstGroup(first)), base.LineAt(base.FirstGroup(first)->lastLine));
    EXPECT_EQ(base.FirstGroup(second), secondExtra);
    EXPECT_TRUE(first->stamps[kStampCreated].Equals(stamp));
    EXPECT_TRUE(second->stamps[kStampCreated].Equals(stamp));
    ExpectChainConsistent(base);
}

TEST_F(CardTest, ChangeStamps)
{
    auto stampOf = [](int32_t minute, const char* code) {
        StampedText stamp;
        stamp.timestamp = MakePackedTimestamp(2024, 4, 1, 10, minute);
        std::strncpy(stamp.code, code, 3);
        return stamp;
    };
    Card* card = Create(kDay1, 0);
    StampedText created = stampOf(1, "AB");
    StampedText later = stampOf(2, "CD");
    card->stamps[kStampNotes] = stampOf(3, "N");
    card->SetSignatureStamp(stampOf(4, "E"), kCommandSignE);
    card->SetSignatureStamp(stampOf(5, "P"), kCommandSignP);
    card->SetSignatureStamp(stampOf(6, "X"), 2533);
    EXPECT_TRUE(card->stamps[kStampSignatureE].Equals(stampOf(4, "E")));
    EXPECT_TRUE(card->stamps[kStampSignatureP].Equals(stampOf(5, "P")));

    EXPECT_EQ(card->SetChangeStamp(created), 1);  // empty slot 0 takes it
    EXPECT_TRUE(card->stamps[kStampSignatureE].IsEmpty());
    EXPECT_TRUE(card->stamps[kStampSignatureP].IsEmpty());
    EXPECT_EQ(card->SetChangeStamp(later), 0);
    EXPECT_TRUE(card->stamps[kStampModified].Equals(later));
    EXPECT_EQ(card->SetChangeStamp(created), 1);  // equal to slot 0: the change stamp goes
    EXPECT_TRUE(card->stamps[kStampModified].IsEmpty());
    EXPECT_TRUE(card->stamps[kStampNotes].Equals(stampOf(3, "N")));
}

TEST_F(CardTest, CardTextMemoryCountsTitlesNotesAndLineTexts)
{
    Card* card = CardWithLines(kDay1, 2);
    EXPECT_EQ(base.CardTextMemory(), 0);
    SetHeapText(card->title, "Invoice 1");
    SetHeapText(card->notes, "Paid");
    base.FirstLine(base.FirstGroup(card))->SetText("Rent");
    int64_t expected = MemBlockFootprint(card->title) + MemBlockFootprint(card->notes) +
                       MemBlockFootprint(base.FirstLine(base.FirstGroup(card))->Text());
    EXPECT_EQ(base.CardTextMemory(), expected);
    base.DeleteCard(card);
    base.FlushCardChanges();
    EXPECT_EQ(base.CardTextMemory(), 0) << "change 28 resets the cached total";
}

TEST_F(CardTest, MemoryReportsUseTheDocumentedRecordSizes)
{
    SyntheticBaseOptions options;
    options.cards = 100;
    options.linesPerCard = 3;
    options.componentsPerDimension = 10;
    options.dimensionsUsed = 4;
    options.valuesPerLine = 2;
    ASSERT_TRUE(BuildSyntheticBase(base, options));
    const CardModel& model = base.CardRecords();
    // Line: 12 + 8 x 2 values + 4 slots x 2 bytes = 36.
    EXPECT_EQ(model.linePool.DocumentedSize(), 36);
    int64_t expected = int64_t(base.BucketCount()) * 24 + int64_t(model.cardPool.ElementCount()) * 72 +
                       int64_t(model.groupPool.ElementCount()) * 20 + int64_t(model.linePool.ElementCount()) * 36;
    EXPECT_EQ(model.RecordBytes(), expected);
    EXPECT_EQ(model.FreeRecordBytes(), 0);
    base.DeleteCard(base.FirstCard());
    EXPECT_EQ(model.FreeRecordBytes(), 72 + 20 + 3 * 36);
}

}  // namespace
}  // namespace vek
