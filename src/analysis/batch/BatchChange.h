// BatchChange: a batch operation on the cards of a base as one change that is kept whole or undone whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/strings/HeapText.h"
#include "model/base/BaseCheckpoint.h"
#include "model/cards/Card.h"

namespace vek {

class Base;

// The undo of one aggregation or transformation. Cards the operation makes are undone by a base
// checkpoint (taken when this is made); what it changes in cards that were there before is kept here
// before each change, so that a rollback puts back every key, text, stamp, component and value.
//
// Nothing that was there before is removed until the commit: lines to delete, groups to merge and the
// emptied groups and cards that follow wait for Commit, which allocates nothing and so cannot fail.
// A failure before the commit therefore leaves the base, after RollBack, exactly as it was (saved, it
// gives the same bytes). A BatchChange that is neither committed nor rolled back rolls back when it
// goes.
//
// Records are kept by pool index: a widened line layout moves line records.
class BatchChange {
public:
    // Takes the checkpoint; not valid (error 600 pending) when memory ran short.
    explicit BatchChange(Base& base);
    ~BatchChange();
    BatchChange(const BatchChange&) = delete;
    BatchChange& operator=(const BatchChange&) = delete;

    bool IsValid() const { return checkpoint.IsValid(); }
    Base& GetBase() const { return base; }

    // A card made by the operation: CreateCard's card is noted, so that no undo is kept for it.
    // Null when the card cannot be made.
    [[nodiscard]] Card* CreateCard(CardKey& key);
    bool IsNewCard(const Card* card) const;

    // Room for what is kept of `cards` cards that were there before and for `deletedLines` lines
    // deleted at the commit, for a run that knows its size: what is kept is then not copied each
    // time it grows. Memory running short raises std::bad_alloc, as growing would.
    void Reserve(size_t cards, size_t deletedLines);

    // Changes of a card; what they replace is kept when the card was there before. Each false (error
    // 600 pending) when memory ran short, with the field unchanged.
    [[nodiscard]] bool ChangeCardKey(Card* card, CardKey& key);
    [[nodiscard]] bool SetTitle(Card* card, const char* text);
    [[nodiscard]] bool SetNotes(Card* card, const char* text);
    // Before a change of the card's stamps.
    [[nodiscard]] bool KeepStamps(Card* card);
    // Before a change of the line's components or values.
    [[nodiscard]] bool KeepLine(const Card* card, const CardLine* line);
    [[nodiscard]] bool SetLineText(const Card* card, CardLine* line, const char* text);

    // Groups and lines added; null (error 600 pending) when memory ran short.
    [[nodiscard]] CardGroup* FindOrAddGroup(Card* card, int32_t key);
    [[nodiscard]] CardLine* CreateLine(Card* card, CardGroup* group);

    // Structural changes of cards that were there before, done by Commit. A line deleted at the
    // commit gives its card the commit's stamp; an emptied group goes, and an emptied card.
    [[nodiscard]] bool DeleteLineAtCommit(const Card* card, const CardGroup* group, const CardLine* line);
    // The card's groups become its first group, keyed `key` (a group-level transformation).
    [[nodiscard]] bool MergeGroupsAtCommit(const Card* card, int32_t key);

    // Makes the change final: frees the replaced texts, merges groups and deletes lines (their cards
    // stamped with `stamp`). Cannot fail.
    void Commit(const StampedText& stamp);
    // Undoes everything; the base's modified mark is put back too.
    void RollBack();

    // Test hook: the n-th record added from now on (card, group or line) fails as if memory ran short;
    // negative: none.
    void FailAfterAdds(int32_t n) { addsLeft = n; }

private:
    struct KeptKey {
        uint32_t card;
        CardKey key;
    };
    enum class TextSlot : int32_t { Title, Notes, Line };
    struct KeptText {
        uint32_t record;
        TextSlot slot;
        HeapText text;  // owned: the old text, given back or freed
    };
    struct KeptStamps {
        uint32_t card;
        std::array<StampedText, kCardStampCount> stamps;
    };
    struct KeptLine {
        uint32_t line;
        uint32_t offset;  // into lineBytes: the values, then the component numbers
    };
    struct AddedRecord {
        uint32_t card;
        uint32_t group;
        uint32_t line;  // kNoRecord for a group
    };
    struct CommitLine {
        uint32_t card;
        uint32_t group;
        uint32_t line;
    };
    struct CommitMerge {
        uint32_t card;
        int32_t key;
    };

    bool TakeAdd();
    // Whether a text may hold a card link, so that a moved card's links must be renamed.
    bool LinksPossible();
    void NoteText(const char* text);
    [[nodiscard]] bool ReplaceText(uint32_t record, TextSlot slot, HeapText& field, const char* text, bool keep);
    static bool Mark(std::vector<uint8_t>& set, uint32_t index);
    static bool IsMarked(const std::vector<uint8_t>& set, uint32_t index);

    Base& base;
    BaseCheckpoint checkpoint;
    bool wasModified = false;
    bool finished = false;
    int32_t addsLeft = -1;
    int32_t linksKnown = -1;  // -1 not looked at yet, 0 no text holds "card=", 1 some may
    std::vector<uint8_t> newCards;      // by card pool index
    std::vector<uint8_t> stampedCards;  // stamps kept
    std::vector<uint8_t> keptLines;     // values and components kept
    std::vector<KeptKey> keys;
    std::vector<KeptText> texts;
    std::vector<KeptStamps> stamps;
    std::vector<KeptLine> lines;
    std::vector<double> lineValues;
    std::vector<uint32_t> lineComponents;
    std::vector<AddedRecord> added;
    std::vector<CommitLine> deletions;
    std::vector<CommitMerge> merges;
};

}  // namespace vek
