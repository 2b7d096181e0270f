// Stepping and ordering card keys, and checkpoints that let an import be undone.
#include "model/Base.h"

#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"

namespace vek {

// --- Card keys ---------------------------------------------------------------------------------------

void Base::NextCardKey(CardKey& out, const CardKey& key) const
{
    int32_t largest = MaxForDigits(CardNumberDigits());
    if (key.number < largest) {
        out.date = key.date;
        out.number = key.number + 1;
    } else {
        out.date = NextPackedDate(key.date);
        out.number = 1;
    }
}

void Base::PreviousCardKey(CardKey& out, const CardKey& key) const
{
    if (key.number >= 2) {
        out.date = key.date;
        out.number = key.number - 1;
    } else {
        out.date = PreviousPackedDate(key.date);
        out.number = MaxForDigits(CardNumberDigits());
    }
}

void Base::GetBoundaryCardKey(CardKey& out, int32_t which) const
{
    if (CardCount() == 0) {
        CardKeyOfYearEdge(out, which < 1 ? -1 : 1, 0);
        return;
    }
    GetCardKey(which < 1 ? FirstCard() : LastCard(), out);
}

int32_t Base::CompareCardsByKey(const Card* a, const Card* b, int32_t direction) const
{
    if (!a || !b)
        return a == b ? 0 : (a ? -1 : 1);
    CardKey keyA, keyB;
    GetCardKey(a, keyA);
    GetCardKey(b, keyB);
    int32_t order = CardKeyLess(keyA, keyB) ? -1 : (CardKeyLess(keyB, keyA) ? 1 : 0);
    return direction == 1 ? -order : order;
}

// --- Checkpoints -------------------------------------------------------------------------------------

namespace {

// Marks the pool's records that are not on its free list. Unlike MarkLiveCards this does not stop for
// the cancel flag: a checkpoint that marked nothing would make a rollback remove every record.
bool MarkPoolRecords(BitSet& set, const RecordPool& pool)
{
    if (!set.Resize(pool.ElementCount()))
        return false;
    set.SetAll(1);
    for (uint32_t free = pool.FreeHead(); free != kNoRecord;) {
        set.SetBit(int32_t(free), false);
        free = static_cast<const PoolRecordHeader*>(pool.At(free))->next;
    }
    return true;
}

// Turns the set of records live at the checkpoint into the set of records added since: complemented,
// and extended to the pool's current size with the new positions marked. False when memory runs short.
bool MarkAddedSince(BitSet& set, int32_t elements)
{
    int32_t old = set.Count();
    set.Invert();
    return elements <= old || set.ResizeFill(elements, true);
}

}  // namespace

void Base::TakeCheckpoint(BaseCheckpoint& checkpoint)
{
    checkpoint.lastTimeScale = timeScales.Last();
    macros.SetKeepMarks();
    if (fileData)
        fileData->TakeCheckpoint();
    checkpoint.valid = MarkPoolRecords(checkpoint.cards, cards.cardPool) &&
                       MarkPoolRecords(checkpoint.components, componentPool);
    if (!checkpoint.valid)
        SetOutOfMemoryError();
}

void Base::RollBack(BaseCheckpoint& checkpoint)
{
    if (!checkpoint.valid)
        return;
    checkpoint.valid = false;
    // Named objects first: each deletion posts its own change.
    macros.DeleteUnmarked();
    timeScales.DeleteAfter(checkpoint.lastTimeScale);
    if (fileData)
        fileData->RollBack();
    checkpoint.lastTimeScale = nullptr;
    if (!MarkAddedSince(checkpoint.cards, cards.cardPool.ElementCount()) ||
        !MarkAddedSince(checkpoint.components, componentPool.ElementCount())) {
        SetOutOfMemoryError();
        return;
    }
    DeleteMarkedCards(checkpoint.cards);

    // The roots are never removed. Groups and lines of the remaining cards that name a removed
    // component fall back to the root of its dimension before the component goes.
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
        checkpoint.components.SetBit(d, false);
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        bool any = false;
        for (Component* component = Root(d)->NextInPreorder(componentPool); component && !component->IsRoot();
             component = component->NextInPreorder(componentPool)) {
            if (checkpoint.components.GetBit(int32_t(component->number))) {
                any = true;
                break;
            }
        }
        if (!any)
            continue;
        ClearDeletedReferences(d, checkpoint.components);
        DeleteMarkedComponents(checkpoint.components, d);
        RebuildComponentIndexes(d);
        SetDimensionChanged(d);
    }
    NotifyChangedDimensions();
    FlushCardChanges();
}

}  // namespace vek
