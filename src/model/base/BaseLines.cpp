// The layout of line records: values and component numbers, the shape changes that widen component
// numbers, change the dimensions in use or the number of value fields, and the memory totals.
#include "model/base/Base.h"

#include <cstring>
#include <memory>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/ModelServices.h"

namespace vek {

namespace {

constexpr int32_t kReleaseProgressKind = 5;
constexpr int32_t kReleaseProgressInterval = 131072;

// Component numbers are big-endian in 2, 3 or 4 bytes.
inline uint32_t ReadComponentNumber(const uint8_t* p, int32_t width)
{
    switch (width) {
    case 2:
        return uint32_t(p[0]) << 8 | p[1];
    case 3:
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    default:
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
}

inline void WriteComponentNumber(uint8_t* p, int32_t width, uint32_t number)
{
    for (int32_t i = width - 1; i >= 0; --i) {
        p[i] = uint8_t(number);
        number >>= 8;
    }
}

// The largest number a width holds.
inline uint32_t WidthMaximum(int32_t width)
{
    return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

inline uint8_t* RecordBytes(CardLine* line)
{
    return reinterpret_cast<uint8_t*>(line);
}

inline const uint8_t* RecordBytes(const CardLine* line)
{
    return reinterpret_cast<const uint8_t*>(line);
}

}  // namespace

// --- Accessors ---------------------------------------------------------------------------------------

uint32_t Base::GetLineComponent(const CardLine* line, int32_t slot) const
{
    if (slot < 0 || slot >= cards.dimsInUse)
        return slot >= 0 && slot < kLineSlotCount ? uint32_t(slot + 1) : 0;
    return ReadComponentNumber(RecordBytes(line) + cards.componentAreaOffset + slot * cards.componentWidth,
                               cards.componentWidth);
}

void Base::SetLineComponent(CardLine* line, int32_t slot, uint32_t number)
{
    if (slot < 0 || slot >= cards.dimsInUse)
        return;
    if (number > WidthMaximum(cards.componentWidth)) {
        // A number the lines cannot hold yet would be cut and name another component: widen first.
        uint32_t index = line->index;
        WidenComponentWidth(number > WidthMaximum(3) ? 4 : 3);
        if (number > WidthMaximum(cards.componentWidth))
            return;
        line = LineAt(index);
    }
    WriteComponentNumber(RecordBytes(line) + cards.componentAreaOffset + slot * cards.componentWidth,
                         cards.componentWidth, number);
}

void Base::GetLineComponents(const CardLine* line, uint32_t* out) const
{
    const uint8_t* p = RecordBytes(line) + cards.componentAreaOffset;
    for (int32_t slot = 0; slot < cards.dimsInUse; ++slot, p += cards.componentWidth)
        out[slot] = ReadComponentNumber(p, cards.componentWidth);
}

void Base::SetLineComponents(CardLine* line, const uint32_t* numbers)
{
    uint32_t largest = 0;
    for (int32_t slot = 0; slot < cards.dimsInUse; ++slot)
        largest = numbers[slot] > largest ? numbers[slot] : largest;
    if (largest > WidthMaximum(cards.componentWidth)) {
        uint32_t index = line->index;
        WidenComponentWidth(largest > WidthMaximum(3) ? 4 : 3);
        if (largest > WidthMaximum(cards.componentWidth))
            return;
        line = LineAt(index);
    }
    uint8_t* p = RecordBytes(line) + cards.componentAreaOffset;
    for (int32_t slot = 0; slot < cards.dimsInUse; ++slot, p += cards.componentWidth)
        WriteComponentNumber(p, cards.componentWidth, numbers[slot]);
}

void Base::CopyLineComponents(CardLine* target, const CardLine* source)
{
    std::memcpy(RecordBytes(target) + cards.componentAreaOffset, RecordBytes(source) + cards.componentAreaOffset,
                size_t(cards.dimsInUse) * size_t(cards.componentWidth));
}

bool Base::LineComponentsAllIn(const CardLine* line, const BitSet& set) const
{
    return set.ContainsAllComponents(RecordBytes(line) + cards.componentAreaOffset, cards.componentWidth,
                                     cards.dimsInUse);
}

double Base::GetLineValue(const CardLine* line, int32_t i) const
{
    if (i < 0 || i >= cards.valueCount)
        return 0.0;
    double value;
    std::memcpy(&value, RecordBytes(line) + cards.valueAreaOffset + 8 * i, sizeof value);
    return value;
}

void Base::SetLineValue(CardLine* line, int32_t i, double value)
{
    if (i < 0 || i >= cards.valueCount)
        return;
    std::memcpy(RecordBytes(line) + cards.valueAreaOffset + 8 * i, &value, sizeof value);
}

void Base::GetLineValues(const CardLine* line, double* out) const
{
    std::memcpy(out, RecordBytes(line) + cards.valueAreaOffset, size_t(cards.valueCount) * sizeof(double));
}

void Base::SetLineValues(CardLine* line, const double* values)
{
    std::memcpy(RecordBytes(line) + cards.valueAreaOffset, values, size_t(cards.valueCount) * sizeof(double));
}

// --- Shape changes -----------------------------------------------------------------------------------
//
// Records link by pool indices, so a resize of the line pool (whose pages are reallocated) needs no
// conversion of links; only pointers to line records held across it go stale.

namespace {

// Resizes every line record to the stored size of the new layout, inserting or removing bytes at
// `position` (the end of the area that changes). False with error 600 pending when memory runs short;
// the records are then as they were. Changes 40 and 41 bracket the resize, so that whoever holds line
// addresses can turn them into pool indices and back (the pages may be reallocated).
bool ResizeLineRecords(Base& base, RecordPool& pool, int32_t newSize, int32_t position)
{
    PagedArray& elements = pool.Elements();
    int32_t oldSize = elements.ElementSize();
    if (newSize == oldSize)
        return true;
    base.Notify(kChangeLineLinksToIndices);
    bool done = true;
    if (newSize > oldSize)
        done = elements.InsertElementBytes(newSize - oldSize, position);
    else
        elements.RemoveElementBytes(oldSize - newSize, position);
    base.Notify(kChangeLineLinksBack);
    if (!done)
        SetOutOfMemoryError();
    return done;
}

}  // namespace

void Base::WidenComponentWidth(int32_t width)
{
    int32_t oldWidth = cards.componentWidth;
    if (width <= oldWidth || width > 4)
        return;
    int32_t slots = cards.dimsInUse;
    int32_t newSize = CardModel::StoredLineSize(cards.valueCount, slots, width);
    if (!ResizeLineRecords(*this, cards.linePool, newSize, cards.linePool.ElementSize()))
        return;
    if (IsErrorPending())
        return;
    // Last slot first: each number moves to a higher offset, so no number is overwritten before it
    // has been read.
    int32_t area = cards.componentAreaOffset;
    cards.ForEachLineRecord([=](CardLine* line) {
        uint8_t* p = RecordBytes(line) + area;
        for (int32_t slot = slots - 1; slot >= 0; --slot)
            WriteComponentNumber(p + slot * width, width, ReadComponentNumber(p + slot * oldWidth, oldWidth));
    });
    cards.componentWidth = width;
    cards.linePool.SetDocumentedSize(CardModel::DocumentedLineSize(cards.valueCount, slots, width));
}

void Base::UpdateDimensionsInUse()
{
    int32_t wanted = 1;
    for (int32_t d = kLineSlotCount; d >= 2; --d) {
        if (DimensionHasComponents(d)) {
            wanted = d;
            break;
        }
    }
    int32_t old = cards.dimsInUse;
    if (wanted == old)
        return;
    int32_t width = cards.componentWidth;
    int32_t newSize = CardModel::StoredLineSize(cards.valueCount, wanted, width);
    int32_t oldSize = cards.linePool.ElementSize();
    if (!ResizeLineRecords(*this, cards.linePool, newSize, newSize > oldSize ? oldSize : newSize))
        return;
    if (IsErrorPending())
        return;
    if (wanted > old) {
        int32_t area = cards.componentAreaOffset;
        cards.ForEachLineRecord([=](CardLine* line) {
            uint8_t* p = RecordBytes(line) + area;
            for (int32_t slot = old; slot < wanted; ++slot)
                WriteComponentNumber(p + slot * width, width, uint32_t(slot + 1));
        });
    }
    cards.dimsInUse = wanted;
    cards.linePool.SetDocumentedSize(CardModel::DocumentedLineSize(cards.valueCount, wanted, width));
    Notify(kChangeDimensionsInUse);
}

void Base::SetValueCount(int32_t n)
{
    int32_t old = cards.valueCount;
    if (n < 1 || n > kMaxValueCount || n == old)
        return;
    int32_t newSize = CardModel::StoredLineSize(n, cards.dimsInUse, cards.componentWidth);
    // The value area grows or shrinks at its end, where the component area starts.
    int32_t position = n > old ? cards.componentAreaOffset : cards.componentAreaOffset - 8 * (old - n);
    if (!ResizeLineRecords(*this, cards.linePool, newSize, position))
        return;
    if (IsErrorPending())
        return;
    cards.componentAreaOffset += 8 * (n - old);
    cards.valueCount = n;
    if (n > old) {
        int32_t values = cards.valueAreaOffset;
        cards.ForEachLineRecord([=](CardLine* line) {
            const double zero = 0.0;
            for (int32_t i = old; i < n; ++i)
                std::memcpy(RecordBytes(line) + values + 8 * i, &zero, sizeof zero);
        });
    }
    cards.linePool.SetDocumentedSize(CardModel::DocumentedLineSize(n, cards.dimsInUse, cards.componentWidth));
    HandleChange(ChangeRecord(kChangeValueCount, this, DifferencePayload{n - old}));
}

int32_t Base::FindValueFieldByName(const char* text) const
{
    String wanted;
    wanted.AssignCStr(text);
    wanted.Trim(' ');
    if (wanted.IsEmpty())
        return -1;
    String name;
    for (int32_t i = 0; i < kValueFieldCount; ++i) {
        GetValueFieldName(i, name);
        if (CompareHeapTextNoCase(name.CStr(), wanted.CStr()) == 0)
            return i;
    }
    int32_t number = BytesToIntRounded(wanted.CStr(), wanted.Length());
    return number >= 1 && number <= kValueFieldCount ? number - 1 : -1;
}

// --- References to deleted components ------------------------------------------------------------------

void Base::ClearDeletedReferences(int32_t d, const BitSet& deleted)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    if (d == 0) {
        int32_t count = cards.groupPool.ElementCount();
        for (int32_t i = 0; i < count; ++i) {
            CardGroup* group = GroupAt(uint32_t(i));
            if (group && group->key > 0 && deleted.GetBit(group->key))
                group->key = 0;
        }
        return;
    }
    int32_t slot = d - 1;
    if (slot >= cards.dimsInUse)
        return;
    int32_t width = cards.componentWidth;
    int32_t offset = cards.componentAreaOffset + slot * width;
    cards.ForEachLineRecord([&](CardLine* line) {
        uint8_t* p = RecordBytes(line) + offset;
        uint32_t number = ReadComponentNumber(p, width);
        if (number < 0x80000000u && deleted.GetBit(int32_t(number)))
            WriteComponentNumber(p, width, uint32_t(d));
    });
}

// --- Memory ------------------------------------------------------------------------------------------

int64_t Base::ComponentTextMemory()
{
    if (componentTextMemory != 0)
        return componentTextMemory;
    int64_t total = 0;
    const RecordPool& pool = componentPool;
    for (uint32_t d = 0; d < kDimensionCount; ++d) {
        for (Component* component = Root(int32_t(d))->NextInPreorder(pool); component && !component->IsRoot();
             component = component->NextInPreorder(pool))
            total += MemBlockFootprint(component->code) + MemBlockFootprint(component->text) +
                     MemBlockFootprint(component->host);
    }
    componentTextMemory = total;
    return total;
}

int64_t Base::CardTextMemory()
{
    if (cards.cardTextMemory != 0)
        return cards.cardTextMemory;
    int64_t total = 0;
    for (Card* card = FirstCard(); card->index != cards.chainEnd; card = NextCard(card)) {
        total += MemBlockFootprint(card->title) + MemBlockFootprint(card->notes);
        for (CardGroup* group = FirstGroup(card); group; group = NextGroup(group)) {
            for (CardLine* line = FirstLine(group); line; line = NextLine(line))
                total += MemBlockFootprint(line->Text());
        }
    }
    cards.cardTextMemory = total;
    return total;
}

void Base::ReleaseCardTexts()
{
    std::unique_ptr<ProgressDisplay> progress = Service<ModelServices>::Get().OpenProgress(kReleaseProgressKind, this);
    progress->SetStep(text::kCards);
    progress->SetTotal(cards.LineCount());
    int64_t released = 0;
    for (Card* card = FirstCard(); card->index != cards.chainEnd; card = NextCard(card)) {
        MemFree(card->title);
        MemFree(card->notes);
        card->title = nullptr;
        card->notes = nullptr;
        for (CardGroup* group = FirstGroup(card); group; group = NextGroup(group)) {
            for (CardLine* line = FirstLine(group); line; line = NextLine(line)) {
                line->FreeText();
                if (++released % kReleaseProgressInterval == 0)
                    progress->SetCount(released);
            }
        }
    }
    cards.cardTextMemory = 0;
}

}  // namespace vek
