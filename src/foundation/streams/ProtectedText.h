// ProtectedText: a secret text, such as a base password, never held in plain form while stored.
#pragma once

#include <cstdint>

#include "foundation/strings/String.h"

namespace vek {

// A secret text (a base password) that is never held in plain form while stored: it is kept in the
// scrambled letter form of ByteScrambler.h under a key of 64 random printable characters made for
// this object, and is unscrambled only into a caller's String. Both the value and the key are wiped
// when they are replaced and when the object goes. This keeps a secret out of plain view in memory
// dumps; it is no defence against an attacker who can read the process.
class ProtectedText {
public:
    // Makes the key (from the clock, which takes a few milliseconds).
    ProtectedText();
    ~ProtectedText();
    ProtectedText(const ProtectedText&) = delete;
    ProtectedText& operator=(const ProtectedText&) = delete;

    // The longest text kept: its letter form, two letters for each byte of the text and of the 3-byte
    // marker in front of it, must fit the 32600 bytes of a String.
    static constexpr int32_t kMaxLength = String::kGrowthLimit / 2 - 3;

    // Stores the text (null counts as empty). False, with no text stored, for a text longer than
    // kMaxLength bytes.
    [[nodiscard]] bool SetCStr(const char* text);
    // The plain text into out; empty when none is stored or the stored form fails its check.
    void Get(String& out) const;
    // Stores the other's text under this object's own key.
    [[nodiscard]] bool Assign(const ProtectedText& other);
    bool IsEmpty() const { return value.IsEmpty(); }

private:
    String value;  // the letter form, or empty
    String key;
};

}  // namespace vek
