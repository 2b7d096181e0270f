#pragma once

#include <cstdint>

#include "foundation/memory/DynArray.h"
#include "foundation/memory/PackedArray.h"

namespace vek {

class FilePath;
class String;
class TextReader;
class TextWriter;

// For every card of a base, the file it came from and a number within that file (a line or record
// number that the reader chose). Source texts are held once each (compared without case) and
// numbered from 1; 0 stands for no source. The per-card arrays are indexed by the card's pool index,
// bit-packed to the width their largest value needs, and grow on demand; cards beyond them have no
// source. Operations that cannot allocate leave the table as it was (a card then gets no source).
class CardSourceTable {
public:
    static constexpr int32_t kInitialCards = 4096;
    static constexpr int32_t kInitialNumberMaximum = 255;

    CardSourceTable();
    ~CardSourceTable();
    CardSourceTable(const CardSourceTable&) = delete;
    CardSourceTable& operator=(const CardSourceTable&) = delete;

    // Empties the table and sets up both per-card arrays for 4096 cards; Free releases everything.
    void Init();
    void Free();
    // The two per-card arrays' sizes plus 72.
    int64_t StoredSize() const;

    // Makes the file name of `path` the current source (added when new) and gives the previous one
    // back for EndSource; readers and importers bracket reading a file with these.
    void BeginSource(int32_t& previous, const FilePath& path);
    void BeginSourceText(int32_t& previous, const char* name);
    void EndSource(int32_t previous) { current = previous; }
    int32_t CurrentSource() const { return current; }

    // The card gets the current source and, when there is one, the number (0 when it cannot be
    // stored: negative).
    void Record(uint32_t card, int32_t number);
    // The card gets the source text (added when new) and the number: what a card's "H" line holds.
    void Assign(uint32_t card, const char* text, int32_t length, int32_t number);
    void Clear(uint32_t card);
    // The "H" line of a card in the cards section: ReadLine takes the source text and the number from
    // the reader's next two fields; WriteLine writes "H", the text and, when not 0, the number, each
    // after a separator, for a card that has a source.
    void ReadLine(TextReader& reader, uint32_t card);
    void WriteLine(TextWriter& writer, uint32_t card) const;

    // The index of a source text, added when no text equal to it without case exists yet; 0 when
    // memory runs short. A null text equals the empty text.
    int32_t AddSource(const char* text, int32_t length);
    int32_t SourceCount() const { return texts.Count() - 1; }
    // The text of a source index; null for none.
    const char* SourceText(int32_t index) const;
    int32_t CardSource(uint32_t card) const;
    int32_t CardNumber(uint32_t card) const;

    // The source text, then ":" and the number when it is not 0; empty for a card without source.
    void Format(String& out, uint32_t card) const;
    // Cards without source first; then by source text (without case, a missing text last), then by
    // number. -1, 0 or 1.
    int32_t Compare(uint32_t a, uint32_t b);

private:
    // Makes the per-card arrays hold `card` (plus a quarter of their size plus 1024).
    bool Reach(uint32_t card);
    void BuildSortOrder();

    PointerArray texts;      // HeapText per source index; slot 0 is unused
    PackedArray sources;     // per card: source index
    PackedArray numbers;     // per card: number within the source
    DynArray sortPositions;  // per source index: its place in the sorted order; empty when stale
    int32_t current = 0;
};

}  // namespace vek
