// Cards, groups and lines of a base: creating, finding and deleting them. The chain and bucket
// algorithms are in DateBucket.cpp, the line layout in BaseLines.cpp.
#include "model/base/Base.h"

#include <cstring>

#include "foundation/messages/Assert.h"
#include "foundation/memory/BitSet.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"

namespace vek {

// --- Pools -------------------------------------------------------------------------------------------

Card* Base::AllocCard()
{
    auto* card = static_cast<Card*>(cards.cardPool.Alloc());
    if (card) {
        card->prev = kNoRecord;
        card->bucket = kNoRecord;
        card->firstGroup = kNoRecord;
    }
    return card;
}

void Base::FreeCard(Card* card)
{
    // A freed record holds no texts, so that releasing the pool never meets a stale one, and its
    // source goes with it, so that a card that reuses the index starts without one.
    MemFree(card->title);
    MemFree(card->notes);
    card->title = nullptr;
    card->notes = nullptr;
    cards.sources.Clear(card->index);
    cards.cardPool.Free(card->index);
}

CardGroup* Base::AllocGroup()
{
    auto* group = static_cast<CardGroup*>(cards.groupPool.Alloc());
    if (group) {
        group->firstLine = kNoRecord;
        group->lastLine = kNoRecord;
    }
    return group;
}

void Base::FreeGroup(CardGroup* group)
{
    cards.groupPool.Free(group->index);
}

CardLine* Base::AllocLine()
{
    return static_cast<CardLine*>(cards.linePool.Alloc());
}

void Base::FreeLine(CardLine* line)
{
    line->FreeText();
    if (BitSet* map = LineIndexMap()) {
        int32_t index = int32_t(line->index);
        if (index >= map->Count())
            (void)map->ResizeFill(cards.linePool.ElementCount(), false);
        map->SetBit(index, true);
    }
    cards.linePool.Free(line->index);
}

// --- Cards -------------------------------------------------------------------------------------------

Card* Base::CreateCard(CardKey& key)
{
    // Date 0 and the end node's date would put the card where no lookup finds it.
    if (key.date == 0 || key.date >= kEndDate)
        return nullptr;
    Card* card = AllocCard();
    if (!card)
        return nullptr;
    DateBucket* bucket = cards.FindOrCreateBucket(key.date);
    if (!bucket || !cards.InsertCard(bucket, card, key.number)) {
        if (bucket && bucket->count == 0)
            cards.DeleteBucket(bucket);
        FreeCard(card);
        return nullptr;
    }
    key.number = card->number;
    cards.cardsChanged = true;
    return card;
}

void Base::DeleteCard(Card* card)
{
    if (!card || card->index == cards.chainEnd || card->bucket == kNoRecord)
        return;
    if (cards.batchCard == card->index) {
        cards.batchCard = kNoRecord;
        cards.batchGroup = kNoRecord;
        cards.batchPredecessor = kNoRecord;
    }
    MemFree(card->title);
    MemFree(card->notes);
    card->title = nullptr;
    card->notes = nullptr;
    for (CardGroup* group = FirstGroup(card); group;) {
        CardGroup* nextGroup = NextGroup(group);
        for (CardLine* line = FirstLine(group); line;) {
            CardLine* nextLine = NextLine(line);
            FreeLine(line);
            line = nextLine;
        }
        FreeGroup(group);
        group = nextGroup;
    }
    card->firstGroup = kNoRecord;
    cards.RemoveCard(card);
    FreeCard(card);
    cards.cardsChanged = true;
}

bool Base::ChangeCardKey(Card* card, CardKey& key, CardLinkRenaming links)
{
    if (!card || card->index == cards.chainEnd || key.date == 0 || key.date >= kEndDate)
        return false;
    CardKey old;
    GetCardKey(card, old);
    cards.RemoveCard(card);
    DateBucket* bucket = cards.FindOrCreateBucket(key.date);
    if (!bucket || !cards.InsertCard(bucket, card, key.number)) {
        if (bucket && bucket->count == 0)
            cards.DeleteBucket(bucket);
        // The old place: its bucket record was just freed if the card was alone there, so it can be
        // made again without new memory, and the card's number is free in it.
        DateBucket* oldBucket = cards.FindOrCreateBucket(old.date);
        bool filedBack = oldBucket != nullptr && cards.InsertCard(oldBucket, card, old.number);
        VEK_ASSERT(filedBack);
        return false;
    }
    key.number = card->number;
    if (links == CardLinkRenaming::Rename)
        RenameCardLinks(old, key);
    return true;
}

void Base::GetCardKey(const Card* card, CardKey& key) const
{
    const DateBucket* bucket = BucketAt(card->bucket);
    key.date = bucket ? bucket->date : 0;
    key.number = card->number;
}

Card* Base::FindCardAtOrAfter(const CardKey& key) const
{
    return cards.FindCardAtOrAfter(key);
}

Card* Base::FindCardAtOrBefore(const CardKey& key) const
{
    Card* card = cards.FindCardAtOrAfter(key);
    if (card->index != cards.chainEnd && card->number == key.number && CardDate(card) == key.date)
        return card;
    return PreviousCard(card);
}

int32_t Base::FindCardsInDateRange(const CardKey& from, const CardKey& to, Card*& first, Card*& end) const
{
    return cards.FindCardsInDateRange(from, to, first, end);
}

DateBucket* Base::FindBucketAtOrBefore(PackedDate date) const
{
    return cards.FindBucketAtOrBefore(date);
}

void Base::DeleteAllCards()
{
    for (Card* card = FirstCard(); card->index != cards.chainEnd;) {
        Card* next = NextCard(card);
        DeleteCard(card);
        card = next;
    }
}

void Base::DeleteMarkedCards(const BitSet& set)
{
    for (Card* card = FirstCard(); card->index != cards.chainEnd;) {
        Card* next = NextCard(card);
        if (set.GetBit(int32_t(card->index)))
            DeleteCard(card);
        card = next;
    }
}

void Base::MarkLiveCards(BitSet& set) const
{
    if (!set.Resize(cards.cardPool.ElementCount()) || IsErrorPending())
        return;
    set.SetAll(1);
    for (uint32_t free = cards.cardPool.FreeHead(); free != kNoRecord; free = CardAt(free)->next)
        set.SetBit(int32_t(free), false);
}

int32_t Base::CountCardsWithMarkedLines(const BitSet& set) const
{
    int32_t count = 0;
    for (Card* card = FirstCard(); card->index != cards.chainEnd; card = NextCard(card)) {
        bool marked = false;
        for (CardGroup* group = FirstGroup(card); group && !marked; group = NextGroup(group)) {
            for (CardLine* line = FirstLine(group); line && !marked; line = NextLine(line))
                marked = set.GetBit(int32_t(line->index));
        }
        if (marked)
            ++count;
    }
    return count;
}

// --- Groups ------------------------------------------------------------------------------------------

CardGroup* Base::FindOrAddGroup(Card* card, int32_t key)
{
    CardGroup* last = nullptr;
    for (CardGroup* group = FirstGroup(card); group; group = NextGroup(group)) {
        if (group->key == key)
            return group;
        last = group;
    }
    CardGroup* group = AllocGroup();
    if (!group)
        return nullptr;
    group->key = key;
    if (last)
        last->next = group->index;
    else
        card->firstGroup = group->index;
    return group;
}

void Base::DeleteGroup(Card* card, CardGroup* group)
{
    CardGroup* previous = nullptr;
    CardGroup* walk = FirstGroup(card);
    while (walk && walk != group) {
        previous = walk;
        walk = NextGroup(walk);
    }
    if (!walk)
        return;
    if (!previous && group->next == kNoRecord) {
        DeleteCard(card);
        return;
    }
    if (previous)
        previous->next = group->next;
    else
        card->firstGroup = group->next;
    for (CardLine* line = FirstLine(group); line;) {
        CardLine* next = NextLine(line);
        FreeLine(line);
        line = next;
    }
    if (cards.batchGroup == group->index) {
        cards.batchGroup = kNoRecord;
        cards.batchPredecessor = kNoRecord;
    }
    FreeGroup(group);
}

void Base::MergeFollowingGroups(CardGroup* group)
{
    for (CardGroup* other = NextGroup(group); other;) {
        CardGroup* next = NextGroup(other);
        if (other->firstLine != kNoRecord) {
            if (group->lastLine != kNoRecord)
                LineAt(group->lastLine)->next = other->firstLine;
            else
                group->firstLine = other->firstLine;
            group->lastLine = other->lastLine;
        }
        if (cards.batchGroup == other->index) {
            cards.batchGroup = kNoRecord;
            cards.batchPredecessor = kNoRecord;
        }
        FreeGroup(other);
        other = next;
    }
    group->next = kNoRecord;
}

Card* Base::DropEmptyGroups(Card* card)
{
    CardGroup* previous = nullptr;
    for (CardGroup* group = FirstGroup(card); group;) {
        CardGroup* next = NextGroup(group);
        if (group->firstLine == kNoRecord) {
            if (previous)
                previous->next = group->next;
            else
                card->firstGroup = group->next;
            if (cards.batchGroup == group->index) {
                cards.batchGroup = kNoRecord;
                cards.batchPredecessor = kNoRecord;
            }
            FreeGroup(group);
        } else {
            previous = group;
        }
        group = next;
    }
    if (card->firstGroup == kNoRecord) {
        DeleteCard(card);
        return nullptr;
    }
    return card;
}

// --- Lines -------------------------------------------------------------------------------------------

CardLine* Base::CreateLine(CardGroup* group)
{
    CardLine* line = AllocLine();
    if (!line)
        return nullptr;
    SetLineValues(line, cards.defaultValues.data());
    SetLineComponents(line, cards.defaultComponents.data());
    if (group->lastLine != kNoRecord)
        LineAt(group->lastLine)->next = line->index;
    else
        group->firstLine = line->index;
    group->lastLine = line->index;
    return line;
}

namespace {

// The line before `line` in its group, searched from `start` (a line of the group or null); false
// when `line` is not found after `start`.
bool FindLinePredecessor(const Base& base, const CardGroup* group, const CardLine* start, const CardLine* line,
                         CardLine*& predecessor)
{
    if (!start) {
        if (group->firstLine == line->index) {
            predecessor = nullptr;
            return true;
        }
        start = base.FirstLine(group);
    }
    for (const CardLine* walk = start; walk; walk = base.NextLine(walk)) {
        if (walk->next == line->index) {
            predecessor = const_cast<CardLine*>(walk);
            return true;
        }
    }
    return false;
}

void UnlinkLine(CardGroup* group, CardLine* predecessor, CardLine* line)
{
    if (predecessor)
        predecessor->next = line->next;
    else
        group->firstLine = line->next;
    if (group->lastLine == line->index)
        group->lastLine = predecessor ? predecessor->index : kNoRecord;
    line->next = kNoRecord;
}

}  // namespace

void Base::DeleteLine(Card* card, CardGroup* group, CardLine* line)
{
    CardLine* predecessor = nullptr;
    if (!FindLinePredecessor(*this, group, nullptr, line, predecessor))
        return;
    if (cards.batchGroup == group->index)
        cards.batchPredecessor = kNoRecord;
    UnlinkLine(group, predecessor, line);
    if (group->firstLine == kNoRecord)
        DeleteGroup(card, group);
    FreeLine(line);
}

int32_t Base::DeleteMarkedLines(Card* card, const BitSet& set)
{
    int32_t deleted = 0;
    for (CardGroup* group = FirstGroup(card); group; group = NextGroup(group)) {
        CardLine* predecessor = nullptr;
        for (CardLine* line = FirstLine(group); line;) {
            CardLine* next = NextLine(line);
            if (set.GetBit(int32_t(line->index))) {
                UnlinkLine(group, predecessor, line);
                FreeLine(line);
                ++deleted;
            } else {
                predecessor = line;
            }
            line = next;
        }
        if (cards.batchGroup == group->index)
            cards.batchPredecessor = kNoRecord;
    }
    if (deleted > 0)
        DropEmptyGroups(card);
    return deleted;
}

void Base::BeginLineDeletion(const StampedText& stamp)
{
    cards.batchStamp = stamp;
    cards.batchCard = kNoRecord;
    cards.batchGroup = kNoRecord;
    cards.batchPredecessor = kNoRecord;
}

namespace {

// Drops the empty groups of the batch's current card and stamps it when it is still there.
void FinishBatchCard(Base& base, CardModel& cards)
{
    if (cards.batchCard == kNoRecord)
        return;
    Card* card = base.CardAt(cards.batchCard);
    cards.batchCard = kNoRecord;
    cards.batchGroup = kNoRecord;
    cards.batchPredecessor = kNoRecord;
    if (card && base.DropEmptyGroups(card))
        card->SetChangeStamp(cards.batchStamp);
}

}  // namespace

void Base::DeleteLineInBatch(Card* card, CardGroup* group, CardLine* line)
{
    CardLine* predecessor = nullptr;
    bool found;
    if (group->index == cards.batchGroup && card->index == cards.batchCard) {
        found = false;
        if (CardLine* remembered = LineAt(cards.batchPredecessor))
            found = FindLinePredecessor(*this, group, remembered, line, predecessor);
        if (!found)
            found = FindLinePredecessor(*this, group, nullptr, line, predecessor);
    } else {
        if (card->index != cards.batchCard) {
            FinishBatchCard(*this, cards);
            cards.batchCard = card->index;
        }
        cards.batchGroup = group->index;
        cards.batchPredecessor = kNoRecord;
        found = FindLinePredecessor(*this, group, nullptr, line, predecessor);
    }
    if (!found)
        return;
    UnlinkLine(group, predecessor, line);
    cards.batchPredecessor = predecessor ? predecessor->index : kNoRecord;
    FreeLine(line);
}

void Base::EndLineDeletion()
{
    FinishBatchCard(*this, cards);
}

}  // namespace vek
