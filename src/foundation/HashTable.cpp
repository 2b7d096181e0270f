#include "foundation/HashTable.h"

#include <cstring>

#include "foundation/BlockAllocator.h"

namespace vek {

namespace {

// The marker of a slot whose entry was removed: probe sequences pass over it, adding reuses it.
void* const kRemovedSlot = reinterpret_cast<void*>(uintptr_t(1));

// The byte beside each slot says what the slot holds, so that a probe touches the slot itself only
// when its entry may have the wanted key: 0 empty, 1 removed, 2..255 an entry with that key digest.
constexpr uint8_t kTagEmpty = 0;
constexpr uint8_t kTagRemoved = 1;

inline uint8_t LiveTag(uint8_t digest)
{
    return digest >= 2 ? digest : uint8_t(digest + 2);
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

}  // namespace

HashTable::HashTable(int32_t expectedCount, int32_t flags, HashKeyOfEntry keyOfEntry, int32_t keyKind)
    : slots(HashTableSize(expectedCount), flags), keyOfEntry(keyOfEntry), keyKind(keyKind)
{
    if (slots.Count() > 0) {
        tags = static_cast<uint8_t*>(MemAlloc(slots.Count(), flags));
        if (tags == nullptr)
            slots.Free();
    }
    Empty();
}

HashTable::~HashTable()
{
    MemFree(tags);
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
    if (tags != nullptr)
        std::memset(tags, kTagEmpty, size_t(slots.Count()));
    count = 0;
    SetSizeFromSlots();
}

void HashTable::Free()
{
    slots.Free();
    MemFree(tags);
    tags = nullptr;
    Empty();
}

int64_t HashTable::MemorySize() const
{
    if (slots.Data() == nullptr)
        return 0;
    return slots.MemorySize() + MemBlockFootprint(tags) + 32;
}

const char* HashTable::KeyOf(const void* entry) const
{
    const char* key = keyOfEntry(entry);
    return key != nullptr ? key : "";
}

detail::ProbeStart HashTable::StartOf(const char* key) const
{
    return keyKind == kKeyKindExact ? detail::ExactProbeStart(key, modulus) : detail::NoCaseProbeStart(key, modulus);
}

template <bool kExact>
int32_t HashTable::Probe(const char* key, int32_t* freeSlot, uint8_t* tag) const
{
    *freeSlot = -1;
    const auto size = uint32_t(slots.Count());
    if (size == 0)
        return -1;
    detail::ProbeStart start = kExact ? detail::ExactProbeStart(key, modulus) : detail::NoCaseProbeStart(key, modulus);
    const uint8_t wanted = LiveTag(start.tag);
    *tag = wanted;
    uint32_t index = start.first;
    uint32_t step = UsableStep(start.step, size);
    void* const* data = slots.Data();
    // A full sequence of entries and removed slots ends the walk: nothing there, and no endless probe.
    for (uint32_t probes = 0; probes < size; ++probes) {
        // The slot's line is fetched while its tag is read: most searches end at the first slot.
        __builtin_prefetch(&data[index]);
        uint8_t slotTag = tags[index];
        if (slotTag == kTagEmpty) {
            if (*freeSlot < 0)
                *freeSlot = int32_t(index);
            return -1;
        }
        if (slotTag == kTagRemoved) {
            if (*freeSlot < 0)
                *freeSlot = int32_t(index);
        } else if (slotTag == wanted) {
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

int32_t HashTable::ProbeFor(const char* key, int32_t* freeSlot, uint8_t* tag) const
{
    return keyKind == kKeyKindExact ? Probe<true>(key, freeSlot, tag) : Probe<false>(key, freeSlot, tag);
}

void* HashTable::Find(const char* key) const
{
    if (key == nullptr || key[0] == 0)
        return nullptr;
    int32_t freeSlot;
    uint8_t tag;
    int32_t index = ProbeFor(key, &freeSlot, &tag);
    return index >= 0 ? slots.Data()[index] : nullptr;
}

bool HashTable::Add(void* entry)
{
    const auto size = uint32_t(slots.Count());
    if (size == 0 || entry == nullptr || entry == kRemovedSlot)
        return false;
    detail::ProbeStart start = StartOf(KeyOf(entry));
    uint32_t index = start.first;
    uint32_t step = UsableStep(start.step, size);
    void** data = slots.Data();
    for (uint32_t probes = 0; probes < size; ++probes) {
        if (tags[index] == kTagEmpty || tags[index] == kTagRemoved) {
            data[index] = entry;
            tags[index] = LiveTag(start.tag);
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
    uint8_t tag;
    if (ProbeFor(KeyOf(entry), &freeSlot, &tag) >= 0 || freeSlot < 0)
        return false;
    slots.Data()[freeSlot] = entry;
    tags[freeSlot] = tag;
    ++count;
    return true;
}

void HashTable::Remove(const void* entry)
{
    if (entry == nullptr)
        return;
    int32_t freeSlot;
    uint8_t tag;
    int32_t index = ProbeFor(KeyOf(entry), &freeSlot, &tag);
    if (index < 0)
        return;
    slots.Data()[index] = kRemovedSlot;
    tags[index] = kTagRemoved;
    --count;
}

bool HashTable::Reset(int32_t expectedCount)
{
    int32_t size = HashTableSize(expectedCount);
    bool resized = true;
    if (size != slots.Count() || tags == nullptr) {
        // Both blocks change together or not at all. Slots beyond what one block can hold are refused
        // before anything is allocated.
        bool fits = int64_t(size) * int64_t(sizeof(void*)) <= INT32_MAX;
        auto* newTags = fits ? static_cast<uint8_t*>(MemAlloc(size, slots.Flags())) : nullptr;
        if (newTags != nullptr && slots.Resize(size)) {
            MemFree(tags);
            tags = newTags;
        } else {
            MemFree(newTags);
            resized = false;
        }
    }
    Empty();
    return resized;
}

}  // namespace vek
