// HashTable: open addressing with probe steps, adding, finding and removing entries by text key.
#include "foundation/memory/HashTable.h"

#include <cstring>

#include "foundation/memory/BlockAllocator.h"

namespace vek {

namespace {

// The marker of a slot whose entry was removed: probe sequences pass over it, adding reuses it.
void* const kRemovedSlot = reinterpret_cast<void*>(uintptr_t(1));

using detail::HashSlotKey;

// The state byte of a key record (HashTable.h): 0 empty, 1 removed, 2..127 a live entry whose key is
// not held, 0x80 | digest a live entry whose key is held.
constexpr uint8_t kStateEmpty = 0;
constexpr uint8_t kStateRemoved = 1;
constexpr uint8_t kStateHeld = 0x80;

inline uint8_t LiveState(uint8_t digest, bool held)
{
    uint8_t low = digest & 0x7F;
    if (held)
        return uint8_t(kStateHeld | low);
    return low >= 2 ? low : uint8_t(low + 2);
}

inline bool RecordsEqual(const HashSlotKey& a, const HashSlotKey& b)
{
    uint64_t x[2];
    uint64_t y[2];
    std::memcpy(x, &a, sizeof x);
    std::memcpy(y, &b, sizeof y);
    return ((x[0] ^ y[0]) | (x[1] ^ y[1])) == 0;
}

// The key record of a key: its bytes are held when they fit, for case-insensitive kinds as the
// upper-cased characters when every one of them is ASCII. CStrEqualNoCase compares exactly these
// upper-cased characters (a bad byte or a character beyond U+FFFF is never ASCII), so two held keys
// are equal under it exactly when their bytes are, and a held key never equals one that is not held.
template <bool kExact>
HashSlotKey RecordOfKey(const char* key, uint8_t digest)
{
    HashSlotKey record{};
    const auto* p = reinterpret_cast<const uint8_t*>(key);
    int32_t n = 0;
    bool held = true;
    for (;;) {
        uint32_t c;
        if constexpr (kExact) {
            c = *p++;
        } else {
            c = detail::NextUpperChar(p);
            if (c >= 0x80) {
                held = false;
                break;
            }
        }
        if (c == 0)
            break;
        if (n == HashSlotKey::kHeldBytes) {
            held = false;
            break;
        }
        record.bytes[n++] = char(c);
    }
    if (!held)
        std::memset(record.bytes, 0, sizeof record.bytes);
    record.state = LiveState(digest, held);
    return record;
}

// Case-insensitive equality as CStrEqualNoCase defines it, for a wanted key of known length (its
// bytes are not 0). ASCII is compared here, folded without the table; as soon as a byte above 0x7F
// has been seen, CStrEqualNoCase decides. The walk is steered by the wanted key's length rather than
// by the bytes of the stored key, which usually still have to come from memory: so the processor
// predicts its branches and goes on with the caller's next work meanwhile.
inline bool KeysEqualNoCase(const char* stored, const char* wanted, uint32_t length)
{
    const auto* p = reinterpret_cast<const uint8_t*>(stored);
    const auto* q = reinterpret_cast<const uint8_t*>(wanted);
    uint32_t difference = 0;
    uint32_t seen = 0;
    uint32_t i = 0;
    for (; i < length; ++i) {
        uint8_t x = p[i];
        uint8_t y = q[i];
        seen |= x | y;
        if (x == 0)
            break;  // the stored key is shorter; nothing past its NUL is read
        difference |= detail::AsciiUpper(x) ^ detail::AsciiUpper(y);
    }
    if (seen >= 0x80)
        return CStrEqualNoCase(stored, wanted) != 0;
    // All ASCII: equal when no character differed and the stored key ends where the wanted one does.
    return i == length && difference == 0 && p[length] == 0;
}

inline bool KeysEqualExact(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

// Steps stay below 1024 and sizes are primes above it; the reduction only guards a table whose size
// came out smaller.
inline uint32_t UsableStep(uint32_t step, uint32_t size)
{
    step %= size;
    return step != 0 ? step : 1;
}

// The key records of n slots, in one allocator block (16-byte aligned); null when they cannot be had
// or when the block would pass what the allocator's 32-bit sizes hold.
HashSlotKey* NewKeyRecords(int32_t n, int32_t flags)
{
    int64_t bytes = int64_t(n) * int64_t(sizeof(HashSlotKey));
    if (n <= 0 || bytes > INT32_MAX)
        return nullptr;
    return static_cast<HashSlotKey*>(MemAlloc(int32_t(bytes), flags));
}

}  // namespace

HashTable::HashTable(int32_t expectedCount, int32_t flags, HashKeyOfEntry keyOfEntry, int32_t keyKind)
    : slots(HashTableSize(expectedCount), flags), keyOfEntry(keyOfEntry), keyKind(keyKind)
{
    if (slots.Count() > 0) {
        keys = NewKeyRecords(slots.Count(), flags);
        if (keys == nullptr)
            slots.Free();
    }
    Empty();
}

HashTable::~HashTable()
{
    MemFree(keys);
}

void HashTable::SetSizeFromSlots()
{
    int32_t size = slots.Count();
    loadLimit = HashLoadLimit(size);
    modulus = detail::HashModulus(size > 0 ? uint32_t(size) : 1u);
}

void HashTable::Empty()
{
    slots.Fill(nullptr);
    if (keys != nullptr)
        std::memset(static_cast<void*>(keys), 0, size_t(slots.Count()) * sizeof(HashSlotKey));
    count = 0;
    SetSizeFromSlots();
}

void HashTable::Free()
{
    slots.Free();
    MemFree(keys);
    keys = nullptr;
    Empty();
}

int64_t HashTable::MemorySize() const
{
    if (slots.Data() == nullptr)
        return 0;
    return slots.MemorySize() + MemBlockFootprint(keys) + 32;
}

const char* HashTable::KeyOf(const void* entry) const
{
    const char* key = keyOfEntry(entry);
    return key != nullptr ? key : "";
}

template <bool kExact>
int32_t HashTable::Probe(const char* key, int32_t* freeSlot, HashSlotKey* record) const
{
    *freeSlot = -1;
    const auto size = uint32_t(slots.Count());
    if (size == 0)
        return -1;
    detail::ProbeStart start = kExact ? detail::ExactProbeStart(key, modulus) : detail::NoCaseProbeStart(key, modulus);
    const HashSlotKey wanted = RecordOfKey<kExact>(key, start.tag);
    *record = wanted;
    const bool held = (wanted.state & kStateHeld) != 0;
    uint32_t index = start.first;
    uint32_t step = UsableStep(start.step, size);
    void* const* data = slots.Data();
    // A full sequence of entries and removed slots ends the walk: nothing there, and no endless probe.
    for (uint32_t probes = 0; probes < size; ++probes) {
        // The slot's line is fetched while its key record is read: most searches end at the first slot.
        __builtin_prefetch(&data[index]);
        const HashSlotKey& slotKey = keys[index];
        uint8_t state = slotKey.state;
        if (state == kStateEmpty) {
            if (*freeSlot < 0)
                *freeSlot = int32_t(index);
            return -1;
        }
        if (state == kStateRemoved) {
            if (*freeSlot < 0)
                *freeSlot = int32_t(index);
        } else if (held) {
            if (RecordsEqual(slotKey, wanted))
                return int32_t(index);
        } else if (state == wanted.state) {
            const char* entryKey = KeyOf(data[index]);
            if (kExact ? KeysEqualExact(entryKey, key) : KeysEqualNoCase(entryKey, key, start.length))
                return int32_t(index);
        }
        index += step;
        if (index >= size)
            index -= size;
    }
    return -1;
}

int32_t HashTable::ProbeFor(const char* key, int32_t* freeSlot, HashSlotKey* record) const
{
    return keyKind == kKeyKindExact ? Probe<true>(key, freeSlot, record) : Probe<false>(key, freeSlot, record);
}

void* HashTable::Find(const char* key) const
{
    if (key == nullptr || key[0] == 0)
        return nullptr;
    int32_t freeSlot;
    HashSlotKey record;
    int32_t index = ProbeFor(key, &freeSlot, &record);
    return index >= 0 ? slots.Data()[index] : nullptr;
}

bool HashTable::Add(void* entry)
{
    const auto size = uint32_t(slots.Count());
    if (size == 0 || entry == nullptr || entry == kRemovedSlot)
        return false;
    const char* key = KeyOf(entry);
    detail::ProbeStart start;
    HashSlotKey record;
    if (keyKind == kKeyKindExact) {
        start = detail::ExactProbeStart(key, modulus);
        record = RecordOfKey<true>(key, start.tag);
    } else {
        start = detail::NoCaseProbeStart(key, modulus);
        record = RecordOfKey<false>(key, start.tag);
    }
    uint32_t index = start.first;
    uint32_t step = UsableStep(start.step, size);
    void** data = slots.Data();
    for (uint32_t probes = 0; probes < size; ++probes) {
        if (keys[index].state == kStateEmpty || keys[index].state == kStateRemoved) {
            data[index] = entry;
            keys[index] = record;
            ++count;
            return true;
        }
        index += step;
        if (index >= size)
            index -= size;
    }
    return false;
}

bool HashTable::AddUnique(void* entry)
{
    if (entry == nullptr || entry == kRemovedSlot)
        return false;
    int32_t freeSlot;
    HashSlotKey record;
    if (ProbeFor(KeyOf(entry), &freeSlot, &record) >= 0 || freeSlot < 0)
        return false;
    slots.Data()[freeSlot] = entry;
    keys[freeSlot] = record;
    ++count;
    return true;
}

void HashTable::Remove(const void* entry)
{
    if (entry == nullptr)
        return;
    int32_t freeSlot;
    HashSlotKey record;
    int32_t index = ProbeFor(KeyOf(entry), &freeSlot, &record);
    if (index < 0)
        return;
    slots.Data()[index] = kRemovedSlot;
    keys[index] = HashSlotKey{};
    keys[index].state = kStateRemoved;
    --count;
}

bool HashTable::Reset(int32_t expectedCount)
{
    int32_t size = HashTableSize(expectedCount);
    bool resized = true;
    if (size != slots.Count() || keys == nullptr) {
        // Both blocks change together or not at all. Slots beyond what one block can hold are refused
        // before anything is allocated.
        HashSlotKey* newKeys = NewKeyRecords(size, slots.Flags());
        if (newKeys != nullptr && slots.Resize(size)) {
            MemFree(keys);
            keys = newKeys;
        } else {
            MemFree(newKeys);
            resized = false;
        }
    }
    Empty();
    return resized;
}

}  // namespace vek
