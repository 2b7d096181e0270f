// A small driver of the foundation library: counts the distinct words of a text file without regard
// to case (hash table with a case-insensitive key kind), orders them by falling frequency with the
// callback sort and prints the median word length from a number series.
#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/memory/CallbackSort.h"
#include "foundation/strings/CharTables.h"
#include "foundation/memory/HashTable.h"
#include "foundation/strings/HeapText.h"
#include "foundation/numbers/NumberSeries.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "startup/StartServices.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct WordEntry {
    vek::HeapText word = nullptr;
    int32_t count = 0;
};

const char* KeyOfWord(const void* entry)
{
    return static_cast<const WordEntry*>(entry)->word;
}

bool IsWordByte(unsigned char byte)
{
    // Every byte of a multi-byte UTF-8 character counts as a letter, so accented words stay whole.
    return byte >= 0x80 || (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

struct WordList {
    std::vector<WordEntry*> entries;
    vek::HashTable table{1024, 0, KeyOfWord, 0};

    ~WordList()
    {
        for (WordEntry* entry : entries) {
            vek::MemFree(entry->word);
            delete entry;
        }
    }

    bool Add(const char* bytes, int32_t n)
    {
        vek::String word;
        word.AppendBytes(bytes, n);
        if (auto* found = static_cast<WordEntry*>(table.Find(word.CStr()))) {
            ++found->count;
            return true;
        }
        auto* entry = new WordEntry{vek::NewHeapTextFromBytes(bytes, n), 1};
        if (!entry->word || !table.Add(entry)) {
            vek::MemFree(entry->word);
            delete entry;
            return false;
        }
        entries.push_back(entry);
        if (table.NeedsRebuild()) {
            if (!table.Reset(int32_t(entries.size()) * 2))
                return false;
            for (WordEntry* e : entries)
                (void)table.Add(e);
        }
        return true;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    vek::StartServices();
    if (argc != 2) {
        std::fprintf(stderr, "usage: vek-words FILE\n");
        return 2;
    }
    vek::BuildCharacterTables();
    std::unique_ptr<vek::ByteFile> file = vek::NewByteFile();
    if (!file || !file->OpenForRead(argv[1])) {
        std::fprintf(stderr, "vek-words: cannot open %s\n", argv[1]);
        return 1;
    }
    WordList words;
    vek::NumberSeries lengths;
    std::vector<char> word;
    int64_t total = 0;
    auto finishWord = [&]() {
        if (word.empty())
            return true;
        ++total;
        word.push_back(0);
        (void)lengths.Add(double(vek::Utf8CharCount(word.data())));
        word.pop_back();
        bool added = words.Add(word.data(), int32_t(word.size()));
        word.clear();
        return added;
    };
    char buffer[65536];
    int64_t got;
    while ((got = file->Read(buffer, int64_t(sizeof buffer))) > 0) {
        for (int64_t i = 0; i < got; ++i) {
            if (IsWordByte(static_cast<unsigned char>(buffer[i])) && word.size() < 1000) {
                word.push_back(buffer[i]);
            } else if (!finishWord()) {
                std::fprintf(stderr, "vek-words: out of memory\n");
                return 1;
            }
        }
    }
    if (!finishWord()) {
        std::fprintf(stderr, "vek-words: out of memory\n");
        return 1;
    }

    std::vector<WordEntry*>& list = words.entries;
    vek::SortCallbacks callbacks;
    callbacks.compare = [](void* context, int32_t i, int32_t j) -> int32_t {
        auto& v = *static_cast<std::vector<WordEntry*>*>(context);
        if (v[i]->count != v[j]->count)
            return v[i]->count > v[j]->count ? -1 : 1;
        return vek::CStrCompareNoCase(v[i]->word, v[j]->word);
    };
    callbacks.compareContext = &list;
    callbacks.swap = [](void* context, int32_t i, int32_t j) {
        auto& v = *static_cast<std::vector<WordEntry*>*>(context);
        std::swap(v[i], v[j]);
    };
    callbacks.swapContext = &list;
    vek::SortWithCallbacks(callbacks, int32_t(list.size()));

    std::printf("words\t%lld\ndistinct\t%zu\n", static_cast<long long>(total), list.size());
    double median = lengths.Median();
    if (median == median)
        std::printf("median length\t%g\n", median);
    size_t shown = list.size() < 10 ? list.size() : 10;
    for (size_t i = 0; i < shown; ++i)
        std::printf("%d\t%s\n", list[i]->count, list[i]->word);
    return 0;
}
