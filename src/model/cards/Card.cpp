#include "model/cards/Card.h"

#include "foundation/memory/BlockAllocator.h"
#include "model/cards/CardFilter.h"

namespace vek {

int32_t Card::SetChangeStamp(const StampedText& stamp)
{
    StampedText& created = stamps[kStampCreated];
    if (created.Equals(stamp)) {
        stamps[kStampModified].Clear();
    } else if (created.IsEmpty()) {
        created = stamp;
        stamps[kStampModified].Clear();
    } else {
        stamps[kStampModified] = stamp;
    }
    // A change voids the signatures; the notes stamp is the notes' own.
    stamps[kStampSignatureE].Clear();
    stamps[kStampSignatureP].Clear();
    return created.Equals(stamp) ? 1 : 0;
}

void Card::SetSignatureStamp(const StampedText& stamp, int32_t command)
{
    if (command == kCommandSignE)
        stamps[kStampSignatureE] = stamp;
    else if (command == kCommandSignP)
        stamps[kStampSignatureP] = stamp;
}

void CardLine::SetText(const char* text)
{
    HeapText field = Text();
    SetHeapText(field, text);
    SetTextField(field);
}

void CardLine::SetTextFromBytes(const char* bytes, int32_t n)
{
    HeapText field = Text();
    SetHeapTextFromBytes(field, bytes, n);
    SetTextField(field);
}

void CardLine::FreeText()
{
    MemFree(Text());
    SetTextField(nullptr);
}

CardModel::CardModel()
    : cardPool(int32_t(sizeof(Card)), kCardRecordSize),
      groupPool(int32_t(sizeof(CardGroup)), kGroupRecordSize),
      linePool(StoredLineSize(1, 1, 2), DocumentedLineSize(1, 1, 2)),
      bucketPool(int32_t(sizeof(DateBucket)), kDateBucketRecordSize)
{
    for (int32_t i = 0; i < kLineSlotCount; ++i)
        defaultComponents[i] = uint32_t(i + 1);
    // The chain end and the bucket ring's end node are the first records of their pools (index 0)
    // and refer to each other.
    auto* end = static_cast<Card*>(cardPool.Alloc());
    auto* node = static_cast<DateBucket*>(bucketPool.Alloc());
    if (end) {
        chainEnd = end->index;
        end->next = end->index;
        end->prev = end->index;
        end->number = kOpenEndNumber;
        end->firstGroup = kNoRecord;
    }
    if (node) {
        bucketEnd = node->index;
        node->next = node->index;
        node->prev = node->index;
        node->date = kEndDate;
        node->count = 0;
        node->first = chainEnd;
        node->runEnd = kNoRecord;
    }
    if (end)
        end->bucket = bucketEnd;
}

CardModel::~CardModel()
{
    ReleaseTexts();
}

int32_t CardModel::DocumentedLineSize(int32_t values, int32_t slots, int32_t width)
{
    int32_t areas = 8 * values + slots * width;
    return kLineHeaderSize + areas + (areas & 1);
}

int32_t CardModel::StoredLineSize(int32_t values, int32_t slots, int32_t width)
{
    return (kLineValueAreaOffset + 8 * values + slots * width + 3) & ~3;
}

int64_t CardModel::RecordBytes() const
{
    return int64_t(bucketCount) * kDateBucketRecordSize + cardPool.DocumentedBytes() + groupPool.DocumentedBytes() +
           linePool.DocumentedBytes();
}

int64_t CardModel::FreeRecordBytes() const
{
    return int64_t(cardPool.FreeCount()) * cardPool.DocumentedSize() +
           int64_t(groupPool.FreeCount()) * groupPool.DocumentedSize() +
           int64_t(linePool.FreeCount()) * linePool.DocumentedSize();
}

void CardModel::ReleaseTexts()
{
    // Free records hold no texts (freeing a record releases them), so every element can be visited.
    int32_t count = cardPool.ElementCount();
    for (int32_t i = 0; i < count; ++i) {
        Card* card = cardPool.Get<Card>(uint32_t(i));
        if (!card)
            continue;
        MemFree(card->title);
        MemFree(card->notes);
        card->title = nullptr;
        card->notes = nullptr;
    }
    ForEachLineRecord([](CardLine* line) {
        if (line->Text())
            line->FreeText();
    });
    cardTextMemory = 0;
}

}  // namespace vek

namespace vek {

CardFilter::~CardFilter() = default;

void CardFilter::KeyRange(CardKey& from, CardKey& to) const
{
    from = CardKey{0, 0};
    to = CardKey{kEndDate, kOpenEndNumber};
}

bool CardFilter::PassesCard(const Card&) const
{
    return true;
}

bool CardFilter::PassesGroup(const Card&, const CardGroup&) const
{
    return true;
}

bool CardFilter::PassesLine(const Card&, const CardGroup&, const CardLine&) const
{
    return true;
}

}  // namespace vek
