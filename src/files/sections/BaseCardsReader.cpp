// The "##Cards" section. Lines (key = the first character of the first field):
//
//   | key           | fields                                      | effect                            |
//   |---------------|---------------------------------------------|-----------------------------------|
//   | "-D" + C/H/T  | TAB n (1..32)                               | dimension n names its components  |
//   |               |                                             | by code, host code or text        |
//   | "-LN"         | TAB n (1..24)                               | amounts per line                  |
//   | "C" + key     | TAB title (long-text form)                  | a new card                        |
//   | "N" + stamp   | TAB notes (long-text form)                  | the card's notes and their stamp  |
//   | "S" + stamp 1 | TAB stamp 2 TAB stamp 3 TAB stamp 4         | created, modified, signature E, P |
//   | "G" + group   | none                                        | the group (a component of dim. 1) |
//   | "L" + amount 1| TAB amount 2 .. k TAB text TAB component of  | a line of the current group       |
//   |               | dimension 2 .. TAB component of dimension 32|                                   |
//   | "H"           | TAB source TAB number                       | the card's source (line history)  |
//
// A line starting with "#" ends the section. Missing amounts are 0, missing components the
// dimension's root. A card line without its key, and a group or line before the first card, are
// damage; a card that cannot be made (no free number on its date) skips its lines.
#include "files/sections/BaseSectionReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "files/format/BaseFileFormat.h"
#include "files/format/BaseFileLog.h"
#include "files/format/BaseFileRecord.h"
#include "files/setups/SaveSettings.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/services/Clock.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {


// An amount field: empty is 0; false for a text that gives no finite number ("1e309", "inf", "NaN"),
// which no base holds and which must not turn into 0 or an infinity on the way in.
bool AmountOf(const char* text, int32_t n, double& value)
{
    if (n <= 0) {
        value = 0.0;
        return true;
    }
    value = BytesToDouble(text, n);
    return std::isfinite(value);
}

}  // namespace

BaseSectionReader::ReferenceEntry* BaseSectionReader::ReferenceSlot(int32_t d, const char* text, int32_t n)
{
    if (n <= 0 || n > int32_t(sizeof(ReferenceEntry::text)) || d < 0 || d >= int32_t(kDimensionCount) ||
        settings->CardsReferenceMode(d) != kCardsReferenceCode)
        return nullptr;
    if (!referenceCache) {
        // A quarter full at most for the components the base has now.
        int32_t components = base.ComponentPool().ElementCount();
        referenceCacheBits = kMinReferenceCacheBits;
        while (referenceCacheBits < kMaxReferenceCacheBits && (int64_t(1) << referenceCacheBits) < 4 * int64_t(components))
            ++referenceCacheBits;
        size_t entries = size_t(1) << referenceCacheBits;
        referenceCache.reset(new (std::nothrow) ReferenceEntry[entries]);
        if (!referenceCache)
            return nullptr;
        std::memset(referenceCache.get(), 0, sizeof(ReferenceEntry) * entries);
    }
    // FNV-1a over the text and the dimension, its bits spread by a multiplication whose top bits
    // pick the slot (the low bits of FNV alone collide for codes like "A0000048").
    uint64_t hash = 14695981039346656037u;
    for (int32_t i = 0; i < n; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 1099511628211u;
    hash = (hash ^ uint64_t(d)) * 0x9E3779B97F4A7C15u;
    return &referenceCache[hash >> (64 - referenceCacheBits)];
}

uint32_t BaseSectionReader::ResolveReference(int32_t d, const char* text, int32_t n)
{
    return ResolveReference(d, text, n, ReferenceSlot(d, text, n));
}

uint32_t BaseSectionReader::ResolveReference(int32_t d, const char* text, int32_t n, ReferenceEntry* entry)
{
    if (n <= 0 || d < 0 || d >= int32_t(kDimensionCount))
        return uint32_t(d < 0 ? 0 : d);
    if (entry != nullptr) {
        if (entry->length == n && entry->dimension == d && std::memcmp(entry->text, text, size_t(n)) == 0)
            return entry->number;
        char code[sizeof entry->text + 1];
        std::memcpy(code, text, size_t(n));
        code[n] = '\0';
        if (const Component* found = base.GetDimension(d).FindByCode(code)) {
            entry->number = found->number;
            entry->dimension = uint8_t(d);
            entry->length = uint8_t(n);
            std::memcpy(entry->text, text, size_t(n));
            return found->number;
        }
    }
    UnknownReferences& unknown = unknownReferences[size_t(settings->CardsReferenceMode(d)) % unknownReferences.size()];
    bool added = false;
    uint32_t number = base.ResolveImportComponent(
        d, text, n, unknown.count == 0 ? Base::UnknownReferenceReport::show : Base::UnknownReferenceReport::quiet, &added);
    if (added && unknown.count++ == 0) {
        unknown.line = reader.LineCount();
        unknown.first.AssignBytes(text, n);
    }
    if (entry != nullptr && number != uint32_t(d)) {
        entry->number = number;
        entry->dimension = uint8_t(d);
        entry->length = uint8_t(n);
        std::memcpy(entry->text, text, size_t(n));
    }
    return number;
}

void BaseSectionReader::FinishCard()
{
    Card* finished = card;
    card = nullptr;
    group = nullptr;
    skippingCard = false;
    if (finished == nullptr)
        return;
    bool anyLine = false;
    for (CardGroup* walk = base.FirstGroup(finished); walk != nullptr; walk = base.NextGroup(walk))
        anyLine = anyLine || walk->firstLine != kNoRecord;
    if (anyLine) {
        base.DropEmptyGroups(finished);
        return;
    }
    // A card without lines stays (with its title, notes and stamps); only its empty groups go.
    for (CardGroup* walk = base.FirstGroup(finished); walk != nullptr;) {
        CardGroup* next = base.NextGroup(walk);
        base.FreeGroup(walk);
        walk = next;
    }
    finished->firstGroup = kNoRecord;
}

void BaseSectionReader::ReadCardsSection(CardsForm form)
{
    base.LogOperation("cards section", nullptr, kLogReading);
    int64_t start = CurrentTimeMs();
    card = nullptr;
    group = nullptr;
    while (reader.ReadLine()) {
        if (IsErrorPending())
            break;
        const char* p = reader.LineStart();
        int32_t n = reader.LineLength();
        if (n == 0)
            continue;
        bool atEnd = form == CardsForm::Bullet ? StartsWithBullet(p, n) : p[0] == '#';
        if (atEnd || IsSectionMarker(p, n)) {
            reader.RestartLine();
            break;
        }
        if (!(form == CardsForm::Bullet ? ReadBulletCardsLine(p, n) : ReadCardsLine()))
            break;
    }
    FinishCard();
    base.FlushCardChanges();
    base.LogLoadTime("cards", cardCount, start);
    base.LogOperation("cards section", nullptr, kLogReading);
}

bool BaseSectionReader::ReadCardsLine()
{
    if (!reader.NextField())
        return true;
    std::string_view key(reader.Token(), size_t(reader.TokenLength()));
    if (key.empty())
        return true;
    switch (key[0]) {
    case '-':
        return ReadCardsOption(key);
    case 'C':
        return ReadCardLine(key);
    case 'N':
    case 'S':
        // Stamps end in a user code, which may end in a blank: their fields are taken raw.
        reader.RestartLine();
        (void)reader.NextFieldRaw();
        key = std::string_view(reader.Token(), size_t(reader.TokenLength()));
        if (key[0] == 'N')
            ReadNotesLine(key);
        else
            ReadStampsLine(key);
        return true;
    case 'G':
        return ReadGroupLine(key);
    case 'L':
        return ReadLineLine(key);
    case 'H':
        if (card != nullptr && record.lineHistory)
            base.CardSources().ReadLine(reader, card->index);
        return true;
    default:
        return true;  // a key of a later version
    }
}

bool BaseSectionReader::ReadCardsOption(std::string_view key)
{
    if (key.size() == 3 && key[1] == 'D') {
        size_t mode = kReferenceModeLetters.find(key[2]);
        int32_t number = 0;
        if (mode == std::string_view::npos || !reader.NextFieldInt(number) || number < 1 || number > int32_t(kDimensionCount)) {
            ReportDamage(message::kBaseFileDamaged);
            return false;
        }
        settings->SetCardsReferenceMode(number - 1, int32_t(mode));
        return true;
    }
    if (key == "-LN") {
        int32_t columns = 0;
        if (!reader.NextFieldInt(columns) || columns < 1 || columns > kValueFieldCount) {
            ReportDamage(message::kBaseFileDamaged);
            return false;
        }
        record.state.amountColumns = columns;
        if (base.ValueCount() < columns)
            base.SetValueCount(columns);
        return !IsErrorPending();
    }
    return true;
}

bool BaseSectionReader::ReadCardLine(std::string_view key)
{
    FinishCard();
    CardKey cardKey;
    ParseCardKey(cardKey, key.data() + 1, int32_t(key.size() - 1), 0);
    if (cardKey.date == 0) {
        ReportDamage(message::kBaseFileDamaged);
        return false;
    }
    Card* made = base.CreateCard(cardKey);
    if (made == nullptr) {
        skippingCard = true;
        return !IsErrorPending();
    }
    card = made;
    ++cardCount;
    HeapText title = nullptr;
    reader.NextLongTextField(title);
    made->title = title;
    if (Importing() && record.lineHistory)
        base.CardSources().Record(made->index, int32_t(reader.LineCount()));
    return !IsErrorPending();
}

void BaseSectionReader::ReadNotesLine(std::string_view key)
{
    if (card == nullptr)
        return;
    card->stamps[kStampNotes].Parse(key.data() + 1, int32_t(key.size() - 1));
    reader.NextLongTextField(card->notes);
}

void BaseSectionReader::ReadStampsLine(std::string_view key)
{
    if (card == nullptr)
        return;
    static constexpr int32_t kSlots[] = {kStampCreated, kStampModified, kStampSignatureE, kStampSignatureP};
    card->stamps[kStampCreated].Parse(key.data() + 1, int32_t(key.size() - 1));
    for (int32_t i = 1; i < 4; ++i) {
        StampedText& stamp = card->stamps[kSlots[i]];
        if (reader.NextFieldRaw())
            stamp.Parse(reader.Token(), reader.TokenLength());
        else
            stamp.Clear();
    }
}

bool BaseSectionReader::ReadGroupLine(std::string_view key)
{
    if (skippingCard)
        return true;
    if (card == nullptr) {
        ReportDamage(message::kBaseFileDamaged);
        return false;
    }
    uint32_t number = ResolveReference(0, key.data() + 1, int32_t(key.size() - 1));
    group = base.FindOrAddGroup(card, int32_t(number));
    if (group == nullptr && !IsErrorPending())
        SetOutOfMemoryError();
    return group != nullptr;
}

bool BaseSectionReader::ReadLineLine(std::string_view key)
{
    if (skippingCard)
        return true;
    if (card == nullptr || key.size() < 2) {
        ReportDamage(message::kBaseFileDamaged);
        return false;
    }
    int32_t columns = record.state.amountColumns;
    // Only the amounts a line record holds are cleared: clearing all of them cost more than reading them.
    double values[kValueFieldCount];
    std::fill_n(values, std::clamp(std::max(columns, base.ValueCount()), 1, int32_t(kValueFieldCount)), 0.0);
    if (!AmountOf(key.data() + 1, int32_t(key.size() - 1), values[0])) {
        ReportAmountNotFinite(key.substr(1));
        return false;
    }
    bool atEnd = false;
    for (int32_t i = 1; i < columns; ++i) {
        if (!reader.NextField()) {
            atEnd = true;
            break;
        }
        if (!AmountOf(reader.Token(), reader.TokenLength(), values[i])) {
            ReportAmountNotFinite({reader.Token(), size_t(reader.TokenLength())});
            return false;
        }
    }
    HeapText text = nullptr;
    if (!atEnd)
        reader.NextLongTextField(text);
    // The references are looked up in two rounds: first their cache slots are found and fetched
    // ahead, so that the waits for memory overlap, then each is resolved.
    struct Field {
        const char* text;
        int32_t length;
        ReferenceEntry* entry;
    };
    Field fields[kLineSlotCount];
    int32_t fieldCount = 0;
    while (fieldCount < kLineSlotCount && reader.NextField()) {
        Field& field = fields[fieldCount];
        field.text = reader.Token();
        field.length = reader.TokenLength();
        field.entry = ReferenceSlot(fieldCount + 1, field.text, field.length);
        if (field.entry != nullptr)
            __builtin_prefetch(field.entry);
        ++fieldCount;
    }
    uint32_t numbers[kLineSlotCount];
    for (int32_t slot = 0; slot < kLineSlotCount; ++slot) {
        const Field* field = slot < fieldCount ? &fields[slot] : nullptr;
        numbers[slot] = field != nullptr && field->length > 0
                            ? ResolveReference(slot + 1, field->text, field->length, field->entry)
                            : uint32_t(slot + 1);
    }
    return AddCardLine(values, numbers, text);
}

bool BaseSectionReader::AddCardLine(const double* values, const uint32_t* numbers, HeapText text)
{
    if (group == nullptr)
        group = base.FindOrAddGroup(card, 0);
    CardLine* line = group != nullptr ? base.CreateLine(group) : nullptr;
    if (line == nullptr) {
        SetHeapText(text, nullptr);
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return false;
    }
    uint32_t index = line->index;
    base.SetLineValues(line, values);
    base.SetLineComponents(line, numbers);
    line = base.LineAt(index);  // a wider component width moves the records
    line->SetTextField(text);
    return !IsErrorPending();
}

}  // namespace vek
