// Benchmarks of HashTable look-ups (exact and case-insensitive keys) against std::unordered_map.
#include "foundation/memory/HashTable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/strings/HeapText.h"

// Look-up of one million short codes: the case-insensitive HashTable (key kind 2) against
// std::unordered_map<std::string> with exact keys. Everything is built once, before any timing, so
// that every benchmark sees the same memory layout whatever order they run in.

namespace {

constexpr int32_t kKeyCount = 1000000;

// Entries as the program keeps them: a record with its code in a heap text.
struct Entry {
    vek::HeapText code;
    int32_t number;
};

const char* CodeOfEntry(const void* entry)
{
    return static_cast<const Entry*>(entry)->code;
}

// Entries that hold their code inside the record, as std::unordered_map holds short strings: one
// memory access less per look-up, which shows what the table itself costs.
struct InlineEntry {
    char code[16];
    int32_t number;
};

const char* CodeOfInlineEntry(const void* entry)
{
    return static_cast<const InlineEntry*>(entry)->code;
}

// Short account-like codes of 4 to 10 characters, unique, in mixed case.
std::vector<std::string> MakeKeys()
{
    std::mt19937 generator(4711);
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::vector<std::string> keys;
    keys.reserve(kKeyCount);
    for (int32_t i = 0; i < kKeyCount; ++i) {
        std::string key;
        key += letters[generator() % 52];
        key += letters[generator() % 52];
        key += std::to_string(i);
        key += letters[generator() % 52];
        keys.push_back(key);
    }
    return keys;
}

struct Fixture {
    std::vector<std::string> keys = MakeKeys();
    std::vector<std::string> exactQueries;   // the keys as stored, shuffled
    std::vector<std::string> foldedQueries;  // the same keys in upper case
    std::vector<Entry> entries;
    std::vector<InlineEntry> inlineEntries;
    std::unordered_map<std::string, int32_t> map;
    std::unique_ptr<vek::HashTable> noCaseTable;
    std::unique_ptr<vek::HashTable> exactTable;
    std::unique_ptr<vek::HashTable> inlineTable;
    bool complete = true;

    Fixture()
    {
        exactQueries = keys;
        std::shuffle(exactQueries.begin(), exactQueries.end(), std::mt19937(99));
        foldedQueries = exactQueries;
        for (std::string& query : foldedQueries)
            std::transform(query.begin(), query.end(), query.begin(), [](char c) { return char(std::toupper(c)); });
        entries.reserve(kKeyCount);
        inlineEntries.resize(kKeyCount);
        for (int32_t i = 0; i < kKeyCount; ++i) {
            const std::string& key = keys[size_t(i)];
            entries.push_back(Entry{vek::NewHeapText(key.c_str()), i});
            std::snprintf(inlineEntries[size_t(i)].code, sizeof(InlineEntry::code), "%s", key.c_str());
            inlineEntries[size_t(i)].number = i;
        }
        map.reserve(kKeyCount);
        for (int32_t i = 0; i < kKeyCount; ++i)
            map.emplace(keys[size_t(i)], i);
        noCaseTable = std::make_unique<vek::HashTable>(kKeyCount, 0, CodeOfEntry, 2);
        exactTable = std::make_unique<vek::HashTable>(kKeyCount, 0, CodeOfEntry, vek::kKeyKindExact);
        inlineTable = std::make_unique<vek::HashTable>(kKeyCount, 0, CodeOfInlineEntry, 2);
        for (int32_t i = 0; i < kKeyCount; ++i) {
            complete = complete && noCaseTable->AddUnique(&entries[size_t(i)]);
            complete = complete && exactTable->AddUnique(&entries[size_t(i)]);
            complete = complete && inlineTable->AddUnique(&inlineEntries[size_t(i)]);
        }
    }
};

Fixture& SharedFixture()
{
    static Fixture fixture;
    return fixture;
}

template <typename Record>
void FindAll(benchmark::State& state, const vek::HashTable& table, const std::vector<std::string>& queries)
{
    if (!SharedFixture().complete)
        state.SkipWithError("a key could not be added");
    for (auto _ : state) {
        int64_t sum = 0;
        for (const std::string& query : queries) {
            auto* entry = static_cast<const Record*>(table.Find(query.c_str()));
            sum += entry != nullptr ? entry->number : -1;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

// Every key, upper-cased, in the case-insensitive table (key kind 2): the figure that counts.
void BM_HashTableFindNoCase(benchmark::State& state)
{
    Fixture& fixture = SharedFixture();
    FindAll<Entry>(state, *fixture.noCaseTable, fixture.foldedQueries);
}
BENCHMARK(BM_HashTableFindNoCase)->Unit(benchmark::kMillisecond);

// The same look-ups with exact keys (key kind 4).
void BM_HashTableFindExact(benchmark::State& state)
{
    Fixture& fixture = SharedFixture();
    FindAll<Entry>(state, *fixture.exactTable, fixture.exactQueries);
}
BENCHMARK(BM_HashTableFindExact)->Unit(benchmark::kMillisecond);

// Case-insensitive look-ups over entries that hold their codes inline.
void BM_HashTableFindNoCaseInlineKeys(benchmark::State& state)
{
    Fixture& fixture = SharedFixture();
    FindAll<InlineEntry>(state, *fixture.inlineTable, fixture.foldedQueries);
}
BENCHMARK(BM_HashTableFindNoCaseInlineKeys)->Unit(benchmark::kMillisecond);

// The standard library's map with exact keys, as the yardstick.
void BM_UnorderedMapFind(benchmark::State& state)
{
    Fixture& fixture = SharedFixture();
    for (auto _ : state) {
        int64_t sum = 0;
        for (const std::string& query : fixture.exactQueries) {
            auto found = fixture.map.find(query);
            sum += found != fixture.map.end() ? found->second : -1;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}
BENCHMARK(BM_UnorderedMapFind)->Unit(benchmark::kMillisecond);

}  // namespace
