// PreferenceStore: the sorted key/value store of one preferences file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FilePath.h"

namespace vek {

class String;

// The sorted key/value store of one preferences file, read when opened and written back when closed,
// only when something changed. Keys are compared without regard to case; the first spelling of a key
// stays.
//
// File (UTF-8 without byte-order mark, lines ended by CR, fields separated by a tab):
//   ##Preferences
//   key<TAB>value        one line per entry, in key order; an empty value writes the key alone
//   ##End
// In keys and values a tab, CR and LF are written as a backslash followed by "t", "r" and "n", and a
// backslash as two; a backslash before any other character is read as itself.
// Reading takes CR, LF and CR LF; lines beginning with "#" are skipped; a key that occurs twice keeps
// its last value; trailing blanks of keys and values are dropped. A damaged file (no header, no
// "##End" because it was cut short, lines with control bytes or an empty key, bytes that are not
// UTF-8) yields what can be read, and the store counts as modified so that closing rewrites it clean;
// a line cut short by the end of a truncated file is dropped.
//
// A missing, unreadable or unwritable file is silent: the store starts empty, or the changes are
// lost. The caller's pending error is the same afterwards as before. Files are replaced atomically.
class PreferenceStore {
public:
    PreferenceStore();
    // Closes (and so writes when modified).
    ~PreferenceStore();
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    // Opens the store of a name: allUsers 1 the file shared by all users (" Globals"), anything else
    // the user's own (" Preferences"); see MakePreferencesFilePath.
    void Open(std::string_view name, int32_t allUsers);
    // Opens the store of a given file.
    void OpenFile(const FilePath& file);
    // Writes the file when modified, then forgets every entry and the path.
    void Close();

    // The value, or the empty text when the key is absent.
    void GetString(const char* key, String& out) const;
    bool Contains(const char* key) const;
    // Sets or inserts; setting the value a key already has changes nothing. A null value counts as
    // empty.
    void SetString(const char* key, const char* value);
    void Remove(const char* key);

    // Typed values, stored as text. The readers leave `value` unchanged, and answer false, when the
    // key is absent or its text does not have the form.
    // Decimal; read only when the text begins with "-" or a digit.
    bool GetInt(const char* key, int32_t& value) const;
    void SetInt(const char* key, int32_t value);
    // "+" true, "-" false.
    bool GetBool(const char* key, bool& value) const;
    void SetBool(const char* key, bool value);
    // A language code ("US", "CZE" ... LanguageCode); a code not in the list is not read.
    bool GetLanguage(const char* key, int32_t& language) const;
    void SetLanguage(const char* key, int32_t language);

    // The file transfer that Open and Close use.
    void Read();
    void Write();
    // Takes the entries of a file's bytes into the store (as Read does after loading them); false when
    // the bytes were damaged.
    bool ReadBytes(std::string_view bytes);

    bool IsModified() const { return modified; }
    int32_t Count() const { return static_cast<int32_t>(entries.size()); }
    const FilePath& Path() const { return file; }
    // Entry i (0 .. Count() - 1) in key order.
    const char* KeyAt(int32_t i) const { return entries[static_cast<size_t>(i)].key.c_str(); }
    const char* ValueAt(int32_t i) const { return entries[static_cast<size_t>(i)].value.c_str(); }

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    // The first entry whose key is not below the key, and whether it is equal.
    size_t Find(const char* key, bool& found) const;

    FilePath file;
    std::vector<Entry> entries;
    bool modified = false;
};

}  // namespace vek
