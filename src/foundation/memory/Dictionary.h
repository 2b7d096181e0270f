// Dictionary: text values under exact text keys, in insertion order, with a modified flag.
#pragma once

#include <cstdint>

#include "foundation/memory/HashTable.h"
#include "foundation/strings/HeapText.h"
#include "foundation/memory/PagedArray.h"

namespace vek {

class String;
class TextReader;
class TextWriter;

// A table of text values under exact text keys, kept in insertion order. Numbers are stored as their
// decimal text. Every change sets the modified flag.
//
// Keys and values are held as heap texts; an empty value is stored as none and reads back as the
// empty text. A change that cannot get its memory leaves the dictionary as it was and reports false.
class Dictionary {
public:
    explicit Dictionary(int32_t expectedCount = 0);
    ~Dictionary();
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    // Releases every key and value; the dictionary is then empty (and modified).
    void Clear();

    // Replaces the value of a present key, or adds the key at the end. A null or empty key changes
    // nothing (true). A null value counts as empty. False when memory runs short: a new key is then
    // not added; a present key has lost its value (it reads as empty).
    [[nodiscard]] bool SetText(const char* key, const char* value);
    [[nodiscard]] bool SetTextOrEmpty(const char* key, const char* value) { return SetText(key, value); }
    // The decimal text of the integer, or the default-format text of the double.
    [[nodiscard]] bool SetInt(const char* key, int32_t value);
    [[nodiscard]] bool SetDouble(const char* key, double value);

    bool Contains(const char* key) const;
    // The value of the key; the String is left as it was when the key is absent.
    void GetText(const char* key, String& value) const;
    // The value into a heap-text field; the field is emptied when the key is absent.
    void GetHeapText(const char* key, HeapText& field) const;
    // When the value begins with "-" or a digit, its number (TextToIntRounded, TextToDouble); otherwise
    // the variable is left as it was.
    void GetInt(const char* key, int32_t& value) const;
    void GetDouble(const char* key, double& value) const;
    // The i-th key and value in insertion order; false (strings unchanged) outside 0..Count()-1.
    bool GetEntry(int32_t i, String& key, String& value) const;

    int32_t Count() const { return entries.Count(); }
    bool IsModified() const { return modified; }

    // Text form, one entry a line: the key, the writer's separator, the value, the line end (an entry
    // without value gives its key alone). Writing clears the modified flag.
    void WriteTo(TextWriter& writer);
    // A new text file in UTF-8 with its byte-order mark, put in place of the old one only when it was
    // written whole; false when it could not be (reported by the file).
    [[nodiscard]] bool SaveToFile(const char* path);
    // Adds every line of the reader: its first field is the key, its second the value (kept as it
    // stands); lines with an empty first field are skipped, and a later line of a key replaces an
    // earlier one. Clears the modified flag. False when memory ran short for an entry.
    [[nodiscard]] bool ReadFrom(TextReader& reader);
    // Reads a text file (its encoding detected); false when it cannot be opened or read whole.
    [[nodiscard]] bool LoadFromFile(const char* path);

    // Rebuilds the index for three times the number of entries. False when the larger index could not
    // be had; every entry is still indexed (in the old size).
    [[nodiscard]] bool Rehash();

private:
    struct Record {
        HeapText key;
        HeapText value;
    };

    static const char* KeyOfRecord(const void* record);
    Record* Find(const char* key) const;
    Record* RecordAt(int32_t i) const;

    PagedArray entries;
    HashTable index;
    bool modified = false;
};

}  // namespace vek
