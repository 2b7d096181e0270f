#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"
#include "foundation/memory/PagedArray.h"

namespace vek {

class Base;
class TextReader;
class TextWriter;

// The stored size of one user for the progress estimate of a save (its texts come on top).
constexpr int32_t kWebUserStoredSize = 44;

// One account of the base's web service. A new record is all zero with both languages -1. The
// meanings of the options lie with the web service; the base only stores them. Texts hold no control
// characters and no blanks at either end (the form in which the section reads them back).
struct WebUser {
    HeapText name;      // unique within the base, compared without regard to case
    HeapText password;  // compared exactly at login
    int32_t sb;
    HeapText subsetName;      // a subset of the base; follows the subset when it gets a new name
    HeapText templateFilter;  // template name filter
    int32_t bi;
    int32_t cl;
    int32_t cn;
    int32_t bd;
    int32_t language;        // UI language index 0-12, -1 none
    int32_t secondLanguage;  // -1 none
};

// How Read treats a "U" line naming a user that exists.
enum class WebUserReadMode {
    refill,  // the user is cleared and refilled (a base file)
    rename,  // the new user gets a name made unique (the web-users window's import)
};

// The web users of one base, one record per element of a paged array, in list order.
class WebUserList {
public:
    explicit WebUserList(Base* base);
    ~WebUserList();
    WebUserList(const WebUserList&) = delete;
    WebUserList& operator=(const WebUserList&) = delete;

    Base* GetBase() const { return base; }
    int32_t Count() const { return users.Count(); }
    bool HasUsers() const { return users.Count() > 0; }
    // Null outside 0..Count()-1.
    WebUser* At(int32_t i);
    const WebUser* At(int32_t i) const;
    // The user whose name equals the text without regard to case, or null.
    WebUser* Find(const char* name);
    const WebUser* Find(const char* name) const;
    // True when the user exists (its name compared without regard to case) and its password equals
    // the given one exactly.
    bool CheckLogin(const char* name, const char* password) const;

    // Appends a new user with the name (cleaned as SetUserText does); null for an empty name, a name
    // that a user has already, or when memory runs short.
    WebUser* AddUser(const char* name);
    // Stores a text into a field of a user with control characters removed and blanks trimmed (null
    // when nothing is left).
    static void SetUserText(HeapText& field, const char* text);
    // Removes user i; later users move up.
    void RemoveAt(int32_t i);
    void FreeAll();

    // Replaces the users by copies of the other's users that have a name, in order. False, with the
    // list unchanged, when memory runs short.
    [[nodiscard]] bool CopyFrom(const WebUserList& other);
    // The users with a name, compared in order, every field equal.
    bool Equals(const WebUserList& other) const;
    // 44 bytes per user plus the lengths of its texts.
    int64_t StoredSize() const;
    // Every user tied to the subset named oldName (without regard to case) follows it to newName.
    void RenameSubset(const char* oldName, const char* newName);

    // The section lines after the "##WebUsers" marker, up to the next section marker (left as the
    // reader's current line, restarted), the end of input or the cancel flag. Afterwards users
    // without a name are removed and the list is sorted by name without regard to case.
    void Read(TextReader& reader, WebUserReadMode mode = WebUserReadMode::refill);
    // Per user in list order: "U" line, then the option lines that differ from their defaults.
    void Write(TextWriter& writer) const;
    // The "##WebUsers" marker line, the users and an empty line; nothing when there are no users.
    void WriteSection(TextWriter& writer) const;

private:
    int32_t FindIndex(const char* name) const;
    void ClearUser(WebUser& user);
    void SortByName();

    Base* base;
    PagedArray users;
};

}  // namespace vek
