#pragma once

// Checks shared by the tests of cards, groups and lines: the invariants of the card chain and the
// bucket ring, and a flat picture of a base's cards to compare before and after an operation.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/base/Base.h"

namespace vek::testing {

// Every invariant of the chain and the buckets, walked from both rings.
inline void ExpectChainConsistent(const Base& base)
{
    const Card* end = base.ChainEnd();
    ASSERT_EQ(end->number, kOpenEndNumber);
    int32_t cards = 0;
    CardKey previous{0, 0};
    for (const Card* card = base.FirstCard(); card != end; card = base.NextCard(card)) {
        ASSERT_LT(cards, base.CardCount()) << "chain longer than the card count";
        CardKey key;
        base.GetCardKey(card, key);
        ASSERT_TRUE(CardKeyLess(previous, key)) << "keys out of order at card " << cards;
        ASSERT_GE(key.number, 1);
        ASSERT_EQ(base.PreviousCard(base.NextCard(card)), card);
        previous = key;
        ++cards;
    }
    ASSERT_EQ(cards, base.CardCount());

    const DateBucket* node = base.BucketAt(base.ChainEnd()->bucket);
    ASSERT_EQ(node->date, kEndDate);
    int32_t buckets = 0;
    int32_t counted = 0;
    PackedDate lastDate = 0;
    for (const DateBucket* bucket = base.BucketAt(node->next); bucket != node; bucket = base.BucketAt(bucket->next)) {
        ++buckets;
        ASSERT_GT(bucket->date, lastDate);
        lastDate = bucket->date;
        ASSERT_GT(bucket->count, 0);
        ASSERT_EQ(base.BucketAt(base.BucketAt(bucket->next)->prev), bucket);
        // The bucket's cards: from `first` to the next bucket's first card.
        const Card* stop = base.CardAt(base.BucketAt(bucket->next)->first);
        int32_t inBucket = 0;
        int32_t run = 0;  // the run 1, 2, ..., k at the start
        const Card* runEnd = nullptr;
        for (const Card* card = base.CardAt(bucket->first); card != stop; card = base.NextCard(card)) {
            ASSERT_EQ(card->bucket, bucket->index);
            if (card->number == run + 1 && run == inBucket) {
                run = card->number;
                runEnd = card;
            }
            ++inBucket;
        }
        ASSERT_EQ(inBucket, bucket->count) << "bucket count";
        ASSERT_EQ(base.CardAt(bucket->runEnd), runEnd) << "run end of bucket " << buckets;
        counted += inBucket;
    }
    ASSERT_EQ(buckets, base.BucketCount());
    ASSERT_EQ(counted, base.CardCount());
}

// The keys of the chain in order.
inline std::vector<std::pair<PackedDate, int32_t>> ChainKeys(const Base& base)
{
    std::vector<std::pair<PackedDate, int32_t>> keys;
    for (const Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card))
        keys.emplace_back(base.CardDate(card), card->number);
    return keys;
}

// One text per card: its key, title, notes, and for every group its key and every line's text,
// values and components. Equal pictures mean equal card contents.
inline std::vector<std::string> CardPicture(const Base& base)
{
    std::vector<std::string> picture;
    std::vector<uint32_t> components(static_cast<size_t>(kLineSlotCount));
    std::vector<double> values(static_cast<size_t>(kMaxValueCount));
    for (const Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        std::string text = std::to_string(base.CardDate(card)) + "-" + std::to_string(card->number);
        text += "|" + std::string(card->title ? card->title : "") + "|" + std::string(card->notes ? card->notes : "");
        for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            text += " G" + std::to_string(group->key) + ":";
            for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                text += " [";
                text += line->Text() ? line->Text() : "";
                base.GetLineValues(line, values.data());
                for (int32_t v = 0; v < base.ValueCount(); ++v)
                    text += " " + std::to_string(values[size_t(v)]);
                base.GetLineComponents(line, components.data());
                for (int32_t s = 0; s < base.DimsInUse(); ++s)
                    text += " c" + std::to_string(components[size_t(s)]);
                text += "]";
            }
        }
        picture.push_back(text);
    }
    return picture;
}

}  // namespace vek::testing
