// Tests of Hash and HashTable: hash values, table sizes, key kinds, removal and full tables.
#include "foundation/memory/HashTable.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/strings/CString.h"
#include "foundation/strings/CharTables.h"
#include "foundation/memory/Hash.h"
#include "foundation/strings/HeapText.h"
#include "foundation/memory/Primes.h"

namespace vek {
namespace {

// --- Sizing and primes -----------------------------------------------------------------------------

TEST(HashTableSizingTest, SizesAndLoadLimits)
{
    EXPECT_EQ(HashTableSize(0), 1031);
    EXPECT_EQ(HashLoadLimit(1031), 903);
    EXPECT_EQ(HashTableSize(100), 1201);
    EXPECT_EQ(HashTableSize(-50), 1031);  // a negative count is no count
    EXPECT_EQ(HashTableSize(1227132501), 0x7ffffd29);
    EXPECT_EQ(HashTableSize(INT32_MAX), 0x7ffffd29);
    // Every size is a prime above 2n - n/4 + 1024, so tables start at most 57 % full.
    for (int32_t n : {1, 903, 5000, 1000000, 1227132500}) {
        SCOPED_TRACE(n);
        int32_t size = HashTableSize(n);
        EXPECT_TRUE(IsPrime(size));
        EXPECT_GT(int64_t(size), 2 * int64_t(n) - n / 4 + 1024);
        EXPECT_LE(size, 0x7ffffd29);
    }
}

TEST(HashTableSizingTest, Primes)
{
    EXPECT_TRUE(IsPrime(0));
    EXPECT_TRUE(IsPrime(1));
    EXPECT_FALSE(IsPrime(49));
    EXPECT_TRUE(IsPrime(1031));
    EXPECT_EQ(NextPrimeAbove(1024), 1031);
    EXPECT_EQ(NextPrimeAbove(7), 11);
    EXPECT_EQ(PrevPrimeBelow(1031), 1021);
    EXPECT_EQ(PrevPrimeBelow(3), 1);
    EXPECT_EQ(NextPrimeAbove(2147483629), 2147483647);
    // Against plain trial division; squares of primes (961, 1369, 32041) need the last group.
    for (int64_t n = 4; n < 40000; ++n) {
        bool prime = true;
        for (int64_t d = 2; d * d <= n; ++d) {
            if (n % d == 0) {
                prime = false;
                break;
            }
        }
        ASSERT_EQ(IsPrime(n), prime) << n;
    }
}

// --- Hash functions --------------------------------------------------------------------------------

TEST(HashFunctionTest, KnownValues)
{
    struct Case {
        const char* text;
        int32_t m;
        int32_t exact;
    };
    // Tables of at most 65535 slots hash pairs of bytes after the first three, larger ones single bytes.
    const Case cases[] = {
        {"A", 1031, 65},        {"AB", 1031, 210},     {"ABC", 1031, 215},   {"ABCD", 1031, 178},
        {"ABCDE", 1031, 247},   {"Konto", 1031, 322},  {"Kontoplan", 1031, 192},
        {"AB", 70001, 16706},   {"ABCD", 70001, 45996}, {"Kontoplan", 70001, 14718},
        {"", 1031, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " mod " + std::to_string(c.m));
        EXPECT_EQ(HashKeyExact(c.text, c.m), c.exact);
    }
    EXPECT_EQ(HashKeyNoCase("konto", 1031), 160);
    EXPECT_EQ(HashKeyNoCase("Kontoplan", 1031), 306);
    EXPECT_EQ(HashKeyNoCase("konto", 70001), 19963);
    EXPECT_EQ(HashKeyNoCase("Kontoplan", 70001), 29719);
    EXPECT_EQ(HashKeyNoCase("\xC3\xA4rende", 1031), 73);  // "ärende"
    EXPECT_EQ(HashKeyNoCase("\xC3\xA4rende", 70001), 3193);
    // Stored values (password hashes, keychain accounts) depend on these.
    EXPECT_EQ(HashTextNoCase("abc", 0xfffffd), 4276803);
    EXPECT_EQ(HashTextNoCase("L\xC3\xB6senord", 0xfffffd), 4968759);
    EXPECT_EQ(HashTextNoCase("", 0xfffffd), 0);
    EXPECT_EQ(HashTextNoCase(nullptr, 0xfffffd), 0);
    EXPECT_EQ(HashBytes("AB", 1031), 210);
    EXPECT_EQ(HashBytes("Kontoplan", 1031), 1);
    EXPECT_EQ(HashDouble(1.0, 1031), 639);
    EXPECT_EQ(HashDouble(-2.5, 70001), 48626);
    // A modulus of -1 (or none) gives 0 everywhere.
    EXPECT_EQ(HashKeyExact("Konto", -1), 0);
    EXPECT_EQ(HashKeyNoCase("Konto", -1), 0);
    EXPECT_EQ(HashTextNoCase("Konto", -1), 0);
    EXPECT_EQ(HashBytes("Konto", 0), 0);
    EXPECT_EQ(HashDouble(1.0, -1), 0);
}

TEST(HashFunctionTest, CaseInsensitiveHashesIgnoreCase)
{
    const char* pairs[][2] = {
        {"Konto", "KONTO"},
        {"\xC3\xA4rende", "\xC3\x84RENDE"},    // ärende, ÄRENDE
        {"\xD0\xB0\xD0\xB1", "\xD0\x90\xD0\x91"},  // Cyrillic аб, АБ
        {"x\xE2\x82\xAC", "X\xE2\x82\xAC"},    // the euro sign is its own upper case
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair[1]);
        for (int32_t m : {1031, 70001}) {
            EXPECT_EQ(HashKeyNoCase(pair[0], m), HashKeyNoCase(pair[1], m));
            EXPECT_EQ(HashTextNoCase(pair[0], m), HashTextNoCase(pair[1], m));
        }
        EXPECT_EQ(HashStepNoCase(pair[0]), HashStepNoCase(pair[1]));
    }
}

TEST(HashFunctionTest, StepsAlwaysAdvance)
{
    EXPECT_EQ(HashStepExact("AB"), 'B');
    EXPECT_EQ(HashStepExact(""), 1);
    EXPECT_EQ(HashStepNoCase("ab"), 'B');
    EXPECT_EQ(HashStepNoCase(""), 1);
    // U+0400 is a multiple of 1024: the step would be 0.
    EXPECT_EQ(HashStepNoCase("a\xD0\x80"), 1);
    EXPECT_EQ(HashStepNoCase("a\xC3\xA9"), 0xC9);  // é upper-cases to U+00C9
    HeapText text = NewHeapText("Konto");
    EXPECT_EQ(HashStepExactHeapText(text), 'o');
    EXPECT_EQ(HashStepNoCaseHeapText(text), 'O');
    SetHeapText(text, nullptr);
    EXPECT_EQ(HashStepExactHeapText(nullptr), 1);
    EXPECT_EQ(HashStepNoCaseHeapText(nullptr), 1);
    for (double x : {0.0, 1.0, -1e300, 3.25}) {
        int32_t step = HashStepDouble(x);
        EXPECT_GE(step, 1);
        EXPECT_LE(step, 256);
    }
}

// Each text is copied into a heap block of exactly its size, so that AddressSanitizer reports any
// read past its NUL. Hashing pairs of bytes or characters once read the byte after the NUL when an
// even number of them followed the first three; cut-short UTF-8 sequences at the end are the other
// way to run past it.
TEST(HashFunctionTest, NoHashReadsPastTheNul)
{
    const char* texts[] = {"", "A", "AB", "ABC", "ABCD", "ABCDE", "ABCDEF", "ABCDEFG",
                           "\xC3", "A\xE2\x82", "AB\xE2", "\xC3\xA4\xC3\xA4", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3"};
    for (const char* source : texts) {
        SCOPED_TRACE(source);
        size_t size = std::strlen(source) + 1;
        std::unique_ptr<char[]> text(new char[size]);
        std::memcpy(text.get(), source, size);
        for (int32_t m : {1031, 65535, 65536, 70001, 0xfffffd}) {
            (void)HashKeyExact(text.get(), m);
            (void)HashKeyNoCase(text.get(), m);
            (void)HashTextNoCase(text.get(), m);
            (void)HashBytes(text.get(), m);
        }
        (void)HashStepExact(text.get());
        (void)HashStepNoCase(text.get());
    }
}

// --- The table -------------------------------------------------------------------------------------

struct Entry {
    std::string key;
    int value = 0;
};

const char* KeyOfEntry(const void* entry)
{
    return static_cast<const Entry*>(entry)->key.c_str();
}

TEST(HashTableTest, KeyKindsDecideCase)
{
    Entry konto{"Konto", 1};
    Entry arende{"\xC3\x84rende", 2};  // Ärende
    HashTable noCase(10, 0, KeyOfEntry, 2);
    HashTable exact(10, 0, KeyOfEntry, kKeyKindExact);
    for (HashTable* table : {&noCase, &exact}) {
        ASSERT_TRUE(table->Add(&konto));
        ASSERT_TRUE(table->Add(&arende));
    }
    EXPECT_EQ(noCase.Find("Konto"), &konto);
    EXPECT_EQ(noCase.Find("KONTO"), &konto);
    EXPECT_EQ(noCase.Find("konto"), &konto);
    EXPECT_EQ(noCase.Find("\xC3\xA4RENDE"), &arende);
    EXPECT_EQ(noCase.Find("Kont"), nullptr);
    EXPECT_EQ(noCase.Find("Konton"), nullptr);
    EXPECT_EQ(exact.Find("Konto"), &konto);
    EXPECT_EQ(exact.Find("KONTO"), nullptr);
    EXPECT_EQ(exact.Find("konto"), nullptr);
    EXPECT_EQ(exact.Find("\xC3\xA4RENDE"), nullptr);
    EXPECT_EQ(noCase.Find(""), nullptr);
    EXPECT_EQ(noCase.Find(nullptr), nullptr);
    EXPECT_EQ(noCase.Count(), 2);
}

// The table folds ASCII itself and compares runs of ASCII itself; whatever it finds must be what
// CStrEqualNoCase calls equal, including texts that mix ASCII with other characters and bad bytes.
TEST(HashTableTest, FoldingAgreesWithTheLibraryComparison)
{
    for (int c = 1; c < 128; ++c)
        ASSERT_EQ(detail::AsciiUpper(uint8_t(c)), ToUpperChar(uint32_t(c))) << c;

    std::vector<std::string> keys;
    for (int c = 1; c < 128; ++c)
        keys.push_back(std::string("q") + char(c));
    const char* others[] = {
        "konto\xC3\xA4",  "KONTO\xC3\x84", "Konto\xC3\xA4x", "ab",  "AB\xC3\xA4", "ab\xC3\xA4",
        "\xC3\x9F",       "SS",               "x\xFFy",          "X\xFEY", "\xF0\x9F\x98\x80",
        "\xE2\x82\xAC",  "\xD0\xB0\xD0\xB1", "\xD0\x90\xD0\x91",
    };
    for (const char* other : others)
        keys.push_back(other);
    std::vector<Entry> entries;
    for (const std::string& key : keys)
        entries.push_back(Entry{key, 0});
    HashTable table(0, 0, KeyOfEntry, 2);
    for (size_t i = 0; i < entries.size(); ++i) {
        bool equalBefore = false;
        for (size_t j = 0; j < i; ++j)
            equalBefore = equalBefore || CStrEqualNoCase(keys[i].c_str(), keys[j].c_str());
        EXPECT_EQ(table.AddUnique(&entries[i]), !equalBefore) << keys[i];
    }
    for (const std::string& query : keys) {
        SCOPED_TRACE(query);
        auto* found = static_cast<const Entry*>(table.Find(query.c_str()));
        ASSERT_NE(found, nullptr);
        EXPECT_TRUE(CStrEqualNoCase(found->key.c_str(), query.c_str()));
    }
    EXPECT_EQ(table.Find("AB\xC3"), nullptr);  // a sequence cut short is a bad byte of its own
    EXPECT_EQ(table.Find("q"), nullptr);
}

// Keys of up to 15 bytes are compared in the table's own key records, longer ones and those with
// other characters at their entries: both ways must give what the library's comparisons give, at the
// limit and one past it, for both key kinds.
TEST(HashTableTest, ShortAndLongKeysAreFoundAlike)
{
    const std::string keys[] = {
        "abcdefghijklmn",  "abcdefghijklmno", "abcdefghijklmnop", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
        "kontoplan\xC3\xA4",  "x\xFFy", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4",
    };
    for (int32_t kind : {2, kKeyKindExact}) {
        SCOPED_TRACE(kind);
        std::vector<Entry> entries;
        for (const std::string& key : keys)
            entries.push_back(Entry{key, 0});
        HashTable table(0, 0, KeyOfEntry, kind);
        for (Entry& entry : entries)
            ASSERT_TRUE(table.AddUnique(&entry));
        for (const std::string& key : keys) {
            std::string upper = key;
            for (char& c : upper)
                c = char(detail::AsciiUpper(uint8_t(c)));
            for (const std::string& query : {key, upper, key + "q", key.substr(0, key.size() - 1)}) {
                SCOPED_TRACE(query);
                auto* found = static_cast<const Entry*>(table.Find(query.c_str()));
                bool equal = false;
                for (const std::string& other : keys)
                    equal = equal || (kind == 2 ? CStrEqualNoCase(other.c_str(), query.c_str())
                                                : CStrEqual(other.c_str(), query.c_str()));
                ASSERT_EQ(found != nullptr, equal);
                if (found != nullptr) {
                    EXPECT_TRUE(kind == 2 ? CStrEqualNoCase(found->key.c_str(), query.c_str())
                                          : CStrEqual(found->key.c_str(), query.c_str()));
                }
            }
        }
        for (Entry& entry : entries)
            table.Remove(&entry);
        EXPECT_EQ(table.Count(), 0);
        EXPECT_EQ(table.Find(keys[0].c_str()), nullptr);
    }
}

TEST(HashTableTest, AddUniqueRefusesEqualKeysAndReusesRemovedSlots)
{
    Entry first{"Konto", 1};
    Entry second{"KONTO", 2};
    HashTable table(0, 0, KeyOfEntry, 2);
    ASSERT_TRUE(table.AddUnique(&first));
    EXPECT_FALSE(table.AddUnique(&second));
    EXPECT_EQ(table.Count(), 1);
    table.Remove(&second);  // removes the entry with an equal key
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Find("konto"), nullptr);
    // Removing an absent key changes nothing.
    table.Remove(&first);
    EXPECT_EQ(table.Count(), 0);
    // Adding and removing one key thousands of times in 1031 slots only works when the removed slot
    // at the front of its probe sequence is taken again.
    for (int i = 0; i < 3000; ++i) {
        Entry* entry = (i % 2 == 0) ? &first : &second;
        ASSERT_TRUE(table.AddUnique(entry)) << i;
        ASSERT_EQ(table.Find("kOnTo"), entry);
        table.Remove(entry);
    }
    EXPECT_EQ(table.Count(), 0);
}

TEST(HashTableTest, OwnerRebuildKeepsEveryEntry)
{
    std::vector<std::unique_ptr<Entry>> entries;
    HashTable table(0, 0, KeyOfEntry, 2);
    int32_t rebuilds = 0;
    for (int i = 0; i < 10000; ++i) {
        // Keys ending in U+0400 have the step that would be 0; they must still probe onwards.
        std::string key = "Key" + std::to_string(i) + (i % 3 == 0 ? "\xD0\x80" : "");
        entries.push_back(std::make_unique<Entry>(Entry{key, i}));
        ASSERT_TRUE(table.AddUnique(entries.back().get()));
        if (table.NeedsRebuild()) {
            ++rebuilds;
            ASSERT_TRUE(table.Reset(3 * table.Count()));
            for (auto& entry : entries)
                ASSERT_TRUE(table.Add(entry.get()));
        }
    }
    EXPECT_GE(rebuilds, 2);
    EXPECT_EQ(table.Count(), 10000);
    EXPECT_LE(table.Count(), table.LoadLimit());
    for (auto& entry : entries) {
        std::string upper = entry->key;
        for (char& c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        ASSERT_EQ(table.Find(upper.c_str()), entry.get()) << entry->key;
    }
    EXPECT_EQ(table.Find("Key10000"), nullptr);
}

// A table whose owner never rebuilds can fill up. Adding must then fail instead of probing forever,
// and a search for an absent key must end even when no slot is empty any more.
TEST(HashTableTest, FullTableNeitherLoopsNorOverwrites)
{
    std::vector<std::unique_ptr<Entry>> entries;
    HashTable table(0, 0, KeyOfEntry, kKeyKindExact);
    ASSERT_EQ(table.Size(), 1031);
    for (int i = 0; i < 1031; ++i) {
        entries.push_back(std::make_unique<Entry>(Entry{"k" + std::to_string(i), i}));
        ASSERT_TRUE(table.Add(entries.back().get()));
    }
    Entry extra{"extra", -1};
    EXPECT_FALSE(table.Add(&extra));
    EXPECT_FALSE(table.AddUnique(&extra));
    EXPECT_EQ(table.Count(), 1031);
    EXPECT_EQ(table.Find("extra"), nullptr);
    EXPECT_EQ(table.Find("k1030"), entries[1030].get());
    // Every slot removed: nothing is found, and nothing loops.
    for (auto& entry : entries)
        table.Remove(entry.get());
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Find("k5"), nullptr);
    EXPECT_TRUE(table.AddUnique(&extra));
    EXPECT_EQ(table.Find("extra"), &extra);
}

TEST(HashTableTest, ResetEmptiesAndResizes)
{
    Entry konto{"Konto", 1};
    HashTable table(0, 0, KeyOfEntry, 2);
    ASSERT_TRUE(table.Add(&konto));
    int64_t smallSize = table.MemorySize();
    EXPECT_GT(smallSize, 32);
    ASSERT_TRUE(table.Reset(5000));
    EXPECT_EQ(table.Size(), HashTableSize(5000));
    EXPECT_EQ(table.LoadLimit(), HashLoadLimit(HashTableSize(5000)));
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Find("Konto"), nullptr);
    EXPECT_GT(table.MemorySize(), smallSize);
    table.Free();
    EXPECT_EQ(table.MemorySize(), 0);
    EXPECT_EQ(table.Find("Konto"), nullptr);
    EXPECT_FALSE(table.Add(&konto));
    ASSERT_TRUE(table.Reset(0));  // a freed table gets its slots back
    EXPECT_TRUE(table.Add(&konto));
    EXPECT_EQ(table.Find("KONTO"), &konto);
}

// A resize that cannot be had (here: more slots than a block can hold) leaves the old size; the table
// is emptied all the same, as its owner is about to add everything again.
TEST(HashTableTest, FailedResetKeepsTheOldSize)
{
    Entry konto{"Konto", 1};
    HashTable table(0, 0, KeyOfEntry, 2);
    ASSERT_TRUE(table.Add(&konto));
    EXPECT_FALSE(table.Reset(INT32_MAX));
    EXPECT_EQ(table.Size(), 1031);
    EXPECT_EQ(table.LoadLimit(), 903);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Find("Konto"), nullptr);
    ASSERT_TRUE(table.Add(&konto));
    EXPECT_EQ(table.Find("KONTO"), &konto);
}

// Stored keys and wanted keys in heap blocks of exactly their size: AddressSanitizer reports any
// comparison that reads past a NUL, whichever of the two texts is the shorter.
TEST(HashTableTest, ComparisonsReadNoFurtherThanTheNul)
{
    struct BlockEntry {
        std::unique_ptr<char[]> key;
    };
    auto exactCopy = [](const char* text) {
        size_t size = std::strlen(text) + 1;
        std::unique_ptr<char[]> copy(new char[size]);
        std::memcpy(copy.get(), text, size);
        return copy;
    };
    const char* keys[] = {"a", "ab", "abc", "Konto", "Kont\xC3\xA4", "\xC3\xA4", "k\xE2\x82"};
    const char* queries[] = {"A", "AB", "ABCD", "KONT", "KONTO1", "KONT\xC3\x84", "KONT\xC3", "\xC3\x84X", "K\xE2\x82\xAC"};
    for (int32_t kind : {2, kKeyKindExact}) {
        std::vector<BlockEntry> entries;
        for (const char* key : keys)
            entries.push_back(BlockEntry{exactCopy(key)});
        HashTable table(0, 0, [](const void* e) { return const_cast<const char*>(static_cast<const BlockEntry*>(e)->key.get()); },
                        kind);
        for (BlockEntry& entry : entries)
            ASSERT_TRUE(table.Add(&entry));
        for (const char* source : queries) {
            SCOPED_TRACE(source);
            auto query = exactCopy(source);
            auto* found = static_cast<const BlockEntry*>(table.Find(query.get()));
            if (found != nullptr) {
                EXPECT_TRUE(kind == 2 ? CStrEqualNoCase(found->key.get(), query.get())
                                      : CStrEqual(found->key.get(), query.get()));
            }
        }
        // Only the case-insensitive table finds these.
        auto upper = exactCopy("KONT\xC3\x84");
        EXPECT_EQ(table.Find(upper.get()) != nullptr, kind == 2);
    }
}

TEST(HashTableTest, NullKeysCountAsEmpty)
{
    struct NullKeyed {
        const char* key;
    };
    NullKeyed entry{nullptr};
    HashTable table(0, 0, [](const void* e) { return static_cast<const NullKeyed*>(e)->key; }, 2);
    EXPECT_TRUE(table.Add(&entry));
    EXPECT_EQ(table.Find(""), nullptr);
    table.Remove(&entry);
    EXPECT_EQ(table.Count(), 0);
}

}  // namespace
}  // namespace vek
