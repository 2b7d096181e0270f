// SessionTable: keyed texts that expire when unused for a time, with a change callback.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"
#include "foundation/memory/PagedArray.h"

namespace vek {

class String;

// What the change callback of a SessionTable is told: an entry gained an extra text (event 0), or an
// entry that has one was removed (event 1). The texts are valid only during the call; null stands for
// an empty text.
struct SessionChange {
    static constexpr int32_t kGainedExtra = 0;
    static constexpr int32_t kRemovedWithExtra = 1;

    int32_t event = 0;
    const char* key = nullptr;
    const char* value = nullptr;
    const char* extra = nullptr;
};
using SessionChangeCallback = void (*)(const SessionChange& change);

// A small table of texts keyed by text, each with the time of its last use, from which idle entries
// expire. The web service keeps its login sessions in one: the key names a browser session and a
// base, the value is "ok" once logged in (or the page asked for before the login form), the extra is
// the web user's name. Times are those of the registered clock (CurrentTimeMs, Clock.h).
//
// Keys are unique and compared byte for byte. Entries stay in the order they were added, except that
// removing one moves the last entry into its place. Lookups are linear scans. Get expires, and so does
// a Set that adds a key; a table at its most entries drops the entry idle longest to take a new key.
// Touch and Remove do not expire.
class SessionTable {
public:
    static constexpr uint64_t kDefaultLimitMs = 1200000;  // 20 minutes
    // Far above the browsers a base's web users bring within 20 minutes, and a bound on the memory
    // and the lookup time that unknown clients can make the table take.
    static constexpr int32_t kDefaultMaxEntries = 10000;

    // A limit of 0 gives the default.
    explicit SessionTable(uint64_t limitMs = 0, SessionChangeCallback callback = nullptr);
    // Clears the table (the callback sees every entry that has an extra), then frees the storage.
    ~SessionTable();
    SessionTable(const SessionTable&) = delete;
    SessionTable& operator=(const SessionTable&) = delete;

    int32_t Count() const { return count; }
    uint64_t LimitMs() const { return limitMs; }
    int32_t MaxEntries() const { return maxEntries; }
    // At least 1.
    void SetMaxEntries(int32_t most) { maxEntries = most < 1 ? 1 : most; }

    // Add or replace, time-stamped now. An entry of that key gets the new value and extra; otherwise the
    // table expires, makes room when it holds MaxEntries (the entry idle longest goes), and appends a
    // new entry with copies of the texts (empty texts stored as none). The callback is told
    // (event 0) when the extra becomes non-empty where it was empty, or a new entry has one. When memory
    // runs short no new entry is stored.
    void Set(const char* key, const char* value, const char* extra);
    // Expires first, then copies the value and extra of the entry of that key; both are empty when
    // there is none.
    void Get(const char* key, String& value, String& extra);
    // Time-stamps the entry of that key now; nothing when there is none.
    void Touch(const char* key);
    // Removes the entry of that key (RemoveAt); nothing when there is none.
    void Remove(const char* key);

    // Removes the entry at the index: the callback is told (event 1) when it has an extra, its texts
    // are freed, and the last entry moves into its place. An index outside 0..Count()-1 is ignored.
    void RemoveAt(int32_t index);
    // Removes every entry, from the last to the first.
    void Clear();
    // Removes the entries idle for longer than the limit (an entry idle exactly the limit stays).
    void Expire();
    // The extra text of the entry at the index; empty for an index outside 0..Count()-1.
    void GetExtraAt(int32_t index, String& extra) const;

private:
    struct Entry {
        HeapText key = nullptr;
        HeapText value = nullptr;
        HeapText extra = nullptr;
        int64_t stampMs = 0;  // when the entry was last set or touched
    };

    Entry* EntryAt(int32_t index);
    const Entry* EntryAt(int32_t index) const;
    int32_t IndexOf(const char* key) const;
    int32_t LeastRecentIndex() const;
    int64_t Now() const;
    void Tell(int32_t event, const Entry& entry) const;

    PagedArray entries;
    int32_t count = 0;
    SessionChangeCallback callback = nullptr;
    uint64_t limitMs = kDefaultLimitMs;
    int32_t maxEntries = kDefaultMaxEntries;
};

}  // namespace vek
