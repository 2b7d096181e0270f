// SessionTable: setting, finding, touching and expiring the entries of a session table.
#include "foundation/streams/SessionTable.h"

#include <cstring>

#include "foundation/services/Clock.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

// A null text counts as empty.
const char* TextOrEmpty(const char* text) { return text ? text : ""; }

void FreeEntryText(HeapText& text) { SetHeapText(text, nullptr); }

}  // namespace

SessionTable::SessionTable(uint64_t limitMs, SessionChangeCallback callback)
    : entries(int32_t(sizeof(Entry))),
      callback(callback),
      limitMs(limitMs != 0 ? limitMs : kDefaultLimitMs)
{
}

SessionTable::~SessionTable() { Clear(); }

SessionTable::Entry* SessionTable::EntryAt(int32_t index)
{
    return index >= 0 && index < count ? static_cast<Entry*>(entries.At(index)) : nullptr;
}

const SessionTable::Entry* SessionTable::EntryAt(int32_t index) const
{
    return index >= 0 && index < count ? static_cast<const Entry*>(entries.At(index)) : nullptr;
}

int32_t SessionTable::IndexOf(const char* key) const
{
    const char* wanted = TextOrEmpty(key);
    for (int32_t i = 0; i < count; ++i) {
        if (CompareHeapText(EntryAt(i)->key, wanted) == 0)
            return i;
    }
    return -1;
}

int64_t SessionTable::Now() const { return CurrentTimeMs(); }

void SessionTable::Tell(int32_t event, const Entry& entry) const
{
    if (!callback)
        return;
    SessionChange change;
    change.event = event;
    change.key = entry.key;
    change.value = entry.value;
    change.extra = entry.extra;
    callback(change);
}

void SessionTable::Set(const char* key, const char* value, const char* extra)
{
    int64_t now = Now();
    if (Entry* entry = EntryAt(IndexOf(key))) {
        bool hadExtra = entry->extra != nullptr;
        SetHeapText(entry->value, value);
        SetHeapText(entry->extra, extra);
        entry->stampMs = now;
        if (!hadExtra && entry->extra)
            Tell(SessionChange::kGainedExtra, *entry);
        return;
    }
    // Every new browser session adds an entry: idle ones go first, and when the table is full the one
    // idle longest makes room, so that no stream of new keys can grow it without bound.
    Expire();
    if (count >= maxEntries)
        RemoveAt(LeastRecentIndex());
    Entry fresh;
    fresh.key = NewHeapText(key);
    fresh.value = NewHeapText(value);
    fresh.extra = NewHeapText(extra);
    fresh.stampMs = now;
    auto lost = [](HeapText copy, const char* text) { return !copy && text && *text; };
    void* slot = nullptr;
    if (!lost(fresh.key, key) && !lost(fresh.value, value) && !lost(fresh.extra, extra))
        slot = entries.AtGrow(count);
    if (!slot) {
        FreeEntryText(fresh.key);
        FreeEntryText(fresh.value);
        FreeEntryText(fresh.extra);
        return;
    }
    std::memcpy(slot, &fresh, sizeof(Entry));
    ++count;
    if (fresh.extra)
        Tell(SessionChange::kGainedExtra, fresh);
}

void SessionTable::Get(const char* key, String& value, String& extra)
{
    Expire();
    const Entry* entry = EntryAt(IndexOf(key));
    value.AssignHeapText(entry ? entry->value : nullptr);
    extra.AssignHeapText(entry ? entry->extra : nullptr);
}

void SessionTable::Touch(const char* key)
{
    if (Entry* entry = EntryAt(IndexOf(key)))
        entry->stampMs = Now();
}

void SessionTable::Remove(const char* key) { RemoveAt(IndexOf(key)); }

void SessionTable::RemoveAt(int32_t index)
{
    Entry* slot = EntryAt(index);
    if (!slot)
        return;
    // The entry leaves the table before the callback hears of it, so that a callback that uses the
    // table finds it consistent.
    Entry removed = *slot;
    if (index < count - 1)
        entries.CopyElement(index, count - 1);
    --count;
    if (removed.extra)
        Tell(SessionChange::kRemovedWithExtra, removed);
    FreeEntryText(removed.key);
    FreeEntryText(removed.value);
    FreeEntryText(removed.extra);
}

void SessionTable::Clear()
{
    while (count > 0)
        RemoveAt(count - 1);
}

int32_t SessionTable::LeastRecentIndex() const
{
    int32_t oldest = -1;
    for (int32_t i = 0; i < count; ++i) {
        if (oldest < 0 || EntryAt(i)->stampMs < EntryAt(oldest)->stampMs)
            oldest = i;
    }
    return oldest;
}

void SessionTable::Expire()
{
    int64_t now = Now();
    int32_t i = 0;
    while (i < count) {
        int64_t elapsed = now - EntryAt(i)->stampMs;
        if (elapsed > 0 && uint64_t(elapsed) > limitMs)
            RemoveAt(i);  // the former last entry now stands at i
        else
            ++i;
    }
}

void SessionTable::GetExtraAt(int32_t index, String& extra) const
{
    const Entry* entry = EntryAt(index);
    extra.AssignHeapText(entry ? entry->extra : nullptr);
}

}  // namespace vek
