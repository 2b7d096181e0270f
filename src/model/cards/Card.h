#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "foundation/numbers/CardKey.h"
#include "foundation/strings/HeapText.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/cards/CardSourceTable.h"
#include "model/cards/RecordPool.h"

namespace vek {

class Base;

// Record sizes that memory reports count (the stored records may be larger: text fields are 64-bit
// pointers here, and line records are padded to a multiple of 4 bytes so that their words align).
constexpr int32_t kCardRecordSize = 72;
constexpr int32_t kGroupRecordSize = 20;
constexpr int32_t kDateBucketRecordSize = 24;
constexpr int32_t kLineHeaderSize = 12;

constexpr int32_t kMaxValueCount = 24;
constexpr int32_t kLineSlotCount = 31;  // dimensions 1..31; dimension 0 is never stored in lines
constexpr int32_t kBucketCacheSize = 13;
constexpr int32_t kCardStampCount = 5;
// The date of the bucket ring's end node and the number of the chain end card: after every key.
constexpr PackedDate kEndDate = 0x7fffffff;
// The highest number a card can have; kOpenEndNumber itself means "after every card of the day".
constexpr int32_t kMaxCardNumber = kOpenEndNumber - 1;

// Stamp slots of a card.
constexpr int32_t kStampCreated = 0;
constexpr int32_t kStampModified = 1;
constexpr int32_t kStampNotes = 2;
constexpr int32_t kStampSignatureE = 3;
constexpr int32_t kStampSignatureP = 4;
// The commands that sign the selected cards of an analysis window.
constexpr int32_t kCommandSignE = 2531;
constexpr int32_t kCommandSignP = 2532;

// A card (voucher) in the base's card pool. Pool index 0 is the chain end: it closes the card chain
// into a ring, sorts after every card (number 0x7fffffff) and lies in the bucket ring's end node.
// On the free list `next` links the free cards.
struct Card {
    uint32_t index;
    uint32_t next;        // next card of the chain (ascending by date, then number)
    uint32_t prev;
    uint32_t bucket;      // the DateBucket; the card's date is the bucket's
    int32_t number;       // 1 or more, unique within the date
    uint32_t firstGroup;  // kNoRecord when none
    HeapText title;       // owned, null when empty
    HeapText notes;       // owned, null when empty
    StampedText stamps[kCardStampCount];

    // Records a change stamp: equal to slot 0 clears slot 1; an empty slot 0 takes it (clearing slot
    // 1); else slot 1 takes it. Slots 3 and 4 are always cleared, slot 2 is left. Returns 1 when slot 0
    // holds the stamp afterwards, else 0.
    int32_t SetChangeStamp(const StampedText& stamp);
    // Command 2531 stores the stamp in slot 3, 2532 in slot 4; other commands change nothing.
    void SetSignatureStamp(const StampedText& stamp, int32_t command);
};

// The cards of one date: consecutive in the card chain. The bucket's last card is the card before
// the next bucket's first. `runEnd` is the card numbered k that ends the run 1, 2, ..., k at the start
// of the bucket (kNoRecord when no card has number 1). Buckets form a ring ascending by date through
// an end node (pool index 0, date 0x7fffffff, whose `first` is the chain end card).
struct DateBucket {
    uint32_t index;
    uint32_t next;
    uint32_t prev;
    PackedDate date;
    int32_t count;
    uint32_t first;
    uint32_t runEnd;
};

// A group of lines inside a card, found by its key (a component of dimension 0), not ordered by it.
struct CardGroup {
    uint32_t index;
    uint32_t next;  // next group of the card (free list link when free)
    uint32_t firstLine;
    uint32_t lastLine;
    int32_t key;
};

// The head of a line record. The record goes on as the base lays it out:
//
//   | offset                   | contents                                                      |
//   |--------------------------|---------------------------------------------------------------|
//   | 0                        | pool index, 32-bit                                            |
//   | 4                        | next line of the group (free list link when free), 32-bit     |
//   | 8                        | line text, a HeapText pointer (owned, null when empty)        |
//   | 16                       | valueCount doubles, native order, value field 0 first         |
//   | 16 + 8 x valueCount      | dimsInUse component numbers (dimensions 1, 2, ...), each       |
//   |                          | unsigned big-endian in componentWidth bytes                    |
//   | end                      | padding to a multiple of 4 bytes                              |
//
// Values and the text are not necessarily aligned to 8 bytes and are read and written by copying.
// Everything past the head is reached only through the accessors of Base.
struct CardLine {
    uint32_t index;
    uint32_t next;
    uint32_t textWords[2];

    HeapText Text() const
    {
        HeapText text;
        std::memcpy(&text, textWords, sizeof text);
        return text;
    }
    void SetTextField(HeapText text) { std::memcpy(textWords, &text, sizeof text); }
    // Replaces the owned text (null or empty: no text).
    void SetText(const char* text);
    void SetTextFromBytes(const char* bytes, int32_t n);
    // Frees the owned text.
    void FreeText();
};
static_assert(sizeof(CardLine) == 16 && alignof(CardLine) == 4);
constexpr int32_t kLineValueAreaOffset = 16;

// The card model of a base: the record pools, the bucket ring with its cache, the layout of line
// records, the default rows and the batch-deletion state. The base owns one; its operations are
// members of Base (Base.h, block "Cards, groups and lines").
struct CardModel {
    CardModel();
    ~CardModel();
    CardModel(const CardModel&) = delete;
    CardModel& operator=(const CardModel&) = delete;

    RecordPool cardPool;
    RecordPool groupPool;
    RecordPool linePool;
    RecordPool bucketPool;
    uint32_t chainEnd = 0;   // card pool index of the chain end
    uint32_t bucketEnd = 0;  // bucket pool index of the ring's end node
    int32_t bucketCount = 0;
    // Recently found buckets; searches start from the one nearest in date.
    mutable std::array<uint32_t, kBucketCacheSize> bucketCache{};
    mutable int32_t bucketCacheCount = 0;

    int32_t valueCount = 1;
    int32_t dimsInUse = 1;
    int32_t componentWidth = 2;
    int32_t valueAreaOffset = kLineValueAreaOffset;
    int32_t componentAreaOffset = kLineValueAreaOffset + 8;
    // Slot i holds i + 1: the root of dimension i + 1, which stands for no component.
    std::array<uint32_t, kLineSlotCount> defaultComponents{};
    std::array<double, kMaxValueCount> defaultValues{};

    // Batch line deletion (Base::BeginLineDeletion ... EndLineDeletion).
    StampedText batchStamp;
    uint32_t batchCard = kNoRecord;
    uint32_t batchGroup = kNoRecord;
    uint32_t batchPredecessor = kNoRecord;

    int64_t cardTextMemory = 0;       // 0 when not computed
    bool cardsChanged = false;        // set by card creation and deletion, cleared on change 28
    CardSourceTable sources;

    // Line record sizes: the documented one (12 + 8 x values + slots x width, even) and the stored
    // one (16 + 8 x values + slots x width, rounded up to 4).
    static int32_t DocumentedLineSize(int32_t values, int32_t slots, int32_t width);
    static int32_t StoredLineSize(int32_t values, int32_t slots, int32_t width);

    // Bytes of the card model's records as memory reports count them: 24 per bucket and the
    // documented sizes of every pool element; FreeRecordBytes the unused pool elements.
    int64_t RecordBytes() const;
    int64_t FreeRecordBytes() const;
    // Live counts (the chain end is not a card).
    int32_t CardCount() const { return cardPool.LiveCount() - 1; }
    int32_t GroupCount() const { return groupPool.LiveCount(); }
    int32_t LineCount() const { return linePool.LiveCount(); }

    // Frees the titles, notes and line texts of every live record (each left null).
    void ReleaseTexts();

    Card* CardAt(uint32_t index) const { return cardPool.Get<Card>(index); }
    DateBucket* BucketAt(uint32_t index) const { return bucketPool.Get<DateBucket>(index); }
    CardGroup* GroupAt(uint32_t index) const { return groupPool.Get<CardGroup>(index); }
    CardLine* LineAt(uint32_t index) const { return linePool.Get<CardLine>(index); }
    DateBucket* EndNode() const { return BucketAt(bucketEnd); }

    // --- The bucket ring and the card chain (DateBucket.cpp) ---------------------------------------
    // The last bucket dated at or before `date`, or the end node (also for date 0). Starts from the
    // cached bucket nearest in date and caches what it finds.
    DateBucket* FindBucketAtOrBefore(PackedDate date) const;
    // The bucket of `date`, made (empty) when there is none; null when memory runs short.
    DateBucket* FindOrCreateBucket(PackedDate date);
    // Unlinks an empty bucket from the ring and the cache and frees it.
    void DeleteBucket(DateBucket* bucket);
    // Files an unfiled card into a bucket under the lowest free number at or above `wanted` (0 and
    // below count as 1); false (nothing changed) when no number up to kMaxCardNumber is free.
    [[nodiscard]] bool InsertCard(DateBucket* bucket, Card* card, int32_t wanted);
    // Takes a card out of the chain and its bucket; an emptied bucket is deleted.
    void RemoveCard(Card* card);
    Card* FindCardAtOrAfter(const CardKey& key) const;
    int32_t FindCardsInDateRange(const CardKey& from, const CardKey& to, Card*& first, Card*& end) const;

    // Calls function(CardLine*) for every element of the line pool (free ones too), page by page.
    template <typename Function>
    void ForEachLineRecord(Function&& function)
    {
        PagedArray& elements = linePool.Elements();
        int32_t count = elements.Count();
        int32_t size = elements.ElementSize();
        for (int32_t first = 0; first < count; first += PagedArray::kPageElements) {
            auto* page = static_cast<uint8_t*>(elements.At(first));
            if (!page)
                continue;
            int32_t n = count - first < PagedArray::kPageElements ? count - first : PagedArray::kPageElements;
            for (int32_t j = 0; j < n; ++j)
                function(reinterpret_cast<CardLine*>(page + int64_t(j) * size));
        }
    }
};

}  // namespace vek
