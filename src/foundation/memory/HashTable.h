// HashTable: entries found by a text key, exact or case-insensitive, through open addressing.
#pragma once

#include <cstdint>

#include "foundation/strings/CString.h"
#include "foundation/memory/DynArray.h"
#include "foundation/memory/Hash.h"

namespace vek {

// The key of an entry, as a C string (null counts as the empty key).
using HashKeyOfEntry = const char* (*)(const void* entry);

namespace detail {

// The record kept beside each slot: the key's bytes (upper-cased for case-insensitive kinds, the
// rest zero) when the key is held, and its state: 0 empty, 1 removed, 2..127 a live entry whose
// key is not held (a 7-bit digest), 128..255 a live entry whose key is held (0x80 and the digest).
// Two held keys are equal exactly when their records are.
struct HashSlotKey {
    static constexpr int32_t kHeldBytes = 15;
    char bytes[kHeldBytes];
    uint8_t state;
};
static_assert(sizeof(HashSlotKey) == 16);

}  // namespace detail

// An open-addressing table of pointers to entries that belong to its owner, keyed by a text that the
// key-of-entry function takes from each entry. Key kind 4 (kKeyKindExact) compares bytes; every other
// kind compares characters through the upper-case table, the same way CStrEqualNoCase does.
//
// Slots hold null (empty), the marker of a removed entry, or an entry. The table is a prime number of
// slots above 1024 and probes with double hashing, so every probe sequence visits every slot once.
// Beside each slot lies a 16-byte key record (detail::HashSlotKey) that tells empty, removed and
// live slots apart and, for a live one, holds a digest of its entry's key and, when the key is short,
// the key itself: up to 15 bytes, upper-cased for case-insensitive kinds (keys whose upper-cased
// characters are all ASCII). A search for such a key compares key records only and reads no entry and no key from
// elsewhere in memory; a search for a longer key reads an entry and its key only when the digests
// agree. The records are made when an entry is added, so an entry's key must not change while the
// entry is in the table (case-insensitive kinds: not other than in case), as its place depends on it.
//
// The table never rebuilds itself: after adding, the owner compares Count() with LoadLimit() and,
// beyond it, calls Reset with a larger expected count and adds every entry again. Entries must
// outlive their slots (the owner removes them or resets before releasing them).
class HashTable {
public:
    // Slots for n expected entries (HashTableSize); with no memory for them the table has no slots,
    // finds nothing and adds nothing.
    HashTable(int32_t expectedCount, int32_t flags, HashKeyOfEntry keyOfEntry, int32_t keyKind);
    ~HashTable();
    HashTable(const HashTable&) = delete;
    HashTable& operator=(const HashTable&) = delete;

    // Releases the slots; the table then has none.
    void Free();
    // The memory of the slots and their key records + 32; 0 for a table without slots.
    int64_t MemorySize() const;

    int32_t Count() const { return count; }
    int32_t LoadLimit() const { return loadLimit; }
    int32_t Size() const { return slots.Count(); }
    int32_t KeyKind() const { return keyKind; }
    // True when the owner should rebuild (Count() beyond LoadLimit()).
    bool NeedsRebuild() const { return count > loadLimit; }

    // The entry whose key equals the text, or null; a null or empty text finds nothing.
    void* Find(const char* key) const;
    // Stores the entry in the first empty or removed slot of its probe sequence, without looking for
    // an equal key. False only when the table has no free slot left (its owner did not rebuild).
    [[nodiscard]] bool Add(void* entry);
    // Adds the entry unless an entry with an equal key is present; a removed slot met on the way is
    // reused. False when an equal key is present (nothing added) or no slot is free.
    [[nodiscard]] bool AddUnique(void* entry);
    // Marks the slot of the entry whose key equals this entry's key as removed; nothing when absent.
    void Remove(const void* entry);
    // Empties the table and resizes it for n expected entries. When the resize fails the table keeps
    // its old size, is emptied all the same, and the result is false.
    [[nodiscard]] bool Reset(int32_t expectedCount);

private:
    // The slot index of the entry with this key, or -1; `freeSlot` receives the first empty or removed
    // slot met (or -1 when the whole sequence holds entries). `record` receives the key's record.
    template <bool kExact>
    int32_t Probe(const char* key, int32_t* freeSlot, detail::HashSlotKey* record) const;
    int32_t ProbeFor(const char* key, int32_t* freeSlot, detail::HashSlotKey* record) const;
    const char* KeyOf(const void* entry) const;
    void SetSizeFromSlots();
    void Empty();

    PointerArray slots;
    detail::HashSlotKey* keys = nullptr;  // one record per slot, an allocator block
    HashKeyOfEntry keyOfEntry;
    int32_t keyKind;
    int32_t count = 0;
    int32_t loadLimit = 0;
    detail::HashModulus modulus{1};
};

}  // namespace vek
