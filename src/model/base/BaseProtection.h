#pragma once

#include <cstdint>

#include "foundation/streams/ProtectedText.h"

namespace vek {

class Base;
class String;
class TextReader;
class TextWriter;

// The fixed values of base passwords, kept in this one place: the stored hash is
// HashTextNoCase(password) modulo kPasswordHashModulus, plus 1 (0 means no password).
constexpr int32_t kPasswordHashModulus = 0xffffef;
// The save kind of a base kept as plain text, whose password is never asked.
constexpr int32_t kSaveKindText = 5;

// The password of a base: held scrambled in memory (ProtectedText) and handed out in plain only on
// request, with the hash through which passwords are compared (so without regard to case).
//
// In the "##Protection" marker line the password is the second field as it stands, except that the
// characters that would break the line are coded as in long-text fields (TextWriter::PutLongText):
// a line break as the byte 3 and a tab as the byte 4; reading turns them back into CR and tab.
class BaseProtection {
public:
    explicit BaseProtection(Base* base);
    ~BaseProtection();
    BaseProtection(const BaseProtection&) = delete;
    BaseProtection& operator=(const BaseProtection&) = delete;

    // HashTextNoCase of the text modulo 0xffffef, plus 1; 0 for null or an empty text.
    static int32_t PasswordHashOf(const char* text);

    // The longest password in bytes: what a ProtectedText keeps.
    static constexpr int32_t kMaxPasswordLength = ProtectedText::kMaxLength;

    // Stores the text and its hash (an empty or null text removes the password). False, with no
    // password stored, for a text longer than kMaxPasswordLength (the pending error is then 3815,
    // which names the limit) or when memory runs short.
    [[nodiscard]] bool SetPassword(const char* text);
    // The plain password (empty for none). Callers wipe it (String::WipeAndClear) when done.
    void PasswordText(String& out) const;
    bool HasProtection() const { return passwordHash != 0; }
    int32_t PasswordHash() const { return passwordHash; }
    // Takes the other's password. False as SetPassword.
    [[nodiscard]] bool CopyFrom(const BaseProtection& other);

    // The check before a protected dialog: passes when there is no password or the base is kept as
    // plain text; otherwise asks through the password dialog (ModelServices::AskPassword; without a
    // display nobody can be asked, which counts as cancelled) and passes when the hash of the answer
    // equals the stored one. A wrong answer fails and sets the pending error 3814; a cancelled
    // dialog fails without an error.
    [[nodiscard]] bool CheckPassword(int32_t promptText);

    // The "##Protection" marker line is the reader's current line, the field cursor after the
    // marker: its next field is the password. The section's further lines are skipped up to the next
    // section marker (left as the reader's current line, restarted). False when the password could
    // not be stored (then no password is set).
    [[nodiscard]] bool Read(TextReader& reader);
    // The marker line alone: "##Protection", the separator and the password.
    void Write(TextWriter& writer) const;

private:
    Base* base;
    ProtectedText password;
    int32_t passwordHash = 0;
};

}  // namespace vek
