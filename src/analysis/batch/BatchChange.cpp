// BatchChange: a batch operation on the cards of a base as one change that is kept whole or undone whole.
#include "analysis/batch/BatchChange.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/CString.h"
#include "model/base/Base.h"

namespace vek {

BatchChange::BatchChange(Base& base) : base(base), wasModified(base.IsModified())
{
    base.TakeCheckpoint(checkpoint);
}

BatchChange::~BatchChange()
{
    if (!finished)
        RollBack();
}

bool BatchChange::Mark(std::vector<uint8_t>& set, uint32_t index)
{
    if (index >= set.size())
        set.resize(size_t(index) + 1 + set.size() / 2, 0);
    bool was = set[index] != 0;
    set[index] = 1;
    return was;
}

bool BatchChange::IsMarked(const std::vector<uint8_t>& set, uint32_t index)
{
    return index < set.size() && set[index] != 0;
}

bool BatchChange::TakeAdd()
{
    if (addsLeft == 0) {
        SetOutOfMemoryError();
        return false;
    }
    if (addsLeft > 0)
        --addsLeft;
    return true;
}

Card* BatchChange::CreateCard(CardKey& key)
{
    if (!TakeAdd())
        return nullptr;
    Card* card = base.CreateCard(key);
    if (!card)
        return nullptr;
    Mark(newCards, card->index);
    return card;
}

bool BatchChange::IsNewCard(const Card* card) const
{
    return IsMarked(newCards, card->index);
}

namespace {

constexpr const char* kBatchCardLinkKeyword = "card=";

bool BatchTextHasCardLink(const char* text)
{
    return text != nullptr && CStrFindNoCase(text, kBatchCardLinkKeyword) >= 0;
}

}  // namespace

bool BatchChange::LinksPossible()
{
    if (linksKnown >= 0)
        return linksKnown != 0;
    // One walk over the texts of every open base instead of one per moved card.
    linksKnown = 0;
    for (Base* open = Base::FirstBase(); open != nullptr && linksKnown == 0; open = open->NextBase()) {
        for (Card* card = open->FirstCard(); card != open->ChainEnd() && linksKnown == 0; card = open->NextCard(card)) {
            if (BatchTextHasCardLink(card->title) || BatchTextHasCardLink(card->notes)) {
                linksKnown = 1;
                break;
            }
            for (CardGroup* group = open->FirstGroup(card); group && linksKnown == 0; group = open->NextGroup(group)) {
                for (CardLine* line = open->FirstLine(group); line; line = open->NextLine(line)) {
                    if (BatchTextHasCardLink(line->Text())) {
                        linksKnown = 1;
                        break;
                    }
                }
            }
        }
    }
    return linksKnown != 0;
}

void BatchChange::NoteText(const char* text)
{
    if (BatchTextHasCardLink(text))
        linksKnown = 1;
}

bool BatchChange::ChangeCardKey(Card* card, CardKey& key)
{
    CardKey old;
    base.GetCardKey(card, old);
    bool isNew = IsNewCard(card);
    if (!isNew)
        keys.push_back(KeptKey{card->index, old});
    CardLinkRenaming links = LinksPossible() ? CardLinkRenaming::Rename : CardLinkRenaming::Skip;
    if (base.ChangeCardKey(card, key, links))
        return true;
    if (!isNew)
        keys.pop_back();
    return false;
}

bool BatchChange::ReplaceText(uint32_t record, TextSlot slot, HeapText& field, const char* text, bool keep)
{
    NoteText(text);
    HeapText fresh = NewHeapText(text);
    if (text && *text && !fresh) {
        SetOutOfMemoryError();
        return false;
    }
    if (keep) {
        texts.push_back(KeptText{record, slot, field});
    } else {
        MemFree(field);
    }
    field = fresh;
    return true;
}

bool BatchChange::SetTitle(Card* card, const char* text)
{
    return ReplaceText(card->index, TextSlot::Title, card->title, text, !IsNewCard(card));
}

bool BatchChange::SetNotes(Card* card, const char* text)
{
    return ReplaceText(card->index, TextSlot::Notes, card->notes, text, !IsNewCard(card));
}

void BatchChange::Reserve(size_t cards, size_t deletedLines)
{
    stamps.reserve(stamps.size() + cards);
    keys.reserve(keys.size() + cards);
    deletions.reserve(deletions.size() + deletedLines);
}

bool BatchChange::KeepStamps(Card* card)
{
    if (IsNewCard(card) || Mark(stampedCards, card->index))
        return true;
    KeptStamps kept{card->index, {}};
    for (int32_t i = 0; i < kCardStampCount; ++i)
        kept.stamps[size_t(i)] = card->stamps[i];
    stamps.push_back(kept);
    return true;
}

bool BatchChange::KeepLine(const Card* card, const CardLine* line)
{
    if (IsNewCard(card) || Mark(keptLines, line->index))
        return true;
    size_t at = lines.size();
    lines.push_back(KeptLine{line->index, uint32_t(at)});
    lineValues.resize((at + 1) * size_t(kMaxValueCount));
    lineComponents.resize((at + 1) * size_t(kLineSlotCount));
    base.GetLineValues(line, lineValues.data() + at * size_t(kMaxValueCount));
    base.GetLineComponents(line, lineComponents.data() + at * size_t(kLineSlotCount));
    return true;
}

bool BatchChange::SetLineText(const Card* card, CardLine* line, const char* text)
{
    HeapText field = line->Text();
    if (!ReplaceText(line->index, TextSlot::Line, field, text, !IsNewCard(card)))
        return false;
    line->SetTextField(field);
    return true;
}

CardGroup* BatchChange::FindOrAddGroup(Card* card, int32_t key)
{
    for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
        if (group->key == key)
            return group;
    }
    if (!TakeAdd())
        return nullptr;
    CardGroup* group = base.FindOrAddGroup(card, key);
    if (!group) {
        SetOutOfMemoryError();
        return nullptr;
    }
    if (!IsNewCard(card))
        added.push_back(AddedRecord{card->index, group->index, kNoRecord});
    return group;
}

CardLine* BatchChange::CreateLine(Card* card, CardGroup* group)
{
    if (!TakeAdd())
        return nullptr;
    CardLine* line = base.CreateLine(group);
    if (!line) {
        SetOutOfMemoryError();
        return nullptr;
    }
    if (!IsNewCard(card))
        added.push_back(AddedRecord{card->index, group->index, line->index});
    return line;
}

bool BatchChange::DeleteLineAtCommit(const Card* card, const CardGroup* group, const CardLine* line)
{
    deletions.push_back(CommitLine{card->index, group->index, line->index});
    return true;
}

bool BatchChange::MergeGroupsAtCommit(const Card* card, int32_t key)
{
    merges.push_back(CommitMerge{card->index, key});
    return true;
}

void BatchChange::Commit(const StampedText& stamp)
{
    finished = true;
    for (KeptText& kept : texts)
        MemFree(kept.text);
    texts.clear();
    for (const CommitMerge& merge : merges) {
        Card* card = base.CardAt(merge.card);
        if (CardGroup* first = base.FirstGroup(card)) {
            base.MergeFollowingGroups(first);
            first->key = merge.key;
        }
    }
    // The model's batch deletion finds each line's predecessor from the last one deleted, so lines
    // given in card and line order cost a step each; an emptied group goes, and an emptied card.
    base.BeginLineDeletion(stamp);
    for (const CommitLine& gone : deletions) {
        Card* card = base.CardAt(gone.card);
        if (!card || card->bucket == kNoRecord)
            continue;  // an emptied card went with its last line
        base.DeleteLineInBatch(card, base.GroupAt(gone.group), base.LineAt(gone.line));
    }
    base.EndLineDeletion();
    deletions.clear();
}

void BatchChange::RollBack()
{
    if (finished)
        return;
    finished = true;
    // The reason the run stopped waits while the base is put back (readers stop for a pending error).
    PreservedErrorState failure;
    ClearError();
    // The cards the operation made go first, so that every old key is free again.
    base.RollBack(checkpoint);
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        Card* card = base.CardAt(it->card);
        CardGroup* group = base.GroupAt(it->group);
        if (it->line != kNoRecord)
            base.DeleteLine(card, group, base.LineAt(it->line));
        else if (group->firstLine == kNoRecord)
            base.DeleteGroup(card, group);
    }
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        CardLine* line = base.LineAt(it->line);
        base.SetLineValues(line, lineValues.data() + size_t(it->offset) * size_t(kMaxValueCount));
        base.SetLineComponents(line, lineComponents.data() + size_t(it->offset) * size_t(kLineSlotCount));
    }
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        HeapText old = it->text;
        switch (it->slot) {
        case TextSlot::Title: {
            Card* card = base.CardAt(it->record);
            MemFree(card->title);
            card->title = old;
            break;
        }
        case TextSlot::Notes: {
            Card* card = base.CardAt(it->record);
            MemFree(card->notes);
            card->notes = old;
            break;
        }
        case TextSlot::Line: {
            CardLine* line = base.LineAt(it->record);
            line->FreeText();
            line->SetTextField(old);
            break;
        }
        }
    }
    texts.clear();
    for (const KeptStamps& kept : stamps) {
        Card* card = base.CardAt(kept.card);
        for (int32_t i = 0; i < kCardStampCount; ++i)
            card->stamps[i] = kept.stamps[size_t(i)];
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        CardKey key = it->key;
        // The key was this card's and every card moved after it has gone back, so it is free.
        (void)base.ChangeCardKey(base.CardAt(it->card), key,
                                 linksKnown == 0 ? CardLinkRenaming::Skip : CardLinkRenaming::Rename);
    }
    base.FlushCardChanges();
    base.SetModified(wasModified);
}

}  // namespace vek
