// The bucket ring and the card chain of a base: every card lies in the chain ascending by (date,
// number); the cards of one date are consecutive and counted by their bucket. Lookups start from the
// cached bucket nearest in date, walk a bucket from its nearer end, and jump over the run 1..k at the
// start of a bucket, so that counting a date range costs one step per bucket plus the cards at its ends.
#include "model/cards/Card.h"

#include <cstdlib>

namespace vek {

DateBucket* CardModel::FindBucketAtOrBefore(PackedDate date) const
{
    DateBucket* end = EndNode();
    if (date == 0 || bucketCount == 0)
        return end;
    DateBucket* last = BucketAt(end->prev);
    if (last->date <= date)
        return last;
    if (BucketAt(end->next)->date > date)
        return end;

    DateBucket* start = end;
    uint32_t nearest = 0xFFFFFFFFu;
    for (int32_t i = 0; i < bucketCacheCount; ++i) {
        DateBucket* cached = BucketAt(bucketCache[i]);
        uint32_t distance = cached->date > date ? cached->date - date : date - cached->date;
        if (distance == 0)
            return cached;
        if (distance < nearest) {
            nearest = distance;
            start = cached;
        }
    }
    // The first bucket is at or before `date` and the end node after it, so both walks stop inside
    // the ring.
    DateBucket* bucket = start;
    if (bucket->date > date) {
        do
            bucket = BucketAt(bucket->prev);
        while (bucket->date > date);
    } else {
        while (bucket->date <= date)
            bucket = BucketAt(bucket->next);
        bucket = BucketAt(bucket->prev);
    }
    if (bucket != start) {
        bool cached = false;
        for (int32_t i = 0; i < bucketCacheCount && !cached; ++i)
            cached = bucketCache[i] == bucket->index;
        if (!cached) {
            if (bucketCacheCount < kBucketCacheSize)
                bucketCache[bucketCacheCount++] = bucket->index;
            else
                bucketCache[date % kBucketCacheSize] = bucket->index;
        }
    }
    return bucket;
}

DateBucket* CardModel::FindOrCreateBucket(PackedDate date)
{
    DateBucket* found = FindBucketAtOrBefore(date);
    if (found->index != bucketEnd && found->date == date)
        return found;
    auto* bucket = static_cast<DateBucket*>(bucketPool.Alloc());
    if (!bucket)
        return nullptr;
    // The pool may have made a new page; `found` stays valid because pool records never move.
    DateBucket* after = BucketAt(found->next);
    bucket->date = date;
    bucket->count = 0;
    bucket->first = kNoRecord;
    bucket->runEnd = kNoRecord;
    bucket->prev = found->index;
    bucket->next = after->index;
    found->next = bucket->index;
    after->prev = bucket->index;
    ++bucketCount;
    return bucket;
}

void CardModel::DeleteBucket(DateBucket* bucket)
{
    if (bucket->index == bucketEnd)
        return;
    for (int32_t i = 0; i < bucketCacheCount; ++i) {
        if (bucketCache[i] == bucket->index) {
            bucketCache[i] = bucketCache[--bucketCacheCount];
            break;
        }
    }
    BucketAt(bucket->prev)->next = bucket->next;
    BucketAt(bucket->next)->prev = bucket->prev;
    --bucketCount;
    bucketPool.Free(bucket->index);
}

bool CardModel::InsertCard(DateBucket* bucket, Card* card, int32_t wanted)
{
    int64_t number = wanted < 1 ? 1 : wanted;
    if (number > kMaxCardNumber)
        number = kMaxCardNumber;
    // `follower` becomes the card after the new one.
    Card* follower = CardAt(BucketAt(bucket->next)->first);
    if (bucket->count > 0) {
        Card* last = CardAt(follower->prev);
        if (number == last->number) {
            number = int64_t(last->number) + 1;
        } else if (number < last->number) {
            Card* runEnd = CardAt(bucket->runEnd);
            Card* walk;
            if (runEnd && number <= runEnd->number) {
                number = int64_t(runEnd->number) + 1;
                walk = CardAt(runEnd->next);
            } else {
                walk = CardAt(bucket->first);
            }
            while (walk->bucket == bucket->index && walk->number < number)
                walk = CardAt(walk->next);
            while (walk->bucket == bucket->index && walk->number == number) {
                ++number;
                walk = CardAt(walk->next);
            }
            follower = walk;
        }
    }
    if (number > kMaxCardNumber)
        return false;

    Card* before = CardAt(follower->prev);
    card->number = int32_t(number);
    card->bucket = bucket->index;
    card->prev = before->index;
    card->next = follower->index;
    before->next = card->index;
    follower->prev = card->index;
    if (bucket->count == 0 || card->number < CardAt(bucket->first)->number)
        bucket->first = card->index;
    ++bucket->count;

    Card* runEnd = CardAt(bucket->runEnd);
    if (card->number == 1 || (runEnd && card->number == runEnd->number + 1)) {
        Card* end = card;
        for (Card* next = CardAt(end->next); next->bucket == bucket->index && next->number == end->number + 1;
             next = CardAt(end->next))
            end = next;
        bucket->runEnd = end->index;
    }
    return true;
}

void CardModel::RemoveCard(Card* card)
{
    DateBucket* bucket = BucketAt(card->bucket);
    Card* before = CardAt(card->prev);
    Card* after = CardAt(card->next);
    before->next = after->index;
    after->prev = before->index;
    if (bucket->first == card->index)
        bucket->first = after->bucket == bucket->index ? after->index : kNoRecord;
    Card* runEnd = CardAt(bucket->runEnd);
    if (runEnd && runEnd->number >= card->number)
        bucket->runEnd = card->number > 1 ? before->index : kNoRecord;
    --bucket->count;
    card->next = kNoRecord;
    card->prev = kNoRecord;
    card->bucket = kNoRecord;
    if (bucket->count == 0)
        DeleteBucket(bucket);
}

Card* CardModel::FindCardAtOrAfter(const CardKey& key) const
{
    DateBucket* bucket = FindBucketAtOrBefore(key.date);
    DateBucket* next = BucketAt(bucket->next);
    if (bucket->index == bucketEnd || bucket->date != key.date)
        return CardAt(next->first);
    Card* first = CardAt(bucket->first);
    Card* last = CardAt(CardAt(next->first)->prev);
    int32_t m = key.number;
    if (m > last->number)
        return CardAt(last->next);
    if (m == last->number)
        return last;
    if (2 * int64_t(m) > int64_t(first->number) + last->number) {
        // m lies above the first number, so the walk stops inside the bucket.
        Card* card = last;
        while (card->number >= m)
            card = CardAt(card->prev);
        return CardAt(card->next);
    }
    Card* card = first;
    while (card->number < m)
        card = CardAt(card->next);
    return card;
}

int32_t CardModel::FindCardsInDateRange(const CardKey& from, const CardKey& to, Card*& first, Card*& end) const
{
    first = FindCardAtOrAfter(from);
    // The chain end is numbered 0x7fffffff and lies in the end node, dated 0x7fffffff: an open
    // upper end stops just before it.
    int32_t upper = to.date == kEndDate && to.number > 0 ? to.number - 1 : to.number;
    int32_t count = 0;
    Card* card = first;
    DateBucket* bucket = BucketAt(card->bucket);

    if (bucket->date < to.date) {
        Card* runEnd = CardAt(bucket->runEnd);
        if (runEnd && runEnd->number > card->number) {
            count += runEnd->number - card->number + 1;
            card = CardAt(runEnd->next);
        }
        while (card->bucket == bucket->index) {
            ++count;
            card = CardAt(card->next);
        }
        bucket = BucketAt(bucket->next);
        while (bucket->date < to.date) {
            count += bucket->count;
            bucket = BucketAt(bucket->next);
        }
        card = CardAt(bucket->first);
    }
    if (bucket->date == to.date) {
        Card* runEnd = CardAt(bucket->runEnd);
        if (runEnd && runEnd->number <= upper && runEnd->number >= card->number) {
            count += runEnd->number - card->number + 1;
            card = CardAt(runEnd->next);
        }
        while (card->bucket == bucket->index && card->number <= upper) {
            ++count;
            card = CardAt(card->next);
        }
    }
    end = card;
    return count;
}

}  // namespace vek
